// The window on a slow link (1 ms per round trip, 1 MB/s): a tick takes the link's time and
// reads every block, and ticks that take longer than Timer1's interval do not pile up: the
// window handles what the operator did between two ticks, and the timer's interval still
// passes after each tick's block read.

#include <QEventLoop>
#include <algorithm>

#include "AcqFixture.h"
#include "ui/PaintBox.h"

namespace tavlex::test {
namespace {

constexpr std::int64_t kLatencyUs = 1000;
constexpr std::int64_t kBytesPerSecond = 1000000;
// The least time of a 4096-channel tick on this link: 33 round trips, and 16849 bytes at 1 us
// each: frames "$R1;" to "$R9;" (9 x 4), "$R10;" to "$R32;" (23 x 5), "$R0;" (4); blocks
// 32 x 512; the status block 310.
constexpr std::int64_t kTickMinimumUs = 33 * 1000 + (36 + 115 + 4) + 32 * 512 + 310;
// The blocks alone: 32 round trips, 151 frame bytes and 16384 reply bytes.
constexpr std::int64_t kBlocksMinimumUs = 32 * 1000 + 151 + 32 * 512;

class SlowLinkTickTest : public AcqWindowTest {
 protected:
  void StartOnSlowLink() {
    Open();
    QTest::mouseClick(form->McaStart, Qt::LeftButton);
    ASSERT_EQ(s().acquiring, 1);
    ASSERT_EQ(s().channelSize, 4096);
    driver.SetLinkDelayUs(kLatencyUs);
    driver.SetLinkBytesPerSecond(kBytesPerSecond);
  }
};

// On the manual clock: the first wait for a block and for the status looks every 100 us (they
// may end up to 100 us late each), the other 31 blocks within 2 us of their reply.
TEST_F(SlowLinkTickTest, ATickTakesTheLinksTimeAndReadsEveryBlock) {
  StartOnSlowLink();
  AdvanceMs(2000);
  sim().SetInputRate(0);  // the counts stand still, so that every block can be compared
  sim().ClearFrames();
  const std::int64_t t0 = clock.Peek();
  Tick();
  const std::int64_t tickUs = clock.Peek() - t0;
  EXPECT_GE(tickUs, kTickMinimumUs);
  EXPECT_LE(tickUs, kTickMinimumUs + 2 * 100 + 31 * 2);
  std::vector<std::string> expected;
  for (int n = 1; n <= 32; ++n) expected.push_back("$R" + std::to_string(n) + ";");
  expected.push_back("$R0;");
  EXPECT_EQ(Frames(), expected);
  int differing = 0;
  for (int ch = 0; ch < 4096; ++ch)
    differing += s().spectrumCounts[ch] != static_cast<std::int32_t>(sim().Count(ch));
  EXPECT_EQ(differing, 0);
  EXPECT_GT(s().maxChannelCount, 0);
  EXPECT_EQ(s().realTime, sim().RealTime10ms() / 10);
  EXPECT_EQ(s().acquiring, 1);
}

// Timer1 runs on the wall clock, so this one runs the window's event loop on it, for about six
// ticks of some 50 ms each with the timer at 10 ms. After each tick the operator clicks the plot
// (a queued click, as a real one arrives): the click is handled, and its cursor frame sent,
// before the next tick begins; and the next tick begins no sooner than the interval after the
// block read, so late ticks are not made up for by ticks back to back.
TEST(SlowLinkPileUpTest, TicksLongerThanTheIntervalLeaveRoomForTheOperator) {
  SteadyClock wall;
  SimConfig config = ExactSim(wall, 1000);
  config.linkDelayUs = kLatencyUs;
  config.linkBytesPerSecond = kBytesPerSecond;
  SimDriver driver(config);
  auto form = std::make_unique<TForm1>(driver, wall);
  QTest::mouseClick(form->McaOpen, Qt::LeftButton);
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  ASSERT_EQ(form->State().acquiring, 1);
  form->SetTimerInterval(10);
  driver.Analyser().ClearFrames();

  struct Record {
    std::vector<std::int64_t> starts, ends;
    int clicksQueued = 0, clicksHandled = 0;
    bool nested = false, clickMissed = false;
  } r;
  QEventLoop loop;
  struct TickStart : QObject {
    Record& r;
    SteadyClock& wall;
    TickStart(Record& rec, SteadyClock& w) : r(rec), wall(w) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() != QEvent::Timer) return false;
      r.nested |= r.starts.size() > r.ends.size();
      r.clickMissed |= r.clicksHandled != r.clicksQueued;
      r.starts.push_back(wall.NowUs());
      return false;
    }
  } filter(r, wall);
  form->Timer1->installEventFilter(&filter);
  // Connected after the window's own handler, so it runs when the tick has ended.
  QObject::connect(form->Timer1, &QTimer::timeout, &loop, [&] {
    r.ends.push_back(wall.NowUs());
    ++r.clicksQueued;
    QMetaObject::invokeMethod(
        &loop,
        [&] {
          ++r.clicksHandled;
          QTest::mouseClick(form->PaintBox1, Qt::LeftButton, {}, QPoint(200, 100));
        },
        Qt::QueuedConnection);
    if (r.ends.size() == 6) loop.quit();
  });
  QTimer::singleShot(3000, &loop, &QEventLoop::quit);  // a bound, should the ticks stop
  loop.exec();
  form->Timer1->removeEventFilter(&filter);
  QTest::mouseClick(form->McaStop, Qt::LeftButton);

  ASSERT_EQ(r.ends.size(), 6u);
  EXPECT_FALSE(r.nested);
  EXPECT_FALSE(r.clickMissed);
  for (std::size_t i = 0; i < r.ends.size(); ++i) {
    EXPECT_GE(r.ends[i] - r.starts[i], kTickMinimumUs) << "tick " << i;
    // The timer restarts after the blocks; a coarse timer may fire up to 5 % early.
    if (i > 0) {
      EXPECT_GE(r.starts[i] - r.starts[i - 1], kBlocksMinimumUs + 9500) << "tick " << i;
    }
  }
  // On the link: each tick's 33 frames, then the click's cursor frame, in this order.
  const std::vector<std::string> frames = driver.Frames();
  ASSERT_GE(frames.size(), 5u * 34u);
  for (std::size_t i = 0; i + 34 <= 5 * 34; i += 34) {
    EXPECT_EQ(frames[i], "$R1;") << "frame " << i;
    EXPECT_EQ(frames[i + 32], "$R0;") << "frame " << i;
    EXPECT_EQ(frames[i + 33].substr(0, 3), "$@C") << "frame " << i;
  }
}

}  // namespace
}  // namespace tavlex::test
