// libFuzzer target over the command line: the tail after the program name, the run mode it
// selects, and the installer's own file (for the uninstaller copy and for /custom) with the
// customised copy's name beside it. The input up to its first NUL is the 8-bit command line, as
// the system hands it over; its UTF-16 form is the same text read as UTF-8 where it is
// well-formed (fuzz::Utf16).
//
// What is checked:
//   - the tail is the end of the command line and begins with no blank or control character;
//   - the mode ignores ASCII case, and "/custom", "/q" and "/uninstall" are prefixes: what
//     follows them never changes the mode;
//   - an own path is text of the command line with ".exe" at most appended: a quoted one ends
//     before the closing quote, an unquoted one before the first argument ('/', less the blanks
//     before it; for /custom, the first blank); one that does not fit is refused, with a
//     terminated excerpt in the buffer;
//   - the customised copy's path is the own path less four characters plus "-custom.exe".
// Every buffer is allocated at exactly the size the installer gives it.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/product.h"
#include "base/text.h"
#include "fuzz_support.h"
#include "settings/customisation.h"
#include "base/install_paths.h"
#include "startup/command_line.h"

namespace {

using fuzz::Check;

bool operator==(const qf::RunModes& a, const qf::RunModes& b) {
    return a.mode == b.mode && a.quiet == b.quiet && a.noCheck == b.noCheck;
}

std::string FlipCase(std::string_view text) {
    std::string flipped(text);
    for (char& c : flipped) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return flipped;
}

void CheckTailAndMode(std::string_view commandLine) {
    const std::string_view tail = qf::CommandLineTail(commandLine);
    Check(tail.data() + tail.size() == commandLine.data() + commandLine.size());
    Check(tail.empty() || static_cast<unsigned char>(tail[0]) > 32);

    const qf::RunModes modes = qf::ClassifyCommandLine(tail);
    Check(qf::ClassifyCommandLine(FlipCase(tail)) == modes);
    const bool silent = qf::IsSilent(modes.mode);
    const bool prefixRule = (modes.mode != qf::RunMode::Install || modes.quiet) && !silent;
    if (prefixRule) Check(qf::ClassifyCommandLine(std::string(tail) + "x") == modes);
    if (!silent) return;

    // The silent modes' paths are views into the tail, never empty when given, and a tail that
    // is understood again once an argument is added only if that argument is.
    std::u16string wide(tail.begin(), tail.end());
    const qf::SilentArguments parsed = qf::ParseSilentArguments(wide, modes.mode);
    const auto inside = [&](std::u16string_view part) {
        return part.empty() || (part.data() >= wide.data() && part.data() + part.size() <= wide.data() + wide.size());
    };
    Check(inside(parsed.directory) && inside(parsed.log) && inside(parsed.rejected));
    Check(parsed.understood == parsed.rejected.empty());
    if (modes.mode == qf::RunMode::SilentUninstall) Check(parsed.directory.empty());
    if (parsed.understood) Check(!qf::ParseSilentArguments(wide + u" /bogus", modes.mode).understood);
}

// A buffer of exactly capacity units, apart from everything else.
struct Buffer {
    explicit Buffer(std::size_t capacity) : units(new char16_t[capacity]), capacity(capacity) {}
    std::span<char16_t> Span() const { return {units.get(), capacity}; }
    std::u16string_view Text() const {
        const std::size_t length = qf::TextLength(Span());
        Check(length < capacity);
        return {units.get(), length};
    }
    std::unique_ptr<char16_t[]> units;
    std::size_t capacity;
};

// What the customisation's own-path rule wrote: text of the command line (after an opening
// quote, if any) with ".exe" appended unless it already ends so, or as much of that as fits when
// it was refused. Unquoted, the text stops at the first blank.
void CheckOwnPath(std::u16string_view commandLine, const Buffer& out, bool fits) {
    const bool quoted = !commandLine.empty() && commandLine[0] == u'"';
    const std::u16string_view source = quoted ? commandLine.substr(1) : commandLine;
    const std::u16string_view path = out.Text();
    std::size_t common = 0;
    while (common < path.size() && common < source.size() && path[common] == source[common]) ++common;
    const std::u16string_view taken = path.substr(0, common);
    const std::u16string_view appended = path.substr(common);
    Check(std::u16string_view(u".exe").starts_with(appended));
    if (fits) {
        Check(appended.empty() ? qf::EndsWithIgnoringAsciiCase(taken, u".exe")
                               : appended.size() == 4 && !qf::EndsWithIgnoringAsciiCase(taken, u".exe"));
    }
    if (quoted) {
        Check(taken.find(u'"') == taken.npos);
        return;
    }
    Check(taken.find(u' ') == taken.npos);
}

void CheckOwnPaths(std::u16string_view commandLine) {
    const Buffer customising(qf::PathCapacity);
    const bool fits = qf::CustomisationOwnPath(commandLine, customising.Span());
    CheckOwnPath(commandLine, customising, fits);
    if (!fits) return;

    const Buffer copy(qf::PathCapacity);
    const std::u16string_view ownPath = customising.Text();
    if (!qf::CustomisedCopyPath(ownPath, copy.Span())) {
        copy.Text();
        return;
    }
    Check(copy.Text() == std::u16string(ownPath.substr(0, ownPath.size() - 4)) + u"-custom.exe");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::Bytes({data, size});
    const fuzz::Exact commandLine(input.substr(0, input.find('\0')));
    CheckTailAndMode(commandLine.View());
    const fuzz::Exact wide(fuzz::Utf16(commandLine.View()));
    CheckOwnPaths(wide.View());
    return 0;
}
