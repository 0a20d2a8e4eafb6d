#include "startup/exit_codes.h"

namespace qf {

SilentOutcome OutcomeOf(InstallEnd end) {
    switch (end) {
        case InstallEnd::Completed: return {ExitDone, u"installed"};
        case InstallEnd::NewerRelease: return {ExitNewerInstalled, u"not installed: a newer release is installed"};
        // Installed but for one part, which an installation run again writes.
        case InstallEnd::CompletedWithoutUninstaller:
            return {ExitFailed, u"installed without its uninstaller: run the installation again"};
        case InstallEnd::CompletedWithoutShortcut:
            return {ExitFailed, u"installed without the desktop shortcut: run the installation again"};
        case InstallEnd::QuietRefusal:
        case InstallEnd::DirectoryTooLong:
        case InstallEnd::DirectoryRefused: return {ExitFailed, u"not installed: the directory is refused"};
        case InstallEnd::ArchiveCorrupted:
        case InstallEnd::SharingUntold:
        case InstallEnd::DirectoryNotCreated:
        case InstallEnd::RegistryFailed:
        case InstallEnd::ReleasesUncounted:
        case InstallEnd::ExtractDirectoryFailed:
        case InstallEnd::ExtractFileFailed: break;
    }
    return {ExitFailed, u"failed"};
}

SilentOutcome OutcomeOf(UninstallResult result) {
    switch (result) {
        case UninstallResult::Completed: return {ExitDone, u"uninstalled"};
        case UninstallResult::NotInstalled: return {ExitNothingToUninstall, u"nothing to uninstall"};
        case UninstallResult::Stopped: break;
    }
    return {ExitFailed, u"failed: the installation stays registered; run the uninstall again once the cause is gone"};
}

}  // namespace qf
