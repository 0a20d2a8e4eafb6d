#include "archive/payload.h"

#include "base/texts.h"
#include "base/win32.h"

namespace qf {

void AbortInstallation(HWND page) {
    ShowMessage(page, text::InstallationErrorsMessage, text::InstallationErrorsCaption,
                MB_OK | MB_ICONERROR);
    PostQuitMessage(0);
}

void ReportCorruptedArchive(HWND page) {
    ShowMessage(page, text::CorruptedArchiveMessage, text::CorruptedArchiveCaption,
                MB_OK | MB_ICONERROR);
    AbortInstallation(page);
}

}  // namespace qf
