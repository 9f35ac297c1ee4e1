// Channels to columns, counts to rows, the column extremes and the full-scale table.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "PlotTestSupport.h"
#include "display/PlotGeometry.h"
#include "display/VfsTable.h"

namespace tavlex {
namespace {

TEST(VfsTableTest, StepsAndLabelsAsTheHeaderShowsThem) {
  const char* labels[] = {"Log", "100", "250",  "500",  "1K",   "2.5K", "5K",   "10K",
                          "25K", "50K", "100K", "250K", "500K", "1M",   "2,5M", "5M",
                          "10M", "25M", "50M",  "100M", "250M", "500M", "1B"};
  const long long scales[] = {0,        100,       250,       500,       1000,      2500,
                              5000,     10000,     25000,     50000,     100000,    250000,
                              500000,   1000000,   2500000,   5000000,   10000000,  25000000,
                              50000000, 100000000, 250000000, 500000000, 1000000000};
  for (int i = 0; i <= kVfsSteps; ++i) {
    EXPECT_STREQ(vfsTable.label[i], labels[i]) << i;
    EXPECT_EQ(vfsTable.fullScale[i], scales[i]) << i;
  }
  // Steps the analyser may report outside 1..22 fall back to the nearest end of the table.
  EXPECT_STREQ(VfsLabel(0), "100");
  EXPECT_STREQ(VfsLabel(-7), "100");
  EXPECT_STREQ(VfsLabel(23), "1B");
  EXPECT_EQ(VfsFullScale(32767), 1000000000);
}

TEST(CountToRowTest, EdgesOfBothScales) {
  // The plot tests check the ordinary rows on the composed image; these are the limits.
  EXPECT_EQ(CountToRow(-40, 300, 0, 1), 299);
  EXPECT_EQ(CountToRow(-5, 300, 1, 2), 299);
  EXPECT_EQ(CountToRow(50, 600, 0, 1), 300);
  EXPECT_EQ(CountToRow(1, 600, 1, 2), 583);
  EXPECT_EQ(CountToRow(1000000, 600, 1, 2), 0);
  // 600 x 2147483647 needs more than 32 bits before the division.
  EXPECT_EQ(CountToRow(INT_MAX, 600, 0, 22), 600 - 1288);
  EXPECT_EQ(CountToRow(INT_MAX, 300, 1, 2), 300 - 466);
  // 2^31 counts on a full scale of 100 would be row -12884901282: kept at the safe floor.
  EXPECT_EQ(CountToRow(INT_MAX, 600, 0, 1), kRowFloor);
  EXPECT_LT(kRowFloor, -600);
}

TEST(MapViewTest, CompressedOneToOneAndExpanded) {
  ViewMap m = MapView(0, 4095, 512);
  EXPECT_EQ(m.channelsPerColumn, 8);
  EXPECT_EQ(m.ColumnOf(4095), 511);
  m = MapView(0, 4095, 1024);
  EXPECT_EQ(m.channelsPerColumn, 4);
  m = MapView(1792, 2303, 512);
  EXPECT_EQ(m.channelsPerColumn, 1);
  EXPECT_EQ(m.ColumnOf(1800), 8);
  m = MapView(0, 255, 512);
  EXPECT_TRUE(m.Expanded());
  EXPECT_EQ(m.pixelsPerChannel, 2);
  EXPECT_EQ(m.ColumnOf(10), 20);
  m = MapView(0, 300, 512);
  EXPECT_EQ(m.pixelsPerChannel, 1);
  m = MapView(2044, 2051, 512);
  EXPECT_EQ(m.pixelsPerChannel, 64);
  // A reversed or empty range is one channel across the plot instead of a division by zero.
  for (long long end : {99LL, 50LL, -100000LL}) {
    m = MapView(100, end, 512);
    EXPECT_TRUE(m.Expanded()) << end;
    EXPECT_EQ(m.pixelsPerChannel, 512) << end;
  }
}

class ColumnsTest : public ::testing::Test {
 protected:
  testing::Started st;
  AppState& s = *st;
  void SetUp() override {
    std::memset(s.spectrumCounts, 0, sizeof s.spectrumCounts);
    s.logScale = 0;
    s.vfsIndex = 1;  // F = 100
  }
  void Compute() { ComputeColumns(s, MapView(s, 512), 512, 300); }
};

TEST_F(ColumnsTest, ChannelsPastTheLastWholeColumnFallOffTheRightEdge) {
  s.viewEnd = 4100;  // 4101 channels: still 8 per column
  s.spectrumCounts[4099] = 90;
  s.spectrumCounts[4095] = 10;
  Compute();
  EXPECT_EQ(s.columnTop[511], 270);
}

TEST_F(ColumnsTest, ViewsOutsideTheCountArrayReadZeros) {
  // Past the end of the 8192-entry array: the straddling column gets a zero minimum, the ones
  // wholly outside are empty, and nothing past the array is read.
  for (int c = 8184; c < 8192; ++c) s.spectrumCounts[c] = 60;
  s.viewStart = 8184;
  s.viewEnd = 8184 + 4095;
  Compute();
  EXPECT_EQ(s.columnTop[0], 120);
  EXPECT_EQ(s.columnBottom[0], 120);
  s.viewStart = 8188;
  s.viewEnd = 8188 + 4095;
  Compute();
  EXPECT_EQ(s.columnTop[0], 120);
  EXPECT_EQ(s.columnBottom[0], 299);
  EXPECT_EQ(s.columnTop[1], 299);
  // Below channel 0, and a view across the whole int range (millions of channels per column).
  s.spectrumCounts[0] = 60;
  s.viewStart = -4;
  s.viewEnd = 4091;
  Compute();
  EXPECT_EQ(s.columnTop[0], 120);
  EXPECT_EQ(s.columnBottom[0], 299);
  s.viewStart = INT_MIN;
  s.viewEnd = INT_MAX;
  Compute();
  EXPECT_EQ(s.columnTop[256], 120);  // the column holding channel 0 .. 8191
  EXPECT_EQ(s.columnTop[0], 299);
  // Expanded past the array.
  s.viewStart = 8190;
  s.viewEnd = 8190 + 99;
  Compute();
  EXPECT_EQ(s.columnTop[0], 120);
  EXPECT_EQ(s.columnTop[10], 299);
}

}  // namespace
}  // namespace tavlex
