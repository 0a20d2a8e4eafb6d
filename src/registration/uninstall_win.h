#pragma once

#include "registration/uninstall_result.h"

namespace qf {

// The uninstall mode, once the user has answered the rights question: removes the installed
// files, the desktop shortcut, this release's key, the uninstaller and the uninstall
// registration. Shows nothing, and writes each step to the log (run_log_win.h); the caller tells
// a completed uninstall, and a stopped one ends without a word.
UninstallResult RunUninstall();

}  // namespace qf
