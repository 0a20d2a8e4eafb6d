#include "registration/uninstaller_copy_win.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "base/entry_win.h"
#include "base/file_win.h"
#include "base/text.h"
#include "base/wide_win.h"

namespace qf {
namespace {

// Whether the old uninstaller, if there is one, may be written over: not read-only, not
// running, not held. One that may not is told as a target that cannot be opened for writing,
// before the copy is made; the move would fail too, but only after it. Opened for writing,
// never changed.
bool MayReplace(const wchar_t* target) {
    const HANDLE file = CreateFileW(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    CloseHandle(file);
    return true;
}

// The running installer's file, open for reading, and its size.
struct Source {
    HANDLE file;
    DWORD size;
    ~Source() { CloseHandle(file); }
};

enum class Replacement {
    NotCreated,
    Failed,
    Done,
};

// Copies the whole source to a new file at temporary and moves it over target in one step, so
// that target is the old uninstaller or the new one, never a part of either: a full disk, a
// killed run or a power cut half way leaves the old one whole. The temporary file goes on
// every failure.
Replacement ReplaceWholeFile(const wchar_t* temporary, const wchar_t* target, const Source& source,
                             std::span<std::uint8_t> buffer) {
    // Shared for delete, so that the move can rename it while this handle still holds it.
    const HANDLE out = CreateFileW(temporary, GENERIC_READ | GENERIC_WRITE | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return Replacement::NotCreated;
    const CopyResult copied = CopyData(source.file, out, source.size, buffer);
    // Flushed before the move: the new name must never reach the disk before the bytes it names.
    const bool replaced = copied == CopyResult::Copied && FlushFileBuffers(out) &&
                          MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) DeleteOpenEntry(out);
    CloseHandle(out);
    return replaced ? Replacement::Done : Replacement::Failed;
}

// Whether the uninstaller's names may take the new file: never a link found in the
// installation directory, nor an old uninstaller that may not be replaced. The uninstaller's
// name is moved over, never written into; a temporary file that shares its data with another
// name loses this name first. In a directory this run made there is nothing to look at.
bool MayTakeTheCopy(const wchar_t* temporary, const wchar_t* target, bool folderFound) {
    if (!folderFound) return true;
    const auto isLink = [](EntryKind kind) { return kind == EntryKind::Link || kind == EntryKind::Elsewhere; };
    const EntryKind leftover = ExaminePath(temporary).kind;
    return !isLink(ExaminePath(target).kind) && !isLink(leftover) &&
           (leftover != EntryKind::Shared || RemoveName(temporary) == ERROR_SUCCESS) && MayReplace(target);
}

// The copy goes through a buffer this size: a file of any size in the memory of one buffer.
constexpr DWORD CopyBufferSize = 1 << 20;

}  // namespace

UninstallerCopy CopyUninstaller(const wchar_t* ownPath, bool ownPathFits, const wchar_t* installDirectory,
                                bool folderFound, UninstallerPaths& paths, std::uint32_t& ownSize) {
    ownSize = 0;
    const bool targetFits = JoinPath(Buffer(paths.target), U(installDirectory), UninstallerFileName) &&
                            JoinPath(Buffer(paths.temporary), U(installDirectory), UninstallerTemporaryName);
    Source source{ownPathFits ? CreateFileW(ownPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr)
                              : INVALID_HANDLE_VALUE,
                  0};
    if (source.file == INVALID_HANDLE_VALUE) return UninstallerCopy::SourceNotOpened;
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    source.size = GetFileSize(source.file, &high);
    const bool measured = source.size != INVALID_FILE_SIZE || GetLastError() == ERROR_SUCCESS;
    if (measured && (source.size == 0 || source.size == INVALID_FILE_SIZE || high != 0))
        return UninstallerCopy::NothingToCopy;
    if (measured) ownSize = source.size;
    HeapBlock buffer;
    if (!measured || !buffer.Allocate(std::min(source.size, CopyBufferSize))) return UninstallerCopy::SourceUnreadable;
    if (!targetFits || !MayTakeTheCopy(paths.temporary, paths.target, folderFound))
        return UninstallerCopy::TargetNotOpened;
    switch (ReplaceWholeFile(paths.temporary, paths.target, source, buffer.Bytes())) {
        case Replacement::NotCreated: return UninstallerCopy::TargetNotOpened;
        case Replacement::Failed: return UninstallerCopy::WriteFailed;
        case Replacement::Done: break;
    }
    return UninstallerCopy::Copied;
}

}  // namespace qf
