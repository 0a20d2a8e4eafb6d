// Writing archives in the format of archive_format.h: records appended to a byte vector, then
// the checksum stored. Pure; qfpack builds archives with it, and tests build their fixtures.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace qf {

// A new archive: the format byte and room for the checksum.
std::vector<std::uint8_t> StartArchive();

// The name is the record's name as stored (8-bit, '\' between components). The caller has
// checked it; these only encode.
void AppendDirectoryRecord(std::vector<std::uint8_t>& archive, std::string_view name);
void AppendFileRecord(std::vector<std::uint8_t>& archive, std::string_view name, std::span<const std::uint8_t> data);

// Stores the sum of every byte from offset 5 at offset 1.
void FinishArchive(std::vector<std::uint8_t>& archive);

}  // namespace qf
