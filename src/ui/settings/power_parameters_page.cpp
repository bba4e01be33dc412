#include "ui/settings/power_parameters_page.h"

#include "core/service/power_parameters.h"
#include "ui/common/decimal_box.h"
#include "ui/common/refusal.h"
#include "ui/service/service_job.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace kapsorel::ui {

PowerParametersPage::PowerParametersPage(ModuleJobRunner& powerJobs, QWidget* parent)
    : QWidget(parent), jobs_(powerJobs)
{
    delay_ = new QSpinBox(this);
    delay_->setObjectName(QStringLiteral("Pzdelay"));
    delay_->setRange(0, 255);
    delay_->setValue(10);
    minVoltage_ = new DecimalBox(this);
    minVoltage_->setObjectName(QStringLiteral("pmin_nap"));
    minVoltage_->setDecimals(1);
    minVoltage_->setSingleStep(0.1);
    minVoltage_->setRange(0.5, 1.0);
    minVoltage_->setValue(0.5);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("Doba prvního nastavení zdroje [s]"), delay_);
    form->addRow(QStringLiteral("Min. napětí při kontrole [V]"), minVoltage_);

    auto* note = new QLabel(QStringLiteral("Tyto hodnoty jsou součástí nastavení výkonového modulu (adresa 336). "
                                           "Před uložením je načtěte, ať se nepřepíše změna provedená v okně "
                                           "\"Nastavení modulů\"."),
                            this);
    note->setObjectName(QStringLiteral("parametry_poznamka"));
    note->setWordWrap(true);

    commands_ = new QWidget(this);
    read_ = new QPushButton(QStringLiteral("Načti"), commands_);
    read_->setObjectName(QStringLiteral("parametry_nacti"));
    write_ = new QPushButton(QStringLiteral("Ulož"), commands_);
    write_->setObjectName(QStringLiteral("parametry_uloz"));
    write_->setEnabled(false);
    auto* commandRow = new QHBoxLayout(commands_);
    commandRow->setContentsMargins(0, 0, 0, 0);
    commandRow->addWidget(read_);
    commandRow->addWidget(write_);
    commandRow->addStretch();
    connect(read_, &QPushButton::clicked, this, &PowerParametersPage::read);
    connect(write_, &QPushButton::clicked, this, &PowerParametersPage::write);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("parametry_ok"));
    auto* cancel = new QPushButton(QStringLiteral("Zruš"), this);
    cancel->setObjectName(QStringLiteral("parametry_zrus"));
    connect(ok, &QPushButton::clicked, this, &PowerParametersPage::finished);
    connect(cancel, &QPushButton::clicked, this, &PowerParametersPage::finished);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(commands_);
    layout->addWidget(note);
    layout->addStretch();
    layout->addLayout(buttons);
}

void PowerParametersPage::read()
{
    runServiceJob<Result<PowerParameters>>(
        jobs_, commands_, [](ModuleLink& power) { return readPowerParameters(power); },
        [this](const Result<PowerParameters>& read) {
            if (!read) {
                showRefusal(this, read.error());
                return;
            }
            delay_->setValue(read->firstSourceDelaySeconds);
            // Values outside the field's range are shown as the field allows.
            const double volts = double(read->checkMinVoltage);
            minVoltage_->setValue(std::isfinite(volts) ? volts : minVoltage_->minimum());
            write_->setEnabled(true);
        });
}

void PowerParametersPage::write()
{
    PowerParameters p;
    p.firstSourceDelaySeconds = static_cast<std::uint8_t>(delay_->value());
    p.checkMinVoltage = static_cast<float>(minVoltage_->value());
    runServiceJob<Status>(
        jobs_, commands_, [p](ModuleLink& power) { return writePowerParameters(power, p); },
        [this](const Status& written) {
            if (!written)
                showRefusal(this, written.error());
        });
}

} // namespace kapsorel::ui
