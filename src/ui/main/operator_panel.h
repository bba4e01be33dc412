// The operator panel (`Panel1`): battery type, procedure, battery number, operator, start
// date and time, and note, with their labels as buddies; docked at the top or at the left.
#pragma once

#include "core/app/config_file.h"
#include "core/app/start_battery_test.h"
#include "core/base/day_time.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/procedure_index.h"
#include "core/records/battery_test_records.h"

#include <QWidget>
#include <string>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

namespace kapsorel::ui {

class OperatorPanel final : public QWidget {
    Q_OBJECT
  public:
    // `types` and `index` are the station's definitions; they outlive the panel.
    OperatorPanel(const BatteryTable& types, const ProcedureIndex& index, QWidget* parent = nullptr);

    // Fills "Měřil" with the sorted operator names, choosing the stored one.
    void setOperators(const std::vector<std::string>& names, const std::string& stored);
    // Lists the battery types, chooses the first and refills the procedures for it.
    // With `keepChoice` the type and procedure chosen before stay chosen where listed.
    void fillBatteryTypes(const std::vector<std::string>& names, bool keepChoice = false);
    void fillProcedures(const QString& typeName);
    // Four label/field groups side by side (top) or one field under another (left).
    void arrange(bool left);

    // What a Start or Ručně takes from the panel.
    BatteryTestStartRequest request() const;
    // Shows a test's header: type, procedure, number, operator, note, start date and time.
    void showHeader(const BatteryTestHeader& header);
    void showStartTime(DayTime start);
    // Chooses a stored battery type and procedure when they are listed.
    void selectChoice(const std::string& batteryType, const std::string& procedure);

    QString batteryType() const;
    QString procedure() const;
    QString operatorName() const;
    QString batteryNumber() const;
    QString note() const;
    // The last field in the Tab order (type, procedure, number, operator, note).
    QWidget* lastField() const;

    void restoreStoredValues(const ConfigFile& config);
    void saveStoredValues(ConfigFile& config) const;

  private:
    static void selectText(QComboBox* box, const std::string& text);

    const BatteryTable& types_;
    const ProcedureIndex& index_;
    QGridLayout* grid_ = nullptr;
    QComboBox* batteryType_ = nullptr;
    QComboBox* procedure_ = nullptr;
    QLineEdit* batteryNumber_ = nullptr;
    QComboBox* operator_ = nullptr;
    QLabel* date_ = nullptr;
    QLabel* time_ = nullptr;
    QLineEdit* note_ = nullptr;
    std::vector<QLabel*> captions_;
};

} // namespace kapsorel::ui
