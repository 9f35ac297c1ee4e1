#include "display/ViewCommands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "analysis/Calibration.h"
#include "analysis/LineMarkers.h"
#include "analysis/XrayLines.h"
#include "app/Convert.h"
#include "display/Plot.h"
#include "display/ViewNav.h"

namespace tavlex {

void RefreshRangeLabels(AppState& s, MainWindowPort& window) {
  char text[32];
  std::snprintf(text, sizeof text, "%dch", s.viewStart);
  window.SetText(Field::Label1, text);
  std::snprintf(text, sizeof text, "%dch", s.viewEnd);
  window.SetText(Field::Label2, text);
  ShowCursorReadout(s, window);
}

void SwitchRoiOn(AppState& s, const RoiSetting& roi) {
  if (roi.index < 0 || roi.index >= kRoiCount) return;
  RoiRecord& r = s.roiTable[roi.index];
  r.low = roi.low;
  r.high = roi.high;
  CopyText(r.label, sizeof r.label, roi.label);
  r.colour = static_cast<std::int32_t>(roi.colour);
  r.defined = 1;
  r.shown = 1;
  s.currentRoi = roi.index;
}

bool RoisFromLines(AppState& s, const std::vector<LineForRoi>& lines, double noiseFwhmKeV,
                   LineRoisMade& made) {
  made = LineRoisMade{};
  double slope = 0, offset = 0;
  if (!CalibrationInKeV(s, slope, offset)) return false;
  // Bright list colours in turn, so that neighbouring regions can be told apart.
  constexpr Colour kLineRoiColours[] = {0xFF0000, 0x0000FF, 0x00FF00, 0xFF00FF, 0x00FFFF, 0xFFFF00};
  const double last = std::max(s.channelSize - 1, 0);
  int next = 0;
  for (const LineForRoi& line : lines) {
    const double channel = (line.keV - offset) / slope;
    if (!(channel >= 0 && channel <= last)) continue;
    while (next < kRoiCount && s.roiTable[next].defined != 0) ++next;
    if (next == kRoiCount) {
      ++made.noRoom;
      continue;
    }
    const double fwhm = SiliconDetectorFwhm(line.keV, noiseFwhmKeV) / slope;
    RoiSetting roi;
    roi.index = next;
    roi.low = static_cast<int>(std::clamp(std::floor(channel - fwhm + 0.5), 0.0, last));
    roi.high = static_cast<int>(std::clamp(std::floor(channel + fwhm + 0.5) + 1, 1.0, last + 1));
    roi.label = line.label;
    for (char& c : roi.label)
      if (c == ' ') c = '-';
    roi.colour = kLineRoiColours[made.count % std::size(kLineRoiColours)];
    SwitchRoiOn(s, roi);
    made.regions[made.count++] = next;
  }
  return true;
}

void ApplyViewSettings(AppState& s, MainWindowPort& window, const ViewSettings& view) {
  if (view.hasRange) {
    s.viewStart = view.start;
    s.viewEnd = view.end;
    RecentreCursor(s);
  }
  if (view.hasCursor) s.cursorChannel = view.cursor;
  RefreshRangeLabels(s, window);
  if (view.linearStep >= 1 && view.linearStep <= 22) {
    s.vfsIndex = view.linearStep;
    s.logScale = 0;
  } else {
    s.logScale = 1;
  }
  for (const RoiSetting& r : view.rois) SwitchRoiOn(s, r);
  if (view.hasMarkers) SetMarkers(s, view.markers);
  DrawChannelAxis(s, window);
  ShowScaleAndRepaint(s, window);
}

}  // namespace tavlex
