#include "display/PlotBitmaps.h"

#include <algorithm>
#include <cstring>

namespace tavlex {

void Blit(const QImage& from, QImage& to, int x0, int y0) {
  const int left = std::max(0, x0), right = std::min(to.width(), x0 + from.width());
  const int top = std::max(0, y0), bottom = std::min(to.height(), y0 + from.height());
  if (left >= right || top >= bottom) return;
  const std::size_t rowBytes = sizeof(QRgb) * static_cast<std::size_t>(right - left);
  for (int y = top; y < bottom; ++y) {
    const QRgb* src = reinterpret_cast<const QRgb*>(from.constScanLine(y - y0)) + (left - x0);
    QRgb* dst = reinterpret_cast<QRgb*>(to.scanLine(y)) + left;
    std::memcpy(dst, src, rowBytes);
  }
}

void PaintTopRowsBlack(QImage& strip) {
  const QRgb black = ToQRgb(0x000000);
  for (int y = 0; y < 2 && y < strip.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
    std::fill(line, line + strip.width(), black);
  }
}

namespace {

void Resize(QImage& image, int w, int h) {
  if (image.width() != w || image.height() != h) image = QImage(w, h, QImage::Format_RGB32);
}

}  // namespace

void SetPlotLayout(AppState& s, bool large) {
  if (!s.bitmapsAlive) return;
  const PlotLayout l = large ? kLargeLayout : kNormalLayout;
  const QImage& black = large ? s.blackLarge : s.blackNormal;
  for (QImage* plot : {&s.plotBitmap, &s.plotBackground, &s.plotBlank}) {
    Resize(*plot, l.plotWidth, l.plotHeight);
    CopyBitmap(black, *plot);
  }
  for (QImage* strip : {&s.scaleBlank, &s.scaleStrip}) {
    Resize(*strip, l.scaleWidth, l.plotHeight);
    FillBitmap(*strip, kButtonFace);
  }
  for (QImage* strip : {&s.axisBlank, &s.axisStrip}) {
    Resize(*strip, l.plotWidth, 20);
    FillBitmap(*strip, kButtonFace);
    PaintTopRowsBlack(*strip);
  }
  Resize(s.paintBox, l.scaleWidth + l.plotWidth, l.plotHeight + 20);
  FillBitmap(s.paintBox, kButtonFace);
  s.plotLeft = l.scaleWidth;
  s.plotTop = 0;
  s.axisTop = l.plotHeight;
}

}  // namespace tavlex
