#pragma once
// The setup and region records held in the program state.

#include <cstdint>
#include <cstdio>

namespace tavlex {

using Colour = std::uint32_t;  // 0x00BBGGRR

inline constexpr int kMaxChannels = 4096;
inline constexpr int kReadBufferChannels = 8192;
inline constexpr int kRoiCount = 16;

struct McaSetup {
  int memorySize = 4096;          // channels
  int presetTime = 10000;         // 0.1 s
  float deadTimePerEvent = 1.8f;  // microseconds per counted event
  char comment[32] = {};          // at most 31 characters and a NUL
  char sampleId[32] = {};
};

struct SxfmSetup {
  int memorySize = 2048;  // 512, 1024 or 2048 channels
  int presetTime = 10;    // 100 ms units
  int refreshMs = 100;    // polling interval during a scan
  // "Save Spectrum Data": every finished scan is written as PREFIX-0001.dat, PREFIX-0002.dat, ...
  // beside the chosen name; empty = not saved.
  char savePrefix[256] = {};
};

// The automatic recovery copy of the run under way or last ended (files/Recovery.h).
struct RunCopy {
  char stem[32] = {};  // "YYYYMMDD-HHMMSS-mca" or "-scan": when the run started and what it is
  char file[40] = {};  // its file in the recovery folder, once the run has written it
  int scan = 0;        // 1 for a scan run: the copy holds its last finished scan
};

struct RoiRecord {
  std::int32_t defined = 0;  // switched on at least once
  std::int32_t shown = 0;    // summed and drawn by the repaint
  char label[8] = "Xx-NN";
  std::int32_t low = 0;     // first channel
  std::int32_t high = 0;    // end channel: sums cover low .. high - 1
  std::int32_t colour = 0;  // 0x00BBGGRR
  std::int32_t grossSum = 0;
};

struct RoiTable {
  RoiRecord roi[kRoiCount];
  RoiRecord& operator[](int i) { return roi[i]; }
  const RoiRecord& operator[](int i) const { return roi[i]; }
};

}  // namespace tavlex
