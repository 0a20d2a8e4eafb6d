// Windows executables made byte by byte for the tests and seeds of the code that reads them:
// the DOS header's "MZ" and its pointer, the PE and optional headers of a PE32 or PE32+ image
// with one section, and whichever further fields a test sets. Every other byte stays zero, so
// that an image carries only what its test means it to.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "le_bytes.h"

namespace support {

// The data directories the tests fill in.
inline constexpr std::size_t ResourceDirectory = 2;
inline constexpr std::size_t CertificateDirectory = 4;

// Where the fields lie in an image whose PE header ("PE\0\0") starts at headerAt.
struct PeLayout {
    bool plus = false;  // PE32+ rather than PE32
    std::uint32_t headerAt = 0x40;

    std::size_t OptionalHeader() const { return headerAt + 24; }
    std::uint32_t OptionalHeaderSize() const { return plus ? 240 : 224; }
    std::size_t HeadersSizeField() const { return OptionalHeader() + 60; }
    std::size_t ChecksumField() const { return OptionalHeader() + 64; }
    std::size_t DirectoryCountField() const { return OptionalHeader() + (plus ? 108 : 92); }
    std::size_t DirectoryEntry(std::size_t index) const { return OptionalHeader() + (plus ? 112 : 96) + 8 * index; }
    std::size_t SectionHeader() const { return OptionalHeader() + OptionalHeaderSize(); }
};

struct PeSection {
    std::string_view name;  // at most 8 characters
    std::uint32_t address;
    std::uint32_t size;  // in memory and in the file alike
    std::uint32_t fileOffset;
};

// `size` bytes holding the headers of the layout and its one section, and no data directories
// (their count is 0 until the caller sets it).
inline std::vector<std::uint8_t> PeHeaders(const PeLayout& layout, std::size_t size, const PeSection& section) {
    std::vector<std::uint8_t> image(size, 0);
    Put16(image, 0, 0x5A4D);  // "MZ"
    Put32(image, 0x3C, layout.headerAt);
    const std::size_t pe = layout.headerAt;
    Put32(image, pe, 0x00004550);  // "PE\0\0"
    Put16(image, pe + 4, layout.plus ? 0x8664 : 0x14C);
    Put16(image, pe + 6, 1);
    Put16(image, pe + 20, layout.OptionalHeaderSize());
    Put16(image, layout.OptionalHeader(), layout.plus ? 0x20B : 0x10B);
    const std::size_t header = layout.SectionHeader();
    CheckField(image.size(), header, 40);
    std::copy_n(section.name.begin(), std::min<std::size_t>(section.name.size(), 8), image.begin() + header);
    Put32(image, header + 8, section.size);
    Put32(image, header + 12, section.address);
    Put32(image, header + 16, section.size);
    Put32(image, header + 20, section.fileOffset);
    return image;
}

inline void SetDirectory(std::span<std::uint8_t> image, const PeLayout& layout, std::size_t index, std::uint32_t where,
                         std::uint32_t size) {
    Put32(image, layout.DirectoryEntry(index), where);
    Put32(image, layout.DirectoryEntry(index) + 4, size);
}

// A certificate table of `size` bytes of 0xA5 after the image, which the certificate
// directory names (the caller has made the directories count).
inline void AppendCertificateTable(std::vector<std::uint8_t>& image, const PeLayout& layout, std::uint32_t size) {
    SetDirectory(image, layout, CertificateDirectory, static_cast<std::uint32_t>(image.size()), size);
    image.resize(image.size() + size, 0xA5);
}

// --- The small image of the checksum and certificate table tests -----------------------------
// The headers in the first 0x200 bytes, one section of 0x200 bytes of data after them, and an
// optional certificate table after that.

// Set, so that it must be computed anew, and wrong, with every byte of it counting.
inline constexpr std::uint32_t StaleChecksum = 0x89ABCDEF;

inline constexpr std::uint32_t SectionAt = 0x200;
inline constexpr std::uint32_t TableAt = 0x400;

struct PeShape {
    bool plus = false;                       // PE32+ rather than PE32
    std::uint32_t headerAt = 0x40;           // where "PE\0\0" is
    std::uint32_t checksum = StaleChecksum;  // 0: not set
    std::uint32_t tableSize = 0;             // 0: unsigned

    PeLayout Layout() const { return {plus, headerAt}; }
    std::size_t CertificateEntry() const { return Layout().DirectoryEntry(CertificateDirectory); }
};

inline std::vector<std::uint8_t> PeImage(const PeShape& shape) {
    const PeLayout layout = shape.Layout();
    std::vector<std::uint8_t> image = PeHeaders(layout, TableAt, {".d", 0x1000, 0x200, SectionAt});
    Put32(image, layout.HeadersSizeField(), SectionAt);
    Put32(image, layout.ChecksumField(), shape.checksum);
    Put32(image, layout.DirectoryCountField(), 16);
    for (std::size_t i = SectionAt; i < TableAt; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    if (shape.tableSize) AppendCertificateTable(image, layout, shape.tableSize);
    return image;
}

}  // namespace support
