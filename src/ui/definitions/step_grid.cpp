#include "ui/definitions/step_grid.h"

#include "core/definitions/step_types.h"
#include "ui/common/refusal.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>

namespace kapsorel::ui {

namespace {

const QStringList kDesignHeaders{QStringLiteral("Krok"),
                                 QStringLiteral("Perioda"),
                                 QStringLiteral("Akce"),
                                 QStringLiteral("Napětí"),
                                 QStringLiteral("Proud"),
                                 QStringLiteral("Podmínka před"),
                                 QStringLiteral("Podmínka ukončení"),
                                 QStringLiteral("Tisk"),
                                 QStringLiteral("Rep."),
                                 QStringLiteral("Popis")};

constexpr int kActionColumn = static_cast<int>(StepColumn::Action);
constexpr int kStartColumn = static_cast<int>(StepColumn::StartCondition);
constexpr int kEndColumn = static_cast<int>(StepColumn::EndConditionOrText);
constexpr int kValue1Column = static_cast<int>(StepColumn::Value1);
constexpr int kValue2Column = static_cast<int>(StepColumn::Value2);

// Edits a cell in its own editor ("Akce" from the list of step types) and hands the
// typed text to the grid's check instead of writing it into the item.
class StepCellDelegate final : public QStyledItemDelegate {
  public:
    StepCellDelegate(StepGrid& grid, StepGrid::EditCell edit) : QStyledItemDelegate(&grid), grid_(grid), edit_(edit) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() != kActionColumn)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        box->setObjectName(QStringLiteral("akce_editor"));
        for (const auto& t : kStepTypes)
            box->addItem(QString::fromUtf8(t.name));
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const QString retry = grid_.retryText(index.row(), index.column());
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setCurrentIndex(box->findText(index.data().toString()));
            return;
        }
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line && !retry.isNull()) {
            line->setText(retry);
            line->selectAll();
            grid_.takeRetry();
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        QString text;
        if (auto* box = qobject_cast<QComboBox*>(editor))
            text = box->currentText();
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            text = line->text();
        if (text == index.data().toString())
            return;
        const Status taken = edit_(index.row(), index.column(), text);
        if (!taken)
            grid_.refuseEdit(index.row(), index.column(), text, taken.error());
    }

  private:
    StepGrid& grid_;
    StepGrid::EditCell edit_;
};

QColor colourOf(const Rgb& c)
{
    return QColor(c.r, c.g, c.b);
}

} // namespace

StepGrid::StepGrid(const ProcedureEditorState& state, EditCell edit, QWidget* parent)
    : QTableWidget(0, kStepGridColumns, parent), state_(state), edit_(std::move(edit))
{
    setObjectName(QStringLiteral("gkroky"));
    setAccessibleName(QStringLiteral("Kroky"));
    setHorizontalHeaderLabels(kDesignHeaders);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    horizontalHeader()->setStretchLastSection(true);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setItemDelegate(new StepCellDelegate(*this, edit_));
    const int widths[kStepGridColumns] = {40, 58, 96, 70, 70, 120, 150, 40, 40, 150};
    for (int c = 0; c < kStepGridColumns; ++c)
        setColumnWidth(c, widths[c]);
    connect(this, &QTableWidget::currentCellChanged, this, [this] { showHeadersForCurrentRow(); });
}

Qt::ItemFlags StepGrid::cellFlags(std::uint8_t type, int column) const
{
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (state_.readOnly() || column == static_cast<int>(StepColumn::Step) || column == kStartColumn)
        return flags;
    const StepTypeRow* row = type < kStepTypes.size() ? &kStepTypes[type] : nullptr;
    if (column == kEndColumn && (!row || row->hasEndCondition()))
        return flags; // the conditions window edits it
    if (column == kActionColumn || !row || stepColumnEditable(type, static_cast<StepColumn>(column)) ||
        column == kEndColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

void StepGrid::fill()
{
    const int keepRow = currentRow();
    const int keepColumn = currentColumn();
    const QSignalBlocker block(this);
    setRowCount(state_.stepCount());
    const bool checking = state_.shownBatteryType() != nullptr;
    for (int r = 0; r < state_.stepCount(); ++r) {
        const StepGridRow texts = state_.row(r);
        const std::uint8_t type = state_.procedure().steps[static_cast<std::size_t>(r)].type;
        const QColor rowColour = type < kStepTypes.size() ? colourOf(kStepTypes[type].rowColour) : QColor(Qt::white);
        for (int c = 0; c < kStepGridColumns; ++c) {
            auto* cell = new QTableWidgetItem(QString::fromStdString(texts[static_cast<std::size_t>(c)]));
            cell->setFlags(cellFlags(type, c));
            if (c > 0) {
                const bool missing = checking && cellShowsMissingVariable(texts[static_cast<std::size_t>(c)]);
                cell->setBackground(missing ? QColor(Qt::red) : rowColour);
                cell->setForeground(QColor(Qt::black));
            } else {
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            setItem(r, c, cell);
        }
    }
    if (rowCount() > 0)
        setCurrentCell(std::clamp(keepRow, 0, rowCount() - 1), std::max(keepColumn, 1));
    showHeadersForCurrentRow();
}

void StepGrid::showHeadersForCurrentRow()
{
    QStringList headers = kDesignHeaders;
    const int r = currentRow();
    if (r >= 0 && r < state_.stepCount()) {
        const std::uint8_t type = state_.procedure().steps[static_cast<std::size_t>(r)].type;
        if (type < kStepTypes.size()) {
            const StepTypeRow& t = kStepTypes[type];
            headers[kValue1Column] = QString::fromUtf8(t.header1);
            headers[kValue2Column] = QString::fromUtf8(t.header2);
            headers[kStartColumn] = QString::fromUtf8(t.header5);
            headers[kEndColumn] = QString::fromUtf8(t.header6);
        }
    }
    setHorizontalHeaderLabels(headers);
}

std::pair<int, int> StepGrid::selectedSteps() const
{
    int first = currentRow();
    int last = currentRow();
    for (const QTableWidgetSelectionRange& range : selectedRanges()) {
        first = first < 0 ? range.topRow() : std::min(first, range.topRow());
        last = std::max(last, range.bottomRow());
    }
    return {first, last};
}

void StepGrid::refuseEdit(int row, int column, const QString& typed, const std::string& message)
{
    // After the editor has closed: the message, then the cell again with what was typed.
    QTimer::singleShot(0, this, [this, row, column, typed, message] {
        showRefusal(this, message);
        if (row >= rowCount())
            return;
        retry_ = Retry{row, column, typed};
        setCurrentCell(row, column);
        editItem(item(row, column));
    });
}

QString StepGrid::retryText(int row, int column) const
{
    return retry_.row == row && retry_.column == column ? retry_.text : QString();
}

void StepGrid::keyPressEvent(QKeyEvent* event)
{
    // Delete empties an editable value cell; other keys as in any grid.
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        QTableWidgetItem* cell = currentItem();
        if (cell && (cell->flags() & Qt::ItemIsEditable) && currentColumn() != kActionColumn &&
            !cell->text().isEmpty()) {
            const Status taken = edit_(currentRow(), currentColumn(), QString());
            if (!taken)
                showRefusal(this, taken.error());
            return;
        }
    }
    QTableWidget::keyPressEvent(event);
}

void StepGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && state_.serviceRights()) {
        // Column 6 opens the end condition even where it shows a text ("Volba" keeps its
        // question there): a double click is the only way to that condition; the text is
        // typed into the cell.
        const int column = at.column();
        if (column == kStartColumn || column == kEndColumn) {
            emit conditionCellOpened(at.row(), column);
            return;
        }
        if (column == kValue1Column || column == kValue2Column) {
            emit valueCellOpened(at.row(), column);
            return;
        }
    }
    QTableWidget::mouseDoubleClickEvent(event);
}

} // namespace kapsorel::ui
