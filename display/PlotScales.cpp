// The vertical scale strip, the grid and captions of the background, and the channel axis.

#include <algorithm>
#include <cmath>

#include "display/Plot.h"
#include "display/PlotBitmaps.h"
#include "display/PlotCanvas.h"
#include "display/PlotColours.h"

namespace tavlex {
namespace {

// Eight or nine short ticks of one decade or division, at offsets from the strip's bottom.
void StripTick(PlotCanvas& c, int offset) {
  const int y = c.Height() - offset;
  c.Line(4, y, 15, y);
}

void StripLine(PlotCanvas& c, int offset) {
  const int y = c.Height() - offset;
  c.Line(0, y, c.Width(), y);
}

void DrawLogStrip(AppState& s) {
  CopyBitmap(s.scaleBlank, s.scaleStrip);
  PlotCanvas c(s.scaleStrip);
  c.SetPen(kBlack);
  const int d = s.plotBitmap.height() / 6;
  int previousNine = 0;
  char label[3] = {'e', '0', '\0'};
  for (int k = 0; k <= 5; ++k) {
    const int base = k * d + 1;
    StripLine(c, base);
    label[1] = static_cast<char>('0' + k);
    c.Text(1, c.Height() - previousNine - 13, label, kBlack);
    for (int m = 2; m <= 9; ++m) {
      previousNine = static_cast<int>(std::log10(m) * d + 0.5) + base;
      StripTick(c, previousNine);
    }
  }
  StripLine(c, 6 * d);
}

void DrawLinearStrip(AppState& s) {
  CopyBitmap(s.scaleBlank, s.scaleStrip);
  PlotCanvas c(s.scaleStrip);
  c.SetPen(kBlack);
  const int d = s.plotBitmap.height() / 5;
  for (int k = 0; k <= 4; ++k) {
    StripLine(c, k * d + 1);
    for (int i = 1; i <= 9; ++i) StripTick(c, static_cast<int>(i * d / 10.0 + 0.5) + k * d + 1);
  }
  StripLine(c, 5 * d);
}

void DrawCaptions(PlotCanvas& c, Colour colour, bool logarithmic) {
  c.Text(180, 4, "sec.PT", colour);
  c.Text(180, 17, "sec.RT", colour);
  c.Text(280, 4, "DT( % )", colour);
  c.Text(280, 17, "sec.LT", colour);
  c.Text(380, 5, "kcps", colour);
  c.Text(380, 18, "kcts", colour);
  c.Text(10, 5, "VFS", colour);
  if (logarithmic) c.Text(10, 18, "Log", colour);
}

// Blank background, `lines` maroon grid lines `d` apart from the bottom, and the captions.
void DrawBackground(AppState& s, int d, int lines, bool logarithmic) {
  CopyBitmap(s.plotBlank, s.plotBackground);
  {
    PlotCanvas c(s.plotBackground);
    c.SetPen(kMaroon);
    const int h = c.Height();
    for (int k = 0; k < lines; ++k) c.Line(0, h - (k * d + 1), c.Width(), h - (k * d + 1));
    DrawCaptions(c, s.headerTextColour, logarithmic);
  }
  CopyBitmap(s.plotBackground, s.plotBitmap);
}

void ShowScale(AppState& s, MainWindowPort& window, bool logarithmic) {
  if (!s.bitmapsAlive) return;
  s.logScale = logarithmic ? 1 : 0;
  DrawChannelAxis(s, window);
  const int h = s.plotBitmap.height();
  if (logarithmic) {
    DrawLogStrip(s);
    DrawBackground(s, h / 6, 7, true);
  } else {
    DrawLinearStrip(s);
    DrawBackground(s, h / 5, 6, false);
  }
  CopyToPaintBox(s, window, kCopyPlot | kCopyScale | kCopyAxis);
}

// Tick unit: the first of 10, 50, 100, 200 that keeps the number of ticks readable.
void ChooseTicks(long long span, int& unit, long long& count) {
  unit = 10;
  count = span / 10;
  if (count > 25) unit = 50, count = span / 50;
  if (count > 10) unit = 100, count = span / 100;
  if (count > 10) unit = 200, count = span / 200;
}

}  // namespace

void ShowLogScale(AppState& s, MainWindowPort& window) {
  ShowScale(s, window, true);
}

void ShowLinearScale(AppState& s, MainWindowPort& window) {
  ShowScale(s, window, false);
}

void ShowScaleAndRepaint(AppState& s, MainWindowPort& window) {
  ShowScale(s, window, s.logScale == 1);
  PaintBox1Paint(s, window);
}

void DrawChannelAxis(AppState& s, MainWindowPort& window) {
  if (!s.bitmapsAlive) return;
  CopyBitmap(s.axisBlank, s.axisStrip);
  const long long span = static_cast<long long>(s.viewEnd) - s.viewStart;
  // A view of a single channel (or a reversed one) has no scale to tick.
  if (span > 0) {
    PlotCanvas c(s.axisStrip);
    c.SetPen(kBlack);
    const long long wa = c.Width();
    int d;
    long long n;
    ChooseTicks(span, d, n);
    // Only nonsensical views reach more ticks than columns; they would all overlap anyway.
    n = std::min(n, wa);
    const long long r = s.viewStart % d;
    for (long long i = 0; i <= n; ++i) {
      const long long x = (r + d * i) * wa / span;
      const int xi = static_cast<int>(std::clamp(x, -wa, 2 * wa));
      c.Line(xi, 0, xi, 18);
      if (d <= 10) continue;
      for (int j = 1; j <= 9; ++j) {
        const int xm = xi + static_cast<int>((j * wa * d / span) * 0.1 + 0.5);
        c.Line(xm, 0, xm, 10);
      }
    }
  }
  CopyToPaintBox(s, window, kCopyAxis);
}

}  // namespace tavlex
