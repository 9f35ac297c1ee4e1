#pragma once
// The fixed colours of the plot, as 0x00BBGGRR values.

#include "app/Records.h"

namespace tavlex {

inline constexpr Colour kAqua = 0xFFFF00;    // header numbers, ROI sums, MCA snapshot
inline constexpr Colour kRed = 0x0000FF;     // acquisition marker, cursor tick, Mem1 snapshot
inline constexpr Colour kOlive = 0x008080;   // Mem2 snapshot
inline constexpr Colour kNavy = 0x800000;    // Mem3 snapshot
inline constexpr Colour kMaroon = 0x000080;  // grid lines
inline constexpr Colour kBlack = 0x000000;   // scale strip, axis ticks, decade labels
inline constexpr Colour kLime = 0x00FF00;    // the live preview's trace
inline constexpr Colour kYellow = 0x00FFFF;  // X-ray line markers
inline constexpr Colour kPaperWhite = 0xFFFFFF;  // the plot's background for a hard copy

// Snapshot overlays in drawing order: MCA first, then Mem1, Mem2, Mem3.
inline constexpr int kOverlayOrder[4] = {3, 0, 1, 2};
inline constexpr Colour kOverlayColour[4] = {kRed, kOlive, kNavy, kAqua};  // by overlay index

}  // namespace tavlex
