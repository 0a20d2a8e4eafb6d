// How an uninstall ended: the uninstall mode tells only a completed one, the silent mode turns
// each into a log line and an exit code. Pure.
#pragma once

namespace qf {

enum class UninstallResult {
    Completed,
    // Stopped at a step that failed, with the registration in place for a run that finishes:
    // what could not be removed, or could not be told, stays.
    Stopped,
    // No uninstall registration: nothing to uninstall.
    NotInstalled,
};

}  // namespace qf
