#include "archive/archive_writer.h"

#include "archive/archive_format.h"

namespace qf {

namespace {

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutName(std::vector<std::uint8_t>& out, std::string_view name) {
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
}

}  // namespace

std::vector<std::uint8_t> StartArchive() { return {ArchiveFormatByte, 0, 0, 0, 0}; }

void AppendDirectoryRecord(std::vector<std::uint8_t>& archive, std::string_view name) {
    archive.push_back(static_cast<std::uint8_t>(RecordType::Directory));
    PutLe(archive, static_cast<std::uint32_t>(name.size() + DirectoryRecordOverhead), 2);
    PutName(archive, name);
}

void AppendFileRecord(std::vector<std::uint8_t>& archive, std::string_view name,
                      std::span<const std::uint8_t> data) {
    archive.push_back(static_cast<std::uint8_t>(RecordType::File));
    PutLe(archive, static_cast<std::uint32_t>(name.size() + FileHeaderOverhead), 2);
    PutLe(archive, static_cast<std::uint32_t>(data.size()), 4);
    PutName(archive, name);
    archive.insert(archive.end(), data.begin(), data.end());
}

void FinishArchive(std::vector<std::uint8_t>& archive) {
    const std::uint32_t sum = SumBytes(std::span(archive).subspan(ArchiveHeaderSize));
    for (int i = 0; i < 4; ++i) archive[1 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
}

}  // namespace qf
