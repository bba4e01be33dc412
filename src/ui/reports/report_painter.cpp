#include "ui/reports/report_painter.h"

#include "core/reports/chart_axis.h"
#include "ui/reports/report_colour.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kapsorel::ui {

namespace {

QFont qtFont(const ReportFont& f, QPaintDevice* device)
{
    QFont font(QString::fromStdString(f.name));
    font.setPointSize(fontPoints(f.size));
    font.setBold(f.style & font_style::kBold);
    font.setItalic(f.style & font_style::kItalic);
    font.setUnderline(f.style & font_style::kUnderline);
    font.setStrikeOut(f.style & font_style::kStrikeOut);
    return device ? QFont(font, device) : font;
}

struct Range {
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    // A value that is no finite number is not drawn and sizes no axis.
    void add(double v)
    {
        if (!std::isfinite(v))
            return;
        low = std::min(low, v);
        high = std::max(high, v);
    }
};

// Room a label needs along an axis, in text heights: the bottom axis' labels side by side,
// the value axes' one above another.
constexpr double kBottomLabelPitch = 6.0;
constexpr double kSideLabelPitch = 2.5;

int stepsFor(double length, double text, double pitch)
{
    return std::max(1, static_cast<int>(length / (text * pitch)));
}

} // namespace

ReportPainter::ReportPainter(QPainter& painter, double dotsPerInch)
    : painter_(painter), scale_(dotsPerInch / 25.4 / layout_format::kUnitsPerMm),
      margin_(dotsPerInch / 25.4 * report_page::kMarginMm)
{
}

double ReportPainter::toDevice(double units) const
{
    return units * scale_;
}

QRectF ReportPainter::toDevice(const ReportRect& r) const
{
    return {margin_ + r.x * scale_, margin_ + r.y * scale_, r.width * scale_, r.height * scale_};
}

void ReportPainter::paint(const ReportPage& page)
{
    painter_.save();
    // Fills first, then the texts on their backgrounds, then the frames, so that a text
    // whose rectangle meets its box's edge never covers the frame.
    for (const ReportBox& box : page.boxes)
        painter_.fillRect(toDevice(box.rect), toQColor(box.fillColour));
    for (const ReportLabel& label : page.labels) {
        const QRectF rect = toDevice(label.rect);
        if (label.filled)
            painter_.fillRect(rect, toQColor(label.background));
        painter_.setFont(qtFont(label.font, painter_.device()));
        painter_.setPen(toQColor(label.font.colour));
        int flags = Qt::AlignVCenter;
        flags |= label.alignment == TextAlignment::Left    ? Qt::AlignLeft
                 : label.alignment == TextAlignment::Right ? Qt::AlignRight
                                                           : Qt::AlignHCenter;
        if (label.wordWrap)
            flags |= Qt::TextWordWrap;
        painter_.drawText(rect, flags, QString::fromStdString(label.text));
    }
    painter_.setBrush(Qt::NoBrush);
    for (const ReportBox& box : page.boxes) {
        QPen pen(toQColor(box.frameColour));
        pen.setWidthF(std::max(toDevice(box.penWidth), 1.0));
        painter_.setPen(pen);
        painter_.drawRect(toDevice(box.rect));
    }
    painter_.restore();
}

void ReportPainter::paintChart(const ReportRect& area, const std::vector<ChartLine>& lines)
{
    painter_.save();
    const QRectF outer = toDevice(area);
    const QFont font = qtFont({"Arial", 8, 0, 0}, painter_.device());
    painter_.setFont(font);
    const double text = QFontMetricsF(font).height();
    const QRectF plot = outer.adjusted(text * 4.5, text * 0.5, -text * 4.5, -text * 3.0);

    Range time, left, right;
    for (const ChartLine& line : lines) {
        if (!line.visible)
            continue;
        for (const auto& [h, v] : line.points) {
            time.add(h);
            (line.rightAxis ? right : left).add(v);
        }
    }
    // Each axis from a round value to a round value, a grid line at each of its ticks.
    const AxisTicks timeTicks = roundAxisTicks(time.low, time.high, stepsFor(plot.width(), text, kBottomLabelPitch));
    const AxisTicks leftTicks = roundAxisTicks(left.low, left.high, stepsFor(plot.height(), text, kSideLabelPitch));
    const AxisTicks rightTicks = roundAxisTicks(right.low, right.high, stepsFor(plot.height(), text, kSideLabelPitch));
    const auto mapX = [&](double h) {
        return plot.left() + (h - timeTicks.low) / (timeTicks.high - timeTicks.low) * plot.width();
    };
    const auto mapY = [&](double v, const AxisTicks& axis) {
        return plot.bottom() - (v - axis.low) / (axis.high - axis.low) * plot.height();
    };
    const auto label = [](const AxisTicks& axis, double v) { return QString::fromStdString(axisTickLabel(axis, v)); };

    const QPen grid(QColor(220, 220, 220), 0);
    const double tick = text * 0.3;
    for (double h : timeTicks.values) {
        const double x = mapX(h);
        painter_.setPen(grid);
        painter_.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter_.setPen(Qt::black);
        painter_.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + tick));
        painter_.drawText(QRectF(x - text * 3, plot.bottom() + text * 0.2, text * 6, text), Qt::AlignHCenter,
                          label(timeTicks, h));
    }
    for (double v : leftTicks.values) {
        const double y = mapY(v, leftTicks);
        painter_.setPen(grid);
        painter_.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter_.setPen(Qt::black);
        painter_.drawLine(QPointF(plot.left() - tick, y), QPointF(plot.left(), y));
        painter_.drawText(QRectF(plot.left() - text * 3.3, y - text / 2, text * 3, text), Qt::AlignRight,
                          label(leftTicks, v));
    }
    // The right axis has its own round values: tick marks at its edge, no grid lines.
    painter_.setPen(Qt::black);
    for (double v : rightTicks.values) {
        const double y = mapY(v, rightTicks);
        painter_.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + tick, y));
        painter_.drawText(QRectF(plot.right() + text * 0.3, y - text / 2, text * 3, text), Qt::AlignLeft,
                          label(rightTicks, v));
    }
    painter_.setPen(QPen(Qt::black, std::max(toDevice(1), 1.0)));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(plot);
    painter_.drawText(QRectF(plot.left(), plot.bottom() + text * 1.4, plot.width(), text), Qt::AlignHCenter,
                      QStringLiteral("Čas [h]"));
    const auto verticalTitle = [&](double x, const QString& title) {
        painter_.save();
        painter_.translate(x, plot.center().y());
        painter_.rotate(-90);
        painter_.drawText(QRectF(-plot.height() / 2, -text / 2, plot.height(), text), Qt::AlignHCenter, title);
        painter_.restore();
    };
    verticalTitle(outer.left() + text * 0.6, QStringLiteral("Napětí [V]"));
    verticalTitle(outer.right() - text * 0.6, QStringLiteral("Proud [A]"));

    painter_.setClipRect(plot);
    for (const ChartLine& line : lines) {
        if (!line.visible || line.points.empty())
            continue;
        QPolygonF polygon;
        polygon.reserve(static_cast<qsizetype>(line.points.size()));
        for (const auto& [h, v] : line.points)
            polygon << QPointF(mapX(h), mapY(v, line.rightAxis ? rightTicks : leftTicks));
        painter_.setPen(QPen(toQColor(line.colour), toDevice(line.penWidth)));
        painter_.drawPolyline(polygon);
    }
    painter_.restore();
}

} // namespace kapsorel::ui
