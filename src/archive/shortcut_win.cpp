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

// Describes the link and saves it to shortcutPath. Nothing here is reported: a missing
// shortcut must not fail an installation that has written every file.
bool SaveShellLink(IShellLinkW* link, const wchar_t* exePath, const wchar_t* shortcutPath) {
    wchar_t folder[TargetPathCapacity];
    link->SetPath(exePath);
    if (CopyText(Buffer(folder), ContainingFolder(U(exePath)))) link->SetWorkingDirectory(folder);
    link->SetDescription(W(text::ShortcutDescription));
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) return false;
    const bool saved = SUCCEEDED(file->Save(shortcutPath, TRUE));
    file->Release();
    return saved;
}

// Saves the shortcut without writing through a link or into a file that other names share: where
// one stands in its place, the shortcut is saved under a new name and moved over it, which
// replaces the name and leaves what it led to as it was.
void SaveShortcut(IShellLinkW* link, const wchar_t* exePath, const wchar_t* shortcutPath) {
    const EntryKind kind = ExaminePath(shortcutPath).kind;
    if (kind == EntryKind::Absent || kind == EntryKind::Itself) {
        SaveShellLink(link, exePath, shortcutPath);
        return;
    }
    char16_t temporary[ShortcutPathCapacity];
    if (kind == EntryKind::Unknown || !ShortcutPath(U(ShortcutDesktop), ShortcutTemporaryName, temporary) ||
        ExaminePath(W(temporary)).kind != EntryKind::Absent)
        return;
    if (!SaveShellLink(link, exePath, W(temporary)) ||
        !MoveFileExW(W(temporary), shortcutPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RemoveName(W(temporary));
}

}  // namespace

void CreateClientShortcut(const wchar_t* exePath) {
    // An empty desktop means neither the profile's nor the system's could be named: no shortcut.
    char16_t shortcutPath[ShortcutPathCapacity];
    if (!ShortcutPath(U(ShortcutDesktop), ShortcutFileName, shortcutPath)) return;
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        SaveShortcut(link, exePath, W(shortcutPath));
        link->Release();
    }
    CoUninitialize();
}

}  // namespace qf
