#include "base/bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(Bytes, LittleEndianBothWays) {
    std::vector<std::uint8_t> out{0xAA};
    qf::AppendLe16(out, 0x1234'5678);  // the lowest two bytes only
    qf::AppendLe32(out, 0x8070'6050);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xAA, 0x78, 0x56, 0x50, 0x60, 0x70, 0x80}));
    EXPECT_EQ(qf::GetLe16(&out[1]), 0x5678u);
    EXPECT_EQ(qf::GetLe32(&out[3]), 0x8070'6050u);  // the top bit stays unsigned
    qf::PutLe32(out, 1, 0xFFFF'FFFE);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xAA, 0xFE, 0xFF, 0xFF, 0xFF, 0x70, 0x80}));
}

// A field reads only where it lies wholly inside; offsets and sizes that would wrap a 32-bit or
// a 64-bit sum are outside too.
TEST(Bytes, TheViewReadsOnlyInside) {
    const std::uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    const qf::ByteView view{bytes};
    EXPECT_EQ(view.U32(2), 0x0605'0403u);
    EXPECT_EQ(view.U16(4), 0x0605u);
    EXPECT_EQ(view.U32(3), 0u);
    EXPECT_EQ(view.U16(5), 0u);
    EXPECT_EQ(view.U16(6), 0u);
    EXPECT_TRUE(view.Has(6, 0));
    EXPECT_FALSE(view.Has(7, 0));
    EXPECT_FALSE(view.Has(2, 0xFFFF'FFFF));
    EXPECT_FALSE(view.Has(0xFFFF'FFFF'FFFF'FFFF, 2));
    EXPECT_FALSE(view.Has(1, 0xFFFF'FFFF'FFFF'FFFF));
    EXPECT_EQ(view.U32(0xFFFF'FFFF'FFFF'FFFE), 0u);
    EXPECT_EQ(qf::ByteView{}.U16(0), 0u);
}

}  // namespace
