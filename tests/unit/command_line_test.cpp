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
    ModeCase{"/uninstal", RunMode::Install, false, false}));
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

}  // namespace
