#include "pe_resource.h"

#include "archive/archive_format.h"
#include "settings/pe_image.h"

namespace qfpack {

namespace {

using qf::ReadLe16;
using qf::ReadLe32;

constexpr std::uint32_t ResourceDirectory = 2;

struct Image {
    std::span<const std::uint8_t> bytes;
    bool Has(std::uint64_t offset, std::uint64_t size) const {
        return offset <= bytes.size() && size <= bytes.size() - offset;
    }
    std::uint32_t U16(std::uint64_t at) const { return Has(at, 2) ? ReadLe16(&bytes[at]) : 0; }
    std::uint32_t U32(std::uint64_t at) const { return Has(at, 4) ? ReadLe32(&bytes[at]) : 0; }
};

// The entry of a resource directory (at file offset dir) with the integer id, or the first
// entry when id is 0. Returns its offset-to-data field, or 0.
std::uint32_t DirectoryEntry(const Image& image, std::uint64_t dir, std::uint32_t id) {
    if (!image.Has(dir, 16)) return 0;
    const std::uint32_t named = image.U16(dir + 12);
    const std::uint32_t ids = image.U16(dir + 14);
    for (std::uint32_t i = 0; i < named + ids; ++i) {
        const std::uint64_t entry = dir + 16 + 8ull * i;
        if (!image.Has(entry, 8)) return 0;
        const std::uint32_t name = image.U32(entry);
        if (id == 0 || (i >= named && name == id)) return image.U32(entry + 4);
    }
    return 0;
}

}  // namespace

std::optional<std::span<const std::uint8_t>> FindResource(std::span<const std::uint8_t> bytes,
                                                          std::uint16_t type, std::uint16_t id) {
    const auto headers = qf::ReadPeHeaders(bytes);
    if (!headers || headers->directoryCount <= ResourceDirectory) return std::nullopt;
    const Image image{bytes};
    const std::uint32_t resourceRva = image.U32(headers->dataDirectories + 8 * ResourceDirectory);

    // File offset of an RVA through the section table.
    auto fileOffset = [&](std::uint32_t rva) -> std::optional<std::uint64_t> {
        for (std::uint32_t i = 0; i < headers->sectionCount; ++i) {
            const std::uint64_t s = headers->sectionTable + 40ull * i;
            const std::uint32_t virtualAddress = image.U32(s + 12);
            const std::uint32_t rawSize = image.U32(s + 16);
            const std::uint32_t rawOffset = image.U32(s + 20);
            if (rva >= virtualAddress && rva - virtualAddress < rawSize)
                return std::uint64_t{rawOffset} + (rva - virtualAddress);
        }
        return std::nullopt;
    };

    const auto root = fileOffset(resourceRva);
    if (!resourceRva || !root) return std::nullopt;
    std::uint32_t next = DirectoryEntry(image, *root, type);
    if (!(next & 0x80000000u)) return std::nullopt;
    next = DirectoryEntry(image, *root + (next & 0x7FFFFFFFu), id);
    if (!(next & 0x80000000u)) return std::nullopt;
    next = DirectoryEntry(image, *root + (next & 0x7FFFFFFFu), 0);
    if (!next || (next & 0x80000000u)) return std::nullopt;
    const std::uint64_t dataEntry = *root + next;
    const std::uint32_t dataRva = image.U32(dataEntry);
    const std::uint32_t size = image.U32(dataEntry + 4);
    const auto data = fileOffset(dataRva);
    if (!image.Has(dataEntry, 16) || !data || !image.Has(*data, size)) return std::nullopt;
    return bytes.subspan(*data, size);
}

}  // namespace qfpack
