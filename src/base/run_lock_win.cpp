#include "base/run_lock_win.h"

#include <algorithm>

#include "base/product.h"
#include "base/wide_win.h"

namespace qf {
namespace {

HANDLE Lock;

// A descriptor whose one entry lets everyone wait on the lock and let go of it.
struct LockSecurity {
    SECURITY_DESCRIPTOR descriptor;
    alignas(DWORD) BYTE acl[sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE];
    SECURITY_ATTRIBUTES attributes;
};

bool DescribeLockSecurity(LockSecurity& security) {
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof everyone;
    auto* acl = reinterpret_cast<ACL*>(security.acl);
    if (!CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize) ||
        !InitializeAcl(acl, sizeof security.acl, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, RunLockRights, everyone) ||
        !InitializeSecurityDescriptor(&security.descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&security.descriptor, TRUE, acl, FALSE))
        return false;
    security.attributes = {sizeof security.attributes, &security.descriptor, FALSE};
    return true;
}

// Made with the shared descriptor, or opened with just the rights it grants where another run
// made it first.
HANDLE OpenLock() {
    LockSecurity security;
    return CreateMutexExW(DescribeLockSecurity(security) ? &security.attributes : nullptr, W(RunLockName), 0,
                          RunLockRights);
}

}  // namespace

bool TakeRunLock(DWORD limitMs) {
    if (Lock) return true;
    Lock = OpenLock();
    if (!Lock) return true;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const ULONGLONG waited = GetTickCount64() - start;
        const DWORD left =
            limitMs == INFINITE ? INFINITE : limitMs - static_cast<DWORD>(std::min<ULONGLONG>(waited, limitMs));
        const DWORD woken = MsgWaitForMultipleObjects(1, &Lock, FALSE, left, QS_PAINT | QS_SENDMESSAGE);
        // Abandoned: the run before ended without letting go (it was killed); the lock is ours
        // all the same, and this run does its whole work as usual.
        if (woken == WAIT_OBJECT_0 || woken == WAIT_ABANDONED_0) return true;
        if (woken == WAIT_TIMEOUT) {
            CloseHandle(Lock);
            Lock = nullptr;
            return false;
        }
        if (woken != WAIT_OBJECT_0 + 1) break;
        // Only paints are handled here (messages sent from elsewhere are answered on the way;
        // the page has disabled its buttons and starts nothing meanwhile).
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
    }
    CloseHandle(Lock);
    Lock = nullptr;
    return true;
}

void ReleaseRunLock() {
    if (!Lock) return;
    ReleaseMutex(Lock);
    CloseHandle(Lock);
    Lock = nullptr;
}

bool HoldsRunLock() { return Lock != nullptr; }

}  // namespace qf
