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
#include "base/run_log_win.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/ui_win.h"
#include "base/wide_win.h"
#include "registration/location_check_win.h"
#include "registration/registration_win.h"
#include "registration/uninstaller_copy_win.h"

namespace qf {

LocationControls LocationPage;
InstallRun Installation;

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

// Takes the directory text into Installation.InstallDirectory, less one trailing separator, made a
// full path by the system's own rules: a relative entry ("Apps", ".") against the current
// directory, and in every entry "." and ".." resolved, separators made one, and the dots and
// blanks that end a name dropped ("C:\\Apps\\Quenfield." is the folder C:\\Apps\\Quenfield, as
// Windows creates it). So the directory judged, created, registered and later uninstalled is the
// one the file system has. Only a blank text, or one whose full path does not fit, is refused,
// never cut.
enum class DirectoryTaken { Taken, Blank, TooLong };

DirectoryTaken TakeDirectoryText(std::u16string_view typed) {
    if (typed.empty()) return DirectoryTaken::Blank;
    if (!CopyText(Buffer(Installation.InstallDirectory), WithoutTrailingSeparator(typed)))
        return DirectoryTaken::TooLong;
    const std::u16string_view directory = U(Installation.InstallDirectory);
    // Nothing to resolve, and "C:" would resolve to that drive's current directory: both are
    // judged as they stand (and refused: no folder, a root).
    if (directory.empty() || (directory.size() == 2 && directory[1] == u':')) return DirectoryTaken::Taken;
    constexpr DWORD capacity = InstallDirectoryCapacity;
    wchar_t full[InstallDirectoryCapacity];
    const DWORD fullLength = GetFullPathNameW(Installation.InstallDirectory, capacity, full, nullptr);
    if (fullLength == 0 || fullLength >= capacity) return DirectoryTaken::TooLong;
    CopyText(Buffer(Installation.InstallDirectory), WithoutTrailingSeparator(U(full)));
    return DirectoryTaken::Taken;
}

// The page's text; false when the page must stay as it is.
bool TakeInstallDirectory(HWND page) {
    const int length = GetWindowTextLengthW(LocationPage.directoryEdit);
    // Only a text set from outside the edit's limit can be longer; it is refused, never cut.
    wchar_t typed[InstallDirectoryCapacity];
    const DirectoryTaken taken =
        length >= static_cast<int>(InstallDirectoryCapacity)
            ? DirectoryTaken::TooLong
            : TakeDirectoryText({U(typed), static_cast<std::size_t>(GetWindowTextW(LocationPage.directoryEdit, typed,
                                                                                   InstallDirectoryCapacity))});
    switch (taken) {
        case DirectoryTaken::Taken: return true;
        case DirectoryTaken::Blank:
            ShowMessage(page, text::BlankDirectoryMessage, text::InvalidPathCaption, MB_OK | MB_ICONERROR);
            return false;
        case DirectoryTaken::TooLong:
            ShowMessage(page, text::DirectoryNotCreatedMessage, text::InstallationErrorCaption, MB_OK);
            return false;
    }
    return false;
}

// What its own uninstall would refuse to remove is no installation directory: the Windows
// folder and all below it, roots, the known folders and what holds one of them, and a
// directory that is a link; a folder not there yet, outside the accounts' folders, by its text
// without the known folders (CheckInstallLocation).
bool IsAcceptedDirectory(HWND page) {
    if (CheckInstallLocation(Installation.InstallDirectory) != LocationVerdict::Protected) return true;
    ShowMessage(page, text::SystemDirectoryMessage, text::InvalidPathCaption, MB_OK | MB_ICONERROR);
    return false;
}

void EnableButtons(bool enable) {
    EnableWindow(LocationPage.backButton, enable);
    EnableWindow(LocationPage.installButton, enable);
    EnableWindow(LocationPage.cancelButton, enable);
}

// Whether this run made the installation directory or found it there; nothing when it could not
// be made. Any failure but "there already" and "a parent missing" (no access, a bad name) would
// only fail later, after the registry had been written: the caller stops at once instead.
std::optional<InstallTarget> CreateInstallDirectory() {
    if (CreateDirectoryW(Installation.InstallDirectory, nullptr)) return InstallTarget::Made;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return InstallTarget::Found;
    if (error == ERROR_PATH_NOT_FOUND) error = SHCreateDirectoryExW(nullptr, Installation.InstallDirectory, nullptr);
    if (error == ERROR_SUCCESS) return InstallTarget::Made;
    SetLastError(error);
    return std::nullopt;
}

// The uninstaller copy's failures are told and the installation goes on; an own file that
// cannot be measured or read is told as a copy that could not be written, since the
// installation would otherwise end as if whole, with no uninstaller. True when it told one.
bool TellCopyFailure(HWND page, UninstallerCopy copy, const wchar_t* ownPath, const UninstallerPaths& paths) {
    if (SilentMode) {
        if (copy == UninstallerCopy::Copied) Log({text::LogUninstallerWritten});
        else if (copy != UninstallerCopy::NothingToCopy)
            LogError({text::LogUninstallerNotWritten, U(paths.target)}, GetLastError());
        return false;
    }
    switch (copy) {
        case UninstallerCopy::Copied:
        case UninstallerCopy::NothingToCopy: return false;
        case UninstallerCopy::SourceNotOpened:
            ShowFormattedMessage(page, text::SourceOpenFormat, {U(ownPath)}, text::ErrorOpeningFileCaption,
                                 MB_OK | MB_ICONERROR);
            return true;
        case UninstallerCopy::TargetNotOpened:
            ShowFormattedMessage(page, text::UninstallerOpenFormat, {U(paths.target)}, text::ErrorOpeningFileCaption,
                                 MB_OK | MB_ICONERROR);
            return true;
        case UninstallerCopy::SourceUnreadable:
        case UninstallerCopy::WriteFailed:
            ShowMessage(page, text::UninstallerWriteMessage, text::InstallationNotCompleteCaption,
                        MB_OK | MB_ICONINFORMATION);
            return true;
    }
    return false;
}

// After a box the run goes on: it takes its turn again and looks again at the directory, which
// another run may have removed or made something else meanwhile. Found now even if this run
// made it: another run may have written into it meanwhile. Whether a newer release came
// meanwhile, registration tells.
InstallEnd LookAgain() {
    TakeRunLock();
    if (CheckInstallLocation(Installation.InstallDirectory) == LocationVerdict::Protected)
        return InstallEnd::DirectoryRefused;
    return CreateInstallDirectory() ? InstallEnd::Completed : InstallEnd::DirectoryNotCreated;
}

InstallEnd EndOfRegistration(Registration registration) {
    switch (registration) {
        case Registration::Registered: return InstallEnd::Completed;
        case Registration::NewerInstalled: return InstallEnd::NewerRelease;
        case Registration::RegistryFailed: return InstallEnd::RegistryFailed;
        case Registration::ReleasesUncounted: return InstallEnd::ReleasesUncounted;
    }
    return InstallEnd::RegistryFailed;
}

// The steps of an installation once its directory is accepted, to the first that ends it;
// failure.error says why a step failed where the system said.
InstallEnd Install(HWND page, StepFailure& failure) {
    InstallProgressState = InstallProgress::Verifying;
    RepaintNow(page);
    if (!VerifyPayloadArchive(page)) return InstallEnd::ArchiveCorrupted;
    Log({text::LogArchiveVerified});
    InstallProgressState = InstallProgress::Writing;
    // An older installer must not touch a newer release's installation, nor leave a directory
    // behind: look before creating anything.
    if (NewerReleaseInstalled()) return InstallEnd::NewerRelease;
    // Told before anything is written into it: a folder with other files in it is never emptied
    // by this installation's uninstall.
    const FolderSharing sharing = SharesItsFolder(Installation.InstallDirectory);
    if (sharing == FolderSharing::Unknown) {
        failure.error = GetLastError();
        return InstallEnd::SharingUntold;
    }
    Installation.sharedFolder = sharing == FolderSharing::Shared;
    std::optional<InstallTarget> target = CreateInstallDirectory();
    if (!target) {
        failure.error = GetLastError();
        return InstallEnd::DirectoryNotCreated;
    }
    Log({*target == InstallTarget::Made ? text::LogDirectoryMade : text::LogDirectoryFound,
         U(Installation.InstallDirectory)});
    if (Installation.sharedFolder) Log({text::LogDirectoryShared});

    // The running program's own file as the system names it: a program started by a bare name
    // through PATH, or by a relative path, copies itself all the same.
    wchar_t ownPath[TargetPathCapacity];
    const DWORD ownLength = GetModuleFileNameW(nullptr, ownPath, TargetPathCapacity);
    const bool ownPathFits = ownLength > 0 && ownLength < TargetPathCapacity;
    if (!ownPathFits) ownPath[ownLength == 0 ? 0 : TargetPathCapacity - 1] = L'\0';
    RepaintNow(page);
    UninstallerPaths paths;
    const UninstallerCopy copy = CopyUninstaller(ownPath, ownPathFits, Installation.InstallDirectory,
                                                 *target == InstallTarget::Found, paths, Installation.UninstallerSize);
    const bool copied = copy == UninstallerCopy::Copied || copy == UninstallerCopy::NothingToCopy;
    if (TellCopyFailure(page, copy, ownPath, paths)) {
        const InstallEnd again = LookAgain();
        if (again != InstallEnd::Completed) return again;
    }
    if (!NoCheckMode && DetectPreviousInstallation()) {
        UpgradeMode = 1;
        Log({text::LogUpgrade});
    }

    JoinPath(Buffer(Installation.CurrentTargetPath), U(Installation.InstallDirectory), ClientFileName);
    CopyText(Buffer(Installation.DisplayIconPath), U(Installation.CurrentTargetPath));

    const InstallEnd registered = EndOfRegistration(RegisterProduct(Installation));
    if (registered != InstallEnd::Completed) {
        failure.error = GetLastError();
        return registered;
    }
    Log({text::LogRegistered});
    const InstallEnd extracted = EndOfExtraction(ExtractPayloadArchive(page, Installation, failure));
    if (extracted != InstallEnd::Completed) return extracted;
    char16_t count[12];
    FormatText(count, u"%u", {ExtractedFileCount});
    Log({count, text::LogFilesWritten});
    char16_t shortcut[ShortcutPathCapacity];
    if (!ShortcutPath(U(ShortcutDesktop), ShortcutFileName, shortcut)) shortcut[0] = u'\0';
    if (Installation.shortcutError != ERROR_SUCCESS) {
        LogError({text::LogShortcutNotWritten, shortcut}, Installation.shortcutError);
        return copied ? InstallEnd::CompletedWithoutShortcut : InstallEnd::CompletedWithoutUninstaller;
    }
    Log({text::LogShortcutWritten, shortcut});
    return copied ? InstallEnd::Completed : InstallEnd::CompletedWithoutUninstaller;
}

}  // namespace

bool InstallationUnderWay() { return UnderWay; }

InstallEnd EndOfExtraction(ExtractResult result) {
    switch (result) {
        case ExtractResult::Completed: return InstallEnd::Completed;
        case ExtractResult::Corrupted: return InstallEnd::ArchiveCorrupted;
        case ExtractResult::DirectoryFailed: return InstallEnd::ExtractDirectoryFailed;
        case ExtractResult::FileFailed: return InstallEnd::ExtractFileFailed;
    }
    return InstallEnd::ExtractFileFailed;
}

void FinishInstallation(HWND page, InstallEnd end, const StepFailure* failure) {
    // Each box on the way lets go of the run lock; none is held while a box waits.
    ReleaseRunLock();
    bool failed = true;
    switch (end) {
        // The missing uninstaller was told on the way; a missing shortcut is not told at all.
        case InstallEnd::Completed:
        case InstallEnd::CompletedWithoutUninstaller:
        case InstallEnd::CompletedWithoutShortcut:
            failed = false;
            if (!QuietMode)
                ShowMessage(page, text::InstallationCompleteMessage, text::InstallationCompleteCaption,
                            MB_OK | MB_ICONEXCLAMATION);
            break;
        case InstallEnd::QuietRefusal: failed = false; break;
        case InstallEnd::NewerRelease:
            failed = false;
            ShowMessage(nullptr, text::NewerVersionMessage, text::NewerVersionCaption, MB_OK | MB_ICONERROR);
            break;
        case InstallEnd::ArchiveCorrupted:
            ShowMessage(page, text::CorruptedArchiveMessage, text::CorruptedArchiveCaption, MB_OK | MB_ICONERROR);
            break;
        case InstallEnd::DirectoryRefused:
            ShowMessage(page, text::SystemDirectoryMessage, text::InvalidPathCaption, MB_OK | MB_ICONERROR);
            break;
        case InstallEnd::SharingUntold: break;
        case InstallEnd::DirectoryTooLong:
        case InstallEnd::DirectoryNotCreated:
            ShowMessage(page, text::DirectoryNotCreatedMessage, text::InstallationErrorCaption, MB_OK);
            break;
        case InstallEnd::RegistryFailed:
            ShowMessage(nullptr, text::RegistryErrorMessage, text::RegistryErrorCaption, MB_OK);
            break;
        case InstallEnd::ReleasesUncounted:
            ShowMessage(nullptr, text::SubkeyCountMessage, text::SystemErrorCaption, MB_OK);
            break;
        case InstallEnd::ExtractDirectoryFailed:
            ShowFormattedMessage(page, text::CreateDirectoryErrorFormat, {U(failure ? failure->path : L"")},
                                 text::CreateDirectoryErrorCaption, MB_OK | MB_ICONERROR);
            break;
        case InstallEnd::ExtractFileFailed:
            ShowFormattedMessage(
                page, text::InstallErrorFormat,
                {U(failure ? failure->path : L""), static_cast<std::int32_t>(failure ? failure->error : ERROR_SUCCESS)},
                text::InstallErrorCaption, MB_OK | MB_ICONERROR);
            break;
    }
    if (failed)
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
        if (QuietMode) return FinishInstallation(page, InstallEnd::QuietRefusal);
        UnderWay = false;
        EnableButtons(true);
        return;
    }
    StepFailure failure{};
    const InstallEnd end = Install(page, failure);
    FinishInstallation(page, end, &failure);
}

InstallEnd RunSilentInstallation(std::u16string_view directory, StepFailure& failure) {
    switch (TakeDirectoryText(directory.empty() ? std::u16string_view(text::DefaultInstallDirectory) : directory)) {
        case DirectoryTaken::Taken: break;
        case DirectoryTaken::Blank:
        case DirectoryTaken::TooLong:
            CopyWhatFits(Buffer(failure.path), {directory});
            return InstallEnd::DirectoryTooLong;
    }
    CopyText(Buffer(failure.path), U(Installation.InstallDirectory));
    Log({text::LogDirectory, U(Installation.InstallDirectory)});
    if (CheckInstallLocation(Installation.InstallDirectory) == LocationVerdict::Protected)
        return InstallEnd::DirectoryRefused;
    return Install(nullptr, failure);
}

}  // namespace qf
