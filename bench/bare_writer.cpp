// The reference for the installer's quiet install: the same files carried the same way (one
// resource in the archive format) and written with nothing else around them: each directory
// created, each file made with CreateFileW and written with one WriteFile straight from the
// resource. No verification, window, registry, uninstaller copy or shortcut.
//   bare_writer TARGET
// TARGET is the rest of the command line, as it stands. Exit code 0 when every file was
// written, 1 otherwise.
#include <windows.h>

#include <string_view>

#include "base/product.h"
#include "base/resource_win.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "minimal_writer.h"
#include "target_argument.h"

namespace {

bool WriteTree(std::span<const std::uint8_t> archive, std::u16string_view target) {
    wchar_t folder[qf::DirectoryPathCapacity];
    if (!qf::CopyText(qf::Buffer(folder), target)) return false;
    CreateDirectoryW(folder, nullptr);
    return WriteTreeMinimally(archive, target);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::u16string_view target = TargetArgument(qf::U(GetCommandLineW()));
    const qf::MappedResource archive = qf::MapResource(instance, qf::PayloadResourceType, qf::PayloadResourceId);
    return !target.empty() && WriteTree(archive.Bytes(), target) ? 0 : 1;
}
