#include "base/licence_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using namespace std::string_view_literals;

std::vector<std::u16string> Lines(std::string_view text) {
    std::vector<std::u16string> lines;
    qf::SplitLicenceText(
        {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
        [](void* ctx, const char16_t* line) { static_cast<std::vector<std::u16string>*>(ctx)->push_back(line); },
        &lines);
    return lines;
}

TEST(LicenceSplit, OneEntryPerLineEmptyLinesIncluded) {
    EXPECT_EQ(Lines("One\r\n\r\nTwo\r\n\r\n"), (std::vector<std::u16string>{u"One", u"", u"Two", u""}));
    EXPECT_TRUE(Lines("").empty());
    const std::string line89(89, 'x');
    EXPECT_EQ(Lines(line89 + "\r\n"), std::vector<std::u16string>{std::u16string(89, u'x')});
    // Bytes are widened, not converted: 0xE9 is U+00E9 and 0x80 stays U+0080.
    EXPECT_EQ(Lines("caf\xE9 \x80\r\n"), std::vector<std::u16string>{u"caf\u00e9 \u0080"});
    // A NUL ends the shown entry; the line still ends at its CR.
    EXPECT_EQ(Lines("ab\0cd\r\nnext\r\n"sv), (std::vector<std::u16string>{u"ab", u"next"}));
}

TEST(LicenceSplit, BrokenTextsNeverStall) {
    const std::string line95(95, 'y');
    EXPECT_EQ(Lines(line95 + "\r\nafter\r\n"), (std::vector<std::u16string>{std::u16string(89, u'y'), u"after"}));
    EXPECT_EQ(Lines(line95), std::vector<std::u16string>{std::u16string(89, u'y')});
    EXPECT_EQ(Lines("first\r\nlast"), (std::vector<std::u16string>{u"first", u"last"}));
    EXPECT_EQ(Lines("cr only\r"), std::vector<std::u16string>{u"cr only"});
}

TEST(LicenceCheck, NamesTheFirstLineThatBreaksARule) {
    using qf::LicenceFault;
    struct Case {
        std::string text;
        std::size_t line;
        LicenceFault fault;
    };
    const std::string ok89(89, 'x');
    EXPECT_FALSE(qf::CheckLicenceText({reinterpret_cast<const std::uint8_t*>(ok89.data()), 0}));
    for (const Case& c :
         {Case{"a\r\n" + ok89 + "x\r\n", 2, LicenceFault::TooLong}, Case{"a\r\nb", 2, LicenceFault::MissingCrLf},
          Case{"a\nb\r\n", 1, LicenceFault::MissingCrLf}, Case{"a\r\r\n", 1, LicenceFault::MissingCrLf},
          Case{std::string("a\r\nb\0\r\n", 7), 2, LicenceFault::Nul}}) {
        const auto problem =
            qf::CheckLicenceText({reinterpret_cast<const std::uint8_t*>(c.text.data()), c.text.size()});
        ASSERT_TRUE(problem) << c.text;
        EXPECT_EQ(problem->line, c.line) << c.text;
        EXPECT_EQ(problem->fault, c.fault) << c.text;
    }
    const std::string good = "a\r\n" + ok89 + "\r\n\r\n";
    EXPECT_FALSE(qf::CheckLicenceText({reinterpret_cast<const std::uint8_t*>(good.data()), good.size()}));
}

}  // namespace
