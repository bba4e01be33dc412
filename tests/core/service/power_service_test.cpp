// The power module's service requests byte by byte, the reading of their answers (values only
// where the payload holds them), the load elements' masks, the resistance measurement and the
// sections block taken from the grids.
#include "core/base/bytes.h"
#include "core/service/section_switches.h"
#include "core/service/settings_checks.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kapsorel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes singleBytes(float v)
{
    ByteWriter w;
    w.single(v);
    return w.take();
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct RequestCase {
    const char* name;
    ModuleCommand command;
    const char* letters;
    std::uint8_t param;
    Bytes payload;
    bool drives;
};

TEST(PowerServiceRequests, EveryButtonsRequestHasItsLettersParameterAndPayload)
{
    const RequestCase cases[] = {
        {"RO mask", switchMaskRequest(0x01000005u | 0xFF000000u), "RO", 0, {0x05, 0x00, 0x00, 0x00}, true},
        {"RO bank 8", switchMaskRequest(1u << 23), "RO", 0, {0x00, 0x00, 0x80, 0x00}, true},
        {"RR M.nap.", relayRequest(relay::kMeasure, true), "RR", 0, {5, 1}, true},
        {"RR Zdroj off", relayRequest(relay::kSource, false), "RR", 0, {0, 0}, true},
        {"ZX", sourceSetRequest(36.0f, 22.0f), "ZX", 0, concat({singleBytes(36.0f), singleBytes(22.0f)}), true},
        {"ZD", dacWriteRequest(0x1234), "ZD", 0, {0x34, 0x12}, true},
        {"Zd", dacReadRequest(), "Zd", 0, {}, false},
        {"Zr 112", sourceRegisterRequest(112), "Zr", 2, {112}, false},
        {"Zz on", sourceSwitchRequest(true), "Zz", 1, {}, true},
        {"Zz off", sourceSwitchRequest(false), "Zz", 0, {}, true},
        {"ZZ on", sourcePowerRequest(true), "ZZ", 1, {}, true},
        {"Zn", sourceVoltageRequest(), "Zn", 0, {}, false},
        {"Zi", sourceCurrentRequest(), "Zi", 0, {}, false},
        {"ZN", sourceVoltageSetRequest(13.5f), "ZN", 0, singleBytes(13.5f), true},
        {"ZI", sourceCurrentSetRequest(2.5f), "ZI", 0, singleBytes(2.5f), true},
        {"ZS", sourceByteRequest('S'), "ZS", 0, {}, false},
        {"Zt", sourceByteRequest('t'), "Zt", 0, {}, false},
        {"ZW 1B", sourceRegisterWriteRequest(124, {133}), "ZW", 1, {124, 133}, true},
        {"ZW 2B", sourceRegisterWriteRequest(124, {133, 7}), "ZW", 2, {124, 133, 7}, true},
        {"ZR", sourceRegisterReadRequest(124), "ZR", 0, {124}, false},
        {"ZF", reflexRequest(3, 1000, 0x0102), "ZF", 0, {3, 0xE8, 0x03, 0x02, 0x01}, true},
        {"FZ 3", fanSwitchRequest(3, true), "FZ", 3, {}, true},
        {"FV 1", fanSwitchRequest(1, false), "FV", 1, {}, true},
        {"FG", fanRegisterRequest(2, 5), "FG", 0, {2, 5}, false},
        {"Iw", i2cByteRequest(232, 4), "Iw", 0, {232, 4}, true},
        {"IW", i2cRegisterRequest(54, 6, 15), "IW", 0, {54, 6, 15}, true},
        {"MN 0", channelVoltageRequest(), "MN", 0, {0}, false},
        {"MC", channelCurrentRequest(), "MC", 0, {}, false},
        {"PQ 255", dacStepRequest(dac_step::kSet0, 1.0f, 13.5f), "PQ", 0,
         concat({{255}, singleBytes(1.0f), singleBytes(13.5f)}), true},
        {"PQ 254", dacStepRequest(dac_step::kSet1, 0.0f, 12.0f), "PQ", 0,
         concat({{254}, singleBytes(0.0f), singleBytes(12.0f)}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.command.group, c.letters[0]);
        EXPECT_EQ(c.command.command, c.letters[1]);
        EXPECT_EQ(c.command.param, c.param);
        EXPECT_EQ(c.command.payload, c.payload);
        EXPECT_EQ(drivesHardware(c.command), c.drives);
    }
}

TEST(PowerServiceAnswers, AValueIsTakenOnlyWhereThePayloadHoldsIt)
{
    ServiceAnswer a;
    a.answered = true;
    for (std::size_t length = 0; length <= 4; ++length) {
        SCOPED_TRACE(length);
        a.payload = Bytes(length, 0);
        if (length >= 1)
            a.payload[0] = 0xFE;
        if (length >= 2)
            a.payload[1] = 0xFF;
        EXPECT_EQ(a.byte().has_value(), length >= 1);
        EXPECT_EQ(a.u16().has_value(), length >= 2);
        EXPECT_EQ(a.i16().has_value(), length >= 2);
        EXPECT_EQ(a.single().has_value(), length >= 4);
    }
    a.payload = {0xFE, 0xFF};
    EXPECT_EQ(*a.u16(), 0xFFFE);
    EXPECT_EQ(*a.i16(), -2);
    a.status = 3;
    EXPECT_FALSE(a.good());
}

TEST(SectionSwitches, ClicksSendTheMasksOfOneOrSeveralElements)
{
    SectionSwitches s;
    // Without "Multi" every element goes off first, even when none was on.
    EXPECT_EQ(s.click(2, false, 4, 2), (std::vector<std::uint32_t>{0, 0b100}));
    // Without "Multi" the one on goes off first.
    EXPECT_EQ(s.click(5, false, 4, 2), (std::vector<std::uint32_t>{0, 0b100000}));
    EXPECT_EQ(s.lastSwitched(), (SectionRow{true, 2}));
    // With "Multi" one mask and both on.
    EXPECT_EQ(s.click(0, true, 4, 2), (std::vector<std::uint32_t>{0b100001}));
    EXPECT_TRUE(s.on(0) && s.on(5));
    // Off again: only that one.
    EXPECT_EQ(s.click(5, true, 4, 2), (std::vector<std::uint32_t>{0b1}));
    EXPECT_EQ(s.lastSwitched(), (SectionRow{false, 1}));
    EXPECT_TRUE(s.anyOn());
    EXPECT_EQ(s.allOff(), 0u);
    EXPECT_FALSE(s.anyOn());
    EXPECT_TRUE(s.click(kLoadElements, false, 10, 8).empty());
}

TEST(SectionSwitches, ElementsAndRowsMapBothWays)
{
    const struct {
        std::size_t element;
        std::size_t resistors;
        std::size_t banks;
        std::optional<SectionRow> row;
    } cases[] = {
        {0, 3, 2, SectionRow{false, 1}}, {2, 3, 2, SectionRow{false, 3}},  {3, 3, 2, SectionRow{true, 1}},
        {4, 3, 2, SectionRow{true, 2}},  {5, 3, 2, std::nullopt},          {0, 0, 1, SectionRow{true, 1}},
        {0, 0, 0, std::nullopt},         {17, 10, 8, SectionRow{true, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        EXPECT_EQ(SectionSwitches::rowOf(c.element, c.resistors, c.banks), c.row);
        if (c.row) {
            EXPECT_EQ(SectionSwitches::elementOf(*c.row, c.resistors, c.banks), c.element);
        }
    }
}

TEST(ResistanceMeasurement, FailedOrZeroReadingsShowErrAndKeepNoResistance)
{
    const struct {
        const char* name;
        std::optional<float> volts;
        std::optional<float> amperes;
        const char* text;
        float ohms;
    } cases[] = {
        {"both read", 12.0f, 2.0f, "  6.00Ohm", 6.0f},
        {"zero current", 12.0f, 0.0f, "ERR", 0.0f},
        {"voltage failed", std::nullopt, 2.0f, "ERR", 0.0f},
        {"current failed", 12.0f, std::nullopt, "ERR", 0.0f},
        {"both failed", std::nullopt, std::nullopt, "ERR", 0.0f},
        {"not a number", std::nanf(""), 2.0f, "ERR", 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = resistanceFrom(c.volts, c.amperes);
        EXPECT_EQ(r.resistanceText, c.text);
        EXPECT_EQ(r.ohms, c.ohms);
    }
    const auto shown = resistanceFrom(12.345f, 2.0f);
    EXPECT_EQ(shown.voltageText, " 12.35V");
    EXPECT_EQ(shown.currentText, "  2.00A");
    EXPECT_EQ(resistanceFrom(std::nullopt, 1.0f).voltageText, "ERR");
}

TEST(ResistanceMeasurement, UlozOnlyForASwitchedElementWhoseRowStillExists)
{
    EXPECT_FALSE(resistanceTarget(std::nullopt, 5, 5).ok());
    EXPECT_EQ(*resistanceTarget(SectionRow{false, 3}, 3, 0), (SectionRow{false, 3}));
    EXPECT_FALSE(resistanceTarget(SectionRow{false, 3}, 2, 5).ok());
    EXPECT_EQ(*resistanceTarget(SectionRow{true, 2}, 0, 2), (SectionRow{true, 2}));
    EXPECT_FALSE(resistanceTarget(SectionRow{true, 2}, 9, 1).ok());
}

TEST(SectionsBlockFromGrids, CountsFromTheRowsAndZeroResistanceStoresZero)
{
    SectionsBlock previous;
    previous.resistors.fill(0.5f);
    previous.banks.fill(0.25f);
    const auto b = sectionsFromGrids(previous, {2.0f, 0.0f, 4.0f}, {});
    EXPECT_EQ(b.resistorCount, 3);
    EXPECT_EQ(b.bankCount, 0);
    EXPECT_FLOAT_EQ(b.resistors[0], 0.5f);
    EXPECT_EQ(b.resistors[1], 0.0f);
    EXPECT_FLOAT_EQ(b.resistors[2], 0.25f);
    EXPECT_FLOAT_EQ(b.resistors[3], 0.5f); // beyond the count: as read
    EXPECT_FLOAT_EQ(b.banks[0], 0.25f);
}

TEST(SectionsBlockFromGrids, ARowStillShowingItsResistanceKeepsTheConductanceExactly)
{
    SectionsBlock previous;
    previous.resistors[0] = 0.0123f; // 1 / (1 / 0.0123f) is not 0.0123f in Singles
    previous.resistors[1] = 0.0123f;
    ASSERT_NE(conductanceFromResistance(resistanceFromConductance(0.0123f)), 0.0123f);
    const float shown = resistanceFromConductance(0.0123f);
    const auto b = sectionsFromGrids(previous, {shown, 50.0f}, {});
    EXPECT_EQ(b.resistors[0], 0.0123f) << "unchanged row: the bytes as read";
    EXPECT_FLOAT_EQ(b.resistors[1], 0.02f) << "changed row: 1 / the new resistance";
}

TEST(SectionsBlockChecks, CountsOutsideTheFieldsAndNonFiniteConductancesAreRefused)
{
    const float nan = std::nanf("");
    const float inf = INFINITY;
    const struct {
        std::uint8_t resistors;
        std::uint8_t banks;
        float resistor10;
        float bank8;
        const char* refusal; // a part of the message, nullptr when taken
    } cases[] = {{0, 0, 0.0f, 0.0f, nullptr},
                 {9, 7, 0.1f, 0.25f, nullptr},
                 {10, 0, 0.0f, 0.0f, "„Počet odporů“ = 10"},
                 {0, 8, 0.0f, 0.0f, "„Počet odporníků“ = 8"},
                 {200, 200, 0.0f, 0.0f, "„Počet odporů“ = 200"},
                 {9, 4, nan, 0.0f, "vodivost odporu 10"},
                 {9, 4, 0.0f, inf, "vodivost odporníku 8"}};
    for (const auto& c : cases) {
        SectionsBlock b;
        b.resistorCount = c.resistors;
        b.bankCount = c.banks;
        b.resistors[9] = c.resistor10;
        b.banks[7] = c.bank8;
        const Status s = checkSections(b);
        SCOPED_TRACE(std::to_string(c.resistors) + "/" + std::to_string(c.banks));
        EXPECT_EQ(s.ok(), c.refusal == nullptr) << s.error();
        if (c.refusal) {
            EXPECT_NE(s.error().find(c.refusal), std::string::npos) << s.error();
            EXPECT_EQ(s.error().rfind("sekce výkonového modulu: ", 0), 0u) << s.error();
        }
    }
}

TEST(FanStatusView, ShowsTheValuesCarriedAndAnErrorForEveryBadStatus)
{
    auto answer = [](std::uint8_t status, Bytes payload) {
        ServiceAnswer a;
        a.answered = true;
        a.status = status;
        a.payload = std::move(payload);
        return a;
    };
    ServiceAnswer lost;
    lost.failure = "FG: no answer";
    const struct {
        const char* name;
        std::vector<ServiceAnswer> answers;
        std::array<const char*, 6> values; // nullptr: nothing shown
        std::vector<std::string> errors;
    } cases[] = {
        {"all good",
         {answer(0, {1}), answer(0, {60}), answer(0, {0}), answer(0, {10}), answer(0, {10}), answer(0, {0x2A})},
         {"0x01", "3000", "0", "500", "500", "0x2A"},
         {}},
        {"bad status with a value",
         {answer(3, {1}), answer(0, {60}), answer(0, {60}), answer(0, {10}), answer(0, {10}), answer(0, {10})},
         {"0x01", "3000", "3000", "500", "500", "0x0A"},
         {"Error: 3"}},
        {"bad status without payload",
         {answer(7, {}), answer(0, {60}), answer(9, {}), answer(0, {10}), answer(0, {10}), answer(0, {10})},
         {nullptr, "3000", nullptr, "500", "500", "0x0A"},
         {"Error: 7", "Error: 9"}},
        {"the connection lost after two", {answer(0, {1}), answer(0, {60}), lost}, {"0x01", "3000"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FanStatusView view = fanStatusView(c.answers);
        for (std::size_t i = 0; i < 6; ++i) {
            if (c.values[i])
                EXPECT_EQ(view.values[i], std::optional<std::string>(c.values[i])) << i;
            else
                EXPECT_FALSE(view.values[i]) << i;
        }
        EXPECT_EQ(view.errors, c.errors);
    }
}

} // namespace
} // namespace kapsorel
