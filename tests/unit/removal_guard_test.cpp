#include "registration/removal_guard.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct LocationCase {
    std::u16string location;
    bool removable;
};

const std::u16string Windir = u"C:\\Windows";

// What the uninstall and the page gather on a usual machine, as the system spells them.
const std::u16string_view KnownFolders[] = {u"C:\\Program Files",
                                            u"C:\\Program Files (x86)",
                                            u"C:\\Program Files\\Common Files",
                                            u"C:\\ProgramData",
                                            u"C:\\Users",
                                            u"C:\\Users\\Public",
                                            u"C:\\Users\\ann",
                                            u"C:\\Users\\Public\\Desktop",
                                            u"C:\\Users\\ann\\Desktop",
                                            u"C:\\Windows\\System32",
                                            u"C:\\Windows\\SysWOW64",
                                            u"C:\\Users\\ann\\AppData\\Local\\Temp"};
const qf::ProtectedDirectories Machine{Windir, KnownFolders};

bool Removable(std::u16string_view location, std::u16string_view windir) {
    return qf::JudgeLocation(location, {windir, {}}) == qf::LocationVerdict::Removable;
}

void PrintTo(const LocationCase& c, std::ostream* out) { *out << testing::PrintToString(c.location); }

class RemovableLocation : public testing::TestWithParam<LocationCase> {};

TEST_P(RemovableLocation, RefusesRootsWindirAndPathsThatDependOnTheCurrentDirectory) {
    EXPECT_EQ(Removable(GetParam().location, Windir), GetParam().removable);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Locations, RemovableLocation, testing::Values(
    // Installation directories as the installer writes them.
    LocationCase{u"C:\\Program Files\\Quenfield", true},
    LocationCase{u"C:\\Quenfield", true},
    LocationCase{u"d:/apps/orin", true},
    LocationCase{u"\\\\server\\share\\orin", true},
    LocationCase{u"//server/share/orin/", true},
    LocationCase{u"\\\\?\\C:\\Quenfield", true},
    LocationCase{u"\\\\?\\UNC\\server\\share\\orin", true},
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
    // The same directories through administrative shares, on any host, and "\\?\UNC\".
    LocationCase{u"\\\\localhost\\C$\\Windows", false},
    LocationCase{u"\\\\127.0.0.1\\c$\\windows", false},
    LocationCase{u"\\\\?\\UNC\\localhost\\C$\\Windows", false},
    LocationCase{u"//server/C$/Windows/", false},
    LocationCase{u"\\\\localhost\\C$", false},
    LocationCase{u"\\\\localhost\\C$\\", false},
    LocationCase{u"\\\\localhost\\ADMIN$", false},
    LocationCase{u"\\\\localhost\\admin$\\System32\\..", false},
    LocationCase{u"\\\\localhost\\C$\\Quenfield", true},
    LocationCase{u"\\\\localhost\\D$\\Windows", true},
    // Nothing below the Windows directory is removable, whatever the list of known folders
    // misses, by any spelling.
    LocationCase{u"C:\\Windows\\Quenfield", false},
    LocationCase{u"C:\\Windows\\inf", false},
    LocationCase{u"c:/windows/system32/drivers", false},
    LocationCase{u"\\\\?\\C:\\WINDOWS\\Temp", false},
    LocationCase{u"\\\\localhost\\ADMIN$\\Quenfield", false},
    // Not fully qualified: what they name depends on the current directory.
    LocationCase{u"Quenfield", false},
    LocationCase{u".", false},
    LocationCase{u"\\Quenfield", false},
    LocationCase{u"C:Quenfield", false},
    LocationCase{u"", false}));
// clang-format on

TEST(RemovableLocationWindir, ProtectsWhateverWindirNamesAndItsParents) {
    EXPECT_FALSE(Removable(u"D:\\OS", u"D:\\OS\\Windows\\"));
    EXPECT_FALSE(Removable(u"D:\\OS\\Windows", u"d:/os/windows"));
    EXPECT_TRUE(Removable(u"D:\\OS\\Other", u"D:\\OS\\Windows"));
    EXPECT_TRUE(Removable(u"C:\\OS", u"D:\\OS\\Windows"));
    EXPECT_FALSE(Removable(u"\\\\srv\\sys\\win", u"\\\\SRV\\SYS\\WIN"));
    // ADMIN$ stands for the Windows directory wherever that is.
    EXPECT_FALSE(Removable(u"\\\\host\\ADMIN$\\System32\\..", u"D:\\OS\\Windows"));
    EXPECT_FALSE(Removable(u"\\\\host\\d$\\os", u"D:\\OS\\Windows"));
    EXPECT_FALSE(Removable(u"\\\\host\\ADMIN$\\Temp\\Quenfield", u"D:\\OS\\Windows"));
    EXPECT_FALSE(Removable(u"d:\\os\\windows\\temp\\Quenfield", u"D:\\OS\\Windows"));
}

// The known folders of the machine and of the user, and every directory that holds one, by any
// spelling the text allows; their subdirectories stay installation directories.
TEST(RemovableLocationKnownFolders, RefusesEachFolderAndWhatHoldsIt) {
    const struct {
        std::u16string_view location;
        qf::LocationVerdict verdict;
    } cases[] = {
        {u"C:\\Program Files", qf::LocationVerdict::Protected},
        {u"c:/program files/", qf::LocationVerdict::Protected},
        {u"C:\\Program Files\\Quenfield\\..", qf::LocationVerdict::Protected},
        {u"C:\\Program Files.\\ ", qf::LocationVerdict::Protected},
        {u"\\\\?\\C:\\Program Files (x86)", qf::LocationVerdict::Protected},
        {u"\\\\localhost\\C$\\ProgramData", qf::LocationVerdict::Protected},
        {u"C:\\Users", qf::LocationVerdict::Protected},
        {u"C:\\Users\\ann", qf::LocationVerdict::Protected},
        {u"C:\\Users\\ann\\AppData", qf::LocationVerdict::Protected},
        {u"C:\\Users\\Public\\Desktop", qf::LocationVerdict::Protected},
        {u"C:\\Windows\\System32", qf::LocationVerdict::Protected},
        {u"\\\\.\\C:\\windows\\system32\\", qf::LocationVerdict::Protected},
        {u"c:\\windows", qf::LocationVerdict::Protected},
        {u"C:\\Windows\\", qf::LocationVerdict::Protected},  // what the page keeps of "C:\Windows\\"
        {u"C:\\Program Files\\Quenfield", qf::LocationVerdict::Removable},
        {u"C:\\Program Files\\Common Files\\Quenfield", qf::LocationVerdict::Removable},
        {u"C:\\Users\\ann\\Apps", qf::LocationVerdict::Removable},
        {u"C:\\Program", qf::LocationVerdict::Removable},
        {u"D:\\Program Files", qf::LocationVerdict::Removable},
        {u"Program Files", qf::LocationVerdict::Relative},
        {u"C:Program Files", qf::LocationVerdict::Relative},
        {u"\\Program Files", qf::LocationVerdict::Relative},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qf::JudgeLocation(c.location, Machine), c.verdict)
            << std::string(c.location.begin(), c.location.end());
    }
}

// Whether a location lies within a folder (the installation page asks it of the accounts'
// folders), by the same reading of both texts as the judgement.
TEST(LiesWithin, ReadsBothPathsAsTheGuardDoes) {
    const struct {
        std::u16string_view location, directory, windows;
        bool within;
    } cases[] = {
        {u"C:\\Users\\ann\\AppData\\Roaming", u"C:\\Users", Windir, true},
        {u"C:\\Users", u"C:\\Users\\", Windir, true},
        {u"c:/users/ANN/", u"C:\\Users\\ann", Windir, true},
        {u"C:\\Users. \\ann", u"C:\\Users", Windir, true},
        {u"\\\\?\\C:\\Users\\ann\\Apps", u"C:\\Users", Windir, true},
        {u"\\\\localhost\\C$\\Users\\ann", u"c:\\users", Windir, true},
        {u"\\\\host\\ADMIN$\\Profiles\\ann", u"D:\\OS\\Windows\\Profiles", u"D:\\OS\\Windows", true},
        {u"\\\\server\\share\\ann", u"\\\\SERVER\\Share", Windir, true},
        {u"C:\\Users2\\ann", u"C:\\Users", Windir, false},
        {u"C:\\Users\\..\\Program Files\\Quenfield", u"C:\\Users", Windir, false},
        {u"C:\\Users", u"C:\\Users\\ann", Windir, false},
        {u"D:\\Users\\ann", u"C:\\Users", Windir, false},
        {u"\\\\host\\ADMIN$\\Profiles\\ann", u"C:\\Windows\\Profiles", u"", false},
        {u"Users\\ann", u"C:\\Users", Windir, false},
        {u"C:\\Users\\ann", u"Users", Windir, false},
        {u"C:\\Users\\ann", u"", Windir, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qf::LiesWithin(c.location, c.directory, c.windows), c.within)
            << std::string(c.location.begin(), c.location.end()) << " in "
            << std::string(c.directory.begin(), c.directory.end());
    }
}

// The uninstall holds both paths in buffers of 1,024 units; the guard takes a path of the
// most names such a buffer holds, and refuses a longer one rather than judge part of it.
TEST(RemovableLocationLength, TakesWhatTheBuffersHoldAndRefusesMore) {
    std::u16string deepest = u"C:";
    while (deepest.size() + 2 <= 1023) deepest += u"\\a";
    EXPECT_TRUE(Removable(deepest, Windir));
    EXPECT_FALSE(Removable(deepest + u"\\a", Windir));
    EXPECT_FALSE(Removable(u"C:\\Quenfield", u"C:" + std::u16string(1023, u'\\')));
}

TEST(RemovableLocationWindir, AnUnsetWindirProtectsNoDirectory) {
    EXPECT_TRUE(Removable(u"C:\\Windows", u""));
    EXPECT_TRUE(Removable(u"C:\\Windows", u"Windows"));
    EXPECT_FALSE(Removable(u"C:\\", u""));
    EXPECT_FALSE(Removable(u"\\\\localhost\\ADMIN$\\Quenfield", u""));
}

}  // namespace
