#include "pages/page_frame_win.h"

#include "base/process_state_win.h"
#include "base/text.h"
#include "base/wide_win.h"

namespace qf {

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

void DrawPageText(HDC dc, int y, const wchar_t* text) { TextOutW(dc, 20, y, text, lstrlenW(text)); }

LRESULT ControlColour(HWND page, HDC controlDc) {
    SetBkColor(controlDc, GetSysColor(COLOR_BTNFACE));
    SetBkMode(controlDc, TRANSPARENT);
    UnrealizeObject(PageBackgroundBrush);
    POINT origin{0, 0};
    ClientToScreen(page, &origin);
    SetBrushOrgEx(controlDc, origin.x, origin.y, nullptr);
    return reinterpret_cast<LRESULT>(PageBackgroundBrush);
}

int ClickedId(WPARAM wParam) { return HIWORD(wParam) == 0 ? LOWORD(wParam) : 0; }

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
