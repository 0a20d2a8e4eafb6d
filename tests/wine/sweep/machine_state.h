// What the fault sweep watches of the machine, recorded so that two moments compare entry by
// entry: the files below a few folders with their content, the registry below a few keys with
// their values, and each shortcut as the shell reads it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sweep {

// Entry -> what it is. A file or folder is named by its path ("C:\..."), a key by
// "HKLM\...\", a value by its key and "|name". What it is: a folder's attributes; a file's
// attributes, size and a hash of its bytes; a shortcut's target, working folder and
// description (its bytes change with the times of its target); a value's type and data (its
// type alone for the uninstall registration's date and size, which tell when and by which
// program it ran).
using State = std::map<std::wstring, std::wstring>;

struct Watched {
    std::vector<std::wstring> trees;   // folders, with everything below them
    std::vector<std::wstring> levels;  // folders, with their own entries only (a drive's root)
    std::vector<std::wstring> keys;    // keys under HKEY_LOCAL_MACHINE, with everything below
};

State Capture(const Watched& watched);

// The entry names of a key and of a value, as Capture writes them.
std::wstring KeyEntry(const std::wstring& key);
std::wstring ValueEntry(const std::wstring& key, const std::wstring& value);

// Whether entry is `prefix` itself or lies below it (a path or key, without regard to case).
bool Under(const std::wstring& entry, const std::wstring& prefix);

struct Difference {
    std::wstring entry;
    std::wstring before;  // empty: absent
    std::wstring after;
};

// The entries that differ between two states, of those that `counts` accepts.
std::vector<Difference> Compare(const State& before, const State& after,
                                const std::function<bool(const std::wstring&)>& counts);

// The first few differences, one a line, for a report.
std::wstring Describe(const std::vector<Difference>& differences);

// A hash of the whole state: equal states, equal hashes.
std::uint64_t Fingerprint(const State& state);

// A hash of a file's bytes, in the form Capture writes it ("" when it cannot be read).
std::wstring ContentHash(const std::wstring& path);

}  // namespace sweep
