#include "ui/main/reports_menu.h"

#include "core/app/config_path.h"
#include "core/reports/file_chart_series.h"
#include "core/reports/report_texts.h"
#include "ui/common/refusal.h"
#include "ui/main/main_actions.h"
#include "ui/records/graph_window.h"
#include "ui/reports/layouts_window.h"
#include "ui/reports/report_colour.h"
#include "ui/reports/report_output.h"

#include <QAction>
#include <qcustomplot.h>

namespace kapsorel::ui {

namespace {

constexpr const char* kCannot = "Nelze";
// Columns of the chart of a test printed from its file: more than a page shows.
constexpr std::size_t kPrintedColumns = 1200;

} // namespace

ReportsMenu::ReportsMenu(MainActions& actions, StationRuntime& runtime, BatteryTypes types, QWidget* owner)
    : QObject(owner), runtime_(runtime), types_(std::move(types)), owner_(owner)
{
    actions.layouts->setEnabled(true);
    actions.print->setEnabled(true);
    connect(actions.layouts, &QAction::triggered, this, [this] { showLayouts(); });
    connect(actions.print, &QAction::triggered, this, &ReportsMenu::printChart);
    for (QAction* item : actions.layoutItems) {
        item->setEnabled(item->isVisible());
        connect(item, &QAction::triggered, this, [this, item] { printLayoutFile(item->text().toStdString()); });
    }
}

ReportTest ReportsMenu::currentTest() const
{
    BatteryTestFile& file = runtime_.testFile();
    ReportTest test;
    test.header = file.header();
    test.steps = file.stepResults();
    const auto variables = file.variables();
    test.variables.assign(variables.begin(), variables.end());
    return test;
}

std::vector<GraphSeries> ReportsMenu::graphSeries() const
{
    std::vector<GraphSeries> series;
    auto* graph = owner_->findChild<GraphWindow*>();
    if (!graph || !graph->plot())
        return series;
    QCustomPlot* plot = graph->plot();
    for (int i = 0; i < plot->graphCount(); ++i) {
        QCPGraph* g = plot->graph(i);
        GraphSeries s;
        s.colour = fromQColor(g->pen().color());
        s.visible = g->visible();
        s.rightAxis = g->valueAxis() == plot->yAxis2;
        for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it)
            s.points.emplace_back(it->key, it->value);
        series.push_back(std::move(s));
    }
    return series;
}

std::optional<ReportDocument> ReportsMenu::chartDocument()
{
    if (!runtime_.testFile().hasTestFile())
        return std::nullopt;
    return chartDocumentFor(currentTest(), graphSeries());
}

ReportDocument ReportsMenu::chartDocumentOf(const TestFileTables& read, const SampleTable& samples)
{
    ReportTest test;
    test.header = read.head.header;
    test.steps = read.head.steps;
    test.variables.assign(read.head.variables.begin(), read.head.variables.end());
    // The graph window's colours and its voltage and current boxes; the cells as the
    // graph shows them for a test of the file's family.
    std::vector<SeriesLook> looks(graph_series::kCount);
    auto* graph = owner_->findChild<GraphWindow*>();
    const bool cells = static_cast<BatteryFamily>(read.head.layout.family) == BatteryFamily::NiCd;
    for (int s = 0; s < graph_series::kCount; ++s) {
        SeriesLook& look = looks[static_cast<std::size_t>(s)];
        const bool cell = s < graph_series::kCurrent; // the cells come first
        look.visible = cell ? cells : (!graph || graph->seriesVisible(s));
        if (graph)
            look.colour = fromQColor(graph->seriesColour(s));
    }
    return chartDocumentFor(test, wholeTestSeries(samples, looks, kPrintedColumns));
}

ReportDocument ReportsMenu::chartDocumentFor(const ReportTest& test, const std::vector<GraphSeries>& series)
{
    const StationSettings& settings = runtime_.settings();
    ChartReportSettings s;
    s.hardwareKind = settings.hardwareKind;
    s.cellFailLimit = settings.cellFailLimit;
    s.cellOkMinimum = settings.cellOkMinimum;
    s.cellOkMaximum = settings.cellOkMaximum;
    s.belowLimitColour = static_cast<std::uint32_t>(settings.cellBelowLimitColours.bar);
    s.belowOkColour = static_cast<std::uint32_t>(settings.cellBelowOkColours.bar);
    s.aboveOkColour = static_cast<std::uint32_t>(settings.cellAboveOkColours.bar);
    auto texts = readReportTexts(reportTextsPath(runtime_.home()), runtime_.clock());
    if (texts)
        s.texts = std::move(*texts);
    else
        showRefusal(owner_, texts.error()); // the report goes on without the texts
    ChartReport report = buildChartReport(test, s);
    ReportDocument document;
    document.orientation = PageOrientation::Landscape;
    document.pages = std::move(report.pages);
    document.chartPage = report.chartPage;
    document.chart = report.chart;
    document.lines = chartLines(series);
    document.fileName = QString::fromStdString(reportFileName(test.header));
    return document;
}

std::optional<ReportDocument> ReportsMenu::layoutDocument(const ReportLayout& layout)
{
    if (!runtime_.testFile().hasTestFile())
        return std::nullopt;
    const ReportTest test = currentTest();
    ReportDocument document;
    document.orientation = layout.orientation;
    document.pages.push_back(buildLayoutReport(layout, test, types_()));
    document.fileName = QString::fromStdString(reportFileName(test.header));
    return document;
}

void ReportsMenu::printChartOf(const TestFileTables& read, const SampleTable& samples)
{
    previewReport(chartDocumentOf(read, samples), QString::fromStdString(runtime_.dataFolder().string()), owner_);
}

void ReportsMenu::printChart()
{
    auto document = chartDocument();
    if (!document) {
        showRefusal(owner_, kCannot);
        return;
    }
    previewReport(*document, QString::fromStdString(runtime_.dataFolder().string()), owner_);
}

bool ReportsMenu::printLayout(const ReportLayout& layout)
{
    auto document = layoutDocument(layout);
    if (!document)
        return false;
    previewReport(*document, QString::fromStdString(runtime_.dataFolder().string()), owner_);
    return true;
}

void ReportsMenu::printLayoutFile(const std::string& fileName)
{
    if (!runtime_.testFile().hasTestFile()) {
        showRefusal(owner_, kCannot);
        return;
    }
    auto layout = loadLayoutFile((runtime_.home() / kLayoutFolderName / fileName).string());
    if (!layout) {
        showRefusal(owner_, layout.error());
        return;
    }
    printLayout(*layout);
}

LayoutsWindow* ReportsMenu::showLayouts()
{
    auto* w = owner_->findChild<LayoutsWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!w)
        w = new LayoutsWindow(
            runtime_.config(), runtime_.home() / kLayoutFolderName,
            QString::fromStdString(runtime_.settings().stationName),
            [this](const ReportLayout& layout) { return printLayout(layout); }, owner_);
    if (!w->folderReady()) {
        // It said why; the next "Sestavy" tries the folder again.
        delete w;
        return nullptr;
    }
    w->show();
    w->raise();
    return w;
}

} // namespace kapsorel::ui
