// Where the frame puts the row of buttons along the bottom of a page, from the text metrics a
// page measures when it is created. Pure.
#pragma once

namespace qf {

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

}  // namespace qf
