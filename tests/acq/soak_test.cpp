// One hour of acquisition in the real window on the manual clock, at a count rate at which the
// analyser's 32-bit event and spectrum totals wrap: times, live time and rate stay right across
// the wrap, the heap does not grow, and the preset ends the run. The global allocation functions
// of this test program count every allocation and release.

#include <QCoreApplication>
#include <algorithm>
#include <cstdint>

#include "AcqFixture.h"
#include "tests/CountingNew.h"

namespace tavlex::test {
namespace {

// 1.5 million counted events a second pass 2^32 after 2863.3 s.
constexpr double kCps = 1.5e6;
constexpr int kTicks = 36000;  // 100 ms apiece: the hour's preset of 36000 x 0.1 s
constexpr int kWarmTicks = 1000;

class SoakTest : public AcqWindowTest {
 protected:
  SoakTest() : AcqWindowTest(kCps) {}
};

TEST_F(SoakTest, AnHourAcrossTheCounterWrapEndsAtItsPresetWithAFlatHeap) {
  Open();
  Setup([](TXMCA1SetUp& d) {
    d.PresetRT->setText("3600");
    d.m1024ch->setChecked(true);  // a quarter of the blocks: the hour runs in seconds
    d.DeadTime->setText("0.1");   // live time: 85 % of the real time at 1.5 Mcps
  });
  QTest::mouseClick(form->McaClear, Qt::LeftButton);
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  ASSERT_EQ(s().acquiring, 1);

  long liveWarm = 0, liveBeforeEnd = 0, mostPerTickEarly = 0, mostPerTickLate = 0;
  int wrapTick = 0, badRates = 0, badTimes = 0;
  std::uint32_t lastEvents = 0;
  for (int tick = 1; tick <= kTicks && s().acquiring == 1; ++tick) {
    AdvanceMs(100);
    const long before = counting::Allocations();
    Tick();
    QCoreApplication::processEvents();
    const long used = counting::Allocations() - before;
    // The toolkit's text cache takes in the first minute's new numbers, then stays.
    if (tick == kWarmTicks) liveWarm = counting::Live();
    if (tick == kTicks - 1) liveBeforeEnd = counting::Live();
    if (tick >= 2 && tick <= kWarmTicks) mostPerTickEarly = std::max(mostPerTickEarly, used);
    if (tick > kTicks - kWarmTicks && tick < kTicks)
      mostPerTickLate = std::max(mostPerTickLate, used);
    if (tick == kTicks) break;  // the preset's tick ends the run: checked below

    const auto events = static_cast<std::uint32_t>(s().acqStatus.Events());
    if (events < lastEvents) wrapTick = tick;
    lastEvents = events;
    // 150 000 events a tick, exactly: the rate is 1500 kcps from the second tick on.
    if (tick >= 2 && std::abs(s().countRate - 1500.0f) > 0.01f) ++badRates;
    const auto expectedEvents = static_cast<std::uint64_t>(150000) * tick;
    // live = real - events x 0.1 us, in 0.1 s: tick - 0.15 tick
    if (s().realTime != tick || EventsSinceClear(s()) != expectedEvents ||
        std::abs(s().liveTime - 0.85 * tick) > 1.0)
      ++badTimes;
  }
  EXPECT_EQ(wrapTick, 28634);  // 28634 x 150 000 passes 2^32
  EXPECT_EQ(badRates, 0);
  EXPECT_EQ(badTimes, 0);

  EXPECT_EQ(s().acquiring, 0);
  EXPECT_EQ(s().realTime, 36000);
  // 36000 - 5.4e9 x 0.1 x 1e-5, with 0.1 as the single 0.100000001: 30599.9999 truncated.
  EXPECT_EQ(s().liveTime, 30599);
  EXPECT_EQ(EventsSinceClear(s()), 5'400'000'000u);
  EXPECT_EQ(Edit1(), "$P36000;");  // the setup's line, no error line: the preset ended it
  std::int64_t total = 0;
  for (int ch = 0; ch < s().channelSize; ++ch) total += s().spectrumCounts[ch];
  EXPECT_EQ(total, 5'400'000'000);  // no channel passes 2^31, so the sum is whole
  // The ticks allocate as many blocks at the end as at the start, and free them all again.
  EXPECT_GT(mostPerTickEarly, 0);
  EXPECT_LE(mostPerTickLate, mostPerTickEarly);
  EXPECT_LE(liveBeforeEnd, liveWarm);
}

}  // namespace
}  // namespace tavlex::test
