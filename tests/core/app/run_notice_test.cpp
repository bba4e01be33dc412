#include "core/app/run_notice.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

TEST(RunNotice, SummaryBodyAndUrgencyForEachRunEvent)
{
    using E = RunNoticeEvent;
    using U = NoticeUrgency;
    struct Case {
        RunNoticeFacts facts;
        RunNotice notice;
    };
    const Case cases[] = {
        {{E::RunEnded, StopReason::None, "A123", "Zkušebna", 7, ""},
         {"Test skončil", "Test baterie doběhl do konce.\nBaterie A123, stanice Zkušebna, krok 7", U::Normal}},
        {{E::RunEnded, StopReason::OperatorStop, "A123", "Zkušebna", 1, ""},
         {"Test přerušen", "Test přerušila obsluha.\nBaterie A123, stanice Zkušebna, krok 1", U::Normal}},
        {{E::RunEnded, StopReason::PowerModuleLost, "77", "Hala 2", 3, ""},
         {"Test přerušen", "Výkonový modul neodpovídá.\nBaterie 77, stanice Hala 2, krok 3", U::Critical}},
        {{E::RunEnded, StopReason::PowerModuleError, "77", "Hala 2", 12, ""},
         {"Test přerušen", "Chyba výkonového modulu.\nBaterie 77, stanice Hala 2, krok 12", U::Critical}},
        // A reason byte from a newer station is still an interruption, and an urgent one.
        {{E::RunEnded, static_cast<StopReason>(9), "77", "Hala 2", 2, ""},
         {"Test přerušen", "Baterie 77, stanice Hala 2, krok 2", U::Critical}},
        {{E::Signalling, StopReason::None, "A123", "Zkušebna", 6, "Ukázka dokončena"},
         {"Stanice volá obsluhu", "Ukázka dokončena\nBaterie A123, stanice Zkušebna, krok 6", U::Critical}},
        {{E::Question, StopReason::None, "A123", "Zkušebna", 5, "Opakovat ukázku?"},
         {"Test čeká na odpověď", "Opakovat ukázku?\nBaterie A123, stanice Zkušebna, krok 5", U::Critical}},
        // What is not known is left out, and the line still starts with a capital.
        {{E::Question, StopReason::None, "", "Zkušebna", 5, "Opakovat?"},
         {"Test čeká na odpověď", "Opakovat?\nStanice Zkušebna, krok 5", U::Critical}},
        {{E::Signalling, StopReason::None, "", "", 2, ""}, {"Stanice volá obsluhu", "Krok 2", U::Critical}},
        {{E::Signalling, StopReason::None, "", "", 0, "Volá"}, {"Stanice volá obsluhu", "Volá", U::Critical}},
        {{E::RunEnded, StopReason::None, "5", "", 0, ""},
         {"Test skončil", "Test baterie doběhl do konce.\nBaterie 5", U::Normal}},
    };
    for (const auto& c : cases) {
        const RunNotice n = runNoticeFor(c.facts);
        EXPECT_EQ(n.summary, c.notice.summary) << c.notice.body;
        EXPECT_EQ(n.body, c.notice.body);
        EXPECT_EQ(n.urgency, c.notice.urgency) << c.notice.body;
    }
}

TEST(RunNotice, StepNumberIsTheOperatorsAndStaysWithinTheProcedure)
{
    struct Case {
        std::uint8_t current, count;
        unsigned shown;
    };
    // A completed run leaves the index one past the last step; no procedure, no step.
    const Case cases[] = {{0, 7, 1}, {4, 7, 5}, {6, 7, 7}, {7, 7, 7}, {200, 7, 7}, {0, 0, 0}, {3, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(noticeStepNumber(c.current, c.count), c.shown) << int(c.current) << "/" << int(c.count);
}

TEST(RunNotice, MarkupCharactersBecomeEntities)
{
    struct Case {
        const char* text;
        const char* escaped;
    };
    const Case cases[] = {
        {"Napětí < 1,0 V & proud > 5 A", "Napětí &lt; 1,0 V &amp; proud &gt; 5 A"},
        {"<b>Konec</b>", "&lt;b&gt;Konec&lt;/b&gt;"},
        {"&amp;", "&amp;amp;"},
        {"Ukázka dokončena", "Ukázka dokončena"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(escapeNoticeMarkup(c.text), c.escaped) << c.text;
}

} // namespace
} // namespace kapsorel
