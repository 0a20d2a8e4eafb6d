// The process-wide state that start-up prepares and the pages and the install sequence share.
// Everything lives in static storage, starts zeroed and is never freed.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/geometry.h"
#include "base/install_progress.h"
#include "base/product.h"
#include "base/resource_win.h"

namespace qf {

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

extern HINSTANCE Instance;
extern HBRUSH PageBackgroundBrush;
extern wchar_t AllUsersDesktop[PathCapacity];
extern InstallProgress InstallProgressState;
extern std::uint32_t ExtractedFileCount;
extern MappedResource PayloadArchive;
extern MappedResource LicenceText;
extern PagePlacement PageGeometry;
extern std::uint32_t QuietMode;
extern std::uint32_t NoCheckMode;
extern std::uint32_t UpgradeMode;

// Set by the install sequence, read by extraction and registration.
extern wchar_t InstallDirectory[InstallDirectoryCapacity];  // no trailing separator
extern wchar_t DisplayIconPath[DisplayIconPathCapacity];    // InstallDirectory\qfmgr.exe

// Filled by registration from the previous release's key.
extern ClientSettings MigratedSettings;

// Shown by the installation page's status line.
extern std::uint32_t VerifyProgress;                   // next archive offset to be added
extern wchar_t CurrentTargetPath[TargetPathCapacity];  // the file being written

}  // namespace qf
