// "Postupy": the procedure editor. The list of procedures on the left, the steps of the
// selected one on the right; every change goes through the editor state, which keeps the
// buffer bound to the procedure it was loaded from.
#pragma once

#include "core/app/config_file.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/procedure_editor_state.h"
#include "core/definitions/procedure_index.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kapsorel::ui {

class StepGrid;

class ProcedureEditorWindow final : public QDialog {
    Q_OBJECT
  public:
    // `index` must be loaded; it and `batteries` outlive the window.
    ProcedureEditorWindow(ProcedureIndex& index, const BatteryTable& batteries, ConfigFile& config, bool serviceRights,
                          QWidget* parent = nullptr);

    const ProcedureEditorState& state() const { return state_; }
    StepGrid& grid() { return *grid_; }

    // The procedure list's row to select, asking about unsaved steps first.
    void selectProcedure(int position);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    QWidget* buildList();
    QWidget* buildSteps();
    void fillList();
    void fillSteps();
    void updateButtons();
    bool report(const Status& status);
    Status editCell(int step, int column, const QString& text);
    void renamed(int row);
    void addProcedure();
    void deleteProcedure();
    void moveProcedure(bool up);
    void appendSteps();
    void removeStep();
    void moveStep(bool up);
    void copyProcedure();
    void pasteProcedure();
    void save();
    void checkModeToggled(bool on);
    void batteryTypeChosen(int choice);
    void editCondition(int step, int column);
    void pickVariable(int step, int column);
    bool askToClose();

    ProcedureEditorState state_;
    const BatteryTable& batteries_;
    ConfigFile& config_;
    bool filling_ = false;
    bool closed_ = false;
    std::vector<CheckModeChoice> choices_;

    QTableWidget* list_ = nullptr;
    QPushButton* addProcedure_ = nullptr;
    QPushButton* deleteProcedure_ = nullptr;
    QPushButton* procedureDown_ = nullptr;
    QPushButton* procedureUp_ = nullptr;
    QLineEdit* note_ = nullptr;
    QCheckBox* checkMode_ = nullptr;
    QComboBox* batteryType_ = nullptr;
    StepGrid* grid_ = nullptr;
    QPushButton* addStep_ = nullptr;
    QPushButton* removeStep_ = nullptr;
    QPushButton* stepDown_ = nullptr;
    QPushButton* stepUp_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* paste_ = nullptr;
    QPushButton* save_ = nullptr;
};

} // namespace kapsorel::ui
