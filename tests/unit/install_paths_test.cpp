#include "base/install_paths.h"

#include <gtest/gtest.h>

#include "base/product.h"

#include <string>
#include <utility>

namespace {

// What the page then refuses is the uninstall's own judgement (removal_guard_test.cpp).
TEST(InstallDirectory, OneTrailingSeparatorGoes) {
    EXPECT_EQ(qf::WithoutTrailingSeparator(u"D:\\Apps/"), u"D:\\Apps");
    EXPECT_EQ(qf::WithoutTrailingSeparator(u"C:\\Windows\\\\"), u"C:\\Windows\\");
    EXPECT_EQ(qf::WithoutTrailingSeparator(u"\\"), u"");
    EXPECT_EQ(qf::WithoutTrailingSeparator(u"Apps"), u"Apps");
}

// A relative entry is made a full path before anything is judged or written; what counts as
// relative is what Windows resolves against a current directory.
TEST(InstallDirectory, RelativeEntriesAreTold) {
    for (const std::u16string_view qualified :
         {u"C:\\Apps", u"c:/Apps", u"C:", u"\\\\host\\share", u"//host/share", u"\\\\?\\C:\\Apps"})
        EXPECT_TRUE(qf::IsFullyQualified(qualified)) << std::string(qualified.begin(), qualified.end());
    for (const std::u16string_view relative : {u"Apps", u".", u"..", u"\\Apps", u"/Apps", u"C:Apps", u"", u"\\"})
        EXPECT_FALSE(qf::IsFullyQualified(relative)) << std::string(relative.begin(), relative.end());
}

// The uninstall tells a folder that is gone from a volume that is not there by the volume's root.
TEST(InstallDirectory, TheVolumeRootOfAPath) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"C:\\Apps\\ORIN-6", u"C:\\"},
        {u"q:/ORIN-6", u"q:/"},
        {u"\\\\server\\share\\ORIN-6", u"\\\\server\\share\\"},
        {u"//server/share/a/b", u"//server/share/"},
        {u"\\\\?\\C:\\Apps", u"\\\\?\\C:\\"},
        {u"\\\\?\\UNC\\server\\share\\Apps", u"\\\\?\\UNC\\server\\share\\"},
        {u"\\\\.\\D:\\Apps", u"\\\\.\\D:\\"},
        // No root to tell by: relative, a share without its name, a drive without its separator.
        {u"Apps\\ORIN-6", u""},
        {u"\\\\server\\share", u""},
        {u"\\\\server", u""},
        {u"C:Apps", u""},
        {u"\\\\?\\UNC\\server", u""},
    };
    for (const auto& [path, root] : cases)
        EXPECT_EQ(qf::VolumeRoot(path), root) << std::string(path.begin(), path.end());
}

// The shortcut's path is built for saving and for deleting alike: a path that fits both, or
// nothing; never a name relative to the current drive's root.
TEST(ShortcutPath, JoinsTheDesktopOrRefuses) {
    char16_t out[qf::ShortcutPathCapacity];
    EXPECT_TRUE(qf::ShortcutPath(u"C:\\users\\All Users\\Desktop", qf::ShortcutFileName, out));
    EXPECT_EQ(std::u16string(out), u"C:\\users\\All Users\\Desktop\\ORIN-6 Client.lnk");
    EXPECT_FALSE(qf::ShortcutPath(u"", qf::ShortcutFileName, out));
    EXPECT_EQ(std::u16string(out), u"");
    // 259 units and the terminator fit; one more does not, and nothing of it is kept.
    const std::u16string_view name = qf::ShortcutTemporaryName;
    const std::u16string desktop = u"C:\\" + std::u16string(259 - 3 - 1 - name.size(), u'd');
    EXPECT_TRUE(qf::ShortcutPath(desktop, name, out));
    EXPECT_EQ(std::u16string(out).size(), 259u);
    EXPECT_FALSE(qf::ShortcutPath(desktop + u"d", name, out));
    EXPECT_EQ(std::u16string(out), u"");
}

}  // namespace
