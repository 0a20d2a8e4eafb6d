// The silent modes, for the deployment engines that install the client on many stations as the
// system account, with nobody at the screen: no window, no box, no question about rights; every
// step in a log, and an exit code the engine judges the run by (exit_codes.h).
#pragma once

#include "startup/command_line.h"

namespace qf {

// Runs mode (SilentInstall or SilentUninstall) with the arguments of the process's command
// line; the process's exit code.
int RunSilently(RunMode mode);

}  // namespace qf
