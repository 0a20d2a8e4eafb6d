// Little-endian numbers in the bytes the tests build and check. Written apart from the
// program's own helpers (src/base/bytes.h) on purpose: a fault there must not be repeated in
// the images made to catch it. A field that does not fit is a fault of the test, which stops
// the test program rather than write past the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace support {

inline void CheckField(std::size_t size, std::size_t at, std::size_t width) {
    if (size < width || at > size - width) std::abort();
}

// The lowest 2 or 4 bytes of value, lowest first, at bytes[at].
inline void Put16(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    CheckField(bytes.size(), at, 2);
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void Put32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    CheckField(bytes.size(), at, 4);
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint32_t Get16(std::span<const std::uint8_t> bytes, std::size_t at) {
    CheckField(bytes.size(), at, 2);
    return bytes[at] | static_cast<std::uint32_t>(bytes[at + 1]) << 8;
}

inline std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t at) {
    CheckField(bytes.size(), at, 4);
    return Get16(bytes, at) | Get16(bytes, at + 2) << 16;
}

}  // namespace support
