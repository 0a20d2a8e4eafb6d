#include <windows.h>

#include "startup/admin_query_win.h"

namespace qf {

bool UserIsAdministrator() {
    // Older systems export IsUserAnAdmin by ordinal 680 only. Start-up has already restricted
    // DLL loading to the system directory.
    using IsUserAnAdminFn = BOOL(WINAPI*)();
    HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
    if (!shell32) shell32 = LoadLibraryW(L"shell32.dll");
    const auto isAdmin =
        shell32
            ? reinterpret_cast<IsUserAnAdminFn>(reinterpret_cast<void*>(GetProcAddress(shell32, MAKEINTRESOURCEA(680))))
            : nullptr;
    return isAdmin && isAdmin();
}

}  // namespace qf
