#include "settings/pe_image.h"

#include <algorithm>

#include "base/bytes.h"

namespace qf {

namespace {

constexpr std::uint32_t MzSignature = 0x5A4D;      // "MZ"
constexpr std::uint32_t PeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t Pe32Magic = 0x10B;
constexpr std::uint32_t Pe32PlusMagic = 0x20B;

// The end of everything the loader reads from the file: the headers and each section's data.
std::uint64_t LoadedDataEnd(const ByteView& image, const PeHeaders& headers) {
    std::uint64_t end = std::max<std::uint64_t>(image.U32(headers.optionalHeader + OptionalSizeOfHeaders),
                                                headers.sectionTable + SectionHeaderSize * headers.sectionCount);
    for (std::uint32_t i = 0; i < headers.sectionCount; ++i) {
        const std::uint64_t section = headers.sectionTable + SectionHeaderSize * i;
        const std::uint32_t rawSize = image.U32(section + SectionRawSize);
        if (rawSize != 0) end = std::max(end, std::uint64_t{image.U32(section + SectionRawOffset)} + rawSize);
    }
    return end;
}

std::uint32_t Checksum(std::span<const std::uint8_t> image, std::size_t field) {
    std::uint64_t sum = 0;  // no wrap: at most 2^31 words of at most 0xFFFF
    for (std::size_t i = 0; i + 1 < image.size(); i += 2) sum += GetLe16(&image[i]);
    if (image.size() % 2) sum += image.back();
    // The field counts as zeros; a byte at an odd offset is the high half of its word.
    for (std::size_t i = field; i < field + 4; ++i) sum -= std::uint64_t{image[i]} << (i % 2 * 8);
    while (sum > 0xFFFF) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + image.size());
}

}  // namespace

std::optional<PeHeaders> ReadPeHeaders(std::span<const std::uint8_t> bytes) {
    const ByteView image{bytes};
    if (!image.Has(0, MzHeaderSize) || image.U16(0) != MzSignature) return std::nullopt;
    const std::uint64_t pe = image.U32(PeHeaderOffsetField);
    if (!image.Has(pe, PeOptionalHeader) || image.U32(pe) != PeSignature) return std::nullopt;
    const std::uint32_t optionalSize = image.U16(pe + PeOptionalHeaderSize);
    const std::uint64_t optional = pe + PeOptionalHeader;
    if (!image.Has(optional, optionalSize) || optionalSize < 2) return std::nullopt;
    const std::uint32_t magic = image.U16(optional);
    if (magic != Pe32Magic && magic != Pe32PlusMagic) return std::nullopt;
    const std::uint32_t directories = magic == Pe32Magic ? Pe32DataDirectories : Pe32PlusDataDirectories;
    if (optionalSize < directories) return std::nullopt;

    PeHeaders headers{};
    headers.optionalHeader = optional;
    headers.checksumField = optional + OptionalChecksum;
    headers.dataDirectories = optional + directories;
    headers.directoryCount = std::min<std::uint32_t>(image.U32(optional + directories - sizeof(std::uint32_t)),
                                                     (optionalSize - directories) / DataDirectorySize);
    headers.sectionTable = optional + optionalSize;
    headers.sectionCount = image.U16(pe + PeSectionCount);
    if (!image.Has(headers.sectionTable, std::uint64_t{SectionHeaderSize} * headers.sectionCount)) return std::nullopt;
    return headers;
}

CertificateTable FindCertificateTable(std::span<const std::uint8_t> bytes) {
    const auto headers = ReadPeHeaders(bytes);
    if (!headers || headers->directoryCount <= CertificateTableDirectory) return {};
    const ByteView image{bytes};
    const std::uint64_t entry = headers->dataDirectories + DataDirectorySize * CertificateTableDirectory;
    const std::uint32_t offset = image.U32(entry);
    const std::uint32_t size = image.U32(entry + 4);
    if (size == 0) return {};
    // Cutting the file at the table must take nothing else with it.
    if (std::uint64_t{offset} + size != bytes.size() || offset < LoadedDataEnd(image, *headers))
        return {CertificateTableKind::Malformed};
    return {CertificateTableKind::AtEnd, offset, size};
}

std::size_t StripCertificateTable(std::span<std::uint8_t> image, const CertificateTable& table) {
    const auto headers = ReadPeHeaders(image);
    if (table.kind != CertificateTableKind::AtEnd || !headers || table.offset > image.size()) return image.size();
    const std::size_t entry = headers->dataDirectories + DataDirectorySize * CertificateTableDirectory;
    PutLe32(image, entry, 0);
    PutLe32(image, entry + 4, 0);
    // The headers end before the table (FindCertificateTable saw to it), so the field is kept.
    const auto kept = image.first(table.offset);
    if (ByteView{kept}.U32(headers->checksumField) != 0)
        PutLe32(image, headers->checksumField, Checksum(kept, headers->checksumField));
    return table.offset;
}

std::optional<std::uint32_t> ComputePeChecksum(std::span<const std::uint8_t> image) {
    const auto headers = ReadPeHeaders(image);
    if (!headers) return std::nullopt;
    return Checksum(image, headers->checksumField);
}

}  // namespace qf
