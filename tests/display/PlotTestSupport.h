#pragma once
// A started program state for the plot tests, and pixel look-ups by colour.

#include <initializer_list>
#include <memory>

#include "app/AppState.h"
#include "app/MainWindowPort.h"
#include "display/Plot.h"
#include "display/PlotCanvas.h"

namespace tavlex::testing {

struct Started {
  std::unique_ptr<AppState> s = std::make_unique<AppState>();
  HeadlessWindow window;
  Started() {
    ConstructState(*s, window);
    ShowLogScale(*s, window);
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

// A text the repaint should draw: left-aligned at (x, y), or right-aligned to x.
struct ExpectedText {
  int x, y;
  const char* text;
  Colour colour;
  bool right = true;
};

// The plot background with the expected texts drawn at their places by the canvas's own text
// routine: a rectangle of the repainted plot that holds only texts must equal it pixel for pixel.
inline QImage BackgroundWithTexts(const AppState& s, std::initializer_list<ExpectedText> texts) {
  QImage img = s.plotBackground.copy();
  {
    PlotCanvas c(img);
    for (const ExpectedText& t : texts) {
      if (t.right)
        c.TextRight(t.x, t.y, t.text, t.colour);
      else
        c.Text(t.x, t.y, t.text, t.colour);
    }
  }
  return img;
}

// Pixels that differ between two images within [x0, x1) x [y0, y1).
inline int Differences(const QImage& a, const QImage& b, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += At(a, x, y) != At(b, x, y);
  return n;
}

}  // namespace tavlex::testing
