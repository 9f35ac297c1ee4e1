// Snap Peak and FWHM Calic. over counts and a view, without a window: maximum search, the
// single-precision centroids, the edge scans and the interpolated width.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "analysis/Peak.h"

namespace tavlex {
namespace {

struct Counts {
  std::unique_ptr<std::int32_t[]> c = std::make_unique<std::int32_t[]>(kReadBufferChannels);
  int channels = 4096, viewStart = 0, viewEnd = 4095;
  Counts() { std::fill(c.get(), c.get() + kReadBufferChannels, 0); }
  Counts& At(int from, std::vector<std::int32_t> values) {
    for (std::int32_t v : values) c[from++] = v;
    return *this;
  }
  SpectrumView View() const { return {c.get(), channels, viewStart, viewEnd}; }
};

TEST(PeakTest, SnapPeakFindsTheHighestChannelAndRoundsItsCentroid) {
  struct Row {
    const char* what;
    int from;
    std::vector<std::int32_t> values;
    int cursor;
    int channels;
    int peak;
    float centroid;
    int newCursor;
  };
  const Row rows[] = {
      {"symmetric", 98, {10, 50, 100, 50, 10}, 100, 4096, 100, 100.0f, 100},
      {"cursor off the peak", 98, {10, 50, 100, 50, 10}, 91, 4096, 100, 100.0f, 100},
      {"equal highest: the lower wins", 50, {20, 100, 100, 20}, 52, 4096, 51, 51.5f, 52},
      // Leaning: 40700 / 400 = 101.75, so the cursor goes to 102, not to the highest channel.
      {"leaning", 100, {100, 90, 80, 70, 60}, 100, 4096, 100, 101.75f, 102},
      // Near channel 0 the windows are cut at 0: (100 + 100) / 200.
      {"at channel 0", 0, {50, 100, 50}, 0, 4096, 1, 1.0f, 1},
      // Channels 1024 on do not exist in a 1024-channel spectrum, whatever the buffer holds:
      // (1022 x 50 + 1023 x 100) / 150.
      {"at the last channel", 1022, {50, 100, 900000, 900000}, 1020, 1024, 1023, 1022.6667f, 1023},
      // Partial sums in single precision: 2^24 + 1 is held as 2^24, and the moment rounds up
      // at both steps (floats are 128 apart there), so the centroid is 2 ulps above 100; the
      // exact quotient is 100.00000006.
      {"single precision", 100, {16777217, 1}, 100, 4096, 100, 100.0f + 0x1p-16f, 100},
  };
  for (const Row& r : rows) {
    Counts k;
    k.channels = r.channels;
    k.At(r.from, r.values);
    const std::optional<SnapResult> got = SnapPeak(k.View(), r.cursor);
    ASSERT_TRUE(got) << r.what;
    EXPECT_EQ(got->peak, r.peak) << r.what;
    EXPECT_EQ(got->centroid, r.centroid) << r.what;  // exact: single precision throughout
    EXPECT_EQ(got->cursor, r.newCursor) << r.what;
  }
  Counts k;
  EXPECT_EQ(SnapPeak(k.View(), 2048), std::nullopt);
  k.At(2000, {-5, 7});  // a count only beyond the 21-channel window
  EXPECT_EQ(SnapPeak(k.View(), 2030), std::nullopt);
}

TEST(PeakTest, FwhmInterpolatesBothHalfMaximumCrossings) {
  // A triangle of 100 .. 200 .. 100 over channels 200 .. 220, zero elsewhere.
  std::vector<std::int32_t> triangle;
  for (int c = 200; c <= 220; ++c) triangle.push_back(100 + 10 * (10 - std::abs(c - 210)));
  struct Row {
    const char* what;
    int from;
    std::vector<std::int32_t> values;
    int viewStart, viewEnd, cursor;
    int peak, half, left, right;
    float centroid;
    std::optional<float> width;
  };
  const Row rows[] = {
      // A count equal to half is outside the peak: L = R = 100, width 0 + 50/50 + 50/50.
      {"worked example", 98, {10, 50, 100, 50, 10}, 0, 4095, 100, 100, 50, 100, 100, 100.0f, 2.0f},
      // Channel 200 holds exactly half, so L = 201 and R = 219: 18 + 10/10 + 10/10.
      {"triangle", 200, triangle, 0, 4095, 210, 210, 100, 201, 219, 210.0f, 20.0f},
      // The view cuts both scans: L = viewStart + 2, R = viewEnd - 2, 6 + 70/10 + 70/10.
      {"crossing outside the view", 200, triangle, 205, 215, 210, 210, 100, 207, 213, 210.0f,
       20.0f},
      // A flat top at the view border: count[L] - count[L - 1] is 0, no width.
      {"flat at the border", 100, std::vector<std::int32_t>(101, 100), 140, 160, 150, 145, 50, 142,
       158, 145.0f, std::nullopt},
      // The lower of two equal highs is the peak: 1 + 50/80 + 50/80.
      {"equal highest", 50, {20, 100, 100, 20}, 0, 4095, 52, 51, 50, 51, 52, 51.5f, 2.25f},
      // The peak on the view's first channel leaves the left scan nothing to walk.
      {"peak on the border", 0, {100, 40}, 0, 4095, 0, 0, 50, 0, 0, 0.2857143f, std::nullopt},
      // One channel inside a border the fallback edge lies past the peak: L 2 > 1, R 298 < 299.
      {"next to the start", 0, {30, 100, 40, 10}, 0, 4095, 1, 1, 50, 0, 0, 1.1666666f, {}},
      {"next to the end", 296, {10, 60, 80, 100}, 0, 300, 299, 299, 50, 0, 0, 298.16666f, {}},
  };
  for (const Row& r : rows) {
    Counts k;
    k.At(r.from, r.values);
    k.viewStart = r.viewStart;
    k.viewEnd = r.viewEnd;
    const std::optional<FwhmResult> got = MeasureFwhm(k.View(), r.cursor);
    ASSERT_TRUE(got) << r.what;
    EXPECT_EQ(got->peak, r.peak) << r.what;
    EXPECT_EQ(got->half, r.half) << r.what;
    if (r.width) {
      EXPECT_EQ(got->left, r.left) << r.what;
      EXPECT_EQ(got->right, r.right) << r.what;
    }
    EXPECT_FLOAT_EQ(got->centroid, r.centroid) << r.what;
    ASSERT_EQ(got->width.has_value(), r.width.has_value()) << r.what;
    if (r.width) {
      EXPECT_FLOAT_EQ(*got->width, *r.width) << r.what;
    }
  }
  Counts k;
  k.At(100, {100});
  EXPECT_EQ(MeasureFwhm(k.View(), 94), std::nullopt);  // 11-channel window: 89 .. 99
  EXPECT_TRUE(MeasureFwhm(k.View(), 95));
}

}  // namespace
}  // namespace tavlex
