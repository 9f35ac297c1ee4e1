// Line markers over the plot: a thin vertical line at each marked element's line in view, its
// label above, in the first of five rows with room for it, so that neighbouring labels stay
// readable.

#include <algorithm>

#include "analysis/LineMarkers.h"
#include "display/PlotColours.h"
#include "display/PlotLayers.h"

namespace tavlex {

void DrawLineMarkers(PlotCanvas& c, const AppState& s, const ViewMap& map) {
  if (s.markerCount == 0) return;
  MarkerLine lines[kMaxMarkerLines];
  const int n = MarkerLinesInView(s, lines, kMaxMarkerLines);
  // Left to right, so that each label row fills from the left.
  std::sort(lines, lines + n, [](const MarkerLine& a, const MarkerLine& b) { return a.channel < b.channel; });
  const int w = PlotColumns(s.plotBitmap), h = s.plotBitmap.height();
  // Yellow on the black plot; on the white page of a hard copy the header's text colour.
  const Colour colour = s.headerBackColour == kPaperWhite ? s.headerTextColour : kYellow;
  constexpr int kFirstLabelRow = 36, kLabelRowStep = 12, kRows = 5;
  int rowEnd[kRows] = {-1000, -1000, -1000, -1000, -1000};  // where each row's last label ends
  for (int i = 0; i < n; ++i) {
    const long long channel = static_cast<long long>(lines[i].channel + 0.5);
    const long long column = map.ColumnOf(channel);
    if (column < 0 || column >= w) continue;
    const int x = static_cast<int>(map.Expanded() ? column + map.pixelsPerChannel / 2 : column);
    const int width = c.TextWidth(lines[i].label);
    const int textX = x + 2 + width < w ? x + 2 : x - 2 - width;
    // The first row with room for the label, else the one whose last label ends first.
    int row = 0;
    while (row < kRows && rowEnd[row] >= textX) ++row;
    if (row == kRows) row = static_cast<int>(std::min_element(rowEnd, rowEnd + kRows) - rowEnd);
    rowEnd[row] = textX + width + 2;
    const int labelY = kFirstLabelRow + row * kLabelRowStep;
    c.SetPen(colour);
    c.Line(x, labelY + kLabelRowStep, x, h);
    c.Text(textX, labelY, lines[i].label, colour);
  }
}

}  // namespace tavlex
