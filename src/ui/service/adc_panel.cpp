// The calibration panel shared by every ADC channel of both modules.
#include "ui/service/adc_panel.h"

#include "core/base/numbers.h"
#include "core/service/calibration.h"
#include "ui/common/decimal_box.h"
#include "ui/service/service_job.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <utility>

namespace kapsorel::ui {
namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

const char* const kI2cRates[] = {"240 SPS (12 bits) (Default)", "60 SPS (14 bits)", "15 SPS (16 bits)",
                                 "3.75 SPS (18 bits)"};
const char* const kI2cGains[] = {"x1 (Default)", "x2", "x4", "x8"};
const char* const kSpiInputs[] = {"AINP = AIN0, AINN = AIN1 (default)",
                                  "AINP = AIN0, AINN = AIN2",
                                  "AINP = AIN0, AINN = AIN3",
                                  "AINP = AIN1, AINN = AIN2",
                                  "AINP = AIN1, AINN = AIN3",
                                  "AINP = AIN2, AINN = AIN3",
                                  "AINP = AIN1, AINN = AIN0",
                                  "AINP = AIN3, AINN = AIN2",
                                  "AINP = AIN0, AINN = AVSS",
                                  "AINP = AIN1, AINN = AVSS",
                                  "AINP = AIN2, AINN = AVSS",
                                  "AINP = AIN3, AINN = AVSS",
                                  "(V(REFPx) – V(REFNx)) / 4 monitor (PGA bypassed)",
                                  "(AVDD – AVSS) / 4 monitor (PGA bypassed)",
                                  "AINP and AINN shorted to (AVDD + AVSS) / 2",
                                  "Not used"};
const char* const kSpiGains[] = {"Gain = 1 (default)", "Gain = 2",  "Gain = 4",  "Gain = 8",
                                 "Gain = 16",          "Gain = 32", "Gain = 64", "Gain = 128"};
const char* const kSpiRates[] = {"20 SPS", "45 SPS", "90 SPS", "175 SPS", "330 SPS", "600 SPS", "1000 SPS", "Not used"};

template <std::size_t N> QComboBox* choices(const std::string& name, const char* const (&items)[N], QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(q(name));
    for (const char* item : items)
        box->addItem(QString::fromUtf8(item));
    return box;
}

QPushButton* button(const QString& caption, const std::string& name, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(q(name));
    return b;
}

} // namespace

AdcPanel::AdcPanel(AdcPanelSpec spec, ModuleJobRunner& runner, QWidget* parent)
    : QWidget(parent), spec_(std::move(spec)), runner_(runner)
{
    auto* form = new QFormLayout;
    auto addRow = [form, this](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    if (spec_.spi) {
        multiplexer_ = choices(spec_.address, kSpiInputs, this);
        gain_ = choices(spec_.gain, kSpiGains, this);
        rate_ = choices(spec_.rate, kSpiRates, this);
        addRow(QStringLiteral("Vstupy"), multiplexer_);
    } else {
        address_ = new QSpinBox(this);
        address_->setObjectName(q(spec_.address));
        address_->setRange(0, 255);
        address_->setValue(spec_.addressDefault);
        gain_ = choices(spec_.gain, kI2cGains, this);
        rate_ = choices(spec_.rate, kI2cRates, this);
        addRow(QStringLiteral("Adresa I2C"), address_);
    }
    addRow(QStringLiteral("Zesílení"), gain_);
    addRow(QStringLiteral("Rychlost"), rate_);
    offset_ = new QSpinBox(this);
    offset_->setObjectName(q(spec_.offset));
    offset_->setRange(-32768, 32767);
    addRow(QStringLiteral("Offset"), offset_);
    constant_ = new QLineEdit(this);
    constant_->setObjectName(q(spec_.constant));
    constant_->setText(q(constantText(spec_.constantDefault, spec_.constantDecimals)));
    addRow(QStringLiteral("Konstanta"), constant_);

    auto* points = new QGroupBox(QStringLiteral("Kalibrace"), this);
    auto* grid = new QGridLayout(points);
    auto reference = [points](const std::string& name, double start) {
        auto* box = new DecimalBox(points);
        box->setObjectName(q(name));
        box->setDecimals(2);
        box->setRange(-100000.0, 100000.0);
        box->setValue(start);
        return box;
    };
    auto rawLabel = [points](const std::string& name) {
        auto* label = new QLabel(QStringLiteral("0"), points);
        label->setObjectName(q(name));
        label->setMinimumWidth(60);
        label->setFrameShape(QFrame::StyledPanel);
        return label;
    };
    rawMin_ = rawLabel(spec_.rawMin);
    rawMax_ = rawLabel(spec_.rawMax);
    refMin_ = reference(spec_.refMin, 0.0);
    refMax_ = reference(spec_.refMax, spec_.upperDefault);
    auto* minButton = button(QStringLiteral("Min"), "bmin_" + spec_.buttons, points);
    auto* maxButton = button(QStringLiteral("Max"), "bmax_" + spec_.buttons, points);
    auto* calibrateButton = button(QStringLiteral("Kalibrace"), "bkal_" + spec_.buttons, points);
    auto* refMinLabel = new QLabel(QStringLiteral("Min. hodnota"), points);
    refMinLabel->setBuddy(refMin_);
    auto* refMaxLabel = new QLabel(QStringLiteral("Max. hodnota"), points);
    refMaxLabel->setBuddy(refMax_);
    grid->addWidget(minButton, 0, 0);
    grid->addWidget(rawMin_, 0, 1);
    grid->addWidget(refMinLabel, 0, 2);
    grid->addWidget(refMin_, 0, 3);
    grid->addWidget(maxButton, 1, 0);
    grid->addWidget(rawMax_, 1, 1);
    grid->addWidget(refMaxLabel, 1, 2);
    grid->addWidget(refMax_, 1, 3);
    grid->addWidget(calibrateButton, 2, 0);

    auto* measureRow = new QHBoxLayout;
    auto* measureButton = button(QStringLiteral("Změř"), "bzmer_" + spec_.buttons, this);
    value_ = new QLabel(this);
    value_->setObjectName(q(spec_.value));
    value_->setMinimumWidth(90);
    value_->setFrameShape(QFrame::StyledPanel);
    auto* valueLabel = new QLabel(QStringLiteral("Hodnota"), this);
    valueLabel->setBuddy(value_);
    measureRow->addWidget(valueLabel);
    measureRow->addWidget(value_);
    measureRow->addWidget(measureButton);
    measureRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(points);
    layout->addLayout(measureRow);
    layout->addStretch();

    connect(minButton, &QPushButton::clicked, this, [this] { readRaw(false); });
    connect(maxButton, &QPushButton::clicked, this, [this] { readRaw(true); });
    connect(calibrateButton, &QPushButton::clicked, this, &AdcPanel::calibrate);
    connect(measureButton, &QPushButton::clicked, this, &AdcPanel::measure);
    // What the fields show before anything is read: the defaults, packed.
    const auto regs = packSpiConfig({}).value_or(SpiRegisters{});
    kept_.config0 = spec_.spi ? regs.reg0 : static_cast<std::uint8_t>(spec_.addressDefault);
    kept_.config1 = spec_.spi ? regs.reg1 : packI2cConfig({}).value_or(0x90);
    kept_.constant = spec_.constantDefault;
}

Result<AdcRecord> AdcPanel::record() const
{
    auto constant = constantFromField(constant_->text().toStdString(), kept_.constant, spec_.constantDecimals);
    if (!constant.ok())
        return Error{constant.error()};
    AdcRecord r;
    if (spec_.spi) {
        const auto regs =
            spiConfigKeeping({kept_.config0, kept_.config1},
                             {multiplexer_->currentIndex(), gain_->currentIndex(), rate_->currentIndex()});
        r.config0 = regs ? regs->reg0 : 0;
        r.config1 = regs ? regs->reg1 : 0;
    } else {
        r.config0 = static_cast<std::uint8_t>(address_->value());
        r.config1 = i2cConfigKeeping(kept_.config1, {rate_->currentIndex(), gain_->currentIndex()}).value_or(0x90);
    }
    r.offset = static_cast<std::int16_t>(offset_->value());
    r.constant = *constant;
    return r;
}

void AdcPanel::setRecord(const AdcRecord& record)
{
    if (spec_.spi) {
        const auto config = unpackSpiConfig({record.config0, record.config1});
        multiplexer_->setCurrentIndex(config.multiplexer);
        gain_->setCurrentIndex(config.gain);
        rate_->setCurrentIndex(config.rate);
    } else {
        const auto config = unpackI2cConfig(record.config1);
        address_->setValue(record.config0);
        gain_->setCurrentIndex(config.gain);
        rate_->setCurrentIndex(config.rate);
    }
    offset_->setValue(record.offset);
    kept_ = record;
    constant_->setText(q(constantText(record.constant, spec_.constantDecimals)));
}

void AdcPanel::readRaw(bool upper)
{
    QLabel* target = upper ? rawMax_ : rawMin_;
    auto* control = qobject_cast<QWidget*>(sender());
    runServiceJob<Result<std::int16_t>>(runner_, control, spec_.readRaw, [this, target](const Result<std::int16_t>& r) {
        if (!r.ok()) {
            emit message(q(r.error()));
            return;
        }
        target->setText(q(spec_.unsignedRaw ? unsignedRawText(*r) : signedRawText(*r)));
        emit message(QString());
    });
}

void AdcPanel::calibrate()
{
    const auto result =
        twoPointCalibration(rawFromShown(rawMin_->text().toLongLong()), rawFromShown(rawMax_->text().toLongLong()),
                            refMin_->value(), refMax_->value());
    if (!result.ok()) {
        emit message(q(result.error()));
        return;
    }
    offset_->setValue(result->offset);
    kept_.constant = result->constant;
    constant_->setText(q(constantText(result->constant, spec_.constantDecimals)));
    emit message(QString());
}

void AdcPanel::measure()
{
    auto* control = qobject_cast<QWidget*>(sender());
    runServiceJob<Result<float>>(runner_, control, spec_.measure, [this](const Result<float>& r) {
        if (!r.ok()) {
            emit message(q(r.error()));
            return;
        }
        value_->setText(q(formatNumber(spec_.valueFormat, *r)));
        emit message(QString());
    });
}

} // namespace kapsorel::ui
