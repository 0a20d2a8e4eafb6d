// The payload archive: its byte format, its checksum and the walk over its records. Pure; the
// installer, qfpack and the fuzz target all read archives through this file.
//
//   offset 0   u8    format byte, 3 (never read)
//   offset 1   u32le ArchiveChecksum: sum of every byte from offset 5 to the end, mod 2^32
//   offset 5   records, back to back, up to the end of the archive; no count, no terminator
//
//   FileRecord (type 1), name of n bytes, S data bytes:
//     +0 u8 1 | +1 u16le header length n + 8 | +3 u32le S | +7 name, NUL | +n+8 data (S bytes)
//   DirectoryRecord (type 3), name of n bytes:
//     +0 u8 3 | +1 u16le record length n + 4 | +3 name, NUL
//
// All fields little-endian and unaligned. Names are relative paths with '\' between components,
// 8-bit text read as ISO 8859-1. A file's data begins after its name's NUL; the header length
// only bounds the name scan. A directory record advances by its stored length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qf {

inline constexpr std::uint32_t ArchiveHeaderSize = 5;
inline constexpr std::uint8_t ArchiveFormatByte = 3;
inline constexpr std::uint32_t ChecksumOffset = 1;
inline constexpr std::uint32_t VerifyRepaintInterval = 112'323;
inline constexpr std::uint32_t FileRepaintInterval = 13;

enum class RecordType : std::uint8_t {
    File = 1,
    Directory = 3,
};

// Where a record's fields lie from its type byte.
inline constexpr std::uint32_t RecordLengthOffset = 1;   // u16le, both kinds
inline constexpr std::uint32_t FileSizeOffset = 3;       // u32le
inline constexpr std::uint32_t FileNameOffset = 7;       // type, length, size
inline constexpr std::uint32_t DirectoryNameOffset = 3;  // type, length

inline constexpr std::uint32_t FileHeaderOverhead = 8;       // type, length, size, NUL
inline constexpr std::uint32_t DirectoryRecordOverhead = 4;  // type, length, NUL

// The longest name the installer's path buffers can take below a 100-character directory:
// directory, '\', name and terminator in 256 units.
inline constexpr std::size_t MaxArchiveNameLength = 154;

// Sum of the bytes as unsigned values, mod 2^32. Vectorised.
std::uint32_t SumBytes(std::span<const std::uint8_t> bytes);

// The stored checksum; the archive must hold at least the header.
std::uint32_t StoredChecksum(std::span<const std::uint8_t> archive);

// Verifies the checksum in one forward pass. Before adding the byte at each offset that is a
// multiple of VerifyRepaintInterval, calls onRepaint(context, offset) so the caller can show
// progress. An archive shorter than its header is corrupted.
using VerifyProgressFn = void (*)(void* context, std::uint32_t offset);
bool VerifyArchive(std::span<const std::uint8_t> archive, VerifyProgressFn onRepaint, void* context);

// A name that stays inside the installation directory and names a file there: not empty, no
// leading separator, every component safe (IsSafeArchiveComponent), and a first component that
// is not the uninstaller's (IsUninstallerName). '\' and '/' both separate.
bool IsSafeArchiveName(std::string_view name);

// One component of a name, at any depth: not empty, no drive or stream colon, not ending in a
// dot or a blank (Windows drops those, so ".. " would become ".."; this covers "." and ".." too),
// and not a device name.
bool IsSafeArchiveComponent(std::string_view component);

// Whether a component at the top of the installation directory would be the registered
// uninstaller or the copy that replaces it (qfsetup.exe, qfsetup.tmp), in any case and with the
// trailing dots and blanks Windows drops. Extracting it would write over the uninstaller, and the
// registered uninstall command would then fail to start.
bool IsUninstallerName(std::string_view component);

// Whether Windows takes a path component (8-bit text) for a device rather than a file: CON,
// PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (also with the superscript digits 1, 2, 3), CONIN$ and
// CONOUT$, in any case, with any extension and blanks before it ("nul.txt", "Com1 .log").
bool IsDeviceName(std::string_view component);

struct ArchiveRecord {
    RecordType type;
    std::string_view name;               // without its NUL
    std::span<const std::uint8_t> data;  // files only
    std::uint32_t offset;                // of the record's type byte
};

enum class WalkStep {
    Record,
    End,
    Corrupted,
};

// Position of a walk over an archive. Start at ArchiveHeaderSize.
struct ArchiveWalk {
    std::span<const std::uint8_t> archive;
    std::uint32_t position = ArchiveHeaderSize;
};

// Reads the record at the walk's position and advances past it. Never reads past the archive
// and always advances: anything that would (unknown type, truncated header, name or data past
// the end, a length field below its minimum, an unsafe name) is Corrupted.
WalkStep NextRecord(ArchiveWalk& walk, ArchiveRecord& record);

}  // namespace qf
