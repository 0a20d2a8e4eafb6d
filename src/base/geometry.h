// Where a page window goes: centred on the full-screen client area. Pure.
#pragma once

#include <cstdint>

namespace qf {

struct PagePlacement {
    std::uint16_t width, height, left, top;
};

// A screen smaller than the page would give a negative position; it is held at 0 so that the
// title bar stays reachable.
PagePlacement CentrePage(int fullScreenWidth, int fullScreenHeight);

}  // namespace qf
