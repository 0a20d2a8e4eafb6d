// Recording an installation in the machine registry.
#pragma once

#include <windows.h>

namespace qf {

// Registers the product: family keys, the newer-release guard, the migration of the previous
// release's settings, a customised copy's settings, the uninstall registration.
enum class Registration : int {
    Registered = 0,
    NewerInstalled = 5,  // the user has been told
    Failed = 10,
};
Registration RegisterProduct();

// Whether a newer release is registered; reads only, shows nothing (asked before the uninstaller copy).
bool NewerReleaseInstalled();

// MigratedSettings from an old release key (cleared first; missing or oversized values stay
// 0 or empty), and into this release's key (non-zero numbers and non-empty texts only).
void ReadMigratedSettings(HKEY key);
void WriteMigratedSettings(HKEY key);

}  // namespace qf
