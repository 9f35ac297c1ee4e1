// The layout change: new bitmap sizes, then the strips and the background drawn afresh.

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
  if (s.logScale == 1)
    ShowLogScale(s, window, 1);
  else
    ShowLinearScale(s, window, 1);
  CopyToPaintBox(s, window, kCopyScale);
  CopyToPaintBox(s, window, kCopyAxis);
  CopyToPaintBox(s, window, kCopyPlot);
}

void ApplyPlotLayout(AppState& s, MainWindowPort& window, bool large) {
  SetPlotLayout(s, large);
  RedrawPlotStrips(s, window);
}

}  // namespace tavlex
