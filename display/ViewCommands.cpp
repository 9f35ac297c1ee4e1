#include "display/ViewCommands.h"

#include <cstdio>

#include "analysis/Calibration.h"
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
  DrawChannelAxis(s, window);
  ShowScaleAndRepaint(s, window);
}

}  // namespace tavlex
