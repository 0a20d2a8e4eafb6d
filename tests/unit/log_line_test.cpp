#include "base/log_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr qf::LogTime Noon{2026, 12, 11, 9, 5, 1, 42};

std::string Line(std::size_t capacity, std::initializer_list<std::u16string_view> parts) {
    std::vector<char> out(capacity);
    return {out.data(), qf::FormatLogLine(out, Noon, {parts.begin(), parts.size()})};
}

TEST(LogLine, TimeThenPartsInUtf8ThenCrLf) {
    EXPECT_EQ(Line(256, {u"installed into ", u"C:\\\u00c9t\u00e9 \u6587"}),
              "2026-12-11 09:05:01.042  installed into C:\\\xC3\x89t\xC3\xA9 \xE6\x96\x87\r\n");
    EXPECT_EQ(Line(256, {}), "2026-12-11 09:05:01.042  \r\n");
}

TEST(LogLine, TooLongIsCutAtACharacterAndMarked) {
    // 25 bytes of time, 3 of mark, 2 of line end: 6 bytes left for the text.
    EXPECT_EQ(Line(36, {u"abcde", u"\u00e9\u00e9"}), "2026-12-11 09:05:01.042  abcde...\r\n");
    EXPECT_EQ(Line(36, {u"abcdef"}), "2026-12-11 09:05:01.042  abcdef\r\n");
    EXPECT_EQ(Line(36, {u"abcdefg"}), "2026-12-11 09:05:01.042  abcdef...\r\n");
    EXPECT_EQ(Line(29, {u"x"}), "");
}

TEST(Utf8, SurrogatesPairedOrReplaced) {
    struct Case {
        std::u16string_view text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string_view(u"\xD83D"
                             u"a",
                             2),
         "\xEF\xBF\xBD"
         "a"},
        {std::u16string_view(u"\xDE00", 1), "\xEF\xBF\xBD"},
        {u"\u07FF\u0800", "\xDF\xBF\xE0\xA0\x80"},
    };
    for (const Case& c : cases) {
        char out[16];
        bool whole = false;
        EXPECT_EQ(std::string(out, qf::EncodeUtf8(out, c.text, whole)), c.bytes);
        EXPECT_TRUE(whole);
    }
    char small[3];
    bool whole = true;
    EXPECT_EQ(qf::EncodeUtf8(small, u"a\U0001F600", whole), 1u);
    EXPECT_FALSE(whole);
}

}  // namespace
