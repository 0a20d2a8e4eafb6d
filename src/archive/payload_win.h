// The payload archive at install time: the checksum pass with its progress, and the extraction
// into InstallDirectory with the desktop shortcut. Each tells the user what failed and returns
// only a plain outcome; the install sequence ends the installation.
#pragma once

#include <windows.h>

namespace qf {

enum class ExtractResult {
    Completed,
    Aborted,  // at a failure it has told
};

// Whether PayloadArchive matches its stored checksum (true: valid, false: corrupted),
// repainting page at every offset that is a multiple of 112,323 with VerifyProgress at that
// offset. A missing archive, or one shorter than its header, is corrupted. Shows nothing: the
// caller reports a corrupted archive.
bool VerifyPayloadArchive(HWND page);

// The corrupted-archive message owned by page.
void ReportCorruptedArchive(HWND page);

// Writes every directory and file of PayloadArchive under InstallDirectory, in archive order,
// and the desktop shortcut for each executable written. Every name is opened relative to its
// folder's open handle and never written through a link. At the first failure: its message,
// then Aborted.
ExtractResult ExtractPayloadArchive(HWND page);

// "ORIN-6 Client.lnk" on AllUsersDesktop, pointing at exePath. Fails silently.
void CreateClientShortcut(const wchar_t* exePath);

}  // namespace qf
