// The uninstall mode: removes the installed tree, the desktop shortcut, this release's key and
// the uninstall registration, then says so. Every step that fails ends the mode silently.
#include "registration/uninstall_win.h"

#include <windows.h>

#include <span>
#include <string_view>

#include "base/entry_win.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/run_lock_win.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/ui_win.h"
#include "base/wide_win.h"
#include "registration/location_check_win.h"
#include "registration/registry_win.h"

namespace qf {
namespace {

using PathBuffer = wchar_t[DirectoryPathCapacity];

// Opens the entry as itself, never what a link points to, and deletes it. ERROR_SUCCESS, or why
// it stays: read-only, in use, no rights, a directory not yet empty.
DWORD DeleteOnce(const wchar_t* path, bool directory) {
    const DWORD access = GENERIC_READ | GENERIC_WRITE | DELETE | (directory ? FILE_DELETE_CHILD : 0);
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (directory ? FILE_FLAG_BACKUP_SEMANTICS : 0);
    const HANDLE entry =
        CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
    if (entry == INVALID_HANDLE_VALUE) return GetLastError();
    const DWORD error = DeleteOpenEntry(entry);
    CloseHandle(entry);
    return error;
}

// A virus scanner or an indexer may hold a file for a moment just as the walk reaches it (right
// after an installation, typically): such an entry is tried again over about two seconds in all
// before it counts as left. A read-only file would stay however long the walk waited.
constexpr DWORD RetryPausesMs[] = {100, 200, 300, 600, 800};

bool MayBeHeldForAMoment(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

enum class Patience {
    Once,
    Retry,
};

// Whether the entry went (or goes once another program lets go of it).
bool DeleteEntry(const wchar_t* path, DWORD attributes, Patience patience) {
    const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    DWORD error = DeleteOnce(path, directory);
    if (patience == Patience::Retry && (directory || (attributes & FILE_ATTRIBUTE_READONLY) == 0)) {
        for (const DWORD pause : RetryPausesMs) {
            if (!MayBeHeldForAMoment(error)) break;
            Sleep(pause);
            error = DeleteOnce(path, directory);
        }
    }
    return error == ERROR_SUCCESS;
}

// What of a branch is still there after the walk. Kept: only what stays by design, the
// directories whose names begin with a dot and the running uninstaller, with the directories
// that hold them. Left: something the walk was to remove and could not (read-only, in use, no
// rights, a link that cannot be removed safely, a path too long for the buffers).
enum class Remains {
    Nothing,
    Kept,
    Left,
};

Remains Worse(Remains a, Remains b) { return a > b ? a : b; }

// An entry's path within its volume, as the file system names what a handle has open.
struct VolumeName {
    alignas(FILE_NAME_INFO) unsigned char bytes[sizeof(FILE_NAME_INFO) + DirectoryPathCapacity * sizeof(wchar_t)];

    std::wstring_view Text() const {
        const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(bytes);
        return {info->FileName, info->FileNameLength / sizeof(wchar_t)};
    }
};

// The walk's state beside its recursion. path is the entry at hand, in the \\?\ form, which
// Windows takes at any length up to the buffers: the directory being emptied as the file
// system resolves it, grown by a name on the way down and cut back on the way up. Its first
// volumeLength units name the volume ("\\?\C:", "\\?\UNC\server\share"), the rest is the path
// within it.
struct Walk {
    PathBuffer path;
    std::size_t volumeLength;
    DWORD volume;
    // The running program, which Windows does not let go of while it runs: an uninstaller
    // started from the installation stays there, by design.
    FileIdentity self;
    bool selfKnown;
    VolumeName entryName;
};

// Opens path without following a link at its end; its name within its volume in name and
// which file it is in identity.
bool DescribeEntry(const wchar_t* path, VolumeName& name, FileIdentity& identity) {
    const HANDLE file = OpenEntry(path, false);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool described = GetFileInformationByHandle(file, &info) &&
                           GetFileInformationByHandleEx(file, FileNameInfo, name.bytes, sizeof name.bytes);
    CloseHandle(file);
    if (described) identity = IdentityOf(info);
    return described;
}

// Whether walk.path names that very entry on the walk's volume, so that deleting it deletes
// nothing else. Windows marks a junction or symbolic link with FILE_ATTRIBUTE_REPARSE_POINT
// and, opened as itself, names it by its own path: it passes, and only the link goes. Wine
// shows a Unix symbolic link to a file as a plain file, and deleting through any Unix link
// deletes what it points to (a file, or an empty directory); but it names the link by its
// target, so it fails here and link and target both stay. Compared within the volume, because
// Wine gives no whole path (GetFinalPathNameByHandle) of anything deeper than 260 units.
bool IsEntryItself(Walk& walk, FileIdentity& identity) {
    return DescribeEntry(walk.path, walk.entryName, identity) && identity.volume == walk.volume &&
           SameName(walk.entryName.Text(), std::wstring_view(walk.path).substr(walk.volumeLength));
}

Remains RemoveDirectoryTree(Walk& walk);

// The entry at walk.path, found as a directory or not, a link or not.
Remains RemoveEntryAt(Walk& walk, DWORD attributes) {
    FileIdentity identity;
    if (!IsEntryItself(walk, identity)) return Remains::Left;
    const bool isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A junction or directory link goes as the link only, never entered.
    if (isDirectory && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return RemoveDirectoryTree(walk);
    if (!isDirectory && walk.selfKnown && identity == walk.self)
        return DeleteEntry(walk.path, attributes, Patience::Once) ? Remains::Nothing : Remains::Kept;
    return DeleteEntry(walk.path, attributes, Patience::Retry) ? Remains::Nothing : Remains::Left;
}

Remains RemoveEntry(const WIN32_FIND_DATAW& found, Walk& walk) {
    const std::wstring_view name(found.cFileName);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name[0] == L'.') {
        // Directories whose names begin with a dot are passed over and keep their content, by
        // design; files with such names go.
        return name == L"." || name == L".." ? Remains::Nothing : Remains::Kept;
    }
    const std::size_t length = TextLength(Buffer(walk.path));
    // A path that does not fit its buffer is never cut and used: the entry stays.
    const Remains remains = AppendText(Buffer(walk.path), u"\\") && AppendText(Buffer(walk.path), U(found.cFileName))
                                ? RemoveEntryAt(walk, found.dwFileAttributes)
                                : Remains::Left;
    walk.path[length] = L'\0';
    return remains;
}

// Empties and removes the directory walk.path, depth first.
Remains RemoveDirectoryTree(Walk& walk) {
    const std::size_t length = TextLength(Buffer(walk.path));
    WIN32_FIND_DATAW found;
    const HANDLE search = AppendText(Buffer(walk.path), u"\\*") ? FindFirstFileW(walk.path, &found)
                                                                : INVALID_HANDLE_VALUE;
    walk.path[length] = L'\0';
    if (search == INVALID_HANDLE_VALUE) return Remains::Left;
    Remains below = Remains::Nothing;
    do {
        below = Worse(below, RemoveEntry(found, walk));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (DeleteEntry(walk.path, FILE_ATTRIBUTE_DIRECTORY, below == Remains::Nothing ? Patience::Retry : Patience::Once))
        return Remains::Nothing;
    // A directory that stays for none of its entries (held open, say) is something left.
    return below == Remains::Nothing ? Remains::Left : below;
}

// The walk starts from the location as the file system resolves it, in the \\?\ form, and
// from its name within its volume, which must end that form.
bool StartWalk(const wchar_t* location, Walk& walk) {
    const HANDLE directory = OpenEntry(location, true);
    if (directory == INVALID_HANDLE_VALUE) return false;
    const std::size_t length = FinalPath(directory, walk.path);
    CloseHandle(directory);
    if (length == 0) return false;
    FileIdentity identity;
    if (!DescribeEntry(walk.path, walk.entryName, identity)) return false;
    const std::wstring_view path(walk.path, length);
    const std::wstring_view name = walk.entryName.Text();
    if (name.empty() || name.size() > path.size() || !SameName(path.substr(path.size() - name.size()), name))
        return false;
    walk.volumeLength = path.size() - name.size();
    walk.volume = identity.volume;
    PathBuffer self;
    const DWORD selfLength = GetModuleFileNameW(nullptr, self, DirectoryPathCapacity);
    walk.selfKnown = selfLength > 0 && selfLength < DirectoryPathCapacity && IdentifyPath(self, true, walk.self);
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
// or by what it is on disk (location_check_win.h), and when it cannot be listed. True when
// nothing stays but what stays by design.
bool RemoveInstalledTree(const wchar_t* location) {
    Walk walk;
    return CheckLocation(location) == LocationVerdict::Removable && StartWalk(location, walk) &&
           RemoveDirectoryTree(walk) != Remains::Left;
}

void DeleteShortcut() {
    // Unknown, the folder would leave a name relative to the current drive's root.
    if (AllUsersDesktop[0] == L'\0') return;
    // A shortcut that is a link goes as the link file itself, never its target; one that Wine
    // cannot delete so (a Unix link) stays.
    PathBuffer path;
    if (FormatText(Buffer(path), u"%s\\%s", {U(AllUsersDesktop), ShortcutFileName}) &&
        ExamineEntry(path) == EntryKind::Itself)
        DeleteEntry(path, 0, Patience::Once);
}

}  // namespace

void RunUninstall() {
    TakeRunLock();
    Key software;
    Key uninstall;
    Key product;
    if (!OpenSoftwareKey(KEY_READ, software) || !OpenUninstallList(software.handle, uninstall) ||
        !OpenKey(uninstall.handle, ProductUninstallKeyName, KEY_READ | DELETE, product))
        return;
    PathBuffer location;
    if (!ReadInstallLocation(product.handle, location) || location[0] == L'\0') return;
    // Whatever of the installation stays keeps its registration, so the uninstall can be run
    // again once the cause is gone (a file closed, a read-only flag cleared).
    if (!RemoveInstalledTree(location)) return;
    DeleteShortcut();

    Key family;
    if (!OpenFamilyKey(software.handle, KEY_READ | DELETE, family) ||
        RegDeleteKeyW(family.handle, W(ReleaseKeyName)) != ERROR_SUCCESS)
        return;
    product.Close();
    if (RegDeleteKeyW(uninstall.handle, W(ProductUninstallKeyName)) != ERROR_SUCCESS) return;
    ShowMessage(nullptr, text::UninstallCompleteMessage, text::UninstallCompleteCaption,
                MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace qf
