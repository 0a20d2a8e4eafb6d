// Packing a directory tree into a payload archive, in the order the installer expects:
// depth first, each directory's entries (files and subdirectories together) sorted without
// regard to case, every directory's record ahead of its contents.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qfpack {

// Appends the tree's records to archive (started with qf::StartArchive). Returns an empty text
// on success, else why the tree cannot be installed safely; archive is then incomplete.
std::string PackTree(const std::filesystem::path& root, std::vector<std::uint8_t>& archive);

// A file name as the archive stores it: UTF-8 narrowed to ISO 8859-1. Empty when the name has
// a character the installer cannot write on Windows, or one outside 8-bit text.
std::string ArchiveComponent(const std::filesystem::path& fileName);

}  // namespace qfpack
