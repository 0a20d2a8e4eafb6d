#include "archive/extract_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ExtractRules, RepaintsBeforeThe1st14th27thFile) {
    std::vector<std::uint32_t> repainted;  // by the count of files before the one written
    for (std::uint32_t before = 0; before < 40; ++before)
        if (qf::RepaintsBeforeFile(before)) repainted.push_back(before);
    EXPECT_EQ(repainted, (std::vector<std::uint32_t>{0, 13, 26, 39}));
}

struct ExecutableCase {
    const char16_t* path;
    bool client;
};

TEST(ExtractRules, AnyPathEndingInExeInAnyAsciiCaseIsTheClient) {
    // clang-format off
    const ExecutableCase cases[] = {
        {u"C:\\ORIN\\qfmgr.exe", true},   {u"C:\\ORIN\\QFMGR.EXE", true},
        {u"C:\\ORIN\\tools\\a.eXe", true}, {u"C:\\ORIN\\notanexe", true},  // no dot needed
        {u"C:\\ORIN\\x.exe.bak", false},   {u"C:\\ORIN\\x.exe ", false},
        {u"C:\\ORIN\\x.ex", false},        {u"ex", false},
        {u"C:\\ORIN\\x.\u00C9XE", false},  // only A-Z fold
    };
    // clang-format on
    for (const ExecutableCase& c : cases)
        EXPECT_EQ(qf::IsClientExecutable(c.path), c.client) << testing::PrintToString(std::u16string(c.path));
}

TEST(ExtractRules, WorkingDirectoryIsTheExecutablesOwnFolder) {
    const std::u16string client = u"C:\\Program Files\\ORIN-6\\qfmgr.exe";
    // For the client's nine-character name that is the path without its last ten characters.
    EXPECT_EQ(qf::ContainingFolder(client), client.substr(0, client.size() - 10));
    EXPECT_EQ(qf::ContainingFolder(u"C:\\ORIN\\bin\\x.exe"), u"C:\\ORIN\\bin");
    EXPECT_EQ(qf::ContainingFolder(u"C:\\ORIN\\a-long-client-name.exe"), u"C:\\ORIN");
    EXPECT_EQ(qf::ContainingFolder(u"x.exe"), u"");
}

std::u16string Joined(std::size_t capacity, std::u16string_view folder, std::string_view name, bool& ok) {
    std::u16string buffer(capacity, u'#');
    ok = qf::JoinArchiveName(buffer, folder, name);
    return buffer.substr(0, buffer.find(u'\0'));
}

TEST(ExtractRules, ArchiveNamesAreWidenedByteForByteAndJoinedWithABackslash) {
    bool ok = false;
    EXPECT_EQ(Joined(64, u"C:\\ORIN", "docs\\caf\xE9\xFF.txt", ok), u"C:\\ORIN\\docs\\caf\u00E9\u00FF.txt");
    EXPECT_TRUE(ok);
}

TEST(ExtractRules, APathThatDoesNotFitIsRefusedNotCut) {
    const std::u16string folder(100, u'd');
    bool ok = false;
    // 100 + 1 + 154 units and the terminator fill CurrentTargetPath's 256 exactly.
    EXPECT_EQ(Joined(256, folder, std::string(154, 'n'), ok).size(), 255u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Joined(256, folder, std::string(155, 'n'), ok), u"");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Joined(1024, folder, std::string(70'000, 'n'), ok), u"");
    EXPECT_FALSE(ok);
}

TEST(ExtractRules, ARefusedPathIsShownCutWithAMark) {
    std::u16string shown(12, u'#');
    qf::JoinArchiveNameForMessage(shown, u"C:\\ORIN", "docs\\long");
    EXPECT_EQ(shown.substr(0, shown.find(u'\0')), u"C:\\ORIN\\...");
    qf::JoinArchiveNameForMessage(shown, u"C:\\ORIN", "doc");
    EXPECT_EQ(shown.substr(0, shown.find(u'\0')), u"C:\\ORIN\\doc");  // fits: shown whole
}

}  // namespace
