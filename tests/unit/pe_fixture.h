// A small PE image for the tests of code that reads PE headers: the headers in the first 0x200
// bytes, one section of 0x200 bytes of data after them, and an optional certificate table after
// that, which the certificate directory (entry 4) names.
#pragma once

#include <cstdint>
#include <vector>

namespace fixture {

// Set, so that it must be computed anew, and wrong, with every byte of it counting.
inline constexpr std::uint32_t StaleChecksum = 0x89ABCDEF;

struct PeShape {
    bool plus = false;                       // PE32+ rather than PE32
    std::uint32_t headerAt = 0x40;           // where "PE\0\0" is
    std::uint32_t checksum = StaleChecksum;  // 0: not set
    std::uint32_t tableSize = 0;             // 0: unsigned
};

inline constexpr std::uint32_t SectionAt = 0x200;
inline constexpr std::uint32_t TableAt = 0x400;

inline void Put32(std::vector<std::uint8_t>& image, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint32_t Get32(const std::vector<std::uint8_t>& image, std::size_t at) {
    return image[at] | image[at + 1] << 8 | image[at + 2] << 16 | static_cast<std::uint32_t>(image[at + 3]) << 24;
}

// Offsets into the image of the shape.
inline std::size_t OptionalHeader(const PeShape& shape) { return shape.headerAt + 24; }
inline std::size_t ChecksumField(const PeShape& shape) { return OptionalHeader(shape) + 64; }
inline std::size_t CertificateEntry(const PeShape& shape) {
    return OptionalHeader(shape) + (shape.plus ? 112 : 96) + 4 * 8;
}

inline std::vector<std::uint8_t> PeImage(const PeShape& shape) {
    std::vector<std::uint8_t> image(TableAt + shape.tableSize, 0);
    image[0] = 'M', image[1] = 'Z';
    Put32(image, 0x3C, shape.headerAt);
    const std::size_t pe = shape.headerAt, optional = OptionalHeader(shape);
    const std::uint32_t optionalSize = shape.plus ? 240 : 224;
    image[pe] = 'P', image[pe + 1] = 'E';
    image[pe + 4] = shape.plus ? 0x64 : 0x4C, image[pe + 5] = shape.plus ? 0x86 : 0x01;  // machine
    image[pe + 6] = 1;                                                                   // one section
    image[pe + 20] = static_cast<std::uint8_t>(optionalSize);
    image[optional] = 0x0B, image[optional + 1] = shape.plus ? 0x02 : 0x01;
    Put32(image, optional + 60, SectionAt);  // size of the headers
    Put32(image, ChecksumField(shape), shape.checksum);
    Put32(image, optional + (shape.plus ? 108 : 92), 16);  // data directories
    if (shape.tableSize) {
        Put32(image, CertificateEntry(shape), TableAt);
        Put32(image, CertificateEntry(shape) + 4, shape.tableSize);
    }
    const std::size_t section = optional + optionalSize;
    image[section] = '.', image[section + 1] = 'd';
    Put32(image, section + 8, 0x200);       // size in memory
    Put32(image, section + 12, 0x1000);     // address
    Put32(image, section + 16, 0x200);      // size in the file
    Put32(image, section + 20, SectionAt);  // offset in the file
    for (std::size_t i = SectionAt; i < TableAt; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    for (std::size_t i = TableAt; i < image.size(); ++i) image[i] = 0xA5;
    return image;
}

}  // namespace fixture
