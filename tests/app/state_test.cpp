// Start-up values of the program state, and the byte layout of its records.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex {
namespace {

QRgb Pixel(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

TEST(AppStateTest, ConstructionGivesTheStartUpValues) {
  auto s = std::make_unique<AppState>();
  HeadlessWindow window;
  window.SetTimerEnabled(true);
  window.SetTimerInterval(100);
  ConstructState(*s, window);

  EXPECT_FALSE(window.TimerEnabled());
  EXPECT_EQ(s->channelSize, 4096);
  EXPECT_EQ(s->viewStart, 0);
  EXPECT_EQ(s->viewEnd, 4095);
  EXPECT_EQ(s->cursorChannel, 2048);
  EXPECT_EQ(s->vfsIndex, 2);
  EXPECT_EQ(s->mcaMode, 1);
  EXPECT_EQ(s->acquiring, 0);
  EXPECT_EQ(s->deviceCount, 0);
  EXPECT_EQ(s->deviceOpen, 0);
  EXPECT_EQ(s->presetTime, 10000);
  EXPECT_EQ(s->mcaSetup.memorySize, 4096);
  EXPECT_EQ(s->mcaSetup.presetTime, 10000);
  EXPECT_FLOAT_EQ(s->mcaSetup.deadTimePerEvent, 1.8f);
  EXPECT_EQ(s->sxfmSetup.memorySize, 2048);
  EXPECT_EQ(s->sxfmSetup.presetTime, 10);
  EXPECT_EQ(s->sxfmSetup.refreshMs, 100);
  EXPECT_EQ(s->plotLeft, 18);
  EXPECT_EQ(s->plotTop, 0);
  EXPECT_EQ(s->axisTop, 300);
  EXPECT_EQ(s->headerBackColour, 0x000000u);
  EXPECT_EQ(s->headerTextColour, 0xFFFFFFu);
  EXPECT_EQ(s->traceColour, 0x00FF00u);
  const int shown[4] = {0, 0, 0, 1};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(s->overlayShown[k], shown[k]) << k;

  // The rising test ramp in the displayed spectrum and in every memory, nothing above 4095.
  for (int i : {0, 1, 2047, 4095}) {
    EXPECT_EQ(s->spectrumCounts[i], i);
    for (int m = 0; m < 3; ++m) EXPECT_EQ(s->memCounts[m][i], i);
  }
  EXPECT_EQ(s->spectrumCounts[4096], 0);
  EXPECT_EQ(s->spectrumCounts[8191], 0);

  for (int r = 0; r < kRoiCount; ++r) {
    EXPECT_STREQ(s->roiTable[r].label, "Xx-NN");
    EXPECT_EQ(s->roiTable[r].defined, 0);
    EXPECT_EQ(s->roiTable[r].shown, 0);
    EXPECT_EQ(s->roiTable[r].colour, 0);
  }

  // Bitmaps: sizes and fills of the construction.
  EXPECT_EQ(s->plotBitmap.size(), QSize(512, 300));
  EXPECT_EQ(s->plotBackground.size(), QSize(512, 300));
  EXPECT_EQ(s->plotBlank.size(), QSize(512, 300));
  EXPECT_EQ(s->scaleBlank.size(), QSize(18, 300));
  EXPECT_EQ(s->scaleStrip.size(), QSize(18, 300));
  EXPECT_EQ(s->axisBlank.size(), QSize(512, 20));
  EXPECT_EQ(s->axisStrip.size(), QSize(512, 20));
  EXPECT_EQ(s->blackNormal.size(), QSize(512, 300));
  EXPECT_EQ(s->blackLarge.size(), QSize(1024, 600));
  EXPECT_EQ(Pixel(s->plotBlank, 100, 100), 0u);
  EXPECT_EQ(Pixel(s->blackLarge, 1023, 599), 0u);
  EXPECT_EQ(Pixel(s->scaleBlank, 5, 150), ToQRgb(kButtonFace) & 0xFFFFFF);
  EXPECT_EQ(Pixel(s->axisBlank, 10, 0), 0u);
  EXPECT_EQ(Pixel(s->axisBlank, 10, 1), 0u);
  EXPECT_EQ(Pixel(s->axisBlank, 10, 2), ToQRgb(kButtonFace) & 0xFFFFFF);
  EXPECT_TRUE(s->bitmapsAlive);

  ReleaseBitmaps(*s);
  EXPECT_FALSE(s->bitmapsAlive);
  EXPECT_TRUE(s->plotBitmap.isNull());
  EXPECT_TRUE(s->blackLarge.isNull());
}

TEST(AppStateTest, RefreshIntervalFollowsTheWindowTimer) {
  auto s = std::make_unique<AppState>();
  HeadlessWindow window;
  window.SetTimerInterval(250);
  ConstructState(*s, window);
  EXPECT_EQ(s->sxfmSetup.refreshMs, 250);
}

TEST(SpectrumHeaderTest, AccessorsUseTheOffsetsOfTheFileFormat) {
  SpectrumHeader h;
  std::uint8_t* b = h.data();
  // Little-endian values written straight into the bytes at the format's offsets.
  b[54] = 0x00, b[55] = 0x10;                                   // channel size 4096
  const float one = 1.0f, slope = 0.0078125f, offset = -0.25f;
  std::memcpy(b + 64, &one, 4);
  std::memcpy(b + 68, &slope, 4);
  std::memcpy(b + 72, &offset, 4);
  b[80] = 0xEA, b[81] = 0x07;  // 2026
  b[82] = 12, b[84] = 8, b[88] = 23, b[90] = 59, b[92] = 7;
  b[94 + 2 * 3] = 0x64;                           // ROI #3 low 100
  b[294 + 2 * 3] = 0xC8;                          // ROI #3 high 200
  b[494 + 2 * 15] = 0xFF, b[494 + 2 * 15 + 1] = 0xFF;  // ROI #15 colour -1
  b[704] = 0x10, b[705] = 0x27;                   // preset 10000
  b[712] = 0x39, b[713] = 0x30;                   // live 12345
  b[716] = 0x00, b[717] = 0x00, b[718] = 0x01;    // real 65536
  std::memcpy(b + 774, "Brass", 6);
  std::memcpy(b + 806, "S-17", 5);
  std::memcpy(b + 0, "Velmoratek Co., Ltd.", 21);

  EXPECT_EQ(h.ChannelSize(), 4096);
  EXPECT_FLOAT_EQ(h.NoCalibrationMarker(), 1.0f);
  EXPECT_FALSE(h.HoldsCalibration());
  EXPECT_FLOAT_EQ(h.CalSlope(), 0.0078125f);
  EXPECT_FLOAT_EQ(h.CalOffset(), -0.25f);
  const AcqDate d = h.Date();
  EXPECT_EQ(d.year, 2026);
  EXPECT_EQ(d.month, 12);
  EXPECT_EQ(d.day, 8);
  EXPECT_EQ(d.hour, 23);
  EXPECT_EQ(d.minute, 59);
  EXPECT_EQ(d.second, 7);
  EXPECT_EQ(h.RoiLow(3), 100);
  EXPECT_EQ(h.RoiHigh(3), 200);
  EXPECT_EQ(h.RoiColour(15), -1);
  EXPECT_EQ(h.PresetTime(), 10000);
  EXPECT_EQ(h.LiveTime(), 12345);
  EXPECT_EQ(h.RealTime(), 65536);
  EXPECT_EQ(h.Comment(), "Brass");
  EXPECT_EQ(h.SampleId(), "S-17");
  EXPECT_EQ(h.Company(), "Velmoratek Co., Ltd.");

  // And the setters put their bytes back at the same places.
  SpectrumHeader w;
  w.SetChannelSize(256);
  w.SetCalSlope(2.0f);
  w.SetRoiHigh(15, -2);
  w.SetRealTime(-1);
  w.SetDate({1999, 1, 2, 3, 4, 5});
  EXPECT_EQ(w.bytes[54], 0x00);
  EXPECT_EQ(w.bytes[55], 0x01);
  EXPECT_EQ(w.bytes[71], 0x40);  // 2.0f = 0x40000000
  EXPECT_EQ(w.bytes[294 + 30], 0xFE);
  EXPECT_EQ(w.bytes[294 + 31], 0xFF);
  for (int i = 716; i < 720; ++i) EXPECT_EQ(w.bytes[i], 0xFF);
  EXPECT_EQ(w.bytes[80], 0xCF);  // 1999 = 0x07CF
  EXPECT_EQ(w.bytes[92], 5);
  EXPECT_EQ(w.bytes[86], 0);  // reserved between day and hour stays untouched
}

TEST(SpectrumHeaderTest, TextsStayInsideTheirSlots) {
  SpectrumHeader h;
  h.bytes[806] = 'Z';  // first byte of the sample ID, just after the comment slot
  h.SetComment(std::string(40, 'x'));
  EXPECT_EQ(h.Comment().size(), 31u);
  EXPECT_EQ(h.bytes[805], 0);
  EXPECT_EQ(h.bytes[806], 'Z');
  // A slot without a NUL is read to its end, never beyond.
  std::memset(h.data() + 774, 'y', 32);
  EXPECT_EQ(h.Comment().size(), 32u);
}

TEST(AcqStatusTest, AccessorsUseTheOffsetsOfTheStatusBlock) {
  AcqStatus st;
  std::uint8_t* b = st.data();
  b[0] = 7, b[255] = 255;
  b[256] = 0x00, b[257] = 0x04;        // display start 1024
  b[258] = 0xFF, b[259] = 0x0B;        // display end 3071
  b[260] = 0x07;                       // cursor 7
  b[264] = 5;                          // VFS index 5
  b[268] = 0xE8, b[269] = 0x03;        // real time 1000 (10 ms)
  b[272] = 0xA0, b[273] = 0x86, b[274] = 0x01;  // 100000 events
  b[309] = 1;
  EXPECT_EQ(st.TracePoint(0), 7);
  EXPECT_EQ(st.TracePoint(255), 255);
  EXPECT_EQ(st.DisplayStart(), 1024);
  EXPECT_EQ(st.DisplayEnd(), 3071);
  EXPECT_EQ(st.Cursor(), 7);
  EXPECT_EQ(st.VfsIndex(), 5);
  EXPECT_EQ(st.RealTime10ms(), 1000);
  EXPECT_EQ(st.Events(), 100000);
  EXPECT_EQ(st.ScanDone(), 1);
}

}  // namespace
}  // namespace tavlex
