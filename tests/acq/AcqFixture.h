#pragma once
// The real main window on the simulated analyser with a manual clock, for the acquisition tests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/SimAnalyser.h"
#include "ui/ErrorBox.h"
#include "ui/MainWindow.h"
#include "ui/McaSetupDialog.h"

namespace tavlex::test {

inline SimConfig ExactSim(Clock& clock, double cps) {
  SimConfig config;
  config.clock = &clock;
  config.exactCounts = true;
  config.inputRateCps = cps;
  config.deadTimeUs = 0;
  return config;
}

class AcqWindowTest : public ::testing::Test {
 protected:
  explicit AcqWindowTest(double cps = 1000) : driver(ExactSim(clock, cps)) {
    SetErrorBoxReporter([this](const QString& m) { errors.push_back(m.toStdString()); });
    // Closing during a run asks; the answer is the test's, and no box is shown.
    form->SetCloseQuestion([this] {
      ++closeQuestions;
      return stopRunAndClose;
    });
  }
  ~AcqWindowTest() override { SetErrorBoxReporter({}); }

  AppState& s() { return form->State(); }
  SimAnalyser& sim() { return driver.Analyser(); }
  std::vector<std::string> Frames() { return driver.Frames(); }
  std::string Edit1() { return form->Text(Field::Edit1); }

  void Open() {
    QTest::mouseClick(form->McaOpen, Qt::LeftButton);
    ASSERT_EQ(form->Text(Field::Edit2), "1");
    sim().ClearFrames();
  }
  // Runs the setup dialog: `edit` changes its controls, then Ok or Cancel is clicked.
  void Setup(const std::function<void(TXMCA1SetUp&)>& edit, bool ok = true) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<TXMCA1SetUp*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      seen = true;
      edit(*dialog);
      QTest::mouseClick(ok ? dialog->OkButton : dialog->CancelButton, Qt::LeftButton);
      // A conversion error keeps the dialog open: leave it with Cancel.
      if (dialog->isVisible()) QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
    });
    QTest::mouseClick(form->Button10, Qt::LeftButton);
    EXPECT_TRUE(seen);
  }
  void Tick() { form->Timer1Timer(); }
  void AdvanceMs(int ms) { clock.AdvanceMs(ms); }

  ManualClock clock;
  SimDriver driver;
  std::vector<std::string> errors;
  std::unique_ptr<TForm1> form = std::make_unique<TForm1>(driver, clock);
  int closeQuestions = 0;
  bool stopRunAndClose = true;
};

}  // namespace tavlex::test
