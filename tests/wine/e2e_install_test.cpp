// The whole install road with the real installer: the wizard and its pages' controls, Cancel,
// quiet install, the checks of the directory text, the uninstaller copy (of a signed installer
// too), the newer-release guard, upgrades and the status line that tells them, the round trip
// through the registered uninstall command, and the failures of the directory, the uninstaller
// copy and the registration.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "e2e_support.h"
#include "pages/page_layout.h"

namespace {

using e2e::WaitMs;
using namespace e2e::paths;
using namespace e2e::texts;

// Each case starts from a machine without the product.
class Install : public testing::Test {
protected:
    void SetUp() override {
        e2e::ResetRegistry();
        e2e::RemoveTree(DefaultInstallDir);
        e2e::RemoveTree(Shortcut);
        e2e::RemoveTree(CommonShortcut);
        e2e::MakeDirs(Desktop);
        dist = e2e::ScratchDir(L"dist");
        installer = dist + L"\\qfsetup.exe";
        ASSERT_TRUE(e2e::CopyTo(e2e::Built(L"qfsetup.exe"), installer));
        target = e2e::ScratchDir(L"target") + L"\\ORIN-6";
    }

    // Every message box until the program ends, answered with its first button; their captions
    // in order.
    std::vector<std::wstring> CaptionsUntilExit(driver::Process& p, std::vector<driver::MsgBox>* boxes = nullptr) {
        const std::vector<driver::MsgBox> shown = e2e::AnswerBoxesUntilExit(p, 60000);
        if (boxes) boxes->insert(boxes->end(), shown.begin(), shown.end());
        std::vector<std::wstring> captions;
        for (const driver::MsgBox& box : shown) captions.push_back(box.caption);
        return captions;
    }

    // The wizard up to the installation page.
    HWND OpenLocationPage(driver::Process& p) {
        const HWND licence = driver::WaitWindow(p, LicenceBoxClass, nullptr, WaitMs);
        if (!licence) return nullptr;
        const HWND accept = driver::Child(licence, qf::AcceptBoxId);
        driver::Click(accept);
        driver::WaitUntil([&] { return driver::CheckState(accept) == BST_CHECKED; }, WaitMs);
        driver::Click(driver::Child(licence, qf::ForwardId));
        return driver::WaitWindow(p, LocationBoxClass, nullptr, WaitMs);
    }

    // Through the wizard into directory, then every box to the end, as CaptionsUntilExit.
    std::vector<std::wstring> InstallInto(driver::Process& p, const std::wstring& directory,
                                          std::vector<driver::MsgBox>* boxes = nullptr) {
        const HWND page = OpenLocationPage(p);
        EXPECT_NE(page, nullptr);
        if (!page) return {};
        driver::SetText(driver::Child(page, qf::TextControlId), directory);
        driver::Click(driver::Child(page, qf::ForwardId));
        return CaptionsUntilExit(p, boxes);
    }

    std::wstring dist, installer, target;
};

// The names in a folder.
std::vector<std::string> FolderNames(const std::wstring& dir) {
    std::vector<std::string> names;
    e2e::WalkFolder(dir, e2e::Walk::Folder, [&](const e2e::FolderEntry& entry) {
        names.emplace_back(entry.relative.begin(), entry.relative.end());
        return true;
    });
    return names;
}

// Bytes of every file below a folder.
std::uint64_t BytesBelow(const std::wstring& dir) {
    std::uint64_t bytes = 0;
    e2e::WalkFolder(dir, e2e::Walk::Tree, [&](const e2e::FolderEntry& entry) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!entry.IsFolder() && GetFileAttributesExW(entry.path.c_str(), GetFileExInfoStandard, &data))
            bytes += static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        return true;
    });
    return bytes;
}

std::size_t LicenceLines() {
    const auto text = e2e::ReadAll(e2e::LicenceFile());
    std::size_t lines = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) lines += text[i] == '\r' && text[i + 1] == '\n';
    return lines;
}

TEST_F(Install, TheWizardInstallsEverything) {
    const std::wstring dayBefore = e2e::LocalDate();
    driver::Process p = e2e::Start(installer, L"");
    const HWND licence = driver::WaitWindow(p, LicenceBoxClass, InstallerTitle, WaitMs);
    ASSERT_NE(licence, nullptr);
    const RECT licenceRect = driver::WindowRect(licence);
    EXPECT_EQ(driver::ListCount(driver::Child(licence, qf::TextControlId, L"ListBox")),
              static_cast<int>(LicenceLines()));

    // Next without the box: the message, with Next disabled while it shows.
    const HWND next = driver::Child(licence, qf::ForwardId);
    driver::Click(next);
    driver::MsgBox box;
    ASSERT_TRUE(driver::WaitMessageBox(p, box, WaitMs));
    e2e::ExpectBox(box, LicenceCaption, LicenceMessage, driver::MsgBox::Question, licence);
    EXPECT_FALSE(driver::IsEnabled(next));
    driver::Answer(box, IDOK);
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::IsEnabled(next); }, WaitMs));

    const HWND location = OpenLocationPage(p);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(driver::TextOf(location), InstallerTitle);
    const RECT locationRect = driver::WindowRect(location);
    EXPECT_TRUE(EqualRect(&licenceRect, &locationRect));
    EXPECT_FALSE(IsWindow(licence));
    EXPECT_EQ(driver::TextOf(driver::Child(location, qf::TextControlId)), DefaultInstallDirText);

    driver::SetText(driver::Child(location, qf::TextControlId), target);
    driver::Click(driver::Child(location, qf::ForwardId));
    ASSERT_TRUE(driver::WaitMessageBox(p, box, 60000));
    e2e::ExpectBox(box, InstallationCompleteCaption, InstallationCompleteMessage, driver::MsgBox::Warning, location);
    driver::Answer(box, IDOK);
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);

    EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), target), L"");
    EXPECT_EQ(e2e::ReadAll(target + L"\\qfsetup.exe"), e2e::ReadAll(installer));
    EXPECT_FALSE(e2e::Exists(target + L"\\qfsetup.tmp"));
    EXPECT_TRUE(e2e::Exists(Shortcut));
    EXPECT_TRUE(e2e::KeyExists(ReleaseKey));
    EXPECT_TRUE(e2e::KeyExists(ServersKey));
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"DisplayName"), DisplayName);
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"DisplayIcon"), target + L"\\qfmgr.exe");
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"UninstallString"), L"\"" + target + L"\\qfsetup.exe\" /uninstall");
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), target);
    // What Apps & features and the deployment tools read, each of its type; the size is what the
    // folder holds now, counted before any of it was written.
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"DisplayVersion"), DisplayVersion);
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"Publisher"), Publisher);
    EXPECT_EQ(e2e::ReadNumber(UninstallKey, L"EstimatedSize"), (BytesBelow(target) + 1023) / 1024);
    const auto date = e2e::ReadString(UninstallKey, L"InstallDate");
    EXPECT_TRUE(date == dayBefore || date == e2e::LocalDate()) << (date ? std::string(date->begin(), date->end()) : "");
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"URLInfoAbout"), ReleasePage);
    EXPECT_EQ(e2e::ReadNumber(UninstallKey, L"NoModify"), 1u);
    EXPECT_EQ(e2e::ReadNumber(UninstallKey, L"NoRepair"), 1u);
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"QuietUninstallString"),
              L"\"" + target + L"\\qfsetup.exe\" /silent-uninstall");
}

TEST_F(Install, QuietInstallAsksNothingAndSaysNothing) {
    for (const wchar_t* quiet : {L"/q", L"/quiet"}) {
        SCOPED_TRACE(testing::Message() << (quiet[2] ? "/quiet" : "/q"));
        e2e::ResetRegistry();
        e2e::RemoveTree(DefaultInstallDir);
        driver::Process p = e2e::Start(installer, quiet);
        EXPECT_EQ(driver::WaitExit(p, 60000), 0) << "waited for someone";
        EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), DefaultInstallDir), L"");
        EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), DefaultInstallDir);
    }
}

// The uninstaller is the installer byte for byte, so a signed installer's stays signed.
TEST_F(Install, ASignedInstallerLeavesItselfUnchangedAsTheUninstaller) {
    ASSERT_TRUE(e2e::CopyTo(e2e::Built(L"qfsetup-signed.exe"), installer));
    driver::Process p = e2e::Start(installer, L"/q");
    EXPECT_EQ(driver::WaitExit(p, 60000), 0) << "waited for someone";
    EXPECT_EQ(e2e::ReadAll(std::wstring(DefaultInstallDir) + L"\\qfsetup.exe"), e2e::ReadAll(installer));
}

TEST_F(Install, QuietInstallStillShowsEveryFailure) {
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup-corrupt.exe"), L"/q");
    std::vector<driver::MsgBox> boxes;
    EXPECT_EQ(CaptionsUntilExit(p, &boxes),
              (std::vector<std::wstring>{CorruptedArchiveCaption, InstallationErrorsCaption}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, CorruptedArchiveMessage);
    EXPECT_EQ(boxes[1].text, InstallationErrorsMessage);
    EXPECT_EQ(boxes[1].icon, driver::MsgBox::Error);
    // Nothing is written before the archive is known to be whole.
    EXPECT_FALSE(e2e::Exists(DefaultInstallDir));
    EXPECT_FALSE(e2e::KeyExists(MakerKey));
}

TEST_F(Install, AnEmptyPayloadGoesStraightToCompletion) {
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup-empty.exe"), L"");
    EXPECT_EQ(InstallInto(p, target), std::vector<std::wstring>{InstallationCompleteCaption});
    EXPECT_TRUE(e2e::KeyExists(ReleaseKey));
}

TEST_F(Install, TheDirectoryTextIsChecked) {
    // Another account, as the machine's profile list names it (Wine's lists only the running one).
    const wchar_t* const otherAccount =
        L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1001";
    ASSERT_TRUE(e2e::WriteString(otherAccount, L"ProfileImagePath", L"C:\\users\\qf-other"));
    driver::Process p = e2e::Start(installer, L"");
    const HWND page = OpenLocationPage(p);
    ASSERT_NE(page, nullptr);
    const HWND edit = driver::Child(page, qf::TextControlId);
    const HWND install = driver::Child(page, qf::ForwardId);
    struct Refusal {
        const wchar_t* entry;
        const wchar_t* text;
    };
    const wchar_t* const system = SystemDirectoryMessage;
    wchar_t shortName[MAX_PATH] = {};
    GetShortPathNameW(L"C:\\Program Files", shortName, MAX_PATH);
    // What the uninstall would refuse to remove, the page refuses to install into: the system
    // and known folders by any spelling, what holds them, another account's folders and a
    // directory that is a link (C:\qf-links\to-r, from uninstall_links.sh).
    for (const Refusal& r :
         {Refusal{L"", BlankDirectoryMessage}, Refusal{L"c:\\windows\\", system},
          Refusal{L"C:\\windows\\system32", system}, Refusal{L"C:\\Program Files", system}, Refusal{shortName, system},
          Refusal{L"C:\\Program Files\\Quenfield\\..", system}, Refusal{L"C:\\ProgramData\\", system},
          Refusal{L"C:\\users", system}, Refusal{L"C:\\users\\Public\\Desktop", system}, Refusal{L"C:\\", system},
          Refusal{L"C:\\windows\\inf", system}, Refusal{L"C:\\windows\\system32\\drivers", system},
          Refusal{L"C:\\users\\Public\\Music", system}, Refusal{L"C:\\ProgramData\\Microsoft\\Windows", system},
          Refusal{L"C:\\users\\qf-other\\AppData\\Roaming", system}, Refusal{L"C:\\qf-links\\to-r", system}}) {
        SCOPED_TRACE(r.entry);
        driver::SetText(edit, r.entry);
        driver::Click(install);
        driver::MsgBox box;
        ASSERT_TRUE(driver::WaitMessageBox(p, box, WaitMs));
        EXPECT_EQ(box.caption, InvalidPathCaption);
        EXPECT_EQ(box.text, r.text);
        EXPECT_EQ(box.icon, driver::MsgBox::Error);
        driver::Answer(box, IDOK);
        EXPECT_TRUE(driver::WaitUntil([&] { return driver::IsEnabled(install); }, WaitMs)) << "page usable again";
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, otherAccount);
    // One trailing separator goes; files and registry see the directory without it.
    driver::SetText(edit, target + L"/");
    driver::Click(install);
    EXPECT_EQ(CaptionsUntilExit(p), std::vector<std::wstring>{InstallationCompleteCaption});
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), target);
    EXPECT_TRUE(e2e::Exists(target + L"\\qfmgr.exe"));
}

struct UncreatableCase {
    const char* name;
    const wchar_t* entry;  // below the scratch folder when it does not begin with a separator
};

void PrintTo(const UncreatableCase& c, std::ostream* out) { *out << c.name; }

class UncreatableDirectory : public Install, public testing::WithParamInterface<UncreatableCase> {};

// A directory that cannot be created ends the installation with the directory message before
// the registry is written, whatever the reason: a lone separator leaves no name, and a name
// Windows refuses fails with a code of its own.
TEST_P(UncreatableDirectory, EndsWithTheDirectoryMessageBeforeTheRegistry) {
    const std::wstring parent = e2e::ScratchDir(L"uncreatable");
    const std::wstring entry = GetParam().entry[0] == L'\\' ? GetParam().entry : parent + L"\\" + GetParam().entry;
    driver::Process p = e2e::Start(installer, L"");
    std::vector<driver::MsgBox> boxes;
    const HWND page = OpenLocationPage(p);
    ASSERT_NE(page, nullptr);
    driver::SetText(driver::Child(page, qf::TextControlId), entry);
    driver::Click(driver::Child(page, qf::ForwardId));
    EXPECT_EQ(CaptionsUntilExit(p, &boxes),
              (std::vector<std::wstring>{InstallationErrorCaption, InstallationErrorsCaption}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, DirectoryNotCreatedMessage);
    EXPECT_EQ(boxes[0].icon, driver::MsgBox::None);
    EXPECT_EQ(boxes[0].owner, page);
    EXPECT_EQ(boxes[1].text, InstallationErrorsMessage);
    EXPECT_FALSE(e2e::KeyExists(MakerKey));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    EXPECT_TRUE(FolderNames(parent).empty()) << "written: " << FolderNames(parent).front();
}

INSTANTIATE_TEST_SUITE_P(Entries, UncreatableDirectory,
                         testing::Values(UncreatableCase{"ALoneSeparator", L"\\"},
                                         UncreatableCase{"AReservedCharacter", L"a<b"},
                                         UncreatableCase{"AControlCharacter", L"a\x01b"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The uninstaller is the program's own file as the system names it, however the program was
// started: by its quoted or unquoted path, by a bare name found through PATH, or by a path
// relative to the current directory.
TEST_F(Install, TheUninstallerIsCopiedHoweverTheProgramWasStarted) {
    struct Case {
        const char* name;
        std::wstring commandLine;
        std::wstring workDir;
    };
    const std::wstring elsewhere = e2e::ScratchDir(L"elsewhere");
    const std::wstring distName = dist.substr(dist.find_last_of(L'\\') + 1);
    const Case cases[] = {
        {"quoted", L"\"" + installer + L"\" /nocheck", L""},
        {"unquoted", installer + L" /nocheck", dist},
        {"by a bare name through PATH", L"qfsetup.exe /nocheck", elsewhere},
        {"by a relative path", L"..\\" + distName + L"\\qfsetup.exe /nocheck", elsewhere},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        e2e::ResetRegistry();
        e2e::RemoveTree(target);
        driver::Process p = e2e::StartRaw(c.commandLine, c.workDir, installer);
        EXPECT_EQ(InstallInto(p, target), std::vector<std::wstring>{InstallationCompleteCaption});
        EXPECT_EQ(e2e::ReadAll(target + L"\\qfsetup.exe"), e2e::ReadAll(installer));
    }
}

// What is typed is made a full path by the system's own rules before it is judged, created and
// registered: the folder registered is the folder the file system made, and its uninstall
// finishes.
TEST_F(Install, ATypedDirectoryIsRegisteredAsTheFileSystemMakesIt) {
    const std::wstring base = e2e::ScratchDir(L"typed");
    const std::wstring made = base + L"\\Quenfield";
    for (const std::wstring& typed :
         {made + L".", made + L". . ", base + L"\\sub\\..\\Quenfield", base + L"//Quenfield\\"}) {
        SCOPED_TRACE(std::string(typed.begin(), typed.end()));
        e2e::ResetRegistry();
        e2e::RemoveTree(made);
        driver::Process p = e2e::Start(installer, L"");
        ASSERT_EQ(InstallInto(p, typed), std::vector<std::wstring>{InstallationCompleteCaption});
        EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), made);
        EXPECT_EQ(e2e::ReadString(UninstallKey, L"UninstallString"), L"\"" + made + L"\\qfsetup.exe\" /uninstall");
        driver::Process u = e2e::Start(e2e::Built(L"qfsetup.exe"), L"/uninstall");
        EXPECT_EQ(CaptionsUntilExit(u), std::vector<std::wstring>{UninstallCompleteCaption});
        EXPECT_FALSE(e2e::Exists(made));
        EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    }
}

// An upgrade whose uninstaller copy fails leaves the one the uninstall registration names
// whole, and no temporary file: on a full drive, the new copy stops half way (T: is a 256 KiB
// tmpfs, full_disk_drive.sh); over one in use (held here as a running program holds its file),
// it is refused with the message that writing in place gave.
TEST_F(Install, AFailedUninstallerCopyLeavesThePreviousOneWhole) {
    struct Case {
        const char* name;
        bool fullDisk;  // else the previous uninstaller is in use
        const wchar_t* caption;
        const wchar_t* text;  // followed by the uninstaller's path when it ends in a blank
    };
    const std::vector<std::uint8_t> previous(4096, 'p');
    bool skipped = false;
    for (const Case c : {Case{"full disk", true, InstallationNotCompleteCaption, UninstallerWriteMessage},
                         Case{"in use", false, ErrorOpeningFileCaption, UninstallerOpenPrefix}}) {
        SCOPED_TRACE(c.name);
        ULARGE_INTEGER free{};
        if (c.fullDisk && !GetDiskFreeSpaceExW(L"T:\\", &free, nullptr, nullptr)) {
            skipped = true;  // no small drive T: (full_disk_drive.sh could not mount one)
            continue;
        }
        const std::wstring dir = c.fullDisk ? L"T:\\ORIN-6" : target;
        const std::wstring uninstaller = dir + L"\\qfsetup.exe";
        const std::wstring filler = L"T:\\filler.bin";
        // The drive is the tests' own; whatever an earlier test left there goes.
        if (c.fullDisk) e2e::EmptySmallDrive();
        ASSERT_TRUE(e2e::MakeDirs(dir));
        ASSERT_TRUE(e2e::WriteAll(uninstaller, previous));
        if (c.fullDisk) {
            ASSERT_TRUE(GetDiskFreeSpaceExW(L"T:\\", &free, nullptr, nullptr));
            const std::size_t half = e2e::ReadAll(installer).size() / 2;
            ASSERT_TRUE(
                e2e::WriteAll(filler, std::vector<std::uint8_t>(free.QuadPart > half ? free.QuadPart - half : 0)));
        }
        const HANDLE inUse = c.fullDisk ? INVALID_HANDLE_VALUE
                                        : CreateFileW(uninstaller.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                      OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(c.fullDisk || inUse != INVALID_HANDLE_VALUE);

        driver::Process p = e2e::Start(installer, L"");
        std::vector<driver::MsgBox> boxes;
        InstallInto(p, dir, &boxes);
        if (inUse != INVALID_HANDLE_VALUE) CloseHandle(inUse);
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes[0].caption, c.caption);
        const std::wstring text = c.text;
        EXPECT_EQ(boxes[0].text, text.back() == L' ' ? text + uninstaller : text);
        EXPECT_EQ(e2e::ReadAll(uninstaller), previous);
        EXPECT_FALSE(e2e::Exists(dir + L"\\qfsetup.tmp"));
        e2e::RemoveTree(dir);
        if (c.fullDisk) DeleteFileW(filler.c_str());
    }
    if (skipped) GTEST_SKIP() << "no small drive T: for the full-disk case (full_disk_drive.sh could not mount one)";
}

TEST_F(Install, ANewerReleaseIsNeverOverwritten) {
    ASSERT_TRUE(e2e::WriteString(L"Software\\Quenfield\\Lexaris\\2.0\\20240101", L"DocPath", L"newer"));
    ASSERT_TRUE(e2e::MakeDirs(target));
    const std::vector<std::uint8_t> newerUninstaller{'n', 'e', 'w', 'e', 'r'};
    ASSERT_TRUE(e2e::WriteAll(target + L"\\qfsetup.exe", newerUninstaller));
    driver::Process p = e2e::Start(installer, L"");
    std::vector<driver::MsgBox> boxes;
    EXPECT_EQ(InstallInto(p, target, &boxes), std::vector<std::wstring>{NewerVersionCaption});
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, NewerVersionMessage);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(e2e::ReadAll(target + L"\\qfsetup.exe"), newerUninstaller);
    EXPECT_FALSE(e2e::KeyExists(ReleaseKey));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
}

TEST_F(Install, ARefusedOlderInstallerLeavesNothingBehind) {
    ASSERT_TRUE(e2e::WriteString(L"Software\\Quenfield\\Lexaris\\2.0\\20240101", L"DocPath", L"newer"));
    driver::Process p = e2e::Start(installer, L"/q");
    EXPECT_EQ(CaptionsUntilExit(p), std::vector<std::wstring>{NewerVersionCaption});
    EXPECT_FALSE(e2e::Exists(DefaultInstallDir));
    EXPECT_FALSE(e2e::KeyExists(ReleaseKey));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
}

// An upgrade never writes through a link it finds in the installed tree (uninstall_links.sh
// makes them): the install stops with that record's own message, the link's target untouched.
TEST_F(Install, AnUpgradeNeverWritesThroughALinkInTheTree) {
    const std::wstring victim = L"C:\\qf-links\\victim";
    ASSERT_TRUE(e2e::Exists(victim + L"\\index.html")) << "no link fixture (run through ctest)";
    const auto before = std::make_pair(e2e::ReadAll(victim + L"\\index.html"), e2e::ReadAll(victim + L"\\client.exe"));
    struct Case {
        const wchar_t* tree;
        const wchar_t* caption;
        std::wstring text;
    } cases[] = {
        {L"C:\\qf-links\\upgrade-docs", CreateDirectoryErrorCaption,
         CreateDirectoryErrorPrefix + std::wstring(L"C:\\qf-links\\upgrade-docs\\docs")},
        {L"C:\\qf-links\\upgrade-client", InstallErrorCaption,
         InstallErrorText(L"C:\\qf-links\\upgrade-client\\qfmgr.exe", 4395)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tree);
        e2e::ResetRegistry();
        driver::Process p = e2e::Start(installer, L"");
        std::vector<driver::MsgBox> boxes;
        EXPECT_EQ(InstallInto(p, c.tree, &boxes), (std::vector<std::wstring>{c.caption, InstallationErrorsCaption}));
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(std::make_pair(e2e::ReadAll(victim + L"\\index.html"), e2e::ReadAll(victim + L"\\client.exe")),
                  before);
        EXPECT_FALSE(e2e::Exists(victim + L"\\guide"));
    }
}

// An installation into a folder that already held someone else's files (a documents subfolder,
// a shared tools folder) is recorded as such, through an upgrade too, and its uninstall removes
// only what the installer wrote: the other files stay, and so do the files the client wrote
// there since. A folder the installer made or found empty goes whole.
TEST_F(Install, AFolderThatHeldOtherFilesKeepsThemAtTheUninstall) {
    struct Case {
        const char* name;
        bool existsBefore;
        bool othersBefore;
    };
    for (const Case c : {Case{"held other files", true, true}, Case{"found empty", true, false},
                         Case{"made by the installer", false, false}}) {
        SCOPED_TRACE(c.name);
        e2e::ResetRegistry();
        const std::wstring folder = L"C:\\users\\Public\\Documents\\Shared Tools";
        e2e::RemoveTree(folder);
        if (c.existsBefore) ASSERT_TRUE(e2e::MakeDirs(folder + L"\\docs"));
        const std::vector<std::uint8_t> notes{'m', 'i', 'n', 'e'};
        if (c.othersBefore)
            for (const wchar_t* other : {L"\\notes.txt", L"\\docs\\mine.html"})
                ASSERT_TRUE(e2e::WriteAll(folder + other, notes));
        if (c.existsBefore && !c.othersBefore) RemoveDirectoryW((folder + L"\\docs").c_str());

        for (int round = 0; round < 2; ++round) {
            driver::Process p = e2e::Start(installer, L"");
            ASSERT_EQ(InstallInto(p, folder), std::vector<std::wstring>{InstallationCompleteCaption});
            EXPECT_EQ(e2e::ReadNumber(UninstallKey, L"SharedFolder"), std::optional<DWORD>(c.othersBefore ? 1 : 0))
                << "round " << round;
        }
        ASSERT_TRUE(e2e::WriteAll(folder + L"\\client.log", notes));

        driver::Process u = e2e::Start(e2e::Built(L"qfsetup.exe"), L"/uninstall");
        EXPECT_EQ(CaptionsUntilExit(u), std::vector<std::wstring>{UninstallCompleteCaption});
        EXPECT_FALSE(e2e::KeyExists(UninstallKey));
        if (!c.othersBefore) {
            EXPECT_FALSE(e2e::Exists(folder));
            continue;
        }
        for (const wchar_t* other : {L"\\notes.txt", L"\\docs\\mine.html", L"\\client.log"})
            EXPECT_EQ(e2e::ReadAll(folder + other), notes) << other;
        std::vector<std::string> left = FolderNames(folder);
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"client.log", "docs", "notes.txt"}));
        EXPECT_EQ(FolderNames(folder + L"\\docs"), std::vector<std::string>{"mine.html"});
        e2e::RemoveTree(folder);
    }
}

// An upgrade over a tree where a file shares its data with a file elsewhere (a hard link) writes
// a file of its own in its place: the file elsewhere keeps every byte. The same for the
// uninstaller's temporary name, and for a desktop shortcut that is a link to a file elsewhere.
TEST_F(Install, AnUpgradeNeverWritesThroughAHardLinkOrALinkedShortcut) {
    driver::Process first = e2e::Start(installer, L"");
    ASSERT_EQ(InstallInto(first, target), std::vector<std::wstring>{InstallationCompleteCaption});
    const std::wstring outside = e2e::ScratchDir(L"outside");
    const std::vector<std::uint8_t> theirs{'t', 'h', 'e', 'i', 'r', 's'};
    int n = 0;
    for (const wchar_t* name : {L"\\docs\\README.TXT", L"\\qfmgr.exe", L"\\qfsetup.tmp"}) {
        const std::wstring elsewhere = outside + L"\\file" + std::to_wstring(n++);
        ASSERT_TRUE(e2e::WriteAll(elsewhere, theirs));
        DeleteFileW((target + name).c_str());
        ASSERT_TRUE(CreateHardLinkW((target + name).c_str(), elsewhere.c_str(), nullptr)) << GetLastError();
    }
    const std::wstring victim = L"C:\\qf-links\\victim\\install-shortcut.lnk";
    ASSERT_TRUE(e2e::Exists(victim)) << "no link fixture (run through ctest: uninstall_links.sh)";
    const std::vector<std::uint8_t> victimBefore = e2e::ReadAll(victim);
    wchar_t profile[MAX_PATH] = {};
    GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    ASSERT_TRUE(SetEnvironmentVariableW(L"USERPROFILE", L"C:\\qf-links\\install-profiles\\me"));
    driver::Process again = e2e::Start(installer, L"");
    SetEnvironmentVariableW(L"USERPROFILE", profile);
    EXPECT_EQ(InstallInto(again, target), std::vector<std::wstring>{InstallationCompleteCaption});

    for (int i = 0; i < n; ++i) EXPECT_EQ(e2e::ReadAll(outside + L"\\file" + std::to_wstring(i)), theirs) << i;
    EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), target), L"");
    EXPECT_FALSE(e2e::Exists(target + L"\\qfsetup.tmp"));
    EXPECT_EQ(e2e::ReadAll(victim), victimBefore);
    const std::vector<std::uint8_t> shortcut =
        e2e::ReadAll(L"C:\\qf-links\\install-profiles\\All Users\\Desktop\\ORIN-6 Client.lnk");
    ASSERT_GE(shortcut.size(), 4u);
    EXPECT_EQ(shortcut[0], 0x4C) << "not a shell link";
}

TEST_F(Install, AnUpgradeCarriesTheSettingsOverAndTheSameReleaseInstallsAgain) {
    const wchar_t* const older = L"Software\\Quenfield\\Lexaris\\2.0\\20150601";
    ASSERT_TRUE(e2e::WriteString(older, L"ServerDefault", L"orin.example"));
    ASSERT_TRUE(e2e::WriteNumber(older, L"ServerLock", 1));
    ASSERT_TRUE(e2e::WriteNumber(older, L"DefLang", 1033));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "upgrade" : "same release again");
        driver::Process p = e2e::Start(installer, L"/q");
        EXPECT_EQ(CaptionsUntilExit(p), std::vector<std::wstring>{});
        EXPECT_EQ(e2e::ReadString(ReleaseKey, L"ServerDefault"), L"orin.example");
        EXPECT_EQ(e2e::ReadNumber(ReleaseKey, L"ServerLock"), 1u);
        EXPECT_EQ(e2e::ReadNumber(ReleaseKey, L"DefLang"), 1033u);
        EXPECT_TRUE(e2e::KeyExists(older));
        EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), DefaultInstallDir), L"");
    }
}

TEST_F(Install, BackOpensAFreshLicencePage) {
    driver::Process p = e2e::Start(installer, L"");
    HWND page = OpenLocationPage(p);
    ASSERT_NE(page, nullptr);
    driver::SetText(driver::Child(page, qf::TextControlId), L"C:\\typed");
    driver::Click(driver::Child(page, qf::BackId));
    const HWND licence = driver::WaitWindow(p, LicenceBoxClass, InstallerName, WaitMs);
    ASSERT_NE(licence, nullptr);
    EXPECT_EQ(driver::CheckState(driver::Child(licence, qf::AcceptBoxId)), BST_UNCHECKED);
    page = OpenLocationPage(p);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(driver::TextOf(driver::Child(page, qf::TextControlId)), DefaultInstallDirText);
    driver::ClickClose(page);
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
}

// Runs started together take turns, whichever gets there first: the machine ends with a whole
// installation and its keys, or with nothing of it; never files without keys, and never an error.
TEST_F(Install, RunsStartedTogetherTakeTurns) {
    enum class End { Installed, Removed, Mixed };
    const auto judge = [] {
        const bool keys = e2e::KeyExists(ReleaseKey) && e2e::KeyExists(UninstallKey);
        if (keys && e2e::CompareTrees(e2e::PayloadTree(), DefaultInstallDir).empty() &&
            e2e::Exists(std::wstring(DefaultInstallDir) + L"\\qfsetup.exe"))
            return End::Installed;
        if (!e2e::Exists(DefaultInstallDir) && !e2e::KeyExists(ReleaseKey) && !e2e::KeyExists(UninstallKey))
            return End::Removed;
        return End::Mixed;
    };
    struct Case {
        const wchar_t* first;
        const wchar_t* second;  // started just after the first
    };
    for (const Case c : {Case{L"/q", L"/q"}, Case{L"/uninstall", L"/q"}, Case{L"/q", L"/uninstall"}}) {
        const bool uninstalls = c.first[1] == L'u' || c.second[1] == L'u';
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(testing::Message() << c.first << " then " << c.second << ", round " << round);
            e2e::ResetRegistry();
            e2e::RemoveTree(DefaultInstallDir);
            if (uninstalls) {
                driver::Process p = e2e::Start(installer, L"/q");
                ASSERT_EQ(driver::WaitExit(p, 60000), 0);
            }
            driver::Process runs[2];
            runs[0] = e2e::Start(installer, c.first);
            runs[1] = e2e::Start(installer, c.second);
            std::vector<std::wstring> captions;
            for (driver::Process& p : runs) {
                const std::vector<std::wstring> shown = CaptionsUntilExit(p);
                captions.insert(captions.end(), shown.begin(), shown.end());
            }
            for (const std::wstring& caption : captions) EXPECT_EQ(caption, UninstallCompleteCaption);
            const End end = judge();
            EXPECT_TRUE(end == End::Installed || (uninstalls && end == End::Removed))
                << "files: " << e2e::CompareTrees(e2e::PayloadTree(), DefaultInstallDir).c_str()
                << " release key: " << e2e::KeyExists(ReleaseKey) << " uninstall key: " << e2e::KeyExists(UninstallKey);
        }
    }
}

// The run lock held as a run holds it, from a thread of this test; let go, or ended without
// letting go as a killed run ends.
struct HeldLock {
    HANDLE mutex = nullptr;
    HANDLE thread = nullptr;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool abandon = false;

    bool Take() {
        thread = CreateThread(nullptr, 0, &HeldLock::Hold, this, 0, nullptr);
        return thread && WaitForSingleObject(taken, WaitMs) == WAIT_OBJECT_0;
    }
    static DWORD WINAPI Hold(void* self) {
        auto& lock = *static_cast<HeldLock*>(self);
        lock.mutex = CreateMutexW(nullptr, TRUE, RunLockName);
        SetEvent(lock.taken);
        WaitForSingleObject(lock.release, INFINITE);
        if (!lock.abandon) ReleaseMutex(lock.mutex);
        return 0;
    }
    void Release(bool killed = false) {
        if (!thread) return;
        abandon = killed;
        SetEvent(release);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
    ~HeldLock() {
        Release();
        for (HANDLE h : {mutex, release, taken})
            if (h) CloseHandle(h);
    }
};

// A run that holds the machine keeps the next one waiting; ended without letting go (killed),
// it lets the next one go on at once.
TEST_F(Install, ARunKilledWhileOthersWaitLetsTheNextGoOn) {
    HeldLock held;
    ASSERT_TRUE(held.Take());
    driver::Process next = e2e::Start(installer, L"/q");
    EXPECT_EQ(driver::WaitExit(next, 2000), driver::kTimedOut) << "did not wait for its turn";
    held.Release(true);
    EXPECT_EQ(CaptionsUntilExit(next), std::vector<std::wstring>{});
    EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), DefaultInstallDir), L"");
    EXPECT_TRUE(e2e::KeyExists(UninstallKey));
}

// A run waits for the work of another, never for a person: a quiet install stopped at a box that
// nobody answers (on a deployment station nobody may be there) keeps no other run waiting.
TEST_F(Install, ABoxNobodyAnswersKeepsNoOtherRunWaiting) {
    for (const wchar_t* stopped : {L"qfsetup-corrupt.exe", L"qfsetup-nonadmin.exe"}) {
        SCOPED_TRACE(stopped);
        e2e::ResetRegistry();
        e2e::RemoveTree(DefaultInstallDir);
        // The corrupted archive's message ends its run; the rights question comes before any.
        driver::Process held = e2e::Start(e2e::Built(stopped), L"/q");
        driver::MsgBox box;
        ASSERT_TRUE(driver::WaitMessageBox(held, box, WaitMs));
        driver::Process next = e2e::Start(installer, L"/q");
        EXPECT_EQ(driver::WaitExit(next, 60000), 0) << "waited behind a box";
        EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), DefaultInstallDir), L"");
        EXPECT_TRUE(e2e::KeyExists(UninstallKey));
        driver::Kill(held);
    }
}

// While the page waits for its turn its buttons are disabled, and a click sent to them all the
// same (automation, accessibility tools) starts nothing: one installation, one completion.
TEST_F(Install, AClickSentWhileThePageWaitsStartsNothing) {
    HeldLock held;
    ASSERT_TRUE(held.Take());
    driver::Process p = e2e::Start(installer, L"");
    const HWND page = OpenLocationPage(p);
    ASSERT_NE(page, nullptr);
    driver::SetText(driver::Child(page, qf::TextControlId), target);
    const HWND install = driver::Child(page, qf::ForwardId);
    driver::Click(install);
    ASSERT_TRUE(driver::WaitUntil([&] { return !driver::IsEnabled(install); }, WaitMs)) << "buttons not disabled";
    for (const int id : {qf::ForwardId, qf::BackId, qf::CancelId}) {
        DWORD_PTR ignored = 0;
        EXPECT_TRUE(SendMessageTimeoutW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                        reinterpret_cast<LPARAM>(driver::Child(page, id)), SMTO_NORMAL, 2000, &ignored))
            << "command " << id << " was taken up";
    }
    EXPECT_TRUE(IsWindow(page));
    EXPECT_FALSE(e2e::Exists(target));
    held.Release();
    EXPECT_EQ(CaptionsUntilExit(p), std::vector<std::wstring>{InstallationCompleteCaption});
    EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), target), L"");
}

// A relative entry is made a full path once, against the current directory, and that path is
// judged, installed into, registered and uninstalled; "." in a protected folder is that folder.
TEST_F(Install, ARelativeEntryIsTheFullPathItNames) {
    const std::wstring work = e2e::ScratchDir(L"relative");
    driver::Process p;
    ASSERT_TRUE(driver::Start(p, L"\"" + installer + L"\"", work));
    ASSERT_EQ(InstallInto(p, L"Apps\\"), std::vector<std::wstring>{InstallationCompleteCaption});
    const std::wstring full = work + L"\\Apps";
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), full);
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"UninstallString"), L"\"" + full + L"\\qfsetup.exe\" /uninstall");
    EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), full), L"");

    driver::Process u = e2e::Start(e2e::Built(L"qfsetup.exe"), L"/uninstall");
    EXPECT_EQ(CaptionsUntilExit(u), std::vector<std::wstring>{UninstallCompleteCaption});
    EXPECT_FALSE(e2e::Exists(full));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));

    wchar_t windir[MAX_PATH] = {};
    GetEnvironmentVariableW(L"windir", windir, MAX_PATH);
    for (const std::wstring& protectedDir : {std::wstring(windir), std::wstring(L"C:\\users")}) {
        SCOPED_TRACE(protectedDir);
        driver::Process q;
        ASSERT_TRUE(driver::Start(q, L"\"" + installer + L"\"", protectedDir));
        std::vector<driver::MsgBox> boxes;
        const HWND page = OpenLocationPage(q);
        ASSERT_NE(page, nullptr);
        driver::SetText(driver::Child(page, qf::TextControlId), L".");
        driver::Click(driver::Child(page, qf::ForwardId));
        driver::MsgBox box;
        ASSERT_TRUE(driver::WaitMessageBox(q, box, WaitMs));
        e2e::ExpectBox(box, InvalidPathCaption, SystemDirectoryMessage, driver::MsgBox::Error, page);
        driver::Answer(box, IDOK);
        driver::ClickClose(page);
        EXPECT_EQ(CaptionsUntilExit(q), std::vector<std::wstring>{});
        EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    }
}

TEST_F(Install, TheRegisteredUninstallCommandRemovesTheInstallation) {
    driver::Process p = e2e::Start(installer, L"");
    ASSERT_EQ(InstallInto(p, target), std::vector<std::wstring>{InstallationCompleteCaption});
    const auto command = e2e::ReadString(UninstallKey, L"UninstallString");
    ASSERT_TRUE(command);
    // Started exactly as Windows starts it: the stored text is the command line.
    driver::Process u = e2e::StartRaw(*command);
    std::vector<driver::MsgBox> boxes;
    EXPECT_EQ(CaptionsUntilExit(u, &boxes), std::vector<std::wstring>{UninstallCompleteCaption});
    // The uninstaller cannot delete its own file while it runs; that alone stays, by design.
    EXPECT_TRUE(e2e::Exists(target + L"\\qfsetup.exe"));
    EXPECT_FALSE(e2e::Exists(target + L"\\qfmgr.exe"));
    EXPECT_FALSE(e2e::Exists(target + L"\\docs"));
    EXPECT_FALSE(e2e::Exists(Shortcut));
    EXPECT_FALSE(e2e::KeyExists(ReleaseKey));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    EXPECT_TRUE(e2e::KeyExists(ServersKey));
}

// Where the shortcut goes under each account, and that an uninstall finds it there. The system
// account's profile lies below the Windows folder, and a deployment tool installs as that account.
struct DesktopCase {
    const char* name;
    const wchar_t* installProfile;  // USERPROFILE of the installation; nullptr: the prefix's user
    bool derivedThere;              // C:\users\All Users\Desktop, derived from the user's profile
    const wchar_t* uninstallProfile;
};

class ShortcutDesktop : public Install, public testing::WithParamInterface<DesktopCase> {};

TEST_P(ShortcutDesktop, IsTheCommonOneWhereTheDerivedOneCannotTakeIt) {
    const DesktopCase& c = GetParam();
    if (!c.derivedThere) e2e::RemoveTree(Desktop);
    wchar_t own[MAX_PATH] = {};
    GetEnvironmentVariableW(L"USERPROFILE", own, MAX_PATH);
    const auto startAs = [&](const wchar_t* profile, const wchar_t* arguments) {
        if (profile) SetEnvironmentVariableW(L"USERPROFILE", profile);
        driver::Process p = e2e::Start(installer, arguments);
        SetEnvironmentVariableW(L"USERPROFILE", own);
        return p;
    };
    driver::Process p = startAs(c.installProfile, L"/q");
    EXPECT_EQ(CaptionsUntilExit(p), std::vector<std::wstring>{});
    EXPECT_TRUE(e2e::Exists(CommonShortcut));
    EXPECT_FALSE(e2e::Exists(Shortcut));
    driver::Process u = startAs(c.uninstallProfile, L"/uninstall");
    EXPECT_EQ(CaptionsUntilExit(u), std::vector<std::wstring>{UninstallCompleteCaption});
    EXPECT_FALSE(e2e::Exists(CommonShortcut));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
}

INSTANTIATE_TEST_SUITE_P(Accounts, ShortcutDesktop,
                         testing::Values(DesktopCase{"TheSystemAccount", SystemProfile, true, SystemProfile},
                                         DesktopCase{"TheSystemAccountsUninstalledByAUser", SystemProfile, true,
                                                     nullptr},
                                         DesktopCase{"AUserWithoutTheDerivedFolder", nullptr, false, nullptr}),
                         [](const testing::TestParamInfo<DesktopCase>& info) { return std::string(info.param.name); });

// Cancel ends the program at once on either page: no question, nothing written.
TEST_F(Install, CancelEndsAtOnceWithNothingWritten) {
    for (bool onInstallationPage : {false, true}) {
        SCOPED_TRACE(onInstallationPage ? "installation page" : "licence page");
        driver::Process p = e2e::Start(installer, L"");
        const HWND page =
            onInstallationPage ? OpenLocationPage(p) : driver::WaitWindow(p, LicenceBoxClass, nullptr, WaitMs);
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(driver::Click(driver::Child(page, qf::CancelId)));
        EXPECT_EQ(CaptionsUntilExit(p), std::vector<std::wstring>{});
        EXPECT_FALSE(e2e::Exists(DefaultInstallDir));
        EXPECT_FALSE(e2e::KeyExists(MakerKey));
        EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    }
}

// The directory field holds 100 characters and refuses a 101st; all 100 are installed into.
TEST_F(Install, AHundredCharacterDirectoryIsHeldWhole) {
    const std::wstring parent = e2e::ScratchDir(L"long");
    ASSERT_LT(parent.size(), 90u);
    const std::wstring directory = parent + L"\\" + std::wstring(99 - parent.size(), L'd');
    ASSERT_EQ(directory.size(), 100u);
    driver::Process p = e2e::Start(installer, L"");
    const HWND page = OpenLocationPage(p);
    ASSERT_NE(page, nullptr);
    const HWND edit = driver::Child(page, qf::TextControlId);
    ASSERT_TRUE(driver::SetText(edit, directory + L"x"));
    EXPECT_EQ(driver::TextOf(edit), directory);
    driver::Click(driver::Child(page, qf::ForwardId));
    EXPECT_EQ(CaptionsUntilExit(p), std::vector<std::wstring>{InstallationCompleteCaption});
    EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), directory), L"");
    EXPECT_EQ(e2e::ReadAll(directory + L"\\qfsetup.exe"), e2e::ReadAll(installer));
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), directory);
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"DisplayIcon"), directory + L"\\qfmgr.exe");
}

// A child control as the page made it; its rectangle in the page's client area.
struct Control {
    const wchar_t* cls;
    const wchar_t* text;
    int id;
    LONG style;
    RECT rect;
};

// The page's children, in creation order, against the expected ones.
void ExpectControls(HWND page, const std::vector<Control>& expected) {
    HWND control = GetWindow(page, GW_CHILD);  // children come in creation order
    for (const Control& c : expected) {
        ASSERT_NE(control, nullptr) << "missing: " << std::string(c.text, c.text + wcslen(c.text));
        SCOPED_TRACE(std::string(c.text, c.text + wcslen(c.text)));
        EXPECT_EQ(driver::ClassOf(control), c.cls);
        EXPECT_EQ(driver::TextOf(control), c.text);
        EXPECT_EQ(GetDlgCtrlID(control), c.id);
        EXPECT_EQ(GetWindowLongW(control, GWL_STYLE), c.style) << std::hex << GetWindowLongW(control, GWL_STYLE);
        RECT r = driver::WindowRect(control);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(EqualRect(&r, &c.rect)) << r.left << "," << r.top << " " << r.right << "," << r.bottom;
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr);
}

// The button row is laid out from the text metrics of the page's own device context, before a
// font is chosen: buttons 8 average characters wide and one and a half lines high, the row four
// lines above the window's bottom; the right margin is 20 on the licence page, 30 on the
// installation page.
TEST_F(Install, ThePagesMakeTheirControlsInOrder) {
    driver::Process p = e2e::Start(installer, L"");
    const HWND licence = driver::WaitWindow(p, LicenceBoxClass, nullptr, WaitMs);
    ASSERT_NE(licence, nullptr);
    TEXTMETRICW tm{};
    const HDC dc = GetDC(licence);
    GetTextMetricsW(dc, &tm);
    ReleaseDC(licence, dc);
    const RECT window = driver::WindowRect(licence);
    const LONG cx = window.right - window.left, cy = window.bottom - window.top;
    const LONG line = tm.tmHeight + tm.tmExternalLeading;
    const LONG w = 8 * tm.tmAveCharWidth, h = line + line / 2, top = cy - 4 * line;
    const auto rowButton = [&](LONG margin, LONG slot) {
        return RECT{cx - margin - slot * w, top, cx - margin - (slot - 1) * w, top + h};
    };
    // The list, made without LBS_NOINTEGRALHEIGHT, trims its 260 to whole lines inside its border,
    // lines of the font it is made with (the system font, the metrics above), before it gets its own.
    const LONG listBottom = 72 + 260 - (260 - 2 * GetSystemMetrics(SM_CYBORDER)) % tm.tmHeight;
    const LONG button = WS_CHILD | WS_VISIBLE;
    // clang-format off
    ExpectControls(licence, {
        {L"ListBox", L"", qf::TextControlId, button | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOREDRAW,
         {20, 72, cx - 24, listBottom}},
        {L"Button", L"Cancel", qf::CancelId, button, rowButton(20, 1)},
        {L"Button", L"Next >", qf::ForwardId, button, rowButton(20, 2)},
        {L"Button", L"I Accept This Agreement", qf::AcceptBoxId, button | BS_AUTOCHECKBOX,
         {20, top, 20 + 30 * tm.tmAveCharWidth, top + h}},
    });
    const HWND location = OpenLocationPage(p);
    ASSERT_NE(location, nullptr);
    ExpectControls(location, {
        {L"Edit", DefaultInstallDirText, qf::TextControlId, button | ES_AUTOHSCROLL, {20, 150, cx - 28, 166}},
        {L"Button", L"Cancel", qf::CancelId, button, rowButton(30, 1)},
        {L"Button", L"Install", qf::ForwardId, button, rowButton(30, 2)},
        {L"Button", L"< Back", qf::BackId, button, rowButton(30, 3)},
    });
    // clang-format on
    driver::ClickClose(location);
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
}

// --- The uninstaller copy's failures -------------------------------------------------------

enum class CopyRoad {
    TargetInUse,      // qfsetup.exe in the directory held open, its writing not shared
    DirectoryTarget,  // a directory named qfsetup.exe in its place
    FullDrive,        // the copy does not fit the drive (T:); the payload is empty, so the
                      // extraction needs no room
};

struct CopyFailureCase {
    const char* name;
    CopyRoad road;
    const wchar_t* caption;
    const wchar_t* text;  // the source or target path follows where the message names one
    driver::MsgBox::Icon icon;
};

void PrintTo(const CopyFailureCase& c, std::ostream* out) { *out << c.name; }

class UninstallerCopyFailure : public Install, public testing::WithParamInterface<CopyFailureCase> {};

// Each failure of the copy is told, and the installation goes on to its end. (The source is the
// running program's own file as the system names it, which a run can always open; the sweep
// makes that open fail.)
TEST_P(UninstallerCopyFailure, IsToldAndTheInstallationGoesOn) {
    const CopyFailureCase& c = GetParam();
    const std::vector<std::uint8_t> old{'o', 'l', 'd'};
    std::unique_ptr<void, decltype(&CloseHandle)> inUse(nullptr, &CloseHandle);
    HANDLE held = nullptr;
    std::wstring program = installer, commandLine = L"\"" + installer + L"\"", directory = target;
    std::wstring text = c.text;
    switch (c.road) {
        case CopyRoad::TargetInUse:
            ASSERT_TRUE(e2e::MakeDirs(directory));
            ASSERT_TRUE(e2e::WriteAll(directory + L"\\qfsetup.exe", old));
            held = CreateFileW((directory + L"\\qfsetup.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
            inUse.reset(held);
            text += directory + L"\\qfsetup.exe";
            break;
        case CopyRoad::DirectoryTarget:
            ASSERT_TRUE(e2e::MakeDirs(directory + L"\\qfsetup.exe"));
            text += directory + L"\\qfsetup.exe";
            break;
        case CopyRoad::FullDrive:
            if (!e2e::EmptySmallDrive()) GTEST_SKIP() << "no small drive T: (full_disk_drive.sh could not mount one)";
            program = e2e::Built(L"qfsetup-empty.exe");
            commandLine = L"\"" + program + L"\"";
            directory = std::wstring(e2e::SmallDrive) + L"ORIN-6";
            ASSERT_TRUE(e2e::FillSmallDrive(e2e::ReadAll(program).size() / 2));
            break;
    }
    driver::Process p = e2e::StartRaw(commandLine, dist, program);
    const HWND page = OpenLocationPage(p);
    ASSERT_NE(page, nullptr);
    driver::SetText(driver::Child(page, qf::TextControlId), directory);
    driver::Click(driver::Child(page, qf::ForwardId));
    std::vector<driver::MsgBox> boxes;
    EXPECT_EQ(CaptionsUntilExit(p, &boxes), (std::vector<std::wstring>{c.caption, InstallationCompleteCaption}));
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].icon, c.icon);
    EXPECT_EQ(boxes[0].owner, page);
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), directory);
    if (c.road != CopyRoad::FullDrive) EXPECT_EQ(e2e::CompareTrees(e2e::PayloadTree(), directory), L"");
    if (c.road == CopyRoad::TargetInUse) EXPECT_EQ(e2e::ReadAll(directory + L"\\qfsetup.exe"), old);
    if (c.road == CopyRoad::FullDrive) e2e::EmptySmallDrive();
}

INSTANTIATE_TEST_SUITE_P(
    Roads, UninstallerCopyFailure,
    testing::Values(CopyFailureCase{"TargetInUse", CopyRoad::TargetInUse, ErrorOpeningFileCaption,
                                    UninstallerOpenPrefix, driver::MsgBox::Error},
                    CopyFailureCase{"DirectoryTarget", CopyRoad::DirectoryTarget, ErrorOpeningFileCaption,
                                    UninstallerOpenPrefix, driver::MsgBox::Error},
                    CopyFailureCase{"FullDrive", CopyRoad::FullDrive, InstallationNotCompleteCaption,
                                    UninstallerWriteMessage, driver::MsgBox::Information}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The status line over an earlier installation -----------------------------------------

struct StatusCase {
    const char* name;
    std::vector<const wchar_t*> keys;  // what an earlier installation left
    const wchar_t* args;
    const wchar_t* form;  // the status line's words before the client's path
};

void PrintTo(const StatusCase& c, std::ostream* out) { *out << c.name; }

class StatusLine : public Install, public testing::WithParamInterface<StatusCase> {};

// Once registered, the status line names the client's path, as an upgrade where an earlier
// installation left its uninstall registration or the product family's key, unless /nocheck.
// The payload is empty, so no extracted file's path takes the client's place.
TEST_P(StatusLine, TellsAnUpgradeFromAFreshInstallation) {
    for (const wchar_t* key : GetParam().keys) ASSERT_TRUE(e2e::CreateKey(key));
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup-empty.exe"), GetParam().args);
    const HWND page = OpenLocationPage(p);
    ASSERT_NE(page, nullptr);
    driver::SetText(driver::Child(page, qf::TextControlId), target);
    driver::Click(driver::Child(page, qf::ForwardId));
    driver::MsgBox box;
    ASSERT_TRUE(driver::WaitMessageBox(p, box, 60000));
    EXPECT_EQ(box.caption, InstallationCompleteCaption);
    // The box is moved off the page, and the page paints itself anew, as when it is uncovered.
    SetWindowPos(box.hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(page, nullptr, TRUE);
    RECT client{};
    GetClientRect(page, &client);
    EXPECT_TRUE(driver::ShowsText(page, {20, client.bottom - 140},
                                  std::wstring(GetParam().form) + target + L"\\qfmgr.exe", WaitMs));
    driver::Answer(box, IDOK);
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Earlier, StatusLine,
    testing::Values(StatusCase{"Nothing", {}, L"", InstallingPrefix},
                    StatusCase{"UninstallRegistration", {UninstallKey}, L"", UpgradingPrefix},
                    StatusCase{"FamilyKeyAlone", {LexarisKey}, L"", UpgradingPrefix},
                    StatusCase{"MakerKeyAlone", {MakerKey}, L"", InstallingPrefix},
                    StatusCase{"BothWithNoCheck", {UninstallKey, LexarisKey}, L"/nocheck", InstallingPrefix}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Registration that fails --------------------------------------------------------------

class RegistrationFailure : public Install, public testing::WithParamInterface<const wchar_t*> {};

// A key the registration cannot create ends the installation after its message, before
// anything is extracted; the uninstaller copy, made before, stays.
TEST_P(RegistrationFailure, EndsTheInstallationBeforeExtraction) {
    ASSERT_TRUE(e2e::CreateKey(GetParam(), REG_OPTION_VOLATILE));
    driver::Process p = e2e::Start(installer, L"");
    const HWND page = OpenLocationPage(p);
    ASSERT_NE(page, nullptr);
    driver::SetText(driver::Child(page, qf::TextControlId), target);
    driver::Click(driver::Child(page, qf::ForwardId));
    std::vector<driver::MsgBox> boxes;
    EXPECT_EQ(CaptionsUntilExit(p, &boxes),
              (std::vector<std::wstring>{RegistryErrorCaption, InstallationErrorsCaption}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, RegistryErrorMessage);
    EXPECT_EQ(boxes[1].text, InstallationErrorsMessage);
    EXPECT_EQ(boxes[1].owner, page);
    EXPECT_FALSE(e2e::Exists(target + L"\\qfmgr.exe"));
    EXPECT_FALSE(e2e::Exists(Shortcut));
    EXPECT_FALSE(e2e::KeyExists(ReleaseKey));
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    EXPECT_EQ(e2e::ReadAll(target + L"\\qfsetup.exe"), e2e::ReadAll(installer));
}

// A volatile maker's key refuses Lexaris; a volatile family key refuses this release's key.
INSTANTIATE_TEST_SUITE_P(Keys, RegistrationFailure, testing::Values(MakerKey, FamilyKey));

}  // namespace
