#include "registration/uninstall_entry.h"

#include <algorithm>
#include <limits>

#include "archive/archive_format.h"

namespace qf {

std::uint32_t InstalledSizeKiB(std::span<const std::uint8_t> archive, std::uint32_t uninstallerBytes) {
    std::uint64_t bytes = uninstallerBytes;
    ArchiveWalk walk{archive};
    ArchiveRecord record;
    while (NextRecord(walk, record) == WalkStep::Record) bytes += record.data.size();
    const std::uint64_t kib = (bytes + 1023) / 1024;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(kib, std::numeric_limits<std::uint32_t>::max()));
}

bool FormatInstallDate(std::uint32_t year, std::uint32_t month, std::uint32_t day, std::span<char16_t> out) {
    // Digits from the right: the day's two, the month's two, then the year's, at least four
    // (ten at most each).
    char16_t digits[30];
    std::size_t count = 0;
    const auto put = [&](std::uint32_t number, std::size_t width) {
        for (std::size_t i = 0; i < width || number != 0; ++i, number /= 10)
            digits[count++] = static_cast<char16_t>(u'0' + number % 10);
    };
    put(day, 2);
    put(month, 2);
    put(year, 4);
    if (out.size() <= count) {
        if (!out.empty()) out[0] = u'\0';
        return false;
    }
    std::reverse_copy(digits, digits + count, out.begin());
    out[count] = u'\0';
    return true;
}

}  // namespace qf
