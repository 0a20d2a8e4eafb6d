#include "archive/archive_format.h"
#include "archive/payload_win.h"
#include "base/process_state_win.h"
#include "base/ui_win.h"
#include "base/wide_win.h"

namespace qf {

namespace {

void ShowVerifyProgress(void* page, std::uint32_t offset) {
    VerifyProgress = offset;
    RepaintNow(static_cast<HWND>(page));
}

}  // namespace

bool VerifyPayloadArchive(HWND page) {
    VerifyProgress = ArchiveHeaderSize;
    const bool valid = VerifyArchive(PayloadArchive.Bytes(), ShowVerifyProgress, page);
    if (PayloadArchive.size > ArchiveHeaderSize) VerifyProgress = PayloadArchive.size;
    return valid;
}

}  // namespace qf
