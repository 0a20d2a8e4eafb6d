// The uninstall mode: removes the installed tree, the desktop shortcut, this release's key and
// the uninstall registration, then says so. Every step that fails ends the mode silently.
#include "registration/uninstall_win.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>

#include "archive/archive_format.h"
#include "archive/extract_rules.h"

#include "base/entry_win.h"
#include "base/install_paths.h"
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

// Empties the directory walk.path, depth first, passing over the entry named last.
Remains EmptyDirectory(Walk& walk, std::wstring_view last) {
    const std::size_t length = TextLength(Buffer(walk.path));
    WIN32_FIND_DATAW found;
    const HANDLE search =
        AppendText(Buffer(walk.path), u"\\*") ? FindFirstFileW(walk.path, &found) : INVALID_HANDLE_VALUE;
    walk.path[length] = L'\0';
    if (search == INVALID_HANDLE_VALUE) return Remains::Left;
    Remains below = Remains::Nothing;
    do {
        if (!SameName(found.cFileName, last)) below = Worse(below, RemoveEntry(found, walk));
    } while (FindNextFileW(search, &found));
    // A listing that broke off may have left anything unseen: the uninstaller stays for the next run.
    if (GetLastError() != ERROR_NO_MORE_FILES) below = Remains::Left;
    FindClose(search);
    return below;
}

Remains RemoveDirectoryTree(Walk& walk) {
    const Remains below = EmptyDirectory(walk, {});
    if (DeleteEntry(walk.path, FILE_ATTRIBUTE_DIRECTORY, below == Remains::Nothing ? Patience::Retry : Patience::Once))
        return Remains::Nothing;
    // A directory that stays for none of its entries (held open, say) is something left.
    return below == Remains::Nothing ? Remains::Left : below;
}

// The walk starts from the location opened once, as itself. It must be what was judged: a
// folder swapped for a link or for another folder since is not walked. The walk goes on from
// the path the file system gives that very handle, in the \\?\ form, and from its name within
// its volume, which must end that form.
bool StartWalk(const wchar_t* location, const FileIdentity& judged, Walk& walk) {
    const HANDLE directory = OpenEntry(location, false);
    if (directory == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool same = GetFileInformationByHandle(directory, &info) && IdentityOf(info) == judged &&
                      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    const std::size_t length = same ? FinalPath(directory, walk.path) : 0;
    const bool named = length != 0 && GetFileInformationByHandleEx(directory, FileNameInfo, walk.entryName.bytes,
                                                                   sizeof walk.entryName.bytes);
    CloseHandle(directory);
    if (!named) return false;
    const std::wstring_view path(walk.path, length);
    const std::wstring_view name = walk.entryName.Text();
    if (name.empty() || name.size() > path.size() || !SameName(path.substr(path.size() - name.size()), name))
        return false;
    walk.volumeLength = path.size() - name.size();
    walk.volume = judged.volume;
    PathBuffer self;
    const DWORD selfLength = GetModuleFileNameW(nullptr, self, DirectoryPathCapacity);
    walk.selfKnown = selfLength > 0 && selfLength < DirectoryPathCapacity && IdentifyPath(self, true, walk.self);
    return true;
}

// walk.path becomes the name below the walk's directory, whose path is its first top units.
// The archive separates names with '/' as well, which the \\?\ form would take as part of a name.
bool EnterName(Walk& walk, std::size_t top, std::u16string_view name) {
    PathBuffer joined;
    if (!JoinPath(Buffer(joined), {U(walk.path), top}, name)) return false;
    for (wchar_t* c = joined + top; *c != L'\0'; ++c)
        if (*c == L'/') *c = L'\\';
    return CopyText(Buffer(walk.path), U(joined));
}

bool EnterArchiveName(Walk& walk, std::size_t top, std::string_view name) {
    char16_t widened[DirectoryPathCapacity];
    return WidenBytes(widened, name) && EnterName(walk, top, {widened, name.size()});
}

// Whether this directory holds this product's uninstaller: the file of that name there is the
// one the registration's UninstallString starts, or the program running now. A registration
// naming a folder without it (edited, or a folder the installation is no longer in) removes
// nothing.
bool HoldsUninstaller(HKEY product, Walk& walk) {
    const std::size_t top = TextLength(Buffer(walk.path));
    FileIdentity uninstaller;
    const bool found = EnterName(walk, top, UninstallerFileName) && IdentifyPath(walk.path, false, uninstaller);
    walk.path[top] = L'\0';
    if (!found) return false;
    if (walk.selfKnown && uninstaller == walk.self) return true;
    PathBuffer command;
    PathBuffer program;
    FileIdentity registered;
    return ReadText(product, UninstallStringValueName, command) == Lookup::Found &&
           CopyText(Buffer(program), CommandProgram(U(command))) && IdentifyPath(program, false, registered) &&
           registered == uninstaller;
}

// What stands at walk.path, or Nothing when nothing does (a file removed by hand meanwhile).
std::optional<DWORD> AttributesAt(const Walk& walk, Remains& absent) {
    const DWORD attributes = GetFileAttributesW(walk.path);
    if (attributes != INVALID_FILE_ATTRIBUTES) return attributes;
    const DWORD error = GetLastError();
    absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Remains::Nothing : Remains::Left;
    return std::nullopt;
}

// A file the installer wrote into a folder it shares. A folder now standing in its place is not
// the installer's and stays.
Remains RemoveWrittenFile(Walk& walk) {
    Remains absent;
    const std::optional<DWORD> attributes = AttributesAt(walk, absent);
    if (!attributes) return absent;
    const bool isFolder =
        (*attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_DIRECTORY;
    return isFolder ? Remains::Kept : RemoveEntryAt(walk, *attributes);
}

// A folder the installer wrote into a folder it shares: only once nothing else is in it.
Remains RemoveWrittenFolder(Walk& walk) {
    Remains absent;
    const std::optional<DWORD> attributes = AttributesAt(walk, absent);
    if (!attributes) return absent;
    FileIdentity identity;
    if ((*attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || HoldsEntries(walk.path)) return Remains::Kept;
    if (!IsEntryItself(walk, identity)) return Remains::Left;
    return DeleteEntry(walk.path, *attributes, Patience::Retry) ? Remains::Nothing : Remains::Left;
}

std::size_t Depth(std::string_view name) {
    return 1 + static_cast<std::size_t>(
                   std::count_if(name.begin(), name.end(), [](char c) { return c == '\\' || c == '/'; }));
}

// An installation into a folder that held other files: only what the installer wrote there
// goes. The archive's files (this program carries the archive that was installed) in the order
// written, then the archive's folders, deepest first, each only once nothing else is in it.
Remains RemoveWrittenFiles(Walk& walk) {
    const std::size_t top = TextLength(Buffer(walk.path));
    Remains remains = Remains::Nothing;
    std::size_t deepest = 0;
    ArchiveWalk records{PayloadArchive.Bytes()};
    ArchiveRecord record;
    WalkStep step;
    while ((step = NextRecord(records, record)) == WalkStep::Record) {
        if (record.type == RecordType::Directory) {
            deepest = std::max(deepest, Depth(record.name));
            continue;
        }
        remains = Worse(remains, EnterArchiveName(walk, top, record.name) ? RemoveWrittenFile(walk) : Remains::Left);
        walk.path[top] = L'\0';
    }
    // An archive that cannot be read to its end cannot tell what was written: the registration
    // stays.
    if (step == WalkStep::Corrupted) return Remains::Left;
    remains = Worse(remains, EnterName(walk, top, UninstallerTemporaryName) ? RemoveWrittenFile(walk) : Remains::Left);
    walk.path[top] = L'\0';
    for (std::size_t depth = deepest; depth > 0; --depth) {
        ArchiveWalk folders{PayloadArchive.Bytes()};
        while (NextRecord(folders, record) == WalkStep::Record) {
            if (record.type != RecordType::Directory || Depth(record.name) != depth) continue;
            remains =
                Worse(remains, EnterArchiveName(walk, top, record.name) ? RemoveWrittenFolder(walk) : Remains::Left);
            walk.path[top] = L'\0';
        }
    }
    return remains;
}

// The uninstaller goes last, once nothing else of the installation is left, so that an uninstall
// that stops keeps it for the run that finishes; then the installation folder itself, once
// nothing is in it. In a shared folder what else is there is someone else's and stays.
Remains FinishInstallation(Walk& walk, Remains remains, bool shared) {
    const std::size_t top = TextLength(Buffer(walk.path));
    if (remains != Remains::Left) {
        remains = Worse(remains, EnterName(walk, top, UninstallerFileName) ? RemoveWrittenFile(walk) : Remains::Left);
        walk.path[top] = L'\0';
    }
    if (remains == Remains::Left) return remains;
    if (HoldsEntries(walk.path)) return shared || remains == Remains::Kept ? Remains::Kept : Remains::Left;
    return DeleteEntry(walk.path, FILE_ATTRIBUTE_DIRECTORY, Patience::Retry) ? remains : Remains::Left;
}

// Removes the installation at location. Refused, with nothing removed, when location is a root,
// a mount point, a protected directory or one holding it, or itself a link, by its text or by
// what it is on disk (location_check_win.h), when it cannot be listed, and when it holds no
// uninstaller of this product. In a folder the installation shared only what it wrote goes,
// else the whole tree. True when nothing stays but what stays by design, and when there is
// nothing left to remove: the folder is not there (removed by hand, or by an uninstall that
// stopped before its registration went), or holds nothing after such an uninstall took its last
// file.
bool RemoveInstallation(HKEY product, const wchar_t* location) {
    FileIdentity judged;
    Walk walk;
    if (CheckLocation(location, &judged) != LocationVerdict::Removable) return false;
    if (GetFileAttributesW(location) == INVALID_FILE_ATTRIBUTES) return IsAbsence(GetLastError());
    if (!StartWalk(location, judged, walk)) return false;
    if (!HoldsUninstaller(product, walk))
        return !HoldsEntries(walk.path) && DeleteEntry(walk.path, FILE_ATTRIBUTE_DIRECTORY, Patience::Retry);
    // A mark that cannot be read may say the folder is shared: nothing goes until it can be.
    DWORD mark = 0;
    if (ReadNumber(product, SharedFolderValueName, mark) == Lookup::Failed) return false;
    const bool shared = mark != 0;
    const Remains remains = shared ? RemoveWrittenFiles(walk) : EmptyDirectory(walk, W(UninstallerFileName));
    return FinishInstallation(walk, remains, shared) != Remains::Left;
}

// False when the shortcut stays though it should go: it could not be examined or deleted. A
// shortcut that is a link stays by design: its name cannot be removed here without the risk of
// taking what it leads to (a Unix link under Wine).
bool DeleteShortcut() {
    char16_t path[ShortcutPathCapacity];
    if (!ShortcutPath(U(AllUsersDesktop), ShortcutFileName, path)) return true;
    switch (ExamineEntry(W(path))) {
        case EntryKind::Absent:
        case EntryKind::Link: return true;
        case EntryKind::Unknown: return false;
        case EntryKind::Itself:
        case EntryKind::Shared: break;
    }
    return DeleteEntry(W(path), 0, Patience::Once);
}

}  // namespace

void RunUninstall() {
    TakeRunLock();
    Key software;
    Key uninstall;
    Key product;
    if (!OpenSoftwareKey(KEY_READ, software) ||
        OpenProductEntry(software.handle, KEY_READ | DELETE, uninstall, product) != Lookup::Found)
        return;
    PathBuffer location;
    if (ReadText(product.handle, InstallLocationValueName, location) != Lookup::Found || location[0] == L'\0') return;
    // Whatever of the installation stays keeps its registration, so the uninstall can be run
    // again once the cause is gone (a file closed, a read-only flag cleared).
    if (!RemoveInstallation(product.handle, location) || !DeleteShortcut()) return;

    // The release's key may have gone already, in a run that stopped before the registration.
    Key family;
    if (!OpenFamilyKey(software.handle, KEY_READ | DELETE, family)) return;
    const LSTATUS released = RegDeleteKeyW(family.handle, W(ReleaseKeyName));
    if (released != ERROR_SUCCESS && released != ERROR_FILE_NOT_FOUND) return;
    product.Close();
    if (RegDeleteKeyW(uninstall.handle, W(ProductUninstallKeyName)) != ERROR_SUCCESS) return;
    ShowMessage(nullptr, text::UninstallCompleteMessage, text::UninstallCompleteCaption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace qf
