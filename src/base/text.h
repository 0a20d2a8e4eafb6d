// Bounded operations on UTF-16 texts held in fixed buffers. Every function that writes takes
// the whole destination as a span and refuses, rather than cuts, a result that does not fit:
// a cut path is a different path.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace qf {

// One argument of FormatText: a text for %s or a 32-bit number for %d / %u.
struct FormatArg {
    FormatArg(std::u16string_view t) : text(t), isText(true) {}
    FormatArg(const char16_t* t) : text(t), isText(true) {}
    FormatArg(std::int32_t n) : number(static_cast<std::uint32_t>(n)), isSigned(true) {}
    FormatArg(std::uint32_t n) : number(n) {}

    std::u16string_view text;
    std::uint32_t number = 0;
    bool isText = false;
    bool isSigned = false;
};

// Length of a terminated text, without reading past the span.
std::size_t TextLength(std::span<const char16_t> buffer);

// Copies text into out with its terminator. False (and out empty) when it does not fit.
bool CopyText(std::span<char16_t> out, std::u16string_view text);

// Appends text to the terminated text in out. False (out unchanged) when it does not fit.
bool AppendText(std::span<char16_t> out, std::u16string_view text);

// As much of the pieces, one after the other, as fits with a terminator: for the message that
// refuses a path too long to use, never for the path itself.
void CopyWhatFits(std::span<char16_t> out, std::initializer_list<std::u16string_view> pieces);

// Formats fmt into out: %s takes a text argument, %d a number shown signed, %u unsigned, %%
// a percent sign. False (and out empty) when the result, terminator included, does not fit or
// the arguments do not match the format.
bool FormatText(std::span<char16_t> out, std::u16string_view fmt, std::initializer_list<FormatArg> args);

// folder, a backslash and name in out: the one way a path is joined. False (and out empty)
// when it does not fit.
bool JoinPath(std::span<char16_t> out, std::u16string_view folder, std::u16string_view name);

// ASCII-only case folding: only A-Z and a-z are treated as the same letter. In 8-bit text each
// byte counts as the UTF-16 unit of the same value, so no other letter of ISO 8859-1 folds.
char16_t AsciiLower(char16_t c);
bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);
bool EndsWithIgnoringAsciiCase(std::u16string_view text, std::u16string_view suffix);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);
// Whether a sorts before b once both are folded: byte values, compared unsigned.
bool LessIgnoringAsciiCase(std::string_view a, std::string_view b);

// Each byte becomes the UTF-16 unit of the same value (ISO 8859-1), no code page involved.
bool WidenBytes(std::span<char16_t> out, std::string_view bytes);

}  // namespace qf
