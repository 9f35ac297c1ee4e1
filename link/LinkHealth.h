#pragma once
// How the link to the analyser has been behaving: the bookkeeping the exchanges and the polling
// loop keep from one operation to the next. It belongs to the link (`LinkContext::health`), is
// started afresh by every open, and nothing outside link/ and acq/ looks at it.

#include <cstdint>

namespace tavlex {

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
  int scanSetupSent = 0;  // the same for the scan setup; either one replaces the other
  int memorySize = 0;  // channels of the last memory size the analyser accepted; 0 = unknown
  // The analyser's real time, to notice a run that it ended by itself.
  std::int32_t lastRealTime10ms = -1;
  int stillTicks = 0;
  std::int64_t stillSinceUs = 0;
  int rateBaseline = 0;  // the run's first tick has set the totals the rate is taken from
  // The analyser's counters are 32 bits wide and wrap in an hour at a high count rate. The
  // spectrum total of the last block read and the one the rate was last taken from, both modulo
  // 2^32, with the real time of the latter; and the event total of the last status, against
  // which the next one tells a wrap (counted in `AppState::eventWraps`) from a cleared memory.
  std::uint32_t spectrumTotal = 0;
  std::uint32_t rateTotal = 0;
  std::int32_t rateTime10ms = 0;
  std::uint32_t lastEvents = 0;
  // How long the last replies of a few sizes took to come in on this link: a wait sleeps through
  // most of a reply's time and keeps looking only from a little before it is due. Kept from one
  // operation to the next, so that every tick of a run waits well from its first reply.
  struct ReplyTime {
    std::uint32_t bytes = 0;
    std::int64_t us = -1;       // from the frame to the last look that did not find it in
    std::int64_t spreadUs = 0;  // from there to the look that did
  };
  ReplyTime replyTimes[4] = {};
  int nextReplyTime = 0;
  // How late a sleep through a reply's time has been waking up on this host, so that the next
  // one can end early by as much.
  std::int64_t sleepLateUs = 0;
};

// How far a wrapping 32-bit counter moved from `from` to `to`; false when it went back instead
// (the memory was cleared), which a counter that only counts up can tell apart from a wrap as
// long as it is read at least once per 2^31 counts.
inline bool CounterAdvance(std::uint32_t from, std::uint32_t to, std::uint32_t* added) {
  *added = to - from;
  return *added < 0x80000000u;
}

}  // namespace tavlex
