#include "demo_definitions.h"

#include "core/app/config_path.h"
#include "core/app/user_list.h"
#include "core/base/files.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/condition_text.h"
#include "core/definitions/condition_variables.h"
#include "core/definitions/definition_paths.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/step_types.h"
#include "core/definitions/value_text.h"
#include "core/reports/layout_file.h"

#include <string>

namespace kapsorel::demo {

namespace {

// Values are given as the editor's cells take them (a number with a point, read under
// every locale, or "#" + ID),
// so they get the format codes the editor would give them.
StepValue stepValue(StepType type, int which, const char* text)
{
    const StepTypeRow& t = kStepTypes[static_cast<std::size_t>(type)];
    return parseValueText(which == 1 ? t.kind1 : t.kind2, text).value;
}

ConditionTerm term(std::uint8_t variable, std::uint8_t relation, const char* text, std::uint8_t joiner)
{
    ConditionTerm c;
    c.variable = variable;
    c.relation = relation;
    c.value = parseValueText(kConditionVariables[variable].defaultFormat, text).value;
    c.joiner = joiner;
    return c;
}

// One step as it is typed into the procedure editor's cells: values as text, conditions
// as terms.
struct EnteredStep {
    StepType type;
    std::uint16_t interval = 0;
    const char* value1 = "";
    const char* value2 = "";
    std::uint8_t print = 0;
    std::uint8_t report = 0;
    const char* description = "";
    const char* text = "";
    std::vector<ConditionTerm> start = {};
    std::vector<ConditionTerm> end = {};
};

ProcedureStep makeStep(const EnteredStep& s)
{
    ProcedureStep step;
    step.type = static_cast<std::uint8_t>(s.type);
    step.recordInterval = s.interval;
    step.value1 = stepValue(s.type, 1, s.value1);
    step.value2 = stepValue(s.type, 2, s.value2);
    step.printNumber = s.print;
    step.reportNumber = s.report;
    step.description = s.description;
    step.text = s.text;
    for (std::size_t i = 0; i < s.start.size() && i < step.startCondition.size(); ++i)
        step.startCondition[i] = s.start[i];
    for (std::size_t i = 0; i < s.end.size() && i < step.endCondition.size(); ++i)
        step.endCondition[i] = s.end[i];
    normaliseStepForSave(step);
    return step;
}

Procedure makeProcedure(const char* note, const std::vector<EnteredStep>& enteredSteps)
{
    Procedure p;
    p.note = note;
    for (const auto& s : enteredSteps)
        p.steps.push_back(makeStep(s));
    return p;
}

constexpr auto OR = kJoinOr;

// A capacity test after the aircraft battery manuals: a full charge at 0.1 C, a rest,
// a cell check, a discharge at the battery's test current down to the end cell voltage,
// the verdict against the pass limit "CR", and a recharge for service.
Procedure capacityTest()
{
    return makeProcedure(
        "Kapacitní zkouška: nabití, odpočinek, kontrola článků, vybití do konečného napětí článku.",
        {
            {StepType::Charge,
             60,
             "#U1",
             "#I1",
             1,
             1,
             "Nabíjení 0,1 C",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "#TN", OR), term(kVarCurrent, kRelLess, "#IK", OR)}},
            {StepType::EndOfCharge, 0, "#U1", "", 0, 0, "Konec nabíjení"},
            {StepType::Pause,
             60,
             "",
             "",
             2,
             2,
             "Odpočinek po nabití",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "3600", OR)}},
            {StepType::VoltageCheck, 0, "#UK", "1", 0, 0, "Kontrola článků"},
            {StepType::Variable, 0, "0", "0", 0, 0, "Nulování výsledku"},
            {StepType::Discharge,
             30,
             "",
             "#I2",
             3,
             3,
             "Vybíjení zkušebním proudem",
             "",
             {},
             {term(kVarCellVoltage, kRelLess, "#U2", OR), term(kVarTime, kRelGreaterEqual, "18000", OR)}},
            {StepType::Variable,
             0,
             "0",
             "1",
             0,
             0,
             "Kapacita vyhověla",
             "",
             {term(kVarCapacity, kRelGreaterEqual, "#CR", OR)}},
            {StepType::EndOfDischarge, 0, "", "", 4, 4, "Konec vybíjení"},
            {StepType::Jump, 0, "12", "0", 0, 0, "Vyhověla: na dobití", "", {term(kVarAux0, kRelEqual, "1", OR)}},
            {StepType::Signalling, 0, "10", "5", 0, 0, "Nevyhověla", "Kapacita baterie nevyhověla"},
            {StepType::Choice, 0, "1", "13", 0, 0, "Opakování cyklu", "Opakovat cyklus nabití a vybití?"},
            {StepType::Signalling, 0, "5", "1", 0, 0, "Vyhověla", "Kapacita baterie vyhověla"},
            {StepType::Charge,
             60,
             "#U1",
             "#I1",
             5,
             5,
             "Dobití pro provoz",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "#TN", OR), term(kVarDeltaCurrent, kRelLess, "0.05", OR)}},
            {StepType::EndOfCharge, 0, "#U1", "", 0, 0, "Konec nabíjení"},
            {StepType::End, 0, "", "", 0, 0, "Konec"},
        });
}

// A run of about three minutes against the simulator: charge 60 s (after the settling
// time), pause 10 s, discharge 60 s, a question, signalling, end.
Procedure shortDemo()
{
    return makeProcedure(
        "Krátká ukázka: nabíjení 60 s, pauza 10 s, vybíjení 60 s.",
        {
            {StepType::Charge,
             5,
             "#U1",
             "#I1",
             1,
             1,
             "Nabíjení (ukázka)",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "60", OR)}},
            {StepType::Pause, 5, "", "", 0, 0, "Pauza", "", {}, {term(kVarTime, kRelGreaterEqual, "10", OR)}},
            {StepType::Discharge,
             5,
             "",
             "#I2",
             2,
             2,
             "Vybíjení (ukázka)",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "60", OR), term(kVarCellVoltage, kRelLess, "#U2", OR)}},
            {StepType::EndOfDischarge, 0, "", "", 3, 3, "Konec vybíjení"},
            {StepType::Choice, 0, "1", "0", 0, 0, "Dotaz", "Opakovat ukázku?"},
            {StepType::Signalling, 0, "5", "2", 0, 0, "Hotovo", "Ukázka dokončena"},
            {StepType::End, 0, "", "", 0, 0, "Konec"},
        });
}

// The lead battery's capacity test: the same course as the NiCd one, but every step
// ends on time, battery voltage or current, as a lead station measures no cells. The
// discharge ends at the battery's end voltage "UE"; a failed test is only signalled.
Procedure leadCapacityTest()
{
    return makeProcedure(
        "Kapacitní zkouška olověné baterie: nabití, odpočinek, vybití do konečného napětí baterie.",
        {
            {StepType::Charge,
             60,
             "#U1",
             "#I1",
             1,
             1,
             "Nabíjení 0,1 C",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "#TN", OR), term(kVarCurrent, kRelLess, "#IK", OR)}},
            {StepType::EndOfCharge, 0, "#U1", "", 0, 0, "Konec nabíjení"},
            {StepType::Pause,
             60,
             "",
             "",
             2,
             2,
             "Odpočinek po nabití",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "3600", OR)}},
            {StepType::Variable, 0, "0", "0", 0, 0, "Nulování výsledku"},
            {StepType::Discharge,
             30,
             "",
             "#I2",
             3,
             3,
             "Vybíjení zkušebním proudem",
             "",
             {},
             {term(kVarVoltage, kRelLess, "#UE", OR), term(kVarTime, kRelGreaterEqual, "18000", OR)}},
            {StepType::Variable,
             0,
             "0",
             "1",
             0,
             0,
             "Kapacita vyhověla",
             "",
             {term(kVarCapacity, kRelGreaterEqual, "#CR", OR)}},
            {StepType::EndOfDischarge, 0, "", "", 4, 4, "Konec vybíjení"},
            {StepType::Jump, 0, "11", "0", 0, 0, "Vyhověla: na dobití", "", {term(kVarAux0, kRelEqual, "1", OR)}},
            {StepType::Signalling, 0, "10", "5", 0, 0, "Nevyhověla", "Kapacita baterie nevyhověla"},
            {StepType::Jump, 0, "14", "0", 0, 0, "Na konec"},
            {StepType::Signalling, 0, "5", "1", 0, 0, "Vyhověla", "Kapacita baterie vyhověla"},
            {StepType::Charge,
             60,
             "#U1",
             "#I1",
             5,
             5,
             "Dobití pro provoz",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "#TN", OR), term(kVarDeltaCurrent, kRelLess, "0.05", OR)}},
            {StepType::EndOfCharge, 0, "#U1", "", 0, 0, "Konec nabíjení"},
            {StepType::End, 0, "", "", 0, 0, "Konec"},
        });
}

// The lead battery's run of about two and a half minutes: charge 60 s (after the
// settling time), pause 10 s, discharge 60 s or down to the end voltage, signalling,
// end. It asks nothing, so it runs to its end on its own.
Procedure leadShortDemo()
{
    return makeProcedure(
        "Krátká ukázka olověné baterie: nabíjení 60 s, pauza 10 s, vybíjení 60 s.",
        {
            {StepType::Charge,
             5,
             "#U1",
             "#I1",
             1,
             1,
             "Nabíjení (ukázka)",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "60", OR)}},
            {StepType::Pause, 5, "", "", 0, 0, "Pauza", "", {}, {term(kVarTime, kRelGreaterEqual, "10", OR)}},
            {StepType::Discharge,
             5,
             "",
             "#I2",
             2,
             2,
             "Vybíjení (ukázka)",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "60", OR), term(kVarVoltage, kRelLess, "#UE", OR)}},
            {StepType::EndOfDischarge, 0, "", "", 3, 3, "Konec vybíjení"},
            {StepType::Signalling, 0, "5", "2", 0, 0, "Hotovo", "Ukázka dokončena"},
            {StepType::End, 0, "", "", 0, 0, "Konec"},
        });
}

// A run that never ends on its own, for long runs of the station: charge 30 s, pause 5 s,
// discharge 30 s with the charging current, and back to the charge. It samples every
// second and asks nothing; "Stop" ends it. The loop starts at step 2, because a step
// reached by a jump back to step 1 counts its time from the test's start.
Procedure cyclingLoop()
{
    return makeProcedure(
        "Cyklování bez konce: nabíjení 30 s, pauza 5 s, vybíjení 30 s, znovu od nabíjení.",
        {
            {StepType::Pause, 1, "", "", 0, 0, "Začátek", "", {}, {term(kVarTime, kRelGreaterEqual, "1", OR)}},
            {StepType::Charge,
             1,
             "#U1",
             "#I1",
             0,
             0,
             "Nabíjení (cyklus)",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "30", OR)}},
            {StepType::Pause, 1, "", "", 0, 0, "Pauza", "", {}, {term(kVarTime, kRelGreaterEqual, "5", OR)}},
            {StepType::Discharge,
             1,
             "",
             "#I1",
             0,
             0,
             "Vybíjení (cyklus)",
             "",
             {},
             {term(kVarTime, kRelGreaterEqual, "30", OR), term(kVarCellVoltage, kRelLess, "#U2", OR)}},
            {StepType::Jump, 0, "2", "0", 0, 0, "Znovu na nabíjení"},
            {StepType::End, 0, "", "", 0, 0, "Konec"},
        });
}

} // namespace

std::vector<BatteryType> demoBatteryTypes()
{
    BatteryType nicd;
    nicd.head = 1;
    nicd.name = "20KSX25P";
    nicd.chemistry = kChemistryNiCd;
    nicd.allowedProcedures = {kCapacityTestNumber, kShortDemoNumber, kCyclingLoopNumber};
    nicd.currentChangeInterval = 300;
    nicd.variables = {
        {"Nabíjecí napětí", "U1", 31.0f},      {"Nabíjecí proud", "I1", 2.5f},      {"Vybíjecí proud", "I2", 25.0f},
        {"Konečné nap. článku", "U2", 1.0f},   {"Kontrolní nap. čl.", "UK", 1.25f}, {"Koncový proud nab.", "IK", 0.5f},
        {"Doba nabíjení [s]", "TN", 50400.0f}, {"Jmenovitá kapacita", "C1", 25.0f}, {"Mez kapacity", "CR", 21.25f},
        {"Další test [dny]", "T1", 180.0f},
    };

    BatteryType pb;
    pb.head = 2;
    pb.name = "Pb 12V 45Ah";
    pb.chemistry = kChemistryPb;
    // No cell voltages on a lead station: only procedures that end without them.
    pb.allowedProcedures = {kLeadCapacityTestNumber, kLeadShortDemoNumber};
    pb.currentChangeInterval = 600;
    pb.variables = {
        {"Nabíjecí napětí", "U1", 14.4f},    {"Nabíjecí proud", "I1", 4.5f},      {"Vybíjecí proud", "I2", 9.0f},
        {"Konečné napětí", "UE", 10.5f},     {"Koncový proud nab.", "IK", 0.45f}, {"Doba nabíjení [s]", "TN", 57600.0f},
        {"Jmenovitá kapacita", "C1", 45.0f}, {"Mez kapacity", "CR", 36.0f},       {"Další test [dny]", "T1", 365.0f},
    };
    return {nicd, pb};
}

std::vector<DemoProcedure> demoProcedures()
{
    return {
        {{kCapacityTestNumber, "Kapacitní test"}, capacityTest()},
        {{kShortDemoNumber, "Ukázka (3 minuty)"}, shortDemo()},
        {{kLeadCapacityTestNumber, "Kapacitní test Pb"}, leadCapacityTest()},
        {{kLeadShortDemoNumber, "Ukázka Pb (3 minuty)"}, leadShortDemo()},
        {{kCyclingLoopNumber, "Cyklování (smyčka)"}, cyclingLoop()},
    };
}

ReportLayout demoLayout()
{
    constexpr std::uint32_t kWhite = 0xFFFFFF;
    constexpr std::uint8_t kThinBox = 2;          // a frame of pen width 1, text centred
    constexpr std::uint8_t kLeftText = 0x40;      // no frame, text on the left
    constexpr std::uint8_t kLeftTextInBox = 0x42; // a frame of pen width 1, text on the left
    const auto item = [](const char* text, int x, int y, int width, int height, std::uint8_t frame, int fontSize,
                         std::uint8_t style = 0) {
        LayoutItem i;
        i.text = text;
        i.x = static_cast<std::uint16_t>(x);
        i.y = static_cast<std::uint16_t>(y);
        i.width = static_cast<std::uint16_t>(width);
        i.height = static_cast<std::uint16_t>(height);
        i.frame = frame;
        i.fontSize = fontSize;
        i.fontStyle = style;
        i.insetX = 4;
        i.insetY = 2;
        i.fillColour = kWhite;
        return i;
    };
    ReportLayout layout;
    layout.items = {
        item("Zkušební protokol", 0, 0, 718, 44, kThinBox, 16, font_style::kBold),
        item("Číslo baterie:", 0, 70, 160, 26, kLeftText, 10),
        item("$B", 160, 70, 200, 26, kLeftTextInBox, 10, font_style::kBold),
        item("Začátek testu:", 380, 70, 140, 26, kLeftText, 10),
        item("$D", 520, 70, 198, 26, kLeftTextInBox, 10),
        item("Měřil:", 0, 106, 160, 26, kLeftText, 10),
        item("$M", 160, 106, 200, 26, kLeftTextInBox, 10),
        item("Další test:", 380, 106, 140, 26, kLeftText, 10),
        item("$N", 520, 106, 198, 26, kLeftTextInBox, 10),
        item("Poznámka:", 0, 142, 160, 26, kLeftText, 10),
        item("$P", 160, 142, 558, 26, kLeftTextInBox, 10),
        item("Konec vybíjení", 0, 200, 718, 28, kLeftText, 12, font_style::kBold),
        item("Napětí:", 0, 236, 160, 26, kLeftText, 10),
        item("#N03 V", 160, 236, 120, 26, kThinBox, 10),
        item("Kapacita:", 300, 236, 100, 26, kLeftText, 10),
        item("#K03 Ah", 400, 236, 120, 26, kThinBox, 10),
        item("#C03 %", 530, 236, 90, 26, kThinBox, 10),
        item("#R03", 628, 236, 90, 26, kThinBox, 10, font_style::kBold),
        item("Napětí článků [V]:", 0, 276, 300, 26, kLeftText, 10),
        item("#B03", 0, 304, 36, 24, kThinBox, 7),
    };
    return layout;
}

bool hasDefinitions(const std::filesystem::path& home)
{
    std::error_code ec;
    if (std::filesystem::exists(procedureIndexPath(home), ec) || std::filesystem::exists(batteryFilePath(home), ec))
        return true;
    for (const auto& p : demoProcedures())
        if (std::filesystem::exists(procedureFilePath(home, p.entry.number), ec))
            return true;
    return false;
}

Status writeDemoDefinitions(const std::filesystem::path& home)
{
    if (auto st = ensureFolder(procedureFolder(home)); !st)
        return st;
    std::vector<ProcedureIndexEntry> entries;
    for (const auto& p : demoProcedures()) {
        if (auto st = saveProcedureFile(procedureFilePath(home, p.entry.number), p.procedure); !st)
            return st;
        entries.push_back(p.entry);
    }
    if (auto st = writeFileRetrying(procedureIndexPath(home), serializeProcedureIndex(entries)); !st)
        return st;
    BatteryTable table;
    if (auto st = table.assign(demoBatteryTypes()); !st)
        return st;
    const FileReport report = table.save(home);
    if (!report.ok())
        return report.status;
    if (!report.warnings.empty())
        return Error{report.warnings.front()};
    // Operators for "Měřil", so the demo's tests and reports name who measured; a station's
    // own list stays.
    std::error_code usersEc;
    if (!std::filesystem::exists(home / kUserListFileName, usersEc))
        if (auto st = writeUserList(home / kUserListFileName, {"Novák", "Svobodová"}); !st)
            return st;
    // A report layout for the "Tisk" menu, kept when the station already has one of that name.
    const auto layouts = home / kLayoutFolderName;
    if (auto st = ensureFolder(layouts); !st)
        return st;
    std::error_code ec;
    if (!std::filesystem::exists(layouts / kDemoLayoutFileName, ec))
        return saveLayoutFile((layouts / kDemoLayoutFileName).string(), demoLayout());
    return {};
}

} // namespace kapsorel::demo
