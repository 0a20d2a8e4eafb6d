// Registration against Wine's real registry, linked into this program: each case starts from a
// machine without the product's keys. The code under test shows its message boxes modally on
// this thread; a watcher thread records and answers them. And the judgement of a location by
// the installation page and by the uninstall, against the machine's folders.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "box_watcher.h"
#include "e2e_support.h"
#include "archive/archive_writer.h"
#include "registration/location_check_win.h"
#include "registration/registration_win.h"
#include "base/process_state_win.h"
#include "base/run_lock_win.h"
#include "settings/settings_block.h"

namespace {

using e2e::KeyExists;
using namespace e2e::paths;
using namespace e2e::texts;

// --- Registry values as stored ----------------------------------------------------------------

struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const Value&) const = default;
};

Value Text(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {REG_SZ, {bytes, bytes + (text.size() + 1) * sizeof(wchar_t)}};
}

Value Number(DWORD n) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&n);
    return {REG_DWORD, {bytes, bytes + sizeof n}};
}

void PrintTo(const Value& v, std::ostream* out) {
    *out << "type " << v.type << ", " << v.data.size() << " bytes";
    if (v.type == REG_SZ && v.data.size() >= 2) {
        const std::wstring text(reinterpret_cast<const wchar_t*>(v.data.data()), v.data.size() / 2);
        *out << " \"" << std::string(text.begin(), text.end()).c_str() << "\"";
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        *out << " " << *reinterpret_cast<const DWORD*>(v.data.data());
    }
}

using Values = std::vector<std::pair<std::wstring, Value>>;

// Wine enumerates a key's values by name, not in the order they were written; both sides of a
// comparison are put in that order.
Values Sorted(Values values) {
    std::sort(values.begin(), values.end(),
              [](const auto& a, const auto& b) { return _wcsicmp(a.first.c_str(), b.first.c_str()) < 0; });
    return values;
}

// Every value of a key, names as stored; nothing when the key is absent.
std::optional<Values> ValuesOf(const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    Values values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        BYTE data[4096];
        DWORD size = sizeof data;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        values.emplace_back(name, Value{type, {data, data + size}});
    }
    RegCloseKey(key);
    return Sorted(values);
}

std::vector<std::wstring> SubkeysOf(const std::wstring& path) {
    std::vector<std::wstring> names;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0; RegEnumKeyW(key, i, name, 256) == ERROR_SUCCESS; ++i) names.emplace_back(name);
    RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

void WriteValues(const std::wstring& path, const Values& values) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, value] : values) {
        RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
    }
    RegCloseKey(key);
}

std::wstring ReleasePath(const std::wstring& name) { return std::wstring(FamilyKey) + L"\\" + name; }

// --- Running the code under test --------------------------------------------------------------

struct Outcome {
    qf::Registration result;
    std::vector<driver::MsgBox> boxes;
};

// The installation being registered, into the default directory.
qf::InstallRun Installation;

Outcome Register() {
    BoxWatcher watcher;
    const qf::Registration result = qf::RegisterProduct(Installation);
    return {result, watcher.Stop()};
}

// --- Cases ------------------------------------------------------------------------------------

// Settings an older release left in its key, under the names it wrote them with.
// clang-format off
const Values OldSettings = {
    {L"ServerDefault", Text(L"orin.example.net")}, {L"ServerLock", Number(1)},
    {L"DefLang", Number(3)},                       {L"demo", Number(1)},
    {L"admin", Number(2)},                         {L"NoVerWarn", Number(1)},
    {L"NoServVerWarn", Number(1)},                 {L"DocPath", Text(L"\\\\docs\\orin")},
    {L"MediaPlayer", Text(L"C:\\Tools\\player.exe")}, {L"Browser", Text(L"C:\\Tools\\web.exe")},
    {L"DriverPosBug", Number(7)},
};
// clang-format on

// The same settings as this release writes them: its names and its order.
// clang-format off
const Values MigratedOldSettings = {
    {L"ServerDefault", Text(L"orin.example.net")}, {L"ServerLock", Number(1)},
    {L"demo", Number(1)},                          {L"admin", Number(2)},
    {L"DefLang", Number(3)},                       {L"NoVerWarn", Number(1)},
    {L"NoServVerWarn", Number(1)},                 {L"DocPath", Text(L"\\\\docs\\orin")},
    {L"MediaPlayer", Text(L"C:\\Tools\\player.exe")}, {L"Browser", Text(L"C:\\Tools\\web.exe")},
    {L"DriverPosBug", Number(7)},
};
// clang-format on

class Registration : public testing::Test {
protected:
    void SetUp() override {
        e2e::ResetRegistry();
        qf::MigratedSettings = {};
        std::copy_n(qf::EmbeddedSettings, qf::SettingsBlockSize, ownBlock);
        Installation = {};
        wcscpy_s(Installation.InstallDirectory, DefaultInstallDir);
        wcscpy_s(Installation.DisplayIconPath, (std::wstring(DefaultInstallDir) + L"\\qfmgr.exe").c_str());
    }
    void TearDown() override {
        std::copy_n(ownBlock, qf::SettingsBlockSize, qf::EmbeddedSettings);
        e2e::ResetRegistry();
    }

    std::uint8_t ownBlock[qf::SettingsBlockSize];
};

TEST_F(Registration, CleanMachineCreatesTheKeysAndTheUninstallValues) {
    // What the installation is to write, before a byte of it is: two files of 1,000 and 1,500
    // bytes and an uninstaller of 500, 3,000 bytes in all, which take 3 KiB.
    std::vector<std::uint8_t> archive = qf::StartArchive();
    qf::AppendDirectoryRecord(archive, "docs");
    qf::AppendFileRecord(archive, "docs\\index.html", std::vector<std::uint8_t>(1000, 'a'));
    qf::AppendFileRecord(archive, "qfmgr.exe", std::vector<std::uint8_t>(1500, 'b'));
    qf::FinishArchive(archive);
    qf::PayloadArchive = {archive.data(), static_cast<std::uint32_t>(archive.size())};
    Installation.UninstallerSize = 500;
    const std::wstring today = e2e::LocalDate();
    const Outcome outcome = Register();
    qf::PayloadArchive = {};
    if (e2e::LocalDate() != today) GTEST_SKIP() << "the date changed while the registration ran";
    EXPECT_EQ(outcome.result, qf::Registration::Registered);
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(SubkeysOf(FamilyKey), (std::vector<std::wstring>{L"20191220", L"Servers"}));
    EXPECT_EQ(ValuesOf(ReleaseKey), Values{});
    EXPECT_EQ(ValuesOf(ServersKey), Values{});
    EXPECT_TRUE(SubkeysOf(ServersKey).empty());
    // REG_SZ of (length + 1) x 2 bytes each; the program path quoted, so that
    // the command line keeps "/uninstall" under a directory with a blank. The mark says the
    // folder was the installation's alone. Beside them, what Apps & features and the deployment
    // tools read.
    EXPECT_EQ(
        ValuesOf(UninstallKey),
        Sorted({{L"SharedFolder", Number(0)},
                {L"DisplayName", Text(DisplayName)},
                {L"DisplayIcon", Text(L"C:\\Program Files\\Quenfield\\qfmgr.exe")},
                {L"UninstallString", Text(L"\"C:\\Program Files\\Quenfield\\qfsetup.exe\" /uninstall")},
                {L"InstallLocation", Text(L"C:\\Program Files\\Quenfield")},
                {L"DisplayVersion", Text(DisplayVersion)},
                {L"Publisher", Text(Publisher)},
                {L"EstimatedSize", Number(3)},
                {L"InstallDate", Text(today)},
                {L"URLInfoAbout", Text(ReleasePage)},
                {L"NoModify", Number(1)},
                {L"NoRepair", Number(1)},
                {L"QuietUninstallString", Text(L"\"C:\\Program Files\\Quenfield\\qfsetup.exe\" /silent-uninstall")}}));
}

TEST_F(Registration, OlderReleaseIsMigratedAndKept) {
    WriteValues(ReleasePath(L"20180101"), OldSettings);
    WriteValues(ServersKey, {});
    const Outcome outcome = Register();
    EXPECT_EQ(outcome.result, qf::Registration::Registered);
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(ValuesOf(ReleaseKey), Sorted(MigratedOldSettings));
    EXPECT_EQ(ValuesOf(ReleasePath(L"20180101")), Sorted(OldSettings));
    EXPECT_EQ(SubkeysOf(FamilyKey), (std::vector<std::wstring>{L"20180101", L"20191220", L"Servers"}));
}

// A run stopped while it carried the settings over left its draft of this release's key: the
// next carries them over afresh, and only the whole key takes the release's name.
TEST_F(Registration, ADraftLeftByAStoppedRunIsWrittenAfresh) {
    WriteValues(ReleasePath(L"20180101"), OldSettings);
    WriteValues(ReleasePath(L"~20191220"), {{L"DefLang", Number(7)}, {L"Leftover", Text(L"x")}});
    EXPECT_EQ(Register().result, qf::Registration::Registered);
    EXPECT_EQ(ValuesOf(ReleaseKey), Sorted(MigratedOldSettings));
    EXPECT_EQ(SubkeysOf(FamilyKey), (std::vector<std::wstring>{L"20180101", L"20191220", L"Servers"}));
}

TEST_F(Registration, TheNewestOlderReleaseIsTheOneMigrated) {
    WriteValues(ReleasePath(L"20170101"), {{L"DefLang", Number(9)}});
    WriteValues(ReleasePath(L"20180101"), {{L"DefLang", Number(3)}});
    WriteValues(ReleasePath(L"0"), {{L"DefLang", Number(5)}});
    EXPECT_EQ(Register().result, qf::Registration::Registered);
    EXPECT_EQ(ValuesOf(ReleaseKey), (Values{{L"DefLang", Number(3)}}));
}

TEST_F(Registration, StoredBytesComeOverWhateverTheirType) {
    // A text under a number's name brings its first four bytes; a number under a text's name
    // brings its bytes as text units.
    WriteValues(ReleasePath(L"20180101"), {{L"serverlock", Text(L"2")}, {L"browser", Number(0x00420041)}});
    EXPECT_EQ(Register().result, qf::Registration::Registered);
    EXPECT_EQ(ValuesOf(ReleaseKey), Sorted({{L"ServerLock", Number(0x32)}, {L"Browser", Text(L"AB")}}));
}

TEST_F(Registration, ZeroNumbersAndEmptyTextsAreNotWritten) {
    WriteValues(ReleasePath(L"20180101"),
                {{L"ServerLock", Number(0)}, {L"DocPath", Text(L"")}, {L"DefLang", Number(4)}});
    EXPECT_EQ(Register().result, qf::Registration::Registered);
    EXPECT_EQ(ValuesOf(ReleaseKey), (Values{{L"DefLang", Number(4)}}));
}

struct TextLimitCase {
    std::size_t length;
    bool migrated;
};

void PrintTo(const TextLimitCase& c, std::ostream* out) { *out << c.length << " characters"; }

class ServerDefaultLimit : public Registration, public testing::WithParamInterface<TextLimitCase> {};

TEST_P(ServerDefaultLimit, ComesOverOnlyWithinItsReadLimit) {
    const std::wstring server(GetParam().length, L's');
    WriteValues(ReleasePath(L"20180101"), {{L"serverdefault", Text(server)}, {L"DefLang", Number(2)}});
    EXPECT_EQ(Register().result, qf::Registration::Registered);
    Values expected{{L"DefLang", Number(2)}};
    if (GetParam().migrated) expected.insert(expected.begin(), {L"ServerDefault", Text(server)});
    EXPECT_EQ(ValuesOf(ReleaseKey), Sorted(expected));
}

// 126 characters and the NUL are 254 bytes, within the 255 a text is read with; 127 are not.
INSTANTIATE_TEST_SUITE_P(Lengths, ServerDefaultLimit,
                         testing::Values(TextLimitCase{126, true}, TextLimitCase{127, false}));

struct NumberLimitCase {
    Value stored;
    bool migrated;
};

void PrintTo(const NumberLimitCase& c, std::ostream* out) { PrintTo(c.stored, out); }

class ServerLockLimit : public Registration, public testing::WithParamInterface<NumberLimitCase> {};

TEST_P(ServerLockLimit, ComesOverOnlyWithinItsFourBytes) {
    WriteValues(ReleasePath(L"20180101"), {{L"serverlock", GetParam().stored}, {L"DefLang", Number(2)}});
    EXPECT_EQ(Register().result, qf::Registration::Registered);
    Values expected{{L"DefLang", Number(2)}};
    if (GetParam().migrated) expected.emplace_back(L"ServerLock", Number(1));
    EXPECT_EQ(ValuesOf(ReleaseKey), Sorted(expected));
}

// A number is read with room for four bytes: a larger value, whatever its type, gives none.
INSTANTIATE_TEST_SUITE_P(Sizes, ServerLockLimit,
                         testing::Values(NumberLimitCase{Number(1), true},
                                         NumberLimitCase{{REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}}, false},
                                         NumberLimitCase{{REG_BINARY, {1, 0, 0, 0, 0}}, false}));

TEST_F(Registration, SameReleaseAgainWritesItsValuesBackUnchanged) {
    Values own = MigratedOldSettings;
    own.emplace_back(L"Unknown", Text(L"kept"));
    own.emplace_back(L"admin2", Number(0));
    WriteValues(ReleaseKey, own);
    EXPECT_EQ(Register().result, qf::Registration::Registered);
    EXPECT_EQ(ValuesOf(ReleaseKey), Sorted(own));
}

TEST_F(Registration, ANameThatIsNotThePlainNumberMigratesNothing) {
    WriteValues(ReleasePath(L"20180101x"), OldSettings);
    const Outcome outcome = Register();
    EXPECT_EQ(outcome.result, qf::Registration::Registered);
    EXPECT_EQ(ValuesOf(ReleaseKey), Values{});
    EXPECT_EQ(ValuesOf(ReleasePath(L"20180101x")), Sorted(OldSettings));
    EXPECT_TRUE(KeyExists(UninstallKey));
}

struct LongNameCase {
    std::size_t blanks;
    qf::Registration result;
};

void PrintTo(const LongNameCase& c, std::ostream* out) { *out << c.blanks << " blanks before the number"; }

class LongReleaseName : public Registration, public testing::WithParamInterface<LongNameCase> {};

// A subkey name is read into 49 bytes: 48 characters and the NUL. A longer name is passed over.
TEST_P(LongReleaseName, IsReadOnlyWithin48Characters) {
    WriteValues(ReleasePath(std::wstring(GetParam().blanks, L' ') + L"20200101"), {});
    EXPECT_EQ(Register().result, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongReleaseName,
                         testing::Values(LongNameCase{40, qf::Registration::NewerInstalled},
                                         LongNameCase{41, qf::Registration::Registered}));

class NewerRelease : public Registration, public testing::WithParamInterface<const wchar_t*> {};

TEST_P(NewerRelease, IsRefusedWithItsMessageAndNothingWritten) {
    WriteValues(ReleasePath(GetParam()), OldSettings);
    EXPECT_TRUE(qf::NewerReleaseInstalled());
    const Outcome outcome = Register();
    EXPECT_EQ(outcome.result, qf::Registration::NewerInstalled);
    // Registration shows nothing; the install sequence tells the newer release.
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(SubkeysOf(FamilyKey), std::vector<std::wstring>{GetParam()});
    EXPECT_FALSE(KeyExists(UninstallKey));
}

// "-5" reads as -5, which as an unsigned 32-bit number is above every positive release.
INSTANTIATE_TEST_SUITE_P(Names, NewerRelease, testing::Values(L"20200101", L"-5", L" +20191221", L"99999999999"));

TEST_F(Registration, TheReadOnlyCheckCreatesNothing) {
    EXPECT_FALSE(qf::NewerReleaseInstalled());
    EXPECT_FALSE(KeyExists(MakerKey));
    WriteValues(ReleasePath(L"20180101"), {});
    WriteValues(ReleaseKey, {});
    WriteValues(ServersKey, {});
    EXPECT_FALSE(qf::NewerReleaseInstalled());
    EXPECT_EQ(SubkeysOf(FamilyKey), (std::vector<std::wstring>{L"20180101", L"20191220", L"Servers"}));
}

// An earlier installation is told by its uninstall registration, or by the product's key alone
// (Quenfield\Lexaris), whatever it holds; the maker's key alone tells none. Only read.
TEST_F(Registration, APreviousInstallationIsToldByEitherKey) {
    EXPECT_FALSE(qf::DetectPreviousInstallation());
    WriteValues(MakerKey, {});
    EXPECT_FALSE(qf::DetectPreviousInstallation());
    WriteValues(LexarisKey, {});
    EXPECT_TRUE(qf::DetectPreviousInstallation());
    EXPECT_TRUE(SubkeysOf(LexarisKey).empty());
    e2e::ResetRegistry();
    WriteValues(UninstallKey, {});
    EXPECT_TRUE(qf::DetectPreviousInstallation());
    EXPECT_FALSE(KeyExists(MakerKey));
}

// --- Keys that cannot be created -------------------------------------------------------------

struct FailureCase {
    std::vector<std::wstring> volatileKeys;  // created in this order
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    for (const std::wstring& key : c.volatileKeys)
        *out << (&key == &c.volatileKeys.front() ? "" : " and ") << std::string(key.begin(), key.end());
}

class UncreatableKey : public Registration, public testing::WithParamInterface<FailureCase> {};

TEST_P(UncreatableKey, EndsWithTheRegistryErrorAndNothingRegistered) {
    // A volatile key refuses lasting subkeys (e2e::CreateKey).
    for (const std::wstring& key : GetParam().volatileKeys)
        ASSERT_TRUE(e2e::CreateKey(key.c_str(), REG_OPTION_VOLATILE)) << std::string(key.begin(), key.end());
    const Outcome outcome = Register();
    EXPECT_EQ(outcome.result, qf::Registration::RegistryFailed);
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_FALSE(KeyExists(ReleaseKey));
    EXPECT_FALSE(KeyExists(UninstallKey));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Keys, UncreatableKey, testing::Values(
    FailureCase{{MakerKey}},
    FailureCase{{LexarisKey}},
    FailureCase{{FamilyKey}},
    FailureCase{{FamilyKey, ReleasePath(L"20180101")}}));
// clang-format on

// --- A customised copy's site settings --------------------------------------------------------

struct SiteCase {
    const char* name;
    bool olderRelease;  // 20180101 holds ServerLock 2, ServerDefault "old.example", DocPath
    std::uint8_t mode;
    const char* server;
    const char* docPath;
    Values expected;
};

void PrintTo(const SiteCase& c, std::ostream* out) { *out << c.name; }

class SiteSettings : public Registration, public testing::WithParamInterface<SiteCase> {};

TEST_P(SiteSettings, ReplaceOrRemoveWhatMigrationWrote) {
    const SiteCase& c = GetParam();
    if (c.olderRelease) {
        WriteValues(ReleasePath(L"20180101"), {{L"ServerLock", Number(2)},
                                               {L"ServerDefault", Text(L"old.example")},
                                               {L"DocPath", Text(L"\\\\old\\docs")},
                                               {L"DefLang", Number(3)}});
    }
    ASSERT_EQ(qf::PatchEmbeddedSettings(qf::EmbeddedSettings, 0, c.mode, c.server, c.docPath),
              qf::PatchResult::Patched);
    const Outcome outcome = Register();
    EXPECT_EQ(outcome.result, qf::Registration::Registered);
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(ValuesOf(ReleaseKey), Sorted(c.expected));
    EXPECT_TRUE(KeyExists(UninstallKey));
}

const Value OldLock = Number(2);
const Value OldServer = Text(L"old.example");
const Value OldDocs = Text(L"\\\\old\\docs");

// clang-format off
INSTANTIATE_TEST_SUITE_P(Blocks, SiteSettings, testing::Values(
    SiteCase{"Mode0DeletesTheLockAndSetsTheServer", true, 0, "srv.site", "",
             {{L"ServerDefault", Text(L"srv.site")}, {L"DefLang", Number(3)}}},
    SiteCase{"Mode0OnACleanMachine", false, 0, "srv.site", "\\\\site\\docs",
             {{L"ServerDefault", Text(L"srv.site")}, {L"DocPath", Text(L"\\\\site\\docs")}}},
    SiteCase{"Mode1", true, 1, "srv.site", "\\\\site\\docs",
             {{L"ServerDefault", Text(L"srv.site")}, {L"ServerLock", Number(1)},
              {L"DefLang", Number(3)}, {L"DocPath", Text(L"\\\\site\\docs")}}},
    SiteCase{"Mode1OnACleanMachine", false, 1, "srv.site", "",
             {{L"ServerLock", Number(1)}, {L"ServerDefault", Text(L"srv.site")}}},
    SiteCase{"Mode2", true, 2, "srv.site", "",
             {{L"ServerDefault", Text(L"srv.site")}, {L"ServerLock", Number(2)},
              {L"DefLang", Number(3)}}},
    SiteCase{"Mode10KeepsTheMigratedServerAndSetsTheDocPath", true, 10, "", "\\\\site\\docs",
             {{L"ServerDefault", OldServer}, {L"ServerLock", OldLock}, {L"DefLang", Number(3)},
              {L"DocPath", Text(L"\\\\site\\docs")}}},
    SiteCase{"Mode10WithoutTextsDeletesTheDocPath", true, 10, "", "",
             {{L"ServerDefault", OldServer}, {L"ServerLock", OldLock}, {L"DefLang", Number(3)}}},
    SiteCase{"Mode10OnACleanMachine", false, 10, "", "\\\\site\\docs",
             {{L"DocPath", Text(L"\\\\site\\docs")}}},
    SiteCase{"BlankLedServerDeletesTheServer", true, 1, " srv.site", "\\\\site\\docs",
             {{L"ServerLock", Number(1)}, {L"DefLang", Number(3)},
              {L"DocPath", Text(L"\\\\site\\docs")}}},
    SiteCase{"BlankLedDocPathDeletesTheDocPath", true, 2, "srv.site", " \\\\site\\docs",
             {{L"ServerDefault", Text(L"srv.site")}, {L"ServerLock", Number(2)},
              {L"DefLang", Number(3)}}}),
    [](const testing::TestParamInfo<SiteCase>& info) { return std::string(info.param.name); });
// clang-format on

// --- The registered command -------------------------------------------------------------------

TEST_F(Registration, TheUninstallStringAsStoredStartsTheUninstallMode) {
    e2e::RemoveTree(DefaultInstallDir);
    ASSERT_TRUE(e2e::MakeDirs(DefaultInstallDir));
    ASSERT_TRUE(e2e::CopyTo(e2e::Built(L"qfsetup.exe"), std::wstring(DefaultInstallDir) + L"\\qfsetup.exe"));
    ASSERT_EQ(Register().result, qf::Registration::Registered);
    const std::optional<Values> values = ValuesOf(UninstallKey);
    ASSERT_TRUE(values && values->size() == 13);
    const auto command =
        std::find_if(values->begin(), values->end(), [](const auto& v) { return v.first == L"UninstallString"; });
    ASSERT_NE(command, values->end());
    const std::wstring line(reinterpret_cast<const wchar_t*>(command->second.data.data()));

    // Windows hands the value to CreateProcessW as the whole command line.
    driver::Process p;
    ASSERT_TRUE(driver::Start(p, line));
    driver::MsgBox box;
    ASSERT_TRUE(driver::WaitMessageBox(p, box, e2e::WaitMs));
    EXPECT_EQ(box.caption, UninstallCompleteCaption);
    driver::Answer(box, IDOK);
    EXPECT_EQ(driver::WaitExit(p, e2e::WaitMs), 0);
    EXPECT_FALSE(KeyExists(UninstallKey));
    EXPECT_FALSE(KeyExists(ReleaseKey));
    e2e::RemoveTree(DefaultInstallDir);
}

// --- The location judgement ---------------------------------------------------------------------

// Another account's profile as the machine's profile list names it, in a folder of the test's
// own (Wine's prefix lists only the running account and makes no other profile), and the
// running account's Music moved to a folder of its own, as a redirection moves it.
const wchar_t* const OtherAccountKey =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1002";
const wchar_t* const UserShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t* const TestFolders[] = {L"C:\\qf-accounts", L"C:\\qf-moved", L"C:\\Program Files\\qf-new",
                                      L"C:\\windows\\qf-new"};

struct JudgementCase {
    const char* name;
    const wchar_t* location;
    bool made;  // made (empty) before the judgement, else not there
    qf::LocationVerdict page, uninstall;
};

void PrintTo(const JudgementCase& c, std::ostream* out) { *out << c.name; }

class LocationJudgement : public testing::TestWithParam<JudgementCase> {
protected:
    void SetUp() override {
        for (const wchar_t* folder : TestFolders) e2e::RemoveTree(folder);
        DWORD size = sizeof music;
        hadMusic = RegGetValueW(HKEY_CURRENT_USER, UserShellFolders, L"My Music", RRF_RT_ANY | RRF_NOEXPAND, &musicType,
                                music, &size) == ERROR_SUCCESS;
        musicSize = size;
        ASSERT_TRUE(hadMusic) << "the prefix has no Music folder to move";
        const std::wstring moved = L"C:\\qf-moved\\Music";
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, UserShellFolders, L"My Music", REG_SZ, moved.c_str(),
                                  static_cast<DWORD>((moved.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        ASSERT_FALSE(KeyExists(OtherAccountKey)) << "the prefix has an account of that name";
        madeAccount = e2e::WriteString(OtherAccountKey, L"ProfileImagePath", L"C:\\qf-accounts\\qf-other");
        ASSERT_TRUE(madeAccount);
    }
    void TearDown() override {
        if (madeAccount) RegDeleteTreeW(HKEY_LOCAL_MACHINE, OtherAccountKey);
        if (hadMusic) RegSetKeyValueW(HKEY_CURRENT_USER, UserShellFolders, L"My Music", musicType, music, musicSize);
        for (const wchar_t* folder : TestFolders) e2e::RemoveTree(folder);
    }

    BYTE music[2048];
    DWORD musicType = REG_NONE, musicSize = 0;
    bool hadMusic = false, madeAccount = false;
};

// The page judges a location that is not there, outside the accounts' folders, by its text
// against the folders the system and the registry name, without the known folders; the
// uninstall, and the page for a location that is there or lies within the accounts' folders,
// judge it in full. Neither makes what it judges.
TEST_P(LocationJudgement, ThePageSparesTheKnownFoldersOnlyWhereNothingIsThere) {
    const JudgementCase& c = GetParam();
    if (c.made) ASSERT_TRUE(e2e::MakeDirs(c.location));
    EXPECT_EQ(qf::CheckInstallLocation(c.location), c.page);
    EXPECT_EQ(qf::CheckLocation(c.location), c.uninstall);
    EXPECT_EQ(e2e::Exists(c.location), c.made);
}

using enum qf::LocationVerdict;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Locations, LocationJudgement, testing::Values(
    // Below Program Files, not there yet: the fresh installation's own case.
    JudgementCase{"AbsentBelowProgramFiles", L"C:\\Program Files\\qf-new", false, Removable, Removable},
    JudgementCase{"MadeBelowProgramFiles", L"C:\\Program Files\\qf-new", true, Removable, Removable},
    // What the text and the listed folders refuse, there or not.
    JudgementCase{"AbsentBelowWindows", L"C:\\windows\\qf-new", false, Protected, Protected},
    JudgementCase{"AbsentHoldingAListedProfile", L"C:\\qf-accounts", false, Protected, Protected},
    // Within an account's folders nothing there yet is judged in full: the account's AppData
    // is made there when the account first logs on; a folder of its own is not refused.
    JudgementCase{"AbsentAnotherAccountsAppData", L"C:\\qf-accounts\\qf-other\\AppData\\Roaming", false,
                  Protected, Protected},
    JudgementCase{"AbsentBelowAnotherAccountsProfile", L"C:\\qf-accounts\\qf-other\\Apps", false, Removable,
                  Removable},
    // A known folder moved outside the accounts' folders: while it is not there, only the
    // uninstall's judgement, which asks for every known folder, refuses it; once it is there,
    // both do. Below it, a folder is an installation like any other.
    JudgementCase{"AbsentMovedKnownFolder", L"C:\\qf-moved\\Music", false, Removable, Protected},
    JudgementCase{"MadeMovedKnownFolder", L"C:\\qf-moved\\Music", true, Protected, Protected},
    JudgementCase{"AbsentBelowMovedKnownFolder", L"C:\\qf-moved\\Music\\ORIN-6", false, Removable, Removable},
    JudgementCase{"MadeBelowMovedKnownFolder", L"C:\\qf-moved\\Music\\ORIN-6", true, Removable, Removable}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// The run lock is one for every account of the machine (a deployment service beside an
// administrator's session): its descriptor, read back from the lock, lets everyone wait on it
// and let go of it, and nothing more. Wine enforces no access rights, so the descriptor itself
// is what can be checked here.
TEST(RunLock, EveryAccountMayWaitOnItAndLetGoOfIt) {
    qf::TakeRunLock();
    ASSERT_TRUE(qf::HoldsRunLock());
    const HANDLE lock = OpenMutexW(READ_CONTROL, FALSE, RunLockName);
    ASSERT_NE(lock, nullptr);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(lock, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr);
    ASSERT_EQ(dacl->AceCount, 1);
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, 0, &ace));
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(allowed->Mask, static_cast<DWORD>(SYNCHRONIZE | MUTEX_MODIFY_STATE));
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof everyone;
    ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size));
    EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&allowed->SidStart), everyone));
    LocalFree(descriptor);
    CloseHandle(lock);
    qf::ReleaseRunLock();
    EXPECT_FALSE(qf::HoldsRunLock());
}

}  // namespace
