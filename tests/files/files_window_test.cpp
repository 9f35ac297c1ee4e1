// The File menu of the main window: dialogs, handlers and what they leave in the state.

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>

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

}  // namespace
}  // namespace tavlex
