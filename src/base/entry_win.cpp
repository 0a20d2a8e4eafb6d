#include "base/entry_win.h"

#include <winternl.h>

#include <algorithm>
#include <string_view>

#include "base/product.h"
#include "base/text.h"
#include "base/wide_win.h"

namespace qf {
namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A listing is read from its folder's handle this many bytes at a time: some forty names.
constexpr std::size_t ListingBlockSize = 16 * 1024;
// The number Windows gives for a name that is no single component ("", ".", "..", "a\b").
constexpr DWORD NotOneNameError = ERROR_BAD_PATHNAME;

ACCESS_MASK AccessFor(Use use) {
    constexpr ACCESS_MASK look = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    constexpr ACCESS_MASK traverse = look | FILE_LIST_DIRECTORY | FILE_TRAVERSE;
    switch (use) {
        case Use::Look: return look;
        case Use::Remove: return look | DELETE;
        case Use::Folder: return traverse | DELETE;
        case Use::Traverse: return traverse;
        case Use::Write: return GENERIC_READ | GENERIC_WRITE | DELETE | SYNCHRONIZE;
    }
    return look;
}

ULONG OptionsFor(Use use) {
    // Never through a link at the name's end; every call waits for its answer.
    ULONG options = FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT;
    if (use == Use::Folder || use == Use::Traverse) options |= FILE_DIRECTORY_FILE;
    if (use == Use::Write) options |= FILE_NON_DIRECTORY_FILE;
    return options;
}

bool IsOneName(std::u16string_view name) {
    return !name.empty() && name != u"." && name != u".." && name.find_first_of(u"\\/") == std::u16string_view::npos &&
           name.size() * sizeof(char16_t) <= 0xFFFF;
}

// NtCreateFile of name below folder; ERROR_SUCCESS or the system's error for the status. what
// receives FILE_CREATED, FILE_OPENED, ...
DWORD CreateBelow(HANDLE folder, std::u16string_view name, Use use, ULONG disposition, Entry& out,
                  ULONG_PTR* what = nullptr) {
    out.Close();
    if (!IsOneName(name)) return NotOneNameError;
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(W(name.data()));
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(char16_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE handle = INVALID_HANDLE_VALUE;
    const NTSTATUS result = NtCreateFile(&handle, AccessFor(use), &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL,
                                         ShareAll, disposition, OptionsFor(use), nullptr, 0);
    if (!NT_SUCCESS(result)) return RtlNtStatusToDosError(result);
    out.handle = handle;
    if (what) *what = status.Information;
    return ERROR_SUCCESS;
}

// A component less the dots and blanks that end it, which the file system does not keep in the
// name it gives an open entry at the end of its path (Wine), as Windows drops them from a path.
std::wstring_view WithoutTrailingDots(std::wstring_view component) {
    const std::size_t kept = component.find_last_not_of(L". ");
    return kept == std::wstring_view::npos ? component : component.substr(0, kept + 1);
}

// The next component of path from at, and at moved past it and its separator.
std::wstring_view NextComponent(std::wstring_view path, std::size_t& at) {
    if (at > path.size()) return {};
    const std::size_t end = std::min(path.find(L'\\', at), path.size());
    const std::wstring_view component = path.substr(at, end - at);
    at = end + 1;
    return component;
}

// Whether the open entry is named as its folder, a separator and name: the entry itself. A Unix
// link under Wine is named by its target. Compared a component at a time, as the file system
// compares names, without the dots and blanks that may end them.
bool IsNamedBelow(std::wstring_view entryName, std::wstring_view folderName, std::wstring_view name) {
    if (!folderName.empty() && folderName.back() == L'\\') folderName.remove_suffix(1);
    std::size_t atEntry = 0;
    std::size_t atFolder = 0;
    while (atFolder < folderName.size() + (folderName.empty() ? 0 : 1)) {
        if (atEntry > entryName.size()) return false;
        if (!SameName(WithoutTrailingDots(NextComponent(entryName, atEntry)),
                      WithoutTrailingDots(NextComponent(folderName, atFolder))))
            return false;
    }
    if (folderName.empty()) NextComponent(entryName, atEntry);  // the volume's root: "\name"
    if (atEntry > entryName.size()) return false;
    const std::wstring_view last = NextComponent(entryName, atEntry);
    return atEntry > entryName.size() && SameName(WithoutTrailingDots(last), WithoutTrailingDots(name));
}

// Opens the last name of path for use below the folder that holds it (links on the way
// followed: the path is taken as the system resolves it), with that folder's name, and the last
// name itself.
DWORD OpenByPath(const wchar_t* path, Use use, VolumeName& parentName, std::u16string_view& name, Entry& entry) {
    const std::wstring_view text(path);
    const std::size_t slash = text.find_last_of(L"\\/");
    wchar_t folder[DirectoryPathCapacity];
    if (slash == std::wstring_view::npos || slash + 1 == text.size() || slash + 2 > DirectoryPathCapacity)
        return NotOneNameError;
    text.copy(folder, slash);
    folder[slash] = L'\0';
    // A drive's root is "C:\\" ("C:" alone is its current directory).
    if (slash > 0 && text[slash - 1] == L':') folder[slash] = L'\\', folder[slash + 1] = L'\0';
    name = {U(path) + slash + 1, text.size() - slash - 1};
    Entry parent;
    const DWORD error = OpenFolderAt(folder, Use::Traverse, true, parent);
    if (error != ERROR_SUCCESS) return error;
    if (!NameOfOpenEntry(parent.handle, parentName)) return GetLastError();
    return OpenBelow(parent.handle, name, use, entry);
}

}  // namespace

void Entry::Close() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

bool IsAbsence(DWORD openError) {
    return openError == ERROR_FILE_NOT_FOUND || openError == ERROR_PATH_NOT_FOUND || openError == ERROR_INVALID_NAME;
}

bool MayBeHeldForAMoment(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

DWORD OpenFolderAt(const wchar_t* path, Use use, bool followLink, Entry& out) {
    out.Close();
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    out.handle = CreateFileW(path, AccessFor(use), ShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    return out.IsOpen() ? ERROR_SUCCESS : GetLastError();
}

DWORD OpenBelow(HANDLE folder, std::u16string_view name, Use use, Entry& out) {
    return CreateBelow(folder, name, use, FILE_OPEN, out);
}

DWORD CreateFolderBelow(HANDLE folder, std::u16string_view name, Entry& out, bool& made) {
    ULONG_PTR what = 0;
    const DWORD error = CreateBelow(folder, name, Use::Traverse, FILE_OPEN_IF, out, &what);
    made = what == FILE_CREATED;
    return error;
}

DWORD CreateFileBelow(HANDLE folder, std::u16string_view name, Entry& out, bool& found) {
    ULONG_PTR what = 0;
    const DWORD error = CreateBelow(folder, name, Use::Write, FILE_OPEN_IF, out, &what);
    found = what != FILE_CREATED;
    return error;
}

std::wstring_view VolumeName::Text() const {
    const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(bytes);
    return {info->FileName, info->FileNameLength / sizeof(wchar_t)};
}

bool NameOfOpenEntry(HANDLE entry, VolumeName& out) {
    return GetFileInformationByHandleEx(entry, FileNameInfo, out.bytes, sizeof out.bytes) != 0;
}

EntryKind KindOfOpenEntry(HANDLE entry, std::wstring_view folderName, std::u16string_view name, DWORD& attributes) {
    // The attributes come from the basic information, which Wine answers from the open file
    // itself; the reparse tag, which costs Wine a look at the path (some 80 us a file, as much
    // as the rest of a small file's extraction), only for an entry that has one.
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    VolumeName entryName;
    if (!GetFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(entry, FileStandardInfo, &standard, sizeof standard) ||
        !NameOfOpenEntry(entry, entryName))
        return EntryKind::Unknown;
    attributes = basic.FileAttributes;
    // Windows opens a junction, a symbolic link or a mount point as itself and names it by its
    // own path; other reparse points (a deduplicated or cloud file) are files and folders.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (!GetFileInformationByHandleEx(entry, FileAttributeTagInfo, &tag, sizeof tag)) return EntryKind::Unknown;
        if (IsReparseTagNameSurrogate(tag.ReparseTag)) return EntryKind::Link;
    }
    if (!IsNamedBelow(entryName.Text(), folderName, {W(name.data()), name.size()})) return EntryKind::Elsewhere;
    // A directory's count of names says nothing of the kind (Wine gives the Unix one, two and
    // more).
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && standard.NumberOfLinks > 1) return EntryKind::Shared;
    return EntryKind::Itself;
}

EntryFacts ExamineOpenEntry(HANDLE entry, std::wstring_view folderName, std::u16string_view name) {
    EntryFacts facts{EntryKind::Unknown, 0, {}};
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(entry, &info)) return facts;
    facts.identity = IdentityOf(info);
    facts.kind = KindOfOpenEntry(entry, folderName, name, facts.attributes);
    return facts;
}

EntryFacts ExaminePath(const wchar_t* path) {
    Entry entry;
    VolumeName parentName;
    std::u16string_view name;
    const DWORD error = OpenByPath(path, Use::Look, parentName, name, entry);
    if (error != ERROR_SUCCESS) return {IsAbsence(error) ? EntryKind::Absent : EntryKind::Unknown, 0, {}};
    return ExamineOpenEntry(entry.handle, parentName.Text(), name);
}

DWORD OpenPathBelow(HANDLE folder, std::wstring_view folderName, std::u16string_view path, Use use, Entry& out) {
    out.Close();
    Entry levels[2];
    VolumeName names[2];
    HANDLE at = folder;
    std::wstring_view atName = folderName;
    for (std::size_t level = 0;; ++level) {
        const std::size_t slash = path.find_first_of(u"\\/");
        if (slash == std::u16string_view::npos) return OpenBelow(at, path, use, out);
        const std::u16string_view part = path.substr(0, slash);
        path.remove_prefix(slash + 1);
        // Each folder on the way is held open until the next one is: neither can be swapped.
        Entry& next = levels[level % 2];
        VolumeName& nextName = names[level % 2];
        const DWORD error = OpenBelow(at, part, Use::Traverse, next);
        if (error == ERROR_DIRECTORY) return LinkInTheWayError;  // a file where a folder was
        if (error != ERROR_SUCCESS) return error;
        DWORD attributes = 0;
        switch (KindOfOpenEntry(next.handle, atName, part, attributes)) {
            case EntryKind::Itself:
                if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) break;
                return LinkInTheWayError;
            case EntryKind::Link:
            case EntryKind::Elsewhere:
            case EntryKind::Shared: return LinkInTheWayError;
            // What cannot be examined is no answer: whoever asked meets the failure.
            case EntryKind::Absent:
            case EntryKind::Unknown: return ERROR_ACCESS_DENIED;
        }
        if (!NameOfOpenEntry(next.handle, nextName)) return ERROR_FILENAME_EXCED_RANGE;
        at = next.handle;
        atName = nextName.Text();
    }
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

bool NextName(HANDLE folder, Listing& listing, ListedName& out) {
    for (;;) {
        if (listing.next >= listing.filled) {
            if (listing.error != ERROR_SUCCESS) return false;
            if (!listing.block.bytes && !listing.block.Allocate(ListingBlockSize)) {
                listing.error = ERROR_NOT_ENOUGH_MEMORY;
                return false;
            }
            const FILE_INFO_BY_HANDLE_CLASS kind =
                listing.restart ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo;
            listing.restart = false;
            if (!GetFileInformationByHandleEx(folder, kind, listing.block.bytes,
                                              static_cast<DWORD>(listing.block.size))) {
                listing.error = GetLastError();
                return false;
            }
            listing.next = 0;
            listing.filled = listing.block.size;
        }
        const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(listing.block.bytes + listing.next);
        listing.next = record->NextEntryOffset == 0 ? listing.filled : listing.next + record->NextEntryOffset;
        const std::wstring_view name(record->FileName, record->FileNameLength / sizeof(wchar_t));
        if (name == L"." || name == L"..") continue;
        out = {name, record->FileAttributes, static_cast<std::uint64_t>(record->FileId.QuadPart)};
        return true;
    }
}

Contents ContentsOf(HANDLE folder, std::span<const char16_t* const> passedOver) {
    Listing listing;
    ListedName found;
    while (NextName(folder, listing, found)) {
        if (std::none_of(passedOver.begin(), passedOver.end(),
                         [&](const char16_t* over) { return SameName(found.name, W(over)); }))
            return Contents::Names;
    }
    return listing.error == ERROR_NO_MORE_FILES ? Contents::Empty : Contents::Untold;
}

bool HoldsEntries(const wchar_t* directory, std::span<const char16_t* const> passedOver) {
    Entry folder;
    const DWORD error = OpenFolderAt(directory, Use::Traverse, true, folder);
    // A folder that is not there holds nothing; one that cannot be listed may hold anything.
    if (error != ERROR_SUCCESS) return !IsAbsence(error);
    return ContentsOf(folder.handle, passedOver) != Contents::Empty;
}

std::size_t FinalPath(HANDLE file, wchar_t (&out)[DirectoryPathCapacity]) {
    const DWORD length = GetFinalPathNameByHandleW(file, out, DirectoryPathCapacity, FILE_NAME_NORMALIZED);
    return length < DirectoryPathCapacity ? length : 0;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

HANDLE OpenEntry(const wchar_t* path, bool followLink) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return CreateFileW(path, FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
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

DWORD RemoveName(const wchar_t* path) {
    Entry entry;
    VolumeName parentName;
    std::u16string_view name;
    const DWORD error = OpenByPath(path, Use::Remove, parentName, name, entry);
    if (error != ERROR_SUCCESS) return error;
    DWORD attributes = 0;
    if (KindOfOpenEntry(entry.handle, parentName.Text(), name, attributes) == EntryKind::Elsewhere)
        return LinkInTheWayError;
    return DeleteOpenEntry(entry.handle);
}

}  // namespace qf
