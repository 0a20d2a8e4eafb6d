// The reference for the installer's quiet install: the work an installation cannot do without,
// each step the plainest way the system offers, and nothing around it:
//   - one window, shown and painted, with the installation page's edit box on it, under the
//     installer's own manifest: the common controls of version 6 that it asks for are loaded
//     to make the box, as they are for the page;
//   - the archive summed by the installer's own checksum pass, from its one resource;
//   - the installation directory created and this program copied into it as the uninstaller,
//     by the system's file copy (CopyFileW);
//   - the product's keys, the four uninstall values and those Apps & features reads;
//   - each directory created and each file written with one WriteFile from the resource;
//   - the desktop shortcut, through the shell's link object, on the all-users desktop that the
//     installer derives from the profile.
// No pages, run lock, location checks, previous-release tests or messages.
//   required_work [--windowless] TARGET
// TARGET is the rest of the command line, as it stands. --windowless leaves the window out: the
// yardstick of the silent mode. Exit code 0 when every step worked,
// 1 otherwise.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <initializer_list>
#include <string_view>

#include "archive/archive_format.h"
#include "archive/extract_rules.h"
#include "base/product.h"
#include "base/resource_win.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/wide_win.h"
#include "minimal_writer.h"
#include "pages/page_layout.h"
#include "target_argument.h"
#include "startup/desktop_path.h"

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window, &ps);
    const std::u16string_view title = qf::InstallerName;
    TextOutW(dc, 10, 10, qf::W(title.data()), static_cast<int>(title.size()));
    EndPaint(window, &ps);
    return 0;
}

// The installation page's directory field, as the page makes it.
bool AddEditBox(HWND window, HINSTANCE instance) {
    const qf::ControlRect place = qf::PlacePageWide({qf::PageWidth, qf::PageHeight, 0, 0}, qf::DirectoryEdit);
    const HWND edit = CreateWindowExW(
        0, L"edit", qf::W(qf::text::DefaultInstallDirectory), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, place.x, place.y,
        place.width, place.height, window, reinterpret_cast<HMENU>(qf::TextControlId), instance, nullptr);
    if (!edit) return false;
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), TRUE);
    return true;
}

// The window with its edit box, shown, and painted before this returns.
HWND ShowWindowPainted(HINSTANCE instance) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"RequiredWork";
    if (!RegisterClassW(&wc)) return nullptr;
    const HWND window =
        CreateWindowExW(0, wc.lpszClassName, qf::W(qf::InstallerName), WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                        CW_USEDEFAULT, qf::PageWidth, qf::PageHeight, nullptr, nullptr, instance, nullptr);
    if (!window || !AddEditBox(window, instance)) return nullptr;
    UpdateWindow(window);
    return window;
}

bool CopySelf(std::u16string_view target) {
    wchar_t own[qf::PathCapacity];
    wchar_t copy[qf::PathCapacity];
    const DWORD length = GetModuleFileNameW(nullptr, own, qf::PathCapacity);
    return length > 0 && length < qf::PathCapacity && qf::JoinPath(qf::Buffer(copy), target, qf::UninstallerFileName) &&
           CopyFileW(own, copy, FALSE);
}

// The key HKLM\Software\names[0]\names[1]..., created with its missing parents in one call.
bool CreateKey(std::initializer_list<std::u16string_view> names, HKEY& key) {
    wchar_t path[qf::PathCapacity];
    bool fits = qf::CopyText(qf::Buffer(path), qf::SoftwareKeyName);
    for (std::u16string_view name : names)
        fits = fits && qf::AppendText(qf::Buffer(path), u"\\") && qf::AppendText(qf::Buffer(path), name);
    return fits && RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
                       ERROR_SUCCESS;
}

bool SetText(HKEY key, const char16_t* name, std::u16string_view value) {
    return RegSetValueExW(key, qf::W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const char16_t* name, DWORD value) {
    return RegSetValueExW(key, qf::W(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool Register(std::u16string_view target) {
    const auto& family = qf::ProductFamilyKeyPath;
    const auto& list = qf::UninstallKeyPath;
    HKEY release, servers, product;
    if (!CreateKey({family[0], family[1], family[2], qf::ReleaseKeyName}, release)) return false;
    RegCloseKey(release);
    if (!CreateKey({family[0], family[1], family[2], qf::ServersKeyName}, servers)) return false;
    RegCloseKey(servers);
    if (!CreateKey({list[0], list[1], list[2], list[3], qf::ProductUninstallKeyName}, product)) return false;
    wchar_t name[qf::MessageCapacity];
    wchar_t icon[qf::PathCapacity];
    wchar_t command[qf::PathCapacity];
    wchar_t quiet[qf::PathCapacity];
    const bool registered =
        qf::FormatText(qf::Buffer(name), qf::text::DisplayNameFormat, {qf::ReleaseDateText}) &&
        qf::JoinPath(qf::Buffer(icon), target, qf::ClientFileName) &&
        qf::FormatText(qf::Buffer(command), qf::UninstallCommandFormat, {target, qf::UninstallerFileName}) &&
        SetText(product, u"DisplayName", qf::U(name)) && SetText(product, u"DisplayIcon", qf::U(icon)) &&
        SetText(product, qf::UninstallStringValueName, qf::U(command)) &&
        SetText(product, qf::InstallLocationValueName, target) &&
        qf::FormatText(qf::Buffer(quiet), qf::QuietUninstallCommandFormat, {target, qf::UninstallerFileName}) &&
        SetText(product, qf::DisplayVersionValueName, qf::DisplayVersionText) &&
        SetText(product, qf::PublisherValueName, qf::PublisherText) &&
        SetNumber(product, qf::EstimatedSizeValueName, 1) && SetText(product, qf::InstallDateValueName, u"20191220") &&
        SetText(product, qf::UrlInfoAboutValueName, qf::ReleasePageUrl) &&
        SetNumber(product, qf::NoModifyValueName, 1) && SetNumber(product, qf::NoRepairValueName, 1) &&
        SetText(product, qf::QuietUninstallStringValueName, qf::U(quiet));
    RegCloseKey(product);
    return registered;
}

bool SaveShortcut(std::u16string_view target) {
    wchar_t profile[qf::PathCapacity];
    wchar_t desktop[qf::PathCapacity];
    wchar_t shortcut[qf::PathCapacity];
    wchar_t client[qf::PathCapacity];
    wchar_t folder[qf::PathCapacity];
    const DWORD length = GetEnvironmentVariableW(L"USERPROFILE", profile, qf::PathCapacity);
    if (length == 0 || length >= qf::PathCapacity ||
        !qf::DeriveAllUsersDesktop(std::u16string_view(qf::U(profile), length), qf::Buffer(desktop)) ||
        !qf::JoinPath(qf::Buffer(shortcut), qf::U(desktop), qf::ShortcutFileName) ||
        !qf::JoinPath(qf::Buffer(client), target, qf::ClientFileName) || !qf::CopyText(qf::Buffer(folder), target))
        return false;
    CoInitialize(nullptr);
    bool saved = false;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(client);
        link->SetWorkingDirectory(folder);
        link->SetDescription(qf::W(qf::text::ShortcutDescription));
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            saved = SUCCEEDED(file->Save(shortcut, TRUE));
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return saved;
}

bool Install(std::span<const std::uint8_t> archive, std::u16string_view target) {
    wchar_t folder[qf::DirectoryPathCapacity];
    if (!qf::VerifyArchive(archive, nullptr, nullptr) || !qf::CopyText(qf::Buffer(folder), target)) return false;
    CreateDirectoryW(folder, nullptr);
    return CopySelf(target) && Register(target) && WriteTreeMinimally(archive, target) && SaveShortcut(target);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::u16string_view target = TargetArgument(qf::U(GetCommandLineW()));
    // The yardstick of the silent mode, which shows nothing either.
    constexpr std::u16string_view windowless = u"--windowless ";
    const bool window = !target.starts_with(windowless);
    if (!window) target.remove_prefix(windowless.size());
    if (target.empty() || (window && !ShowWindowPainted(instance))) return 1;
    const qf::MappedResource archive = qf::MapResource(instance, qf::PayloadResourceType, qf::PayloadResourceId);
    return Install(archive.Bytes(), target) ? 0 : 1;
}
