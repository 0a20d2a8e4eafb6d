#include "base/log_line.h"

#include <algorithm>

namespace qf {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The digits of number, width of them with leading zeros, at out; out has room for them.
void PutDigits(char* out, unsigned number, std::size_t width) {
    for (std::size_t i = width; i > 0; --i) {
        out[i - 1] = static_cast<char>('0' + number % 10);
        number /= 10;
    }
}

constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view CutMark = "...";
constexpr std::size_t TimeLength = 25;  // "2026-12-11 09:05:01.042  "

}  // namespace

std::size_t EncodeUtf8(std::span<char> out, std::u16string_view text, bool& whole) {
    std::size_t used = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            c = 0xFFFD;
        }
        char bytes[4];
        std::size_t length = 0;
        if (c < 0x80) {
            bytes[length++] = static_cast<char>(c);
        } else if (c < 0x800) {
            bytes[length++] = static_cast<char>(0xC0 | c >> 6);
            bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes[length++] = static_cast<char>(0xE0 | c >> 12);
            bytes[length++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes[length++] = static_cast<char>(0xF0 | c >> 18);
            bytes[length++] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
            bytes[length++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
        }
        if (out.size() - used < length) {
            whole = false;
            return used;
        }
        std::copy_n(bytes, length, out.data() + used);
        used += length;
        if (c >= 0x10000) ++i;
    }
    whole = true;
    return used;
}

std::size_t FormatLogLine(std::span<char> out, const LogTime& time, std::span<const std::u16string_view> parts) {
    if (out.size() < TimeLength + CutMark.size() + LineEnd.size()) return 0;
    char* line = out.data();
    PutDigits(line, time.year, 4);
    line[4] = '-';
    PutDigits(line + 5, time.month, 2);
    line[7] = '-';
    PutDigits(line + 8, time.day, 2);
    line[10] = ' ';
    PutDigits(line + 11, time.hour, 2);
    line[13] = ':';
    PutDigits(line + 14, time.minute, 2);
    line[16] = ':';
    PutDigits(line + 17, time.second, 2);
    line[19] = '.';
    PutDigits(line + 20, time.milliseconds, 3);
    line[23] = ' ';
    line[24] = ' ';
    std::size_t used = TimeLength;
    // Room is kept for the cut mark until the last part is in.
    const std::size_t room = out.size() - LineEnd.size();
    for (const std::u16string_view part : parts) {
        bool whole = false;
        used += EncodeUtf8(out.subspan(used, room - CutMark.size() - used), part, whole);
        if (!whole) {
            std::copy(CutMark.begin(), CutMark.end(), out.data() + used);
            used += CutMark.size();
            break;
        }
    }
    std::copy(LineEnd.begin(), LineEnd.end(), out.data() + used);
    return used + LineEnd.size();
}

}  // namespace qf
