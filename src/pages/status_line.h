// The installation page's status line. Pure.
#pragma once

#include <cstdint>
#include <span>

#include "base/install_progress.h"

namespace qf {

// Nothing before the sequence starts (false); then the verification offset, then the file being
// written, as an upgrade or a first installation.
bool StatusLine(std::span<char16_t> out, InstallProgress state, std::uint32_t verifyProgress,
                const char16_t* targetPath, bool upgrade);

}  // namespace qf
