#include "registration/location_check_win.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <array>
#include <span>
#include <string_view>

#include "base/entry_win.h"
#include "base/product.h"
#include "base/wide_win.h"

namespace qf {
namespace {

// The machine's and the running user's folders that an installation must never take the place
// of. Those a system lacks (the 64-bit ones on 32-bit Windows) are simply not found.
// clang-format off
const KNOWNFOLDERID* const KnownFolders[] = {
    &FOLDERID_Windows,          &FOLDERID_System,           &FOLDERID_SystemX86,
    &FOLDERID_ProgramFiles,     &FOLDERID_ProgramFilesX86,  &FOLDERID_ProgramFilesX64,
    &FOLDERID_ProgramFilesCommon, &FOLDERID_ProgramFilesCommonX86, &FOLDERID_ProgramFilesCommonX64,
    &FOLDERID_ProgramData,      &FOLDERID_UserProfiles,     &FOLDERID_Public,
    &FOLDERID_Profile,          &FOLDERID_PublicDesktop,    &FOLDERID_Desktop,
    &FOLDERID_CommonStartMenu,  &FOLDERID_StartMenu,        &FOLDERID_CommonPrograms,
    &FOLDERID_Programs,         &FOLDERID_CommonStartup,    &FOLDERID_Startup,
    &FOLDERID_PublicDocuments,  &FOLDERID_Documents,        &FOLDERID_LocalAppData,
    &FOLDERID_RoamingAppData,   &FOLDERID_Downloads,        &FOLDERID_Fonts,
};
// clang-format on
// The known folders, the Windows directory as the system and as windir say, and temp.
constexpr std::size_t ProtectedCapacity = std::size(KnownFolders) + 3;
// Each protected directory with every directory above it.
constexpr std::size_t IdentityCapacity = 512;

struct ProtectedSet {
    wchar_t texts[ProtectedCapacity][PathCapacity];
    std::array<std::u16string_view, ProtectedCapacity> views;
    std::size_t count;
    std::array<FileIdentity, IdentityCapacity> identities;
    std::size_t identityCount;
    wchar_t windows[PathCapacity];
};

void AddIdentity(ProtectedSet& set, const FileIdentity& identity) {
    for (std::size_t i = 0; i < set.identityCount; ++i)
        if (set.identities[i] == identity) return;
    if (set.identityCount < IdentityCapacity) set.identities[set.identityCount++] = identity;
}

// The directory and every directory above it, as they are on disk: its final path cut back
// one name at a time down to the volume's root.
void AddIdentities(ProtectedSet& set, const wchar_t* directory) {
    const HANDLE file = OpenEntry(directory, true);
    if (file == INVALID_HANDLE_VALUE) return;
    wchar_t path[DirectoryPathCapacity];
    const std::size_t length = FinalPath(file, path);
    CloseHandle(file);
    if (length == 0) return;
    std::size_t end = length;
    for (;;) {
        path[end] = L'\0';
        FileIdentity identity;
        if (IdentifyPath(path, true, identity)) AddIdentity(set, identity);
        const std::wstring_view text(path, end);
        if (text.back() == L'\\') return;  // the root, "\\?\C:\", was the last
        const std::size_t slash = text.find_last_of(L'\\');
        if (slash == std::wstring_view::npos || slash < 4) return;  // only the "\\?\" prefix is left
        end = path[slash - 1] == L':' ? slash + 1 : slash;
    }
}

void AddProtected(ProtectedSet& set, const wchar_t* directory, std::size_t length) {
    if (length == 0) return;
    AddIdentities(set, directory);
    if (length >= PathCapacity || set.count == ProtectedCapacity) return;
    wchar_t* text = set.texts[set.count];
    CopyMemory(text, directory, length * sizeof(wchar_t));
    text[length] = L'\0';
    set.views[set.count++] = std::u16string_view(U(text), length);
}

void GatherProtected(ProtectedSet& set) {
    wchar_t path[PathCapacity];
    UINT length = GetSystemWindowsDirectoryW(set.windows, PathCapacity);
    if (length >= PathCapacity) length = 0;
    set.windows[length] = L'\0';
    AddProtected(set, set.windows, length);
    DWORD size = GetEnvironmentVariableW(L"windir", path, PathCapacity);
    AddProtected(set, path, size < PathCapacity ? size : 0);
    size = GetTempPathW(PathCapacity, path);
    if (size > 3 && size < PathCapacity && path[size - 1] == L'\\') path[--size] = L'\0';
    AddProtected(set, path, size < PathCapacity ? size : 0);
    for (const KNOWNFOLDERID* id : KnownFolders) {
        PWSTR folder = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &folder)) && folder)
            AddProtected(set, folder, lstrlenW(folder));
        CoTaskMemFree(folder);
    }
}

bool IsVolumeRoot(const wchar_t* location, const FileIdentity& identity) {
    wchar_t volume[DirectoryPathCapacity];
    FileIdentity root;
    return GetVolumePathNameW(location, volume, DirectoryPathCapacity) &&
           IdentifyPath(volume, true, root) && root == identity;
}

}  // namespace

LocationVerdict CheckLocation(const wchar_t* location, FileIdentity* judged) {
    ProtectedSet set;  // some 22 KB of the stack, for one judgement
    set.count = 0;
    set.identityCount = 0;
    GatherProtected(set);
    const LocationVerdict verdict = JudgeLocation(
        U(location), {std::u16string_view(U(set.windows)), std::span(set.views.data(), set.count)});
    if (verdict != LocationVerdict::Removable) return verdict;

    switch (ExamineEntry(location)) {
        case EntryKind::Absent: return LocationVerdict::Removable;
        case EntryKind::Link:
        case EntryKind::Unknown: return LocationVerdict::Protected;
        case EntryKind::Itself:
        case EntryKind::Shared: break;
    }
    FileIdentity identity;
    if (!IdentifyPath(location, false, identity)) return LocationVerdict::Protected;
    for (std::size_t i = 0; i < set.identityCount; ++i)
        if (set.identities[i] == identity) return LocationVerdict::Protected;
    if (IsVolumeRoot(location, identity)) return LocationVerdict::Protected;
    if (judged) *judged = identity;
    return LocationVerdict::Removable;
}

}  // namespace qf
