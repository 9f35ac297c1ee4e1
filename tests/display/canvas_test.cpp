// The canvas helper: end points, arithmetic clipping, transparent and right-aligned texts.

#include <gtest/gtest.h>

#include <QFontInfo>
#include <climits>

#include "PlotTestSupport.h"
#include "app/AppState.h"
#include "display/PlotCanvas.h"

namespace tavlex {
namespace {

using testing::At;
using testing::CountColour;
using testing::Rgb;

constexpr Colour kBlue = 0xFF0000, kAquaC = 0xFFFF00;

QImage Blank(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  FillBitmap(img, 0x000000);
  return img;
}

TEST(PlotCanvasTest, LinesLeaveTheirEndPointUnpainted) {
  QImage img = Blank(20, 20);
  {
    PlotCanvas c(img);
    c.SetPen(kBlue);
    c.Line(2, 5, 6, 5);    // right
    c.Line(10, 1, 10, 4);  // down
    c.Line(15, 9, 12, 9);  // left
    c.Line(7, 7, 7, 7);    // nothing
  }
  for (int x = 2; x <= 5; ++x) EXPECT_EQ(At(img, x, 5), Rgb(kBlue)) << x;
  EXPECT_EQ(At(img, 6, 5), 0u);
  for (int y = 1; y <= 3; ++y) EXPECT_EQ(At(img, 10, y), Rgb(kBlue)) << y;
  EXPECT_EQ(At(img, 10, 4), 0u);
  for (int x = 13; x <= 15; ++x) EXPECT_EQ(At(img, x, 9), Rgb(kBlue)) << x;
  EXPECT_EQ(At(img, 12, 9), 0u);
  EXPECT_EQ(At(img, 7, 7), 0u);
  EXPECT_EQ(CountColour(img, 0, 0, 20, 20, kBlue), 4 + 3 + 3);
}

TEST(PlotCanvasTest, ALineIsOnePixelPerMajorStepAndThePenMovesOn) {
  QImage img = Blank(20, 20);
  {
    PlotCanvas c(img);
    c.SetPen(kBlue);
    c.MoveTo(0, 0);
    c.LineTo(4, 2);  // four pixels, one per column, rows never going back
    c.LineTo(4, 6);  // continues from (4, 2)
  }
  int lastRow = 0;
  for (int x = 0; x < 4; ++x) {
    const int y = testing::TopmostInColumn(img, x, kBlue);
    ASSERT_GE(y, lastRow) << x;
    EXPECT_LE(y, 2) << x;
    lastRow = y;
  }
  EXPECT_EQ(At(img, 0, 0), Rgb(kBlue));
  for (int y = 2; y <= 5; ++y) EXPECT_EQ(At(img, 4, y), Rgb(kBlue)) << y;
  EXPECT_EQ(At(img, 4, 6), 0u);
  EXPECT_EQ(CountColour(img, 0, 0, 20, 20, kBlue), 4 + 4);
}

TEST(PlotCanvasTest, FarOffLinesAreClippedToTheBitmap) {
  QImage img = Blank(40, 30);
  {
    PlotCanvas c(img);
    c.SetPen(kBlue);
    c.Line(3, 29, 3, -1'000'000'000);  // straight up, far past the top
    c.Line(-10, 5, 20, 5);             // enters from the left
    c.Line(-1000, -1000, 1000, 1000);  // the diagonal through the corner
    c.Line(30, 0, 30, INT_MAX);        // down, far past the bottom
  }
  for (int y = 0; y < 30; ++y) EXPECT_EQ(At(img, 3, y), Rgb(kBlue)) << y;
  for (int x = 0; x < 20; ++x) EXPECT_EQ(At(img, x, 5), Rgb(kBlue)) << x;
  EXPECT_EQ(At(img, 20, 5), 0u);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(At(img, i, i), Rgb(kBlue)) << i;
  for (int y = 0; y < 30; ++y) EXPECT_EQ(At(img, 30, y), Rgb(kBlue)) << y;
}

TEST(PlotCanvasTest, ClippingKeepsTheLineWhereTheUnclippedWalkWouldPutIt) {
  // Across the whole int range one row down: the step to row 1 falls exactly on x = 0, which
  // only comes out right when the error term of the first visible step is computed exactly.
  QImage img = Blank(64, 4);
  {
    PlotCanvas c(img);
    c.SetPen(kBlue);
    c.Line(INT_MIN, 0, INT_MAX, 1);
  }
  EXPECT_EQ(CountColour(img, 0, 0, 64, 1, kBlue), 0);
  EXPECT_EQ(CountColour(img, 0, 1, 64, 2, kBlue), 64);

  // Nearly the full diagonal of the int range: near x = 0 the exact line runs at y = x - 2.5
  // and a hair below, so the pixels sit at y = x - 3. Step times slope exceeds 64 bits here.
  QImage diag = Blank(64, 64);
  {
    PlotCanvas c(diag);
    c.SetPen(kBlue);
    c.Line(INT_MIN, INT_MIN, INT_MAX, INT_MAX - 5);
  }
  for (int x = 3; x < 64; ++x) EXPECT_EQ(At(diag, x, x - 3), Rgb(kBlue)) << x;
  EXPECT_EQ(CountColour(diag, 0, 0, 64, 64, kBlue), 61);
}

TEST(PlotCanvasTest, ManyLinesToFarRowsCostNoMoreThanLinesToTheEdge) {
  // A walk outside the bitmap would take about 10^12 steps here; clipped it is instant.
  QImage img = Blank(512, 300);
  PlotCanvas c(img);
  c.SetPen(kBlue);
  for (int x = 0; x < 512; ++x) {
    c.Line(x, 299, x + 1, -2'000'000'000);
    c.Line(x, -2'000'000'000, x, 2'000'000'000);
  }
  EXPECT_EQ(CountColour(img, 0, 0, 512, 300, kBlue), 512 * 300);
}

TEST(PlotCanvasTest, TextsAreTransparentAndRightAlignedByTheirWidth) {
  QImage img(200, 40, QImage::Format_RGB32);
  FillBitmap(img, kBlue);
  int width = 0;
  {
    PlotCanvas c(img);
    width = c.TextWidth("  1000.0");
    EXPECT_GT(width, c.TextWidth("1000.0"));  // leading blanks take room too
    EXPECT_EQ(c.TextWidth(""), 0);
    c.TextRight(150, 10, "  1000.0", kAquaC);
  }
  int aqua = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) {
      const QRgb p = At(img, x, y);
      // Every pixel is either the old background or the text colour: no box, no smoothing.
      ASSERT_TRUE(p == Rgb(kBlue) || p == Rgb(kAquaC)) << x << "," << y;
      if (p == Rgb(kAquaC)) {
        ++aqua;
        EXPECT_GE(x, 150 - width);
        EXPECT_LT(x, 150);
        EXPECT_GE(y, 10);
      }
    }
  EXPECT_GT(aqua, 20);
  // The last digit ends just before the right edge.
  EXPECT_GT(CountColour(img, 150 - 8, 0, 150, 40, kAquaC), 0);
}

TEST(PlotCanvasTest, TextsFarOffTheBitmapAreSkipped) {
  QImage img = Blank(100, 50);
  {
    PlotCanvas c(img);
    c.Text(10, -1'000'000'018, "Fe", kAquaC);
    c.Text(10, 50, "Fe", kAquaC);
    c.Text(100, 10, "Fe", kAquaC);
    c.Text(-2'000'000'000, 10, "Fe", kAquaC);
  }
  EXPECT_EQ(CountColour(img, 0, 0, 100, 50, kAquaC), 0);
}

TEST(PlotCanvasTest, ThePlotFontIsTheApplicationsFont) {
  const QFont& f = PlotFont();
  EXPECT_EQ(f.family(), "DejaVu Sans");
  EXPECT_EQ(f.pixelSize(), 11);
  EXPECT_EQ(f.styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);
  EXPECT_EQ(QFontInfo(f).family(), "DejaVu Sans");  // installed, not substituted
}

}  // namespace
}  // namespace tavlex
