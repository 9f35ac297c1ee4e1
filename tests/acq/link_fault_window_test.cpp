// A link that fails during an acquisition: the window stays responsive, says so in one line,
// and a new run works after reopening, without restarting the program.

#include <chrono>

#include "tests/acq/AcqFixture.h"

namespace tavlex::test {
namespace {

using std::chrono::steady_clock;

class LinkFaultTest : public AcqWindowTest {
 protected:
  void StartRun() {
    Open();
    s().mcaSetup.presetTime = 100;
    QTest::mouseClick(form->McaStart, Qt::LeftButton);
    AdvanceMs(1000);
    Tick();
    ASSERT_EQ(s().acquiring, 1);
  }
  // The tick returns at once in wall time; the waits are bounded by the link's time-out on the
  // manual clock, which moves a millisecond with every reading.
  void TickBounded() {
    clock.SetStepUs(1000);
    const auto t0 = steady_clock::now();
    Tick();
    clock.SetStepUs(0);
    EXPECT_LT(steady_clock::now() - t0, std::chrono::seconds(5));
  }
  void ExpectLinkLost() {
    EXPECT_EQ(Edit1(), "Error ! MCA Link Lost");
    EXPECT_EQ(s().acquiring, 0);
    EXPECT_FALSE(form->TimerEnabled());
    EXPECT_EQ(s().linkFailed, 1);
  }
  void ReopenAndRunToThePreset() {
    driver.Plug();
    QTest::mouseClick(form->McaOpen, Qt::LeftButton);
    EXPECT_EQ(form->Text(Field::Edit2), "1");
    QTest::mouseClick(form->McaClear, Qt::LeftButton);
    QTest::mouseClick(form->McaStart, Qt::LeftButton);
    ASSERT_EQ(s().acquiring, 1);
    EXPECT_EQ(s().linkFailed, 0);
    AdvanceMs(10500);
    Tick();
    EXPECT_EQ(s().acquiring, 0);
    EXPECT_EQ(s().realTime, 100);
    EXPECT_GT(s().spectrumCounts[1000] + s().spectrumCounts[640], 0);
  }
};

TEST_F(LinkFaultTest, UnpluggedBetweenTicks) {
  StartRun();
  const int before = s().spectrumCounts[640];
  driver.Unplug();
  AdvanceMs(100);
  TickBounded();
  ExpectLinkLost();
  EXPECT_EQ(s().spectrumCounts[640], before);  // what was acquired stays on the screen
  // Stop now fails on the dead handle, without a hang and without new messages.
  QTest::mouseClick(form->McaStop, Qt::LeftButton);
  EXPECT_EQ(Edit1(), "Error ! MCA Link Lost");
  ReopenAndRunToThePreset();
}

TEST_F(LinkFaultTest, UnpluggedInTheMiddleOfTheBlocks) {
  StartRun();
  driver.UnplugAfterFrame("$R5;");
  AdvanceMs(100);
  TickBounded();
  ExpectLinkLost();
  ReopenAndRunToThePreset();
}

TEST_F(LinkFaultTest, StalledRepliesEndWithinTheTimeOut) {
  StartRun();
  driver.StallNextReply();
  AdvanceMs(100);
  TickBounded();
  ExpectLinkLost();
  ReopenAndRunToThePreset();
}

TEST_F(LinkFaultTest, ABlockThatNeverArrivesInFullEndsTheRun) {
  StartRun();
  // 100 of 512 bytes: the link is out of step from here on.
  driver.ShortNextReply(100);
  AdvanceMs(100);
  TickBounded();
  ExpectLinkLost();
  ReopenAndRunToThePreset();
}

TEST_F(LinkFaultTest, OneFailedQueueQueryOnlySkipsItsBlock) {
  StartRun();
  driver.FailCallAfterFrame(SimCall::QueueStatus, "$R3;");
  AdvanceMs(100);
  TickBounded();
  EXPECT_EQ(s().acquiring, 1);
  EXPECT_EQ(s().linkFailed, 0);
  EXPECT_TRUE(form->TimerEnabled());
  EXPECT_NE(Edit1(), "Error ! MCA Link Lost");
}

}  // namespace
}  // namespace tavlex::test
