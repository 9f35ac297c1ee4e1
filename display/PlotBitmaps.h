#pragma once
// Whole-bitmap copies and the two layouts of the plot bitmaps.

#include <QImage>

#include "app/AppState.h"

namespace tavlex {

// Copies `from` into `to` with its top-left corner at (x0, y0), clipped to `to`. Pixels are
// written through the scanlines, so neither image is shared or reallocated.
void Blit(const QImage& from, QImage& to, int x0, int y0);
inline void CopyBitmap(const QImage& from, QImage& to) {
  Blit(from, to, 0, 0);
}

// Paints the top two rows of an axis strip black.
void PaintTopRowsBlack(QImage& strip);

struct PlotLayout {
  int plotWidth, plotHeight, scaleWidth;
};
inline constexpr PlotLayout kNormalLayout = {512, 300, 18};
inline constexpr PlotLayout kLargeLayout = {1024, 600, 26};

// Gives the plot, scale and axis bitmaps (and the paint box) the sizes of one layout, clears
// the plot bitmaps from blackNormal or blackLarge, refills the strips with the button face and
// sets plotLeft, plotTop and axisTop. Nothing is drawn and nothing reaches the window.
void SetPlotLayout(AppState& s, bool large);

}  // namespace tavlex
