// Analysis -> Elements... in the real main window: markers over the plot (and none leaves the
// plot as it was), the refusals, identification of the displayed spectrum and regions from lines.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest/QTest>
#include <cmath>
#include <cstring>

#include "analysis/XrayLines.h"
#include "tests/acq/AcqFixture.h"
#include "ui/ElementsDialog.h"

namespace tavlex {
namespace {

class ElementsWindowTest : public test::AcqWindowTest {
 protected:
  void SetUp() override {
    Open();
    form->Elements1->trigger();
    d = form->ElementsDialog();
    ASSERT_NE(d, nullptr);
  }
  // Iron and chromium K lines on a flat background, 10 eV channels, calibrated or not.
  void Steel(bool calibrated) {
    for (int c = 0; c < 4096; ++c) {
      double mean = 20;
      for (int z : {24, 26})
        for (int i = 0; i < 2; ++i) {
          const XrayLine& l = XrayElementByZ(z)->lines[i];
          const double sigma = SiliconDetectorFwhm(l.energyKeV, 0.085) / 2.3548 / 0.01;
          mean += (z == 26 ? 2e5 : 8e4) * l.relative * std::exp(-0.5 * std::pow((c - l.energyKeV / 0.01) / sigma, 2)) /
                  (sigma * 2.5066);
        }
      s().spectrumCounts[c] = static_cast<std::int32_t>(mean);
    }
    s().channelSize = 4096;
    s().calibrated = calibrated ? 1 : 0;
    s().calSlope = 0.01f;
    s().calOffset = 0;
    std::strcpy(s().energyUnit, "keV");
  }
  void Mark(const char* text) {
    d->ElementEdit->setText(text);
    QTest::mouseClick(d->MarkButton, Qt::LeftButton);
  }
  TElementsDialog* d = nullptr;
};

TEST_F(ElementsWindowTest, MarkersRefusalsIdentificationAndRegions) {
  Steel(false);
  form->PaintBox1Paint();
  const QImage before = s().plotBitmap.copy();
  // Uncalibrated: a message asking for the calibration, nothing else.
  QTest::mouseClick(d->IdentifyButton, Qt::LeftButton);
  EXPECT_EQ(d->MessageLabel->text(), "Error ! Eng.Calib first");
  EXPECT_TRUE(d->ResultText->toPlainText().isEmpty());
  Mark("Fe, Xx");
  EXPECT_EQ(d->MessageLabel->text(), "Error ! Element Xx");
  EXPECT_EQ(s().markerCount, 0);

  Steel(true);
  Mark("fe cr");
  ASSERT_EQ(s().markerCount, 2);
  EXPECT_TRUE(d->ElementButton(26)->isChecked());
  EXPECT_FALSE(d->ElementButton(28)->isChecked());
  EXPECT_EQ(d->ElementEdit->text(), "Fe, Cr");
  EXPECT_GE(d->LineList->count(), 4);
  EXPECT_NE(s().plotBitmap, before);  // the lines are drawn
  QTest::mouseClick(d->ClearButton, Qt::LeftButton);
  Steel(false);
  form->PaintBox1Paint();
  EXPECT_EQ(s().plotBitmap, before);  // no markers: the plot as it was, pixel for pixel

  Steel(true);
  d->TubeEdit->setText("Rh");
  QTest::mouseClick(d->IdentifyButton, Qt::LeftButton);
  EXPECT_EQ(d->ElementEdit->text(), "Cr, Fe");  // the elements found are marked
  EXPECT_TRUE(d->ResultText->toPlainText().contains("Fe  K"));

  // The ticked lines (each family's strongest) become the next free regions, switched on.
  sim().ClearFrames();
  QTest::mouseClick(d->RoiButton, Qt::LeftButton);
  EXPECT_EQ(d->MessageLabel->text(), "2 ROIs made");
  const RoiRecord& cr = s().roiTable[0];
  EXPECT_STREQ(cr.label, "Cr-Ka");
  EXPECT_EQ(cr.shown, 1);
  EXPECT_LT(cr.low, 541);
  EXPECT_GT(cr.high, 542);
  EXPECT_NEAR((cr.low + cr.high - 1) / 2.0, 541, 1);
  EXPECT_STREQ(s().roiTable[1].label, "Fe-Ka");
  // Region 1 is also one of the analyser's windows: sent as the ROI tab sends it.
  EXPECT_EQ(Frames(), std::vector<std::string>{"$@R1,0625,0656;"});
}

}  // namespace
}  // namespace tavlex
