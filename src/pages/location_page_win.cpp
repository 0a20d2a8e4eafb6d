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

bool OnCreate(HWND page, LPARAM createParams) {
    const CreationMetrics m = MeasurePage(page, createParams);
    InitCommonControlsFromSystem();
    LocationPage = {};
    LocationPage.directoryEdit =
        CreateControl(page, L"edit", W(text::DefaultInstallDirectory), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                      PlacePageWide(m, DirectoryEdit), TextControlId);
    if (QuietMode) {
        RunInstallation(page);
        return true;
    }
    SendMessageW(LocationPage.directoryEdit, EM_LIMITTEXT, DirectoryLimit, 0);
    LocationPage.cancelButton = CreateControl(page, L"button", W(text::CancelButton), WS_CHILD | WS_VISIBLE,
                                              RowButton(m, LocationRowMargin, 1), CancelId);
    LocationPage.installButton = CreateControl(page, L"button", W(text::InstallButton), WS_CHILD | WS_VISIBLE,
                                               RowButton(m, LocationRowMargin, 2), ForwardId);
    LocationPage.backButton = CreateControl(page, L"button", W(text::BackButton), WS_CHILD | WS_VISIBLE,
                                            RowButton(m, LocationRowMargin, 3), BackId);
    return true;
}

void DrawTexts(HWND page, HDC dc, int h) {
    DrawPageText(dc, TextTopY(LocationLineTops[0], h), W(text::LocationLine1));
    DrawPageText(dc, TextTopY(LocationLineTops[1], h), W(text::LocationLine2));
    DrawPageText(dc, TextTopY(LocationLineTops[2], h), W(text::LocationLine3));
    DrawPageText(dc, TextTopY(LocationLabelTop, h), W(text::LocationLabel));
    wchar_t status[MessageCapacity + TargetPathCapacity];
    if (StatusLine(Buffer(status), InstallProgressState, VerifyProgress, U(Installation.CurrentTargetPath),
                   UpgradeMode != 0)) {
        RECT client;
        GetClientRect(page, &client);
        DrawPageText(dc, StatusLineTop(client.bottom), status);
    }
}

void OnBack(HWND page) {
    // The fresh licence page carries the installer's name alone.
    HandOver(page, LicenceBoxClass, InstallerName);
}

void OnCommand(HWND page, int clickedId) {
    if (InstallationUnderWay()) return;
    switch (clickedId) {
        case CancelId: PostQuitMessage(0); break;
        case ForwardId: RunInstallation(page); break;
        case BackId: OnBack(page); break;
        default: break;
    }
}

}  // namespace

const PageHandlers LocationPageHandlers{
    .create = OnCreate,
    .drawTexts = DrawTexts,
    .command = OnCommand,
    // The status line keeps its distance from the bottom, so a new size repaints it all.
    .size = RepaintWhole,
    // Unlike the other pages, this one leaves key presses to the system; here as there, no key
    // moves the focus or presses a button.
    .keyDown = nullptr,
    // No control-colour answer, unlike the other pages: this page's edit field and push buttons
    // keep the system's colours.
    .controlColour = nullptr,
};

}  // namespace qf
