#include "display/PlotCanvas.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

#include "app/AppState.h"

namespace tavlex {

const QFont& PlotFont() {
  static const QFont font = [] {
    QFont f("DejaVu Sans");
    f.setPixelSize(11);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
  }();
  return font;
}

PlotCanvas::PlotCanvas(QImage& image)
    : image_(image),
      bits_(reinterpret_cast<QRgb*>(image.bits())),
      stride_(image.bytesPerLine() / static_cast<long long>(sizeof(QRgb))),
      width_(image.width()),
      height_(image.height()) {}

PlotCanvas::~PlotCanvas() {
  if (painter_) painter_->end();
}

QRgb PlotCanvas::ToPixel(Colour c) {
  return ToQRgb(c);
}

namespace {

// One pixel per step along the major axis: step i of n lands on minor offset
// round(i * minorDelta / n), halves rounded up. The end point (step n) is never painted.
struct Walk {
  long long major0, minor0;
  int majorStep, minorStep;
  long long n, minorDelta;
};

// First and last step whose major coordinate lies inside 0 .. limit - 1; empty when first > last.
void ClipSteps(const Walk& w, long long limit, long long& first, long long& last) {
  first = 0;
  last = w.n - 1;
  if (w.majorStep > 0) {
    first = std::max(first, -w.major0);
    last = std::min(last, limit - 1 - w.major0);
  } else {
    first = std::max(first, w.major0 - (limit - 1));
    last = std::min(last, w.major0);
  }
}

}  // namespace

void PlotCanvas::LineTo(int x, int y) {
  const long long x0 = penX_, y0 = penY_;
  penX_ = x;
  penY_ = y;
  const long long dx = x - x0, dy = y - y0;
  const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  if (adx == 0 && ady == 0) return;
  const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const bool xMajor = adx >= ady;
  const Walk w = xMajor ? Walk{x0, y0, sx, sy, adx, ady} : Walk{y0, x0, sy, sx, ady, adx};
  const long long minorLimit = xMajor ? height_ : width_;
  if (w.minorDelta == 0 && (w.minor0 < 0 || w.minor0 >= minorLimit)) return;

  long long first, last;
  ClipSteps(w, xMajor ? width_ : height_, first, last);
  if (first > last) return;

  // Start the error term at the first visible step. Steps and deltas may both approach 2^32
  // for lines to far-off rows, so the product takes 128 bits unless it is small.
  const long long twoN = 2 * w.n;
  long long offset, rem;
  if (first < (1LL << 30) && w.minorDelta < (1LL << 30)) {
    const long long num = 2 * first * w.minorDelta + w.n;
    offset = num / twoN;
    rem = num % twoN;
  } else {
    const __int128 num = static_cast<__int128>(2 * first) * w.minorDelta + w.n;
    offset = static_cast<long long>(num / twoN);
    rem = static_cast<long long>(num % twoN);
  }
  long long major = w.major0 + w.majorStep * first;
  for (long long i = first; i <= last; ++i) {
    const long long minor = w.minor0 + w.minorStep * offset;
    if (xMajor)
      Plot(major, minor);
    else
      Plot(minor, major);
    major += w.majorStep;
    rem += 2 * w.minorDelta;
    if (rem >= twoN) {
      rem -= twoN;
      ++offset;
    }
  }
}

namespace {
constexpr int kFarLeft = 1 << 20;
}  // namespace

QPainter& PlotCanvas::Painter() {
  if (!painter_) {
    painter_.emplace(&image_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, false);
    painter_->setBackgroundMode(Qt::TransparentMode);
    painter_->setFont(PlotFont());
  }
  return *painter_;
}

int PlotCanvas::TextWidth(std::string_view text) {
  const QString t = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  return Painter().fontMetrics().horizontalAdvance(t);
}

void PlotCanvas::Text(int x, int y, std::string_view text, Colour colour) {
  Draw(x, y, text, colour, false);
}

void PlotCanvas::TextRight(int right, int y, std::string_view text, Colour colour) {
  Draw(right, y, text, colour, true);
}

void PlotCanvas::Draw(int x, int y, std::string_view text, Colour colour, bool rightAligned) {
  if (text.empty()) return;
  QPainter& p = Painter();
  const QFontMetrics fm = p.fontMetrics();
  const QString t = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  if (rightAligned) x -= fm.horizontalAdvance(t);
  // Texts wholly outside the bitmap are skipped: a peak label over a column far above the top
  // would otherwise hand the text engine coordinates beyond its fixed-point range.
  if (y >= height_ || y + fm.height() <= 0 || x >= width_ || x < -kFarLeft) return;
  const QRgb rgb = ToPixel(colour);
  if (rgb != textPen_) {  // a new pen costs an allocation; most texts share one colour
    p.setPen(QColor::fromRgb(rgb));
    textPen_ = rgb;
  }
  p.drawText(x, y + fm.ascent(), t);
}

}  // namespace tavlex
