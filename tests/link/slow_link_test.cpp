// The simulated link's latency and byte rate: each reply's bytes come in exactly when the model
// says (the frame's bytes, the latency, then one byte after another at the rate, behind the
// reply before it); and a wait on such a link sees a reply soon after it is in, without
// keeping the processor busy through a long wait.

#include "LinkFixture.h"

namespace tavlex::test {
namespace {

// A manual clock that counts the time it was asked to pass without sleeping, and whose sleeps
// may wake up late.
class SpinCountingClock : public ManualClock {
 public:
  void SleepUs(std::int64_t us) override { ManualClock::SleepUs(us + lateUs); }
  void SpinUs(std::int64_t us) override {
    spunUs += us;
    ManualClock::SleepUs(us);
  }
  std::int64_t spunUs = 0;
  std::int64_t lateUs = 0;
};

class SlowLinkTest : public LinkTest {
 protected:
  SlowLinkTest() : LinkTest(ExactConfig(clock)) {}
  void SetUp() override { Open(); }
  void Link(std::int64_t delayUs, std::int64_t rate) {
    driver.SetLinkDelayUs(delayUs);
    driver.SetLinkBytesPerSecond(rate);
  }
  void Write(const std::string& frame) {
    std::uint32_t n = 0;
    ASSERT_EQ(driver.Write(s.deviceHandles[0], frame.data(),
                           static_cast<std::uint32_t>(frame.size()), &n),
              0);
  }
  // Bytes waiting at `atUs` after the start of the row.
  std::uint32_t WaitingAt(std::int64_t startUs, std::int64_t atUs) {
    clock.Advance(startUs + atUs - clock.Peek());
    std::uint32_t n = 0;
    EXPECT_EQ(driver.GetQueueStatus(s.deviceHandles[0], &n), 0);
    return n;
  }
};

TEST_F(SlowLinkTest, RepliesArriveByteByByteWhenTheModelSays) {
  struct Look {
    std::int64_t atUs;
    std::uint32_t waiting;
  };
  const struct {
    const char* what;
    std::int64_t delayUs, rate;
    std::vector<std::pair<std::int64_t, std::string>> frames;  // written at, frame
    std::vector<Look> looks;
  } rows[] = {
      // 4 frame bytes take 4 us, then 1 ms, then byte k at k us: all 512 at 1516 us.
      {"a block at 1 ms and 1 MB/s",
       1000,
       1000000,
       {{0, "$R1;"}},
       {{1004, 0}, {1005, 1}, {1260, 256}, {1515, 511}, {1516, 512}, {9000, 512}}},
      // 13 us for the frame (4 bytes at 310000 B/s, rounded up), 1000 us for the 310 bytes.
      {"a status block with no latency",
       0,
       310000,
       {{0, "$R0;"}},
       {{12, 0}, {1012, 309}, {1013, 310}}},
      // 3 ms for "$S;" at 1000 B/s, 2 ms latency, 1 ms for the acknowledgement.
      {"an acknowledgement on a very slow link", 2000, 1000, {{0, "$S;"}}, {{5999, 0}, {6000, 1}}},
      {"latency alone: the whole reply at once", 2500, 0, {{0, "$C;"}}, {{2499, 0}, {2500, 1}}},
      // The second reply would start at 10 + 1000 + 4 us, but the first is on the wire until
      // 1516 us: it follows it, complete at 1516 + 512.
      {"a reply queues behind the one before it",
       1000,
       1000000,
       {{0, "$R1;"}, {10, "$R2;"}},
       {{1516, 512}, {1517, 513}, {2027, 1023}, {2028, 1024}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Link(row.delayUs, row.rate);
    const std::int64_t start = clock.Peek();
    for (const auto& [at, frame] : row.frames) {
      clock.Advance(start + at - clock.Peek());
      Write(frame);
    }
    for (const Look& look : row.looks)
      EXPECT_EQ(WaitingAt(start, look.atUs), look.waiting) << "at " << look.atUs << " us";
    ASSERT_EQ(driver.Purge(s.deviceHandles[0], 3), 0);
  }
}

// The exchanges over 1 ms and 1 MB/s end as soon as their replies are in: the first wait for a
// reply of a size within 100 us (it looks every 100 us), the next ones within 2 us.
TEST_F(SlowLinkTest, ExchangesEndAsTheirRepliesComeIn) {
  Link(1000, 1000000);
  SendStart(c, 0);
  clock.AdvanceMs(1000);
  const struct {
    const char* what;
    std::int64_t replyUs;  // frame bytes + latency + reply bytes
    std::int64_t slackUs;
  } rows[] = {
      {"first status", 4 + 1000 + 310, 100},
      {"second status", 4 + 1000 + 310, 2},
      {"third status", 4 + 1000 + 310, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::int64_t t0 = clock.Peek();
    ASSERT_EQ(ReadStatus(c, 0), 1);
    EXPECT_GE(clock.Peek() - t0, row.replyUs);
    EXPECT_LE(clock.Peek() - t0, row.replyUs + row.slackUs);
    EXPECT_EQ(s.acqStatus.RealTime10ms(), sim().RealTime10ms());
  }
  // An acknowledgement is a reply of another size, whose time Start's taught.
  const std::int64_t t0 = clock.Peek();
  ASSERT_EQ(SendStop(c, 0), 1);
  EXPECT_GE(clock.Peek() - t0, 3 + 1000 + 1);
  EXPECT_LE(clock.Peek() - t0, 3 + 1000 + 1 + 2);
}

class SlowLinkSpinTest : public ::testing::Test {
 protected:
  SpinCountingClock clock;
  SimDriver driver{ExactConfig(clock)};
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  HeadlessWindow window;
  LinkContext c{*state, window, driver, clock};
};

// Once some reads have taught the link a reply's time and how late its sleeps wake up, looking
// without sleeping is kept to the last 5 us before the reply is due and 25 us after, and the
// wait sees the reply within 2 us: a slow reply and one whose sleeps wake 60 us late alike. A
// stalled reply is slept through after that, a reply slower than 100 ms throughout.
TEST_F(SlowLinkSpinTest, WaitsSpinOnlyAroundAReplysKnownTime) {
  ASSERT_EQ(OpenDevice(c, 0), 1);
  const struct {
    const char* what;
    std::int64_t delayUs;
    std::int64_t lateUs;  // of every sleep
    bool stall;
    std::int64_t maxSpunUs;  // in the last of the status reads
    std::int64_t slackUs;    // from the reply to the end of the read
  } rows[] = {
      {"1 ms", 1000, 0, false, 30, 2},
      {"50 ms", 50000, 0, false, 30, 2},
      {"150 ms: not paced", 150000, 0, false, 0, 1000},
      {"stalled after a 1 ms reply", 1000, 0, true, 30, 0},
      {"1 ms, sleeps waking 60 us late", 1000, 60, false, 30, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    driver.SetLinkDelayUs(row.delayUs);
    clock.lateUs = row.lateUs;
    for (int i = 0; i < 20; ++i) ASSERT_EQ(ReadStatus(c, 0), 1);  // learns the reply's time
    if (row.stall) driver.StallNextReply();
    clock.spunUs = 0;
    const std::int64_t t0 = clock.Peek();
    EXPECT_EQ(ReadStatus(c, 0), row.stall ? 0 : 1);
    EXPECT_LE(clock.spunUs, row.maxSpunUs);
    const std::int64_t readUs = clock.Peek() - t0;
    EXPECT_GE(readUs, row.stall ? 3000 * 1000 : row.delayUs);
    EXPECT_LE(readUs, row.stall ? 3100 * 1000 : row.delayUs + row.slackUs);
  }
}

}  // namespace
}  // namespace tavlex::test
