// The "ROI" and "Eng.Calib" tabs of the real main window on the simulated analyser: the
// handlers' wiring, the frames sent, the plot and the status box.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "display/PlotCanvas.h"
#include "display/ViewCommands.h"
#include "files/SpectrumFile.h"
#include "tests/acq/AcqFixture.h"

namespace tavlex {
namespace {

constexpr Colour kRed = 0x0000FF, kBlue = 0xFF0000, kYellow = 0x00FFFF;

QRgb Rgb(Colour c) {
  return ToQRgb(c) & 0xFFFFFF;
}
QRgb PlotPixel(const AppState& s, int x, int y) {
  return s.plotBitmap.pixel(x, y) & 0xFFFFFF;
}

class RoiCalibWindowTest : public test::AcqWindowTest {
 protected:
  void SetUp() override {
    Open();
    form->Edit1->setText("Status");
  }
  // Picks a list item as the operator does; only a choice made in the list runs the handler.
  void Pick(int item) {
    form->ROINoSelect->setCurrentIndex(item);
    emit form->ROINoSelect->activated(item);
  }
  void PickColour(Colour c) {
    const int at = form->ROIColor->findData(static_cast<uint>(c));
    ASSERT_GE(at, 0);
    form->ROIColor->setCurrentIndex(at);
    emit form->ROIColor->activated(at);
  }
  void Fill(const char* low, const char* high, const char* label) {
    form->EditROILow->setText(low);
    form->EditROIHigh->setText(high);
    form->Element->setText(label);
  }
  // A spectrum with one peak at channels 100 .. 119, nothing else.
  void OnePeak() {
    std::memset(s().spectrumCounts, 0, sizeof s().spectrumCounts);
    for (int c = 100; c < 120; ++c) s().spectrumCounts[c] = 1000 + 50 * (c - 100);
  }
  Colour SelectedColour() { return form->ROIColor->currentData().toUInt(); }
};

TEST_F(RoiCalibWindowTest, SwitchingOnStoresSendsAndReports) {
  struct Row {
    int item;
    const char *low, *high, *label;
    const char* message;
    bool stored;  // defined and shown with these values afterwards
    int storedLow, storedHigh;
    const char* storedLabel;
    const char* frame;  // the one frame sent, or none
  };
  const Row rows[] = {
      {2, "100", "120", "Fe-Ka", "Status", true, 100, 120, "Fe-Ka", "$@R2,0100,0120;"},
      {0, "10", "20", "Ti-Ka", "Status", true, 10, 20, "Ti-Ka", nullptr},
      {5, "300", "310", "Cu", "Status", true, 300, 310, "Cu", nullptr},
      {4, "200", "4096", "Chromium", "Status", true, 200, 4096, "Chromiu", "$@R4,0200,4096;"},
      {12, "100", "200", "Zn-Ka", "Status", true, 100, 200, "Zn-Ka", nullptr},
      // No room for a sign in the frame's fields: stored, not sent, and nothing reported.
      {3, "-5", "20", "Neg", "Status", true, -5, 20, "Neg", nullptr},
      {1, "12a", "120", "Fe-Ka", "Error ! ROI LowCh", false, 0, 0, "Xx-NN", nullptr},
      {6, "100", "x", "Fe-Ka", "Error ! ROI HighCh", false, 100, 0, "Xx-NN", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.item);
    Pick(r.item);
    EXPECT_FALSE(form->ROIOnCheck->isChecked());
    Fill(r.low, r.high, r.label);
    PickColour(kRed);
    form->Edit1->setText("Status");
    sim().ClearFrames();
    form->ROIOnCheck->click();
    const RoiRecord& roi = s().roiTable[r.item];
    EXPECT_EQ(form->Edit1->text().toStdString(), r.message);
    EXPECT_EQ(roi.defined, r.stored ? 1 : 0);
    EXPECT_EQ(roi.shown, r.stored ? 1 : 0);
    EXPECT_EQ(roi.low, r.storedLow);
    EXPECT_EQ(roi.high, r.storedHigh);
    EXPECT_STREQ(roi.label, r.storedLabel);
    EXPECT_EQ(roi.colour, r.stored ? static_cast<std::int32_t>(kRed) : 0);
    if (r.stored) {
      EXPECT_EQ(s().currentRoi, r.item);
    }
    EXPECT_EQ(Frames(), r.frame ? std::vector<std::string>{r.frame} : std::vector<std::string>{});
    // A refused switch-on leaves "ON" as it was.
    EXPECT_EQ(form->ROIOnCheck->isChecked(), r.stored);
    QSignalBlocker quiet(form->ROIOnCheck);
    form->ROIOnCheck->setChecked(false);
  }
  EXPECT_TRUE(sim().Roi(2).set);
  EXPECT_EQ(sim().Roi(2).high, 120);
  EXPECT_FALSE(sim().Roi(3).set);

  // The empty 17th item addresses no region: nothing is picked, "ON" only reports.
  const int current = s().currentRoi;
  Pick(16);
  EXPECT_EQ(form->EditROILow->text(), "100");
  Fill("1", "2", "None");
  form->ROIOnCheck->click();
  EXPECT_EQ(form->Edit1->text(), "Error ! ROI # Unknown");
  EXPECT_EQ(s().currentRoi, current);
  for (int i = 0; i < kRoiCount; ++i) EXPECT_NE(std::string(s().roiTable[i].label), "None") << i;
}

TEST_F(RoiCalibWindowTest, PickingARegionShowsItsValuesOrTheBlankOnes) {
  Pick(2);
  Fill("100", "120", "Fe-Ka");
  PickColour(kRed);
  form->ROIOnCheck->click();
  ASSERT_TRUE(form->ROIOnCheck->isChecked());

  // First pick of ROI #5: "ON" cleared, 0, 0, no label, blue; #5 stays undefined.
  Pick(5);
  EXPECT_FALSE(form->ROIOnCheck->isChecked());
  EXPECT_EQ(form->EditROILow->text(), "0");
  EXPECT_EQ(form->EditROIHigh->text(), "0");
  EXPECT_EQ(form->Element->text(), "");
  EXPECT_EQ(SelectedColour(), kBlue);
  EXPECT_EQ(s().roiTable[5].defined, 0);
  EXPECT_EQ(s().roiTable[5].shown, 0);
  EXPECT_EQ(s().currentRoi, 2);
  EXPECT_EQ(s().roiTable[2].shown, 1);

  // Back to #2: its stored values, "ON" left as it is.
  Pick(2);
  EXPECT_FALSE(form->ROIOnCheck->isChecked());
  EXPECT_EQ(form->EditROILow->text(), "100");
  EXPECT_EQ(form->EditROIHigh->text(), "120");
  EXPECT_EQ(form->Element->text(), "Fe-Ka");
  EXPECT_EQ(SelectedColour(), kRed);
  EXPECT_EQ(s().currentRoi, 2);

  // A colour read from a file is not a named one; it is shown and kept as it is.
  s().roiTable[2].colour = static_cast<std::int32_t>(0xFFFFFF80u);
  Pick(2);
  EXPECT_EQ(SelectedColour(), 0xFFFFFF80u);
  form->ROIOnCheck->click();
  EXPECT_EQ(s().roiTable[2].colour, static_cast<std::int32_t>(0xFFFFFF80u));
}

TEST_F(RoiCalibWindowTest, TypedChannelsAreCheckedAtOnceAndStoredOnlyBySwitchingOn) {
  Pick(7);
  form->EditROILow->clear();
  form->Edit1->setText("Status");
  QTest::keyClicks(form->EditROILow, "12");
  EXPECT_EQ(form->Edit1->text(), "Status");
  QTest::keyClicks(form->EditROILow, "a");
  EXPECT_EQ(form->Edit1->text(), "Error ! ROI LowCh");
  form->Edit1->setText("Status");
  QTest::keyClicks(form->EditROIHigh, "b");
  EXPECT_EQ(form->Edit1->text(), "Error ! ROI HighCh");
  EXPECT_EQ(s().roiTable[7].low, 0);
  form->ROIOnCheck->click();
  EXPECT_EQ(form->Edit1->text(), "Error ! ROI LowCh");
  EXPECT_EQ(s().roiTable[7].defined, 0);
  EXPECT_EQ(s().roiTable[7].low, 0);

  // "L_Ch" and "H_Ch " take the cursor channel at every click, and stay ticked for a click in
  // the plot.
  s().cursorChannel = 777;
  form->ROILowCh->click();
  EXPECT_EQ(form->EditROILow->text(), "777");
  EXPECT_TRUE(form->ROILowCh->isChecked());
  s().cursorChannel = 790;
  form->ROIHighCh->click();
  EXPECT_EQ(form->EditROIHigh->text(), "790");
  form->ROILowCh->click();
  EXPECT_FALSE(form->ROILowCh->isChecked());
  EXPECT_EQ(form->EditROILow->text(), "790");
  EXPECT_EQ(s().roiTable[7].low, 0);
}

TEST_F(RoiCalibWindowTest, ARegionThatIsOnIsShadedAndLabelledInItsColourFromSwitchOn) {
  OnePeak();
  Pick(2);
  Fill("100", "120", "Fe-Ka");
  PickColour(kRed);
  form->ROIOnCheck->click();
  // 8 channels per column: columns 12 .. 14 shaded (12 under the trace's bar down to its empty
  // channels); the peak is the highest column there.
  AppState& st = s();
  EXPECT_EQ(PlotPixel(st, 13, 298), Rgb(kRed));
  EXPECT_EQ(PlotPixel(st, 14, 298), Rgb(kRed));
  EXPECT_NE(PlotPixel(st, 15, 298), Rgb(kRed));
  int peakX = 12;
  for (int x = 13; x < 15; ++x)
    if (st.columnTop[x] < st.columnTop[peakX]) peakX = x;
  const int row = st.columnTop[peakX];
  // The peak label is "Fe", the label's first two letters, at (peak x - 6, peak row - 18).
  QImage want(st.plotBitmap.size(), QImage::Format_RGB32);
  want.fill(Qt::black);
  {
    PlotCanvas c(want);
    c.Text(peakX - 6, row - 18, "Fe", kRed);
  }
  int ink = 0;
  for (int y = row - 20; y < row - 1; ++y) {
    for (int x = peakX - 8; x < peakX + 20; ++x) {
      const bool wanted = (want.pixel(x, y) & 0xFFFFFF) == Rgb(kRed);
      EXPECT_EQ(PlotPixel(st, x, y) == Rgb(kRed), wanted) << x << "," << y;
      ink += wanted;
    }
  }
  EXPECT_GT(ink, 10);

  // A new colour alone changes nothing, even through a repaint; switching on again does.
  PickColour(kYellow);
  form->PaintBox1Paint();
  EXPECT_EQ(PlotPixel(st, 13, 298), Rgb(kRed));
  form->ROIOnCheck->click();  // off
  EXPECT_EQ(st.roiTable[2].shown, 0);
  EXPECT_EQ(st.roiTable[2].defined, 1);
  EXPECT_NE(PlotPixel(st, 13, 298), Rgb(kRed));
  form->ROIOnCheck->click();  // on again
  EXPECT_EQ(PlotPixel(st, 13, 298), Rgb(kYellow));

  // ROI #12 is stored and goes into the file's header, but is neither summed nor drawn.
  const QImage before = st.paintBox.copy();
  Pick(12);
  Fill("100", "120", "Zn-Ka");
  form->ROIOnCheck->click();
  EXPECT_EQ(st.roiTable[12].shown, 1);
  EXPECT_EQ(st.roiTable[12].grossSum, 0);
  EXPECT_EQ(st.paintBox, before);
  FillHeaderForWrite(st);
  EXPECT_EQ(st.currentHeader.RoiLow(12), 100);
  EXPECT_EQ(st.currentHeader.RoiHigh(12), 120);
}

TEST_F(RoiCalibWindowTest, RegionsOutliveAMemoryAndAFileAndComeBackWhenPicked) {
  const std::pair<const char*, Colour> regions[] = {{"100", kBlue}, {"200", kYellow}};
  for (int i : {2, 3}) {
    Pick(i);
    Fill(regions[i - 2].first, "220", "Fe-Ka");
    PickColour(regions[i - 2].second);
    form->ROIOnCheck->click();
  }
  auto expectRegion = [&](int i, int low, int high, Colour colour) {
    EXPECT_EQ(s().roiTable[i].low, low) << i;
    EXPECT_EQ(s().roiTable[i].high, high) << i;
    EXPECT_EQ(s().roiTable[i].colour, static_cast<std::int32_t>(colour)) << i;
  };
  // Mem1 holds no regions; "MCA" gives the analyser's slot its own back.
  s().memHeader[0].SetChannelSize(4096);
  QTest::mouseClick(form->Mem1Spec, Qt::LeftButton);
  QTest::mouseClick(form->McaMem, Qt::LeftButton);
  expectRegion(2, 100, 220, kBlue);
  // Written and read back, the colours are the list's; ROI #5, never switched on here, comes
  // with the file and is picked with its bounds.
  s().roiTable[5].low = 300, s().roiTable[5].high = 310, s().roiTable[5].colour = kYellow;
  QTemporaryDir dir;
  form->SetFileChooser([&](QFileDialog&) { return std::optional(dir.filePath("r.dat")); });
  form->Write1->trigger();
  for (int i : {2, 3, 5}) s().roiTable[i].low = s().roiTable[i].colour = 0;
  form->Read1->trigger();
  expectRegion(2, 100, 220, kBlue);
  expectRegion(3, 200, 220, kYellow);
  Pick(5);
  EXPECT_EQ(form->EditROILow->text() + form->EditROIHigh->text(), "300310");
  form->ROIOnCheck->click();
  expectRegion(5, 300, 310, kYellow);
}

TEST_F(RoiCalibWindowTest, ExecCalibFromTheTabAndTheReadoutAtTheNextCursorMove) {
  struct Row {
    const char *lowCh, *hiCh, *loEng, *hiEng, *unit;
    const char* message;
    // The calibration afterwards; a refusal keeps slope 2, offset 1 and unit "prev".
    float slope, offset;
    const char* storedUnit;
    const char* readout;  // Label8 at channel 384
  };
  const Row rows[] = {
      {"Low Ch", "High Ch", "Low Energy", "Hi Energy", "keV", "Error ! Energy Calib LowCh", 2, 1,
       "prev", "  769.00"},
      {"128", "640", "1.0", "5.0", "keV", "Status", 0.0078125f, 0, "keV", "    3.00"},
      {"640", "128", "1.0", "5.0", "keV", "Status", -0.0078125f, 6, "keV", "    3.00"},
      {"128", "640", "1000", "5000", "eV", "Status", 7.8125f, 0, "eV", " 3000.00"},
      {"128", "640", "1.0", "5.0", "Kiloelectronvolt", "Status", 0.0078125f, 0, "Kiloele",
       "    3.00"},
      {"128", "128", "1.0", "5.0", "keV", "Error ! Energy Calib LowCh = HighCh", 2, 1, "prev",
       "  769.00"},
      {"128", "High Ch", "1.0", "5.0", "keV", "Error ! Energy Calib HighCh", 2, 1, "prev",
       "  769.00"},
      {"128", "640", "Low Energy", "5.0", "keV", "Error ! Energy Calib LowEng", 2, 1, "prev",
       "  769.00"},
      {"0", "1e-30", "-3e38", "3e38", "keV", "Error ! Energy Calib Range", 2, 1, "prev",
       "  769.00"},
      {"128", "640", "1.0", "5.0 keV", "keV", "Error ! Energy Calib HighEng", 2, 1, "prev",
       "  769.00"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.unit + std::string(" ") + r.lowCh + " " + r.hiCh);
    s().calibrated = 1;
    s().calSlope = 2;
    s().calOffset = 1;
    std::strcpy(s().energyUnit, "prev");
    form->LowCh->setText(r.lowCh);
    form->HiCh->setText(r.hiCh);
    form->LoEng->setText(r.loEng);
    form->HiEng->setText(r.hiEng);
    form->ChKev->setText(r.unit);
    form->Edit1->setText("Status");
    QTest::mouseClick(form->EngCalib, Qt::LeftButton);
    EXPECT_EQ(form->Edit1->text().toStdString(), r.message);
    EXPECT_EQ(s().calSlope, r.slope);
    EXPECT_EQ(s().calOffset, r.offset);
    EXPECT_STREQ(s().energyUnit, r.storedUnit);
    s().cursorChannel = 384;
    ShowCursorReadout(s(), *form);
    EXPECT_EQ(form->Label8->text().toStdString(), r.readout);
    EXPECT_EQ(form->Label9->text().toStdString(), r.storedUnit);
  }

  // A calibration read from a file brings slope and offset, and keeps the unit of the last
  // Exec Calib.
  QTemporaryDir dir;
  const std::string path = dir.filePath("ev.dat").toStdString();
  form->LoEng->setText("1000");
  form->HiEng->setText("5000");
  form->ChKev->setText("eV");
  QTest::mouseClick(form->EngCalib, Qt::LeftButton);
  ASSERT_TRUE(WriteSpectrumFile(s(), *form, path).ok());
  form->ChKev->setText("keV");
  form->LoEng->setText("1.0");
  form->HiEng->setText("5.0");
  QTest::mouseClick(form->EngCalib, Qt::LeftButton);
  ASSERT_EQ(s().calSlope, 0.0078125f);
  ASSERT_TRUE(ReadSpectrumFile(s(), *form, path, kMcaView).ok());
  EXPECT_EQ(s().calSlope, 7.8125f);
  EXPECT_STREQ(s().energyUnit, "keV");
}

TEST_F(RoiCalibWindowTest, ChannelBoxesTakeTheSnappedCentroidOrTheCursor) {
  s().peakCentroid = 320.46f;
  s().cursorChannel = 320;
  form->LengCh->click();
  EXPECT_EQ(form->LowCh->text(), "  320.46");
  EXPECT_FALSE(form->LengCh->isChecked());
  s().cursorChannel = 402;  // moved off the snapped peak
  form->HengCh->click();
  EXPECT_EQ(form->HiCh->text(), "402");
  EXPECT_FALSE(form->HengCh->isChecked());
  form->LoEng->setText("6.40");
  form->HiEng->setText("8.05");
  form->Edit1->setText("Status");
  QTest::mouseClick(form->EngCalib, Qt::LeftButton);
  EXPECT_EQ(form->Edit1->text(), "Status");
  EXPECT_EQ(s().calibrated, 1);
  EXPECT_EQ(s().calLowChannel, 320.46f);
  EXPECT_EQ(s().calHighChannel, 402.0f);
  EXPECT_EQ(s().calLowEnergy, 6.4f);
  EXPECT_EQ(s().calHighEnergy, 8.05f);
  // The line meets the high point: 402 reads 8.05.
  s().cursorChannel = 402;
  ShowCursorReadout(s(), *form);
  EXPECT_EQ(form->Label8->text(), "    8.05");

  // A letter typed into a channel box is reported at once; the calibration stays in force.
  const float slope = s().calSlope;
  form->LowCh->setText("12");
  form->Edit1->setText("Status");
  QTest::keyClicks(form->LowCh, "a");
  EXPECT_EQ(form->Edit1->text(), "Error ! EngCalib LowCh");
  form->Edit1->setText("Status");
  QTest::keyClicks(form->HiCh, "b");
  EXPECT_EQ(form->Edit1->text(), "Error ! EngCalib HiCh");
  EXPECT_EQ(s().calSlope, slope);
  EXPECT_EQ(form->LowCh->text(), "12a");
  ShowCursorReadout(s(), *form);
  EXPECT_EQ(form->Label8->text(), "    8.05");
}

TEST_F(RoiCalibWindowTest, ACommandThatSucceedsReplacesAnEarlierErrorMessage) {
  QTemporaryDir dir;
  const QString file = dir.filePath("s.dat");
  ASSERT_TRUE(WriteSpectrumFile(s(), *form, file.toStdString()).ok());
  std::optional<QString> chosen;
  form->SetFileChooser([&](QFileDialog&) { return chosen; });
  s().memHeader[0].SetChannelSize(4096);
  form->LowCh->setText("128"), form->HiCh->setText("640");
  form->LoEng->setText("1"), form->HiEng->setText("5");
  auto click = [](QAbstractButton* b) { return [b] { QTest::mouseClick(b, Qt::LeftButton); }; };
  auto read = [&](std::optional<QString> name) {
    return [&, name] {
      chosen = name;
      form->Read1->trigger();
    };
  };
  const std::tuple<const char*, std::function<void()>, const char*> rows[] = {
      {"Error ! Energy Calib LowCh", click(form->EngCalib), ""},
      {"Error ! Mem1 Empty", click(form->Mem1Spec), ""},
      {"File Write Error !", read(file), ""},
      {"Error ! MCA Link Lost", click(form->Expand), ""},
      {"Error ! Energy Calib LowCh", click(form->Mem2Spec), "Error ! Mem2 Empty"},
      {"File Write Error !", read(std::nullopt), "File Write Error !"},  // cancelled
      {"$V5;", click(form->Compres), "$V5;"},                            // frames and numbers stay
  };
  for (const auto& [before, command, after] : rows) {
    form->Edit1->setText(before);
    command();
    EXPECT_EQ(Edit1(), after) << before;
  }
}

}  // namespace
}  // namespace tavlex
