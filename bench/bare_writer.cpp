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

namespace {

// The command line after the program name, quoted or not.
std::u16string_view Argument(std::u16string_view line) {
    std::size_t i = 0;
    if (!line.empty() && line[0] == u'"') {
        i = line.find(u'"', 1);
        i = i == std::u16string_view::npos ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != u' ' && line[i] != u'\t') ++i;
    }
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
    return line.substr(i);
}

bool WriteTree(std::span<const std::uint8_t> archive, std::u16string_view target) {
    wchar_t folder[qf::DirectoryPathCapacity];
    if (!qf::CopyText(qf::Buffer(folder), target)) return false;
    CreateDirectoryW(folder, nullptr);
    return WriteTreeMinimally(archive, target);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::u16string_view target = Argument(qf::U(GetCommandLineW()));
    const qf::MappedResource archive = qf::MapResource(instance, qf::PayloadResourceType, qf::PayloadResourceId);
    return !target.empty() && WriteTree(archive.Bytes(), target) ? 0 : 1;
}
