#include "startup/exit_codes.h"

#include <gtest/gtest.h>

namespace {

using qf::InstallEnd;
using qf::UninstallResult;

// A deployment engine takes 0 for an installation in place: every other end must say otherwise,
// including those the page tells as a completion (the uninstaller or the shortcut missing).
TEST(ExitCodes, OnlyAWholeInstallationEndsWithZero) {
    for (int i = static_cast<int>(InstallEnd::Completed); i <= static_cast<int>(InstallEnd::ExtractFileFailed); ++i) {
        const auto end = static_cast<InstallEnd>(i);
        const qf::SilentOutcome outcome = qf::OutcomeOf(end);
        EXPECT_NE(outcome.text, nullptr);
        if (end == InstallEnd::Completed) EXPECT_EQ(outcome.exitCode, 0);
        else if (end == InstallEnd::NewerRelease) EXPECT_EQ(outcome.exitCode, 1638);
        else EXPECT_EQ(outcome.exitCode, 1603) << i;
    }
}

TEST(ExitCodes, UninstallEndsInTheEnginesCodes) {
    EXPECT_EQ(qf::OutcomeOf(UninstallResult::Completed).exitCode, 0);
    EXPECT_EQ(qf::OutcomeOf(UninstallResult::Stopped).exitCode, 1603);
    EXPECT_EQ(qf::OutcomeOf(UninstallResult::NotInstalled).exitCode, 1605);
}

}  // namespace
