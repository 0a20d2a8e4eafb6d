#include "registration/registry_win.h"

#include <iterator>
#include <span>
#include <utility>

#include "base/product.h"
#include "base/text.h"
#include "base/wide_win.h"

namespace qf {

void Key::Close() {
    if (handle) RegCloseKey(handle);
    handle = nullptr;
}

LONG Told(LONG status) {
    if (status != ERROR_SUCCESS) SetLastError(static_cast<DWORD>(status));
    return status;
}

namespace {

Lookup LookupOf(LONG result) {
    Told(result);
    if (result == ERROR_SUCCESS) return Lookup::Found;
    return result == ERROR_FILE_NOT_FOUND ? Lookup::Missing : Lookup::Failed;
}

}  // namespace

Lookup LookUpKey(HKEY parent, const char16_t* name, REGSAM access, Key& key) {
    key.Close();
    return LookupOf(RegOpenKeyExW(parent, W(name), 0, access, &key.handle));
}

bool OpenKey(HKEY parent, const char16_t* name, REGSAM access, Key& key) {
    return LookUpKey(parent, name, access, key) == Lookup::Found;
}

bool CreateKey(HKEY parent, const char16_t* name, Key& key) {
    key.Close();
    return Told(RegCreateKeyExW(parent, W(name), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                &key.handle, nullptr)) == ERROR_SUCCESS;
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
    return WalkKeyPath(parent, names, key,
                       [access](HKEY at, const char16_t* name, Key& next) { return OpenKey(at, name, access, next); });
}

bool CreateKeyPath(HKEY parent, std::span<const char16_t* const> names, Key& key) {
    return WalkKeyPath(parent, names, key, CreateKey);
}

Lookup ReadText(HKEY key, const char16_t* name, std::span<wchar_t> text) {
    DWORD bytes = static_cast<DWORD>(text.size_bytes());
    const Lookup read =
        LookupOf(RegQueryValueExW(key, W(name), nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &bytes));
    if (read != Lookup::Found) return read;
    const std::size_t length = TextLength({U(text.data()), bytes / sizeof(wchar_t)});
    if (length == text.size()) return Lookup::Failed;
    text[length] = L'\0';
    return Lookup::Found;
}

Lookup ReadNumber(HKEY key, const char16_t* name, DWORD& number) {
    DWORD bytes = sizeof number;
    DWORD type = REG_NONE;
    const LONG result = Told(RegQueryValueExW(key, W(name), nullptr, &type, reinterpret_cast<BYTE*>(&number), &bytes));
    // A value too long for a number is some other value by that name (a text written by hand).
    Lookup read = result == ERROR_MORE_DATA ? Lookup::Missing : LookupOf(result);
    if (read == Lookup::Found && (type != REG_DWORD || bytes != sizeof number)) read = Lookup::Missing;
    if (read != Lookup::Found) number = 0;
    return read;
}

bool OpenSoftwareKey(REGSAM access, Key& software) {
    return OpenKey(HKEY_LOCAL_MACHINE, SoftwareKeyName, access, software);
}

bool OpenUninstallList(HKEY software, Key& list) { return OpenKeyPath(software, UninstallKeyPath, KEY_READ, list); }

Lookup OpenFamilyKey(HKEY software, REGSAM access, Key& family) {
    Key parent;
    HKEY at = software;
    for (const char16_t* name : std::span(ProductFamilyKeyPath).first(std::size(ProductFamilyKeyPath) - 1)) {
        Key next;
        const Lookup opened = LookUpKey(at, name, KEY_READ, next);
        if (opened != Lookup::Found) return opened;
        std::swap(parent.handle, next.handle);
        at = parent.handle;
    }
    return LookUpKey(at, ProductFamilyKeyPath[std::size(ProductFamilyKeyPath) - 1], access, family);
}

Lookup OpenProductEntry(HKEY software, REGSAM access, Key& list, Key& product) {
    if (!OpenUninstallList(software, list)) return Lookup::Failed;
    return LookUpKey(list.handle, ProductUninstallKeyName, access, product);
}

Lookup ReadSubkeyName(HKEY key, DWORD index, std::span<wchar_t> name) {
    DWORD length = static_cast<DWORD>(name.size());
    const LONG listed = Told(RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr));
    if (listed == ERROR_NO_MORE_ITEMS) return Lookup::Missing;
    return listed == ERROR_SUCCESS ? Lookup::Found : Lookup::Failed;
}

}  // namespace qf
