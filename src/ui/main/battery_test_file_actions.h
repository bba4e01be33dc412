// "Otevři", "Ulož" and "Archivuj soubor": reading a test file into the panel and the record
// windows (off the GUI thread, with progress and "Zrušit", the tables handed over at the
// end), and the copies, which run off the GUI thread with their item disabled while they
// sync to the disk. "Export CSV" is its part CsvExportAction; "Historie baterie" opens the
// battery history window, from which a test is opened or its chart report printed.
#pragma once

#include "core/app/station_runtime.h"
#include "core/definitions/battery_table.h"
#include "ui/common/open_progress.h"

#include <QObject>
#include <QPointer>
#include <QThread>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QWidget;

namespace kapsorel::ui {

class BatteryHistoryWindow;
class OperatorPanel;
class RecordWindows;
struct MainActions;

class BatteryTestFileActions final : public QObject {
    Q_OBJECT
  public:
    BatteryTestFileActions(StationRuntime& runtime, const BatteryTable& types, MainActions& actions,
                           OperatorPanel& panel, RecordWindows& records, QWidget* owner);
    // Waits for the copies still running.
    ~BatteryTestFileActions() override;

    // A file is being read: the refresh leaves the tables and the test file alone.
    bool loading() const { return loading_; }

    void open();
    // Reads the test file at `path`; false when it could not be read (the message is shown).
    bool openAt(const std::filesystem::path& path);
    void save();
    // "Ulož" to `path`; `done` runs once the copy has ended.
    void saveTo(const std::filesystem::path& path, std::function<void()> done = {});
    // "Archivuj soubor"; `done` runs once the copy has ended.
    void archive(std::function<void()> done = {});
    // "Historie baterie", for the battery number in the panel.
    void showHistory();

    // The interrupted-test check when the window is first shown, read into the same tables
    // with the same progress.
    InterruptedTestCheck checkInterruptedTest();

  signals:
    void message(const std::string& text);
    // A file was read: the header goes to the panel, the caption and Start's image follow.
    void opened();
    // "Otevři" cancelled: there is no current test file any more.
    void forgotten();

  private:
    // Runs `read` off the GUI thread with the open's progress dialog; the refresh leaves the
    // tables alone meanwhile.
    void readOffGuiThread(const OpenProgressDialog::Reading& read);
    void runFileWork(std::function<std::string()> work, std::function<void()> done);
    // "Otevři" and "Tisk" of the history window; opening is refused while a run is on,
    // printing is not (a test other than the open one is read apart from it).
    bool openFromHistory(const std::filesystem::path& path);
    void printFromHistory(const std::filesystem::path& path);

    StationRuntime& runtime_;
    const BatteryTable& types_;
    MainActions& actions_;
    OperatorPanel& panel_;
    RecordWindows& records_;
    QWidget* owner_;
    bool loading_ = false;
    std::vector<QPointer<QThread>> work_;
    QPointer<BatteryHistoryWindow> history_;
};

} // namespace kapsorel::ui
