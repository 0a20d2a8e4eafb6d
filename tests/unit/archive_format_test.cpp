#include "archive/archive_format.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "support/le_bytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes WithChecksum(Bytes archive, std::uint32_t checksum) {
    support::Put32(archive, 1, checksum);
    return archive;
}

bool Verifies(const Bytes& archive) { return qf::VerifyArchive(archive, nullptr, nullptr); }

TEST(Verify, ChecksumRules) {
    EXPECT_TRUE(Verifies(WithChecksum({3, 0, 0, 0, 0}, 0)));  // no bytes sum to 0
    EXPECT_FALSE(Verifies(WithChecksum({3, 0, 0, 0, 0}, 1)));
    EXPECT_TRUE(Verifies(WithChecksum({3, 0, 0, 0, 0, 0x41}, 0x41)));
    EXPECT_FALSE(Verifies(WithChecksum({3, 0, 0, 0, 0, 0x41}, 0x42)));
    EXPECT_TRUE(Verifies(WithChecksum({0xAB, 0, 0, 0, 0, 0x41}, 0x41)));    // byte 0 is never read
    EXPECT_TRUE(Verifies(WithChecksum({3, 0, 0, 0, 0, 0xFF, 0xFF}, 510)));  // unsigned bytes
    EXPECT_FALSE(Verifies({3, 0, 0, 0}));                                   // no header
}

TEST(Verify, SumWrapsModulo2To32AndMatchesAPlainLoop) {
    // 16,843,010 bytes of 0xFF sum to 4,294,967,550 = 2^32 + 254.
    Bytes archive(5 + 16'843'010, 0xFF);
    EXPECT_TRUE(Verifies(WithChecksum(archive, 254)));
    // Odd lengths and unaligned stretches sum like a byte loop.
    Bytes odd(5 + 1'000'003);
    for (std::size_t i = 0; i < odd.size(); ++i) odd[i] = static_cast<std::uint8_t>(i * 131 + 7);
    const std::uint32_t plain = std::accumulate(odd.begin() + 5, odd.end(), 0u);
    EXPECT_EQ(qf::SumBytes(std::span(odd).subspan(5)), plain);
    EXPECT_TRUE(Verifies(WithChecksum(odd, plain)));
}

TEST(Verify, RepaintsAtMultiplesOfTheIntervalBelowTheLength) {
    auto offsets = [](std::size_t length) {
        std::vector<std::uint32_t> seen;
        Bytes archive(length);
        qf::VerifyArchive(
            archive,
            [](void* ctx, std::uint32_t offset) { static_cast<std::vector<std::uint32_t>*>(ctx)->push_back(offset); },
            &seen);
        return seen;
    };
    EXPECT_EQ(offsets(112'323), std::vector<std::uint32_t>{});
    EXPECT_EQ(offsets(112'324), std::vector<std::uint32_t>{112'323});
    EXPECT_EQ(offsets(224'647), (std::vector<std::uint32_t>{112'323, 224'646}));
    EXPECT_EQ(offsets(66'688'362).size(), 593u);
    EXPECT_EQ(offsets(66'688'362).back(), 66'607'539u);
}

// --- The record walk ------------------------------------------------------------------------

struct Walked {
    std::vector<std::string> records;  // "d name" or "f name size"
    bool corrupted = false;
};

Walked Walk(const Bytes& archive) {
    Walked out;
    qf::ArchiveWalk walk{archive};
    qf::ArchiveRecord r;
    for (int guard = 0; guard < 1000; ++guard) {
        const qf::WalkStep step = qf::NextRecord(walk, r);
        if (step == qf::WalkStep::End) return out;
        if (step == qf::WalkStep::Corrupted) {
            out.corrupted = true;
            return out;
        }
        out.records.push_back(r.type == qf::RecordType::Directory
                                  ? "d " + std::string(r.name)
                                  : "f " + std::string(r.name) + " " + std::to_string(r.data.size()));
    }
    ADD_FAILURE() << "walk does not advance";
    return out;
}

Bytes Data(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST(Walk, ReadsWhatTheWriterWrites) {
    Bytes a = qf::StartArchive();
    qf::AppendDirectoryRecord(a, "docs");
    qf::AppendFileRecord(a, "docs\\a.txt", Data("hello"));
    qf::AppendFileRecord(a, "empty", {});
    qf::AppendFileRecord(a, "caf\xE9.txt", Data("x"));
    qf::FinishArchive(a);
    const Walked w = Walk(a);
    EXPECT_FALSE(w.corrupted);
    EXPECT_EQ(w.records, (std::vector<std::string>{"d docs", "f docs\\a.txt 5", "f empty 0", "f caf\xE9.txt 1"}));
    const Walked empty = Walk(qf::StartArchive());
    EXPECT_FALSE(empty.corrupted);
    EXPECT_TRUE(empty.records.empty());
}

TEST(Walk, OversizedLengthFieldsReadAsTheWriterWouldWriteThem) {
    // File header length above n + 8 only bounds the name scan; data follows the name's NUL.
    Bytes a = qf::StartArchive();
    qf::AppendFileRecord(a, "a", Data("xyz"));
    a[6] = 200;
    // Directory record length above n + 4 skips the bytes after the name.
    qf::AppendDirectoryRecord(a, "d");
    a[a.size() - 4] = 7;  // record length 5 -> 7
    a.push_back(0xEE);
    a.push_back(0xEE);
    qf::AppendFileRecord(a, "d\\f", Data("q"));
    const Walked w = Walk(a);
    EXPECT_FALSE(w.corrupted);
    EXPECT_EQ(w.records, (std::vector<std::string>{"f a 3", "d d", "f d\\f 1"}));
}

Bytes Header() { return {3, 0, 0, 0, 0}; }
Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Malformed {
    const char* what;
    Bytes archive;
};

void PrintTo(const Malformed& c, std::ostream* out) { *out << c.what; }

class MalformedArchive : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedArchive, IsCorruptedWithoutReadingPastTheEnd) {
    // Copy to an exactly sized heap block so that AddressSanitizer sees any overrun.
    const Bytes& src = GetParam().archive;
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[src.size()]);
    std::copy(src.begin(), src.end(), exact.get());
    qf::ArchiveWalk walk{{exact.get(), src.size()}};
    qf::ArchiveRecord r;
    qf::WalkStep step;
    int records = 0;
    while ((step = qf::NextRecord(walk, r)) == qf::WalkStep::Record) ASSERT_LT(++records, 10);
    EXPECT_EQ(step, qf::WalkStep::Corrupted) << GetParam().what;
    EXPECT_EQ(qf::NextRecord(walk, r), qf::WalkStep::End) << "a corrupted walk stops";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, MalformedArchive, testing::Values(
    Malformed{"type 0", Cat(Header(), {0, 5, 0, 'a', 0})},
    Malformed{"type 2", Cat(Header(), {2, 5, 0, 'a', 0})},
    Malformed{"file header cut", Cat(Header(), {1, 9, 0, 1, 0})},
    Malformed{"directory header cut", Cat(Header(), {3, 5})},
    Malformed{"file name runs off the end", Cat(Header(), {1, 9, 0, 0, 0, 0, 0, 'a'})},
    Malformed{"file data runs off the end", Cat(Header(), {1, 9, 0, 9, 0, 0, 0, 'a', 0, 'x'})},
    Malformed{"file data size huge", Cat(Header(), {1, 9, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0, 'x'})},
    Malformed{"file header length below n + 8", Cat(Header(), {1, 8, 0, 1, 0, 0, 0, 'a', 'b', 0, 'x'})},
    Malformed{"file header length 0", Cat(Header(), {1, 0, 0, 0, 0, 0, 0, 'a', 0})},
    Malformed{"directory length 0", Cat(Header(), {3, 0, 0, 'a', 0})},
    Malformed{"directory length below n + 4", Cat(Header(), {3, 5, 0, 'a', 'b', 0})},
    Malformed{"directory length past the end", Cat(Header(), {3, 9, 0, 'a', 0})},
    Malformed{"directory name runs off the end", Cat(Header(), {3, 6, 0, 'a', 'b'})},
    Malformed{"empty name", Cat(Header(), {1, 8, 0, 0, 0, 0, 0, 0})},
    Malformed{"dot-dot", Cat(Header(), {3, 6, 0, '.', '.', 0})},
    Malformed{"dot-dot inside", Cat(Header(), {1, 14, 0, 0, 0, 0, 0, 'a', '\\', '.', '.', '\\', 'b', 0})},
    Malformed{"absolute", Cat(Header(), {1, 10, 0, 0, 0, 0, 0, '\\', 'a', 0})},
    Malformed{"drive", Cat(Header(), {1, 11, 0, 0, 0, 0, 0, 'C', ':', 'a', 0})},
    Malformed{"empty component", Cat(Header(), {1, 12, 0, 0, 0, 0, 0, 'a', '\\', '\\', 'b', 0})},
    Malformed{"trailing separator", Cat(Header(), {3, 6, 0, 'a', '\\', 0})},
    Malformed{"slash dot-dot", Cat(Header(), {1, 12, 0, 0, 0, 0, 0, 'a', '/', '.', '.', 0})},
    Malformed{"dot-dot blank, which Windows trims to dot-dot", Cat(Header(), {3, 7, 0, '.', '.', ' ', 0})},
    Malformed{"the uninstaller at the top", Cat(Header(), {1, 19, 0, 0, 0, 0, 0,
                                                        'Q', 'F', 's', 'e', 't', 'u', 'p', '.', 'e', 'x', 'e', 0})}));
// clang-format on

TEST(Walk, ShortArchivesHaveNoRecords) {
    for (std::size_t n = 0; n <= 5; ++n) {
        const Walked w = Walk(Bytes(n, 1));
        EXPECT_FALSE(w.corrupted) << n;
        EXPECT_TRUE(w.records.empty()) << n;
    }
}

TEST(ArchiveName, SafeNames) {
    EXPECT_TRUE(qf::IsSafeArchiveName("docs\\guide\\index.html"));
    EXPECT_TRUE(qf::IsSafeArchiveName("..hidden"));
    EXPECT_TRUE(qf::IsSafeArchiveName("a..b\\c"));
    EXPECT_FALSE(qf::IsSafeArchiveName("a\\."));
    EXPECT_FALSE(qf::IsSafeArchiveName("a.\\b"));  // Windows drops the dot
    EXPECT_FALSE(qf::IsSafeArchiveName("a \\b"));
    EXPECT_FALSE(qf::IsSafeArchiveName("file:stream"));
}

// Windows opens a device for these names, in any folder and with any extension: a file's data
// would go to a port or vanish into NUL. At the top of the installation directory, the
// uninstaller's name and its temporary copy's would write over the registered uninstaller.
TEST(ArchiveName, DevicesAndTheUninstallerAreUnsafe) {
    for (const char* name :
         {"CON", "nul", "Aux", "PRN", "COM1", "com9", "LPT1", "lpt9", "CONIN$", "conout$", "nul.txt", "docs\\con.html",
          "docs\\com1.log", "aux.tar.gz", "NUL .txt", "COM\xB9", "lpt\xB2.x", "docs/nul/readme.txt"})
        EXPECT_FALSE(qf::IsSafeArchiveName(name)) << name;
    for (const char* name :
         {"qfsetup.exe", "QFSETUP.EXE", "QfSetup.Tmp", "qfsetup.tmp", "qfsetup.exe\\readme.txt", "QFSETUP.TMP/a"})
        EXPECT_FALSE(qf::IsSafeArchiveName(name)) << name;
    for (const char* name : {"CONSOLE", "nul_", "nullify.txt", "COM0", "COM10", "LPT", "COMA", "docs\\con-tents.html",
                             "xnul", "CONIN", "auxiliary\\a.txt", ".nul", "docs/qfsetup.exe", "docs\\QFSETUP.TMP",
                             "qfsetup.exe.bak", "qfsetup", "qfsetup.ex", "xqfsetup.exe", "qfsetup.tmp2"})
        EXPECT_TRUE(qf::IsSafeArchiveName(name)) << name;
}

// Windows drops a name's trailing dots and blanks, so these still land on the uninstaller.
TEST(ArchiveName, UninstallerNamesAsWindowsResolvesThem) {
    for (const char* name : {"qfsetup.exe", "QFSETUP.TMP", "qfsetup.exe.", "QfSetup.Exe . .", "qfsetup.tmp  "})
        EXPECT_TRUE(qf::IsUninstallerName(name)) << name;
    for (const char* name : {"", ".", "qfsetup", "qfsetup.exe.bak", " qfsetup.exe", "qfsetup.exe\\a", "qfsetup.\xE9xe"})
        EXPECT_FALSE(qf::IsUninstallerName(name)) << name;
}

}  // namespace
