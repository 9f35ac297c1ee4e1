// Handlers of the printer: the report page ("Plot"), the window's hard copy ("H.Copy") and the
// printer set-up.
// Part of the main window TForm1 (window definition unit Xmca).

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "display/Plot.h"
#include "files/ReportPage.h"
#include "files/SpectrumFile.h"
#include "ui/MainWindow.h"

namespace tavlex {
namespace {

// A printer that can take a job: an installed printer, or printing to a named file.
bool PrinterReady(const QPrinter& printer) {
  if (printer.outputFormat() == QPrinter::PdfFormat) return !printer.outputFileName().isEmpty();
  return printer.isValid() && !printer.printerName().isEmpty();
}

}  // namespace

QPrinter& TForm1::Printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void TForm1::PrintPage(const std::function<void()>& prepare,
                       const std::function<void(QPainter&, QSize)>& draw, PageShown shown) {
  QPrinter& printer = Printer();
  if (PrinterReady(printer)) {
    QPainter painter;
    prepare();
    if (painter.begin(&printer)) {
      draw(painter, QSize(printer.width(), printer.height()));
      painter.end();
      return;
    }
  }
  // No printer, or one that would not start the job: the page is not lost, it goes to a file.
  QFileDialog dialog(this, QStringLiteral("Save the page"));
  dialog.setObjectName(QStringLiteral("PrintFileDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({QStringLiteral("PDF (*.pdf)"), QStringLiteral("PNG image (*.png)")});
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  const std::optional<QString> chosen = ChooseFile(dialog);
  if (!chosen) return;
  const std::string path = QFile::encodeName(*chosen).toStdString();
  prepare();
  if (!WritePageFile(path, PageFormatFor(path), kDefaultImagePage, draw, {}, shown).empty())
    SetText(Field::Edit1, filetext::kWriteError);
}

void TForm1::SetupPrintClick() {
  QPrintDialog dialog(&Printer(), this);
  dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
  const int result = dialogRunner_ ? dialogRunner_(dialog) : dialog.exec();
  if (result != QDialog::Accepted) CommandDeclined();
}

void TForm1::PlotLptClick() {
  const QDateTime now = QDateTime::currentDateTime();
  PrintPage([] {}, [&](QPainter& p, QSize page) { DrawReportPage(p, page, *state_, now); },
            PageShown::QuarterTurnAnticlockwise);
}

void TForm1::PrintSpecClick() {
  QImage window;
  // The window is taken dark on white, then set back to black with white header texts.
  PrintPage(
      [&] {
        SetPlotPaper(*state_, *this, true);
        window = grab().toImage();
        SetPlotPaper(*state_, *this, false);
      },
      [&](QPainter& p, QSize page) { DrawWindowCopy(p, page, window); });
}

}  // namespace tavlex
