// The "  Sekce  " tab's source panel, switches and "Reflex".
#include "ui/service/source_panel.h"

#include "core/service/power_service_requests.h"
#include "ui/common/decimal_box.h"
#include "ui/service/service_series.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace kapsorel::ui {
namespace {

DecimalBox* decimalBox(const char* name, double value, QWidget* parent)
{
    auto* box = new DecimalBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(2);
    box->setSingleStep(0.01);
    box->setRange(0, 36);
    box->setValue(value);
    return box;
}

QSpinBox* spinBox(const char* name, int maximum, int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, maximum);
    box->setValue(value);
    return box;
}

// Any answer of the series with a status other than 0.
bool anyStatus(const ServiceAnswers& answers)
{
    for (const auto& a : answers)
        if (a.answered && a.status != 0)
            return true;
    return false;
}

} // namespace

SourcePanel::SourcePanel(const ServiceContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(setPointsBox());
    layout->addWidget(switchesBox());
    layout->addWidget(reflexBox());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

QWidget* SourcePanel::setPointsBox()
{
    auto* box = new QGroupBox(QStringLiteral("Zdroj"), this);
    voltage_ = decimalBox("ss_nap", 36.0, box);
    current_ = decimalBox("ss_proud", 22.0, box);
    voltageLabel_ = new QLabel(QStringLiteral("Napětí"), box);
    voltageLabel_->setBuddy(voltage_);
    currentLabel_ = new QLabel(QStringLiteral("Proud"), box);
    currentLabel_->setBuddy(current_);
    auto* set = namedButton(QStringLiteral("Nastav"), QStringLiteral("bnastav"), box);
    auto* back = namedButton(QStringLiteral("<"), QStringLiteral("bnacti_nast"), box);
    back->setToolTip(QStringLiteral("Načti nastavené hodnoty"));
    auto* maxima = namedButton(QStringLiteral("M"), QStringLiteral("bmax"), box);
    maxima->setToolTip(QStringLiteral("Načti maximální hodnoty"));
    auto* nominal = namedButton(QStringLiteral("N"), QStringLiteral("bnom"), box);
    nominal->setToolTip(QStringLiteral("Načti nominální hodnoty"));
    auto* on = namedButton(QStringLiteral("Zapni"), QStringLiteral("bzdroj_on"), box);
    auto* off = namedButton(QStringLiteral("Vypni"), QStringLiteral("bzdroj_off"), box);
    for (QPushButton* b : {back, maxima, nominal})
        b->setMaximumWidth(40);
    auto* grid = new QGridLayout(box);
    grid->addWidget(voltageLabel_, 0, 0);
    grid->addWidget(voltage_, 0, 1);
    grid->addWidget(set, 0, 2);
    grid->addWidget(back, 0, 3);
    grid->addWidget(currentLabel_, 1, 0);
    grid->addWidget(current_, 1, 1);
    grid->addWidget(maxima, 1, 2);
    grid->addWidget(nominal, 1, 3);
    grid->addWidget(on, 2, 1);
    grid->addWidget(off, 2, 2, 1, 2);
    sourceOnly_ << currentLabel_ << current_ << maxima << nominal << on << off;

    connect(set, &QPushButton::clicked, this, [this, set] { this->set(set); });
    connect(back, &QPushButton::clicked, this, [this, back] { readBack(back); });
    connect(maxima, &QPushButton::clicked, this, [this, maxima] { readRegisters(maxima, 84, 86); });
    connect(nominal, &QPushButton::clicked, this, [this, nominal] { readRegisters(nominal, 80, 82); });
    connect(on, &QPushButton::clicked, this, [this, on] { sourceSwitch(on, true); });
    connect(off, &QPushButton::clicked, this, [this, off] { sourceSwitch(off, false); });
    return box;
}

QWidget* SourcePanel::switchesBox()
{
    auto* box = new QGroupBox(QStringLiteral("Spínače"), this);
    auto check = [box](const char* name, const QString& caption) {
        auto* c = new QCheckBox(caption, box);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    auto* source = check("st_zdroj", QStringLiteral("Zdroj"));
    auto* load = check("st_zatez", QStringLiteral("Zátěž"));
    auto* measure = check("st_nap", QStringLiteral("M.nap."));
    auto* fans = check("st_vent", QStringLiteral("Vent."));
    auto* layout = new QHBoxLayout(box);
    for (QCheckBox* c : {source, load, measure, fans})
        layout->addWidget(c);
    connect(source, &QCheckBox::clicked, this, [this, source] { relaySwitch(source, relay::kSource); });
    connect(load, &QCheckBox::clicked, this, [this, load] { relaySwitch(load, relay::kLoad); });
    connect(measure, &QCheckBox::clicked, this, [this, measure] { relaySwitch(measure, relay::kMeasure); });
    connect(fans, &QCheckBox::clicked, this, [this, fans] { fanSwitch(fans); });
    return box;
}

QWidget* SourcePanel::reflexBox()
{
    auto* box = new QGroupBox(QStringLiteral("Reflex"), this);
    reflexState_ = spinBox("PBStav", 255, 0, box);
    reflexOn_ = spinBox("PBon", 65535, 1000, box);
    reflexOff_ = spinBox("PBoff", 65535, 1000, box);
    auto* reflex = namedButton(QStringLiteral("Reflex"), QStringLiteral("breflex"), box);
    auto* form = new QFormLayout;
    addBuddyRow(form, QStringLiteral("Stav"), reflexState_);
    addBuddyRow(form, QStringLiteral("ON"), reflexOn_);
    addBuddyRow(form, QStringLiteral("OFF"), reflexOff_);
    auto* layout = new QHBoxLayout(box);
    layout->addLayout(form);
    layout->addWidget(reflex, 0, Qt::AlignBottom);
    sourceOnly_ << box;
    connect(reflex, &QPushButton::clicked, this, [this, reflex] {
        const auto request = reflexRequest(static_cast<std::uint8_t>(reflexState_->value()),
                                           static_cast<std::uint16_t>(reflexOn_->value()),
                                           static_cast<std::uint16_t>(reflexOff_->value()));
        runServiceSteps(context_, reflex, {{request, kClose}}, [this](const QString& t) { say(t); });
    });
    return box;
}

void SourcePanel::set(QPushButton* button)
{
    const std::uint8_t kind = context_.live.hardwareKind.load(std::memory_order_relaxed);
    auto message = [this](const QString& t) { say(t); };
    if (kind == 0) {
        const auto request =
            sourceSetRequest(static_cast<float>(voltage_->value()), static_cast<float>(current_->value()));
        runServiceSteps(context_, button, {{request, kClose}}, message, [this](const ServiceAnswers& a) {
            if (anyStatus(a))
                say(QStringLiteral("Error"));
        });
    } else if (kind == 1) {
        // The DAC value, truncated toward zero.
        const auto dac = static_cast<std::uint16_t>(std::clamp(std::trunc(voltage_->value()), 0.0, 65535.0));
        runServiceSteps(context_, button, {{dacWriteRequest(dac), kKeepOpen}}, message);
    }
}

void SourcePanel::readBack(QPushButton* button)
{
    const std::uint8_t kind = context_.live.hardwareKind.load(std::memory_order_relaxed);
    if (kind == 0)
        return readRegisters(button, 112, 114);
    if (kind != 1)
        return;
    runServiceSteps(
        context_, button, {{dacReadRequest(), kKeepOpen}}, [this](const QString& t) { say(t); },
        [this](const ServiceAnswers& a) {
            if (const ServiceAnswer* dac = answerAt(a, 0); dac && dac->i16())
                voltage_->setValue(*dac->i16());
        });
}

void SourcePanel::readRegisters(QPushButton* button, std::uint8_t voltageRegister, std::uint8_t currentRegister)
{
    runServiceSteps(
        context_, button,
        {{sourceRegisterRequest(voltageRegister), kKeepOpen}, {sourceRegisterRequest(currentRegister), kClose}},
        [this](const QString& t) { say(t); },
        [this](const ServiceAnswers& a) {
            // After a status other than 0 the field still shows what came back.
            if (const ServiceAnswer* v = answerAt(a, 0); v && v->i16())
                voltage_->setValue(*v->i16() / 100.0);
            if (const ServiceAnswer* c = answerAt(a, 1); c && c->i16())
                current_->setValue(*c->i16() / 100.0);
            if (anyStatus(a))
                say(QStringLiteral("Error"));
        });
}

void SourcePanel::sourceSwitch(QPushButton* button, bool on)
{
    runServiceSteps(
        context_, button, {{sourceSwitchRequest(on), kClose}}, [this](const QString& t) { say(t); },
        [this](const ServiceAnswers& a) {
            if (anyStatus(a))
                say(QStringLiteral("Error"));
        });
}

void SourcePanel::relaySwitch(QCheckBox* box, std::uint8_t relay)
{
    const bool on = box->isChecked();
    runServiceSteps(
        context_, box, {{relayRequest(relay, on), kClose}}, [this](const QString& t) { say(t); },
        [box, on](const ServiceAnswers& a) {
            // A switch that never reached the module shows its old state.
            if (!answerAt(a, 0)) {
                const QSignalBlocker quiet(box);
                box->setChecked(!on);
            }
        });
}

void SourcePanel::fanSwitch(QCheckBox* box)
{
    const bool on = box->isChecked();
    std::vector<ModuleCommand> requests;
    for (std::uint8_t fan = 1; fan <= 4; ++fan)
        requests.push_back(fanSwitchRequest(fan, on));
    runServiceSteps(
        context_, box, keptSeries(std::move(requests)), [this](const QString& t) { say(t); },
        [this, box, on](const ServiceAnswers& a) {
            if (a.size() < 4 || !a.back().answered) {
                const QSignalBlocker quiet(box);
                box->setChecked(!on);
            }
            if (anyStatus(a))
                say(QStringLiteral("Error"));
        });
}

void SourcePanel::applyHardwareKind(std::uint8_t kind)
{
    if (kind > 1)
        return;
    const bool source = kind == 0;
    voltageLabel_->setText(source ? QStringLiteral("Napětí") : QStringLiteral("DAC"));
    voltage_->setDecimals(source ? 2 : 0);
    voltage_->setSingleStep(source ? 0.01 : 1.0);
    voltage_->setMaximum(source ? 36.0 : 4095.0);
    for (QWidget* w : sourceOnly_)
        w->setVisible(source);
}

} // namespace kapsorel::ui
