#pragma once
// The byte-level steps that every exchange is made of: write one frame, wait (bounded) for the
// reply bytes, read them, drop what nobody asked for. Internal to link/.

#include <cstdint>

#include "link/Protocol.h"

namespace tavlex::wire {

// Records why an operation failed and gives its result, 0.
int Fail(LinkContext& c, LinkFailure why);

// The handle of a device number, or null when there is none.
DeviceHandle HandleOf(const AppState& s, int device);

// Reads and drops every byte waiting in the receive queue: stale replies of an earlier exchange
// (a skipped block, a reply that came after its time-out) and surplus bytes of the last reply.
// At most kDiscardRounds reads, so that an analyser that never stops sending cannot hold us.
// Returns the number of bytes dropped.
inline constexpr int kDiscardRounds = 64;
std::uint32_t Discard(LinkContext& c, DeviceHandle h);

// A reply was read in full: the analyser is there.
void Answered(LinkContext& c);

// Writes exactly the frame's characters, once the bytes still owed by a timed-out reply are
// dropped. False (lastFailure set) when the call fails or the driver took fewer bytes, or when
// the operation has given up or run out of time.
bool WriteFrame(LinkContext& c, DeviceHandle h, const char* frame, std::uint32_t length);

enum class Wait { Ready, DriverFailed, TimedOut };
// Polls the receive queue, sleeping briefly between looks, until at least `need` bytes wait or
// the link's time-out (or the operation's end) has passed. *waiting gets the count of the last
// successful poll. A time-out makes the operation give up. The time a reply of this size took
// is kept in the context: the next such wait sleeps through most of it and looks often after.
Wait WaitFor(LinkContext& c, DeviceHandle h, std::uint32_t need, std::uint32_t* waiting);

// Reads exactly n bytes; false (lastFailure set) when the call fails or delivers fewer.
bool ReadExact(LinkContext& c, DeviceHandle h, std::uint8_t* buffer, std::uint32_t n);

}  // namespace tavlex::wire
