// How an installation ended, as its steps tell it: the page shows it in boxes, the silent mode
// turns it into a log line and an exit code. Pure.
#pragma once

namespace qf {

enum class InstallEnd {
    Completed,
    // Whole but for the uninstaller, or the desktop shortcut, whose failure was told on the way.
    CompletedWithoutUninstaller,
    CompletedWithoutShortcut,
    QuietRefusal,            // a quiet install's directory refused (the refusal is told)
    DirectoryTooLong,        // the directory, made a full path, does not fit
    ArchiveCorrupted,        // the checksum, or a record, is wrong
    NewerRelease,            // a newer release is installed: nothing written
    SharingUntold,           // whether the folder holds other files cannot be told
    DirectoryNotCreated,     // the installation directory cannot be made
    DirectoryRefused,        // a directory never installed into (a root, the Windows folder, ...)
    RegistryFailed,          // a key or value cannot be opened, read or written
    ReleasesUncounted,       // the release keys cannot be counted or listed
    ExtractDirectoryFailed,  // a folder of the archive cannot be made
    ExtractFileFailed,       // a file of the archive cannot be written
};

}  // namespace qf
