// What commands that succeed, fail or are cancelled leave in the real window's status box.

#include <QAction>
#include <QFileDialog>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <tuple>

#include "files/SpectrumFile.h"
#include "tests/acq/AcqFixture.h"

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
  form->LowCh->setText("128"), form->HiCh->setText("640");
  form->LoEng->setText("1"), form->HiEng->setText("5");
  auto click = [](QAbstractButton* b) { return [b] { QTest::mouseClick(b, Qt::LeftButton); }; };
  auto read = [&](std::optional<QString> name) {
    return [&, name] {
      chosen = name;
      form->Read1->trigger();
    };
  };
  const std::tuple<const char*, std::function<void()>, const char*> rows[] = {
      {"Error ! Energy Calib LowCh", click(form->EngCalib), ""},
      {"Error ! Mem1 Empty", click(form->Mem1Spec), ""},
      {"File Write Error !", read(file), ""},
      {"Error ! MCA Link Lost", click(form->Expand), ""},
      {"Error ! Energy Calib LowCh", click(form->Mem2Spec), "Error ! Mem2 Empty"},
      {"File Write Error !", read(std::nullopt), "File Write Error !"},  // cancelled
      {"$V5;", click(form->Compres), "$V5;"},                            // frames and numbers stay
  };
  for (const auto& [before, command, after] : rows) {
    form->Edit1->setText(before);
    command();
    EXPECT_EQ(Edit1(), after) << before;
  }
}

}  // namespace
}  // namespace tavlex
