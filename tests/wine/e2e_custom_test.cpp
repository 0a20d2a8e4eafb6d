// The customisation page of the real installer, worked as an administrator would: its controls,
// the refusals that keep it open, the copy it writes and the copy it cannot write, the own files
// it ends on without a word, how the copy is named from the command line, and the copy
// installed quietly; the same for a copy of a signed installer, which carries no signature.
//
// The copies of the CopiesCarryTheChoices cases stay in C:\qf-parity, where custom_parity.sh
// compares them with what `qfpack customize` makes of the same choices.
#include <gtest/gtest.h>
#include <windows.h>
#include <imagehlp.h>  // after windows.h, which it needs

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "pages/page_layout.h"
#include "settings/settings_block.h"
#include "support/pe_image_builder.h"

namespace {

using e2e::WaitMs;
using namespace e2e::texts;
const wchar_t* const ParityDir = L"C:\\qf-parity";

// Each byte as the character of the same value, as a user would type it.
std::wstring Wide(const std::string& bytes) {
    std::wstring wide;
    for (const unsigned char c : bytes) wide.push_back(c);
    return wide;
}
std::string Ascii(const wchar_t* wide) { return std::string(wide, wide + wcslen(wide)); }

// The page's controls. Labels and edit fields all have id 1; the edit fields are told apart by
// their order.
struct Page {
    HWND window = nullptr;
    HWND serverBox, serverEdit, docPathBox, docPathEdit, cancel, next;
    HWND lock[qf::LockModes];
};

Page OpenPage(const driver::Process& p) {
    Page page;
    page.window = driver::WaitWindow(p, CustomBoxClass, CustomisationTitle, WaitMs);
    page.serverBox = driver::Child(page.window, qf::ServerBoxId);
    page.serverEdit = driver::Child(page.window, qf::TextControlId, L"Edit", 0);
    for (int n = 0; n < qf::LockModes; ++n) page.lock[n] = driver::Child(page.window, qf::LockButtonId + n);
    page.docPathBox = driver::Child(page.window, qf::DocPathBoxId);
    page.docPathEdit = driver::Child(page.window, qf::TextControlId, L"Edit", 1);
    page.cancel = driver::Child(page.window, qf::CancelId);
    page.next = driver::Child(page.window, qf::ForwardId);
    return page;
}

// Clicks a box or lock button and waits until the page has set the mark the click should give.
bool ClickTo(HWND button, int state) {
    return driver::Click(button) && driver::WaitUntil([&] { return driver::CheckState(button) == state; }, WaitMs);
}

// Switches a group on, types its text, and leaves the group on or off.
void SetGroup(HWND box, HWND edit, const std::string& text, bool on) {
    if (driver::CheckState(box) != BST_CHECKED) ASSERT_TRUE(ClickTo(box, BST_CHECKED));
    ASSERT_TRUE(driver::SetText(edit, Wide(text)));
    if (!on) ASSERT_TRUE(ClickTo(box, BST_UNCHECKED));
}

void ExpectOnlyLockChecked(const Page& page, int n) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(driver::CheckState(page.lock[i]), i == n ? BST_CHECKED : BST_UNCHECKED) << i;
}

// What an administrator chooses. A group left out still gets a text typed into it before it is
// switched off again, which the copy must not carry.
struct Choice {
    std::optional<std::string> server;
    int lock = 0;
    std::optional<std::string> docPath;
};

// Makes the choice on the page. The lock button is chosen, the server group switched off and on
// again, and the chosen button clicked once more: it stays the only one checked throughout.
void Choose(const Page& page, const Choice& c) {
    SetGroup(page.serverBox, page.serverEdit, c.server.value_or("typed.then.dropped"), c.server.has_value());
    if (c.server) {
        if (c.lock != 0) ASSERT_TRUE(ClickTo(page.lock[c.lock], BST_CHECKED));
        ExpectOnlyLockChecked(page, c.lock);
        ASSERT_TRUE(ClickTo(page.serverBox, BST_UNCHECKED));
        for (HWND button : page.lock) EXPECT_FALSE(driver::IsEnabled(button));
        ASSERT_TRUE(ClickTo(page.serverBox, BST_CHECKED));
        ExpectOnlyLockChecked(page, c.lock);
        // Clicks are handled in order: once the box has toggled, the click before it was seen.
        ASSERT_TRUE(driver::Click(page.lock[c.lock]));
        ASSERT_TRUE(ClickTo(page.docPathBox, BST_CHECKED));
        ExpectOnlyLockChecked(page, c.lock);
        ASSERT_TRUE(ClickTo(page.docPathBox, BST_UNCHECKED));
    }
    SetGroup(page.docPathBox, page.docPathEdit, c.docPath.value_or("C:\\typed\\then\\dropped"), c.docPath.has_value());
}

struct Expected {
    const wchar_t* caption;
    std::wstring text;
    driver::MsgBox::Icon icon;
};

// Presses Next and checks the one message box the page then shows, owned by the page.
void NextShows(driver::Process& p, const Page& page, const Expected& expected) {
    ASSERT_TRUE(driver::Click(page.next));
    driver::MsgBox box;
    ASSERT_TRUE(driver::WaitMessageBox(p, box, WaitMs));
    e2e::ExpectBox(box, expected.caption, expected.text, expected.icon, page.window);
    EXPECT_TRUE(driver::Answer(box, IDOK));
}

TEST(CustomPage, OpensWithBothGroupsOffAndLockButtonZeroChecked) {
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup.exe"), L"/custom");
    const Page page = OpenPage(p);
    ASSERT_NE(page.window, nullptr);
    struct Control {
        const wchar_t* cls;
        const wchar_t* text;
        int id;
        RECT rect;  // in the page's client area; empty for the button row
        LONG buttonType;
        bool enabled;
        int check;  // -1 for a control without a mark
    };
    const Control expected[] = {
        {L"Button",
         L"Default ORIN-6 server to use",
         qf::ServerBoxId,
         {20, 80, 320, 100},
         BS_CHECKBOX,
         true,
         BST_UNCHECKED},
        {L"Static", L"Default Server name or IP address:", qf::TextControlId, {39, 100, 339, 120}, -1, false, -1},
        {L"Edit", L"", qf::TextControlId, {40, 120, 420, 140}, -1, false, -1},
        {L"Button",
         L"Allow contents of server field to be changed",
         qf::LockButtonId,
         {60, 146, 360, 166},
         BS_RADIOBUTTON,
         false,
         BST_CHECKED},
        {L"Button",
         L"Display server field but lock its contents",
         qf::LockButtonId + 1,
         {60, 166, 360, 186},
         BS_RADIOBUTTON,
         false,
         BST_UNCHECKED},
        {L"Button",
         L"Hide server field",
         qf::LockButtonId + 2,
         {60, 186, 360, 206},
         BS_RADIOBUTTON,
         false,
         BST_UNCHECKED},
        {L"Button", L"Documentation Path", qf::DocPathBoxId, {20, 240, 320, 260}, BS_CHECKBOX, true, BST_UNCHECKED},
        {L"Static",
         L"URL or absolute path to documentation files:",
         qf::TextControlId,
         {40, 260, 340, 280},
         -1,
         false,
         -1},
        {L"Edit", L"", qf::TextControlId, {40, 280, 420, 300}, -1, false, -1},
        {L"Button", L"Cancel", qf::CancelId, {}, BS_PUSHBUTTON, true, -1},
        {L"Button", L"Next >", qf::ForwardId, {}, BS_PUSHBUTTON, true, -1},
    };
    HWND control = GetWindow(page.window, GW_CHILD);  // children come in creation order
    for (const Control& c : expected) {
        ASSERT_NE(control, nullptr) << "missing: " << c.text;
        SCOPED_TRACE(c.text);
        EXPECT_EQ(driver::ClassOf(control), c.cls);
        EXPECT_EQ(driver::TextOf(control), c.text);
        EXPECT_EQ(GetDlgCtrlID(control), c.id);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        // The system itself marks the checked radio button as a tab stop.
        const LONG tabStop = c.buttonType == BS_RADIOBUTTON && c.check == BST_CHECKED ? WS_TABSTOP : 0;
        EXPECT_EQ(style & (WS_TABSTOP | WS_GROUP), tabStop);
        if (c.buttonType >= 0) EXPECT_EQ(style & BS_TYPEMASK, c.buttonType);
        if (c.rect.right != 0) {
            RECT r = driver::WindowRect(control);
            MapWindowPoints(nullptr, page.window, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_TRUE(EqualRect(&r, &c.rect)) << r.left << "," << r.top << " " << r.right << "," << r.bottom;
        }
        EXPECT_EQ(driver::IsEnabled(control), c.enabled);
        if (c.check >= 0) EXPECT_EQ(driver::CheckState(control), c.check);
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr);
    // The two buttons share the row, Next to the left of Cancel.
    const RECT cancel = driver::WindowRect(page.cancel), next = driver::WindowRect(page.next);
    EXPECT_EQ(cancel.top, next.top);
    EXPECT_EQ(cancel.left - next.left, cancel.right - cancel.left);
    driver::ClickClose(page.window);
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
}

TEST(CustomPage, RefusalsComeInTheirOrderAndKeepThePageUsable) {
    const std::wstring dir = e2e::ScratchDir(L"custom-refusals");
    ASSERT_TRUE(e2e::CopyTo(e2e::Built(L"qfsetup.exe"), dir + L"\\setup.exe"));
    driver::Process p = e2e::Start(dir + L"\\setup.exe", L"/custom");
    const Page page = OpenPage(p);
    ASSERT_NE(page.window, nullptr);

    const std::string s80(80, 's'), d80(80, 'd');
    struct Case {
        std::string server;
        bool serverOn;
        std::string docPath;
        bool docPathOn;
        Expected message;
    };
    const Expected required{CustomisationRequiredCaption, CustomisationRequiredMessage, driver::MsgBox::Information};
    const Case cases[] = {
        {"", false, "", false, required},
        {"", true, "", true, {BadDocPathCaption, DocPathMissingMessage, driver::MsgBox::Error}},
        {s80, true, d80, true, {BadDocPathCaption, DocPathTooLongMessage, driver::MsgBox::Error}},
        {"", true, "C:\\docs", true, {BadServerCaption, ServerMissingMessage, driver::MsgBox::Error}},
        {s80, true, "C:\\docs", true, {BadServerCaption, ServerTooLongMessage, driver::MsgBox::Error}},
        {s80, false, d80, false, required},  // texts of switched-off groups are not looked at
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.text);
        SetGroup(page.serverBox, page.serverEdit, c.server, c.serverOn);
        SetGroup(page.docPathBox, page.docPathEdit, c.docPath, c.docPathOn);
        if (HasFatalFailure()) return;
        NextShows(p, page, c.message);
        EXPECT_TRUE(driver::IsEnabled(page.next));
        EXPECT_TRUE(driver::IsEnabled(page.cancel));
    }
    // Still usable: a group switches as before, and Cancel ends the program without a copy.
    ASSERT_TRUE(ClickTo(page.serverBox, BST_CHECKED));
    ASSERT_TRUE(driver::Click(page.cancel));
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
    EXPECT_FALSE(e2e::Exists(dir + L"\\setup-custom.exe"));
}

// The built installers: as linked, and signed with the throwaway certificate (signed_installer.sh).
const wchar_t* const Unsigned = L"qfsetup.exe";
const wchar_t* const Signed = L"qfsetup-signed.exe";

// Copies a built installer to dir\name.exe and has its page make the customised copy, which
// must be announced as completed. Returns the copy's path.
std::wstring MakeCopy(const std::wstring& dir, const wchar_t* name, const Choice& choice,
                      const wchar_t* source = Unsigned) {
    const std::wstring installer = dir + L"\\" + name + L".exe";
    const std::wstring copy = dir + L"\\" + name + L"-custom.exe";
    EXPECT_TRUE(e2e::CopyTo(e2e::Built(source), installer));
    driver::Process p = e2e::Start(installer, L"/custom");
    const Page page = OpenPage(p);
    EXPECT_NE(page.window, nullptr);
    if (!page.window) return copy;
    Choose(page, choice);
    NextShows(p, page, {CompletedCaption, CopyCreatedText(copy), driver::MsgBox::Information});
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
    return copy;
}

struct CopyCase {
    const wchar_t* name;  // the installer's file name in C:\qf-parity, without ".exe"
    Choice choice;
    std::uint8_t mode;  // the block's first byte
    const wchar_t* source = Unsigned;
};

// Where the PE header keeps the file's checksum.
std::size_t ChecksumField(const std::vector<std::uint8_t>& image) {
    return support::PeLayout{false, support::Get32(image, 0x3C)}.ChecksumField();
}

void PrintTo(const CopyCase& c, std::ostream* out) { *out << Ascii(c.name); }

class CopiesCarryTheChoices : public testing::TestWithParam<CopyCase> {};

// The copy appears beside the installer, replacing a file of that name, as long as the
// installer and equal to it but for the block's head: mode, server, NUL, path, NUL. A signed
// installer's copy is the copy of the installer before it was signed, but for the checksum,
// which is computed anew: the signature, which would no longer match, is dropped.
TEST_P(CopiesCarryTheChoices, InTheBlockOnly) {
    const CopyCase& c = GetParam();
    CreateDirectoryW(ParityDir, nullptr);
    const std::wstring stale = std::wstring(ParityDir) + L"\\" + c.name + L"-custom.exe";
    ASSERT_TRUE(e2e::WriteAll(stale, {'o', 'l', 'd'}));
    const std::wstring copy = MakeCopy(ParityDir, c.name, c.choice, c.source);
    if (HasFailure()) return;

    const std::vector<std::uint8_t> source = e2e::ReadAll(e2e::Built(Unsigned)), made = e2e::ReadAll(copy);
    ASSERT_EQ(made.size(), source.size());
    const auto block = qf::FindEmbeddedSettings(source, {qf::EmbeddedSettings, qf::SettingsKeySize});
    ASSERT_TRUE(block);
    const std::string server = c.choice.server.value_or(""), docPath = c.choice.docPath.value_or("");
    std::vector<std::uint8_t> head{c.mode};
    head.insert(head.end(), server.begin(), server.end());
    head.push_back(0);
    head.insert(head.end(), docPath.begin(), docPath.end());
    head.push_back(0);
    ASSERT_LE(head.size(), qf::SettingsBlockSize);
    std::vector<std::uint8_t> expected = source;
    std::copy(head.begin(), head.end(), expected.begin() + static_cast<std::ptrdiff_t>(*block));
    if (c.source == Signed) {
        const auto field = static_cast<std::ptrdiff_t>(ChecksumField(made));
        std::copy_n(made.begin() + field, 4, expected.begin() + field);
        DWORD stored = 0, computed = 0;
        ASSERT_EQ(MapFileAndCheckSumW(copy.c_str(), &stored, &computed), CHECKSUM_SUCCESS);
        EXPECT_EQ(stored, computed) << "the checksum was not computed anew";
    }
    EXPECT_TRUE(made == expected) << "the copy differs from the installer elsewhere than in the block's head";

    // A customised copy is never customised again.
    driver::Process again = e2e::Start(copy, L"/custom");
    driver::MsgBox box;
    ASSERT_TRUE(driver::WaitMessageBox(again, box, WaitMs));
    EXPECT_EQ(box.caption, AlreadyCustomisedCaption);
    driver::Answer(box, IDOK);
    EXPECT_EQ(driver::WaitExit(again, WaitMs), 0);
}

const std::string s79(79, 's'), d79(79, 'd');

INSTANTIATE_TEST_SUITE_P(Choices, CopiesCarryTheChoices,
                         testing::Values(CopyCase{L"lock1", {"srv.example", 1, "C:\\docs"}, 1},
                                         CopyCase{L"doconly", {std::nullopt, 0, "\\\\fileserver\\orin docs"}, 10},
                                         CopyCase{L"lock0", {"10.1.2.3", 0, std::nullopt}, 0},
                                         CopyCase{L"full", {s79, 2, d79}, 2},  // 79 + 79: the path's NUL on byte 160
                                         // Typed as U+00E9, taken in the ANSI code page (1252): the byte E9.
                                         CopyCase{L"accented", {"caf\xE9", 1, std::nullopt}, 1},
                                         CopyCase{L"signed", {"srv.example", 1, "C:\\docs"}, 1, Signed}),
                         [](const testing::TestParamInfo<CopyCase>& info) { return Ascii(info.param.name); });

// The copy is named from the installer's own path as the command line gives it.
TEST(CustomCopy, IsNamedFromTheCommandLine) {
    const std::wstring dir = e2e::ScratchDir(L"dist");
    const std::wstring setup = dir + L"\\setup.exe";
    ASSERT_TRUE(e2e::CopyTo(e2e::Built(L"qfsetup.exe"), setup));
    struct Case {
        std::wstring commandLine;
        std::wstring shown;  // the output path in the message
    };
    const Case cases[] = {
        {L"\"" + setup + L"\" /custom", dir + L"\\setup-custom.exe"},
        {dir + L"\\setup /custom", dir + L"\\setup-custom.exe"},
        {L"SETUP.EXE /custom", L"SETUP-custom.exe"},  // nothing appended; beside it in the working directory
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line of " << c.commandLine.size() << " units");
        DeleteFileW((dir + L"\\setup-custom.exe").c_str());
        driver::Process p = e2e::StartRaw(c.commandLine, dir, setup);
        const Page page = OpenPage(p);
        ASSERT_NE(page.window, nullptr);
        Choose(page, {std::nullopt, 0, "C:\\docs"});
        NextShows(p, page, {CompletedCaption, CopyCreatedText(c.shown), driver::MsgBox::Information});
        EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
        EXPECT_EQ(e2e::ReadAll(dir + L"\\setup-custom.exe").size(), e2e::ReadAll(setup).size());
    }
}

// Unquoted, a path with a blank reaches the page only when a quote inside it keeps the blank from
// ending the program name; the own path is still cut at the blank, and opening it fails.
TEST(CustomCopy, UnquotedPathWithABlankIsCutAndCannotBeOpened) {
    const std::wstring dir = e2e::ScratchDir(L"my dist");
    const std::wstring setup = dir + L"\\setup.exe";
    ASSERT_TRUE(e2e::CopyTo(e2e::Built(L"qfsetup.exe"), setup));
    const std::wstring parent = dir.substr(0, dir.rfind(L'\\') + 1);
    const std::wstring commandLine = parent + L"\"qf-my dist\"\\setup.exe /custom";
    const std::wstring cut = parent + L"\"qf-my.exe";
    // What the system answers for that path is the code the message must show.
    ASSERT_EQ(CreateFileW(cut.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    const DWORD error = GetLastError();
    driver::Process p = e2e::StartRaw(commandLine, L"", setup);
    const Page page = OpenPage(p);
    ASSERT_NE(page.window, nullptr);
    Choose(page, {"srv", 0, std::nullopt});
    NextShows(p, page, {ErrorCustomisingCaption, OwnFileOpenText(cut, error), driver::MsgBox::Error});
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
    EXPECT_FALSE(e2e::Exists(dir + L"\\setup-custom.exe"));
}

enum class OutputRoad {
    DirectoryInTheWay,  // a directory of the copy's name beside the installer
    FileInUse,          // a file of that name held open, its writing not shared
    FullDrive,          // the installer on T:, with room left for less than its copy
    SignatureInTheWay,  // a signed installer with data after its certificate table, which
                        // therefore cannot be cut off cleanly
};

struct OutputFailureCase {
    const char* name;
    OutputRoad road;
};

void PrintTo(const OutputFailureCase& c, std::ostream* out) { *out << c.name; }

class OutputFailure : public testing::TestWithParam<OutputFailureCase> {};

// A copy that cannot be written is told, and the program ends all the same.
TEST_P(OutputFailure, IsToldAndEndsTheProgram) {
    const OutputRoad road = GetParam().road;
    std::wstring dir;
    if (road == OutputRoad::FullDrive) {
        if (!e2e::EmptySmallDrive()) GTEST_SKIP() << "no small drive T: (full_disk_drive.sh could not mount one)";
        dir = L"T:";
    } else {
        dir = e2e::ScratchDir(L"custom-output");
    }
    const std::wstring setup = dir + L"\\setup.exe", copy = dir + L"\\setup-custom.exe";
    ASSERT_TRUE(e2e::CopyTo(e2e::Built(road == OutputRoad::SignatureInTheWay ? Signed : Unsigned), setup));
    const std::vector<std::uint8_t> old{'o', 'l', 'd'};
    std::unique_ptr<void, decltype(&CloseHandle)> inUse(nullptr, &CloseHandle);
    HANDLE held = nullptr;
    Expected expected{ErrorOpeningFileCaption, OutputOpenText(copy), driver::MsgBox::Error};
    switch (road) {
        case OutputRoad::DirectoryInTheWay: ASSERT_TRUE(e2e::MakeDirs(copy)); break;
        case OutputRoad::FileInUse:
            ASSERT_TRUE(e2e::WriteAll(copy, old));
            held = CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
            inUse.reset(held);
            break;
        case OutputRoad::FullDrive:
            ASSERT_TRUE(e2e::FillSmallDrive(e2e::ReadAll(setup).size() / 2));
            expected = {FileIoErrorCaption, OutputWriteMessage, driver::MsgBox::Error};
            break;
        case OutputRoad::SignatureInTheWay: {
            std::vector<std::uint8_t> image = e2e::ReadAll(setup);
            image.push_back(0);
            ASSERT_TRUE(e2e::WriteAll(setup, image));
            expected = {FileIoErrorCaption, OutputWriteMessage, driver::MsgBox::Error};
            break;
        }
    }
    driver::Process p = e2e::Start(setup, L"/custom");
    const Page page = OpenPage(p);
    ASSERT_NE(page.window, nullptr);
    Choose(page, {"srv.example", 1, std::nullopt});
    NextShows(p, page, expected);
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
    if (road == OutputRoad::FileInUse) EXPECT_EQ(e2e::ReadAll(copy), old);
    if (road == OutputRoad::FullDrive) e2e::EmptySmallDrive();
    if (road == OutputRoad::SignatureInTheWay) EXPECT_FALSE(e2e::Exists(copy));
}

INSTANTIATE_TEST_SUITE_P(Roads, OutputFailure,
                         testing::Values(OutputFailureCase{"DirectoryInTheWay", OutputRoad::DirectoryInTheWay},
                                         OutputFailureCase{"FileInUse", OutputRoad::FileInUse},
                                         OutputFailureCase{"FullDrive", OutputRoad::FullDrive},
                                         OutputFailureCase{"SignatureInTheWay", OutputRoad::SignatureInTheWay}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SilentCase {
    const char* name;
    const wchar_t* installer;  // the built installer the page runs from
    const wchar_t* own;        // the file the command line names as its own; nullptr: itself
    std::size_t size;          // of that file, written beside it
};

void PrintTo(const SilentCase& c, std::ostream* out) { *out << c.name; }

class SilentEnd : public testing::TestWithParam<SilentCase> {};

// An own file with nothing to copy, or one whose one read fails (the installer on a share that
// went away), ends the program without a word and without a copy.
TEST_P(SilentEnd, NoMessageAndNoCopy) {
    const SilentCase& c = GetParam();
    const std::wstring dir = e2e::ScratchDir(L"custom-silent");
    const std::wstring setup = dir + L"\\setup.exe";
    const std::wstring own = c.own ? dir + L"\\" + c.own : setup;
    ASSERT_TRUE(e2e::CopyTo(e2e::Built(c.installer), setup));
    if (c.own) ASSERT_TRUE(e2e::WriteAll(own, std::vector<std::uint8_t>(c.size, 'x')));
    driver::Process p = e2e::StartRaw(L"\"" + own + L"\" /custom", L"", setup);
    const Page page = OpenPage(p);
    ASSERT_NE(page.window, nullptr);
    Choose(page, {"srv.example", 1, std::nullopt});
    ASSERT_TRUE(driver::Click(page.next));
    EXPECT_TRUE(e2e::AnswerBoxesUntilExit(p, WaitMs).empty());
    EXPECT_FALSE(e2e::Exists(own.substr(0, own.size() - 4) + L"-custom.exe"));
}

INSTANTIATE_TEST_SUITE_P(Roads, SilentEnd,
                         testing::Values(SilentCase{"Empty", Unsigned, L"empty.exe", 0},
                                         SilentCase{"NoBlock", Unsigned, L"noblock.exe", 4096},
                                         SilentCase{"ReadFails", L"qfsetup-readfail.exe", nullptr, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct InstallCase {
    const wchar_t* name;
    Choice choice;
    // What the release key holds afterwards; nothing for a value that must be absent.
    std::optional<DWORD> serverLock;
    std::optional<std::wstring> serverDefault, docPath;
    const wchar_t* source = Unsigned;
};

void PrintTo(const InstallCase& c, std::ostream* out) { *out << Ascii(c.name); }

class CopyInstalledQuietly : public testing::TestWithParam<InstallCase> {};

// Over an older release's settings (lock 2, server "old", documentation "olddocs"), which
// migration carries over first, the copy writes what its mode prescribes.
TEST_P(CopyInstalledQuietly, WritesItsSettingsOverTheMigratedOnes) {
    using namespace e2e::paths;
    const InstallCase& c = GetParam();
    const wchar_t* const OldRelease = L"Software\\Quenfield\\Lexaris\\2.0\\20180101";
    const std::wstring copy = MakeCopy(e2e::ScratchDir(L"custom-install"), c.name, c.choice, c.source);
    if (HasFailure()) return;
    e2e::ResetRegistry();
    e2e::RemoveTree(DefaultInstallDir);
    e2e::MakeDirs(Desktop);
    ASSERT_TRUE(e2e::WriteNumber(OldRelease, L"serverlock", 2));
    ASSERT_TRUE(e2e::WriteString(OldRelease, L"serverdefault", L"old"));
    ASSERT_TRUE(e2e::WriteString(OldRelease, L"docpath", L"olddocs"));

    driver::Process p = e2e::Start(copy, L"/q");
    ASSERT_EQ(driver::WaitExit(p, 60000), 0) << "the quiet install waited for someone";
    EXPECT_EQ(e2e::ReadString(UninstallKey, L"InstallLocation"), DefaultInstallDir) << "not registered";
    EXPECT_EQ(e2e::ReadNumber(ReleaseKey, L"ServerLock"), c.serverLock);
    EXPECT_EQ(e2e::ReadString(ReleaseKey, L"ServerDefault"), c.serverDefault);
    EXPECT_EQ(e2e::ReadString(ReleaseKey, L"DocPath"), c.docPath);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Modes, CopyInstalledQuietly,
    testing::Values(InstallCase{L"lock1", {"srv.example", 1, "C:\\docs"}, 1, L"srv.example", L"C:\\docs"},
                    // Mode 0 removes the migrated lock, and no documentation path removes the old one.
                    InstallCase{L"lock0", {"10.1.2.3", 0, std::nullopt}, std::nullopt, L"10.1.2.3", std::nullopt},
                    // Mode 10 keeps the migrated server values.
                    InstallCase{L"doconly", {std::nullopt, 0, "\\\\fileserver\\orin docs"}, 2, L"old",
                                L"\\\\fileserver\\orin docs"},
                    InstallCase{L"signed", {"srv.example", 1, "C:\\docs"}, 1, L"srv.example", L"C:\\docs", Signed},
                    InstallCase{L"accented", {"caf\xE9", 2, std::nullopt}, 2, L"caf\u00E9", std::nullopt}),
    [](const testing::TestParamInfo<InstallCase>& info) { return Ascii(info.param.name); });
// clang-format on

}  // namespace
