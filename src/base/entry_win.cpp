#include "base/entry_win.h"

#include <algorithm>
#include <string_view>

#include "base/product.h"
#include "base/text.h"
#include "base/wide_win.h"

namespace qf {

HANDLE OpenEntry(const wchar_t* path, bool followLink) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

DWORD DeleteOpenEntry(HANDLE entry) {
    // FileDispositionInfoEx and its flags, which the headers give only to programs that need
    // Windows 10; older systems refuse the class as an invalid parameter.
    constexpr auto DispositionEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
    constexpr DWORD DeleteNow = 0x1 | 0x2;  // FILE_DISPOSITION_FLAG_DELETE | ..._POSIX_SEMANTICS
    DWORD flags = DeleteNow;
    if (SetFileInformationByHandle(entry, DispositionEx, &flags, sizeof flags)) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION)
        return error;
    FILE_DISPOSITION_INFO onClose{TRUE};
    return SetFileInformationByHandle(entry, FileDispositionInfo, &onClose, sizeof onClose) ? ERROR_SUCCESS
                                                                                            : GetLastError();
}

std::size_t FinalPath(HANDLE file, wchar_t (&out)[DirectoryPathCapacity]) {
    const DWORD length = GetFinalPathNameByHandleW(file, out, DirectoryPathCapacity, FILE_NAME_NORMALIZED);
    return length < DirectoryPathCapacity ? length : 0;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

namespace {

enum class Resolution {
    ToItself,
    Elsewhere,
    Untold,  // a path that could not be resolved
};

// Whether the entry, opened as itself, resolves to its folder's own path and its own name.
// Elsewhere for a Unix link under Wine, which resolves to its target.
Resolution ResolutionOf(HANDLE entry, std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring_view::npos || slash + 1 == path.size()) return Resolution::Elsewhere;
    wchar_t folder[DirectoryPathCapacity];
    if (slash + 2 > DirectoryPathCapacity) return Resolution::Elsewhere;
    path.copy(folder, slash);
    folder[slash] = L'\0';
    // A drive's root is "C:\" ("C:" alone is its current directory, "\\?\C:" the volume).
    if (slash > 0 && path[slash - 1] == L':') folder[slash] = L'\\', folder[slash + 1] = L'\0';
    const HANDLE parent = OpenEntry(folder, true);
    if (parent == INVALID_HANDLE_VALUE) return Resolution::Untold;
    wchar_t parentPath[DirectoryPathCapacity];
    wchar_t entryPath[DirectoryPathCapacity];
    const std::size_t parentLength = FinalPath(parent, parentPath);
    CloseHandle(parent);
    const std::size_t entryLength = FinalPath(entry, entryPath);
    if (parentLength == 0 || entryLength == 0) return Resolution::Untold;
    const std::wstring_view resolved(entryPath, entryLength);
    std::wstring_view parentResolved(parentPath, parentLength);
    if (parentResolved.back() == L'\\') parentResolved.remove_suffix(1);
    const std::wstring_view name = path.substr(slash + 1);
    const bool itself = resolved.size() == parentResolved.size() + 1 + name.size() &&
                        SameName(resolved.substr(0, parentResolved.size()), parentResolved) &&
                        resolved[parentResolved.size()] == L'\\' &&
                        SameName(resolved.substr(parentResolved.size() + 1), name);
    return itself ? Resolution::ToItself : Resolution::Elsewhere;
}

}  // namespace

EntryKind KindOfOpenEntry(HANDLE entry, const wchar_t* path, BY_HANDLE_FILE_INFORMATION& info) {
    if (!GetFileInformationByHandle(entry, &info)) return EntryKind::Unknown;
    // A directory's count of names says nothing of the kind (Wine gives the Unix one, two and
    // more).
    const bool shared = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && info.nNumberOfLinks > 1;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return EntryKind::Link;
    switch (ResolutionOf(entry, path)) {
        case Resolution::Elsewhere: return EntryKind::Link;
        case Resolution::Untold: return EntryKind::Unknown;
        case Resolution::ToItself: break;
    }
    return shared ? EntryKind::Shared : EntryKind::Itself;
}

bool IsAbsence(DWORD openError) {
    // A name Windows refuses (a reserved or control character in it) names nothing there.
    return openError == ERROR_FILE_NOT_FOUND || openError == ERROR_PATH_NOT_FOUND || openError == ERROR_INVALID_NAME;
}

EntryKind ExamineEntry(const wchar_t* path) {
    const HANDLE entry = OpenEntry(path, false);
    if (entry == INVALID_HANDLE_VALUE) return IsAbsence(GetLastError()) ? EntryKind::Absent : EntryKind::Unknown;
    BY_HANDLE_FILE_INFORMATION info;
    const EntryKind kind = KindOfOpenEntry(entry, path, info);
    CloseHandle(entry);
    return kind;
}

DWORD RemoveName(const wchar_t* path) {
    const HANDLE entry =
        CreateFileW(path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (entry == INVALID_HANDLE_VALUE) return GetLastError();
    const DWORD error = DeleteOpenEntry(entry);
    CloseHandle(entry);
    return error;
}

bool HoldsEntries(const wchar_t* directory, std::span<const char16_t* const> passedOver) {
    wchar_t pattern[DirectoryPathCapacity];
    WIN32_FIND_DATAW found;
    const HANDLE search =
        FormatText(Buffer(pattern), u"%s\\*", {U(directory)}) ? FindFirstFileW(pattern, &found) : INVALID_HANDLE_VALUE;
    // A folder that is not there holds nothing; one that cannot be listed may hold anything.
    if (search == INVALID_HANDLE_VALUE) return !IsAbsence(GetLastError());
    bool holds = false;
    do {
        const std::wstring_view name(found.cFileName);
        holds = name != L"." && name != L".." &&
                std::none_of(passedOver.begin(), passedOver.end(),
                             [&](const char16_t* over) { return SameName(name, W(over)); });
    } while (!holds && FindNextFileW(search, &found));
    // A listing that broke off may have hidden anything.
    if (!holds && GetLastError() != ERROR_NO_MORE_FILES) holds = true;
    FindClose(search);
    return holds;
}

bool IdentifyPath(const wchar_t* path, bool followLink, FileIdentity& out) {
    const HANDLE file = OpenEntry(path, followLink);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (known) out = IdentityOf(info);
    return known;
}

}  // namespace qf
