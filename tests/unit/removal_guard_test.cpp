#include "registration/removal_guard.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LocationCase {
    std::u16string location;
    bool removable;
};

const std::u16string Windir = u"C:\\Windows";

class RemovableLocation : public testing::TestWithParam<LocationCase> {};

TEST_P(RemovableLocation, RefusesRootsWindirAndPathsThatDependOnTheCurrentDirectory) {
    EXPECT_EQ(qf::IsRemovableLocation(GetParam().location, Windir), GetParam().removable);
}

INSTANTIATE_TEST_SUITE_P(Locations, RemovableLocation, testing::Values(
    // Installation directories as the installer writes them.
    LocationCase{u"C:\\Program Files\\Quenfield", true},
    LocationCase{u"C:\\Quenfield", true},
    LocationCase{u"d:/apps/orin", true},
    LocationCase{u"\\\\server\\share\\orin", true},
    LocationCase{u"//server/share/orin/", true},
    LocationCase{u"\\\\?\\C:\\Quenfield", true},
    LocationCase{u"\\\\?\\UNC\\server\\share\\orin", true},
    LocationCase{u"C:\\Windows\\Quenfield", true},
    LocationCase{u"C:\\Windows2", true},
    LocationCase{u"C:\\Win", true},
    LocationCase{u"D:\\Windows", true},
    // Drive roots.
    LocationCase{u"C:\\", false},
    LocationCase{u"C:", false},
    LocationCase{u"C:/", false},
    LocationCase{u"z:\\\\", false},
    LocationCase{u"C:\\.", false},
    LocationCase{u"C:\\...", false},
    LocationCase{u"C:\\Quenfield\\..", false},
    LocationCase{u"C:\\a\\..\\..\\..", false},
    LocationCase{u"\\\\?\\C:\\", false},
    LocationCase{u"\\\\?\\C:", false},
    LocationCase{u"\\\\.\\C:\\", false},
    // Share roots.
    LocationCase{u"\\\\server\\share", false},
    LocationCase{u"\\\\server\\share\\", false},
    LocationCase{u"//server/share/", false},
    LocationCase{u"\\\\server\\share\\orin\\..", false},
    LocationCase{u"\\\\server", false},
    LocationCase{u"\\\\server\\", false},
    LocationCase{u"\\\\server\\..\\orin", false},
    LocationCase{u"\\\\?\\UNC\\server\\share", false},
    LocationCase{u"\\\\?\\UNC\\server\\share\\", false},
    // Volume and device names.
    LocationCase{u"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}\\orin", false},
    LocationCase{u"\\\\.\\PhysicalDrive0", false},
    // windir itself and what holds it.
    LocationCase{u"C:\\Windows", false},
    LocationCase{u"c:\\WINDOWS\\", false},
    LocationCase{u"C:/windows//", false},
    LocationCase{u"C:\\Windows.", false},
    LocationCase{u"C:\\Windows \\", false},
    LocationCase{u"C:\\Windows\\System32\\..", false},
    LocationCase{u"\\\\?\\C:\\Windows", false},
    // Not fully qualified: what they name depends on the current directory.
    LocationCase{u"Quenfield", false},
    LocationCase{u".", false},
    LocationCase{u"\\Quenfield", false},
    LocationCase{u"C:Quenfield", false},
    LocationCase{u"", false}));

TEST(RemovableLocationWindir, ProtectsWhateverWindirNamesAndItsParents) {
    EXPECT_FALSE(qf::IsRemovableLocation(u"D:\\OS", u"D:\\OS\\Windows\\"));
    EXPECT_FALSE(qf::IsRemovableLocation(u"D:\\OS\\Windows", u"d:/os/windows"));
    EXPECT_TRUE(qf::IsRemovableLocation(u"D:\\OS\\Other", u"D:\\OS\\Windows"));
    EXPECT_TRUE(qf::IsRemovableLocation(u"C:\\OS", u"D:\\OS\\Windows"));
    EXPECT_FALSE(qf::IsRemovableLocation(u"\\\\srv\\sys\\win", u"\\\\SRV\\SYS\\WIN"));
}

// The uninstall holds both paths in buffers of 1,024 units; the guard takes a path of the
// most names such a buffer holds, and refuses a longer one rather than judge part of it.
TEST(RemovableLocationLength, TakesWhatTheBuffersHoldAndRefusesMore) {
    std::u16string deepest = u"C:";
    while (deepest.size() + 2 <= 1023) deepest += u"\\a";
    EXPECT_TRUE(qf::IsRemovableLocation(deepest, Windir));
    EXPECT_FALSE(qf::IsRemovableLocation(deepest + u"\\a", Windir));
    EXPECT_FALSE(qf::IsRemovableLocation(u"C:\\Quenfield", u"C:" + std::u16string(1023, u'\\')));
}

TEST(RemovableLocationWindir, AnUnsetWindirProtectsNoDirectory) {
    EXPECT_TRUE(qf::IsRemovableLocation(u"C:\\Windows", u""));
    EXPECT_TRUE(qf::IsRemovableLocation(u"C:\\Windows", u"Windows"));
    EXPECT_FALSE(qf::IsRemovableLocation(u"C:\\", u""));
}

}  // namespace
