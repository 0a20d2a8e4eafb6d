// The reference writer both extraction benchmarks measure against: each directory created,
// each file made with CreateFileW and written with one WriteFile straight from the archive,
// and nothing else.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "archive/archive_format.h"
#include "archive/extract_rules.h"
#include "base/product.h"
#include "base/wide_win.h"

// Writes every record of archive under the existing folder target. False at the first failure.
inline bool WriteTreeMinimally(std::span<const std::uint8_t> archive, std::u16string_view target) {
    wchar_t path[qf::DirectoryPathCapacity];
    qf::ArchiveWalk walk{archive};
    qf::ArchiveRecord record;
    qf::WalkStep step;
    while ((step = qf::NextRecord(walk, record)) == qf::WalkStep::Record) {
        if (!qf::JoinArchiveName(qf::Buffer(path), target, record.name)) return false;
        if (record.type == qf::RecordType::Directory) {
            if (!CreateDirectoryW(path, nullptr)) return false;
            continue;
        }
        const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const auto size = static_cast<DWORD>(record.data.size());
        const BOOL wrote = WriteFile(file, record.data.data(), size, &written, nullptr);
        CloseHandle(file);
        if (!wrote || written != size) return false;
    }
    return step == qf::WalkStep::End;
}
