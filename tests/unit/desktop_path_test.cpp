#include "startup/desktop_path.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct DesktopCase {
    std::u16string profile;
    std::u16string desktop;
};

void PrintTo(const DesktopCase& c, std::ostream* out) { *out << testing::PrintToString(c.profile); }

class AllUsersDesktop : public testing::TestWithParam<DesktopCase> {};

TEST_P(AllUsersDesktop, TakesTheProfilesParent) {
    char16_t out[260];
    EXPECT_TRUE(qf::DeriveAllUsersDesktop(GetParam().profile, out));
    EXPECT_EQ(std::u16string(out), GetParam().desktop);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Profiles, AllUsersDesktop, testing::Values(
    DesktopCase{u"C:\\Documents and Settings\\alice", u"C:\\Documents and Settings\\All Users\\Desktop"},
    DesktopCase{u"C:\\Users\\alice", u"C:\\Users\\All Users\\Desktop"},
    DesktopCase{u"C:\\Users\\alice\\", u"C:\\Users\\alice\\All Users\\Desktop"},
    DesktopCase{u"X:", u"X:\\All Users\\Desktop"},
    DesktopCase{u"\\profile", u"\\profile\\All Users\\Desktop"},
    DesktopCase{u"", u"\\All Users\\Desktop"}));
// clang-format on

TEST(AllUsersDesktopLimits, RefusesAPathThatDoesNotFit) {
    char16_t out[260];
    const std::u16string parent(241, u'p');  // 241 + 18 + terminator = 260: fits
    EXPECT_TRUE(qf::DeriveAllUsersDesktop(parent + u"\\alice", out));
    EXPECT_EQ(std::u16string(out).size(), 259u);
    EXPECT_FALSE(qf::DeriveAllUsersDesktop(parent + u"p\\alice", out));
    EXPECT_EQ(out[0], u'\0');
}

}  // namespace
