// The report page: trace, grid, frame, ticks, labels, information block, date and titles.

#include "files/ReportPage.h"

#include <QFontDatabase>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/LineMarkers.h"
#include "display/VfsTable.h"

namespace tavlex {
namespace {

constexpr Colour kGridGreen = 0x008000;

QColor ToQColor(Colour c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

int Trunc(double v) {
  return static_cast<int>(v);
}

template <typename... A>
QString Printf(const char* format, A... args) {
  char text[96];
  std::snprintf(text, sizeof text, format, args...);
  return QString::fromLatin1(text);
}

// The header's texts are Latin-1 bytes, cut at their first NUL.
QString Latin1(std::string_view bytes) {
  const auto nul = bytes.find('\0');
  if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

class Page {
 public:
  Page(QPainter& p, const ReportGeometry& g) : p_(p), g_(g) {
    const QString family = ReportFontFamily();
    scale_ = Font(family, g.T);
    title_ = Font(family, Trunc(1.5 * g.T));
  }

  void Pen(Colour c, int width = 1) {
    QPen pen(ToQColor(c));
    pen.setWidth(width);
    pen.setStyle(Qt::SolidLine);
    p_.setPen(pen);
  }
  // An axis-parallel line from (x0, y0) up to, not including, (x1, y1).
  void Segment(int x0, int y0, int x1, int y1) {
    if (x0 == x1 && y0 == y1) return;
    const int ex = x1 - (x1 > x0) + (x1 < x0);
    const int ey = y1 - (y1 > y0) + (y1 < y0);
    p_.drawLine(x0, y0, ex, ey);
  }
  // Text with its top-left corner at (x, y), turned by 270 degrees about that corner (reading
  // down the page) or upright.
  void Text(int x, int y, const QString& text, const QFont& font, bool turned) {
    p_.save();
    p_.setFont(font);
    p_.setPen(Qt::black);
    p_.translate(x, y);
    if (turned) p_.rotate(90);
    p_.drawText(0, QFontMetrics(font, p_.device()).ascent(), text);
    p_.restore();
  }
  void Scale(int x, int y, const QString& t) { Text(x, y, t, scale_, true); }
  void Title(int x, int y, const QString& t) { Text(x, y, t, title_, true); }
  void Intensity(int x, int y, const QString& t) { Text(x, y, t, title_, false); }

  QPainter& p_;
  const ReportGeometry& g_;

 private:
  // A font whose character cell (ascent + descent) is `pixels` high, as a font height is meant
  // on the page.
  static QFont Font(const QString& family, int pixels) {
    QFont f(family);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, pixels));
    const int cell = QFontMetrics(f).height();
    if (cell > pixels) f.setPixelSize(std::max(1, pixels * pixels / cell));
    return f;
  }
  QFont scale_, title_;
};

void DrawTrace(Page& page, const AppState& s, bool log, std::int32_t F, int pageWidth) {
  const ReportGeometry& g = page.g_;
  const int nCh = s.viewEnd - s.viewStart + 1;
  auto value = [&](int channel) {
    return ReportScaledValue(s.spectrumCounts[channel], log, g.plotW, F);
  };
  page.Pen(nCh >= g.plotH ? s.traceColour : 0x000000, 2);
  page.p_.setBrush(Qt::NoBrush);
  QPointF pen;  // where the previous row left the pen
  for (int k = 0; k < g.plotH; ++k) {
    const ReportRow row = ReportRowChannels(k, nCh, g.plotH);
    const int first = s.viewStart + row.first;
    if (first >= s.channelSize) break;
    std::int64_t v = value(first);
    const int last = std::min(s.viewStart + row.last, s.channelSize - 1);
    for (int c = first + 1; c <= last; ++c) v = std::max(v, value(c));
    // A count far beyond the full scale leaves the page at its right edge. Its row is drawn to
    // twice the page's width at most, which shows the same on the page and keeps coordinates
    // in a range every printer driver and PDF reader takes.
    const double x = static_cast<double>(std::min<std::int64_t>(g.left + v, 2 * pageWidth));
    if (k > 0) {
      const QPointF across(x, g.top + k), down(x, g.top + k + 1);
      page.p_.drawLine(pen, across);
      page.p_.drawLine(across, down);
      pen = down;
    } else {
      pen = QPointF(x, g.top);
    }
  }
}

void DrawGridFrameTicks(Page& page, bool log) {
  const ReportGeometry& g = page.g_;
  const int divisions = log ? 6 : 5;
  const int D = g.plotW / divisions;
  page.Pen(kGridGreen);
  for (int i = 0; i <= divisions; ++i)
    page.Segment(g.left + i * D + 1, g.top, g.left + i * D + 1, g.top + g.plotH);
  page.Pen(0x000000);
  page.p_.setBrush(Qt::NoBrush);
  page.Segment(g.left, g.top, g.left + g.plotW, g.top);
  page.Segment(g.left + g.plotW - 1, g.top, g.left + g.plotW - 1, g.top + g.plotH);
  page.Segment(g.left, g.top + g.plotH - 1, g.left + g.plotW, g.top + g.plotH - 1);
  page.Segment(g.left, g.top, g.left, g.top + g.plotH);
  auto tick = [&](int x) { page.Segment(x, g.top, x, g.top - g.T); };
  for (int i = 0; i < divisions; ++i) {
    const int base = g.left + i * D + 1;
    tick(base);
    if (log) {
      for (int n = 2; n <= 9; ++n) tick(base + Trunc(std::log10(n) * D + 0.5));
    } else {
      for (int n = 1; n <= 9; ++n) tick(base + n * D / 10);
    }
  }
  tick(g.left + divisions * D);
}

void DrawChannelTicks(Page& page, const AppState& s) {
  const ReportGeometry& g = page.g_;
  const int nCh = s.viewEnd - s.viewStart + 1;
  page.Pen(0x000000);
  page.Segment(g.left, g.top, g.left - g.T, g.top);
  page.Segment(g.left, g.top + g.plotH, g.left - g.T, g.top + g.plotH);
  auto rowOf = [&](int c) { return g.top + ReportChannelRow(c - s.viewStart, nCh, g.plotH); };
  const ChannelSteps steps = ReportChannelSteps(nCh);
  auto ticks = [&](int step, int end, bool label) {
    const int first = (s.viewStart / step + 1) * step;
    for (int j = 0; j < nCh / step; ++j) {
      const int c = first + j * step;
      const int y = rowOf(c);
      page.Segment(g.left, y, end, y);
      if (label) page.Scale(g.left - g.T, Trunc(y - 0.7 * g.T), Printf("%d", c));
    }
  };
  ticks(steps.minor, Trunc(g.left - 0.5 * g.T), false);
  ticks(steps.label, g.left - g.T, true);
}

void DrawLabels(Page& page, const AppState& s, bool log, std::int32_t F) {
  const ReportGeometry& g = page.g_;
  const int y = Trunc(g.top - 3.5 * g.T);
  if (log) {
    const int D = g.plotW / 6;
    for (int i = 0; i <= 6; ++i) page.Scale(g.left + g.T + i * D, y, Printf("10E+%02d", i));
  } else {
    const int D = g.plotW / 5;
    for (int i = 1; i <= 5; ++i)
      page.Scale(g.left + g.T + i * D, y, QString::fromStdString(ReportLinearLabel(i, F)));
  }
  page.Scale(g.left, g.top, Printf("%d", s.viewStart));
  page.Scale(g.left, g.top + g.plotH - 2 * g.T, Printf("%d", s.viewEnd));
}

// The marked elements' lines as the plot draws them, turned with the page: a thin line across
// the frame at the line's channel row, its label beside it at the high-count edge.
void DrawMarkers(Page& page, const AppState& s) {
  if (s.markerCount == 0) return;
  const ReportGeometry& g = page.g_;
  const int nCh = s.viewEnd - s.viewStart + 1;
  MarkerLine lines[kMaxMarkerLines];
  const int n = MarkerLinesInView(s, lines, kMaxMarkerLines);
  for (int i = 0; i < n; ++i) {
    const int c = static_cast<int>(lines[i].channel + 0.5);
    const int y = g.top + ReportChannelRow(c - s.viewStart, nCh, g.plotH);
    page.Pen(0x808080);
    page.Segment(g.left, y, g.left + g.plotW, y);
    page.Scale(g.left + g.plotW - (1 + i % 3) * g.T, y + g.T / 4, QString::fromLatin1(lines[i].label));
  }
}

void DrawInformation(Page& page, const AppState& s, const QDateTime& now) {
  const ReportGeometry& g = page.g_;
  const int labelY = Trunc(g.top + 0.8 * g.plotH);
  const int valueY = Trunc(g.top + 0.85 * g.plotH);
  const int right = g.left + g.plotW;
  const AcqDate d = s.currentHeader.Date();
  const struct {
    int x;
    const char* label;
    QString value;
  } rows[] = {
      {right - g.T, "File  Name: ", Latin1({s.dataFileName, sizeof s.dataFileName})},
      {Trunc(right - 2.5 * g.T), "Data Com.: ", Latin1(s.currentHeader.Comment())},
      {right - 4 * g.T, "Acq.  Date: ",
       Printf("%4d /%2d /%2d  %2d :%2d :%2d", d.year, d.month, d.day, d.hour, d.minute, d.second)},
      {Trunc(right - 5.5 * g.T), "Real  Time: ", Printf("%8.1f", s.realTime * 0.1)},
      {right - 7 * g.T, "Live  Time: ", Printf("%8.1f", s.liveTime * 0.1)},
      {Trunc(right - 8.5 * g.T), "Sample ID: ", Latin1(s.currentHeader.SampleId())},
  };
  for (const auto& r : rows) {
    page.Scale(r.x, labelY, QString::fromLatin1(r.label));
    page.Scale(r.x, valueY, r.value);
  }
  const QLocale locale = QLocale::system();
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QLatin1Char('t'));  // the zone, which the report has never shown
  const int x = Trunc(right + 1.1 * g.T);
  const double y = g.top + 0.05 * g.plotH;
  page.Scale(x, Trunc(y), QStringLiteral("Reporting Date: "));
  page.Scale(x, Trunc(y + 7 * g.T), locale.toString(now.date(), QLocale::ShortFormat).trimmed());
  page.Scale(x, Trunc(y + 12 * g.T), locale.toString(now.time(), timeFormat.trimmed()).trimmed());
}

void DrawTitles(Page& page) {
  const ReportGeometry& g = page.g_;
  const int y = Trunc(g.top + 0.4 * g.plotH);
  page.Title(g.left - 2 * g.T, y, QStringLiteral("E n e r g y  [  C h a n n e l  ]"));
  page.Title(Trunc(g.left + g.plotW + 1.7 * g.T), y, QStringLiteral("[  Orvanel  C o . ,]"));
  page.Intensity(Trunc(g.left + 0.4 * g.plotW), g.top - 7 * g.T,
                 QStringLiteral("I n t e n s i t y  [  C o u n t s  ]"));
}

}  // namespace

ReportGeometry ReportGeometryFor(int width, int height) {
  return {Trunc(0.07 * width), Trunc(0.1 * height), Trunc(0.85 * width), Trunc(0.85 * height),
          Trunc(0.01 * width)};
}

std::int64_t ReportScaledValue(std::int32_t count, bool logScale, int plotW,
                               std::int32_t fullScale) {
  if (logScale) {
    if (count <= 0) return 0;
    return static_cast<std::int64_t>(std::log10(static_cast<double>(count)) * (plotW / 6));
  }
  if (fullScale <= 0) return 0;
  return static_cast<std::int64_t>(count) * plotW / fullScale;
}

ReportRow ReportRowChannels(int k, int nCh, int plotH) {
  if (nCh >= plotH) {
    const auto firstOf = [&](long long row) { return static_cast<int>(row * nCh / plotH); };
    return {firstOf(k), firstOf(k + 1LL) - 1};
  }
  const float rowsPerChannel = static_cast<float>(plotH) / static_cast<float>(nCh);
  const int channel = Trunc(static_cast<float>(k) / rowsPerChannel);
  return {channel, channel};
}

int ReportChannelRow(int o, int nCh, int plotH) {
  if (nCh >= plotH) return static_cast<int>(((o + 1LL) * plotH - 1) / nCh);
  const float rowsPerChannel = static_cast<float>(plotH) / static_cast<float>(nCh);
  return Trunc(static_cast<float>(o) * rowsPerChannel);
}

ChannelSteps ReportChannelSteps(int nCh) {
  if (nCh > 4000) return {500, 100};
  if (nCh > 2000) return {250, 50};
  if (nCh > 1000) return {100, 20};
  if (nCh > 500) return {50, 10};
  // 201 to 500, and the short views below them, which the table leaves without a step.
  return {10, 10};
}

std::string ReportLinearLabel(int i, std::int32_t fullScale) {
  char text[32];
  if (fullScale < 5000)
    std::snprintf(text, sizeof text, "%d", i * fullScale / 5);
  else
    std::snprintf(text, sizeof text, "%d k", i * (fullScale / 1000) / 5);
  return text;
}

QString ReportFontFamily() {
  static const QString family = [] {
    // Tahoma, else the sans fonts closest to its narrow letters, else what the system offers.
    for (const char* name : {"Tahoma", "Verdana", "Liberation Sans", "Arial", "Nimbus Sans",
                             "Helvetica", "DejaVu Sans"})
      if (QFontDatabase::hasFamily(QString::fromLatin1(name))) return QString::fromLatin1(name);
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  }();
  return family;
}

void DrawReportPage(QPainter& painter, QSize page, const AppState& s, const QDateTime& now) {
  const ReportGeometry g = ReportGeometryFor(page.width(), page.height());
  if (g.plotW < 6 || g.plotH < 1 || s.viewEnd < s.viewStart) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.setBackgroundMode(Qt::TransparentMode);
  const bool log = s.logScale != 0;
  const std::int32_t F = VfsFullScale(s.vfsIndex);
  Page p(painter, g);
  DrawTrace(p, s, log, F, page.width());
  DrawGridFrameTicks(p, log);
  DrawChannelTicks(p, s);
  DrawMarkers(p, s);
  DrawLabels(p, s, log, F);
  DrawInformation(p, s, now);
  DrawTitles(p);
  painter.restore();
}

void DrawWindowCopy(QPainter& painter, QSize page, const QImage& window) {
  if (window.isNull() || page.isEmpty()) return;
  const QSize fitted = window.size().scaled(page, Qt::KeepAspectRatio);
  painter.drawImage(QRect(QPoint(0, 0), fitted), window);
}

}  // namespace tavlex
