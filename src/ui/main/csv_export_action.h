// "Soubor" → "Export CSV": the current test file exported to CSV and a step summary beside
// it, off the GUI thread, with a progress box that can cancel it; the item stays disabled
// until the export has ended.
#pragma once

#include "core/app/station_runtime.h"

#include <QObject>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QProgressDialog;
class QTimer;
class QWidget;

namespace kapsorel::ui {

struct MainActions;

class CsvExportAction final : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kNothingToExport = "Není co exportovat";

    CsvExportAction(StationRuntime& runtime, MainActions& actions, QWidget* owner, QObject* parent);
    // Cancels an export still running and waits for it.
    ~CsvExportAction() override;

    // Asks for the CSV file (beside the test file by default) and exports into it.
    void chooseAndExport();
    // Exports the current test file into `csvFile`; `done` runs on the GUI thread once the
    // export has ended (also when it was refused or cancelled).
    void exportTo(const std::filesystem::path& csvFile, std::function<void()> done = {});
    bool running() const { return thread_ != nullptr; }
    // The progress box's "Zruš".
    void cancel() { cancel_->store(true); }

  signals:
    void message(const std::string& text);

  private:
    void finished(const std::string& text, std::function<void()> done);

    StationRuntime& runtime_;
    MainActions& actions_;
    QWidget* owner_;
    QPointer<QThread> thread_;
    QProgressDialog* progress_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    // Shared with the export's thread, which may outlive a cancelled wait only by moments.
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<int>> permille_ = std::make_shared<std::atomic<int>>(0);
};

} // namespace kapsorel::ui
