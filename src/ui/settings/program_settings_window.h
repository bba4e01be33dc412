// The program settings window "Nastavení programu": folders, operators, cell thresholds and
// colours, report texts, icon size, fault signalling, hardware kind, the operator panel's
// position, "Přerušení procesu" and, for service users, the power module parameters. Each
// page has its own "OK" and "Zruš", and each of them closes the window. It edits the
// station's settings in memory; the program writes them to the configuration file at its end.
#pragma once

#include "core/app/station_runtime.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace kapsorel::ui {

class BatteryPage;
class PowerParametersPage;
class TextsPage;
class UsersPage;

// What the window changes in the main window.
struct ProgramSettingsHost {
    // The operator list in its order and the operator selected in it.
    std::function<std::vector<std::string>()> operators;
    std::function<std::string()> selectedOperator;
    // Refills the operator list and selects `select` (the first entry when it is gone).
    std::function<void(const std::vector<std::string>& names, const std::string& select)> setOperators;
    // The settings' icon size and panel position applied to the main window.
    std::function<void()> applyIconSize;
    std::function<void()> applyPanelPosition;
};

class ProgramSettingsWindow final : public QDialog {
    Q_OBJECT
  public:
    // Loads the texts and applies the stored panel position.
    ProgramSettingsWindow(StationRuntime& runtime, ProgramSettingsHost host, QWidget* parent = nullptr);

    // Fills the controls from the settings and the operator list: "Druh HW" is shown from
    // user level 1, "  Parametry  " only at level 2 (service).
    void prepare(std::uint8_t userLevel);

    TextsPage* texts() const { return texts_; }
    PowerParametersPage* powerParameters() const { return parameters_; }

    // Closes the window unless the texts' question wanted a save that failed; keeps its
    // placement and page.
    void done(int result) override;

  private:
    QWidget* buildFoldersPage();
    QWidget* buildOtherPage();
    void acceptFolders();
    void acceptUsers();
    void acceptOther();
    void cancelOther();
    void chooseIconSize(int size);
    void choosePanelPosition(int position);

    StationRuntime& runtime_;
    ProgramSettingsHost host_;
    QTabWidget* pages_ = nullptr;
    QLineEdit* dataFolder_ = nullptr;
    QLineEdit* archiveFolder_ = nullptr;
    UsersPage* users_ = nullptr;
    BatteryPage* battery_ = nullptr;
    TextsPage* texts_ = nullptr;
    QComboBox* iconSize_ = nullptr;
    QSpinBox* faultSignalling_ = nullptr;
    QComboBox* panelPosition_ = nullptr;
    QLabel* hardwareLabel_ = nullptr;
    QComboBox* hardwareKind_ = nullptr;
    QCheckBox* ignoreInterruptions_ = nullptr;
    PowerParametersPage* parameters_ = nullptr;
    QWidget* parametersTab_ = nullptr;
    std::uint8_t confirmedIconSize_ = 0;
    bool filling_ = false;
};

} // namespace kapsorel::ui
