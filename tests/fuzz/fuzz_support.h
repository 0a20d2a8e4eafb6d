// What the fuzz targets share: the check that stops a run, and the reading of fuzz input as text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace fuzz {

// A broken promise is a crash for libFuzzer, which then keeps the input.
inline void Check(bool holds) {
    if (!holds) std::abort();
}

inline std::string_view Bytes(std::span<const std::uint8_t> input) {
    return {reinterpret_cast<const char*>(input.data()), input.size()};
}

// A copy of a text in an allocation of exactly its size, so that AddressSanitizer stops any
// read past it; a view into a longer buffer, or a string's spare capacity, would let it pass.
template <typename Char>
class Exact {
public:
    explicit Exact(std::basic_string_view<Char> text) : units_(new Char[text.size()]), size_(text.size()) {
        std::copy(text.begin(), text.end(), units_.get());
    }
    std::basic_string_view<Char> View() const { return {units_.get(), size_}; }

private:
    std::unique_ptr<Char[]> units_;
    std::size_t size_;
};
template <typename Char>
Exact(std::basic_string<Char>) -> Exact<Char>;

// UTF-16 text from fuzz input: a well-formed two- or three-byte UTF-8 sequence gives its unit
// (surrogates included), any other byte the unit of the same value. Seeds stay readable text,
// and every unit a Windows path can hold stays reachable.
inline std::u16string Utf16(std::string_view bytes) {
    std::u16string text;
    auto tail = [&](std::size_t i) {
        return i < bytes.size() && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80;
    };
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if ((c & 0xE0) == 0xC0 && c >= 0xC2 && tail(i + 1)) {
            text.push_back(static_cast<char16_t>((c & 0x1F) << 6 | (bytes[i + 1] & 0x3F)));
            i += 2;
        } else if ((c & 0xF0) == 0xE0 && tail(i + 1) && tail(i + 2) &&
                   (c != 0xE0 || static_cast<unsigned char>(bytes[i + 1]) >= 0xA0)) {
            text.push_back(
                static_cast<char16_t>((c & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 | (bytes[i + 2] & 0x3F)));
            i += 3;
        } else {
            text.push_back(c);
            i += 1;
        }
    }
    return text;
}

}  // namespace fuzz
