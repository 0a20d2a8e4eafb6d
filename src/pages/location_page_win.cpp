// The installation page: where the product goes, and the installation itself on Install (or at
// once, while the page is being created, in quiet install).

#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/wide_win.h"
#include "pages/install_sequence_win.h"
#include "pages/page_frame_win.h"
#include "pages/pages_win.h"
#include "pages/status_line.h"

namespace qf {
namespace {

constexpr int DirectoryLimit = InstallDirectoryCapacity - 1;
constexpr int StatusLineFromBottom = 140;

// The page uses only InitCommonControls, which old systems export by ordinal 17 alone. Loaded
// at run time, after start-up restricted DLL loading to the system directory: comctl32 is not a
// known DLL, so a static import could be satisfied by a planted copy beside the installer.
void InitCommonControlsFromSystem() {
    const HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
    using InitFn = void(WINAPI*)();
    const auto init =
        comctl32 ? reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(comctl32, MAKEINTRESOURCEA(17))))
                 : nullptr;
    if (init) init();
}

void OnCreate(HWND page, LPARAM createParams) {
    const CreationMetrics m = MeasurePage(page, createParams);
    InitCommonControlsFromSystem();
    LocationPage = {};
    LocationPage.directoryEdit =
        CreateControl(page, L"edit", W(text::DefaultInstallDirectory), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                      PlacePageWide(m, DirectoryEdit), IgnoredControlId);
    if (QuietMode) {
        RunInstallation(page);
        return;
    }
    SendMessageW(LocationPage.directoryEdit, EM_LIMITTEXT, DirectoryLimit, 0);
    LocationPage.cancelButton = CreateControl(page, L"button", W(text::CancelButton), WS_CHILD | WS_VISIBLE,
                                              RowButton(m, LocationRowMargin, 1), CancelId);
    LocationPage.installButton = CreateControl(page, L"button", W(text::InstallButton), WS_CHILD | WS_VISIBLE,
                                               RowButton(m, LocationRowMargin, 2), ForwardId);
    LocationPage.backButton = CreateControl(page, L"button", W(text::BackButton), WS_CHILD | WS_VISIBLE,
                                            RowButton(m, LocationRowMargin, 3), BackId);
}

void DrawTexts(HWND page, HDC dc, int h) {
    DrawPageText(dc, h, W(text::LocationLine1));
    DrawPageText(dc, 3 * h, W(text::LocationLine2));
    DrawPageText(dc, 5 * h, W(text::LocationLine3));
    DrawPageText(dc, 8 * h, W(text::LocationLabel));
    wchar_t status[MessageCapacity + TargetPathCapacity];
    if (StatusLine(Buffer(status), InstallProgressState, VerifyProgress, U(Installation.CurrentTargetPath),
                   UpgradeMode != 0)) {
        RECT client;
        GetClientRect(page, &client);
        DrawPageText(dc, client.bottom - StatusLineFromBottom, status);
    }
}

void OnBack(HWND page) {
    // The fresh licence page carries the installer's name alone.
    HandOver(page, LicenceBoxClass, InstallerName);
}

void OnCommand(HWND page, WPARAM wParam) {
    if (InstallationUnderWay()) return;
    switch (ClickedId(wParam)) {
        case CancelId: PostQuitMessage(0); break;
        case ForwardId: RunInstallation(page); break;
        case BackId: OnBack(page); break;
        default: break;
    }
}

}  // namespace

LRESULT CALLBACK LocationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(page, lParam); return 0;
        case WM_PAINT: PaintPage(page, DrawTexts); return 0;
        case WM_SIZE: InvalidateRect(page, nullptr, TRUE); return 0;
        case WM_CLOSE: PostQuitMessage(0); return 0;
        case WM_DESTROY:
        case WM_CHAR: return 0;
        case WM_COMMAND: OnCommand(page, wParam); return 0;
        default: return DefWindowProcW(page, message, wParam, lParam);
    }
}

}  // namespace qf
