// View navigation without a window: the zoom ranges, the VFS steps and "Auto", the channel under
// a click, the host paths of the buttons and the resize handler's layouts.

#include <gtest/gtest.h>

#include "display/ViewNav.h"
#include "tests/display/PlotTestSupport.h"

namespace tavlex {
namespace {

using testing::Started;

TEST(ViewNavTest, ExpandWorkedSequenceFromTheWholeMemory) {
  // N = 4096, W = 512, cursor 2048; the last press at 64 pixels per channel changes nothing.
  const ViewRange want[] = {{1024, 3071}, {1536, 2559}, {1792, 2303}, {1920, 2175}, {1984, 2111},
                            {2016, 2079}, {2032, 2063}, {2040, 2055}, {2044, 2051}, {2044, 2051}};
  ViewRange v{0, 4095};
  for (const ViewRange& w : want) {
    v = ExpandRange(v, 2048, 4096, 512);
    EXPECT_EQ(v, w) << w.start << "-" << w.end;
  }
}

TEST(ViewNavTest, ZoomRangesAtTheEdgesOfTheMemory) {
  struct Row {
    bool expand;
    ViewRange from;
    int cursor, channels, width;
    ViewRange to;
  };
  const Row rows[] = {
      // Expanded 4 px per channel at channel 10: cut at 0, not shifted (42 channels, 12 px each).
      {true, {0, 127}, 10, 4096, 512, {0, 41}},
      {true, {0, 4095}, 4000, 4096, 512, {2048, 4095}},  // moved back inside at the end
      {true, {0, 4095}, 5, 4096, 512, {0, 2047}},
      {true, {3584, 4095}, 4090, 4096, 512, {3840, 4095}},  // one per column -> 256 channels
      {true, {0, 255}, 250, 256, 1024, {128, 255}},         // large layout: n = 1024 / 8 = 128
      // Compress: one channel per column doubles, up to the whole memory.
      {false, {1792, 2303}, 2048, 4096, 512, {1536, 2559}},
      {false, {1024, 3071}, 2048, 4096, 512, {0, 4095}},
      {false, {1792, 2303}, 4000, 4096, 512, {3072, 4095}},
      {false, {0, 4095}, 2048, 4096, 512, {0, 4095}},  // whole memory in view: unchanged
      {false, {0, 255}, 128, 256, 512, {0, 255}},      // N < W, all in view: unchanged
      // N < W once expanded: back out to the whole memory (8 -> 4 -> 2 px per channel, then all).
      {false, {96, 159}, 128, 256, 512, {64, 191}},
      {false, {64, 191}, 128, 256, 512, {0, 255}},
      {false, {0, 127}, 200, 256, 512, {0, 255}},
      {false, {256, 511}, 300, 512, 1024, {0, 511}},
      {false, {0, 127}, 64, 4096, 512, {0, 255}},  // 4 px per channel -> 2
      // 1 px per channel after the division (300 channels on 512 columns): one per column.
      {false, {0, 299}, 150, 4096, 512, {0, 511}},
      {false, {3700, 3999}, 3850, 4096, 512, {3584, 4095}},
  };
  for (const Row& r : rows) {
    const ViewRange got = r.expand ? ExpandRange(r.from, r.cursor, r.channels, r.width)
                                   : CompressRange(r.from, r.cursor, r.channels, r.width);
    EXPECT_EQ(got, r.to) << (r.expand ? "expand " : "compress ") << r.from.start << "-"
                         << r.from.end << " at " << r.cursor << ": " << got.start << "-" << got.end;
  }
}

TEST(ViewNavTest, ArrowStepsAndAutoStep) {
  EXPECT_EQ(VfsStepAfter(2, true), 1);
  EXPECT_EQ(VfsStepAfter(1, true), 0);  // refused
  EXPECT_EQ(VfsStepAfter(21, false), 22);
  EXPECT_EQ(VfsStepAfter(22, false), 0);  // refused
  struct Row {
    long long max;
    int step;
  };
  const Row rows[] = {{0, 1},          {99, 1},          {100, 2},        {249, 2},
                      {250, 3},  // the full scale must exceed the count
                      {999, 4},        {1000, 5},        {249999999, 20}, {250000000, 20},
                      {300000000, 20}, {1000000000, 20}, {2147483647, 20}};
  for (const Row& r : rows) EXPECT_EQ(AutoVfsStep(r.max), r.step) << r.max;
}

TEST(ViewNavTest, AutoLeavesOutTheLastChannelOfTheView) {
  Started s;
  std::fill(std::begin(s->spectrumCounts), std::end(s->spectrumCounts), 0);
  s->viewStart = 100;
  s->viewEnd = 200;
  s->spectrumCounts[99] = 9000;
  s->spectrumCounts[200] = 5000;
  s->spectrumCounts[150] = 250;
  EXPECT_EQ(MaxCountInView(*s), 250);
  s->viewEnd = 100;
  EXPECT_EQ(MaxCountInView(*s), 0);
}

TEST(ViewNavTest, ChannelUnderAClick) {
  struct Row {
    int deviceOpen;
    int viewStart, viewEnd;
    int statusStart, statusEnd;
    int channels;
    int x;  // PaintBox1 coordinates; the plot starts at 18
    int channel;
  };
  const Row rows[] = {
      {0, 0, 4095, 0, 0, 4096, 118, 800},
      {0, 0, 4095, 0, 0, 4096, 18, 0},
      {0, 0, 4095, 0, 0, 4096, 0, 0},       // on the scale strip: -144 kept at 0
      {0, 0, 4095, 0, 0, 4096, 600, 4095},  // past the last column
      {0, 0, 1023, 0, 0, 1024, 529, 1022},
      {0, 512, 1535, 0, 0, 2048, 600, 1676},  // within the spectrum, beyond the view
      {0, 0, 1023, 0, 0, 1024, 600, 1023},
      {0, 0, 127, 0, 0, 4096, 118, 25},  // 4 px per channel
      {0, 100, 141, 0, 0, 4096, 18 + 11 * 12 + 5, 111},
      // A running analyser's range comes from the status block.
      {1, 0, 4095, 1000, 3047, 4096, 118, 1400},
      {1, 0, 255, 100, 227, 4096, 118, 150},   // analyser expanded: host's 2 px per channel
      {1, 0, 4095, 100, 227, 4096, 118, 200},  // host compressed: at least 1 px per channel
  };
  Started s;
  for (const Row& r : rows) {
    s->deviceOpen = r.deviceOpen;
    s->acquiring = r.deviceOpen;
    s->viewStart = r.viewStart;
    s->viewEnd = r.viewEnd;
    s->channelSize = r.channels;
    s->acqStatus.SetDisplayStart(static_cast<std::int16_t>(r.statusStart));
    s->acqStatus.SetDisplayEnd(static_cast<std::int16_t>(r.statusEnd));
    EXPECT_EQ(ChannelAtClick(*s, r.x), r.channel) << "x " << r.x << " view " << r.viewStart;
  }
  // An open analyser that does not run: its status block may be stale; the host's range counts.
  s->deviceOpen = 1;
  s->acquiring = 0;
  s->viewStart = 0;
  s->viewEnd = 4095;
  s->channelSize = 4096;
  s->acqStatus.SetDisplayStart(0);
  s->acqStatus.SetDisplayEnd(0);
  EXPECT_EQ(ChannelAtClick(*s, 118), 800);
}

TEST(ViewNavTest, ExpandAndCompressOnTheHostRedrawAndMoveTheCursorIntoView) {
  Started s;
  s->cursorChannel = 4000;
  ExpandLocal(*s, s.window);
  EXPECT_EQ(s->viewStart, 2048);
  EXPECT_EQ(s->viewEnd, 4095);
  EXPECT_EQ(s->acqStatus.DisplayStart(), 2048);
  EXPECT_EQ(s->acqStatus.DisplayEnd(), 4095);
  EXPECT_EQ(s.window.Text(Field::Label1), "2048ch");
  EXPECT_EQ(s.window.Text(Field::Label2), "4095ch");
  EXPECT_EQ(s.window.Text(Field::Label7), "4000");  // the ramp's count at the cursor
  // A cursor left outside by an expand (here one beyond a 1024-channel spectrum) goes to the
  // middle of the new range: 2048 -> 1792 - 2303, moved back to 512 - 1023.
  s->channelSize = 1024;
  s->viewStart = 0;
  s->viewEnd = 1023;
  s->cursorChannel = 2048;
  ExpandLocal(*s, s.window);
  EXPECT_EQ(s->viewStart, 512);
  EXPECT_EQ(s->viewEnd, 1023);
  EXPECT_EQ(s->cursorChannel, 768);
  EXPECT_EQ(s.window.Text(Field::Label3), "768");
  s->channelSize = 4096;
  s->viewStart = 0;
  s->viewEnd = 127;
  s->cursorChannel = 0;
  ExpandLocal(*s, s.window);  // n = 64, h = 32, cut at 0
  EXPECT_EQ(s->viewStart, 0);
  EXPECT_EQ(s->viewEnd, 31);
  EXPECT_EQ(s->cursorChannel, 0);
  // Compress keeps the cursor where it is, even outside the new range.
  s->viewStart = 100;
  s->viewEnd = 227;
  s->cursorChannel = 50;
  CompressLocal(*s, s.window);
  EXPECT_EQ(s->viewStart, 0);
  EXPECT_EQ(s->viewEnd, 255);
  EXPECT_EQ(s->cursorChannel, 50);
  EXPECT_EQ(s.window.Text(Field::Label3), "50");
  // The axis strip was redrawn for 0 - 255: a major tick at channel 100, x = 100 x 512 / 255.
  EXPECT_EQ(testing::At(s->axisStrip, 200, 15), testing::Rgb(0x000000));
}

TEST(ViewNavTest, ResizeSwitchesLayoutsOnlyOnMaximizeAndRestore) {
  Started s;
  using W = WindowShow;
  EXPECT_EQ(ResizeLayout(*s, s.window, W::Normal, W::Maximized), LayoutChange::None);  // first
  EXPECT_EQ(s->resizeSeen, 1);
  EXPECT_EQ(s->plotBitmap.width(), 512);
  EXPECT_EQ(s.window.Text(Field::Edit1), "Normal");
  struct Row {
    W before, now;
    LayoutChange change;
    const char* edit1;
    int plotWidth, plotHeight, plotLeft, axisTop;
  };
  const Row rows[] = {
      {W::Normal, W::Maximized, LayoutChange::Large, "Maximized", 1024, 600, 26, 600},
      {W::Maximized, W::Minimized, LayoutChange::None, "Maximized", 1024, 600, 26, 600},
      {W::Minimized, W::Maximized, LayoutChange::Large, "Maximized", 1024, 600, 26, 600},
      {W::Maximized, W::Normal, LayoutChange::Normal, "Normal", 512, 300, 18, 300},
      {W::Normal, W::Normal, LayoutChange::None, "Normal", 512, 300, 18, 300},  // a drag
      {W::Normal, W::Minimized, LayoutChange::None, "Normal", 512, 300, 18, 300},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ResizeLayout(*s, s.window, r.before, r.now), r.change);
    EXPECT_EQ(s.window.Text(Field::Edit1), r.edit1);
    EXPECT_EQ(s->plotBitmap.width(), r.plotWidth);
    EXPECT_EQ(s->plotBitmap.height(), r.plotHeight);
    EXPECT_EQ(s->scaleStrip.width(), r.plotLeft);
    EXPECT_EQ(s->axisStrip.width(), r.plotWidth);
    EXPECT_EQ(s->plotLeft, r.plotLeft);
    EXPECT_EQ(s->axisTop, r.axisTop);
    EXPECT_EQ(s->paintBox.width(), r.plotLeft + r.plotWidth);
    EXPECT_EQ(s->paintBox.height(), r.plotHeight + 20);
  }
  // View, cursor and step are not touched by a layout change.
  EXPECT_EQ(s->viewStart, 0);
  EXPECT_EQ(s->viewEnd, 4095);
  EXPECT_EQ(s->cursorChannel, 2048);
}

}  // namespace
}  // namespace tavlex
