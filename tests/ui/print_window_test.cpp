// Printing from the main window: "Plot" and "H.Copy" on the printer (a PDF file here), the
// page offered as a file when no printer can take it, and the printer set-up dialog.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "link/Backends.h"
#include "ui/MainWindow.h"
#include "ui/PaintBox.h"

namespace tavlex {
namespace {

class PrintWindowTest : public ::testing::Test {
 protected:
  NoDeviceDriver driver;
  ManualClock clock;
  std::unique_ptr<TForm1> form = std::make_unique<TForm1>(driver, clock);
  AppState& s = form->State();
  QTemporaryDir dir;
  std::optional<QString> chosen;
  int asked = 0;
  // What the last file dialog was (it is closed and gone once the handler returns).
  QString dialogName, dialogSuffix;
  bool dialogSaves = false;

  void SetUp() override {
    form->SetFileChooser([this](QFileDialog& d) {
      dialogName = d.objectName();
      dialogSuffix = d.defaultSuffix();
      dialogSaves = d.acceptMode() == QFileDialog::AcceptSave;
      ++asked;
      return chosen;
    });
    // No printer: PDF output without a file name is what a machine without printers offers.
    form->Printer().setOutputFormat(QPrinter::PdfFormat);
    form->Printer().setOutputFileName(QString());
  }
  QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

TEST_F(PrintWindowTest, PlotGoesToThePrinterWhenOneIsReady) {
  const QString pdf = dir.filePath("printer.pdf");
  form->Printer().setOutputFileName(pdf);
  form->PlotLpt->click();
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(Read(pdf).startsWith("%PDF-"));
}

TEST_F(PrintWindowTest, WithoutAPrinterThePageIsOfferedAsAFile) {
  // A PNG named: the report page of 2480 x 3508 pixels on white, frame at 0.07 x 2480 = 173.
  chosen = dir.filePath("page.png");
  form->PlotLpt->click();
  ASSERT_EQ(asked, 1);
  EXPECT_EQ(dialogName, "PrintFileDialog");
  EXPECT_TRUE(dialogSaves);
  EXPECT_EQ(dialogSuffix, "pdf");
  const QImage page(*chosen);
  ASSERT_EQ(page.size(), QSize(2480, 3508));
  EXPECT_EQ(page.pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(page.pixel(173, 1800), 0xFF000000u);
  // A PDF named; then a cancelled dialog writes nothing and says nothing.
  chosen = dir.filePath("page.pdf");
  form->PlotLpt->click();
  EXPECT_TRUE(Read(*chosen).startsWith("%PDF-"));
  EXPECT_TRUE(Read(*chosen).contains("/Rotate 270\n"));  // read as a landscape plot on screen
  const QString status = form->Edit1->text();
  chosen.reset();
  form->PlotLpt->click();
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(form->Edit1->text(), status);
  // A file that cannot be written is the file commands' message.
  chosen = dir.filePath("no-such-folder/page.pdf");
  form->PlotLpt->click();
  EXPECT_EQ(form->Edit1->text(), "File Write Error !");
}

TEST_F(PrintWindowTest, HardCopyIsDarkOnWhiteThenBlackAndWhiteAgain) {
  s.headerBackColour = 0x123456;
  s.headerTextColour = 0x654321;
  chosen = dir.filePath("window.png");
  form->PrintSpec->click();
  const QImage page(*chosen);
  ASSERT_FALSE(page.isNull());
  // The window scaled to the page's width: the middle of the plot is mostly white paper.
  const double scale = 2480.0 / form->width();
  const QPoint plot = form->PaintBox1->mapTo(form.get(), QPoint(s.plotLeft + 256, 150));
  int white = 0, total = 0;
  for (int dy = -60; dy <= 60; dy += 6)
    for (int dx = -120; dx <= 120; dx += 6) {
      const QRgb p = page.pixel(static_cast<int>((plot.x() + dx) * scale),
                                static_cast<int>((plot.y() + dy) * scale));
      white += p == 0xFFFFFFFFu;
      ++total;
    }
  EXPECT_GT(white, total / 2);
  // Afterwards: black background and white header texts, whatever they were before.
  EXPECT_EQ(s.headerBackColour, 0x000000u);
  EXPECT_EQ(s.headerTextColour, 0xFFFFFFu);
  EXPECT_EQ(s.plotBackground.pixel(256, 150) & 0xFFFFFF, 0u);
  EXPECT_EQ(s.paintBox.pixel(s.plotLeft + 256, 150) & 0xFFFFFF, 0u);
}

TEST_F(PrintWindowTest, SetUpPrintRunsThePrinterDialogOnTheWindowsPrinter) {
  int runs = 0;
  QString name;
  QPrinter* printer = nullptr;
  form->SetDialogRunner([&](QDialog& d) {
    ++runs;
    name = d.objectName();
    if (auto* dialog = qobject_cast<QPrintDialog*>(&d)) printer = dialog->printer();
    return 0;
  });
  form->SetupPrint->trigger();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(name, "PrinterSetupDialog1");
  EXPECT_EQ(printer, &form->Printer());
  EXPECT_EQ(asked, 0);
}

}  // namespace
}  // namespace tavlex
