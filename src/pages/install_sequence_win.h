// The installation itself, run inside the installation page's window procedure.
#pragma once

#include <windows.h>

#include "archive/payload_win.h"
#include "base/install_run_win.h"

namespace qf {

// The installation page's controls that the sequence reads and disables. The buttons do not
// exist in quiet install.
struct LocationControls {
    HWND directoryEdit;
    HWND cancelButton;
    HWND installButton;
    HWND backButton;
};
extern LocationControls LocationPage;

// The installation under way, which the sequence hands down to its steps and the page's status
// line shows.
extern InstallRun Installation;

// Checks the directory text, verifies the archive, creates the directory, copies the
// uninstaller, registers and extracts. Every way out but the two directory refusals ends in
// FinishInstallation, the one place that tells how the installation ended and posts the quit
// message. Once begun it is never begun again from the page.
void RunInstallation(HWND page);

// From the moment RunInstallation has taken the directory text to the end of the process, but
// after a refusal that gives the page back: the page then answers no command.
bool InstallationUnderWay();

// How an installation ended, as each step tells it.
enum class InstallEnd {
    Completed,
    QuietRefusal,            // a quiet install's directory refused (the refusal is told)
    ArchiveCorrupted,        // the checksum, or a record, is wrong
    NewerRelease,            // a newer release is installed: nothing written
    SharingUntold,           // whether the folder holds other files cannot be told
    DirectoryNotCreated,     // the installation directory cannot be made
    DirectoryRefused,        // looked at again, it is now a directory never installed into
    RegistryFailed,          // a key or value cannot be opened, read or written
    ReleasesUncounted,       // the release keys cannot be counted or listed
    ExtractDirectoryFailed,  // a folder of the archive cannot be made
    ExtractFileFailed,       // a file of the archive cannot be written
};

// The end an extraction's result makes.
InstallEnd EndOfExtraction(ExtractResult result);

// Tells how the installation ended, each failure with its own message owned by page (the
// registry's and the newer release's with none) and then "Installation Errors" (not after a
// newer release), the completion unless quiet; then the quit message. failure names the path
// of an extraction that stopped.
void FinishInstallation(HWND page, InstallEnd end, const ExtractFailure* failure = nullptr);

}  // namespace qf
