#include "base/install_paths.h"

#include "base/text.h"

namespace qf {

std::u16string_view WithoutTrailingSeparator(std::u16string_view directory) {
    if (!directory.empty() && (directory.back() == u'\\' || directory.back() == u'/')) directory.remove_suffix(1);
    return directory;
}

bool IsFullyQualified(std::u16string_view path) {
    const auto separator = [&](std::size_t i) { return i < path.size() && (path[i] == u'\\' || path[i] == u'/'); };
    const bool drive = path.size() >= 2 && path[1] == u':';
    return (separator(0) && separator(1)) || (drive && (path.size() == 2 || separator(2)));
}

std::u16string_view VolumeRoot(std::u16string_view path) {
    const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    // The end of the component that starts at from, separator included; npos when there is none.
    const auto componentEnd = [&](std::size_t from) {
        std::size_t i = from;
        while (i < path.size() && !separator(path[i])) ++i;
        return i == from || i == path.size() ? std::u16string_view::npos : i + 1;
    };
    std::size_t start = 0;
    const bool device = path.size() >= 4 && separator(path[0]) && separator(path[1]) &&
                        (path[2] == u'?' || path[2] == u'.') && separator(path[3]);
    if (device) {
        start = 4;
        if (path.size() >= 8 && EqualsIgnoringAsciiCase(path.substr(4, 3), u"UNC") && separator(path[7])) {
            const std::size_t server = componentEnd(8);
            const std::size_t share = server == std::u16string_view::npos ? server : componentEnd(server);
            return share == std::u16string_view::npos ? std::u16string_view() : path.substr(0, share);
        }
    } else if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
        const std::size_t server = componentEnd(2);
        const std::size_t share = server == std::u16string_view::npos ? server : componentEnd(server);
        return share == std::u16string_view::npos ? std::u16string_view() : path.substr(0, share);
    }
    const bool drive = path.size() >= start + 3 && path[start + 1] == u':' && separator(path[start + 2]);
    return drive ? path.substr(0, start + 3) : std::u16string_view();
}

bool WithExeSuffix(std::u16string_view path, std::span<char16_t> out) {
    const bool hasExe = EndsWithIgnoringAsciiCase(path, u".exe");
    if (CopyText(out, path) && (hasExe || AppendText(out, u".exe"))) return true;
    CopyWhatFits(out, {path, hasExe ? u"" : u".exe"});
    return false;
}

std::optional<std::u16string_view> QuotedProgramPath(std::u16string_view commandLine) {
    if (commandLine.empty() || commandLine.front() != u'"') return std::nullopt;
    const std::u16string_view rest = commandLine.substr(1);
    return rest.substr(0, rest.find(u'"'));
}

std::u16string_view CommandProgram(std::u16string_view commandLine) {
    const auto quoted = QuotedProgramPath(commandLine);
    return quoted ? *quoted : commandLine.substr(0, commandLine.find(u' '));
}

bool ShortcutPath(std::u16string_view desktop, std::u16string_view name,
                  std::span<char16_t, ShortcutPathCapacity> out) {
    if (!desktop.empty()) return JoinPath(out, desktop, name);
    out[0] = u'\0';
    return false;
}

}  // namespace qf
