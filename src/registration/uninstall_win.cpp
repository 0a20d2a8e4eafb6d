// The uninstall mode: removes the installed files, the desktop shortcut, this release's key, the
// uninstaller and the uninstall registration. Every step that fails ends the mode with the
// registration in place, so that running it again finishes the work.
#include "registration/uninstall_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "archive/archive_format.h"
#include "base/entry_win.h"
#include "base/install_paths.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/run_lock_win.h"
#include "base/run_log_win.h"
#include "base/texts.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "registration/location_check_win.h"
#include "registration/registry_win.h"

namespace qf {
namespace {

using PathBuffer = wchar_t[DirectoryPathCapacity];

// What of a branch is still there after the removal. Kept: only what stays by design, the
// directories whose names begin with a dot, the running uninstaller, what is not the
// installation's (in a folder it shared, a link the file system cannot remove as itself), with
// the directories that hold them. Left: something that was to go and could not (read-only, in
// use, no rights, changed under the walk, a path too deep for the buffers).
enum class Remains {
    Nothing,
    Kept,
    Left,
};

Remains Worse(Remains a, Remains b) { return a > b ? a : b; }

// A virus scanner or an indexer may hold a file for a moment just as the walk reaches it (right
// after an installation, typically): such an entry is tried again over about two seconds in all
// before it counts as left. A read-only file would stay however long the walk waited.
constexpr DWORD RetryPausesMs[] = {100, 200, 300, 600, 800};

// An open folder of the walk: every name below it is opened relative to this handle.
struct Folder {
    HANDLE handle;
};

// What the walk knows beside its folders: the running program, which Windows does not let go
// of while it runs (an uninstaller started from the installation stays there, by design), and
// room for a folder's name as the file system gives it now. An entry is itself when the file
// system names it below that name; the name is asked for again at every check, as a folder
// renamed meanwhile (the installation's own, moved aside) keeps its entries.
struct Walk {
    FileIdentity self;
    bool selfKnown;
    VolumeName folderName;
};

enum class Expect {
    File,         // a file or a link: a folder found there is not the installation's and stays
    Tree,         // a folder that goes with all it holds
    EmptyFolder,  // a folder that goes only once nothing is in it
};

std::uint64_t FileIdOf(const FileIdentity& identity) {
    return static_cast<std::uint64_t>(identity.indexHigh) << 32 | identity.indexLow;
}

Remains EmptyFolder(const Folder& folder, Walk& walk, std::u16string_view passOver);

// Which entry a removal is about: the one a listing showed, or the one its first open found.
// Every later open must find that same entry; something else in its place is not the walk's.
struct Identity {
    bool listed;
    bool known;
    std::uint64_t fileId;
};

// What one open of the entry does: Nothing or Kept when done, Left when it stays, and nothing
// when it is worth trying again (error then says why).
struct Attempt {
    bool done;
    Remains remains;
};

Attempt RemoveOpened(const Folder& folder, std::u16string_view name, Expect expect, Identity& identity, Walk& walk,
                     Entry& entry, DWORD& error) {
    if (!NameOfOpenEntry(folder.handle, walk.folderName)) return {true, Remains::Left};
    const EntryFacts facts = ExamineOpenEntry(entry.handle, walk.folderName.Text(), name);
    if (identity.known && FileIdOf(facts.identity) != identity.fileId) return {true, Remains::Left};
    identity = {identity.listed, true, FileIdOf(facts.identity)};
    switch (facts.kind) {
        case EntryKind::Absent:
        case EntryKind::Unknown: return {true, Remains::Left};
        // Removing it would remove what it leads to as well.
        case EntryKind::Elsewhere: return {true, Remains::Kept};
        case EntryKind::Itself:
        case EntryKind::Link:
        case EntryKind::Shared: break;
    }
    if (facts.IsFolder()) {
        if (expect == Expect::File) return {true, Remains::Kept};
        const Folder inner{entry.handle};
        if (expect == Expect::EmptyFolder) {
            const Contents contents = ContentsOf(inner.handle);
            if (contents != Contents::Empty) return {true, contents == Contents::Names ? Remains::Kept : Remains::Left};
        }
        if (expect == Expect::Tree) {
            const Remains below = EmptyFolder(inner, walk, {});
            if (below != Remains::Nothing) return {true, below};
        }
    } else if (expect != Expect::File) {
        // A file or a link where the installation's folder was.
        return {true, identity.listed ? Remains::Left : Remains::Kept};
    }
    const bool self = walk.selfKnown && facts.identity == walk.self;
    error = DeleteOpenEntry(entry.handle);
    if (error == ERROR_SUCCESS) return {true, Remains::Nothing};
    if (self) return {true, Remains::Kept};
    if ((facts.attributes & FILE_ATTRIBUTE_READONLY) != 0 || !MayBeHeldForAMoment(error)) return {true, Remains::Left};
    return {false, Remains::Left};
}

// An entry that was to go and stays: told in the log with the folder as the file system names it.
Remains LeftBehind(const Folder& folder, std::u16string_view name, DWORD error) {
    VolumeName folderName;
    const std::wstring_view where =
        NameOfOpenEntry(folder.handle, folderName) ? folderName.Text() : std::wstring_view();
    const std::u16string_view path(U(where.data()), where.size());
    if (error == ERROR_SUCCESS) Log({text::LogNotRemoved, path, u"\\", name});
    else LogError({text::LogNotRemoved, path, u"\\", name}, error);
    return Remains::Left;
}

// Removes the entry name below folder: opened relative to the folder's handle, never through a
// link, examined on that very handle and deleted through it. An entry held for a moment is
// opened again, and must again be the entry the listing showed (listedId, when there is one)
// or the first open found.
Remains RemoveNamed(const Folder& folder, std::u16string_view name, Expect expect, const std::uint64_t* listedId,
                    Walk& walk) {
    const Use use = expect == Expect::File ? Use::Remove : Use::Folder;
    Identity identity{listedId != nullptr, listedId != nullptr, listedId ? *listedId : 0};
    for (std::size_t attempt = 0;; ++attempt) {
        Entry entry;
        DWORD error = OpenBelow(folder.handle, name, use, entry);
        if (error == ERROR_SUCCESS) {
            const Attempt tried = RemoveOpened(folder, name, expect, identity, walk, entry, error);
            if (tried.done) return tried.remains == Remains::Left ? LeftBehind(folder, name, error) : tried.remains;
        } else if (IsAbsence(error)) {
            return Remains::Nothing;  // gone meanwhile
        } else if (error == ERROR_DIRECTORY) {
            // A file where a folder was.
            return identity.listed ? LeftBehind(folder, name, error) : Remains::Kept;
        } else if (!MayBeHeldForAMoment(error)) {
            return LeftBehind(folder, name, error);
        }
        if (attempt == std::size(RetryPausesMs)) return LeftBehind(folder, name, error);
        entry.Close();
        Sleep(RetryPausesMs[attempt]);
    }
}

// Empties the open folder, depth first, passing over the name passOver. Directories whose names
// begin with a dot are passed over and keep their content, by design; files with such names go.
Remains EmptyFolder(const Folder& folder, Walk& walk, std::u16string_view passOver) {
    Listing listing;
    ListedName found;
    Remains below = Remains::Nothing;
    while (NextName(folder.handle, listing, found)) {
        const std::u16string_view name(U(found.name.data()), found.name.size());
        if (!passOver.empty() && SameName(found.name, {W(passOver.data()), passOver.size()})) continue;
        if (found.IsFolder() && found.name[0] == L'.') {
            below = Worse(below, Remains::Kept);
            continue;
        }
        // A junction or a folder link goes as the link only, never entered.
        const bool entered = found.IsFolder() && (found.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        below = Worse(below, RemoveNamed(folder, name, entered ? Expect::Tree : Expect::File, &found.fileId, walk));
    }
    // A listing that broke off may have left anything unseen.
    return listing.error == ERROR_NO_MORE_FILES ? below : LeftBehind(folder, u".", listing.error);
}

// Removes the entry at an archive name ("docs/guide/a.html") below the installation folder: the
// folders on the way must be folders of their own, else what stands there is not the
// installation's and stays.
Remains RemoveArchiveName(const Folder& top, std::u16string_view path, Expect expect, Walk& walk) {
    const std::size_t slash = path.find_last_of(u"\\/");
    if (slash == std::u16string_view::npos) return RemoveNamed(top, path, expect, nullptr, walk);
    Entry parent;
    if (!NameOfOpenEntry(top.handle, walk.folderName)) return Remains::Left;
    const DWORD error = OpenPathBelow(top.handle, walk.folderName.Text(), path.substr(0, slash), Use::Traverse, parent);
    if (IsAbsence(error)) return Remains::Nothing;
    if (error == LinkInTheWayError) return Remains::Kept;
    if (error != ERROR_SUCCESS) return Remains::Left;
    return RemoveNamed({parent.handle}, path.substr(slash + 1), expect, nullptr, walk);
}

Remains RemoveRecord(const Folder& top, std::string_view name, Expect expect, Walk& walk) {
    char16_t widened[DirectoryPathCapacity];
    return WidenBytes(widened, name) ? RemoveArchiveName(top, {widened, name.size()}, expect, walk) : Remains::Left;
}

std::size_t Depth(std::string_view name) {
    return 1 + static_cast<std::size_t>(
                   std::count_if(name.begin(), name.end(), [](char c) { return c == '\\' || c == '/'; }));
}

// The careful road: only what the installer wrote goes. The archive's files (this program
// carries the archive that was installed), the uninstaller's temporary copy, then the archive's
// folders, deepest first, each only once nothing else is in it.
Remains RemoveWrittenFiles(const Folder& top, Walk& walk) {
    // Without the archive (its resource could not be found or mapped) nothing tells what was
    // written: the registration stays.
    if (PayloadArchive.size < ArchiveHeaderSize) return Remains::Left;
    Remains remains = Remains::Nothing;
    std::size_t deepest = 0;
    ArchiveWalk records{PayloadArchive.Bytes()};
    ArchiveRecord record;
    WalkStep step;
    while ((step = NextRecord(records, record)) == WalkStep::Record) {
        if (record.type == RecordType::Directory) deepest = std::max(deepest, Depth(record.name));
        else remains = Worse(remains, RemoveRecord(top, record.name, Expect::File, walk));
    }
    // An archive that cannot be read to its end cannot tell what was written: the registration
    // stays.
    if (step == WalkStep::Corrupted) return Remains::Left;
    remains = Worse(remains, RemoveNamed(top, UninstallerTemporaryName, Expect::File, nullptr, walk));
    for (std::size_t depth = deepest; depth > 0; --depth) {
        ArchiveWalk folders{PayloadArchive.Bytes()};
        while (NextRecord(folders, record) == WalkStep::Record) {
            if (record.type == RecordType::Directory && Depth(record.name) == depth)
                remains = Worse(remains, RemoveRecord(top, record.name, Expect::EmptyFolder, walk));
        }
    }
    return remains;
}

// The installation folder, held open from its judgement to the end of the mode, so that the
// folder judged is the folder emptied whatever happens to its path meanwhile.
struct Installation {
    Entry folder;
    Walk walk;
};

enum class Found {
    There,
    // Nothing of it is left on disk: the folder is not there on a volume that is (removed by
    // hand, or by an uninstall that stopped once it had gone).
    Gone,
    // Not to be touched, or not to be told: refused by the judgement, a volume that is not there
    // (a drive, a disk or a share away), a folder swapped since it was judged.
    Refused,
};

// The volume of an installation that is not there: a missing drive, disk or share is not a
// removed folder, and the registration stays until it is back.
Found GoneOrAway(const wchar_t* location) {
    PathBuffer root;
    if (!CopyText(Buffer(root), VolumeRoot(U(location)))) return Found::Refused;
    return GetFileAttributesW(root) != INVALID_FILE_ATTRIBUTES ? Found::Gone : Found::Refused;
}

// Finds the installation at location: judged removable (location_check_win.h), then opened as
// itself and found to be what was judged.
Found FindInstallation(const wchar_t* location, Installation& installation) {
    FileIdentity judged;
    if (CheckLocation(location, &judged) != LocationVerdict::Removable) return Found::Refused;
    if (GetFileAttributesW(location) == INVALID_FILE_ATTRIBUTES)
        return IsAbsence(GetLastError()) ? GoneOrAway(location) : Found::Refused;
    BY_HANDLE_FILE_INFORMATION info;
    if (OpenFolderAt(location, Use::Folder, false, installation.folder) != ERROR_SUCCESS ||
        !GetFileInformationByHandle(installation.folder.handle, &info) || IdentityOf(info) != judged ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != FILE_ATTRIBUTE_DIRECTORY)
        return Found::Refused;
    PathBuffer self;
    const DWORD selfLength = GetModuleFileNameW(nullptr, self, DirectoryPathCapacity);
    installation.walk.selfKnown =
        selfLength > 0 && selfLength < DirectoryPathCapacity && IdentifyPath(self, true, installation.walk.self);
    return Found::There;
}

Folder TopOf(const Installation& installation) { return {installation.folder.handle}; }

// Whether the folder holds this product's uninstaller: the file of that name there is the one
// the registration's UninstallString starts, or the program running now.
bool HoldsUninstaller(HKEY product, Installation& installation) {
    Entry uninstaller;
    if (OpenBelow(installation.folder.handle, UninstallerFileName, Use::Look, uninstaller) != ERROR_SUCCESS ||
        !NameOfOpenEntry(installation.folder.handle, installation.walk.folderName))
        return false;
    const EntryFacts facts =
        ExamineOpenEntry(uninstaller.handle, installation.walk.folderName.Text(), UninstallerFileName);
    if (facts.kind != EntryKind::Itself && facts.kind != EntryKind::Shared) return false;
    if (installation.walk.selfKnown && facts.identity == installation.walk.self) return true;
    PathBuffer command;
    PathBuffer program;
    FileIdentity registered;
    return ReadText(product, UninstallStringValueName, command) == Lookup::Found &&
           CopyText(Buffer(program), CommandProgram(U(command))) && IdentifyPath(program, false, registered) &&
           registered == facts.identity;
}

// Which road the removal takes. The whole folder goes only with proof that it is the
// installation's alone: the mark as this release writes it (REG_DWORD 0: the installer made the
// folder or found it empty) and this product's uninstaller in it. Every other state (no mark, a
// mark of another type or value, an older release's registration, no uninstaller) removes only
// what the installer wrote. False when the mark cannot be read.
enum class Road { Whole, Careful };

bool ChooseRoad(HKEY product, Installation& installation, Road& road) {
    DWORD mark = 0;
    const Lookup marked = ReadNumber(product, SharedFolderValueName, mark);
    if (marked == Lookup::Failed) return false;
    road =
        marked == Lookup::Found && mark == 0 && HoldsUninstaller(product, installation) ? Road::Whole : Road::Careful;
    return true;
}

// False when the shortcut stays though it should go: it could not be examined or deleted. A
// shortcut the file system names elsewhere (a Unix link under Wine) stays by design: its name
// cannot be removed without taking what it leads to.
bool DeleteShortcut(const char16_t* path) {
    switch (ExaminePath(W(path)).kind) {
        case EntryKind::Absent:
        case EntryKind::Elsewhere: return true;
        case EntryKind::Unknown: return false;
        case EntryKind::Itself:
        case EntryKind::Link:
        case EntryKind::Shared: break;
    }
    const DWORD error = RemoveName(W(path));
    return error == ERROR_SUCCESS || IsAbsence(error);
}

// The shortcut may be on either desktop, whichever account installed: the one derived from the
// profile, or the system's common desktop (the system account's, or where the derived one was
// not there). A derived desktop that could not be named never took it; a common desktop that
// could not be named may hold it unseen, and the uninstall stops with its registration.
bool DeleteShortcuts() {
    char16_t path[ShortcutPathCapacity];
    if (ShortcutPath(U(AllUsersDesktop), ShortcutFileName, path) && !DeleteShortcut(path)) return false;
    return ShortcutPath(U(CommonDesktop), ShortcutFileName, path) && DeleteShortcut(path);
}

// This release's key with every key below it (settings the client keeps in a key of its own);
// one already gone, or a family key already gone, is removed.
bool DeleteReleaseKey(HKEY software) {
    Key family;
    switch (OpenFamilyKey(software, KEY_READ | DELETE, family)) {
        case Lookup::Found: break;
        case Lookup::Missing: return true;
        case Lookup::Failed: return false;
    }
    const LSTATUS deleted = RegDeleteTreeW(family.handle, W(ReleaseKeyName));
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

// The uninstaller goes after everything else of the installation, with the folder once nothing
// else is in it: a run that stops before keeps it for the run that finishes.
Remains RemoveUninstaller(Installation& installation) {
    const Folder top = TopOf(installation);
    const Remains remains = RemoveNamed(top, UninstallerFileName, Expect::File, nullptr, installation.walk);
    if (remains == Remains::Left) return remains;
    // What else is there is not the installation's, or was kept by design; a folder that cannot
    // be listed may hold anything, and keeps the registration until it can.
    switch (ContentsOf(top.handle)) {
        case Contents::Empty: break;
        case Contents::Names: return Worse(remains, Remains::Kept);
        case Contents::Untold: return Remains::Left;
    }
    for (const DWORD pause : RetryPausesMs) {
        const DWORD error = DeleteOpenEntry(top.handle);
        if (error == ERROR_SUCCESS) return remains;
        if (!MayBeHeldForAMoment(error)) break;
        Sleep(pause);
    }
    return Remains::Left;
}

}  // namespace

namespace {

// A step that stops the uninstall, told in the log with the reason the system gave.
UninstallResult StoppedAt(const char16_t* step, DWORD error = GetLastError()) {
    LogError({step}, error);
    return UninstallResult::Stopped;
}

}  // namespace

UninstallResult RunUninstall() {
    TakeRunLock();
    Key software;
    Key uninstall;
    Key product;
    if (!OpenSoftwareKey(KEY_READ, software)) return StoppedAt(text::LogRegistrationUnreadable);
    switch (OpenProductEntry(software.handle, KEY_READ | DELETE, uninstall, product)) {
        case Lookup::Found: break;
        case Lookup::Missing: Log({text::LogRegistrationMissing}); return UninstallResult::NotInstalled;
        case Lookup::Failed: return StoppedAt(text::LogRegistrationUnreadable);
    }
    PathBuffer location;
    if (ReadText(product.handle, InstallLocationValueName, location) != Lookup::Found || location[0] == L'\0')
        return StoppedAt(text::LogRegistrationUnreadable, ERROR_BADKEY);

    Installation installation;
    const Found found = FindInstallation(location, installation);
    if (found == Found::Refused) {
        Log({text::LogInstallationRefused, U(location)});
        return UninstallResult::Stopped;
    }
    if (found == Found::There) {
        Log({text::LogInstallationFound, U(location)});
        Road road;
        if (!ChooseRoad(product.handle, installation, road)) return StoppedAt(text::LogRegistrationUnreadable);
        Log({road == Road::Whole ? text::LogWholeFolder : text::LogWrittenFilesOnly});
        const Remains files = road == Road::Whole
                                  ? EmptyFolder(TopOf(installation), installation.walk, UninstallerFileName)
                                  : RemoveWrittenFiles(TopOf(installation), installation.walk);
        // Whatever of the installation stays keeps its registration, so the uninstall can be run
        // again once the cause is gone (a file closed, a read-only flag cleared).
        if (files == Remains::Left) {
            Log({text::LogFilesLeft});
            return UninstallResult::Stopped;
        }
        Log({text::LogFilesRemoved});
    } else {
        Log({text::LogInstallationGone, U(location)});
    }
    if (!DeleteShortcuts()) return StoppedAt(text::LogShortcutNotRemoved);
    Log({text::LogShortcutRemoved});
    if (!DeleteReleaseKey(software.handle)) return StoppedAt(text::LogReleaseKeyNotRemoved);
    Log({text::LogReleaseKeyRemoved});
    if (found == Found::There) {
        if (RemoveUninstaller(installation) == Remains::Left) return StoppedAt(text::LogUninstallerNotRemoved);
        Log({text::LogUninstallerRemoved});
    }
    // The registration goes last: it is what any later run finds the rest by. A run that stops
    // after the uninstaller went finds the folder empty or gone, and finishes.
    product.Close();
    const LONG removed = RegDeleteKeyW(uninstall.handle, W(ProductUninstallKeyName));
    if (removed != ERROR_SUCCESS) return StoppedAt(text::LogRegistrationNotRemoved, static_cast<DWORD>(removed));
    Log({text::LogRegistrationRemoved});
    return UninstallResult::Completed;
}

}  // namespace qf
