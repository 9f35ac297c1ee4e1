// The status box between commands in the real main window: what a command that succeeds, fails
// or is cancelled leaves there.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <functional>
#include <optional>

#include "files/SpectrumFile.h"
#include "tests/acq/AcqFixture.h"
#include "ui/PaintBox.h"

namespace tavlex {
namespace {

using StatusWindowTest = test::AcqWindowTest;

TEST_F(StatusWindowTest, ACommandThatSucceedsReplacesAnEarlierErrorMessage) {
  QTemporaryDir dir;
  const QString file = dir.filePath("s.dat");
  ASSERT_TRUE(WriteSpectrumFile(s(), *form, file.toStdString()).ok());
  std::optional<QString> chosen;
  form->SetFileChooser([&](QFileDialog&) { return chosen; });
  s().memHeader[0].SetChannelSize(4096);
  form->LowCh->setText("128");
  form->HiCh->setText("640");
  form->LoEng->setText("1");
  form->HiEng->setText("5");
  auto click = [](QAbstractButton* b) { return [b] { QTest::mouseClick(b, Qt::LeftButton); }; };
  auto read = [&](std::optional<QString> name) {
    return [&, name] {
      chosen = name;
      form->Read1->trigger();
    };
  };
  struct Row {
    const char* before;
    std::function<void()> command;
    const char* after;
  };
  const Row rows[] = {
      {"Error ! Energy Calib LowCh", click(form->EngCalib), ""},
      {"Error ! Mem1 Empty", click(form->Mem1Spec), ""},
      {"File Write Error !", read(file), ""},
      {"Error ! MCA Link Lost", click(form->Expand), ""},
      {"Error ! ROI LowCh", [&] { QTest::mouseClick(form->PaintBox1, Qt::LeftButton); }, ""},
      // A command that fails says so; one that was cancelled leaves the box alone.
      {"Error ! Energy Calib LowCh", click(form->Mem2Spec), "Error ! Mem2 Empty"},
      {"File Write Error !", read(std::nullopt), "File Write Error !"},
      {"Error ! Mem1 Empty",
       [&] {
         form->ROINoSelect->setCurrentIndex(4);
         form->EditROILow->setText("x");
         form->ROIOnCheck->click();
       },
       "Error ! ROI LowCh"},
      // Frames and numbers stay.
      {"$V5;", click(form->Compres), "$V5;"},
      {"1", click(form->LogDisp), "1"},
  };
  for (const Row& r : rows) {
    form->Edit1->setText(r.before);
    r.command();
    EXPECT_EQ(Edit1(), r.after) << r.before;
  }
}

}  // namespace
}  // namespace tavlex
