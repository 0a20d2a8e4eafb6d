// Start-up of the real installer: the first window of each run mode, the refusal to customise a
// customised copy, and the administrator warning, driven as a user would.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"

namespace {

using e2e::WaitMs;

const wchar_t* const InstallerTitle = L"Quenfield ORIN-6 Installer - 2019 12 20";
const wchar_t* const CustomizationTitle = L"Quenfield ORIN-6 Installer - Customization";

const wchar_t* const AdminText =
    L"To correctly install/update/uninstall the ORIN-6 software you must run this program with "
    L"ADMINISTRATOR rights. You may continue to run this program without administrator rights, "
    L"however the ORIN-6 software cannot be installed in its standard location, only the "
    L"currently logged in user will be able to access ORIN-6 and previous versions of the "
    L"software installed by other users may not be correctly updated.\n\nIf you understand these "
    L"restrictions and wish to continue installing without ADMINISTRATOR rights choose YES "
    L"below, otherwise choose NO and restart the program with administrator rights.";

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
    ExpectPageThenClose(p, L"LicenseBox", InstallerTitle);
}

TEST(Startup, CustomOpensTheCustomisationPageWithoutARightsQuery) {
    // The variant whose user has no administrator rights would ask first, if anything did.
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup-nonadmin.exe"), L"/custom");
    ExpectPageThenClose(p, L"CustomBox", CustomizationTitle);
}

TEST(Startup, CustomisedCopyRefusesToBeCustomisedAgain) {
    const std::wstring dir = e2e::ScratchDir(L"startup-custom");
    const std::wstring copy = e2e::CustomisedCopy(dir, 1, "srv", "");
    ASSERT_FALSE(copy.empty());
    driver::Process p = e2e::Start(copy, L"/CUSTOM");
    driver::MsgBox box;
    ASSERT_TRUE(driver::WaitMessageBox(p, box, WaitMs));
    EXPECT_EQ(box.caption, L"Can't cutomize");
    EXPECT_EQ(box.text,
              L"This install program has already been customized and may not be used to create "
              L"another customized version.  Please obtain a non-customized copy from "
              L"https://releases.quenfield.example/orin-6/ in order to be able to create a "
              L"customized install file.");
    EXPECT_EQ(box.icon, driver::MsgBox::Error);
    EXPECT_EQ(box.owner, nullptr);
    ASSERT_EQ(box.buttons.size(), 1u);
    EXPECT_EQ(box.buttons[0].first, IDOK);
    driver::Answer(box, IDOK);
    EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
    EXPECT_TRUE(driver::TopLevelWindows(p).empty());
}

struct RightsCase {
    const wchar_t* args;
    int answer;
};

class AdministratorWarning : public testing::TestWithParam<RightsCase> {};

TEST_P(AdministratorWarning, ComesBeforeAnyWindow) {
    driver::Process p = e2e::Start(e2e::Built(L"qfsetup-nonadmin.exe"), GetParam().args);
    driver::MsgBox box;
    ASSERT_TRUE(driver::WaitMessageBox(p, box, WaitMs));
    EXPECT_EQ(box.caption, L"Administrator rights needed");
    EXPECT_EQ(box.text, AdminText);
    EXPECT_EQ(box.icon, driver::MsgBox::Error);
    EXPECT_EQ(box.owner, nullptr);
    ASSERT_EQ(box.buttons.size(), 2u);
    EXPECT_EQ(box.buttons[0].first, IDYES);
    EXPECT_EQ(box.buttons[1].first, IDNO);
    EXPECT_EQ(driver::WaitWindow(p, L"LicenseBox", nullptr, 0), nullptr);
    driver::Answer(box, GetParam().answer);
    if (GetParam().answer == IDYES) {
        ExpectPageThenClose(p, L"LicenseBox", InstallerTitle);
    } else {
        EXPECT_EQ(driver::WaitExit(p, WaitMs), 0);
    }
    EXPECT_TRUE(driver::TopLevelWindows(p).empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, AdministratorWarning,
                         testing::Values(RightsCase{L"", IDNO}, RightsCase{L"/nocheck", IDNO},
                                         RightsCase{L"/uninstall", IDNO}, RightsCase{L"", IDYES}));

}  // namespace
