#include "base/run_lock_win.h"

#include "base/product.h"
#include "base/wide_win.h"

namespace qf {

void TakeRunLock(RunLock& lock) {
    lock.mutex = CreateMutexW(nullptr, FALSE, W(RunLockName));
    if (!lock.mutex) return;
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &lock.mutex, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE);
        // Abandoned: the run before ended without letting go (it was killed); the lock is ours
        // all the same, and this run does its whole work as usual.
        if (woken == WAIT_OBJECT_0 || woken == WAIT_ABANDONED_0) return;
        if (woken != WAIT_OBJECT_0 + 1) break;
        // Only paints are handled here (messages sent from elsewhere are answered on the way):
        // a click waits until the run it would start can run.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
    }
    CloseHandle(lock.mutex);
    lock.mutex = nullptr;
}

void RunLock::Release() {
    if (!mutex) return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    mutex = nullptr;
}

}  // namespace qf
