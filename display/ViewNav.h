#pragma once
// View navigation on the host: the vertical full-scale steps, "Auto", expand and compress around
// the cursor, the channel under a click, and the two layouts of the window. The arithmetic is
// free of state; the *Local operations change the view and redraw as the buttons do when no
// acquisition runs (acq/DisplayControl.h chooses between them and the analyser).

#include <cstdint>

#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex {

struct ViewRange {
  int start = 0, end = 0;
  bool operator==(const ViewRange&) const = default;
};

// The step an arrow click asks for: next is one step down (smaller full scale), previous one up.
// 0 when refused (next at step 1, previous at step 22).
int VfsStepAfter(int vfsIndex, bool next);
// "Auto": the first step whose full scale is strictly greater than the count, never above 20.
int AutoVfsStep(std::int64_t maxCount);
// The largest count of viewStart .. viewEnd - 1 (the last channel of the view is left out, as
// the button always did), only channels of the spectrum; 0 for an empty range.
int MaxCountInView(const AppState& s);

// The new range of "<< >>" and ">> <<" around cursor c with N channels on W columns.
ViewRange ExpandRange(ViewRange view, int cursor, int channelSize, int width);
ViewRange CompressRange(ViewRange view, int cursor, int channelSize, int width);

// While an acquisition runs on an open analyser, the analyser owns the display state.
inline bool AnalyserOwnsDisplay(const AppState& s) {
  return s.deviceOpen == 1 && s.acquiring == 1;
}

// Whether a click at x (PaintBox1 coordinates) falls on the plot's columns; one on the scale
// strip left of them picks no channel.
bool ClickInPlot(const AppState& s, int x);

// The channel under a click at x (PaintBox1 coordinates), within 0 .. channelSize - 1. While the
// analyser owns the display its range comes from the status block.
int ChannelAtClick(const AppState& s, int x);

// A cursor outside viewStart .. viewEnd moves to the middle channel of the view.
void RecentreCursor(AppState& s);

// The host paths of the buttons: change the view, then redraw as the window does.
void LogDisplayLocal(AppState& s, MainWindowPort& window);
void SetVfsStepLocal(AppState& s, MainWindowPort& window, int step);
void ExpandLocal(AppState& s, MainWindowPort& window);
void CompressLocal(AppState& s, MainWindowPort& window);

// The resize handler's layouts. The window reports its state before and after the resize.
enum class WindowShow { Normal, Maximized, Minimized };
enum class LayoutChange { None, Normal, Large };
// The first call only notes that it was seen. A change to the maximized state applies the large
// layout, a change back to the normal state the normal one; a minimized window and a resize
// within one state keep the layout. Every call after the first redraws the strips and scale.
LayoutChange ResizeLayout(AppState& s, MainWindowPort& window, WindowShow before, WindowShow now);

// Where the labels under the plot stand in the two layouts (window client pixels).
struct UnderPlotLabel {
  const char* name;
  int normalLeft, largeLeft;
};
inline constexpr UnderPlotLabel kUnderPlotLabels[] = {
    {"Label1", 20, 40},   {"Label3", 98, 200},   {"Label5", 144, 300},
    {"Label8", 168, 340}, {"Label9", 200, 400},  {"Label6", 236, 470},
    {"Label7", 256, 500}, {"Label10", 312, 600}, {"Label2", 500, 1020},
};
inline constexpr int kLabelsTopNormal = 330, kLabelsTopLarge = 630;

// The lefts of the labels under the plot, in the table's order, for labels `widths` pixels wide:
// each stands at its design left unless the label before it reaches there, and then follows it
// `gap` pixels on, so that a long energy or unit never runs into the next label.
inline constexpr int kUnderPlotLabelCount = 9;
void UnderPlotLefts(bool large, const int (&widths)[kUnderPlotLabelCount],
                    int (&lefts)[kUnderPlotLabelCount], int gap = 4);

}  // namespace tavlex
