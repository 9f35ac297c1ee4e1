// Regions of interest: sums and background, the list, shading and peak labels.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "PlotTestSupport.h"
#include "display/PlotColours.h"
#include "display/PlotRoi.h"

namespace tavlex {
namespace {

using testing::CountColour;
using testing::PlotAt;
using testing::Rgb;

constexpr Colour kBlue = 0xFF0000, kYellow = 0x00FFFF;

class RoiTest : public ::testing::Test {
 protected:
  testing::Started st;
  AppState& s = *st;
  void SetUp() override {
    s.overlayShown[3] = 0;
    s.cursorChannel = 0;
  }
  RoiRecord& On(int i, int low, int high, Colour colour, const char* label = "Fe-Ka") {
    RoiRecord& r = s.roiTable[i];
    r.shown = 1;
    r.low = low;
    r.high = high;
    r.colour = static_cast<std::int32_t>(colour);
    std::strncpy(r.label, label, sizeof r.label - 1);
    return r;
  }
  void Paint() { PaintBox1Paint(s, st.window); }
};

TEST_F(RoiTest, GrossAndBackgroundCorrectedNet) {
  std::memset(s.spectrumCounts, 0, sizeof s.spectrumCounts);
  for (int c = 100; c < 120; ++c) s.spectrumCounts[c] = 10;
  for (int c = 97; c < 100; ++c) s.spectrumCounts[c] = 3;
  for (int c = 120; c < 123; ++c) s.spectrumCounts[c] = 6;
  RoiRecord& r = On(3, 100, 120, kBlue);
  const RoiSums sums = SumRoi(s, r);
  EXPECT_FLOAT_EQ(sums.gross, 200.0f);  // channel 120 itself is not included
  // The left window is low, low - 1, low - 2; the right one high .. high + 2.
  EXPECT_FLOAT_EQ(sums.net, 200.0f - ((10 + 3 + 3) / 3.0f + 6) * 20 * 0.5f);
  r.grossSum = -1;
  Paint();
  EXPECT_EQ(r.grossSum, 200);
}

TEST_F(RoiTest, TheListShowsEachRegionsLabelGrossAndNetInItsRow) {
  std::memset(s.spectrumCounts, 0, sizeof s.spectrumCounts);
  for (int c = 100; c < 120; ++c) s.spectrumCounts[c] = 10;
  for (int c = 97; c < 100; ++c) s.spectrumCounts[c] = 3;
  for (int c = 120; c < 123; ++c) s.spectrumCounts[c] = 6;
  for (int c = 398; c < 413; ++c) s.spectrumCounts[c] = c < 400 || c >= 410 ? 9 : 3;
  On(0, 100, 120, kBlue);
  On(4, 400, 410, kYellow, "Cr-Ka");
  Paint();
  // Region 0: gross 200, net 200 - ((10 + 3 + 3) / 3 + 6) * 20 * 0.5 = 86.67. Region 4 (row 4):
  // gross 30, net 30 - ((3 + 9 + 9) / 3 + 9) * 10 * 0.5 = -50.
  const QImage want = testing::BackgroundWithTexts(s, {{420, 5, "Fe-Ka", kBlue, false},
                                                       {510, 5, "       200.0", kAqua},
                                                       {510, 18, "        86.7", kAqua},
                                                       {420, 125, "Cr-Ka", kYellow, false},
                                                       {510, 125, "        30.0", kAqua},
                                                       {510, 138, "       -50.0", kAqua}});
  // The list's side of the plot, above the trace along the bottom row.
  EXPECT_EQ(testing::Differences(s.plotBitmap, want, 400, 0, 512, 290), 0);
}

TEST_F(RoiTest, SumsAccumulateInSinglePrecision) {
  std::memset(s.spectrumCounts, 0, sizeof s.spectrumCounts);
  s.spectrumCounts[10] = 16777216;  // 2^24: adding single counts no longer changes a float
  for (int c = 11; c < 21; ++c) s.spectrumCounts[c] = 1;
  EXPECT_EQ(SumRoi(s, On(0, 10, 21, kBlue)).gross, 16777216.0f);
}

TEST_F(RoiTest, ChannelsOutsideTheSpectrumCountAsZero) {
  std::memset(s.spectrumCounts, 0, sizeof s.spectrumCounts);
  s.spectrumCounts[0] = 9;
  s.spectrumCounts[1] = 9;
  RoiSums sums = SumRoi(s, On(0, 0, 1, kBlue));  // left window -2 .. 0
  EXPECT_FLOAT_EQ(sums.gross, 9.0f);
  EXPECT_FLOAT_EQ(sums.net, 9.0f - (3.0f + 3.0f) * 0.5f);

  // A 1024-channel spectrum with stale counts above it from an earlier, larger one.
  s.channelSize = 1024;
  for (int c = 1000; c < 1100; ++c) s.spectrumCounts[c] = 100;
  sums = SumRoi(s, On(1, 1020, 1030, kBlue));
  EXPECT_FLOAT_EQ(sums.gross, 400.0f);
  EXPECT_FLOAT_EQ(sums.net, 400.0f - (100.0f + 0.0f) * 10 * 0.5f);

  // Typed far outside: the whole int range is summed over the spectrum only, at once.
  s.channelSize = 4096;
  for (int c = 0; c < 4096; ++c) s.spectrumCounts[c] = c;
  sums = SumRoi(s, On(2, INT_MIN, INT_MAX, kBlue));
  EXPECT_FLOAT_EQ(sums.gross, 4095.0f * 4096.0f / 2.0f);
  EXPECT_FLOAT_EQ(sums.net, sums.gross);
  // A memory size beyond the count array, and an empty memory.
  s.channelSize = 32767;
  EXPECT_FLOAT_EQ(SumRoi(s, On(2, 8000, 9000, kBlue)).gross, 0.0f);
  s.channelSize = 0;
  EXPECT_FLOAT_EQ(SumRoi(s, On(2, 0, 100, kBlue)).gross, 0.0f);
}

TEST_F(RoiTest, StoredGrossSumsSaturateAtTheIntLimits) {
  EXPECT_EQ(TruncateSum(12.9f), 12);
  EXPECT_EQ(TruncateSum(-12.9f), -12);
  EXPECT_EQ(TruncateSum(1e12f), INT32_MAX);
  EXPECT_EQ(TruncateSum(-1e12f), INT32_MIN);
  for (int c = 0; c < 4096; ++c) s.spectrumCounts[c] = INT32_MAX;
  RoiRecord& r = On(0, 0, 4096, kBlue);
  Paint();
  EXPECT_EQ(r.grossSum, INT32_MAX);
}

TEST_F(RoiTest, ARegionWithLowEqualToHighIsZeroAndUnshaded) {
  RoiRecord& r = On(1, 1000, 1000, kBlue);
  const RoiSums sums = SumRoi(s, r);
  EXPECT_EQ(sums.gross, 0.0f);
  EXPECT_EQ(sums.net, 0.0f);
  Paint();
  EXPECT_EQ(r.grossSum, 0);
  // No column shaded (the peak label sits at row 281 and above).
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 295, 512, 300, kBlue), 0);
  // Still listed: gross and net right-aligned to 510 in row 1 of the list.
  EXPECT_GT(CountColour(s.plotBitmap, 480, 35, 510, 48, kAqua), 5);
  EXPECT_GT(CountColour(s.plotBitmap, 480, 48, 510, 61, kAqua), 5);
}

TEST_F(RoiTest, ShadedUnderTheSpectrumOnlyWhenTheEndColumnIsInside) {
  On(0, 4000, 4095, kBlue);  // end column 511: shaded
  Paint();
  for (int x = 500; x < 511; ++x) {
    EXPECT_EQ(PlotAt(s, x, 298), Rgb(kBlue)) << x;
    EXPECT_EQ(PlotAt(s, x, s.columnTop[x] + 1), Rgb(kBlue)) << x;
    EXPECT_NE(PlotAt(s, x, s.columnTop[x] - 1), Rgb(kBlue)) << x;
  }
  EXPECT_NE(PlotAt(s, 511, 298), Rgb(kBlue));
  On(0, 4000, 4096, kBlue);  // end column 512: listed, not shaded, no peak label
  Paint();
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 40, 420, 300, kBlue), 0);
  EXPECT_GT(CountColour(s.plotBitmap, 420, 5, 470, 18, kBlue), 5);  // the label in the list
  EXPECT_GT(CountColour(s.plotBitmap, 470, 5, 510, 18, kAqua), 5);
  // Wholly left of the view: end column 0 or below.
  s.viewStart = 1000;
  s.viewEnd = 1000 + 4095;  // still 8 channels per column
  On(0, 100, 1007, kBlue);
  Paint();
  EXPECT_EQ(CountColour(s.plotBitmap, 0, 40, 420, 300, kBlue), 0);
  // Starting left of the view: shaded from column 0.
  On(0, 100, 1080, kBlue);
  Paint();
  EXPECT_EQ(PlotAt(s, 0, 298), Rgb(kBlue));
  EXPECT_EQ(PlotAt(s, 9, 298), Rgb(kBlue));
  EXPECT_NE(PlotAt(s, 10, 298), Rgb(kBlue));
}

TEST_F(RoiTest, ThePeakLabelStandsAboveTheLeftmostHighestColumn) {
  std::memset(s.spectrumCounts, 0, sizeof s.spectrumCounts);
  for (int c = 800; c < 816; ++c) s.spectrumCounts[c] = 1000;  // columns 100 and 101, row 150
  On(2, 700, 900, kYellow, "Cr-Ka");
  Paint();
  // "Cr" at (100 - 6, 150 - 18): its ink lies in that box, none over the right twin column.
  EXPECT_GT(CountColour(s.plotBitmap, 94, 132, 110, 146, kYellow), 5);
  EXPECT_EQ(CountColour(s.plotBitmap, 110, 120, 130, 146, kYellow), 0);
}

TEST_F(RoiTest, RegionsTenToFifteenAreNeitherSummedNorDrawn) {
  Paint();
  const QImage without = s.paintBox.copy();
  for (int i : {10, 12, 15}) {
    RoiRecord& r = On(i, 100, 2000, kBlue);
    r.grossSum = -7;
  }
  Paint();
  EXPECT_EQ(s.paintBox, without);
  for (int i : {10, 12, 15}) EXPECT_EQ(s.roiTable[i].grossSum, -7) << i;
}

TEST_F(RoiTest, AbsurdRegionsAndViewsDrawSafely) {
  On(0, INT_MIN, INT_MAX, kBlue);
  On(1, INT_MAX, INT_MIN, kBlue);
  On(2, 5000, 100, kBlue, "");
  s.viewStart = -5000;
  s.viewEnd = 20000;
  s.cursorChannel = INT_MAX;
  s.vfsIndex = 99;
  s.logScale = 0;
  Paint();
  s.viewStart = INT_MIN;
  s.viewEnd = INT_MIN;
  Paint();
  s.viewEnd = INT_MAX;
  Paint();
  EXPECT_EQ(s.roiTable[0].grossSum, 4095 * 4096 / 2);
  EXPECT_EQ(s.roiTable[1].grossSum, 0);
}

}  // namespace
}  // namespace tavlex
