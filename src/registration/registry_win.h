// Small checked registry calls that registration and the uninstall mode share: each says
// whether it worked, and a Key closes its handle on every path out.
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

bool OpenKey(HKEY parent, const char16_t* name, REGSAM access, Key& key);
// Opens each name beneath the previous one, all with the same access; key is the last.
bool OpenKeyPath(HKEY parent, std::span<const char16_t* const> names, REGSAM access, Key& key);
// Creates or opens with full access, no class, non-volatile, default security.
bool CreateKey(HKEY parent, const char16_t* name, Key& key);
bool CreateKeyPath(HKEY parent, std::span<const char16_t* const> names, Key& key);

}  // namespace qf
