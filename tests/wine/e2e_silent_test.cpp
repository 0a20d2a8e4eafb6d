// The silent modes as a deployment engine runs them: no window and no box at any point, the exit
// code the engine judges by, the log's last line, and what each road leaves on disk and in the
// registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using namespace e2e::paths;

constexpr DWORD SilentWaitMs = 60000;

struct Ended {
    long long exitCode;
    bool showedAWindow;
};

// Starts exe with args and watches it to its end: any window of its own, a box included, is
// noted (and the run is not answered: a silent run that waits for a person is a failure).
Ended RunSilently(const std::wstring& exe, const std::wstring& args) {
    driver::Process p = e2e::Start(exe, args);
    bool shown = false;
    long long code = driver::kTimedOut;
    driver::WaitUntil(
        [&] {
            shown = shown || !driver::TopLevelWindows(p).empty();
            code = driver::WaitExit(p, 0);
            return code != driver::kTimedOut;
        },
        SilentWaitMs);
    return {code, shown};
}

// A file's lines, as bytes (the log is UTF-8), without their line ends.
std::vector<std::string> LogLines(const std::wstring& path) {
    const std::vector<std::uint8_t> bytes = e2e::ReadAll(path);
    std::vector<std::string> lines;
    std::string line;
    for (const std::uint8_t byte : bytes) {
        if (byte != '\n') {
            line.push_back(static_cast<char>(byte));
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        line.clear();
    }
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& line : lines)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

const std::wstring LogDir = L"C:\\qf-silent";
const std::wstring Log = LogDir + L"\\run.log";

class Silent : public testing::Test {
protected:
    void SetUp() override {
        e2e::ResetRegistry();
        e2e::RemoveTree(DefaultInstallDir);
        e2e::RemoveTree(Shortcut);
        e2e::RemoveTree(CommonShortcut);
        e2e::MakeDirs(Desktop);
        e2e::RemoveTree(LogDir);
        e2e::MakeDirs(LogDir);
    }

    Ended Install(const std::wstring& more = L"") {
        return RunSilently(e2e::Built(L"qfsetup.exe"), L"/silent /log=" + Log + more);
    }
    Ended Uninstall() { return RunSilently(e2e::Built(L"qfsetup.exe"), L"/silent-uninstall /log=" + Log); }
};

bool Installed() {
    return e2e::KeyExists(UninstallKey) && e2e::KeyExists(ReleaseKey) &&
           e2e::Exists(std::wstring(DefaultInstallDir) + L"\\qfmgr.exe") &&
           e2e::Exists(std::wstring(DefaultInstallDir) + L"\\qfsetup.exe") && e2e::Exists(Shortcut);
}

bool NothingInstalled() {
    return !e2e::KeyExists(UninstallKey) && !e2e::KeyExists(ReleaseKey) && !e2e::Exists(DefaultInstallDir) &&
           !e2e::Exists(Shortcut);
}

struct RoadCase {
    const char* name;
    std::function<void()> before;  // the machine the road starts from
    const wchar_t* installer;
    const wchar_t* args;  // after the log argument's own "/silent /log=..."
    bool uninstall;
    DWORD exitCode;
    const char* logLine;  // a line of the log, besides the last
    const char* lastLine;
    std::function<bool()> after;
};

void PrintTo(const RoadCase& c, std::ostream* out) { *out << c.name; }

class SilentRoad : public Silent, public testing::WithParamInterface<RoadCase> {};

TEST_P(SilentRoad, EndsWithItsCodeAndItsLogAndShowsNothing) {
    const RoadCase& c = GetParam();
    if (c.before) c.before();
    e2e::RemoveTree(LogDir);
    e2e::MakeDirs(LogDir);
    const std::wstring head = c.uninstall ? L"/silent-uninstall /log=" : L"/silent /log=";
    const Ended run = RunSilently(e2e::Built(c.installer), head + Log + c.args);
    EXPECT_FALSE(run.showedAWindow);
    EXPECT_EQ(run.exitCode, c.exitCode);
    const std::vector<std::string> lines = LogLines(Log);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(HasLine(lines, c.logLine)) << "no line with: " << c.logLine;
    EXPECT_NE(lines.back().find(c.lastLine), std::string::npos) << lines.back();
    EXPECT_TRUE(c.after());
}

void InstallFirst() {
    const Ended run = RunSilently(e2e::Built(L"qfsetup.exe"), L"/silent");
    ASSERT_EQ(run.exitCode, 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Roads, SilentRoad, testing::Values(
    RoadCase{"Fresh", nullptr, L"qfsetup.exe", L"", false, 0,
             "directory created: C:\\Program Files\\Quenfield", "outcome: installed, exit code 0", Installed},
    RoadCase{"Upgrade", InstallFirst, L"qfsetup.exe", L"", false, 0,
             "an earlier installation is there", "outcome: installed, exit code 0", Installed},
    RoadCase{"OverANewerRelease",
             [] { e2e::CreateKey(L"Software\\Quenfield\\Lexaris\\2.0\\20991231"); },
             L"qfsetup.exe", L"", false, 1638, "a newer release of ORIN-6 is installed",
             "exit code 1638", [] { return !e2e::Exists(DefaultInstallDir) && !e2e::KeyExists(UninstallKey); }},
    RoadCase{"ARefusedDirectory", nullptr, L"qfsetup.exe", L" /dir=C:\\windows\\system32\\Quenfield", false, 1603,
             "directory refused", "exit code 1603", NothingInstalled},
    RoadCase{"ADamagedArchive", nullptr, L"qfsetup-corrupt.exe", L"", false, 1603,
             "the installer's archive is damaged", "exit code 1603", NothingInstalled},
    RoadCase{"NotAnAdministrator", nullptr, L"qfsetup-nonadmin.exe", L"", false, 740,
             "not run as an administrator", "outcome: nothing done, exit code 740", NothingInstalled},
    RoadCase{"ABadArgument", nullptr, L"qfsetup.exe", L" /verysilent", false, 87,
             "argument not understood: /verysilent", "outcome: nothing done, exit code 87", NothingInstalled},
    RoadCase{"TheUninstall", InstallFirst, L"qfsetup.exe", L"", true, 0,
             "uninstall registration removed", "outcome: uninstalled, exit code 0", NothingInstalled},
    RoadCase{"NothingToUninstall", nullptr, L"qfsetup.exe", L"", true, 1605,
             "ORIN-6 is not installed", "outcome: nothing to uninstall, exit code 1605", NothingInstalled},
    RoadCase{"AnUninstallWithABadArgument", InstallFirst, L"qfsetup.exe", L" /dir=C:\\x", true, 87,
             "argument not understood: /dir=C:\\x", "exit code 87", Installed}),
    [](const testing::TestParamInfo<RoadCase>& info) { return std::string(info.param.name); });
// clang-format on

// What Apps & features and a detection rule read, and the registered quiet uninstall, which
// removes it all (the installation's own copy of the uninstaller stays while it runs, by design).
TEST_F(Silent, RegistersWhatEnginesReadAndItsQuietUninstallRemovesIt) {
    ASSERT_EQ(Install().exitCode, 0);
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"DisplayVersion"), L"2019.12.20");
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"Publisher"), L"Quenfield");
    EXPECT_EQ(e2e::ReadNumber(UninstallKey, L"NoModify"), 1u);
    EXPECT_EQ(e2e::ReadNumber(UninstallKey, L"NoRepair"), 1u);
    const std::wstring quiet = L"\"" + std::wstring(DefaultInstallDir) + L"\\qfsetup.exe\" /silent-uninstall";
    ASSERT_EQ(e2e::ReadString(UninstallKey, L"QuietUninstallString"), quiet);
    driver::Process p = e2e::StartRaw(quiet, L"", std::wstring(DefaultInstallDir) + L"\\qfsetup.exe");
    EXPECT_EQ(driver::WaitExit(p, SilentWaitMs), 0);
    EXPECT_FALSE(e2e::KeyExists(UninstallKey));
    EXPECT_FALSE(e2e::KeyExists(ReleaseKey));
    EXPECT_FALSE(e2e::Exists(Shortcut));
    EXPECT_FALSE(e2e::Exists(std::wstring(DefaultInstallDir) + L"\\qfmgr.exe"));
}

// Deployment engines run as the system account, whose profile lies below the Windows folder.
TEST_F(Silent, UnderTheSystemProfileTheShortcutIsOnTheCommonDesktop) {
    wchar_t profile[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    SetEnvironmentVariableW(L"USERPROFILE", SystemProfile);
    const Ended installed = Install();
    const std::vector<std::string> lines = LogLines(Log);
    const bool shortcutThere = e2e::Exists(CommonShortcut);
    const Ended removed = Uninstall();
    SetEnvironmentVariableW(L"USERPROFILE", profile);
    EXPECT_EQ(installed.exitCode, 0);
    EXPECT_TRUE(HasLine(lines, "desktop shortcut written: C:\\users\\Public\\Desktop\\ORIN-6 Client.lnk"));
    EXPECT_TRUE(shortcutThere);
    EXPECT_EQ(removed.exitCode, 0);
    EXPECT_FALSE(e2e::Exists(CommonShortcut));
    EXPECT_TRUE(NothingInstalled());
}

TEST_F(Silent, AFileInUseStopsTheUninstallWhichFinishesOnceItIsFree) {
    ASSERT_EQ(Install().exitCode, 0);
    const std::wstring client = std::wstring(DefaultInstallDir) + L"\\qfmgr.exe";
    HANDLE held = CreateFileW(client.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Ended run = Uninstall();
    EXPECT_FALSE(run.showedAWindow);
    EXPECT_EQ(run.exitCode, 1603);
    const std::vector<std::string> lines = LogLines(Log);
    EXPECT_TRUE(HasLine(lines, "qfmgr.exe: error 32")) << "the file and why it stays";
    EXPECT_TRUE(e2e::KeyExists(UninstallKey));
    CloseHandle(held);
    run = Uninstall();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(NothingInstalled());
}

TEST_F(Silent, TheLogIsUtf8AndDirectoryQuotedWithBlanksIsTaken) {
    const std::wstring directory = L"C:\\qf-silent target\\\u00c9t\u00e9 \u6587";
    e2e::RemoveTree(L"C:\\qf-silent target");
    ASSERT_EQ(Install(L" \"/dir=" + directory + L"\"").exitCode, 0);
    EXPECT_TRUE(e2e::Exists(directory + L"\\qfmgr.exe"));
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), directory);
    EXPECT_TRUE(HasLine(LogLines(Log), "directory created: C:\\qf-silent target\\\xC3\x89t\xC3\xA9 \xE6\x96\x87"));
    ASSERT_EQ(Uninstall().exitCode, 0);
    EXPECT_FALSE(e2e::Exists(directory));
    e2e::RemoveTree(L"C:\\qf-silent target");
}

TEST_F(Silent, ALogNameThatIsAHardLinkIsNeverWrittenAndTheRunGoesOn) {
    const std::wstring other = LogDir + L"\\someone-elses.txt";
    ASSERT_TRUE(e2e::WriteAll(other, {'k', 'e', 'e', 'p'}));
    ASSERT_TRUE(CreateHardLinkW(Log.c_str(), other.c_str(), nullptr));
    EXPECT_EQ(Install().exitCode, 0);
    EXPECT_EQ(e2e::ReadAll(other), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(Installed());
}

// Another run holds the lock past the limit: the faulty variant's wait runs out at once, as the
// real one would after ten minutes.
TEST_F(Silent, AnotherRunHoldingTheLockEndsWith1618) {
    const std::wstring record = LogDir + L"\\calls.txt";
    SetEnvironmentVariableW(L"QF_FAULTS_RECORD", record.c_str());
    SetEnvironmentVariableW(L"QF_FAULTS", L"count");
    ASSERT_EQ(RunSilently(e2e::Built(L"qfsetup-faults.exe"), L"/silent /log=" + Log).exitCode, 0);
    std::string wait;
    for (const std::string& line : LogLines(record)) {
        const std::size_t at = line.find(" MsgWaitForMultipleObjects");
        if (at != std::string::npos && wait.empty()) wait = line.substr(0, at);
    }
    ASSERT_FALSE(wait.empty());
    SetUp();
    SetEnvironmentVariableW(L"QF_FAULTS", (L"fail:" + std::wstring(wait.begin(), wait.end())).c_str());
    const Ended run = RunSilently(e2e::Built(L"qfsetup-faults.exe"), L"/silent /log=" + Log);
    SetEnvironmentVariableW(L"QF_FAULTS", nullptr);
    SetEnvironmentVariableW(L"QF_FAULTS_RECORD", nullptr);
    EXPECT_FALSE(run.showedAWindow);
    EXPECT_EQ(run.exitCode, 1618);
    EXPECT_TRUE(HasLine(LogLines(Log), "still runs after ten minutes"));
    EXPECT_TRUE(NothingInstalled());
}

}  // namespace
