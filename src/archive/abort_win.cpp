#include "archive/payload_win.h"

#include "base/texts.h"
#include "base/ui_win.h"
#include "base/wide_win.h"

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
