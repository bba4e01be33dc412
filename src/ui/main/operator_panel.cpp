#include "ui/main/operator_panel.h"

#include "core/app/user_list.h"
#include "core/base/locale_formats.h"
#include "core/definitions/offered_procedures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace kapsorel::ui {

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

constexpr const char* kSection = "TFmain";

} // namespace

OperatorPanel::OperatorPanel(const BatteryTable& types, const ProcedureIndex& index, QWidget* parent)
    : QWidget(parent), types_(types), index_(index)
{
    setObjectName(QStringLiteral("Panel1"));
    grid_ = new QGridLayout(this);
    batteryType_ = new QComboBox(this);
    batteryType_->setObjectName(QStringLiteral("ctyp_bat"));
    batteryType_->setMinimumContentsLength(16);
    procedure_ = new QComboBox(this);
    procedure_->setObjectName(QStringLiteral("cpostup"));
    procedure_->setMinimumContentsLength(18);
    batteryNumber_ = new QLineEdit(this);
    batteryNumber_->setObjectName(QStringLiteral("Lcislo_bat"));
    batteryNumber_->setMaxLength(static_cast<int>(test_file_layout::kBatteryNumberChars));
    // The number becomes part of a file name.
    batteryNumber_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^/\\\\:*\"?<>|]*")), batteryNumber_));
    operator_ = new QComboBox(this);
    operator_->setObjectName(QStringLiteral("cmeril"));
    date_ = new QLabel(this);
    date_->setObjectName(QStringLiteral("Ldatum"));
    time_ = new QLabel(this);
    time_->setObjectName(QStringLiteral("Lcas"));
    note_ = new QLineEdit(this);
    note_->setObjectName(QStringLiteral("Lpoznamka"));
    note_->setMaxLength(static_cast<int>(test_file_layout::kNoteChars));

    const std::pair<const char*, QWidget*> labelled[] = {{"Typ baterie", batteryType_},
                                                         {"Postup", procedure_},
                                                         {"Číslo baterie", batteryNumber_},
                                                         {"Měřil", operator_},
                                                         {"Datum", date_},
                                                         {"Čas", time_},
                                                         {"Poznámka", note_}};
    for (const auto& [caption, field] : labelled) {
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        l->setBuddy(field);
        captions_.push_back(l);
    }
    // Tab follows the work: type, procedure, number, operator, note (then Start).
    QWidget::setTabOrder(batteryType_, procedure_);
    QWidget::setTabOrder(procedure_, batteryNumber_);
    QWidget::setTabOrder(batteryNumber_, operator_);
    QWidget::setTabOrder(operator_, note_);
    connect(batteryType_, &QComboBox::currentTextChanged, this, &OperatorPanel::fillProcedures);
    arrange(false);
}

void OperatorPanel::setOperators(const std::vector<std::string>& names, const std::string& stored)
{
    QStringList sorted;
    for (const auto& n : names)
        sorted << qs(n);
    sorted.sort(Qt::CaseInsensitive);
    operator_->clear();
    operator_->addItems(sorted);
    std::vector<std::string> ordered;
    for (const auto& n : sorted)
        ordered.push_back(n.toStdString());
    if (auto pick = operatorToSelect(ordered, stored))
        operator_->setCurrentIndex(static_cast<int>(*pick));
}

void OperatorPanel::fillBatteryTypes(const std::vector<std::string>& names, bool keepChoice)
{
    const std::string type = batteryType().toStdString(), chosenProcedure = procedure().toStdString();
    {
        const QSignalBlocker block(batteryType_);
        batteryType_->clear();
        for (const auto& n : names)
            batteryType_->addItem(qs(n));
        batteryType_->setCurrentIndex(batteryType_->count() > 0 ? 0 : -1);
    }
    fillProcedures(batteryType_->currentText());
    if (keepChoice)
        selectChoice(type, chosenProcedure);
}

void OperatorPanel::fillProcedures(const QString& typeName)
{
    procedure_->clear();
    if (typeName.isEmpty())
        return;
    for (const auto& e : offeredProcedures(types_.types(), typeName.toStdString(), index_.entries()))
        procedure_->addItem(qs(e.name), int(e.number));
    procedure_->setCurrentIndex(procedure_->count() > 0 ? 0 : -1);
}

void OperatorPanel::arrange(bool left)
{
    while (QLayoutItem* it = grid_->takeAt(0))
        delete it;
    for (int r = 0; r < grid_->rowCount(); ++r)
        grid_->setRowStretch(r, 0);
    QWidget* fields[] = {batteryType_, procedure_, batteryNumber_, operator_, date_, time_, note_};
    if (left) {
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            grid_->addWidget(captions_[i], int(i) * 2, 0);
            grid_->addWidget(fields[i], int(i) * 2 + 1, 0);
        }
        grid_->setRowStretch(int(std::size(fields)) * 2, 1);
        return;
    }
    // Four label/field groups side by side: type, procedure / number, operator / date,
    // time / note.
    const int place[][2] = {{0, 0}, {1, 0}, {0, 2}, {1, 2}, {0, 4}, {1, 4}, {0, 6}};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        grid_->addWidget(captions_[i], place[i][0], place[i][1]);
        grid_->addWidget(fields[i], place[i][0], place[i][1] + 1);
    }
}

BatteryTestStartRequest OperatorPanel::request() const
{
    BatteryTestStartRequest r;
    r.batteryIndex = types_.findByName(batteryType_->currentText().toStdString());
    const int pos = index_.positionOfName(procedure_->currentText().toStdString());
    r.procedureNumber = pos < 0 ? std::int16_t{-1} : static_cast<std::int16_t>(index_.at(pos).number);
    r.procedureName = procedure_->currentText().toStdString();
    r.operatorName = operator_->currentText().toStdString();
    r.batteryNumber = batteryNumber_->text().toStdString();
    r.note = note_->text().toStdString();
    return r;
}

void OperatorPanel::showHeader(const BatteryTestHeader& header)
{
    selectText(batteryType_, header.batteryType);
    selectText(procedure_, header.procedureName);
    batteryNumber_->setText(qs(header.batteryNumber));
    if (const int at = operator_->findText(qs(header.operatorName)); at >= 0)
        operator_->setCurrentIndex(at);
    note_->setText(qs(header.note));
    showStartTime(header.start);
}

void OperatorPanel::showStartTime(DayTime start)
{
    date_->setText(qs(formatDate(start)));
    time_->setText(qs(formatTime(start)));
}

void OperatorPanel::selectChoice(const std::string& batteryType, const std::string& procedure)
{
    selectText(batteryType_, batteryType);
    selectText(procedure_, procedure);
}

void OperatorPanel::selectText(QComboBox* box, const std::string& text)
{
    if (text.empty())
        return;
    if (const int at = box->findText(qs(text)); at >= 0)
        box->setCurrentIndex(at); // the battery type refills the procedures
}

QString OperatorPanel::batteryType() const
{
    return batteryType_->currentText();
}

QString OperatorPanel::procedure() const
{
    return procedure_->currentText();
}

QString OperatorPanel::operatorName() const
{
    return operator_->currentText();
}

QString OperatorPanel::batteryNumber() const
{
    return batteryNumber_->text();
}

QString OperatorPanel::note() const
{
    return note_->text();
}

QWidget* OperatorPanel::lastField() const
{
    return note_;
}

void OperatorPanel::restoreStoredValues(const ConfigFile& config)
{
    batteryNumber_->setText(qs(config.readString(kSection, "Lcislo_bat", "")));
    note_->setText(qs(config.readString(kSection, "Lpoznamka", "")));
}

void OperatorPanel::saveStoredValues(ConfigFile& config) const
{
    config.writeString(kSection, "Lcislo_bat", batteryNumber_->text().toStdString());
    config.writeString(kSection, "Lpoznamka", note_->text().toStdString());
}

} // namespace kapsorel::ui
