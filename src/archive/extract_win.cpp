#include <new>

#include "archive/archive_format.h"
#include "archive/extract_rules.h"
#include "archive/payload_win.h"
#include "base/entry_win.h"
#include "base/file_win.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/ui_win.h"
#include "base/wide_win.h"

namespace qf {

namespace {

// A target path longer than the run's CurrentTargetPath is refused before any file call, with the
// number Windows itself gives for a name too long for its buffer.
constexpr DWORD PathTooLongError = ERROR_FILENAME_EXCED_RANGE;
// Folders below the installation directory held open at once: as deep as a name reaches.
constexpr std::size_t DepthCapacity = DirectoryPathCapacity / 2;

// Where the extraction stopped: a path that fitted its buffer, or as much of a refused one as
// fits there.
ExtractResult Fail(StepFailure& failure, ExtractResult result, const wchar_t* path, DWORD error = ERROR_SUCCESS) {
    CopyWhatFits(Buffer(failure.path), {U(path)});
    failure.error = error;
    return result;
}

// The folders from the installation directory down to the one the last record was written
// into, each held open, and the name the file system gives the deepest: every name is created
// relative to its folder's handle, never through a link, and checked on the handle that writes.
// A record in another folder leaves the folders it is not below and enters the ones it is.
struct Folders {
    const wchar_t* installDirectory;
    Entry levels[DepthCapacity];
    // The archive name of the deepest folder ("docs/guide"), and where each level's ends in it.
    std::string_view path;
    std::size_t ends[DepthCapacity];
    std::size_t depth = 0;
    // The installation directory's name within its volume, grown by a name a level.
    wchar_t name[DirectoryPathCapacity];
    std::size_t nameEnds[DepthCapacity];

    HANDLE Deepest() const { return levels[depth].handle; }
    std::wstring_view DeepestName() const { return {name, nameEnds[depth]}; }
};

// Enters the folder component below the deepest, which must be a folder of its own; made tells
// whether it is new. ERROR_SUCCESS or why not.
DWORD EnterFolder(Folders& folders, std::string_view component, bool create, bool& made) {
    char16_t widened[DirectoryPathCapacity];
    const std::size_t nameEnd = folders.nameEnds[folders.depth];
    if (folders.depth + 1 == DepthCapacity || !WidenBytes(widened, component) ||
        nameEnd + 1 + component.size() >= DirectoryPathCapacity)
        return PathTooLongError;
    const std::u16string_view name(widened, component.size());
    Entry& next = folders.levels[folders.depth + 1];
    made = false;
    const DWORD error = create ? CreateFolderBelow(folders.Deepest(), name, next, made)
                               : OpenBelow(folders.Deepest(), name, Use::Traverse, next);
    // A folder on the way that is not there leaves no path to the name, as Windows says it.
    if (error == ERROR_FILE_NOT_FOUND) return ERROR_PATH_NOT_FOUND;
    if (error != ERROR_SUCCESS) return error;
    DWORD attributes = 0;
    if (KindOfOpenEntry(next.handle, folders.DeepestName(), name, attributes) != EntryKind::Itself) {
        // Made through a dangling link (Wine): what was made goes again.
        if (made) DeleteOpenEntry(next.handle);
        next.Close();
        return LinkInTheWayError;
    }
    folders.name[nameEnd] = L'\\';
    for (std::size_t i = 0; i < name.size(); ++i) folders.name[nameEnd + 1 + i] = static_cast<wchar_t>(name[i]);
    ++folders.depth;
    folders.nameEnds[folders.depth] = nameEnd + 1 + name.size();
    return ERROR_SUCCESS;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The installation directory, opened as itself, at the top of the folders: once, when the
// first record needs it.
DWORD OpenInstallDirectory(Folders& folders) {
    VolumeName name;
    const DWORD error = OpenFolderAt(folders.installDirectory, Use::Traverse, false, folders.levels[0]);
    if (error != ERROR_SUCCESS) return error;
    if (!NameOfOpenEntry(folders.levels[0].handle, name)) return GetLastError();
    const std::wstring_view text = name.Text();
    if (text.size() >= DirectoryPathCapacity) return PathTooLongError;
    text.copy(folders.name, text.size());
    // The volume's root is named "\\"; names below it are joined to it without a second separator.
    folders.nameEnds[0] = text == L"\\" ? 0 : text.size();
    folders.ends[0] = 0;
    return ERROR_SUCCESS;
}

// Makes the deepest folder the one named folder (an archive name, "" for the installation
// directory), leaving and entering folders as needed; the last one is created when create.
DWORD MoveTo(Folders& folders, std::string_view folder, bool create) {
    if (!folders.levels[0].IsOpen()) {
        const DWORD error = OpenInstallDirectory(folders);
        if (error != ERROR_SUCCESS) return error;
    }
    // Leave what folder is not below.
    while (folders.depth > 0) {
        const std::string_view held = folders.path.substr(0, folders.ends[folders.depth]);
        if (folder.size() >= held.size() && EqualsIgnoringAsciiCase(folder.substr(0, held.size()), held) &&
            (folder.size() == held.size() || IsSeparator(folder[held.size()])))
            break;
        folders.levels[folders.depth--].Close();
    }
    folders.path = folder;
    std::size_t at = folders.depth == 0 ? 0 : folders.ends[folders.depth] + 1;
    while (at < folder.size()) {
        std::size_t end = at;
        while (end < folder.size() && !IsSeparator(folder[end])) ++end;
        bool made = false;
        const DWORD error = EnterFolder(folders, folder.substr(at, end - at), create && end == folder.size(), made);
        if (error != ERROR_SUCCESS) return error;
        folders.ends[folders.depth] = end;
        at = end + 1;
    }
    return ERROR_SUCCESS;
}

// An archive name's folder and last component.
std::string_view FolderOf(std::string_view name) {
    std::size_t slash = name.size();
    while (slash > 0 && !IsSeparator(name[slash - 1])) --slash;
    return name.substr(0, slash == 0 ? 0 : slash - 1);
}

// An existing directory is what an upgrade finds; parents are never created, each has its own
// record ahead of its contents.
ExtractResult ExtractDirectory(Folders& folders, std::string_view name, StepFailure& failure) {
    wchar_t path[DirectoryPathCapacity];
    if (!JoinArchiveName(Buffer(path), U(folders.installDirectory), name)) {
        JoinArchiveNameForMessage(Buffer(path), U(folders.installDirectory), name);
        return Fail(failure, ExtractResult::DirectoryFailed, path);
    }
    if (MoveTo(folders, FolderOf(name), false) != ERROR_SUCCESS || MoveTo(folders, name, true) != ERROR_SUCCESS)
        return Fail(failure, ExtractResult::DirectoryFailed, path);
    return ExtractResult::Completed;
}

// Creates or replaces the file in the deepest folder, with one open that looks at what stands
// there: a link refuses the record, and a file that shares its data with other names gives up
// this name for a new file, so that the other names keep their data. A file replaced is emptied
// before the write, as a new one would be.
DWORD WriteRecord(const Folders& folders, std::u16string_view name, std::span<const std::uint8_t> data) {
    Entry file;
    bool found = false;
    DWORD error = CreateFileBelow(folders.Deepest(), name, file, found);
    if (error != ERROR_SUCCESS) return error;
    DWORD attributes = 0;
    const EntryKind kind = KindOfOpenEntry(file.handle, folders.DeepestName(), name, attributes);
    if (kind == EntryKind::Shared) {
        error = DeleteOpenEntry(file.handle);
        file.Close();
        if (error == ERROR_SUCCESS) error = CreateFileBelow(folders.Deepest(), name, file, found);
        if (error != ERROR_SUCCESS) return error;
        if (found) return ERROR_ALREADY_EXISTS;
    } else if (kind != EntryKind::Itself) {
        // Made through a dangling link (Wine): what was made goes again.
        if (!found) DeleteOpenEntry(file.handle);
        return kind == EntryKind::Unknown ? ERROR_ACCESS_DENIED : LinkInTheWayError;
    } else if (found && !SetEndOfFile(file.handle)) {
        return GetLastError();
    }
    return WriteWhole(file.handle, data);
}

ExtractResult ExtractFile(HWND page, Folders& folders, const ArchiveRecord& record, InstallRun& run,
                          StepFailure& failure) {
    wchar_t* const target = run.CurrentTargetPath;
    const std::span<char16_t> targetPath{U(target), TargetPathCapacity};
    if (!JoinArchiveName(targetPath, U(folders.installDirectory), record.name)) {
        wchar_t shown[TargetPathCapacity];
        JoinArchiveNameForMessage(Buffer(shown), U(folders.installDirectory), record.name);
        return Fail(failure, ExtractResult::FileFailed, shown, PathTooLongError);
    }
    if (RepaintsBeforeFile(ExtractedFileCount)) RepaintNow(page);
    ++ExtractedFileCount;
    const std::string_view folder = FolderOf(record.name);
    const std::string_view last = record.name.substr(folder.empty() ? 0 : folder.size() + 1);
    char16_t name[DirectoryPathCapacity];
    DWORD error = WidenBytes(name, last) ? MoveTo(folders, folder, false) : PathTooLongError;
    if (error == ERROR_SUCCESS) error = WriteRecord(folders, {name, last.size()}, record.data);
    if (error != ERROR_SUCCESS) return Fail(failure, ExtractResult::FileFailed, target, error);
    if (IsClientExecutable(U(target))) run.shortcutError = CreateClientShortcut(target);
    return ExtractResult::Completed;
}

}  // namespace

ExtractResult ExtractPayloadArchive(HWND page, InstallRun& run, StepFailure& failure) {
    // Some 8 KB of handles and offsets: the heap's, for one extraction.
    HeapBlock block;
    if (!block.Allocate(sizeof(Folders))) return Fail(failure, ExtractResult::DirectoryFailed, run.InstallDirectory);
    Folders& folders = *new (block.bytes) Folders;
    folders.installDirectory = run.InstallDirectory;
    struct Closer {
        Folders& folders;
        ~Closer() { folders.~Folders(); }
    } closer{folders};
    ArchiveWalk walk{PayloadArchive.Bytes()};
    ArchiveRecord record;
    for (;;) {
        switch (NextRecord(walk, record)) {
            case WalkStep::End: return ExtractResult::Completed;
            case WalkStep::Corrupted: return ExtractResult::Corrupted;
            case WalkStep::Record: {
                const ExtractResult result = record.type == RecordType::Directory
                                                 ? ExtractDirectory(folders, record.name, failure)
                                                 : ExtractFile(page, folders, record, run, failure);
                if (result != ExtractResult::Completed) return result;
            }
        }
    }
}

}  // namespace qf
