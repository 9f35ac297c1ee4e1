#pragma once
// Drawing into one off-screen bitmap: pen lines that leave their end point unpainted, and texts
// with a transparent background in the plot's font. Lines write straight into the scanlines;
// only texts go through a QPainter, opened on the first text and closed with the canvas.

#include <QImage>
#include <QPainter>
#include <optional>
#include <string_view>

#include "app/Records.h"

namespace tavlex {

// The font of every plot text, the same as the application's own.
const QFont& PlotFont();

class PlotCanvas {
 public:
  explicit PlotCanvas(QImage& image);
  ~PlotCanvas();
  PlotCanvas(const PlotCanvas&) = delete;
  PlotCanvas& operator=(const PlotCanvas&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }

  void SetPen(Colour colour) { pen_ = ToPixel(colour); }
  void MoveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
  }
  // Paints from the pen position up to, but not including, (x, y); the pen then stands there.
  // Clipped to the bitmap arithmetically, so the cost is bounded by the bitmap's size.
  void LineTo(int x, int y);
  void Line(int x0, int y0, int x1, int y1) {
    MoveTo(x0, y0);
    LineTo(x1, y1);
  }

  // Text with its top-left corner at (x, y).
  void Text(int x, int y, std::string_view text, Colour colour);
  // Text ending at x = right, placed by its measured width.
  void TextRight(int right, int y, std::string_view text, Colour colour);
  int TextWidth(std::string_view text);

 private:
  static QRgb ToPixel(Colour c);
  QPainter& Painter();
  void Draw(int x, int y, std::string_view text, Colour colour, bool rightAligned);
  void Plot(long long x, long long y) {
    if (x >= 0 && x < width_ && y >= 0 && y < height_) bits_[y * stride_ + x] = pen_;
  }

  QImage& image_;
  QRgb* bits_;
  long long stride_;
  int width_, height_;
  QRgb pen_ = 0xFF000000;
  QRgb textPen_ = 0;  // never a pixel value, which always has full alpha
  int penX_ = 0, penY_ = 0;
  std::optional<QPainter> painter_;
};

}  // namespace tavlex
