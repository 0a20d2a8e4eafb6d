#pragma once

namespace qf {

enum class UninstallResult {
    Completed,
    // Stopped at a step that failed, with the registration in place for a run that finishes:
    // what could not be removed, or could not be told, stays.
    Stopped,
};

// The uninstall mode, once the user has answered the rights question: removes the installed
// files, the desktop shortcut, this release's key, the uninstaller and the uninstall
// registration. Shows nothing; the caller tells a completed uninstall, and a stopped one ends
// without a word.
UninstallResult RunUninstall();

}  // namespace qf
