// Draws report pages (boxes, labels and the chart, in report units) onto a paint device
// of an A4 page whose origin is the paper's corner: 3.78 units per millimetre, counted
// from inside the 10 mm margins.
#pragma once

#include "core/reports/chart_report.h"
#include "core/reports/report_page.h"

#include <QPainter>

namespace kapsorel::ui {

class ReportPainter {
  public:
    // `dotsPerInch` of the device the painter draws on.
    ReportPainter(QPainter& painter, double dotsPerInch);

    void paint(const ReportPage& page);
    void paintChart(const ReportRect& area, const std::vector<ChartLine>& lines);

    QRectF toDevice(const ReportRect& r) const;
    double toDevice(double units) const;

  private:
    QPainter& painter_;
    double scale_;
    double margin_;
};

} // namespace kapsorel::ui
