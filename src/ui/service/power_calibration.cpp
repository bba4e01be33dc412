// The power module's calibration pages.
#include "ui/service/power_calibration.h"

#include "core/base/numbers.h"
#include "core/service/calibration.h"
#include "core/service/power_settings_jobs.h"
#include "ui/service/adc_panel.h"
#include "ui/service/service_job.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstdio>

namespace kapsorel::ui {
namespace {

AdcPanelSpec recordSpec(std::size_t k)
{
    const auto channel = static_cast<PowerChannel>(k);
    AdcPanelSpec s;
    s.readRaw = [channel](ModuleLink& link) { return readPowerRaw(link, channel); };
    s.measure = [channel](ModuleLink& link) { return measurePowerChannel(link, channel); };
    if (k == PowerAdcImage::kCurrentRecord) {
        s.spi = true;
        s.address = "cmux";
        s.gain = "cgain";
        s.rate = "csps";
        s.offset = "offs_SPI_AD_0";
        s.constant = "konst_SPI_AD_0";
        s.rawMin = "min_lsbpr";
        s.rawMax = "max_lsbpr";
        s.refMin = "min_pr";
        s.refMax = "max_pr";
        s.value = "m_proud";
        s.buttons = "pr";
        s.upperDefault = 36.0;
        s.valueFormat = "%7.3fA";
        return s;
    }
    const std::string n = std::to_string(k);
    s.address = "adr_I2C_AD_" + n;
    s.gain = "igain" + n;
    s.rate = "isps" + n;
    s.offset = "offs_I2C_AD_" + n;
    s.constant = "konst_I2C_AD_" + n;
    s.rawMin = "min_lsbn" + n;
    s.rawMax = "max_lsbn" + n;
    s.refMin = "min_nap" + n;
    s.refMax = "max_nap" + n;
    s.value = "m_nap" + n;
    s.buttons = "n" + n;
    s.constantDecimals = k == 2 ? 6 : 7;
    s.upperDefault = k <= 2 ? 36.0 : 0.0;
    s.valueFormat = k <= 1 ? "%7.3fV" : "%6.2fV";
    return s;
}

} // namespace

PowerCalibration::PowerCalibration(const ServiceContext& context, PowerAdcImage& adcImage, QWidget* parent)
    : QTabWidget(parent), context_(context), adcImage_(adcImage)
{
    setObjectName(QStringLiteral("pkalibrace"));
    addTab(recordPage(PowerAdcImage::kCurrentRecord, QStringLiteral("pr")), QStringLiteral(" Proud "));
    addTab(recordPage(0, QStringLiteral("n0")), QStringLiteral(" Napětí 1 "));
    addTab(recordPage(1, QStringLiteral("n1")), QStringLiteral("Napětí 2 "));
    addTab(recordPage(2, QStringLiteral("n2")), QStringLiteral("Napětí 3 "));
    addTab(insulationPage(), QStringLiteral(" Izolace "));
    addTab(otherPage(), QStringLiteral(" Ostatní "));
}

QWidget* PowerCalibration::recordPage(std::size_t k, const QString& suffix)
{
    auto* page = new QWidget(this);
    panels_[k] = new AdcPanel(recordSpec(k), context_.runner, page);
    connect(panels_[k], &AdcPanel::message, this, &PowerCalibration::message);
    auto* read = namedButton(QStringLiteral("Načti"), QStringLiteral("knacti_") + suffix, page);
    auto* write = namedButton(QStringLiteral("Ulož"), QStringLiteral("kuloz_") + suffix, page);
    connect(read, &QPushButton::clicked, this, [this, read, k] { readRecords(read, k, k); });
    connect(write, &QPushButton::clicked, this, [this, write, k] { writeRecords(write, k, k); });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(read);
    buttons->addWidget(write);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(panels_[k]);
    layout->addLayout(buttons);
    layout->addStretch();
    return page;
}

QWidget* PowerCalibration::insulationPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QGridLayout(page);
    for (std::size_t k = 3; k <= 4; ++k) {
        panels_[k] = new AdcPanel(recordSpec(k), context_.runner, page);
        connect(panels_[k], &AdcPanel::message, this, &PowerCalibration::message);
        auto* title = new QLabel(k == 3 ? QStringLiteral("AD1") : QStringLiteral("AD2"), page);
        layout->addWidget(title, 0, static_cast<int>(k - 3));
        layout->addWidget(panels_[k], 1, static_cast<int>(k - 3));
    }
    auto* read = namedButton(QStringLiteral("Načti"), QStringLiteral("knacti_izol"), page);
    auto* write = namedButton(QStringLiteral("Ulož"), QStringLiteral("kuloz_izol"), page);
    connect(read, &QPushButton::clicked, this, [this, read] { readRecords(read, 3, 4); });
    connect(write, &QPushButton::clicked, this, [this, write] { writeRecords(write, 3, 4); });
    auto* resistance = new QLabel(page);
    resistance->setObjectName(QStringLiteral("m_izol"));
    resistance->setMinimumWidth(100);
    resistance->setFrameShape(QFrame::StyledPanel);
    auto* resistanceLabel = new QLabel(QStringLiteral("Izolační odpor"), page);
    resistanceLabel->setBuddy(resistance);
    auto* measure = namedButton(QStringLiteral("Změř"), QStringLiteral("bzmer_izol"), page);
    connect(measure, &QPushButton::clicked, this, [this, measure, resistance] {
        runServiceJob<Result<float>>(context_.runner, measure, &measureInsulationResistance,
                                     [this, resistance](const Result<float>& r) {
                                         if (!r.ok())
                                             return emit message(qs(r.error()));
                                         resistance->setText(qs(formatNumber("%6.2fkOhm", *r)));
                                         emit message(QString());
                                     });
    });
    auto* row = new QHBoxLayout;
    row->addWidget(read);
    row->addWidget(write);
    row->addSpacing(30);
    row->addWidget(resistanceLabel);
    row->addWidget(resistance);
    row->addWidget(measure);
    row->addStretch();
    layout->addLayout(row, 2, 0, 1, 2);
    return page;
}

QWidget* PowerCalibration::otherPage()
{
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    auto valueLabel = [page](const QString& name) {
        auto* l = new QLabel(page);
        l->setObjectName(name);
        l->setMinimumWidth(80);
        l->setFrameShape(QFrame::StyledPanel);
        return l;
    };
    auto byteField = [page](const QString& name) {
        auto* box = new QSpinBox(page);
        box->setObjectName(name);
        box->setRange(0, 255);
        return box;
    };
    auto* rawCurrent = valueLabel(QStringLiteral("lsb_proud"));
    auto* rawVoltage = valueLabel(QStringLiteral("lsb_nap"));
    auto* currentButton = namedButton(QStringLiteral("Změř proud LSB"), QStringLiteral("bzmer_lsbpr"), page);
    auto* voltageButton = namedButton(QStringLiteral("Změř napětí [LSB]"), QStringLiteral("bzmer_lsbn"), page);
    auto raw = [this](QPushButton* b, QLabel* target, PowerChannel channel) {
        connect(b, &QPushButton::clicked, this, [this, b, target, channel] {
            runServiceJob<Result<std::int16_t>>(
                context_.runner, b, [channel](ModuleLink& l) { return readPowerRaw(l, channel); },
                [this, target](const Result<std::int16_t>& r) {
                    if (!r.ok())
                        emit message(qs(r.error()));
                    else
                        target->setText(qs(signedRawText(*r)));
                });
        });
    };
    raw(currentButton, rawCurrent, PowerChannel::Current);
    raw(voltageButton, rawVoltage, PowerChannel::Voltage1);
    grid->addWidget(currentButton, 0, 0);
    grid->addWidget(rawCurrent, 0, 1);
    grid->addWidget(voltageButton, 1, 0);
    grid->addWidget(rawVoltage, 1, 1);

    auto* reg = byteField(QStringLiteral("spi_reg"));
    auto* regLabel = new QLabel(QStringLiteral("Registr"), page);
    regLabel->setBuddy(reg);
    auto* value = byteField(QStringLiteral("spi_val"));
    auto* valueCaption = new QLabel(QStringLiteral("Hodnota"), page);
    valueCaption->setBuddy(value);
    auto* regValue = valueLabel(QStringLiteral("spi_read"));
    auto* readReg = namedButton(QStringLiteral("Read SPI reg"), QStringLiteral("bread_spi"), page);
    auto* writeReg = namedButton(QStringLiteral("Write SPI reg"), QStringLiteral("bwrite_spi"), page);
    connect(readReg, &QPushButton::clicked, this, [this, readReg, reg, regValue] {
        const long r = reg->value();
        runServiceJob<Result<std::uint8_t>>(
            context_.runner, readReg, [r](ModuleLink& l) { return readSpiRegister(l, r); },
            [this, regValue](const Result<std::uint8_t>& v) {
                if (!v.ok()) {
                    emit message(qs(v.error()));
                    return;
                }
                char text[8];
                std::snprintf(text, sizeof text, "0x%02X", unsigned{*v});
                regValue->setText(QString::fromLatin1(text));
            });
    });
    connect(writeReg, &QPushButton::clicked, this, [this, writeReg, reg, value] {
        const long r = reg->value();
        const long v = value->value();
        const WriteGate& gate = context_.gate;
        runServiceJob<Status>(
            context_.runner, writeReg, [&gate, r, v](ModuleLink& l) { return writeSpiRegister(l, gate, r, v); },
            [this](const Status& s) { emit message(qs(s.error())); });
    });
    grid->addWidget(regLabel, 2, 0);
    grid->addWidget(reg, 2, 1);
    grid->addWidget(readReg, 2, 2);
    grid->addWidget(regValue, 2, 3);
    grid->addWidget(valueCaption, 3, 0);
    grid->addWidget(value, 3, 1);
    grid->addWidget(writeReg, 3, 2);

    auto* config = namedButton(QStringLiteral("Konfig"), QStringLiteral("bkonfig"), page);
    connect(config, &QPushButton::clicked, this, [this, config] {
        runServiceJob<Result<PowerAdcImage>>(context_.runner, config, &readAdcImageConfig,
                                             [this](const Result<PowerAdcImage>& r) {
                                                 if (!r.ok()) {
                                                     emit message(qs(r.error()));
                                                     return;
                                                 }
                                                 // The pages keep their fields: only what no page
                                                 // shows (record 6, the spare bytes) is now known.
                                                 adcImage_ = *r;
                                                 context_.guard.markKnown(blocks::kPowerAdcSpare);
                                                 emit message(QString());
                                             });
    });
    grid->addWidget(config, 4, 0);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(5, 1);
    return page;
}

Result<PowerAdcImage> PowerCalibration::image(const PowerAdcImage& carried) const
{
    PowerAdcImage image = carried;
    for (std::size_t k = 0; k < panels_.size(); ++k) {
        auto record = panels_[k]->record();
        if (!record.ok())
            return Error{record.error()};
        image.records[k] = *record;
    }
    return image;
}

void PowerCalibration::show(const PowerAdcImage& image)
{
    for (std::size_t k = 0; k < panels_.size(); ++k)
        panels_[k]->setRecord(image.records[k]);
}

void PowerCalibration::readRecords(QWidget* control, std::size_t first, std::size_t last)
{
    using Pair = std::pair<AdcRecord, AdcRecord>;
    auto apply = [this](std::size_t k, const AdcRecord& record) {
        adcImage_.records[k] = record;
        panels_[k]->setRecord(record);
        context_.guard.markKnown(blocks::powerAdcRecord(k));
    };
    if (first == last) {
        runServiceJob<Result<AdcRecord>>(
            context_.runner, control, [first](ModuleLink& l) { return readPowerAdcRecord(l, first); },
            [this, apply, first](const Result<AdcRecord>& r) {
                if (!r.ok())
                    return emit message(qs(r.error()));
                apply(first, *r);
                emit message(QString());
            });
        return;
    }
    runServiceJob<Result<Pair>>(context_.runner, control, &readPowerInsulation, [this, apply](const Result<Pair>& r) {
        if (!r.ok())
            return emit message(qs(r.error()));
        apply(3, r->first);
        apply(4, r->second);
        emit message(QString());
    });
}

void PowerCalibration::writeRecords(QWidget* control, std::size_t first, std::size_t last)
{
    auto firstRecord = panels_[first]->record();
    auto lastRecord = panels_[last]->record();
    if (!firstRecord.ok() || !lastRecord.ok())
        return emit message(qs(firstRecord.ok() ? lastRecord.error() : firstRecord.error()));
    const WriteGate& gate = context_.gate;
    const AdcRecord a = *firstRecord;
    const AdcRecord b = *lastRecord;
    runServiceJob<Status>(
        context_.runner, control,
        [&gate, first, last, a, b](ModuleLink& l) {
            return first == last ? writePowerAdcRecord(l, gate, first, a) : writePowerInsulation(l, gate, a, b);
        },
        [this, first, last, a, b](const Status& s) {
            if (s.ok()) {
                adcImage_.records[first] = a;
                adcImage_.records[last] = b;
            }
            emit message(qs(s.error()));
        });
}

} // namespace kapsorel::ui
