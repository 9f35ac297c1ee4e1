#include "display/ViewCommands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "analysis/Calibration.h"
#include "analysis/LineMarkers.h"
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

int RoisFromLines(AppState& s, const double* channels, const char* const* labels, int count,
                  const double* fwhmChannels, int* made) {
  // Bright list colours in turn, so that neighbouring regions can be told apart.
  constexpr Colour kLineRoiColours[] = {0xFF0000, 0x0000FF, 0x00FF00, 0xFF00FF, 0x00FFFF, 0xFFFF00};
  int n = 0, next = 0;
  for (int k = 0; k < count; ++k) {
    while (next < kRoiCount && s.roiTable[next].defined != 0) ++next;
    if (next == kRoiCount) break;
    RoiSetting roi;
    roi.index = next;
    const double last = std::max(s.channelSize - 1, 0);
    roi.low = static_cast<int>(std::clamp(std::floor(channels[k] - fwhmChannels[k] + 0.5), 0.0, last));
    roi.high = static_cast<int>(std::clamp(std::floor(channels[k] + fwhmChannels[k] + 0.5) + 1, 1.0, last + 1));
    roi.label = labels[k];
    for (char& c : roi.label)
      if (c == ' ') c = '-';
    roi.colour = kLineRoiColours[n % std::size(kLineRoiColours)];
    SwitchRoiOn(s, roi);
    made[n++] = next;
  }
  return n;
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
