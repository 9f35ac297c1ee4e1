// The memories and the snapshot overlays in the real window: Mem1..Mem3 and "MCA" as the
// displayed spectrum, the state their headers bring back, and SnapShot.

#include <QTemporaryDir>

#include "display/ViewNav.h"
#include "files/SpectrumFile.h"
#include "tests/acq/AcqFixture.h"

namespace tavlex::test {
namespace {

class MemoryWindowTest : public AcqWindowTest {
 protected:
  // Memory k holds `channels` counts of `value` under a header with these times and calibration.
  void Fill(int k, int channels, int value, float marker, float slope = 0, float offset = 0) {
    SpectrumHeader& h = s().memHeader[k];
    h = SpectrumHeader{};
    h.SetChannelSize(static_cast<std::int16_t>(channels));
    h.SetNoCalibrationMarker(marker);
    h.SetCalSlope(slope);
    h.SetCalOffset(offset);
    h.SetRealTime(500 + k), h.SetLiveTime(400 + k), h.SetPresetTime(600 + k);
    for (int c = 0; c < channels; ++c) s().memCounts[k][c] = value;
    std::snprintf(s().memFileName[k], sizeof s().memFileName[k], "mem%d.dat", k + 1);
  }
  QRadioButton* Button(int k) {
    QRadioButton* b[] = {form->Mem1Spec, form->Mem2Spec, form->Mem3Spec, form->McaMem};
    return b[k];
  }
  int Pixels(QRgb colour) {
    int n = 0;
    const QImage& img = s().plotBitmap;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
  }
};

TEST_F(MemoryWindowTest, ChoosingAMemoryShowsItsSpectrumAndRestoresItsState) {
  for (int c = 0; c < 4096; ++c) s().spectrumCounts[c] = 7;
  s().calibrated = 1, s().calSlope = 0.02f, s().calOffset = 0.1f;
  Fill(0, 4096, 11, 1.0f);               // no calibration stored
  Fill(1, 1024, 22, 0.0f, 0.01f, 0.5f);  // a calibrated 1024-channel file
  struct Case {
    int k;
    int channels, count0, countPast1024;
    float slope, offset;
    const char* name;
  } cases[] = {
      {0, 4096, 11, 11, 0.02f, 0.1f, "mem1.dat"},  // the calibration in effect stays
      {1, 1024, 22, 11, 0.01f, 0.5f, "mem2.dat"},  // beyond 1024 the old counts stay
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.k);
    QTest::mouseClick(Button(k.k), Qt::LeftButton);
    EXPECT_EQ(s().channelSize, k.channels);
    EXPECT_EQ(s().spectrumCounts[0], k.count0);
    EXPECT_EQ(s().spectrumCounts[2000], k.countPast1024);
    EXPECT_FLOAT_EQ(s().calSlope, k.slope);
    EXPECT_FLOAT_EQ(s().calOffset, k.offset);
    EXPECT_EQ(s().calibrated, 1);
    EXPECT_EQ(s().realTime, 500 + k.k);
    EXPECT_EQ(s().liveTime, 400 + k.k);
    EXPECT_STREQ(s().dataFileName, k.name);
  }
  // A memory never filled is refused and changes nothing.
  QTest::mouseClick(Button(2), Qt::LeftButton);
  EXPECT_EQ(Edit1(), "Error ! Mem3 Empty");
  EXPECT_EQ(s().channelSize, 1024);
  EXPECT_FLOAT_EQ(s().calSlope, 0.01f);

  // "MCA" without an analyser: the counts shown stay, titled "MCA", with the MCA slot's channel
  // count; its header holds no calibration, so the one in effect stays.
  QTest::mouseClick(Button(3), Qt::LeftButton);
  EXPECT_STREQ(s().dataFileName, "MCA");
  EXPECT_EQ(s().channelSize, 4096);
  EXPECT_EQ(s().spectrumCounts[0], 22);
  EXPECT_FLOAT_EQ(s().calSlope, 0.01f);
  EXPECT_TRUE(Frames().empty());
}

TEST_F(MemoryWindowTest, McaWithAnAnalyserReadsItsSpectrumAndDisplayStateAgain) {
  Open();
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  AdvanceMs(5000);
  QTest::mouseClick(form->McaStop, Qt::LeftButton);
  Fill(0, 4096, 3, 1.0f);
  QTest::mouseClick(Button(0), Qt::LeftButton);
  ASSERT_EQ(s().spectrumCounts[640], 3);
  sim().ClearFrames();
  QTest::mouseClick(Button(3), Qt::LeftButton);
  EXPECT_EQ(Frames().size(), 33u);
  EXPECT_EQ(s().spectrumCounts[640], static_cast<std::int32_t>(sim().Count(640)));
  // Stopped after 5.0 s of a 1000.0 s preset: its own real time, not the preset it never reached.
  EXPECT_EQ(s().realTime, 50);
  EXPECT_LE(s().liveTime, s().realTime);
  EXPECT_EQ(form->Text(Field::Label2), "4095ch");
}

TEST_F(MemoryWindowTest, SnapShotsFreezeThePlotAsDrawn) {
  Fill(0, 4096, 50, 1.0f);
  QTest::mouseClick(Button(0), Qt::LeftButton);
  std::int32_t top[512];
  std::copy_n(s().columnTop, 512, top);
  QTest::mouseClick(form->OverLapON, Qt::LeftButton);  // Mem1: red
  EXPECT_EQ(s().overlayShown[0], 1);
  EXPECT_GT(Pixels(qRgb(255, 0, 0)), 400);
  // A zoom moves the spectrum but not the overlay.
  s().cursorChannel = 100;
  ExpandLocal(s(), *form);
  for (int i = 0; i < 512; i += 37) EXPECT_EQ(s().overlayTop[0][i], top[i]) << i;
  EXPECT_GT(Pixels(qRgb(255, 0, 0)), 400);

  // Twice on Mem3 leaves no navy overlay.
  Fill(2, 4096, 9, 1.0f);
  QTest::mouseClick(Button(2), Qt::LeftButton);
  QTest::mouseClick(form->OverLapON, Qt::LeftButton);
  QTest::mouseClick(form->OverLapON, Qt::LeftButton);
  EXPECT_EQ(s().overlayShown[2], 0);
  EXPECT_EQ(Pixels(qRgb(0, 0, 128)), 0);

  // MCA: on at start-up, so the first press switches it off; the second copies the plot at a
  // third of its height into the top third (an empty column on row 100, a full one on row 0).
  QTest::mouseClick(Button(3), Qt::LeftButton);
  QTest::mouseClick(form->OverLapON, Qt::LeftButton);
  EXPECT_EQ(s().overlayShown[3], 0);
  s().columnTop[5] = 299, s().columnBottom[5] = 299, s().columnTop[6] = 0, s().columnTop[7] = 150;
  QTest::mouseClick(form->OverLapON, Qt::LeftButton);
  EXPECT_EQ(s().overlayShown[3], 1);
  EXPECT_EQ(s().overlayTop[3][5], 100);
  EXPECT_EQ(s().overlayBottom[3][5], 100);
  EXPECT_EQ(s().overlayTop[3][6], 0);
  EXPECT_EQ(s().overlayTop[3][7], 50);
}

}  // namespace
}  // namespace tavlex::test
