#include "startup/command_line.h"

#include <array>

#include "base/text.h"

namespace qf {

std::string_view CommandLineTail(std::string_view commandLine) {
    std::size_t i = 0;
    bool quoted = false;
    for (; i < commandLine.size(); ++i) {
        const auto c = static_cast<unsigned char>(commandLine[i]);
        if (c == '"') quoted = !quoted;
        if (c <= 32 && !quoted) break;
    }
    while (i < commandLine.size()) {
        const auto c = static_cast<unsigned char>(commandLine[i]);
        if (c < 1 || c > 32) break;
        ++i;
    }
    return commandLine.substr(i);
}

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
    return {};
}

}  // namespace qf
