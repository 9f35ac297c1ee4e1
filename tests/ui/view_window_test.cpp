// The view controls, the cursor click, the layouts and the peak tools of the real main window:
// on the host, and through the simulated analyser while it runs (frames sent, state taken back
// from the status block).

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest/QTest>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "files/SpectrumFile.h"
#include "tests/acq/AcqFixture.h"
#include "ui/PaintBox.h"

namespace tavlex {
namespace {

using FrameList = std::vector<std::string>;

class ViewWindowTest : public test::AcqWindowTest {
 protected:
  void Up() {
    QTest::mouseClick(form->UpDown1->findChild<QToolButton*>("UpDown1Up"), Qt::LeftButton);
  }
  void Down() {
    QTest::mouseClick(form->UpDown1->findChild<QToolButton*>("UpDown1Down"), Qt::LeftButton);
  }
  void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
  void ClickPlot(int x, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(form->PaintBox1, button, {}, QPoint(x, 100));
  }
  std::string Text(Field f) { return form->Text(f); }
  void Counts(int from, std::vector<std::int32_t> values) {
    std::memset(s().spectrumCounts, 0, sizeof s().spectrumCounts);
    for (std::int32_t v : values) s().spectrumCounts[from++] = v;
  }
  void Start() {
    Open();
    Click(form->McaStart);
    ASSERT_EQ(s().acquiring, 1);
    sim().ClearFrames();
  }
  // Green pixels of the composed plot: the trace is there.
  int TracePixels() {
    const AppState& st = s();
    int n = 0;
    for (int y = 0; y < st.plotBitmap.height(); ++y)
      for (int x = 0; x < st.plotBitmap.width(); ++x)
        n += (st.paintBox.pixel(st.plotLeft + x, y) & 0xFFFFFF) == (ToQRgb(0x00FF00) & 0xFFFFFF);
    return n;
  }
};

TEST_F(ViewWindowTest, ArrowsStepTheLinearScaleAndWrapTheirOwnPosition) {
  ASSERT_EQ(s().logScale, 1);
  ASSERT_EQ(s().vfsIndex, 2);
  // From start-up: up, up, down, down, down. The fifth click wraps the arrows' position from
  // 1 to 22 and so reports next.
  const std::function<void()> clicks[] = {[&] { Up(); }, [&] { Up(); }, [&] { Down(); },
                                          [&] { Down(); }, [&] { Down(); }};
  const int steps[] = {1, 1, 2, 3, 2};
  for (int i = 0; i < 5; ++i) {
    clicks[i]();
    EXPECT_EQ(s().vfsIndex, steps[i]) << "click " << i + 1;
    EXPECT_EQ(s().logScale, 0);
  }
  EXPECT_EQ(form->UpDown1->Position(), 22);
  // The linear strip: 5 divisions of 60 rows, so a line across at row 300 - 61.
  EXPECT_EQ(s().scaleStrip.pixel(1, 239) & 0xFFFFFF, 0u);

  // In log mode a refused next (step 1) only switches the state: nothing is drawn.
  Down();  // position 22 -> 21 reports previous: step 2 -> 3
  ASSERT_EQ(s().vfsIndex, 3);
  Click(form->LogDisp);
  EXPECT_EQ(s().logScale, 1);
  s().vfsIndex = 1;
  const QImage logPicture = s().paintBox.copy();
  Up();  // 21 -> 22 reports next, refused at step 1
  EXPECT_EQ(s().vfsIndex, 1);
  EXPECT_EQ(s().logScale, 0);
  EXPECT_EQ(s().paintBox, logPicture);
}

TEST_F(ViewWindowTest, AutoChoosesTheFirstLargerFullScaleFromTheView) {
  struct Row {
    int viewStart, viewEnd;
    std::int32_t at100, at200;  // counts in channels 100 and 200, zero elsewhere
    int step;
  };
  const Row rows[] = {
      {0, 4095, 250, 0, 3},           // 500 > 250: not step 2 (250)
      {0, 4095, 300000000, 0, 20},    // never above 250M
      {0, 200, 10, 5000, 1},          // the view's last channel is left out
      {0, 201, 10, 5000, 7},          // 5K is not above 5000
      {150, 4095, 300000000, 99, 1},  // outside the view
  };
  for (const Row& r : rows) {
    Counts(0, {});
    s().spectrumCounts[100] = r.at100;
    s().spectrumCounts[200] = r.at200;
    s().viewStart = r.viewStart;
    s().viewEnd = r.viewEnd;
    s().logScale = 1;
    form->Edit1->setText("Status");
    Click(form->AutoVfs);
    EXPECT_EQ(s().vfsIndex, r.step) << r.viewEnd;
    EXPECT_EQ(s().logScale, 0);
    EXPECT_EQ(Text(Field::Edit1), "Status");  // the host path shows no frame
  }
  EXPECT_TRUE(Frames().empty());
}

TEST_F(ViewWindowTest, ZoomButtonsOnTheHost) {
  s().viewStart = 0;
  s().viewEnd = 127;
  s().cursorChannel = 10;
  Click(form->Expand);
  EXPECT_EQ(s().viewStart, 0);
  EXPECT_EQ(s().viewEnd, 41);
  EXPECT_EQ(Text(Field::Label1), "0ch");
  EXPECT_EQ(Text(Field::Label2), "41ch");
  // 12 pixels per channel: the ramp's channels 10 and 11 meet at column 132 on the log scale.
  EXPECT_EQ(s().columnTop[131], s().columnTop[120]);
  EXPECT_NE(s().columnTop[132], s().columnTop[131]);
  Click(form->Compres);  // 12 px -> 6: 85 channels around 10, cut at 0
  EXPECT_EQ(s().viewStart, 0);
  EXPECT_EQ(s().viewEnd, 84);

  // The worked sequence and back: expand three times to one channel per column, compress once.
  s().viewStart = 0;
  s().viewEnd = 4095;
  s().cursorChannel = 2048;
  for (int i = 0; i < 3; ++i) Click(form->Expand);
  EXPECT_EQ(Text(Field::Label1), "1792ch");
  EXPECT_EQ(Text(Field::Label2), "2303ch");
  Click(form->Compres);
  EXPECT_EQ(s().viewStart, 1536);
  EXPECT_EQ(s().viewEnd, 2559);
  EXPECT_EQ(s().acqStatus.DisplayStart(), 1536);
  EXPECT_TRUE(Frames().empty());
}

TEST_F(ViewWindowTest, AClickMovesTheCursorAndShowsItsEnergy) {
  ClickPlot(118);  // no analyser open: 100 columns of 8 channels
  EXPECT_EQ(s().cursorChannel, 800);
  EXPECT_EQ(Text(Field::Label3), "800");
  EXPECT_EQ(Text(Field::Label7), "800");   // the start-up ramp
  EXPECT_EQ(Text(Field::Label8), "0.00");  // no calibration: left alone
  EXPECT_EQ(Text(Field::Label9), "keV");
  ClickPlot(118, Qt::RightButton);
  // Only the plot's columns take a click: not the scale strip, not the window around PaintBox1.
  ClickPlot(5);
  ClickPlot(17);
  QTest::mouseClick(form->centralWidget(), Qt::LeftButton, {}, QPoint(550, 300));
  EXPECT_EQ(s().cursorChannel, 800);
  ClickPlot(18);
  EXPECT_EQ(s().cursorChannel, 0);
  ClickPlot(529);  // the last column: 511 x 8
  EXPECT_EQ(s().cursorChannel, 4088);
  s().channelSize = 1024;
  ClickPlot(529);  // past the spectrum's end
  EXPECT_EQ(s().cursorChannel, 1023);
  s().channelSize = 4096;

  s().calibrated = 1;
  s().calSlope = 0.01f;
  s().calOffset = 0.5f;
  std::strcpy(s().energyUnit, "eV");
  ClickPlot(68);
  EXPECT_EQ(s().cursorChannel, 400);
  EXPECT_EQ(Text(Field::Label8), "    4.50");
  EXPECT_EQ(Text(Field::Label9), "eV");
  EXPECT_TRUE(Frames().empty());  // nothing listed, nothing sent
}

TEST_F(ViewWindowTest, AClickOnTheRoiTabSetsTheSelectedRegionsBounds) {
  // With an analyser open but idle, the click maps through the host's own range.
  Open();
  form->AXFM->setCurrentWidget(form->ROISet);
  form->ROINoSelect->setCurrentIndex(3);
  // A click on the box takes the cursor channel; the box stays ticked until a click in the plot
  // has set the bound, then clears.
  form->ROILowCh->click();
  EXPECT_EQ(form->EditROILow->text(), "2048");
  ClickPlot(118);
  EXPECT_FALSE(form->ROILowCh->isChecked());
  EXPECT_EQ(s().roiTable[3].low, 800);
  EXPECT_EQ(form->EditROILow->text(), "800");
  EXPECT_EQ(s().roiTable[3].high, 0);
  EXPECT_EQ(s().cursorChannel, 800);
  EXPECT_EQ(Frames(), FrameList{"$@C0800;"});  // an analyser is listed: the cursor goes to it
  form->ROIHighCh->click();
  ClickPlot(128);
  EXPECT_FALSE(form->ROIHighCh->isChecked());
  EXPECT_EQ(s().roiTable[3].low, 800);
  EXPECT_EQ(s().roiTable[3].high, 880);
  EXPECT_EQ(form->EditROIHigh->text(), "880");
  // On another tab the boxes do nothing.
  form->AXFM->setCurrentWidget(form->XMCA);
  ClickPlot(138);
  EXPECT_EQ(s().roiTable[3].high, 880);
  EXPECT_EQ(s().cursorChannel, 960);
}

TEST_F(ViewWindowTest, DuringARunTheButtonsSendFramesAndTheAnalyserOwnsTheView) {
  Start();
  struct Row {
    const char* what;
    std::function<void()> press;
    FrameList frames;
    int viewStart, viewEnd, vfsIndex, logScale;
  };
  const Row rows[] = {
      {"next", [&] { Up(); }, {"$V;"}, 0, 4095, 1, 0},
      {"previous", [&] { Down(); }, {"$v;"}, 0, 4095, 2, 0},
      {"log", [&] { Click(form->LogDisp); }, {"$O;"}, 0, 4095, 2, 1},
      {"auto", [&] { Click(form->AutoVfs); }, {"$V1;"}, 0, 4095, 1, 0},  // nothing counted yet
      {"expand", [&] { Click(form->Expand); }, {"$E;", "$R0;"}, 1024, 3071, 1, 0},
      {"compress", [&] { Click(form->Compres); }, {"$e;", "$R0;"}, 0, 4095, 1, 0},
  };
  for (const Row& r : rows) {
    sim().ClearFrames();
    r.press();
    EXPECT_EQ(Frames(), r.frames) << r.what;
    EXPECT_EQ(s().viewStart, r.viewStart) << r.what;
    EXPECT_EQ(s().viewEnd, r.viewEnd) << r.what;
    EXPECT_EQ(s().vfsIndex, r.vfsIndex) << r.what;
    EXPECT_EQ(s().logScale, r.logScale) << r.what;
  }
  EXPECT_EQ(Edit1(), "$V1;");
  EXPECT_EQ(sim().VfsIndex(), 1);

  // Auto takes the largest count of the last spectrum read, not the host's counts.
  sim().SetCount(700, 300);
  Tick();
  s().spectrumCounts[200] = 5000;
  sim().ClearFrames();
  Click(form->AutoVfs);
  EXPECT_EQ(Frames(), FrameList{"$V3;"});
  EXPECT_EQ(s().vfsIndex, 3);

  // A refused frame leaves the host's view; the scale flag is set before the send.
  driver.RefuseNextFrame();
  Click(form->Expand);
  EXPECT_EQ(s().viewEnd, 4095);
  driver.RefuseNextFrame();
  Up();
  EXPECT_EQ(s().vfsIndex, 3);
  driver.RefuseNextFrame();
  Click(form->LogDisp);
  EXPECT_EQ(s().logScale, 1);
  EXPECT_EQ(sim().VfsIndex(), 3);

  // The click maps through the analyser's range; the next tick takes its state back.
  sim().ClearFrames();
  Click(form->Expand);  // analyser: 1024 - 3071, 4 channels per column
  ClickPlot(118);
  EXPECT_EQ(s().cursorChannel, 1424);
  EXPECT_EQ(Frames(), (FrameList{"$E;", "$R0;", "$@C1424;"}));
  s().viewStart = 0;
  s().logScale = 1;
  s().vfsIndex = 9;
  Tick();
  EXPECT_EQ(s().viewStart, 1024);
  EXPECT_EQ(s().viewEnd, 3071);
  EXPECT_EQ(s().cursorChannel, 1424);
  EXPECT_EQ(s().logScale, 0);
  EXPECT_EQ(s().vfsIndex, 3);
  EXPECT_EQ(Text(Field::Label1), "1024ch");
}

TEST_F(ViewWindowTest, SnapPeakAndFwhmReportInTheWindow) {
  Open();
  Counts(98, {10, 50, 100, 50, 10});
  s().cursorChannel = 96;
  Click(form->SnapPeak);
  EXPECT_EQ(Edit1(), "  100.00");
  EXPECT_EQ(Text(Field::Label3), "100");
  EXPECT_EQ(s().cursorChannel, 100);
  EXPECT_EQ(s().peakCentroid, 100.0f);
  EXPECT_EQ(Frames(), FrameList{"$@C0100;"});
  Click(form->FWHM);
  EXPECT_EQ(Edit1(), "Peak   100.00 Ch.");
  EXPECT_EQ(form->FwhmVal->text(), "    2.00 ch");
  // Already on the centroid's channel: the cursor stays, the rest is refreshed and sent again.
  form->Edit1->setText("Status");
  s().peakCentroid = 0;
  sim().ClearFrames();
  Click(form->SnapPeak);
  EXPECT_EQ(s().cursorChannel, 100);
  EXPECT_EQ(s().peakCentroid, 100.0f);
  EXPECT_EQ(Edit1(), "  100.00");
  EXPECT_EQ(Frames(), FrameList{"$@C0100;"});
  // The calibration tab picks the centroid up while the cursor stands on it.
  form->LengCh->click();
  EXPECT_EQ(form->LowCh->text(), "  100.00");

  // No count in the window: a message, every field as it was.
  s().cursorChannel = 2000;
  sim().ClearFrames();
  Click(form->SnapPeak);
  EXPECT_EQ(Edit1(), "Error ! No Peak");
  EXPECT_EQ(s().cursorChannel, 2000);
  EXPECT_EQ(s().peakCentroid, 100.0f);
  EXPECT_EQ(Text(Field::Label3), "100");
  EXPECT_TRUE(Frames().empty());
  Click(form->FWHM);
  EXPECT_EQ(form->FwhmVal->text(), "    2.00 ch");
  // A flat stretch at the view's border: the width is undefined, not divided by zero.
  for (int c = 100; c <= 200; ++c) s().spectrumCounts[c] = 100;
  s().viewStart = 140;
  s().viewEnd = 160;
  s().cursorChannel = 150;
  Click(form->FWHM);
  EXPECT_EQ(Edit1(), "Peak   145.00 Ch.");
  EXPECT_EQ(form->FwhmVal->text(), "undefined");
}

TEST_F(ViewWindowTest, TheEnergyReadoutIsTheCursorChannelsWhereverTheCursorMoves) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("r.dat").toStdString();
  auto slope = [](SpectrumHeader& h, float slope) {
    h.SetChannelSize(4096);
    h.SetNoCalibrationMarker(0);
    h.SetCalSlope(slope);
    h.SetCalOffset(0);
  };
  std::uint8_t reply[SimAnalyser::kMaxReply];
  const std::tuple<const char*, std::function<void()>, const char*> rows[] = {
      {"    5.42",
       [&] {
         Counts(540, {10, 50, 100, 50, 10}), Click(form->SnapPeak);
       },
       "542"},
      {"   20.48",
       [&] {
         ASSERT_TRUE(WriteSpectrumFile(s(), *form, file).ok());
         ASSERT_TRUE(ReadSpectrumFile(s(), *form, file, kMcaView).ok());
       },
       "2048"},
      {"   40.96", [&] { slope(s().memHeader[0], 0.02f), Click(form->Mem1Spec); }, "2048"},
      {"   61.44", [&] { slope(s().mcaHeader, 0.03f), Click(form->McaMem); }, "2048"},
      {"    7.68", [&] { s().channelSize = 1024, s().viewEnd = 1023, Click(form->Expand); }, "768"},
      {"   30.00",
       [&] {
         s().channelSize = 4096, Start();
         sim().HandleFrame(reinterpret_cast<const std::uint8_t*>("$@C3000;"), 8, reply);
         AdvanceMs(100), Tick();
       },
       "3000"},
  };
  s().cursorChannel = 536;
  for (const auto& [energy, move, channel] : rows) {
    s().calibrated = 1, s().calSlope = 0.01f, s().calOffset = 0;
    form->SetText(Field::Label8, "stale");
    move();
    EXPECT_EQ(Text(Field::Label3), channel) << energy;
    EXPECT_EQ(Text(Field::Label8), energy) << channel;
  }
}

TEST_F(ViewWindowTest, TheReadoutLabelsShowWholeAndNeverRunIntoEachOther) {
  s().spectrumCounts[800] = INT32_MIN;
  s().calibrated = 1;
  s().calSlope = 0;
  std::strcpy(s().energyUnit, "WWWWWWW");
  for (const char* layout : {"normal", "large"}) {
    if (layout[0] == 'l') {
      form->show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
      form->showMaximized();
      QTRY_COMPARE(s().plotBitmap.width(), 1024);
    }
    for (float energy : {17.4f, 99999.99f, -9999.99f, -3.4e38f}) {
      s().calOffset = energy;
      ClickPlot(s().plotLeft + 100 * s().plotBitmap.width() / 512);  // channel 800
      const QLabel* row[] = {form->Label1, form->Label3, form->Label5,  form->Label8, form->Label9,
                             form->Label6, form->Label7, form->Label10, form->Label2};
      for (std::size_t i = 0; i < std::size(row); ++i) {
        EXPECT_GE(row[i]->width(), row[i]->sizeHint().width()) << layout << energy << i;
        EXPECT_TRUE(i == 0 || row[i - 1]->geometry().right() < row[i]->x())
            << layout << energy << i;
      }
    }
  }
}

TEST_F(ViewWindowTest, MaximizeShowsTheLargeLayoutBesideTheControlsAndRestoreTheNormal) {
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  EXPECT_EQ(Edit1(), "Normal");
  EXPECT_EQ(s().resizeSeen, 1);
  form->showMaximized();
  QTRY_COMPARE(Edit1(), std::string("Maximized"));
  EXPECT_EQ(form->PaintBox1->size(), QSize(1050, 620));
  EXPECT_EQ(s().plotBitmap.size(), QSize(1024, 600));
  EXPECT_EQ(s().plotLeft, 26);
  EXPECT_EQ(s().axisTop, 600);
  EXPECT_EQ(form->Label1->pos(), QPoint(40, 630));
  EXPECT_EQ(form->Label8->pos(), QPoint(340, 630));
  EXPECT_EQ(form->Label2->pos(), QPoint(1020, 630));
  const int clientWidth = form->centralWidget()->width();
  for (QWidget* w : {static_cast<QWidget*>(form->AXFM), form->Panel1,
                     static_cast<QWidget*>(form->PageControl1), static_cast<QWidget*>(form->Edit1)})
    EXPECT_EQ(w->x(), clientWidth - 192) << w->objectName().toStdString();
  // The layout change composed the spectrum again; a paint request of the toolkit shows it.
  form->PaintBox1->repaint();
  EXPECT_GT(TracePixels(), 1000);

  form->showNormal();
  QTRY_COMPARE(Edit1(), std::string("Normal"));
  EXPECT_EQ(form->PaintBox1->size(), QSize(530, 320));
  EXPECT_EQ(s().plotBitmap.size(), QSize(512, 300));
  EXPECT_EQ(form->Label1->pos(), QPoint(20, 330));
  EXPECT_EQ(form->Label2->pos(), QPoint(500, 330));
  EXPECT_EQ(form->AXFM->x(), form->centralWidget()->width() - 192);
  EXPECT_GT(TracePixels(), 500);  // the layout change composed the spectrum again ...
  form->PaintBox1->repaint();
  EXPECT_GT(TracePixels(), 500);  // ... and the next paint showed it
  EXPECT_EQ(s().viewEnd, 4095);
}

}  // namespace
}  // namespace tavlex
