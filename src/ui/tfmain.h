// The operator's main window. Created first; its creation loads the station settings and
// starts the station's workers, its close saves them and ends the workers in order.
// It carries out, on the GUI thread, what the workers ask of the screen.
#pragma once

#include "core/app/station_runtime.h"
#include "core/station/ui_bridge.h"
#include "ui/qt_ui_bridge.h"

#include <QMainWindow>
#include <filesystem>
#include <memory>

class QLabel;
class QActionGroup;

namespace kapsorel::ui {

class TFmain final : public QMainWindow, public UiBridge {
    Q_OBJECT
  public:
    // `home`: the station home (the executable's folder); `configPath`: the configuration file.
    TFmain(const std::filesystem::path& home, const std::filesystem::path& configPath, bool startWorkers = true,
           QWidget* parent = nullptr);
    // The same with the configuration the program has already loaded.
    TFmain(const std::filesystem::path& home, ConfigFile config, bool startWorkers = true, QWidget* parent = nullptr);
    ~TFmain() override;

    StationRuntime& runtime() { return *runtime_; }
    QtUiBridge& bridge() { return *bridge_; }

    // UiBridge, carried out on the GUI thread.
    void showMessage(const std::string& text) override;
    void runStoppedOnLostModule() override;
    void errorAlarm(const std::string& text) override;
    void faultsChanged(std::uint16_t faultBits) override;
    void statusText(const std::string& text) override;
    void signallingPrompt(const std::string& text) override;
    void questionPrompt(const std::string& text) override;
    void runEnded() override;
    void refreshDisplay() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildLiveView();
    void selectFamily(BatteryFamily family);

    std::unique_ptr<QtUiBridge> bridge_;
    std::unique_ptr<StationRuntime> runtime_;
    QLabel* lstanice_ = nullptr;
    QLabel* lversion_ = nullptr;
    QLabel* lstatus_ = nullptr;
    QLabel* lvoltage_ = nullptr;
    QLabel* lcurrent_ = nullptr;
    QLabel* lcapacity_ = nullptr;
    QLabel* ltemperature_ = nullptr;
    QLabel* lmodule_ = nullptr;
    QLabel* lhead_ = nullptr;
    QLabel* lcomm_ = nullptr;
    QList<QLabel*> cells_;
    QActionGroup* families_ = nullptr;
    bool closing_ = false;
};

} // namespace kapsorel::ui
