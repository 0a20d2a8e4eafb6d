// One installation or uninstallation at a time on the machine. Two runs that overlapped would
// mix their work: an uninstall finishing during an install would delete the keys of the files
// just written. A run holds the lock for its work, never while it waits for a person: every
// message box lets go of it first (ui_win.h), so a quiet install stopped at a box that nobody
// answers keeps no other run waiting. A run that goes on after a box takes the lock again and
// looks again at what it had looked at.
#pragma once

#include <windows.h>

namespace qf {

// What every account may do with the lock, and nothing more: wait on it and let go of it. A
// deployment service and an administrator's session share it, whichever made it first.
inline constexpr DWORD RunLockRights = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// Waits until no other run holds the lock, then holds it; a page shown meanwhile keeps
// painting. Where the lock cannot be had at all, the run goes on without it. False only when
// another run still held it after limitMs.
bool TakeRunLock(DWORD limitMs = INFINITE);

// Lets go of the lock, if this run holds it.
void ReleaseRunLock();

bool HoldsRunLock();

}  // namespace qf
