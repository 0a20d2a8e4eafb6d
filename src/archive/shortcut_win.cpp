#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "archive/extract_rules.h"
#include "archive/payload_win.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/wide_win.h"

namespace qf {

namespace {

// Describes the link and saves it to shortcutPath. Nothing here is reported: a missing
// shortcut must not fail an installation that has written every file.
void SaveShellLink(IShellLinkW* link, const wchar_t* exePath, const wchar_t* shortcutPath) {
    wchar_t folder[TargetPathCapacity];
    link->SetPath(exePath);
    if (CopyText(Buffer(folder), ContainingFolder(U(exePath)))) link->SetWorkingDirectory(folder);
    link->SetDescription(W(text::ShortcutDescription));
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) return;
    file->Save(shortcutPath, TRUE);
    file->Release();
}

}  // namespace

void CreateClientShortcut(const wchar_t* exePath) {
    // An empty AllUsersDesktop means the profile path did not fit: no desktop, no shortcut.
    wchar_t shortcutPath[PathCapacity];
    if (AllUsersDesktop[0] == L'\0' ||
        !JoinPath(Buffer(shortcutPath), U(AllUsersDesktop), ShortcutFileName))
        return;
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IShellLinkW, reinterpret_cast<void**>(&link)))) {
        SaveShellLink(link, exePath, shortcutPath);
        link->Release();
    }
    CoUninitialize();
}

}  // namespace qf
