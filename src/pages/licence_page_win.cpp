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

bool OnCreate(HWND page, LPARAM createParams) {
    if (QuietMode) {
        HandOverToInstallation(page);
        return true;
    }
    const CreationMetrics m = MeasurePage(page, createParams);
    const HWND list = CreateControl(page, L"listbox", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOREDRAW,
                                    PlacePageWide(m, LicenceList), TextControlId);
    CreateControl(page, L"button", W(text::CancelButton), WS_CHILD | WS_VISIBLE, RowButton(m, LicenceRowMargin, 1),
                  CancelId);
    NextButtonWindow = CreateControl(page, L"button", W(text::NextButton), WS_CHILD | WS_VISIBLE,
                                     RowButton(m, LicenceRowMargin, 2), ForwardId);
    AcceptBoxWindow = CreateControl(page, L"button", W(text::AcceptBox), WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                                    AcceptBoxRect(m), AcceptBoxId);
    SplitLicenceText(LicenceText.Bytes(), AddLicenceLine, list);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    return true;
}

void DrawTexts(HWND, HDC dc, int lineHeight) {
    DrawPageText(dc, TextTopY(LicenceIntroTop, lineHeight), W(text::LicenceIntro));
    DrawPageText(dc, TextTopY(LicenceHintTop, lineHeight), W(text::LicenceHint));
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

void OnCommand(HWND page, int clickedId) {
    switch (clickedId) {
        case CancelId: PostQuitMessage(0); break;
        case ForwardId: OnNext(page); break;
        default: break;
    }
}

}  // namespace

const PageHandlers LicencePageHandlers{
    .create = OnCreate,
    .drawTexts = DrawTexts,
    .command = OnCommand,
    // A new size repaints the page, as on the installation page; the customisation page leaves
    // its picture as it is.
    .size = RepaintWhole,
    // Key presses are swallowed, as on the customisation page; the installation page leaves
    // them to the system.
    .keyDown = AnswerNothing,
    // The acceptance box shows its text on the page colour.
    .controlColour = ControlColour,
};

}  // namespace qf
