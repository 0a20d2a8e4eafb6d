// The resource table, as far as this reader walks it. Every offset inside it counts from the
// table's start (the root directory); addresses are RVAs, mapped to the file through the section
// table (settings/pe_image.h). All fields little-endian.
//
//   directory, 16 bytes, then its entries
//     +12  u16  number of entries with a name
//     +14  u16  number of entries with an integer id (after the named ones)
//     +16  entries, 8 bytes each:
//            +0  u32  the id, or for a named entry the offset of its name
//            +4  u32  with the high bit set: the offset of the next level's directory;
//                     without it: the offset of a data entry
//   data entry, 16 bytes
//     +0   u32  RVA of the resource's bytes
//     +4   u32  their size
//
// Three levels: type, then id, then language; each leads to a directory but the last, which
// leads to a data entry.
#include "pe_resource.h"

#include "base/bytes.h"
#include "settings/pe_image.h"

namespace qfpack {

namespace {

constexpr std::uint32_t DirectoryHeaderSize = 16;
constexpr std::uint32_t NamedEntryCountOffset = 12;
constexpr std::uint32_t IdEntryCountOffset = 14;
constexpr std::uint32_t EntrySize = 8;
constexpr std::uint32_t EntryTargetOffset = 4;
constexpr std::uint32_t SubdirectoryFlag = 0x8000'0000;
constexpr std::uint32_t DataEntrySize = 16;
constexpr std::uint32_t DataEntrySizeOffset = 4;

// The entry of a resource directory (at file offset dir) with the integer id, or the first
// entry when id is 0. Returns its target field, or 0.
std::uint32_t DirectoryEntry(const qf::ByteView& image, std::uint64_t dir, std::uint32_t id) {
    if (!image.Has(dir, DirectoryHeaderSize)) return 0;
    const std::uint32_t named = image.U16(dir + NamedEntryCountOffset);
    const std::uint32_t ids = image.U16(dir + IdEntryCountOffset);
    for (std::uint32_t i = 0; i < named + ids; ++i) {
        const std::uint64_t entry = dir + DirectoryHeaderSize + std::uint64_t{EntrySize} * i;
        if (!image.Has(entry, EntrySize)) return 0;
        const std::uint32_t name = image.U32(entry);
        if (id == 0 || (i >= named && name == id)) return image.U32(entry + EntryTargetOffset);
    }
    return 0;
}

bool IsSubdirectory(std::uint32_t target) { return (target & SubdirectoryFlag) != 0; }

std::uint32_t TargetOffset(std::uint32_t target) { return target & ~SubdirectoryFlag; }

}  // namespace

std::optional<std::span<const std::uint8_t>> FindResource(std::span<const std::uint8_t> bytes, std::uint16_t type,
                                                          std::uint16_t id) {
    const auto headers = qf::ReadPeHeaders(bytes);
    if (!headers || headers->directoryCount <= qf::ResourceTableDirectory) return std::nullopt;
    const qf::ByteView image{bytes};
    const std::uint32_t resourceRva =
        image.U32(headers->dataDirectories + qf::DataDirectorySize * qf::ResourceTableDirectory);

    // File offset of an RVA through the section table.
    auto fileOffset = [&](std::uint32_t rva) -> std::optional<std::uint64_t> {
        for (std::uint32_t i = 0; i < headers->sectionCount; ++i) {
            const std::uint64_t s = headers->sectionTable + std::uint64_t{qf::SectionHeaderSize} * i;
            const std::uint32_t virtualAddress = image.U32(s + qf::SectionVirtualAddress);
            const std::uint32_t rawSize = image.U32(s + qf::SectionRawSize);
            const std::uint32_t rawOffset = image.U32(s + qf::SectionRawOffset);
            if (rva >= virtualAddress && rva - virtualAddress < rawSize)
                return std::uint64_t{rawOffset} + (rva - virtualAddress);
        }
        return std::nullopt;
    };

    const auto root = fileOffset(resourceRva);
    if (!resourceRva || !root) return std::nullopt;
    std::uint32_t next = DirectoryEntry(image, *root, type);
    if (!IsSubdirectory(next)) return std::nullopt;
    next = DirectoryEntry(image, *root + TargetOffset(next), id);
    if (!IsSubdirectory(next)) return std::nullopt;
    next = DirectoryEntry(image, *root + TargetOffset(next), 0);
    if (!next || IsSubdirectory(next)) return std::nullopt;
    const std::uint64_t dataEntry = *root + next;
    const std::uint32_t dataRva = image.U32(dataEntry);
    const std::uint32_t size = image.U32(dataEntry + DataEntrySizeOffset);
    const auto data = fileOffset(dataRva);
    if (!image.Has(dataEntry, DataEntrySize) || !data || !image.Has(*data, size)) return std::nullopt;
    return bytes.subspan(*data, size);
}

}  // namespace qfpack
