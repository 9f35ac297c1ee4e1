// The SXFM scan mode: short scans of a fixed preset one after another, the host counting them
// and reading each finished scan, the analyser's own display trace between them. Also the "MCA"
// choice among the memories, which reads the analyser's spectrum again.

#include <cstdio>

#include "acq/AcqShared.h"
#include "acq/Acquisition.h"
#include "analysis/Calibration.h"
#include "app/AcqDate.h"
#include "display/Memories.h"
#include "display/Plot.h"

namespace tavlex {

using namespace acqshared;

namespace {

// The scan preset and memory size to the analyser, as the setup's OK sends them; the channel
// size follows the memory the analyser took.
void SendScanSetup(LinkContext& c) {
  AppState& s = c.s;
  // The scan preset's 100 ms steps are the frame's 0.1 s units.
  const bool preset = SendPreset(c, 0, s.sxfmSetup.presetTime) == 1;
  const bool memory = SendMemorySize(c, 0, s.sxfmSetup.memorySize) == 1;
  if (memory) {
    s.channelSize = s.sxfmSetup.memorySize;
    c.health.memorySize = s.sxfmSetup.memorySize;
  }
  // The MCA setup is no longer what the analyser holds.
  c.health.setupSent = 0;
  c.health.scanSetupSent = preset && memory;
}

}  // namespace

void SxfmStart(LinkContext& c) {
  AppState& s = c.s;
  BeginOperation(c);
  // A run still under way is superseded by this one: it ends first, before the setup changes
  // the channels it is kept with.
  if (s.acquiring == 1) RunEnded(c);
  const bool opened = s.deviceCount == 0 && OpenDevice(c, 0) == 1;
  // Scans run with the scan setup, also when an MCA setup (or none) was the last one sent:
  // otherwise each scan lasts the MCA preset while its rate and file take the scan's.
  if (s.deviceOpen == 1 && !c.health.scanSetupSent) SendScanSetup(c);
  if (opened) SetNumberText(c.window, Field::Edit1, s.deviceCount, "");
  ResetRunHealth(c);
  RunStarted(c, AcqDateNow(), true);
  SendScanStart(c, 0);
  s.logScale = 1;
  ShowScaleAndRepaint(s, c.window);
}

void SxfmStop(LinkContext& c) {
  if (c.s.acquiring != 1) return;
  BeginOperation(c);
  SendStop(c, 0);
  if (c.s.acquiring == 0) {
    // The plot shows the spectrum again, no longer the scans' trace and marker.
    PaintBox1Paint(c.s, c.window);
    RunEnded(c);
  }
}

void SxfmClear(LinkContext& c) {
  BeginOperation(c);
  SendScanClear(c, 0);
  SetNumberText(c.window, Field::Edit4, c.s.scanCount, "");
  PaintBox1Paint(c.s, c.window);
}

void PrepareSxfmSetup(AppState& s) {
  if (s.channelSize > 2048) {
    s.sxfmSetup.memorySize = 2048;
    s.channelSize = 2048;
  }
}

void ApplySxfmSetup(LinkContext& c) {
  AppState& s = c.s;
  BeginOperation(c);
  SendScanSetup(c);
  c.window.SetTimerInterval(s.sxfmSetup.refreshMs);
  PaintBox1Paint(s, c.window);
}

bool ScanTick(LinkContext& c) {
  AppState& s = c.s;
  BeginOperation(c);
  bool finished = false;
  if (ReadStatus(c, 0) == 1) {
    if (s.acqStatus.ScanDone() != 0) {
      c.window.SetTimerEnabled(false);
      ++s.scanCount;
      SetNumberText(c.window, Field::Edit4, s.scanCount, "");
      finished = ReadSpectrumBlocks(c, 0) == 1;
      // Counts of one scan over its time; a preset of 0 has no time to divide by. A scan whose
      // spectrum could not be read keeps the rate of the one before.
      const int preset = s.sxfmSetup.presetTime;
      const auto total = static_cast<float>(c.health.spectrumTotal);
      if (finished) s.countRate = preset > 0 ? static_cast<float>(total / preset * 0.01) : 0.0f;
      c.window.SetTimerEnabled(true);
    }
    TakeDisplayState(c, false);
    c.window.SetText(Field::Label7, " ");
  }
  if (LinkGone(c)) {
    LinkLost(c);
    return false;
  }
  PaintBox1Paint(s, c.window);
  return finished;
}

void ShowMcaSlot(LinkContext& c) {
  AppState& s = c.s;
  HoldRegionsInMcaSlot(s);
  s.shownMemory = kMcaSlotShown;
  s.currentHeader = s.mcaHeader;
  std::snprintf(s.dataFileName, sizeof s.dataFileName, "%s", "MCA");
  // A slot whose header holds no channel count keeps the one in effect.
  if (IsMcaMemorySize(s.currentHeader.ChannelSize())) s.channelSize = s.currentHeader.ChannelSize();
  RestoreFromHeader(s, s.currentHeader);
  ShowCursorReadout(s, c.window);
  if (s.deviceOpen == 1) {
    BeginOperation(c);
    ReadSpectrumBlocks(c, 0);
    if (ReadStatus(c, 0) == 1) {
      TakeDisplayState(c);
      // A finished run shows its preset exactly; an unfinished one its own real time, not a
      // preset it never reached.
      TakeEndTimes(s);
    }
  }
  PaintBox1Paint(s, c.window);
}

}  // namespace tavlex
