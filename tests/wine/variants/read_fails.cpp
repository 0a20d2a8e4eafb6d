// Test build: every ReadFile of the program fails as a read from a share that went away does.
// Wine cannot show that otherwise: it lets a read through another process's byte-range lock,
// and maps a file whose reads fail as zeros. The program's own import of ReadFile is pointed
// at a stub before WinMain runs; added to the installer's objects, which stay as they are.
#include <windows.h>

#include <cstddef>

namespace {

BOOL WINAPI FailingReadFile(HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
    if (read) *read = 0;
    SetLastError(ERROR_NETNAME_DELETED);
    return FALSE;
}

// The executable's import address table holds the address the loader found for ReadFile.
bool RedirectReadFile() {
    auto* const base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* const nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    const auto real = reinterpret_cast<ULONG_PTR>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "ReadFile"));
    auto* const slots = reinterpret_cast<ULONG_PTR*>(base + table.VirtualAddress);
    DWORD protection = 0;
    if (!real || !table.Size || !VirtualProtect(slots, table.Size, PAGE_READWRITE, &protection)) return false;
    bool redirected = false;
    for (std::size_t i = 0; i < table.Size / sizeof *slots; ++i) {
        if (slots[i] != real) continue;
        slots[i] = reinterpret_cast<ULONG_PTR>(&FailingReadFile);
        redirected = true;
    }
    VirtualProtect(slots, table.Size, protection, &protection);
    return redirected;
}

// Should it find no import to redirect, the variant behaves as the plain installer, and the test
// that counts on a failing read sees the copy it then writes.
const bool Redirected = RedirectReadFile();

}  // namespace
