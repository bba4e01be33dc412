// The two-point calibration, the raw reading texts and the constant fields, as tables of cases.
#include "core/service/calibration.h"
#include "support/locale_scope.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace kapsorel {
namespace {

struct GoodCase {
    const char* name;
    std::int16_t rawMin;
    std::int16_t rawMax;
    double vMin;
    double vMax;
};

TEST(TwoPointCalibration, ReproducesBothReferencesThroughTheRecordFormula)
{
    const GoodCase cases[] = {
        {"cell 1.0 V / 1.5 V", 16000, 24000, 1.0, 1.5},       {"battery 0 V / 36 V", 12, 28812, 0.0, 36.0},
        {"negative readings", -20000, -4000, -1.0, 1.0},      {"falling slope", 20000, 5000, 0.5, 2.0},
        {"current -10 A / 10 A", -16000, 16000, -10.0, 10.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = twoPointCalibration(c.rawMin, c.rawMax, c.vMin, c.vMax);
        ASSERT_TRUE(result.ok()) << result.error();
        const double constant = result->constant;
        const double expectedConstant = static_cast<float>(c.vMax - c.vMin) / static_cast<float>(c.rawMax - c.rawMin);
        EXPECT_FLOAT_EQ(result->constant, static_cast<float>(expectedConstant));
        // The offset is rounded to an integer: each reference is met within half a raw step.
        const double halfStep = std::abs(constant) * 0.5 + 1e-6;
        EXPECT_NEAR((c.rawMin + result->offset) * constant, c.vMin, halfStep);
        EXPECT_NEAR((c.rawMax + result->offset) * constant, c.vMax, halfStep);
    }
}

TEST(TwoPointCalibration, OffsetIsRoundedHalfToEven)
{
    // constant 1/8, vMin / constant - rawMin = 2.5 -> 2, 3.5 -> 4.
    EXPECT_EQ(twoPointCalibration(0, 8, 0.3125, 1.3125)->offset, 2);
    EXPECT_EQ(twoPointCalibration(0, 8, 0.4375, 1.4375)->offset, 4);
    EXPECT_EQ(twoPointCalibration(0, 8, -0.3125, 0.6875)->offset, -2);
}

struct ErrorCase {
    const char* name;
    std::int16_t rawMin;
    std::int16_t rawMax;
    double vMin;
    double vMax;
};

TEST(TwoPointCalibration, RefusesWhatHasNoCalibrationWithError)
{
    const double inf = std::numeric_limits<double>::infinity();
    const ErrorCase cases[] = {
        {"equal readings (both labels still 0)", 0, 0, 0.0, 36.0},
        {"equal readings elsewhere", 1234, 1234, 1.0, 1.5},
        {"zero span", 100, 200, 1.5, 1.5},
        {"constant underflows to zero", -32768, 32767, 0.0, 1e-45},
        {"offset above 16 bits", 0, 1, 40000.0, 40001.0},
        {"offset below 16 bits", 0, 1, -40000.0, -39999.0},
        {"non-finite reference", 0, 100, 0.0, inf},
        {"span beyond a Single", 0, 100, -3e38, 3e38},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = twoPointCalibration(c.rawMin, c.rawMax, c.vMin, c.vMax);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error(), "Error");
    }
}

TEST(RawReadingText, MzIsShownUnsignedAndTakenBackAsTheSignedReading)
{
    const struct {
        std::int16_t raw;
        const char* unsignedText;
        const char* signedText;
    } cases[] = {{-1, "65535", "-1"}, {0, "0", "0"}, {32767, "32767", "32767"}, {-32768, "32768", "-32768"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signedText);
        EXPECT_EQ(unsignedRawText(c.raw), c.unsignedText);
        EXPECT_EQ(signedRawText(c.raw), c.signedText);
        EXPECT_EQ(rawFromShown(std::stoll(c.unsignedText)), c.raw);
        EXPECT_EQ(rawFromShown(std::stoll(c.signedText)), c.raw);
    }
    // Only the low 16 bits count.
    EXPECT_EQ(rawFromShown(65536 + 5), 5);
}

TEST(ConstantField, AnUnchangedFieldKeepsTheReadConstantWithAllItsDigits)
{
    test::LocaleScope point(test::pointFormats());
    const float read = 6.2512345e-5f;
    const std::string shown = constantText(read, 7);
    EXPECT_EQ(shown, "0.0000625");
    const auto kept = constantFromField(shown, read, 7);
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(*kept, read) << "the shorter text must not replace the constant";
    const auto typed = constantFromField("0.5", read, 7);
    ASSERT_TRUE(typed.ok());
    EXPECT_EQ(*typed, 0.5f);
    EXPECT_FALSE(constantFromField("abc", read, 7).ok());
}

} // namespace
} // namespace kapsorel
