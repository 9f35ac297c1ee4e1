// The plot turned dark on white for a hard copy, and back.

#include "display/Plot.h"
#include "display/PlotColours.h"

namespace tavlex {

void SetPlotPaper(AppState& s, MainWindowPort& window, bool white) {
  const Colour background = white ? kPaperWhite : kBlack;
  for (QImage* plot : {&s.plotBitmap, &s.plotBackground, &s.plotBlank})
    FillBitmap(*plot, background);
  s.headerBackColour = background;
  s.headerTextColour = white ? 0x000000 : 0xFFFFFF;
  ShowScaleAndRepaint(s, window);
}

}  // namespace tavlex
