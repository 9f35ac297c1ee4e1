// "OpenMCA" in the main window on the simulated analyser.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "LinkFixture.h"
#include "ui/MainWindow.h"

namespace tavlex::test {
namespace {

class OpenMcaWindowTest : public ::testing::Test {
 protected:
  OpenMcaWindowTest() : driver(Config()), form(driver, clock) {}
  SimConfig Config() {
    SimConfig config;
    config.clock = &clock;
    return config;
  }
  QPushButton* Button(const char* name) { return form.findChild<QPushButton*>(name); }
  QString Edit2() { return form.findChild<QLineEdit*>("Edit2")->text(); }
  void ClickOpen() { QTest::mouseClick(Button("McaOpen"), Qt::LeftButton); }
  int EnabledAcquisitionButtons() {
    int n = 0;
    for (const char* name :
         {"McaStart", "McaStop", "McaClear", "SxfmStart", "SxfmStop", "SxfmClear"})
      n += Button(name)->isEnabled() ? 1 : 0;
    return n;
  }

  ManualClock clock;
  SimDriver driver;
  TForm1 form;
};

TEST_F(OpenMcaWindowTest, OpeningShowsTheDeviceCountAndEnablesTheSixButtons) {
  EXPECT_TRUE(form.windowTitle().startsWith("Tavlex Controll Program"));
  // Says it is simulated, and what it measures.
  EXPECT_EQ(form.windowTitle(), "Tavlex Controll Program [simulated analyser: steel]");
  EXPECT_EQ(EnabledAcquisitionButtons(), 0);
  ClickOpen();
  EXPECT_EQ(Edit2(), "1");
  EXPECT_EQ(EnabledAcquisitionButtons(), 6);
  EXPECT_EQ(form.State().deviceOpen, 1);
  EXPECT_EQ(form.State().deviceCount, 1);
}

TEST_F(OpenMcaWindowTest, NoDeviceShowsErrorAndALaterClickAfterPluggingInSucceeds) {
  driver.SetDeviceCount(0);
  ClickOpen();
  EXPECT_EQ(Edit2(), "Error");
  EXPECT_EQ(EnabledAcquisitionButtons(), 0);
  EXPECT_EQ(form.State().deviceOpen, 0);
  driver.SetDeviceCount(1);
  ClickOpen();
  EXPECT_EQ(Edit2(), "1");
  EXPECT_EQ(EnabledAcquisitionButtons(), 6);
}

TEST_F(OpenMcaWindowTest, ARepeatedClickAfterAFailedOpenCanStillEnableTheButtons) {
  driver.FailCall(SimCall::Open);
  ClickOpen();
  EXPECT_EQ(Edit2(), "Error");
  EXPECT_EQ(form.State().deviceCount, 1);  // listed but not opened
  ClickOpen();
  EXPECT_EQ(Edit2(), "1");
  EXPECT_EQ(EnabledAcquisitionButtons(), 6);
}

TEST_F(OpenMcaWindowTest, ClickingAgainAfterAnUnplugReopensWithoutLeaking) {
  ClickOpen();
  driver.Unplug();
  ClickOpen();
  EXPECT_EQ(Edit2(), "Error");
  EXPECT_EQ(EnabledAcquisitionButtons(), 6);  // the buttons stay; Start opens again itself
  driver.Plug();
  ClickOpen();
  EXPECT_EQ(Edit2(), "1");
  EXPECT_EQ(driver.OpenHandles(), 1);
  EXPECT_EQ(form.State().deviceOpen, 1);
}

}  // namespace
}  // namespace tavlex::test
