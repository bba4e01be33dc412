#include "station_fixture.h"

#include "core/engine/operator_actions.h"
#include "demo_definitions.h"
#include "support/wait_until.h"

namespace kapsorel::test {

StationTest::StationTest()
{
    home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=" + sim.powerAddress() +
                                       "\nIP_adr_mer=" + sim.measureAddress() + "\nStanice=Zkušebna\nData_adr=" +
                                       (home / "Data").string() + "\nArch_adr=" + (home / "Archiv").string() + "\n");
    std::filesystem::create_directories(home / "Archiv");
    EXPECT_TRUE(demo::writeDemoDefinitions(home.path()).ok());
    EXPECT_TRUE(types.load(home.path()).ok());
    nicdIndex = types.findByName("20KSX25P");
    bootStation();
}

StationTest::~StationTest()
{
    shutDownStation();
}

void StationTest::bootStation()
{
    ui = std::make_unique<RecordingUi>();
    runtime = std::make_unique<StationRuntime>(home.path(), home / "Kapsorel.ini", *ui, clock);
    workflow = std::make_unique<StartWorkflow>(*runtime);
    runtime->startWorkers();
}

void StationTest::shutDownStation()
{
    if (runtime) {
        workflow.reset();
        runtime->shutdown({});
        runtime.reset();
    }
}

void StationTest::startDemoTest()
{
    ASSERT_GE(nicdIndex, 0);
    // Let both pollers see their modules first, as an operator would.
    ASSERT_TRUE(waitFor([&] { return runtime->station().live.commFault.load() == 0; }, std::chrono::seconds(10)));
    const StartOutcome out = workflow->startNow(demoPlan());
    ASSERT_TRUE(out.started) << (out.messages.empty() ? "" : out.messages.front());
}

StartPlan StationTest::demoPlan(const std::string& batteryNumber)
{
    StartPlan plan;
    plan.request.batteryIndex = nicdIndex;
    plan.request.procedureNumber = demo::kShortDemoNumber;
    plan.request.procedureName = "Ukázka (3 minuty)";
    plan.request.operatorName = "Novák";
    plan.request.batteryNumber = batteryNumber;
    plan.request.note = "e2e";
    plan.types = types.types();
    ProcedureIndex index(home.path());
    EXPECT_TRUE(index.load().ok());
    for (const auto& e : index.entries())
        plan.procedures.emplace_back(static_cast<std::int16_t>(e.number), e.name);
    return plan;
}

bool StationTest::waitFor(const std::function<bool()>& done, std::chrono::seconds limit)
{
    std::size_t answered = 0;
    return waitUntil(
        [&] {
            if (done())
                return true;
            std::size_t questions = 0;
            for (const auto& c : ui->calls())
                questions += c.rfind("question ", 0) == 0 ? 1 : 0;
            if (questions > answered) {
                answerQuestionEnd(runtime->station().run, runtime->procedure());
                answered = questions;
            }
            return false;
        },
        limit, std::chrono::milliseconds(20));
}

bool StationTest::waitForIdle(std::chrono::seconds limit)
{
    return waitFor([&] { return runtime->station().run.phase() == RunPhase::Idle; }, limit);
}

BatteryTestFileContents StationTest::readCurrentTestFile()
{
    const auto bytes = home.readBytes(std::filesystem::relative(runtime->testFile().currentPath(), home.path()));
    auto contents = readTestFile(bytes);
    EXPECT_TRUE(contents.ok()) << contents.error();
    return contents.ok() ? contents.value() : BatteryTestFileContents{};
}

std::vector<std::string> StationTest::powerCommands()
{
    std::vector<std::string> out;
    for (const auto& f : sim.frames("power")) {
        std::string name{static_cast<char>(f.at(1)), static_cast<char>(f.at(2))};
        if (name == "PL")
            name += std::to_string(f.at(3));
        out.push_back(name);
    }
    return out;
}

} // namespace kapsorel::test
