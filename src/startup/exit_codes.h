// How a silent run ends for the deployment engine that started it: an exit code in the
// convention those engines read by default (Windows Installer's), and the last line of the log.
// Pure.
#pragma once

#include "pages/install_end.h"
#include "registration/uninstall_result.h"

namespace qf {

inline constexpr int ExitDone = 0;
inline constexpr int ExitFailed = 1603;          // what failed is in the log
inline constexpr int ExitNewerInstalled = 1638;  // another version of the product is installed
inline constexpr int ExitNothingToUninstall = 1605;
inline constexpr int ExitBadArgument = 87;
inline constexpr int ExitNotAdministrator = 740;  // the run needs elevation
inline constexpr int ExitAnotherRun = 1618;       // another installation is in progress

// The outcome of a run refused before it began (an argument, the rights, another run).
inline constexpr char16_t NothingDone[] = u"nothing done";

struct SilentOutcome {
    int exitCode;
    const char16_t* text;
};

SilentOutcome OutcomeOf(InstallEnd end);
SilentOutcome OutcomeOf(UninstallResult result);

}  // namespace qf
