// The three pages' handlers, which start-up registers with their classes.
#pragma once

#include "pages/page_frame_win.h"

namespace qf {

extern const PageHandlers LicencePageHandlers;
extern const PageHandlers LocationPageHandlers;
extern const PageHandlers CustomPageHandlers;

}  // namespace qf
