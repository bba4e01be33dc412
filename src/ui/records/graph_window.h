// The graph window (GraphWindow): cell voltages, battery voltage and current against the test
// time. It draws the core table's min/max decimation, so a redraw reads a number of points
// proportional to the chart's width whatever the test's length; the points are read again
// when the view (zoom by wheel, pan by drag, "Celý test"), the chart's width or the data
// change. The value axes fit the shown series when the view or the shown series change.
//
// Feeding it (user-interface thread):
//   - after samples were added to the core table: appendSamples() (once per refresh; it
//     brings the table's decimation up to date itself);
//   - after the table was cleared or refilled (a new test, a file opened): reload();
//   - when it is opened from the main window: openFor(family), setStationName();
//   - when the thresholds change: setThresholds(); at exit: saveState().
#pragma once

#include "core/app/config_file.h"
#include "core/records/graph_axis_labels.h"
#include "core/records/sample_table.h"
#include "core/station/battery_family.h"

#include <QColor>
#include <QWidget>
#include <array>
#include <string>
#include <utility>
#include <vector>

class QCustomPlot;
class QCPGraph;
class QCPItemText;
class QCheckBox;
class QPushButton;

namespace kapsorel::ui {

class DurationTicker;

// Default colour of series n as the configuration stores colours.
std::int32_t defaultSeriesColour(int series);

class GraphWindow final : public QWidget {
    Q_OBJECT
  public:
    // `config` holds the stored values (section "GraphWindow") and must outlive the window.
    GraphWindow(SampleTable& table, ConfigFile& config, QWidget* parent = nullptr);

    void setStationName(const std::string& station);
    void setThresholds(const CellThresholds& thresholds);
    // The 20 cell series shown for "NiCd" and hidden otherwise, then the window shown.
    void openFor(BatteryFamily family);
    void reload();
    void appendSamples();
    // Placement, each series' visibility and colour, "Baterie".
    void saveState();

    void setSeriesVisible(int series, bool visible);
    bool seriesVisible(int series) const;
    QColor seriesColour(int series) const;
    void setSeriesColour(int series, const QColor& colour);

    // Whole test on the bottom axis, every axis fitted; the view follows new samples.
    void showWholeTest();
    // Part of the test on the bottom axis (as a wheel or drag would); stops following.
    void showRange(double fromSeconds, double toSeconds);
    // Left axis range (the labels' colours follow it).
    void setLeftRange(double lower, double upper);

    QCustomPlot* plot() const { return plot_; }
    // The labels as drawn after the last redraw: bottom axis texts, left axis texts with
    // their colours.
    QStringList bottomLabels() const;
    std::vector<std::pair<QString, QColor>> leftLabels() const;
    // Points each series was given at the last redraw.
    int drawnPoints(int series) const;
    bool following() const { return following_; }

    // Re-reads the decimation for the bottom axis' range and replots at once.
    void redraw();

  private:
    void refreshData();
    // Shows or hides a series and its check box, without refitting or replotting.
    void applyVisible(int series, bool visible);
    void updateLeftLabels();
    void fitValueAxes();
    void storeVisibility(int series, bool visible);

    SampleTable& table_;
    ConfigFile& config_;
    CellThresholds thresholds_;
    QCustomPlot* plot_ = nullptr;
    std::array<QCPGraph*, graph_series::kCount> graphs_{};
    std::array<QCheckBox*, graph_series::kCount> boxes_{};
    QCheckBox* chnbat_ = nullptr;
    QPushButton* whole_ = nullptr;
    std::vector<QCPItemText*> leftItems_;
    DurationTicker* ticker_ = nullptr; // owned by the bottom axis
    int pointsWidth_ = 0;              // axis rect width the points were read for
    bool following_ = true;
    bool settingRange_ = false;
};

} // namespace kapsorel::ui
