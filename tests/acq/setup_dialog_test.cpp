// The MCA setup dialog: loading from and storing into the setup record.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>

#include "ui/McaSetupDialog.h"

namespace tavlex {
namespace {

struct DialogRun {
  McaSetup setup;
  std::vector<std::string> errors;
  TXMCA1SetUp::ErrorReporter Reporter() {
    return [this](const std::string& m) { errors.push_back(m); };
  }
};

TEST(McaSetupDialogTest, LoadsTheStartUpValues) {
  DialogRun run;
  TXMCA1SetUp dlg(run.setup, run.Reporter());
  EXPECT_EQ(dlg.windowTitle(), "XMCA1 SetUp");
  EXPECT_EQ(dlg.size(), QSize(396, 179));
  EXPECT_TRUE(dlg.m4096ch->isChecked());
  EXPECT_EQ(dlg.PresetRT->text(), "   1000.0");
  EXPECT_EQ(dlg.DeadTime->text(), "      1.8");  // not the "1.2" of the window definition
  EXPECT_EQ(dlg.SpcLabel1->text(), "");
  EXPECT_EQ(dlg.SpcLabel2->text(), "");
  EXPECT_EQ(dlg.m256ch->text(), "256  ch");
  EXPECT_EQ(dlg.m1024ch->text(), "1024 ch");
  EXPECT_EQ(dlg.OkButton->text(), "Ok");
  EXPECT_EQ(dlg.CancelButton->text(), "Cancel");
}

TEST(McaSetupDialogTest, LoadingRepairsSizeAndPreset) {
  DialogRun run;
  run.setup.memorySize = 8192;
  run.setup.presetTime = 0;
  run.setup.deadTimePerEvent = 2.25f;
  std::snprintf(run.setup.comment, sizeof run.setup.comment, "%s", "brass, 40 kV");
  TXMCA1SetUp dlg(run.setup, run.Reporter());
  EXPECT_EQ(run.setup.memorySize, 4096);
  EXPECT_EQ(run.setup.presetTime, 100);
  EXPECT_EQ(dlg.PresetRT->text(), "     10.0");
  EXPECT_EQ(dlg.DeadTime->text(), "      2.2");
  EXPECT_EQ(dlg.SpcLabel1->text(), "brass, 40 kV");

  DialogRun odd;
  odd.setup.memorySize = 300;  // no button for it: the definition's choice stays
  TXMCA1SetUp dlg2(odd.setup, odd.Reporter());
  EXPECT_TRUE(dlg2.m4096ch->isChecked());
}

TEST(McaSetupDialogTest, PresetConversionTruncatesAfterTheSmallLift) {
  EXPECT_EQ(PresetTenthsFromSeconds(1000.0), 10000);
  EXPECT_EQ(PresetTenthsFromSeconds(12.34), 123);
  EXPECT_EQ(PresetTenthsFromSeconds(0.05), 0);
  EXPECT_EQ(PresetTenthsFromSeconds(0.1), 1);
  EXPECT_EQ(PresetTenthsFromSeconds(20.0), 200);
}

TEST(McaSetupDialogTest, OkStoresEveryField) {
  DialogRun run;
  TXMCA1SetUp dlg(run.setup, run.Reporter());
  dlg.m1024ch->setChecked(true);
  dlg.PresetRT->setText("0.15");
  dlg.DeadTime->setText("1.5");
  dlg.SpcLabel1->setText("stainless steel");
  dlg.SpcLabel2->setText("SS-316");
  QTest::mouseClick(dlg.OkButton, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(run.setup.memorySize, 1024);
  EXPECT_EQ(run.setup.presetTime, 1);
  EXPECT_FLOAT_EQ(run.setup.deadTimePerEvent, 1.5f);
  EXPECT_STREQ(run.setup.comment, "stainless steel");
  EXPECT_STREQ(run.setup.sampleId, "SS-316");
  EXPECT_TRUE(run.errors.empty());
}

TEST(McaSetupDialogTest, CancelStillStoresTheEditedValues) {
  DialogRun run;
  TXMCA1SetUp dlg(run.setup, run.Reporter());
  dlg.PresetRT->setText("20.0");
  QTest::mouseClick(dlg.CancelButton, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(run.setup.presetTime, 200);
}

TEST(McaSetupDialogTest, TextsLongerThanTheirSlotAreRefused) {
  DialogRun run;
  TXMCA1SetUp dlg(run.setup, run.Reporter());
  dlg.SpcLabel1->setFocus();
  QTest::keyClicks(dlg.SpcLabel1, QString(40, 'c'));
  EXPECT_EQ(dlg.SpcLabel1->text().size(), 31);
  QTest::mouseClick(dlg.OkButton, Qt::LeftButton);
  EXPECT_EQ(std::string(run.setup.comment), std::string(31, 'c'));
}

TEST(McaSetupDialogTest, NonNumberPresetKeepsTheLaterFieldsAndTheDialogOpen) {
  DialogRun run;
  TXMCA1SetUp dlg(run.setup, run.Reporter());
  dlg.show();
  dlg.m512ch->setChecked(true);
  dlg.PresetRT->setText("ten");
  dlg.DeadTime->setText("3.0");
  dlg.SpcLabel1->setText("new comment");
  QTest::mouseClick(dlg.OkButton, Qt::LeftButton);
  ASSERT_EQ(run.errors.size(), 1u);
  EXPECT_EQ(run.errors[0], "'ten' is not a valid floating point value");
  EXPECT_TRUE(dlg.isVisible());                       // open for a correction
  EXPECT_EQ(run.setup.memorySize, 512);               // before the failing field: stored
  EXPECT_EQ(run.setup.presetTime, 10000);             // the failing field
  EXPECT_FLOAT_EQ(run.setup.deadTimePerEvent, 1.8f);  // after it: kept
  EXPECT_STREQ(run.setup.comment, "");

  dlg.PresetRT->setText("5");
  QTest::mouseClick(dlg.OkButton, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_TRUE(dlg.StoredCleanly());
  EXPECT_EQ(run.setup.presetTime, 50);
  EXPECT_FLOAT_EQ(run.setup.deadTimePerEvent, 3.0f);
}

TEST(McaSetupDialogTest, CancelWithANonNumberReportsAndCloses) {
  DialogRun run;
  TXMCA1SetUp dlg(run.setup, run.Reporter());
  dlg.show();
  dlg.DeadTime->setText("1,8");
  QTest::mouseClick(dlg.CancelButton, Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_FALSE(dlg.StoredCleanly());
  ASSERT_EQ(run.errors.size(), 1u);
  EXPECT_FLOAT_EQ(run.setup.deadTimePerEvent, 1.8f);
}

// Numbers that do not fit their field are refused as a bad number is: one error box naming the
// text, the dialog open, the field and those after it unchanged.
TEST(McaSetupDialogTest, NumbersThatDoNotFitAreRefused) {
  struct Case {
    const char *preset, *deadTime, *error;
    int presetTime;  // stored when only the dead time is refused
  } cases[] = {
      {"214748364.7", "1.5", "'214748364.7' is out of range for the preset", 10000},
      {"1e10", "1.5", "'1e10' is out of range for the preset", 10000},
      {"1e300", "1.5", "'1e300' is out of range for the preset", 10000},
      {"-1e300", "1.5", "'-1e300' is out of range for the preset", 10000},
      {"20.0", "1e39", "'1e39' is out of range for the dead time per event", 200},
      {"20.0", "-5", "'-5' is out of range for the dead time per event", 200},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.preset) + " / " + k.deadTime);
    DialogRun run;
    TXMCA1SetUp dlg(run.setup, run.Reporter());
    dlg.show();
    dlg.PresetRT->setText(k.preset);
    dlg.DeadTime->setText(k.deadTime);
    QTest::mouseClick(dlg.OkButton, Qt::LeftButton);
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0], k.error);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(run.setup.presetTime, k.presetTime);
    EXPECT_FLOAT_EQ(run.setup.deadTimePerEvent, 1.8f);
  }
  // The largest preset that fits, and a dead time of zero, are taken.
  DialogRun run;
  TXMCA1SetUp dlg(run.setup, run.Reporter());
  dlg.PresetRT->setText("214748352");
  dlg.DeadTime->setText("0");
  QTest::mouseClick(dlg.OkButton, Qt::LeftButton);
  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(run.setup.presetTime, 2147483520);
  EXPECT_FLOAT_EQ(run.setup.deadTimePerEvent, 0.0f);
}

}  // namespace
}  // namespace tavlex
