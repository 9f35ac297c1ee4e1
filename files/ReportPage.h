#pragma once
// The report page of the displayed spectrum, drawn on any QPainter page (printer, PDF, image),
// and the files the page and the window's hard copy are written to. The page is drawn turned:
// channels run down the page, counts to the right, so a portrait sheet turned a quarter turn
// anticlockwise reads as a landscape plot.

#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/AppState.h"

namespace tavlex {

// Page geometry in device pixels of a page W x H.
struct ReportGeometry {
  int left, top, plotW, plotH, T;
};
ReportGeometry ReportGeometryFor(int width, int height);

// The scaled value of a count: its distance from the frame's left edge. Six decades across the
// frame on the log scale; c x plotW / F on the linear one, in 64 bits so that no count
// overflows.
std::int64_t ReportScaledValue(std::int32_t count, bool logScale, int plotW,
                               std::int32_t fullScale);

// The channels row k of the trace shows, as offsets from viewStart, for a view of nCh channels on
// plotH rows. With at least as many channels as rows every channel lies in exactly one row (row k
// from k x nCh / plotH up to the next row's first); with fewer, each row shows one channel, so a
// channel spans several rows.
struct ReportRow {
  int first, last;
};
ReportRow ReportRowChannels(int k, int nCh, int plotH);
// The row, counted from the frame's top, where channel offset o of the view is drawn: the row
// that holds it, or its first row when it spans several. The ticks stand there.
int ReportChannelRow(int o, int nCh, int plotH);

// Channel-axis label and minor-tick steps for a view of nCh channels.
struct ChannelSteps {
  int label, minor;
};
ChannelSteps ReportChannelSteps(int nCh);

// The count-axis label i (1..5) of the linear scale with full-scale count F.
std::string ReportLinearLabel(int i, std::int32_t fullScale);

// The family of the report's fonts: "Tahoma" where installed, else the system's sans font.
QString ReportFontFamily();

// Draws the whole report page of the displayed spectrum on a page of `page` device pixels.
// Reads the state and changes nothing in it; `now` is the reporting date and time.
void DrawReportPage(QPainter& painter, QSize page, const AppState& s, const QDateTime& now);

// The window's image on a page: scaled to the page's width (or height, if that is tighter),
// keeping its proportions, at the top-left corner.
void DrawWindowCopy(QPainter& painter, QSize page, const QImage& window);

// Kinds of page file.
enum class PageFormat { Pdf, Png };
// The format a file name asks for: .png is an image, anything else a PDF.
PageFormat PageFormatFor(std::string_view path);

// Default image page: A4 at 300 dots per inch.
inline constexpr QSize kDefaultImagePage{2480, 3508};

// How a PDF viewer shows the page: as drawn, or turned a quarter turn anticlockwise (the report
// page, drawn turned on portrait paper, then reads as a landscape plot on screen).
enum class PageShown { AsDrawn, QuarterTurnAnticlockwise };

// Writes one page to `path` through the safe writer: a PDF of one A4 portrait page at 300 dots
// per inch, or a PNG of `imagePage` pixels on white. `draw` gets the painter and the page size
// in device pixels. Empty on success, else why nothing was written.
using PageDrawer = std::function<void(QPainter&, QSize)>;
std::string WritePageFile(std::string_view path, PageFormat format, QSize imagePage,
                          const PageDrawer& draw, std::span<const std::string_view> inputs = {},
                          PageShown shown = PageShown::AsDrawn);

}  // namespace tavlex
