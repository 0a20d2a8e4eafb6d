// Recording an installation in the machine registry.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/install_run_win.h"

namespace qf {

// Registers the product: family keys, the newer-release guard, the migration of the previous
// release's settings, a customised copy's settings, the uninstall registration. Shows nothing;
// the install sequence tells the user.
enum class Registration {
    Registered,
    NewerInstalled,
    // A key or value that could not be opened, read or written.
    RegistryFailed,
    // The family key's release keys could not be counted or listed.
    ReleasesUncounted,
};
Registration RegisterProduct(const InstallRun& run);

// Whether directory, found holding files, shares them with the installation: an earlier
// installation of this product there (its registration names the same directory) keeps what it
// was; any other folder with something in it is shared. The uninstaller and its temporary copy
// are not someone else's files: every installation writes over them and every uninstall removes
// them, and an installation stopped before its registration leaves them in a folder of its own.
// Unknown when the registration or the folder cannot be read to tell.
enum class FolderSharing { Unshared, Shared, Unknown };
FolderSharing SharesItsFolder(const wchar_t* directory);

// Whether a newer release is registered; reads only, shows nothing (asked before the uninstaller copy).
bool NewerReleaseInstalled();

// Whether an earlier installation left its uninstall registration or the product's key
// (ProductKeyPath); reads only. False when the machine's list of uninstall entries cannot be
// opened, whatever else is there.
bool DetectPreviousInstallation();

// The client's settings, carried by registration from the previous release's key to this
// release's key, and the working store when a customised copy's settings are applied. Field
// names are the registry value names.
struct ClientSettings {
    std::uint32_t DefLang;
    std::uint32_t ServerLock;  // the lock mode: 0, 1, 2, or NoServerMode (10)
    wchar_t ServerDefault[256];
    std::uint32_t demo;
    std::uint32_t admin;
    std::uint32_t NoVerWarn;
    std::uint32_t NoServVerWarn;
    wchar_t MediaPlayer[255];
    wchar_t Browser[255];
    wchar_t DocPath[256];
    std::uint32_t DriverPosBug;
};

// Filled from the previous release's key.
extern ClientSettings MigratedSettings;

// MigratedSettings from an old release key (cleared first; missing or oversized values stay
// 0 or empty), and into this release's key (non-zero numbers and non-empty texts only). False
// when a value could not be read (other than missing or oversized) or written: a registration
// that went on would lose it without a word.
bool ReadMigratedSettings(HKEY key);
bool WriteMigratedSettings(HKEY key);

}  // namespace qf
