// Where the all-users desktop is, derived from the user's profile folder: the profile's parent
// followed by "\All Users\Desktop"; and when the system's common desktop takes the shortcut
// instead. Pure.
#pragma once

#include <span>
#include <string_view>

namespace qf {

// Writes the all-users desktop folder for userProfile into out. A result that does not fit is
// refused: out is left empty and the answer is false, so that nothing is written to or
// removed from a cut path.
bool DeriveAllUsersDesktop(std::u16string_view userProfile, std::span<char16_t> out);

// What start-up found at the derived folder.
enum class FolderPresence {
    There,
    Missing,  // nothing of that name, or a file
    Untold,   // it could not be looked at
};

// Whether the shortcut goes to the system's common desktop rather than to the derived folder:
// when no folder was derived (the profile did not fit), when it is not there, and when it lies
// below the Windows folder, as it does for the system account, whose profile is below
// System32\config. A folder that could not be looked at keeps the derived one, and so does an
// unknown (empty) Windows folder. Compared as text, ASCII case and either separator alike.
bool UsesCommonDesktop(std::u16string_view derived, FolderPresence presence, std::u16string_view windowsFolder);

}  // namespace qf
