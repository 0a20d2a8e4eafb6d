// The installation itself, run inside the installation page's window procedure.
#pragma once

#include <windows.h>

#include <string_view>

#include "archive/payload_win.h"
#include "base/install_run_win.h"
#include "pages/install_end.h"

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

// The end an extraction's result makes.
InstallEnd EndOfExtraction(ExtractResult result);

// Tells how the installation ended, each failure with its own message owned by page (the
// registry's and the newer release's with none) and then "Installation Errors" (not after a
// newer release), the completion unless quiet; then the quit message. failure names the path
// of an extraction that stopped.
void FinishInstallation(HWND page, InstallEnd end, const StepFailure* failure = nullptr);

// The silent mode's installation into directory (as typed: made a full path, judged and
// refused as the page does), or the default directory when it is empty; with no window and no
// box, every step in the log (run_log_win.h). The caller holds the run lock. failure names the
// path and the system's error number of the step that ended it, where it has them.
InstallEnd RunSilentInstallation(std::u16string_view directory, StepFailure& failure);

}  // namespace qf
