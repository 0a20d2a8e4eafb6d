#include "startup/command_line.h"

#include <array>
#include <type_traits>

#include "base/text.h"

namespace qf {

namespace {

template <typename Char>
std::basic_string_view<Char> TailOf(std::basic_string_view<Char> commandLine) {
    using Unit = std::make_unsigned_t<Char>;
    std::size_t i = 0;
    bool quoted = false;
    for (; i < commandLine.size(); ++i) {
        const auto c = static_cast<Unit>(commandLine[i]);
        if (c == '"') quoted = !quoted;
        if (c <= 32 && !quoted) break;
    }
    while (i < commandLine.size()) {
        const auto c = static_cast<Unit>(commandLine[i]);
        if (c < 1 || c > 32) break;
        ++i;
    }
    return commandLine.substr(i);
}

bool IsBlank(char16_t c) { return c >= 1 && c <= 32; }

// The argument at the start of text, up to the first blank outside quotes.
std::u16string_view NextArgument(std::u16string_view text) {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'"') quoted = !quoted;
        if (IsBlank(text[i]) && !quoted) return text.substr(0, i);
    }
    return text;
}

// A view of text without the quotes that enclose it whole or enclose its value after '=';
// nothing when quotes stand anywhere else.
bool Unquote(std::u16string_view argument, std::u16string_view& key, std::u16string_view& value) {
    if (argument.size() >= 2 && argument.front() == u'"' && argument.back() == u'"')
        argument = argument.substr(1, argument.size() - 2);
    const std::size_t equals = argument.find(u'=');
    if (equals == std::u16string_view::npos) return false;
    key = argument.substr(0, equals + 1);
    value = argument.substr(equals + 1);
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') value = value.substr(1, value.size() - 2);
    return key.find(u'"') == std::u16string_view::npos && value.find(u'"') == std::u16string_view::npos;
}

constexpr std::string_view SilentInstallArgument = "/silent";
constexpr std::string_view SilentUninstallArgument = "/silent-uninstall";

}  // namespace

std::string_view CommandLineTail(std::string_view commandLine) { return TailOf(commandLine); }
std::u16string_view CommandLineTail(std::u16string_view commandLine) { return TailOf(commandLine); }

namespace {

// Compares like a case-insensitive strncmp over at most n bytes: the texts match when their
// first n bytes agree, or when both end at the same place before that. Only A-Z fold.
bool MatchesOver(std::string_view tail, std::string_view literal, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char a = i < tail.size() ? static_cast<unsigned char>(tail[i]) : 0;
        const unsigned char b = i < literal.size() ? static_cast<unsigned char>(literal[i]) : 0;
        if (AsciiLower(a) != AsciiLower(b)) return false;
        if (a == 0) return true;
    }
    return true;
}

struct Rule {
    std::string_view literal;
    std::size_t span;  // bytes compared; past the literal's end its terminator takes part
    RunModes modes;
};

// "/nocheck" is compared over 10 bytes, so nothing may follow it; the others are prefixes.
constexpr std::array<Rule, 4> Rules{{
    {"/custom", 7, {RunMode::Customise, false, false}},
    {"/nocheck", 10, {RunMode::Install, false, true}},
    {"/q", 2, {RunMode::Install, true, false}},
    {"/uninstall", 10, {RunMode::Uninstall, false, false}},
}};

}  // namespace

RunModes ClassifyCommandLine(std::string_view tail) {
    for (const Rule& rule : Rules) {
        if (MatchesOver(tail, rule.literal, rule.span)) return rule.modes;
    }
    std::size_t end = 0;
    while (end < tail.size() && !IsBlank(static_cast<unsigned char>(tail[end]))) ++end;
    const std::string_view first = tail.substr(0, end);
    if (EqualsIgnoringAsciiCase(first, SilentInstallArgument)) return {RunMode::SilentInstall, false, false};
    if (EqualsIgnoringAsciiCase(first, SilentUninstallArgument)) return {RunMode::SilentUninstall, false, false};
    return {};
}

SilentArguments ParseSilentArguments(std::u16string_view tail, RunMode mode) {
    SilentArguments parsed;
    std::u16string_view rest = tail.substr(NextArgument(tail).size());
    for (;;) {
        while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
        if (rest.empty()) return parsed;
        const std::u16string_view argument = NextArgument(rest);
        rest.remove_prefix(argument.size());
        std::u16string_view key, value;
        std::u16string_view* slot = nullptr;
        if (Unquote(argument, key, value) && !value.empty()) {
            if (EqualsIgnoringAsciiCase(key, u"/log=")) slot = &parsed.log;
            else if (EqualsIgnoringAsciiCase(key, u"/dir=") && mode == RunMode::SilentInstall) slot = &parsed.directory;
        }
        if (!slot || !slot->empty()) {
            parsed.understood = false;
            parsed.rejected = argument;
            return parsed;
        }
        *slot = value;
    }
}

}  // namespace qf
