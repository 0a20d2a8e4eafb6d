// Where the all-users desktop is, derived from the user's profile folder: the profile's parent
// followed by "\All Users\Desktop". Pure.
#pragma once

#include <span>
#include <string_view>

namespace qf {

// Writes the all-users desktop folder for userProfile into out. A result that does not fit is
// refused: out is left empty and the answer is false, so that nothing is written to or
// removed from a cut path.
bool DeriveAllUsersDesktop(std::u16string_view userProfile, std::span<char16_t> out);

}  // namespace qf
