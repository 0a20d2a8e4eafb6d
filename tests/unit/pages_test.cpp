#include <gtest/gtest.h>

#include <string>

#include "base/install_paths.h"
#include "pages/page_layout.h"
#include "pages/status_line.h"

namespace {

TEST(ButtonRow, PlacesTheRowFromTheCreationMetrics) {
    const qf::CreationMetrics m{500, 400, 7, 16};
    EXPECT_EQ(qf::ButtonWidth(m), 56);
    EXPECT_EQ(qf::ButtonHeight(m), 24);
    EXPECT_EQ(qf::ButtonRowTop(m), 336);
    EXPECT_EQ(qf::RowButton(m, qf::LicenceRowMargin, 1).x, 424);  // Cancel
    EXPECT_EQ(qf::RowButton(m, qf::LicenceRowMargin, 2).x, 368);  // Next
    EXPECT_EQ(qf::AcceptBoxRect(m).width, 210);
    EXPECT_EQ(qf::AcceptBoxRect(m).x, 20);
    EXPECT_EQ(qf::RowButton(m, qf::LocationRowMargin, 1).x, 414);  // Cancel
    EXPECT_EQ(qf::RowButton(m, qf::LocationRowMargin, 2).x, 358);  // Install
    EXPECT_EQ(qf::RowButton(m, qf::LocationRowMargin, 3).x, 302);  // Back
    const qf::ControlRect next = qf::RowButton(m, qf::LicenceRowMargin, 2);
    EXPECT_EQ(next.y, 336);
    EXPECT_EQ(next.width, 56);
    EXPECT_EQ(next.height, 24);
    EXPECT_EQ(qf::ButtonHeight({500, 400, 7, 15}), 22);  // the half rounds down
}

std::u16string Status(qf::InstallProgress state, std::uint32_t progress, const char16_t* path, bool upgrade,
                      bool* shown = nullptr) {
    char16_t out[512];
    const bool ok = qf::StatusLine(out, state, progress, path, upgrade);
    if (shown) *shown = ok;
    return ok ? out : u"";
}

TEST(StatusLine, FollowsTheProgressState) {
    bool shown = true;
    Status(qf::InstallProgress::NotStarted, 5, u"x", false, &shown);
    EXPECT_FALSE(shown);
    EXPECT_EQ(Status(qf::InstallProgress::Verifying, 0, u"", false), u"Verifying Contents of archive: 0");
    EXPECT_EQ(Status(qf::InstallProgress::Verifying, 66'607'539, u"", true), u"Verifying Contents of archive: 66607539");
    EXPECT_EQ(Status(qf::InstallProgress::Writing, 0, u"C:\\Q\\docs\\a.html", false), u"Installing: C:\\Q\\docs\\a.html");
    EXPECT_EQ(Status(qf::InstallProgress::Writing, 0, u"C:\\Q\\qfmgr.exe", true), u"Upgrading: C:\\Q\\qfmgr.exe");
    EXPECT_EQ(Status(qf::InstallProgress::Writing, 0, u"", false), u"Installing: ");
}

// What the page then refuses is the uninstall's own judgement (removal_guard_test.cpp).
TEST(InstallDirectory, OneTrailingSeparatorGoes) {
    EXPECT_EQ(qf::WithoutTrailingSeparator(u"D:\\Apps/"), u"D:\\Apps");
    EXPECT_EQ(qf::WithoutTrailingSeparator(u"C:\\Windows\\\\"), u"C:\\Windows\\");
    EXPECT_EQ(qf::WithoutTrailingSeparator(u"\\"), u"");
    EXPECT_EQ(qf::WithoutTrailingSeparator(u"Apps"), u"Apps");
}

// A relative entry is made a full path before anything is judged or written; what counts as
// relative is what Windows resolves against a current directory.
TEST(InstallDirectory, RelativeEntriesAreTold) {
    for (const std::u16string_view qualified : {u"C:\\Apps", u"c:/Apps", u"C:", u"\\\\host\\share", u"//host/share",
                                                u"\\\\?\\C:\\Apps"})
        EXPECT_TRUE(qf::IsFullyQualified(qualified)) << std::string(qualified.begin(), qualified.end());
    for (const std::u16string_view relative : {u"Apps", u".", u"..", u"\\Apps", u"/Apps", u"C:Apps", u"", u"\\"})
        EXPECT_FALSE(qf::IsFullyQualified(relative)) << std::string(relative.begin(), relative.end());
}

struct OwnPathCase {
    std::u16string commandLine;
    std::u16string path;
};

class OwnPath : public testing::TestWithParam<OwnPathCase> {};

TEST_P(OwnPath, DropsArgumentsAndAddsExe) {
    char16_t out[256];
    EXPECT_TRUE(qf::OwnExecutablePath(GetParam().commandLine, out));
    EXPECT_EQ(std::u16string(out), GetParam().path);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLines, OwnPath, testing::Values(
    OwnPathCase{u"\"C:\\Setup\\installer.exe\" /nocheck", u"C:\\Setup\\installer.exe"},
    OwnPathCase{u"\"C:\\My Setup\\installer\" /q", u"C:\\My Setup\\installer.exe"},
    OwnPathCase{u"\"C:\\Setup\\installer.exe", u"C:\\Setup\\installer.exe"},
    // Unquoted, the arguments go in every mode, not only in quiet install.
    OwnPathCase{u"C:\\Setup\\installer.exe /nocheck", u"C:\\Setup\\installer.exe"},
    OwnPathCase{u"C:\\Setup\\installer.exe  /q", u"C:\\Setup\\installer.exe"},
    OwnPathCase{u"C:\\Setup\\installer.exe\t/q", u"C:\\Setup\\installer.exe"},
    OwnPathCase{u"C:\\Setup\\INSTALLER.EXE", u"C:\\Setup\\INSTALLER.EXE"},
    OwnPathCase{u"C:\\Setup\\installer", u"C:\\Setup\\installer.exe"},
    OwnPathCase{u"a", u"a.exe"},
    OwnPathCase{u"", u".exe"}));
// clang-format on

TEST(OwnPathLimits, RefusesAPathThatDoesNotFit) {
    char16_t out[256];
    const std::u16string dir = u"C:\\" + std::u16string(248, u'd');   // 251 units
    EXPECT_TRUE(qf::OwnExecutablePath(u"\"" + dir + u"\" /q", out));  // + ".exe" = 255 fits
    EXPECT_FALSE(qf::OwnExecutablePath(u"\"" + dir + u"x\" /q", out));
    EXPECT_FALSE(qf::OwnExecutablePath(std::u16string(300, u'p'), out));
    EXPECT_EQ(std::u16string(out).size(), 255u);  // as much as fits, for the message
}

}  // namespace
