#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Formatted(std::size_t capacity, std::u16string_view fmt, std::initializer_list<qf::FormatArg> args,
                         bool& ok) {
    std::u16string buffer(capacity, u'#');
    ok = qf::FormatText(buffer, fmt, args);
    return buffer.substr(0, qf::TextLength(buffer));
}

TEST(FormatText, FormatsTextsAndNumbers) {
    bool ok = false;
    EXPECT_EQ(Formatted(64, u"Unable to create/write file: %s\nError %d, x.", {u"C:\\a b", 3}, ok),
              u"Unable to create/write file: C:\\a b\nError 3, x.");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Formatted(32, u"%d %d %u %%", {INT32_MIN, 0, UINT32_MAX}, ok), u"-2147483648 0 4294967295 %");
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

// 8-bit names (device names, a tree's entries in archive order): only A-Z fold, and the order
// is that of the lowered bytes taken unsigned ("_" before "Z", a Latin-1 letter after "zz").
TEST(Text, EightBitCase) {
    EXPECT_TRUE(qf::EqualsIgnoringAsciiCase("CONIN$", "conin$"));
    EXPECT_FALSE(qf::EqualsIgnoringAsciiCase("\xc9", "\xe9"));
    EXPECT_FALSE(qf::EqualsIgnoringAsciiCase("nul", "nul "));
    EXPECT_TRUE(qf::StartsWithIgnoringAsciiCase("Com1", "COM"));
    EXPECT_FALSE(qf::StartsWithIgnoringAsciiCase("CO", "COM"));
    struct Order {
        const char* before;
        const char* after;
    };
    for (const Order o : {Order{"a", "B"}, Order{"Readme", "readme.txt"}, Order{"_", "Z"}, Order{"zz", "\xe9"},
                          Order{"", "a"}, Order{"\x7f", "\x80"}}) {
        EXPECT_TRUE(qf::LessIgnoringAsciiCase(o.before, o.after)) << o.before << " < " << o.after;
        EXPECT_FALSE(qf::LessIgnoringAsciiCase(o.after, o.before)) << o.after << " < " << o.before;
    }
    EXPECT_FALSE(qf::LessIgnoringAsciiCase("Docs", "docs"));
    EXPECT_FALSE(qf::LessIgnoringAsciiCase("docs", "Docs"));
}

}  // namespace
