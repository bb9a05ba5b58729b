#include "reportwindow/previewwindow.h"

#include "data/dberror.h"
#include "report/engine.h"
#include "report/reportcontrol.h"
#include "ui/messages.h"
#include "ui/modal.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

namespace report {

namespace {

void exportToPdf(QWidget* parent, const RenderedReport& report, const QString& messageTitle) {
    QFileDialog chooser(parent, QStringLiteral("Export to PDF"),
                        QDir::home().filePath(report.name + QStringLiteral(".pdf")),
                        QStringLiteral("PDF files (*.pdf)"));
    chooser.setObjectName(QStringLiteral("dlgExportPdf"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setDefaultSuffix(QStringLiteral("pdf"));
    if (ui::showModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    try {
        report.writePdf(chooser.selectedFiles().constFirst());
    } catch (const data::DbError& error) {
        ui::message(messageTitle, error.description());
    }
}

} // namespace

void showPreviewWindow(const RenderedReport& report, const ReportControl& control) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report.pageLayout);
    printer.setDocName(report.name);
    QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("frmReportPreview"));
    dialog.setWindowTitle(control.windowTitle());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&report](QPrinter* target) { report.print(*target); });
    if (auto* toolbar = dialog.findChild<QToolBar*>()) {
        toolbar->addSeparator();
        QAction* exportPdf = toolbar->addAction(QIcon::fromTheme(QStringLiteral("document-export")),
                                                QStringLiteral("Export to PDF"));
        exportPdf->setObjectName(QStringLiteral("actExportPdf"));
        exportPdf->setToolTip(QStringLiteral("Export to PDF"));
        QObject::connect(exportPdf, &QAction::triggered,
                         [&dialog, &report, title = control.messageTitle()]() {
                             exportToPdf(&dialog, report, title);
                         });
    }
    if (control.windowOption(ReportControl::kWindowState).toInt() == ReportControl::kMaximized)
        dialog.setWindowState(Qt::WindowMaximized);
    ui::showModal(dialog);
}

} // namespace report
