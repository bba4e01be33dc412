#include "ui/main/manual_test_window.h"

#include "ui/common/decimal_box.h"
#include "ui/common/window_placement.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "TFRucne";
constexpr double kChargeCurrentLimit = 22.0;
constexpr double kDischargeCurrentLimit = 60.0;

QDoubleSpinBox* decimalBox(QWidget* parent, const char* name, double maximum)
{
    auto* box = new DecimalBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setRange(0.0, maximum);
    return box;
}

} // namespace

ManualTestWindow::ManualTestWindow(ConfigFile& config, QWidget* parent) : QDialog(parent), config_(config)
{
    setObjectName(QStringLiteral("TFRucne"));
    setWindowTitle(QStringLiteral("Ruční spuštění"));
    setModal(true);
    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    auto* groupLayout = new QVBoxLayout(group);
    charge_ = new QRadioButton(QStringLiteral("Nabíjet"), group);
    charge_->setObjectName(QStringLiteral("RadioGroup1_0"));
    discharge_ = new QRadioButton(QStringLiteral("Vybíjet"), group);
    discharge_->setObjectName(QStringLiteral("RadioGroup1_1"));
    groupLayout->addWidget(charge_);
    groupLayout->addWidget(discharge_);

    voltage_ = decimalBox(this, "ss_nap", 36.0);
    current_ = decimalBox(this, "ss_proud", kChargeCurrentLimit);
    period_ = new QSpinBox(this);
    period_->setObjectName(QStringLiteral("ss_perioda"));
    period_->setRange(10, 255);
    period_->setSuffix(QStringLiteral(" s"));
    seconds_ = new QSpinBox(this);
    seconds_->setObjectName(QStringLiteral("ss_cas"));
    seconds_->setRange(0, INT_MAX);
    seconds_->setSuffix(QStringLiteral(" s"));

    auto* form = new QFormLayout;
    voltageLabel_ = new QLabel(QStringLiteral("Napětí"), this);
    voltageLabel_->setBuddy(voltage_);
    form->addRow(voltageLabel_, voltage_);
    const auto labelled = [&](const QString& text, QWidget* field) {
        auto* l = new QLabel(text, this);
        l->setBuddy(field);
        form->addRow(l, field);
    };
    labelled(QStringLiteral("Proud"), current_);
    labelled(QStringLiteral("Perioda"), period_);
    labelled(QStringLiteral("Čas"), seconds_);

    auto* start = new QPushButton(QStringLiteral("Start"), this);
    start->setObjectName(QStringLiteral("LMDButton1"));
    start->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Zruš"), this);
    cancel->setObjectName(QStringLiteral("LMDButton2"));
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(form);
    layout->addLayout(buttons);

    // Stored values (tenths for the decimals).
    const bool discharging = config_.readInt(kSection, "RadioGroup1", 0) == 1;
    (discharging ? discharge_ : charge_)->setChecked(true);
    applyMode();
    voltage_->setValue(config_.readInt(kSection, "ss_nap", 360) / 10.0);
    current_->setValue(config_.readInt(kSection, "ss_proud", 10) / 10.0);
    period_->setValue(config_.readInt(kSection, "ss_perioda", 60));
    seconds_->setValue(config_.readInt(kSection, "ss_cas", 3600));
    connect(charge_, &QRadioButton::toggled, this, &ManualTestWindow::applyMode);
    restorePlacement(*this, config_, kSection);
}

void ManualTestWindow::applyMode()
{
    const bool discharging = discharge_->isChecked();
    voltage_->setVisible(!discharging);
    voltageLabel_->setVisible(!discharging);
    current_->setMaximum(discharging ? kDischargeCurrentLimit : kChargeCurrentLimit);
}

ManualRun ManualTestWindow::values() const
{
    ManualRun run;
    run.discharge = discharge_->isChecked();
    run.voltage = static_cast<float>(voltage_->value());
    run.current = static_cast<float>(current_->value());
    run.period = static_cast<std::uint16_t>(period_->value());
    run.seconds = static_cast<std::uint32_t>(seconds_->value());
    return run;
}

void ManualTestWindow::store()
{
    config_.writeInt(kSection, "RadioGroup1", discharge_->isChecked() ? 1 : 0);
    config_.writeInt(kSection, "ss_nap", static_cast<std::int32_t>(std::lround(voltage_->value() * 10.0)));
    config_.writeInt(kSection, "ss_proud", static_cast<std::int32_t>(std::lround(current_->value() * 10.0)));
    config_.writeInt(kSection, "ss_perioda", period_->value());
    config_.writeInt(kSection, "ss_cas", seconds_->value());
    savePlacement(*this, config_, kSection);
}

std::optional<ManualRun> ManualTestWindow::ask()
{
    const int result = exec();
    store();
    if (result != QDialog::Accepted)
        return std::nullopt;
    return values();
}

} // namespace kapsorel::ui
