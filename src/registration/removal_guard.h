// Which directories the uninstall may empty and remove, and which the installation page must
// refuse, judged by their text. The installation directory comes back from the registry as text
// that anyone with the rights may have changed, and the page takes whatever is typed, so a drive
// root, Program Files or the Windows directory would otherwise be emptied of everything the
// uninstall can open. Pure: the Win32 side (location_check_win.h) gathers the protected
// directories and then compares by identity what the text cannot tell (8.3 names, links).
#pragma once

#include <span>
#include <string_view>

namespace qf {

// The directories that are never removed, nor any directory that holds one of them, as the
// system reports them. windows is also what an "ADMIN$" share names. An empty or relative text
// protects nothing.
struct ProtectedDirectories {
    std::u16string_view windows;
    std::span<const std::u16string_view> others;
};

enum class LocationVerdict {
    Removable,
    // Not fully qualified ("Quenfield", "\dir", "C:dir"): what it names depends on the current
    // directory.
    Relative,
    // A drive or share root, a volume or device name, the Windows directory or anything below
    // it, a protected directory or one that holds one, or a location or Windows directory longer
    // than the uninstall's buffers hold.
    Protected,
};

// The text is read as Windows resolves it: "\\?\", "\\?\UNC\" and "\\.\" prefixes, an
// administrative share ("\\host\C$" is drive C:, "\\host\ADMIN$" the Windows directory, whatever
// the host), '/' for '\', repeated separators, "." and ".." (never above the root), trailing dots
// and blanks of a name, and ASCII case.
LocationVerdict JudgeLocation(std::u16string_view location, const ProtectedDirectories& protect);

// Whether location is directory or lies below it, both read as JudgeLocation reads them (windows
// is what an "ADMIN$" share names). False when either names no drive or share, or is longer than
// the guard takes.
bool LiesWithin(std::u16string_view location, std::u16string_view directory, std::u16string_view windows);

}  // namespace qf
