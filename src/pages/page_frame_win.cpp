#include "pages/page_frame_win.h"

#include "base/process_state_win.h"
#include "base/text.h"
#include "base/wide_win.h"

namespace qf {
namespace {

void PaintPage(HWND page, DrawTextsFn drawTexts) {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(page, &ps);
    FillRect(dc, &ps.rcPaint, PageBackgroundBrush);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    drawTexts(page, dc, static_cast<int>(tm.tmHeight + tm.tmExternalLeading));
    EndPaint(page, &ps);
}

// Only clicks count: notifications from the list and the edit fields carry a code.
int ClickedId(WPARAM wParam) { return HIWORD(wParam) == 0 ? LOWORD(wParam) : 0; }

LRESULT Answer(PageAnswer answer, HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return answer ? answer(page, wParam) : DefWindowProcW(page, message, wParam, lParam);
}

}  // namespace

LRESULT AnswerPage(const PageHandlers& handlers, HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return handlers.create(page, lParam) ? 0 : -1;
        case WM_PAINT: PaintPage(page, handlers.drawTexts); return 0;
        case WM_COMMAND: handlers.command(page, ClickedId(wParam)); return 0;
        case WM_SIZE: return Answer(handlers.size, page, message, wParam, lParam);
        case WM_KEYDOWN: return Answer(handlers.keyDown, page, message, wParam, lParam);
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC: return Answer(handlers.controlColour, page, message, wParam, lParam);
        // Not passed on, so the close box ends the program without destroying the page first.
        case WM_CLOSE: PostQuitMessage(0); return 0;
        // No quit here: a page destroys itself when it hands over to the next. Typed characters
        // do nothing on any page.
        case WM_DESTROY:
        case WM_CHAR: return 0;
        default: return DefWindowProcW(page, message, wParam, lParam);
    }
}

LRESULT RepaintWhole(HWND page, WPARAM) {
    InvalidateRect(page, nullptr, TRUE);
    return 0;
}

LRESULT AnswerNothing(HWND, WPARAM) { return 0; }

LRESULT ControlColour(HWND page, WPARAM controlDc) {
    const auto dc = reinterpret_cast<HDC>(controlDc);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    UnrealizeObject(PageBackgroundBrush);
    POINT origin{0, 0};
    ClientToScreen(page, &origin);
    SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    return reinterpret_cast<LRESULT>(PageBackgroundBrush);
}

CreationMetrics MeasurePage(HWND page, LPARAM createParams) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(createParams);
    TEXTMETRICW tm{};
    const HDC dc = GetDC(page);
    GetTextMetricsW(dc, &tm);
    ReleaseDC(page, dc);
    return {create->cx, create->cy, static_cast<int>(tm.tmAveCharWidth),
            static_cast<int>(tm.tmHeight + tm.tmExternalLeading)};
}

HWND CreateControl(HWND page, const wchar_t* controlClass, const wchar_t* text, DWORD style, const ControlRect& rect,
                   int id) {
    const HWND control = CreateWindowExW(0, controlClass, text, style, rect.x, rect.y, rect.width, rect.height, page,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), TRUE);
    return control;
}

void DrawPageText(HDC dc, int y, const wchar_t* text) { TextOutW(dc, TextLeft, y, text, lstrlenW(text)); }

HWND OpenPage(const char16_t* pageClass, const char16_t* title) {
    const HWND page =
        CreateWindowExW(0, W(pageClass), W(title), WS_VISIBLE | WS_DLGFRAME | WS_SYSMENU, PageGeometry.left,
                        PageGeometry.top, PageGeometry.width, PageGeometry.height, nullptr, nullptr, Instance, nullptr);
    if (page) {
        ShowWindow(page, SW_SHOWNORMAL);
        UpdateWindow(page);
    }
    return page;
}

HWND HandOver(HWND current, const char16_t* nextClass, const char16_t* title) {
    const HWND next = OpenPage(nextClass, title);
    DestroyWindow(current);
    // Without a page nothing could ever post the quit message.
    if (!next) PostQuitMessage(0);
    return next;
}

PageTitle InstallerTitle() {
    PageTitle title;
    FormatText(title.text, InstallerTitleFormat, {ReleaseDateText});
    return title;
}

}  // namespace qf
