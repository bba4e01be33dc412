// The variables list window: the table built by core, shown and picked from.
#include "ui/definitions/variables_list_window.h"

#include "ui/common/window_placement.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "TFseznam_pr";
constexpr int kDefaultColumns = 2;

std::string widthKey(int column)
{
    return "PCW" + std::to_string(column);
}

// Enter on a row picks it, as a double click does.
class ListGrid final : public QTableWidget {
  public:
    using QTableWidget::QTableWidget;

  protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
            emit doubleClicked(currentIndex());
            return;
        }
        QTableWidget::keyPressEvent(event);
    }
};

} // namespace

VariablesListWindow::VariablesListWindow(ConfigFile& config, const BatteryTable& types, bool informationOnly,
                                         QWidget* parent)
    : QDialog(parent), config_(config), list_(buildVariablesList(types.types())),
      pickResult_(informationOnly ? std::string(kInformationOnlyPick) : std::string())
{
    setObjectName(QString::fromLatin1(kSection));
    setWindowTitle(QStringLiteral("Seznam proměnných"));
    setModal(true);

    grid_ = new ListGrid(this);
    grid_->setObjectName(QStringLiteral("gseznam_pr"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setAlternatingRowColors(true);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 8);
    connect(grid_, &QTableWidget::doubleClicked, this, [this](const QModelIndex& index) { choose(index.row()); });

    auto* caption = new QLabel(informationOnly ? QStringLiteral("Proměnné baterií")
                                               : QStringLiteral("Proměnnou vyberete dvojklikem nebo klávesou Enter"),
                               this);
    caption->setBuddy(grid_);
    auto* close = new QPushButton(QStringLiteral("Zavři"), this);
    close->setObjectName(QStringLiteral("bzavri"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);

    fill();
    resize(620, 420);
    restorePlacement(*this, config_, kSection);
}

void VariablesListWindow::fill()
{
    const auto headers = list_.headers();
    grid_->clear();
    grid_->setColumnCount(static_cast<int>(headers.size()));
    grid_->setRowCount(static_cast<int>(list_.rows.size()));
    QStringList labels;
    for (const auto& h : headers)
        labels << QString::fromStdString(h);
    grid_->setHorizontalHeaderLabels(labels);
    for (int r = 0; r < static_cast<int>(list_.rows.size()); ++r) {
        const VariablesListRow& row = list_.rows[static_cast<std::size_t>(r)];
        grid_->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(row.id)));
        grid_->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(row.description)));
        for (std::size_t c = 0; c < row.values.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(row.values[c]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid_->setItem(r, static_cast<int>(c) + 2, item);
        }
    }
    // Widths of their own first; the stored ones, for the columns stored, over them.
    QHeaderView* header = grid_->horizontalHeader();
    header->resizeSection(0, 48);
    header->resizeSection(1, 180);
    for (int c = 2; c < grid_->columnCount(); ++c)
        header->resizeSection(c, std::max(90, header->fontMetrics().horizontalAdvance(labels[c]) + 24));
    const int stored = std::min(config_.readInt(kSection, "CCOUNT", kDefaultColumns), grid_->columnCount());
    for (int c = 0; c < stored; ++c)
        if (const int width = config_.readInt(kSection, widthKey(c), 0); width > 0)
            header->resizeSection(c, width);
    if (grid_->rowCount() > 0)
        grid_->selectRow(0);
}

void VariablesListWindow::choose(int row)
{
    picked_ = pickVariable(pickResult_, list_, row);
    accept();
}

void VariablesListWindow::done(int result)
{
    config_.writeInt(kSection, "CCOUNT", grid_->columnCount());
    for (int c = 0; c < grid_->columnCount(); ++c)
        config_.writeInt(kSection, widthKey(c), grid_->columnWidth(c));
    savePlacement(*this, config_, kSection);
    QDialog::done(result);
}

std::optional<std::string> VariablesListWindow::pick(QWidget* parent, ConfigFile& config, const BatteryTable& types,
                                                     bool informationOnly)
{
    VariablesListWindow list(config, types, informationOnly, parent);
    list.exec();
    return list.picked();
}

} // namespace kapsorel::ui
