#include "base/ui_win.h"

#include "base/product.h"
#include "base/run_lock_win.h"
#include "base/wide_win.h"

namespace qf {

int ShowMessage(HWND owner, const char16_t* text, const char16_t* caption, UINT style) {
    ReleaseRunLock();
    return MessageBoxW(owner, W(text), W(caption), style);
}

int ShowFormattedMessage(HWND owner, const char16_t* format, std::initializer_list<FormatArg> args,
                         const char16_t* caption, UINT style) {
    char16_t message[MessageCapacity + DirectoryPathCapacity];
    FormatText(message, format, args);
    return ShowMessage(owner, message, caption, style);
}

void RepaintNow(HWND page) {
    if (!IsWindowVisible(page)) return;
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_UPDATENOW);
}

}  // namespace qf
