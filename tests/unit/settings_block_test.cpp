#include "settings/settings_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::span<const std::uint8_t> OwnKey() { return {qf::EmbeddedSettings, qf::SettingsKeySize}; }

// An image with the never-customised block at offset; filler elsewhere.
Bytes ImageWithBlock(std::size_t size, std::size_t offset) {
    Bytes image(size, 0xCC);
    std::copy_n(qf::EmbeddedSettings, std::min(qf::SettingsBlockSize, size - offset),
                image.begin() + static_cast<std::ptrdiff_t>(offset));
    return image;
}

TEST(SettingsBlock, OwnBlockIsNeverCustomised) {
    EXPECT_FALSE(qf::IsCustomised(qf::EmbeddedSettings));
    EXPECT_EQ(qf::EmbeddedSettings[0], '0');
    EXPECT_EQ(qf::EmbeddedSettings[160], 0);
    EXPECT_EQ(std::count(qf::EmbeddedSettings, qf::EmbeddedSettings + 30, 0), 0);
}

TEST(SettingsBlock, FindTriesEveryPositionBelowSizeMinus161) {
    // The block at p is found only while p < size - 161, even where the whole key still fits.
    for (std::size_t size : {162u, 163u, 400u}) {
        const std::size_t last = size - 162;
        EXPECT_EQ(qf::FindEmbeddedSettings(ImageWithBlock(size, last), OwnKey()), last) << size;
        for (std::size_t p = size - 161; p <= size - qf::SettingsKeySize; ++p) {
            EXPECT_EQ(qf::FindEmbeddedSettings(ImageWithBlock(size, p), OwnKey()), std::nullopt) << size << " " << p;
        }
    }
    EXPECT_EQ(qf::FindEmbeddedSettings(ImageWithBlock(161, 0), OwnKey()), std::nullopt);
    EXPECT_EQ(qf::FindEmbeddedSettings(Bytes(5000, '0'), OwnKey()), std::nullopt);
    // A nearly matching key (last byte differs) is no match; the first full match wins.
    Bytes image = ImageWithBlock(1000, 500);
    std::copy_n(qf::EmbeddedSettings, 29, image.begin() + 10);
    EXPECT_EQ(qf::FindEmbeddedSettings(image, OwnKey()), 500u);
    std::copy_n(qf::EmbeddedSettings, 30, image.begin() + 100);
    EXPECT_EQ(qf::FindEmbeddedSettings(image, OwnKey()), 100u);
}

TEST(SettingsBlock, PatchWritesOnlyModeTextsAndTheirNuls) {
    Bytes image = ImageWithBlock(600, 200);
    const Bytes before = image;
    ASSERT_EQ(qf::PatchEmbeddedSettings(image, 200, 1, "srv1", ""), qf::PatchResult::Patched);
    const Bytes expected{0x01, 's', 'r', 'v', '1', 0, 0};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.begin() + 200));
    EXPECT_TRUE(std::equal(image.begin() + 207, image.end(), before.begin() + 207));
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 200, before.begin()));

    ASSERT_EQ(qf::PatchEmbeddedSettings(image, 200, 10, "", "\\\\docs\\orin"), qf::PatchResult::Patched);
    EXPECT_EQ(image[200], 10);
    EXPECT_EQ(image[201], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[202])), "\\\\docs\\orin");
}

TEST(SettingsBlock, TwoLongestTextsFillTheBlockExactly) {
    Bytes image = ImageWithBlock(400, 100);
    const std::string server(79, 's'), docs(79, 'd');
    ASSERT_EQ(qf::PatchEmbeddedSettings(image, 100, 2, server, docs), qf::PatchResult::Patched);
    EXPECT_EQ(image[100 + 160], 0);
    EXPECT_EQ(image[100 + 161], 0xCC);
    const Bytes untouched = image;
    EXPECT_EQ(qf::PatchEmbeddedSettings(image, 100, 2, server + "s", ""), qf::PatchResult::ServerTooLong);
    EXPECT_EQ(qf::PatchEmbeddedSettings(image, 100, 2, "", docs + "d"), qf::PatchResult::DocPathTooLong);
    EXPECT_EQ(qf::PatchEmbeddedSettings(image, 300, 2, "a", "b"), qf::PatchResult::NoRoom);
    EXPECT_EQ(image, untouched);
}

TEST(SettingsBlock, DecodeReadsBackWhatPatchWrote) {
    struct Case {
        std::uint8_t mode;
        std::string server, docs;
    };
    for (const Case& c : {Case{1, "srv1", ""}, Case{10, "", "C:\\Docs"},
                          Case{0, std::string(79, 'x'), std::string(79, 'y')}, Case{0xE9, "caf\xE9", "\x80"}}) {
        Bytes block(qf::EmbeddedSettings, qf::EmbeddedSettings + qf::SettingsBlockSize);
        ASSERT_EQ(qf::PatchEmbeddedSettings(block, 0, c.mode, c.server, c.docs), qf::PatchResult::Patched);
        const qf::DecodedSettings decoded =
            qf::DecodeEmbeddedSettings(std::span<const std::uint8_t, 161>(block.data(), 161));
        EXPECT_TRUE(qf::IsCustomised(std::span<const std::uint8_t, 161>(block.data(), 161)));
        EXPECT_EQ(decoded.mode, c.mode);
        ASSERT_EQ(std::u16string(decoded.server).size(), c.server.size());
        for (std::size_t i = 0; i < c.server.size(); ++i)
            EXPECT_EQ(decoded.server[i], static_cast<unsigned char>(c.server[i]));  // widened, no code page
        ASSERT_EQ(std::u16string(decoded.docPath).size(), c.docs.size());
        for (std::size_t i = 0; i < c.docs.size(); ++i)
            EXPECT_EQ(decoded.docPath[i], static_cast<unsigned char>(c.docs[i]));
    }
}

TEST(SettingsBlock, DecodeNeverReadsPastTheBlock) {
    Bytes block(161, 'z');  // a hand-edited block without any NUL
    block[0] = 7;
    const qf::DecodedSettings decoded =
        qf::DecodeEmbeddedSettings(std::span<const std::uint8_t, 161>(block.data(), 161));
    EXPECT_EQ(decoded.mode, 7u);
    EXPECT_EQ(std::u16string(decoded.server).size(), 160u);
    EXPECT_EQ(decoded.docPath[0], u'\0');
}

}  // namespace
