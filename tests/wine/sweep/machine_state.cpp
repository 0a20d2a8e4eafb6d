#include "sweep/machine_state.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "e2e_support.h"

namespace sweep {
namespace {

// The attributes that tell what an entry is and how it may be used; the archive bit and the
// like change with every write and say nothing.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

std::wstring Hex(std::uint64_t value) {
    wchar_t text[17];
    for (int i = 15; i >= 0; --i, value >>= 4) text[i] = L"0123456789abcdef"[value & 15];
    text[16] = L'\0';
    return text;
}

// FNV-1a, 64 bits: enough to tell two installers or two payload files apart.
std::uint64_t Hash(const void* data, std::size_t size, std::uint64_t hash = 14695981039346656037ull) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

bool EndsWith(const std::wstring& text, const wchar_t* tail) {
    const std::size_t length = wcslen(tail);
    return text.size() >= length && _wcsicmp(text.c_str() + text.size() - length, tail) == 0;
}

// A shortcut as the shell reads it, or its bytes when the shell cannot read it.
std::wstring ShortcutDescription(const std::wstring& path) {
    IShellLinkW* link = nullptr;
    std::wstring description;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return L"";
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t target[MAX_PATH] = {}, folder[MAX_PATH] = {}, comment[MAX_PATH] = {};
            link->GetPath(target, MAX_PATH, nullptr, 0);
            link->GetWorkingDirectory(folder, MAX_PATH);
            link->GetDescription(comment, MAX_PATH);
            description = std::wstring(L"shortcut to ") + target + L" in " + folder + L" \"" + comment + L"\"";
        }
        file->Release();
    }
    link->Release();
    return description;
}

void CaptureFolder(const std::wstring& folder, bool deep, State& state) {
    e2e::WalkFolder(folder, deep ? e2e::Walk::Tree : e2e::Walk::Folder, [&](const e2e::FolderEntry& entry) {
        const DWORD attributes = entry.attributes & KeptAttributes;
        if (entry.IsFolder()) {
            state[entry.path] = L"folder " + Hex(attributes);
            return true;
        }
        std::wstring shortcut;
        if (EndsWith(entry.path, L".lnk")) shortcut = ShortcutDescription(entry.path);
        state[entry.path] = shortcut.empty() ? L"file " + Hex(attributes) + L" " + ContentHash(entry.path) : shortcut;
        return true;
    });
}

// Values of the uninstall registration whose data tell when the installation ran and which
// program ran it: the date, and the size, which counts the uninstaller (the fault-injecting
// installer's own file in a faulted run, none when its copy could not be measured). They are
// recorded by their type alone; what they hold, the end-to-end tests check.
bool IsFigureOfTheRun(const std::wstring& value) {
    return _wcsicmp(value.c_str(), L"InstallDate") == 0 || _wcsicmp(value.c_str(), L"EstimatedSize") == 0;
}

std::wstring ValueDescription(DWORD type, const std::vector<BYTE>& data) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return (type == REG_SZ ? L"sz " : L"expand ") + std::to_wstring(data.size()) + L" \"" + text + L"\"";
    }
    std::wstring hex = L"type " + std::to_wstring(type) + L" ";
    for (const BYTE b : data) {
        hex += L"0123456789abcdef"[b >> 4];
        hex += L"0123456789abcdef"[b & 15];
    }
    return hex;
}

void CaptureKey(HKEY parent, const std::wstring& path, const std::wstring& name, State& state) {
    HKEY key;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    state[KeyEntry(path)] = L"key";
    for (DWORD i = 0;; ++i) {
        wchar_t value[16384];
        DWORD valueLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, i, value, &valueLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        valueLength = 16384;
        if (RegEnumValueW(key, i, value, &valueLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        state[ValueEntry(path, value)] =
            IsFigureOfTheRun(value) ? L"type " + std::to_wstring(type) : ValueDescription(type, data);
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t subkey[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(subkey, length);
    }
    for (const std::wstring& subkey : subkeys) CaptureKey(key, path + L"\\" + subkey, subkey, state);
    RegCloseKey(key);
}

}  // namespace

std::wstring KeyEntry(const std::wstring& key) { return L"HKLM\\" + key + L"\\"; }

std::wstring ValueEntry(const std::wstring& key, const std::wstring& value) { return KeyEntry(key) + L"|" + value; }

std::wstring ContentHash(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"";
    std::uint64_t hash = 14695981039346656037ull, size = 0;
    std::vector<BYTE> buffer(1 << 16);
    DWORD read = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0) {
        hash = Hash(buffer.data(), read, hash);
        size += read;
    }
    CloseHandle(file);
    return std::to_wstring(size) + L":" + Hex(hash);
}

State Capture(const Watched& watched) {
    State state;
    for (const std::wstring& tree : watched.trees) {
        const DWORD attributes = GetFileAttributesW(tree.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;
        state[tree] = L"folder " + Hex(attributes & KeptAttributes);
        CaptureFolder(tree, true, state);
    }
    for (const std::wstring& level : watched.levels) CaptureFolder(level, false, state);
    for (const std::wstring& key : watched.keys) CaptureKey(HKEY_LOCAL_MACHINE, key, key, state);
    return state;
}

bool Under(const std::wstring& entry, const std::wstring& prefix) {
    if (entry.size() < prefix.size() || _wcsnicmp(entry.c_str(), prefix.c_str(), prefix.size()) != 0) return false;
    if (entry.size() == prefix.size() || prefix.empty()) return true;
    const wchar_t next = entry[prefix.size()];
    return prefix.back() == L'\\' || next == L'\\' || next == L'|';
}

std::vector<Difference> Compare(const State& before, const State& after,
                                const std::function<bool(const std::wstring&)>& counts) {
    std::vector<Difference> differences;
    auto a = before.begin();
    auto b = after.begin();
    while (a != before.end() || b != after.end()) {
        if (b == after.end() || (a != before.end() && a->first < b->first)) {
            if (counts(a->first)) differences.push_back({a->first, a->second, L""});
            ++a;
        } else if (a == before.end() || b->first < a->first) {
            if (counts(b->first)) differences.push_back({b->first, L"", b->second});
            ++b;
        } else {
            if (a->second != b->second && counts(a->first)) differences.push_back({a->first, a->second, b->second});
            ++a;
            ++b;
        }
    }
    return differences;
}

std::wstring Describe(const std::vector<Difference>& differences) {
    constexpr std::size_t Shown = 4;
    std::wstring text;
    for (std::size_t i = 0; i < differences.size() && i < Shown; ++i) {
        const Difference& d = differences[i];
        text += L"\n    " + d.entry + L": " + (d.before.empty() ? L"(absent)" : d.before) + L" -> " +
                (d.after.empty() ? L"(absent)" : d.after);
    }
    if (differences.size() > Shown) text += L"\n    ... " + std::to_wstring(differences.size() - Shown) + L" more";
    return text;
}

std::uint64_t Fingerprint(const State& state) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const auto& [entry, what] : state) {
        hash = Hash(entry.data(), entry.size() * sizeof(wchar_t), hash);
        hash = Hash(L"=", sizeof(wchar_t), hash);
        hash = Hash(what.data(), what.size() * sizeof(wchar_t), hash);
        hash = Hash(L"\n", sizeof(wchar_t), hash);
    }
    return hash;
}

}  // namespace sweep
