// Making a customised copy of the installer: checking the administrator's choices, naming the
// copy, and writing the choices into the copy's settings block. Pure; the customisation page and
// `qfpack customize` both go through it, so a script and the page make the same copy.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "settings/settings_block.h"

namespace qf {

struct CustomisationChoice {
    bool serverChosen = false;
    std::string_view server;         // 8-bit text, as the edit field gives it in the ANSI code page
    std::uint8_t lockSelection = 0;  // 0, 1 or 2
    bool docPathChosen = false;
    std::string_view docPath;
};

// The first refusal in the order the page checks: documentation path, server, nothing chosen.
enum class CustomisationRefusal {
    None,
    DocPathMissing,
    DocPathTooLong,
    ServerMissing,
    ServerTooLong,
    NothingChosen,
};
CustomisationRefusal ValidateCustomisation(const CustomisationChoice& choice);

// The block's mode byte: the lock selection with a server, 10 without one.
std::uint8_t CustomisationMode(const CustomisationChoice& choice);

// The running installer's file from the command line, as the customisation page reads it: the
// quoted path, or the text before the first blank, with ".exe" appended when it does not end so.
// Both return false when the path does not fit out; out then holds what fits, for the message
// that refuses it, never to be used as a path.
bool CustomisationOwnPath(std::u16string_view commandLine, std::span<char16_t> out);

// The copy's path: the own path less its last four characters, followed by "-custom.exe".
bool CustomisedCopyPath(std::u16string_view ownPath, std::span<char16_t> out);

// What became of an image that CustomiseImage was given.
enum class CustomiseOutcome {
    Made,                 // the copy is the image's first `length` bytes
    NoBlock,              // no never-customised block that takes the choice: nothing to copy
    SignatureNotDropped,  // a certificate table that cannot be dropped cleanly: no copy may be
                          // written, as it would carry a signature that no longer matches it
};

struct CustomiseResult {
    CustomiseOutcome outcome = CustomiseOutcome::NoBlock;
    std::size_t length = 0;  // Made: the copy's length
};

// Finds the never-customised block by key in a whole installer image and writes the choice
// into it. A signed image's signature would no longer match the changed bytes, so its
// certificate table is dropped (see pe_image.h): the copy is then shorter than the image.
// Unless a copy is made, the image is left as it was.
CustomiseResult CustomiseImage(std::span<std::uint8_t> image, std::span<const std::uint8_t> key,
                               const CustomisationChoice& choice);

// The offset of the settings block of any build's image, customised or not, found by the
// marker in front of it.
std::optional<std::size_t> LocateSettingsBlock(std::span<const std::uint8_t> image,
                                               std::span<const std::uint8_t> marker);

}  // namespace qf
