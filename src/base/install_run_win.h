// What one installation knows of itself. The install sequence holds it and hands it down to the
// steps that read or fill it (the uninstaller copy, registration, extraction), so that no step
// reaches up for it through process-wide values.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/product.h"

namespace qf {

struct InstallRun {
    wchar_t InstallDirectory[InstallDirectoryCapacity];  // a full path, no trailing separator
    wchar_t DisplayIconPath[DisplayIconPathCapacity];    // InstallDirectory\qfmgr.exe
    // The directory already held other files and is no earlier installation of this product:
    // registration records it (SharedFolderValueName), and the uninstall then removes only what
    // the installer wrote.
    bool sharedFolder;
    // The size of the uninstaller the installation copies (the running installer's own file),
    // for the size the registration records; 0 when it could not be measured.
    std::uint32_t UninstallerSize;
    wchar_t CurrentTargetPath[TargetPathCapacity];  // the file being written, for the status line
    // Why the desktop shortcut was not made; ERROR_SUCCESS when it was, or none was due.
    DWORD shortcutError;
};

// Where a step of an installation stopped: the path (as much of it as fits, ending in "..."
// when cut, for the message only) and the system's error number, where the step has them.
struct StepFailure {
    wchar_t path[DirectoryPathCapacity];
    DWORD error;
};

}  // namespace qf
