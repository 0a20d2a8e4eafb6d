// The payload archive at install time: the checksum pass with its progress, and the extraction
// into the installation directory with the desktop shortcut. Each shows nothing and returns what happened;
// the install sequence tells the user and ends the installation.
#pragma once

#include <windows.h>

#include "base/install_run_win.h"
#include "base/product.h"

namespace qf {

enum class ExtractResult {
    Completed,
    Corrupted,        // the records cannot be read to their end
    DirectoryFailed,  // the folder failure.path could not be made, or is no folder of its own
    FileFailed,       // the file failure.path could not be written, for failure.error
};

// Whether PayloadArchive matches its stored checksum (true: valid, false: corrupted),
// repainting page at every offset that is a multiple of 112,323 with VerifyProgress at that
// offset. A missing archive, or one shorter than its header, is corrupted.
bool VerifyPayloadArchive(HWND page);

// Writes every directory and file of PayloadArchive under run.InstallDirectory, in archive order
// (each file's path in run.CurrentTargetPath while it is written), and the desktop shortcut for
// each executable written. Every name is opened relative to its folder's open handle and never
// written through a link. Stops at the first failure, which failure describes; a shortcut that
// could not be made leaves why in run.shortcutError.
ExtractResult ExtractPayloadArchive(HWND page, InstallRun& run, StepFailure& failure);

// "ORIN-6 Client.lnk" on ShortcutDesktop, pointing at exePath. A shortcut that cannot be made
// fails nothing else: ERROR_SUCCESS, or why there is none (a system error or a COM result).
DWORD CreateClientShortcut(const wchar_t* exePath);

}  // namespace qf
