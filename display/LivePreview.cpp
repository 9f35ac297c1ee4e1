// The preview of an SXFM scan: the analyser's own 256-point display trace, already scaled by
// the analyser, drawn in place of the spectrum with the scan's header values.

#include <algorithm>

#include "display/Plot.h"
#include "display/PlotBitmaps.h"
#include "display/PlotColours.h"
#include "display/PlotLayers.h"
#include "display/PlotRoi.h"
#include "display/VfsTable.h"

namespace tavlex {
namespace {

void PreviewColumns(AppState& s, const ViewMap& map, int w, int h) {
  const int width = map.Expanded() ? map.pixelsPerChannel : w / 256;
  for (int i = 0; i < 256; ++i) {
    int row = h - s.acqStatus.TracePoint(i) * h / 256;
    if (row >= h - 1) row = h - 1;
    for (int x = i * width; x < (i + 1) * width && x < w; ++x) s.columnTop[x] = row;
  }
}

void PreviewHeader(PlotCanvas& c, AppState& s) {
  const AcqStatus& st = s.acqStatus;
  const Colour number = HeaderNumberColour(s);
  NumberRight(c, 175, 5, "%8.1f", s.sxfmSetup.presetTime * 0.1, number);
  const int realField = NumberRight(c, 175, 18, "%8.1f", st.RealTime10ms() * 0.01, number);
  if (s.logScale == 0) c.Text(10, 18, VfsLabel(s.vfsIndex), s.headerTextColour);
  NumberRight(c, 375, 5, "%8.2f", s.countRate, number);
  NumberRight(c, 375, 18, "%8.2f", static_cast<double>(EventsSinceClear(s)) * 0.001, number);
  c.Text(50, 5, "* ACQ *", kRed);
  TextBefore(c, 50, 18, s.currentHeader.Comment().substr(0, 31), realField, kRed);
}

// Regions #0 to #7 on the analyser's own range, only when its view is compressed.
void PreviewRois(PlotCanvas& c, const AppState& s, int w) {
  const long long start = s.acqStatus.DisplayStart(), end = s.acqStatus.DisplayEnd();
  ViewMap map;
  map.start = start;
  map.channelsPerColumn = (end - start + 1) / w;
  if (map.channelsPerColumn <= 0) return;
  for (int i = 0; i < kPreviewRois; ++i)
    if (s.roiTable[i].shown == 1) ShadeRoi(c, s, s.roiTable[i], map);
}

}  // namespace

void DrawLivePreview(AppState& s, MainWindowPort& window) {
  if (!s.bitmapsAlive) return;
  const int w = PlotColumns(s.plotBitmap), h = s.plotBitmap.height();
  ViewMap map = MapView(s, w);
  PreviewColumns(s, map, w, h);
  CopyBitmap(s.plotBackground, s.plotBitmap);
  {
    PlotCanvas c(s.plotBitmap);
    PreviewHeader(c, s);
    PreviewRois(c, s, w);
    c.SetPen(kLime);
    c.MoveTo(0, h - 1);
    for (int x = 0; x < w; ++x) {
      c.LineTo(x, s.columnTop[x]);
      c.LineTo(x + 1, s.columnTop[x]);
    }
    map.start = s.acqStatus.DisplayStart();
    DrawCursorTick(c, s, map, s.acqStatus.Cursor());
  }
  CopyToPaintBox(s, window, kCopyAxis | kCopyPlot | kCopyScale);
}

}  // namespace tavlex
