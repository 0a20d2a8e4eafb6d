// The installer's entry: prepares the process-wide state, registers the page classes, reads
// the command line and opens the first page of its run mode, or runs the uninstall.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <array>
#include <string_view>

#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/ui_win.h"
#include "base/wide_win.h"
#include "pages/page_frame_win.h"
#include "pages/pages_win.h"
#include "registration/uninstall_win.h"
#include "settings/settings_block.h"
#include "startup/admin_query_win.h"
#include "startup/command_line.h"
#include "startup/desktop_path.h"

namespace qf {
namespace {

// Before anything can load a DLL, take the application's own folder (a downloads folder, say)
// out of the search, so that a DLL planted beside the installer is never loaded.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!set || !set(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

// The desktop follows the profile as the environment names it; a process started without that
// variable (by a service or a deployment tool, say) asks the system for the profile, so that an
// uninstall run that way still finds the shortcut an installation made.
void DeriveDesktop() {
    wchar_t profile[PathCapacity];
    DWORD length = GetEnvironmentVariableW(L"USERPROFILE", profile, PathCapacity);
    if (length == 0) {
        PWSTR known = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, KF_FLAG_DONT_VERIFY, nullptr, &known)) && known) {
            length =
                CopyText(Buffer(profile), U(known)) ? static_cast<DWORD>(TextLength(Buffer(profile))) : PathCapacity;
        }
        CoTaskMemFree(known);
    }
    // A profile that does not fit leaves the desktop unknown, so no shortcut is made or removed.
    if (length >= PathCapacity) return;
    DeriveAllUsersDesktop(std::u16string_view(U(profile), length), Buffer(AllUsersDesktop));
}

bool RegisterPageClasses() {
    struct PageClass {
        const char16_t* name;
        WNDPROC proc;
    };
    const std::array<PageClass, 3> classes{{{LicenceBoxClass, PageProc<LicencePageHandlers>},
                                            {LocationBoxClass, PageProc<LocationPageHandlers>},
                                            {CustomBoxClass, PageProc<CustomPageHandlers>}}};
    for (const PageClass& page : classes) {
        WNDCLASSW wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = page.proc;
        wc.hInstance = Instance;
        wc.hIcon = LoadIconW(Instance, MAKEINTRESOURCEW(PageIconId));
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.lpszClassName = W(page.name);
        if (!RegisterClassW(&wc)) return false;
    }
    return true;
}

int RunMessageLoop(const char16_t* pageClass, const char16_t* title) {
    // Without a page nothing could ever post the quit message.
    if (!OpenPage(pageClass, title)) return 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// commandLine: the 8-bit tail after the program name, as the start-up code hands it over.
int Start(HINSTANCE instance, const char* commandLine) {
    RestrictDllSearch();
    Instance = instance;
    PageBackgroundBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    DeriveDesktop();
    InstallProgressState = InstallProgress::NotStarted;
    ExtractedFileCount = 0;
    if (!RegisterPageClasses()) return 0;
    PayloadArchive = MapResource(Instance, PayloadResourceType, PayloadResourceId);
    LicenceText = MapResource(Instance, LicenceResourceType, LicenceResourceId);
    PageGeometry = CentrePage(GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));

    const RunModes modes = ClassifyCommandLine(commandLine);
    switch (modes.mode) {
        case RunMode::Customise:
            if (IsCustomised(EmbeddedSettings)) {
                ShowFormattedMessage(nullptr, text::AlreadyCustomisedFormat, {ReleasePageUrl},
                                     text::AlreadyCustomisedCaption, MB_OK | MB_ICONERROR);
                return 0;
            }
            return RunMessageLoop(CustomBoxClass, CustomisationTitle);
        case RunMode::Uninstall:
            // A stopped uninstall ends without a word; its only message is the completion.
            if (AdministratorQuery() && RunUninstall() == UninstallResult::Completed)
                ShowMessage(nullptr, text::UninstallCompleteMessage, text::UninstallCompleteCaption,
                            MB_OK | MB_ICONEXCLAMATION);
            return 0;
        case RunMode::Install: {
            QuietMode = modes.quiet;
            NoCheckMode = modes.noCheck;
            if (!AdministratorQuery()) return 0;
            return RunMessageLoop(LicenceBoxClass, InstallerTitle().text);
        }
    }
    return 0;
}

}  // namespace
}  // namespace qf

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) { return qf::Start(instance, commandLine); }
