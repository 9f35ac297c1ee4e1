// The channel axis and the live preview of a scan.

#include <gtest/gtest.h>

#include <cstring>

#include "PlotTestSupport.h"
#include "display/PlotColours.h"

namespace tavlex {
namespace {

using testing::At;
using testing::CountColour;
using testing::PlotAt;
using testing::Rgb;

constexpr Colour kBlue = 0xFF0000;

class AxisTest : public ::testing::Test {
 protected:
  testing::Started st;
  AppState& s = *st;
  bool Black(int x, int y) { return At(s.paintBox, s.plotLeft + x, s.axisTop + y) == Rgb(kBlack); }
  int BlackInRow(int y) {
    return CountColour(s.axisStrip, 0, y, s.axisStrip.width(), y + 1, kBlack);
  }
};

TEST_F(AxisTest, TwoHundredChannelTicksWithMinorTicksOnTheFullView) {
  DrawChannelAxis(s, st.window);
  // 4095 channels: unit 200, ticks at x = 200 i x 512 / 4095, minor ones 2.5 pixels apart.
  EXPECT_TRUE(Black(25, 17));
  EXPECT_FALSE(Black(25, 18));
  EXPECT_TRUE(Black(500, 17));
  EXPECT_TRUE(Black(28, 9));
  EXPECT_FALSE(Black(28, 10));
  EXPECT_FALSE(Black(26, 9));
  EXPECT_EQ(BlackInRow(17), 21);
  // 21 major and 189 minor ticks, of which the last tick's from x = 513 on fall off the strip.
  EXPECT_EQ(BlackInRow(9), 21 + 21 * 9 - 5);
}

TEST_F(AxisTest, TenChannelTicksStartAtTheViewStartModuloTheUnit) {
  s.viewStart = 100;
  s.viewEnd = 199;
  DrawChannelAxis(s, st.window);
  EXPECT_TRUE(Black(51, 17));  // 10 x 512 / 99
  EXPECT_EQ(BlackInRow(17), 10);
  EXPECT_EQ(BlackInRow(9), 10);  // no minor ticks at unit 10
  s.viewStart = 105;
  s.viewEnd = 204;
  DrawChannelAxis(s, st.window);
  EXPECT_TRUE(Black(25, 17));  // channel 110 = view start + 5
  EXPECT_FALSE(Black(0, 17));
}

TEST_F(AxisTest, ASingleChannelViewHasNoTicks) {
  s.viewStart = s.viewEnd = 300;
  DrawChannelAxis(s, st.window);
  EXPECT_EQ(BlackInRow(17), 0);
  EXPECT_EQ(BlackInRow(1), 512);  // the blank strip's black top rows
  s.viewStart = 400;              // reversed
  DrawChannelAxis(s, st.window);
  EXPECT_EQ(BlackInRow(17), 0);
  s.viewStart = INT32_MIN;
  s.viewEnd = INT32_MAX;
  DrawChannelAxis(s, st.window);
  EXPECT_EQ(BlackInRow(1), 512);
}

class PreviewTest : public ::testing::Test {
 protected:
  testing::Started st;
  AppState& s = *st;
  void SetUp() override {
    s.overlayShown[3] = 0;
    s.mcaMode = 0;
    s.acquiring = 1;
    for (int i = 0; i < 256; ++i) s.acqStatus.SetTracePoint(i, static_cast<std::uint8_t>(i));
    s.acqStatus.SetDisplayStart(0);
    s.acqStatus.SetDisplayEnd(4095);
  }
  void Preview() { DrawLivePreview(s, st.window); }
};

TEST_F(PreviewTest, TheDisplayProfileFillsTwoColumnsPerPoint) {
  Preview();
  for (int i : {0, 1, 100, 255}) {
    const int row = std::min(300 - i * 300 / 256, 299);
    EXPECT_EQ(s.columnTop[2 * i], row) << i;
    EXPECT_EQ(s.columnTop[2 * i + 1], row) << i;
    EXPECT_EQ(PlotAt(s, 2 * i, row), Rgb(kLime)) << i;
  }
  ApplyPlotLayout(s, st.window, true);
  Preview();
  EXPECT_EQ(s.columnTop[4 * 100 + 3], 600 - 100 * 600 / 256);
}

TEST_F(PreviewTest, ExpandedViewsFillPixelsPerChannelColumnsAndLeaveTheRest) {
  s.viewEnd = 299;  // one pixel per channel: only columns 0 .. 255 are written
  for (int x = 0; x < 512; ++x) s.columnTop[x] = 123;
  Preview();
  EXPECT_EQ(s.columnTop[200], 300 - 200 * 300 / 256);
  EXPECT_EQ(s.columnTop[300], 123);
  s.viewEnd = 99;  // five pixels per channel
  Preview();
  EXPECT_EQ(s.columnTop[5 * 10 + 4], 300 - 10 * 300 / 256);
}

TEST_F(PreviewTest, HeaderOfTheScan) {
  s.currentHeader.SetComment("brass");
  Preview();
  const QImage& p = s.plotBitmap;
  EXPECT_GT(CountColour(p, 50, 5, 100, 18, kRed), 10);   // "* ACQ *"
  EXPECT_GT(CountColour(p, 50, 18, 100, 31, kRed), 10);  // the comment, also red
  for (int right : {175, 375}) {
    EXPECT_GT(CountColour(p, right - 30, 5, right, 31, kAqua), 10) << right;
    EXPECT_EQ(CountColour(p, right, 5, right + 4, 31, kAqua), 0) << right;
  }
}

TEST_F(PreviewTest, RegionsShadedOnlyInCompressedViewsAndOnlyTheFirstEight) {
  RoiRecord& r = s.roiTable[7];
  r.shown = 1;
  r.low = 1000;
  r.high = 1200;
  r.colour = static_cast<std::int32_t>(kBlue);
  Preview();
  EXPECT_EQ(PlotAt(s, 130, 298), Rgb(kBlue));                        // columns 125 .. 149
  EXPECT_EQ(CountColour(s.plotBitmap, 420, 0, 512, 300, kBlue), 0);  // no list
  s.acqStatus.SetDisplayEnd(255);  // the analyser's view is expanded: no shading
  Preview();
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 0, 512, 300, kBlue), 0);
  s.acqStatus.SetDisplayEnd(4095);
  s.roiTable[8] = r;
  r.shown = 0;
  Preview();
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 0, 512, 300, kBlue), 0);
}

TEST_F(PreviewTest, TheCursorComesFromTheStatusBlock) {
  s.cursorChannel = 2048;
  s.acqStatus.SetCursor(800);  // column 100
  Preview();
  EXPECT_EQ(CountColour(s.plotBitmap, 100, 0, 101, 300, kRed), 25);
  EXPECT_EQ(CountColour(s.plotBitmap, 256, 0, 257, 300, kRed), 0);
  s.acqStatus.SetDisplayStart(800);  // now on the first column: no tick
  Preview();
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 40, 512, 300, kRed), 0);
}

}  // namespace
}  // namespace tavlex
