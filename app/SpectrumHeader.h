#pragma once
// The 1024-byte header of one spectrum slot: the same bytes in memory and in a .dat file.

#include <cstdint>
#include <string_view>

#include "app/AcqDate.h"
#include "app/ByteRecord.h"

namespace tavlex {

namespace header {
inline constexpr std::size_t kCompany = 0, kCompanySize = 21;
inline constexpr std::size_t kChannelSize = 54;
inline constexpr std::size_t kNoCalibrationMarker = 64;
inline constexpr std::size_t kCalSlope = 68;
inline constexpr std::size_t kCalOffset = 72;
inline constexpr std::size_t kAcqYear = 80, kAcqMonth = 82, kAcqDay = 84;
inline constexpr std::size_t kAcqHour = 88, kAcqMinute = 90, kAcqSecond = 92;
inline constexpr std::size_t kRoiLow = 94, kRoiHigh = 294, kRoiColour = 494;
inline constexpr std::size_t kRoiEntries = 100;
inline constexpr std::size_t kPresetTime = 704;
inline constexpr std::size_t kLiveTime = 712;
inline constexpr std::size_t kRealTime = 716;
inline constexpr std::size_t kComment = 774, kCommentSize = 32;
inline constexpr std::size_t kSampleId = 806, kSampleIdSize = 32;
inline constexpr std::string_view kCompanyText = "Velmoratek Co., Ltd.";
}  // namespace header

struct SpectrumHeader : ByteRecord<1024> {
  std::string_view Company() const { return Text(header::kCompany, header::kCompanySize); }
  void SetCompany(std::string_view t) { SetText(header::kCompany, header::kCompanySize, t); }

  std::int16_t ChannelSize() const { return I16(header::kChannelSize); }
  void SetChannelSize(std::int16_t n) { SetI16(header::kChannelSize, n); }

  float NoCalibrationMarker() const { return F32(header::kNoCalibrationMarker); }
  void SetNoCalibrationMarker(float v) { SetF32(header::kNoCalibrationMarker, v); }
  float CalSlope() const { return F32(header::kCalSlope); }
  void SetCalSlope(float v) { SetF32(header::kCalSlope, v); }
  float CalOffset() const { return F32(header::kCalOffset); }
  void SetCalOffset(float v) { SetF32(header::kCalOffset, v); }
  // Exactly 1.0 means no calibration is stored; anything else means one is.
  bool HoldsCalibration() const { return NoCalibrationMarker() != 1.0f; }

  AcqDate Date() const {
    return {I16(header::kAcqYear), I16(header::kAcqMonth),  I16(header::kAcqDay),
            I16(header::kAcqHour), I16(header::kAcqMinute), I16(header::kAcqSecond)};
  }
  void SetDate(const AcqDate& d) {
    SetI16(header::kAcqYear, d.year);
    SetI16(header::kAcqMonth, d.month);
    SetI16(header::kAcqDay, d.day);
    SetI16(header::kAcqHour, d.hour);
    SetI16(header::kAcqMinute, d.minute);
    SetI16(header::kAcqSecond, d.second);
  }

  std::int16_t RoiLow(int i) const { return I16(header::kRoiLow + 2 * i); }
  void SetRoiLow(int i, std::int16_t v) { SetI16(header::kRoiLow + 2 * i, v); }
  std::int16_t RoiHigh(int i) const { return I16(header::kRoiHigh + 2 * i); }
  void SetRoiHigh(int i, std::int16_t v) { SetI16(header::kRoiHigh + 2 * i, v); }
  std::int16_t RoiColour(int i) const { return I16(header::kRoiColour + 2 * i); }
  void SetRoiColour(int i, std::int16_t v) { SetI16(header::kRoiColour + 2 * i, v); }

  std::int32_t PresetTime() const { return I32(header::kPresetTime); }
  void SetPresetTime(std::int32_t v) { SetI32(header::kPresetTime, v); }
  std::int32_t LiveTime() const { return I32(header::kLiveTime); }
  void SetLiveTime(std::int32_t v) { SetI32(header::kLiveTime, v); }
  std::int32_t RealTime() const { return I32(header::kRealTime); }
  void SetRealTime(std::int32_t v) { SetI32(header::kRealTime, v); }

  std::string_view Comment() const { return Text(header::kComment, header::kCommentSize); }
  void SetComment(std::string_view t) { SetText(header::kComment, header::kCommentSize, t); }
  std::string_view SampleId() const { return Text(header::kSampleId, header::kSampleIdSize); }
  void SetSampleId(std::string_view t) { SetText(header::kSampleId, header::kSampleIdSize, t); }
};

static_assert(sizeof(SpectrumHeader) == 1024);

}  // namespace tavlex
