// The installer's 8-bit texts are ISO 8859-1; qfpack's arguments and file names are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qfpack {

// UTF-8 narrowed to ISO 8859-1; nothing when a character lies outside it or the text is not
// UTF-8.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

std::string Latin1ToUtf8(std::string_view latin1);

// One of the installer's own texts (plain ASCII) for a message on the terminal.
std::string Narrow(std::u16string_view text);

}  // namespace qfpack
