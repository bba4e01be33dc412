// The "  Ostatní  " pages of the power module.
#include "ui/service/power_other_pages.h"

#include "core/base/numbers.h"
#include "core/service/power_service_requests.h"
#include "ui/common/decimal_box.h"
#include "ui/service/service_series.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QSpinBox>

namespace kapsorel::ui {
namespace {

QString hexByte(std::uint8_t v)
{
    return QStringLiteral("0x") + QString::number(v, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QSpinBox* spinBox(const char* name, int maximum, int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, maximum);
    box->setValue(value);
    return box;
}

DecimalBox* decimalBox(const char* name, double value, QWidget* parent)
{
    auto* box = new DecimalBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(2);
    box->setRange(0, 1000);
    box->setValue(value);
    return box;
}

QLineEdit* shownValue(const char* name, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setMaximumWidth(90);
    return e;
}

// A labelled field in a grid, the label the field's buddy.
void place(QGridLayout* grid, int row, int column, const QString& caption, QWidget* field)
{
    auto* label = new QLabel(caption, field->parentWidget());
    label->setBuddy(field);
    grid->addWidget(label, row, column);
    grid->addWidget(field, row, column + 1);
}

} // namespace

PowerOtherPages::PowerOtherPages(const ServiceContext& context, QWidget* parent) : QTabWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("postatni"));
    fans_ = fansPage();
    source_ = sourcePage();
    addTab(fans_, QStringLiteral("  Ventilátory  "));
    addTab(source_, QStringLiteral("  Zdroj  "));
    addTab(dacPage(), QStringLiteral("DAC"));
}

std::optional<std::uint8_t> PowerOtherPages::fan() const
{
    const int index = fanChoice_->currentIndex();
    if (index < 0 || index > 3)
        return std::nullopt;
    return static_cast<std::uint8_t>(index + 1);
}

QWidget* PowerOtherPages::fansPage()
{
    auto* page = new QWidget(this);
    fanChoice_ = new QComboBox(page);
    fanChoice_->setObjectName(QStringLiteral("Cvent"));
    fanChoice_->addItems({QStringLiteral("Ventilátor odpory"), QStringLiteral("Ventilátor zdroj"),
                          QStringLiteral("Ventilátor odporníky 1"), QStringLiteral("Ventilátor odporníky 2"),
                          QString()});
    auto* on = namedButton(QStringLiteral("Zapni"), QStringLiteral("bfan_on"), page);
    auto* off = namedButton(QStringLiteral("Vypni"), QStringLiteral("bfan_off"), page);
    auto* status = namedButton(QStringLiteral("Status"), QStringLiteral("bfan_status"), page);
    auto* send = namedButton(QStringLiteral("Pošli"), QStringLiteral("bfan_posli"), page);
    auto* duty = namedButton(QStringLiteral("Duty"), QStringLiteral("bfan_duty"), page);
    auto* config = spinBox("Lfconf", 255, 10, page);
    auto* dutyValue = spinBox("Lduty", 15, 1, page);
    auto* grid = new QGridLayout(page);
    place(grid, 0, 0, QStringLiteral("Ventilátor"), fanChoice_);
    grid->addWidget(on, 0, 2);
    grid->addWidget(off, 0, 3);
    const char* const names[] = {"Lfstatus", "Lrpm1", "Lrpm2", "Lfrpm1", "Lfrpm2", "Lfkonfig"};
    const char* const captions[] = {"Status", "RPM 1", "RPM 2", "Fault RPM 1", "Fault RPM 2", "Konfig"};
    std::array<QLineEdit*, 6> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = shownValue(names[i], page);
        place(grid, 1 + static_cast<int>(i), 0, QString::fromUtf8(captions[i]), values[i]);
    }
    grid->addWidget(status, 1, 2);
    place(grid, 7, 0, QStringLiteral("FAN config"), config);
    grid->addWidget(send, 7, 2);
    place(grid, 8, 0, QStringLiteral("Duty"), dutyValue);
    grid->addWidget(duty, 8, 2);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(9, 1);

    auto message = [this](const QString& t) { say(t); };
    auto fanSwitch = [this, message](QPushButton* button, bool switchOn) {
        connect(button, &QPushButton::clicked, this, [this, button, switchOn, message] {
            if (const auto f = fan())
                runServiceSteps(context_, button, {{fanSwitchRequest(*f, switchOn), kClose}}, message);
        });
    };
    fanSwitch(on, true);
    fanSwitch(off, false);
    connect(status, &QPushButton::clicked, this, [this, status, values, message] {
        const auto f = fan();
        if (!f)
            return;
        // Register 5 (status), 0-3 (speeds), 4 (configuration); the connection stays open.
        static constexpr std::uint8_t kRegisters[] = {5, 0, 1, 2, 3, 4};
        std::vector<ModuleCommand> requests;
        for (std::uint8_t reg : kRegisters)
            requests.push_back(fanRegisterRequest(*f, reg));
        runServiceSteps(context_, status, keptSeries(std::move(requests), false), message,
                        [this, values](const ServiceAnswers& a) {
                            const FanStatusView view = fanStatusView(a);
                            QStringList errors;
                            for (std::size_t i = 0; i < values.size(); ++i)
                                if (view.values[i])
                                    values[i]->setText(qs(*view.values[i]));
                            for (const std::string& e : view.errors)
                                errors << qs(e);
                            if (!errors.isEmpty())
                                say(errors.join(QLatin1Char('\n')));
                        });
    });
    auto i2c = [this, message](QPushButton* button, std::uint8_t reg, QSpinBox* value) {
        connect(button, &QPushButton::clicked, this, [this, button, reg, value, message] {
            const auto f = fan();
            if (!f)
                return;
            const auto select = static_cast<std::uint8_t>(1u << (*f - 1));
            runServiceSteps(context_, button,
                            {{i2cByteRequest(232, select), kKeepOpen},
                             {i2cRegisterRequest(54, reg, static_cast<std::uint8_t>(value->value())), kKeepOpen}},
                            message);
        });
    };
    i2c(send, 4, config);
    i2c(duty, 6, dutyValue);
    return page;
}

QWidget* PowerOtherPages::sourcePage()
{
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    auto message = [this](const QString& t) { say(t); };
    auto* voltage = decimalBox("Pznap", 0, page);
    auto* current = decimalBox("Pzpr", 0, page);
    auto button = [page](const char* caption, const char* name) {
        return namedButton(QString::fromUtf8(caption), QString::fromLatin1(name), page);
    };
    // A reading into a field: the answer's Single when it came whole.
    auto reading = [this, message](QPushButton* b, ModuleCommand request, DecimalBox* into) {
        connect(b, &QPushButton::clicked, this, [this, b, request, into, message] {
            runServiceSteps(context_, b, {{request, kClose}}, message, [into](const ServiceAnswers& a) {
                if (const ServiceAnswer* v = answerAt(a, 0); v && v->single())
                    into->setValue(static_cast<double>(*v->single()));
            });
        });
    };
    auto byteShown = [this, message](QPushButton* b, auto request, QLineEdit* into, bool hex) {
        connect(b, &QPushButton::clicked, this, [this, b, request, into, hex, message] {
            runServiceSteps(context_, b, {{request(), kClose}}, message, [into, hex](const ServiceAnswers& a) {
                if (const ServiceAnswer* v = answerAt(a, 0); v && v->byte())
                    into->setText(hex ? hexByte(*v->byte()) : QString::number(*v->byte()));
            });
        });
    };
    auto sent = [this, message](QPushButton* b, auto request) {
        connect(b, &QPushButton::clicked, this, [this, b, request, message] {
            runServiceSteps(context_, b, {{request(), kClose}}, message);
        });
    };
    auto* readVoltage = button("Načti", "bzn");
    auto* setVoltage = button("Nastav", "bzN");
    auto* readCurrent = button("Proud", "bzi");
    auto* setCurrent = button("Nastav", "bzI");
    place(grid, 0, 0, QStringLiteral("Napětí"), voltage);
    grid->addWidget(readVoltage, 0, 2);
    grid->addWidget(setVoltage, 0, 3);
    place(grid, 1, 0, QStringLiteral("Proud"), current);
    grid->addWidget(readCurrent, 1, 2);
    grid->addWidget(setCurrent, 1, 3);
    reading(readVoltage, sourceVoltageRequest(), voltage);
    reading(readCurrent, sourceCurrentRequest(), current);
    sent(setVoltage, [voltage] { return sourceVoltageSetRequest(static_cast<float>(voltage->value())); });
    sent(setCurrent, [current] { return sourceCurrentSetRequest(static_cast<float>(current->value())); });

    const struct {
        const char* caption;
        const char* button;
        const char* field;
        char command;
        bool hex;
    } bytes[] = {{"Status1", "bzS", "LzS", 'S', true},
                 {"Status2", "bzs", "Lzs", 's', true},
                 {"Control", "bzc", "Lzc", 'c', true},
                 {"Teplota", "bzt", "Lzt", 't', false}};
    int row = 2;
    for (const auto& b : bytes) {
        auto* field = shownValue(b.field, page);
        auto* press = button(b.caption, b.button);
        place(grid, row, 0, QString::fromLatin1(b.caption), field);
        grid->addWidget(press, row++, 2);
        const char command = b.command;
        byteShown(
            press, [command] { return sourceByteRequest(command); }, field, b.hex);
    }
    auto* on = button("ON", "bzz_on");
    auto* off = button("OFF", "bzz_off");
    grid->addWidget(on, row, 2);
    grid->addWidget(off, row++, 3);
    sent(on, [] { return sourcePowerRequest(true); });
    sent(off, [] { return sourcePowerRequest(false); });

    auto* reg = spinBox("LMDSpinEdit7", 255, 124, page);
    auto* first = spinBox("LMDSpinEdit1", 255, 133, page);
    auto* second = spinBox("LMDSpinEdit3", 255, 133, page);
    auto* one = button("Posli 1B", "bzw1");
    auto* two = button("Posli 2B", "bzw2");
    place(grid, row, 0, QStringLiteral("Registr"), reg);
    grid->addWidget(one, row++, 2);
    place(grid, row, 0, QStringLiteral("Data 1"), first);
    grid->addWidget(two, row++, 2);
    place(grid, row++, 0, QStringLiteral("Data 2"), second);
    auto byteOf = [](QSpinBox* b) { return static_cast<std::uint8_t>(b->value()); };
    sent(one, [=] { return sourceRegisterWriteRequest(byteOf(reg), {byteOf(first)}); });
    sent(two, [=] { return sourceRegisterWriteRequest(byteOf(reg), {byteOf(first), byteOf(second)}); });
    auto* readReg = spinBox("LMDSpinEdit2", 255, 124, page);
    auto* readValue = shownValue("LzR", page);
    auto* readButton = button("Nacti", "bzR");
    place(grid, row, 0, QStringLiteral("Registr"), readReg);
    grid->addWidget(readButton, row, 2);
    grid->addWidget(readValue, row++, 3);
    byteShown(
        readButton, [=] { return sourceRegisterReadRequest(byteOf(readReg)); }, readValue, true);
    auto* contactorOn = button("Stykač ON", "bstyk_on");
    auto* contactorOff = button("Stykač OFF", "bstyk_off");
    grid->addWidget(contactorOn, row, 2);
    grid->addWidget(contactorOff, row++, 3);
    sent(contactorOn, [] { return relayRequest(relay::kSource, true); });
    sent(contactorOff, [] { return relayRequest(relay::kSource, false); });
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* PowerOtherPages::dacPage()
{
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    auto message = [this](const QString& t) { say(t); };
    auto* dac = spinBox("SEdac", 65535, 0, page);
    auto* read = namedButton(QStringLiteral("Načti"), QStringLiteral("bdac_nacti"), page);
    auto* send = namedButton(QStringLiteral("Pošli"), QStringLiteral("bdac_posli"), page);
    auto* reset = namedButton(QStringLiteral("reset DAC"), QStringLiteral("bdac_reset"), page);
    place(grid, 0, 0, QStringLiteral("DAC hodnota"), dac);
    grid->addWidget(read, 0, 2);
    grid->addWidget(send, 0, 3);
    grid->addWidget(reset, 0, 4);
    connect(read, &QPushButton::clicked, this, [this, read, dac, message] {
        runServiceSteps(context_, read, {{dacReadRequest(), kClose}}, message, [dac](const ServiceAnswers& a) {
            if (const ServiceAnswer* v = answerAt(a, 0); v && v->u16())
                dac->setValue(*v->u16());
        });
    });
    connect(send, &QPushButton::clicked, this, [this, send, dac, message] {
        runServiceSteps(context_, send, {{dacWriteRequest(static_cast<std::uint16_t>(dac->value())), kClose}}, message);
    });
    connect(reset, &QPushButton::clicked, this, [this, reset, message] {
        runServiceSteps(context_, reset, {{i2cByteRequest(0, 6), kClose}}, message);
    });

    auto* voltage0 = decimalBox("PBnnap", 13.5, page);
    auto* current0 = decimalBox("PBvpr", 1.0, page);
    auto* voltage1 = decimalBox("PBnnap1", 13.5, page);
    auto* current1 = decimalBox("PBvpr1", 0.0, page);
    auto* set0 = namedButton(QStringLiteral("Nastav 0"), QStringLiteral("bpq0"), page);
    auto* step = namedButton(QStringLiteral("Krok"), QStringLiteral("bpqkrok"), page);
    auto* stop = namedButton(QStringLiteral("Stop"), QStringLiteral("bpqstop"), page);
    auto* set1 = namedButton(QStringLiteral("Nastav 1"), QStringLiteral("bpq1"), page);
    auto* take = namedButton(QStringLiteral("<"), QStringLiteral("bpq_nap"), page);
    take->setMaximumWidth(40);
    place(grid, 1, 0, QStringLiteral("Napeti"), voltage0);
    place(grid, 1, 2, QStringLiteral("Proud"), current0);
    grid->addWidget(set0, 1, 4);
    grid->addWidget(step, 2, 4);
    grid->addWidget(stop, 3, 4);
    place(grid, 4, 0, QStringLiteral("Napeti"), voltage1);
    place(grid, 4, 2, QStringLiteral("Proud"), current1);
    grid->addWidget(set1, 4, 4);
    grid->addWidget(take, 4, 5);
    const struct {
        QPushButton* button;
        std::uint8_t code;
        DecimalBox* current;
        DecimalBox* voltage;
    } steps[] = {{set0, dac_step::kSet0, current0, voltage0},
                 {step, dac_step::kStep, current0, voltage0},
                 {stop, dac_step::kStop, current0, voltage0},
                 {set1, dac_step::kSet1, current1, voltage1}};
    for (const auto& s : steps)
        connect(s.button, &QPushButton::clicked, this, [this, s, message] {
            const auto request =
                dacStepRequest(s.code, static_cast<float>(s.current->value()), static_cast<float>(s.voltage->value()));
            runServiceSteps(context_, s.button, {{request, kClose}}, message);
        });
    connect(take, &QPushButton::clicked, this, [this, voltage1] {
        voltage1->setValue(static_cast<double>(context_.live.powerModuleVoltage.load(std::memory_order_relaxed)));
    });
    grid->setColumnStretch(6, 1);
    grid->setRowStretch(5, 1);
    return page;
}

void PowerOtherPages::applyHardwareKind(std::uint8_t kind)
{
    if (kind > 1)
        return;
    setTabVisible(indexOf(fans_), kind == 0);
    setTabVisible(indexOf(source_), kind == 0);
}

} // namespace kapsorel::ui
