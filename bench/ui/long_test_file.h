// A long test file for the window benchmarks: one step, `samples` samples a second apart
// with 20 cells, values wandering so every bucket differs.
#pragma once

#include "core/base/bytes.h"
#include "core/base/files.h"
#include "core/records/battery_test_records.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace kapsorel::bench {

inline void writeLongTestFile(const std::filesystem::path& path, std::size_t samples)
{
    const double start = 45356.25;
    ByteWriter w;
    w.u8(test_file_layout::kCurrentVersion);
    w.u8(0); // NiCd
    BatteryTestHeader h;
    h.stepCount = 1;
    h.start = start;
    h.stationName = "Stanice 1";
    h.procedureName = "Dlouhý test";
    writeTestHeader(w, h);
    StepResult step = StepResult::notStarted();
    step.start = start;
    step.status = test_file_layout::kStartedPerformed;
    step.description = "Nabíjení";
    writeStepResult(w, step);
    for (std::size_t i = 0; i < test_file_layout::kReservedSize; ++i)
        w.u8(0);
    w.u8(test_file_layout::kVariables);
    for (int i = 0; i < test_file_layout::kVariables; ++i)
        w.u8(0);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(w.data().data()), static_cast<std::streamsize>(w.data().size()));
    for (std::size_t i = 0; i < samples; ++i) {
        ByteWriter r;
        SampleRecord s;
        const double t = static_cast<double>(i);
        s.time = start + t / 86400.0;
        s.voltage = static_cast<float>(24.0 + 4.0 * std::sin(t / 3000.0) + 0.1 * std::sin(t));
        s.current = static_cast<float>(10.0 * std::cos(t / 5000.0) + 0.2 * std::sin(t / 7.0));
        s.capacity = static_cast<float>(t / 3600.0);
        s.temperature = 21.0f;
        for (std::size_t c = 0; c < s.cells.size(); ++c)
            s.cells[c] = static_cast<float>(1.2 + 0.15 * std::sin(t / 4000.0 + static_cast<double>(c) / 3.0) +
                                            0.01 * std::sin(t / (3.0 + static_cast<double>(c))));
        writeSampleRecord(r, s);
        out.write(reinterpret_cast<const char*>(r.data().data()), static_cast<std::streamsize>(r.data().size()));
    }
}

} // namespace kapsorel::bench
