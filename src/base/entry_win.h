// What an entry of the file system is, as opposed to what its text says, and the one way the
// installer opens, lists and removes entries below a folder: by name, relative to the folder's
// own open handle, never through a link at the name's end. A folder held open cannot be swapped
// for a link or another folder under the code that checked it, so what was checked is what acts.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/file_win.h"
#include "base/product.h"

namespace qf {

// An open handle that closes itself.
struct Entry {
    HANDLE handle = INVALID_HANDLE_VALUE;

    Entry() = default;
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    ~Entry() { Close(); }
    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
    void Close();
};

// What an open is for. Every open shares reading, writing and deleting with other programs.
enum class Use {
    Look,      // attributes, identity and name only
    Remove,    // and delete it
    Folder,    // a folder: look, list its names, open names below it, delete it
    Traverse,  // a folder: look, list its names, open names below it
    Write,     // a file: read, write, truncate, delete (extraction)
};

// Whether an open that failed with this error found nothing by that name. A name Windows refuses
// (a reserved or control character in it) names nothing there either.
bool IsAbsence(DWORD openError);

// Whether the open failed only because another program holds the entry for the moment (a virus
// scanner, an indexer), or the delete was refused for it.
bool MayBeHeldForAMoment(DWORD error);

// Opens a folder by its full path for Folder or Traverse, a link at its end as the link itself
// unless followLink. ERROR_SUCCESS or why not.
DWORD OpenFolderAt(const wchar_t* path, Use use, bool followLink, Entry& out);

// Opens the entry named name, one component, below folder, a link as the link itself.
// ERROR_SUCCESS or why not.
DWORD OpenBelow(HANDLE folder, std::u16string_view name, Use use, Entry& out);

// The error for a name that cannot be used because a link, or something that is not a folder
// of its own, stands on its way: the number Windows gives for a request that would cross a
// reparse point (ERROR_REPARSE_POINT_ENCOUNTERED).
inline constexpr DWORD LinkInTheWayError = 4395;

// Creates the folder name below folder, or opens the one there. made says which.
DWORD CreateFolderBelow(HANDLE folder, std::u16string_view name, Entry& out, bool& made);

// Creates the file name below folder for writing, or opens the one there. found says which.
DWORD CreateFileBelow(HANDLE folder, std::u16string_view name, Entry& out, bool& found);

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

// An entry's path within its volume as the file system names what a handle has open
// ("\Program Files\Quenfield"), with room for the deepest path the installer reaches.
struct VolumeName {
    alignas(FILE_NAME_INFO) unsigned char bytes[sizeof(FILE_NAME_INFO) + DirectoryPathCapacity * sizeof(wchar_t)];

    std::wstring_view Text() const;
};

// False when the name does not fit or cannot be had.
bool NameOfOpenEntry(HANDLE entry, VolumeName& out);

enum class EntryKind {
    Absent,
    // The entry itself: a file or a folder.
    Itself,
    // A junction, a symbolic link or a mount point, opened as itself: removing it removes the
    // link alone.
    Link,
    // An entry that the file system names elsewhere than its folder and name: Wine shows a Unix
    // link as its target (a folder link carries FILE_ATTRIBUTE_REPARSE_POINT in a listing, a
    // file link nothing) and takes a delete or a rename through it to the target. Nothing done
    // through it would stay with the name.
    Elsewhere,
    // A file with more than one name (hard links): writing it would change what the other names
    // hold as well. Its name can go and a new file take its place.
    Shared,
    // It is there but cannot be examined (no access, say); whoever uses it meets the same error.
    Unknown,
};

// What the file system says of an open entry.
struct EntryFacts {
    EntryKind kind;
    DWORD attributes;
    FileIdentity identity;

    bool IsFolder() const { return kind == EntryKind::Itself && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// Examines the entry that OpenBelow opened by name below the folder named folderName
// (NameOfOpenEntry of the folder's handle).
EntryFacts ExamineOpenEntry(HANDLE entry, std::wstring_view folderName, std::u16string_view name);

// The same without the identity, which costs Wine a question to its mount manager: what the
// entry is, and its attributes.
EntryKind KindOfOpenEntry(HANDLE entry, std::wstring_view folderName, std::u16string_view name, DWORD& attributes);

// The same for a full path, opened relative to its folder. Absent when nothing is there.
EntryFacts ExaminePath(const wchar_t* path);

// Opens the entry at path, a relative path whose components are joined by '\\' or '/' below
// folder (named folderName), each folder on the way opened by name and found a folder of its
// own, never a link. ERROR_SUCCESS; an absence when a part is not there; LinkInTheWayError when
// a part on the way is no folder of its own; else why not.
DWORD OpenPathBelow(HANDLE folder, std::wstring_view folderName, std::u16string_view path, Use use, Entry& out);

// Deletes what entry has open (opened for Remove, Folder or Write): its name goes at once where
// the file system can (POSIX semantics, Windows 10 and later), else when the last handle to it
// closes, which another program's handle may put off; the delete is decided either way.
// ERROR_SUCCESS, or why it is refused (ERROR_DIR_NOT_EMPTY, ...).
DWORD DeleteOpenEntry(HANDLE entry);

// One name of a folder's listing.
struct ListedName {
    std::wstring_view name;
    DWORD attributes;
    // The file system's number for the entry within the folder's volume.
    std::uint64_t fileId;

    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// The names of an open folder (opened for Folder), read from its handle a block at a time.
struct Listing {
    HeapBlock block;
    // Where the next record starts in the block; at filled, the block is used up (as it is
    // before the first read).
    std::size_t next = 0;
    std::size_t filled = 0;
    bool restart = true;
    DWORD error = ERROR_SUCCESS;  // why the listing ended: ERROR_NO_MORE_FILES when whole
};

// The next name of the folder other than "." and ".."; false at the end, with why in
// listing.error (ERROR_NO_MORE_FILES when the listing is whole, anything else when it broke off).
bool NextName(HANDLE folder, Listing& listing, ListedName& out);

// What the open folder lists besides the names passed over (compared as the file system
// compares them): nothing, some name, or what cannot be told (a listing that broke off, which
// may have hidden anything).
enum class Contents { Empty, Names, Untold };
Contents ContentsOf(HANDLE folder, std::span<const char16_t* const> passedOver = {});

// The same for a folder by its path: false when it is not there.
bool HoldsEntries(const wchar_t* directory, std::span<const char16_t* const> passedOver = {});

// Where an open handle leads, in the "\\?\" form, in out; its length, or 0 when it does not fit.
std::size_t FinalPath(HANDLE file, wchar_t (&out)[DirectoryPathCapacity]);

// Two names compared as the file system compares them, without regard to case.
bool SameName(std::wstring_view a, std::wstring_view b);

// The identity of what path names, a link at its end followed or not; false when it cannot be
// opened.
bool IdentifyPath(const wchar_t* path, bool followLink, FileIdentity& out);

// Opens path for its attributes alone, a directory as well as a file; a link at its end
// followed or not.
HANDLE OpenEntry(const wchar_t* path, bool followLink);

// Removes the name path, never what a link there points to nor the other names of its file:
// an entry the file system names elsewhere stays. ERROR_SUCCESS, or why it stays.
DWORD RemoveName(const wchar_t* path);

}  // namespace qf
