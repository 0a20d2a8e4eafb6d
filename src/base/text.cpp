#include "base/text.h"

#include <algorithm>

namespace qf {

std::size_t TextLength(std::span<const char16_t> buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), u'\0');
    return static_cast<std::size_t>(end - buffer.begin());
}

bool CopyText(std::span<char16_t> out, std::u16string_view text) {
    if (out.empty()) return false;
    if (text.size() >= out.size()) {
        out[0] = u'\0';
        return false;
    }
    std::copy(text.begin(), text.end(), out.begin());
    out[text.size()] = u'\0';
    return true;
}

bool AppendText(std::span<char16_t> out, std::u16string_view text) {
    const std::size_t used = TextLength(out);
    if (used >= out.size() || text.size() >= out.size() - used) return false;
    std::copy(text.begin(), text.end(), out.begin() + static_cast<std::ptrdiff_t>(used));
    out[used + text.size()] = u'\0';
    return true;
}

void CopyWhatFits(std::span<char16_t> out, std::initializer_list<std::u16string_view> pieces) {
    if (out.empty()) return;
    std::size_t n = 0;
    for (const std::u16string_view piece : pieces)
        for (const char16_t c : piece)
            if (n + 1 < out.size()) out[n++] = c;
    out[n] = u'\0';
}

namespace {

// Decimal digits of n, most significant first, into digits; returns their count.
std::size_t Decimal(std::uint32_t n, char16_t (&digits)[10]) {
    char16_t reversed[10];
    std::size_t count = 0;
    do {
        reversed[count++] = static_cast<char16_t>(u'0' + n % 10);
        n /= 10;
    } while (n != 0);
    for (std::size_t i = 0; i < count; ++i) digits[i] = reversed[count - 1 - i];
    return count;
}

}  // namespace

bool FormatText(std::span<char16_t> out, std::u16string_view fmt, std::initializer_list<FormatArg> args) {
    if (out.empty()) return false;
    std::size_t used = 0;
    auto put = [&](std::u16string_view piece) {
        if (piece.size() >= out.size() - used) return false;
        std::copy(piece.begin(), piece.end(), out.begin() + static_cast<std::ptrdiff_t>(used));
        used += piece.size();
        return true;
    };
    auto arg = args.begin();
    bool ok = true;
    for (std::size_t i = 0; ok && i < fmt.size(); ++i) {
        if (fmt[i] != u'%' || i + 1 == fmt.size()) {
            ok = put(fmt.substr(i, 1));
            continue;
        }
        const char16_t conversion = fmt[++i];
        if (conversion == u'%') {
            ok = put(u"%");
        } else if (arg == args.end()) {
            ok = false;
        } else if (conversion == u's' && arg->isText) {
            ok = put((arg++)->text);
        } else if ((conversion == u'd' || conversion == u'u') && !arg->isText) {
            std::uint32_t n = arg->number;
            const bool negative = conversion == u'd' && static_cast<std::int32_t>(n) < 0;
            if (negative) {
                ok = put(u"-");
                n = 0u - n;
            }
            char16_t digits[10];
            const std::size_t count = Decimal(n, digits);
            ok = ok && put(std::u16string_view(digits, count));
            ++arg;
        } else {
            ok = false;
        }
    }
    ok = ok && arg == args.end();
    out[ok ? used : 0] = u'\0';
    return ok;
}

bool JoinPath(std::span<char16_t> out, std::u16string_view folder, std::u16string_view name) {
    return FormatText(out, u"%s\\%s", {folder, name});
}

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char16_t x, char16_t y) { return AsciiLower(x) == AsciiLower(y); });
}

bool EndsWithIgnoringAsciiCase(std::u16string_view text, std::u16string_view suffix) {
    return text.size() >= suffix.size() && EqualsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

namespace {

char16_t ByteLower(char c) { return AsciiLower(static_cast<unsigned char>(c)); }

}  // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ByteLower(x) == ByteLower(y); });
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool LessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return ByteLower(x) < ByteLower(y); });
}

bool WidenBytes(std::span<char16_t> out, std::string_view bytes) {
    if (out.empty()) return false;
    if (bytes.size() >= out.size()) {
        out[0] = u'\0';
        return false;
    }
    std::size_t i = 0;
    for (const char b : bytes) out[i++] = static_cast<unsigned char>(b);
    out[i] = u'\0';
    return true;
}

}  // namespace qf
