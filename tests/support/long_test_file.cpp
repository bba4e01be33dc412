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

void writeLongTestFile(const std::filesystem::path& path, const LongTestSpec& spec)
{
    if (spec.steps == 0 || spec.samples < spec.steps)
        throw std::runtime_error("a long test needs a sample in every step");
    // The recorder names the file itself; it writes into a folder of its own, then the
    // file takes the wanted name.
    const std::filesystem::path folder = path.parent_path() / ("." + path.filename().string() + ".new");
    std::filesystem::remove_all(folder);
    std::filesystem::path written;
    {
        SharedRunState run;
        LiveValues live;
        MemoryRunMarker marker;
        BatteryTestFile recorder(run, live, marker);
        check(recorder.createTestFile(longTestHeader(spec), spec.family, folder), "create");
        std::size_t first = 0;
        for (std::uint8_t step = 0; step < spec.steps; ++step) {
            while (stepOf(spec, first) < step)
                ++first;
            const SampleRecord s = longTestSample(spec, first);
            run.currentStep = step;
            run.stepStartTime = s.time;
            live.batteryVoltage = s.voltage;
            live.current = s.current;
            live.capacity = s.capacity;
            for (std::size_t c = 0; c < s.cells.size(); ++c)
                live.cellVoltage[c] = s.cells[c];
            RunStep runStep;
            runStep.description = "Krok " + std::to_string(step + 1);
            check(recorder.recordStepStart(true, runStep), "step start");
            if (step + 1 < spec.steps)
                check(recorder.recordStepEnd(step, true), "step end");
        }
        written = recorder.currentPath();
    }
    {
        std::ofstream out(written, std::ios::binary | std::ios::app);
        for (std::size_t i = 0; i < spec.samples;) {
            ByteWriter w;
            for (const std::size_t end = std::min(spec.samples, i + kSamplesPerWrite); i < end; ++i)
                writeSampleRecord(w, longTestSample(spec, i));
            out.write(reinterpret_cast<const char*>(w.data().data()), static_cast<std::streamsize>(w.size()));
        }
        out.flush();
        if (!out)
            throw std::runtime_error("samples not written to " + written.string());
    }
    std::filesystem::rename(written, path);
    std::filesystem::remove_all(folder);
}

} // namespace kapsorel::test
