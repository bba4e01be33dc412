#include "ui/reports/report_output.h"

#include "ui/common/refusal.h"
#include "ui/reports/report_painter.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <algorithm>
#include <memory>

namespace kapsorel::ui {

namespace {

void preparePrinter(const ReportDocument& document, QPrinter& printer)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(document.orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                                  : QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// The end of a PDF file in which its end-of-file mark lies.
constexpr qint64 kPdfTailBytes = 1024;

} // namespace

bool renderReport(const ReportDocument& document, QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    ReportPainter reportPainter(painter, printer.resolution());
    bool paged = true;
    for (std::size_t i = 0; i < document.pages.size() && paged; ++i) {
        if (i > 0)
            paged = printer.newPage();
        if (!paged)
            break;
        reportPainter.paint(document.pages[i]);
        if (document.chartPage == i)
            reportPainter.paintChart(document.chart, document.lines);
    }
    const bool ended = painter.end();
    return paged && ended && printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

Status exportReportPdf(const ReportDocument& document, const QString& path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setCreator(QStringLiteral("Kapsorel"));
    printer.setDocName(document.fileName);
    preparePrinter(document, printer);
    const Error failed{"Soubor " + path.toStdString() + " nelze zapsat"};
    if (!renderReport(document, printer))
        return failed;
    // The printer does not learn of a failed write when it closes the file: what it wrote
    // must be there, ending with the PDF's end-of-file mark.
    QFile written(path);
    if (!QFileInfo(path).isFile() || written.size() == 0 || !written.open(QIODevice::ReadOnly))
        return failed;
    written.seek(std::max<qint64>(0, written.size() - kPdfTailBytes));
    if (!written.readAll().contains("%%EOF"))
        return failed;
    return {};
}

QPrintPreviewDialog* previewReport(const ReportDocument& document, const QString& pdfFolder, QWidget* owner)
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    preparePrinter(document, *printer);
    auto* dialog = new QPrintPreviewDialog(printer.get(), owner);
    dialog->setObjectName(QStringLiteral("nahled"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Náhled - ") + document.fileName);
    dialog->resize(1000, 690); // within a 1366×768 screen with its panel and title bar
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [document, printer](QPrinter* target) { renderReport(document, *target); });
    if (auto* bar = dialog->findChild<QToolBar*>()) {
        QAction* pdf = bar->addAction(QStringLiteral("Export PDF"));
        pdf->setObjectName(QStringLiteral("act_export_pdf"));
        QObject::connect(pdf, &QAction::triggered, dialog, [dialog, document, pdfFolder] {
            const QString path = QFileDialog::getSaveFileName(dialog, QStringLiteral("Export PDF"),
                                                              QDir(pdfFolder).filePath(document.fileName),
                                                              QStringLiteral("PDF (*.pdf)"));
            if (path.isEmpty())
                return;
            if (Status s = exportReportPdf(document, path); !s)
                showRefusal(dialog, s.error());
        });
    }
    dialog->open();
    return dialog;
}

} // namespace kapsorel::ui
