// Start-up of the real installer: the first window of each run mode, the refusal to customise a
// customised copy, and the administrator warning, driven as a user would.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "e2e_support.h"

namespace {

using e2e::WaitMs;
using namespace e2e::texts;

// The page opens with its class and title; its close box ends the program with exit code 0.
void ExpectPageThenClose(driver::Process& p, const wchar_t* cls, const wchar_t* title) {
    const HWND page = driver::WaitWindow(p, cls, title, WaitMs);
    ASSERT_NE(page, nullptr) << "no " << std::string(cls, cls + wcslen(cls)).c_str() << " window";
    const RECT r = driver::WindowRect(page);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 400);
    driver::ClickClose(page);
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
}

TEST(Startup, NoArgumentOpensTheLicencePage) {
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup.exe"), L"");
    ExpectPageThenClose(p, LicenceBoxClass, InstallerTitle);
}

TEST(Startup, CustomOpensTheCustomisationPageWithoutARightsQuery) {
    // The variant whose user has no administrator rights would ask first, if anything did.
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup-nonadmin.exe"), L"/custom");
    ExpectPageThenClose(p, CustomBoxClass, CustomisationTitle);
}

TEST(Startup, CustomisedCopyRefusesToBeCustomisedAgain) {
    const std::wstring dir = e2e::ScratchDir(L"startup-custom");
    const std::wstring copy = e2e::CustomisedCopy(dir, 1, "srv", "");
    ASSERT_FALSE(copy.empty());
    driver::Process p = e2e::Start(copy, L"/CUSTOM");
    driver::MsgBox box;
    ASSERT_TRUE(driver::WaitMessageBox(p, box, WaitMs));
    e2e::ExpectBox(box, AlreadyCustomisedCaption, AlreadyCustomisedMessage, driver::MsgBox::Error, nullptr);
    driver::Answer(box, IDOK);
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
    EXPECT_TRUE(driver::TopLevelWindows(p).empty());
}

struct RightsCase {
    const wchar_t* args;
    int answer;
};

void PrintTo(const RightsCase& c, std::ostream* out) {
    *out << testing::PrintToString(std::wstring(c.args)) << (c.answer == IDYES ? " answered Yes" : " answered No");
}

class AdministratorWarning : public testing::TestWithParam<RightsCase> {};

TEST_P(AdministratorWarning, ComesBeforeAnyWindow) {
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup-nonadmin.exe"), GetParam().args);
    driver::MsgBox box;
    ASSERT_TRUE(driver::WaitMessageBox(p, box, WaitMs));
    e2e::ExpectBox(box, AdminRightsCaption, AdminRightsMessage, driver::MsgBox::Error, nullptr, {IDYES, IDNO});
    EXPECT_EQ(driver::WaitWindow(p, LicenceBoxClass, nullptr, 0), nullptr);
    driver::Answer(box, GetParam().answer);
    if (GetParam().answer == IDYES) {
        ExpectPageThenClose(p, LicenceBoxClass, InstallerTitle);
    } else {
        EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
    }
    EXPECT_TRUE(driver::TopLevelWindows(p).empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, AdministratorWarning,
                         testing::Values(RightsCase{L"", IDNO}, RightsCase{L"/nocheck", IDNO},
                                         RightsCase{L"/uninstall", IDNO}, RightsCase{L"", IDYES}));

}  // namespace
