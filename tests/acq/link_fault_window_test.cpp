// A link in trouble during an acquisition. Every operation is timed on the link's own clock: a
// wait that is not bounded, or an operation that goes on after its first time-out, shows up as
// link time. A transient fault leaves the run going; a lost analyser ends it with one line and
// a last "$S;"; a new run works after reopening, without restarting the program.

#include <cctype>

#include "acq/Acquisition.h"
#include "tests/acq/AcqFixture.h"

namespace tavlex::test {
namespace {

// The link's time-out plus the margin that one operation may take beyond it.
constexpr std::int64_t kBoundUs = 3'500'000;

enum class Op { Tick, PresetTick, SetupOk, Start, Stop, Clear };

struct FaultCase {
  const char* name;
  std::function<void(SimDriver&)> inject;
  Op op;
  int ops;         // how many times the operation runs (ticks 100 ms apart)
  bool running;    // the run still going afterwards
  bool lost;       // "Error ! MCA Link Lost" shown
  bool stopTried;  // a "$S;" written (or attempted on a dead handle)
};

void PrintTo(const FaultCase& k, std::ostream* os) {
  *os << k.name;
}

class LinkFaultTest : public AcqWindowTest {
 protected:
  void StartRun() {
    Open();
    Setup([](TXMCA1SetUp& d) { d.PresetRT->setText("10.0"); });
    QTest::mouseClick(form->McaStart, Qt::LeftButton);
    AdvanceMs(1000);
    Tick();
    ASSERT_EQ(s().acquiring, 1);
    sim().ClearFrames();
  }
  // Runs the operation once; returns the link time it took.
  std::int64_t Run(Op op) {
    const std::int64_t t0 = clock.Peek();
    switch (op) {
      case Op::Tick:
      case Op::PresetTick:
        Tick();
        break;
      case Op::SetupOk:
        Setup([](TXMCA1SetUp&) {});
        break;
      case Op::Start:
        QTest::mouseClick(form->McaStart, Qt::LeftButton);
        break;
      case Op::Stop:
        QTest::mouseClick(form->McaStop, Qt::LeftButton);
        break;
      case Op::Clear:
        QTest::mouseClick(form->McaClear, Qt::LeftButton);
        break;
    }
    return clock.Peek() - t0;
  }
  void ReopenAndRunToThePreset() {
    driver.SetMute(false);
    driver.SetLinkDelayUs(0);
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

const FaultCase kFaults[] = {
    {"one failed queue query",
     [](SimDriver& d) { d.FailCallAfterFrame(SimCall::QueueStatus, "$R3;"); }, Op::Tick, 1, true,
     false, false},
    {"one failed block write", [](SimDriver& d) { d.FailWriteOf("$R5;"); }, Op::Tick, 1, true,
     false, false},
    {"a failed status reply",
     [](SimDriver& d) { d.FailCallAfterFrame(SimCall::QueueStatus, "$R0;"); }, Op::Tick, 1, true,
     false, false},
    {"a failed status read", [](SimDriver& d) { d.FailCallAfterFrame(SimCall::Read, "$R0;"); },
     Op::Tick, 1, true, false, false},
    {"one stalled block", [](SimDriver& d) { d.StallReplyTo("$R7;"); }, Op::Tick, 2, true, false,
     false},
    {"a stalled status", [](SimDriver& d) { d.StallReplyTo("$R0;"); }, Op::Tick, 2, true, false,
     false},
    {"half a block", [](SimDriver& d) { d.ShortNextReply(100); }, Op::Tick, 2, true, false, false},
    {"surplus without end", [](SimDriver& d) { d.SetBabble(true); }, Op::Tick, 2, true, false,
     false},
    {"unplugged between ticks", [](SimDriver& d) { d.Unplug(); }, Op::Tick, 1, false, true, true},
    {"unplugged amid the blocks", [](SimDriver& d) { d.UnplugAfterFrame("$R5;"); }, Op::Tick, 1,
     false, true, true},
    {"an analyser that went silent", [](SimDriver& d) { d.SetMute(true); }, Op::Tick, 2, false,
     true, true},
    {"replies 2.9 s late", [](SimDriver& d) { d.SetLinkDelayUs(2'900'000); }, Op::Tick, 3, false,
     true, true},
    {"a stall at the preset end", [](SimDriver& d) { d.StallReplyTo("$R1;", 1); }, Op::PresetTick,
     1, false, false, true},
    {"a stall at setup OK", [](SimDriver& d) { d.StallReplyTo("$P100;"); }, Op::SetupOk, 1, true,
     false, false},
    {"a stalled Start", [](SimDriver& d) { d.StallReplyTo("$G;"); }, Op::Start, 1, true, false,
     false},
    {"a stalled Stop", [](SimDriver& d) { d.StallReplyTo("$S;"); }, Op::Stop, 1, true, false, true},
    {"a stalled Clear", [](SimDriver& d) { d.StallReplyTo("$C;"); }, Op::Clear, 1, true, false,
     false},
};

class LinkFaultTableTest : public LinkFaultTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(LinkFaultTableTest, EveryOperationIsBoundedAndOnlyALostAnalyserEndsTheRun) {
  const FaultCase& k = GetParam();
  {
    StartRun();
    if (k.op == Op::PresetTick) AdvanceMs(9000);  // the next tick reaches the 10.0 s preset
    k.inject(driver);
    for (int i = 0; i < k.ops; ++i) {
      AdvanceMs(100);
      EXPECT_LE(Run(k.op), kBoundUs) << "operation " << i;
    }
    driver.SetBabble(false);
    EXPECT_EQ(s().acquiring, k.running ? 1 : 0);
    EXPECT_EQ(form->TimerEnabled(), k.running);
    EXPECT_EQ(Edit1() == std::string(kLinkLostMessage), k.lost) << Edit1();
    EXPECT_EQ(s().linkFailed, k.lost ? 1 : 0);
    EXPECT_EQ(driver.WriteAttempts("$S;") > 0, k.stopTried);
    if (k.running && k.op == Op::Tick) {
      // The fault has passed: the next tick reads every block and the status in order.
      sim().ClearFrames();
      AdvanceMs(100);
      EXPECT_LE(Run(Op::Tick), 1000);
      EXPECT_EQ(Frames().size(), 33u);
      for (int ch = 0; ch < 4096; ch += 97)
        EXPECT_EQ(s().spectrumCounts[ch], sim().Count(ch)) << ch;
    }
    if (k.lost) ReopenAndRunToThePreset();
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, LinkFaultTableTest, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p)
                             if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                           return name;
                         });

TEST_F(LinkFaultTest, AfterAStalledSetupTheFirstStartSendsItAgain) {
  Open();
  driver.StallReplyTo("$P100;");
  Setup([](TXMCA1SetUp& d) { d.PresetRT->setText("10.0"); });
  EXPECT_EQ(driver.WriteAttempts("$M32;"), 0);  // the operation gave up after its time-out
  sim().ClearFrames();
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  EXPECT_EQ(Frames(), std::vector<std::string>({"$P100;", "$M32;", "$G;"}));
}

// The preset edited and then cancelled: the host waits for 1000.0 s while the analyser stops
// at its 10.0 s. The run ends when the analyser's real time stands still.
TEST_F(LinkFaultTest, ARunEndsWhenTheAnalyserStopsCounting) {
  Open();
  Setup([](TXMCA1SetUp& d) { d.PresetRT->setText("10.0"); });
  Setup([](TXMCA1SetUp& d) { d.PresetRT->setText("1000.0"); }, false);
  ASSERT_EQ(s().mcaSetup.presetTime, 10000);
  QTest::mouseClick(form->McaClear, Qt::LeftButton);
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  int ticks = 0;
  while (s().acquiring == 1 && ticks < 200) {
    AdvanceMs(100);
    Tick();
    ++ticks;
  }
  EXPECT_EQ(s().acquiring, 0);
  EXPECT_GE(ticks, 110);  // 10 s, then the real time standing still for over a second
  EXPECT_LE(ticks, 120);
  EXPECT_FALSE(form->TimerEnabled());
  EXPECT_EQ(s().realTime, 100);  // the analyser's time, not the host's preset
  EXPECT_LE(s().liveTime, s().realTime);
  EXPECT_EQ(Frames().back(), "$S;");
  EXPECT_NE(Edit1(), kLinkLostMessage);
}

}  // namespace
}  // namespace tavlex::test
