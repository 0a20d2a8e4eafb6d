#include "pages/status_line.h"

#include "base/text.h"
#include "base/texts.h"

namespace qf {

bool StatusLine(std::span<char16_t> out, std::int32_t state, std::uint32_t verifyProgress,
                const char16_t* targetPath, bool upgrade) {
    switch (state) {
        case 1: return FormatText(out, text::VerifyingFormat, {static_cast<std::int32_t>(verifyProgress)});
        case 2: return FormatText(out, upgrade ? text::UpgradingFormat : text::InstallingFormat, {targetPath});
        default: return false;
    }
}

}  // namespace qf
