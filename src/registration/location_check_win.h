// The installation directory judged on this machine: by its text against the directories that
// must never be removed (removal_guard.h), then by what it is on disk, so that no other spelling
// of one of them (an 8.3 name, a mapped drive, a link on the way) gets through.
#pragma once

#include "base/entry_win.h"
#include "registration/removal_guard.h"

namespace qf {

// The protected directories are the Windows directory with everything below it, temp, the
// all-users desktop, every known folder the machine registers, Program Files and Common Files of
// both views, every account's profile the machine lists (the Default one too) with the known
// folders the running account has below its own at the same places below each, and every
// directory that holds one of them. A location that exists is protected also when it is a
// junction, symbolic link or mount point, when it cannot be examined, and when the path it
// resolves to is protected, or is where one of them resolves to, or holds it. A location that
// does not exist is judged by its text alone. Protected, too, when the known folders or the
// registry's lists cannot be read.
// judged, when given, receives the identity of what was judged Removable (not followed if a link).
// The uninstall's judgement, for a folder that is there or was.
LocationVerdict CheckLocation(const wchar_t* location, FileIdentity* judged = nullptr);

// The installation page's judgement: the same, but a location that is not there, outside the
// accounts' folders (the profiles' folder, each profile, Public, ProgramData), is judged by its
// text without the known folders. It holds nothing that could be lost, and their list costs the
// system a lookup for each of about a hundred folders. Within the accounts' folders the system
// makes an account's folders when the account first needs them, so there a folder not made yet
// may still be one of them, and the judgement is whole. A location that cannot be looked at
// counts as there.
LocationVerdict CheckInstallLocation(const wchar_t* location);

}  // namespace qf
