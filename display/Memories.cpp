#include "display/Memories.h"

#include <algorithm>
#include <cstdio>

#include "analysis/Calibration.h"
#include "display/Plot.h"
#include "display/RoiColours.h"

namespace tavlex {

void RestoreFromHeader(AppState& s, const SpectrumHeader& h) {
  s.liveTime = h.LiveTime();
  s.realTime = h.RealTime();
  s.presetTime = h.PresetTime();
  // A spectrum saved without a calibration leaves the one in effect alone.
  if (h.HoldsCalibration()) {
    s.calSlope = h.CalSlope();
    s.calOffset = h.CalOffset();
    s.calibrated = 1;
  }
  for (int i = 0; i < kRoiCount; ++i) {
    s.roiTable[i].low = h.RoiLow(i);
    s.roiTable[i].high = h.RoiHigh(i);
    s.roiTable[i].colour = RoiColourFromHeader(h.RoiColour(i));
  }
}

void StoreRegions(const AppState& s, SpectrumHeader& h) {
  for (int i = 0; i < kRoiCount; ++i) {
    const RoiRecord& r = s.roiTable[i];
    h.SetRoiLow(i, static_cast<std::int16_t>(r.low));
    h.SetRoiHigh(i, static_cast<std::int16_t>(r.high));
    h.SetRoiColour(i, static_cast<std::int16_t>(r.colour));
  }
}

void HoldRegionsInMcaSlot(AppState& s) {
  if (s.shownMemory == kMcaSlotShown) StoreRegions(s, s.mcaHeader);
}

bool MemoryFilled(const AppState& s, int k) {
  if (k < 0 || k >= kMemories) return false;
  const int n = s.memHeader[k].ChannelSize();
  return n >= 1 && n <= kMaxChannels;
}

bool ShowMemory(AppState& s, MainWindowPort& window, int k) {
  if (k < 0 || k >= kMemories) return false;
  // A never filled memory would leave a spectrum of no channels and a zero calibration.
  if (!MemoryFilled(s, k)) {
    char text[32];
    std::snprintf(text, sizeof text, "Error ! Mem%d Empty", k + 1);
    window.SetText(Field::Edit1, text);
    return false;
  }
  HoldRegionsInMcaSlot(s);
  s.shownMemory = k;
  std::snprintf(s.dataFileName, sizeof s.dataFileName, "%s", s.memFileName[k]);
  s.currentHeader = s.memHeader[k];
  s.channelSize = s.currentHeader.ChannelSize();
  std::copy_n(s.memCounts[k], s.channelSize, s.spectrumCounts);
  RestoreFromHeader(s, s.currentHeader);
  // The memory may bring its own calibration.
  ShowCursorReadout(s, window);
  PaintBox1Paint(s, window);
  return true;
}

void ToggleSnapshot(AppState& s, MainWindowPort& window, int k) {
  if (k < 0 || k > kMcaOverlay) return;
  if (s.overlayShown[k] == 1) {
    s.overlayShown[k] = 0;
  } else {
    s.overlayShown[k] = 1;
    // Every column the repaint draws, whatever the channel count: a spectrum narrower than the
    // plot would otherwise leave rows of an older snapshot in the new one.
    const int n = std::clamp(s.plotBitmap.width(), 0, kMaxChannels);
    if (k == kMcaOverlay) {
      const int h = s.plotBitmap.height();
      auto third = [h](std::int32_t row) {
        const int r = h - 4 * h / 6 - (h - row) / 3;
        return r >= h - 1 ? h - 1 : r;
      };
      for (int i = 0; i < n; ++i) {
        s.overlayTop[k][i] = third(s.columnTop[i]);
        s.overlayBottom[k][i] = third(s.columnBottom[i]);
      }
    } else {
      std::snprintf(s.dataFileName, sizeof s.dataFileName, "%s", s.memFileName[k]);
      std::copy_n(s.columnTop, n, s.overlayTop[k]);
      std::copy_n(s.columnBottom, n, s.overlayBottom[k]);
    }
  }
  PaintBox1Paint(s, window);
}

}  // namespace tavlex
