#include "sweep/roads.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "driver/driver.h"
#include "e2e_support.h"
#include "pages/page_layout.h"

namespace sweep {
namespace {

using namespace e2e::paths;
using namespace e2e::texts;

const wchar_t* const Apps = L"C:\\qf-sweep\\apps";
const wchar_t* const OlderReleaseKey = L"Software\\Quenfield\\Lexaris\\2.0\\20180101";
const wchar_t* const UninstallList = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// How long a page may stay as it was after it was worked before it counts as not moving on,
// and how often one is worked before it is closed instead.
constexpr DWORD SettleMs = 2000;
constexpr int WorkLimit = 3;

// What a faulted run must leave alone: files beside and above the installation directories
// (the shipped default and the wizard's own), inside the one an installation shares with them,
// on the desktop, and keys beside the product's, an older release's settings among them.
struct Sentinel {
    const wchar_t* path;
    const char* text;
};
const Sentinel SentinelFiles[] = {
    {L"C:\\qf-sweep\\above.txt", "above the installation"},
    {L"C:\\qf-sweep\\apps\\beside.txt", "beside the installation"},
    {L"C:\\qf-sweep\\apps\\ORIN-6.txt", "a name the installation directory begins"},
    {L"C:\\qf-sweep\\apps\\ORIN-6 old\\qfsetup.exe", "an older installation's uninstaller"},
    {L"C:\\qf-sweep\\apps\\ORIN-6 old\\docs\\index.html", "an older installation's page"},
    {L"C:\\qf-sweep\\apps\\Shared Tools\\notes.txt", "someone else's, where an installation goes"},
    {L"C:\\qf-sweep\\apps\\Shared Tools\\docs\\mine.html", "someone else's, in a folder the archive has too"},
    {L"C:\\Program Files\\qf-beside.txt", "beside the default installation"},
    {L"C:\\Program Files\\Quenfield old\\qfmgr.exe", "an older client"},
    {L"C:\\users\\All Users\\Desktop\\notes.txt", "on the desktop"},
};

bool WriteText(const std::wstring& path, const char* text) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    return e2e::MakeDirs(folder) && e2e::WriteAll(path, std::vector<std::uint8_t>(text, text + strlen(text)));
}

void LaySentinels() {
    e2e::RemoveTree(Apps);
    e2e::RemoveTree(L"C:\\Program Files\\Quenfield old");
    e2e::MakeDirs(Desktop);
    for (const Sentinel& s : SentinelFiles) WriteText(s.path, s.text);
    e2e::MakeDirs(std::wstring(Apps) + L"\\empty");

    RegDeleteTreeW(HKEY_LOCAL_MACHINE, MakerKey);
    e2e::WriteString(L"Software\\Quenfield\\Sentinel", L"Kept", L"beside the product");
    e2e::WriteNumber(FamilyKey, L"Sentinel", 7);
    e2e::CreateKey(L"Software\\Quenfield\\Lexaris\\2.0\\Beta");
    // The settings an older release left, which an installation carries over and never changes.
    e2e::WriteString(OlderReleaseKey, L"serverdefault", L"orin.example.org");
    e2e::WriteNumber(OlderReleaseKey, L"serverlock", 1);
    e2e::WriteNumber(OlderReleaseKey, L"deflang", 3);
    e2e::WriteString(OlderReleaseKey, L"docpath", L"\\\\docs\\orin");
    e2e::WriteString(OlderReleaseKey, L"Unmigrated", L"stays with the older release");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(UninstallList) + L"\\ORIN-6 old").c_str());
    e2e::WriteString((std::wstring(UninstallList) + L"\\ORIN-6 old").c_str(), L"DisplayName", L"ORIN-6 old");
}

void RemoveProduct() {
    e2e::RemoveTree(place::QuietTarget);
    e2e::RemoveTree(place::WizardTarget);
    e2e::RemoveTree(place::SharedTarget);
    for (const wchar_t* file : {Shortcut, place::FaultyCopy})
        driver::WaitUntil([&] { return DeleteFileW(file) || GetLastError() == ERROR_FILE_NOT_FOUND; }, SettleMs);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, UninstallKey);
}

// The environment a started installer inherits: QF_FAULTS set to plan, or not set.
void SetPlan(const std::wstring& plan) { SetEnvironmentVariableW(L"QF_FAULTS", plan.empty() ? nullptr : plan.c_str()); }

bool IsPage(HWND window, const wchar_t* pageClass) { return driver::ClassOf(window) == pageClass; }

enum class Worked {
    Acted,  // clicked something that should move the page on
    Busy,   // its buttons are disabled: the page is at work
    Stuck,  // nothing on it can move it on
};

// The licence page: the agreement accepted, then Next.
Worked WorkLicence(HWND page) {
    const HWND next = driver::Child(page, qf::ForwardId);
    if (!next) return Worked::Stuck;
    if (!driver::IsEnabled(next)) return Worked::Busy;
    const HWND accept = driver::Child(page, qf::AcceptBoxId);
    if (accept && driver::CheckState(accept) != BST_CHECKED) {
        driver::Click(accept);
        driver::WaitUntil([&] { return driver::CheckState(accept) == BST_CHECKED; }, SettleMs);
    }
    return driver::Click(next) ? Worked::Acted : Worked::Stuck;
}

// The installation page: the road's directory typed in, then Install.
Worked WorkLocation(HWND page, const std::wstring& target) {
    const HWND install = driver::Child(page, qf::ForwardId);
    if (!install) return Worked::Stuck;
    if (!driver::IsEnabled(install)) return Worked::Busy;
    if (const HWND edit = driver::Child(page, qf::TextControlId, L"Edit")) driver::SetText(edit, target);
    return driver::Click(install) ? Worked::Acted : Worked::Stuck;
}

bool ClickTo(HWND button, int state) {
    return button && driver::Click(button) &&
           driver::WaitUntil([&] { return driver::CheckState(button) == state; }, SettleMs);
}

// The customisation page: a default server shown but locked, a documentation path, then Next.
Worked WorkCustomisation(HWND page) {
    const HWND next = driver::Child(page, qf::ForwardId);
    if (!next) return Worked::Stuck;
    if (!driver::IsEnabled(next)) return Worked::Busy;
    const HWND serverBox = driver::Child(page, qf::ServerBoxId);
    const HWND docPathBox = driver::Child(page, qf::DocPathBoxId);
    if (driver::CheckState(serverBox) != BST_CHECKED) ClickTo(serverBox, BST_CHECKED);
    if (const HWND edit = driver::Child(page, qf::TextControlId, L"Edit", 0))
        driver::SetText(edit, L"orin.example.net");
    ClickTo(driver::Child(page, qf::LockButtonId + 1), BST_CHECKED);
    if (driver::CheckState(docPathBox) != BST_CHECKED) ClickTo(docPathBox, BST_CHECKED);
    if (const HWND edit = driver::Child(page, qf::TextControlId, L"Edit", 1))
        driver::SetText(edit, L"\\\\docs\\orin-6");
    return driver::Click(next) ? Worked::Acted : Worked::Stuck;
}

Worked WorkPage(HWND page, const std::wstring& target) {
    if (IsPage(page, LicenceBoxClass)) return WorkLicence(page);
    if (IsPage(page, LocationBoxClass)) return WorkLocation(page, target);
    if (IsPage(page, CustomBoxClass)) return WorkCustomisation(page);
    return Worked::Busy;
}

// Works the program until it ends or the time is up: each message box answered with its first
// button, each page worked (target typed as the installation directory); a page that cannot be
// worked, or that stays as it was after being worked WorkLimit times, closed as a person would
// close it.
Outcome WorkUntilExit(driver::Process& p, DWORD timeoutMs, const std::wstring& target) {
    Outcome outcome;
    std::map<HWND, int> worked;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        outcome.exitCode = driver::WaitExit(p, 0);
        if (outcome.exitCode != driver::kTimedOut) return outcome;
        if (GetTickCount64() - start >= timeoutMs) break;
        driver::MsgBox box;
        if (driver::WaitMessageBox(p, box, 0)) {
            outcome.captions.push_back(box.caption);
            driver::Answer(box, e2e::FirstButton(box));
            continue;
        }
        for (const HWND window : driver::TopLevelWindows(p)) {
            if (driver::ClassOf(window) == L"#32770") continue;
            int& times = worked[window];
            const Worked done = times < WorkLimit ? WorkPage(window, target) : Worked::Stuck;
            if (done == Worked::Busy) continue;
            ++times;
            if (done == Worked::Stuck) driver::ClickClose(window);
            // Until the page has gone, a box shows, or the program ends.
            driver::WaitUntil(
                [&] {
                    driver::MsgBox shown;
                    return !IsWindow(window) || driver::WaitExit(p, 0) != driver::kTimedOut ||
                           driver::WaitMessageBox(p, shown, 0);
                },
                SettleMs);
            break;
        }
        Sleep(driver::kPollMs);
    }
    driver::Kill(p);
    outcome.exitCode = driver::kTimedOut;
    return outcome;
}

}  // namespace

const wchar_t* NameOf(Road road) {
    switch (road) {
        case Road::Fresh: return L"fresh quiet install";
        case Road::Upgrade: return L"quiet install over the same release";
        case Road::Wizard: return L"install through the wizard";
        case Road::Shared: return L"install through the wizard into a folder holding other files";
        case Road::Uninstall: return L"uninstall";
        case Road::SharedUninstall: return L"uninstall from a folder holding other files";
        case Road::Customise: return L"customised copy";
        case Road::SilentInstall: return L"silent install";
        case Road::SilentUninstall: return L"silent uninstall";
    }
    return L"";
}

bool IsInstallRoad(Road road) {
    return road == Road::Fresh || road == Road::Upgrade || road == Road::Wizard || road == Road::Shared ||
           road == Road::SilentInstall;
}

bool IsUninstallRoad(Road road) {
    return road == Road::Uninstall || road == Road::SharedUninstall || road == Road::SilentUninstall;
}

bool IsSilentRoad(Road road) { return road == Road::SilentInstall || road == Road::SilentUninstall; }

bool PlaceInstallers() {
    // Wine's shell hands every shortcut saved to its menu builder, which then holds the file for
    // a moment; the installers started from here make none of that.
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mscoree,mshtml=;winemenubuilder.exe=d");
    e2e::RemoveTree(place::Root);
    return e2e::MakeDirs(L"C:\\qf-sweep\\dist") && e2e::MakeDirs(L"C:\\qf-sweep\\faulty") &&
           e2e::CopyTo(e2e::Built(L"qfsetup.exe"), place::Shipped) &&
           e2e::CopyTo(e2e::Built(L"qfsetup-faults.exe"), place::Faulty);
}

bool IsOthers(const std::wstring& entry) {
    return std::any_of(std::begin(SentinelFiles), std::end(SentinelFiles),
                       [&](const Sentinel& s) { return Under(s.path, entry); });
}

Watched WatchedPlaces() {
    return {{place::Root, L"C:\\Program Files", L"C:\\users\\All Users\\Desktop"},
            {L"C:"},
            {L"Software\\Quenfield", UninstallList}};
}

std::wstring TargetOf(Road road) {
    switch (road) {
        case Road::Wizard: return place::WizardTarget;
        case Road::Shared:
        case Road::SharedUninstall: return place::SharedTarget;
        case Road::Fresh:
        case Road::Upgrade:
        case Road::Uninstall:
        case Road::SilentInstall:
        case Road::SilentUninstall: return place::QuietTarget;
        case Road::Customise: return L"";
    }
    return L"";
}

void LayOut(Road road) {
    RemoveProduct();
    LaySentinels();
    if (road != Road::Upgrade && !IsUninstallRoad(road)) return;
    Take(road == Road::SharedUninstall ? Road::Shared : Road::Fresh, Program::Shipped, L"", e2e::WaitMs);
    // Settings changed in the client since: an upgrade keeps them, and never takes the older
    // release's in their place.
    e2e::WriteString(ReleaseKey, L"ServerDefault", L"orin.changed.example");
    e2e::WriteNumber(ReleaseKey, L"DefLang", 4);
}

Outcome Take(Road road, Program program, const std::wstring& plan, unsigned long timeoutMs) {
    SetPlan(program == Program::Faulty ? plan : L"");
    const std::wstring exe = program == Program::Faulty ? place::Faulty : place::Shipped;
    const wchar_t* arguments = L"";
    switch (road) {
        case Road::Fresh:
        case Road::Upgrade: arguments = L"/q"; break;
        case Road::Wizard:
        case Road::Shared: break;
        case Road::Uninstall:
        case Road::SharedUninstall: arguments = L"/uninstall"; break;
        case Road::Customise: arguments = L"/custom"; break;
        // The log goes to the temporary folder, which the sweep does not watch.
        case Road::SilentInstall: arguments = L"/silent"; break;
        case Road::SilentUninstall: arguments = L"/silent-uninstall"; break;
    }
    driver::Process p = e2e::Start(exe, arguments);
    SetPlan(L"");
    return WorkUntilExit(p, timeoutMs, TargetOf(road));
}

void ClearUp() {
    RemoveProduct();
    e2e::RemoveTree(L"C:\\Program Files\\Quenfield old");
    for (const Sentinel& s : SentinelFiles) DeleteFileW(s.path);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, MakerKey);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(UninstallList) + L"\\ORIN-6 old").c_str());
    e2e::RemoveTree(place::Root);
}

Outcome PlainUninstall() { return Take(Road::Uninstall, Program::Shipped, L"", e2e::WaitMs); }

}  // namespace sweep
