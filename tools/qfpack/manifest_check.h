// What the installer's manifest must say about display scaling. Its pages are laid out in fixed
// 96-DPI pixels, so the program must leave scaling to Windows: no DPI awareness in any form, and
// GDI scaling so that Windows 10 1703 and later draw its text crisply at the scaled size.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qfpack {

// Empty when the manifest (XML text) is right; otherwise what is wrong with it. Comments do not
// count.
std::optional<std::string> ManifestScalingProblem(std::string_view manifest);

}  // namespace qfpack
