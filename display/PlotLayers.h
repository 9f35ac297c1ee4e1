#pragma once
// Pieces shared by the repaint and the live preview.

#include <string_view>

#include "app/AppState.h"
#include "display/PlotCanvas.h"
#include "display/PlotGeometry.h"

namespace tavlex {

// Columns of the plot that have row tables (all of them in both layouts).
int PlotColumns(const QImage& plot);

// The colour of the header band's numbers and the region sums: aqua on the black plot, the
// header's text colour on the white one of a hard copy, where aqua would hardly show on paper.
Colour HeaderNumberColour(const AppState& s);

// A number formatted into a stack buffer, ending at x = right. Returns where its field (the
// formatted text with its leading blanks) begins.
int NumberRight(PlotCanvas& c, int right, int y, const char* format, double value, Colour colour);

// A name or comment of the header band at (x, y), cut after its last character that ends before
// x = limit, where the next field begins.
void TextBefore(PlotCanvas& c, int x, int y, std::string_view text, int limit, Colour colour);

// The red tick above the top of the cursor's column; none on the first column or off the plot.
void DrawCursorTick(PlotCanvas& c, const AppState& s, const ViewMap& map, long long cursor);

// The marked elements' lines in view (AppState::markerZ); nothing at all with none marked.
void DrawLineMarkers(PlotCanvas& c, const AppState& s, const ViewMap& map);

}  // namespace tavlex
