// ORIN-6 client (sample build): shows the site settings the installer left
// for it in the machine registry.
//
// Like the installer it is a 32-bit program, so on 64-bit Windows both see
// the same (WOW6432Node) view of HKLM\Software and no view flag is needed.

#include <windows.h>

#include <cwchar>

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Quenfield\\Lexaris\\2.0\\20191220";
constexpr wchar_t kCaption[] = L"ORIN-6 Client";

// The installer writes these texts from 256-unit fields, terminator included.
constexpr DWORD kTextUnits = 256;

enum class ServerLock : DWORD { Editable = 0, Locked = 1, Hidden = 2 };

struct Settings {
    wchar_t server[kTextUnits] = {};
    wchar_t docPath[kTextUnits] = {};
    DWORD serverLock = 0;
};

// A value that is absent, of another type or too long for its field counts
// as not set: the client then falls back on its default rather than on a
// truncated server name or path.
void ReadText(HKEY key, const wchar_t* name, wchar_t (&out)[kTextUnits])
{
    DWORD type = 0;
    DWORD bytes = sizeof out;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type,
                               reinterpret_cast<BYTE*>(out), &bytes);
    DWORD units = bytes / sizeof(wchar_t);
    bool ok = rc == ERROR_SUCCESS && type == REG_SZ;
    // REG_SZ data need not carry its terminator; it fits only if there is
    // room to add one.
    if (ok && (units == 0 || out[units - 1] != L'\0')) {
        ok = units < kTextUnits;
        if (ok)
            out[units] = L'\0';
    }
    if (!ok)
        out[0] = L'\0';
}

DWORD ReadNumber(HKEY key, const wchar_t* name)
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD bytes = sizeof value;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type,
                               reinterpret_cast<BYTE*>(&value), &bytes);
    return rc == ERROR_SUCCESS && type == REG_DWORD && bytes == sizeof value ? value : 0;
}

void ReadSettings(Settings& s)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    ReadText(key, L"ServerDefault", s.server);
    s.serverLock = ReadNumber(key, L"ServerLock");
    ReadText(key, L"DocPath", s.docPath);
    RegCloseKey(key);
}

// Any value other than 1 or 2 leaves the field editable, as an absent one does.
const wchar_t* ServerFieldText(DWORD lock)
{
    switch (static_cast<ServerLock>(lock)) {
    case ServerLock::Locked: return L"locked";
    case ServerLock::Hidden: return L"hidden";
    default: return L"editable";
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    Settings s;
    ReadSettings(s);

    // Two texts of at most 255 units each plus the fixed wording.
    wchar_t text[2 * kTextUnits + 128];
    int n = std::swprintf(text, sizeof text / sizeof text[0],
                          L"Server: %ls\nServer field: %ls\nDocumentation: %ls",
                          s.server[0] ? s.server : L"(none)",
                          ServerFieldText(s.serverLock),
                          s.docPath[0] ? s.docPath : L"(default)");
    if (n < 0)
        return 1;
    MessageBoxW(nullptr, text, kCaption, MB_OK | MB_ICONINFORMATION);
    return 0;
}
