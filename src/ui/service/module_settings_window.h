// "Nastavení": the module settings window, not modal. Reads, edits, calibrates and writes
// both modules' settings; every exchange runs as a module job with its control disabled
// until the result is back, the whole-module sequences with a progress bar. Messages of
// the core's results go to the status line.
#pragma once

#include "core/service/write_guard.h"

#include <QWidget>
#include <cstdint>
#include <optional>

class QAction;
class QLabel;
class QProgressBar;
class QTabWidget;
class QTimer;

namespace kapsorel {
class StationRuntime;
}

namespace kapsorel::ui {

class MeasureTabs;
class PowerTabs;
class SettingsFileMenu;

class ModuleSettingsWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit ModuleSettingsWindow(StationRuntime& runtime, QWidget* parent = nullptr);

    // Hides the measurement module's tabs for hardware kind 1 (power module only), shows
    // them for 0; other kinds change nothing.
    void applyHardwareKind(std::uint8_t kind);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void showMessage(const QString& text);
    void takeEndpoints();
    // "Načti vše" / "Ulož vše": the power module's sequence, then the measurement module's.
    void runBoth(bool write);
    // Runs one whole-module sequence with the tabs disabled and the progress bar shown.
    void runSequence(bool power, bool write, std::function<void(bool)> then = {});

    StationRuntime& runtime_;
    WriteGuard guard_;
    WriteGate gate_;
    QTabWidget* tabs_ = nullptr;
    PowerTabs* power_ = nullptr;
    MeasureTabs* measure_ = nullptr;
    SettingsFileMenu* files_ = nullptr;
    QWidget* measureNetwork_ = nullptr;
    QWidget* measureModule_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTimer* kindWatch_ = nullptr;
    std::optional<std::uint8_t> appliedKind_;
};

} // namespace kapsorel::ui
