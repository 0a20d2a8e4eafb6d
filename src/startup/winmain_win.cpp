// The installer's entry: prepares the process-wide state, registers the page classes, reads
// the command line and opens the first page of its run mode, or runs the uninstall.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <array>
#include <string_view>

#include "base/entry_win.h"
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
#include "startup/silent_win.h"

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
    // A profile that does not fit leaves the derived desktop unknown: nothing is made or removed
    // through a cut path.
    if (length >= PathCapacity) return;
    DeriveAllUsersDesktop(std::u16string_view(U(profile), length), Buffer(AllUsersDesktop));
}

// A folder that cannot be looked at (no rights) may be there.
FolderPresence PresenceOf(const wchar_t* folder) {
    if (folder[0] == L'\0') return FolderPresence::Missing;
    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return IsAbsence(GetLastError()) ? FolderPresence::Missing : FolderPresence::Untold;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? FolderPresence::There : FolderPresence::Missing;
}

// The system account's profile lies below System32\config, so the desktop derived from it is a
// folder no one sees, if it is there at all; deployment tools install as that account. There,
// and wherever the derived folder is not there, the shortcut goes to the desktop every account
// shows.
void ChooseShortcutDesktop() {
    PWSTR common = nullptr;
    // Named whether or not it is there yet: the uninstall must look wherever it may be.
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_PublicDesktop, KF_FLAG_DONT_VERIFY, nullptr, &common)) && common)
        CopyText(Buffer(CommonDesktop), U(common));
    CoTaskMemFree(common);
    if (CommonDesktop[0] == L'\0') return;
    wchar_t windows[PathCapacity];
    const UINT length = GetSystemWindowsDirectoryW(windows, PathCapacity);
    const std::u16string_view windowsFolder(U(windows), length < PathCapacity ? length : 0);
    if (UsesCommonDesktop(U(AllUsersDesktop), PresenceOf(AllUsersDesktop), windowsFolder))
        ShortcutDesktop = CommonDesktop;
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
    const RunModes modes = ClassifyCommandLine(commandLine);
    // The silent modes make no window, so they need no brush, page class or placement: asking
    // for a colour or the screen's size starts the display driver, a tenth of a second under
    // Wine. A class registration that failed would end them with exit code 0, as though
    // installed.
    const bool pages = !IsSilent(modes.mode);
    if (pages) PageBackgroundBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    DeriveDesktop();
    ChooseShortcutDesktop();
    InstallProgressState = InstallProgress::NotStarted;
    ExtractedFileCount = 0;
    if (pages && !RegisterPageClasses()) return 0;
    PayloadArchive = MapResource(Instance, PayloadResourceType, PayloadResourceId);
    LicenceText = MapResource(Instance, LicenceResourceType, LicenceResourceId);
    if (pages) PageGeometry = CentrePage(GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));

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
        case RunMode::SilentInstall:
        case RunMode::SilentUninstall: return RunSilently(modes.mode);
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
