#include "archive/archive_format.h"
#include "archive/extract_rules.h"
#include "archive/payload_win.h"
#include "base/entry_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/wide_win.h"
#include "base/process_state_win.h"

namespace qf {

namespace {

// A message names a path that fitted its buffer, or as much of a refused one as fits there,
// so it never has to be cut.
constexpr std::size_t PathMessageCapacity = MessageCapacity + DirectoryPathCapacity;

// A target path longer than CurrentTargetPath is refused before any file call, with the
// number Windows itself gives for a name too long for its buffer.
constexpr DWORD PathTooLongError = ERROR_FILENAME_EXCED_RANGE;
// A target that exists as a link is never written through, with the number Windows gives for
// a request that would cross a reparse point (ERROR_REPARSE_POINT_ENCOUNTERED).
constexpr DWORD LinkInTheWayError = 4395;

bool FailDirectory(HWND page, const wchar_t* path) {
    char16_t message[PathMessageCapacity];
    FormatText(message, text::CreateDirectoryErrorFormat, {U(path)});
    ShowMessage(page, message, text::CreateDirectoryErrorCaption, MB_OK | MB_ICONERROR);
    AbortInstallation(page);
    return false;
}

bool FailFile(HWND page, const wchar_t* path, DWORD error) {
    char16_t message[PathMessageCapacity];
    FormatText(message, text::InstallErrorFormat, {U(path), static_cast<std::int32_t>(error)});
    ShowMessage(page, message, text::InstallErrorCaption, MB_OK | MB_ICONERROR);
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

// Creates or replaces the file and writes data with one call straight from the archive.
// Answers ERROR_SUCCESS or the error of the call that failed.
DWORD WriteWholeFile(const wchar_t* path, std::span<const std::uint8_t> data) {
    const HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    const auto size = static_cast<DWORD>(data.size());
    DWORD written = 0;
    SetLastError(ERROR_SUCCESS);
    const BOOL wrote = WriteFile(file, data.data(), size, &written, nullptr);
    DWORD error = wrote && written == size ? ERROR_SUCCESS : GetLastError();
    // A short write that reports success leaves no error behind; on a disk file only a full
    // disk does that.
    if (error == ERROR_SUCCESS && written != size) error = ERROR_DISK_FULL;
    CloseHandle(file);
    return error;
}

bool ExtractFile(HWND page, const ArchiveRecord& record) {
    if (!JoinArchiveName(Buffer(CurrentTargetPath), U(InstallDirectory), record.name)) {
        wchar_t shown[TargetPathCapacity];
        JoinArchiveNameForMessage(Buffer(shown), U(InstallDirectory), record.name);
        return FailFile(page, shown, PathTooLongError);
    }
    if (RepaintsBeforeFile(ExtractedFileCount)) RepaintNow(page);
    ++ExtractedFileCount;
    const DWORD error = ExamineEntry(CurrentTargetPath) == EntryKind::Link
                            ? LinkInTheWayError
                            : WriteWholeFile(CurrentTargetPath, record.data);
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
