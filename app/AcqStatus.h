#pragma once
// The analyser's 310-byte status block, the reply to "$R0;", held exactly as it came off the link.

#include <cstdint>

#include "app/ByteRecord.h"

namespace tavlex {

namespace status {
inline constexpr std::size_t kTrace = 0, kTraceSize = 256;
inline constexpr std::size_t kDisplayStart = 256;
inline constexpr std::size_t kDisplayEnd = 258;
inline constexpr std::size_t kCursor = 260;
inline constexpr std::size_t kVfsIndex = 264;
inline constexpr std::size_t kRealTime10ms = 268;
inline constexpr std::size_t kEvents = 272;
inline constexpr std::size_t kScanDone = 309;
}  // namespace status

struct AcqStatus : ByteRecord<310> {
  std::uint8_t TracePoint(int i) const { return U8(status::kTrace + i); }
  void SetTracePoint(int i, std::uint8_t v) { SetU8(status::kTrace + i, v); }

  std::int16_t DisplayStart() const { return I16(status::kDisplayStart); }
  void SetDisplayStart(std::int16_t v) { SetI16(status::kDisplayStart, v); }
  std::int16_t DisplayEnd() const { return I16(status::kDisplayEnd); }
  void SetDisplayEnd(std::int16_t v) { SetI16(status::kDisplayEnd, v); }
  std::int16_t Cursor() const { return I16(status::kCursor); }
  void SetCursor(std::int16_t v) { SetI16(status::kCursor, v); }
  // 0 = logarithmic display, 1..22 = linear full-scale step.
  std::int16_t VfsIndex() const { return I16(status::kVfsIndex); }
  void SetVfsIndex(std::int16_t v) { SetI16(status::kVfsIndex, v); }
  std::int32_t RealTime10ms() const { return I32(status::kRealTime10ms); }
  void SetRealTime10ms(std::int32_t v) { SetI32(status::kRealTime10ms, v); }
  std::int32_t Events() const { return I32(status::kEvents); }
  void SetEvents(std::int32_t v) { SetI32(status::kEvents, v); }
  std::uint8_t ScanDone() const { return U8(status::kScanDone); }
  void SetScanDone(std::uint8_t v) { SetU8(status::kScanDone, v); }
};

static_assert(sizeof(AcqStatus) == 310);

}  // namespace tavlex
