// The plan the fault-injecting installer reads from QF_FAULTS. A value that parsed as "no
// fault" by mistake would let a whole sweep pass without making a single call fail, so every
// malformed value must be refused rather than read as a count.
#include "variants/fault_plan.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace {

using faults::Action;
using faults::Mode;

struct PlanCase {
    const char16_t* text;
    std::optional<Mode> mode;  // nothing: refused
    std::uint32_t ordinal;
};

void PrintTo(const PlanCase& c, std::ostream* out) { *out << testing::PrintToString(std::u16string(c.text)); }

class PlanText : public testing::TestWithParam<PlanCase> {};

TEST_P(PlanText, ParsesOrRefuses) {
    const PlanCase& c = GetParam();
    const std::optional<faults::Plan> plan = faults::ParsePlan(c.text);
    ASSERT_EQ(plan.has_value(), c.mode.has_value());
    if (!plan) return;
    EXPECT_EQ(plan->mode, *c.mode);
    EXPECT_EQ(plan->ordinal, c.ordinal);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Values, PlanText, testing::Values(
    PlanCase{u"count", Mode::Count, 0},
    PlanCase{u"fail:1", Mode::Fail, 1},
    PlanCase{u"stop:4294967295", Mode::Stop, 4294967295u},
    PlanCase{u"fail:017", Mode::Fail, 17},
    PlanCase{u"", std::nullopt, 0},
    PlanCase{u"Count", std::nullopt, 0},
    PlanCase{u"count:3", std::nullopt, 0},
    PlanCase{u"count;C:\\calls.txt", std::nullopt, 0},
    PlanCase{u"fail", std::nullopt, 0},
    PlanCase{u"fail:", std::nullopt, 0},
    PlanCase{u"fail:0", std::nullopt, 0},
    PlanCase{u"fail:-3", std::nullopt, 0},
    PlanCase{u"fail:3x", std::nullopt, 0},
    PlanCase{u"fail: 3", std::nullopt, 0},
    PlanCase{u"stop:4294967296", std::nullopt, 0},
    PlanCase{u"stop:99999999999999999999", std::nullopt, 0},
    PlanCase{u"crash:3", std::nullopt, 0}));
// clang-format on

TEST(PlanAction, HitsTheOneCallItNamesInItsMode) {
    const faults::Plan fail{Mode::Fail, 3};
    const faults::Plan stop{Mode::Stop, 3};
    const faults::Plan count{Mode::Count, 0};
    for (std::uint32_t n : {1u, 2u, 4u, 1000u}) {
        EXPECT_EQ(faults::ActionAt(fail, n), Action::Pass) << n;
        EXPECT_EQ(faults::ActionAt(stop, n), Action::Pass) << n;
    }
    EXPECT_EQ(faults::ActionAt(fail, 3), Action::Fail);
    EXPECT_EQ(faults::ActionAt(stop, 3), Action::Stop);
    for (std::uint32_t n : {0u, 1u, 3u}) EXPECT_EQ(faults::ActionAt(count, n), Action::Pass) << n;
}

}  // namespace
