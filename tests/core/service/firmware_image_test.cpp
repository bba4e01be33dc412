// The firmware files' images: ".BIN" descrambling with its header and key bytes, ".HEX" taken
// as it is, the file type by its extension, and the refusals of images that cannot be sent.
#include "core/service/firmware_image.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kapsorel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A ".BIN" file: header length, header, key, then `scrambled`.
Bytes binFile(const Bytes& header, const std::array<std::uint8_t, 8>& key, const Bytes& scrambled)
{
    Bytes file{static_cast<std::uint8_t>(header.size())};
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), key.begin(), key.end());
    file.insert(file.end(), scrambled.begin(), scrambled.end());
    return file;
}

struct DescrambleCase {
    const char* name;
    Bytes header;
    std::array<std::uint8_t, 8> key;
    Bytes scrambled;
    Bytes image; // worked out by hand: scrambled[i] ^ ((i mod 256) | K[i mod 8])
};

class Descramble : public testing::TestWithParam<DescrambleCase> {};

TEST_P(Descramble, GivesTheImage)
{
    const auto& c = GetParam();
    const auto image = descrambleBin(binFile(c.header, c.key, c.scrambled));
    ASSERT_TRUE(image) << image.error();
    EXPECT_EQ(*image, c.image);
}

INSTANTIATE_TEST_SUITE_P(
    FirmwareImage, Descramble,
    testing::Values(
        // Zero key: only the position mixes in. 0x00 ^ 0 = 0, 0x00 ^ 1 = 1, 0xFF ^ 2 = 0xFD.
        DescrambleCase{"ZeroKeyNoHeader", {}, {0, 0, 0, 0, 0, 0, 0, 0}, {0x00, 0x00, 0xFF}, {0x00, 0x01, 0xFD}},
        // Key bytes OR the position: i=0: 0x10|0=0x10, i=1: 0x20|1=0x21, i=2: 0x01|2=0x03.
        DescrambleCase{"KeyOrPosition", {}, {0x10, 0x20, 0x01, 0, 0, 0, 0, 0}, {0xAA, 0xAA, 0xAA}, {0xBA, 0x8B, 0xA9}},
        // The header of n bytes is skipped whatever it holds, up to n = 255.
        DescrambleCase{"HeaderSkipped", {0x55, 0x66, 0x77}, {0xFF, 0, 0, 0, 0, 0, 0, 0}, {0x12}, {0xED}},
        DescrambleCase{"LongestHeader",
                       Bytes(255, 0xEE),
                       {0, 0, 0, 0, 0, 0, 0, 0x80},
                       {1, 2, 3, 4, 5, 6, 7, 8},
                       {1, 3, 1, 7, 1, 3, 1, 0x8F}},
        // The key repeats every 8 bytes: i=8 uses K[0] again, 8|0x40 = 0x48.
        DescrambleCase{
            "KeyRepeats", {}, {0x40, 0, 0, 0, 0, 0, 0, 0}, Bytes(9, 0x00), {0x40, 1, 2, 3, 4, 5, 6, 7, 0x48}},
        // One byte of image.
        DescrambleCase{"SingleByte", {9}, {1, 2, 3, 4, 5, 6, 7, 8}, {0x01}, {0x00}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(FirmwareImage, PositionWrapsAt256)
{
    // Scrambled bytes are all 0 and the key is 0, so the image is i mod 256.
    const auto image = descrambleBin(binFile({}, {}, Bytes(600, 0)));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size(), 600u);
    for (std::size_t i = 0; i < image->size(); ++i)
        ASSERT_EQ((*image)[i], i % 256) << "at " << i;
}

TEST(FirmwareImage, DescramblingUndoesScrambling)
{
    const std::array<std::uint8_t, 8> key{0x9C, 0x03, 0xF0, 0x11, 0x00, 0x7E, 0x80, 0x2A};
    Bytes original(1500);
    for (std::size_t i = 0; i < original.size(); ++i)
        original[i] = static_cast<std::uint8_t>(i * 37 + 11);
    Bytes scrambled = original;
    for (std::size_t i = 0; i < scrambled.size(); ++i)
        scrambled[i] = static_cast<std::uint8_t>(scrambled[i] ^ ((i % 256) | key[i % 8]));
    const auto image = descrambleBin(binFile({1, 2}, key, scrambled));
    ASSERT_TRUE(image);
    EXPECT_EQ(*image, original);
}

struct RefusedCase {
    const char* name;
    FirmwareKind kind;
    Bytes file;
};

class Refused : public testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, SaysWhyAndGivesNoImage)
{
    const auto image = firmwareImage(GetParam().kind, GetParam().file);
    ASSERT_FALSE(image);
    EXPECT_FALSE(image.error().empty());
}

INSTANTIATE_TEST_SUITE_P(FirmwareImage, Refused,
                         testing::Values(RefusedCase{"EmptyBin", FirmwareKind::Bin, {}},
                                         // A header longer than the file.
                                         RefusedCase{"HeaderCut", FirmwareKind::Bin, {5, 1, 2}},
                                         // The key cut short.
                                         RefusedCase{"KeyCut", FirmwareKind::Bin, {0, 1, 2, 3, 4, 5, 6, 7}},
                                         // Header and key but nothing after them: an empty image.
                                         RefusedCase{
                                             "NothingAfterKey", FirmwareKind::Bin, {1, 0xAB, 1, 2, 3, 4, 5, 6, 7, 8}},
                                         RefusedCase{"EmptyHex", FirmwareKind::Hex, {}},
                                         RefusedCase{"Unsupported", FirmwareKind::Unsupported, {1, 2, 3}}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(FirmwareImage, HexIsSentAsItIs)
{
    const Bytes file{':', '1', '0', 0x00, 0xFF, '\r', '\n'};
    const auto image = firmwareImage(FirmwareKind::Hex, file);
    ASSERT_TRUE(image);
    EXPECT_EQ(*image, file);
}

TEST(FirmwareImage, ImagesWhoseBlockNumbersWouldWrapAreRefused)
{
    // 65535 x 512 bytes would end with block 65536; one byte less still fits.
    EXPECT_FALSE(firmwareImage(FirmwareKind::Hex, Bytes(kFirmwareImageLimit, 1)));
    EXPECT_TRUE(firmwareImage(FirmwareKind::Hex, Bytes(kFirmwareImageLimit - 1, 1)));
    EXPECT_FALSE(firmwareImage(FirmwareKind::Bin, binFile({}, {}, Bytes(kFirmwareImageLimit, 1))));
    EXPECT_TRUE(firmwareImage(FirmwareKind::Bin, binFile({}, {}, Bytes(kFirmwareImageLimit - 1, 1))));
    const auto refused = firmwareImage(FirmwareKind::Hex, Bytes(kFirmwareImageLimit, 1));
    EXPECT_NE(refused.error().find("příliš velký"), std::string::npos) << refused.error();
}

TEST(FirmwareImage, KindByExtensionInAnyCase)
{
    EXPECT_EQ(firmwareKindOf("/a/b/fw.BIN"), FirmwareKind::Bin);
    EXPECT_EQ(firmwareKindOf("fw.bin"), FirmwareKind::Bin);
    EXPECT_EQ(firmwareKindOf("fw.Bin"), FirmwareKind::Bin);
    EXPECT_EQ(firmwareKindOf("fw.hex"), FirmwareKind::Hex);
    EXPECT_EQ(firmwareKindOf("fw.HEX"), FirmwareKind::Hex);
    EXPECT_EQ(firmwareKindOf("fw.txt"), FirmwareKind::Unsupported);
    EXPECT_EQ(firmwareKindOf("bin"), FirmwareKind::Unsupported);
    EXPECT_EQ(firmwareKindOf("fw.bin.old"), FirmwareKind::Unsupported);
    EXPECT_EQ(firmwareKindOf("fw"), FirmwareKind::Unsupported);
}

} // namespace
} // namespace kapsorel
