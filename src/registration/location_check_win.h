// The installation directory judged on this machine: by its text against the directories that
// must never be removed (removal_guard.h), then by what it is on disk, so that no other spelling
// of one of them (an 8.3 name, a mapped drive, a link on the way) gets through.
#pragma once

#include "base/entry_win.h"
#include "registration/removal_guard.h"

namespace qf {

// Protected also when the location exists as a junction, symbolic link or mount point, when it
// is a volume root or mount point, and when it is one of the protected directories, or holds
// one, by volume serial number and file index. A location that does not exist is judged by its
// text alone.
// judged, when given, receives the identity of what was judged Removable (not followed if a link).
LocationVerdict CheckLocation(const wchar_t* location, FileIdentity* judged = nullptr);

}  // namespace qf
