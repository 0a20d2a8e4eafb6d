#include "pages/install_sequence_win.h"

#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "archive/payload_win.h"
#include "base/entry_win.h"
#include "base/file_win.h"
#include "base/install_paths.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/run_lock_win.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/ui_win.h"
#include "base/wide_win.h"
#include "registration/location_check_win.h"
#include "registration/registration_win.h"

namespace qf {

LocationControls LocationPage;

namespace {

// Whether this run made the installation directory, where nothing can stand in the way of the
// uninstaller's names yet, or found it there (an upgrade), where they are looked at first.
enum class InstallTarget {
    Made,
    Found,
};

// Set once an installation has begun on the page: a click that still reaches it (the buttons
// are disabled, but a click can be sent to them) starts nothing, neither while the run waits
// for its turn nor while it works.
bool UnderWay;

// Takes the directory text into InstallDirectory, less one trailing separator, made a full path
// by the system's own rules: a relative entry ("Apps", ".") against the current directory, and
// in every entry "." and ".." resolved, separators made one, and the dots and blanks that end a
// name dropped ("C:\\Apps\\Quenfield." is the folder C:\\Apps\\Quenfield, as Windows creates it). So
// the directory judged, created, registered and later uninstalled is the one the file system
// has. False when the page must stay as it is.
bool TakeInstallDirectory(HWND page) {
    const int length = GetWindowTextLengthW(LocationPage.directoryEdit);
    if (length == 0) {
        ShowMessage(page, text::BlankDirectoryMessage, text::InvalidPathCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    // Only a text set from outside the edit's limit can be longer, or an entry whose full path
    // is; it is refused, never cut.
    constexpr DWORD capacity = InstallDirectoryCapacity;
    if (length >= static_cast<int>(capacity)) {
        ShowMessage(page, text::DirectoryNotCreatedMessage, text::InstallationErrorCaption, MB_OK);
        return false;
    }
    GetWindowTextW(LocationPage.directoryEdit, InstallDirectory, capacity);

    const std::u16string_view directory = WithoutTrailingSeparator(U(InstallDirectory));
    InstallDirectory[directory.size()] = L'\0';
    // Nothing to resolve, and "C:" would resolve to that drive's current directory: both are
    // judged as they stand (and refused: no folder, a root).
    if (directory.empty() || (directory.size() == 2 && directory[1] == u':')) return true;
    wchar_t full[InstallDirectoryCapacity];
    const DWORD fullLength = GetFullPathNameW(InstallDirectory, capacity, full, nullptr);
    if (fullLength == 0 || fullLength >= capacity) {
        ShowMessage(page, text::DirectoryNotCreatedMessage, text::InstallationErrorCaption, MB_OK);
        return false;
    }
    CopyText(Buffer(InstallDirectory), WithoutTrailingSeparator(U(full)));
    return true;
}

// What its own uninstall would refuse to remove is no installation directory: the Windows
// folder and all below it, roots, the known folders and what holds one of them, and a
// directory that is a link.
bool IsAcceptedDirectory(HWND page) {
    if (CheckLocation(InstallDirectory) != LocationVerdict::Protected) return true;
    ShowMessage(page, text::SystemDirectoryMessage, text::InvalidPathCaption, MB_OK | MB_ICONERROR);
    return false;
}

void EnableButtons(bool enable) {
    EnableWindow(LocationPage.backButton, enable);
    EnableWindow(LocationPage.installButton, enable);
    EnableWindow(LocationPage.cancelButton, enable);
}

// Whether this run made the installation directory or found it there; nothing after its
// message and AbortInstallation.
std::optional<InstallTarget> CreateInstallDirectory(HWND page) {
    if (CreateDirectoryW(InstallDirectory, nullptr)) return InstallTarget::Made;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return InstallTarget::Found;
    if (error == ERROR_PATH_NOT_FOUND) error = SHCreateDirectoryExW(nullptr, InstallDirectory, nullptr);
    if (error == ERROR_SUCCESS) return InstallTarget::Made;
    // Any other failure (no access, a bad name) would only fail later, after the registry had
    // been written; stop here instead.
    ShowMessage(page, text::DirectoryNotCreatedMessage, text::InstallationErrorCaption, MB_OK);
    AbortInstallation(page);
    return std::nullopt;
}

// Whether the old uninstaller, if there is one, may be written over: not read-only, not
// running, not held. One that may not is told as a target that cannot be opened for writing,
// before the copy is made; the move would fail too, but only after it. Opened for writing,
// never changed.
bool MayReplace(const wchar_t* target) {
    const HANDLE file = CreateFileW(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    CloseHandle(file);
    return true;
}

// The running installer's file, open for reading, and its size.
struct Source {
    HANDLE file;
    DWORD size;
    ~Source() { CloseHandle(file); }
};

enum class Replacement {
    NotCreated,
    Failed,
    Done,
};

// Copies the whole source to a new file at temporary and moves it over target in one step, so
// that target is the old uninstaller or the new one, never a part of either: a full disk, a
// killed run or a power cut half way leaves the old one whole. The temporary file goes on
// every failure.
Replacement ReplaceWholeFile(const wchar_t* temporary, const wchar_t* target, const Source& source,
                             std::span<std::uint8_t> buffer) {
    // Shared for delete, so that the move can rename it while this handle still holds it.
    const HANDLE out = CreateFileW(temporary, GENERIC_READ | GENERIC_WRITE | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return Replacement::NotCreated;
    const CopyResult copied = CopyData(source.file, out, source.size, buffer);
    // Flushed before the move: the new name must never reach the disk before the bytes it names.
    const bool replaced = copied == CopyResult::Copied && FlushFileBuffers(out) &&
                          MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) DeleteOpenEntry(out);
    CloseHandle(out);
    return replaced ? Replacement::Done : Replacement::Failed;
}

// Whether the uninstaller's names may take the new file: never a link found in the
// installation directory, nor an old uninstaller that may not be replaced. The uninstaller's
// name is moved over, never written into; a temporary file that shares its data with another
// name loses this name first. In a directory this run made there is nothing to look at.
bool MayTakeTheCopy(const wchar_t* temporary, const wchar_t* target, InstallTarget where) {
    if (where == InstallTarget::Made) return true;
    const auto isLink = [](EntryKind kind) { return kind == EntryKind::Link || kind == EntryKind::Elsewhere; };
    const EntryKind leftover = ExaminePath(temporary).kind;
    return !isLink(ExaminePath(target).kind) && !isLink(leftover) &&
           (leftover != EntryKind::Shared || RemoveName(temporary) == ERROR_SUCCESS) && MayReplace(target);
}

// The copy goes through a buffer this size: a file of any size in the memory of one buffer.
constexpr DWORD CopyBufferSize = 1 << 20;

// The uninstaller is a byte-for-byte copy of the running installer. Its failures are told but
// do not stop the installation; an own file that cannot be measured or read is told as a copy
// that could not be written, since the installation would otherwise end as if whole, with no
// uninstaller. True when it told one.
bool CopyUninstaller(HWND page, const wchar_t* ownPath, bool ownPathFits, InstallTarget where) {
    wchar_t target[PathCapacity];
    wchar_t temporary[PathCapacity];
    const bool targetFits = JoinPath(Buffer(target), U(InstallDirectory), UninstallerFileName) &&
                            JoinPath(Buffer(temporary), U(InstallDirectory), UninstallerTemporaryName);
    Source source{ownPathFits ? CreateFileW(ownPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr)
                              : INVALID_HANDLE_VALUE,
                  0};
    if (source.file == INVALID_HANDLE_VALUE) {
        ShowFormattedMessage(page, text::SourceOpenFormat, {U(ownPath)}, text::ErrorOpeningFileCaption,
                             MB_OK | MB_ICONERROR);
        return true;
    }
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    source.size = GetFileSize(source.file, &high);
    const bool measured = source.size != INVALID_FILE_SIZE || GetLastError() == ERROR_SUCCESS;
    // Nothing sensible to copy: empty, or 4 GiB and more.
    if (measured && (source.size == 0 || source.size == INVALID_FILE_SIZE || high != 0)) return false;
    HeapBlock buffer;
    if (!measured || !buffer.Allocate(std::min(source.size, CopyBufferSize))) {
        ShowMessage(page, text::UninstallerWriteMessage, text::InstallationNotCompleteCaption,
                    MB_OK | MB_ICONINFORMATION);
        return true;
    }
    const Replacement replacement = targetFits && MayTakeTheCopy(temporary, target, where)
                                        ? ReplaceWholeFile(temporary, target, source, buffer.Bytes())
                                        : Replacement::NotCreated;
    switch (replacement) {
        case Replacement::NotCreated:
            ShowFormattedMessage(page, text::UninstallerOpenFormat, {U(target)}, text::ErrorOpeningFileCaption,
                                 MB_OK | MB_ICONERROR);
            return true;
        case Replacement::Failed:
            ShowMessage(page, text::UninstallerWriteMessage, text::InstallationNotCompleteCaption,
                        MB_OK | MB_ICONINFORMATION);
            return true;
        case Replacement::Done: return false;
    }
    return false;
}

// After a box the run goes on: it takes its turn again and looks again at the directory, which
// another run may have removed or made something else meanwhile. Whether a newer release came
// meanwhile, registration tells.
std::optional<InstallTarget> LookAgain(HWND page) {
    TakeRunLock();
    if (CheckLocation(InstallDirectory) == LocationVerdict::Protected) {
        ShowMessage(page, text::SystemDirectoryMessage, text::InvalidPathCaption, MB_OK | MB_ICONERROR);
        AbortInstallation(page);
        return std::nullopt;
    }
    // Found now even if this run made it: another run may have written into it meanwhile.
    return CreateInstallDirectory(page) ? std::optional(InstallTarget::Found) : std::nullopt;
}

}  // namespace

bool InstallationUnderWay() { return UnderWay; }

void AbortInstallation(HWND page) {
    ShowMessage(page, text::InstallationErrorsMessage, text::InstallationErrorsCaption, MB_OK | MB_ICONERROR);
    PostQuitMessage(0);
}

void RunInstallation(HWND page) {
    if (UnderWay || !TakeInstallDirectory(page)) return;
    UnderWay = true;
    EnableButtons(false);
    // Its turn from the first look at the machine (what the directory is, which release is
    // there) to the last file written; each box on the way lets go of it.
    TakeRunLock();
    if (!IsAcceptedDirectory(page)) {
        // A quiet install has no page to try again on.
        if (QuietMode) {
            PostQuitMessage(0);
            return;
        }
        UnderWay = false;
        EnableButtons(true);
        return;
    }

    InstallProgressState = InstallProgress::Verifying;
    RepaintNow(page);
    if (!VerifyPayloadArchive(page)) {
        ReportCorruptedArchive(page);
        AbortInstallation(page);
        return;
    }
    InstallProgressState = InstallProgress::Writing;
    // An older installer must not touch a newer release's installation, nor leave a directory
    // behind: look before creating anything.
    if (NewerReleaseInstalled()) {
        TellNewerRelease();
        PostQuitMessage(0);
        return;
    }
    // Told before anything is written into it: a folder with other files in it is never emptied
    // by this installation's uninstall.
    const FolderSharing sharing = SharesItsFolder(InstallDirectory);
    if (sharing == FolderSharing::Unknown) {
        AbortInstallation(page);
        return;
    }
    SharedInstallDirectory = sharing == FolderSharing::Shared;
    std::optional<InstallTarget> target = CreateInstallDirectory(page);
    if (!target) return;

    // The running program's own file as the system names it: a program started by a bare name
    // through PATH, or by a relative path, copies itself all the same.
    wchar_t ownPath[TargetPathCapacity];
    const DWORD ownLength = GetModuleFileNameW(nullptr, ownPath, TargetPathCapacity);
    const bool ownPathFits = ownLength > 0 && ownLength < TargetPathCapacity;
    if (!ownPathFits) ownPath[ownLength == 0 ? 0 : TargetPathCapacity - 1] = L'\0';
    RepaintNow(page);

    if (CopyUninstaller(page, ownPath, ownPathFits, *target) && !(target = LookAgain(page))) return;
    if (!NoCheckMode && DetectPreviousInstallation()) UpgradeMode = 1;

    JoinPath(Buffer(CurrentTargetPath), U(InstallDirectory), ClientFileName);
    CopyText(Buffer(DisplayIconPath), U(CurrentTargetPath));

    switch (RegisterProduct()) {
        case Registration::Registered: break;
        case Registration::Failed: AbortInstallation(page); return;
        case Registration::NewerInstalled: PostQuitMessage(0); return;
    }
    if (ExtractPayloadArchive(page) != ExtractResult::Completed) {
        AbortInstallation(page);
        return;
    }
    ReleaseRunLock();
    if (!QuietMode)
        ShowMessage(page, text::InstallationCompleteMessage, text::InstallationCompleteCaption,
                    MB_OK | MB_ICONEXCLAMATION);
    PostQuitMessage(0);
}

}  // namespace qf
