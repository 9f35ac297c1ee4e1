#pragma once
// Setting the view from outside the window's own controls (the command line's render options):
// the range, the cursor, the vertical scale and switched-on regions, each with the same effects
// and redraws as the window's view and region commands.

#include <string>
#include <vector>

#include "analysis/Calibration.h"
#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex {

struct RoiSetting {
  int index = 0;
  int low = 0, high = 0;
  std::string label = "Xx-NN";
  Colour colour = 0xFF0000;
};

struct ViewSettings {
  bool hasRange = false;
  int start = 0, end = 0;
  bool hasCursor = false;
  int cursor = 0;
  int linearStep = 0;  // 1..22 = that linear full-scale step; 0 = logarithmic
  std::vector<RoiSetting> rois;
  bool hasMarkers = false;
  std::vector<int> markers;  // elements whose lines are marked (atomic numbers)
};

// Writes the range labels: Label1 and Label2 from the view range, and the cursor readout.
void RefreshRangeLabels(AppState& s, MainWindowPort& window);
// A region switched on with these bounds, label (cut to 7 characters) and colour.
void SwitchRoiOn(AppState& s, const RoiSetting& roi);
// Regions of interest from X-ray lines: each line (energy, label such as "Fe Ka") inside the
// spectrum becomes the next region never switched on, from its channel - FWHM to + FWHM (the
// detector's width for the given noise), labelled "Fe-Ka", switched on. False, and nothing
// made, when the spectrum is not calibrated.
struct LineForRoi {
  double keV = 0;
  std::string label;
};
struct LineRoisMade {
  int count = 0;
  int regions[kRoiCount] = {};  // the regions made, in the lines' order
  int noRoom = 0;               // lines left out: no region was free
};
bool RoisFromLines(AppState& s, const std::vector<LineForRoi>& lines, double noiseFwhmKeV,
                   LineRoisMade& made);
// Applies the settings, then redraws axis, scale and background and repaints the spectrum.
void ApplyViewSettings(AppState& s, MainWindowPort& window, const ViewSettings& view);

}  // namespace tavlex
