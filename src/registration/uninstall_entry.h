// The values of the uninstall registration that are worked out rather than known: how much the
// installation writes and the date it is made. Pure.
#pragma once

#include <cstdint>
#include <span>

namespace qf {

// KiB the installation writes: the data of every file record of the archive and the uninstaller,
// together, rounded up. Registration comes before extraction, so the files are counted from the
// archive's records, not from the disk; a walk that meets a damaged record stops there, and the
// extraction will refuse that archive in any case.
std::uint32_t InstalledSizeKiB(std::span<const std::uint8_t> archive, std::uint32_t uninstallerBytes);

// A date as eight digits, YYYYMMDD, the form the installation date is read in (a year past 9999
// takes more digits). False, and out empty, when it does not fit with its terminator.
bool FormatInstallDate(std::uint32_t year, std::uint32_t month, std::uint32_t day, std::span<char16_t> out);

}  // namespace qf
