// Reading the spectrum blocks and the status block.

#include "LinkFixture.h"

namespace tavlex::test {
namespace {

class BlocksTest : public LinkTest {
 protected:
  BlocksTest() : LinkTest(ExactConfig(clock)) {}
  void SetUp() override {
    Open();
    for (int i = 0; i < kReadBufferChannels; ++i) s.spectrumCounts[i] = -7;
  }
  static std::vector<std::string> BlockFrames(int k) {
    std::vector<std::string> frames;
    for (int n = 1; n <= k; ++n) frames.push_back("$R" + std::to_string(n) + ";");
    return frames;
  }
};

TEST_F(BlocksTest, TheChannelSizeDecidesTheBlocksRead) {
  for (int size : {256, 512, 1024, 2048, 4096}) {
    sim().ClearFrames();
    s.channelSize = size;
    EXPECT_EQ(ReadSpectrumBlocks(c, 0), 1);
    EXPECT_EQ(Frames(), BlockFrames(size / 128)) << size;
  }
}

TEST_F(BlocksTest, CountsLandInTheirChannelsWithTheLargestAndTheTotal) {
  SendMemorySize(c, 0, 256);
  s.channelSize = 256;
  sim().SetCount(0, 11);
  sim().SetCount(127, 12);
  sim().SetCount(128, 1300);
  sim().SetCount(255, 14);
  ASSERT_EQ(ReadSpectrumBlocks(c, 0), 1);
  EXPECT_EQ(s.spectrumCounts[0], 11);
  EXPECT_EQ(s.spectrumCounts[127], 12);
  EXPECT_EQ(s.spectrumCounts[128], 1300);
  EXPECT_EQ(s.spectrumCounts[255], 14);
  EXPECT_EQ(s.spectrumCounts[256], -7);  // never written past the channel size
  EXPECT_EQ(s.maxChannelCount, 1300);
  EXPECT_EQ(c.health.spectrumTotal, 11u + 12 + 1300 + 14);
}

TEST_F(BlocksTest, TheTotalWrapsAsUnsigned32BitAndTheLargestStartsAtZero) {
  SendMemorySize(c, 0, 256);
  s.channelSize = 256;
  sim().SetCount(0, 0xFFFFFFFFu);  // reads as -1
  sim().SetCount(1, 2);
  ASSERT_EQ(ReadSpectrumBlocks(c, 0), 1);
  EXPECT_EQ(s.spectrumCounts[0], -1);
  EXPECT_EQ(s.maxChannelCount, 2);
  EXPECT_EQ(c.health.spectrumTotal, 1u);
  sim().SetCount(0, 0);
  sim().SetCount(1, 0);
  ASSERT_EQ(ReadSpectrumBlocks(c, 0), 1);
  EXPECT_EQ(s.maxChannelCount, 0);
}

TEST_F(BlocksTest, AFailedWriteOfBlockFiveLeavesChannelsFrom512Untouched) {
  SendStart(c, 0);
  clock.AdvanceMs(60000);
  sim().ClearFrames();
  s.maxChannelCount = -99;
  c.health.spectrumTotal = 99;
  driver.FailWriteOf("$R5;");
  EXPECT_EQ(ReadSpectrumBlocks(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Driver);
  EXPECT_EQ(Frames(), BlockFrames(4));
  for (int ch = 0; ch < 512; ++ch) ASSERT_EQ(s.spectrumCounts[ch], int(sim().Count(ch))) << ch;
  for (int ch = 512; ch < 4096; ++ch) ASSERT_EQ(s.spectrumCounts[ch], -7) << ch;
  // The largest count and the total are not recomputed from a partial read.
  EXPECT_EQ(s.maxChannelCount, -99);
  EXPECT_EQ(c.health.spectrumTotal, 99u);
}

TEST_F(BlocksTest, AFailedQueueQuerySkipsOnlyThatBlockAndItsLateReply) {
  SendStart(c, 0);
  clock.AdvanceMs(60000);
  sim().ClearFrames();
  driver.FailCallAfterFrame(SimCall::QueueStatus, "$R2;");
  // Every write and read went through, so the read counts as done: one skipped block is not a
  // lost analyser.
  EXPECT_EQ(ReadSpectrumBlocks(c, 0), 1);
  EXPECT_EQ(c.lastFailure, LinkFailure::None);
  EXPECT_EQ(Frames(), BlockFrames(32));
  for (int ch = 128; ch < 256; ++ch) ASSERT_EQ(s.spectrumCounts[ch], -7) << ch;
  // Block 2's reply, still waiting, was dropped instead of being read as block 3.
  long fromBlocks = 0;
  for (int ch = 0; ch < 4096; ++ch) {
    if (ch >= 128 && ch < 256) continue;
    ASSERT_EQ(s.spectrumCounts[ch], int(sim().Count(ch))) << ch;
    fromBlocks += s.spectrumCounts[ch];
  }
  EXPECT_GT(fromBlocks, 0);
}

TEST_F(BlocksTest, ChannelSizesBeyondTheAnalyserReadAtMost32Blocks) {
  s.channelSize = 8192;
  EXPECT_EQ(ReadSpectrumBlocks(c, 0), 1);
  EXPECT_EQ(Frames(), BlockFrames(32));
}

TEST_F(BlocksTest, TheStatusBlockIsCopiedWhole) {
  SendPreset(c, 0, 10000);
  SendCursor(c, 0, 1234);
  SendStart(c, 0);
  clock.AdvanceMs(100000);  // 100.0 s at 1000 cps: exactly 100000 events
  ASSERT_EQ(ReadStatus(c, 0), 1);
  EXPECT_EQ(Frames().back(), "$R0;");
  EXPECT_EQ(s.acqStatus.RealTime10ms(), 10000);
  EXPECT_EQ(s.acqStatus.Events(), 100000);
  EXPECT_EQ(s.acqStatus.Cursor(), 1234);
  EXPECT_EQ(s.acqStatus.DisplayStart(), 0);
  EXPECT_EQ(s.acqStatus.DisplayEnd(), 4095);
  EXPECT_EQ(s.acqStatus.VfsIndex(), 0);
  EXPECT_EQ(s.acqStatus.ScanDone(), 0);
}

}  // namespace
}  // namespace tavlex::test

namespace tavlex::test {
namespace {

// On libftdi every look at the receive queue may cost a USB round trip, so a clean read of the
// whole memory looks once per reply and no more.
TEST_F(BlocksTest, ACleanReadLooksAtTheQueueOncePerReply) {
  s.channelSize = 4096;
  const int before = driver.QueueStatusCalls();
  ASSERT_EQ(ReadSpectrumBlocks(c, 0), 1);
  ASSERT_EQ(ReadStatus(c, 0), 1);
  EXPECT_EQ(driver.QueueStatusCalls() - before, 33);
}

}  // namespace
}  // namespace tavlex::test
