// The lines of an unattended run's log: its local time to the millisecond, then the text in
// UTF-8, so that any path reads as it is named. Pure; the log file itself is run_log_win.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qf {

struct LogTime {
    std::uint16_t year;
    std::uint16_t month;
    std::uint16_t day;
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
    std::uint16_t milliseconds;
};

// Room for one line: the longest path the installer uses three times over and the system's
// text for an error.
inline constexpr std::size_t LogLineCapacity = 8192;

// "2026-12-11 09:05:01.042  " and the parts one after another, in UTF-8, then CR LF, into out.
// A text that does not fit is cut at a character's boundary and ends in "...". The count of
// bytes written; 0 only when out cannot hold the time and the line's end.
std::size_t FormatLogLine(std::span<char> out, const LogTime& time, std::span<const std::u16string_view> parts);

// The UTF-8 of text, as many whole characters as fit into out; a surrogate without its pair
// becomes U+FFFD. The count of bytes written; whole says whether all of text went in.
std::size_t EncodeUtf8(std::span<char> out, std::u16string_view text, bool& whole);

}  // namespace qf
