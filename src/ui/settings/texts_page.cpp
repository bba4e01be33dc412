#include "ui/settings/texts_page.h"

#include "core/base/files.h"
#include "ui/common/ask.h"
#include "ui/common/refusal.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace kapsorel::ui {

namespace {

constexpr int kVariable = static_cast<int>(ReportTextColumn::Variable);
constexpr int kPosition = static_cast<int>(ReportTextColumn::Position);
constexpr int kTextColumn = static_cast<int>(ReportTextColumn::Text);
// The last committed text of a cell, put back when an edit is refused.
constexpr int kCommittedRole = Qt::UserRole + 1;

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// "Proměnná" offers P0-P2 and takes any text; "Pozice" offers only its three names.
class TextCellDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() != kVariable && index.column() != kPosition)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        if (index.column() == kVariable) {
            box->setEditable(true);
            box->addItems({QStringLiteral("P0"), QStringLiteral("P1"), QStringLiteral("P2")});
        } else {
            for (const auto& name : reportTextPositionNames())
                box->addItem(qs(name));
        }
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            const QString text = index.data(Qt::EditRole).toString();
            if (box->isEditable())
                box->setEditText(text);
            else
                box->setCurrentIndex(std::max(0, box->findText(text)));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, box->currentText(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }
};

QPushButton* rowButton(const QString& caption, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFixedWidth(32);
    return b;
}

} // namespace

TextsPage::TextsPage(std::filesystem::path file, std::function<QString()> stationName, Clock& clock, QWidget* parent)
    : QWidget(parent), file_(std::move(file)), stationName_(std::move(stationName)), clock_(clock)
{
    grid_ = new QTableWidget(0, static_cast<int>(kReportTextColumns), this);
    grid_->setObjectName(QStringLiteral("gtexty"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("Proměnná"), QStringLiteral("Hodnota"), QStringLiteral("Text"),
                                      QStringLiteral("Pozice"), QStringLiteral("X"), QStringLiteral("Y")});
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setItemDelegate(new TextCellDelegate(grid_));
    grid_->verticalHeader()->setDefaultSectionSize(22);
    const int widths[] = {80, 66, 200, 76, 44, 44};
    for (int c = 0; c < grid_->columnCount(); ++c)
        grid_->setColumnWidth(c, widths[c]);
    // "Text" takes whatever the other columns leave of the grid's width.
    grid_->horizontalHeader()->setSectionResizeMode(kTextColumn, QHeaderView::Stretch);
    connect(grid_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_)
            return;
        const Status st =
            checkReportTextCell(static_cast<ReportTextColumn>(item->column()), item->text().toStdString());
        filling_ = true;
        if (st)
            item->setData(kCommittedRole, item->text());
        else
            item->setText(item->data(kCommittedRole).toString());
        filling_ = false;
        if (!st) {
            showRefusal(this, st.error());
            return;
        }
        markModified();
    });

    auto* add = rowButton(QStringLiteral("+"), "texty_plus", this);
    auto* remove = rowButton(QStringLiteral("-"), "texty_minus", this);
    auto* up = rowButton(QStringLiteral("^"), "texty_nahoru", this);
    auto* down = rowButton(QStringLiteral("v"), "texty_dolu", this);
    connect(add, &QPushButton::clicked, this, [this] {
        addRow({"", "0", "", reportTextPositionName(ReportTextPosition::Page), "0", "0"});
        grid_->selectRow(grid_->rowCount() - 1);
        markModified();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = grid_->currentRow();
        if (row < 0)
            return;
        grid_->removeRow(row);
        markModified();
    });
    connect(up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveSelected(1); });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("texty_ok"));
    auto* cancel = new QPushButton(QStringLiteral("Zruš"), this);
    cancel->setObjectName(QStringLiteral("texty_zrus"));
    connect(ok, &QPushButton::clicked, this, [this] {
        if (save())
            emit finished();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (settleEdits())
            emit finished();
    });

    auto* rowCommands = new QVBoxLayout;
    for (QPushButton* b : {add, remove, up, down})
        rowCommands->addWidget(b);
    rowCommands->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(grid_, 1);
    top->addLayout(rowCommands);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
}

void TextsPage::addRow(const ReportTextCells& cells)
{
    const bool wasFilling = filling_;
    filling_ = true;
    const int row = grid_->rowCount();
    grid_->insertRow(row);
    for (std::size_t c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(qs(cells[c]));
        item->setData(kCommittedRole, qs(cells[c]));
        grid_->setItem(row, static_cast<int>(c), item);
    }
    filling_ = wasFilling;
}

void TextsPage::moveSelected(int by)
{
    const int row = grid_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= grid_->rowCount())
        return;
    filling_ = true;
    for (int c = 0; c < grid_->columnCount(); ++c) {
        QTableWidgetItem* a = grid_->takeItem(row, c);
        QTableWidgetItem* b = grid_->takeItem(to, c);
        grid_->setItem(row, c, b);
        grid_->setItem(to, c, a);
    }
    filling_ = false;
    grid_->setCurrentCell(to, grid_->currentColumn() < 0 ? 0 : grid_->currentColumn());
    grid_->selectRow(to);
    markModified();
}

void TextsPage::load()
{
    filling_ = true;
    grid_->setRowCount(0);
    filling_ = false;
    modified_ = false;
    if (Status folder = ensureFolder(file_.parent_path()); !folder) {
        showRefusal(this, folder.error());
        return;
    }
    auto texts = readReportTexts(file_, clock_);
    if (!texts) {
        showRefusal(this, texts.error());
        return;
    }
    for (const ReportText& t : texts.value())
        addRow(reportTextCells(t));
}

bool TextsPage::save()
{
    std::vector<ReportTextCells> rows;
    rows.reserve(static_cast<std::size_t>(grid_->rowCount()));
    for (int r = 0; r < grid_->rowCount(); ++r) {
        ReportTextCells cells;
        for (int c = 0; c < grid_->columnCount(); ++c) {
            const QTableWidgetItem* item = grid_->item(r, c);
            cells[static_cast<std::size_t>(c)] = item ? item->text().toStdString() : std::string();
        }
        rows.push_back(std::move(cells));
    }
    if (Status folder = ensureFolder(file_.parent_path()); !folder) {
        showRefusal(this, folder.error());
        return false;
    }
    if (Status saved = saveReportTextRows(file_, rows, clock_); !saved) {
        showRefusal(this, saved.error());
        return false;
    }
    modified_ = false;
    return true;
}

bool TextsPage::settleEdits()
{
    if (!modified_)
        return true;
    if (ask(this, stationName_(), QStringLiteral("Provedeny změny v textech.  Uložit?  "), false) == AskAnswer::Yes)
        return save();
    load();
    return true;
}

} // namespace kapsorel::ui
