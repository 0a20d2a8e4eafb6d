#include "registration/registry_win.h"

#include <utility>

#include "base/wide_win.h"

namespace qf {

void Key::Close() {
    if (handle) RegCloseKey(handle);
    handle = nullptr;
}

bool OpenKey(HKEY parent, const char16_t* name, REGSAM access, Key& key) {
    key.Close();
    return RegOpenKeyExW(parent, W(name), 0, access, &key.handle) == ERROR_SUCCESS;
}

bool CreateKey(HKEY parent, const char16_t* name, Key& key) {
    key.Close();
    return RegCreateKeyExW(parent, W(name), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, &key.handle, nullptr) == ERROR_SUCCESS;
}

namespace {

template <typename Step>
bool WalkKeyPath(HKEY parent, std::span<const char16_t* const> names, Key& key, Step step) {
    key.Close();
    for (const char16_t* name : names) {
        Key next;
        if (!step(key.handle ? key.handle : parent, name, next)) {
            key.Close();
            return false;
        }
        std::swap(key.handle, next.handle);
    }
    return key.handle != nullptr;
}

}  // namespace

bool OpenKeyPath(HKEY parent, std::span<const char16_t* const> names, REGSAM access, Key& key) {
    return WalkKeyPath(parent, names, key, [access](HKEY at, const char16_t* name, Key& next) {
        return OpenKey(at, name, access, next);
    });
}

bool CreateKeyPath(HKEY parent, std::span<const char16_t* const> names, Key& key) {
    return WalkKeyPath(parent, names, key, CreateKey);
}

}  // namespace qf
