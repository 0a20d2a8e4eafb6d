// Which directories the uninstall may empty and remove. The installation directory comes back
// from the registry as text that anyone with the rights may have changed, and the installer
// itself accepts any directory but the windir one, so a drive root or a share would otherwise
// be emptied of everything the uninstall can open. Pure.
#pragma once

#include <string_view>

namespace qf {

// False for what must never be removed: a drive root ("C:\", "C:", "C:/"), a share root
// ("\\server\share"), the windir directory or a directory that holds it, each also in its
// "\\?\" form and whatever the separators, case, "." and ".." components say; and for a path
// that is not fully qualified (relative, "\dir", "C:dir"), since what it names depends on the
// current directory. An empty windir protects no directory. Either path longer than 1,023 units
// (more than the uninstall's buffers hold) is refused as well.
bool IsRemovableLocation(std::u16string_view location, std::u16string_view windir);

}  // namespace qf
