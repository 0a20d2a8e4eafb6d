// The uninstall mode: removes the installed tree, the desktop shortcut, this release's key and
// the uninstall registration, then says so. Every step that fails ends the mode silently.
#include "registration/uninstall.h"

#include <windows.h>

#include <span>
#include <string_view>

#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/win32.h"
#include "base/entry_win.h"
#include "base/run_lock_win.h"
#include "registration/location_check_win.h"
#include "registration/registry_win.h"
#include "startup/admin_query.h"
#include "startup/process_state.h"

namespace qf {
namespace {

using PathBuffer = wchar_t[DirectoryPathCapacity];

// What the walk deletes is the entry itself, never what a link points to.
constexpr DWORD DeleteFileFlags = FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT;
constexpr DWORD DeleteDirectoryFlags = DeleteFileFlags | FILE_FLAG_BACKUP_SEMANTICS;

// Opening with delete-on-close and closing deletes. What cannot be opened so (read-only, in
// use, a directory not yet empty) stays, and so does every directory above it.
void DeleteByHandle(const wchar_t* path, DWORD access, DWORD flags) {
    const HANDLE file = CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, flags, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

void DeleteFileEntry(const wchar_t* path) {
    DeleteByHandle(path, GENERIC_READ | GENERIC_WRITE, DeleteFileFlags);
}

void DeleteDirectoryEntry(const wchar_t* path) {
    DeleteByHandle(path, GENERIC_READ | GENERIC_WRITE | FILE_DELETE_CHILD, DeleteDirectoryFlags);
}

// The walk's state beside its recursion: the directory being emptied as Windows resolves it,
// grown by a name on the way down and cut back on the way up, and room to resolve an entry.
struct Walk {
    PathBuffer directory;
    PathBuffer entry;
};

// Where path leads, links on the way followed; a link at its end is named itself unless
// followLink. False when it cannot be opened or its path does not fit.
bool ResolvePath(const wchar_t* path, std::span<wchar_t> out, bool followLink) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD length = GetFinalPathNameByHandleW(file, out.data(), static_cast<DWORD>(out.size()),
                                                   FILE_NAME_NORMALIZED);
    CloseHandle(file);
    return length > 0 && length < out.size();
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Whether path, found as name in the walk's directory, resolves to that very entry, so that
// deleting it deletes nothing else. Windows marks a junction or symbolic link with
// FILE_ATTRIBUTE_REPARSE_POINT and, opened as itself, resolves it to its own path: it passes,
// and only the link goes. Wine shows a Unix symbolic link to a file as a plain file, and
// deleting through any Unix link deletes what it points to (a file, or an empty directory);
// but it resolves the link to its target, so it fails here and link and target both stay.
bool IsEntryItself(const wchar_t* path, std::wstring_view name, Walk& walk) {
    if (!ResolvePath(path, walk.entry, false)) return false;
    const std::wstring_view resolved(walk.entry);
    const std::wstring_view directory(walk.directory);
    return resolved.size() == directory.size() + 1 + name.size() &&
           SameName(resolved.substr(0, directory.size()), directory) &&
           resolved[directory.size()] == L'\\' &&
           SameName(resolved.substr(directory.size() + 1), name);
}

bool RemoveDirectoryTree(std::span<wchar_t> pattern, Walk& walk);

void RemoveEntry(const wchar_t* directory, const WIN32_FIND_DATAW& found, Walk& walk) {
    const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Directories whose names begin with a dot ("." and ".." among them) are passed over and
    // keep their content; files with such names go.
    if (isDirectory && found.cFileName[0] == L'.') return;
    // A path that does not fit its buffer is never cut and used: the entry stays.
    PathBuffer path;
    if (!FormatText(Buffer(path), u"%s\\%s", {U(directory), U(found.cFileName)})) return;
    if (!IsEntryItself(path, found.cFileName, walk)) return;
    if (!isDirectory) {
        DeleteFileEntry(path);
    } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        DeleteDirectoryEntry(path);  // a junction or directory link: the link only, not entered
    } else {
        const std::size_t length = TextLength(Buffer(walk.directory));
        if (AppendText(Buffer(path), u"\\*") && AppendText(Buffer(walk.directory), u"\\") &&
            AppendText(Buffer(walk.directory), U(found.cFileName)))
            RemoveDirectoryTree(path, walk);
        walk.directory[length] = L'\0';
    }
}

// Empties and removes the directory of pattern ("<directory>\*"), depth first, and cuts the
// "\*" off pattern. False when the directory cannot be listed; nothing is removed then.
bool RemoveDirectoryTree(std::span<wchar_t> pattern, Walk& walk) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.data(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    pattern[TextLength({U(pattern.data()), pattern.size()}) - 2] = L'\0';
    do {
        RemoveEntry(pattern.data(), found, walk);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    DeleteDirectoryEntry(pattern.data());
    return true;
}

// InstallLocation as stored, at most 2048 bytes; a text with no room left for its terminator
// is refused.
bool ReadInstallLocation(HKEY product, std::span<wchar_t> location) {
    DWORD bytes = static_cast<DWORD>(location.size_bytes());
    if (RegQueryValueExW(product, W(InstallLocationValueName), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(location.data()), &bytes) != ERROR_SUCCESS)
        return false;
    const std::size_t length = TextLength({U(location.data()), bytes / sizeof(wchar_t)});
    if (length == location.size()) return false;
    location[length] = L'\0';
    return true;
}

// Removes the installed tree at location. Refused, with nothing removed, when location is a
// root, a mount point, a protected directory or one holding it, or itself a link, by its text
// or by what it is on disk (location_check_win.h). False when refused or when the directory
// cannot be listed.
bool RemoveInstalledTree(std::span<wchar_t> location) {
    Walk walk;
    if (CheckLocation(location.data()) != LocationVerdict::Removable ||
        !ResolvePath(location.data(), walk.directory, true))
        return false;
    return AppendText({U(location.data()), location.size()}, u"\\*") &&
           RemoveDirectoryTree(location, walk);
}

void DeleteShortcut() {
    // Unknown, the folder would leave a name relative to the current drive's root.
    if (AllUsersDesktop[0] == L'\0') return;
    // A shortcut that is a link goes as the link file itself, never its target; one that Wine
    // cannot delete so (a Unix link) stays.
    PathBuffer path;
    if (FormatText(Buffer(path), u"%s\\%s", {U(AllUsersDesktop), ShortcutFileName}) &&
        ExamineEntry(path) == EntryKind::Itself)
        DeleteFileEntry(path);
}

}  // namespace

void RunUninstall() {
    if (!AdministratorQuery()) return;
    RunLock lock;
    TakeRunLock(lock);
    Key software;
    Key uninstall;
    Key product;
    if (!OpenKey(HKEY_LOCAL_MACHINE, SoftwareKeyName, KEY_READ, software) ||
        !OpenKeyPath(software.handle, UninstallKeyPath, KEY_READ, uninstall) ||
        !OpenKey(uninstall.handle, ProductUninstallKeyName, KEY_READ | DELETE, product))
        return;
    PathBuffer location;
    if (!ReadInstallLocation(product.handle, location) || location[0] == L'\0') return;
    if (!RemoveInstalledTree(location)) return;
    DeleteShortcut();

    const std::span<const char16_t* const> familyPath = ProductFamilyKeyPath;
    Key lexaris;
    Key family;
    if (!OpenKeyPath(software.handle, familyPath.first(2), KEY_READ, lexaris) ||
        !OpenKey(lexaris.handle, familyPath.back(), KEY_READ | DELETE, family) ||
        RegDeleteKeyW(family.handle, W(ReleaseKeyName)) != ERROR_SUCCESS)
        return;
    product.Close();
    if (RegDeleteKeyW(uninstall.handle, W(ProductUninstallKeyName)) != ERROR_SUCCESS) return;
    lock.Release();
    ShowMessage(nullptr, text::UninstallCompleteMessage, text::UninstallCompleteCaption,
                MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace qf
