#include "pages/page_layout.h"

namespace qf {

int ButtonWidth(const CreationMetrics& m) { return 8 * m.charWidth; }
int ButtonHeight(const CreationMetrics& m) { return m.lineHeight + m.lineHeight / 2; }
int ButtonRowTop(const CreationMetrics& m) { return m.cy - 4 * m.lineHeight; }

ControlRect RowButton(const CreationMetrics& m, int margin, int slot) {
    return {m.cx - slot * ButtonWidth(m) - margin, ButtonRowTop(m), ButtonWidth(m), ButtonHeight(m)};
}

ControlRect AcceptBoxRect(const CreationMetrics& m) { return {20, ButtonRowTop(m), 30 * m.charWidth, ButtonHeight(m)}; }

ControlRect PlacePageWide(const CreationMetrics& m, const PageWideRect& rect) {
    return {rect.x, rect.y, m.cx - rect.widthLess, rect.height};
}

int TextTopY(const TextTop& top, int lineHeight) { return top.lines * lineHeight + top.pixels; }

int StatusLineTop(int clientBottom) { return clientBottom - StatusLineFromBottom; }

ControlRect LockButtonRect(int n) {
    ControlRect rect = CustomPageLayout.lockButton;
    rect.y += n * CustomPageLayout.lockStep;
    return rect;
}

}  // namespace qf
