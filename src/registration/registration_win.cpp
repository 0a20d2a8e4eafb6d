// Recording an installation in the machine registry: the product family's keys, the guard
// against installing over a newer release, the client's settings carried over from the
// previous release, a customised copy's site settings, and the uninstall registration.
#include "registration/registration_win.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/entry_win.h"
#include "base/install_paths.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/wide_win.h"
#include "registration/registry_win.h"
#include "registration/release_number.h"
#include "registration/uninstall_entry.h"
#include "settings/settings_block.h"

namespace qf {
namespace {

// RegEnumKeyExA's buffer for a subkey name, NUL included. A longer name is no release.
constexpr DWORD ReleaseNameCapacity = 49;

// Each value of the old key is read with its own limit, whatever type it is stored as: the
// four bytes of a number, and 255 bytes of a text (126 characters and the NUL), so a longer
// text stays behind.
constexpr DWORD NumberReadLimit = 4;
constexpr DWORD TextReadLimit = 255;

// The values a customised copy sets or removes.
constexpr char16_t ServerLockName[] = u"ServerLock";
constexpr char16_t ServerDefaultName[] = u"ServerDefault";
constexpr char16_t DocPathName[] = u"DocPath";

// One field of MigratedSettings and the value name it is read or written as.
struct MigratedValue {
    const char16_t* name;
    std::uint32_t* number;
    std::span<wchar_t> text;
};

// Older installers wrote the mixed-case names; registry names are case-insensitive, so the
// lower-case names read them.
const MigratedValue ReadOrder[] = {
    {u"serverdefault", nullptr, MigratedSettings.ServerDefault},
    {u"serverlock", &MigratedSettings.ServerLock, {}},
    {u"demo", &MigratedSettings.demo, {}},
    {u"admin", &MigratedSettings.admin, {}},
    {u"deflang", &MigratedSettings.DefLang, {}},
    {u"noverwarn", &MigratedSettings.NoVerWarn, {}},
    {u"noservverwarn", &MigratedSettings.NoServVerWarn, {}},
    {u"DriverPosBug", &MigratedSettings.DriverPosBug, {}},
    {u"docpath", nullptr, MigratedSettings.DocPath},
    {u"mediaplayer", nullptr, MigratedSettings.MediaPlayer},
    {u"browser", nullptr, MigratedSettings.Browser},
};

const MigratedValue WriteOrder[] = {
    {ServerDefaultName, nullptr, MigratedSettings.ServerDefault},
    {ServerLockName, &MigratedSettings.ServerLock, {}},
    {u"demo", &MigratedSettings.demo, {}},
    {u"admin", &MigratedSettings.admin, {}},
    {u"DefLang", &MigratedSettings.DefLang, {}},
    {u"NoVerWarn", &MigratedSettings.NoVerWarn, {}},
    {u"NoServVerWarn", &MigratedSettings.NoServVerWarn, {}},
    {DocPathName, nullptr, MigratedSettings.DocPath},
    {u"MediaPlayer", nullptr, MigratedSettings.MediaPlayer},
    {u"Browser", nullptr, MigratedSettings.Browser},
    {u"DriverPosBug", &MigratedSettings.DriverPosBug, {}},
};

// Each write says whether it went in: a value the registration needed and could not write ends
// it as a registry failure, never as an installation that only looks whole.
bool SetText(HKEY key, const char16_t* name, std::span<const wchar_t> text) {
    const std::size_t length = TextLength({U(text.data()), text.size()});
    if (length == text.size()) return true;  // no terminator: nothing to stop at
    return Told(RegSetValueExW(key, W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                               static_cast<DWORD>((length + 1) * sizeof(wchar_t)))) == ERROR_SUCCESS;
}

// A fixed text of the program's own.
template <std::size_t N>
bool SetText(HKEY key, const char16_t* name, const char16_t (&text)[N]) {
    return SetText(key, name, std::span<const wchar_t>(W(text), N));
}

bool SetNumber(HKEY key, const char16_t* name, std::uint32_t number) {
    const DWORD data = number;
    return Told(RegSetValueExW(key, W(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data)) ==
           ERROR_SUCCESS;
}

bool DeleteValue(HKEY key, const char16_t* name) {
    const LONG result = Told(RegDeleteValueW(key, W(name)));
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// A text that is empty or starts with a blank removes its value.
bool SetOrDeleteText(HKEY key, const char16_t* name, std::span<const wchar_t> text) {
    return text[0] == L'\0' || text[0] == L' ' ? DeleteValue(key, name) : SetText(key, name, text);
}

// The highest release number among the subkeys of the family key, compared as unsigned;
// 0 when none reads as a number. False when the subkeys cannot be counted.
bool FindHighestRelease(HKEY family, std::int32_t& highest) {
    DWORD count = 0;
    if (Told(RegQueryInfoKeyW(family, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr)) != ERROR_SUCCESS)
        return false;
    highest = 0;
    for (DWORD i = 0; i < count; ++i) {
        char name[ReleaseNameCapacity];
        DWORD length = ReleaseNameCapacity;
        // A name too long for the buffer, or a key removed meanwhile, is passed over; any other
        // failure could hide the release whose settings are carried over.
        const LONG listed = Told(RegEnumKeyExA(family, i, name, &length, nullptr, nullptr, nullptr, nullptr));
        if (listed == ERROR_MORE_DATA || listed == ERROR_NO_MORE_ITEMS) continue;
        if (listed != ERROR_SUCCESS) return false;
        const std::int32_t number = ReleaseNumber(std::string_view(name, length));
        if (IsNewerRelease(number, highest)) highest = number;
    }
    return true;
}

bool IsNewerThanThisRelease(std::int32_t number) {
    return IsNewerRelease(number, ReleaseNumber(std::u16string_view(ReleaseKeyName)));
}

// Creates or opens this release's key (ReleaseKeyName), first carrying over the settings of the release key
// named by `highest` when that key opens (it may not: "20180101x" reads as 20180101, and no
// key of that plain name exists). The same release installed again reads and writes back its
// own key. Settings carried over from another release are written into a draft key that takes
// this release's name only when whole: the next installation carries over what it finds in
// this release's key, so a run stopped midway must not leave part of the settings there.
bool CreateReleaseKey(HKEY family, std::int32_t highest, Key& release) {
    char16_t oldName[12];
    Key old;
    const Lookup opened = highest != 0 && FormatText(oldName, u"%d", {highest})
                              ? LookUpKey(family, oldName, KEY_READ, old)
                              : Lookup::Missing;
    // Only a key that is not there is passed over; one that cannot be opened holds settings.
    if (opened == Lookup::Failed) return false;
    if (opened == Lookup::Missing) return CreateKey(family, ReleaseKeyName, release);
    if (!ReadMigratedSettings(old.handle)) return false;
    old.Close();
    if (highest == ReleaseNumber(std::u16string_view(ReleaseKeyName)))
        return CreateKey(family, ReleaseKeyName, release) && WriteMigratedSettings(release.handle);
    // A draft left by a stopped run is written afresh.
    const LONG cleared = Told(RegDeleteKeyW(family, W(ReleaseDraftKeyName)));
    if (cleared != ERROR_SUCCESS && cleared != ERROR_FILE_NOT_FOUND) return false;
    if (CreateKey(family, ReleaseDraftKeyName, release) && WriteMigratedSettings(release.handle) &&
        Told(RegRenameKey(family, W(ReleaseDraftKeyName), W(ReleaseKeyName))) == ERROR_SUCCESS)
        return true;
    release.Close();
    RegDeleteKeyW(family, W(ReleaseDraftKeyName));  // else the next installation clears it
    return false;
}

// A customised copy's site settings, over what migration wrote. Without a default server
// (mode 10) the migrated server values stay; the documentation path is applied in every mode.
bool ApplyEmbeddedSettings(HKEY release) {
    if (!IsCustomised(EmbeddedSettings)) return true;
    const DecodedSettings site = DecodeEmbeddedSettings(EmbeddedSettings);
    MigratedSettings.ServerLock = site.mode;
    CopyText(Buffer(MigratedSettings.ServerDefault), site.server);
    CopyText(Buffer(MigratedSettings.DocPath), site.docPath);
    if (MigratedSettings.ServerLock != NoServerMode) {
        // No value means 0: the client's server field may be changed.
        const bool lockSet = MigratedSettings.ServerLock == 0
                                 ? DeleteValue(release, ServerLockName)
                                 : SetNumber(release, ServerLockName, MigratedSettings.ServerLock);
        if (!lockSet || !SetOrDeleteText(release, ServerDefaultName, MigratedSettings.ServerDefault)) return false;
    }
    return SetOrDeleteText(release, DocPathName, MigratedSettings.DocPath);
}

bool RegisterUninstaller(HKEY software, const InstallRun& run) {
    Key uninstall;
    Key product;
    if (!OpenUninstallList(software, uninstall) || !CreateKey(uninstall.handle, ProductUninstallKeyName, product))
        return false;
    wchar_t name[MessageCapacity];
    wchar_t command[MessageCapacity];
    wchar_t quietCommand[MessageCapacity];
    wchar_t date[InstallDateCapacity];
    FormatText(Buffer(name), text::DisplayNameFormat, {ReleaseDateText});
    FormatText(Buffer(command), UninstallCommandFormat, {U(run.InstallDirectory), UninstallerFileName});
    FormatText(Buffer(quietCommand), QuietUninstallCommandFormat, {U(run.InstallDirectory), UninstallerFileName});
    SYSTEMTIME today;
    GetLocalTime(&today);
    FormatInstallDate(today.wYear, today.wMonth, today.wDay, Buffer(date));
    // The files are not written yet: what they will take is counted from the archive.
    const std::uint32_t size = InstalledSizeKiB(PayloadArchive.Bytes(), run.UninstallerSize);
    // The mark first: an installation stopped after the location but before the mark would be
    // told by an earlier registration's mark, which may say a folder it shares is its own.
    return SetNumber(product.handle, SharedFolderValueName, run.sharedFolder ? 1 : 0) &&
           SetText(product.handle, u"DisplayName", name) &&
           SetText(product.handle, u"DisplayIcon", run.DisplayIconPath) &&
           SetText(product.handle, UninstallStringValueName, command) &&
           SetText(product.handle, InstallLocationValueName, run.InstallDirectory) &&
           SetText(product.handle, DisplayVersionValueName, DisplayVersionText) &&
           SetText(product.handle, PublisherValueName, PublisherText) &&
           SetNumber(product.handle, EstimatedSizeValueName, size) &&
           SetText(product.handle, InstallDateValueName, date) &&
           SetText(product.handle, UrlInfoAboutValueName, ReleasePageUrl) &&
           SetNumber(product.handle, NoModifyValueName, 1) && SetNumber(product.handle, NoRepairValueName, 1) &&
           SetText(product.handle, QuietUninstallStringValueName, quietCommand);
}

}  // namespace

ClientSettings MigratedSettings;

FolderSharing SharesItsFolder(const wchar_t* directory) {
    const char16_t* const ownNames[] = {UninstallerFileName, UninstallerTemporaryName};
    // A folder that is not there yet is this run's own; one that is there but cannot be listed
    // may hold anything.
    if (GetFileAttributesW(directory) == INVALID_FILE_ATTRIBUTES && IsAbsence(GetLastError()))
        return FolderSharing::Unshared;
    if (!HoldsEntries(directory, ownNames)) return FolderSharing::Unshared;
    // Held by an earlier installation whose registration names this same folder, it is what that
    // installation recorded; held by anything else, it is shared. Where that cannot be told (a
    // registration or a folder that cannot be read), guessing either way is wrong for good: a
    // shared mark that stays, or a shared folder emptied by the uninstall.
    Key software, list, product;
    if (!OpenSoftwareKey(KEY_READ, software)) return FolderSharing::Unknown;
    wchar_t location[DirectoryPathCapacity];
    Lookup registered = OpenProductEntry(software.handle, KEY_READ, list, product);
    if (registered == Lookup::Found) registered = ReadText(product.handle, InstallLocationValueName, location);
    switch (registered) {
        case Lookup::Found: break;
        case Lookup::Missing: return FolderSharing::Shared;
        case Lookup::Failed: return FolderSharing::Unknown;
    }
    FileIdentity earlier, found;
    if (!IsFullyQualified(U(location))) return FolderSharing::Shared;
    if (!IdentifyPath(location, false, earlier))
        return IsAbsence(GetLastError()) ? FolderSharing::Shared : FolderSharing::Unknown;
    if (!IdentifyPath(directory, false, found)) return FolderSharing::Unknown;
    if (earlier != found) return FolderSharing::Shared;
    // Only the mark as this release writes it says the folder was the installation's alone; an
    // older release's registration, which has none, or a mark rewritten by hand, may be over a
    // folder that held other files.
    DWORD mark = 0;
    switch (ReadNumber(product.handle, SharedFolderValueName, mark)) {
        case Lookup::Found: return mark == 0 ? FolderSharing::Unshared : FolderSharing::Shared;
        case Lookup::Missing: return FolderSharing::Shared;
        case Lookup::Failed: return FolderSharing::Unknown;
    }
    return FolderSharing::Unknown;
}

bool ReadMigratedSettings(HKEY key) {
    MigratedSettings = {};
    for (const MigratedValue& value : ReadOrder) {
        void* field = value.number ? static_cast<void*>(value.number) : value.text.data();
        DWORD size = value.number ? NumberReadLimit : TextReadLimit;
        const LONG read =
            Told(RegQueryValueExW(key, W(value.name), nullptr, nullptr, static_cast<BYTE*>(field), &size));
        if (read == ERROR_SUCCESS) continue;
        if (read != ERROR_FILE_NOT_FOUND && read != ERROR_MORE_DATA) return false;
        // A value too large for its limit may have left part of itself behind.
        if (value.number) *value.number = 0;
        else std::fill(value.text.begin(), value.text.end(), L'\0');
    }
    return true;
}

bool WriteMigratedSettings(HKEY key) {
    for (const MigratedValue& value : WriteOrder) {
        if (value.number && *value.number != 0 && !SetNumber(key, value.name, *value.number)) return false;
        if (!value.number && value.text[0] != L'\0' && !SetText(key, value.name, value.text)) return false;
    }
    return true;
}

Registration RegisterProduct(const InstallRun& run) {
    Key software;
    Key family;
    if (!OpenSoftwareKey(KEY_ALL_ACCESS, software) || !CreateKeyPath(software.handle, ProductFamilyKeyPath, family))
        return Registration::RegistryFailed;
    std::int32_t highest = 0;
    if (!FindHighestRelease(family.handle, highest)) return Registration::ReleasesUncounted;
    if (IsNewerThanThisRelease(highest)) return Registration::NewerInstalled;
    Key release;
    Key servers;
    if (!CreateReleaseKey(family.handle, highest, release) || !CreateKey(family.handle, ServersKeyName, servers) ||
        !ApplyEmbeddedSettings(release.handle) || !RegisterUninstaller(software.handle, run))
        return Registration::RegistryFailed;
    return Registration::Registered;
}

bool NewerReleaseInstalled() {
    Key software;
    Key family;
    std::int32_t highest = 0;
    return OpenSoftwareKey(KEY_READ, software) && OpenFamilyKey(software.handle, KEY_READ, family) == Lookup::Found &&
           FindHighestRelease(family.handle, highest) && IsNewerThanThisRelease(highest);
}

bool DetectPreviousInstallation() {
    Key software, uninstall, found;
    if (!OpenSoftwareKey(KEY_READ, software) || !OpenUninstallList(software.handle, uninstall)) return false;
    return OpenKey(uninstall.handle, ProductUninstallKeyName, KEY_READ, found) ||
           OpenKeyPath(software.handle, ProductKeyPath, KEY_READ, found);
}

}  // namespace qf
