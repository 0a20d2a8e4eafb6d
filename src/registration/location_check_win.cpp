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
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/wide_win.h"

namespace qf {
namespace {

// Room for every known folder a machine registers (about a hundred, half of them with a path)
// twice over, as the system names it and as the file system resolves it.
constexpr std::size_t ProtectedCapacity = 512;
constexpr std::size_t TextCapacity = 64 * 1024;

// The protected directories of one judgement: their texts in one pool, the views in the order
// they were added; the system's names first, then, for a location that exists, where each of
// them resolves to.
struct ProtectedSet {
    std::array<wchar_t, TextCapacity> texts;
    std::size_t used = 0;
    std::array<std::u16string_view, ProtectedCapacity> views;
    std::size_t count = 0;
    bool full = false;
    std::u16string_view windows;
    std::u16string_view windowsResolved;

    std::u16string_view Add(const wchar_t* text, std::size_t length) {
        if (length == 0) return {};
        if (count == ProtectedCapacity || length > TextCapacity - used) {
            full = true;
            return {};
        }
        CopyMemory(texts.data() + used, text, length * sizeof(wchar_t));
        const std::u16string_view view(U(texts.data() + used), length);
        used += length;
        views[count++] = view;
        return view;
    }
    std::span<const std::u16string_view> All() const { return {views.data(), count}; }
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

// The directories as the system names them: the Windows directory as the system and as windir
// say, temp, the all-users desktop the shortcut goes to, and every known folder. False when they
// cannot all be had: then nothing may be judged removable.
bool GatherNamed(ProtectedSet& set) {
    wchar_t path[PathCapacity];
    UINT length = GetSystemWindowsDirectoryW(path, PathCapacity);
    set.windows = set.Add(path, length < PathCapacity ? length : 0);
    DWORD size = GetEnvironmentVariableW(L"windir", path, PathCapacity);
    set.Add(path, size < PathCapacity ? size : 0);
    size = GetTempPathW(PathCapacity, path);
    if (size > 3 && size < PathCapacity && path[size - 1] == L'\\') path[--size] = L'\0';
    set.Add(path, size < PathCapacity ? size : 0);
    set.Add(AllUsersDesktop, lstrlenW(AllUsersDesktop));
    const HRESULT initialised = CoInitialize(nullptr);
    const bool listed = AddKnownFolders(set);
    if (SUCCEEDED(initialised)) CoUninitialize();
    return listed && !set.windows.empty() && !set.full;
}

// Where a directory resolves to on disk, links followed; empty when it is not there.
std::u16string_view AddResolved(ProtectedSet& set, std::u16string_view directory) {
    wchar_t text[DirectoryPathCapacity];
    if (directory.size() >= DirectoryPathCapacity) return {};
    directory.copy(U(text), directory.size());
    text[directory.size()] = L'\0';
    const HANDLE file = OpenEntry(text, true);
    if (file == INVALID_HANDLE_VALUE) return {};
    const std::size_t length = FinalPath(file, text);
    CloseHandle(file);
    return set.Add(text, length);
}

// Each protected directory as the file system resolves it (through a junction, a mapped drive,
// an 8.3 name), for a location that exists and so may be another spelling of one of them.
bool GatherResolved(ProtectedSet& set) {
    const std::size_t named = set.count;
    for (std::size_t i = 0; i < named; ++i) {
        const std::u16string_view resolved = AddResolved(set, set.views[i]);
        if (set.views[i].data() == set.windows.data()) set.windowsResolved = resolved;
    }
    return !set.full;
}

LocationVerdict Judge(std::u16string_view location, const ProtectedSet& set, std::u16string_view windows) {
    return JudgeLocation(location, {windows, set.All()});
}

}  // namespace

LocationVerdict CheckLocation(const wchar_t* location, FileIdentity* judged) {
    // Some 140 KB: the heap's, for one judgement.
    HeapBlock block;
    if (!block.Allocate(sizeof(ProtectedSet))) return LocationVerdict::Protected;
    ProtectedSet& set = *new (block.bytes) ProtectedSet;
    if (!GatherNamed(set)) return LocationVerdict::Protected;
    const LocationVerdict verdict = Judge(U(location), set, set.windows);
    if (verdict != LocationVerdict::Removable) return verdict;

    // What the text names on disk: nothing (judged by its text alone), a link or something that
    // cannot be examined (never removable), or a directory whose resolved path is judged again.
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

}  // namespace qf
