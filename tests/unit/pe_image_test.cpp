#include "settings/pe_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/pe_image_builder.h"

namespace {

using support::PeImage;
using support::PeShape;
using Bytes = std::vector<std::uint8_t>;
using Kind = qf::CertificateTableKind;
using support::StaleChecksum;

TEST(PeImage, FindsTheCertificateTableOnlyWhereItCanBeCutOff) {
    struct Case {
        const char* what;
        Bytes image;
        Kind kind;
    };
    const PeShape signed32{false, 0x40, StaleChecksum, 0x38}, signed64{true, 0x40, StaleChecksum, 0x38};
    auto changed = [](Bytes image, std::size_t at, std::uint32_t value) {
        support::Put32(image, at, value);
        return image;
    };
    const std::size_t entry = signed32.CertificateEntry();
    const std::size_t optional = signed32.Layout().OptionalHeader();
    Bytes followed = PeImage(signed32);
    followed.push_back(0);
    Bytes notMz = PeImage(signed32);
    notMz[0] = 'X';
    const Case cases[] = {
        {"PE32, unsigned", PeImage({false}), Kind::None},
        {"PE32+, unsigned", PeImage({true}), Kind::None},
        {"PE32, signed", PeImage(signed32), Kind::AtEnd},
        {"PE32+, signed", PeImage(signed64), Kind::AtEnd},
        {"not an image", Bytes(4000, 0x90), Kind::None},
        {"no MZ", notMz, Kind::None},
        {"PE header outside the file", changed(PeImage(signed32), 0x3C, 0xFFFFFFF0), Kind::None},
        {"unknown optional header", changed(PeImage(signed32), optional, 0x0107), Kind::None},
        {"optional header past the file", changed(PeImage(signed32), 0x40 + 20, 0xFFFF), Kind::None},
        {"section table past the file", changed(PeImage(signed32), 0x40 + 4, 0xFFFF0000), Kind::None},
        {"four data directories", changed(PeImage(signed32), optional + 92, 4), Kind::None},
        {"empty table", changed(PeImage(signed32), entry + 4, 0), Kind::None},
        {"table past the end", changed(PeImage(signed32), entry + 4, 0x39), Kind::Malformed},
        {"table followed by data", followed, Kind::Malformed},
        {"table over the section", changed(changed(PeImage(signed32), entry, 0x3F8), entry + 4, 0x40), Kind::Malformed},
        {"table over the headers", changed(changed(PeImage(signed32), entry, 0), entry + 4, 0x438), Kind::Malformed},
        {"offset and size wrap", changed(changed(PeImage(signed32), entry, 0xFFFFFFF8), entry + 4, 0x440),
         Kind::Malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const qf::CertificateTable table = qf::FindCertificateTable(c.image);
        EXPECT_EQ(table.kind, c.kind);
        if (c.kind == Kind::AtEnd) {
            EXPECT_EQ(table.offset, support::TableAt);
            EXPECT_EQ(table.size, 0x38u);
        }
    }
    // Cut anywhere, a signed image never shows a table that could be cut off, nor is read past.
    const Bytes whole = PeImage(signed64);
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_NE(qf::FindCertificateTable({whole.data(), n}).kind, Kind::AtEnd) << n;
}

// The checksums are those that tools/align_resources.py computes for the same bytes.
TEST(PeImage, StrippingGivesTheUnsignedImageWithItsChecksumComputedAgain) {
    struct Case {
        PeShape shape;
        std::uint32_t checksum;  // of the image without its table
    };
    const Case cases[] = {
        {{false, 0x40, StaleChecksum, 0x38}, 0xa3d3},
        {{true, 0x40, StaleChecksum, 0x38}, 0x29fc},
        {{false, 0x41, StaleChecksum, 0x38}, 0xa5d2},  // the field at an odd offset
        {{true, 0x41, StaleChecksum, 0x38}, 0xce58},
        {{false, 0x40, 0, 0x38}, 0},  // a checksum that was not set stays so
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.shape.plus ? "PE32+" : "PE32") << " at " << c.shape.headerAt);
        Bytes image = PeImage(c.shape);
        const qf::CertificateTable table = qf::FindCertificateTable(image);
        ASSERT_EQ(table.kind, Kind::AtEnd);
        ASSERT_EQ(qf::StripCertificateTable(image, table), support::TableAt);
        image.resize(support::TableAt);
        PeShape unsigned_ = c.shape;
        unsigned_.tableSize = 0;
        unsigned_.checksum = c.checksum;
        EXPECT_EQ(image, PeImage(unsigned_));
        EXPECT_EQ(qf::FindCertificateTable(image).kind, Kind::None);
    }
    // An odd length counts its last byte as a word's low half.
    Bytes odd = PeImage({});
    odd.push_back(0x5A);
    EXPECT_EQ(qf::ComputePeChecksum(odd), 0xa42eu);
    EXPECT_EQ(qf::ComputePeChecksum(Bytes(4000, 0x90)), std::nullopt);
}

TEST(PeImage, StripLeavesAnImageWithoutATableAlone) {
    const Bytes original = PeImage({false, 0x40, StaleChecksum, 0x38});
    for (const Kind kind : {Kind::None, Kind::Malformed}) {
        Bytes image = original;
        EXPECT_EQ(qf::StripCertificateTable(image, {kind, support::TableAt, 0x38}), image.size());
        EXPECT_EQ(image, original);
    }
}

}  // namespace
