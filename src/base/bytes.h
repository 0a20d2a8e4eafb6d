// Little-endian fields in byte buffers: getting and putting them, and a view that reads them
// only where they lie wholly inside its bytes. The payload archive and the executable's headers
// and resources store their numbers so: unaligned, lowest byte first, whatever the machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qf {

// The caller has checked that the 2 or 4 bytes at p are there.
constexpr std::uint32_t GetLe16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}

constexpr std::uint32_t GetLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The 4 bytes at out[at] become value; the caller has checked that they are there.
constexpr void PutLe32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The lowest 2 or 4 bytes of value, appended.
inline void AppendLe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    AppendLe16(out, value);
    AppendLe16(out, value >> 16);
}

// Bytes read by offset, for formats whose offsets come from the bytes themselves. A field that
// does not lie wholly inside reads as 0, so a walk over a malformed file finds nothing rather
// than reading past it. Offsets are 64-bit, so that no sum of a 32-bit offset and a 32-bit
// size can wrap.
struct ByteView {
    std::span<const std::uint8_t> bytes;

    constexpr bool Has(std::uint64_t offset, std::uint64_t size) const {
        return offset <= bytes.size() && size <= bytes.size() - offset;
    }
    constexpr std::uint32_t U16(std::uint64_t at) const { return Has(at, 2) ? GetLe16(bytes.data() + at) : 0; }
    constexpr std::uint32_t U32(std::uint64_t at) const { return Has(at, 4) ? GetLe32(bytes.data() + at) : 0; }
};

}  // namespace qf
