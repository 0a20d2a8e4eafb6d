// Verification, extraction and the desktop shortcut against Wine's real file system, with a page
// window of the test's own as owner: its paint handling records what the status line would show
// at each forced repaint, and a watcher thread reads and answers the message boxes the code
// shows, which would otherwise block this thread.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/payload_win.h"
#include "pages/install_sequence_win.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "box_watcher.h"
#include "e2e_support.h"
#include "base/process_state_win.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace e2e::texts;

// --- The page -------------------------------------------------------------------------------

// What the status line would show at one repaint.
struct Paint {
    std::uint32_t verifyProgress;
    std::wstring targetPath;
    bool targetExists;
};
std::vector<Paint> Paints;
// The installation the extraction works for, as the install sequence hands it down.
qf::InstallRun Installation;

LRESULT CALLBACK TestPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(page, message, wParam, lParam);
    PAINTSTRUCT ps;
    BeginPaint(page, &ps);
    EndPaint(page, &ps);
    Paints.push_back({qf::VerifyProgress, Installation.CurrentTargetPath,
                      GetFileAttributesW(Installation.CurrentTargetPath) != INVALID_FILE_ATTRIBUTES});
    return 0;
}

HWND TestPage() {
    static HWND page = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestPageProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TestLocationBox";
        RegisterClassW(&wc);
        // Centred, so that the message boxes it owns, centred on it, show whole on the screen
        // where the watcher reads their icons.
        const int width = 500, height = 400;
        return CreateWindowExW(
            0, wc.lpszClassName, L"page", WS_OVERLAPPEDWINDOW | WS_VISIBLE, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
            (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, wc.hInstance, nullptr);
    }();
    return page;
}

// Lets pending paints of the page run, then forgets every paint so far.
void SettlePage() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Paints.clear();
}

// --- Running the code under test ------------------------------------------------------------

struct Outcome {
    qf::ExtractResult result;
    std::vector<driver::MsgBox> boxes;
    bool quitPosted = false;
    WPARAM quitCode = 99;
};

Outcome TakeQuit(Outcome out) {
    MSG msg;
    out.quitPosted = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    if (out.quitPosted) out.quitCode = msg.wParam;
    return out;
}

void UseArchive(const Bytes& archive) {
    qf::PayloadArchive = {archive.data(), static_cast<std::uint32_t>(archive.size())};
}

void SetText(wchar_t* buffer, std::size_t capacity, const std::wstring& text) {
    ASSERT_TRUE(qf::CopyText({qf::U(buffer), capacity}, qf::U(text.c_str())));
}

Outcome Extract(const Bytes& archive, const std::wstring& installDirectory, const std::wstring& desktop = L"") {
    UseArchive(archive);
    Installation = {};
    SetText(Installation.InstallDirectory, qf::InstallDirectoryCapacity, installDirectory);
    SetText(qf::AllUsersDesktop, qf::PathCapacity, desktop);
    qf::ExtractedFileCount = 0;
    const HWND page = TestPage();
    SettlePage();
    BoxWatcher watcher;
    qf::StepFailure failure;
    const qf::ExtractResult result = qf::ExtractPayloadArchive(page, Installation, failure);
    // As the install sequence ends an extraction that stopped.
    if (result != qf::ExtractResult::Completed) qf::FinishInstallation(page, qf::EndOfExtraction(result), &failure);
    return TakeQuit({result, watcher.Stop()});
}

Bytes Data(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes Archive(std::initializer_list<std::pair<const char*, Bytes>> records) {
    Bytes a = qf::StartArchive();
    for (const auto& [name, data] : records) {
        // A name ending in '\' is a directory (written without it).
        const std::string_view n(name);
        if (n.back() == '\\') qf::AppendDirectoryRecord(a, n.substr(0, n.size() - 1));
        else qf::AppendFileRecord(a, n, data);
    }
    qf::FinishArchive(a);
    return a;
}

void ExpectAbortedWith(const Outcome& out, const std::wstring& caption, const std::wstring& text) {
    EXPECT_NE(out.result, qf::ExtractResult::Completed);
    ASSERT_EQ(out.boxes.size(), 2u);
    e2e::ExpectBox(out.boxes[0], caption, text, driver::MsgBox::Error, TestPage());
    e2e::ExpectBox(out.boxes[1], InstallationErrorsCaption, InstallationErrorsMessage, driver::MsgBox::Error,
                   TestPage());
    EXPECT_TRUE(out.quitPosted);
    EXPECT_EQ(out.quitCode, 0u);
}

void ExpectCompletedSilently(const Outcome& out) {
    EXPECT_EQ(out.result, qf::ExtractResult::Completed);
    EXPECT_TRUE(out.boxes.empty()) << out.boxes[0].text.c_str();
    EXPECT_FALSE(out.quitPosted);
}

// --- Verification ---------------------------------------------------------------------------

struct VerifyCase {
    std::size_t length;
    std::vector<std::uint32_t> shown;  // VerifyProgress at each repaint
};

void PrintTo(const VerifyCase& c, std::ostream* out) { *out << c.length << " bytes"; }

class VerifyRepaints : public testing::TestWithParam<VerifyCase> {};

TEST_P(VerifyRepaints, RepaintsAtEachMultipleOf112323BelowTheLength) {
    Bytes archive(GetParam().length, 0xFF);
    archive[0] = 3;
    qf::FinishArchive(archive);
    UseArchive(archive);
    SettlePage();
    BoxWatcher watcher;
    EXPECT_TRUE(qf::VerifyPayloadArchive(TestPage()));
    EXPECT_TRUE(watcher.Stop().empty());
    std::vector<std::uint32_t> shown;
    for (const Paint& p : Paints) shown.push_back(p.verifyProgress);
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_EQ(qf::VerifyProgress, GetParam().length);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lengths, VerifyRepaints, testing::Values(
    VerifyCase{112'323, {}}, VerifyCase{112'324, {112'323}}, VerifyCase{224'647, {112'323, 224'646}}));
// clang-format on

TEST(Verify, MismatchShortAndMissingArchivesAreCorruptedWithoutAMessage) {
    Bytes changed = Archive({{"a.txt", Data("hello")}});
    changed.back() ^= 1;
    const std::vector<Bytes> corrupted = {changed, Bytes{3, 0, 0, 0}, Bytes{}};
    for (const Bytes& archive : corrupted) {
        UseArchive(archive);
        BoxWatcher watcher;
        EXPECT_FALSE(qf::VerifyPayloadArchive(TestPage())) << archive.size();
        EXPECT_TRUE(watcher.Stop().empty());
        EXPECT_FALSE(TakeQuit({}).quitPosted);
    }
    qf::PayloadArchive = {};
    EXPECT_FALSE(qf::VerifyPayloadArchive(TestPage()));
    EXPECT_EQ(qf::VerifyProgress, 5u);
}

// --- Extraction -----------------------------------------------------------------------------

Bytes Pattern(std::size_t size) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return b;
}

TEST(Extract, WritesTheTreeByteForByteOverWhatIsThere) {
    const std::wstring dir = e2e::ScratchDir(L"extract-tree");
    // An earlier installation: the directory exists and a longer file of the same name too.
    ASSERT_TRUE(CreateDirectoryW((dir + L"\\docs").c_str(), nullptr));
    ASSERT_TRUE(e2e::WriteAll(dir + L"\\docs\\index.html", Bytes(5000, 'o')));
    const Bytes image = Pattern(70'000);
    const Outcome out = Extract(Archive({{"docs\\", {}},
                                         {"docs\\index.html", Data("<html>new</html>")},
                                         {"docs\\img\\", {}},
                                         {"docs\\img\\caf\xE9.gif", image},
                                         {"docs\\empty.txt", {}},
                                         {"top", Data("t")}}),
                                dir);
    ExpectCompletedSilently(out);
    EXPECT_EQ(e2e::ReadAll(dir + L"\\docs\\index.html"), Data("<html>new</html>"));
    EXPECT_EQ(e2e::ReadAll(dir + L"\\docs\\img\\caf\u00E9.gif"), image);
    EXPECT_NE(GetFileAttributesW((dir + L"\\docs\\empty.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(e2e::ReadAll(dir + L"\\docs\\empty.txt").empty());
    EXPECT_EQ(e2e::ReadAll(dir + L"\\top"), Data("t"));
    EXPECT_EQ(qf::ExtractedFileCount, 4u);
}

struct RepaintCase {
    int files;
    std::vector<int> repaintedBefore;  // 1-based numbers of the files shown at each repaint
};

void PrintTo(const RepaintCase& c, std::ostream* out) { *out << c.files << " files"; }

class ExtractRepaints : public testing::TestWithParam<RepaintCase> {};

TEST_P(ExtractRepaints, ShowTheFileAboutToBeWrittenOnEvery13th) {
    const std::wstring dir = e2e::ScratchDir(L"extract-repaints");
    Bytes a = qf::StartArchive();
    for (int i = 1; i <= GetParam().files; ++i) {
        // Directory records in between never repaint.
        const std::string sub = "d" + std::to_string(i);
        qf::AppendDirectoryRecord(a, sub);
        qf::AppendFileRecord(a, sub + "\\f" + std::to_string(i), Data("x"));
    }
    qf::FinishArchive(a);
    ExpectCompletedSilently(Extract(a, dir));
    std::vector<std::wstring> expected;
    for (const int n : GetParam().repaintedBefore)
        expected.push_back(dir + L"\\d" + std::to_wstring(n) + L"\\f" + std::to_wstring(n));
    std::vector<std::wstring> shown;
    for (const Paint& p : Paints) {
        shown.push_back(p.targetPath);
        EXPECT_FALSE(p.targetExists) << "the status line names a file already written";
    }
    EXPECT_EQ(shown, expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Counts, ExtractRepaints, testing::Values(
    RepaintCase{1, {1}}, RepaintCase{13, {1}}, RepaintCase{14, {1, 14}}, RepaintCase{27, {1, 14, 27}}));
// clang-format on

TEST(Extract, AFileBeforeItsDirectoryEndsWithErrorThree) {
    const std::wstring dir = e2e::ScratchDir(L"extract-order");
    const Outcome out = Extract(Archive({{"late\\a.txt", Data("a")}, {"late\\", {}}}), dir);
    ExpectAbortedWith(out, InstallErrorCaption, InstallErrorText(dir + L"\\late\\a.txt", 3));
    EXPECT_EQ(GetFileAttributesW((dir + L"\\late").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Extract, ADirectoryThatCannotBeCreatedEndsWithItsMessage) {
    const std::wstring dir = e2e::ScratchDir(L"extract-nodir");
    const Outcome out = Extract(Archive({{"a\\b\\", {}}}), dir);  // parent "a" has no record
    ExpectAbortedWith(out, CreateDirectoryErrorCaption, CreateDirectoryErrorPrefix + dir + L"\\a\\b");
}

struct CorruptedCase {
    const char* what;
    Bytes record;
};

void PrintTo(const CorruptedCase& c, std::ostream* out) { *out << c.what; }

class ExtractCorrupted : public testing::TestWithParam<CorruptedCase> {};

TEST_P(ExtractCorrupted, StopsAtTheRecordWithTheCorruptedMessage) {
    const std::wstring dir = e2e::ScratchDir(L"extract-corrupted");
    Bytes a = Archive({{"first.txt", Data("1")}});
    a.insert(a.end(), GetParam().record.begin(), GetParam().record.end());
    qf::AppendFileRecord(a, "after.txt", Data("2"));
    qf::FinishArchive(a);
    const Outcome out = Extract(a, dir);
    ExpectAbortedWith(out, CorruptedArchiveCaption, CorruptedArchiveMessage);
    EXPECT_EQ(e2e::ReadAll(dir + L"\\first.txt"), Data("1"));
    EXPECT_EQ(GetFileAttributesW((dir + L"\\after.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Records, ExtractCorrupted, testing::Values(
    CorruptedCase{"type 2", {2, 5, 0, 'a', 0}},
    CorruptedCase{"type 0", {0, 5, 0, 'a', 0}},
    CorruptedCase{"a name leaving the tree", {3, 7, 0, '.', '.', ' ', 0}},
    CorruptedCase{"directory length 0", {3, 0, 0, 'a', 0}}));
// clang-format on

// "x x x ...": a long name the message box can wrap, so that it stays on the screen.
std::string Words(std::size_t length, char letter) {
    std::string name(length, ' ');
    for (std::size_t i = 0; i < length; i += 2) name[i] = letter;
    return name;
}

std::wstring Widened(const std::string& name) { return std::wstring(name.begin(), name.end()); }

TEST(Extract, PathsThatDoNotFitAreRefusedWithTheirOwnMessage) {
    // 100 characters, the longest installation directory; it need not exist, nothing is created.
    const std::wstring dir = L"C:\\" + std::wstring(97, L'd');
    const std::string file = Words(155, 'f');  // 100 + 1 + 155 units overrun CurrentTargetPath's 256
    const std::wstring fileShown = dir + L"\\" + Widened(file.substr(0, 256 - 101 - 4)) + L"...";
    ExpectAbortedWith(Extract(Archive({{file.c_str(), Data("x")}}), dir), InstallErrorCaption,
                      InstallErrorText(fileShown, 206));

    const std::string directory = Words(999, 'd');  // overruns the directory path's 1,024 units
    const std::wstring directoryShown = dir + L"\\" + Widened(directory.substr(0, 1024 - 101 - 4)) + L"...";
    ExpectAbortedWith(Extract(Archive({{(directory + "\\").c_str(), {}}}), dir), CreateDirectoryErrorCaption,
                      CreateDirectoryErrorPrefix + directoryShown);
}

// --- Desktop shortcut -----------------------------------------------------------------------

struct Link {
    bool exists = false;
    std::wstring path, workingDirectory, description;
};

Link ReadLink(const std::wstring& file) {
    Link link;
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return link;
    link.exists = true;
    CoInitialize(nullptr);
    IShellLinkW* shell = nullptr;
    IPersistFile* persist = nullptr;
    wchar_t text[MAX_PATH] = L"";
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shell)))) {
        if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
                if (SUCCEEDED(shell->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) link.path = text;
                if (SUCCEEDED(shell->GetWorkingDirectory(text, MAX_PATH))) link.workingDirectory = text;
                if (SUCCEEDED(shell->GetDescription(text, MAX_PATH))) link.description = text;
            }
            persist->Release();
        }
        shell->Release();
    }
    CoUninitialize();
    return link;
}

struct ShortcutCase {
    const char* name;       // the only file of the archive, below directory "bin" if so named
    const wchar_t* target;  // relative to the installation directory; null: no shortcut
    const wchar_t* workingDirectory;
};

void PrintTo(const ShortcutCase& c, std::ostream* out) { *out << c.name; }

class Shortcut : public testing::TestWithParam<ShortcutCase> {};

TEST_P(Shortcut, GoesToAnyFileEndingInExe) {
    const std::wstring dir = e2e::ScratchDir(L"shortcut-install");
    const std::wstring desktop = e2e::ScratchDir(L"shortcut-desktop");
    const Outcome out = Extract(Archive({{"bin\\", {}}, {GetParam().name, Data("MZ")}}), dir, desktop);
    ExpectCompletedSilently(out);
    const Link link = ReadLink(desktop + L"\\" + e2e::paths::ShortcutName);
    if (!GetParam().target) {
        EXPECT_FALSE(link.exists);
        return;
    }
    ASSERT_TRUE(link.exists);
    EXPECT_EQ(link.path, dir + L"\\" + GetParam().target);
    EXPECT_EQ(link.workingDirectory, dir + GetParam().workingDirectory);
    EXPECT_EQ(link.description, ShortcutDescription);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Names, Shortcut, testing::Values(
    ShortcutCase{"qfmgr.exe", L"qfmgr.exe", L""},
    ShortcutCase{"bin\\Tool.EXE", L"bin\\Tool.EXE", L"\\bin"},
    ShortcutCase{"bin\\runexe", L"bin\\runexe", L"\\bin"},
    ShortcutCase{"a.eXe", L"a.eXe", L""},
    ShortcutCase{"x.exe.bak", nullptr, nullptr},
    ShortcutCase{"bin\\x.ex", nullptr, nullptr}));
// clang-format on

TEST(Shortcut, AMissingDesktopFolderLeavesNoShortcutAndNoMessage) {
    const std::wstring dir = e2e::ScratchDir(L"shortcut-nodesktop");
    const std::wstring desktop = dir + L"\\no such desktop";
    ExpectCompletedSilently(Extract(Archive({{"qfmgr.exe", Data("MZ")}}), dir, desktop));
    EXPECT_EQ(e2e::ReadAll(dir + L"\\qfmgr.exe"), Data("MZ"));
    EXPECT_EQ(GetFileAttributesW(desktop.c_str()), INVALID_FILE_ATTRIBUTES);
}

// --- Full disk ------------------------------------------------------------------------------

// T: is a 256 KiB tmpfs that the CTest fixture (full_disk_drive.sh) maps into the prefix.
TEST(Extract, AFullDiskStopsAtTheFirstFileThatDoesNotFit) {
    if (GetFileAttributesW(L"T:\\") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no small drive T: (full_disk_drive.sh could not mount one)";
    const std::wstring dir = L"T:\\full";
    CreateDirectoryW(dir.c_str(), nullptr);
    const Bytes block = Pattern(100'000);  // 25 pages of tmpfs's 64: the third does not fit
    const Outcome out = Extract(Archive({{"a.bin", block}, {"b.bin", block}, {"c.bin", block}, {"d.bin", block}}), dir);
    ExpectAbortedWith(out, InstallErrorCaption, InstallErrorText(L"T:\\full\\c.bin", 112));
    EXPECT_EQ(e2e::ReadAll(dir + L"\\b.bin"), block);
    EXPECT_EQ(GetFileAttributesW((dir + L"\\d.bin").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
