#include "core/base/bytes.h"
#include "core/base/cp1250.h"

#include <gtest/gtest.h>

using namespace kapsorel;

TEST(ByteReaderWriter, RoundTripsEveryFieldKindLittleEndian)
{
    ByteWriter w;
    w.u8(0xAB);
    w.u16(0x1234);
    w.i16(-2);
    w.u32(0xDEADBEEF);
    w.i32(-100000);
    w.single(28.8f);
    w.f64(46000.25);
    w.text("Nabíjení", 12);
    ASSERT_EQ(w.size(), 1u + 2 + 2 + 4 + 4 + 4 + 8 + 13);
    const auto& d = w.data();
    EXPECT_EQ(d[1], 0x34);
    EXPECT_EQ(d[2], 0x12);
    EXPECT_EQ(d[25], 8);    // length byte of the text
    EXPECT_EQ(d[29], 0xED); // 'í' in Windows-1250

    ByteReader r(d);
    EXPECT_EQ(r.u8(), 0xAB);
    EXPECT_EQ(r.u16(), 0x1234);
    EXPECT_EQ(r.i16(), -2);
    EXPECT_EQ(r.u32(), 0xDEADBEEFu);
    EXPECT_EQ(r.i32(), -100000);
    EXPECT_EQ(r.single(), 28.8f);
    EXPECT_EQ(r.f64(), 46000.25);
    EXPECT_EQ(r.text(12), "Nabíjení");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteReaderWriter, ReadPastTheEndFailsWithoutReadingOutside)
{
    const std::vector<std::uint8_t> d{1, 2, 3};
    ByteReader r(d);
    EXPECT_EQ(r.u16(), 0x0201);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.u8(), 0);
}

TEST(ByteReaderWriter, TextIsCutToCapacityBothWays)
{
    ByteWriter w;
    w.text("ABCDEFGH", 4);
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(w.data()[0], 4);

    // A stored length above the capacity reads only the capacity.
    const std::vector<std::uint8_t> d{200, 'a', 'b', 'c'};
    ByteReader r(d);
    EXPECT_EQ(r.text(3), "abc");
    EXPECT_TRUE(r.ok());
}

TEST(Cp1250, CzechTextRoundTripsAndUnknownBecomesQuestionMark)
{
    const std::string czech = "Přerušení procesu – Žluťoučký kůň";
    EXPECT_EQ(cp1250ToUtf8(utf8ToCp1250(czech)), czech);
    EXPECT_EQ(utf8ToCp1250("€"), "\x80");
    EXPECT_EQ(utf8ToCp1250("日本"), "??");
    // Undefined bytes survive a round trip.
    const std::string raw("\x81\x98", 2);
    EXPECT_EQ(utf8ToCp1250(cp1250ToUtf8(raw)), raw);
    EXPECT_TRUE(isValidUtf8(czech));
    EXPECT_FALSE(isValidUtf8(utf8ToCp1250(czech)));
}

TEST(Cp1250, EveryByteRoundTripsAndLatin1OutsideTheCodePageBecomesQuestionMark)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1250(cp1250ToUtf8(all)), all);
    EXPECT_EQ(utf8ToCp1250("ñÿ\u02D9\u2122"), "??\xFF\x99");
}
