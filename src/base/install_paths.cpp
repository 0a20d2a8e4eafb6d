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

bool OwnExecutablePath(std::u16string_view commandLine, std::span<char16_t> out) {
    std::u16string_view path;
    if (const auto quoted = QuotedProgramPath(commandLine)) {
        path = *quoted;
    } else {
        // Unquoted, the arguments would otherwise become part of the path.
        path = commandLine.substr(0, commandLine.find(u'/'));
        while (path.size() > 1 && path.back() <= 0x20) path.remove_suffix(1);
    }
    return WithExeSuffix(path, out);
}

bool ShortcutPath(std::u16string_view desktop, std::u16string_view name,
                  std::span<char16_t, ShortcutPathCapacity> out) {
    if (!desktop.empty()) return JoinPath(out, desktop, name);
    out[0] = u'\0';
    return false;
}

}  // namespace qf
