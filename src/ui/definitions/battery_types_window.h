// "Baterie": the battery types window. A service user edits the battery types of
// "Baterie.cfg" (head, name, chemistry), their variables, allowed procedures and current
// change interval; without service rights it only shows them.
#pragma once

#include "core/app/config_file.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/battery_types_editor.h"
#include "core/definitions/procedure_index.h"

#include <QDialog>
#include <filesystem>
#include <string>

class QLabel;
class QPushButton;
class QSpinBox;

namespace kapsorel::ui {

class AllowedProceduresModel;
class BatteryTypesModel;
class BatteryVariablesModel;
class GridView;

class BatteryTypesWindow final : public QDialog {
    Q_OBJECT
  public:
    // Loads the battery types and the procedure index of the station at `home`. The
    // caller runs exec() and then reloads the definitions the rest of the program uses.
    BatteryTypesWindow(const std::filesystem::path& home, ConfigFile& config, bool serviceRights,
                       QWidget* parent = nullptr);
    // The grids and their models go before the table they show.
    ~BatteryTypesWindow() override;

    // The battery type whose values the right-hand grids show (−1 = none).
    int selectedType() const { return selected_; }
    const BatteryTable& table() const { return table_; }

    // Closing asks about unsaved changes: "Ano" saves, "Ne" takes the file's table back.
    // The window stays open when the save fails or the question is closed unanswered.
    void done(int result) override;

  private:
    QPushButton* button(const char* name, const QString& text, const QString& tip);
    void buildWindow();
    void showReport(const FileReport& report);
    void showMessage(const QString& text);
    void selectType(int row);
    void showType();
    void updateButtons();

    void addType();
    void removeType();
    void moveType(bool up);
    void addVariable();
    void removeVariable();
    void copyType();
    void pasteType();
    void save();
    void editInterval(int value);

    ConfigFile& config_;
    bool serviceRights_;
    std::string stationName_;
    BatteryTable table_;
    ProcedureIndex index_;
    BatteryTypesEditor editor_;
    int selected_ = -1;

    BatteryTypesModel* typesModel_ = nullptr;
    BatteryVariablesModel* variablesModel_ = nullptr;
    AllowedProceduresModel* allowedModel_ = nullptr;
    GridView* types_ = nullptr;
    GridView* variables_ = nullptr;
    GridView* allowed_ = nullptr;
    QSpinBox* interval_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* paste_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* addVariable_ = nullptr;
    QPushButton* removeVariable_ = nullptr;
};

} // namespace kapsorel::ui
