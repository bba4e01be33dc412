// "Soubor" → "Historie baterie": every test file of a battery number in the data and archive
// folders (start, battery type, procedure, operator, result), oldest first; "Otevři" or a
// double click opens the chosen one, "Tisk" prints its chart report. The history is looked
// up off the GUI thread (bringing its store up to the files may write it), with "Hledat" off
// until the answer is in.
#pragma once

#include "core/app/station_runtime.h"
#include "core/records/battery_history.h"

#include <QPointer>
#include <QThread>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kapsorel::ui {

class BatteryHistoryWindow final : public QWidget {
    Q_OBJECT
  public:
    using OpenTest = std::function<void(const std::filesystem::path&)>;

    // `openTest` opens a test file, `printTest` prints its chart report.
    BatteryHistoryWindow(StationRuntime& runtime, OpenTest openTest, OpenTest printTest, QWidget* parent);
    // Waits for a look-up still running.
    ~BatteryHistoryWindow() override;

    // Shows the window and looks up `batteryNumber` (when not empty).
    void showFor(const std::string& batteryNumber);
    // Looks up the battery number in the box; `done` runs once the table is filled.
    void find(std::function<void()> done = {});
    const std::vector<HistoryEntry>& entries() const { return entries_; }

  signals:
    void message(const std::string& text);

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void fill(std::vector<HistoryEntry> entries);
    void openChosen();
    void printChosen();
    // The test of the chosen row; nullptr when no row is chosen.
    const HistoryEntry* chosen() const;

    StationRuntime& runtime_;
    OpenTest openTest_;
    OpenTest printTest_;
    QLineEdit* battery_;
    QPushButton* findButton_;
    QTableWidget* table_;
    QPushButton* openButton_;
    QPushButton* printButton_;
    QLabel* status_;
    std::vector<HistoryEntry> entries_;
    QPointer<QThread> lookup_;
    bool placed_ = false;
};

} // namespace kapsorel::ui
