// What every page window shares: the one page procedure, measuring at creation, making
// controls, painting the background and texts, the control-colour answer, the command rule and
// the hand-over to the next page.
#pragma once

#include <windows.h>

#include "base/product.h"
#include "pages/page_layout.h"

namespace qf {

// The answer to one message, from the page and the message's wParam.
using PageAnswer = LRESULT (*)(HWND page, WPARAM wParam);

// Draws the page's texts with the paint context (font selected, black text, transparent
// background) and the paint line height.
using DrawTextsFn = void (*)(HWND page, HDC dc, int lineHeight);

// One page kind's handlers, which the page procedure hands its messages to. What the pages
// answer alike (the close box, WM_DESTROY, WM_CHAR, the messages no page takes) is the
// procedure's own; the entries here are what each page does for itself, and where the pages
// differ. A null answer leaves its messages to the system (DefWindowProcW).
struct PageHandlers {
    // WM_CREATE. False when the page cannot be had: the window is then not made.
    bool (*create)(HWND page, LPARAM createParams);
    // WM_PAINT, over the background the frame paints.
    DrawTextsFn drawTexts;
    // WM_COMMAND, with the clicked id (0 for anything but a click); the answer is always 0.
    void (*command)(HWND page, int clickedId);
    PageAnswer size;           // WM_SIZE
    PageAnswer keyDown;        // WM_KEYDOWN
    PageAnswer controlColour;  // WM_CTLCOLORBTN, WM_CTLCOLORDLG, WM_CTLCOLORSTATIC
};

// The one page procedure: hands a page's messages to its handlers. A window class has nowhere
// to keep a table before its first window exists, so start-up registers each page class with
// the procedure bound to its page's table: PageProc<LicencePageHandlers>.
LRESULT AnswerPage(const PageHandlers& handlers, HWND page, UINT message, WPARAM wParam, LPARAM lParam);
template <const PageHandlers& handlers>
LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return AnswerPage(handlers, page, message, wParam, lParam);
}

// Answers for the table entries a page shares with another.
LRESULT RepaintWhole(HWND page, WPARAM);   // the whole client area invalidated and erased; 0
LRESULT AnswerNothing(HWND page, WPARAM);  // 0, and nothing done
// Text on the page colour, for the control whose device context wParam carries.
LRESULT ControlColour(HWND page, WPARAM controlDc);

// The creation metrics, read from the page's own device context before any font is selected.
CreationMetrics MeasurePage(HWND page, LPARAM createParams);

// A child control with the stock ANSI variable font.
HWND CreateControl(HWND page, const wchar_t* controlClass, const wchar_t* text, DWORD style, const ControlRect& rect,
                   int id);

// Draws a whole text at x TextLeft.
void DrawPageText(HDC dc, int y, const wchar_t* text);

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
