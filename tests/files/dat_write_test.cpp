// The bytes of a written .dat file, field by field against the format table, and the live
// time a finished scan's file carries.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>

#include "files/SpectrumFile.h"
#include "tests/files/FileBytes.h"

namespace tavlex {
namespace {

using namespace test;

class DatWriteTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Headless h;
  AppState& s = *h.s;
  QString file = dir.filePath("out.dat");

  QByteArray Write() {
    EXPECT_TRUE(WriteSpectrumFile(s, h.w, Path(file)).ok());
    return ReadAll(file);
  }
};

TEST_F(DatWriteTest, EveryFieldLandsAtItsOffset) {
  s.channelSize = 256;
  for (int i = 0; i < 256; ++i) s.spectrumCounts[i] = i * 1000 - 7;
  s.calibrated = 1;
  s.calSlope = 0.0195f;
  s.calOffset = -0.125f;
  s.roiTable[0].low = 100, s.roiTable[0].high = 120, s.roiTable[0].colour = 0x0000FF;
  s.roiTable[15].low = 70000, s.roiTable[15].high = -2, s.roiTable[15].colour = 0x00FF0000;
  s.presetTime = 10000, s.liveTime = 9876, s.realTime = 10001;
  // What Start and the set-up dialog put into the record, stored as the record holds it.
  std::memcpy(s.currentHeader.data() + 774, "Brass CuZn39Pb3", 16);
  std::memcpy(s.currentHeader.data() + 806, "S-042", 6);
  s.currentHeader.data()[80] = 0xE8, s.currentHeader.data()[81] = 0x07;  // 2024
  s.currentHeader.data()[92] = 59;

  const QByteArray b = Write();
  ASSERT_EQ(b.size(), 1024 + 4 * 256);
  EXPECT_EQ(b.mid(kCompanyAt, 21), QByteArray("Velmoratek Co., Ltd.\0", 21));
  EXPECT_EQ(I16(b, kChannelSizeAt), 256);
  EXPECT_EQ(F32(b, kMarkerAt), 0.0f);
  EXPECT_EQ(F32(b, kSlopeAt), 0.0195f);
  EXPECT_EQ(F32(b, kOffsetAt), -0.125f);
  EXPECT_EQ(I16(b, kYearAt), 2024);
  EXPECT_EQ(I16(b, kSecondAt), 59);
  EXPECT_EQ(I16(b, kRoiLowAt), 100);
  EXPECT_EQ(I16(b, kRoiHighAt), 120);
  EXPECT_EQ(I16(b, kRoiColourAt), 0x00FF);
  EXPECT_EQ(I16(b, kRoiLowAt + 30), std::int16_t(70000 & 0xFFFF));
  EXPECT_EQ(I16(b, kRoiHighAt + 30), -2);
  EXPECT_EQ(I16(b, kRoiColourAt + 30), 0);  // blue lies above the low 16 bits
  EXPECT_EQ(I32(b, kPresetAt), 10000);
  EXPECT_EQ(I32(b, kLiveAt), 9876);
  EXPECT_EQ(I32(b, kRealAt), 10001);
  EXPECT_EQ(b.mid(kCommentAt, 16), QByteArray("Brass CuZn39Pb3\0", 16));
  EXPECT_EQ(b.mid(kSampleIdAt, 6), QByteArray("S-042\0", 6));
  for (int i : {0, 1, 128, 255}) EXPECT_EQ(I32(b, kCountsAt + 4 * i), i * 1000 - 7) << i;
  // A record from an acquisition has zero reserved bytes, and so has the file.
  for (int at : {21, 53, 56, 76, 86, 94 + 32, 293, 700, 708, 720, 773, 838, 1023})
    EXPECT_EQ(b[at], 0) << at;
}

TEST_F(DatWriteTest, CalibrationMarkerFollowsTheCalibratedFlag) {
  s.channelSize = 512;
  // Uncalibrated: marker 1.0 and slope 0.0, while the offset field keeps what the record held.
  s.calibrated = 0;
  s.calSlope = 5.0f;
  s.currentHeader.SetCalOffset(3.5f);
  QByteArray b = Write();
  EXPECT_EQ(F32(b, kMarkerAt), 1.0f);
  EXPECT_EQ(F32(b, kSlopeAt), 0.0f);
  EXPECT_EQ(F32(b, kOffsetAt), 3.5f);
  // Calibrated, over a record whose marker says "none": 0.0 is stored.
  s.calibrated = 1;
  s.calSlope = 0.01f;
  s.calOffset = 0.25f;
  b = Write();
  EXPECT_EQ(F32(b, kMarkerAt), 0.0f);
  EXPECT_EQ(F32(b, kSlopeAt), 0.01f);
  EXPECT_EQ(F32(b, kOffsetAt), 0.25f);
}

TEST_F(DatWriteTest, ReservedBytesOfAReadFileAreWrittenBack) {
  QByteArray in = DatFile(256, 256);
  for (int at = 21; at < 54; ++at) in[at] = char(0xA5);
  for (int at : {126, 326, 526})  // ROI entries 16..99 of the three arrays, and 694..703
    for (int i = at; i < at + 168 + (at == 526 ? 10 : 0); ++i) in[i] = char(i);
  for (int at = 720; at < 774; ++at) in[at] = char(0x5A);
  for (int at = 838; at < 1024; ++at) in[at] = char(0x3C);
  const QString src = dir.filePath("in.dat");
  WriteAll(src, in);
  ASSERT_TRUE(ReadSpectrumFile(s, h.w, Path(src), kMcaView).ok());
  const QByteArray out = Write();
  for (auto [from, to] :
       {std::pair{21, 54}, {126, 294}, {326, 494}, {526, 704}, {720, 774}, {838, 1024}})
    EXPECT_EQ(out.mid(from, to - from), in.mid(from, to - from)) << from;
  EXPECT_EQ(out.mid(kCountsAt), in.mid(kCountsAt));
}

TEST_F(DatWriteTest, AScansLiveTimeIsRoundedToATenthAndNeverZeroOnceItCounted) {
  // Scan preset (100 ms steps), counts at 1.8 us each, live time (0.1 s).
  const int rows[][3] = {{1, 730, 1},    {5, 7300, 5}, {10, 25000, 10},
                         {10, 30000, 9}, {10, 0, 10},  {1, 100000, 1}};
  s.channelSize = 512;
  std::fill(s.spectrumCounts, s.spectrumCounts + 512, 0);
  for (const auto& [preset, counts, live] : rows) {
    SCOPED_TRACE(testing::Message() << preset << " steps, " << counts << " counts");
    s.sxfmSetup.presetTime = preset;
    s.spectrumCounts[0] = counts / 2;
    s.spectrumCounts[511] = counts - counts / 2;
    EXPECT_EQ(FinishedScanTimes(s).real, preset);
    EXPECT_EQ(FinishedScanHeader(s).LiveTime(), live);
  }
}

}  // namespace
}  // namespace tavlex
