// Release keys: every subkey of the product family's key whose name reads as a number other
// than 0 is a release, named by its release number in decimal ("20191220"). Pure.
#pragma once

#include <cstdint>
#include <string_view>

namespace qf {

// The name read like strtol in base 10, but always 32-bit (long is 64-bit on Linux): optional
// leading white space, an optional sign, then decimal digits up to the first other character.
// No digits give 0; a value out of range is clamped to 2147483647 or -2147483648.
// The 8-bit form reads names as RegEnumKeyExA returns them, the UTF-16 form our own key name.
std::int32_t ReleaseNumber(std::string_view name);
std::int32_t ReleaseNumber(std::u16string_view name);

// Release numbers are compared as unsigned 32-bit numbers, so a negative one (a key named
// "-5") ranks above every positive one and counts as newer.
bool IsNewerRelease(std::int32_t number, std::int32_t than);

}  // namespace qf
