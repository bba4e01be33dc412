#include "ui/records/record_tables.h"

#include "core/base/numbers.h"
#include "core/definitions/duration_text.h"
#include "core/definitions/step_types.h"
#include "ui/common/window_placement.h"

#include <QHeaderView>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace kapsorel::ui {

namespace {

// Rows announced as an insertion at most; more are announced as a reset.
constexpr std::size_t kLargestInsertion = 1000;

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QString number(const char* format, float v)
{
    return qs(formatNumber(format, static_cast<double>(v)));
}

QString duration(std::int64_t seconds)
{
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    return qs(formatDurationHms(static_cast<std::int32_t>(std::clamp(seconds, -kMax, kMax))));
}

QVariant header(Qt::Orientation orientation, int role, int section, const std::string& text)
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0)
        return {};
    return qs(text);
}

// Header sections with a pixel of margin instead of the style's few: the 33 px cell
// columns keep room for a readable "Bat20".
class NarrowHeaderStyle final : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_HeaderMargin)
            return 1;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

// ---- data table ---------------------------------------------------------------------

int GrowingTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(std::min<std::size_t>(shown_, std::numeric_limits<int>::max()));
}

void GrowingTableModel::reload()
{
    beginResetModel();
    shown_ = tableSize();
    endResetModel();
}

bool GrowingTableModel::appendRows()
{
    const std::size_t n = tableSize();
    if (n < shown_) {
        reload();
        return true;
    }
    if (n == shown_)
        return false;
    // More new rows than shown ones (a long test read into the table): a reset costs the
    // view the same at any size, an insertion costs it per row.
    if (n - shown_ > std::max<std::size_t>(shown_, kLargestInsertion)) {
        reload();
        return true;
    }
    beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(n - 1));
    shown_ = n;
    endInsertRows();
    return true;
}

void GrowingTableModel::setHeaderFont(int first, int count, const QFont& font)
{
    fontFirst_ = first;
    fontCount_ = count;
    font_ = font;
    if (count > 0)
        emit headerDataChanged(Qt::Horizontal, first, first + count - 1);
}

QVariant GrowingTableModel::headerFont(int section) const
{
    if (section < fontFirst_ || section >= fontFirst_ + fontCount_)
        return {};
    return font_;
}

SampleTableModel::SampleTableModel(const SampleTable& table, QObject* parent) : GrowingTableModel(parent), table_(table)
{
    reload();
}

int SampleTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : sample_col::kCount;
}

QString SampleTableModel::text(std::size_t row, int column) const
{
    const SampleRow& r = table_.row(row);
    const SampleRecord& s = r.sample;
    switch (column) {
    case sample_col::kTime:
        return duration(r.x);
    case sample_col::kCurrent:
        return number("%4.1f", s.current);
    case sample_col::kVoltage:
        return number("%4.1f", s.voltage);
    case sample_col::kTemperature:
        return number("%4.1f", s.temperature);
    case sample_col::kStep:
        return QString::number(s.step + 1);
    default:
        return number("%4.2f", s.cells[static_cast<std::size_t>(column - sample_col::kFirstCell)]);
    }
}

QVariant SampleTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= shown())
        return {};
    if (role == Qt::DisplayRole)
        return text(static_cast<std::size_t>(index.row()), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant SampleTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::FontRole)
        return headerFont(section);
    return header(orientation, role, section, SampleTable::header(section));
}

// ---- steps table --------------------------------------------------------------------

StepTableModel::StepTableModel(const StepTable& table, QObject* parent) : GrowingTableModel(parent), table_(table)
{
    reload();
}

int StepTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : step_col::kCount;
}

QString StepTableModel::text(std::size_t row, int column) const
{
    const StepRow& r = table_.row(row);
    if (r.interruption) {
        if (column == step_col::kTime)
            return duration(r.seconds);
        if (column == step_col::kDescription)
            return QString::fromUtf8(kInterruptionRowText);
        return {};
    }
    const StepResult& s = r.result;
    switch (column) {
    case step_col::kTime:
        return duration(r.seconds);
    case step_col::kCurrent:
        return number(r.fromFile ? "%5.1f" : "%4.1f", s.current);
    case step_col::kVoltage:
        return number("%4.1f", s.voltage);
    case step_col::kCapacity:
        return number("%4.1f", s.capacity);
    case step_col::kDescription:
        return qs(s.description);
    case step_col::kPrint:
        return QString::number(s.printNumber);
    case step_col::kRep:
        return QString::number(s.repNumber);
    case step_col::kAction:
        return QString::fromUtf8(stepTypeName(s.stepType));
    default:
        return number("%4.2f", s.cells[static_cast<std::size_t>(column - step_col::kFirstCell)]);
    }
}

QVariant StepTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= shown())
        return {};
    if (role == Qt::DisplayRole)
        return text(static_cast<std::size_t>(index.row()), index.column());
    // Numbers line up on the right as in the data window; names read from the left.
    if (role == Qt::TextAlignmentRole && index.column() != step_col::kDescription &&
        index.column() != step_col::kAction)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant StepTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::FontRole)
        return headerFont(section);
    return header(orientation, role, section, StepTable::header(section));
}

// ---- grid ---------------------------------------------------------------------------

RecordGrid::RecordGrid(QWidget* parent) : QTableView(parent)
{
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    auto* headerStyle = new NarrowHeaderStyle;
    headerStyle->setParent(horizontalHeader());
    horizontalHeader()->setStyle(headerStyle);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone); // 33 px cell columns show what fits of "1,23"
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void RecordGrid::applyFamily(BatteryFamily family, int firstCellColumn)
{
    const bool nicd = family == BatteryFamily::NiCd;
    for (int c = firstCellColumn; c < firstCellColumn + kCellCount; ++c) {
        setColumnHidden(c, !nicd);
        if (nicd)
            setColumnWidth(c, kCellColumnWidth);
    }
}

void RecordGrid::fitCellHeaders(int firstCellColumn)
{
    auto* m = qobject_cast<GrowingTableModel*>(model());
    if (!m)
        return;
    const QHeaderView* h = horizontalHeader();
    const int room = kCellColumnWidth - 2 * h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    const auto widest = [&](const QFont& f) {
        const QFontMetrics fm(f);
        int most = 0;
        for (int c = firstCellColumn; c < firstCellColumn + kCellCount; ++c)
            most = std::max(most, fm.horizontalAdvance(m->headerData(c, Qt::Horizontal).toString()));
        return most;
    };
    QFont font = h->font();
    // Half a point smaller at a time, but never below 6 points.
    for (qreal size = font.pointSizeF(); size > 6.0 && widest(font) > room;) {
        size = std::max<qreal>(6.0, size - 0.5);
        font.setPointSizeF(size);
    }
    m->setHeaderFont(firstCellColumn, kCellCount, font);
}

void RecordGrid::fitColumn(int column, const QString& widest)
{
    const QHeaderView* h = horizontalHeader();
    // An item's text keeps the focus frame's margin and a pixel on each side.
    const int itemMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int headerMargin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    const QString title = model()->headerData(column, Qt::Horizontal).toString();
    const int content = fontMetrics().horizontalAdvance(widest) + 2 * itemMargin;
    const int heading = h->fontMetrics().horizontalAdvance(title) + 2 * headerMargin;
    setColumnWidth(column, std::max(content, heading) + 2);
}

int RecordGrid::fullWidth(int firstCellColumn) const
{
    int width = 0;
    for (int c = 0; c < model()->columnCount(); ++c) {
        const bool cell = c >= firstCellColumn && c < firstCellColumn + kCellCount;
        width += cell ? kCellColumnWidth : columnWidth(c);
    }
    return width + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
}

bool RecordGrid::followsNewest() const
{
    const QScrollBar* bar = verticalScrollBar();
    return bar->value() >= bar->maximum();
}

// ---- windows ------------------------------------------------------------------------

DataWindow::DataWindow(const SampleTable& table, ConfigFile& config, QWidget* parent)
    : QWidget(parent, Qt::Window), config_(config)
{
    setObjectName(QStringLiteral("TFdata"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    model_ = new SampleTableModel(table, this);
    grid_ = new RecordGrid(this);
    grid_->setObjectName(QStringLiteral("gdata"));
    grid_->setModel(model_);
    grid_->fitCellHeaders(sample_col::kFirstCell);
    grid_->fitColumn(sample_col::kTime, QStringLiteral("000:00:00"));
    grid_->fitColumn(sample_col::kCurrent, QStringLiteral("-100,0"));
    grid_->fitColumn(sample_col::kVoltage, QStringLiteral("100,0"));
    grid_->fitColumn(sample_col::kTemperature, QStringLiteral("-10,0"));
    grid_->fitColumn(sample_col::kStep, QStringLiteral("255"));
    layout->addWidget(grid_);
    setStationName({});
    // Every column in view for "NiCd" (the widest family).
    resize(grid_->fullWidth(sample_col::kFirstCell), 500);
    restorePlacement(*this, config_, "TFdata");
}

void DataWindow::setStationName(const std::string& station)
{
    setWindowTitle(QStringLiteral("Data - ") + qs(station));
}

void DataWindow::setFamily(BatteryFamily family)
{
    grid_->applyFamily(family, sample_col::kFirstCell);
}

void DataWindow::reload()
{
    model_->reload();
    grid_->scrollToBottom();
}

void DataWindow::appendRows()
{
    grid_->appendFollowing([this] { return model_->appendRows(); });
}

void DataWindow::saveState()
{
    savePlacement(*this, config_, "TFdata");
}

StepsWindow::StepsWindow(const StepTable& table, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TFkroky"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    model_ = new StepTableModel(table, this);
    grid_ = new RecordGrid(this);
    grid_->setObjectName(QStringLiteral("gkroky"));
    grid_->setModel(model_);
    grid_->fitCellHeaders(step_col::kFirstCell);
    grid_->fitColumn(step_col::kTime, QStringLiteral("000:00:00"));
    grid_->fitColumn(step_col::kCurrent, QStringLiteral("-100,0"));
    grid_->fitColumn(step_col::kVoltage, QStringLiteral("100,0"));
    grid_->fitColumn(step_col::kCapacity, QStringLiteral("999,9"));
    grid_->setColumnWidth(step_col::kDescription, 180); // most descriptions; longer ones are cut
    grid_->fitColumn(step_col::kPrint, QStringLiteral("255"));
    grid_->fitColumn(step_col::kRep, QStringLiteral("255"));
    QString action;
    for (std::uint8_t type = 0; type < static_cast<std::uint8_t>(kStepTypeCount); ++type)
        if (grid_->fontMetrics().horizontalAdvance(QString::fromUtf8(stepTypeName(type))) >
            grid_->fontMetrics().horizontalAdvance(action))
            action = QString::fromUtf8(stepTypeName(type));
    grid_->fitColumn(step_col::kAction, action);
    layout->addWidget(grid_);
    setStationName({});
    // Every column in view for "NiCd" (the widest family), "Akce" included.
    resize(grid_->fullWidth(step_col::kFirstCell), 400);
}

void StepsWindow::setStationName(const std::string& station)
{
    setWindowTitle(QStringLiteral("Kroky - ") + qs(station));
}

void StepsWindow::setFamily(BatteryFamily family)
{
    grid_->applyFamily(family, step_col::kFirstCell);
}

void StepsWindow::reload()
{
    model_->reload();
}

void StepsWindow::appendRows()
{
    grid_->appendFollowing([this] { return model_->appendRows(); });
}

} // namespace kapsorel::ui
