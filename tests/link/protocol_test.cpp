// The frames on the wire and what their replies change in the program state.

#include <cstring>

#include "LinkFixture.h"

namespace tavlex::test {
namespace {

class ProtocolTest : public LinkTest {
 protected:
  void SetUp() override { Open(); }
};

// Remembers how many frames the analyser had received whenever the status box changed, so that
// a test can tell that a text was shown before its frame was written.
class RecordingWindow : public HeadlessWindow {
 public:
  explicit RecordingWindow(SimAnalyser& sim) : sim_(sim) {}
  void SetText(Field field, std::string_view text) override {
    HeadlessWindow::SetText(field, text);
    if (field == Field::Edit1) framesAtEdit1 = sim_.FrameCount();
  }
  int framesAtEdit1 = -1;

 private:
  SimAnalyser& sim_;
};

TEST_F(ProtocolTest, EveryCommandSendsItsExactFrame) {
  struct Case {
    int (*send)(LinkContext&);
    const char* frame;
  };
  const Case cases[] = {
      {[](LinkContext& c) { return SendStart(c, 0); }, "$G;"},
      {[](LinkContext& c) { return SendStop(c, 0); }, "$S;"},
      {[](LinkContext& c) { return SendScanStart(c, 0); }, "$X;"},
      {[](LinkContext& c) { return SendClear(c, 0); }, "$C;"},
      {[](LinkContext& c) { return SendScanClear(c, 0); }, "$CX;"},
      {[](LinkContext& c) { return SendPreset(c, 0, 10000); }, "$P10000;"},
      {[](LinkContext& c) { return SendPreset(c, 0, 0); }, "$P0;"},
      {[](LinkContext& c) { return SendMemorySize(c, 0, 256); }, "$M2;"},
      {[](LinkContext& c) { return SendMemorySize(c, 0, 512); }, "$M4;"},
      {[](LinkContext& c) { return SendMemorySize(c, 0, 1024); }, "$M8;"},
      {[](LinkContext& c) { return SendMemorySize(c, 0, 2048); }, "$M16;"},
      {[](LinkContext& c) { return SendMemorySize(c, 0, 4096); }, "$M32;"},
      {[](LinkContext& c) { return SendCursor(c, 0, 7); }, "$@C0007;"},
      {[](LinkContext& c) { return SendCursor(c, 0, 4095); }, "$@C4095;"},
      {[](LinkContext& c) { return SendRoi(c, 0, 3, 100, 200); }, "$@R3,0100,0200;"},
      {[](LinkContext& c) { return SendAcqMode(c, 0, 'G'); }, "$DG;"},
      {[](LinkContext& c) { return SendAcqMode(c, 0, 'S'); }, "$DS;"},
      {[](LinkContext& c) { return SendAcqMode(c, 0, 'M'); }, "$DM;"},
      {[](LinkContext& c) { return SendLogDisplay(c, 0); }, "$O;"},
      {[](LinkContext& c) { return SendVfsStep(c, 0, 1); }, "$V1;"},
      {[](LinkContext& c) { return SendVfsStep(c, 0, 10); }, "$V:;"},
      {[](LinkContext& c) { return SendVfsStep(c, 0, 11); }, "$V;;"},
      {[](LinkContext& c) { return SendVfsStep(c, 0, 20); }, "$VD;"},
      {[](LinkContext& c) { return SendVfsDown(c, 0); }, "$V;"},
      {[](LinkContext& c) { return SendVfsUp(c, 0); }, "$v;"},
      {[](LinkContext& c) { return SendExpand(c, 0); }, "$E;"},
      {[](LinkContext& c) { return SendCompress(c, 0); }, "$e;"},
  };
  for (const Case& k : cases) {
    sim().ClearFrames();
    EXPECT_EQ(k.send(c), 1) << k.frame;
    EXPECT_EQ(Frames(), std::vector<std::string>{k.frame});
    EXPECT_EQ(c.lastFailure, LinkFailure::None) << k.frame;
  }
}

TEST_F(ProtocolTest, TheAnalyserTakesOverWhatTheFramesSet) {
  SendPreset(c, 0, 10000);
  SendMemorySize(c, 0, 1024);
  SendCursor(c, 0, 7);
  SendRoi(c, 0, 3, 100, 200);
  SendAcqMode(c, 0, 'S');
  SendVfsStep(c, 0, 11);
  EXPECT_EQ(sim().Preset(), 10000);
  EXPECT_EQ(sim().MemorySize(), 1024);
  EXPECT_EQ(sim().Cursor(), 7);
  EXPECT_TRUE(sim().Roi(3).set);
  EXPECT_EQ(sim().Roi(3).low, 100);
  EXPECT_EQ(sim().Roi(3).high, 200);
  EXPECT_EQ(sim().AcqMode(), 'S');
  EXPECT_EQ(sim().VfsIndex(), 11);
  SendMemorySize(c, 0, 256);
  EXPECT_EQ(sim().MemorySize(), 256);
}

TEST_F(ProtocolTest, PresetAndVfsFramesAreShownBeforeTheyAreWritten) {
  RecordingWindow recording(sim());
  LinkContext rc{s, recording, driver, clock};
  const int before = sim().FrameCount();
  SendPreset(rc, 0, 10000);
  EXPECT_EQ(recording.Text(Field::Edit1), "$P10000;");
  EXPECT_EQ(recording.framesAtEdit1, before);
  SendPreset(rc, 0, -5);
  EXPECT_EQ(recording.Text(Field::Edit1), "$P-5;");
  SendVfsStep(rc, 0, 5);
  EXPECT_EQ(recording.Text(Field::Edit1), "$V5;");
  EXPECT_EQ(recording.framesAtEdit1, before + 2);
}

TEST_F(ProtocolTest, FramesThatCannotBeFormedAreNotSent) {
  EXPECT_EQ(SendMemorySize(c, 0, 300), 0);
  EXPECT_EQ(SendCursor(c, 0, -1), 0);
  EXPECT_EQ(SendCursor(c, 0, 4096), 0);
  EXPECT_EQ(SendRoi(c, 0, 10, 0, 1), 0);
  EXPECT_EQ(SendRoi(c, 0, 1, 0, 10000), 0);
  EXPECT_EQ(SendAcqMode(c, 0, 'X'), 0);
  EXPECT_EQ(SendVfsStep(c, 0, 0), 0);
  EXPECT_EQ(SendVfsStep(c, 0, 23), 0);
  EXPECT_EQ(ExchangeAck(c, 0, "$;"), 0);
  EXPECT_EQ(ExchangeAck(c, 0, nullptr), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Refused);
  EXPECT_TRUE(Frames().empty());
  // The end channel of a region may be one past the last channel.
  EXPECT_EQ(SendRoi(c, 0, 1, 4000, 4096), 1);
  EXPECT_EQ(Frames().back(), "$@R1,4000,4096;");
}

TEST_F(ProtocolTest, StartStopAndClearChangeTheStateOnlyWhenAccepted) {
  window.SetTimerEnabled(false);
  s.mcaMode = 0;
  EXPECT_EQ(SendStart(c, 0), 1);
  EXPECT_EQ(s.mcaMode, 1);
  EXPECT_EQ(s.acquiring, 1);
  EXPECT_TRUE(window.TimerEnabled());
  EXPECT_TRUE(sim().Running());

  EXPECT_EQ(SendStop(c, 0), 1);
  EXPECT_EQ(s.acquiring, 0);
  EXPECT_FALSE(window.TimerEnabled());
  EXPECT_FALSE(sim().Running());

  s.sxfmSetup.refreshMs = 250;
  s.scanCount = 9;
  EXPECT_EQ(SendScanStart(c, 0), 1);
  EXPECT_EQ(s.mcaMode, 0);
  EXPECT_EQ(s.scanCount, 0);
  EXPECT_EQ(s.acquiring, 1);
  EXPECT_EQ(window.TimerInterval(), 250);
  EXPECT_TRUE(window.TimerEnabled());
  EXPECT_TRUE(sim().Scanning());

  for (int i = 0; i < 4096; ++i) s.spectrumCounts[i] = 5;
  s.channelSize = 1024;
  EXPECT_EQ(SendClear(c, 0), 1);
  EXPECT_EQ(s.spectrumCounts[1023], 0);
  EXPECT_EQ(s.spectrumCounts[1024], 5);  // beyond the channel size
  s.scanCount = 4;
  s.spectrumCounts[0] = 3;
  EXPECT_EQ(SendScanClear(c, 0), 1);
  EXPECT_EQ(s.scanCount, 0);
  EXPECT_EQ(s.spectrumCounts[0], 0);
}

TEST_F(ProtocolTest, ARefusedStartStopsAcquiringButLeavesTheTimerAndMode) {
  for (bool timerWasOn : {false, true}) {
    window.SetTimerEnabled(timerWasOn);
    s.acquiring = 1;
    driver.RefuseNextFrame();
    EXPECT_EQ(SendStart(c, 0), 0);
    EXPECT_EQ(c.lastFailure, LinkFailure::Refused);
    EXPECT_EQ(s.acquiring, 0);
    EXPECT_EQ(s.mcaMode, 1);
    EXPECT_EQ(window.TimerEnabled(), timerWasOn);
    EXPECT_FALSE(sim().Running());  // the analyser did not act on it
  }
  driver.RefuseNextFrame();
  s.acquiring = 1;
  EXPECT_EQ(SendScanStart(c, 0), 0);
  EXPECT_EQ(s.mcaMode, 0);
  EXPECT_EQ(s.acquiring, 0);
}

TEST_F(ProtocolTest, OnlyTheFirstReplyByteDecides) {
  SendStart(c, 0);
  // "!" followed by more bytes is an acceptance.
  driver.SurplusNextReply(7, '?');
  EXPECT_EQ(SendStop(c, 0), 1);
  EXPECT_EQ(s.acquiring, 0);
  EXPECT_FALSE(window.TimerEnabled());

  SendStart(c, 0);
  driver.RefuseNextFrame('x');
  driver.SurplusNextReply(3, '!');
  EXPECT_EQ(SendStop(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Refused);
  EXPECT_EQ(s.acquiring, 1);
  EXPECT_TRUE(window.TimerEnabled());
  // None of the surplus bytes is taken for the reply of the next frame.
  driver.RefuseNextFrame();
  EXPECT_EQ(SendClear(c, 0), 0);
}

TEST_F(ProtocolTest, AFailedStopOrClearChangesNothing) {
  SendStart(c, 0);
  s.spectrumCounts[10] = 77;
  driver.FailCall(SimCall::Write, 0, 2);
  EXPECT_EQ(SendStop(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Driver);
  EXPECT_EQ(SendClear(c, 0), 0);
  EXPECT_EQ(s.acquiring, 1);
  EXPECT_TRUE(window.TimerEnabled());
  EXPECT_EQ(s.spectrumCounts[10], 77);
  // A failed write of "$G;" leaves acquiring as it was, unlike a refusal.
  driver.FailCall(SimCall::Write);
  EXPECT_EQ(SendStart(c, 0), 0);
  EXPECT_EQ(s.acquiring, 1);
}

TEST_F(ProtocolTest, NoOperationRunsWithoutAnOpenDevice) {
  auto fresh = std::make_unique<AppState>();
  LinkContext none{*fresh, window, driver, clock};
  EXPECT_EQ(SendStart(none, 0), 0);
  EXPECT_EQ(none.lastFailure, LinkFailure::Driver);
  EXPECT_EQ(ReadStatus(none, 0), 0);
  EXPECT_EQ(ReadSpectrumBlocks(none, 0), 0);
  EXPECT_EQ(SendStart(c, 16), 0);
  EXPECT_EQ(SendStart(c, -1), 0);
  EXPECT_TRUE(Frames().empty());
}

}  // namespace
}  // namespace tavlex::test
