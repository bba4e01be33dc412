// Reports written as PDF files: the chart report (landscape, its title, step rows and the
// twenty cell columns up to B20 whole) and the layout report (its orientation and items),
// checked with pdfinfo and pdftotext; a page is rendered to PNG for a look.
#include "core/base/day_time.h"
#include "core/base/locale_formats.h"
#include "core/reports/chart_report.h"
#include "core/reports/layout_report.h"
#include "demo_definitions.h"
#include "support/locale_scope.h"
#include "support/qt/program_output.h"
#include "support/temp_home.h"
#include "ui/reports/report_output.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

using namespace kapsorel;

namespace {

const DayTime kStart = toDayTime(LocalDateTime{2024, 3, 1, 8, 0, 0, 0});

ReportTest demoTest(int printedSteps)
{
    ReportTest test;
    test.header.batteryNumber = "B-17";
    test.header.batteryType = "KPL 50";
    test.header.procedureName = "Formování";
    test.header.operatorName = "Novák";
    test.header.note = "po revizi";
    test.header.start = kStart;
    test.variables.assign(10, 0);
    for (int i = 0; i < printedSteps; ++i) {
        StepResult s;
        s.stepType = static_cast<std::uint8_t>(i % 4);
        s.printNumber = static_cast<std::uint8_t>(i + 1);
        s.repNumber = static_cast<std::uint8_t>(i + 1);
        s.description = "Krok " + std::to_string(i + 1);
        s.start = kStart + i / 24.0;
        s.voltage = 24.0f + static_cast<float>(i) * 0.1f;
        s.current = 10.0f;
        s.capacity = 45.0f;
        for (std::size_t c = 0; c < s.cells.size(); ++c)
            s.cells[c] = 1.2f + 0.01f * static_cast<float>(c);
        test.steps.push_back(s);
    }
    return test;
}

std::vector<GraphSeries> demoSeries()
{
    std::vector<GraphSeries> series(22);
    for (std::size_t k = 0; k < series.size(); ++k) {
        series[k].colour = rgbColour(static_cast<int>(k * 11), 80, static_cast<int>(255 - k * 11));
        series[k].rightAxis = k == 20;
        for (int t = 0; t <= 36000; t += 600)
            series[k].points.emplace_back(t, k == 20 ? 10.0 - t / 7200.0
                                                     : 1.2 + 0.01 * static_cast<double>(k) + t / 360000.0);
    }
    return series;
}

QString infoField(const QString& info, const QString& field)
{
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(field + QLatin1Char(':')))
            return line.mid(field.size() + 1).trimmed();
    return {};
}

void lookAt(const QString& pdf, const char* name)
{
    const QByteArray dir = qgetenv("KAPSOREL_SCREENSHOTS");
    if (!dir.isEmpty() && !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        test::programOutput(QStringLiteral("pdftoppm"),
                            {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-f"),
                             QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                             QStringLiteral("-singlefile"), pdf,
                             QString::fromLocal8Bit(dir) + QLatin1Char('/') + QString::fromLatin1(name)});
}

} // namespace

class ReportOutputTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdfinfo (poppler-utils) is not installed");
    }

    void chartReportPdf_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("pages");
        QTest::newRow("one page") << 8 << 1;
        QTest::newRow("rows continue on a second page") << 60 << 2;
    }

    void chartReportPdf()
    {
        QFETCH(int, steps);
        QFETCH(int, pages);
        test::LocaleScope comma(test::commaFormats());
        test::TempHome home;
        const ReportTest test = demoTest(steps);
        ChartReportSettings settings;
        settings.hardwareKind = 0;
        ChartReport report = buildChartReport(test, settings);
        ui::ReportDocument document;
        document.orientation = PageOrientation::Landscape;
        document.pages = report.pages;
        document.chartPage = report.chartPage;
        document.chart = report.chart;
        document.lines = chartLines(demoSeries());
        document.fileName = QString::fromStdString(reportFileName(test.header));
        QCOMPARE(document.fileName, QStringLiteral("B-17_2024-03-01.pdf"));
        const QString path = QString::fromStdString((home / document.fileName.toStdString()).string());
        QVERIFY(ui::exportReportPdf(document, path).ok());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
        const QString info = test::programOutput(QStringLiteral("pdfinfo"), {path});
        QCOMPARE(infoField(info, QStringLiteral("Pages")).toInt(), pages);
        QVERIFY2(infoField(info, QStringLiteral("Page size")).startsWith(QStringLiteral("842 x 595")),
                 qPrintable(info));
        const QString text =
            test::programOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("B-17 - 1.3.2024 8:00:00")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Krok 8")));
        QVERIFY(text.contains(QStringLiteral("B20")));
        QVERIFY(text.contains(QStringLiteral("1,39")));
        QVERIFY(text.contains(QStringLiteral("Napětí [V]")));
        QVERIFY(text.contains(QStringLiteral("Proud [A]")));
        if (pages == 1)
            lookAt(path, "rep-chart-report");
    }

    void layoutReportPdf()
    {
        test::LocaleScope comma(test::commaFormats());
        test::TempHome home;
        ReportLayout layout;
        layout.orientation = PageOrientation::Portrait;
        const auto item = [](const char* text, int x, int y, int w, int h, std::uint8_t frame, int size) {
            LayoutItem i;
            i.text = text;
            i.x = static_cast<std::uint16_t>(x);
            i.y = static_cast<std::uint16_t>(y);
            i.width = static_cast<std::uint16_t>(w);
            i.height = static_cast<std::uint16_t>(h);
            i.frame = frame;
            i.fontSize = size;
            i.insetX = 3;
            i.fillColour = 0x00FFFFFF;
            i.frameColour = 0;
            return i;
        };
        layout.items = {item("Zkušební protokol", 0, 0, 718, 40, 2, 16), item("Baterie:", 0, 60, 120, 24, 0x41, 10),
                        item("$B", 120, 60, 200, 24, 0x41, 10),          item("Kapacita:", 0, 90, 120, 24, 0x41, 10),
                        item("#K04 Ah", 120, 90, 200, 24, 0x41, 10),     item("#B04", 150, 140, 30, 24, 1, 7)};
        const ReportTest test = demoTest(6);
        ui::ReportDocument document;
        document.orientation = layout.orientation;
        document.pages.push_back(buildLayoutReport(layout, test, {}));
        document.fileName = QString::fromStdString(reportFileName(test.header));
        const QString path = QString::fromStdString((home / "layout.pdf").string());
        QVERIFY(ui::exportReportPdf(document, path).ok());
        const QString info = test::programOutput(QStringLiteral("pdfinfo"), {path});
        QCOMPARE(infoField(info, QStringLiteral("Pages")).toInt(), 1);
        QVERIFY2(infoField(info, QStringLiteral("Page size")).startsWith(QStringLiteral("595 x 842")),
                 qPrintable(info));
        const QString text =
            test::programOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("45,0 Ah")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("B-17")));
        // The twentieth cell column ends past the right margin and still prints whole.
        QVERIFY2(text.contains(QStringLiteral("1,39")), qPrintable(text));
        lookAt(path, "rep-layout-report");
    }

    // The export says it wrote the PDF only when the printer finished it: a path it cannot
    // write is refused, even where something of that name is already there.
    void pdfExportReportsAFailedPrinter_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("an existing folder") << QStringLiteral("slozka.pdf");
        QTest::newRow("inside a file") << QStringLiteral("soubor/report.pdf");
        QTest::newRow("inside a missing folder") << QStringLiteral("chybi/report.pdf");
    }

    void pdfExportReportsAFailedPrinter()
    {
        QFETCH(QString, where);
        test::TempHome home;
        std::filesystem::create_directory(home / "slozka.pdf");
        home.writeText("slozka.pdf/obsah.txt", "x");
        home.writeText("soubor", "jen soubor");
        ui::ReportDocument document;
        document.pages.push_back(buildLayoutReport(demo::demoLayout(), demoTest(6), demo::demoBatteryTypes()));
        const QString path = QString::fromStdString((home / where.toStdString()).string());
        const Status written = ui::exportReportPdf(document, path);
        QVERIFY(!written.ok());
        QVERIFY2(QString::fromStdString(written.error()).contains(QStringLiteral("nelze zapsat")),
                 written.error().c_str());
        QVERIFY(std::filesystem::is_directory(home / "slozka.pdf"));
        QCOMPARE(home.readText("soubor"), std::string("jen soubor"));
    }

    // The layout the demo station comes with prints on one portrait page: its header fields,
    // the values of the step with "Rep." number 3 and all twenty cells.
    void demoLayoutPdf()
    {
        test::LocaleScope comma(test::commaFormats());
        test::TempHome home;
        const ReportLayout layout = demo::demoLayout();
        const ReportTest test = demoTest(6);
        ui::ReportDocument document;
        document.orientation = layout.orientation;
        document.pages.push_back(buildLayoutReport(layout, test, demo::demoBatteryTypes()));
        const QString path = QString::fromStdString((home / "demo.pdf").string());
        QVERIFY(ui::exportReportPdf(document, path).ok());
        const QString info = test::programOutput(QStringLiteral("pdfinfo"), {path});
        QCOMPARE(infoField(info, QStringLiteral("Pages")).toInt(), 1);
        const QString text =
            test::programOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        for (const char* expected : {"Zkušební protokol", "B-17", "Novák", "1,20", "1,39", " Ah"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), qPrintable(text));
        lookAt(path, "demo-layout-report");
    }
};

QTEST_MAIN(ReportOutputTest)
#include "report_output_test.moc"
