#include "base/file_win.h"

#include <algorithm>

namespace qf {

bool HeapBlock::Allocate(std::size_t wanted) {
    bytes = static_cast<std::uint8_t*>(HeapAlloc(GetProcessHeap(), 0, wanted));
    size = bytes ? wanted : 0;
    return bytes != nullptr;
}

ReadResult ReadWholeFile(const wchar_t* path, HeapBlock& block, DWORD& openError) {
    const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        openError = GetLastError();
        return ReadResult::NotOpened;
    }
    DWORD high = 0;
    const DWORD size = GetFileSize(file, &high);
    ReadResult result = ReadResult::Unusable;
    if (size != 0 && size != INVALID_FILE_SIZE && high == 0) {
        DWORD read = 0;
        if (!block.Allocate(size)) result = ReadResult::NoMemory;
        else
            result = ReadFile(file, block.bytes, size, &read, nullptr) && read == size ? ReadResult::Read
                                                                                       : ReadResult::ReadFailed;
    }
    CloseHandle(file);
    return result;
}

HeapBlock::~HeapBlock() {
    if (bytes) HeapFree(GetProcessHeap(), 0, bytes);
}

CopyResult CopyData(HANDLE source, HANDLE target, std::uint32_t size, std::span<std::uint8_t> buffer) {
    for (std::uint32_t left = size; left > 0;) {
        const auto chunk = static_cast<DWORD>(std::min<std::uint64_t>(left, buffer.size()));
        DWORD read = 0;
        if (!ReadFile(source, buffer.data(), chunk, &read, nullptr) || read != chunk) return CopyResult::ReadFailed;
        if (WriteWhole(target, buffer.first(chunk)) != ERROR_SUCCESS) return CopyResult::WriteFailed;
        left -= chunk;
    }
    return CopyResult::Copied;
}

DWORD WriteWhole(HANDLE file, std::span<const std::uint8_t> data) {
    const auto size = static_cast<DWORD>(data.size());
    DWORD written = 0;
    SetLastError(ERROR_SUCCESS);
    const BOOL wrote = WriteFile(file, data.data(), size, &written, nullptr);
    DWORD error = wrote && written == size ? ERROR_SUCCESS : GetLastError();
    // A short write that reports success leaves no error behind; on a disk file only a full
    // disk does that.
    if (error == ERROR_SUCCESS && written != size) error = ERROR_DISK_FULL;
    return error;
}

NewFileResult WriteNewFile(const wchar_t* path, DWORD share, std::span<const std::uint8_t> data) {
    const HANDLE file =
        CreateFileW(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {false, GetLastError()};
    const DWORD error = WriteWhole(file, data);
    CloseHandle(file);
    return {true, error};
}

}  // namespace qf
