// Small checked registry calls that registration, the uninstall mode and the install sequence
// share, and the one place that opens the product's keys: each says whether it worked, and a
// Key closes its handle on every path out.
#pragma once

#include <windows.h>

#include <span>

namespace qf {

struct Key {
    HKEY handle = nullptr;

    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() { Close(); }
    void Close();
};

// A registry call's status, left as the thread's last error when it failed, so that whoever
// tells the failure (the silent mode's log) has the reason, as for any other system call.
LONG Told(LONG status);

// A look-up's outcome where a key or value that is not there is an answer, not a failure.
enum class Lookup { Found, Missing, Failed };

bool OpenKey(HKEY parent, const char16_t* name, REGSAM access, Key& key);
Lookup LookUpKey(HKEY parent, const char16_t* name, REGSAM access, Key& key);
// Opens each name beneath the previous one, all with the same access; key is the last.
bool OpenKeyPath(HKEY parent, std::span<const char16_t* const> names, REGSAM access, Key& key);
// Creates or opens with full access, no class, non-volatile, default security.
bool CreateKey(HKEY parent, const char16_t* name, Key& key);
bool CreateKeyPath(HKEY parent, std::span<const char16_t* const> names, Key& key);

// A text value into text, terminated; one too long for text, with its terminator, fails.
Lookup ReadText(HKEY key, const char16_t* name, std::span<wchar_t> text);
// A REG_DWORD value; 0 unless found, and a value of another type or size is missing.
Lookup ReadNumber(HKEY key, const char16_t* name, DWORD& number);

// The product's keys. HKLM\Software, beneath which all of them live:
bool OpenSoftwareKey(REGSAM access, Key& software);
// the machine's list of uninstall entries, for reading, which holds the product's entry:
bool OpenUninstallList(HKEY software, Key& list);
// the product family's key, which holds a key per release: the keys above it are opened for
// reading, the family key with access; Missing when it or a key above it is not there.
Lookup OpenFamilyKey(HKEY software, REGSAM access, Key& family);
// the product's uninstall entry, beneath the list, with access; Missing only when the list is
// there without it.
Lookup OpenProductEntry(HKEY software, REGSAM access, Key& list, Key& product);

// The name of key's subkey at index into name, terminated; Missing past the last one. A name
// longer than name fails (a key name has at most 255 units).
Lookup ReadSubkeyName(HKEY key, DWORD index, std::span<wchar_t> name);

}  // namespace qf
