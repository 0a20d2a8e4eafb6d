// The licence page: the agreement in a list, and Next only once it is accepted. In quiet
// install it hands over to the installation page while it is still being created.
#include "base/licence_text.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/ui_win.h"
#include "base/wide_win.h"
#include "pages/page_frame_win.h"
#include "pages/pages_win.h"

namespace qf {
namespace {

HWND AcceptBoxWindow;
HWND NextButtonWindow;

void HandOverToInstallation(HWND page) { HandOver(page, LocationBoxClass, InstallerTitle().text); }

void AddLicenceLine(void* list, const char16_t* line) {
    // The list keeps the text's order; it was made without sorting.
    const LRESULT count = SendMessageW(static_cast<HWND>(list), LB_GETCOUNT, 0, 0);
    SendMessageW(static_cast<HWND>(list), LB_INSERTSTRING, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(line));
}

void OnCreate(HWND page, LPARAM createParams) {
    if (QuietMode) {
        HandOverToInstallation(page);
        return;
    }
    const CreationMetrics m = MeasurePage(page, createParams);
    const HWND list = CreateControl(page, L"listbox", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOREDRAW,
                                    PlacePageWide(m, LicenceList), IgnoredControlId);
    CreateControl(page, L"button", W(text::CancelButton), WS_CHILD | WS_VISIBLE, RowButton(m, LicenceRowMargin, 1),
                  CancelId);
    NextButtonWindow = CreateControl(page, L"button", W(text::NextButton), WS_CHILD | WS_VISIBLE,
                                     RowButton(m, LicenceRowMargin, 2), ForwardId);
    AcceptBoxWindow = CreateControl(page, L"button", W(text::AcceptBox), WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                                    AcceptBoxRect(m), AcceptBoxId);
    SplitLicenceText(LicenceText.Bytes(), AddLicenceLine, list);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void DrawTexts(HWND, HDC dc, int lineHeight) {
    DrawPageText(dc, lineHeight, W(text::LicenceIntro));
    DrawPageText(dc, 3 * lineHeight + 5, W(text::LicenceHint));
}

void OnNext(HWND page) {
    if (SendMessageW(AcceptBoxWindow, BM_GETCHECK, 0, 0) != 0) {
        HandOverToInstallation(page);
        return;
    }
    EnableWindow(NextButtonWindow, FALSE);
    ShowMessage(page, text::LicenceMessage, text::LicenceCaption, MB_ICONQUESTION | MB_OK);
    EnableWindow(NextButtonWindow, TRUE);
}

void OnCommand(HWND page, WPARAM wParam) {
    switch (ClickedId(wParam)) {
        case CancelId: PostQuitMessage(0); break;
        case ForwardId: OnNext(page); break;
        default: break;
    }
}

}  // namespace

LRESULT CALLBACK LicencePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(page, lParam); return 0;
        case WM_PAINT: PaintPage(page, DrawTexts); return 0;
        case WM_SIZE: InvalidateRect(page, nullptr, TRUE); return 0;
        case WM_CLOSE: PostQuitMessage(0); return 0;
        case WM_DESTROY:
        case WM_KEYDOWN:
        case WM_CHAR: return 0;
        case WM_COMMAND: OnCommand(page, wParam); return 0;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC: return ControlColour(page, reinterpret_cast<HDC>(wParam));
        default: return DefWindowProcW(page, message, wParam, lParam);
    }
}

}  // namespace qf
