// What every page window shares: measuring at creation, making controls, painting the
// background and texts, the control-colour answer, the command rule and the hand-over to the
// next page.
#pragma once

#include <windows.h>

#include "base/product.h"
#include "pages/page_layout.h"

namespace qf {

// The creation metrics, read from the page's own device context before any font is selected.
CreationMetrics MeasurePage(HWND page, LPARAM createParams);

// A child control with the stock ANSI variable font.
HWND CreateControl(HWND page, const wchar_t* controlClass, const wchar_t* text, DWORD style, const ControlRect& rect,
                   int id);

// Paints the background and calls drawTexts with the paint context (font selected, black text,
// transparent background) and the paint line height.
using DrawTextsFn = void (*)(HWND page, HDC dc, int lineHeight);
void PaintPage(HWND page, DrawTextsFn drawTexts);

// Draws a whole text at x 20.
void DrawPageText(HDC dc, int y, const wchar_t* text);

// The answer to WM_CTLCOLORBTN, WM_CTLCOLORDLG and WM_CTLCOLORSTATIC: text on the page colour.
LRESULT ControlColour(HWND page, HDC controlDc);

// WM_COMMAND: only clicks count. Returns the clicked id, or 0 for anything else.
int ClickedId(WPARAM wParam);

// Creates a page window of pageClass at the pages' place and shows it; null when it cannot be had.
HWND OpenPage(const char16_t* pageClass, const char16_t* title);

// Opens the next page, then destroys the current one; with no next page the quit message is
// posted, as nothing else could end the program.
HWND HandOver(HWND current, const char16_t* nextClass, const char16_t* title);

// The title of the first licence page and of the installation page: the installer's name and
// its release date.
struct PageTitle {
    char16_t text[MessageCapacity];
};
PageTitle InstallerTitle();

}  // namespace qf
