// What a path in the file system is, as opposed to what its text says: the entry itself, or a
// link that would take a write or a delete somewhere else.
#pragma once

#include <windows.h>

namespace qf {

enum class EntryKind {
    Absent,
    Itself,
    // A junction, a symbolic link or a mount point. Wine shows a Unix link to a file as a plain
    // file, but resolves it to its target: a path that does not resolve to itself counts too.
    Link,
    // It is there but cannot be examined (no access, say); whoever uses it meets the same error.
    Unknown,
};

EntryKind ExamineEntry(const wchar_t* path);

// A directory or file as the file system knows it, whatever path led there.
struct FileIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what path names, a link at its end followed or not; false when it cannot be
// opened.
bool IdentifyPath(const wchar_t* path, bool followLink, FileIdentity& out);

}  // namespace qf
