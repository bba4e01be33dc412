// The step grid's cell checks: what each column accepts and the message it refuses with,
// under a decimal comma and a decimal point.
#include "core/definitions/step_cell_check.h"
#include "core/definitions/step_types.h"
#include "support/locale_scope.h"

#include <gtest/gtest.h>

using namespace kapsorel;

namespace {

constexpr auto kCharge = static_cast<std::uint8_t>(StepType::Charge);
constexpr auto kDischarge = static_cast<std::uint8_t>(StepType::Discharge);
constexpr auto kEndOfCharge = static_cast<std::uint8_t>(StepType::EndOfCharge);
constexpr auto kSignalling = static_cast<std::uint8_t>(StepType::Signalling);
constexpr auto kChoice = static_cast<std::uint8_t>(StepType::Choice);
constexpr auto kJump = static_cast<std::uint8_t>(StepType::Jump);
constexpr auto kVariable = static_cast<std::uint8_t>(StepType::Variable);
constexpr auto kVoltageCheck = static_cast<std::uint8_t>(StepType::VoltageCheck);

// "" = accepted.
std::string verdict(const Status& st)
{
    return st ? std::string() : st.error();
}

} // namespace

TEST(StepCellCheck, ValueCellsUnderADecimalComma)
{
    test::LocaleScope comma(test::commaFormats());
    struct Case {
        std::uint8_t type;
        int value;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {kCharge, 2, "", ""},
        {kCharge, 2, "22.4", ""},
        {kCharge, 2, "22,5", ""}, // rounds to 22 (halves to even)
        {kCharge, 2, "22.6", "Maximum je 22"},
        {kCharge, 1, "36,4", ""},
        {kCharge, 1, "36.6", "Maximum je 36"},
        {kCharge, 2, "-1", "Hodnota nesmí být záporná"},
        {kCharge, 2, "abc", "Chyba ,"},
        {kCharge, 2, ",", "Chyba ,"},
        {kCharge, 2, "1e39", "Chyba ,"},
        {kDischarge, 2, "60,4", ""},
        {kDischarge, 2, "61", "Maximum je 60"},
        {kDischarge, 1, "5", "Tuto hodnotu krok nepoužívá"},
        {kEndOfCharge, 1, "1000", ""}, // kind 3: no maximum
        {kEndOfCharge, 1, "-2", "Hodnota nesmí být záporná"},
        {kEndOfCharge, 2, "1", "Tuto hodnotu krok nepoužívá"},
        {kSignalling, 1, "255", ""},
        {kSignalling, 1, "255.5", "Maximum je 255,0"},
        {kSignalling, 2, "-3", "Hodnota nesmí být záporná"},
        {kChoice, 1, "-1", "Hodnota nesmí být záporná"},
        {kJump, 1, "-1", "Hodnota nesmí být záporná"},
        {kJump, 2, "-3", ""}, // a backward jump
        {kJump, 2, "-255", ""},
        {kJump, 2, "-256", "Minimum je -255,0"},
        {kVariable, 1, "9", ""},
        {kVariable, 1, "9.5", "Maximum je   9,0"},
        {kVariable, 2, "-1", "Hodnota nesmí být záporná"},
        {kVoltageCheck, 2, "10", "Maximum je   9,0"},
        {kVoltageCheck, 1, "2,35", ""},
        {kCharge, 1, "#U1", ""},
        {kCharge, 1, "#", "Odkaz na proměnnou je # a dva znaky"},
        {kCharge, 1, "#U", "Odkaz na proměnnou je # a dva znaky"},
        {kCharge, 1, "#U12", "Odkaz na proměnnou je # a dva znaky"},
        {kCharge, 1, "#Uč", ""},
        {kCharge, 1, "#U€", ""},
        {kCharge, 1, "#U✓", "Odkaz na proměnnou je # a dva znaky"}, // no Windows-1250 byte
        {kDischarge, 1, "#U1", "Tuto hodnotu krok nepoužívá"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(verdict(checkStepValueText(c.type, c.value, c.text)), c.message)
            << "type " << int(c.type) << " value " << c.value << " text " << c.text;
}

TEST(StepCellCheck, MessagesFollowTheDecimalPoint)
{
    test::LocaleScope point(test::pointFormats());
    EXPECT_EQ(verdict(checkStepValueText(kCharge, 2, "x")), "Chyba .");
    EXPECT_EQ(verdict(checkStepValueText(kVariable, 1, "10")), "Maximum je   9.0");
    EXPECT_EQ(verdict(checkStepValueText(kCharge, 2, "22,4")), ""); // a typed comma is read as a point
}

TEST(StepCellCheck, IntervalAndByteCells)
{
    struct Case {
        const char* text;
        bool service;
        long long value; // -1 = refused
        const char* message;
    };
    const Case intervals[] = {
        {"", false, 0, ""},
        {"0", false, 0, ""},
        {"5", true, 5, ""},
        {"5", false, -1, "Minimum je 10s"},
        {"9", false, -1, "Minimum je 10s"},
        {"10", false, 10, ""},
        {" 65535 ", true, 65535, ""},
        {"65536", true, -1, "Perioda musí být celé číslo 0 až 65535"},
        {"70000", true, -1, "Perioda musí být celé číslo 0 až 65535"},
        {"abc", true, -1, "Perioda musí být celé číslo 0 až 65535"},
        {"-5", true, -1, "Perioda musí být celé číslo 0 až 65535"},
        {"1.5", true, -1, "Perioda musí být celé číslo 0 až 65535"},
    };
    for (const auto& c : intervals) {
        const auto r = checkIntervalText(c.text, c.service);
        EXPECT_EQ(r ? static_cast<long long>(r.value()) : -1, c.value) << c.text;
        EXPECT_EQ(verdict(r.status()), c.message) << c.text;
    }
    const Case bytes[] = {
        {"", true, 0, ""},
        {"255", true, 255, ""},
        {"300", true, -1, "Hodnota musí být celé číslo 0 až 255"},
        {"x1", true, -1, "Hodnota musí být celé číslo 0 až 255"},
        {"-1", true, -1, "Hodnota musí být celé číslo 0 až 255"},
    };
    for (const auto& c : bytes) {
        const auto r = checkByteText(c.text);
        EXPECT_EQ(r ? static_cast<long long>(r.value()) : -1, c.value) << c.text;
        EXPECT_EQ(verdict(r.status()), c.message) << c.text;
    }
}

TEST(StepCellCheck, EditableColumnsAndTypeNames)
{
    EXPECT_TRUE(stepColumnEditable(kCharge, StepColumn::Interval));
    EXPECT_FALSE(stepColumnEditable(kSignalling, StepColumn::Interval));
    EXPECT_TRUE(stepColumnEditable(kSignalling, StepColumn::EndConditionOrText));
    EXPECT_FALSE(stepColumnEditable(kCharge, StepColumn::EndConditionOrText));
    EXPECT_FALSE(stepColumnEditable(kCharge, StepColumn::StartCondition));
    EXPECT_TRUE(stepColumnEditable(255, StepColumn::Action));
    EXPECT_FALSE(stepColumnEditable(255, StepColumn::Value1));
    for (std::size_t i = 0; i < kStepTypes.size(); ++i)
        EXPECT_EQ(stepTypeByName(kStepTypes[i].name), std::optional<std::uint8_t>(static_cast<std::uint8_t>(i)));
    EXPECT_EQ(stepTypeByName("Nabijeni"), std::nullopt);
}
