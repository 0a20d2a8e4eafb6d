// What the user sees outside the pages' own painting: message boxes, and a page repainted
// while the install sequence holds the message loop.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "base/text.h"

namespace qf {

// Every box lets go of the run lock first: nobody may keep another run waiting by not answering
// (run_lock_win.h).
int ShowMessage(HWND owner, const char16_t* text, const char16_t* caption, UINT style);

// A message formatted from format and args (FormatText). There is room for the longest path
// any message names besides the text, so a path that fitted its own buffer is never cut.
int ShowFormattedMessage(HWND owner, const char16_t* format, std::initializer_list<FormatArg> args,
                         const char16_t* caption, UINT style);

// Paints a page at once, while the install sequence keeps the message loop from running. A
// page not shown has nothing to paint: a quiet install runs while its page is still being
// created, and there each call (one a stretch of the archive's check and one every few files
// written, so as many as the payload is large) would only cost a trip to the window manager
// (some 0.1 ms each under Wine) for no paint at all.
void RepaintNow(HWND page);

}  // namespace qf
