#pragma once
// Pieces shared by the repaint and the live preview.

#include "app/AppState.h"
#include "display/PlotCanvas.h"
#include "display/PlotGeometry.h"

namespace tavlex {

// Columns of the plot that have row tables (all of them in both layouts).
int PlotColumns(const QImage& plot);

// A number formatted into a stack buffer, in aqua, ending at x = right.
void NumberRight(PlotCanvas& c, int right, int y, const char* format, double value);

// The red tick above the top of the cursor's column; none on the first column or off the plot.
void DrawCursorTick(PlotCanvas& c, const AppState& s, const ViewMap& map, long long cursor);

}  // namespace tavlex
