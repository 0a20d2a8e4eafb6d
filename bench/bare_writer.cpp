// The reference for the installer's quiet install: the same files carried the same way (one
// resource in the archive format) and written with nothing else around them: each directory
// created, each file made with CreateFileW and written with one WriteFile straight from the
// resource. No verification, window, registry, uninstaller copy or shortcut.
//   bare_writer TARGET
// TARGET is the rest of the command line, as it stands. Exit code 0 when every file was
// written, 1 otherwise.
#include <windows.h>

#include <string_view>

#include "archive/archive_format.h"
#include "archive/extract_rules.h"
#include "base/product.h"
#include "base/text.h"
#include "base/win32.h"

namespace {

std::span<const std::uint8_t> MapArchive(HINSTANCE instance) {
    const HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(qf::PayloadResourceId),
                                      MAKEINTRESOURCEW(qf::PayloadResourceType));
    const HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const std::uint8_t*>(bytes), SizeofResource(instance, found)};
}

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
    wchar_t path[qf::DirectoryPathCapacity];
    if (!qf::CopyText(qf::Buffer(path), target)) return false;
    CreateDirectoryW(path, nullptr);
    qf::ArchiveWalk walk{archive};
    qf::ArchiveRecord record;
    qf::WalkStep step;
    while ((step = qf::NextRecord(walk, record)) == qf::WalkStep::Record) {
        if (!qf::JoinArchiveName(qf::Buffer(path), target, record.name)) return false;
        if (record.type == qf::RecordType::Directory) {
            if (!CreateDirectoryW(path, nullptr)) return false;
            continue;
        }
        const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const auto size = static_cast<DWORD>(record.data.size());
        const BOOL wrote = WriteFile(file, record.data.data(), size, &written, nullptr);
        CloseHandle(file);
        if (!wrote || written != size) return false;
    }
    return step == qf::WalkStep::End;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::u16string_view target = Argument(qf::U(GetCommandLineW()));
    return !target.empty() && WriteTree(MapArchive(instance), target) ? 0 : 1;
}
