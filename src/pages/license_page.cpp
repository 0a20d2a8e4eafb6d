#include "pages/pages.h"

namespace qf {

LRESULT CALLBACK LicensePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE: PostQuitMessage(0); return 0;
        case WM_DESTROY: return 0;
        default: return DefWindowProcW(page, message, wParam, lParam);
    }
}

}  // namespace qf
