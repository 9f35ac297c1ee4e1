#pragma once
// One reference standard: 128 bytes, the same in memory and in a .ref file.

#include <string_view>

#include "app/ByteRecord.h"

namespace tavlex {

namespace stdrec {
inline constexpr std::size_t kSpecFileName = 0, kSpecFileNameSize = 32;
inline constexpr std::size_t kElementName = 32, kElementNameSize = 8;
inline constexpr std::size_t kFitOn = 40;
inline constexpr std::size_t kRoiLow = 44;
inline constexpr std::size_t kRoiHigh = 48;
inline constexpr std::size_t kCf = 76;
inline constexpr std::size_t kKRatio = 80;
inline constexpr std::size_t kChemWtPercent = 84;
inline constexpr std::size_t kKRatioError = 112;
}  // namespace stdrec

struct StandardRecord : ByteRecord<128> {
  std::string_view SpecFileName() const {
    return Text(stdrec::kSpecFileName, stdrec::kSpecFileNameSize);
  }
  void SetSpecFileName(std::string_view t) {
    SetText(stdrec::kSpecFileName, stdrec::kSpecFileNameSize, t);
  }
  std::string_view ElementName() const {
    return Text(stdrec::kElementName, stdrec::kElementNameSize);
  }
  void SetElementName(std::string_view t) {
    SetText(stdrec::kElementName, stdrec::kElementNameSize, t);
  }
  // A space as first byte of the element label marks an empty slot.
  bool IsEmptySlot() const { return U8(stdrec::kElementName) == ' '; }

  std::int32_t FitOn() const { return I32(stdrec::kFitOn); }
  void SetFitOn(std::int32_t v) { SetI32(stdrec::kFitOn, v); }
  std::int32_t RoiLow() const { return I32(stdrec::kRoiLow); }
  void SetRoiLow(std::int32_t v) { SetI32(stdrec::kRoiLow, v); }
  std::int32_t RoiHigh() const { return I32(stdrec::kRoiHigh); }
  void SetRoiHigh(std::int32_t v) { SetI32(stdrec::kRoiHigh, v); }
  float Cf() const { return F32(stdrec::kCf); }
  void SetCf(float v) { SetF32(stdrec::kCf, v); }
  float KRatio() const { return F32(stdrec::kKRatio); }
  void SetKRatio(float v) { SetF32(stdrec::kKRatio, v); }
  float ChemWtPercent() const { return F32(stdrec::kChemWtPercent); }
  void SetChemWtPercent(float v) { SetF32(stdrec::kChemWtPercent, v); }
  float KRatioError() const { return F32(stdrec::kKRatioError); }
  void SetKRatioError(float v) { SetF32(stdrec::kKRatioError, v); }
};

static_assert(sizeof(StandardRecord) == 128);

}  // namespace tavlex
