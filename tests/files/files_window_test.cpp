// The File menu of the main window: dialogs, handlers and what they leave in the state.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <string>

#include "link/Backends.h"
#include "tests/files/FileBytes.h"
#include "ui/MainWindow.h"

namespace tavlex {
namespace {

using namespace test;

class FilesWindowTest : public ::testing::Test {
 protected:
  NoDeviceDriver driver;
  ManualClock clock;
  std::unique_ptr<TForm1> form = std::make_unique<TForm1>(driver, clock);
  AppState& s = form->State();
  QTemporaryDir dir;
  std::optional<QString> chosen;
  QFileDialog* shown = nullptr;

  void SetUp() override {
    form->SetFileChooser([this](QFileDialog& d) {
      shown = &d;
      return chosen;
    });
  }
  void Choose(const QString& name) { chosen = dir.filePath(name); }
};

TEST_F(FilesWindowTest, WriteThenReadIntoMem3) {
  s.channelSize = 256;
  for (int i = 0; i < 256; ++i) s.spectrumCounts[i] = 5 * i;
  Choose("brass.dat");
  form->Write1->trigger();
  ASSERT_EQ(shown, form->SaveDialog1);
  EXPECT_EQ(shown->defaultSuffix(), "dat");
  EXPECT_EQ(shown->nameFilters(), QStringList({"spectrum(*.dat)"}));
  EXPECT_EQ(ReadAll(*chosen).size(), 1024 + 4 * 256);
  EXPECT_STREQ(s.dataFileName, "brass.dat");

  for (int i = 0; i < 256; ++i) s.spectrumCounts[i] = 0;
  s.channelSize = 4096;
  form->Mem3Spec->setChecked(true);
  form->Read1->trigger();
  ASSERT_EQ(shown, form->OpenDialog1);
  EXPECT_EQ(shown->defaultSuffix(), "dat");
  EXPECT_EQ(s.channelSize, 256);
  EXPECT_EQ(s.spectrumCounts[255], 5 * 255);
  EXPECT_EQ(s.memCounts[2][255], 5 * 255);
  EXPECT_STREQ(s.memFileName[2], "brass.dat");
  EXPECT_EQ(s.memHeader[2].ChannelSize(), 256);
  EXPECT_EQ(s.memHeader[0].ChannelSize(), 0);
  EXPECT_EQ(form->Label1->text(), "0ch");
  EXPECT_EQ(form->Label2->text(), "255ch");
  EXPECT_EQ(form->Label3->text(), "128");
  EXPECT_EQ(form->Edit1->text(), "Status");
}

TEST_F(FilesWindowTest, AsciiWriteUsesItsOwnDialogAndName) {
  Choose("dump.txt");
  form->Write2->trigger();
  ASSERT_EQ(shown, form->SaveDialog2);
  EXPECT_EQ(shown->defaultSuffix(), "txt");
  EXPECT_EQ(shown->nameFilters(), QStringList({"Spectrumn(*.txt)"}));
  const QByteArray text = ReadAll(*chosen);
  EXPECT_TRUE(
      text.startsWith("*** Orvanel Co., MCA Binary Data to ASCII Data Dump ***\r\n\r\n"
                      "Data File Name, dump.txt\r\n"));
  EXPECT_TRUE(text.endsWith("4095,    4095\r\n"));
}

TEST_F(FilesWindowTest, StatusBoxTellsWhyAReadFailed) {
  WriteAll(dir.filePath("short.dat"), DatFile(1024, 1000));
  Choose("short.dat");
  form->Read1->trigger();
  EXPECT_EQ(form->Edit1->text(), "1000");
  EXPECT_EQ(s.channelSize, 4096);

  Choose("missing.dat");
  form->Read1->trigger();
  EXPECT_EQ(form->Edit1->text(), "Error ! File Open");
}

TEST_F(FilesWindowTest, ACancelledDialogChangesNothing) {
  std::strcpy(s.dataFilePath, "/lab/before.dat");
  chosen.reset();
  const std::pair<QAction*, QFileDialog*> items[] = {{form->Read1, form->OpenDialog1},
                                                     {form->Write1, form->SaveDialog1},
                                                     {form->Write2, form->SaveDialog2}};
  for (const auto& [a, dialog] : items) {
    SCOPED_TRACE(a->objectName().toStdString());
    shown = nullptr;
    a->trigger();
    EXPECT_EQ(shown, dialog);
    EXPECT_STREQ(s.dataFilePath, "/lab/before.dat");
    EXPECT_EQ(form->Edit1->text(), "Status");
  }
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// Other programs' spectra: offered by the dialog, a larger one read binned by the factor the
// small dialog asks for (or left unread), a short one padded and the status box saying so.
TEST_F(FilesWindowTest, ReadsOtherProgramsSpectraBinnedWhenAsked) {
  std::string spe = "$SPEC_ID:\nbig\n$DATA:\n0 8191\n";
  for (int c = 0; c < 8192; ++c) spe += c % 2 ? "1\n" : "2\n";
  Choose("big.spe");
  WriteAll(*chosen, QByteArray::fromStdString(spe));
  for (const bool accept : {false, true}) {
    s.channelSize = 1024;
    QTimer::singleShot(0, [accept] {
      auto* ask = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(ask, nullptr);
      EXPECT_EQ(ask->objectName(), "RebinDialog");
      EXPECT_EQ(ask->intValue(), 2);
      accept ? ask->accept() : ask->reject();
    });
    form->Read1->trigger();
    EXPECT_EQ(shown->nameFilters().front(), "All spectra (*.dat *.msa *.mca *.spe *.csv *.txt)");
    EXPECT_EQ(s.channelSize, accept ? 4096 : 1024);
    EXPECT_EQ(form->Edit1->text(), accept ? "Read big.spe: binned by 2 from 8192 channels"
                                          : "Error ! 8192ch Over 4096ch, Read with Rebin 2");
  }
  EXPECT_EQ(s.spectrumCounts[4095], 3);
  Choose("short.csv");
  WriteAll(*chosen, "channel,counts\r\n0,7\r\n1,8\r\n");
  form->Read1->trigger();
  EXPECT_EQ(s.channelSize, 256);
  EXPECT_EQ(s.spectrumCounts[1], 8);
  EXPECT_EQ(form->Edit1->text(), "Read short.csv: padded with zeros from 2 to 256 channels");
}

}  // namespace
}  // namespace tavlex
