// The cell grid page of the measurement module's calibration.
#include "ui/service/cell_grid_page.h"

#include "core/service/measure_settings_jobs.h"
#include "ui/common/decimal_box.h"
#include "ui/service/service_job.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kapsorel::ui {
namespace {

constexpr int kColumns = 11;
const char* const kHeaders[kColumns] = {"#",   "Sel.", "Adr.", "CF",   "Offs.", "Konst.",
                                        "Min", "Vmin", "Max",  "Vmax", "Hod"};
const CellColumn kShown[] = {CellColumn::Address,  CellColumn::Config, CellColumn::Offset,
                             CellColumn::Constant, CellColumn::RawMin, CellColumn::VMin,
                             CellColumn::RawMax,   CellColumn::VMax,   CellColumn::Value};
constexpr int kFirstShown = 2;

} // namespace

CellGridPage::CellGridPage(const ServiceContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    auto* top = new QHBoxLayout;
    auto field = [this, top](QWidget* box, const QString& caption) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        top->addWidget(label);
        top->addWidget(box);
    };
    address_ = new QSpinBox(this);
    address_->setObjectName(QStringLiteral("cadr"));
    address_->setRange(0, 255);
    address_->setValue(208);
    config_ = new QSpinBox(this);
    config_->setObjectName(QStringLiteral("cconf"));
    config_->setRange(0, 255);
    config_->setValue(152);
    vMin_ = new DecimalBox(this);
    vMin_->setObjectName(QStringLiteral("umin"));
    vMax_ = new DecimalBox(this);
    vMax_->setObjectName(QStringLiteral("umax"));
    for (auto* box : {vMin_, vMax_}) {
        box->setDecimals(2);
        box->setRange(-1000.0, 1000.0);
    }
    all_ = new QCheckBox(QStringLiteral("Vše"), this);
    all_->setObjectName(QStringLiteral("chsel"));
    field(address_, QStringLiteral("Adr."));
    field(config_, QStringLiteral("CF"));
    field(vMin_, QStringLiteral("Vmin"));
    field(vMax_, QStringLiteral("Vmax"));
    top->addWidget(all_);
    top->addStretch();

    table_ = new QTableWidget(CellAdcTable::kCells + 1, kColumns, this);
    table_->setObjectName(QStringLiteral("Gclanky"));
    table_->horizontalHeader()->hide();
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int widths[kColumns] = {28, 34, 56, 56, 56, 96, 64, 66, 64, 70, 70};
    const char* const vButtons[kColumns] = {nullptr, nullptr,  "v_adr", "v_cf",   nullptr, nullptr,
                                            "v_min", "v_vmin", "v_max", "v_vmax", "v_hod"};
    for (int c = 0; c < kColumns; ++c) {
        table_->setColumnWidth(c, widths[c]);
        auto* header = new QWidget(table_);
        auto* h = new QHBoxLayout(header);
        h->setContentsMargins(2, 0, 2, 0);
        h->addWidget(new QLabel(QString::fromLatin1(kHeaders[c]), header));
        if (vButtons[c]) {
            auto* v = namedButton(QStringLiteral("v"), QString::fromLatin1(vButtons[c]), header);
            v->setFixedSize(18, 18);
            h->addWidget(v);
            connect(v, &QPushButton::clicked, this, [this, c, v] {
                const CellColumn column = kShown[c - kFirstShown];
                const bool upper = column == CellColumn::RawMax;
                switch (column) {
                case CellColumn::Address:
                    fillSelected(grid_, column, address_->value());
                    break;
                case CellColumn::Config:
                    fillSelected(grid_, column, config_->value());
                    break;
                case CellColumn::VMin:
                    fillSelected(grid_, column, vMin_->value());
                    break;
                case CellColumn::VMax:
                    fillSelected(grid_, column, vMax_->value());
                    break;
                case CellColumn::Value:
                    return runBatch(v, [](ModuleLink& l, CellGrid g) { return readCellVoltages(l, std::move(g)); });
                default:
                    return runBatch(v,
                                    [upper](ModuleLink& l, CellGrid g) { return readCellRaw(l, std::move(g), upper); });
                }
                refresh();
            });
        }
        table_->setCellWidget(0, c, header);
    }
    for (int r = 1; r <= static_cast<int>(CellAdcTable::kCells); ++r) {
        auto* number = new QTableWidgetItem(QString::number(r));
        number->setFlags(Qt::ItemIsEnabled);
        table_->setItem(r, 0, number);
        auto* sel = new QTableWidgetItem;
        sel->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        sel->setCheckState(Qt::Unchecked);
        table_->setItem(r, 1, sel);
        for (int c = kFirstShown; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c, item);
        }
    }
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == 1 && item->row() > 0)
            grid_[static_cast<std::size_t>(item->row() - 1)].selected = item->checkState() == Qt::Checked;
    });
    connect(all_, &QCheckBox::toggled, this, [this](bool on) {
        selectAll(grid_, on);
        refresh();
    });

    auto* read = namedButton(QStringLiteral("Načti"), QStringLiteral("cnacti"), this);
    auto* write = namedButton(QStringLiteral("Ulož"), QStringLiteral("culoz"), this);
    auto* calibrate = namedButton(QStringLiteral("Kalibrace"), QStringLiteral("ckalibrace"), this);
    connect(read, &QPushButton::clicked, this, [this, read] {
        runBatch(
            read, [](ModuleLink& l, CellGrid g) { return readCellRecords(l, std::move(g)); }, true);
    });
    connect(write, &QPushButton::clicked, this, [this, write] {
        const CellGrid grid = grid_;
        const WriteGate& gate = context_.gate;
        runServiceJob<Status>(
            context_.runner, write, [&gate, grid](ModuleLink& l) { return writeCellRecords(l, gate, grid); },
            [this](const Status& s) { emit message(qs(s.error())); });
    });
    connect(calibrate, &QPushButton::clicked, this, [this] {
        auto result = calibrateSelectedCells(grid_);
        grid_ = result.grid;
        refresh();
        emit message(qs(result.status.error()));
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read);
    buttons->addWidget(write);
    buttons->addWidget(calibrate);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    refresh();
}

void CellGridPage::runBatch(QWidget* control, std::function<Result<CellGrid>(ModuleLink&, CellGrid)> job, bool records)
{
    const CellGrid grid = grid_;
    const ServiceProgress progress = progressTo(context_.progress);
    runServiceJob<Result<CellGrid>>(
        context_.runner, control, [job, grid](ModuleLink& l) { return job(l, grid); },
        [this, records, grid](const Result<CellGrid>& r) {
            if (!r.ok())
                return emit message(qs(r.error()));
            if (records)
                for (std::size_t k : selectedRows(grid))
                    context_.guard.markKnown(blocks::cellRecord(k));
            // Cells the user changed while the batch ran keep the user's values.
            grid_ = mergeBatch(grid_, grid, *r);
            refresh();
            emit message(QString());
        });
}

void CellGridPage::showRecords(const CellAdcTable& table)
{
    for (std::size_t k = 0; k < CellAdcTable::kCells; ++k)
        applyRecord(grid_[k], table.records[k]);
    refresh();
}

void CellGridPage::refresh()
{
    const QSignalBlocker block(table_);
    for (std::size_t k = 0; k < grid_.size(); ++k) {
        const int r = static_cast<int>(k) + 1;
        table_->item(r, 1)->setCheckState(grid_[k].selected ? Qt::Checked : Qt::Unchecked);
        for (int c = kFirstShown; c < kColumns; ++c)
            table_->item(r, c)->setText(qs(cellText(grid_[k], kShown[c - kFirstShown])));
    }
}

} // namespace kapsorel::ui
