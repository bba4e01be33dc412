// Loads a long test file into the three windows, as "Otevři" does, and prints the peak
// resident memory against the file's size (the windows may hold at most the file and
// 60 MB), and what the data table and the graph's decimation hold of it; also for
// screenshots.
//   kapsorel_windows_load <samples> [screenshot folder]
#include "core/records/battery_test_file.h"
#include "support/fake_clock.h"
#include "support/long_test_file.h"
#include "support/memory_run_marker.h"
#include "support/temp_home.h"
#include "ui/records/graph_window.h"
#include "ui/records/record_tables.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <qcustomplot.h>
#include <string>

using namespace kapsorel;

namespace {

// Peak resident memory of this process in bytes (VmHWM), 0 when unknown.
std::uint64_t peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    const QString shots = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    test::TempHome home;
    const auto path = home / "long.tst";
    test::writeLongTestFile(path, {.samples = count});

    SharedRunState run;
    LiveValues live;
    test::MemoryRunMarker marker;
    test::FakeClock clock;
    BatteryTestFile file(run, live, marker, clock);
    SampleTable samples;
    StepTable steps;
    ConfigFile config;
    ui::DataWindow data(samples, config);
    ui::StepsWindow kroky(steps);
    ui::GraphWindow graf(samples, config);
    for (QWidget* w : {static_cast<QWidget*>(&data), static_cast<QWidget*>(&kroky), static_cast<QWidget*>(&graf)})
        w->show();

    QElapsedTimer t;
    t.start();
    auto opened = file.openTestFile(path, {}, samples, steps);
    if (!opened) {
        std::fprintf(stderr, "%s\n", opened.error().c_str());
        return 1;
    }
    const auto openMs = t.elapsed();
    data.setStationName("Stanice 1");
    data.setFamily(BatteryFamily::NiCd);
    data.reload();
    kroky.reload();
    graf.setStationName("Stanice 1");
    graf.openFor(BatteryFamily::NiCd);
    graf.reload();
    graf.redraw();
    app.processEvents();
    const double mib = 1024.0 * 1024.0;
    const auto fileBytes = static_cast<double>(std::filesystem::file_size(path));
    const auto peak = static_cast<double>(peakResidentBytes());
    const auto rowBytes = static_cast<double>(samples.rows().heldBytes());
    const auto decimationBytes = static_cast<double>(samples.decimation().heldBytes());
    std::printf("samples %zu, open %lld ms, points per series %d\n", samples.size(), static_cast<long long>(openMs),
                graf.drawnPoints(graph_series::kVoltage));
    std::printf("data table %.1f MiB, decimation %.1f MiB (1/%.0f of the table)\n", rowBytes / mib,
                decimationBytes / mib, decimationBytes > 0 ? rowBytes / decimationBytes : 0.0);
    std::printf("file %.1f MiB, peak resident %.1f MiB: peak RSS - file size = %.1f MiB (%.1f MB)\n", fileBytes / mib,
                peak / mib, (peak - fileBytes) / mib, (peak - fileBytes) / 1e6);
    if (!shots.isEmpty()) {
        graf.grab().save(shots + QStringLiteral("/graf_whole.png"));
        const double end = static_cast<double>(samples.rows().back().x);
        graf.showRange(end * 0.5, end * 0.5 + 600);
        graf.redraw();
        app.processEvents();
        graf.grab().save(shots + QStringLiteral("/graf_zoom.png"));
        data.grab().save(shots + QStringLiteral("/data.png"));
        kroky.grab().save(shots + QStringLiteral("/kroky.png"));
    }
    return 0;
}
