#include "registration/location_check_win.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <array>
#include <new>
#include <span>
#include <string_view>

#include "base/entry_win.h"
#include "base/file_win.h"
#include "base/install_paths.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "registration/registry_win.h"

namespace qf {
namespace {

// Room for every known folder a machine registers (about a hundred, half of them with a path)
// and every account's profile (a terminal server may hold a thousand), twice over: as the system
// names them and as the file system resolves them.
constexpr std::size_t ProtectedCapacity = 4096;
constexpr std::size_t TextCapacity = 256 * 1024;
// A key's name has at most 255 units.
constexpr std::size_t KeyNameCapacity = 256;

// Read in the machine's own view of the registry: a 32-bit process on 64-bit Windows is shown
// its own Program Files under the usual names, and the 64-bit folders only here. 32-bit Windows
// has one view and ignores the flag.
constexpr REGSAM MachineView = KEY_READ | KEY_WOW64_64KEY;
constexpr char16_t CurrentVersionKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char16_t* ProgramFolderValues[] = {u"ProgramFilesDir",       u"CommonFilesDir",
                                                   u"ProgramW6432Dir",       u"CommonW6432Dir",
                                                   u"ProgramFilesDir (x86)", u"CommonFilesDir (x86)"};
// Every account's profile, and the folders shared by all of them; a name without a drive
// (older systems write "Default User") lies below ProfilesDirectory.
constexpr char16_t ProfileListKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char16_t ProfilesDirectoryValue[] = u"ProfilesDirectory";
constexpr char16_t DefaultProfileValue[] = u"Default";
constexpr const char16_t* SharedProfileValues[] = {u"Public", u"ProgramData"};
constexpr char16_t ProfileImagePathValue[] = u"ProfileImagePath";

// The protected directories of one judgement: their texts in one pool, the views in the order
// they were added; the system's names first, then, for a location that exists, where each of
// them resolves to. Each account's profile is marked: below it lie that account's own desktop,
// documents and AppData, at the places the running account's lie below its own profile.
struct ProtectedSet {
    std::array<wchar_t, TextCapacity> texts;
    std::size_t used = 0;
    std::array<std::u16string_view, ProtectedCapacity> views;
    std::array<bool, ProtectedCapacity> isProfile{};
    std::size_t count = 0;
    // The running account's known folders that lie below its profile, relative to it
    // ("Documents", "AppData\\Roaming"), in the pool.
    std::array<std::u16string_view, ProtectedCapacity> belowProfile;
    std::size_t belowCount = 0;
    bool full = false;
    std::u16string_view windows;
    std::u16string_view windowsResolved;

    std::u16string_view Add(const wchar_t* text, std::size_t length, bool profile = false) {
        if (length == 0) return {};
        if (count == ProtectedCapacity || length > TextCapacity - used) {
            full = true;
            return {};
        }
        CopyMemory(texts.data() + used, text, length * sizeof(wchar_t));
        const std::u16string_view view(U(texts.data() + used), length);
        used += length;
        isProfile[count] = profile;
        views[count++] = view;
        return view;
    }
    std::span<const std::u16string_view> All() const { return {views.data(), count}; }
    std::span<const std::u16string_view> BelowProfile() const { return {belowProfile.data(), belowCount}; }
};

// Every known folder registered on the machine, as the known-folder manager lists them and the
// system resolves them. One that does not resolve (a folder of a component this system lacks, a
// virtual folder) is passed over. False when the list itself cannot be had.
bool AddKnownFolders(ProtectedSet& set) {
    IKnownFolderManager* manager = nullptr;
    KNOWNFOLDERID* ids = nullptr;
    UINT count = 0;
    const bool listed = SUCCEEDED(CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER,
                                                   IID_IKnownFolderManager, reinterpret_cast<void**>(&manager))) &&
                        SUCCEEDED(manager->GetFolderIds(&ids, &count));
    for (UINT i = 0; listed && i < count; ++i) {
        PWSTR folder = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(ids[i], KF_FLAG_DONT_VERIFY, nullptr, &folder)) && folder)
            set.Add(folder, lstrlenW(folder));
        CoTaskMemFree(folder);
    }
    CoTaskMemFree(ids);
    if (manager) manager->Release();
    return listed;
}

// Notes which of the folders added from first on lie below the running account's profile, by
// the system's own spelling of both. False when the profile cannot be had.
bool NoteFoldersBelowProfile(ProtectedSet& set, std::size_t first) {
    PWSTR path = nullptr;
    const bool found = SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path;
    const std::u16string_view own = found ? WithoutTrailingSeparator(U(path)) : std::u16string_view();
    for (std::size_t i = first; !own.empty() && i < set.count; ++i) {
        const std::u16string_view folder = set.views[i];
        if (folder.size() > own.size() + 1 && folder[own.size()] == u'\\' &&
            EqualsIgnoringAsciiCase(folder.substr(0, own.size()), own))
            set.belowProfile[set.belowCount++] = folder.substr(own.size() + 1);
    }
    CoTaskMemFree(path);
    return found;
}

// A folder's path from a registry value, as Windows reads it: variables expanded, and a name
// without a drive or share taken below base (when there is one). Its length in length.
Lookup ReadFolder(HKEY key, const char16_t* name, std::u16string_view base, wchar_t (&folder)[DirectoryPathCapacity],
                  std::size_t& length) {
    wchar_t text[DirectoryPathCapacity];
    const Lookup read = ReadText(key, name, text);
    if (read != Lookup::Found) return read;
    wchar_t expanded[DirectoryPathCapacity];
    std::u16string_view value = U(text);
    // A text without a variable is its own expansion; it spares the call. A variable this
    // process's environment lacks (started with an environment of its own) stays in the text,
    // and leaves where the folder is unknown.
    if (value.find(u'%') != std::u16string_view::npos) {
        const DWORD size = ExpandEnvironmentStringsW(text, expanded, DirectoryPathCapacity);
        if (size == 0 || size > DirectoryPathCapacity) return Lookup::Failed;
        value = U(expanded);
        const std::size_t first = value.find(u'%');
        if (first != std::u16string_view::npos && value.find(u'%', first + 1) != std::u16string_view::npos)
            return Lookup::Failed;
    }
    const bool below = !value.empty() && !IsFullyQualified(value) && !base.empty();
    length = below ? base.size() + 1 + value.size() : value.size();
    if (length >= DirectoryPathCapacity) return Lookup::Failed;
    std::size_t at = 0;
    if (below) {
        at = base.copy(U(folder), base.size());
        folder[at++] = L'\\';
    }
    value.copy(U(folder) + at, value.size());
    folder[length] = L'\0';
    return Lookup::Found;
}

// The folders of the machine's Program Files and Common Files, the 64-bit ones as well: values
// that are not there are passed over. False when the key or a value cannot be read.
bool AddProgramFolders(ProtectedSet& set) {
    Key current;
    const Lookup opened = LookUpKey(HKEY_LOCAL_MACHINE, CurrentVersionKey, MachineView, current);
    if (opened != Lookup::Found) return opened == Lookup::Missing;
    wchar_t folder[DirectoryPathCapacity];
    std::size_t length = 0;
    for (const char16_t* name : ProgramFolderValues) {
        const Lookup read = ReadFolder(current.handle, name, {}, folder, length);
        if (read == Lookup::Failed) return false;
        if (read == Lookup::Found) set.Add(folder, length);
    }
    return true;
}

// Each account's profile the machine lists, marked as a profile, with the Default profile new
// accounts are made from, and the folders all accounts share. A profile whose key or path has
// gone meanwhile is passed over. False when the list or a value in it cannot be read.
bool AddProfiles(ProtectedSet& set) {
    Key list;
    const Lookup opened = LookUpKey(HKEY_LOCAL_MACHINE, ProfileListKey, MachineView, list);
    if (opened != Lookup::Found) return opened == Lookup::Missing;
    wchar_t profiles[DirectoryPathCapacity];
    std::size_t profilesLength = 0;
    Lookup read = ReadFolder(list.handle, ProfilesDirectoryValue, {}, profiles, profilesLength);
    if (read == Lookup::Failed) return false;
    const std::u16string_view base = read == Lookup::Found ? set.Add(profiles, profilesLength) : std::u16string_view();
    wchar_t folder[DirectoryPathCapacity];
    std::size_t length = 0;
    read = ReadFolder(list.handle, DefaultProfileValue, base, folder, length);
    if (read == Lookup::Failed) return false;
    if (read == Lookup::Found) set.Add(folder, length, true);
    for (const char16_t* name : SharedProfileValues) {
        read = ReadFolder(list.handle, name, base, folder, length);
        if (read == Lookup::Failed) return false;
        if (read == Lookup::Found) set.Add(folder, length);
    }
    wchar_t account[KeyNameCapacity];
    // Until the list ends, or the set holds no more.
    for (DWORD i = 0; !set.full; ++i) {
        const Lookup listed = ReadSubkeyName(list.handle, i, account);
        if (listed != Lookup::Found) return listed == Lookup::Missing;
        Key entry;
        read = LookUpKey(list.handle, U(account), MachineView, entry);
        if (read == Lookup::Found) read = ReadFolder(entry.handle, ProfileImagePathValue, base, folder, length);
        if (read == Lookup::Failed) return false;
        if (read == Lookup::Found) set.Add(folder, length, true);
    }
    return false;
}

// The Windows directory as the system and as windir say, temp and the all-users desktop the
// shortcut goes to. False without the Windows directory.
bool AddSystemFolders(ProtectedSet& set) {
    wchar_t path[PathCapacity];
    UINT length = GetSystemWindowsDirectoryW(path, PathCapacity);
    set.windows = set.Add(path, length < PathCapacity ? length : 0);
    DWORD size = GetEnvironmentVariableW(L"windir", path, PathCapacity);
    set.Add(path, size < PathCapacity ? size : 0);
    size = GetTempPathW(PathCapacity, path);
    if (size > 3 && size < PathCapacity && path[size - 1] == L'\\') path[--size] = L'\0';
    set.Add(path, size < PathCapacity ? size : 0);
    set.Add(AllUsersDesktop, lstrlenW(AllUsersDesktop));
    return !set.windows.empty();
}

// Every known folder, with those of the running account that lie below its profile noted.
bool AddAccountKnownFolders(ProtectedSet& set) {
    const std::size_t firstKnown = set.count;
    const HRESULT initialised = CoInitialize(nullptr);
    const bool listed = AddKnownFolders(set) && NoteFoldersBelowProfile(set, firstKnown);
    if (SUCCEEDED(initialised)) CoUninitialize();
    return listed;
}

// The directories as the system names them: the Windows directory as the system and as windir
// say, temp, the all-users desktop the shortcut goes to, every known folder, the machine's
// Program Files in either view, and every account's profile. False when they cannot all be had:
// then nothing may be judged removable.
bool GatherNamed(ProtectedSet& set) {
    return AddSystemFolders(set) && AddAccountKnownFolders(set) && AddProgramFolders(set) && AddProfiles(set) &&
           !set.full;
}

// Where a directory resolves to on disk, links followed; empty when it is not there.
std::u16string_view AddResolved(ProtectedSet& set, std::u16string_view directory, bool profile) {
    wchar_t text[DirectoryPathCapacity];
    if (directory.size() >= DirectoryPathCapacity) return {};
    directory.copy(U(text), directory.size());
    text[directory.size()] = L'\0';
    const HANDLE file = OpenEntry(text, true);
    if (file == INVALID_HANDLE_VALUE) return {};
    const std::size_t length = FinalPath(file, text);
    CloseHandle(file);
    return set.Add(text, length, profile);
}

// Each protected directory as the file system resolves it (through a junction, a mapped drive,
// an 8.3 name), for a location that exists and so may be another spelling of one of them.
bool GatherResolved(ProtectedSet& set) {
    const std::size_t named = set.count;
    for (std::size_t i = 0; i < named; ++i) {
        const std::u16string_view resolved = AddResolved(set, set.views[i], set.isProfile[i]);
        if (set.views[i].data() == set.windows.data()) set.windowsResolved = resolved;
    }
    return !set.full;
}

// Judged against the protected directories, and against each profile's own desktop, documents
// and AppData: the running account's known folders below its profile, taken below each profile
// in turn (composed here rather than kept, as a terminal server has many profiles).
LocationVerdict Judge(std::u16string_view location, const ProtectedSet& set, std::u16string_view windows) {
    const LocationVerdict verdict = JudgeLocation(location, {windows, set.All()});
    if (verdict != LocationVerdict::Removable) return verdict;
    wchar_t text[DirectoryPathCapacity];
    for (std::size_t i = 0; i < set.count; ++i) {
        if (!set.isProfile[i]) continue;
        const std::u16string_view profile = set.views[i];
        for (const std::u16string_view below : set.BelowProfile()) {
            // Longer than the guard judges; no location it lets through could hold it.
            const std::size_t length = profile.size() + 1 + below.size();
            if (length >= DirectoryPathCapacity) continue;
            profile.copy(U(text), profile.size());
            text[profile.size()] = L'\\';
            below.copy(U(text) + profile.size() + 1, below.size());
            const std::u16string_view folder(U(text), length);
            if (JudgeLocation(location, {windows, {&folder, 1}}) != LocationVerdict::Removable)
                return LocationVerdict::Protected;
        }
    }
    return LocationVerdict::Removable;
}

// Judged with the whole set gathered: by text, then by what the text names on disk: nothing
// (judged by its text alone), a link or something that cannot be examined (never removable), or
// a directory whose resolved path is judged again.
LocationVerdict JudgeInFull(const wchar_t* location, ProtectedSet& set, FileIdentity* judged) {
    const LocationVerdict verdict = Judge(U(location), set, set.windows);
    if (verdict != LocationVerdict::Removable) return verdict;
    const EntryFacts facts = ExaminePath(location);
    if (facts.kind == EntryKind::Absent) return LocationVerdict::Removable;
    if (facts.kind != EntryKind::Itself && facts.kind != EntryKind::Shared) return LocationVerdict::Protected;
    // Whoever acts on the location later opens it again and finds it to be what was judged
    // (judged): a swap meanwhile is refused there.
    wchar_t resolved[DirectoryPathCapacity];
    const HANDLE entry = OpenEntry(location, false);
    const std::size_t resolvedLength = entry == INVALID_HANDLE_VALUE ? 0 : FinalPath(entry, resolved);
    if (entry != INVALID_HANDLE_VALUE) CloseHandle(entry);
    if (resolvedLength == 0) return LocationVerdict::Protected;
    if (!GatherResolved(set)) return LocationVerdict::Protected;
    const std::u16string_view onDisk(U(resolved), resolvedLength);
    if (Judge(onDisk, set, set.windows) != LocationVerdict::Removable ||
        Judge(onDisk, set, set.windowsResolved) != LocationVerdict::Removable)
        return LocationVerdict::Protected;
    if (judged) *judged = facts.identity;
    return LocationVerdict::Removable;
}

// Whether location lies within one of the folders added from first on.
bool LiesWithinAny(const wchar_t* location, const ProtectedSet& set, std::size_t first) {
    for (std::size_t i = first; i < set.count; ++i)
        if (LiesWithin(U(location), set.views[i], set.windows)) return true;
    return false;
}

}  // namespace

LocationVerdict CheckLocation(const wchar_t* location, FileIdentity* judged) {
    // Some 600 KB: the heap's, for one judgement.
    HeapBlock block;
    if (!block.Allocate(sizeof(ProtectedSet))) return LocationVerdict::Protected;
    ProtectedSet& set = *new (block.bytes) ProtectedSet;
    if (!GatherNamed(set)) return LocationVerdict::Protected;
    return JudgeInFull(location, set, judged);
}

LocationVerdict CheckInstallLocation(const wchar_t* location) {
    HeapBlock block;
    if (!block.Allocate(sizeof(ProtectedSet))) return LocationVerdict::Protected;
    ProtectedSet& set = *new (block.bytes) ProtectedSet;
    if (!AddSystemFolders(set) || !AddProgramFolders(set)) return LocationVerdict::Protected;
    const std::size_t firstAccountFolder = set.count;
    if (!AddProfiles(set) || set.full) return LocationVerdict::Protected;
    const LocationVerdict verdict = Judge(U(location), set, set.windows);
    if (verdict != LocationVerdict::Removable) return verdict;
    // Only a definite absence spares the known folders: a location that cannot be looked at
    // may be anything. Within the accounts' folders, a folder not made yet may be another
    // account's AppData or a Saved Games the system makes later.
    if (ExaminePath(location).kind == EntryKind::Absent && !LiesWithinAny(location, set, firstAccountFolder))
        return LocationVerdict::Removable;
    if (!AddAccountKnownFolders(set) || set.full) return LocationVerdict::Protected;
    return JudgeInFull(location, set, nullptr);
}

}  // namespace qf
