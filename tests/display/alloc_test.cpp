// Drawing allocates nothing on the heap beyond what text drawing needs. The global allocation
// functions of this test program count every allocation.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "PlotTestSupport.h"
#include "display/PlotBitmaps.h"
#include "display/PlotCanvas.h"
#include "display/PlotGeometry.h"
#include "display/PlotRoi.h"

// Counted, so heap allocations can be told per call.
#include "tests/CountingNew.h"

namespace tavlex {
namespace {

template <typename F>
long AllocationsOf(F&& f) {
  const long before = counting::Allocations();
  f();
  return counting::Allocations() - before;
}

TEST(AllocationTest, LinesCopiesColumnsAndShadingAllocateNothing) {
  testing::Started st;
  AppState& s = *st;
  RoiRecord roi;
  roi.low = 100;
  roi.high = 2000;
  roi.label[0] = '\0';  // no peak label: no text
  const long n = AllocationsOf([&] {
    const ViewMap map = MapView(s, 512);
    ComputeColumns(s, map, 512, 300);
    CopyBitmap(s.plotBackground, s.plotBitmap);
    {
      PlotCanvas c(s.plotBitmap);
      c.SetPen(0x00FF00);
      for (int x = 0; x < 512; ++x) c.Line(x, 299, x + 1, -1'000'000'000);
      ShadeRoi(c, s, roi, map);
    }
    CopyToPaintBox(s, st.window);
  });
  EXPECT_EQ(n, 0);
}

TEST(AllocationTest, RepaintAllocationsDoNotGrowWithChannelsOrColumns) {
  testing::Started st;
  AppState& s = *st;
  for (int i = 0; i < 4; ++i) {
    s.roiTable[i].shown = 1;
    s.roiTable[i].low = 20 + 50 * i;
    s.roiTable[i].high = 40 + 50 * i;
    s.roiTable[i].colour = 0xFF0000;
  }
  s.cursorChannel = 100;
  auto repaint = [&](int viewEnd) {
    s.viewEnd = viewEnd;
    return AllocationsOf([&] { PaintBox1Paint(s, st.window); });
  };
  repaint(4095);  // warms the glyph cache
  repaint(255);
  const long wide = repaint(4095);
  const long narrow = repaint(255);
  EXPECT_EQ(wide, narrow);
  ApplyPlotLayout(s, st.window, true);
  repaint(4095);
  EXPECT_EQ(repaint(4095), wide);
}

}  // namespace
}  // namespace tavlex
