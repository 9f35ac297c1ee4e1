// The simulated analyser as an instrument: real time, counting, the preset, the display state,
// scans, refusals and its record of frames, seen through its driver.

#include <cmath>
#include <numeric>

#include "LinkFixture.h"

namespace tavlex::test {
namespace {

class SimAnalyserTest : public LinkTest {
 protected:
  SimAnalyserTest() : LinkTest(ExactConfig(clock)) {}
  explicit SimAnalyserTest(SimConfig config) : LinkTest(config) {}
  void SetUp() override { Open(); }
  // Writes one frame through the driver and gives back the whole reply.
  std::string Send(std::string_view frame) {
    std::uint32_t n = 0;
    driver.Write(s.deviceHandles[0], frame.data(), static_cast<std::uint32_t>(frame.size()), &n);
    std::uint32_t waiting = 0;
    driver.GetQueueStatus(s.deviceHandles[0], &waiting);
    std::string reply(waiting, '\0');
    driver.Read(s.deviceHandles[0], reply.data(), waiting, &n);
    return reply;
  }
  AcqStatus Status() {
    AcqStatus status;
    const std::string r = Send("$R0;");
    EXPECT_EQ(r.size(), 310u);
    std::copy(r.begin(), r.end(), status.bytes.begin());
    return status;
  }
  std::uint64_t MemoryTotal() {
    std::uint64_t sum = 0;
    for (int ch = 0; ch < 4096; ++ch) sum += sim().Count(ch);
    return sum;
  }
};

TEST_F(SimAnalyserTest, ExactCountingGivesTheExpectedEventsAndRealTime) {
  Send("$G;");
  clock.AdvanceMs(100000);
  const AcqStatus st = Status();
  EXPECT_EQ(st.RealTime10ms(), 10000);
  EXPECT_EQ(st.Events(), 100000);
  EXPECT_EQ(MemoryTotal(), 100000u);
  // In small steps the total stays exact, for the whole 10 ms steps of the analyser's clock.
  for (int i = 0; i < 37; ++i) clock.AdvanceMs(13);
  EXPECT_EQ(Status().Events(), 100480);
  EXPECT_EQ(MemoryTotal(), 100480u);
  EXPECT_EQ(Status().RealTime10ms(), 10048);
}

TEST_F(SimAnalyserTest, DeadTimeSetsTheCountedRate) {
  sim().SetInputRate(60000);
  sim().SetDeadTimeUs(1.5);
  EXPECT_NEAR(sim().CountedRateCps(), 60000 / (1 + 60000 * 1.5e-6), 1e-9);
  sim().SetDeadTimeUs(0);
  EXPECT_DOUBLE_EQ(sim().CountedRateCps(), 60000);
  // The pile-up grows with the rate: the Fe Ka sum peak at 12.8 keV with it.
  const double sumPeak = sim().Probability(1281);
  sim().SetInputRate(240000);
  EXPECT_GT(sim().Probability(1281), 3 * sumPeak);
}

TEST_F(SimAnalyserTest, TheRunStopsByItselfAtThePresetAndHoldsItsRealTime) {
  Send("$P100;");
  Send("$G;");
  for (int tick = 0; tick < 120; ++tick) clock.AdvanceMs(100);
  const AcqStatus st = Status();
  EXPECT_FALSE(sim().Running());
  EXPECT_EQ(st.RealTime10ms(), 1000);
  EXPECT_EQ(st.Events(), 10000);
  // Start again without clearing: the preset is already reached.
  EXPECT_EQ(Send("$G;"), "!");
  clock.AdvanceMs(1000);
  EXPECT_EQ(Status().RealTime10ms(), 1000);
  // A longer preset lets it go on.
  Send("$P150;");
  Send("$G;");
  clock.AdvanceMs(60000);
  EXPECT_EQ(Status().RealTime10ms(), 1500);
}

TEST_F(SimAnalyserTest, StopHaltsAndClearEmptiesWhileRunning) {
  Send("$G;");
  clock.AdvanceMs(2000);
  Send("$S;");
  clock.AdvanceMs(5000);
  EXPECT_EQ(Status().RealTime10ms(), 200);
  EXPECT_EQ(MemoryTotal(), 2000u);
  Send("$G;");
  clock.AdvanceMs(500);
  Send("$C;");
  EXPECT_EQ(MemoryTotal(), 0u);
  EXPECT_TRUE(sim().Running());
  clock.AdvanceMs(300);
  EXPECT_EQ(Status().Events(), 300);
}

TEST_F(SimAnalyserTest, MemorySizeKeepsTheEnergyRange) {
  EXPECT_EQ(Send("$M4;"), "!");
  EXPECT_EQ(sim().MemorySize(), 512);
  EXPECT_NEAR(sim().KeVPerChannel(), 0.080, 1e-12);
  const AcqStatus st = Status();
  EXPECT_EQ(st.DisplayEnd(), 511);
  EXPECT_EQ(st.Cursor(), 256);
  Send("$G;");
  clock.AdvanceMs(100000);
  sim().Update();
  int peak = 0;
  for (int ch = 0; ch < 512; ++ch)
    if (sim().Count(ch) > sim().Count(peak)) peak = ch;
  EXPECT_NEAR(peak, 80, 1);  // Fe Ka at 6.4 keV, on the edge of two channels
  EXPECT_EQ(sim().Count(600), 0u);
  // Blocks past the memory read as zeros.
  EXPECT_EQ(Send("$R5;"), std::string(512, '\0'));
}

TEST_F(SimAnalyserTest, TheDisplayRangeFollowsExpandAndCompressAroundTheCursor) {
  Send("$E;");
  EXPECT_EQ(sim().DisplayStart(), 1024);
  EXPECT_EQ(sim().DisplayEnd(), 3071);
  Send("$E;");
  EXPECT_EQ(sim().DisplayStart(), 1536);
  Send("$e;");
  EXPECT_EQ(sim().DisplayStart(), 1024);
  Send("$E;");
  Send("$@C4000;");
  Send("$e;");
  EXPECT_EQ(sim().DisplayStart(), 2048);
  EXPECT_EQ(sim().DisplayEnd(), 4095);
  for (int i = 0; i < 12; ++i) Send("$E;");
  EXPECT_EQ(sim().DisplayEnd() - sim().DisplayStart() + 1, 32);
  for (int i = 0; i < 12; ++i) Send("$e;");
  EXPECT_EQ(sim().DisplayStart(), 0);
  EXPECT_EQ(sim().DisplayEnd(), 4095);
  Send("$@C9999;");
  EXPECT_EQ(sim().Cursor(), 4095);
  const AcqStatus st = Status();
  EXPECT_EQ(st.DisplayStart(), 0);
  EXPECT_EQ(st.Cursor(), 4095);
}

TEST_F(SimAnalyserTest, TheVfsIndexFollowsTheScaleFrames) {
  EXPECT_EQ(Status().VfsIndex(), 0);
  Send("$V;");
  EXPECT_EQ(sim().VfsIndex(), 1);
  Send("$V;");
  EXPECT_EQ(sim().VfsIndex(), 1);
  Send("$v;");
  EXPECT_EQ(sim().VfsIndex(), 2);
  Send("$V:;");
  EXPECT_EQ(sim().VfsIndex(), 10);
  Send("$VF;");
  Send("$v;");
  EXPECT_EQ(sim().VfsIndex(), 22);
  Send("$O;");
  EXPECT_EQ(Status().VfsIndex(), 0);
  sim().SetVfsIndex(5);
  EXPECT_EQ(Status().VfsIndex(), 5);
}

TEST_F(SimAnalyserTest, TheDisplayTraceIsScaledLikeTheAnalysersScreen) {
  // 4096 channels on 256 points: 16 channels per point, the largest of them shown.
  sim().SetCount(16 * 10 + 3, 125);
  sim().SetCount(16 * 11 + 15, 250);
  sim().SetCount(16 * 12, 999);
  sim().SetVfsIndex(2);  // full scale 250
  AcqStatus st = Status();
  EXPECT_EQ(st.TracePoint(9), 0);
  EXPECT_EQ(st.TracePoint(10), 128);
  EXPECT_EQ(st.TracePoint(11), 255);
  EXPECT_EQ(st.TracePoint(12), 255);
  sim().SetVfsIndex(0);
  st = Status();
  EXPECT_EQ(st.TracePoint(12), 127);  // log10(999.5) / 6 x 256
  EXPECT_EQ(st.TracePoint(10), static_cast<int>(std::log10(125.5) / 6 * 256));
  // An expanded range spreads one channel over several points.
  Send("$@C0200;");
  for (int i = 0; i < 7; ++i) Send("$E;");  // 32 channels from 184
  st = Status();
  EXPECT_EQ(st.DisplayStart(), 184);
  EXPECT_EQ(st.TracePoint((192 - 184) * 8), 127);
  EXPECT_EQ(st.TracePoint((192 - 184) * 8 + 7), 127);
  EXPECT_EQ(st.TracePoint((192 - 184) * 8 + 8), 0);
}

TEST_F(SimAnalyserTest, ScansRunOneAfterAnotherIntoTwoBanks) {
  Send("$P10;");
  Send("$M16;");
  EXPECT_EQ(Send("$X;"), "!");
  EXPECT_TRUE(sim().Scanning());
  clock.AdvanceMs(600);
  AcqStatus st = Status();
  EXPECT_EQ(st.ScanDone(), 0);
  EXPECT_EQ(st.RealTime10ms(), 60);
  EXPECT_EQ(Send("$R1;"), std::string(512, '\0'));  // no scan finished yet
  clock.AdvanceMs(400);
  st = Status();
  EXPECT_EQ(st.ScanDone(), 1);
  EXPECT_EQ(Status().ScanDone(), 0);  // reported once
  EXPECT_EQ(sim().ScansCompleted(), 1);

  auto blocksTotal = [this] {
    std::uint64_t total = 0;
    for (int n = 1; n <= 16; ++n) {
      const std::string b = Send("$R" + std::to_string(n) + ";");
      for (int i = 0; i < 512; i += 4)
        total += static_cast<std::uint8_t>(b[i]) | static_cast<std::uint8_t>(b[i + 1]) << 8 |
                 static_cast<std::uint8_t>(b[i + 2]) << 16;
    }
    return total;
  };
  EXPECT_EQ(blocksTotal(), 1000u);
  clock.AdvanceMs(500);  // the next scan is half done; the blocks still hold the finished one
  EXPECT_EQ(Status().Events(), 500);
  EXPECT_EQ(blocksTotal(), 1000u);
  clock.AdvanceMs(100000);  // a long jump: a hundred scans, the last one served
  EXPECT_EQ(Status().ScanDone(), 1);
  EXPECT_EQ(sim().ScansCompleted(), 101);
  EXPECT_EQ(blocksTotal(), 1000u);

  EXPECT_EQ(Send("$CX;"), "!");
  EXPECT_EQ(sim().ScansCompleted(), 0);
  EXPECT_EQ(blocksTotal(), 0u);
  Send("$S;");
  EXPECT_FALSE(sim().Scanning());
}

TEST_F(SimAnalyserTest, MalformedAndUnknownFramesAreRefused) {
  for (const char* frame : {"G;", "$G", "$Q;", "$R33;", "$R;", "$M3;", "$M64;", "$V0;", "$VG;",
                            "$@C12;", "$@C00a1;", "$@R3,100,0200;", "$DX;", "$P;", "$Px;",
                            "$P99999999999;", "$G;;", "$GG;", "$@R3;0100,0200;"}) {
    EXPECT_EQ(Send(frame), "?") << frame;
  }
  EXPECT_EQ(sim().MemorySize(), 4096);
  EXPECT_EQ(sim().Preset(), 10000);
  EXPECT_FALSE(sim().Running());
  EXPECT_EQ(sim().VfsIndex(), 0);
  EXPECT_EQ(Send("$P-5;"), "!");
  EXPECT_EQ(sim().Preset(), -5);
}

TEST_F(SimAnalyserTest, TheRecordOfFramesKeepsTheLatestInOrder) {
  for (int i = 0; i < 5000; ++i)
    Send(i % 2 ? "$O;" : "$@C" + std::to_string(1000 + i % 9000) + ";");
  const std::vector<std::string> frames = Frames();
  ASSERT_EQ(frames.size(), static_cast<std::size_t>(SimAnalyser::kMaxFrameRecord));
  EXPECT_EQ(frames.back(), "$O;");
  EXPECT_EQ(frames[frames.size() - 2], "$@C5998;");
  EXPECT_EQ(sim().FrameCount(), 5000);
  EXPECT_EQ(sim().LastFrame(), "$O;");
}

class SimPoissonTest : public SimAnalyserTest {
 protected:
  static SimConfig Poisson(Clock& clock, std::uint64_t seed) {
    SimConfig config;
    config.clock = &clock;
    config.seed = seed;
    return config;
  }
  SimPoissonTest() : SimAnalyserTest(Poisson(clock, 42)) {}
};

TEST_F(SimPoissonTest, PoissonCountingIsDeterministicAndHasTheRightMean) {
  ManualClock otherClock;
  SimDriver same(Poisson(otherClock, 42)), other(Poisson(otherClock, 43));
  std::uint8_t reply[SimAnalyser::kMaxReply];
  for (SimDriver* d : {&driver, &same, &other}) {
    d->Analyser().HandleFrame(reinterpret_cast<const std::uint8_t*>("$P36000000;"), 11, reply);
    d->Analyser().HandleFrame(reinterpret_cast<const std::uint8_t*>("$G;"), 3, reply);
  }
  for (int tick = 0; tick < 300; ++tick) {
    clock.AdvanceMs(100);
    otherClock.AdvanceMs(100);
    for (SimDriver* d : {&driver, &same, &other}) d->Analyser().Update();
  }
  int differences = 0;
  for (int ch = 0; ch < 4096; ++ch) {
    ASSERT_EQ(sim().Count(ch), same.Analyser().Count(ch)) << ch;
    differences += sim().Count(ch) != other.Analyser().Count(ch);
  }
  EXPECT_GT(differences, 1000);
  // 30 s at 15 kcps with 1.8 us per event: 438 169 counted; within five standard deviations.
  const double mean = 438169.0;
  EXPECT_NEAR(static_cast<double>(sim().Events()), mean, 5 * std::sqrt(mean));
  EXPECT_EQ(MemoryTotal(), sim().Events());
  // A clock jump of an hour in one go is drawn in bulk.
  clock.AdvanceMs(3600 * 1000);
  sim().Update();
  const double hour = 53018500.0;  // 3630 s at the same counted rate
  EXPECT_NEAR(static_cast<double>(sim().Events()), hour, 5 * std::sqrt(hour));
  // Channels of a strong line scatter about their expectation.
  const double expected = sim().Probability(640) * sim().Events();
  EXPECT_NEAR(sim().Count(640), expected, 5 * std::sqrt(expected));
}

// Two analysers with the same seed, polled at different paces, count the same spectrum: the
// draws follow the analyser's own 10 ms steps, not the host's polls.
struct Counted {
  std::vector<std::uint32_t> mca;
  std::uint32_t events = 0;
  std::vector<std::vector<std::uint32_t>> scans;  // each finished scan as the blocks give it
};

Counted CountWithTicks(bool scan, int tickMs) {
  ManualClock clock;
  SimConfig config;
  config.clock = &clock;
  config.seed = 7;
  SimDriver driver(config);
  SimAnalyser& sim = driver.Analyser();
  std::uint8_t reply[SimAnalyser::kMaxReply];
  auto send = [&](const std::string& frame) {
    return sim.HandleFrame(reinterpret_cast<const std::uint8_t*>(frame.data()),
                           static_cast<int>(frame.size()), reply);
  };
  Counted counted;
  if (!scan) {
    send("$P20;");
    send("$G;");
    while (sim.Running()) clock.AdvanceMs(tickMs), send("$R0;");
    for (int ch = 0; ch < 4096; ++ch) counted.mca.push_back(sim.Count(ch));
    counted.events = sim.Events();
    return counted;
  }
  send("$P3;");
  send("$X;");
  while (sim.ScansCompleted() < 4) {
    const int before = sim.ScansCompleted();
    clock.AdvanceMs(tickMs);
    send("$R0;");
    if (sim.ScansCompleted() == before) continue;
    std::vector<std::uint32_t>& bank = counted.scans.emplace_back();
    for (int n = 1; n <= 16; ++n) {
      send("$R" + std::to_string(n) + ";");
      for (int i = 0; i < 512; i += 4)
        bank.push_back(reply[i] | reply[i + 1] << 8 | reply[i + 2] << 16 |
                       static_cast<std::uint32_t>(reply[i + 3]) << 24);
    }
  }
  return counted;
}

TEST(SimRepeatTest, TheSameSeedCountsTheSameWhateverThePolling) {
  const struct {
    const char* what;
    bool scan;
    int tickA, tickB;
  } rows[] = {
      {"a run polled every 3 ms and every 17 ms", false, 3, 17},
      {"a run polled every 10 ms and in one jump to its preset", false, 10, 5000},
      {"scans polled every 3 ms and every 17 ms", true, 3, 17},
      {"scans polled every 7 ms and every 110 ms", true, 7, 110},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const Counted a = CountWithTicks(row.scan, row.tickA);
    const Counted b = CountWithTicks(row.scan, row.tickB);
    EXPECT_EQ(a.mca, b.mca);
    EXPECT_EQ(a.events, b.events);
    ASSERT_EQ(a.scans.size(), b.scans.size());
    for (std::size_t n = 0; n < a.scans.size(); ++n) {
      EXPECT_EQ(a.scans[n], b.scans[n]) << "scan " << n + 1;
      EXPECT_GT(std::accumulate(a.scans[n].begin(), a.scans[n].end(), 0u), 3000u);
    }
  }
}

}  // namespace
}  // namespace tavlex::test
