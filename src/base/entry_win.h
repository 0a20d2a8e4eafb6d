// What a path in the file system is, as opposed to what its text says: the entry itself, or a
// link that would take a write or a delete somewhere else.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string_view>

#include "base/product.h"

namespace qf {

// Opens path for its attributes alone, sharing everything, a directory as well as a file; a
// link at its end followed or not.
HANDLE OpenEntry(const wchar_t* path, bool followLink);

// Deletes what entry has open (opened with DELETE access): its name goes at once where the file
// system can (POSIX semantics, Windows 10 and later), else when the last handle to it closes,
// which another program's handle may put off; the delete is decided either way.
// ERROR_SUCCESS, or why it is refused (ERROR_DIR_NOT_EMPTY, ...).
DWORD DeleteOpenEntry(HANDLE entry);

// Where an open handle leads, in the "\\?\" form, in out; its length, or 0 when it does not fit.
std::size_t FinalPath(HANDLE file, wchar_t (&out)[DirectoryPathCapacity]);

// Two names compared as the file system compares them, without regard to case.
bool SameName(std::wstring_view a, std::wstring_view b);

enum class EntryKind {
    Absent,
    Itself,
    // A junction, a symbolic link or a mount point. Wine shows a Unix link to a file as a plain
    // file, but resolves it to its target: a path that does not resolve to itself counts too.
    Link,
    // A file with more than one name (hard links): writing it would change what the other names
    // hold as well. Its name can go and a new file take its place.
    Shared,
    // It is there but cannot be examined (no access, say); whoever uses it meets the same error.
    Unknown,
};

EntryKind ExamineEntry(const wchar_t* path);

// The same for an entry that path opened (OpenEntry, the link not followed); info receives what
// the file system says of it.
EntryKind KindOfOpenEntry(HANDLE entry, const wchar_t* path, BY_HANDLE_FILE_INFORMATION& info);

// Whether an open that failed with this error found nothing by that name.
bool IsAbsence(DWORD openError);

// Removes the name path, never what a link there points to nor the other names of its file.
// ERROR_SUCCESS, or why it stays.
DWORD RemoveName(const wchar_t* path);

// A directory or file as the file system knows it, whatever path led there.
struct FileIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    bool operator==(const FileIdentity&) const = default;
};

inline FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Whether the directory lists anything besides "." and ".." and the names passed over (compared
// as the file system compares them). False when it is not there; true when it cannot be listed
// (no access, say), as it may hold anything.
bool HoldsEntries(const wchar_t* directory, std::span<const char16_t* const> passedOver = {});

// The identity of what path names, a link at its end followed or not; false when it cannot be
// opened.
bool IdentifyPath(const wchar_t* path, bool followLink, FileIdentity& out);

}  // namespace qf
