// The repaint, checked on the composed paint-box image.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

#include "PlotTestSupport.h"
#include "display/PlotColours.h"
#include "display/PlotGeometry.h"

namespace tavlex {
namespace {

using testing::CountColour;
using testing::PlotAt;
using testing::Rgb;

constexpr Colour kLimeC = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

class PlotTest : public ::testing::Test {
 protected:
  testing::Started st;
  AppState& s = *st;
  void SetUp() override { s.overlayShown[3] = 0; }
  void Paint() { PaintBox1Paint(s, st.window); }
  void Linear(int step) {
    s.vfsIndex = step;
    ShowLinearScale(s, st.window);
  }
  void Zero() { std::memset(s.spectrumCounts, 0, sizeof s.spectrumCounts); }
  bool Lime(int x, int y) { return PlotAt(s, x, y) == Rgb(kLimeC); }
  // Black in the scale strip left of the ticks, leaving out the lines across the strip.
  int InkLeftOfTicks(int y0, int y1) {
    int ink = 0;
    for (int row = y0; row < y1; ++row)
      if (testing::At(s.paintBox, s.plotLeft - 1, row) != Rgb(kBlack))
        ink += CountColour(s.paintBox, 0, row, 4, row + 1, kBlack);
    return ink;
  }
};

TEST_F(PlotTest, StartUpShowsTheRampOnTheLogScaleWithDecadeLabels) {
  s.overlayShown[3] = 1;
  Paint();
  EXPECT_EQ(s.logScale, 1);
  EXPECT_EQ(st.window.Text(Field::Label7), "2048");
  // 8 channels per column: column x shows 8x .. 8x + 7 of the ramp.
  for (int x : {16, 100, 256, 400, 510}) {
    const int top = 300 - static_cast<int>(std::log10(8 * x + 7 + 0.5) * 50);
    EXPECT_EQ(s.columnTop[x], top) << x;
    EXPECT_TRUE(Lime(x, s.columnBottom[x])) << x;
  }
  // Seven grid lines, one decade apart (the seventh just above the plot).
  for (int k = 0; k < 6; ++k) EXPECT_EQ(PlotAt(s, 450, 300 - (k * 50 + 1)), Rgb(kMaroon)) << k;
  EXPECT_EQ(PlotAt(s, 450, 300 - 26), 0u);
  // The empty MCA snapshot lies along the top row.
  EXPECT_EQ(PlotAt(s, 450, 0), Rgb(kAqua));
  // The scale strip: decade lines across, and a label left of the ticks for each decade.
  const QImage& box = s.paintBox;
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(CountColour(box, 0, 299 - 50 * k, 18, 300 - 50 * k, kBlack), 18) << k;
  int previousNine = 0;
  for (int k = 0; k <= 5; ++k) {
    const int y = 300 - previousNine - 13;
    EXPECT_GT(InkLeftOfTicks(y, y + 12), 2) << "e" << k;
    previousNine = static_cast<int>(std::log10(9) * 50 + 0.5) + 50 * k + 1;
  }
  // The cursor tick above channel 2048 (column 256).
  EXPECT_EQ(PlotAt(s, 256, s.columnTop[256] - 1), Rgb(kRed));
  EXPECT_EQ(PlotAt(s, 256, s.columnTop[256] - 25), Rgb(kRed));
  EXPECT_NE(PlotAt(s, 256, s.columnTop[256] - 26), Rgb(kRed));
}

TEST_F(PlotTest, TheLinearScaleHasNoDecadeLabels) {
  Linear(2);
  const QImage& box = s.paintBox;
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(CountColour(box, 0, 299 - 60 * k, 18, 300 - 60 * k, kBlack), 18) << k;
  EXPECT_EQ(InkLeftOfTicks(1, 299), 0);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(PlotAt(s, 450, 300 - (k * 60 + 1)), Rgb(kMaroon)) << k;
}

TEST_F(PlotTest, FourThousandChannelsDrawEightChannelMinMaxBars) {
  Zero();
  Linear(1);
  s.spectrumCounts[83] = 50;                                       // column 10: 0 .. 50
  for (int c = 152; c < 176; ++c) s.spectrumCounts[c] = 20000000;  // columns 19 .. 21
  Paint();
  for (int y = 151; y < 300; ++y) EXPECT_TRUE(Lime(10, y)) << y;
  EXPECT_FALSE(Lime(10, 150));  // the bar stops below its top row
  EXPECT_TRUE(Lime(11, 299));
  EXPECT_FALSE(Lime(11, 298));
  // 20 000 000 counts far above the full scale, with the bottom at the 16 000 000 row.
  s.vfsIndex = 22;
  Paint();
  EXPECT_EQ(s.columnBottom[20], 296);
  EXPECT_TRUE(Lime(20, 295));
  EXPECT_TRUE(Lime(20, 296));
  EXPECT_FALSE(Lime(20, 294));
  EXPECT_FALSE(Lime(20, 297));
}

TEST_F(PlotTest, TwoHundredFiftySixChannelsDrawTwoColumnHistogramSteps) {
  Zero();
  Linear(1);
  s.viewEnd = 255;
  s.spectrumCounts[10] = 10;  // row 270
  s.spectrumCounts[11] = 11;  // row 267
  Paint();
  EXPECT_TRUE(Lime(20, 270));
  EXPECT_TRUE(Lime(21, 270));
  EXPECT_FALSE(Lime(20, 269));
  for (int y = 267; y <= 270; ++y) EXPECT_TRUE(Lime(22, y)) << y;  // the riser
  EXPECT_TRUE(Lime(23, 267));
  EXPECT_FALSE(Lime(21, 267));
  EXPECT_FALSE(Lime(25, 267));
}

TEST_F(PlotTest, LinearRowsAndCountsAboveTheFullScale) {
  Zero();
  Linear(1);
  s.viewStart = 0;
  s.viewEnd = 511;
  s.spectrumCounts[100] = 50;
  s.spectrumCounts[300] = 200;
  Paint();
  EXPECT_EQ(s.columnTop[100], 150);
  EXPECT_TRUE(Lime(100, 150));
  EXPECT_EQ(s.columnTop[200], 299);
  EXPECT_TRUE(Lime(200, 299));
  EXPECT_EQ(s.columnTop[300], -300);
  for (int y = 0; y < 299; ++y) EXPECT_TRUE(Lime(300, y)) << y;  // leaves at the top edge
}

TEST_F(PlotTest, LogarithmicRows) {
  Zero();
  s.viewStart = 0;
  s.viewEnd = 511;
  s.spectrumCounts[10] = 1;
  s.spectrumCounts[20] = 10;
  s.spectrumCounts[30] = 1000000;
  Paint();
  EXPECT_EQ(s.columnTop[10], 292);
  EXPECT_EQ(s.columnTop[20], 249);
  EXPECT_EQ(s.columnTop[30], 0);
  EXPECT_TRUE(Lime(10, 292));
  EXPECT_TRUE(Lime(20, 249));
  EXPECT_TRUE(Lime(30, 0));
}

TEST_F(PlotTest, HugeCountsOnASmallFullScaleStayAtTheTop) {
  Zero();
  Linear(1);
  s.spectrumCounts[4000] = INT32_MAX;
  ApplyPlotLayout(s, st.window, true);
  Paint();
  EXPECT_EQ(s.columnTop[1000], kRowFloor);
  EXPECT_TRUE(Lime(1000, 0));
}

TEST_F(PlotTest, TheCursorOnTheFirstColumnDrawsNoTick) {
  s.cursorChannel = 0;
  Paint();
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 0, 512, 300, kRed), 0);
  s.cursorChannel = 7;  // still column 0
  Paint();
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 0, 512, 300, kRed), 0);
  s.cursorChannel = 8;
  Paint();
  EXPECT_EQ(CountColour(s.plotBitmap, 1, 0, 2, 300, kRed), 25);
  // Expanded: the tick stands in the middle of the channel's columns.
  s.viewEnd = 255;
  s.cursorChannel = 10;
  Paint();
  EXPECT_EQ(CountColour(s.plotBitmap, 21, 0, 22, 300, kRed), 25);
  EXPECT_EQ(CountColour(s.plotBitmap, 20, 0, 21, 300, kRed), 0);
  // Right of the plot, and far outside the count array.
  s.cursorChannel = 100000;
  Paint();
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 0, 512, 300, kRed), 0);
  EXPECT_EQ(st.window.Text(Field::Label7), "0");
}

TEST_F(PlotTest, OverlaysInTheirOrderAndColours) {
  Zero();
  for (int k = 0; k < 4; ++k) {
    s.overlayShown[k] = 1;
    for (int x = 0; x < 512; ++x) s.overlayTop[k][x] = s.overlayBottom[k][x] = 100 + 10 * k;
  }
  // MCA and Mem3 share row 150; Mem1 and Mem2 row 160: the later in drawing order wins.
  for (int x = 0; x < 512; ++x) {
    s.overlayTop[3][x] = s.overlayBottom[3][x] = s.overlayTop[2][x] = s.overlayBottom[2][x] = 150;
    s.overlayTop[0][x] = s.overlayBottom[0][x] = s.overlayTop[1][x] = s.overlayBottom[1][x] = 160;
  }
  s.overlayBottom[3][300] = s.overlayTop[3][300] = 299;  // over the trace at its bottom row
  Paint();
  EXPECT_EQ(PlotAt(s, 200, 150), Rgb(kNavy));
  EXPECT_EQ(PlotAt(s, 200, 160), Rgb(kOlive));
  EXPECT_EQ(PlotAt(s, 300, 299), Rgb(kAqua));
  s.overlayShown[2] = 0;
  s.overlayShown[1] = 0;
  Paint();
  EXPECT_EQ(PlotAt(s, 200, 150), Rgb(kAqua));
  EXPECT_EQ(PlotAt(s, 200, 160), Rgb(kRed));
}

TEST_F(PlotTest, HeaderBandWhileIdleAndWhileAcquiring) {
  std::strcpy(s.dataFileName, "steel.dat");
  s.currentHeader.SetComment("brass, 40 kV");
  s.presetTime = 1000;
  s.realTime = 523;
  s.deadTime = 37;
  s.liveTime = 486;
  s.acqStatus.SetEvents(43210);
  // Each number in its own place, so that two swapped values give another band.
  struct Case {
    int acquiring;
    float countRate;
    const char* nameText;
    Colour nameColour;
    const char* rate;
  } cases[] = {
      {0, 12.5f, "steel.dat", kWhite, "    0.00"},  // the rate is zeroed while idle
      {1, 12.5f, "  * ACQ *", kRed, "   12.50"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.acquiring);
    s.acquiring = c.acquiring;
    s.countRate = c.countRate;
    Paint();
    const QImage want = testing::BackgroundWithTexts(s, {{175, 5, "   100.0", kAqua},
                                                         {175, 18, "    52.3", kAqua},
                                                         {275, 5, "     3.7", kAqua},
                                                         {275, 18, "    48.6", kAqua},
                                                         {375, 5, c.rate, kAqua},
                                                         {375, 18, "   43.21", kAqua},
                                                         {50, 5, c.nameText, c.nameColour, false},
                                                         {50, 18, "brass, 40 kV", kWhite, false}});
    EXPECT_EQ(testing::Differences(s.plotBitmap, want, 0, 0, 512, 34), 0);
  }
  EXPECT_EQ(s.countRate, 12.5f);  // kept while acquiring
}

TEST_F(PlotTest, LongNamesStopWhereTheNumbersBeginAndPaperShowsNoAqua) {
  std::snprintf(s.dataFileName, sizeof s.dataFileName, "%s", std::string(60, 'W').c_str());
  s.currentHeader.SetComment(std::string(31, 'W'));
  s.roiTable[0].low = 100, s.roiTable[0].high = 200, s.roiTable[0].shown = 1;
  QImage scratch(8, 8, QImage::Format_RGB32);
  const int field = 175 - PlotCanvas(scratch).TextWidth("     0.0");  // preset and real time
  // Name (rows 5..17) and comment (18..31) up to the numbers' field, in the spectrum and in a
  // scan's live preview (red comment).
  for (const auto& [mode, acquiring, colour] : {std::tuple{1, 0, kWhite}, {0, 1, kRed}}) {
    s.mcaMode = mode, s.acquiring = acquiring;
    Paint();
    EXPECT_GT(CountColour(s.plotBitmap, 50, 18, field, 31, colour), 20) << mode;
    EXPECT_EQ(CountColour(s.plotBitmap, field, 18, 180, 31, colour), 0) << mode;
    EXPECT_EQ(CountColour(s.plotBitmap, field, 5, 180, 18, kWhite), 0) << mode;
  }
  s.mcaMode = 1, s.acquiring = 0;
  // The hard copy's white plot: header numbers and region sums dark, nothing in aqua.
  SetPlotPaper(s, st.window, true);
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 0, 512, 300, kAqua), 0);
  EXPECT_GT(CountColour(s.plotBitmap, 420, 5, 511, 31, kBlack), 10);
}

TEST_F(PlotTest, TheVfsLabelOnlyOnTheLinearScale) {
  Linear(5);  // linear background: no "Log" caption
  Paint();
  EXPECT_GT(CountColour(s.plotBitmap, 10, 18, 40, 31, kWhite), 5);
  s.logScale = 1;  // scale switched without a new background
  Paint();
  EXPECT_EQ(CountColour(s.plotBitmap, 10, 18, 40, 31, kWhite), 0);
}

TEST_F(PlotTest, TheLargeLayoutDoublesGridStripsAndColumnsButNotTheTexts) {
  for (int i = 0; i < 10; ++i) {
    s.roiTable[i].shown = 1;
    s.roiTable[i].low = 300 * i + 100;
    s.roiTable[i].high = 300 * i + 200;
    s.roiTable[i].colour = static_cast<std::int32_t>(kBlue);
  }
  ApplyPlotLayout(s, st.window, true);
  Paint();
  EXPECT_EQ(s.paintBox.size(), QSize(1050, 620));
  EXPECT_EQ(s.plotBitmap.size(), QSize(1024, 600));
  EXPECT_EQ(s.scaleStrip.size(), QSize(26, 600));
  EXPECT_EQ(s.axisStrip.size(), QSize(1024, 20));
  EXPECT_EQ(s.plotLeft, 26);
  EXPECT_EQ(s.axisTop, 600);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(PlotAt(s, 1000, 600 - (k * 100 + 1)), Rgb(kMaroon)) << k;
    EXPECT_EQ(CountColour(s.paintBox, 0, 599 - 100 * k, 26, 600 - 100 * k, kBlack), 26) << k;
  }
  // 4 channels per column: channel 4095 of the ramp is in column 1023.
  EXPECT_EQ(s.columnTop[1023], 600 - static_cast<int>(std::log10(4095.5) * 100));
  EXPECT_GT(CountColour(s.plotBitmap, 0, 0, 511, 600, kAqua), 100);
  EXPECT_EQ(CountColour(s.plotBitmap, 511, 0, 1024, 600, kAqua), 0);
  // The axis strip with its black top rows under the plot.
  EXPECT_EQ(CountColour(s.paintBox, 26, 600, 1050, 602, kBlack), 2 * 1024);

  ApplyPlotLayout(s, st.window, false);
  Paint();
  EXPECT_EQ(s.paintBox.size(), QSize(530, 320));
  EXPECT_EQ(s.plotLeft, 18);
  EXPECT_EQ(s.axisTop, 300);
  EXPECT_EQ(PlotAt(s, 450, 299), Rgb(kMaroon));
}

TEST_F(PlotTest, NothingIsDrawnOnceTheBitmapsAreReleased) {
  ReleaseBitmaps(s);
  const int before = st.window.PaintBoxChanges();
  Paint();
  ShowLogScale(s, st.window);
  DrawLivePreview(s, st.window);
  ApplyPlotLayout(s, st.window, true);
  EXPECT_EQ(st.window.PaintBoxChanges(), before);
}

TEST_F(PlotTest, DrawingNeverDetachesABitmap) {
  const QImage* images[] = {&s.plotBitmap, &s.plotBackground, &s.plotBlank, &s.scaleBlank,
                            &s.scaleStrip, &s.axisBlank,      &s.axisStrip, &s.blackNormal,
                            &s.blackLarge, &s.paintBox};
  const uchar* bits[10];
  for (int i = 0; i < 10; ++i) bits[i] = images[i]->constBits();
  s.roiTable[0].shown = 1;
  s.roiTable[0].high = 100;
  Paint();
  ShowLinearScale(s, st.window);
  DrawChannelAxis(s, st.window);
  DrawLivePreview(s, st.window);
  Paint();
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(images[i]->constBits(), bits[i]) << i;
    EXPECT_TRUE(images[i]->isDetached()) << i;
  }
}

}  // namespace
}  // namespace tavlex
