#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

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

TEST(PageTexts, PlacesTheLinesByThePaintLineHeight) {
    struct Case {
        const char* text;
        qf::TextTop top;
        int lineHeight;
        int y;
    };
    const Case cases[] = {
        {"licence intro", qf::LicenceIntroTop, 16, 16},       {"licence hint", qf::LicenceHintTop, 16, 53},
        {"licence hint", qf::LicenceHintTop, 13, 44},         {"location line 1", qf::LocationLineTops[0], 16, 16},
        {"location line 2", qf::LocationLineTops[1], 16, 48}, {"location line 3", qf::LocationLineTops[2], 16, 80},
        {"location label", qf::LocationLabelTop, 16, 128},    {"location label", qf::LocationLabelTop, 13, 104},
    };
    for (const Case& c : cases) EXPECT_EQ(qf::TextTopY(c.top, c.lineHeight), c.y) << c.text << " " << c.lineHeight;
    EXPECT_EQ(qf::TextLeft, 20);
    EXPECT_EQ(qf::StatusLineTop(373), 233);  // a 500 by 400 page's client area
}

// Each page reads the commands of its own controls only, so an id must differ from the others
// on its page, and may repeat on another page (4 is both the acceptance box and Back).
TEST(ControlIds, DifferWithinEachPage) {
    struct Page {
        const char* name;
        std::vector<int> ids;
    };
    const Page pages[] = {
        {"licence", {qf::TextControlId, qf::CancelId, qf::ForwardId, qf::AcceptBoxId}},
        {"installation", {qf::TextControlId, qf::CancelId, qf::ForwardId, qf::BackId}},
        {"customisation",
         {qf::TextControlId, qf::CancelId, qf::ForwardId, qf::ServerBoxId, qf::DocPathBoxId, qf::LockButtonId,
          qf::LockButtonId + 1, qf::LockButtonId + qf::LockModes - 1}},
    };
    for (const Page& page : pages) {
        std::set<int> seen(page.ids.begin(), page.ids.end());
        EXPECT_EQ(seen.size(), page.ids.size()) << page.name;
        EXPECT_EQ(seen.count(0), 0u) << page.name << ": 0 is what a command other than a click carries";
    }
    // The numbers themselves stay: automation outside the installer finds the controls by them.
    const std::pair<int, int> fixed[] = {
        {qf::TextControlId, 1}, {qf::CancelId, 2}, {qf::ForwardId, 3}, {qf::AcceptBoxId, 4}, {qf::BackId, 4}};
    for (const auto& [id, value] : fixed) EXPECT_EQ(id, value);
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
