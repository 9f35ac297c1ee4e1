#pragma once
// Line markers: the X-ray lines of chosen elements where they fall in the displayed view, for the
// plot and the report page to draw, and the element list an operator types ("Fe, Cr Ni").

#include <string>
#include <string_view>
#include <vector>

#include "app/AppState.h"

namespace tavlex {

struct MarkerLine {
  double channel = 0;  // fractional, from the calibration
  char label[12] = {};  // "Fe Ka"
  double relative = 0;  // within its family
};

// Lines weaker than this share of their family's strongest are not marked, nor lines below
// the detector's floor (kDetectorFloorKeV).
inline constexpr double kMarkedLineShare = 0.05;
inline constexpr int kMaxMarkerLines = AppState::kMaxMarkers * 8;

// The marked elements' lines inside viewStart .. viewEnd, in the order of the elements and of
// their lines; none when the spectrum is not calibrated. Returns how many were written.
int MarkerLinesInView(const AppState& s, MarkerLine* out, int max);

// Element symbols separated by commas or blanks: true with their atomic numbers (each once, in
// the order given, at most AppState::kMaxMarkers), false with the first item that is no element
// of the X-ray data (Na to U) in `bad`. An empty list is good and empty.
bool ParseElementList(std::string_view text, std::vector<int>& z, std::string& bad);

// Sets the marked elements (at most AppState::kMaxMarkers are kept).
void SetMarkers(AppState& s, const std::vector<int>& z);

}  // namespace tavlex
