// The installation itself, run inside the installation page's window procedure.
#pragma once

#include <windows.h>

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

// Checks the directory text, verifies the archive, creates the directory, copies the
// uninstaller, registers and extracts. Every way out but the two directory refusals posts the
// quit message: each step tells what failed, and this ends the installation. Once begun it is
// never begun again from the page.
void RunInstallation(HWND page);

// From the moment RunInstallation has taken the directory text to the end of the process, but
// after a refusal that gives the page back: the page then answers no command.
bool InstallationUnderWay();

// The end of an installation stopped by a failure already told: the "Installation Errors"
// message owned by page, then the quit message.
void AbortInstallation(HWND page);

}  // namespace qf
