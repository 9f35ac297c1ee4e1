// An MCA acquisition in the real window against the simulated analyser: Start, the ticks of
// Timer1, the preset end, Stop, Clear and the values shown.

#include <QDate>
#include <QRadioButton>

#include "acq/AcqShared.h"
#include "display/VfsTable.h"
#include "tests/acq/AcqFixture.h"

namespace tavlex::test {
namespace {

std::vector<std::string> BlockFrames(int blocks) {
  std::vector<std::string> f;
  for (int n = 1; n <= blocks; ++n) f.push_back("$R" + std::to_string(n) + ";");
  return f;
}

template <class T>
void Append(std::vector<T>& to, const std::vector<T>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

TEST_F(AcqWindowTest, AWholeRunOnTheWireInOrder) {
  Open();
  Setup([](TXMCA1SetUp&) {});  // OK with the start-up values: 1000.0 s, 4096 channels
  QTest::mouseClick(form->McaClear, Qt::LeftButton);
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  ASSERT_EQ(s().acquiring, 1);
  EXPECT_TRUE(form->TimerEnabled());
  EXPECT_EQ(form->TimerInterval(), 100);
  AdvanceMs(100);
  Tick();
  AdvanceMs(100);
  Tick();
  // The preset is reached: the analyser holds its real time at 1000.0 s.
  AdvanceMs(1000 * 1000);
  Tick();
  EXPECT_EQ(s().acquiring, 0);
  EXPECT_FALSE(form->TimerEnabled());

  std::vector<std::string> want = {"$P10000;", "$M32;", "$C;", "$G;"};
  for (int tick = 0; tick < 3; ++tick) {
    Append(want, BlockFrames(32));
    want.push_back("$R0;");
  }
  Append(want, BlockFrames(32));
  want.push_back("$S;");
  EXPECT_EQ(Frames(), want);
  EXPECT_EQ(Edit1(), "$P10000;");
}

TEST_F(AcqWindowTest, PresetEndsOnTheFirstTickAtOrPastItAndShowsItExactly) {
  Open();
  Setup([](TXMCA1SetUp& d) { d.PresetRT->setText("10.0"); });
  ASSERT_EQ(s().mcaSetup.presetTime, 100);
  EXPECT_EQ(s().presetTime, 100);
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  AdvanceMs(9990);
  Tick();
  EXPECT_EQ(s().acquiring, 1);
  EXPECT_EQ(s().realTime, 99);
  AdvanceMs(20);
  Tick();
  EXPECT_EQ(s().acquiring, 0);
  EXPECT_FALSE(form->TimerEnabled());
  EXPECT_EQ(s().realTime, 100);  // shown as 10.0
  EXPECT_EQ(Frames().back(), "$S;");
}

TEST_F(AcqWindowTest, ThePresetTestUsesTheHostsComparison) {
  // The analyser holds 1000.0 s; the host 10.0 s, as a Cancel of an edited preset leaves it.
  Open();
  Setup([](TXMCA1SetUp&) {});
  s().mcaSetup.presetTime = 100;
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  AdvanceMs(10370);
  Tick();
  EXPECT_EQ(s().acquiring, 0);
  EXPECT_EQ(s().acqStatus.RealTime10ms(), 1037);
  EXPECT_EQ(s().realTime, 100);  // the preset exactly, though the status says more
  // 103 - 10370 x 1.8 x 0.00001 = 102.8 would be longer than the 100.0 s shown.
  EXPECT_EQ(s().liveTime, 100);
}

TEST_F(AcqWindowTest, LiveTimeFromEventsAndDeadTimePerEvent) {
  Open();  // 1000 counted events per second, exactly
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  AdvanceMs(100 * 1000);
  Tick();
  EXPECT_EQ(s().acqStatus.Events(), 100000);
  EXPECT_EQ(s().realTime, 1000);
  EXPECT_EQ(s().liveTime, 998);  // 1000 - 100000 x 1.8 x 0.00001 = 998.2
}

class FastAcqTest : public AcqWindowTest {
 protected:
  FastAcqTest() : AcqWindowTest(60000) {}
};

TEST_F(FastAcqTest, CountRateAndDeadTime) {
  Open();
  Setup([](TXMCA1SetUp& d) { d.DeadTime->setText("1.5"); });
  QTest::mouseClick(form->McaClear, Qt::LeftButton);
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  AdvanceMs(1000);
  Tick();
  AdvanceMs(1000);
  Tick();
  EXPECT_FLOAT_EQ(s().countRate, 60.0f);
  EXPECT_EQ(s().deadTime, 90);  // shown as 9.0
  EXPECT_EQ(form->Link().health.spectrumTotal, 120000u);
}

TEST_F(AcqWindowTest, CountsWithoutRealTimeWaitForTheNextTickWithTime) {
  Open();
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  AdvanceMs(1000);
  Tick();
  AdvanceMs(1000);
  Tick();
  ASSERT_FLOAT_EQ(s().countRate, 1.0f);
  // Counts appear without the real time moving on: 500 counts in no time are no rate.
  sim().SetCount(100, sim().Count(100) + 500);
  Tick();
  EXPECT_FLOAT_EQ(s().countRate, 1.0f);
  AdvanceMs(1000);
  Tick();
  EXPECT_FLOAT_EQ(s().countRate, 1.5f);  // 1000 + 500 counts over that second
}

TEST_F(AcqWindowTest, DisplayStateComesFromTheStatusBlock) {
  Open();
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  // The analyser's own display: cursor at 3000, then half the range around it.
  std::uint8_t reply[SimAnalyser::kMaxReply];
  sim().HandleFrame(reinterpret_cast<const std::uint8_t*>("$@C3000;"), 8, reply);
  sim().HandleFrame(reinterpret_cast<const std::uint8_t*>("$E;"), 3, reply);
  sim().SetVfsIndex(5);
  AdvanceMs(100);
  Tick();
  EXPECT_EQ(s().logScale, 0);
  EXPECT_EQ(s().vfsIndex, 5);
  EXPECT_EQ(form->Text(Field::Label1), "1976ch");
  EXPECT_EQ(form->Text(Field::Label2), "4023ch");
  EXPECT_EQ(form->Text(Field::Label3), "3000");
  EXPECT_EQ(s().viewStart, 1976);
  EXPECT_EQ(s().viewEnd, 4023);
  EXPECT_EQ(s().cursorChannel, 3000);
  sim().SetVfsIndex(0);
  AdvanceMs(100);
  Tick();
  EXPECT_EQ(s().logScale, 1);
  EXPECT_EQ(s().vfsIndex, 5);  // kept for the next linear view
}

TEST(StatusDisplayTest, TheAnalysersRangeAndCursorAreTakenInsideTheSpectrum) {
  // Channels; the status block's start, end, cursor; the start, end and cursor taken.
  const int rows[][7] = {{4096, 1976, 4023, 3000, 1976, 4023, 3000},
                         {1024, 0, 4095, 2048, 0, 1023, 1023},
                         {4096, -5, -1, -100, 0, 0, 0},
                         {512, 100, 50, 7, 100, 100, 7}};
  auto s = std::make_unique<AppState>();
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r[0] << ": " << r[1] << ".." << r[2] << " @" << r[3]);
    s->channelSize = r[0];
    s->acqStatus.SetDisplayStart(static_cast<std::int16_t>(r[1]));
    s->acqStatus.SetDisplayEnd(static_cast<std::int16_t>(r[2]));
    s->acqStatus.SetCursor(static_cast<std::int16_t>(r[3]));
    const acqshared::DisplayPlace p = acqshared::StatusDisplayPlace(*s);
    EXPECT_EQ((std::vector<int>{p.start, p.end, p.cursor}), (std::vector<int>{r[4], r[5], r[6]}));
  }
}

TEST_F(AcqWindowTest, StartStampsTheHeaderAndShowsTheMarker) {
  Open();
  s().mcaHeader.SetComment("from the setup");
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  const QDate today = QDate::currentDate();
  const AcqDate d = s().currentHeader.Date();
  EXPECT_EQ(d.year, today.year());
  EXPECT_EQ(d.month, today.month());
  EXPECT_EQ(s().currentHeader.Comment(), "from the setup");
  EXPECT_STREQ(s().dataFileName, "MCA");
  EXPECT_EQ(s().mcaMode, 1);
  // "  * ACQ *" in red at (50, 5) of the plot while acquiring; gone once stopped.
  auto redPixels = [this] {
    int n = 0;
    for (int y = 5; y < 17; ++y)
      for (int x = 50; x < 120; ++x)
        if ((s().paintBox.pixel(s().plotLeft + x, y) & 0xFFFFFF) == 0xFF0000u) ++n;
    return n;
  };
  EXPECT_GT(redPixels(), 10);
  QTest::mouseClick(form->McaStop, Qt::LeftButton);
  EXPECT_EQ(s().acquiring, 0);
  EXPECT_EQ(redPixels(), 0);
  EXPECT_FLOAT_EQ(s().countRate, 0.0f);  // an idle repaint shows no rate
}

TEST_F(AcqWindowTest, RefusedStartLeavesTheProgramIdle) {
  Open();
  Setup([](TXMCA1SetUp&) {});
  driver.RefuseNextFrame();
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  EXPECT_EQ(s().acquiring, 0);
  EXPECT_EQ(s().mcaMode, 1);
  EXPECT_FALSE(form->TimerEnabled());
}

TEST_F(AcqWindowTest, StopAndClearAreSentWhateverTheState) {
  Open();
  QTest::mouseClick(form->McaStop, Qt::LeftButton);  // idle: still sent
  EXPECT_EQ(Frames(), std::vector<std::string>({"$S;"}));
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  AdvanceMs(5000);
  Tick();
  ASSERT_GT(s().spectrumCounts[1000] + s().spectrumCounts[700], 0);
  QTest::mouseClick(form->McaClear, Qt::LeftButton);  // while running
  for (int c = 0; c < 4096; ++c) ASSERT_EQ(s().spectrumCounts[c], 0) << c;
  EXPECT_EQ(s().acquiring, 1);
  // The total falls below the last tick's: no negative rate or dead time is shown.
  AdvanceMs(100);
  Tick();
  EXPECT_FLOAT_EQ(s().countRate, 0.0f);
  EXPECT_EQ(s().deadTime, 0);
  // A refused stop leaves the acquisition running.
  driver.RefuseNextFrame();
  QTest::mouseClick(form->McaStop, Qt::LeftButton);
  EXPECT_EQ(s().acquiring, 1);
  EXPECT_TRUE(form->TimerEnabled());
}

TEST_F(AcqWindowTest, RoiScaButtonsSendTheModes) {
  Open();
  form->findChild<QRadioButton*>("SCAGATE")->click();
  form->findChild<QRadioButton*>("SCAFAST")->click();
  form->findChild<QRadioButton*>("MCA")->click();
  EXPECT_EQ(Frames(), std::vector<std::string>({"$DG;", "$DS;", "$DM;"}));
  EXPECT_EQ(sim().AcqMode(), 'M');
}

// Host and analyser agree when a run starts: the setup confirmed before the analyser was opened
// reaches it with the first Start, and the run reads its whole memory whatever a file read left.
TEST_F(AcqWindowTest, AStartSendsASetupTheAnalyserHasNotHad) {
  Setup([](TXMCA1SetUp& d) {
    d.PresetRT->setText("10.0");
    d.m1024ch->setChecked(true);
  });
  Open();
  s().channelSize = 256;  // as reading a 256-channel file leaves it
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  EXPECT_EQ(Frames(), std::vector<std::string>({"$P100;", "$M8;", "$G;"}));
  EXPECT_EQ(sim().Preset(), 100);
  EXPECT_EQ(sim().MemorySize(), 1024);
  EXPECT_EQ(s().channelSize, 1024);
  sim().ClearFrames();
  AdvanceMs(1000);
  Tick();
  EXPECT_EQ(Frames().size(), 9u);  // "$R1;" .. "$R8;" and "$R0;"
  AdvanceMs(1000);
  Tick();
  EXPECT_FLOAT_EQ(s().countRate, 1.0f);  // all 1000 counts a second, not a quarter of them
  // A second Start on the same link sends only "$G;".
  QTest::mouseClick(form->McaStop, Qt::LeftButton);
  sim().ClearFrames();
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  EXPECT_EQ(Frames(), std::vector<std::string>({"$G;"}));
}

TEST_F(AcqWindowTest, StartOpensTheAnalyserWhenNoneIsListed) {
  // The button waits for OpenMCA; the handler itself opens the analyser when none is listed.
  form->McaStartClick();
  EXPECT_EQ(Edit1(), "1");
  EXPECT_EQ(s().deviceOpen, 1);
  EXPECT_EQ(s().acquiring, 1);
  EXPECT_EQ(Frames(), std::vector<std::string>({"$P10000;", "$M32;", "$G;"}));
}

TEST_F(AcqWindowTest, TheFirstTickOfARunTakesNoRateFromThePreviousRun) {
  Open();
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  AdvanceMs(200);
  Tick();
  QTest::mouseClick(form->McaStop, Qt::LeftButton);
  QTest::mouseClick(form->McaClear, Qt::LeftButton);
  sim().SetInputRate(5000);
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  AdvanceMs(500);
  Tick();
  // (2500 - 200) / 0.3 s would show 7.67 kcps.
  EXPECT_FLOAT_EQ(s().countRate, 0.0f);
  AdvanceMs(500);
  Tick();
  EXPECT_FLOAT_EQ(s().countRate, 5.0f);
}

}  // namespace
}  // namespace tavlex::test
