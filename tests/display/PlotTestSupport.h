#pragma once
// A started program state for the plot tests, and pixel look-ups by colour.

#include <memory>

#include "app/AppState.h"
#include "app/MainWindowPort.h"
#include "display/Plot.h"

namespace tavlex::testing {

struct Started {
  std::unique_ptr<AppState> s = std::make_unique<AppState>();
  HeadlessWindow window;
  Started() {
    ConstructState(*s, window);
    ShowLogScale(*s, window, 1);
  }
  AppState& operator*() { return *s; }
  AppState* operator->() { return s.get(); }
};

inline QRgb Rgb(Colour c) {
  return ToQRgb(c) & 0xFFFFFF;
}
inline QRgb At(const QImage& img, int x, int y) {
  return img.pixel(x, y) & 0xFFFFFF;
}
// A pixel of the plot as composed into the paint box.
inline QRgb PlotAt(const AppState& s, int x, int y) {
  return At(s.paintBox, s.plotLeft + x, s.plotTop + y);
}

// Pixels of one colour inside a rectangle of an image (clipped to it).
inline int CountColour(const QImage& img, int x0, int y0, int x1, int y1, Colour c) {
  int n = 0;
  for (int y = std::max(0, y0); y < std::min(img.height(), y1); ++y)
    for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x) n += At(img, x, y) == Rgb(c);
  return n;
}

// Rows of one column painted in a colour, top to bottom.
inline int TopmostInColumn(const QImage& img, int x, Colour c) {
  for (int y = 0; y < img.height(); ++y)
    if (At(img, x, y) == Rgb(c)) return y;
  return -1;
}

}  // namespace tavlex::testing
