// The battery types window's grid models, grid view keys and chemistry drop-down.
#include "ui/definitions/battery_grids.h"

#include "ui/common/refusal.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace kapsorel::ui {

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QVariant header(const QStringList& names, int section, Qt::Orientation orientation, int role)
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < names.size() ? QVariant(names[section]) : QVariant();
}

// An edit that leaves the text as shown changes nothing (and is never refused).
bool unchanged(const QAbstractItemModel& model, const QModelIndex& index, const QVariant& value)
{
    return model.data(index, Qt::EditRole).toString() == value.toString();
}

} // namespace

BatteryGridModel::BatteryGridModel(BatteryTypesEditor& editor, RefusalReporter report, QObject* parent)
    : QAbstractTableModel(parent), editor_(editor), report_(std::move(report))
{
}

void BatteryGridModel::setType(int type)
{
    beginResetModel();
    type_ = type;
    endResetModel();
}

void BatteryGridModel::refresh()
{
    beginResetModel();
    endResetModel();
}

QString BatteryGridModel::clearedText(int) const
{
    return {};
}

bool BatteryGridModel::accepted(const Status& status, const QModelIndex& cell, const QString& typed)
{
    if (!status) {
        report_(cell, typed, qs(status.error()));
        return false;
    }
    emit edited();
    return true;
}

// --- gbaterie ------------------------------------------------------------------------

int BatteryTypesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : editor_.typeCount();
}

int BatteryTypesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant BatteryTypesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return qs(editor_.typeRow(index.row())[static_cast<std::size_t>(index.column())]);
    if (role == Qt::TextAlignmentRole && index.column() == int(BatteryColumn::Head))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant BatteryTypesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return header({QStringLiteral("Hlava"), QStringLiteral("Popis"), QStringLiteral("Typ")}, section, orientation,
                  role);
}

Qt::ItemFlags BatteryTypesModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return editable_ ? base | Qt::ItemIsEditable : base;
}

bool BatteryTypesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!editable_ || !index.isValid() || role != Qt::EditRole)
        return false;
    if (unchanged(*this, index, value))
        return true;
    const bool ok = accepted(
        editor_.editType(index.row(), static_cast<BatteryColumn>(index.column()), value.toString().toStdString()),
        index, value.toString());
    emit dataChanged(index, index);
    return ok;
}

QString BatteryTypesModel::clearedText(int column) const
{
    return column == int(BatteryColumn::Head) ? QStringLiteral("0") : QString();
}

// --- gprop ---------------------------------------------------------------------------

int BatteryVariablesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || type_ < 0 || type_ >= editor_.typeCount() ? 0 : editor_.variableCount(type_);
}

int BatteryVariablesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant BatteryVariablesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return qs(editor_.variableRow(type_, index.row())[static_cast<std::size_t>(index.column())]);
    if (role == Qt::TextAlignmentRole && index.column() == int(VariableColumn::Value))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant BatteryVariablesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return header({QStringLiteral("Popis"), QStringLiteral("ID"), QStringLiteral("Hodnota")}, section, orientation,
                  role);
}

Qt::ItemFlags BatteryVariablesModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return editable_ ? base | Qt::ItemIsEditable : base;
}

bool BatteryVariablesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!editable_ || !index.isValid() || role != Qt::EditRole)
        return false;
    if (unchanged(*this, index, value))
        return true;
    const bool ok = accepted(editor_.editVariable(type_, index.row(), static_cast<VariableColumn>(index.column()),
                                                  value.toString().trimmed().toStdString()),
                             index, value.toString());
    emit dataChanged(index, index);
    return ok;
}

QString BatteryVariablesModel::clearedText(int column) const
{
    return column == int(VariableColumn::Value) ? QStringLiteral("0") : QString();
}

// --- gbpostupy -----------------------------------------------------------------------

std::vector<AllowedProcedureRow> AllowedProceduresModel::rows() const
{
    if (type_ < 0 || type_ >= editor_.typeCount())
        return {};
    return editor_.allowedRows(type_);
}

int AllowedProceduresModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows().size());
}

int AllowedProceduresModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant AllowedProceduresModel::data(const QModelIndex& index, int role) const
{
    const auto all = rows();
    if (!index.isValid() || index.row() >= static_cast<int>(all.size()))
        return {};
    const AllowedProcedureRow& row = all[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case kNameColumn:
        return role == Qt::DisplayRole ? QVariant(qs(row.name)) : QVariant();
    case kEnabledColumn:
        if (role == Qt::CheckStateRole)
            return row.allowed ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::EditRole)
            return row.allowed ? QStringLiteral("Y") : QStringLiteral("N");
        return {};
    default:
        return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(row.number) : QVariant();
    }
}

QVariant AllowedProceduresModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return header({QStringLiteral("Postup"), QStringLiteral("En."), QString()}, section, orientation, role);
}

Qt::ItemFlags AllowedProceduresModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == kEnabledColumn && editable_)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool AllowedProceduresModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!editable_ || !index.isValid() || index.column() != kEnabledColumn || role != Qt::CheckStateRole)
        return false;
    const auto all = rows();
    if (index.row() >= static_cast<int>(all.size()))
        return false;
    const bool allowed = value.toInt() == Qt::Checked;
    const bool ok =
        accepted(editor_.setAllowed(type_, all[static_cast<std::size_t>(index.row())].number, allowed), index, {});
    emit dataChanged(index, index);
    return ok;
}

// --- the grid view -------------------------------------------------------------------

GridView::GridView(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setVisible(false);
    setWordWrap(false);
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    if (state() != QAbstractItemView::EditingState && model()) {
        const QModelIndex current = currentIndex();
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
            const QModelIndex next = moveCursor(QAbstractItemView::MoveNext, Qt::NoModifier);
            if (next.isValid())
                setCurrentIndex(next);
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Delete && current.isValid() && (model()->flags(current) & Qt::ItemIsEditable)) {
            const auto* grid = qobject_cast<const BatteryGridModel*>(model());
            model()->setData(current, grid ? grid->clearedText(current.column()) : QString(), Qt::EditRole);
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void GridView::commitData(QWidget* editor)
{
    committing_ = true;
    QTableView::commitData(editor);
    committing_ = false;
}

void GridView::refuseEdit(const QModelIndex& cell, const QString& typed, const QString& message)
{
    const bool retry = committing_;
    // After the editor has closed: the message, then the cell again with what was typed.
    QTimer::singleShot(0, this, [this, cell = QPersistentModelIndex(cell), typed, message, retry] {
        showRefusal(this, message.toStdString());
        if (!retry || !cell.isValid() || !isVisible())
            return;
        setCurrentIndex(cell);
        edit(cell);
        const QPoint at = visualRect(cell).center();
        for (auto* line : viewport()->findChildren<QLineEdit*>())
            if (line->isVisible() && line->geometry().contains(at)) {
                line->setText(typed);
                line->selectAll();
            }
    });
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (hint != QAbstractItemDelegate::SubmitModelCache) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    // Enter ends the edit and goes on to the next cell.
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex next = moveCursor(QAbstractItemView::MoveNext, Qt::NoModifier);
    if (next.isValid())
        setCurrentIndex(next);
}

// --- "Typ" ---------------------------------------------------------------------------

QWidget* ChemistryDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("typ_baterie"));
    box->addItems({QStringLiteral("NiCd"), QStringLiteral("Pb")});
    connect(box, &QComboBox::activated, this,
            [this, box] { emit const_cast<ChemistryDelegate*>(this)->commitData(box); });
    return box;
}

void ChemistryDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* box = static_cast<QComboBox*>(editor);
    box->setCurrentIndex(box->findText(index.data(Qt::EditRole).toString()));
}

void ChemistryDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
}

} // namespace kapsorel::ui
