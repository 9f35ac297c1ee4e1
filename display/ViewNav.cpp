#include "display/ViewNav.h"

#include <algorithm>
#include <iterator>

#include "display/Plot.h"
#include "display/PlotBitmaps.h"
#include "display/PlotGeometry.h"
#include "display/VfsTable.h"
#include "display/ViewCommands.h"

namespace tavlex {
namespace {

int Span(ViewRange v) {
  return std::max(v.end - v.start + 1, 1);
}

// Moves a range that runs past the last channel back inside, keeping its length where the
// memory holds it.
ViewRange EndAtLast(ViewRange v, int n, int channelSize) {
  if (v.end >= channelSize) {
    v.end = channelSize - 1;
    v.start = std::max(channelSize - n, 0);
  }
  return v;
}

int PlotWidth(const AppState& s) {
  return s.plotBitmap.width() > 0 ? s.plotBitmap.width() : kNormalLayout.plotWidth;
}

// What both zoom buttons do after the new range: the mouse mapping reads the range from the
// status block while a device is open, so it goes there too; then labels, axis, scale, plot.
void ShowNewRange(AppState& s, MainWindowPort& window) {
  s.acqStatus.SetDisplayStart(static_cast<std::int16_t>(s.viewStart));
  s.acqStatus.SetDisplayEnd(static_cast<std::int16_t>(s.viewEnd));
  RefreshRangeLabels(s, window);
  DrawChannelAxis(s, window);
  ShowScaleAndRepaint(s, window);
}

}  // namespace

int VfsStepAfter(int vfsIndex, bool next) {
  if (next) return vfsIndex <= 1 ? 0 : vfsIndex - 1;
  return vfsIndex >= kVfsSteps ? 0 : vfsIndex + 1;
}

int AutoVfsStep(std::int64_t maxCount) {
  constexpr int kHighestAuto = 20;
  for (int i = 1; i <= kHighestAuto; ++i)
    if (vfsTable.fullScale[i] > maxCount) return i;
  return kHighestAuto;
}

int MaxCountInView(const AppState& s) {
  const int first = std::max(s.viewStart, 0);
  const int end = std::min({s.viewEnd, s.channelSize, kReadBufferChannels});
  int largest = 0;
  for (int c = first; c < end; ++c) largest = std::max(largest, s.spectrumCounts[c]);
  return largest;
}

ViewRange ExpandRange(ViewRange view, int c, int channelSize, int width) {
  const int s = Span(view) / width;
  ViewRange v;
  if (s == 0) {
    const int k = width / Span(view);
    // 64 pixels per channel is the deepest zoom.
    if (2 * k > 64) return view;
    const int n = width / (2 * k), h = n / 2;
    v = {c - h, c + h - 1};
    // Cut at channel 0 rather than shifted: the range gets shorter.
    v.start = std::max(v.start, 0);
    return EndAtLast(v, n, channelSize);
  }
  const int n = s == 1 ? width / 2 : width * (s / 2);
  const int back = s == 1 ? width / 4 : n / 2;
  v.start = std::max(c - back, 0);
  v.end = v.start + n - 1;
  return EndAtLast(v, n, channelSize);
}

ViewRange CompressRange(ViewRange view, int c, int channelSize, int width) {
  // The whole memory in view: nothing further out. (Counting channels per column instead would
  // never let a memory narrower than the plot back out once expanded.)
  if (Span(view) >= channelSize) return view;
  const int s = Span(view) / width;
  int n, h;
  if (s == 0) {
    const int k2 = (width / Span(view)) / 2;
    // One pixel per channel after the division (reachable after a layout change): one channel
    // per column is the next step out, and there is nothing to divide by.
    n = k2 == 0 ? width : width / k2;
    h = n / 2;
  } else {
    n = 2 * s * width;
    h = s * width;
  }
  ViewRange v;
  v.start = std::max(c - h, 0);
  v.end = v.start + n - 1;
  return EndAtLast(v, n, channelSize);
}

bool ClickInPlot(const AppState& s, int x) {
  return x >= s.plotLeft && x < s.plotLeft + PlotWidth(s);
}

int ChannelAtClick(const AppState& s, int x) {
  const int w = PlotWidth(s);
  const long long dx = static_cast<long long>(x) - s.plotLeft;
  long long channel;
  // Only a running analyser's status block holds its range; an idle one's may be stale (or never
  // read since the analyser was opened), and the host's own range is the one shown.
  if (AnalyserOwnsDisplay(s)) {
    const long long a = s.acqStatus.DisplayStart(), b = s.acqStatus.DisplayEnd();
    const long long step = (b - a + 1) / w;
    if (step != 0) {
      channel = a + dx * step;
    } else {
      // The analyser's range is expanded: its pixels per channel from the host's range, which
      // may disagree with it; at least one.
      const long long span =
          std::max<long long>(static_cast<long long>(s.viewEnd) - s.viewStart + 1, 1);
      channel = a + dx / std::max<long long>(w / span, 1);
    }
  } else {
    const ViewMap map = MapView(s, w);
    channel = map.Expanded() ? s.viewStart + dx / map.pixelsPerChannel
                             : s.viewStart + dx * map.channelsPerColumn;
  }
  // A click on the scale strip or past the last column lands outside the spectrum: the cursor
  // stays on its first or last channel.
  const int last = std::clamp(s.channelSize, 1, kMaxChannels) - 1;
  return static_cast<int>(std::clamp<long long>(channel, 0, last));
}

void LogDisplayLocal(AppState& s, MainWindowPort& window) {
  s.logScale = 1;
  ShowScaleAndRepaint(s, window);
}

void SetVfsStepLocal(AppState& s, MainWindowPort& window, int step) {
  s.logScale = 0;
  s.vfsIndex = ClampVfsIndex(step);
  ShowScaleAndRepaint(s, window);
}

void RecentreCursor(AppState& s) {
  if (s.cursorChannel < s.viewStart || s.cursorChannel > s.viewEnd)
    s.cursorChannel = s.viewStart + (s.viewEnd - s.viewStart + 1) / 2;
}

void ExpandLocal(AppState& s, MainWindowPort& window) {
  const ViewRange v =
      ExpandRange({s.viewStart, s.viewEnd}, s.cursorChannel, s.channelSize, PlotWidth(s));
  s.viewStart = v.start;
  s.viewEnd = v.end;
  RecentreCursor(s);
  ShowNewRange(s, window);
}

void CompressLocal(AppState& s, MainWindowPort& window) {
  const ViewRange v =
      CompressRange({s.viewStart, s.viewEnd}, s.cursorChannel, s.channelSize, PlotWidth(s));
  s.viewStart = v.start;
  s.viewEnd = v.end;
  ShowNewRange(s, window);
}

void UnderPlotLefts(bool large, const int (&widths)[kUnderPlotLabelCount],
                    int (&lefts)[kUnderPlotLabelCount], int gap) {
  static_assert(std::size(kUnderPlotLabels) == kUnderPlotLabelCount);
  int free = 0;  // the first column the next label may take
  for (int i = 0; i < kUnderPlotLabelCount; ++i) {
    const UnderPlotLabel& l = kUnderPlotLabels[i];
    lefts[i] = std::max(large ? l.largeLeft : l.normalLeft, free);
    free = lefts[i] + widths[i] + gap;
  }
}

LayoutChange ResizeLayout(AppState& s, MainWindowPort& window, WindowShow before, WindowShow now) {
  if (s.resizeSeen == 0) {
    s.resizeSeen = 1;
    window.SetText(Field::Edit1, "Normal");
    return LayoutChange::None;
  }
  LayoutChange change = LayoutChange::None;
  // Only a maximize or a restore changes the layout; dragging the border of a normal window
  // keeps it, or the large plot would spill under the controls at the right.
  if (before != now && now == WindowShow::Maximized) change = LayoutChange::Large;
  if (before != now && now == WindowShow::Normal) change = LayoutChange::Normal;
  if (change != LayoutChange::None) {
    window.SetText(Field::Edit1, change == LayoutChange::Large ? "Maximized" : "Normal");
    SetPlotLayout(s, change == LayoutChange::Large);
  }
  RedrawPlotStrips(s, window);
  return change;
}

}  // namespace tavlex
