// Takes pictures of the installer's pages for the README: drives the real qfsetup.exe as a
// user would and saves the screen under each page as a 24-bit BMP in the folder given.
//   page_shots.exe OUTDIR
#include <windows.h>

#include <cstdio>
#include <string>

#include "driver/driver.h"
#include "e2e_support.h"
#include "pages/page_layout.h"

namespace {

// The screen area of a window (and whatever covers it) as a bottom-up 24-bit BMP.
bool SaveScreen(RECT area, const std::wstring& path) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    const int stride = (w * 3 + 3) & ~3;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, static_cast<DWORD>(stride * h), 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * h),
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    bool written = false;
    if (copied) {
        if (FILE* out = _wfopen(path.c_str(), L"wb")) {
            written = fwrite(&file, sizeof file, 1, out) == 1 &&
                      fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                      fwrite(bits, static_cast<std::size_t>(stride) * h, 1, out) == 1;
            fclose(out);
        }
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

bool Shoot(HWND window, const std::wstring& path) {
    Sleep(300);  // let the page and its controls finish painting
    const bool ok = window && SaveScreen(driver::WindowRect(window), path);
    std::fwprintf(stderr, L"%ls %ls\n", ok ? L"saved" : L"FAILED", path.c_str());
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    const std::wstring out = argv[1];
    const std::wstring installer = e2e::Built(L"qfsetup.exe");
    e2e::ResetRegistry();
    bool ok = true;

    driver::Process p = e2e::Start(installer, L"");
    const HWND licence = driver::WaitWindow(p, e2e::texts::LicenceBoxClass, nullptr, e2e::WaitMs);
    const HWND accept = licence ? driver::Child(licence, qf::AcceptBoxId) : nullptr;
    driver::Click(accept);
    driver::WaitUntil([&] { return driver::CheckState(accept) == BST_CHECKED; }, e2e::WaitMs);
    ok &= Shoot(licence, out + L"\\licence-page.bmp");
    driver::Click(driver::Child(licence, qf::ForwardId));
    const HWND location = driver::WaitWindow(p, e2e::texts::LocationBoxClass, nullptr, e2e::WaitMs);
    ok &= Shoot(location, out + L"\\installation-page.bmp");
    const std::wstring target = e2e::ScratchDir(L"shots") + L"\\ORIN-6";
    driver::SetText(driver::Child(location, qf::TextControlId), target);
    driver::Click(driver::Child(location, qf::ForwardId));
    // The completion message over the page, whose status line names the last file written.
    driver::MsgBox box;
    if (driver::WaitMessageBox(p, box, 60000)) {
        ok &= Shoot(location, out + L"\\installation-complete.bmp");
        driver::Answer(box, IDOK);
    }
    driver::WaitExit(p, e2e::WaitMs);

    driver::Process c = e2e::Start(installer, L"/custom");
    const HWND custom = driver::WaitWindow(c, e2e::texts::CustomBoxClass, nullptr, e2e::WaitMs);
    const HWND serverBox = custom ? driver::Child(custom, qf::ServerBoxId) : nullptr;
    driver::Click(serverBox);
    driver::WaitUntil([&] { return driver::CheckState(serverBox) == BST_CHECKED; }, e2e::WaitMs);
    driver::SetText(driver::Child(custom, qf::TextControlId, L"Edit"), L"orin.example.com");
    driver::Click(driver::Child(custom, qf::LockButtonId + 1));
    ok &= Shoot(custom, out + L"\\customisation-page.bmp");
    driver::ClickClose(custom);
    driver::WaitExit(c, e2e::WaitMs);
    e2e::ResetRegistry();
    return ok ? 0 : 1;
}
