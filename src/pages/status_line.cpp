#include "pages/status_line.h"

#include "base/text.h"
#include "base/texts.h"

namespace qf {

bool StatusLine(std::span<char16_t> out, InstallProgress state, std::uint32_t verifyProgress,
                const char16_t* targetPath, bool upgrade) {
    switch (state) {
        case InstallProgress::Verifying:
            return FormatText(out, text::VerifyingFormat, {static_cast<std::int32_t>(verifyProgress)});
        case InstallProgress::Writing:
            return FormatText(out, upgrade ? text::UpgradingFormat : text::InstallingFormat, {targetPath});
        case InstallProgress::NotStarted: break;
    }
    return false;
}

}  // namespace qf
