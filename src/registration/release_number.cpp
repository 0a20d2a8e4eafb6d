#include "registration/release_number.h"

namespace qf {
namespace {

bool IsBlank(char32_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

template <typename Char>
std::int32_t ReadNumber(std::basic_string_view<Char> name) {
    std::size_t i = 0;
    while (i < name.size() && IsBlank(name[i])) ++i;
    bool negative = false;
    if (i < name.size() && (name[i] == Char('+') || name[i] == Char('-'))) {
        negative = name[i] == Char('-');
        ++i;
    }
    // The magnitude is kept in 64 bits and stops growing once it is past every 32-bit value.
    constexpr std::int64_t limit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; i < name.size() && name[i] >= Char('0') && name[i] <= Char('9'); ++i) {
        if (magnitude <= limit) magnitude = magnitude * 10 + (name[i] - Char('0'));
    }
    if (negative) return magnitude >= limit ? INT32_MIN : static_cast<std::int32_t>(-magnitude);
    return magnitude >= limit ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

}  // namespace

std::int32_t ReleaseNumber(std::string_view name) { return ReadNumber(name); }
std::int32_t ReleaseNumber(std::u16string_view name) { return ReadNumber(name); }

bool IsNewerRelease(std::int32_t number, std::int32_t than) {
    return static_cast<std::uint32_t>(number) > static_cast<std::uint32_t>(than);
}

}  // namespace qf
