#include "startup/desktop_path.h"

#include "base/install_paths.h"
#include "base/product.h"
#include "base/text.h"

namespace qf {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool SameUnit(char16_t a, char16_t b) { return AsciiLower(a) == AsciiLower(b) || (IsSeparator(a) && IsSeparator(b)); }

// The folder itself or anything below it; "C:\Windows2" is neither for "C:\Windows".
bool IsAtOrBelow(std::u16string_view path, std::u16string_view folder) {
    folder = WithoutTrailingSeparator(folder);
    if (folder.empty() || path.size() < folder.size()) return false;
    for (std::size_t i = 0; i < folder.size(); ++i)
        if (!SameUnit(path[i], folder[i])) return false;
    return path.size() == folder.size() || IsSeparator(path[folder.size()]);
}

}  // namespace

bool DeriveAllUsersDesktop(std::u16string_view userProfile, std::span<char16_t> out) {
    // The backslash at position 0 is never taken, so "\profile" keeps its whole text.
    std::size_t keep = userProfile.size();
    for (std::size_t i = userProfile.size(); i-- > 1;) {
        if (userProfile[i] == u'\\') {
            keep = i;
            break;
        }
    }
    if (CopyText(out, userProfile.substr(0, keep)) && AppendText(out, AllUsersDesktopSuffix)) {
        return true;
    }
    if (!out.empty()) out[0] = u'\0';
    return false;
}

bool UsesCommonDesktop(std::u16string_view derived, FolderPresence presence, std::u16string_view windowsFolder) {
    return derived.empty() || presence == FolderPresence::Missing || IsAtOrBelow(derived, windowsFolder);
}

}  // namespace qf
