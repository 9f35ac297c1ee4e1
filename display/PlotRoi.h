#pragma once
// Regions of interest on the plot: their sums, the list at the right and the shading.

#include "app/AppState.h"
#include "display/PlotCanvas.h"
#include "display/PlotGeometry.h"

namespace tavlex {

// Regions listed, summed and shaded by the repaint; the live preview shades the first eight.
inline constexpr int kPlottedRois = 10;
inline constexpr int kPreviewRois = 8;

struct RoiSums {
  float gross = 0;
  float net = 0;
};

// Gross counts over low .. high - 1 and the net after the background from the three channels
// on each side. Channels outside 0 .. channelSize - 1 count as 0, so typed or stored channels
// beyond the spectrum never read outside the count array or stale counts past the memory size.
RoiSums SumRoi(const AppState& s, const RoiRecord& roi);

// The gross sum as stored in the table: truncated, and held at the int limits.
std::int32_t TruncateSum(float gross);

// Shades the columns of the region under columnTop and writes the two-letter peak label. Not
// drawn when the end column lies outside the plot.
void ShadeRoi(PlotCanvas& c, const AppState& s, const RoiRecord& roi, const ViewMap& map);

// Sums regions #0 to #9 that are on, lists them at the right and shades them.
void DrawRois(PlotCanvas& c, AppState& s, const ViewMap& map);

}  // namespace tavlex
