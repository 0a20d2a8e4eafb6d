// The uninstall mode of the real installer, started as the registered command starts it, over an
// installation the test lays out as the installer would have left it: tree, shortcut, keys.
// The link and drive-root cases use what uninstall_links.sh made from the Linux side.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <ostream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using e2e::WaitMs;
using namespace e2e::paths;
using namespace e2e::texts;

const wchar_t* const OlderReleaseKey = L"Software\\Quenfield\\Lexaris\\2.0\\20180101";
const wchar_t* const Links = L"C:\\qf-links";

// Every file and directory below dir, with each file's content; a directory link is listed,
// not entered.
std::vector<std::wstring> Listing(const std::wstring& dir) {
    std::vector<std::wstring> out;
    e2e::WalkFolder(dir, e2e::Walk::Tree, [&](const e2e::FolderEntry& entry) {
        if (entry.IsLink()) {
            out.push_back(entry.relative + L" -> link");
        } else if (entry.IsFolder()) {
            out.push_back(entry.relative + L"\\");
        } else {
            const std::vector<std::uint8_t> bytes = e2e::ReadAll(entry.path);
            out.push_back(entry.relative + L" = " + std::wstring(bytes.begin(), bytes.end()));
        }
        return true;
    });
    std::sort(out.begin(), out.end());
    return out;
}

bool WriteText(const std::wstring& path, const std::string& text) {
    return e2e::WriteAll(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// The registry as an installation into a folder of its own leaves it, with an older release
// beside this one.
void RegisterInstallation(const std::wstring& location) {
    ASSERT_TRUE(e2e::WriteNumber(OlderReleaseKey, L"DefLang", 3));
    ASSERT_TRUE(e2e::WriteNumber(ReleaseKey, L"DefLang", 3));
    ASSERT_TRUE(e2e::CreateKey(ServersKey));
    ASSERT_TRUE(e2e::WriteString(UninstallKey, L"DisplayName", DisplayName));
    ASSERT_TRUE(e2e::WriteString(UninstallKey, L"DisplayIcon", location + L"\\qfmgr.exe"));
    ASSERT_TRUE(e2e::WriteString(UninstallKey, L"UninstallString", L"\"" + location + L"\\qfsetup.exe\" /uninstall"));
    ASSERT_TRUE(e2e::WriteString(UninstallKey, L"InstallLocation", location));
    ASSERT_TRUE(e2e::WriteNumber(UninstallKey, L"SharedFolder", 0));
}

// Runs "<exe> /uninstall" to its end, answering the administrator warning with rightsAnswer
// and every other message box with OK.
std::vector<driver::MsgBox> Uninstall(const wchar_t* exe = L"qfsetup.exe", int rightsAnswer = IDNO) {
    driver::Process p = e2e::Start(e2e::Built(exe), L"/uninstall");
    return e2e::AnswerBoxesUntilExit(
        p, WaitMs, [&](const driver::MsgBox& box) { return box.caption == AdminRightsCaption ? rightsAnswer : IDOK; });
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(name, value, MAX_PATH);
    return value;
}

void ExpectCompletionBox(const std::vector<driver::MsgBox>& boxes) {
    ASSERT_EQ(boxes.size(), 1u);
    e2e::ExpectBox(boxes[0], UninstallCompleteCaption, UninstallCompleteMessage, driver::MsgBox::Warning, nullptr);
}

// What stays of the registry after a complete uninstall.
void ExpectFamilyKept() {
    EXPECT_TRUE(e2e::KeyExists(MakerKey));
    EXPECT_TRUE(e2e::KeyExists(LexarisKey));
    EXPECT_TRUE(e2e::KeyExists(FamilyKey));
    EXPECT_TRUE(e2e::KeyExists(ServersKey));
    EXPECT_EQ(e2e::ReadNumber(OlderReleaseKey, L"DefLang"), 3u);
}

// What a complete uninstall leaves: no tree, no shortcut, no registration, the family kept.
void ExpectUninstalled(const std::wstring& install) {
    EXPECT_FALSE(e2e::Exists(install));
    EXPECT_FALSE(e2e::Exists(Shortcut));
    EXPECT_FALSE(e2e::KeyExists(ReleaseKey));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    ExpectFamilyKept();
}

void ExpectRegistryUntouched() {
    ExpectFamilyKept();
    EXPECT_TRUE(e2e::KeyExists(ReleaseKey));
    EXPECT_TRUE(e2e::KeyExists(UninstallKey));
}

class UninstallMode : public testing::Test {
protected:
    void SetUp() override {
        e2e::ResetRegistry();
        const std::wstring scratch = e2e::ScratchDir(L"uninstall");
        install = scratch + L"\\ORIN-6";
        sibling = scratch + L"\\ORIN-6 old";
        for (const std::wstring& dir : {install + L"\\docs\\guide", sibling + L"\\data"})
            ASSERT_TRUE(e2e::MakeDirs(dir));
        for (const wchar_t* file : {L"qfsetup.exe", L"qfmgr.exe", L".settings", L"docs\\index.html",
                                    L"docs\\guide\\a.html", L"docs\\guide\\b.html"})
            ASSERT_TRUE(WriteText(install + L"\\" + file, "installed"));
        ASSERT_TRUE(WriteText(sibling + L"\\qfmgr.exe", "older client"));
        ASSERT_TRUE(WriteText(sibling + L"\\data\\settings.ini", "older settings"));
        siblingBefore = Listing(sibling);
        ASSERT_TRUE(e2e::MakeDirs(Desktop));
        ASSERT_TRUE(WriteText(Shortcut, "shortcut"));
        RegisterInstallation(install);
    }

    std::wstring install;
    std::wstring sibling;
    std::vector<std::wstring> siblingBefore;
};

TEST_F(UninstallMode, RemovesTheInstallationAndKeepsTheFamilyKeys) {
    ExpectCompletionBox(Uninstall());
    ExpectUninstalled(install);
    EXPECT_EQ(Listing(sibling), siblingBefore);
}

// Nothing is left to remove (the folder went by hand, or an uninstall stopped after taking it):
// the rest goes, or the registration could never be removed at all.
TEST_F(UninstallMode, AMissingInstallationDirectoryIsAnUninstallWithNothingLeftToRemove) {
    e2e::RemoveTree(install);
    ExpectCompletionBox(Uninstall());
    ExpectUninstalled(install);
    EXPECT_EQ(Listing(sibling), siblingBefore);
}

TEST_F(UninstallMode, DirectoriesWithALeadingDotStayWithTheirContentAndTheirParents) {
    ASSERT_TRUE(e2e::MakeDirs(install + L"\\docs\\.cache\\deep"));
    ASSERT_TRUE(WriteText(install + L"\\docs\\.cache\\deep\\x.bin", "cached"));
    ExpectCompletionBox(Uninstall());
    EXPECT_EQ(Listing(install), (std::vector<std::wstring>{L"docs\\", L"docs\\.cache\\", L"docs\\.cache\\deep\\",
                                                           L"docs\\.cache\\deep\\x.bin = cached"}));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
}

// What cannot be removed stays with its directories, and the uninstall stops before the
// shortcut and the keys, without a word: run again once the cause is gone, it finishes. It
// never deletes the keys or says "Uninstall Complete" over files it has left behind.
TEST_F(UninstallMode, WhatCannotBeRemovedKeepsTheRegistrationUntilItCan) {
    const std::wstring stuck = install + L"\\docs\\guide\\b.html";
    struct Cause {
        const char* name;
        bool readOnly;  // else held open by this test, with no sharing
    };
    for (const Cause cause : {Cause{"read-only", true}, Cause{"held open", false}}) {
        SCOPED_TRACE(cause.name);
        SetUp();
        if (HasFatalFailure()) return;
        HANDLE held = INVALID_HANDLE_VALUE;
        if (cause.readOnly) ASSERT_TRUE(SetFileAttributesW(stuck.c_str(), FILE_ATTRIBUTE_READONLY));
        else held = CreateFileW(stuck.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(cause.readOnly || held != INVALID_HANDLE_VALUE);

        EXPECT_TRUE(Uninstall().empty());
        EXPECT_TRUE(e2e::Exists(Shortcut));
        ExpectRegistryUntouched();

        if (cause.readOnly) SetFileAttributesW(stuck.c_str(), FILE_ATTRIBUTE_NORMAL);
        else CloseHandle(held);
        // The uninstaller stays with what stays, so that the registered command can finish.
        EXPECT_EQ(Listing(install),
                  (std::vector<std::wstring>{L"docs\\", L"docs\\guide\\", L"docs\\guide\\b.html = installed",
                                             L"qfsetup.exe = installed"}));
        ExpectCompletionBox(Uninstall());
        ExpectUninstalled(install);
    }
}

// The folder goes whole only with proof that it is the installation's alone: the mark as this
// release writes it (REG_DWORD 0) and this product's uninstaller in it. Without either, only
// what the installer wrote goes (the archive's files, the uninstaller, folders left empty), and
// the uninstall completes: the folder's other files stay, and so does the folder.
TEST_F(UninstallMode, WithoutProofOnlyWhatTheInstallerWroteGoes) {
    struct Case {
        const char* name;
        enum { NoMark, TextMark, Mark } mark;
        DWORD number;  // of a REG_DWORD mark
        bool removeUninstaller;
        bool registeredElsewhere;  // the registration starts the sibling's program
    };
    const Case cases[] = {
        {"no mark: an older release's registration, or a cleaner", Case::NoMark, 0, false, false},
        {"the mark rewritten as text", Case::TextMark, 0, false, false},
        {"the mark says shared", Case::Mark, 1, false, false},
        {"the mark of another value", Case::Mark, 7, false, false},
        {"no uninstaller there", Case::Mark, 0, true, false},
        {"the registration starts another program", Case::Mark, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (HasFatalFailure()) return;
        if (c.mark == Case::NoMark)
            ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, UninstallKey, L"SharedFolder"), ERROR_SUCCESS);
        if (c.mark == Case::TextMark) ASSERT_TRUE(e2e::WriteString(UninstallKey, L"SharedFolder", L"0"));
        if (c.mark == Case::Mark) ASSERT_TRUE(e2e::WriteNumber(UninstallKey, L"SharedFolder", c.number));
        if (c.removeUninstaller) ASSERT_TRUE(DeleteFileW((install + L"\\qfsetup.exe").c_str()));
        if (c.registeredElsewhere)
            ASSERT_TRUE(
                e2e::WriteString(UninstallKey, L"UninstallString", L"\"" + sibling + L"\\qfmgr.exe\" /uninstall"));
        ExpectCompletionBox(Uninstall());
        EXPECT_EQ(Listing(install),
                  (std::vector<std::wstring>{L".settings = installed", L"docs\\", L"docs\\guide\\",
                                             L"docs\\guide\\a.html = installed", L"docs\\guide\\b.html = installed"}));
        EXPECT_EQ(Listing(sibling), siblingBefore);
        EXPECT_FALSE(e2e::Exists(Shortcut));
        EXPECT_FALSE(e2e::KeyExists(ReleaseKey));
        EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    }
}

// A thread's start: closes the handle it is given a second later. A function of its own, with
// the thread's calling convention (stdcall on i686, where a lambda would not convert).
DWORD WINAPI CloseAfterASecond(void* handle) {
    Sleep(1000);
    CloseHandle(static_cast<HANDLE>(handle));
    return 0;
}

// A drive, a disk or a share that is not there is not a folder that was removed: nothing goes,
// and the registration stays until it is back.
TEST_F(UninstallMode, AVolumeThatIsAwayKeepsTheRegistration) {
    ASSERT_EQ(GetFileAttributesW(L"Q:\\"), INVALID_FILE_ATTRIBUTES) << "drive Q: is mapped in this prefix";
    for (const wchar_t* location : {L"Q:\\ORIN-6", L"\\\\qf-no-such-host\\share\\ORIN-6"}) {
        SCOPED_TRACE(std::string(location, location + wcslen(location)));
        SetUp();
        if (HasFatalFailure()) return;
        RegisterInstallation(location);
        EXPECT_TRUE(Uninstall().empty());
        EXPECT_TRUE(e2e::Exists(Shortcut));
        ExpectRegistryUntouched();
        EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), location);
    }
}

// The uninstaller goes after the files, the shortcut and the release key: an uninstall stopped by
// a shortcut it cannot remove (held open here) keeps the uninstaller and the registration, in a
// folder the installation shared too, and the next run finishes.
TEST_F(UninstallMode, AStoppedUninstallKeepsItsUninstallerForTheNextRun) {
    const std::vector<std::wstring> others{L".settings = installed", L"docs\\", L"docs\\guide\\",
                                           L"docs\\guide\\a.html = installed", L"docs\\guide\\b.html = installed"};
    for (const DWORD mark : {0u, 1u}) {
        SCOPED_TRACE(mark == 0 ? "a folder of its own" : "a shared folder");
        SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(e2e::WriteNumber(UninstallKey, L"SharedFolder", mark));
        const HANDLE held = CreateFileW(Shortcut, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(Uninstall().empty());
        CloseHandle(held);
        std::vector<std::wstring> kept = mark == 0 ? std::vector<std::wstring>{} : others;
        kept.push_back(L"qfsetup.exe = installed");
        EXPECT_EQ(Listing(install), kept);
        ExpectRegistryUntouched();

        ExpectCompletionBox(Uninstall());
        EXPECT_EQ(Listing(install), mark == 0 ? std::vector<std::wstring>{} : others);
        EXPECT_EQ(e2e::Exists(install), mark != 0);
        EXPECT_FALSE(e2e::Exists(Shortcut));
        EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    }
}

// Names that end in a dot or a blank, which no plain path reaches (any program can write them
// through the \\?\ form), go by their exact names.
TEST_F(UninstallMode, NamesEndingInADotOrABlankGo) {
    const std::wstring raw = L"\\\\?\\" + install;
    ASSERT_TRUE(CreateDirectoryW((raw + L"\\odd. ").c_str(), nullptr));
    for (const wchar_t* name : {L"\\trail.", L"\\trail ", L"\\odd. \\inner..", L"\\docs\\end "})
        ASSERT_TRUE(WriteText(raw + name, "odd")) << std::string(name, name + wcslen(name));
    ExpectCompletionBox(Uninstall());
    ExpectUninstalled(install);
}

// A virus scanner or an indexer that holds a file for a moment, just as the walk reaches it,
// does not stop the uninstall: the walk tries again for about two seconds before it counts the
// file as left (held for good, it stays, as above).
TEST_F(UninstallMode, AFileHeldForAMomentIsRemovedByTheFirstRun) {
    const std::wstring held = install + L"\\docs\\guide\\b.html";
    const HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const HANDLE closer = CreateThread(nullptr, 0, &CloseAfterASecond, file, 0, nullptr);
    ASSERT_NE(closer, nullptr);
    ExpectCompletionBox(Uninstall());
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    ExpectUninstalled(install);
}

// A folder another program holds open, sharing its deletion (a file manager's window on it),
// goes once that program lets go; its delete is decided, so the uninstall completes.
TEST_F(UninstallMode, AFolderWhoseDeleteIsPendingCountsAsRemoved) {
    const HANDLE window =
        CreateFileW(install.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(window, INVALID_HANDLE_VALUE);
    ExpectCompletionBox(Uninstall());
    CloseHandle(window);
    ExpectUninstalled(install);
}

// Windows takes a plain path of 259 characters at most; the uninstall reaches as deep as its
// 1,024-unit buffers hold. A branch deeper than that stays, and keeps the registration.
TEST_F(UninstallMode, ABranchIsRemovedAsDeepAsTheBuffersReach) {
    struct Depth {
        std::size_t below;  // characters of the branch below the installation directory
        bool removed;
    };
    for (const Depth depth : {Depth{300, true}, Depth{1100, false}}) {
        SCOPED_TRACE(depth.below);
        SetUp();
        if (HasFatalFailure()) return;
        const std::wstring top = L"\\\\?\\" + install;
        std::wstring branch = top;
        while (branch.size() < top.size() + depth.below) {
            branch += L"\\branch-of-a-deep-tree";
            ASSERT_TRUE(CreateDirectoryW(branch.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
                << branch.size();
        }
        ASSERT_TRUE(WriteText(branch + L"\\deep.txt", "deep"));

        const std::vector<driver::MsgBox> boxes = Uninstall();
        if (depth.removed) {
            ExpectCompletionBox(boxes);
            EXPECT_FALSE(e2e::Exists(install));
            EXPECT_FALSE(e2e::KeyExists(UninstallKey));
        } else {
            EXPECT_TRUE(boxes.empty());
            EXPECT_TRUE(e2e::Exists(branch + L"\\deep.txt"));
            EXPECT_FALSE(e2e::Exists(install + L"\\qfmgr.exe"));
            ExpectRegistryUntouched();
            // Taken down from the bottom, each path whole: no shell call goes that deep.
            DeleteFileW((branch + L"\\deep.txt").c_str());
            for (; branch.size() > top.size(); branch.resize(branch.rfind(L'\\'))) RemoveDirectoryW(branch.c_str());
        }
    }
}

// Started without the profile in its environment (by a service, say), the uninstall asks the
// system for the profile, and the shortcut beside it goes as well.
TEST_F(UninstallMode, WithoutTheProfileVariableTheShortcutStillGoes) {
    const std::wstring profile = Environment(L"USERPROFILE");
    ASSERT_TRUE(SetEnvironmentVariableW(L"USERPROFILE", nullptr));
    const auto boxes = Uninstall();
    SetEnvironmentVariableW(L"USERPROFILE", profile.c_str());
    ExpectCompletionBox(boxes);
    ExpectUninstalled(install);
}

TEST_F(UninstallMode, AMissingShortcutDoesNotStopIt) {
    ASSERT_TRUE(DeleteFileW(Shortcut));
    ExpectCompletionBox(Uninstall());
    EXPECT_FALSE(e2e::Exists(install));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
}

// The release's key already gone (by hand, or by an uninstall stopped before the registration
// went) is no reason to keep a registration that no later run could then remove.
TEST_F(UninstallMode, WithoutThisReleasesKeyTheUninstallStillCompletes) {
    ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, ReleaseKey), ERROR_SUCCESS);
    ExpectCompletionBox(Uninstall());
    ExpectUninstalled(install);
}

struct RegistryCase {
    const char* name;
    const wchar_t* missing;  // a key removed before the uninstall, or null
    // A key given a subkey of its own, or null: a key with subkeys cannot be deleted whole by a
    // plain delete, which is how a deletion is made to fail here (Wine's registry has no access
    // control).
    const wchar_t* holdsASubkey;
    bool completes;
};

void PrintTo(const RegistryCase& c, std::ostream* out) { *out << c.name; }

class RegistryState : public UninstallMode, public testing::WithParamInterface<RegistryCase> {};

// The family keys already gone, or the release key holding keys of the client's own, are no
// reason to keep a registration that no later run could remove. A registration that cannot be
// deleted stops the mode silently after everything else has gone, and the next run finishes.
TEST_P(RegistryState, CompletesOrStopsWithTheRegistrationKept) {
    const RegistryCase& c = GetParam();
    if (c.missing) ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, c.missing), ERROR_SUCCESS);
    const std::wstring subkey = c.holdsASubkey ? std::wstring(c.holdsASubkey) + L"\\kept" : L"";
    if (c.holdsASubkey) ASSERT_TRUE(e2e::WriteNumber(subkey.c_str(), L"Setting", 1));
    const std::vector<driver::MsgBox> boxes = Uninstall();
    EXPECT_FALSE(e2e::Exists(Shortcut));
    EXPECT_FALSE(e2e::KeyExists(ReleaseKey));
    EXPECT_EQ(Listing(sibling), siblingBefore);
    if (c.completes) {
        ExpectCompletionBox(boxes);
        EXPECT_FALSE(e2e::Exists(install));
        EXPECT_FALSE(e2e::KeyExists(UninstallKey));
        return;
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(e2e::Exists(install));
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), install);
    ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, subkey.c_str()), ERROR_SUCCESS);
    ExpectCompletionBox(Uninstall());
    ExpectUninstalled(install);
}

INSTANTIATE_TEST_SUITE_P(Keys, RegistryState,
                         testing::Values(RegistryCase{"NoLexarisKey", LexarisKey, nullptr, true},
                                         RegistryCase{"NoFamilyKey", FamilyKey, nullptr, true},
                                         RegistryCase{"ReleaseKeyWithKeysBelow", nullptr, ReleaseKey, true},
                                         RegistryCase{"UninstallKeyNotDeletable", nullptr, UninstallKey, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UninstallMode, WithoutRightsNoRemovesNothing) {
    const std::vector<driver::MsgBox> boxes = Uninstall(L"qfsetup-nonadmin.exe", IDNO);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, AdminRightsCaption);
    EXPECT_TRUE(e2e::Exists(install + L"\\docs\\guide\\a.html"));
    EXPECT_TRUE(e2e::Exists(Shortcut));
    ExpectRegistryUntouched();
}

TEST_F(UninstallMode, WithoutRightsYesUninstalls) {
    std::vector<driver::MsgBox> boxes = Uninstall(L"qfsetup-nonadmin.exe", IDYES);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, AdminRightsCaption);
    boxes.erase(boxes.begin());
    ExpectCompletionBox(boxes);
    EXPECT_FALSE(e2e::Exists(install));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
}

// --- What must never be removed ---------------------------------------------------------------

std::wstring Windir() {
    wchar_t windir[MAX_PATH] = {};
    GetEnvironmentVariableW(L"windir", windir, MAX_PATH);
    return windir;
}

// Another account and the Default profile as the machine's profile list names them (Wine's
// prefix lists only the running account): the other's path with a variable, as Windows writes
// it, and Default as a name below the profiles' folder, as older systems write it. And the 64-bit
// Program Files: the 32-bit prefix has no 64-bit view of the registry, so the folder the
// installer reads there (with KEY_WOW64_64KEY) is written into the one view there is, where
// 32-bit Windows reads it too.
const wchar_t* const ProfileListKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const wchar_t* const OtherAccountKey =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1001";
const wchar_t* const CurrentVersionKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const wchar_t* const OtherProfile = L"C:\\users\\qf-other";
const wchar_t* const ProgramFiles64 = L"C:\\qf-program-files-64";

// A value of the machine's as it was before a test, put back after it (deleted when there was
// none): the 64-bit road's prefix has ProgramW6432Dir of its own.
struct KeptValue {
    const wchar_t* key;
    const wchar_t* name;
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;

    void Save() {
        DWORD size = 0;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return;
        data.resize(size);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            data.clear();
    }
    void Restore() const {
        if (data.empty()) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, name);
        else RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, type, data.data(), static_cast<DWORD>(data.size()));
    }
};

class MachineFolders : public UninstallMode {
protected:
    void SetUp() override {
        for (KeptValue& value : kept) value.Save();
        UninstallMode::SetUp();
        ASSERT_FALSE(e2e::KeyExists(OtherAccountKey)) << "the prefix has an account of that name";
        madeAccount = true;
        ASSERT_TRUE(WriteExpandable(OtherAccountKey, L"ProfileImagePath", L"%SystemDrive%\\users\\qf-other"));
        ASSERT_TRUE(WriteExpandable(ProfileListKey, L"Default", L"Default"));
        ASSERT_TRUE(e2e::WriteString(CurrentVersionKey, L"ProgramW6432Dir", ProgramFiles64));
    }
    void TearDown() override {
        if (madeAccount) RegDeleteTreeW(HKEY_LOCAL_MACHINE, OtherAccountKey);
        for (const KeptValue& value : kept) value.Restore();
    }

    static bool WriteExpandable(const wchar_t* key, const wchar_t* value, const std::wstring& data) {
        return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, value, REG_EXPAND_SZ, data.c_str(),
                               static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    KeptValue kept[2] = {{ProfileListKey, L"Default"}, {CurrentVersionKey, L"ProgramW6432Dir"}};
    bool madeAccount = false;
};

class ProtectedLocation : public MachineFolders, public testing::WithParamInterface<const wchar_t*> {};

// Drive R: and the links come from uninstall_links.sh. Each protected folder gets a file of
// the test's own and one named as the uninstaller, which must survive with everything else. "%short%" is Program Files
// by its 8.3 name.
TEST_P(ProtectedLocation, IsRefusedBeforeAnythingIsRemoved) {
    std::wstring location = GetParam();
    // '+' first: a folder the prefix may lack, made here so that it has something to lose.
    const bool make = location[0] == L'+';
    if (make) location.erase(0, 1);
    if (location == L"%windir%") location = Windir();
    if (location.rfind(L"%USERPROFILE%", 0) == 0) location = Environment(L"USERPROFILE") + location.substr(13);
    if (make) ASSERT_TRUE(e2e::MakeDirs(location)) << location;
    if (location == L"%short%") {
        wchar_t shortName[MAX_PATH] = {};
        GetShortPathNameW(L"C:\\Program Files", shortName, MAX_PATH);
        location = shortName;
        ASSERT_NE(location, L"C:\\Program Files") << "no 8.3 name for Program Files";
    }
    ASSERT_TRUE(e2e::Exists(L"R:\\root.txt")) << "no drive R: (run through ctest: uninstall_links.sh)";
    std::vector<std::wstring> markers{Windir() + L"\\qf-marker.txt"};
    // With a file by the uninstaller's name beside it, only the judgement of the location itself
    // stands between the uninstall and the folder's files.
    if (GetFileAttributesW(location.c_str()) & FILE_ATTRIBUTE_DIRECTORY && e2e::Exists(location)) {
        markers.push_back(location + L"\\qf-marker.txt");
        if (!e2e::Exists(location + L"\\qfsetup.exe")) markers.push_back(location + L"\\qfsetup.exe");
    }
    for (const std::wstring& marker : markers) ASSERT_TRUE(WriteText(marker, "protected file"));
    const std::vector<std::wstring> driveBefore = Listing(L"R:\\");
    const std::vector<std::wstring> installBefore = Listing(install);
    RegisterInstallation(location);

    EXPECT_TRUE(Uninstall().empty());
    EXPECT_EQ(Listing(L"R:\\"), driveBefore);
    for (const std::wstring& marker : markers) EXPECT_TRUE(e2e::Exists(marker)) << marker;
    EXPECT_EQ(Listing(install), installBefore);
    EXPECT_TRUE(e2e::Exists(Shortcut));
    ExpectRegistryUntouched();
    for (const std::wstring& marker : markers) DeleteFileW(marker.c_str());
}

// Administrative shares and volume mount points cannot be made under Wine; the native table of
// removal_guard_test.cpp covers their text.
INSTANTIATE_TEST_SUITE_P(
    Locations, ProtectedLocation,
    testing::Values(L"R:\\", L"R:", L"r:/", L"\\\\?\\R:\\", L"R:\\sub\\..", L"C:\\qf-links\\to-r", L"%windir%",
                    L"C:\\WINDOWS\\", L"C:\\qf-links\\to-windows", L"C:\\windows\\system32", L"C:\\Program Files",
                    L"%short%", L"C:\\Program Files\\Quenfield\\..", L"C:\\ProgramData", L"C:\\users", L"%USERPROFILE%",
                    L"C:\\users\\Public\\Desktop", L"C:\\qf-links\\install\\docs\\outside-link",
                    // Below the Windows folder, and known folders beyond any
                    // hand-made list.
                    L"+C:\\windows\\inf", L"+C:\\windows\\help", L"+C:\\windows\\temp",
                    L"+C:\\windows\\system32\\drivers", L"+C:\\windows\\system32\\config", L"+%USERPROFILE%\\Favorites",
                    L"+%USERPROFILE%\\Links", L"+%USERPROFILE%\\Saved Games", L"+%USERPROFILE%\\AppData\\LocalLow",
                    L"+C:\\ProgramData\\Microsoft\\Windows", L"+C:\\users\\Public\\Music",
                    L"+C:\\users\\Public\\Pictures", L"+C:\\users\\All Users\\Desktop",
                    // Other accounts' profiles, and below them the folders the running account
                    // has below its own; the 64-bit Program Files (MachineFolders).
                    L"+C:\\users\\qf-other", L"+C:\\users\\qf-other\\Documents", L"+C:\\users\\qf-other\\AppData",
                    L"+C:\\users\\qf-other\\AppData\\Roaming", L"+C:\\users\\Default", L"+C:\\users\\Default\\Desktop",
                    L"+C:\\qf-program-files-64"));

// Protected folders are kept, not all that lies below them: a folder of its own below another
// account's profile, below its documents or below the 64-bit Program Files is an installation
// like any other.
TEST_F(MachineFolders, AFolderOfItsOwnBelowThemIsUninstalled) {
    for (const std::wstring parent :
         {std::wstring(OtherProfile), std::wstring(OtherProfile) + L"\\Documents", std::wstring(ProgramFiles64)}) {
        SCOPED_TRACE(parent);
        e2e::ResetRegistry();
        const std::wstring location = parent + L"\\ORIN-6";
        ASSERT_TRUE(e2e::MakeDirs(location));
        ASSERT_TRUE(WriteText(parent + L"\\kept.txt", "the account's own"));
        for (const wchar_t* file : {L"qfsetup.exe", L"qfmgr.exe"})
            ASSERT_TRUE(WriteText(location + L"\\" + file, "installed"));
        RegisterInstallation(location);

        ExpectCompletionBox(Uninstall());
        ExpectUninstalled(location);
        EXPECT_TRUE(e2e::Exists(parent + L"\\kept.txt"));
        DeleteFileW((parent + L"\\kept.txt").c_str());
    }
}

// Started with an environment of its own that lacks a variable another account's path is
// written with, the uninstall cannot tell where that profile lies, and removes nothing at all.
// Wine gives every process SystemDrive whatever its parent's environment holds, so a variable
// no environment here holds stands for it.
TEST_F(MachineFolders, AProfileWhosePathCannotBeExpandedLeavesNothingRemovable) {
    ASSERT_TRUE(WriteExpandable(OtherAccountKey, L"ProfileImagePath", L"%QF_UNSET_DRIVE%\\users\\qf-other"));
    EXPECT_TRUE(Uninstall().empty());
    EXPECT_TRUE(e2e::Exists(install + L"\\qfmgr.exe"));
    ExpectRegistryUntouched();
}

TEST(UninstallLinks, LinksInsideTheTreeAreNotFollowedAndTheirTargetsKeepEveryFile) {
    const std::wstring install = std::wstring(Links) + L"\\install";
    ASSERT_TRUE(e2e::Exists(install + L"\\docs\\a.html")) << "no link fixture (run through ctest: uninstall_links.sh)";
    e2e::ResetRegistry();
    ASSERT_TRUE(e2e::MakeDirs(Desktop));
    RegisterInstallation(install);
    const std::wstring outside = std::wstring(Links) + L"\\outside";
    const std::wstring sibling = std::wstring(Links) + L"\\install-old";
    const std::vector<std::wstring> outsideBefore = Listing(outside);
    const std::vector<std::wstring> siblingBefore = Listing(sibling);
    ASSERT_EQ(outsideBefore.size(), 3u);

    // Wine names a Unix link by its target and takes a delete through it to the target, so no
    // link can be removed as itself here: each stays, with the folders that hold it, its target
    // untouched, and the rest of the installation goes. (Windows opens a junction or symbolic
    // link as itself, and removes the link alone.)
    ExpectCompletionBox(Uninstall());
    EXPECT_EQ(Listing(install), (std::vector<std::wstring>{L"docs\\", L"docs\\outside-link -> link",
                                                           L"empty-link -> link", L"file-link = kept file\n"}));
    EXPECT_EQ(Listing(outside), outsideBefore);
    EXPECT_EQ(Listing(sibling), siblingBefore);
    EXPECT_EQ(e2e::ReadAll(std::wstring(Links) + L"\\outside-file.txt"),
              (std::vector<std::uint8_t>{'k', 'e', 'p', 't', ' ', 'f', 'i', 'l', 'e', '\n'}));
    EXPECT_TRUE(e2e::Exists(std::wstring(Links) + L"\\empty-outside"));
    EXPECT_FALSE(e2e::KeyExists(ReleaseKey));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
}

// While the uninstall waits to try a held file again, someone who may write in the
// installation folder swaps the folder above it for one whose subfolder of the same name is a
// link elsewhere. The retry opens the file again below the folder it holds open, which is
// still the installation's own, never by its path: the file the link leads to keeps its bytes.
TEST(UninstallLinks, AFolderSwappedDuringARetryNeverLeadsTheDeleteElsewhere) {
    const std::wstring swapIn = std::wstring(Links) + L"\\swap-in\\docs";
    const std::wstring outside = std::wstring(Links) + L"\\swap-outside\\b.html";
    ASSERT_TRUE(e2e::Exists(outside)) << "no link fixture (run through ctest: uninstall_links.sh)";
    const std::vector<std::uint8_t> outsideBefore = e2e::ReadAll(outside);
    e2e::ResetRegistry();
    ASSERT_TRUE(e2e::MakeDirs(Desktop));
    const std::wstring install = e2e::ScratchDir(L"uninstall-swap") + L"\\ORIN-6";
    ASSERT_TRUE(e2e::MakeDirs(install + L"\\docs\\guide"));
    for (const wchar_t* file : {L"\\qfsetup.exe", L"\\qfmgr.exe", L"\\docs\\guide\\b.html"})
        ASSERT_TRUE(WriteText(install + file, "installed"));
    RegisterInstallation(install);

    const HANDLE paused = CreateEventW(nullptr, TRUE, FALSE, L"Local\\qf-retry-paused");
    const HANDLE goOn = CreateEventW(nullptr, TRUE, FALSE, L"Local\\qf-retry-go-on");
    ASSERT_TRUE(paused && goOn);
    const HANDLE held =
        CreateFileW((install + L"\\docs\\guide\\b.html").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup-pause.exe"), L"/uninstall");
    const bool pausedInTime = WaitForSingleObject(paused, WaitMs) == WAIT_OBJECT_0;
    CloseHandle(held);
    const bool swapped = pausedInTime && MoveFileW((install + L"\\docs").c_str(), (install + L"\\docs-old").c_str()) &&
                         MoveFileW(swapIn.c_str(), (install + L"\\docs").c_str());
    SetEvent(goOn);
    const std::vector<driver::MsgBox> boxes = e2e::AnswerBoxesUntilExit(p, WaitMs);
    CloseHandle(paused);
    CloseHandle(goOn);
    ASSERT_TRUE(pausedInTime) << "the uninstall never paused to try again";
    ASSERT_TRUE(swapped);

    // What was swapped in is not the installation's and stays, link and all. (Wine keeps the
    // name a handle was opened by when a folder above it is renamed, so the file in the folder
    // the walk holds, now docs-old, no longer reads as itself there and stays as well.)
    EXPECT_EQ(e2e::ReadAll(outside), outsideBefore);
    EXPECT_TRUE(e2e::Exists(install + L"\\docs\\guide\\b.html"));
    EXPECT_LE(boxes.size(), 1u);
}

// The shortcut goes as the link file itself, never its target; Wine cannot delete a Unix link
// so, and leaves it. The uninstall finds the desktop beside the user's profile, so a profile
// of the fixture's leads it to the fixture's desktop.
TEST(UninstallLinks, AShortcutThatIsALinkNeverTakesItsTarget) {
    const std::wstring target = std::wstring(Links) + L"\\victim\\shortcut-target.lnk";
    ASSERT_TRUE(e2e::Exists(target)) << "no link fixture (run through ctest: uninstall_links.sh)";
    e2e::ResetRegistry();
    const std::wstring profile = Environment(L"USERPROFILE");
    ASSERT_TRUE(SetEnvironmentVariableW(L"USERPROFILE", (std::wstring(Links) + L"\\profiles\\me").c_str()));
    const std::wstring install = e2e::ScratchDir(L"uninstall-shortcut") + L"\\ORIN-6";
    ASSERT_TRUE(e2e::MakeDirs(install));
    ASSERT_TRUE(WriteText(install + L"\\qfmgr.exe", "installed"));
    ASSERT_TRUE(WriteText(install + L"\\qfsetup.exe", "installed"));
    RegisterInstallation(install);

    Uninstall();
    SetEnvironmentVariableW(L"USERPROFILE", profile.c_str());
    EXPECT_EQ(e2e::ReadAll(target), (std::vector<std::uint8_t>{'v', 'i', 'c', 't', 'i', 'm', ' ', 's', 'h', 'o', 'r',
                                                               't', 'c', 'u', 't', '\n'}));
    EXPECT_FALSE(e2e::Exists(install));
}

}  // namespace
