// Test build: every ReadFile of the program fails as a read from a share that went away does.
// Wine cannot show that otherwise: it lets a read through another process's byte-range lock,
// and maps a file whose reads fail as zeros. The program's own import of ReadFile is pointed
// at a stub before WinMain runs; added to the installer's objects, which stay as they are.
#include <windows.h>

#include "import_redirect.h"

namespace {

BOOL WINAPI FailingReadFile(HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
    if (read) *read = 0;
    SetLastError(ERROR_NETNAME_DELETED);
    return FALSE;
}

// Should it find no import to redirect, the variant behaves as the plain installer, and the test
// that counts on a failing read sees the copy it then writes.
ULONG_PTR RealReadFile;
const bool Redirected =
    variants::RedirectKernel32Import("ReadFile", reinterpret_cast<void*>(&FailingReadFile), RealReadFile);

}  // namespace
