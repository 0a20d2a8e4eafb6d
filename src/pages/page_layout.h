// The pages' controls and texts: the ids the controls carry, and where each control and text is
// put, in the page's client area in 96-DPI pixels. The button row and the licence page's
// acceptance box follow the text metrics a page measures when it is created; the other controls
// keep their places. The pages make their controls from here and the Windows tests find them by
// these ids. Pure.
#pragma once

namespace qf {

// --- Control ids --------------------------------------------------------------------------
// What WM_COMMAND carries. The controls that only show or take text (the licence list, the edit
// fields, the labels) all carry TextControlId: no page acts on a command of theirs, and the
// Windows tests find one by this id and its class.
inline constexpr int TextControlId = 1;
inline constexpr int CancelId = 2;
inline constexpr int ForwardId = 3;  // Next > / Install
// An id need only be unique on its own page, as each page reads its own WM_COMMAND: the
// licence page's acceptance box and the installation page's Back share 4, and no page has both.
inline constexpr int AcceptBoxId = 4;  // licence page
inline constexpr int BackId = 4;       // installation page
// The customisation page's boxes and lock buttons.
inline constexpr int ServerBoxId = 10;
inline constexpr int DocPathBoxId = 11;
inline constexpr int LockButtonId = 100;  // 100 + lock mode 0, 1, 2
inline constexpr int LockModes = 3;

// --- Places -------------------------------------------------------------------------------
struct CreationMetrics {
    int cx;          // outer window width, 500
    int cy;          // outer window height, 400
    int charWidth;   // tmAveCharWidth of the page's default font
    int lineHeight;  // tmHeight + tmExternalLeading
};

struct ControlRect {
    int x, y, width, height;
};

inline constexpr int LicenceRowMargin = 20;
inline constexpr int CustomRowMargin = 20;
inline constexpr int LocationRowMargin = 30;

int ButtonWidth(const CreationMetrics& m);
int ButtonHeight(const CreationMetrics& m);
int ButtonRowTop(const CreationMetrics& m);

// The button in slot n of the row, counted from the right: 1 Cancel, 2 Next / Install, 3 Back.
ControlRect RowButton(const CreationMetrics& m, int margin, int slot);

// The licence page's acceptance box at the left end of the row.
ControlRect AcceptBoxRect(const CreationMetrics& m);

// A control as wide as the page (CreationMetrics::cx) less widthLess.
struct PageWideRect {
    int x, y, widthLess, height;
};
inline constexpr PageWideRect LicenceList{20, 72, 44, 260};
inline constexpr PageWideRect DirectoryEdit{20, 150, 48, 16};
ControlRect PlacePageWide(const CreationMetrics& m, const PageWideRect& rect);

// --- Texts --------------------------------------------------------------------------------
// Every page text is drawn whole from x TextLeft. The licence and installation pages set their
// lines by the paint line height, so that they follow the font the texts are painted in; the
// customisation page's lines are fixed (CustomPageLayout.textTops).
inline constexpr int TextLeft = 20;

// A text's top: that many paint lines down, then pixels more.
struct TextTop {
    int lines, pixels;
};
inline constexpr TextTop LicenceIntroTop{1, 0};
inline constexpr TextTop LicenceHintTop{3, 5};
inline constexpr TextTop LocationLineTops[3]{{1, 0}, {3, 0}, {5, 0}};
inline constexpr TextTop LocationLabelTop{8, 0};
int TextTopY(const TextTop& top, int lineHeight);

// The installation page's status line keeps its distance from the client area's bottom.
inline constexpr int StatusLineFromBottom = 140;
int StatusLineTop(int clientBottom);

// The customisation page, top to bottom: the tops of its three lines of text, then its
// controls.
struct CustomPageRects {
    int textTops[3];
    ControlRect serverBox, serverLabel, serverEdit;
    ControlRect lockButton;  // lock mode 0; mode n is n times lockStep lower
    int lockStep;
    ControlRect docPathBox, docPathLabel, docPathEdit;
};
inline constexpr CustomPageRects CustomPageLayout{
    .textTops = {10, 30, 50},
    .serverBox = {20, 80, 300, 20},
    .serverLabel = {39, 100, 300, 20},
    .serverEdit = {40, 120, 380, 20},
    .lockButton = {60, 146, 300, 20},
    .lockStep = 20,
    .docPathBox = {20, 240, 300, 20},
    .docPathLabel = {40, 260, 300, 20},
    .docPathEdit = {40, 280, 380, 20},
};

// The lock button of lock mode n, below the one before.
ControlRect LockButtonRect(int n);

}  // namespace qf
