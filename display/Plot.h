#pragma once
// The spectrum plot: scales, grid, header band, regions, trace, overlays and cursor, all drawn
// into the off-screen bitmaps of AppState and then copied into the paint-box image.

#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex {

// Which bitmaps a copy to the paint box takes, in the order given.
enum CopyParts : unsigned { kCopyAxis = 1, kCopyPlot = 2, kCopyScale = 4, kCopyAll = 7 };

// Copies axisStrip, plotBitmap and scaleStrip (as selected) into s.paintBox at their places and
// tells the window that the paint box changed.
void CopyToPaintBox(AppState& s, MainWindowPort& window, unsigned parts = kCopyAll);

// Logarithmic scale: logScale := 1, channel axis, scale strip, and the grid and captions of
// plotBackground copied over plotBitmap; then the three copies.
void ShowLogScale(AppState& s, MainWindowPort& window);
// The same for the linear full scale of vfsIndex.
void ShowLinearScale(AppState& s, MainWindowPort& window);
// The scale logScale names shown afresh (ShowLogScale or ShowLinearScale), then PaintBox1Paint.
void ShowScaleAndRepaint(AppState& s, MainWindowPort& window);
// Redraws axisStrip from viewStart and viewEnd and copies it to the paint box. Taking the range
// from the analyser first is the caller's part (it needs the link).
void DrawChannelAxis(AppState& s, MainWindowPort& window);

// During a scan the plot shows the analyser's live trace, not the spectrum last read.
inline bool ShowsLivePreview(const AppState& s) {
  return s.mcaMode == 0 && s.acquiring == 1;
}
// The repaint: composes what the plot shows now into the paint box, DrawLivePreview or
// DrawSpectrum. Every path that changes what is shown ends with it (the polling tick, a layout
// change, the buttons); the window's paint event only shows the paint box.
void PaintBox1Paint(AppState& s, MainWindowPort& window);
// The spectrum from AppState. Besides the bitmaps it changes only the column rows, the gross
// sums of the listed regions, Label7 and (while idle) countRate.
void DrawSpectrum(AppState& s, MainWindowPort& window);
// The analyser's own 256-point display trace during a scan, from acqStatus.
void DrawLivePreview(AppState& s, MainWindowPort& window);

// Switches the bitmaps to the large (1024 x 600) or the normal (512 x 300) layout, then redraws
// the strips and the background with the current scale and repaints the plot. (SetPlotLayout in
// PlotBitmaps.h switches the bitmaps alone.)
void ApplyPlotLayout(AppState& s, MainWindowPort& window, bool large);
// The same redraw without a change of size (a resize that keeps the layout): strips refilled,
// scale and background redrawn, the plot repainted.
void RedrawPlotStrips(AppState& s, MainWindowPort& window);

// The plot's colours for a hard copy (white = true: white background, black header texts) or
// for the screen (black background, white header texts, whatever they were before): the plot
// bitmaps cleared, the scale background rebuilt for the current scale and the spectrum redrawn.
void SetPlotPaper(AppState& s, MainWindowPort& window, bool white);

}  // namespace tavlex
