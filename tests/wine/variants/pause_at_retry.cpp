// Test build: the uninstall waits in its first pause before trying a held entry again, for as
// long as the test needs to change the tree under it. The program's own import of Sleep, which
// only those pauses call, is pointed at a stub before WinMain runs; added to the installer's
// objects, which stay as they are. Without the test's events it pauses as the installer does.
#include <windows.h>

#include <cstddef>

namespace {

// Made by the test before it starts the program: the first is set here once the pause has
// begun, the second by the test once the program may go on.
constexpr wchar_t PausedEvent[] = L"Local\\qf-retry-paused";
constexpr wchar_t GoOnEvent[] = L"Local\\qf-retry-go-on";
constexpr DWORD LongestWaitMs = 30000;

ULONG_PTR RealSleep;
bool Paused;

void WINAPI PausingSleep(DWORD ms) {
    if (!Paused) {
        Paused = true;
        const HANDLE paused = OpenEventW(EVENT_MODIFY_STATE, FALSE, PausedEvent);
        const HANDLE goOn = OpenEventW(SYNCHRONIZE, FALSE, GoOnEvent);
        if (paused && goOn && SetEvent(paused)) WaitForSingleObject(goOn, LongestWaitMs);
        if (paused) CloseHandle(paused);
        if (goOn) CloseHandle(goOn);
    }
    reinterpret_cast<void(WINAPI*)(DWORD)>(RealSleep)(ms);
}

// The executable's import address table holds the address the loader found for Sleep.
bool RedirectSleep() {
    auto* const base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* const nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    RealSleep = reinterpret_cast<ULONG_PTR>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "Sleep"));
    auto* const slots = reinterpret_cast<ULONG_PTR*>(base + table.VirtualAddress);
    DWORD protection = 0;
    if (!RealSleep || !table.Size || !VirtualProtect(slots, table.Size, PAGE_READWRITE, &protection)) return false;
    bool redirected = false;
    for (std::size_t i = 0; i < table.Size / sizeof *slots; ++i) {
        if (slots[i] != RealSleep) continue;
        slots[i] = reinterpret_cast<ULONG_PTR>(&PausingSleep);
        redirected = true;
    }
    VirtualProtect(slots, table.Size, protection, &protection);
    return redirected;
}

const bool Redirected = RedirectSleep();

}  // namespace
