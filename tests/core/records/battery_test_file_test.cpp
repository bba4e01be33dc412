#include "core/records/battery_test_file.h"
#include "core/records/battery_test_reader.h"
#include "support/battery_test_fixtures.h"
#include "support/fake_clock.h"
#include "support/holding_file_store.h"
#include "support/locale_scope.h"
#include "support/memory_run_marker.h"
#include "support/temp_home.h"
#include "support/wait_until.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <thread>

using namespace kapsorel;
using namespace kapsorel::test;

namespace {

const double kStart = dayTimeOf(2024, 3, 5, 7, 9, 41);

BatteryTestHeader headerOf(std::uint8_t steps)
{
    BatteryTestHeader h;
    h.stepCount = steps;
    h.start = kStart;
    h.operatorName = "Novák";
    h.stationName = "Stanice 1";
    h.batteryNumber = "A12";
    h.batteryType = "NiCd 20";
    h.procedureName = "Kapacitní zkouška";
    h.note = "první";
    return h;
}

RunStep runStep(std::uint8_t type, float value1, std::uint8_t print, std::uint8_t rep, const std::string& description)
{
    RunStep s;
    s.type = type;
    s.value1 = value1;
    s.printNumber = print;
    s.reportNumber = rep;
    s.description = description;
    return s;
}

class Recorder : public ::testing::Test {
  protected:
    Recorder() : clock(kStart), recorder(run, live, marker, clock, files) {}

    std::filesystem::path dataFolder() const { return home / "Data"; }

    void create(std::uint8_t stepCount) { ASSERT_TRUE(recorder.createTestFile(headerOf(stepCount), 0, dataFolder())); }

    std::vector<std::uint8_t> fileBytes() const
    {
        return home.readBytes(recorder.currentPath().lexically_relative(home.path()).string());
    }

    void setLive(float voltage, float current, float capacity, float temperature)
    {
        live.batteryVoltage = voltage;
        live.current = current;
        live.capacity = capacity;
        live.batteryTemperature = temperature;
        for (std::size_t i = 0; i < live.cellVoltage.size(); ++i)
            live.cellVoltage[i] = 1.0f + 0.01f * static_cast<float>(i);
    }

    // The engine starting step `s` at `secondsIntoTest`.
    Status startStep(std::uint8_t s, double secondsIntoTest, bool performed = true)
    {
        run.currentStep = s;
        run.stepStartTime = plusSeconds(kStart, secondsIntoTest);
        run.stepMark = kNoStepMark;
        return recorder.recordStepStart(
            performed, runStep(0, 28.8f, s, static_cast<std::uint8_t>(s + 10), "Krok " + std::to_string(s)));
    }

    Status sampleAt(double secondsIntoTest)
    {
        run.conditionTime = plusSeconds(kStart, secondsIntoTest);
        return recorder.appendSample();
    }

    std::filesystem::path writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        home.writeBytes(name, bytes);
        return home / name;
    }

    TempHome home;
    SharedRunState run;
    LiveValues live;
    MemoryRunMarker marker;
    FakeClock clock;
    HoldingFileStore files;
    BatteryTestFile recorder;
    SampleTable samples;
    StepTable steps;
};

// --- create ------------------------------------------------------------------------

TEST_F(Recorder, CreatedFileIs222Plus145PerStepWithTemplatesAndVariables)
{
    for (std::uint8_t n : {0, 1, 5, 200}) {
        ASSERT_TRUE(recorder.createTestFile(headerOf(n), 2, dataFolder()));
        const auto b = fileBytes();
        ASSERT_EQ(b.size(), 222u + 145u * n) << int(n);
        EXPECT_EQ(b[0], 4);
        EXPECT_EQ(b[1], 2);
        EXPECT_EQ(b[2], n);
        EXPECT_EQ(getF64(b, 2 + 3), kStart);
        EXPECT_EQ(getText(b, 2 + 63), "A12");
        std::vector<std::uint8_t> blank(145, 0);
        putText(blank, 104, "Neproveden");
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_TRUE(std::equal(blank.begin(), blank.end(), b.begin() + static_cast<std::ptrdiff_t>(199 + 145 * i)))
                << i;
        const std::size_t reserved = 199 + 145u * n;
        for (std::size_t i = 0; i < 12; ++i)
            EXPECT_EQ(b[reserved + i], 0);
        EXPECT_EQ(b[reserved + 12], 10);
        for (std::size_t i = 0; i < 10; ++i)
            EXPECT_EQ(b[reserved + 13 + i], 0);
    }
}

TEST_F(Recorder, CreateNamesTheFileAndMarksTheRunSection)
{
    create(3);
    const auto expected = dataFolder() / "T_A12_202403050709.tst";
    EXPECT_EQ(recorder.currentPath(), expected);
    EXPECT_TRUE(std::filesystem::exists(expected));
    EXPECT_EQ(marker.last.path, expected.string());
    EXPECT_EQ(marker.last.completed, 0);
    EXPECT_EQ(recorder.header(), headerOf(3));
    ASSERT_EQ(recorder.stepResults().size(), 3u);
    EXPECT_EQ(recorder.stepResults()[1], StepResult::notStarted());
}

TEST_F(Recorder, KeptRecordsMatchWhatTheFileHolds)
{
    BatteryTestHeader h = headerOf(1);
    h.note = std::string(70, 'n');
    ASSERT_TRUE(recorder.createTestFile(h, 0, dataFolder()));
    EXPECT_EQ(recorder.header().note, std::string(50, 'n'));
    run.currentStep = 0;
    ASSERT_TRUE(recorder.recordStepStart(true, runStep(0, 1.0f, 0, 0, std::string(40, 'd'))));
    EXPECT_EQ(recorder.stepResult(0)->description, std::string(30, 'd'));
}

TEST_F(Recorder, CreateReplacesAFileOfTheSameName)
{
    create(3);
    ASSERT_TRUE(sampleAt(5));
    create(3);
    EXPECT_EQ(fileBytes().size(), 222u + 145 * 3);
}

TEST_F(Recorder, CreateReportsAFolderThatCannotBeMade)
{
    home.writeText("blocker", "not a folder");
    const auto folder = home / "blocker" / "Data";
    const Status st = recorder.createTestFile(headerOf(2), 0, folder);
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error(), "Nelze vytvořit : " + folder.string());
    EXPECT_EQ(marker.writes, 0);
    EXPECT_FALSE(recorder.hasTestFile());
}

TEST_F(Recorder, CreateFailsWhenTheRunSectionCannotBeStored)
{
    marker.fail = true;
    EXPECT_FALSE(recorder.createTestFile(headerOf(2), 0, dataFolder()));
    EXPECT_FALSE(recorder.hasTestFile());
}

// --- engine records ------------------------------------------------------------------

TEST_F(Recorder, StepStartWritesTheStepResultFromLiveValuesAndTheStep)
{
    create(3);
    setLive(24.5f, 10.25f, 1.5f, 20.0f);
    ASSERT_TRUE(startStep(1, 60, false));
    const auto b = fileBytes();
    const std::size_t o = 199 + 145;
    EXPECT_EQ(getF64(b, o), plusSeconds(kStart, 60));
    EXPECT_EQ(b[o + 8], 0);
    EXPECT_EQ(b[o + 9], 1);
    EXPECT_EQ(getF32(b, o + 10), 24.5f);
    EXPECT_EQ(getF32(b, o + 14), 10.25f);
    EXPECT_EQ(getF32(b, o + 18), 1.5f);
    EXPECT_EQ(getF32(b, o + 22 + 4 * 19), 1.19f);
    EXPECT_EQ(b[o + 102], 1);
    EXPECT_EQ(b[o + 103], 11);
    EXPECT_EQ(getText(b, o + 104), "Krok 1");
    EXPECT_EQ(getF32(b, o + 135), 28.8f);
    EXPECT_EQ(run.stepMark.load(), 1);
    // Step 0 and 2 untouched.
    EXPECT_EQ(getText(b, 199 + 104), "Neproveden");
    EXPECT_EQ(getText(b, 199 + 290 + 104), "Neproveden");
    EXPECT_EQ(b.size(), 222u + 145 * 3);
}

TEST_F(Recorder, StepStartWritesTheVariablesOnlyWhenMarkedChanged)
{
    create(2);
    const std::size_t varsAt = 212 + 145 * 2;
    run.variables[3] = 7;
    ASSERT_TRUE(startStep(0, 0));
    EXPECT_EQ(fileBytes()[varsAt + 3], 0);

    run.variablesChanged = 1;
    ASSERT_TRUE(startStep(1, 10));
    EXPECT_EQ(fileBytes()[varsAt + 3], 7);
    EXPECT_EQ(run.variablesChanged.load(), 0);
    EXPECT_EQ(recorder.variables()[3], 7);
}

TEST_F(Recorder, StepEndWritesOnlyTheStatusByteAndClearsTheHandshake)
{
    create(2);
    ASSERT_TRUE(startStep(0, 0));
    auto before = fileBytes();
    run.stepEndHandshake = 1;
    ASSERT_TRUE(recorder.recordStepEnd(0, true));
    EXPECT_EQ(run.stepEndHandshake.load(), 0);
    auto after = fileBytes();
    EXPECT_EQ(after[199 + 9], 12);
    after[199 + 9] = before[199 + 9];
    EXPECT_EQ(after, before);

    ASSERT_TRUE(recorder.recordStepEnd(1, false));
    EXPECT_EQ(fileBytes()[199 + 145 + 9], 11);
    EXPECT_EQ(recorder.stepResult(1)->status, 11);
}

TEST_F(Recorder, StepEndClearsTheHandshakeEvenWhenItCannotWrite)
{
    run.stepEndHandshake = 1;
    EXPECT_FALSE(recorder.recordStepEnd(0, true));
    EXPECT_EQ(run.stepEndHandshake.load(), 0);

    create(1);
    run.stepEndHandshake = 1;
    std::filesystem::remove(recorder.currentPath());
    EXPECT_FALSE(recorder.recordStepEnd(0, true));
    EXPECT_EQ(run.stepEndHandshake.load(), 0);
}

TEST_F(Recorder, SamplesAreAppendedAsCompleteRecordsAndFlagged)
{
    create(2);
    run.currentStep = 1;
    setLive(25.0f, 5.5f, 0.25f, 22.5f);
    ASSERT_TRUE(sampleAt(10));
    EXPECT_EQ(run.newSample.load(), 1);
    setLive(25.5f, 5.0f, 0.5f, 23.0f);
    ASSERT_TRUE(sampleAt(20));
    const auto b = fileBytes();
    ASSERT_EQ(b.size(), 222u + 145 * 2 + 2 * 105);
    const std::size_t second = 222 + 145 * 2 + 105;
    EXPECT_EQ(getF64(b, second), plusSeconds(kStart, 20));
    EXPECT_EQ(b[second + 8], 1);
    EXPECT_EQ(getF32(b, second + 9), 25.5f);
    EXPECT_EQ(getF32(b, second + 13), 5.0f);
    EXPECT_EQ(getF32(b, second + 17), 0.5f);
    EXPECT_EQ(getF32(b, second + 21), 23.0f);
    EXPECT_EQ(getF32(b, second + 25), 1.0f);
    EXPECT_EQ(recorder.currentSample().voltage, 25.5f);
}

TEST_F(Recorder, EverySampleAppendedBetweenTwoTakesIsHandedOutOnceInOrder)
{
    create(2);
    run.currentStep = 0;
    setLive(24.0f, 1.0f, 0.1f, 20.0f);
    ASSERT_TRUE(sampleAt(1));
    ASSERT_EQ(recorder.takeNewSamples().size(), 1u);
    // A resumed step catching up its sample grid appends several before the screen looks.
    for (int k = 2; k <= 5; ++k) {
        setLive(24.0f + static_cast<float>(k), 1.0f, 0.1f, 20.0f);
        ASSERT_TRUE(sampleAt(k));
    }
    run.setStopReason(StopReason::OperatorStop);
    run.conditionTime = plusSeconds(kStart, 6);
    setLive(30.0f, 0.0f, 0.1f, 20.0f);
    ASSERT_TRUE(recorder.recordInterruption());
    const std::vector<SampleRecord> taken = recorder.takeNewSamples();
    ASSERT_EQ(taken.size(), 5u);
    for (std::size_t i = 0; i < taken.size(); ++i) {
        EXPECT_EQ(taken[i].time, plusSeconds(kStart, static_cast<double>(i + 2)));
        EXPECT_EQ(taken[i].voltage, 26.0f + static_cast<float>(i));
    }
    EXPECT_TRUE(recorder.takeNewSamples().empty());

    // A sample left untaken does not reach the next test.
    ASSERT_TRUE(sampleAt(7));
    create(1);
    EXPECT_TRUE(recorder.takeNewSamples().empty());
}

TEST_F(Recorder, SnapshotsTakenWhileTheEngineRecordsAreWhole)
{
    create(2);
    std::atomic<bool> done{false};
    std::thread engine([&] {
        for (int k = 1; k <= 60; ++k) {
            const auto v = static_cast<float>(k);
            setLive(v, v, v, v);
            run.currentStep = static_cast<std::uint8_t>(k % 2);
            run.stepStartTime = plusSeconds(kStart, k);
            (void)recorder.recordStepStart(true, runStep(0, v, 0, 0, "x"));
            (void)sampleAt(k);
        }
        done = true;
    });
    int torn = 0;
    const bool finished = waitUntil(
        [&] {
            const SampleRecord s = recorder.currentSample();
            if (s.voltage != s.current || s.current != s.capacity)
                ++torn;
            for (const StepResult& r : recorder.stepResults())
                if (r.voltage != r.parameter1 && r.status != 0)
                    ++torn;
            return done.load();
        },
        std::chrono::seconds(30), std::chrono::milliseconds(0));
    engine.join();
    EXPECT_TRUE(finished);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(fileBytes().size(), 222u + 145 * 2 + 60 * 105);
}

TEST_F(Recorder, TheScreensReadsDoNotWaitForAWriteHeldInItsSync)
{
    // Each write below is held in its sync on a thread of its own, as a slow data folder or
    // archive share holds it; meanwhile the reads of the once-a-second refresh return.
    create(2);
    ASSERT_TRUE(startStep(0, 0));
    std::filesystem::create_directories(home / "Archiv");
    struct Case {
        const char* name;
        std::function<Status()> write;
    };
    const Case cases[] = {
        {"sample", [&] { return sampleAt(20); }},
        {"step start", [&] { return startStep(1, 30); }},
        {"step end", [&] { return recorder.recordStepEnd(1, true); }},
        {"interruption", [&] { return recorder.recordInterruption(); }},
        {"note saved", [&] { return recorder.saveTestFileAs(recorder.currentPath(), "druhá", "A12", {}, false); }},
        {"completion's archive copy", [&] { return recorder.recordCompletion(home / "Archiv"); }},
        {"archive", [&] { return recorder.archive(home / "Archiv", false); }},
        {"copy saved", [&] { return recorder.saveTestFileAs(home / "Kopie.tst", "druhá", "B7", {}, false); }},
    };
    constexpr auto kLimit = std::chrono::seconds(10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files.holdNextWrite();
        Status written;
        std::thread writer([&] { written = c.write(); });
        const bool held = files.waitUntilHeld(kLimit);

        std::promise<void> readsDone;
        std::thread screen([&] {
            (void)recorder.takeNewSamples();
            EXPECT_EQ(recorder.header().batteryNumber, "A12");
            EXPECT_TRUE(recorder.stepResult(0).has_value());
            EXPECT_FALSE(recorder.currentPath().empty());
            EXPECT_TRUE(recorder.hasTestFile());
            readsDone.set_value();
        });
        const bool returned = readsDone.get_future().wait_for(kLimit) == std::future_status::ready;
        const bool stillHeld = files.holding();
        files.release();
        writer.join();
        screen.join();

        EXPECT_TRUE(held);
        EXPECT_TRUE(returned);
        EXPECT_TRUE(stillHeld);
        EXPECT_TRUE(written) << (written ? "" : written.error());
    }
    EXPECT_EQ(home.readBytes("Archiv/" + recorder.currentPath().filename().string()), fileBytes());
    EXPECT_EQ(recorder.header().note, "druhá");
}

TEST_F(Recorder, AFailedSampleWriteIsReportedAndNotFlagged)
{
    create(1);
    std::filesystem::remove(recorder.currentPath());
    EXPECT_FALSE(sampleAt(10));
    EXPECT_EQ(run.newSample.load(), 0);
    EXPECT_FALSE(std::filesystem::exists(recorder.currentPath()));
}

TEST_F(Recorder, InterruptionAppendsALastSampleAndAMarkerWithTheStopReason)
{
    create(2);
    run.setStopReason(StopReason::PowerModuleError);
    run.currentStep = 0;
    run.conditionTime = plusSeconds(kStart, 42);
    setLive(11.0f, 0.0f, 0.0f, 0.0f);
    ASSERT_TRUE(recorder.recordInterruption());
    const auto b = fileBytes();
    const std::size_t tail = 222 + 145 * 2;
    ASSERT_EQ(b.size(), tail + 210);
    EXPECT_EQ(getF32(b, tail + 9), 11.0f);
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + static_cast<std::ptrdiff_t>(tail + 105), b.end()),
              markerBytes(4, 3));

    // The engine wrote the sample of this instant already: the marker alone follows.
    ASSERT_TRUE(recorder.recordInterruption(false));
    const auto after = fileBytes();
    ASSERT_EQ(after.size(), tail + 315);
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + static_cast<std::ptrdiff_t>(tail + 210), after.end()),
              markerBytes(4, 3));
}

TEST_F(Recorder, CompletionMarksTheTestCompleteAndArchivesIt)
{
    create(1);
    ASSERT_TRUE(sampleAt(1));
    const auto archive = home / "Archiv";
    std::filesystem::create_directories(archive);
    ASSERT_TRUE(recorder.recordCompletion(archive));
    EXPECT_EQ(marker.last.completed, 1);
    EXPECT_EQ(marker.last.path, recorder.currentPath().string());
    EXPECT_EQ(home.readBytes("Archiv/T_A12_202403050709.tst"), fileBytes());
}

TEST_F(Recorder, CompletionWithoutArchiveFolderOnlyMarks)
{
    create(1);
    EXPECT_TRUE(recorder.recordCompletion({}));
    EXPECT_EQ(marker.last.completed, 1);
}

TEST_F(Recorder, OldFormatFilesAreNeverWritten)
{
    auto f = fixedPart(3, 2, kStart);
    f[199 + 9] = 2;
    const auto path = writeFile("old.tst", f);
    ASSERT_TRUE(recorder.openTestFile(path, {}, samples, steps));
    EXPECT_FALSE(sampleAt(5));
    EXPECT_FALSE(recorder.resume(0, {}));
    EXPECT_EQ(home.readBytes("old.tst"), f);
}

// --- archive -------------------------------------------------------------------------

TEST_F(Recorder, ArchiveMessages)
{
    const auto archive = home / "Archiv";
    EXPECT_TRUE(recorder.archive({}, false));

    Status st = recorder.archive(archive, false);
    EXPECT_EQ(st.error(), "Archivaci nelze provést - adresář " + archive.string() + " neexistuje");

    std::filesystem::create_directories(archive);
    EXPECT_EQ(recorder.archive(archive, false).error(), "Není co archivovat");

    create(1);
    std::filesystem::remove(recorder.currentPath());
    EXPECT_EQ(recorder.archive(archive, false).error(), "Archivace nebyla provedena");
}

TEST_F(Recorder, ArchiveReplacesAnOlderCopy)
{
    const auto archive = home / "Archiv";
    std::filesystem::create_directories(archive);
    create(1);
    ASSERT_TRUE(recorder.archive(archive, false));
    ASSERT_TRUE(sampleAt(3));
    ASSERT_TRUE(recorder.archive(archive, false));
    EXPECT_EQ(home.readBytes("Archiv/T_A12_202403050709.tst"), fileBytes());
}

TEST_F(Recorder, WhileARunIsActiveTheUserOperationsLeaveTheFileAlone)
{
    create(2);
    ASSERT_TRUE(sampleAt(3));
    const auto before = fileBytes();
    const auto archive = home / "Archiv";
    std::filesystem::create_directories(archive);
    const auto other = writeFile("other.tst", fixedPart(4, 1, kStart));

    auto opened = recorder.openTestFile(other, OpenOptions{true, false}, samples, steps);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error(), test_file_messages::kRunActiveOpen);
    EXPECT_EQ(recorder.saveTestFileAs(recorder.currentPath(), "x", "y", {}, true).error(),
              test_file_messages::kRunActiveSave);
    EXPECT_EQ(recorder.saveTestFileAs(home / "copy.tst", "x", "y", {}, true).error(),
              test_file_messages::kRunActiveSave);
    EXPECT_EQ(recorder.archive(archive, true).error(), test_file_messages::kRunActiveArchive);

    EXPECT_EQ(recorder.currentPath(), dataFolder() / "T_A12_202403050709.tst");
    EXPECT_EQ(fileBytes(), before);
    EXPECT_FALSE(std::filesystem::exists(home / "copy.tst"));
    EXPECT_TRUE(std::filesystem::is_empty(archive));
}

// --- open ----------------------------------------------------------------------------

class OpenedFile : public Recorder {
  protected:
    // Three steps; step 0 sampled at 10 s, interrupted (reason 1), resumed 600 s later,
    // sampled at 710 s, ended; step 1 started at 720 s, sampled at 730 s, interrupted
    // (reason 2) and resumed twice (100 s and 50 s); step 2 never started.
    std::vector<std::uint8_t> interruptedFile() const
    {
        auto f = fixedPart(4, 3, kStart);
        putF64(f, 199 + 145, plusSeconds(kStart, 720));
        putU8(f, 199 + 145 + 9, 2);
        putF64(f, 199 + 290, 0.0);
        putU8(f, 199 + 290 + 9, 0);
        append(f, sampleBytes(4, plusSeconds(kStart, 10), 0, 24.0f, 5.0f, 0.25f, 20.0f));
        append(f, markerBytes(4, 1));
        append(f, resumeBytes(plusSeconds(kStart, 700), 0, plusSeconds(kStart, 100), 1));
        append(f, sampleBytes(4, plusSeconds(kStart, 710), 0, 24.5f, 5.0f, 0.5f, 20.0f));
        append(f, sampleBytes(4, plusSeconds(kStart, 730), 1, 25.0f, 4.0f, 0.75f, 21.0f));
        append(f, markerBytes(4, 2));
        append(f, resumeBytes(plusSeconds(kStart, 830), 1, plusSeconds(kStart, 730), 2));
        append(f, markerBytes(4, 2));
        append(f, resumeBytes(plusSeconds(kStart, 880), 1, plusSeconds(kStart, 830), 0));
        append(f, sampleBytes(4, plusSeconds(kStart, 900), 1, 25.5f, 3.5f, 1.0f, 21.5f));
        return f;
    }
};

TEST_F(OpenedFile, TimeAxisExcludesInterruptionsAndResumeSecondsFollowTheStep)
{
    const auto path = writeFile("t.tst", interruptedFile());
    run.currentStep = 7; // where an earlier run stopped
    auto opened = recorder.openTestFile(path, {}, samples, steps);
    ASSERT_TRUE(opened) << opened.error();
    EXPECT_EQ(opened->samples, 4u);
    EXPECT_EQ(opened->interruptions, 3u);
    EXPECT_EQ(opened->resumes, 3u);
    EXPECT_TRUE(opened->warning.empty());

    ASSERT_EQ(samples.size(), 4u);
    EXPECT_EQ(samples.row(0).x, 10);
    EXPECT_EQ(samples.row(1).x, 710 - 600);
    EXPECT_EQ(samples.row(2).x, 730 - 600);
    EXPECT_EQ(samples.row(3).x, 900 - 750);
    // The graph's decimation is built while the file is read.
    EXPECT_EQ(samples.decimation().sampleCount(), 4u);
    const BucketSummary all = samples.decimation().whole(samples.rows(), graph_series::kVoltage);
    EXPECT_EQ(all.min, 24.0f);
    EXPECT_EQ(all.max, 25.5f);

    EXPECT_EQ(run.stopReason(), StopReason::None); // the last marker was resumed

    EXPECT_EQ(run.currentStep.load(), 1);
    EXPECT_EQ(run.resumeSeconds.load(), 150u);
    EXPECT_EQ(run.totalInterruptionSeconds.load(), 750u);
    EXPECT_EQ(recorder.resumeList().size(), 3u);
    EXPECT_EQ(recorder.currentSample().voltage, 25.5f);
    EXPECT_EQ(run.variables[4].load(), 5);
    EXPECT_EQ(recorder.currentPath(), path);
    EXPECT_EQ(recorder.header().procedureName, "Kapacitní zkouška");
    EXPECT_EQ(recorder.family(), 2);
}

TEST_F(OpenedFile, StepRowsForStartedStepsAndInterruptionRowsAfterThem)
{
    ASSERT_TRUE(recorder.openTestFile(writeFile("t.tst", interruptedFile()), {}, samples, steps));
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_FALSE(steps.row(0).interruption);
    EXPECT_EQ(steps.row(0).stepIndex, 0);
    EXPECT_EQ(steps.row(0).seconds, 0);
    EXPECT_TRUE(steps.row(0).fromFile);
    EXPECT_TRUE(steps.row(1).interruption);
    EXPECT_EQ(steps.row(1).seconds, 600);
    EXPECT_EQ(steps.row(2).stepIndex, 1);
    EXPECT_EQ(steps.row(2).seconds, 720);
    EXPECT_EQ(steps.row(2).result.description, "K1");
    EXPECT_TRUE(steps.row(3).interruption);
    EXPECT_EQ(steps.row(3).seconds, 150);
}

TEST_F(OpenedFile, WithInterruptionsIgnoredTheAxisKeepsThemAndNoInterruptionRows)
{
    ASSERT_TRUE(recorder.openTestFile(writeFile("t.tst", interruptedFile()), OpenOptions{false, true}, samples, steps));
    EXPECT_EQ(samples.row(3).x, 900);
    EXPECT_EQ(run.totalInterruptionSeconds.load(), 0u);
    EXPECT_EQ(run.resumeSeconds.load(), 0u);
    EXPECT_TRUE(recorder.resumeList().empty());
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_FALSE(steps.row(1).interruption);
    EXPECT_EQ(run.stopReason(), StopReason::OperatorStop);
}

TEST_F(OpenedFile, OpeningReplacesWhatWasShownBefore)
{
    samples.add(SampleRecord{}, 1);
    steps.addInterruption(0, 5);
    ASSERT_TRUE(recorder.openTestFile(writeFile("t.tst", interruptedFile()), {}, samples, steps));
    EXPECT_EQ(samples.size(), 4u);
    EXPECT_EQ(steps.size(), 4u);
}

TEST_F(OpenedFile, ARefusedFileKeepsWhatWasOpenBefore)
{
    // Which cuts the reader refuses is the reader's test; here: the open test stays.
    const auto good = writeFile("good.tst", interruptedFile());
    ASSERT_TRUE(recorder.openTestFile(good, {}, samples, steps));
    const auto full = fixedPart(4, 2, kStart);
    for (std::size_t len : {std::size_t{0}, std::size_t{150}, full.size() - 1}) {
        const auto bad = writeFile(
            "bad.tst", std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
        auto opened = recorder.openTestFile(bad, {}, samples, steps);
        ASSERT_FALSE(opened) << len;
        EXPECT_NE(opened.error().find("bad.tst"), std::string::npos);
    }
    EXPECT_EQ(recorder.currentPath(), good);
    EXPECT_EQ(samples.size(), 4u);
    EXPECT_EQ(steps.size(), 4u);
    EXPECT_EQ(run.totalInterruptionSeconds.load(), 750u);
}

TEST_F(OpenedFile, MissingFileIsReported)
{
    auto opened = recorder.openTestFile(home / "none.tst", {}, samples, steps);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error(), "Soubor " + (home / "none.tst").string() + " neexistuje");
    EXPECT_EQ(clock.sleeps(), 0);
}

TEST_F(OpenedFile, RecordsBeyondTheStepsAreLeftOutWithAWarning)
{
    auto f = fixedPart(4, 1, kStart);
    append(f, sampleBytes(4, plusSeconds(kStart, 1), 0, 1.0f, 0, 0, 0));
    append(f, sampleBytes(4, plusSeconds(kStart, 2), 7, 2.0f, 0, 0, 0));
    append(f, sampleBytes(4, plusSeconds(kStart, 3), 0, 3.0f, 0, 0, 0));
    f.resize(f.size() + 17, 0);
    auto opened = recorder.openTestFile(writeFile("w.tst", f), {}, samples, steps);
    ASSERT_TRUE(opened);
    EXPECT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples.row(1).sample.voltage, 3.0f);
    EXPECT_NE(opened->warning.find("kroku 8"), std::string::npos) << opened->warning;
    EXPECT_NE(opened->warning.find("neúplný"), std::string::npos) << opened->warning;
}

TEST_F(OpenedFile, ALongFileIsReadInPiecesWithBoundedProgress)
{
    // About 6.3 MB of records: several pieces. Record 40 001 names a step the test does
    // not have; it is left out and named by its place in the whole file.
    constexpr std::size_t kCount = 60'000;
    constexpr std::size_t kRefused = 40'000;
    auto f = fixedPart(4, 1, kStart);
    f.reserve(f.size() + kCount * 105 + 50);
    for (std::size_t i = 0; i < kCount; ++i)
        append(f, sampleBytes(4, plusSeconds(kStart, static_cast<double>(i)), i == kRefused ? 9 : 0,
                              static_cast<float>(i % 1000), 0, 0, 0));
    f.resize(f.size() + 50, 0);
    const auto path = writeFile("long.tst", f);

    std::vector<double> calls;
    const OpenProgress progress = [&calls](double fraction) { calls.push_back(fraction); };
    auto opened = recorder.openTestFile(path, {}, samples, steps, progress);
    ASSERT_TRUE(opened) << opened.error();

    ASSERT_EQ(samples.size(), kCount - 1);
    for (std::size_t i = 0; i < kCount - 1; ++i) {
        const std::size_t record = i < kRefused ? i : i + 1;
        ASSERT_EQ(samples.row(i).x, static_cast<std::int64_t>(record)) << i;
        ASSERT_EQ(samples.row(i).sample.voltage, static_cast<float>(record % 1000)) << i;
    }
    EXPECT_NE(opened->warning.find("Záznam 40001 "), std::string::npos) << opened->warning;
    EXPECT_NE(opened->warning.find("neúplný"), std::string::npos) << opened->warning;

    // Between 1 and 4 MB a piece, then once at the end with 1.
    ASSERT_GE(calls.size(), 3u);
    EXPECT_LE(calls.size(), 8u);
    EXPECT_EQ(calls.back(), 1.0);
    for (std::size_t k = 1; k < calls.size(); ++k)
        EXPECT_GT(calls[k], calls[k - 1]) << k;
    EXPECT_GT(calls.front(), 0.0);

    // A file without records reports only the end.
    calls.clear();
    ASSERT_TRUE(recorder.openTestFile(writeFile("short.tst", fixedPart(4, 1, kStart)), {}, samples, steps, progress));
    EXPECT_EQ(calls, std::vector<double>{1.0});
}

TEST_F(OpenedFile, AFileWithoutSamplesHasAZeroCurrentSample)
{
    create(2);
    setLive(9.0f, 9.0f, 9.0f, 9.0f);
    ASSERT_TRUE(sampleAt(2));
    ASSERT_TRUE(recorder.openTestFile(writeFile("empty.tst", fixedPart(4, 1, kStart)), {}, samples, steps));
    EXPECT_EQ(recorder.currentSample(), SampleRecord{});
}

// --- save as -------------------------------------------------------------------------

TEST_F(OpenedFile, SaveUnderTheSameNameChangesOnlyTheNote)
{
    const auto path = writeFile("t.tst", interruptedFile());
    ASSERT_TRUE(recorder.openTestFile(path, {}, samples, steps));
    const auto before = home.readBytes("t.tst");
    ASSERT_TRUE(recorder.saveTestFileAs(path, "nová poznámka", "B99", {}, false));
    const auto after = home.readBytes("t.tst");
    ASSERT_EQ(after.size(), before.size());
    const std::size_t noteAt = 2 + 146;
    for (std::size_t i = 0; i < after.size(); ++i)
        if (i < noteAt || i >= noteAt + 51) {
            ASSERT_EQ(after[i], before[i]) << i;
        }
    EXPECT_EQ(getText(after, noteAt), "nov\xE1 pozn\xE1mka");
    EXPECT_EQ(getText(after, 2 + 63), "A12");
    EXPECT_EQ(recorder.header().note, "nová poznámka");
    EXPECT_EQ(recorder.header().batteryNumber, "A12");
}

TEST_F(OpenedFile, SaveUnderTheSameNameReachedByAnotherPathIsStillTheSameFile)
{
    const auto path = writeFile("t.tst", interruptedFile());
    ASSERT_TRUE(recorder.openTestFile(path, {}, samples, steps));
    ASSERT_TRUE(recorder.saveTestFileAs(home / "." / "t.tst", "jiná", "B99", {}, false));
    EXPECT_EQ(getText(home.readBytes("t.tst"), 2 + 146), "jin\xE1");
    EXPECT_EQ(getText(home.readBytes("t.tst"), 2 + 63), "A12");
}

TEST_F(OpenedFile, SaveUnderAnotherNameCopiesWithTheProcedureStepFields)
{
    const auto path = writeFile("t.tst", interruptedFile());
    ASSERT_TRUE(recorder.openTestFile(path, {}, samples, steps));
    const auto source = home.readBytes("t.tst");
    const std::vector<RunStep> loaded{runStep(0, 30.5f, 7, 8, "Nabíjení 1"), runStep(1, 0.0f, 9, 10, "Vybíjení")};
    const auto target = home / "kopie.tst";
    ASSERT_TRUE(recorder.saveTestFileAs(target, "kopie", "B99", loaded, false));

    EXPECT_EQ(home.readBytes("t.tst"), source);
    EXPECT_EQ(recorder.currentPath(), path);
    const auto copy = home.readBytes("kopie.tst");
    ASSERT_EQ(copy.size(), source.size());
    auto read = readTestFile(copy);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->head.header.batteryNumber, "B99");
    EXPECT_EQ(read->head.header.note, "kopie");
    EXPECT_EQ(read->head.header.operatorName, "Novák");
    const auto& s0 = read->head.steps[0];
    EXPECT_EQ(s0.printNumber, 7);
    EXPECT_EQ(s0.repNumber, 8);
    EXPECT_EQ(s0.description, "Nabíjení 1");
    EXPECT_EQ(s0.parameter1, 30.5f);
    EXPECT_EQ(s0.start, kStart);
    EXPECT_EQ(s0.status, 12);
    EXPECT_EQ(read->head.steps[1].description, "Vybíjení");
    // A step beyond the loaded ones keeps its fields.
    EXPECT_EQ(read->head.steps[2].description, "K2");
    const std::size_t tail = 222 + 145 * 3;
    EXPECT_TRUE(std::equal(copy.begin() + tail, copy.end(), source.begin() + tail));
}

TEST_F(OpenedFile, SaveAsCopyOfAnOlderVersionKeepsItsLayout)
{
    auto f = fixedPart(2, 1, kStart);
    append(f, sampleBytes(2, kStart, 0, 12.5f, 1.0f, 0.0f, 18.0f));
    append(f, sampleBytes(2, kStart, 0, 13.5f, 1.0f, 0.0f, 18.0f));
    ASSERT_TRUE(recorder.openTestFile(writeFile("v2.tst", f), {}, samples, steps));
    ASSERT_TRUE(recorder.saveTestFileAs(home / "v2copy.tst", "n", "C1", {}, false));
    auto read = readTestFile(home.readBytes("v2copy.tst"));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->tail.size(), 2u);
    EXPECT_EQ(std::get<SampleRecord>(read->tail[1]).voltage, 13.5f);
    EXPECT_EQ(read->head.header.batteryNumber, "C1");
}

TEST_F(Recorder, SaveAsMessages)
{
    EXPECT_EQ(recorder.saveTestFileAs(home / "x.tst", "", "", {}, false).error(), "Není co uložit");
    create(1);
    const auto path = recorder.currentPath();
    std::filesystem::remove(path);
    EXPECT_EQ(recorder.saveTestFileAs(home / "x.tst", "", "", {}, false).error(),
              "Soubor " + path.string() + " neexistuje");
}

// --- interrupted-test check and resume -------------------------------------------------

TEST_F(OpenedFile, CheckOffersTheFirstStepLeftRunning)
{
    const auto path = writeFile("t.tst", interruptedFile());
    marker.last = {path.string(), 0};
    const auto check = recorder.checkInterruptedTest(false, samples, steps);
    ASSERT_EQ(check.outcome, InterruptedTestCheck::Outcome::AskToResume);
    EXPECT_EQ(check.step, 1);
    EXPECT_EQ(check.message, "Proces přerušen v 2.kroku - Vybíjení\n"
                             "Čas : 5.3.2024 7:24:41\n"
                             "Napětí : 25,5\n"
                             "Proud : 3,5\n"
                             "Kapacita : 1,0000\n"
                             "Pokračovat v testu?\n");
    EXPECT_EQ(samples.size(), 4u);
}

TEST_F(OpenedFile, CheckShowsTheSampleInTheSystemsFormats)
{
    const auto path = writeFile("t.tst", interruptedFile());
    marker.last = {path.string(), 0};
    const struct {
        LocaleFormats formats;
        const char* time;
        const char* values;
    } cases[] = {
        {test::commaFormats(), "5.3.2024 7:24:41", "Napětí : 25,5\nProud : 3,5\nKapacita : 1,0000\n"},
        {test::pointFormats(), "03/05/2024 07:24:41 AM", "Napětí : 25.5\nProud : 3.5\nKapacita : 1.0000\n"},
    };
    for (const auto& c : cases) {
        test::LocaleScope scope(c.formats);
        SampleTable shownSamples;
        StepTable shownSteps;
        const auto check = recorder.checkInterruptedTest(false, shownSamples, shownSteps);
        ASSERT_EQ(check.outcome, InterruptedTestCheck::Outcome::AskToResume);
        EXPECT_EQ(check.message, std::string("Proces přerušen v 2.kroku - Vybíjení\nČas : ") + c.time + "\n" +
                                     c.values + "Pokračovat v testu?\n");
    }
}

TEST_F(Recorder, CheckOnAStepInterruptedBeforeAnySampleShowsZeros)
{
    create(2);
    setLive(24.0f, 1.0f, 0.0f, 0.0f);
    ASSERT_TRUE(startStep(0, 0));
    const auto question = recorder.checkInterruptedTest(false, samples, steps);
    ASSERT_EQ(question.outcome, InterruptedTestCheck::Outcome::AskToResume);
    EXPECT_EQ(question.step, 0);
    EXPECT_EQ(question.message, "Proces přerušen v 1.kroku - Nabíjení\n"
                                "Čas : 30.12.1899 0:00:00\n"
                                "Napětí : 0,0\n"
                                "Proud : 0,0\n"
                                "Kapacita : 0,0000\n"
                                "Pokračovat v testu?\n");
}

TEST_F(Recorder, CheckAsksNothingWhenNoTestWasLeftUnfinished)
{
    EXPECT_EQ(recorder.checkInterruptedTest(false, samples, steps).outcome, InterruptedTestCheck::Outcome::NoTest);
    create(1);
    marker.last.completed = 1;
    EXPECT_EQ(recorder.checkInterruptedTest(false, samples, steps).outcome, InterruptedTestCheck::Outcome::NoTest);
    marker.last = {(home / "gone.tst").string(), 0};
    EXPECT_EQ(recorder.checkInterruptedTest(false, samples, steps).outcome, InterruptedTestCheck::Outcome::NoTest);
}

TEST_F(Recorder, CheckWithEveryStepEndedLoadsTheFileWithoutAsking)
{
    const auto path = writeFile("done.tst", fixedPart(4, 3, kStart));
    marker.last = {path.string(), 0};
    const auto check = recorder.checkInterruptedTest(false, samples, steps);
    EXPECT_EQ(check.outcome, InterruptedTestCheck::Outcome::NothingToResume);
    EXPECT_EQ(recorder.currentPath(), path);
    EXPECT_EQ(steps.size(), 3u);
}

TEST_F(Recorder, CheckReportsAnUnreadableFile)
{
    const auto path = writeFile("cut.tst", std::vector<std::uint8_t>(150, 4));
    marker.last = {path.string(), 0};
    const auto check = recorder.checkInterruptedTest(false, samples, steps);
    EXPECT_EQ(check.outcome, InterruptedTestCheck::Outcome::OpenFailed);
    EXPECT_FALSE(check.message.empty());
}

// A damaged or sparse file claiming far more records than memory holds (4 KB on the disk,
// 100 GB by its size) is refused with a message before anything is reserved, at an open
// and at the start-up check alike; the file stays as it was and the start goes on.
TEST_F(Recorder, AFileClaimingAHugeSizeIsRefusedNotAborted)
{
    const auto path = writeFile("sparse.tst", fixedPart(4, 3, kStart));
    std::filesystem::resize_file(path, std::uint64_t{100} << 30);
    auto opened = recorder.openTestFile(path, {}, samples, steps);
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.error(), test_file_messages::kTooLarge);
    EXPECT_TRUE(recorder.currentPath().empty());
    EXPECT_EQ(samples.size(), 0u);

    marker.last = {path.string(), 0};
    const auto check = recorder.checkInterruptedTest(false, samples, steps);
    EXPECT_EQ(check.outcome, InterruptedTestCheck::Outcome::OpenFailed);
    EXPECT_EQ(check.message, test_file_messages::kTooLarge);
    EXPECT_EQ(std::filesystem::file_size(path), std::uint64_t{100} << 30);
}

// A second start within the same minute (a restart after a refused start, say) never
// replaces the first test's file: it takes the next free name with the same prefix, and a
// name taken by anything (a link planted there too) is passed over.
TEST_F(Recorder, AStartWithinTheSameMinuteTakesTheNextFreeName)
{
    create(3);
    ASSERT_TRUE(startStep(0, 1.0));
    ASSERT_TRUE(sampleAt(2.0));
    const auto first = recorder.currentPath();
    const auto firstBytes = fileBytes();
    EXPECT_EQ(first, dataFolder() / "T_A12_202403050709.tst");

    home.writeText("victim", "precious");
    std::filesystem::create_symlink(home / "victim", dataFolder() / "T_A12_202403050709_3.tst");
    const std::vector<std::string> expected{"T_A12_202403050709_2.tst", "T_A12_202403050709_4.tst"};
    for (const std::string& name : expected) {
        create(3);
        EXPECT_EQ(recorder.currentPath(), dataFolder() / name);
        EXPECT_EQ(marker.last.path, (dataFolder() / name).string());
        EXPECT_EQ(fileBytes().size(), 222u + 145u * 3);
    }
    EXPECT_EQ(home.readBytes("Data/T_A12_202403050709.tst"), firstBytes);
    EXPECT_EQ(home.readText("victim"), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(dataFolder() / "T_A12_202403050709_3.tst"));
}

TEST_F(OpenedFile, DecliningForgetsTheInterruption)
{
    ASSERT_TRUE(recorder.openTestFile(writeFile("t.tst", interruptedFile()), {}, samples, steps));
    recorder.declineResume();
    EXPECT_EQ(run.stopReason(), StopReason::None);
    EXPECT_EQ(run.resumeSeconds.load(), 0u);
    EXPECT_EQ(run.totalInterruptionSeconds.load(), 0u);
    EXPECT_TRUE(recorder.resumeList().empty());
}

TEST_F(Recorder, ResumeAfter600SecondsRecordsItAndHandsTheStepToTheEngine)
{
    create(3);
    setLive(25.0f, 8.0f, 0.0f, 20.0f);
    ASSERT_TRUE(startStep(1, 60));
    setLive(26.0f, 8.0f, 2.5f, 20.0f);
    ASSERT_TRUE(sampleAt(90));
    run.setStopReason(StopReason::PowerModuleLost);
    run.conditionTime = plusSeconds(kStart, 100);
    ASSERT_TRUE(recorder.recordInterruption());
    live.capacity = 0.0f;
    run.jumpTarget = 4;
    run.variablesChanged = 1;
    run.newSample = 1;
    run.stepMark = 2;
    clock.advanceMs(700'000);

    bool prepared = false;
    ASSERT_TRUE(recorder.resume(1, [&] {
        prepared = true;
        EXPECT_EQ(run.phase(), RunPhase::Idle);
        return Status{};
    }));
    EXPECT_TRUE(prepared);

    const auto b = fileBytes();
    ASSERT_EQ(b.size(), 222u + 145 * 3 + 4 * 105);
    const std::vector<std::uint8_t> record(b.end() - 105, b.end());
    EXPECT_EQ(record, resumeBytes(plusSeconds(kStart, 700), 1, plusSeconds(kStart, 100), 1));
    EXPECT_EQ(run.resumeSeconds.load(), 600u);
    EXPECT_EQ(run.totalInterruptionSeconds.load(), 600u);
    EXPECT_EQ(run.phase(), RunPhase::StepStart);
    EXPECT_EQ(run.currentStep.load(), 1);
    EXPECT_EQ(run.runStartTime.load(), kStart);
    EXPECT_EQ(run.jumpTarget.load(), -1);
    EXPECT_EQ(run.variablesChanged.load(), 0);
    EXPECT_EQ(run.newSample.load(), 0);
    EXPECT_EQ(run.stepMark.load(), kNoStepMark);
    EXPECT_EQ(run.stopReason(), StopReason::None);
    EXPECT_EQ(live.capacity.load(), 2.5f);
    ASSERT_EQ(recorder.resumeList().size(), 1u);
}

TEST_F(Recorder, ResumeTakesTheStepStartWhenItIsLaterThanTheLastSample)
{
    create(2);
    ASSERT_TRUE(sampleAt(30));
    ASSERT_TRUE(startStep(1, 50));
    clock.advanceMs(80'000);
    ASSERT_TRUE(recorder.resume(1, {}));
    EXPECT_EQ(recorder.resumeList()[0].interruptionTime, plusSeconds(kStart, 50));
    EXPECT_EQ(run.resumeSeconds.load(), 30u);
}

TEST_F(Recorder, ResumeStopsWhenTheProcedureCannotBePrepared)
{
    create(2);
    ASSERT_TRUE(startStep(0, 0));
    clock.advanceMs(60'000);
    bool toldModule = false;
    const Status st = recorder.resume(
        0, [] { return Status{Error{"Postup nenalezen"}}; }, [&] { toldModule = true; });
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error(), "Postup nenalezen");
    EXPECT_EQ(run.phase(), RunPhase::Idle);
    EXPECT_FALSE(toldModule);
    // No resume record and no interruption counted: a retry counts it once.
    EXPECT_EQ(fileBytes().size(), 222u + 145 * 2);
    EXPECT_EQ(run.resumeSeconds.load(), 0u);
    EXPECT_TRUE(recorder.resumeList().empty());
    ASSERT_TRUE(recorder.resume(0, {}, [&] { toldModule = true; }));
    EXPECT_TRUE(toldModule);
    EXPECT_EQ(run.resumeSeconds.load(), 60u);
    EXPECT_EQ(recorder.resumeList().size(), 1u);
}

TEST_F(Recorder, ResumeIsRefusedWhileARunIsActive)
{
    create(1);
    run.setPhase(RunPhase::StepRunning);
    EXPECT_EQ(recorder.resume(0, {}).error(), test_file_messages::kRunActiveResume);
    EXPECT_EQ(fileBytes().size(), 222u + 145);
}

TEST_F(Recorder, EveryResumeBeyondTheTenthIsKept)
{
    create(2);
    ASSERT_TRUE(startStep(1, 0));
    for (int i = 0; i < 12; ++i) {
        clock.advanceMs(10'000);
        run.setPhase(RunPhase::Idle);
        ASSERT_TRUE(recorder.resume(1, {})) << i;
        run.setPhase(RunPhase::StepRunning);
        run.conditionTime = clock.now();
        ASSERT_TRUE(sampleAt(secondsBetween(kStart, clock.now()) + 1));
        run.setPhase(RunPhase::Idle);
    }
    EXPECT_EQ(recorder.resumeList().size(), 12u);
    auto opened = recorder.openTestFile(recorder.currentPath(), {}, samples, steps);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->resumes, 12u);
    EXPECT_EQ(recorder.resumeList().size(), 12u);
}

TEST_F(Recorder, AnIncompleteLastRecordIsOverwrittenByTheNextOne)
{
    create(1);
    ASSERT_TRUE(startStep(0, 0));
    ASSERT_TRUE(sampleAt(10));
    const auto path = recorder.currentPath();
    {
        auto b = fileBytes();
        b.resize(b.size() + 60, 0x77); // a record cut short by a power failure
        home.writeBytes(path.lexically_relative(home.path()).string(), b);
    }
    auto opened = recorder.openTestFile(path, {}, samples, steps);
    ASSERT_TRUE(opened);
    EXPECT_FALSE(opened->warning.empty());
    clock.advanceMs(60'000);
    ASSERT_TRUE(recorder.resume(0, {}));
    run.setPhase(RunPhase::StepRunning);
    ASSERT_TRUE(sampleAt(70));

    const auto b = fileBytes();
    EXPECT_EQ(b.size(), 222u + 145 + 3 * 105);
    auto read = readTestFile(b);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->refusedRecords, 0u);
    ASSERT_EQ(read->tail.size(), 3u);
    EXPECT_TRUE(std::holds_alternative<ResumeEntry>(read->tail[1]));
    EXPECT_TRUE(std::holds_alternative<SampleRecord>(read->tail[2]));
}

TEST_F(Recorder, ARecordedRunReadsBackWithItsInterruption)
{
    create(2);
    setLive(24.0f, 10.0f, 0.0f, 20.0f);
    ASSERT_TRUE(startStep(0, 0));
    for (int t : {0, 10, 20})
        ASSERT_TRUE(sampleAt(t));
    ASSERT_TRUE(recorder.recordStepEnd(0, true));
    ASSERT_TRUE(startStep(1, 25));
    ASSERT_TRUE(sampleAt(25));
    run.setStopReason(StopReason::OperatorStop);
    run.conditionTime = plusSeconds(kStart, 30);
    ASSERT_TRUE(recorder.recordInterruption());
    clock.advanceMs(330'000); // resumed 300 s after the interruption
    run.setStopReason(StopReason::None);
    ASSERT_TRUE(recorder.resume(1, {}));
    run.setPhase(RunPhase::StepRunning);
    ASSERT_TRUE(sampleAt(335));
    ASSERT_TRUE(recorder.recordStepEnd(1, true));

    ASSERT_TRUE(recorder.openTestFile(recorder.currentPath(), {}, samples, steps));
    ASSERT_EQ(samples.size(), 6u);
    EXPECT_EQ(samples.row(4).x, 30);
    EXPECT_EQ(samples.row(5).x, 35);
    // The marker was followed by its resume: the finished test offers nothing to resume.
    EXPECT_EQ(run.stopReason(), StopReason::None);
    EXPECT_FALSE(recorder.interruptedStep().has_value());
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_TRUE(steps.row(2).interruption);
    EXPECT_EQ(steps.row(2).seconds, 300);
}

TEST_F(Recorder, AMarkerWithoutItsResumeStillStands)
{
    create(2);
    ASSERT_TRUE(startStep(0, 0));
    run.setStopReason(StopReason::PowerModuleLost);
    run.conditionTime = plusSeconds(kStart, 5);
    ASSERT_TRUE(recorder.recordInterruption());
    clock.advanceMs(60'000);
    ASSERT_TRUE(recorder.resume(0, {}));
    run.setPhase(RunPhase::StepRunning);
    run.setStopReason(StopReason::OperatorStop);
    run.conditionTime = plusSeconds(kStart, 80);
    ASSERT_TRUE(recorder.recordInterruption());
    run.setPhase(RunPhase::Idle);

    ASSERT_TRUE(recorder.openTestFile(recorder.currentPath(), {}, samples, steps));
    EXPECT_EQ(run.stopReason(), StopReason::OperatorStop);
}

TEST_F(Recorder, ResumeSecondsAfterOpeningCountOnlyTheStepLeftRunning)
{
    // Resumed once in step 0 after two hours, later killed in step 2: step 2 was never
    // interrupted before, so it continues with no time taken off.
    create(3);
    ASSERT_TRUE(startStep(0, 0));
    ASSERT_TRUE(sampleAt(10));
    clock.advanceMs(2 * 3600'000 + 10'000);
    ASSERT_TRUE(recorder.resume(0, {}));
    run.setPhase(RunPhase::StepRunning);
    ASSERT_TRUE(recorder.recordStepEnd(0, true));
    run.resumeSeconds = 0;
    ASSERT_TRUE(startStep(1, 7300));
    ASSERT_TRUE(recorder.recordStepEnd(1, true));
    ASSERT_TRUE(startStep(2, 7400));
    ASSERT_TRUE(sampleAt(7410));
    run.setPhase(RunPhase::Idle); // killed

    ASSERT_TRUE(recorder.openTestFile(recorder.currentPath(), {}, samples, steps));
    EXPECT_EQ(run.currentStep.load(), 2);
    EXPECT_EQ(run.resumeSeconds.load(), 0u);
    EXPECT_EQ(run.totalInterruptionSeconds.load(), 7200u);

    // An earlier pass of the same step (a jump led back to it) does not count either.
    ASSERT_TRUE(recorder.openTestFile(recorder.currentPath(), {}, samples, steps));
    clock.advanceMs(290'000); // 7500 s into the test
    ASSERT_TRUE(recorder.resume(2, {}));
    EXPECT_EQ(run.resumeSeconds.load(), 90u);
    run.setPhase(RunPhase::StepRunning);
    ASSERT_TRUE(recorder.recordStepEnd(2, true));
    run.resumeSeconds = 0;
    ASSERT_TRUE(startStep(2, 7600)); // back in step 2
    ASSERT_TRUE(sampleAt(7610));
    run.setPhase(RunPhase::Idle); // killed again
    ASSERT_TRUE(recorder.openTestFile(recorder.currentPath(), {}, samples, steps));
    EXPECT_EQ(run.resumeSeconds.load(), 0u);
}

TEST_F(Recorder, TheInterruptionSampleIsNeverBeforeTheStepStart)
{
    // An Abort before the first step running pass: the condition time is 0 (a new test)
    // or left from before a resume.
    create(2);
    clock.advanceMs(40'000);
    run.conditionTime = 0;
    ASSERT_TRUE(startStep(0, 0));
    run.setStopReason(StopReason::OperatorStop);
    ASSERT_TRUE(recorder.recordInterruption());
    EXPECT_EQ(recorder.currentSample().time, plusSeconds(kStart, 40));

    ASSERT_TRUE(startStep(1, 100));
    run.conditionTime = plusSeconds(kStart, 50);
    clock.advanceMs(90'000); // 130 s into the test
    ASSERT_TRUE(recorder.recordInterruption());
    EXPECT_EQ(recorder.currentSample().time, plusSeconds(kStart, 130));
}

TEST_F(Recorder, StepMarksReachEveryStepOfALongProcedure)
{
    create(200);
    for (std::uint8_t s : {0, 127, 128, 150, 199}) {
        ASSERT_TRUE(startStep(s, s));
        EXPECT_EQ(run.stepMark.load(), s);
    }
}

} // namespace
