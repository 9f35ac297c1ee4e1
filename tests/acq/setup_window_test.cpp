// The setup dialog as the main window runs it: what OK, Cancel and a bad number send and keep.

#include "tests/acq/AcqFixture.h"

namespace tavlex::test {
namespace {

TEST_F(AcqWindowTest, CancelKeepsTheEditedPresetButSendsNothing) {
  Open();
  Setup([](TXMCA1SetUp& d) { d.PresetRT->setText("20.0"); }, false);
  EXPECT_EQ(s().mcaSetup.presetTime, 200);
  EXPECT_EQ(s().presetTime, 10000);
  EXPECT_EQ(s().channelSize, 4096);
  EXPECT_TRUE(Frames().empty());
}

TEST(SetupWithoutDeviceTest, OkWith1024ChannelsAndNoDevice) {
  ManualClock clock;
  SimConfig config;
  config.clock = &clock;
  SimDriver driver(config);
  TForm1 form(driver, clock);
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* d = qobject_cast<TXMCA1SetUp*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    seen = true;
    EXPECT_EQ(d->PresetRT->text(), "   1000.0");
    EXPECT_TRUE(d->m4096ch->isChecked());
    d->m1024ch->setChecked(true);
    QTest::mouseClick(d->OkButton, Qt::LeftButton);
  });
  QTest::mouseClick(form.Button10, Qt::LeftButton);
  ASSERT_TRUE(seen);
  EXPECT_EQ(form.State().channelSize, 1024);
  EXPECT_EQ(form.State().mcaHeader.ChannelSize(), 1024);
  EXPECT_EQ(form.State().mcaHeader.PresetTime(), 10000);
  EXPECT_TRUE(driver.Frames().empty());
}

TEST_F(AcqWindowTest, OkTakesTheTextsIntoTheDisplayedSpectrum) {
  Open();
  s().currentHeader.SetComment("old comment");
  Setup([](TXMCA1SetUp& d) {
    EXPECT_EQ(d.SpcLabel1->text(), "old comment");  // shown from the displayed spectrum
    d.SpcLabel1->setText("brass, 40 kV");
    d.SpcLabel2->setText("B-7");
    d.PresetRT->setText("0.15");
    d.m256ch->setChecked(true);
  });
  EXPECT_EQ(s().mcaSetup.presetTime, 1);
  EXPECT_EQ(s().currentHeader.Comment(), "brass, 40 kV");
  EXPECT_EQ(s().currentHeader.SampleId(), "B-7");
  EXPECT_EQ(s().channelSize, 256);
  EXPECT_EQ(Frames(), std::vector<std::string>({"$P1;", "$M2;"}));
}

TEST_F(AcqWindowTest, ANonNumberPresetSendsNothingHalfStored) {
  Open();
  Setup([](TXMCA1SetUp& d) {
    d.m1024ch->setChecked(true);
    d.PresetRT->setText("1O0");  // a letter O
  });
  // One box for the OK, one for the Cancel that leaves the dialog; both name the text.
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors[0], "'1O0' is not a valid floating point value");
  EXPECT_TRUE(Frames().empty());
  EXPECT_EQ(s().channelSize, 4096);
  EXPECT_EQ(s().mcaSetup.memorySize, 1024);  // stored before the failing field
  EXPECT_EQ(s().mcaSetup.presetTime, 10000);
}

TEST_F(AcqWindowTest, APresetBelowATenthIsRefusedAndNothingSent) {
  Open();
  for (const char* text : {"0.0", "-5", "0.04"}) {
    SCOPED_TRACE(text);
    errors.clear();
    Setup([&](TXMCA1SetUp& d) { d.PresetRT->setText(text); });
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], std::string("'") + text + "' is out of range for the preset");
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(s().mcaSetup.presetTime, 10000);
  }
}

}  // namespace
}  // namespace tavlex::test
