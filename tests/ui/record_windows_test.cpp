// The data, steps and graph windows over the core tables: what they show after a test
// file is opened, rows arriving live, the graph's axis labels and its stored series.
#include "core/definitions/step_types.h"
#include "core/records/battery_test_file.h"
#include "core/records/graph_colours.h"
#include "support/battery_test_fixtures.h"
#include "support/fake_clock.h"
#include "support/long_test_file.h"
#include "support/memory_run_marker.h"
#include "support/qt/widgets.h"
#include "support/temp_home.h"
#include "ui/records/graph_window.h"
#include "ui/records/record_tables.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <algorithm>
#include <qcustomplot.h>

using namespace kapsorel;
using namespace kapsorel::test;
using namespace kapsorel::ui;
using test::snap;

namespace {

const double kStart = dayTimeOf(2024, 3, 5, 7, 9);

// Three steps: step 0 sampled at 10 s, interrupted and resumed 600 s later, sampled at
// 710 s; step 1 started at 720 s, sampled at 730 s, interrupted and resumed twice (100 s
// and 50 s), sampled at 900 s; step 2 never started.
std::vector<std::uint8_t> fixtureFile()
{
    auto f = fixedPart(4, 3, kStart);
    putF32(f, 199 + 10, 24.04f); // step 0: voltage, current, capacity, cell 1
    putF32(f, 199 + 14, 5.26f);
    putF32(f, 199 + 18, 0.26f);
    putF32(f, 199 + 22, 1.234f);
    putU8(f, 199 + 102, 3); // "Tisk"
    putU8(f, 199 + 103, 4); // "Rep."
    putF64(f, 199 + 145, plusSeconds(kStart, 720));
    putU8(f, 199 + 145 + 9, 2);
    putF64(f, 199 + 290, 0.0);
    putU8(f, 199 + 290 + 9, 0);
    append(f, sampleBytes(4, plusSeconds(kStart, 10), 0, 24.0f, 5.0f, 0.25f, 20.04f, 1.234f));
    append(f, markerBytes(4, 1));
    append(f, resumeBytes(plusSeconds(kStart, 700), 0, plusSeconds(kStart, 100), 1));
    append(f, sampleBytes(4, plusSeconds(kStart, 710), 0, 24.5f, 5.0f, 0.5f, 20.0f, 1.3f));
    append(f, sampleBytes(4, plusSeconds(kStart, 730), 1, 25.0f, 4.0f, 0.75f, 21.0f, 1.31f));
    append(f, markerBytes(4, 2));
    append(f, resumeBytes(plusSeconds(kStart, 830), 1, plusSeconds(kStart, 730), 2));
    append(f, markerBytes(4, 2));
    append(f, resumeBytes(plusSeconds(kStart, 880), 1, plusSeconds(kStart, 830), 0));
    append(f, sampleBytes(4, plusSeconds(kStart, 900), 1, 25.5f, 3.5f, 1.0f, 21.5f, 1.32f));
    return f;
}

QStringList headers(const QAbstractItemModel& m)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.headerData(c, Qt::Horizontal).toString();
    return out;
}

QStringList rowTexts(const QAbstractItemModel& m, int row)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.data(m.index(row, c)).toString();
    return out;
}

QStringList cellHeaders()
{
    QStringList out;
    for (int i = 1; i <= 20; ++i)
        out << QStringLiteral("Bat%1").arg(i);
    return out;
}

SampleRecord liveSample(float voltage)
{
    SampleRecord s;
    s.voltage = voltage;
    s.current = 2.0f;
    s.temperature = 20.0f;
    s.cells.fill(1.25f);
    return s;
}

// A long test for the graph: segments of samples, each with its step and record period;
// charging at +10 A with the voltage rising, then discharging at -10 A with the voltage
// falling from 27.5 V to 20 V over all the discharge samples, whatever their periods.
struct Segment {
    std::uint8_t step;
    std::int64_t period;
    std::size_t count;
    bool discharge;
};

struct LongTest {
    const char* name;
    std::vector<Segment> segments;
};

const std::vector<LongTest>& longTests()
{
    static const std::vector<LongTest> tests = {
        // 200 000 samples a second apart (55 h): 22 h charge, 33 h discharge.
        {"uniform 1 s", {{0, 1, 80'000, false}, {1, 1, 120'000, true}}},
        // A charge and a discharge recorded every 5 s, the end of the discharge every 255 s.
        {"5 s and 255 s", {{0, 5, 8'000, false}, {1, 5, 10'000, true}, {2, 255, 200, true}}},
    };
    return tests;
}

// Writes the long test of `segments` to `path` (three steps, started at kStart) with the
// shared generator; returns the time (s) at which the discharge starts.
std::int64_t writeLongTest(const std::filesystem::path& path, const std::vector<Segment>& segments)
{
    std::size_t charges = 0;
    std::size_t discharges = 0;
    for (const Segment& s : segments)
        (s.discharge ? discharges : charges) += s.count;
    std::vector<SampleRecord> records;
    records.reserve(charges + discharges);
    std::int64_t x = 0;
    std::size_t charged = 0;
    std::size_t discharged = 0;
    std::int64_t dischargeFrom = -1;
    for (const Segment& seg : segments) {
        for (std::size_t i = 0; i < seg.count; ++i, x += seg.period) {
            double level = 0.0; // 0 .. 1 along the charge or the discharge
            if (seg.discharge) {
                if (dischargeFrom < 0)
                    dischargeFrom = x;
                level = static_cast<double>(discharged++) / static_cast<double>(discharges);
            } else {
                level = static_cast<double>(charged++) / static_cast<double>(charges);
            }
            const double voltage = seg.discharge ? 27.5 - 7.5 * level : 26.0 + 2.0 * level;
            SampleRecord s;
            s.time = plusSeconds(kStart, static_cast<double>(x));
            s.step = seg.step;
            s.voltage = static_cast<float>(voltage);
            s.current = seg.discharge ? -10.0f : 10.0f;
            s.temperature = 21.0f;
            for (std::size_t k = 0; k < s.cells.size(); ++k)
                s.cells[k] = static_cast<float>(voltage / 20.0 - 0.004 * static_cast<double>(k));
            records.push_back(s);
        }
    }
    BatteryTestHeader header;
    header.stepCount = 3;
    header.start = kStart;
    header.stationName = "Stanice 1";
    header.batteryNumber = "A12";
    writeTestFile(path, header, 0, records.size(), [&records](std::size_t i) { return records[i]; });
    return dischargeFrom;
}

// Seconds of a duration text "hh:mm:ss" (hours of two or more digits).
std::int64_t durationSeconds(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return -1;
    return parts[0].toLongLong() * 3600 + parts[1].toLongLong() * 60 + parts[2].toLongLong();
}

std::uint32_t rgbOf(const QColor& c)
{
    return static_cast<std::uint32_t>(c.rgb()) & 0xFFFFFFu;
}

} // namespace

class RecordWindowsTest : public QObject {
    Q_OBJECT

    TempHome home;
    SharedRunState run;
    LiveValues live;
    MemoryRunMarker marker;
    FakeClock clock{kStart};
    SampleTable samples;
    StepTable steps;

    void openFixture()
    {
        BatteryTestFile file(run, live, marker, clock);
        home.writeBytes("t.tst", fixtureFile());
        auto opened = file.openTestFile(home / "t.tst", {}, samples, steps);
        QVERIFY2(opened, opened ? "" : opened.error().c_str());
    }

  private slots:
    void init()
    {
        samples.clear();
        steps.clear();
    }

    void dataWindowAfterOpeningAFile()
    {
        openFixture();
        ConfigFile config(home / "Kapsorel.ini");
        DataWindow w(samples, config);
        w.setStationName("Stanice 1");
        w.reload();
        QCOMPARE(w.windowTitle(), QStringLiteral("Data - Stanice 1"));
        auto* grid = w.findChild<QTableView*>(QStringLiteral("gdata"));
        QVERIFY(grid);
        const QAbstractItemModel& m = *grid->model();
        QCOMPARE(headers(m), QStringList({QStringLiteral("Čas"), QStringLiteral("Proud"), QStringLiteral("Napětí"),
                                          QStringLiteral("Teplota")})
                                 << cellHeaders() << QStringLiteral("Krok"));
        QCOMPARE(m.rowCount(), 4);
        QStringList first = {QStringLiteral("00:00:10"), QStringLiteral(" 5,0"), QStringLiteral("24,0"),
                             QStringLiteral("20,0"), QStringLiteral("1,23")};
        for (int i = 1; i < 20; ++i)
            first << QStringLiteral("0,00");
        first << QStringLiteral("1");
        QCOMPARE(rowTexts(m, 0), first);
        // Times without the interruptions; the step number is the index + 1.
        QCOMPARE(m.data(m.index(1, 0)).toString(), QStringLiteral("00:01:50"));
        QCOMPARE(m.data(m.index(3, 0)).toString(), QStringLiteral("00:02:30"));
        QCOMPARE(m.data(m.index(3, 24)).toString(), QStringLiteral("2"));
        QCOMPARE(m.data(m.index(3, 1)).toString(), QStringLiteral(" 3,5"));

        // Cell columns: 33 px for NiCd, hidden for PB.
        w.setFamily(BatteryFamily::NiCd);
        for (int c = 4; c < 24; ++c) {
            QVERIFY(!grid->isColumnHidden(c));
            QCOMPARE(grid->columnWidth(c), 33);
        }
        w.setFamily(BatteryFamily::Pb);
        for (int c = 4; c < 24; ++c)
            QVERIFY(grid->isColumnHidden(c));
        QVERIFY(!grid->isColumnHidden(24));
        QCOMPARE(grid->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    }

    void stepsWindowAfterOpeningAFile()
    {
        openFixture();
        StepsWindow w(steps);
        w.setStationName("Stanice 1");
        w.reload();
        QCOMPARE(w.windowTitle(), QStringLiteral("Kroky - Stanice 1"));
        auto* grid = w.findChild<QTableView*>(QStringLiteral("gkroky"));
        QVERIFY(grid);
        const QAbstractItemModel& m = *grid->model();
        QCOMPARE(headers(m), QStringList({QStringLiteral("Čas"), QStringLiteral("Proud"), QStringLiteral("Napětí"),
                                          QStringLiteral("Kapacita")})
                                 << cellHeaders()
                                 << QStringList({QStringLiteral("Popis"), QStringLiteral("Tisk"),
                                                 QStringLiteral("Rep."), QStringLiteral("Akce")}));
        // Step 0, its interruption (600 s), step 1, its two interruptions (150 s); step 2
        // was never started.
        QCOMPARE(m.rowCount(), 4);
        QStringList step0 = {QStringLiteral("00:00:00"), QStringLiteral("  5,3"), QStringLiteral("24,0"),
                             QStringLiteral(" 0,3"), QStringLiteral("1,23")};
        for (int i = 1; i < 20; ++i)
            step0 << QStringLiteral("0,00");
        step0 << QStringLiteral("K0") << QStringLiteral("3") << QStringLiteral("4")
              << QString::fromUtf8(stepTypeName(0));
        QCOMPARE(rowTexts(m, 0), step0);
        QStringList pause(28);
        pause[0] = QStringLiteral("00:10:00");
        pause[24] = QStringLiteral("Přerušení");
        QCOMPARE(rowTexts(m, 1), pause);
        QCOMPARE(m.data(m.index(2, 0)).toString(), QStringLiteral("00:12:00"));
        QCOMPARE(m.data(m.index(2, 24)).toString(), QStringLiteral("K1"));
        pause[0] = QStringLiteral("00:02:30");
        QCOMPARE(rowTexts(m, 3), pause);

        // A step added live shows its current "%4.1f".
        StepResult live0;
        live0.start = plusSeconds(kStart, 1000);
        live0.current = 5.26f;
        live0.description = "Nabíjení 1";
        steps.addStep(2, live0, kStart, false);
        w.appendRows();
        QCOMPARE(m.rowCount(), 5);
        QCOMPARE(m.data(m.index(4, 1)).toString(), QStringLiteral(" 5,3"));
        QCOMPARE(m.data(m.index(4, 24)).toString(), QStringLiteral("Nabíjení 1"));

        w.setFamily(BatteryFamily::Pb);
        for (int c = 4; c < 24; ++c)
            QVERIFY(grid->isColumnHidden(c));
        w.setFamily(BatteryFamily::NiCd);
        QCOMPARE(grid->columnWidth(4), 33);
    }

    void liveRowsArriveInOneBatchAndTheViewFollowsUnlessScrolledAway()
    {
        ConfigFile config(home / "Kapsorel.ini");
        DataWindow w(samples, config);
        w.resize(600, 300);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy inserted(w.model(), &QAbstractItemModel::rowsInserted);
        std::int64_t x = 0;
        const auto tick = [&](int rows) {
            for (int i = 0; i < rows; ++i, ++x)
                samples.add(liveSample(24.0f + 0.01f * static_cast<float>(x)), x);
            w.appendRows();
        };
        tick(200);
        QCOMPARE(inserted.count(), 1); // 200 rows, one insertion
        QCOMPARE(inserted.at(0).at(1).toInt(), 0);
        QCOMPARE(inserted.at(0).at(2).toInt(), 199);
        QScrollBar* bar = w.grid()->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum()); // follows the newest row
        tick(3);
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(w.model()->rowCount(), 203);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(w.model()->data(w.model()->index(202, 0)).toString(), QStringLiteral("00:03:22"));

        bar->setValue(0); // the user looks at the start
        tick(5);
        QCOMPARE(w.model()->rowCount(), 208);
        QCOMPARE(bar->value(), 0);
        tick(0);
        QCOMPARE(inserted.count(), 3); // nothing new, nothing inserted
    }

    void bottomAxisLabelsAreDurations()
    {
        ConfigFile config(home / "Kapsorel.ini");
        GraphWindow g(samples, config);
        g.resize(900, 500);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        const struct {
            double from, to;
            const char* label;
        } cases[] = {{3500, 3700, "01:00:00"}, {115, 135, "00:02:05"}, {359000, 361000, "100:00:00"}};
        for (const auto& c : cases) {
            g.showRange(c.from, c.to);
            g.redraw();
            const QStringList labels = g.bottomLabels();
            QVERIFY2(labels.contains(QString::fromLatin1(c.label)), qPrintable(labels.join(QLatin1Char('|'))));
        }
    }

    void leftAxisLabelsAreColouredByTheThresholds()
    {
        ConfigFile config(home / "Kapsorel.ini");
        GraphWindow g(samples, config);
        g.resize(900, 500);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.setThresholds({-0.60f, 1.00f, 1.56f});
        const struct {
            double lower, upper;
            const char* label;
            QColor colour;
        } cases[] = {
            {1.50, 1.60, "1,56", QColor(0, 128, 0)},
            {1.50, 1.60, "1,54", Qt::black},
            {0.95, 1.05, "1", Qt::black},
            {0.95, 1.05, "0,98", QColor(0xFF, 0x8C, 0x8C)},
            {-0.70, -0.50, "-0,6", QColor(0xFF, 0x8C, 0x8C)},
            {-0.70, -0.50, "-0,65", Qt::red},
        };
        for (const auto& c : cases) {
            g.setLeftRange(c.lower, c.upper);
            g.redraw();
            const auto labels = g.leftLabels();
            QString seen;
            bool found = false;
            for (const auto& [text, colour] : labels) {
                seen += text + QLatin1Char('=') + colour.name() + QLatin1Char(' ');
                if (text == QString::fromLatin1(c.label)) {
                    found = true;
                    QCOMPARE(colour, c.colour);
                }
            }
            QVERIFY2(found, qPrintable(QString::fromLatin1(c.label) + QStringLiteral(" not in ") + seen));
        }
    }

    void hiddenSeriesStaysHiddenAfterARestart()
    {
        const auto path = home / "Kapsorel.ini";
        {
            ConfigFile config(path);
            GraphWindow g(samples, config);
            QCOMPARE(g.windowTitle(), QStringLiteral("Graf - "));
            auto* proud = g.findChild<QCheckBox*>(QStringLiteral("series20"));
            QVERIFY(proud);
            QCOMPARE(proud->text(), QStringLiteral("Proud"));
            QVERIFY(g.seriesVisible(20));
            proud->click();
            QVERIFY(!g.seriesVisible(20));
            g.setSeriesColour(21, QColor(1, 2, 3));
            g.saveState();
            QVERIFY(config.save());
        }
        auto loaded = ConfigFile::load(path);
        QVERIFY(loaded);
        QCOMPARE(loaded->readBool("TFgraf", "Series20_visible", true), false);
        GraphWindow g(samples, *loaded);
        QVERIFY(!g.seriesVisible(20));
        QVERIFY(!g.findChild<QCheckBox*>(QStringLiteral("series20"))->isChecked());
        QCOMPARE(g.seriesColour(21), QColor(1, 2, 3));
        QCOMPARE(g.seriesColour(0), QColor(0xFF, 0x00, 0xFF));  // fuchsia, never changed
        QCOMPARE(g.seriesColour(19), QColor(0x00, 0xFF, 0x80)); // 8453888
        // Opening for PB hides the cells, for NiCd shows them; "Proud" stays hidden.
        g.openFor(BatteryFamily::Pb);
        for (int n = 0; n < 20; ++n)
            QVERIFY(!g.seriesVisible(n));
        g.openFor(BatteryFamily::NiCd);
        for (int n = 0; n < 20; ++n)
            QVERIFY(g.seriesVisible(n));
        QVERIFY(!g.seriesVisible(20));
        QVERIFY(g.seriesVisible(21));
        // "Baterie" hides and shows the 20 cells together.
        auto* chnbat = g.findChild<QCheckBox*>(QStringLiteral("chnbat"));
        QVERIFY(chnbat);
        chnbat->click();
        for (int n = 0; n < 20; ++n)
            QVERIFY(!g.seriesVisible(n));
        QVERIFY(g.seriesVisible(21));
    }

    void longTestOpensDrawnAtTheChartsOwnWidth_data()
    {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < longTests().size(); ++i)
            QTest::newRow(longTests()[i].name) << static_cast<int>(i);
    }

    // As the main window does it: the graph exists hidden from the start, a file is read
    // into the tables, the graph is reloaded, and "Graf" opens it later.
    void longTestOpensDrawnAtTheChartsOwnWidth()
    {
        QFETCH(int, index);
        const LongTest& test = longTests()[static_cast<std::size_t>(index)];
        const std::int64_t dischargeFrom = writeLongTest(home / "long.tst", test.segments);
        ConfigFile config(home / "Kapsorel.ini");
        GraphWindow g(samples, config);
        BatteryTestFile file(run, live, marker, clock);
        auto opened = file.openTestFile(home / "long.tst", {}, samples, steps);
        QVERIFY2(opened, opened ? "" : opened.error().c_str());
        g.reload();
        g.openFor(BatteryFamily::NiCd);
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QCoreApplication::processEvents();

        // As many columns as the chart has pixels: more points than pixels, at most five
        // a pixel.
        const int width = g.plot()->axisRect()->width();
        QVERIFY(width > 300);
        const QCPRange range = g.plot()->xAxis->range();
        QCOMPARE(range.upper, static_cast<double>(samples.rows().back().x));
        const double column = range.size() / width;
        for (int series : {graph_series::kVoltage, graph_series::kCurrent, 0, 19}) {
            const int drawn = g.drawnPoints(series);
            QVERIFY2(drawn > width && drawn <= 5 * width + 2,
                     qPrintable(QStringLiteral("%1 points on %2 px").arg(drawn).arg(width)));
        }

        // The discharge voltage never rises; the current steps from +10 A to -10 A once,
        // within one column.
        const auto voltage = g.plot()->graph(graph_series::kVoltage)->data();
        int rises = 0;
        double previous = 1e9;
        for (const QCPGraphData& d : *voltage) {
            if (d.key < static_cast<double>(dischargeFrom))
                continue;
            rises += d.value > previous ? 1 : 0;
            previous = d.value;
        }
        QCOMPARE(rises, 0);
        const auto current = g.plot()->graph(graph_series::kCurrent)->data();
        double lastHigh = -1.0;
        double firstLow = -1.0;
        int drops = 0;
        double before = 0.0;
        for (const QCPGraphData& d : *current) {
            if (d.value > 0)
                lastHigh = d.key;
            else if (firstLow < 0)
                firstLow = d.key;
            drops += before > 0 && d.value < 0 ? 1 : 0;
            before = d.value;
        }
        QCOMPARE(drops, 1);
        QVERIFY2(firstLow - lastHigh <= std::max(column, 5.0),
                 qPrintable(QStringLiteral("current falls from %1 s to %2 s").arg(lastHigh).arg(firstLow)));
        snap(g, QStringLiteral("graf_") + QString::fromLatin1(test.name).replace(QLatin1Char(' '), QLatin1Char('_')));
    }

    void bottomTicksStepByRoundDurations()
    {
        ConfigFile config(home / "Kapsorel.ini");
        GraphWindow g(samples, config);
        g.resize(900, 500);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        const std::int64_t round[] = {1,    2,    5,    10,    15,    30,    60,    120,    300,    600,   900,
                                      1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 432000, 864000};
        const struct {
            double from, to;
        } ranges[] = {{0, 200}, {123, 4567}, {0, 50'000}, {3'000, 40'000}, {0, 200'000}, {0, 1'000'000}};
        for (const auto& r : ranges) {
            g.showRange(r.from, r.to);
            g.redraw();
            const QStringList labels = g.bottomLabels();
            const QString seen = labels.join(QLatin1Char('|'));
            QVERIFY2(labels.size() >= 3, qPrintable(seen));
            const std::int64_t step = durationSeconds(labels[1]) - durationSeconds(labels[0]);
            QVERIFY2(std::find(std::begin(round), std::end(round), step) != std::end(round), qPrintable(seen));
            for (int i = 0; i < labels.size(); ++i) {
                const std::int64_t t = durationSeconds(labels[i]);
                QVERIFY2(t % step == 0, qPrintable(seen));
                if (i > 0) {
                    QVERIFY2(t - durationSeconds(labels[i - 1]) == step, qPrintable(seen));
                }
            }
        }
    }

    void axesRefitWhenSeriesAreShownOrTheWindowOpensForAFamily()
    {
        openFixture(); // battery 24-25.5 V; cell 1 about 1.3 V, the other cells 0 V
        ConfigFile config(home / "Kapsorel.ini");
        GraphWindow g(samples, config);
        g.resize(900, 500);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QCPAxis* left = g.plot()->yAxis;
        const auto shows = [left](double v) { return left->range().contains(v); };

        g.openFor(BatteryFamily::Pb); // the cells hidden: the battery voltage fills the axis
        QVERIFY2(!shows(1.3) && shows(24.0) && shows(25.5), qPrintable(QString::number(left->range().lower)));
        g.openFor(BatteryFamily::NiCd); // the cells shown: on the axis too
        QVERIFY(shows(0.0) && shows(1.3) && shows(25.5));
        auto* chnbat = g.findChild<QCheckBox*>(QStringLiteral("chnbat"));
        chnbat->setChecked(true);
        chnbat->click(); // all cells hidden
        QVERIFY(!shows(1.3) && shows(24.0));
        g.findChild<QCheckBox*>(QStringLiteral("series0"))->click(); // cell 1 alone
        QVERIFY(shows(1.23) && shows(1.32) && !shows(0.0) && shows(25.5));
        g.findChild<QCheckBox*>(QStringLiteral("series21"))->click(); // battery voltage hidden
        QVERIFY(shows(1.23) && shows(1.32) && !shows(24.0));
    }

    void everySeriesColourStandsOutOnThePlotArea()
    {
        ConfigFile config(home / "Kapsorel.ini");
        GraphWindow g(samples, config);
        const QBrush area = g.plot()->axisRect()->backgroundBrush();
        const QColor shown = area.style() == Qt::NoBrush ? QColor(Qt::white) : area.color(); // the plot's own
        for (int n = 0; n < graph_series::kCount; ++n) {
            QCOMPARE(rgbOf(g.seriesColour(n)), defaultSeriesRgb(n)); // the stored colours stay
            QVERIFY2(colourDifference(rgbOf(g.seriesColour(n)), rgbOf(shown)) >= kVisibleDifference,
                     qPrintable(g.plot()->graph(n)->name() + QLatin1Char(' ') + g.seriesColour(n).name()));
        }
    }

    void cellHeadersFitTheirColumns()
    {
        ConfigFile config(home / "Kapsorel.ini");
        DataWindow data(samples, config);
        StepsWindow kroky(steps);
        data.setFamily(BatteryFamily::NiCd);
        kroky.setFamily(BatteryFamily::NiCd);
        for (RecordGrid* grid : {data.grid(), kroky.grid()}) {
            const QAbstractItemModel& m = *grid->model();
            auto* header = grid->horizontalHeader();
            const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int c = 4; c < 24; ++c) {
                QCOMPARE(grid->columnWidth(c), 33); // the width stays
                const QString text = m.headerData(c, Qt::Horizontal).toString();
                QCOMPARE(text, QStringLiteral("Bat%1").arg(c - 3));
                const QVariant font = m.headerData(c, Qt::Horizontal, Qt::FontRole);
                const QFontMetrics fm(font.isValid() ? font.value<QFont>() : header->font());
                QVERIFY2(fm.horizontalAdvance(text) + 2 * margin <= grid->columnWidth(c),
                         qPrintable(text + QStringLiteral(": %1 px of text").arg(fm.horizontalAdvance(text))));
                QVERIFY(fm.height() >= 8); // still readable
            }
        }
    }

    void recordWindowsShowEveryColumnAtTheirDefaultSize()
    {
        openFixture();
        ConfigFile config(home / "Kapsorel.ini");
        DataWindow data(samples, config);
        data.setStationName("Stanice 1");
        data.setFamily(BatteryFamily::NiCd);
        data.reload();
        StepsWindow kroky(steps);
        kroky.setStationName("Stanice 1");
        kroky.setFamily(BatteryFamily::NiCd);
        kroky.reload();
        for (QWidget* w : {static_cast<QWidget*>(&data), static_cast<QWidget*>(&kroky)}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            auto* grid = w->findChild<QTableView*>();
            const int visible = grid->viewport()->width();
            for (int c = 0; c < grid->model()->columnCount(); ++c) {
                const int x = grid->columnViewportPosition(c);
                QVERIFY2(
                    x >= 0 && x + grid->columnWidth(c) <= visible,
                    qPrintable(w->objectName() + QLatin1Char(' ') +
                               grid->model()->headerData(c, Qt::Horizontal).toString() +
                               QStringLiteral(" at %1-%2 of %3 px").arg(x).arg(x + grid->columnWidth(c)).arg(visible)));
            }
            snap(*w, w->objectName());
        }
    }

    void wholeTestReachesTheLatestTimeWhenTheClockWentBack()
    {
        // 2000 s sampled, then the clock set back 1500 s for the last 500 samples.
        for (std::int64_t x = 0; x < 2000; ++x)
            samples.add(liveSample(24.0f), x);
        for (std::int64_t x = 500; x < 1000; ++x)
            samples.add(liveSample(26.0f), x);
        ConfigFile config(home / "Kapsorel.ini");
        GraphWindow g(samples, config);
        g.resize(900, 500);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.reload();
        g.redraw();
        QCOMPARE(g.plot()->xAxis->range().lower, 0.0);
        QCOMPARE(g.plot()->xAxis->range().upper, 1999.0);
        const auto voltage = g.plot()->graph(graph_series::kVoltage)->data();
        QCOMPARE((voltage->constEnd() - 1)->key, 1999.0);
        QVERIFY(g.plot()->yAxis->range().contains(24.0) && g.plot()->yAxis->range().contains(26.0));
    }

    void graphAfterOpeningAFileAndLiveSamplesDrawsByPixels()
    {
        openFixture();
        ConfigFile config(home / "Kapsorel.ini");
        GraphWindow g(samples, config);
        g.resize(900, 500);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.reload();
        g.redraw();
        QCOMPARE(g.drawnPoints(graph_series::kVoltage), 4);
        QCOMPARE(g.plot()->xAxis->label(), QStringLiteral("Čas[s]"));
        QCOMPARE(g.plot()->yAxis->label(), QStringLiteral("Napětí[V]"));
        QCOMPARE(g.plot()->yAxis2->label(), QStringLiteral("Proud[A]"));
        QCOMPARE(g.plot()->graph(graph_series::kVoltage)->valueAxis(), g.plot()->yAxis);
        QCOMPARE(g.plot()->graph(graph_series::kCurrent)->valueAxis(), g.plot()->yAxis2);

        // Live: 50 000 samples in ticks; the view follows and a redraw reads points by
        // the chart's width, not by the samples.
        std::int64_t x = 200;
        for (int t = 0; t < 5; ++t) {
            for (int i = 0; i < 10'000; ++i)
                samples.add(liveSample(24.0f + static_cast<float>(i % 7)), x++);
            g.appendSamples();
        }
        g.redraw();
        QVERIFY(g.following());
        QCOMPARE(g.plot()->xAxis->range().upper, static_cast<double>(x - 1));
        const int width = g.plot()->axisRect()->width();
        QVERIFY(g.drawnPoints(graph_series::kVoltage) <= 4 * (width + 2));
        QVERIFY(g.drawnPoints(graph_series::kVoltage) > width); // a full envelope
        // Zoomed into 100 s: the samples themselves.
        g.showRange(1000, 1099);
        g.redraw();
        QVERIFY(!g.following());
        QCOMPARE(g.drawnPoints(graph_series::kVoltage), 102); // and one beyond each edge
        g.findChild<QPushButton*>(QStringLiteral("bcely_test"))->click();
        QVERIFY(g.following());
        QCOMPARE(g.plot()->xAxis->range().lower, 0.0);
    }
};

QTEST_MAIN(RecordWindowsTest)
#include "record_windows_test.moc"
