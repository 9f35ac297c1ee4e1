// A stalled, chattering, short-spoken or unplugged analyser: every operation ends, within the
// time-out, with 0 and the reason, and nothing but a whole reply reaches the state.

#include <cstring>

#include "LinkFixture.h"

namespace tavlex::test {
namespace {

class FaultsTest : public LinkTest {
 protected:
  FaultsTest() : LinkTest(ExactConfig(clock)) {}
  void SetUp() override {
    Open();
    // Every reading of the clock moves it by 1 ms: a wait that never ends would run the clock
    // past any bound instead of hanging the test.
    clock.SetStepUs(1000);
  }
};

TEST_F(FaultsTest, AStalledReplyEndsAfterTheTimeOut) {
  driver.StallNextReply();
  const std::int64_t start = clock.Peek();
  EXPECT_EQ(SendStart(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Timeout);
  const std::int64_t waitedUs = clock.Peek() - start;
  EXPECT_GE(waitedUs, 3000 * 1000);
  EXPECT_LT(waitedUs, 3100 * 1000);
  // A time-out is no refusal: acquiring is not touched.
  EXPECT_EQ(s.acquiring, 0);
  EXPECT_EQ(s.mcaMode, 1);
  // The link is usable again afterwards.
  EXPECT_EQ(SendStop(c, 0), 1);
  EXPECT_EQ(c.lastFailure, LinkFailure::None);
}

TEST_F(FaultsTest, AStalledBlockEndsTheSpectrumReadAtOnce) {
  for (int i = 0; i < kReadBufferChannels; ++i) s.spectrumCounts[i] = -7;
  SendStart(c, 0);
  clock.AdvanceMs(5000);
  sim().ClearFrames();
  driver.StallNextReply();
  const std::int64_t start = clock.Peek();
  EXPECT_EQ(ReadSpectrumBlocks(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Timeout);
  EXPECT_LT(clock.Peek() - start, 3100 * 1000);  // one time-out, not 32
  EXPECT_EQ(Frames(), std::vector<std::string>{"$R1;"});
  EXPECT_EQ(s.spectrumCounts[0], -7);
}

TEST_F(FaultsTest, AShortStatusReplyTimesOutAndLeavesTheOldStatus) {
  s.acqStatus.SetCursor(321);
  driver.ShortNextReply(100);
  EXPECT_EQ(ReadStatus(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Timeout);
  EXPECT_EQ(s.acqStatus.Cursor(), 321);
  // The hundred bytes that did come are not taken for the start of the next status block.
  SendCursor(c, 0, 55);
  clock.SetStepUs(0);
  ASSERT_EQ(ReadStatus(c, 0), 1);
  EXPECT_EQ(s.acqStatus.Cursor(), 55);
  EXPECT_EQ(s.acqStatus.DisplayEnd(), 4095);
}

TEST_F(FaultsTest, ShortBlockAndAckRepliesFail) {
  driver.ShortNextReply(511);
  EXPECT_EQ(ReadSpectrumBlocks(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Timeout);
  driver.ShortNextReply(0);
  EXPECT_EQ(SendClear(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Timeout);
}

TEST_F(FaultsTest, SurplusBytesNeverReachTheStateOrTheNextReply) {
  clock.SetStepUs(0);
  SendCursor(c, 0, 99);
  // The surplus bytes are 0xFF: taken for status bytes they would change the fields after 310.
  std::memset(s.acqStatus.data(), 0, AcqStatus::kSize);
  driver.SurplusNextReply(200, 0xFF);
  ASSERT_EQ(ReadStatus(c, 0), 1);
  EXPECT_EQ(s.acqStatus.Cursor(), 99);
  EXPECT_EQ(s.acqStatus.ScanDone(), 0);

  sim().SetCount(0, 5);
  sim().SetCount(128, 6);
  driver.SurplusNextReply(300, 0xFF);  // after block 1
  ASSERT_EQ(ReadSpectrumBlocks(c, 0), 1);
  EXPECT_EQ(s.spectrumCounts[0], 5);
  EXPECT_EQ(s.spectrumCounts[127], 0);
  EXPECT_EQ(s.spectrumCounts[128], 6);  // block 2 did not start with the surplus
  EXPECT_EQ(s.maxChannelCount, 6);

  // An acknowledgement longer than its 512-byte buffer.
  driver.SurplusNextReply(600, '!');
  EXPECT_EQ(SendStop(c, 0), 1);
  driver.RefuseNextFrame();
  EXPECT_EQ(SendStop(c, 0), 0);
}

TEST_F(FaultsTest, UnpluggingMidExchangeFailsAndReopeningWorks) {
  SendStart(c, 0);
  clock.AdvanceMs(2000);
  for (int i = 0; i < kReadBufferChannels; ++i) s.spectrumCounts[i] = -7;
  driver.UnplugAfterFrame("$R3;");
  EXPECT_EQ(ReadSpectrumBlocks(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Driver);
  EXPECT_EQ(s.spectrumCounts[256], -7);
  EXPECT_EQ(ReadStatus(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Driver);
  EXPECT_EQ(SendStop(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Driver);

  // Nothing is listed while unplugged.
  EXPECT_EQ(OpenDevice(c, 0), 0);
  EXPECT_EQ(s.deviceCount, 0);
  driver.Plug();
  ASSERT_EQ(OpenDevice(c, 0), 1);
  EXPECT_EQ(driver.OpenHandles(), 1);  // the dead handle was closed, not leaked
  clock.SetStepUs(0);
  EXPECT_EQ(SendClear(c, 0), 1);
  EXPECT_EQ(SendStart(c, 0), 1);
  clock.AdvanceMs(1000);
  ASSERT_EQ(ReadStatus(c, 0), 1);
  EXPECT_EQ(s.acqStatus.RealTime10ms(), 100);
  EXPECT_EQ(s.acqStatus.Events(), 1000);
}

TEST_F(FaultsTest, AFailingReadLeavesTheStatusAsItWas) {
  s.acqStatus.SetCursor(321);
  driver.FailCall(SimCall::Read);
  EXPECT_EQ(ReadStatus(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Driver);
  EXPECT_EQ(s.acqStatus.Cursor(), 321);
  driver.FailCallAfterFrame(SimCall::Read, "$G;");
  EXPECT_EQ(SendStart(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Driver);
}

}  // namespace
}  // namespace tavlex::test
