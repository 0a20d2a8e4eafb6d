// The site-settings block that an installer carries in its own initialised data.
//
// Never customised (as built):
//   0        '0' (0x30), first byte of the 30-byte search key
//   1..29    rest of the search key, printable, no NUL
//   30..159  placeholder
//   160      NUL
//
// Customised (s = server length, d = documentation path length, each at most 79):
//   0                  lock mode: 0, 1, 2 with a server, 10 (NoServerMode) without
//   1..s               default server name, 8-bit text
//   s+1                NUL
//   s+2..s+d+1         documentation path, 8-bit text
//   s+d+2              NUL
//   s+d+3..160         the placeholder's tail, unchanged
//
// Two 79-byte texts fill the block exactly: 1 + 79 + 1 + 79 + 1 = 161.
//
// In the executable the block follows a 16-byte marker, which no customisation changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qf {

inline constexpr std::size_t SettingsBlockSize = 161;
inline constexpr std::size_t SettingsKeySize = 30;
inline constexpr std::size_t SettingsMarkerSize = 16;
inline constexpr std::size_t SettingsTextLimit = 79;  // bytes, without the NUL
inline constexpr std::size_t DecodedTextCapacity = 256;
inline constexpr std::uint8_t NotCustomisedMark = '0';
inline constexpr std::uint8_t NoServerMode = 10;

using SettingsBlock = std::span<const std::uint8_t, SettingsBlockSize>;

// This program's own block. Not const, so that the build keeps it verbatim in initialised data
// where a copy of the executable file can be found and patched.
extern std::uint8_t (&EmbeddedSettings)[SettingsBlockSize];
extern const std::uint8_t (&SettingsMarker)[SettingsMarkerSize];

bool IsCustomised(SettingsBlock block);

struct DecodedSettings {
    std::uint32_t mode = 0;
    char16_t server[DecodedTextCapacity] = {};
    char16_t docPath[DecodedTextCapacity] = {};
};

// Reads a customised block. Texts are widened byte for byte; nothing past the block is read.
DecodedSettings DecodeEmbeddedSettings(SettingsBlock block);

// Offset of the block in an executable image, found by the first 30 bytes of key (compared
// like strncmp: a NUL both hold at the same place ends the comparison as equal). Positions are
// tried while p < image size - 161.
std::optional<std::size_t> FindEmbeddedSettings(std::span<const std::uint8_t> image, std::span<const std::uint8_t> key);

// Why a patch was refused; the texts were checked before anything in the image changed.
enum class PatchResult {
    Patched,
    ServerTooLong,
    DocPathTooLong,
    TextHasNul,
    NoRoom,
};

PatchResult PatchEmbeddedSettings(std::span<std::uint8_t> image, std::size_t offset, std::uint8_t mode,
                                  std::string_view server, std::string_view docPath);

}  // namespace qf
