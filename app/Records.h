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
  std::FILE* rawDataFile = nullptr;
  // "Save Spectrum Data": every finished scan is written as PREFIX-0001.dat, PREFIX-0002.dat, ...
  // beside the chosen name; empty = not saved.
  char savePrefix[256] = {};
};

// How the link to the analyser has been behaving, kept across the operations of a run.
struct LinkHealth {
  std::int64_t lastAnswerUs = 0;  // link clock at the last reply read in full
  int silentTicks = 0;            // consecutive ticks without any reply
  // A reply that timed out may still come: its bytes are owed until they have been dropped or
  // until owedUntilUs, so that they never pass for the reply of a later frame.
  int owedBytes = 0;
  std::int64_t owedUntilUs = 0;
  // Bytes of unknown origin may wait in the receive queue (a failed read, a discard cut short):
  // the next frame is preceded by a discard.
  int stale = 0;
  int setupSent = 0;   // the stored setup reached the analyser since it was opened
  int memorySize = 0;  // channels of the last memory size the analyser accepted; 0 = unknown
  // The analyser's real time, to notice a run that it ended by itself.
  std::int32_t lastRealTime10ms = -1;
  int stillTicks = 0;
  std::int64_t stillSinceUs = 0;
  int rateBaseline = 0;  // the run's first tick has set the totals the rate is taken from
  // The analyser's counters are 32 bits wide and wrap in an hour at a high count rate. The
  // spectrum total of the last block read and the one the rate was last taken from, both modulo
  // 2^32, with the real time of the latter; the event total of the last status and how often it
  // has passed 2^32 since the memory was cleared.
  std::uint32_t spectrumTotal = 0;
  std::uint32_t rateTotal = 0;
  std::int32_t rateTime10ms = 0;
  std::uint32_t lastEvents = 0;
  std::uint32_t eventWraps = 0;
  // How long the last replies of a few sizes took to come in on this link: a wait sleeps through
  // most of a reply's time and keeps looking only from a little before it is due. Kept from one
  // operation to the next, so that every tick of a run waits well from its first reply.
  struct ReplyTime {
    std::uint32_t bytes = 0;
    std::int64_t us = -1;
  };
  ReplyTime replyTimes[4] = {};
  int nextReplyTime = 0;
};

// How far a wrapping 32-bit counter moved from `from` to `to`; false when it went back instead
// (the memory was cleared), which a counter that only counts up can tell apart from a wrap as
// long as it is read at least once per 2^31 counts.
inline bool CounterAdvance(std::uint32_t from, std::uint32_t to, std::uint32_t* added) {
  *added = to - from;
  return *added < 0x80000000u;
}

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
