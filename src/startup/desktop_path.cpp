#include "startup/desktop_path.h"

#include "base/product.h"
#include "base/text.h"

namespace qf {

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

}  // namespace qf
