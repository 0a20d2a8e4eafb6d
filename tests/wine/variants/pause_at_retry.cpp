// Test build: the uninstall waits in its first pause before trying a held entry again, for as
// long as the test needs to change the tree under it. The program's own import of Sleep, which
// only those pauses call, is pointed at a stub before WinMain runs; added to the installer's
// objects, which stay as they are. Without the test's events it pauses as the installer does.
#include <windows.h>

#include "import_redirect.h"

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

const bool Redirected = variants::RedirectKernel32Import("Sleep", reinterpret_cast<void*>(&PausingSleep), RealSleep);

}  // namespace
