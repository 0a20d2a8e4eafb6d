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

// Set by the install sequence before it writes into the installation directory: the directory
// already held other files and is no earlier installation of this product. Registration records
// it (SharedFolderValueName), and the uninstall then removes only what the installer wrote.
extern bool SharedInstallDirectory;

// Whether directory, found holding files, shares them with the installation: an earlier
// installation of this product there (its registration names the same directory) keeps what it
// was; any other folder with something in it is shared.
bool SharesItsFolder(const wchar_t* directory);

// Whether a newer release is registered; reads only, shows nothing (asked before the uninstaller copy).
bool NewerReleaseInstalled();

// Whether an earlier installation left its uninstall registration or the product's key
// (ProductKeyPath); reads only. False when the machine's list of uninstall entries cannot be
// opened, whatever else is there.
bool DetectPreviousInstallation();

// MigratedSettings from an old release key (cleared first; missing or oversized values stay
// 0 or empty), and into this release's key (non-zero numbers and non-empty texts only).
void ReadMigratedSettings(HKEY key);
void WriteMigratedSettings(HKEY key);

}  // namespace qf
