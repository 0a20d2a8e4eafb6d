// The decisions extraction takes that need no Windows call: the path each record is written
// to, when the page repaints, which file gets the desktop shortcut and where it starts. Pure.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qf {

// Any file whose path ends in these letters gets the desktop shortcut, dot or not.
inline constexpr char16_t ExecutableSuffix[] = u"EXE";

// Whether the page repaints before the next file; filesBefore is ExtractedFileCount before it
// counts that file. True for the 1st, 14th, 27th ... file.
bool RepaintsBeforeFile(std::uint32_t filesBefore);

// The last three characters are "EXE", folding only A-Z.
bool IsClientExecutable(std::u16string_view path);

// The folder a file was written to: its path up to its last backslash. For the client,
// "qfmgr.exe", that is the path without its last ten characters.
std::u16string_view ContainingFolder(std::u16string_view path);

// JoinPath for a name as the archive stores it, each byte widened to the unit of the same
// value. A result that does not fit is refused: false, out empty.
bool JoinArchiveName(std::span<char16_t> out, std::u16string_view folder, std::string_view name);

// For the message about a path JoinArchiveName refused: as much of it as fits in out, ending
// in "..." when cut. Only ever shown, never used as a path.
void JoinArchiveNameForMessage(std::span<char16_t> out, std::u16string_view folder, std::string_view name);

}  // namespace qf
