// The power module's network, settings and calibration tabs and its whole-module sequences.
#include "ui/service/power_tabs.h"

#include "core/service/settings_checks.h"
#include "ui/common/decimal_box.h"
#include "ui/service/module_write.h"
#include "ui/service/network_tab.h"
#include "ui/service/power_calibration.h"
#include "ui/service/power_other_pages.h"
#include "ui/service/sections_tab.h"
#include "ui/service/service_job.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kapsorel::ui {

PowerTabs::PowerTabs(const ServiceContext& context, QWidget* parent) : QObject(parent), context_(context)
{
    network_ = new NetworkTab(QStringLiteral("p"), QStringLiteral("vyk"), false, parent);
    module_ = new QTabWidget(parent);
    module_->setObjectName(QStringLiteral("pmodul"));
    module_->addTab(settingsPage(), QStringLiteral("  Nastavení  "));
    calibration_ = new PowerCalibration(context_, images_.adc, module_);
    connect(calibration_, &PowerCalibration::message, this, &PowerTabs::message);
    module_->addTab(calibration_, QStringLiteral("  Kalibrace  "));
    sections_ = new SectionsTab(context_, images_.sections, module_);
    connect(sections_, &SectionsTab::message, this, &PowerTabs::message);
    module_->addTab(sections_, QStringLiteral("  Sekce  "));
    other_ = new PowerOtherPages(context_, module_);
    connect(other_, &PowerOtherPages::message, this, &PowerTabs::message);
    module_->addTab(other_, QStringLiteral("  Ostatní  "));

    connect(network_, &NetworkTab::message, this, &PowerTabs::message);
    network_->connectJobs(
        context_, images_.network, images_.ports, blocks::kPowerNetwork | blocks::kPowerPorts,
        [](ModuleLink& l) { return readPowerNetwork(l); },
        [](ModuleLink& l, const WriteGate& gate, const NetworkFields& n, const PortsFields& p,
           const NetworkImages& previous) { return writePowerNetwork(l, gate, n, p, previous); });
}

QWidget* PowerTabs::settingsPage()
{
    auto* page = new QWidget(module_);
    auto* form = new QFormLayout;
    auto byteBox = [page](const char* name, int maximum, int start) {
        auto* box = new QSpinBox(page);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(0, maximum);
        box->setValue(start);
        return box;
    };
    for (std::size_t i = 0; i < singles_.size(); ++i) {
        const PowerSettingsSingle& field = kPowerSettingsSingles[i];
        auto* box = new DecimalBox(page);
        box->setObjectName(QString::fromLatin1(field.name));
        box->setDecimals(field.decimals);
        box->setRange(-kSingleFieldLimit, kSingleFieldLimit);
        singles_[i] = box;
        shownSettings_.*field.value = field.start;
    }
    sourceAddress_ = byteBox("padr_zdroje", 255, 0);
    fanConfig_ = byteBox("pfan_cfg", 255, 0);
    fanRunOn_ = byteBox("pfan_dobeh", 65535, 120);
    firstDelay_ = byteBox("Pzdelay", 255, 10);
    shownSettings_.fanRunOnSeconds = 120;
    shownSettings_.firstSourceDelaySeconds = 10;
    showSettings(shownSettings_);
    auto single = [this, form](std::size_t i) {
        addBuddyRow(form, QString::fromUtf8(kPowerSettingsSingles[i].caption), singles_[i]);
    };
    single(0);
    single(1);
    addBuddyRow(form, QStringLiteral("I2C adresa zdroje"), sourceAddress_);
    addBuddyRow(form, QStringLiteral("FAN config"), fanConfig_);
    addBuddyRow(form, QStringLiteral("Doběh ventilátorů [s]"), fanRunOn_);
    for (std::size_t i = 2; i <= 6; ++i)
        single(i);
    auto* dac = new QHBoxLayout;
    dac->addWidget(singles_[7]);
    auto* calibrate = namedButton(QStringLiteral("Kalibrace"), QStringLiteral("bkal_dac"), page);
    dac->addWidget(calibrate);
    auto* dacLabel = new QLabel(QString::fromUtf8(kPowerSettingsSingles[7].caption), page);
    dacLabel->setBuddy(singles_[7]);
    form->addRow(dacLabel, dac);
    addBuddyRow(form, QStringLiteral("Doba prvního nastavení zdroje [s]"), firstDelay_);
    single(8);

    auto* read = namedButton(QStringLiteral("Načti"), QStringLiteral("nnacti"), page);
    auto* write = namedButton(QStringLiteral("Ulož"), QStringLiteral("nuloz"), page);
    connect(read, &QPushButton::clicked, this, [this, read] {
        runServiceJob<Result<PowerSettingsBlock>>(context_.runner, read, &readPowerSettings,
                                                  [this](const Result<PowerSettingsBlock>& r) {
                                                      if (!r.ok())
                                                          return emit message(qs(r.error()));
                                                      images_.settings = *r;
                                                      context_.guard.markKnown(blocks::kPowerSettings);
                                                      showSettings(*r);
                                                      emit message(QString());
                                                  });
    });
    connect(write, &QPushButton::clicked, this, [this, write] {
        const auto block = settingsFromFields();
        const WriteGate& gate = context_.gate;
        runServiceJob<Status>(
            context_.runner, write, [&gate, block](ModuleLink& l) { return writePowerSettings(l, gate, block); },
            [this, block](const Status& s) {
                if (s.ok())
                    images_.settings = block;
                emit message(qs(s.error()));
            });
    });
    connect(calibrate, &QPushButton::clicked, this, [this, calibrate] {
        const SharedRunState& run = context_.run;
        runServiceJob<Status>(
            context_.runner, calibrate, [&run](ModuleLink& l) { return calibrateDac(l, run); },
            [this](const Status& s) { emit message(qs(s.error())); });
    });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(read);
    buttons->addWidget(write);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addStretch();
    return page;
}

PowerSettingsBlock PowerTabs::settingsFromFields() const
{
    PowerSettingsBlock b = images_.settings;
    for (std::size_t i = 0; i < singles_.size(); ++i) {
        const auto member = kPowerSettingsSingles[i].value;
        b.*member = keptOrEntered(shownSettings_.*member, shownValues_[i], singles_[i]->value());
    }
    b.sourceI2cAddress = static_cast<std::uint8_t>(sourceAddress_->value());
    b.fanConfig = static_cast<std::uint8_t>(fanConfig_->value());
    b.fanRunOnSeconds = static_cast<std::uint16_t>(fanRunOn_->value());
    b.firstSourceDelaySeconds = static_cast<std::uint8_t>(firstDelay_->value());
    return b;
}

void PowerTabs::showSettings(const PowerSettingsBlock& b)
{
    // The boxes round to their decimals; what they show stands for the block's exact values.
    shownSettings_ = b;
    for (std::size_t i = 0; i < singles_.size(); ++i) {
        singles_[i]->setValue(static_cast<double>(b.*kPowerSettingsSingles[i].value));
        shownValues_[i] = singles_[i]->value();
    }
    sourceAddress_->setValue(b.sourceI2cAddress);
    fanConfig_->setValue(b.fanConfig);
    fanRunOn_->setValue(b.fanRunOnSeconds);
    firstDelay_->setValue(b.firstSourceDelaySeconds);
}

void PowerTabs::showAll()
{
    network_->show({images_.network, images_.ports});
    showSettings(images_.settings);
    calibration_->show(images_.adc);
    sections_->show(images_.sections);
}

void PowerTabs::applyHardwareKind(std::uint8_t kind)
{
    sections_->applyHardwareKind(kind);
    other_->applyHardwareKind(kind);
}

void PowerTabs::readModule(QWidget* control, std::function<void(bool)> then)
{
    const ServiceProgress progress = progressTo(context_.progress);
    runModuleSequence<PowerImages>(
        context_.runner, control, [progress](ModuleLink& l) { return readPowerModule(l, progress); }, images_,
        [this] {
            context_.guard.markKnown(blocks::kPowerModule);
            showAll();
        },
        [this](const QString& text) { emit message(text); }, std::move(then));
}

Result<PowerImages> PowerTabs::imagesFromFields() const
{
    PowerImages images = images_;
    images.settings = settingsFromFields();
    images.sections = sections_->blockFromGrids();
    auto adc = calibration_->image(images_.adc);
    if (!adc.ok())
        return Error{adc.error()};
    images.adc = *adc;
    if (const Status network = takeNetworkFields(images, *network_, images_); !network.ok())
        return Error{network.error()};
    return images;
}

void PowerTabs::takeImages(const PowerImages& images)
{
    images_ = images;
    showAll();
}

void PowerTabs::writeModule(QWidget* control, std::function<void(bool)> then)
{
    auto fields = imagesFromFields();
    if (!fields.ok()) {
        emit message(qs(fields.error()));
        return then(false);
    }
    writeWholeModule(
        context_, *network_, control, *fields, images_, &writePowerModule,
        [this](const QString& text) { emit message(text); }, std::move(then));
}

} // namespace kapsorel::ui
