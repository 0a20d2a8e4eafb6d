#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using qf::RunMode;

struct ModeCase {
    const char* tail;
    RunMode mode;
    bool quiet;
    bool noCheck;
};

void PrintTo(const ModeCase& c, std::ostream* out) { *out << testing::PrintToString(std::string(c.tail)); }

class Classification : public testing::TestWithParam<ModeCase> {};

TEST_P(Classification, ChoosesOneMode) {
    const ModeCase& c = GetParam();
    const qf::RunModes modes = qf::ClassifyCommandLine(c.tail);
    EXPECT_EQ(modes.mode, c.mode) << c.tail;
    EXPECT_EQ(modes.quiet, c.quiet) << c.tail;
    EXPECT_EQ(modes.noCheck, c.noCheck) << c.tail;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Tails, Classification, testing::Values(
    ModeCase{"", RunMode::Install, false, false},
    ModeCase{"/CUSTOM", RunMode::Customise, false, false},
    ModeCase{"/custom", RunMode::Customise, false, false},
    ModeCase{"/customize", RunMode::Customise, false, false},
    ModeCase{"/c", RunMode::Install, false, false},
    ModeCase{"/nocheck", RunMode::Install, false, true},
    ModeCase{"/NoCheck", RunMode::Install, false, true},
    ModeCase{"/nocheck /q", RunMode::Install, false, false},
    ModeCase{"/nocheck2", RunMode::Install, false, false},
    ModeCase{"/q", RunMode::Install, true, false},
    ModeCase{"/Q", RunMode::Install, true, false},
    ModeCase{"/quiet", RunMode::Install, true, false},
    ModeCase{"/qx", RunMode::Install, true, false},
    ModeCase{"/q /nocheck", RunMode::Install, true, false},
    ModeCase{"/uninstall", RunMode::Uninstall, false, false},
    ModeCase{"/UNINSTALLnow", RunMode::Uninstall, false, false},
    ModeCase{"-uninstall", RunMode::Install, false, false},
    ModeCase{"/uninstal", RunMode::Install, false, false},
    ModeCase{"/silent", RunMode::SilentInstall, false, false},
    ModeCase{"/SILENT /dir=C:\\x", RunMode::SilentInstall, false, false},
    ModeCase{"/silent\t/log=a", RunMode::SilentInstall, false, false},
    ModeCase{"/silentx", RunMode::Install, false, false},
    ModeCase{"/silent-uninstall", RunMode::SilentUninstall, false, false},
    ModeCase{"/Silent-Uninstall /log=x", RunMode::SilentUninstall, false, false},
    ModeCase{"/silent-uninstallx", RunMode::Install, false, false},
    ModeCase{"/silent-", RunMode::Install, false, false},
    ModeCase{"/s", RunMode::Install, false, false}));
// clang-format on

TEST(CommandLineTail, SkipsProgramNameAndBlanks) {
    EXPECT_EQ(qf::CommandLineTail("\"C:\\Program Files\\My Setup\\qfsetup.exe\"   /q"), "/q");
    EXPECT_EQ(qf::CommandLineTail("C:\\dist\\setup.exe\t /custom"), "/custom");
    EXPECT_EQ(qf::CommandLineTail("setup.exe"), "");
    EXPECT_EQ(qf::CommandLineTail(""), "");
    // The name ends at the first blank outside quotes, even in the middle of a quoted part.
    EXPECT_EQ(qf::CommandLineTail("C:\\a\"b c\"d e /q"), "e /q");
    // Characters above code 32 (0x80 and up included) belong to the name.
    EXPECT_EQ(qf::CommandLineTail("set\xE9up.exe /nocheck"), "/nocheck");
}

TEST(CommandLineTail, QuotedPathWithBlanksGivesQuietInstall) {
    const auto modes = qf::ClassifyCommandLine(qf::CommandLineTail("\"C:\\My Files\\setup.exe\" /q"));
    EXPECT_EQ(modes.mode, RunMode::Install);
    EXPECT_TRUE(modes.quiet);
}

struct SilentCase {
    const char16_t* tail;
    RunMode mode;
    bool understood;
    const char16_t* directory;
    const char16_t* log;
    const char16_t* rejected;
};

class SilentParsing : public testing::TestWithParam<SilentCase> {};

TEST_P(SilentParsing, TakesPathsOrNamesTheArgumentNotUnderstood) {
    const SilentCase& c = GetParam();
    const qf::SilentArguments parsed = qf::ParseSilentArguments(c.tail, c.mode);
    EXPECT_EQ(parsed.understood, c.understood);
    EXPECT_EQ(parsed.directory, std::u16string_view(c.directory));
    EXPECT_EQ(parsed.log, std::u16string_view(c.log));
    EXPECT_EQ(parsed.rejected, std::u16string_view(c.rejected));
}

constexpr RunMode Install = RunMode::SilentInstall;
constexpr RunMode Uninstall = RunMode::SilentUninstall;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Arguments, SilentParsing, testing::Values(
    SilentCase{u"/silent", Install, true, u"", u"", u""},
    SilentCase{u"/silent  ", Install, true, u"", u"", u""},
    SilentCase{u"/silent /dir=D:\\Apps\\Q /log=C:\\l.txt", Install, true, u"D:\\Apps\\Q", u"C:\\l.txt", u""},
    SilentCase{u"/silent /DIR=\"C:\\Program Files\\Q\"", Install, true, u"C:\\Program Files\\Q", u"", u""},
    SilentCase{u"/silent \"/Log=C:\\My Logs\\q.log\"", Install, true, u"", u"C:\\My Logs\\q.log", u""},
    SilentCase{u"/silent /dir=\u00e9t\u00e9", Install, true, u"\u00e9t\u00e9", u"", u""},
    SilentCase{u"/silent-uninstall /log=u.log", Uninstall, true, u"", u"u.log", u""},
    SilentCase{u"/silent /q", Install, false, u"", u"", u"/q"},
    SilentCase{u"/silent /dir=", Install, false, u"", u"", u"/dir="},
    SilentCase{u"/silent /dir=\"\"", Install, false, u"", u"", u"/dir=\"\""},
    SilentCase{u"/silent /dir=a /dir=b", Install, false, u"a", u"", u"/dir=b"},
    SilentCase{u"/silent /dir=C:\\\"a b\"", Install, false, u"", u"", u"/dir=C:\\\"a b\""},
    SilentCase{u"/silent /dir=\"C:\\a", Install, false, u"", u"", u"/dir=\"C:\\a"},
    SilentCase{u"/silent /directory=C:\\a", Install, false, u"", u"", u"/directory=C:\\a"},
    SilentCase{u"/silent-uninstall /dir=C:\\a", Uninstall, false, u"", u"", u"/dir=C:\\a"}));
// clang-format on

TEST(CommandLineTail, WideTailFollowsTheSameRule) {
    EXPECT_EQ(qf::CommandLineTail(u"\"C:\\Setup Files\\qfsetup.exe\" /silent /dir=\"C:\\a b\""),
              u"/silent /dir=\"C:\\a b\"");
    EXPECT_EQ(qf::CommandLineTail(u"qfsetup.exe"), u"");
}

}  // namespace
