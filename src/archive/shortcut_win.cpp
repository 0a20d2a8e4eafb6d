#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "archive/extract_rules.h"
#include "archive/payload_win.h"
#include "base/entry_win.h"
#include "base/install_paths.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/wide_win.h"

namespace qf {

namespace {

// A COM result as the system error it carries, where it carries one.
DWORD ErrorOf(HRESULT result) {
    return HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : static_cast<DWORD>(result);
}

// Describes the link and saves it to shortcutPath. A missing shortcut must not fail an
// installation that has written every file: the caller only hears why.
DWORD SaveShellLink(IShellLinkW* link, const wchar_t* exePath, const wchar_t* shortcutPath) {
    wchar_t folder[TargetPathCapacity];
    link->SetPath(exePath);
    if (CopyText(Buffer(folder), ContainingFolder(U(exePath)))) link->SetWorkingDirectory(folder);
    link->SetDescription(W(text::ShortcutDescription));
    IPersistFile* file = nullptr;
    HRESULT result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (FAILED(result)) return ErrorOf(result);
    result = file->Save(shortcutPath, TRUE);
    file->Release();
    return SUCCEEDED(result) ? ERROR_SUCCESS : ErrorOf(result);
}

// Saves the shortcut without writing through a link or into a file that other names share: where
// one stands in its place, the shortcut is saved under a new name and moved over it, which
// replaces the name and leaves what it led to as it was.
DWORD SaveShortcut(IShellLinkW* link, const wchar_t* exePath, const wchar_t* shortcutPath) {
    const EntryKind kind = ExaminePath(shortcutPath).kind;
    if (kind == EntryKind::Absent || kind == EntryKind::Itself) return SaveShellLink(link, exePath, shortcutPath);
    char16_t temporary[ShortcutPathCapacity];
    if (kind == EntryKind::Unknown || !ShortcutPath(U(ShortcutDesktop), ShortcutTemporaryName, temporary) ||
        ExaminePath(W(temporary)).kind != EntryKind::Absent)
        return kind == EntryKind::Unknown ? ERROR_ACCESS_DENIED : ERROR_ALREADY_EXISTS;
    DWORD error = SaveShellLink(link, exePath, W(temporary));
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(W(temporary), shortcutPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS) RemoveName(W(temporary));
    return error;
}

}  // namespace

DWORD CreateClientShortcut(const wchar_t* exePath) {
    // An empty desktop means neither the profile's nor the system's could be named: no shortcut.
    char16_t shortcutPath[ShortcutPathCapacity];
    if (!ShortcutPath(U(ShortcutDesktop), ShortcutFileName, shortcutPath)) return ERROR_FILENAME_EXCED_RANGE;
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    const HRESULT made = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                          reinterpret_cast<void**>(&link));
    DWORD error = ErrorOf(made);
    if (SUCCEEDED(made)) {
        error = SaveShortcut(link, exePath, W(shortcutPath));
        link->Release();
    }
    CoUninitialize();
    return error;
}

}  // namespace qf
