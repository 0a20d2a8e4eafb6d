// One installation or uninstallation at a time on the machine. Two runs that overlapped would
// mix their work: an uninstall finishing during an install would delete the keys of the files
// just written. A run holds the lock for its whole work; a second run waits until the first has
// ended, then runs as usual.
#pragma once

#include <windows.h>

namespace qf {

struct RunLock {
    HANDLE mutex = nullptr;

    RunLock() = default;
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;
    ~RunLock() { Release(); }
    void Release();
};

// Waits until no other run holds the lock, then holds it; a page shown meanwhile keeps
// painting. Where the lock cannot be had at all (no right to the machine-wide name), the run goes
// on without it, as it always did.
void TakeRunLock(RunLock& lock);

}  // namespace qf
