#include "archive/archive_writer.h"

#include "archive/archive_format.h"
#include "base/bytes.h"

namespace qf {

namespace {

void PutName(std::vector<std::uint8_t>& out, std::string_view name) {
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
}

}  // namespace

std::vector<std::uint8_t> StartArchive() { return {ArchiveFormatByte, 0, 0, 0, 0}; }

void AppendDirectoryRecord(std::vector<std::uint8_t>& archive, std::string_view name) {
    archive.push_back(static_cast<std::uint8_t>(RecordType::Directory));
    AppendLe16(archive, static_cast<std::uint32_t>(name.size() + DirectoryRecordOverhead));
    PutName(archive, name);
}

void AppendFileRecord(std::vector<std::uint8_t>& archive, std::string_view name, std::span<const std::uint8_t> data) {
    archive.push_back(static_cast<std::uint8_t>(RecordType::File));
    AppendLe16(archive, static_cast<std::uint32_t>(name.size() + FileHeaderOverhead));
    AppendLe32(archive, static_cast<std::uint32_t>(data.size()));
    PutName(archive, name);
    archive.insert(archive.end(), data.begin(), data.end());
}

void FinishArchive(std::vector<std::uint8_t>& archive) {
    PutLe32(archive, ChecksumOffset, SumBytes(std::span(archive).subspan(ArchiveHeaderSize)));
}

}  // namespace qf
