// The measurement module's network, settings and calibration tabs and its whole-module
// sequences.
#include "ui/service/measure_tabs.h"

#include "core/base/numbers.h"
#include "ui/service/adc_panel.h"
#include "ui/service/cell_grid_page.h"
#include "ui/service/module_write.h"
#include "ui/service/network_tab.h"
#include "ui/service/service_job.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kapsorel::ui {
namespace {

constexpr std::size_t kFirstPanelRecord = CellAdcTable::kBatteryRecord;

AdcPanelSpec recordSpec(std::size_t k)
{
    const std::string s = k == CellAdcTable::kBatteryRecord ? "c" : k == CellAdcTable::kInsulation1Record ? "i1" : "i2";
    AdcPanelSpec spec;
    spec.address = "madr_i2c_" + s;
    spec.gain = "mgain_" + s;
    spec.rate = "msp_" + s;
    spec.offset = "moffs_" + s;
    spec.constant = "mkonst_" + s;
    spec.rawMin = "mmin_" + s;
    spec.rawMax = "mmax_" + s;
    spec.refMin = "mumin_" + s;
    spec.refMax = "mumax_" + s;
    spec.value = "mmnap_" + s;
    spec.buttons = "m" + s;
    spec.constantDecimals = 6;
    spec.addressDefault = s == "i2" ? 210 : 208;
    spec.constantDefault = 1.0f;
    spec.valueFormat = "%6.2fV";
    spec.unsignedRaw = true;
    spec.readRaw = [k](ModuleLink& l) { return readUnsignedRaw(l, k); };
    spec.measure = [k](ModuleLink& l) { return measureChannel(l, k); };
    return spec;
}

} // namespace

MeasureTabs::MeasureTabs(const ServiceContext& context, QWidget* parent) : QObject(parent), context_(context)
{
    network_ = new NetworkTab(QStringLiteral("m"), QStringLiteral("mer"), true, parent);
    module_ = new QTabWidget(parent);
    module_->setObjectName(QStringLiteral("mmodul"));
    module_->addTab(settingsPage(), QStringLiteral("  Nastavení  "));
    auto* calibration = new QTabWidget(module_);
    calibration->setObjectName(QStringLiteral("mkalibrace"));
    calibration->addTab(recordsPage(CellAdcTable::kBatteryRecord, CellAdcTable::kBatteryRecord, QStringLiteral("c")),
                        QStringLiteral("  Celkové napětí  "));
    cells_ = new CellGridPage(context_, calibration);
    connect(cells_, &CellGridPage::message, this, &MeasureTabs::message);
    calibration->addTab(cells_, QStringLiteral("  Články  "));
    calibration->addTab(
        recordsPage(CellAdcTable::kInsulation1Record, CellAdcTable::kInsulation2Record, QStringLiteral("i")),
        QStringLiteral("  Izolace  "));
    module_->addTab(calibration, QStringLiteral("  Kalibrace  "));

    connect(network_, &NetworkTab::message, this, &MeasureTabs::message);
    network_->connectJobs(
        context_, images_.network, images_.ports, blocks::kMeasureNetwork | blocks::kMeasurePorts,
        [](ModuleLink& l) { return readMeasureNetwork(l); },
        [](ModuleLink& l, const WriteGate& gate, const NetworkFields& n, const PortsFields& p,
           const NetworkImages& previous) { return writeMeasureNetwork(l, gate, n, p, previous); });
}

QWidget* MeasureTabs::settingsPage()
{
    auto* page = new QWidget(module_);
    auto* grid = new QGridLayout(page);
    auto* temperature = new QLineEdit(page);
    temperature->setObjectName(QStringLiteral("mteplota"));
    temperature->setReadOnly(true);
    auto* temperatureLabel = new QLabel(QStringLiteral("Teplota"), page);
    temperatureLabel->setBuddy(temperature);
    auto* readTemperatureButton = namedButton(QStringLiteral("Načti"), QStringLiteral("mnacti_tepl"), page);
    auto* head = new QSpinBox(page);
    head->setObjectName(QStringLiteral("mtyp_h"));
    head->setRange(0, 255);
    auto* headLabel = new QLabel(QStringLiteral("Typ hlavy"), page);
    headLabel->setBuddy(head);
    auto* readHead = namedButton(QStringLiteral("Načti"), QStringLiteral("mnacti_hlava"), page);
    auto* writeHead = namedButton(QStringLiteral("Ulož"), QStringLiteral("muloz_hlava"), page);
    grid->addWidget(temperatureLabel, 0, 0);
    grid->addWidget(temperature, 0, 1);
    grid->addWidget(readTemperatureButton, 0, 2);
    grid->addWidget(headLabel, 1, 0);
    grid->addWidget(head, 1, 1);
    grid->addWidget(readHead, 1, 2);
    grid->addWidget(writeHead, 1, 3);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(2, 1);

    connect(readTemperatureButton, &QPushButton::clicked, this, [this, readTemperatureButton, temperature] {
        runServiceJob<Result<float>>(context_.runner, readTemperatureButton, &readTemperature,
                                     [this, temperature](const Result<float>& r) {
                                         if (!r.ok())
                                             return emit message(qs(r.error()));
                                         temperature->setText(qs(formatNumber("%5.1f°C", *r)));
                                         emit message(QString());
                                     });
    });
    connect(readHead, &QPushButton::clicked, this, [this, readHead, head] {
        runServiceJob<Result<std::uint8_t>>(context_.runner, readHead, &readHeadType,
                                            [this, head](const Result<std::uint8_t>& r) {
                                                if (!r.ok())
                                                    return emit message(qs(r.error()));
                                                head->setValue(*r);
                                                context_.guard.markKnown(blocks::kMeasureHeadType);
                                                emit message(QString());
                                            });
    });
    connect(writeHead, &QPushButton::clicked, this, [this, writeHead, head] {
        const auto type = static_cast<std::uint8_t>(head->value());
        const WriteGate& gate = context_.gate;
        runServiceJob<Status>(
            context_.runner, writeHead, [&gate, type](ModuleLink& l) { return writeHeadType(l, gate, type); },
            [this](const Status& s) { emit message(qs(s.error())); });
    });
    return page;
}

QWidget* MeasureTabs::recordsPage(std::size_t first, std::size_t last, const QString& suffix)
{
    auto* page = new QWidget(module_);
    auto* layout = new QGridLayout(page);
    for (std::size_t k = first; k <= last; ++k) {
        auto*& panel = panels_[k - kFirstPanelRecord];
        panel = new AdcPanel(recordSpec(k), context_.runner, page);
        connect(panel, &AdcPanel::message, this, &MeasureTabs::message);
        const int column = static_cast<int>(k - first);
        if (first != last)
            layout->addWidget(new QLabel(k == first ? QStringLiteral("AD1") : QStringLiteral("AD2"), page), 0, column);
        layout->addWidget(panel, 1, column);
    }
    auto* read = namedButton(QStringLiteral("Načti"), QStringLiteral("mnacti_") + suffix, page);
    auto* write = namedButton(QStringLiteral("Ulož"), QStringLiteral("muloz_") + suffix, page);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read);
    buttons->addWidget(write);
    buttons->addStretch();
    layout->addLayout(buttons, 2, 0, 1, 2);
    layout->setColumnStretch(2, 1);

    auto apply = [this](std::size_t k, const AdcRecord& record) {
        images_.cells.records[k] = record;
        panels_[k - kFirstPanelRecord]->setRecord(record);
        context_.guard.markKnown(blocks::cellRecord(k));
    };
    connect(read, &QPushButton::clicked, this, [this, read, first, last, apply] {
        if (first == last) {
            runServiceJob<Result<AdcRecord>>(context_.runner, read, &readBatteryRecord,
                                             [this, apply, first](const Result<AdcRecord>& r) {
                                                 if (!r.ok())
                                                     return emit message(qs(r.error()));
                                                 apply(first, *r);
                                                 emit message(QString());
                                             });
            return;
        }
        using Pair = std::pair<AdcRecord, AdcRecord>;
        runServiceJob<Result<Pair>>(context_.runner, read, &readMeasureInsulation,
                                    [this, apply, first, last](const Result<Pair>& r) {
                                        if (!r.ok())
                                            return emit message(qs(r.error()));
                                        apply(first, r->first);
                                        apply(last, r->second);
                                        emit message(QString());
                                    });
    });
    connect(write, &QPushButton::clicked, this, [this, write, first, last] {
        auto a = panels_[first - kFirstPanelRecord]->record();
        auto b = panels_[last - kFirstPanelRecord]->record();
        if (!a.ok() || !b.ok())
            return emit message(qs(a.ok() ? b.error() : a.error()));
        const WriteGate& gate = context_.gate;
        runServiceJob<Status>(
            context_.runner, write,
            [&gate, first, last, ra = *a, rb = *b](ModuleLink& l) {
                return first == last ? writeBatteryRecord(l, gate, ra) : writeMeasureInsulation(l, gate, ra, rb);
            },
            [this, first, last, ra = *a, rb = *b](const Status& s) {
                if (s.ok()) {
                    images_.cells.records[first] = ra;
                    images_.cells.records[last] = rb;
                }
                emit message(qs(s.error()));
            });
    });
    return page;
}

void MeasureTabs::showAll()
{
    network_->show({images_.network, images_.ports});
    cells_->showRecords(images_.cells);
    for (std::size_t i = 0; i < panels_.size(); ++i)
        panels_[i]->setRecord(images_.cells.records[kFirstPanelRecord + i]);
}

void MeasureTabs::readModule(QWidget* control, std::function<void(bool)> then)
{
    const ServiceProgress progress = progressTo(context_.progress);
    runModuleSequence<MeasureImages>(
        context_.runner, control, [progress](ModuleLink& l) { return readMeasureModule(l, progress); }, images_,
        [this] {
            context_.guard.markKnown(blocks::kMeasureModule);
            showAll();
        },
        [this](const QString& text) { emit message(text); }, std::move(then));
}

Result<MeasureImages> MeasureTabs::imagesFromFields() const
{
    MeasureImages images = images_;
    const CellGrid& grid = cells_->grid();
    for (std::size_t k = 0; k < grid.size(); ++k) {
        const CellRow& row = grid[k];
        // A row left empty keeps the record last read.
        if (row.address && row.config && row.offset && row.constant)
            images.cells.records[k] = recordFromRow(row);
    }
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        auto record = panels_[i]->record();
        if (!record.ok())
            return Error{record.error()};
        images.cells.records[kFirstPanelRecord + i] = *record;
    }
    if (const Status network = takeNetworkFields(images, *network_, images_); !network.ok())
        return Error{network.error()};
    return images;
}

void MeasureTabs::takeImages(const MeasureImages& images)
{
    images_ = images;
    showAll();
}

void MeasureTabs::writeModule(QWidget* control, std::function<void(bool)> then)
{
    auto fields = imagesFromFields();
    if (!fields.ok()) {
        emit message(qs(fields.error()));
        return then(false);
    }
    writeWholeModule(
        context_, *network_, control, *fields, images_, &writeMeasureModule,
        [this](const QString& text) { emit message(text); }, std::move(then));
}

} // namespace kapsorel::ui
