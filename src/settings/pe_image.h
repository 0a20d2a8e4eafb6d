// The headers of a Windows executable file (PE32 or PE32+) as far as a copy of the installer
// needs them: where its certificate table is, how to drop it, and the header checksum. Pure;
// the customisation page, qfpack and the unit tests share it. Every read is bounded by the
// image: a field that does not lie wholly inside it makes the headers unreadable.
//
//   0x00            "MZ"
//   0x3C            u32le offset of the PE header (p)
//   p               "PE\0\0"
//   p + 6           u16le number of sections
//   p + 20          u16le size of the optional header
//   p + 24 (o)      optional header: u16le magic, 0x10B for PE32, 0x20B for PE32+
//   o + 60          u32le size of the headers in the file
//   o + 64          u32le checksum (0: not set); the same place in both kinds
//   o + 92 / 108    u32le number of data directories (PE32 / PE32+)
//   o + 96 / 112    data directories, 8 bytes each: u32le address, u32le size
//   o + size        section table, 40 bytes a section: +12 u32le address in memory (RVA),
//                   +16 u32le size in the file, +20 u32le offset in the file
//
// Data directory 2 is the resource table, 4 the certificate table. Unlike the others, the
// certificate table's address is a file offset: the Authenticode signature, outside every
// section, normally at the end of the file.
//
// The checksum: the file taken as 16-bit little-endian words (an odd last byte padded with a
// zero), the checksum field itself as zeros, added with the carry wrapped around into 16 bits;
// then the file's length added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qf {

struct PeHeaders {
    std::size_t optionalHeader;  // file offsets
    std::size_t checksumField;
    std::size_t dataDirectories;
    std::uint32_t directoryCount;  // as many as both the count field and the optional header allow
    std::size_t sectionTable;      // wholly inside the image
    std::uint32_t sectionCount;
};

// Where the PE header is, and its fields from its start (p above).
inline constexpr std::uint32_t MzHeaderSize = 0x40;
inline constexpr std::uint32_t PeHeaderOffsetField = 0x3C;  // u32le, in the MZ header
inline constexpr std::uint32_t PeSectionCount = 6;          // u16le
inline constexpr std::uint32_t PeOptionalHeaderSize = 20;   // u16le
inline constexpr std::uint32_t PeOptionalHeader = 24;       // after the signature and file header

// The optional header's fields, from its start (o above).
inline constexpr std::uint32_t OptionalSizeOfHeaders = 60;  // u32le
inline constexpr std::uint32_t OptionalChecksum = 64;       // u32le
inline constexpr std::uint32_t Pe32DataDirectories = 96;    // each kind's u32le count just before
inline constexpr std::uint32_t Pe32PlusDataDirectories = 112;

inline constexpr std::uint32_t DataDirectorySize = 8;
inline constexpr std::uint32_t ResourceTableDirectory = 2;
inline constexpr std::uint32_t CertificateTableDirectory = 4;

// A section header's fields, from its start in the section table.
inline constexpr std::uint32_t SectionHeaderSize = 40;
inline constexpr std::uint32_t SectionVirtualAddress = 12;  // u32le, of the section in memory
inline constexpr std::uint32_t SectionRawSize = 16;         // u32le, of its data in the file
inline constexpr std::uint32_t SectionRawOffset = 20;       // u32le, of its data in the file

// Nothing when the image is not a PE32 or PE32+ image whose headers and section table lie
// inside it.
std::optional<PeHeaders> ReadPeHeaders(std::span<const std::uint8_t> image);

enum class CertificateTableKind {
    None,       // no readable PE headers, or an empty certificate directory
    AtEnd,      // a table after the headers and every section's data, ending the file
    Malformed,  // a table outside the file, over the headers or a section, or followed by data
};

struct CertificateTable {
    CertificateTableKind kind = CertificateTableKind::None;
    std::size_t offset = 0;  // AtEnd: where the table starts, the image's length without it
    std::size_t size = 0;
};

CertificateTable FindCertificateTable(std::span<const std::uint8_t> image);

// Drops a table that FindCertificateTable found AtEnd: its directory entry becomes zero and the
// checksum, when set, is computed anew over the image without the table. Returns that length;
// the bytes from it on are no longer part of the image.
std::size_t StripCertificateTable(std::span<std::uint8_t> image, const CertificateTable& table);

// The checksum the image's headers should hold, whatever they hold; nothing without headers.
std::optional<std::uint32_t> ComputePeChecksum(std::span<const std::uint8_t> image);

}  // namespace qf
