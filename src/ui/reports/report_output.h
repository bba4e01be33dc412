// A built report on its way out: the print preview (from which the operator prints, with
// "Export PDF" beside it), a printer, or a PDF file.
#pragma once

#include "core/base/result.h"
#include "core/reports/chart_report.h"
#include "core/reports/layout_file.h"

#include <QString>
#include <optional>
#include <vector>

class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace kapsorel::ui {

struct ReportDocument {
    PageOrientation orientation = PageOrientation::Portrait;
    std::vector<ReportPage> pages;
    // The chart report's chart, on one of its pages.
    std::optional<std::size_t> chartPage;
    ReportRect chart;
    std::vector<ChartLine> lines;
    // Offered as the PDF's name.
    QString fileName;
};

// Draws every page of the document onto the printer (A4, full page); false when the printer
// could not start, take a page or finish.
bool renderReport(const ReportDocument& document, QPrinter& printer);
// Writes the document as a PDF file.
Status exportReportPdf(const ReportDocument& document, const QString& path);
// A non-modal print preview named "nahled" (its PDF action "act_export_pdf" asks for a
// file name in `pdfFolder`); it deletes itself when closed.
QPrintPreviewDialog* previewReport(const ReportDocument& document, const QString& pdfFolder, QWidget* owner);

} // namespace kapsorel::ui
