#include "support/long_test_file.h"

#include "core/base/bytes.h"
#include "core/definitions/run_procedure.h"
#include "core/records/battery_test_file.h"
#include "core/station/live_values.h"
#include "core/station/run_state.h"
#include "support/memory_run_marker.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace kapsorel::test {

namespace {

constexpr std::size_t kSamplesPerWrite = 4096;

void check(const Status& st, const char* what)
{
    if (!st)
        throw std::runtime_error(std::string(what) + ": " + st.error());
}

std::uint8_t stepOf(const LongTestSpec& spec, std::size_t i)
{
    return static_cast<std::uint8_t>(i * spec.steps / spec.samples);
}

} // namespace

SampleRecord longTestSample(const LongTestSpec& spec, std::size_t i)
{
    SampleRecord s;
    const double t = static_cast<double>(i) * spec.secondsApart;
    s.time = spec.start + t / 86400.0;
    s.step = stepOf(spec, i);
    s.voltage = static_cast<float>(24.0 + 4.0 * std::sin(t / 3000.0) + 0.1 * std::sin(t));
    s.current = static_cast<float>(10.0 * std::cos(t / 5000.0) + 0.2 * std::sin(t / 7.0));
    s.capacity = static_cast<float>(t / 3600.0);
    s.temperature = 21.0f;
    for (std::size_t c = 0; c < s.cells.size(); ++c)
        s.cells[c] = static_cast<float>(1.2 + 0.15 * std::sin(t / 4000.0 + static_cast<double>(c) / 3.0) +
                                        0.01 * std::sin(t / (3.0 + static_cast<double>(c))));
    return s;
}

BatteryTestHeader longTestHeader(const LongTestSpec& spec)
{
    BatteryTestHeader h;
    h.stepCount = spec.steps;
    h.start = spec.start;
    h.operatorName = "Novák";
    h.stationName = "Stanice 1";
    h.batteryNumber = "B1";
    h.batteryType = "20KSX25P";
    h.procedureName = "Dlouhý test";
    return h;
}

void writeTestFile(const std::filesystem::path& path, const BatteryTestHeader& header, std::uint8_t family,
                   std::size_t count, const SampleAt& sampleAt, const StepSetup& stepSetup)
{
    // The recorder names the file itself; it writes into a folder of its own, then the
    // file takes the wanted name.
    const std::filesystem::path folder = path.parent_path() / ("." + path.filename().string() + ".new");
    std::filesystem::remove_all(folder);
    SharedRunState run;
    LiveValues live;
    MemoryRunMarker marker;
    BatteryTestFile recorder(run, live, marker);
    check(recorder.createTestFile(header, family, folder), "create");
    const std::filesystem::path written = recorder.currentPath();

    std::map<std::uint8_t, SampleRecord> firstOfStep;
    std::uint8_t lastStep = 0;
    {
        std::ofstream out(written, std::ios::binary | std::ios::app);
        for (std::size_t i = 0; i < count;) {
            ByteWriter w;
            for (const std::size_t end = std::min(count, i + kSamplesPerWrite); i < end; ++i) {
                const SampleRecord s = sampleAt(i);
                firstOfStep.emplace(s.step, s);
                lastStep = s.step;
                writeSampleRecord(w, s);
            }
            out.write(reinterpret_cast<const char*>(w.data().data()), static_cast<std::streamsize>(w.size()));
        }
        out.flush();
        if (!out)
            throw std::runtime_error("samples not written to " + written.string());
    }

    for (const auto& [step, first] : firstOfStep) {
        run.currentStep = step;
        run.stepStartTime = first.time;
        live.batteryVoltage = first.voltage;
        live.current = first.current;
        live.capacity = first.capacity;
        for (std::size_t c = 0; c < first.cells.size(); ++c)
            live.cellVoltage[c] = first.cells[c];
        RunStep runStep;
        runStep.description = "Krok " + std::to_string(step + 1);
        if (stepSetup)
            stepSetup(step, runStep);
        check(recorder.recordStepStart(true, runStep), "step start");
        if (step != lastStep)
            check(recorder.recordStepEnd(step, true), "step end");
    }
    std::filesystem::rename(written, path);
    std::filesystem::remove_all(folder);
}

void writeLongTestFile(const std::filesystem::path& path, const LongTestSpec& spec)
{
    writeTestFile(path, longTestHeader(spec), spec.family, spec.samples,
                  [&spec](std::size_t i) { return longTestSample(spec, i); });
}

} // namespace kapsorel::test
