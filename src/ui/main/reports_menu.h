// The main window's reports: " Tisk" prints the chart report of the current test, its
// menu's entries print the test with a layout of the folder "Sestavy", and "Sestavy"
// opens the layouts window. Each report goes to the print preview first. The chart report
// of a test read from its file (the battery history's "Tisk") leaves the open test alone.
#pragma once

#include "core/app/station_runtime.h"
#include "core/definitions/battery_type.h"
#include "core/reports/chart_report.h"

#include <QObject>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace kapsorel::ui {

struct MainActions;
struct ReportDocument;
class LayoutsWindow;

class ReportsMenu final : public QObject {
    Q_OBJECT
  public:
    using BatteryTypes = std::function<std::vector<BatteryType>()>;

    ReportsMenu(MainActions& actions, StationRuntime& runtime, BatteryTypes types, QWidget* owner);

    // The documents the commands preview; nothing without a current test.
    std::optional<ReportDocument> chartDocument();
    // The chart report of a test read from its file, not the open one (see
    // readTestFileTables), drawn with the graph window's colours.
    ReportDocument chartDocumentOf(const TestFileTables& read, const SampleTable& samples);
    std::optional<ReportDocument> layoutDocument(const ReportLayout& layout);

    void printChart();
    void printChartOf(const TestFileTables& read, const SampleTable& samples);
    // Prints with a separately loaded copy of the layout file: the layouts window keeps
    // whatever it has open.
    void printLayoutFile(const std::string& fileName);
    bool printLayout(const ReportLayout& layout);
    // The one layouts window, shown; nullptr when its folder cannot be made (it said so).
    LayoutsWindow* showLayouts();

  private:
    ReportTest currentTest() const;
    std::vector<GraphSeries> graphSeries() const;
    ReportDocument chartDocumentFor(const ReportTest& test, const std::vector<GraphSeries>& series);

    StationRuntime& runtime_;
    BatteryTypes types_;
    QWidget* owner_;
};

} // namespace kapsorel::ui
