// The plot turned dark on white for a hard copy, and back.

#include "display/Plot.h"

namespace tavlex {

void SetPlotPaper(AppState& s, MainWindowPort& window, bool white) {
  const Colour background = white ? 0xFFFFFF : 0x000000;
  for (QImage* plot : {&s.plotBitmap, &s.plotBackground, &s.plotBlank})
    FillBitmap(*plot, background);
  s.headerBackColour = background;
  s.headerTextColour = white ? 0x000000 : 0xFFFFFF;
  ShowScaleAndRepaint(s, window);
}

}  // namespace tavlex
