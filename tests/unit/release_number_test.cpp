#include "registration/release_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace {

struct NumberCase {
    std::string name;
    std::int32_t number;
};

void PrintTo(const NumberCase& c, std::ostream* out) { *out << testing::PrintToString(c.name); }

class ReleaseNumberOf : public testing::TestWithParam<NumberCase> {};

TEST_P(ReleaseNumberOf, ReadsLikeStrtolInBase10With32BitResults) {
    const std::string& name = GetParam().name;
    EXPECT_EQ(qf::ReleaseNumber(name), GetParam().number);
    // Our own key name goes through the UTF-16 form, which must agree.
    EXPECT_EQ(qf::ReleaseNumber(std::u16string(name.begin(), name.end())), GetParam().number);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Names, ReleaseNumberOf, testing::Values(
    NumberCase{"20191220", 20191220},
    NumberCase{"20180101", 20180101},
    NumberCase{"Servers", 0},
    NumberCase{"", 0},
    NumberCase{"-5", -5},
    NumberCase{"+17", 17},
    NumberCase{"20180101x", 20180101},
    NumberCase{"2018 0101", 2018},
    NumberCase{" \t\n\v\f\r42", 42},
    NumberCase{"  -0012", -12},
    NumberCase{"- 5", 0},
    NumberCase{"+-5", 0},
    NumberCase{"+", 0},
    NumberCase{"x20191220", 0},
    NumberCase{"0x1F", 0},
    NumberCase{"00000000000000000000042", 42},
    NumberCase{"2147483647", INT32_MAX},
    NumberCase{"2147483648", INT32_MAX},
    NumberCase{"99999999999999999999999", INT32_MAX},
    NumberCase{"-2147483648", INT32_MIN},
    NumberCase{"-2147483649", INT32_MIN},
    NumberCase{"-99999999999999999999999", INT32_MIN},
    NumberCase{"4294967295", INT32_MAX}));
// clang-format on

TEST(ReleaseNumberOf, StopsAtABytePastAscii) {
    // clang-format off
    EXPECT_EQ(qf::ReleaseNumber(std::string("2019\xB2" "1220")), 2019);
    EXPECT_EQ(qf::ReleaseNumber(std::string("\xA0" "5")), 0);
    // clang-format on
    EXPECT_EQ(qf::ReleaseNumber(std::u16string(u"2019\uFF101220")), 2019);  // a fullwidth 0
}

struct CompareCase {
    std::int32_t number;
    std::int32_t than;
    bool newer;
};

void PrintTo(const CompareCase& c, std::ostream* out) { *out << c.number << " than " << c.than; }

class NewerRelease : public testing::TestWithParam<CompareCase> {};

TEST_P(NewerRelease, ComparesAsUnsigned32Bit) {
    EXPECT_EQ(qf::IsNewerRelease(GetParam().number, GetParam().than), GetParam().newer);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Pairs, NewerRelease, testing::Values(
    CompareCase{20200101, 20191220, true},
    CompareCase{20180101, 20191220, false},
    CompareCase{20191220, 20191220, false},
    CompareCase{-5, 20191220, true},
    CompareCase{INT32_MIN, INT32_MAX, true},
    CompareCase{-1, -5, true},
    CompareCase{-5, -1, false},
    CompareCase{0, 20191220, false},
    CompareCase{1, 0, true}));
// clang-format on

}  // namespace
