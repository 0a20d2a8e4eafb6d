#include "startup/silent_win.h"

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "base/install_paths.h"
#include "base/install_run_win.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/run_lock_win.h"
#include "base/run_log_win.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/wide_win.h"
#include "pages/install_sequence_win.h"
#include "registration/uninstall_win.h"
#include "startup/admin_query_win.h"
#include "startup/exit_codes.h"

namespace qf {
namespace {

// The log at the path given, else in the temporary folder. A path that does not fit, or a log
// that cannot be written, leaves the run without one.
void OpenLog(std::u16string_view given, const char16_t* defaultName) {
    wchar_t path[DirectoryPathCapacity];
    if (!given.empty()) {
        if (CopyText(Buffer(path), given)) OpenRunLog(path);
        return;
    }
    wchar_t temporary[DirectoryPathCapacity];
    const DWORD length = GetTempPathW(DirectoryPathCapacity, temporary);
    if (length == 0 || length >= DirectoryPathCapacity) return;
    if (JoinPath(Buffer(path), WithoutTrailingSeparator(U(temporary)), defaultName)) OpenRunLog(path);
}

// Why the installation ended, with the path and the system's reason where the step had them.
void LogInstallationEnd(InstallEnd end, const StepFailure& failure) {
    const std::u16string_view path = U(failure.path);
    switch (end) {
        case InstallEnd::Completed:
        case InstallEnd::CompletedWithoutUninstaller:
        case InstallEnd::CompletedWithoutShortcut:
        case InstallEnd::QuietRefusal: return;
        case InstallEnd::DirectoryTooLong: Log({text::LogDirectoryTooLong, path}); return;
        case InstallEnd::DirectoryRefused: Log({text::LogDirectoryRefused, path}); return;
        case InstallEnd::ArchiveCorrupted: Log({text::LogArchiveCorrupted}); return;
        case InstallEnd::NewerRelease: Log({text::LogNewerRelease}); return;
        case InstallEnd::SharingUntold: LogError({text::LogSharingUntold}, failure.error); return;
        case InstallEnd::DirectoryNotCreated: LogError({text::LogDirectoryNotCreated, path}, failure.error); return;
        case InstallEnd::RegistryFailed: LogError({text::LogRegistryFailed}, failure.error); return;
        case InstallEnd::ReleasesUncounted: LogError({text::LogReleasesUncounted}, failure.error); return;
        case InstallEnd::ExtractDirectoryFailed: LogError({text::LogFolderNotCreated, path}, failure.error); return;
        case InstallEnd::ExtractFileFailed: LogError({text::LogFileNotWritten, path}, failure.error); return;
    }
}

int Ended(SilentOutcome outcome) {
    char16_t code[12];
    FormatText(code, u"%d", {static_cast<std::int32_t>(outcome.exitCode)});
    Log({text::LogOutcome, outcome.text, text::LogExitCode, code});
    return outcome.exitCode;
}

}  // namespace

int RunSilently(RunMode mode) {
    SilentMode = 1;
    const bool install = mode == RunMode::SilentInstall;
    const std::u16string_view tail = CommandLineTail(std::u16string_view(U(GetCommandLineW())));
    const SilentArguments arguments = ParseSilentArguments(tail, mode);
    OpenLog(arguments.log, install ? SilentInstallLogName : SilentUninstallLogName);
    Log({install ? text::LogInstallStart : text::LogUninstallStart, ReleaseDateText, text::LogArguments, tail});
    if (!arguments.understood) {
        Log({text::LogArgumentRejected, arguments.rejected});
        return Ended({ExitBadArgument, NothingDone});
    }
    // Nobody could answer the question the other modes ask.
    if (!UserIsAdministrator()) {
        Log({text::LogNotAdministrator});
        return Ended({ExitNotAdministrator, NothingDone});
    }
    // Held to the end: no box lets go of it here.
    if (!TakeRunLock(SilentRunLockLimitMs)) {
        Log({text::LogLockTimedOut});
        return Ended({ExitAnotherRun, NothingDone});
    }
    SilentOutcome outcome;
    if (install) {
        StepFailure failure{};
        const InstallEnd end = RunSilentInstallation(arguments.directory, failure);
        LogInstallationEnd(end, failure);
        outcome = OutcomeOf(end);
    } else {
        outcome = OutcomeOf(RunUninstall());
    }
    ReleaseRunLock();
    return Ended(outcome);
}

}  // namespace qf
