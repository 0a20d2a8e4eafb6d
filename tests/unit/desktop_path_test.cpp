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

struct ChoiceCase {
    const char* what;
    std::u16string derived;
    qf::FolderPresence presence;
    std::u16string windows;
    bool common;
};

TEST(ShortcutDesktop, TheCommonDesktopWhereTheDerivedFolderCannotTakeIt) {
    using enum qf::FolderPresence;
    const std::u16string windows = u"C:\\Windows";
    const std::u16string users = u"C:\\Users\\All Users\\Desktop";
    const std::u16string system = u"C:\\Windows\\system32\\config\\All Users\\Desktop";
    // clang-format off
    const ChoiceCase cases[] = {
        {"a user's, there",                         users,  There,   windows, false},
        {"a user's, not there",                     users,  Missing, windows, true},
        {"a user's, not to be looked at",           users,  Untold,  windows, false},
        {"the system account's",                    system, There,   windows, true},
        {"the system account's, missing",           system, Missing, windows, true},
        {"the system account's, untold",            system, Untold,  windows, true},
        {"below it, in another case and spelling",  u"c:/WINDOWS/system32/config/All Users/Desktop", There,
                                                                     u"C:\\windows\\", true},
        {"a folder whose name begins alike",        u"C:\\Windows2\\All Users\\Desktop", There, windows, false},
        {"the same name on another drive",          u"D:\\Windows\\All Users\\Desktop", There, windows, false},
        {"no Windows folder known",                 system, There,   u"",     false},
        {"no folder derived",                       u"",    Untold,  windows, true},
    };
    // clang-format on
    for (const ChoiceCase& c : cases)
        EXPECT_EQ(qf::UsesCommonDesktop(c.derived, c.presence, c.windows), c.common) << c.what;
}

}  // namespace
