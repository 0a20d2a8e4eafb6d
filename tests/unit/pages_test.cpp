#include <gtest/gtest.h>

#include <string>

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
    EXPECT_EQ(Status(qf::InstallProgress::Verifying, 66'607'539, u"", true),
              u"Verifying Contents of archive: 66607539");
    EXPECT_EQ(Status(qf::InstallProgress::Writing, 0, u"C:\\Q\\docs\\a.html", false),
              u"Installing: C:\\Q\\docs\\a.html");
    EXPECT_EQ(Status(qf::InstallProgress::Writing, 0, u"C:\\Q\\qfmgr.exe", true), u"Upgrading: C:\\Q\\qfmgr.exe");
    EXPECT_EQ(Status(qf::InstallProgress::Writing, 0, u"", false), u"Installing: ");
}

}  // namespace
