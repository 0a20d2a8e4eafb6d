#include "pages/install_paths.h"

#include <algorithm>

#include "base/text.h"

namespace qf {

std::u16string_view WithoutTrailingSeparator(std::u16string_view directory) {
    if (!directory.empty() && (directory.back() == u'\\' || directory.back() == u'/'))
        directory.remove_suffix(1);
    return directory;
}

bool IsSystemDirectory(std::u16string_view directory, std::optional<std::u16string_view> windir) {
    return windir && EqualsIgnoringAsciiCase(directory, *windir);
}

bool OwnExecutablePath(std::u16string_view commandLine, std::span<char16_t> out) {
    std::u16string_view path;
    if (!commandLine.empty() && commandLine.front() == u'"') {
        path = commandLine.substr(1);
        path = path.substr(0, path.find(u'"'));
    } else {
        // Unquoted, the arguments would otherwise become part of the path.
        path = commandLine.substr(0, commandLine.find(u'/'));
        while (path.size() > 1 && path.back() <= 0x20) path.remove_suffix(1);
    }
    const bool fits = CopyText(out, path) &&
                      (EndsWithIgnoringAsciiCase(path, u".exe") || AppendText(out, u".exe"));
    if (!fits && !out.empty()) {
        const std::size_t shown = std::min(path.size(), out.size() - 1);
        std::copy_n(path.begin(), shown, out.begin());
        out[shown] = u'\0';
    }
    return fits;
}

}  // namespace qf
