#include "core/base/bytes.h"
#include "core/reports/layout_file.h"

#include <functional>
#include <gtest/gtest.h>

namespace kapsorel {
namespace {

using namespace layout_format;

LayoutItem sampleItem(std::string text)
{
    LayoutItem item;
    item.text = std::move(text);
    item.x = 0x1234;
    item.y = 0x0102;
    item.width = 65535;
    item.height = 40;
    item.fontName = "Courier New";
    item.fontSize = -12;
    item.fontColour = 0x00112233;
    item.fontStyle = font_style::kBold | font_style::kStrikeOut;
    item.frame = 0x42;
    item.insetX = 3;
    item.insetY = 4;
    item.fillColour = 0x00AABBCC;
    item.frameColour = 0x00DDEEFF;
    return item;
}

TEST(LayoutFile, EmptyLayoutIsExactlyTheHeader)
{
    const auto bytes = encodeLayout({PageOrientation::Landscape, {}});
    ASSERT_EQ(bytes.size(), 259u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 1);
    EXPECT_EQ(bytes[257], 0);
    for (std::size_t i = 2; i < 259; ++i) {
        EXPECT_EQ(bytes[i], 0) << i;
    }
    const auto back = decodeLayout(bytes);
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_TRUE(back->items.empty());
    EXPECT_EQ(back->orientation, PageOrientation::Landscape);
}

TEST(LayoutFile, ItemFieldsLieAtTheirOffsets)
{
    const auto bytes = encodeLayout({PageOrientation::Portrait, {sampleItem("#K04 Ah")}});
    ASSERT_EQ(bytes.size(), 259u + 92u);
    const std::span<const std::uint8_t> item(bytes.data() + 259, 92);
    EXPECT_EQ(bytes[257], 1);
    EXPECT_EQ(item[0], 7);
    EXPECT_EQ(item[1], '#');
    EXPECT_EQ(le::getU16(item, 32), 0x1234);
    EXPECT_EQ(le::getU16(item, 34), 0x0102);
    EXPECT_EQ(le::getU16(item, 36), 65535);
    EXPECT_EQ(le::getU16(item, 38), 40);
    EXPECT_EQ(item[40], 11);
    EXPECT_EQ(item[41], 'C');
    EXPECT_EQ(static_cast<std::int32_t>(le::getU32(item, 64)), -12);
    EXPECT_EQ(le::getU32(item, 68), 0x00112233u);
    EXPECT_EQ(item[72], 9);
    EXPECT_EQ(item[76], 0x42);
    EXPECT_EQ(le::getU16(item, 78), 3);
    EXPECT_EQ(le::getU16(item, 80), 4);
    EXPECT_EQ(le::getU32(item, 84), 0x00AABBCCu);
    EXPECT_EQ(le::getU32(item, 88), 0x00DDEEFFu);
    for (std::size_t unused : {73u, 74u, 75u, 77u, 82u, 83u})
        EXPECT_EQ(item[unused], 0) << unused;
}

TEST(LayoutFile, RoundTripIsByteExact)
{
    ReportLayout layout{PageOrientation::Landscape,
                        {sampleItem("Zkušební protokol"), sampleItem(""), sampleItem("$B")}};
    layout.items[1].frame = 1;
    const auto bytes = encodeLayout(layout);
    const auto back = decodeLayout(bytes);
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(*back, layout);
    EXPECT_EQ(encodeLayout(*back), bytes);
}

TEST(LayoutFile, TrailingBytesAreIgnoredAndShortFilesRefused)
{
    auto bytes = encodeLayout({PageOrientation::Portrait, {sampleItem("A"), sampleItem("B")}});
    auto longer = bytes;
    longer.insert(longer.end(), {1, 2, 3});
    const auto withTail = decodeLayout(longer);
    ASSERT_TRUE(withTail.ok());
    EXPECT_EQ(withTail->items.size(), 2u);

    for (std::size_t size : {std::size_t{0}, std::size_t{258}, bytes.size() - 1, std::size_t{259 + 92}}) {
        const auto cut = decodeLayout(std::span<const std::uint8_t>(bytes.data(), size));
        ASSERT_FALSE(cut.ok()) << size;
        EXPECT_NE(cut.error().find("zkrácený"), std::string::npos) << cut.error();
    }
}

// Hostile files: each is refused with a message that says what is wrong.
TEST(LayoutFile, DamagedFilesAreRefusedNamingWhatIsWrong)
{
    const auto good = encodeLayout({PageOrientation::Portrait, {sampleItem("A"), sampleItem("B")}});
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {"empty", [](auto& b) { b.clear(); }, {"zkrácený", "hlavička", "0 z 259"}},
        {"header cut", [](auto& b) { b.resize(200); }, {"zkrácený", "200 z 259"}},
        {"more items counted than there are", [](auto& b) { b[kCountOffset] = 3; }, {"zkrácený", "2 z 3"}},
        {"255 items counted, none there",
         [](auto& b) { b.resize(kHeaderSize), b[kCountOffset] = 255; },
         {"zkrácený", "0 z 255"}},
        {"orientation 2", [](auto& b) { b[1] = 2; }, {"poškozený", "orientace", "2"}},
        {"orientation 255", [](auto& b) { b[1] = 255; }, {"poškozený", "orientace", "255"}},
        {"text longer than its field",
         [](auto& b) { b[kHeaderSize + kItemSize + kTextOffset] = 32; },
         {"poškozený", "položka 2", "text", "32", "31"}},
        {"text length 255", [](auto& b) { b[kHeaderSize + kTextOffset] = 255; }, {"položka 1", "text", "255"}},
        {"font name longer than its field",
         [](auto& b) { b[kHeaderSize + kFontOffset] = 24; },
         {"poškozený", "položka 1", "název písma", "24", "23"}},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        c.damage(bytes);
        const auto read = decodeLayout(bytes);
        ASSERT_FALSE(read.ok()) << c.name;
        for (const std::string& part : c.said)
            EXPECT_NE(read.error().find(part), std::string::npos) << c.name << ": " << read.error();
    }
    // Full fields are no damage.
    auto full = good;
    full[kHeaderSize + kTextOffset] = 31;
    full[kHeaderSize + kFontOffset] = 23;
    const auto read = decodeLayout(full);
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(read->items[0].text.size(), 31u);
}

TEST(LayoutFile, WritesAtMost255ItemsSoTheCountNeverWraps)
{
    ReportLayout layout;
    layout.items.assign(256, sampleItem("x"));
    const auto bytes = encodeLayout(layout);
    EXPECT_EQ(bytes[257], 255);
    EXPECT_EQ(bytes.size(), 259u + 255u * 92u);
    EXPECT_EQ(decodeLayout(bytes)->items.size(), 255u);
}

TEST(LayoutFile, AlignmentAndFrameFromRam)
{
    struct Case {
        std::uint8_t ram;
        TextAlignment alignment;
        int pen;
        bool box;
    };
    for (const Case& c : {Case{0x42, TextAlignment::Left, 1, true}, Case{0x00, TextAlignment::Centre, -1, false},
                          Case{0x23, TextAlignment::Right, 2, true}, Case{0x61, TextAlignment::Left, 0, true}}) {
        LayoutItem item;
        item.frame = c.ram;
        EXPECT_EQ(alignmentOf(c.ram), c.alignment) << int(c.ram);
        EXPECT_EQ(item.framePenWidth(), c.pen) << int(c.ram);
        EXPECT_EQ(item.hasBox(), c.box) << int(c.ram);
    }
}

TEST(LayoutFile, MillimetresToUnits)
{
    EXPECT_EQ(millimetresToUnits(10.0), 38);
    EXPECT_EQ(millimetresToUnits(0.0), 0);
    EXPECT_EQ(millimetresToUnits(190.0), 718);
    EXPECT_EQ(millimetresToUnits(2.5), 9);
}

} // namespace
} // namespace kapsorel
