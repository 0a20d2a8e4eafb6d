// Recording an installation in the machine registry.
#pragma once

#include <windows.h>

namespace qf {

// Registers the product: family keys, the newer-release guard, the migration of the previous
// release's settings, a customised copy's settings, the uninstall registration.
// 0 registered, 5 a newer release is installed (the user has been told), 10 failed.
int RegisterProduct();

// Whether a newer release is registered; reads only, shows nothing (asked before the uninstaller copy).
bool NewerReleaseInstalled();

// MigratedSettings from an old release key (cleared first; missing or oversized values stay
// 0 or empty), and into this release's key (non-zero numbers and non-empty texts only).
void ReadMigratedSettings(HKEY key);
void WriteMigratedSettings(HKEY key);

}  // namespace qf
