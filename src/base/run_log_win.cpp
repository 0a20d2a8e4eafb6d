#include "base/run_log_win.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "base/entry_win.h"
#include "base/file_win.h"
#include "base/log_line.h"
#include "base/product.h"
#include "base/text.h"
#include "base/wide_win.h"

namespace qf {
namespace {

HANDLE LogFile = INVALID_HANDLE_VALUE;
// One line at a time, in static storage: a line never waits for another.
char LineBytes[LogLineCapacity];

// The file at path, opened below its folder's handle and found to be a file of its own.
HANDLE OpenOwnFile(const wchar_t* path) {
    wchar_t full[DirectoryPathCapacity];
    const DWORD length = GetFullPathNameW(path, DirectoryPathCapacity, full, nullptr);
    if (length == 0 || length >= DirectoryPathCapacity) return INVALID_HANDLE_VALUE;
    const std::u16string_view text(U(full), length);
    const std::size_t slash = text.find_last_of(u"\\/");
    if (slash == std::u16string_view::npos || slash + 1 == text.size()) return INVALID_HANDLE_VALUE;
    const std::u16string_view name = text.substr(slash + 1);
    // The folder keeps its separator where it is a root ("C:\").
    const std::size_t folderLength = slash == 0 || text[slash - 1] == u':' ? slash + 1 : slash;
    wchar_t folderPath[DirectoryPathCapacity];
    CopyText(Buffer(folderPath), text.substr(0, folderLength));
    Entry folder;
    VolumeName folderName;
    Entry file;
    bool found = false;
    if (OpenFolderAt(folderPath, Use::Traverse, true, folder) != ERROR_SUCCESS ||
        !NameOfOpenEntry(folder.handle, folderName) ||
        CreateFileBelow(folder.handle, name, file, found) != ERROR_SUCCESS)
        return INVALID_HANDLE_VALUE;
    DWORD attributes = 0;
    const EntryKind kind = KindOfOpenEntry(file.handle, folderName.Text(), name, attributes);
    if (kind != EntryKind::Itself || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        // Made through a dangling link (Wine): what was made goes again.
        if (!found) DeleteOpenEntry(file.handle);
        return INVALID_HANDLE_VALUE;
    }
    // Emptied whether it was there or not, so that every run makes the same calls.
    if (!SetEndOfFile(file.handle)) return INVALID_HANDLE_VALUE;
    const HANDLE opened = file.handle;
    file.handle = INVALID_HANDLE_VALUE;
    return opened;
}

void WriteLine(std::span<const std::u16string_view> parts) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const LogTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    const std::size_t length = FormatLogLine(LineBytes, time, parts);
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(LineBytes), length);
    // A log that fails once is given up: what it would say next may not make sense without the
    // line lost.
    if (WriteWhole(LogFile, bytes) != ERROR_SUCCESS) {
        CloseHandle(LogFile);
        LogFile = INVALID_HANDLE_VALUE;
    }
}

// The system's text for error, without the line break it ends in; empty when it has none.
std::u16string_view SystemText(DWORD error, std::span<wchar_t> text) {
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  text.data(), static_cast<DWORD>(text.size()), nullptr);
    length = std::min<DWORD>(length, static_cast<DWORD>(text.size()));
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) --length;
    return {U(text.data()), length};
}

}  // namespace

bool OpenRunLog(const wchar_t* path) {
    LogFile = OpenOwnFile(path);
    return LogFile != INVALID_HANDLE_VALUE;
}

void Log(std::initializer_list<std::u16string_view> parts) {
    if (LogFile == INVALID_HANDLE_VALUE) return;
    const DWORD kept = GetLastError();
    WriteLine({parts.begin(), parts.size()});
    SetLastError(kept);
}

void LogError(std::initializer_list<std::u16string_view> parts, DWORD error) {
    if (LogFile == INVALID_HANDLE_VALUE) return;
    const DWORD kept = GetLastError();
    char16_t number[32];
    FormatText(number, u": error %d", {static_cast<std::int32_t>(error)});
    wchar_t system[MessageCapacity];
    const std::u16string_view text = SystemText(error, system);
    // Up to eight parts of the caller's, then the error.
    std::u16string_view all[11];
    std::size_t count = 0;
    for (const std::u16string_view part : parts) {
        if (count < 8) all[count++] = part;
    }
    all[count++] = number;
    if (!text.empty()) {
        all[count++] = u", ";
        all[count++] = text;
    }
    WriteLine({all, count});
    SetLastError(kept);
}

}  // namespace qf
