#include "acq/DisplayControl.h"

#include "acq/AcqShared.h"
#include "analysis/Peak.h"
#include "display/Plot.h"
#include "display/ViewCommands.h"
#include "display/ViewNav.h"

namespace tavlex {
namespace {

// DrawChannelAxis taking the analyser's new range first, when its status can be read; then the
// repaint.
void ChannelAxisFromAnalyser(LinkContext& c) {
  if (ReadStatus(c, 0) == 1) {
    const acqshared::DisplayPlace place = acqshared::StatusDisplayPlace(c.s);
    c.s.viewStart = place.start;
    c.s.viewEnd = place.end;
  }
  DrawChannelAxis(c.s, c.window);
  PaintBox1Paint(c.s, c.window);
}

}  // namespace

void LogDisplay(LinkContext& c) {
  c.s.logScale = 1;
  if (!AnalyserOwnsDisplay(c.s)) {
    LogDisplayLocal(c.s, c.window);
    return;
  }
  BeginOperation(c);
  if (SendLogDisplay(c, 0) == 1) ShowScaleAndRepaint(c.s, c.window);
}

void StepVfs(LinkContext& c, bool next) {
  AppState& s = c.s;
  // The arrows mean the linear scale, also when the step is refused.
  s.logScale = 0;
  const int step = VfsStepAfter(s.vfsIndex, next);
  if (step == 0) return;
  if (!AnalyserOwnsDisplay(s)) {
    SetVfsStepLocal(s, c.window, step);
    return;
  }
  BeginOperation(c);
  if ((next ? SendVfsDown(c, 0) : SendVfsUp(c, 0)) == 1) {
    s.vfsIndex = step;
    ShowScaleAndRepaint(s, c.window);
  }
}

void AutoVfs(LinkContext& c) {
  AppState& s = c.s;
  s.logScale = 0;
  const bool analyser = AnalyserOwnsDisplay(s);
  // During a run the largest count is the one of the last spectrum read.
  if (!analyser) s.maxChannelCount = MaxCountInView(s);
  const int step = AutoVfsStep(s.maxChannelCount);
  if (!analyser) {
    SetVfsStepLocal(s, c.window, step);
    return;
  }
  BeginOperation(c);
  // SendVfsStep shows the frame in Edit1.
  if (SendVfsStep(c, 0, step) == 1) {
    s.vfsIndex = step;
    ShowScaleAndRepaint(s, c.window);
  }
}

void ExpandView(LinkContext& c) {
  if (!AnalyserOwnsDisplay(c.s)) {
    ExpandLocal(c.s, c.window);
    return;
  }
  BeginOperation(c);
  if (SendExpand(c, 0) == 1) ChannelAxisFromAnalyser(c);
}

void CompressView(LinkContext& c) {
  if (!AnalyserOwnsDisplay(c.s)) {
    CompressLocal(c.s, c.window);
    return;
  }
  BeginOperation(c);
  if (SendCompress(c, 0) == 1) ChannelAxisFromAnalyser(c);
}

void ClickCursor(LinkContext& c, int channel) {
  AppState& s = c.s;
  s.cursorChannel = channel;
  if (s.deviceCount != 0) {
    // The reply is not used.
    BeginOperation(c);
    SendCursor(c, 0, channel);
  }
  ShowCursorReadout(s, c.window);
  PaintBox1Paint(s, c.window);
}

void SnapPeakAndSend(LinkContext& c) {
  if (!SnapPeakCommand(c.s, c.window)) return;
  if (c.s.deviceCount != 0) {
    BeginOperation(c);
    SendCursor(c, 0, c.s.cursorChannel);
  }
  PaintBox1Paint(c.s, c.window);
}

}  // namespace tavlex
