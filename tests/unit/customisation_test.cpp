#include "settings/customisation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/pe_image_builder.h"
#include "settings/pe_image.h"

namespace {

using qf::CustomisationRefusal;
using Outcome = qf::CustomiseOutcome;

TEST(Customisation, ValidatesInTheFixedOrder) {
    const std::string s79(79, 's'), s80(80, 's');
    struct Case {
        qf::CustomisationChoice choice;
        CustomisationRefusal refusal;
    };
    const Case cases[] = {
        {{}, CustomisationRefusal::NothingChosen},
        {{true, "", 0, true, ""}, CustomisationRefusal::DocPathMissing},  // documentation path first
        {{true, "", 0, true, s80}, CustomisationRefusal::DocPathTooLong},
        {{true, "", 0, true, "C:\\docs"}, CustomisationRefusal::ServerMissing},
        {{true, s80, 0, false, ""}, CustomisationRefusal::ServerTooLong},
        {{true, s79, 2, false, ""}, CustomisationRefusal::None},
        {{false, "typed, then switched off", 1, true, s79}, CustomisationRefusal::None},
    };
    for (const Case& c : cases) EXPECT_EQ(qf::ValidateCustomisation(c.choice), c.refusal);
    EXPECT_EQ(qf::CustomisationMode({true, "srv", 2, false, ""}), 2);
    EXPECT_EQ(qf::CustomisationMode({false, "srv", 2, true, "d"}), 10);
}

TEST(Customisation, NamesTheCopyFromTheOwnPath) {
    struct Case {
        std::u16string commandLine, own, copy;
    };
    for (const Case& c :
         {Case{u"\"C:\\dist\\setup.exe\" /custom", u"C:\\dist\\setup.exe", u"C:\\dist\\setup-custom.exe"},
          Case{u"C:\\dist\\setup /custom", u"C:\\dist\\setup.exe", u"C:\\dist\\setup-custom.exe"},
          Case{u"SETUP.EXE /custom", u"SETUP.EXE", u"SETUP-custom.exe"},
          Case{u"C:\\my dist\\setup.exe /custom", u"C:\\my.exe", u"C:\\my-custom.exe"}}) {
        char16_t own[260], copy[260];
        ASSERT_TRUE(qf::CustomisationOwnPath(c.commandLine, own));
        EXPECT_EQ(std::u16string(own), c.own);
        ASSERT_TRUE(qf::CustomisedCopyPath(own, copy));
        EXPECT_EQ(std::u16string(copy), c.copy);
    }
    // Too long for 260 units: refused, and what fits is left for the message only.
    const std::u16string ownTooLong = std::u16string(256, u'p') + u".exe";
    const std::u16string copyTooLong = std::u16string(252, u'p') + u"-custom.exe";
    char16_t out[260];
    EXPECT_FALSE(qf::CustomisationOwnPath(u"\"" + ownTooLong.substr(0, 256) + u"\" /custom", out));
    EXPECT_EQ(std::u16string(out), ownTooLong.substr(0, 259));
    EXPECT_FALSE(qf::CustomisedCopyPath(std::u16string(252, u'p') + u".exe", out));
    EXPECT_EQ(std::u16string(out), copyTooLong.substr(0, 259));
}

TEST(Customisation, PatchesOnlyANeverCustomisedBlock) {
    std::vector<std::uint8_t> image(4000, 0x90);
    std::copy_n(qf::SettingsMarker, qf::SettingsMarkerSize, image.begin() + 1000);
    std::copy_n(qf::EmbeddedSettings, qf::SettingsBlockSize, image.begin() + 1016);
    const std::span<const std::uint8_t> key(qf::EmbeddedSettings, qf::SettingsKeySize);
    const qf::CustomiseResult made = qf::CustomiseImage(image, key, {true, "srv", 1, true, "D"});
    ASSERT_EQ(made.outcome, Outcome::Made);
    EXPECT_EQ(made.length, image.size());
    const std::vector<std::uint8_t> head(image.begin() + 1016, image.begin() + 1023);
    EXPECT_EQ(head, (std::vector<std::uint8_t>{1, 's', 'r', 'v', 0, 'D', 0}));
    EXPECT_EQ(qf::LocateSettingsBlock(image, qf::SettingsMarker), 1016u);
    const std::vector<std::uint8_t> customised = image;
    EXPECT_EQ(qf::CustomiseImage(image, key, {true, "srv", 1, false, ""}).outcome, Outcome::NoBlock);  // no second time
    EXPECT_EQ(image, customised);
}

// A signature over the installer would not match the copy's bytes: the copy goes without it.
TEST(Customisation, ACopyOfASignedImageCarriesNoSignature) {
    const std::span<const std::uint8_t> key(qf::EmbeddedSettings, qf::SettingsKeySize);
    const support::PeShape shape{false, 0x40, support::StaleChecksum, 0xB8};
    const qf::CustomisationChoice choice{true, "srv", 1, false, ""};
    auto withBlockAt = [&](std::size_t at) {
        std::vector<std::uint8_t> image = support::PeImage(shape);
        std::copy_n(qf::EmbeddedSettings, qf::SettingsBlockSize, image.begin() + static_cast<std::ptrdiff_t>(at));
        return image;
    };

    std::vector<std::uint8_t> image = withBlockAt(0x220);
    const qf::CustomiseResult made = qf::CustomiseImage(image, key, choice);
    ASSERT_EQ(made.outcome, Outcome::Made);
    ASSERT_EQ(made.length, support::TableAt);
    EXPECT_EQ(image[0x220], 1);
    EXPECT_EQ(support::Get32(image, shape.CertificateEntry()), 0u);
    EXPECT_EQ(support::Get32(image, shape.CertificateEntry() + 4), 0u);
    image.resize(support::TableAt);
    EXPECT_EQ(support::Get32(image, shape.Layout().ChecksumField()), qf::ComputePeChecksum(image));

    // The key is never looked for inside the signature.
    std::vector<std::uint8_t> keyInTable = withBlockAt(support::TableAt);
    EXPECT_EQ(qf::CustomiseImage(keyInTable, key, choice).outcome, Outcome::NoBlock);

    // A table that cannot be cut off cleanly refuses the copy, told apart from a missing block,
    // and nothing is changed: data after the table, or a block whose key lies in the DOS header,
    // so that a long server name written into it overwrites where the PE header is.
    std::vector<std::uint8_t> followed = withBlockAt(0x220);
    followed.push_back(0);
    std::vector<std::uint8_t> overHeaders = support::PeImage(shape);
    std::copy_n(qf::EmbeddedSettings, qf::SettingsKeySize, overHeaders.begin() + 2);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> image;
        qf::CustomisationChoice choice;
        qf::CertificateTableKind table;  // as the image came
    };
    const std::string s79(79, 's');
    const Case cases[] = {
        {"data after the table", followed, choice, qf::CertificateTableKind::Malformed},
        {"block over the headers", overHeaders, {true, s79, 1, false, ""}, qf::CertificateTableKind::AtEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(qf::FindCertificateTable(c.image).kind, c.table);
        std::vector<std::uint8_t> tried = c.image;
        EXPECT_EQ(qf::CustomiseImage(tried, key, c.choice).outcome, Outcome::SignatureNotDropped);
        EXPECT_EQ(tried, c.image);
    }
}

}  // namespace
