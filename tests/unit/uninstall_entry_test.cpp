#include "registration/uninstall_entry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// An archive of files of the given sizes, each in a folder of its own below one shared folder,
// so that directory records lie between them.
Bytes ArchiveOf(const std::vector<std::size_t>& sizes) {
    Bytes archive = qf::StartArchive();
    qf::AppendDirectoryRecord(archive, "docs");
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const std::string folder = "docs\\" + std::to_string(i);
        qf::AppendDirectoryRecord(archive, folder);
        qf::AppendFileRecord(archive, folder + "\\page.html", Bytes(sizes[i], 0x5A));
    }
    qf::FinishArchive(archive);
    return archive;
}

struct SizeCase {
    const char* what;
    Bytes archive;
    std::uint32_t uninstaller;
    std::uint32_t kib;
};

TEST(InstalledSize, CountsTheArchivesFilesAndTheUninstallerRoundedUp) {
    Bytes damaged = ArchiveOf({2048});
    damaged.push_back(9);  // no record type: the walk stops here
    qf::AppendFileRecord(damaged, "late.txt", Bytes(4096));
    // clang-format off
    const SizeCase cases[] = {
        {"nothing at all",                        {},                  0,          0},
        {"an archive of no records",              qf::StartArchive(),  0,          0},
        {"one byte of uninstaller",               qf::StartArchive(),  1,          1},
        {"a whole KiB",                           ArchiveOf({1024}),   0,          1},
        {"a byte past it",                        ArchiveOf({1024}),   1,          2},
        {"summed before rounding, not per file",  ArchiveOf({1, 1, 1}), 1021,      1},
        {"empty files and folders weigh nothing", ArchiveOf({0, 0}),   2048,       2},
        {"a damaged record ends the count",       damaged,             0,          2},
        {"no overflow at the largest sizes",      ArchiveOf({2048}),   0xFFFFFFFF, 4194306},
    };
    // clang-format on
    for (const SizeCase& c : cases) EXPECT_EQ(qf::InstalledSizeKiB(c.archive, c.uninstaller), c.kib) << c.what;
}

struct DateCase {
    std::uint32_t year, month, day;
    std::u16string text;
};

TEST(InstallDate, EightDigitsWithLeadingZeros) {
    // clang-format off
    const DateCase cases[] = {
        {2019, 12, 20, u"20191220"},
        {2024,  1,  5, u"20240105"},
        { 999,  7,  9, u"09990709"},
        {10000, 2, 29, u"100000229"},
    };
    // clang-format on
    for (const DateCase& c : cases) {
        char16_t out[12];
        EXPECT_TRUE(qf::FormatInstallDate(c.year, c.month, c.day, out));
        EXPECT_EQ(std::u16string(out), c.text);
    }
}

TEST(InstallDate, RefusesABufferWithoutRoomForTheTerminator) {
    char16_t exact[9];
    EXPECT_TRUE(qf::FormatInstallDate(2019, 12, 20, exact));
    EXPECT_EQ(std::u16string(exact), u"20191220");
    char16_t shorter[8] = {u'x'};
    EXPECT_FALSE(qf::FormatInstallDate(2019, 12, 20, shorter));
    EXPECT_EQ(shorter[0], u'\0');
}

}  // namespace
