#include "display/Plot.h"

#include <cstring>

namespace tavlex {
namespace {

void Blit(const QImage& from, QImage& to, int x0, int y0) {
  for (int y = 0; y < from.height(); ++y) {
    const int ty = y0 + y;
    if (ty < 0 || ty >= to.height()) continue;
    const QRgb* src = reinterpret_cast<const QRgb*>(from.constScanLine(y));
    QRgb* dst = reinterpret_cast<QRgb*>(to.scanLine(ty));
    for (int x = 0; x < from.width(); ++x) {
      const int tx = x0 + x;
      if (tx >= 0 && tx < to.width()) dst[tx] = src[x];
    }
  }
}

}  // namespace

void CopyToPaintBox(AppState& s, MainWindowPort& window, unsigned parts) {
  if (!s.bitmapsAlive) return;
  if (parts & kCopyAxis) Blit(s.axisStrip, s.paintBox, s.plotLeft, s.axisTop);
  if (parts & kCopyPlot) Blit(s.plotBitmap, s.paintBox, s.plotLeft, s.plotTop);
  if (parts & kCopyScale) Blit(s.scaleStrip, s.paintBox, 0, 0);
  window.PaintBoxChanged();
}

// The drawing itself is still to come; these keep the call order of their callers.
void ShowLogScale(AppState& s, MainWindowPort& window, int) {
  s.logScale = 1;
  CopyToPaintBox(s, window);
}
void ShowLinearScale(AppState& s, MainWindowPort& window, int) {
  s.logScale = 0;
  CopyToPaintBox(s, window);
}
void DrawChannelAxis(AppState& s, MainWindowPort& window) { CopyToPaintBox(s, window, kCopyAxis); }
void PaintBox1Paint(AppState& s, MainWindowPort& window) { CopyToPaintBox(s, window); }
void DrawLivePreview(AppState& s, MainWindowPort& window) { CopyToPaintBox(s, window); }

}  // namespace tavlex
