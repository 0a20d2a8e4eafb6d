// libFuzzer target over the release number of a registry key name, which anyone with the
// rights may have created. The 8-bit form must read like the C library's strtol in base 10,
// clamped to 32 bits whatever the size of long; the UTF-16 form must read a name as the 8-bit
// form reads it with every unit above ASCII replaced by a letter, so that no unit is taken for
// a digit, a sign or a blank by its low byte.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "registration/release_number.h"

namespace {

using fuzz::Check;

std::int32_t ByStrtoll(std::string_view name) {
    const std::string text(name.substr(0, name.find('\0')));
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name = fuzz::Bytes({data, size});
    Check(qf::ReleaseNumber(name) == ByStrtoll(name));

    const fuzz::Exact wide(fuzz::Utf16(name));
    std::string ascii;
    for (const char16_t unit : wide.View()) ascii.push_back(unit < 0x80 ? static_cast<char>(unit) : 'x');
    Check(qf::ReleaseNumber(wide.View()) == qf::ReleaseNumber(ascii));
    return 0;
}
