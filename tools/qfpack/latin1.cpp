#include "latin1.h"

namespace qfpack {

std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            i += 1;
            continue;
        }
        if ((c & 0xE0) != 0xC0 || i + 1 >= utf8.size()) return std::nullopt;
        const auto c2 = static_cast<unsigned char>(utf8[i + 1]);
        if ((c2 & 0xC0) != 0x80) return std::nullopt;
        const unsigned code = (c & 0x1Fu) << 6 | (c2 & 0x3Fu);
        if (code < 0x80 || code > 0xFF) return std::nullopt;
        out.push_back(static_cast<char>(code));
        i += 2;
    }
    return out;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace qfpack
