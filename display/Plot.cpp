#include "display/Plot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/PlotBitmaps.h"
#include "display/PlotCanvas.h"
#include "display/PlotColours.h"
#include "display/PlotGeometry.h"
#include "display/PlotLayers.h"
#include "display/PlotRoi.h"
#include "display/VfsTable.h"

namespace tavlex {

void CopyToPaintBox(AppState& s, MainWindowPort& window, unsigned parts) {
  if (!s.bitmapsAlive) return;
  if (parts & kCopyAxis) Blit(s.axisStrip, s.paintBox, s.plotLeft, s.axisTop);
  if (parts & kCopyPlot) Blit(s.plotBitmap, s.paintBox, s.plotLeft, s.plotTop);
  if (parts & kCopyScale) Blit(s.scaleStrip, s.paintBox, 0, 0);
  window.PaintBoxChanged();
}

Colour HeaderNumberColour(const AppState& s) {
  return s.headerBackColour == kPaperWhite ? s.headerTextColour : kAqua;
}

int NumberRight(PlotCanvas& c, int right, int y, const char* format, double value, Colour colour) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  c.TextRight(right, y, text, colour);
  return right - c.TextWidth(text);
}

void TextBefore(PlotCanvas& c, int x, int y, std::string_view text, int limit, Colour colour) {
  // The longest start of the text that fits, by halving: names run to 255 characters.
  std::size_t fits = 0, over = text.size() + 1;
  while (over - fits > 1) {
    const std::size_t mid = (fits + over) / 2;
    if (x + c.TextWidth(text.substr(0, mid)) <= limit)
      fits = mid;
    else
      over = mid;
  }
  c.Text(x, y, text.substr(0, fits), colour);
}

int PlotColumns(const QImage& plot) {
  return std::min(plot.width(), kMaxChannels);
}

void DrawCursorTick(PlotCanvas& c, const AppState& s, const ViewMap& map, long long cursor) {
  const long long cx = map.ColumnOf(cursor);
  if (cx <= 0 || cx >= PlotColumns(s.plotBitmap)) return;
  const int x = static_cast<int>(map.Expanded() ? cx + map.pixelsPerChannel / 2 : cx);
  const int top = s.columnTop[cx];
  c.SetPen(kRed);
  c.Line(x, top - 25, x, top);
}

namespace {

std::string_view FixedText(const char* text, std::size_t slot) {
  return {text, strnlen(text, slot)};
}

// The cursor count under the plot, and the numbers and names of the header band.
void DrawHeader(PlotCanvas& c, AppState& s, MainWindowPort& window) {
  char count[16];
  std::snprintf(count, sizeof count, "%d", CountAt(s, s.cursorChannel));
  window.SetText(Field::Label7, count);

  const Colour number = HeaderNumberColour(s);
  const int presetField = NumberRight(c, 175, 5, "%8.1f", s.presetTime * 0.1, number);
  const int realField = NumberRight(c, 175, 18, "%8.1f", s.realTime * 0.1, number);
  NumberRight(c, 275, 5, "%8.1f", s.deadTime * 0.1, number);
  NumberRight(c, 275, 18, "%8.1f", s.liveTime * 0.1, number);
  if (s.acquiring == 0) s.countRate = 0;
  if (s.logScale == 0) c.Text(10, 18, VfsLabel(s.vfsIndex), s.headerTextColour);
  NumberRight(c, 375, 5, "%8.2f", s.countRate, number);
  NumberRight(c, 375, 18, "%8.2f", static_cast<double>(EventsSinceClear(s)) * 0.001, number);
  if (s.acquiring == 1)
    c.Text(50, 5, "  * ACQ *", kRed);
  else
    TextBefore(c, 50, 5, FixedText(s.dataFileName, sizeof s.dataFileName), presetField,
               s.headerTextColour);
  // The file keeps the whole comment; the band shows what fits before the real time.
  TextBefore(c, 50, 18, s.currentHeader.Comment().substr(0, 31), realField, s.headerTextColour);
}

// Min-max bars joined at their bottoms when columns hold several channels, otherwise a
// histogram outline one column wide per step.
void DrawTrace(PlotCanvas& c, const AppState& s, const ViewMap& map) {
  const int w = PlotColumns(s.plotBitmap);
  c.SetPen(s.traceColour);
  c.MoveTo(0, s.columnBottom[0]);
  for (int x = 0; x < w; ++x) {
    c.LineTo(x, s.columnBottom[x]);
    if (map.channelsPerColumn > 1) {
      c.LineTo(x, s.columnTop[x]);
      c.MoveTo(x, s.columnBottom[x]);
    } else {
      c.LineTo(x + 1, s.columnTop[x]);
    }
  }
}

void DrawOverlay(PlotCanvas& c, const AppState& s, const ViewMap& map, int k) {
  const std::int32_t* top = s.overlayTop[k];
  const std::int32_t* bottom = s.overlayBottom[k];
  c.SetPen(kOverlayColour[k]);
  c.MoveTo(0, bottom[0]);
  for (int x = 0; x < PlotColumns(s.plotBitmap); ++x) {
    c.LineTo(x, bottom[x]);
    if (!map.Expanded()) {
      if (k == 3) c.MoveTo(x, bottom[x]);
      c.LineTo(x, top[x]);
    } else {
      c.LineTo(x + 1, top[x]);
    }
  }
}

}  // namespace

void PaintBox1Paint(AppState& s, MainWindowPort& window) {
  if (ShowsLivePreview(s))
    DrawLivePreview(s, window);
  else
    DrawSpectrum(s, window);
}

void DrawSpectrum(AppState& s, MainWindowPort& window) {
  if (!s.bitmapsAlive) return;
  const int w = s.plotBitmap.width(), h = s.plotBitmap.height();
  const ViewMap map = MapView(s, w);
  ComputeColumns(s, map, w, h);
  CopyBitmap(s.plotBackground, s.plotBitmap);
  {
    PlotCanvas c(s.plotBitmap);
    DrawHeader(c, s, window);
    DrawRois(c, s, map);
    DrawTrace(c, s, map);
    for (int k : kOverlayOrder)
      if (s.overlayShown[k] == 1) DrawOverlay(c, s, map, k);
    DrawLineMarkers(c, s, map);
    DrawCursorTick(c, s, map, s.cursorChannel);
  }
  CopyToPaintBox(s, window, kCopyAxis | kCopyPlot | kCopyScale);
}

}  // namespace tavlex
