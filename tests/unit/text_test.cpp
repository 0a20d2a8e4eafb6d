#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Formatted(std::size_t capacity, std::u16string_view fmt,
                         std::initializer_list<qf::FormatArg> args, bool& ok) {
    std::u16string buffer(capacity, u'#');
    ok = qf::FormatText(buffer, fmt, args);
    return buffer.substr(0, qf::TextLength(buffer));
}

TEST(FormatText, FormatsTextsAndNumbers) {
    bool ok = false;
    EXPECT_EQ(Formatted(64, u"Unable to create/write file: %s\nError %d, x.", {u"C:\\a b", 3}, ok),
              u"Unable to create/write file: C:\\a b\nError 3, x.");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Formatted(32, u"%d %d %u %%", {INT32_MIN, 0, UINT32_MAX}, ok),
              u"-2147483648 0 4294967295 %");
    EXPECT_TRUE(ok);
}

TEST(FormatText, RefusesWhatDoesNotFitInsteadOfCutting) {
    bool ok = true;
    EXPECT_EQ(Formatted(5, u"%s", {u"abcd"}, ok), u"abcd");  // 4 units and the terminator
    EXPECT_TRUE(ok);
    EXPECT_EQ(Formatted(5, u"%s", {u"abcde"}, ok), u"");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Formatted(8, u"%s %s", {u"a"}, ok), u"");  // missing argument
    EXPECT_FALSE(ok);
}

TEST(Text, CopyAppendAndCase) {
    char16_t buffer[6];
    EXPECT_TRUE(qf::CopyText(buffer, u"ab"));
    EXPECT_TRUE(qf::AppendText(buffer, u"cde"));
    EXPECT_FALSE(qf::AppendText(buffer, u"f"));
    EXPECT_EQ(std::u16string(buffer), u"abcde");
    EXPECT_TRUE(qf::EqualsIgnoringAsciiCase(u"C:\\WINDOWS", u"c:\\windows"));
    EXPECT_FALSE(qf::EqualsIgnoringAsciiCase(u"\u00c9", u"\u00e9"));  // only A-Z fold
    EXPECT_TRUE(qf::EndsWithIgnoringAsciiCase(u"SETUP.EXE", u".exe"));
    EXPECT_FALSE(qf::EndsWithIgnoringAsciiCase(u"exe", u".exe"));
}

}  // namespace
