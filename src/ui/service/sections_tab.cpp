// The "  Sekce  " sub-tab: load elements, sections block and resistance measurement.
#include "ui/service/sections_tab.h"

#include "core/base/numbers.h"
#include "core/service/power_service_jobs.h"
#include "ui/service/service_series.h"
#include "ui/service/source_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kapsorel::ui {
namespace {

QTableWidget* grid(const QString& name, QWidget* parent)
{
    auto* t = new QTableWidget(0, 3, parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels({QStringLiteral("#"), QStringLiteral("Odpor"), QStringLiteral("FET")});
    t->verticalHeader()->setVisible(false);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionMode(QAbstractItemView::NoSelection);
    t->setColumnWidth(0, 32);
    t->setColumnWidth(1, 90);
    t->setColumnWidth(2, 70);
    t->setMinimumWidth(210);
    return t;
}

QString ohmsText(float ohms)
{
    return qs(formatNumber("%.4g", static_cast<double>(ohms)));
}

} // namespace

SectionsTab::SectionsTab(const ServiceContext& context, SectionsBlock& block, QWidget* parent)
    : QWidget(parent), context_(context), block_(block)
{
    source_ = new SourcePanel(context_, this);
    connect(source_, &SourcePanel::message, this, &SectionsTab::message);
    auto* right = new QVBoxLayout;
    right->addWidget(source_);
    right->addWidget(measurementBox());
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(elementsBox(), 1);
    layout->addLayout(right);
    // The station's usual load: 9 resistors and 4 banks, every element off.
    resistorCount_->setValue(static_cast<int>(SectionsBlock::kMaxResistorCount));
    bankCount_->setValue(4);
    offCaptions();
}

QWidget* SectionsTab::elementsBox()
{
    elements_ = new QWidget(this);
    resistorCount_ = new QSpinBox(elements_);
    resistorCount_->setObjectName(QStringLiteral("poc_odporu"));
    resistorCount_->setRange(0, static_cast<int>(SectionsBlock::kMaxResistorCount));
    bankCount_ = new QSpinBox(elements_);
    bankCount_->setObjectName(QStringLiteral("poc_odporniku"));
    bankCount_->setRange(0, static_cast<int>(SectionsBlock::kMaxBankCount));
    resistorCount_->setMaximumWidth(70);
    bankCount_->setMaximumWidth(70);
    resistorGrid_ = grid(QStringLiteral("Aodpory"), elements_);
    bankGrid_ = grid(QStringLiteral("Aodporniky"), elements_);
    multi_ = new QCheckBox(QStringLiteral("Multi"), elements_);
    multi_->setObjectName(QStringLiteral("cb_multi"));
    auto* off = namedButton(QStringLiteral("Vypni vše"), QStringLiteral("bvypni_vse"), elements_);
    auto* read = namedButton(QStringLiteral("Načti"), QStringLiteral("snacti"), elements_);
    auto* write = namedButton(QStringLiteral("Ulož"), QStringLiteral("suloz"), elements_);

    auto* counts = new QFormLayout;
    addBuddyRow(counts, QStringLiteral("Počet odporů"), resistorCount_);
    addBuddyRow(counts, QStringLiteral("Počet odporníků"), bankCount_);
    auto* grids = new QHBoxLayout;
    grids->addWidget(resistorGrid_);
    grids->addWidget(bankGrid_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(multi_);
    buttons->addWidget(off);
    buttons->addStretch();
    buttons->addWidget(read);
    buttons->addWidget(write);
    auto* layout = new QVBoxLayout(elements_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(counts);
    layout->addLayout(grids, 1);
    layout->addLayout(buttons);

    connect(resistorCount_, &QSpinBox::valueChanged, this, [this](int n) { setRows(false, n); });
    connect(bankCount_, &QSpinBox::valueChanged, this, [this](int n) { setRows(true, n); });
    connect(off, &QPushButton::clicked, this, &SectionsTab::allOff);
    connect(read, &QPushButton::clicked, this, [this, read] {
        runServiceJob<Result<SectionsBlock>>(context_.runner, read, &readPowerSections,
                                             [this](const Result<SectionsBlock>& r) {
                                                 if (!r.ok())
                                                     return emit message(qs(r.error()));
                                                 block_ = *r;
                                                 context_.guard.markKnown(blocks::kPowerSections);
                                                 show(*r);
                                                 emit message(QString());
                                             });
    });
    connect(write, &QPushButton::clicked, this, [this, write] {
        const SectionsBlock block = blockFromGrids();
        const WriteGate& gate = context_.gate;
        runServiceJob<Status>(
            context_.runner, write, [&gate, block](ModuleLink& l) { return writePowerSections(l, gate, block); },
            [this, block](const Status& s) {
                if (s.ok())
                    block_ = block;
                emit message(qs(s.error()));
            });
    });
    return elements_;
}

QWidget* SectionsTab::measurementBox()
{
    auto* box = new QGroupBox(QStringLiteral("Měření odporu"), this);
    fromSource_ = new QRadioButton(QStringLiteral("Zdroj"), box);
    fromSource_->setObjectName(QStringLiteral("m_source_zdroj"));
    fromAdc_ = new QRadioButton(QStringLiteral("AD"), box);
    fromAdc_->setObjectName(QStringLiteral("m_source_ad"));
    fromSource_->setChecked(true);
    auto* group = new QButtonGroup(box);
    group->addButton(fromSource_);
    group->addButton(fromAdc_);
    auto* measureButton = namedButton(QStringLiteral("Změř"), QStringLiteral("bzmer"), box);
    auto* store = namedButton(QStringLiteral("Ulož"), QStringLiteral("bulozr"), box);
    auto label = [box](const char* name) {
        auto* l = new QLabel(QStringLiteral("—"), box);
        l->setObjectName(QString::fromLatin1(name));
        l->setMinimumWidth(90);
        return l;
    };
    voltage_ = label("lnapeti");
    current_ = label("lproud");
    resistance_ = label("lodpor");
    auto* layout = new QGridLayout(box);
    layout->addWidget(fromSource_, 0, 0);
    layout->addWidget(fromAdc_, 0, 1);
    layout->addWidget(measureButton, 0, 2);
    layout->addWidget(voltage_, 1, 0);
    layout->addWidget(current_, 1, 1);
    layout->addWidget(resistance_, 2, 0, 1, 2);
    layout->addWidget(store, 2, 2);
    connect(measureButton, &QPushButton::clicked, this, &SectionsTab::measure);
    connect(store, &QPushButton::clicked, this, &SectionsTab::storeResistance);
    return box;
}

std::size_t SectionsTab::resistors() const
{
    return static_cast<std::size_t>(resistorCount_->value());
}

std::size_t SectionsTab::banks() const
{
    return static_cast<std::size_t>(bankCount_->value());
}

void SectionsTab::setRows(bool bank, int count)
{
    QTableWidget* t = bank ? bankGrid_ : resistorGrid_;
    std::vector<float>& ohms = bank ? bankOhms_ : resistorOhms_;
    // A row that comes back shows the resistance the image holds for it.
    for (std::size_t i = ohms.size(); i < static_cast<std::size_t>(count); ++i)
        ohms.push_back(resistanceFromConductance(bank ? block_.banks.at(i) : block_.resistors.at(i)));
    ohms.resize(static_cast<std::size_t>(count));
    t->setRowCount(count);
    for (int r = 0; r < count; ++r) {
        auto* number = new QTableWidgetItem(QString::number(r + 1));
        t->setItem(r, 0, number);
        t->setItem(r, 1, new QTableWidgetItem(ohmsText(ohms[static_cast<std::size_t>(r)])));
        auto* fet = new QPushButton(QStringLiteral("FET"), t);
        fet->setObjectName(
            QStringLiteral("%1%2").arg(bank ? QStringLiteral("fet_k") : QStringLiteral("fet_o")).arg(r + 1));
        const SectionRow row{bank, static_cast<std::size_t>(r + 1)};
        connect(fet, &QPushButton::clicked, this, [this, row] {
            if (auto element = SectionSwitches::elementOf(row, resistors(), banks()))
                click(*element);
        });
        t->setCellWidget(r, 2, fet);
    }
    applySwitches(switches_);
}

void SectionsTab::click(std::size_t element)
{
    SectionSwitches next = switches_;
    const auto masks = next.click(element, multi_->isChecked(), resistors(), banks());
    std::vector<ServiceStep> steps;
    for (std::uint32_t m : masks)
        steps.push_back({switchMaskRequest(m), kClose});
    runServiceSteps(
        context_, elements_, std::move(steps), [this](const QString& t) { emit message(t); },
        [this, next, count = masks.size()](const ServiceAnswers& answers) {
            // The states change only when every mask reached the module.
            if (answers.size() == count && answers.back().answered)
                applySwitches(next);
        });
}

void SectionsTab::allOff()
{
    SectionSwitches next = switches_;
    const std::uint32_t mask = next.allOff();
    runServiceSteps(
        context_, elements_, {{switchMaskRequest(mask), kClose}}, [this](const QString& t) { emit message(t); },
        [this, next](const ServiceAnswers& answers) {
            if (answerAt(answers, 0))
                applySwitches(next);
        });
}

void SectionsTab::applySwitches(const SectionSwitches& next)
{
    const SectionSwitches previous = switches_;
    switches_ = next;
    for (std::size_t e = 0; e < kLoadElements; ++e) {
        const auto row = SectionSwitches::rowOf(e, resistors(), banks());
        if (!row)
            continue;
        QTableWidget* t = row->bank ? bankGrid_ : resistorGrid_;
        const int r = static_cast<int>(row->row) - 1;
        const bool on = switches_.on(e);
        if (on != previous.on(e))
            if (auto* fet = qobject_cast<QPushButton*>(t->cellWidget(r, 2)))
                fet->setText(on ? QStringLiteral("Vypni") : QStringLiteral("Zapni"));
        for (int c = 0; c < 2; ++c)
            if (auto* item = t->item(r, c))
                item->setBackground(on ? QBrush(Qt::red) : QBrush());
    }
    // The counts can change again once no element is on.
    resistorCount_->setEnabled(!switches_.anyOn());
    bankCount_->setEnabled(!switches_.anyOn());
}

void SectionsTab::showOhms(bool bank, std::size_t row)
{
    QTableWidget* t = bank ? bankGrid_ : resistorGrid_;
    const auto& ohms = bank ? bankOhms_ : resistorOhms_;
    if (auto* item = t->item(static_cast<int>(row) - 1, 1))
        item->setText(ohmsText(ohms[row - 1]));
}

SectionsBlock SectionsTab::blockFromGrids() const
{
    return sectionsFromGrids(block_, resistorOhms_, bankOhms_);
}

void SectionsTab::show(const SectionsBlock& block)
{
    resistorOhms_.assign(block.resistorCount, 0.0f);
    bankOhms_.assign(block.bankCount, 0.0f);
    for (std::size_t i = 0; i < std::min<std::size_t>(block.resistorCount, SectionsBlock::kResistors); ++i)
        resistorOhms_[i] = resistanceFromConductance(block.resistors[i]);
    for (std::size_t i = 0; i < std::min<std::size_t>(block.bankCount, SectionsBlock::kBanks); ++i)
        bankOhms_[i] = resistanceFromConductance(block.banks[i]);
    const auto r = static_cast<int>(resistorOhms_.size());
    const auto b = static_cast<int>(bankOhms_.size());
    // The rows are rebuilt even when a count stays the same.
    if (resistorCount_->value() == r)
        setRows(false, r);
    if (bankCount_->value() == b)
        setRows(true, b);
    resistorCount_->setValue(r);
    bankCount_->setValue(b);
    offCaptions();
    for (std::size_t i = 1; i <= resistorOhms_.size(); ++i)
        showOhms(false, i);
    for (std::size_t i = 1; i <= bankOhms_.size(); ++i)
        showOhms(true, i);
}

void SectionsTab::offCaptions()
{
    for (QTableWidget* t : {resistorGrid_, bankGrid_})
        for (int row = 0; row < t->rowCount(); ++row)
            if (auto* fet = qobject_cast<QPushButton*>(t->cellWidget(row, 2)))
                fet->setText(QStringLiteral("Zapni"));
}

void SectionsTab::applyHardwareKind(std::uint8_t kind)
{
    if (kind > 1)
        return;
    source_->applyHardwareKind(kind);
    fromSource_->setVisible(kind == 0);
    fromAdc_->setVisible(kind == 0);
    (kind == 0 ? fromSource_ : fromAdc_)->setChecked(true);
}

void SectionsTab::measure()
{
    const bool adc = fromAdc_->isChecked();
    auto* button = findChild<QPushButton*>(QStringLiteral("bzmer"));
    std::vector<ServiceStep> steps =
        adc ? std::vector<ServiceStep>{{channelVoltageRequest(), kKeepOpen}, {channelCurrentRequest(), kClose}}
            : std::vector<ServiceStep>{{sourceVoltageRequest(), kKeepOpen}, {sourceCurrentRequest(), kClose}};
    runServiceSteps(
        context_, button, std::move(steps), [this](const QString& t) { emit message(t); },
        [this, adc](const ServiceAnswers& answers) {
            // A reading counts only when it came back whole and, from the
            // source, with status 0; otherwise no resistance is computed.
            auto reading = [&answers, adc](std::size_t i) -> std::optional<float> {
                const ServiceAnswer* a = answerAt(answers, i);
                if (!a || (!adc && a->status != 0))
                    return std::nullopt;
                return a->single();
            };
            const ResistanceResult r = resistanceFrom(reading(0), reading(1));
            if (!adc && ((answerAt(answers, 0) && answers[0].status) || (answerAt(answers, 1) && answers[1].status)))
                emit message(QStringLiteral("Error"));
            voltage_->setText(qs(r.voltageText));
            current_->setText(qs(r.currentText));
            resistance_->setText(qs(r.resistanceText));
            measuredOhms_ = r.ohms;
        });
}

void SectionsTab::storeResistance()
{
    const auto target = resistanceTarget(switches_.lastSwitched(), resistors(), banks());
    if (!target.ok())
        return emit message(qs(target.error()));
    (target->bank ? bankOhms_ : resistorOhms_)[target->row - 1] = measuredOhms_;
    showOhms(target->bank, target->row);
    emit message(QString());
}

} // namespace kapsorel::ui
