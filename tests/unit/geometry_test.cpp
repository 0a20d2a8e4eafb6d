#include "base/geometry.h"

#include <gtest/gtest.h>

TEST(CentrePage, CentresAndClampsAtZero) {
    const qf::PagePlacement p = qf::CentrePage(1024, 738);
    EXPECT_EQ(p.width, 500);
    EXPECT_EQ(p.height, 400);
    EXPECT_EQ(p.left, 262);
    EXPECT_EQ(p.top, 169);
    const qf::PagePlacement odd = qf::CentrePage(1025, 739);  // halves truncate
    EXPECT_EQ(odd.left, 262);
    EXPECT_EQ(odd.top, 169);
    const qf::PagePlacement small = qf::CentrePage(480, 300);
    EXPECT_EQ(small.left, 0);
    EXPECT_EQ(small.top, 0);
}
