#include "ui/records/graph_window.h"

#include "core/app/stored_colour.h"
#include "core/base/numbers.h"
#include "core/records/graph_colours.h"
#include "ui/common/window_placement.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <qcustomplot.h>
#include <string>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "TFgraf";

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string key(int series, const char* suffix)
{
    return "Series" + std::to_string(series) + suffix;
}

QColor toQColor(std::int32_t stored)
{
    const StoredColour c = decodeColour(stored);
    if (c.kind == StoredColour::Kind::System)
        return QColor(Qt::darkGray);
    return QColor(c.red, c.green, c.blue);
}

std::int32_t fromQColor(const QColor& c)
{
    return encodeRgb(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                     static_cast<std::uint8_t>(c.blue()));
}

QString seriesTitle(int series)
{
    if (series == graph_series::kCurrent)
        return QStringLiteral("Proud");
    if (series == graph_series::kVoltage)
        return QStringLiteral("Napětí");
    return QStringLiteral("Bat%1").arg(series + 1);
}

QColor fromRgb(std::uint32_t rgb)
{
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

// Room one bottom label needs, with space around it.
constexpr int kBottomLabelPitch = 100;

} // namespace

// Tick labels with the program's number text instead of the chart's locale.
class NumberTicker : public QCPAxisTicker {
  protected:
    QString getTickLabel(double tick, const QLocale&, QChar formatChar, int precision) override
    {
        const std::string format = "%." + std::to_string(precision) + formatChar.toLatin1();
        return qs(formatNumber(format.c_str(), tick));
    }
};

// Bottom axis: ticks at round durations, each label the number the chart would show,
// turned into duration text.
class DurationTicker final : public NumberTicker {
  public:
    // At most this many steps across the axis, so the labels keep apart.
    void setMostTicks(int ticks) { mostTicks_ = std::max(ticks, 1); }

  protected:
    double getTickStep(const QCPRange& range) override
    {
        ticks_ = durationTicks(range.size(), mostTicks_);
        return ticks_.step;
    }
    int getSubTickCount(double) override { return ticks_.subTicks; }
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override
    {
        const QString number = NumberTicker::getTickLabel(tick, locale, formatChar, precision);
        return qs(bottomAxisLabel(number.toStdString()));
    }

  private:
    int mostTicks_ = 5;
    DurationTicks ticks_;
};

std::int32_t defaultSeriesColour(int series)
{
    const std::uint32_t rgb = defaultSeriesRgb(series);
    return encodeRgb(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                     static_cast<std::uint8_t>(rgb));
}

GraphWindow::GraphWindow(SampleTable& table, ConfigFile& config, QWidget* parent)
    : QWidget(parent, Qt::Window), table_(table), config_(config)
{
    setObjectName(QStringLiteral("TFgraf"));
    auto* layout = new QHBoxLayout(this);

    plot_ = new QCustomPlot(this);
    plot_->setObjectName(QStringLiteral("chart"));
    plot_->setNoAntialiasingOnDrag(true);
    // Nothing is drawn on the overlay: it shares the one paint buffer instead of its own.
    plot_->layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    plot_->plotLayout()->insertRow(0);
    auto* title = new QCPTextElement(plot_, QStringLiteral("Články"), QFont(font().family(), 11, QFont::Bold));
    title->setObjectName(QStringLiteral("titulek"));
    plot_->plotLayout()->addElement(0, 0, title);
    plot_->legend->setVisible(false);
    plot_->xAxis->setLabel(QStringLiteral("Čas[s]"));
    plot_->xAxis->setNumberFormat(QStringLiteral("f"));
    plot_->xAxis->setNumberPrecision(0);
    ticker_ = new DurationTicker;
    plot_->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(ticker_));
    plot_->yAxis->setTicker(QSharedPointer<QCPAxisTicker>(new NumberTicker));
    plot_->yAxis2->setTicker(QSharedPointer<QCPAxisTicker>(new NumberTicker));
    // A dark grey plot area, on which every stored default colour shows (white and cream
    // as well as black and navy), with quiet grid lines.
    plot_->axisRect()->setBackground(QBrush(fromRgb(kPlotAreaRgb)));
    for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis}) {
        axis->grid()->setPen(QPen(fromRgb(kPlotGridRgb), 1, Qt::DotLine));
        axis->grid()->setZeroLinePen(QPen(fromRgb(kPlotGridRgb), 1, Qt::SolidLine));
    }
    plot_->yAxis->setLabel(QStringLiteral("Napětí[V]"));
    // The left labels are drawn coloured by updateLeftLabels(); the axis keeps their room.
    plot_->yAxis->setTickLabelColor(Qt::transparent);
    plot_->yAxis2->setVisible(true);
    plot_->yAxis2->setTickLabels(true);
    plot_->yAxis2->setLabel(QStringLiteral("Proud[A]"));
    plot_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot_->axisRect()->setRangeDrag(Qt::Horizontal);
    plot_->axisRect()->setRangeZoom(Qt::Horizontal);
    plot_->axisRect()->setRangeDragAxes(plot_->xAxis, nullptr);
    plot_->axisRect()->setRangeZoomAxes(plot_->xAxis, nullptr);
    layout->addWidget(plot_, 1);

    auto* panel = new QVBoxLayout;
    layout->addLayout(panel);
    chnbat_ = new QCheckBox(QStringLiteral("Baterie"), this);
    chnbat_->setObjectName(QStringLiteral("chnbat"));
    chnbat_->setChecked(config_.readBool(kSection, "chnbat", true));
    panel->addWidget(chnbat_);
    for (int n = 0; n < graph_series::kCount; ++n) {
        QCPGraph* g = plot_->addGraph(plot_->xAxis, n == graph_series::kCurrent ? plot_->yAxis2 : plot_->yAxis);
        g->setName(seriesTitle(n));
        g->setLineStyle(QCPGraph::lsLine);
        g->setScatterStyle(QCPScatterStyle::ssNone);
        g->setAdaptiveSampling(true);
        graphs_[static_cast<std::size_t>(n)] = g;

        auto* box = new QCheckBox(seriesTitle(n), this);
        box->setObjectName(QStringLiteral("series%1").arg(n));
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        boxes_[static_cast<std::size_t>(n)] = box;
        panel->addWidget(box);
        setSeriesColour(n, toQColor(config_.readInt(kSection, key(n, "_Color"), defaultSeriesColour(n))));
        applyVisible(n, config_.readBool(kSection, key(n, "_visible"), true));
        connect(box, &QCheckBox::toggled, this, [this, n](bool on) { setSeriesVisible(n, on); });
        connect(box, &QWidget::customContextMenuRequested, this, [this, n] {
            const QColor c = QColorDialog::getColor(seriesColour(n), this, seriesTitle(n));
            if (c.isValid())
                setSeriesColour(n, c);
        });
    }
    connect(chnbat_, &QCheckBox::toggled, this, [this](bool on) {
        for (int n = 0; n < kCellCount; ++n)
            applyVisible(graph_series::kFirstCell + n, on);
        fitValueAxes();
        plot_->replot(QCustomPlot::rpQueuedReplot);
    });
    whole_ = new QPushButton(QStringLiteral("Celý test"), this);
    whole_->setObjectName(QStringLiteral("bcely_test"));
    connect(whole_, &QPushButton::clicked, this, &GraphWindow::showWholeTest);
    panel->addWidget(whole_);
    panel->addStretch();

    connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] {
        if (!settingRange_)
            following_ = false; // the user zoomed or dragged
        refreshData();
    });
    // The chart's width is known only once it is laid out (the window may have been filled
    // while hidden): whenever it differs from the width the points were read for, they are
    // read again before this replot draws them. The value axes stay: a view's minima and
    // maxima do not depend on the width.
    connect(plot_, &QCustomPlot::beforeReplot, this,
            [this] { ticker_->setMostTicks(std::max(plot_->width(), 1) / kBottomLabelPitch); });
    connect(plot_, &QCustomPlot::afterLayout, this, [this] {
        if (plot_->axisRect()->width() > 0 && plot_->axisRect()->width() != pointsWidth_)
            refreshData();
        updateLeftLabels();
    });

    setStationName({});
    resize(1000, 600);
    restorePlacement(*this, config_, kSection);
    reload();
}

void GraphWindow::setStationName(const std::string& station)
{
    setWindowTitle(QStringLiteral("Graf - ") + qs(station));
}

void GraphWindow::setThresholds(const CellThresholds& thresholds)
{
    thresholds_ = thresholds;
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void GraphWindow::openFor(BatteryFamily family)
{
    const bool cells = family == BatteryFamily::NiCd;
    for (int n = 0; n < kCellCount; ++n)
        applyVisible(graph_series::kFirstCell + n, cells);
    fitValueAxes();
    plot_->replot(QCustomPlot::rpQueuedReplot);
    show();
    raise();
}

void GraphWindow::setSeriesVisible(int series, bool visible)
{
    applyVisible(series, visible);
    fitValueAxes();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void GraphWindow::applyVisible(int series, bool visible)
{
    const auto i = static_cast<std::size_t>(series);
    graphs_[i]->setVisible(visible);
    if (boxes_[i]->isChecked() != visible) {
        const QSignalBlocker block(boxes_[i]);
        boxes_[i]->setChecked(visible);
    }
}

bool GraphWindow::seriesVisible(int series) const
{
    return graphs_[static_cast<std::size_t>(series)]->visible();
}

QColor GraphWindow::seriesColour(int series) const
{
    return graphs_[static_cast<std::size_t>(series)]->pen().color();
}

void GraphWindow::setSeriesColour(int series, const QColor& colour)
{
    const auto i = static_cast<std::size_t>(series);
    graphs_[i]->setPen(QPen(colour, 1));
    QPixmap swatch(12, 12);
    swatch.fill(colour);
    boxes_[i]->setIcon(QIcon(swatch));
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void GraphWindow::saveState()
{
    savePlacement(*this, config_, kSection);
    for (int n = 0; n < graph_series::kCount; ++n) {
        config_.writeBool(kSection, key(n, "_visible"), seriesVisible(n));
        config_.writeInt(kSection, key(n, "_Color"), fromQColor(seriesColour(n)));
    }
    config_.writeBool(kSection, "chnbat", chnbat_->isChecked());
}

void GraphWindow::reload()
{
    table_.updateDecimation();
    showWholeTest();
}

void GraphWindow::appendSamples()
{
    table_.updateDecimation();
    if (following_) {
        showWholeTest();
        return;
    }
    refreshData();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void GraphWindow::showWholeTest()
{
    following_ = true;
    const SampleDecimation& d = table_.decimation();
    double lo = 0.0;
    double hi = 1.0;
    if (d.sampleCount() > 0) {
        // From the test's start to its latest sample, which is not the last one when the
        // clock was set back.
        lo = static_cast<double>(std::min<std::int64_t>(0, d.earliestTime()));
        hi = static_cast<double>(d.latestTime());
        if (hi <= lo)
            hi = lo + 1.0;
    }
    settingRange_ = true;
    plot_->xAxis->setRange(lo, hi);
    settingRange_ = false;
    refreshData();
    fitValueAxes();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void GraphWindow::showRange(double fromSeconds, double toSeconds)
{
    plot_->xAxis->setRange(fromSeconds, toSeconds); // stops following, refreshes the data
    fitValueAxes();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void GraphWindow::setLeftRange(double lower, double upper)
{
    plot_->yAxis->setRange(lower, upper);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void GraphWindow::refreshData()
{
    const QCPRange r = plot_->xAxis->range();
    // Before the first layout the axis rect has no width yet; the plot's own width is the
    // closest guess, and the first layout reads the points again.
    pointsWidth_ = plot_->axisRect()->width();
    const int pixels = pointsWidth_ > 0 ? pointsWidth_ : std::max(plot_->width(), 100);
    const DecimatedView view = table_.view(r.lower, r.upper, static_cast<std::size_t>(pixels));
    for (std::size_t s = 0; s < graphs_.size(); ++s) {
        const auto& pts = view.series[s];
        QVector<QCPGraphData> points(static_cast<qsizetype>(pts.size()));
        for (std::size_t i = 0; i < pts.size(); ++i)
            points[static_cast<qsizetype>(i)] = QCPGraphData(pts[i].x, pts[i].y);
        graphs_[s]->data()->set(points, true);
    }
}

void GraphWindow::fitValueAxes()
{
    // From the points just given to the graphs: O(pixels).
    const double inf = std::numeric_limits<double>::infinity();
    double leftLo = inf;
    double leftHi = -inf;
    double rightLo = inf;
    double rightHi = -inf;
    const QCPRange x = plot_->xAxis->range();
    for (std::size_t s = 0; s < graphs_.size(); ++s) {
        if (!graphs_[s]->visible())
            continue;
        const bool right = static_cast<int>(s) == graph_series::kCurrent;
        for (const QCPGraphData& d : *graphs_[s]->data()) {
            if (std::isnan(d.value) || d.key < x.lower || d.key > x.upper)
                continue;
            (right ? rightLo : leftLo) = std::min(right ? rightLo : leftLo, d.value);
            (right ? rightHi : leftHi) = std::max(right ? rightHi : leftHi, d.value);
        }
    }
    const auto fit = [](QCPAxis* axis, double lo, double hi) {
        if (!(lo <= hi))
            return;
        const double margin = std::max((hi - lo) * 0.05, 0.05);
        axis->setRange(lo - margin, hi + margin);
    };
    fit(plot_->yAxis, leftLo, leftHi);
    fit(plot_->yAxis2, rightLo, rightHi);
}

void GraphWindow::updateLeftLabels()
{
    QCPAxis* axis = plot_->yAxis;
    const QVector<double> ticks = axis->tickVector();
    const QVector<QString> labels = axis->tickVectorLabels();
    std::size_t used = 0;
    for (int i = 0; i < ticks.size() && i < labels.size(); ++i) {
        if (!axis->range().contains(ticks[i]))
            continue;
        if (used == leftItems_.size()) {
            auto* item = new QCPItemText(plot_);
            item->setClipToAxisRect(false);
            item->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
            item->position->setTypeY(QCPItemPosition::ptPlotCoords);
            item->position->setAxes(plot_->xAxis, axis);
            item->position->setAxisRect(plot_->axisRect());
            item->setPositionAlignment(Qt::AlignRight | Qt::AlignVCenter);
            leftItems_.push_back(item);
        }
        QCPItemText* item = leftItems_[used++];
        item->setVisible(true);
        item->setFont(axis->tickLabelFont());
        item->setPadding(QMargins(0, 0, axis->tickLabelPadding() + axis->tickLengthOut(), 0));
        item->position->setCoords(0.0, ticks[i]);
        item->setText(labels[i]);
        const std::uint32_t rgb = leftAxisLabelRgb(labels[i].toStdString(), thresholds_);
        item->setColor(
            QColor(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF)));
    }
    for (std::size_t i = used; i < leftItems_.size(); ++i)
        leftItems_[i]->setVisible(false);
}

void GraphWindow::redraw()
{
    refreshData();
    plot_->replot(QCustomPlot::rpImmediateRefresh);
}

QStringList GraphWindow::bottomLabels() const
{
    QStringList out;
    const QCPRange r = plot_->xAxis->range();
    const QVector<double> ticks = plot_->xAxis->tickVector();
    const QVector<QString> labels = plot_->xAxis->tickVectorLabels();
    for (int i = 0; i < ticks.size() && i < labels.size(); ++i)
        if (r.contains(ticks[i]))
            out << labels[i];
    return out;
}

std::vector<std::pair<QString, QColor>> GraphWindow::leftLabels() const
{
    std::vector<std::pair<QString, QColor>> out;
    for (const QCPItemText* item : leftItems_)
        if (item->visible())
            out.emplace_back(item->text(), item->color());
    return out;
}

int GraphWindow::drawnPoints(int series) const
{
    return graphs_[static_cast<std::size_t>(series)]->dataCount();
}

} // namespace kapsorel::ui
