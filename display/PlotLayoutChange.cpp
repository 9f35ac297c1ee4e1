// The layout change: new bitmap sizes, then the strips, the background and the plot drawn afresh.

#include "display/Plot.h"
#include "display/PlotBitmaps.h"

namespace tavlex {

void RedrawPlotStrips(AppState& s, MainWindowPort& window) {
  if (!s.bitmapsAlive) return;
  for (QImage* strip : {&s.scaleBlank, &s.scaleStrip}) FillBitmap(*strip, kButtonFace);
  for (QImage* strip : {&s.axisBlank, &s.axisStrip}) {
    FillBitmap(*strip, kButtonFace);
    PaintTopRowsBlack(*strip);
  }
  ShowScaleAndRepaint(s, window);
}

void ApplyPlotLayout(AppState& s, MainWindowPort& window, bool large) {
  SetPlotLayout(s, large);
  RedrawPlotStrips(s, window);
}

}  // namespace tavlex
