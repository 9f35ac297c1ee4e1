// Line markers over the plot: a thin vertical line at each marked element's line in view, its
// label above, on one of three staggered rows so that neighbouring labels stay readable.

#include "analysis/LineMarkers.h"
#include "display/PlotColours.h"
#include "display/PlotLayers.h"

namespace tavlex {

void DrawLineMarkers(PlotCanvas& c, const AppState& s, const ViewMap& map) {
  if (s.markerCount == 0) return;
  MarkerLine lines[kMaxMarkerLines];
  const int n = MarkerLinesInView(s, lines, kMaxMarkerLines);
  const int w = PlotColumns(s.plotBitmap), h = s.plotBitmap.height();
  // Yellow on the black plot; on the white page of a hard copy the header's text colour.
  const Colour colour = s.headerBackColour == kPaperWhite ? s.headerTextColour : kYellow;
  constexpr int kFirstLabelRow = 36, kLabelRowStep = 12;
  for (int i = 0; i < n; ++i) {
    const long long channel = static_cast<long long>(lines[i].channel + 0.5);
    const long long column = map.ColumnOf(channel);
    if (column < 0 || column >= w) continue;
    const int x = static_cast<int>(map.Expanded() ? column + map.pixelsPerChannel / 2 : column);
    const int labelY = kFirstLabelRow + (i % 3) * kLabelRowStep;
    c.SetPen(colour);
    c.Line(x, labelY + kLabelRowStep, x, h);
    const int textX = x + 2 + c.TextWidth(lines[i].label) < w ? x + 2 : x - 2 - c.TextWidth(lines[i].label);
    c.Text(textX, labelY, lines[i].label, colour);
  }
}

}  // namespace tavlex
