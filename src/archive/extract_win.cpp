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
    AbortInstallation(page);
    return false;
}

bool FailFile(HWND page, const wchar_t* path, DWORD error) {
    ShowFormattedMessage(page, text::InstallErrorFormat, {U(path), static_cast<std::int32_t>(error)},
                         text::InstallErrorCaption, MB_OK | MB_ICONERROR);
    AbortInstallation(page);
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

bool ExtractFile(HWND page, const ArchiveRecord& record) {
    if (!JoinArchiveName(Buffer(CurrentTargetPath), U(InstallDirectory), record.name)) {
        wchar_t shown[TargetPathCapacity];
        JoinArchiveNameForMessage(Buffer(shown), U(InstallDirectory), record.name);
        return FailFile(page, shown, PathTooLongError);
    }
    if (RepaintsBeforeFile(ExtractedFileCount)) RepaintNow(page);
    ++ExtractedFileCount;
    // Written with one call straight from the archive, never through a link: a file that shares
    // its data with other names loses this name first, and the other names keep their data.
    DWORD error = ERROR_SUCCESS;
    switch (ExamineEntry(CurrentTargetPath)) {
        case EntryKind::Link: error = LinkInTheWayError; break;
        case EntryKind::Shared: error = RemoveName(CurrentTargetPath); break;
        case EntryKind::Absent:
        case EntryKind::Itself:
        case EntryKind::Unknown: break;
    }
    if (error == ERROR_SUCCESS)
        error = WriteNewFile(CurrentTargetPath, FILE_SHARE_READ | FILE_SHARE_WRITE, record.data).error;
    if (error != ERROR_SUCCESS) return FailFile(page, CurrentTargetPath, error);
    if (IsClientExecutable(U(CurrentTargetPath))) CreateClientShortcut(CurrentTargetPath);
    return true;
}

}  // namespace

ExtractResult ExtractPayloadArchive(HWND page) {
    ArchiveWalk walk{PayloadArchive.Bytes()};
    ArchiveRecord record;
    for (;;) {
        switch (NextRecord(walk, record)) {
            case WalkStep::End:
                return ExtractResult::Completed;
            case WalkStep::Corrupted:
                ReportCorruptedArchive(page);
                return ExtractResult::Aborted;
            case WalkStep::Record: {
                const bool done = record.type == RecordType::Directory
                                      ? ExtractDirectory(page, record.name)
                                      : ExtractFile(page, record);
                if (!done) return ExtractResult::Aborted;
            }
        }
    }
}

}  // namespace qf
