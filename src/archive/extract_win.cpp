#include "archive/archive_format.h"
#include "archive/extract_rules.h"
#include "archive/payload_win.h"
#include "base/entry_win.h"
#include "base/file_win.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/ui_win.h"
#include "base/wide_win.h"

namespace qf {

namespace {

// A target path longer than CurrentTargetPath is refused before any file call, with the
// number Windows itself gives for a name too long for its buffer.
constexpr DWORD PathTooLongError = ERROR_FILENAME_EXCED_RANGE;
// A target that exists as a link is never written through, with the number Windows gives for
// a request that would cross a reparse point (ERROR_REPARSE_POINT_ENCOUNTERED).
constexpr DWORD LinkInTheWayError = 4395;

// A message names a path that fitted its buffer, or as much of a refused one as fits there.
bool FailDirectory(HWND page, const wchar_t* path) {
    ShowFormattedMessage(page, text::CreateDirectoryErrorFormat, {U(path)}, text::CreateDirectoryErrorCaption,
                         MB_OK | MB_ICONERROR);
    return false;
}

bool FailFile(HWND page, const wchar_t* path, DWORD error) {
    ShowFormattedMessage(page, text::InstallErrorFormat, {U(path), static_cast<std::int32_t>(error)},
                         text::InstallErrorCaption, MB_OK | MB_ICONERROR);
    return false;
}

bool ExtractDirectory(HWND page, std::string_view name) {
    wchar_t path[DirectoryPathCapacity];
    if (!JoinArchiveName(Buffer(path), U(InstallDirectory), name)) {
        JoinArchiveNameForMessage(Buffer(path), U(InstallDirectory), name);
        return FailDirectory(page, path);
    }
    // An existing directory is what an upgrade finds; parents are never created, each has its
    // own record ahead of its contents.
    if (CreateDirectoryW(path, nullptr)) return true;
    // What is there already must be the directory itself, not a link that would take the
    // files below it somewhere else.
    if (GetLastError() != ERROR_ALREADY_EXISTS || ExamineEntry(path) != EntryKind::Itself)
        return FailDirectory(page, path);
    return true;
}

// The installation directory as the file system resolves it, for an upgrade: what each name
// below it must resolve to when it is the file itself.
struct Resolved {
    wchar_t path[DirectoryPathCapacity];
    std::size_t length;
};

// Whether the open file is the one at the installation directory's resolved path and name.
// Windows marks a link as a reparse point; Wine shows a Unix link to a file as a plain file but
// resolves it to its target, and creates a dangling one's target when asked to create it.
bool IsAtItsName(HANDLE file, const Resolved& directory, std::u16string_view name) {
    wchar_t path[DirectoryPathCapacity];
    const std::size_t length = FinalPath(file, path);
    const std::wstring_view resolved(path, length);
    if (length != directory.length + 1 + name.size() || resolved[directory.length] != L'\\' ||
        !SameName(resolved.substr(0, directory.length), {directory.path, directory.length}))
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i] == u'/' ? L'\\' : static_cast<wchar_t>(name[i]);
        if (c == L'\\' ? resolved[directory.length + 1 + i] != c
                       : !SameName({&c, 1}, resolved.substr(directory.length + 1 + i, 1)))
            return false;
    }
    return true;
}

// Creates or replaces the file at CurrentTargetPath in a directory that was there before, with
// one open that looks at what stands there: a link refuses the record, and a file that shares
// its data with other names gives up this name for a new file, so that the other names keep
// their data. The open file, or INVALID_HANDLE_VALUE with why in error.
HANDLE OpenFoundTarget(const Resolved& directory, std::u16string_view name, DWORD& error) {
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    constexpr DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE file =
        CreateFileW(CurrentTargetPath, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS, flags, nullptr);
    error = GetLastError();
    if (file == INVALID_HANDLE_VALUE) return file;
    const bool found = error == ERROR_ALREADY_EXISTS;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    FILE_STANDARD_INFO standard{};
    if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) ||
        !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || !IsAtItsName(file, directory, name)) {
        CloseHandle(file);
        // Made through a dangling link (Wine): what was made goes again, by the link's name.
        if (!found) RemoveName(CurrentTargetPath);
        error = LinkInTheWayError;
        return INVALID_HANDLE_VALUE;
    }
    if (found && standard.NumberOfLinks > 1) {
        CloseHandle(file);
        error = RemoveName(CurrentTargetPath);
        if (error != ERROR_SUCCESS) return INVALID_HANDLE_VALUE;
        file = CreateFileW(CurrentTargetPath, GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_NEW, flags, nullptr);
        error = GetLastError();
        return file;
    }
    // Replaced as a new file would be: empty before the write.
    if (found && !SetEndOfFile(file)) {
        error = GetLastError();
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// Writes a record's data with one call straight from the archive, into a new file, or over
// what was there before.
DWORD WriteRecord(const ArchiveRecord& record, const Resolved* found) {
    if (!found) return WriteNewFile(CurrentTargetPath, FILE_SHARE_READ | FILE_SHARE_WRITE, record.data).error;
    char16_t name[DirectoryPathCapacity];
    if (!WidenBytes(name, record.name)) return PathTooLongError;
    DWORD error = ERROR_SUCCESS;
    const HANDLE file = OpenFoundTarget(*found, {name, record.name.size()}, error);
    if (file == INVALID_HANDLE_VALUE) return error;
    error = WriteWhole(file, record.data);
    CloseHandle(file);
    return error;
}

bool ExtractFile(HWND page, const ArchiveRecord& record, const Resolved* found) {
    if (!JoinArchiveName(Buffer(CurrentTargetPath), U(InstallDirectory), record.name)) {
        wchar_t shown[TargetPathCapacity];
        JoinArchiveNameForMessage(Buffer(shown), U(InstallDirectory), record.name);
        return FailFile(page, shown, PathTooLongError);
    }
    if (RepaintsBeforeFile(ExtractedFileCount)) RepaintNow(page);
    ++ExtractedFileCount;
    const DWORD error = WriteRecord(record, found);
    if (error != ERROR_SUCCESS) return FailFile(page, CurrentTargetPath, error);
    if (IsClientExecutable(U(CurrentTargetPath))) CreateClientShortcut(CurrentTargetPath);
    return true;
}

// The installation directory as the file system resolves it; false when it cannot be told.
bool ResolveInstallDirectory(Resolved& directory) {
    const HANDLE handle = OpenEntry(InstallDirectory, false);
    if (handle == INVALID_HANDLE_VALUE) return false;
    directory.length = FinalPath(handle, directory.path);
    CloseHandle(handle);
    if (directory.length > 0 && directory.path[directory.length - 1] == L'\\') --directory.length;
    return directory.length != 0;
}

}  // namespace

ExtractResult ExtractPayloadArchive(HWND page, InstallTarget target) {
    Resolved resolved;
    const Resolved* found = nullptr;
    if (target == InstallTarget::Found) {
        if (!ResolveInstallDirectory(resolved)) {
            FailDirectory(page, InstallDirectory);
            return ExtractResult::Aborted;
        }
        found = &resolved;
    }
    ArchiveWalk walk{PayloadArchive.Bytes()};
    ArchiveRecord record;
    for (;;) {
        switch (NextRecord(walk, record)) {
            case WalkStep::End: return ExtractResult::Completed;
            case WalkStep::Corrupted: ReportCorruptedArchive(page); return ExtractResult::Aborted;
            case WalkStep::Record: {
                const bool done = record.type == RecordType::Directory ? ExtractDirectory(page, record.name)
                                                                       : ExtractFile(page, record, found);
                if (!done) return ExtractResult::Aborted;
            }
        }
    }
}

}  // namespace qf
