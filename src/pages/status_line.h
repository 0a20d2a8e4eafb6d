// The installation page's status line. Pure.
#pragma once

#include <cstdint>
#include <span>

namespace qf {

// State 0 shows nothing (false); 1 the verification offset; 2 the file being written, as an
// upgrade or a first installation.
bool StatusLine(std::span<char16_t> out, std::int32_t state, std::uint32_t verifyProgress,
                const char16_t* targetPath, bool upgrade);

}  // namespace qf
