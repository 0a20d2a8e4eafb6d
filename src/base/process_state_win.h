// The process-wide state that start-up prepares and the pages and the install sequence share.
// Everything lives in static storage, starts zeroed (ShortcutDesktop aside, which starts at
// AllUsersDesktop) and is never freed.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/geometry.h"
#include "base/install_progress.h"
#include "base/product.h"
#include "base/resource_win.h"

namespace qf {

extern HINSTANCE Instance;
extern HBRUSH PageBackgroundBrush;
extern wchar_t AllUsersDesktop[PathCapacity];  // derived from the profile
// The system's common desktop (empty when the system did not name it), and the desktop the
// shortcut goes to: AllUsersDesktop, or CommonDesktop where start-up found the derived folder
// unable to take it (the system account's). The uninstall looks on both.
extern wchar_t CommonDesktop[PathCapacity];
extern const wchar_t* ShortcutDesktop;
extern InstallProgress InstallProgressState;
extern std::uint32_t ExtractedFileCount;
extern MappedResource PayloadArchive;
extern MappedResource LicenceText;
extern PagePlacement PageGeometry;
extern std::uint32_t QuietMode;
extern std::uint32_t NoCheckMode;
// The silent modes: no window, no box; every step goes to the log.
extern std::uint32_t SilentMode;
extern std::uint32_t UpgradeMode;

// Shown by the installation page's status line.
extern std::uint32_t VerifyProgress;  // next archive offset to be added

}  // namespace qf
