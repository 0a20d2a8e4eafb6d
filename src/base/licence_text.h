// The licence text: 8-bit lines, each followed by CR LF, at most 89 bytes before its CR, no NUL.
// Splitting it into the lines the licence page lists, and checking a text against the rules
// before it is built into an installer. Pure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qf {

// Bytes examined in search of the CR; a listed line holds 89 units and its terminator.
inline constexpr std::size_t LicenceLineLimit = 90;
inline constexpr std::size_t LicenceLineCapacity = LicenceLineLimit;

enum class LicenceFault {
    MissingCrLf,
    TooLong,
    Nul,
};

struct LicenceProblem {
    std::size_t line;  // 1-based
    LicenceFault fault;
};

// The first line that breaks a rule, if any.
std::optional<LicenceProblem> CheckLicenceText(std::span<const std::uint8_t> text);

// Calls onLine for each list entry, in order, with a terminated UTF-16 line (each byte widened
// to the unit of the same value). A line longer than 89 bytes is shown cut at 89 and the rest of
// it skipped up to its CR LF; an unterminated last line is shown as it is; a NUL ends the
// shown entry early. The scan always advances.
using LicenceLineFn = void (*)(void* context, const char16_t* line);
void SplitLicenceText(std::span<const std::uint8_t> text, LicenceLineFn onLine, void* context);

}  // namespace qf
