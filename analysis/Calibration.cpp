#include "analysis/Calibration.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "analysis/Peak.h"
#include "app/Convert.h"

namespace tavlex {
namespace {

// Within single precision: rounding it to a float gives a finite value.
bool FitsFloat(double v) {
  return std::fabs(v) <= FLT_MAX;
}

CalibStatus Refuse(MainWindowPort& window, CalibStatus status) {
  window.SetText(Field::Edit1, CalibMessage(status));
  return status;
}

}  // namespace

const char* CalibMessage(CalibStatus status) {
  switch (status) {
    case CalibStatus::Ok:
      return "";
    case CalibStatus::BadLowChannel:
      return calibtext::kLowCh;
    case CalibStatus::BadHighChannel:
      return calibtext::kHighCh;
    case CalibStatus::BadLowEnergy:
      return calibtext::kLowEng;
    case CalibStatus::BadHighEnergy:
      return calibtext::kHighEng;
    case CalibStatus::SameChannels:
      return calibtext::kSameCh;
    case CalibStatus::OutOfRange:
      return calibtext::kRange;
  }
  return "";
}

bool ParseCalibNumber(std::string_view text, float& out) {
  double v = 0;
  if (!TryStrToFloat(text, v) || !FitsFloat(v)) return false;
  out = static_cast<float>(v);
  return true;
}

CalibStatus CalibrationLine(const CalibPoints& p, CalibLine& line) {
  // The entered values are floats; the arithmetic between them runs in double and is rounded to
  // single precision where the calibration stores it.
  const double channels = static_cast<double>(p.highChannel) - p.lowChannel;
  if (channels == 0) return CalibStatus::SameChannels;
  const double slope = (static_cast<double>(p.highEnergy) - p.lowEnergy) / channels;
  if (!FitsFloat(slope)) return CalibStatus::OutOfRange;
  const float roundedSlope = static_cast<float>(slope);
  const double offset =
      static_cast<double>(p.highEnergy) - static_cast<double>(roundedSlope) * p.highChannel;
  if (!FitsFloat(offset)) return CalibStatus::OutOfRange;
  line.slope = roundedSlope;
  line.offset = static_cast<float>(offset);
  return CalibStatus::Ok;
}

float ChannelEnergy(float channel, float slope, float offset) {
  const float product = channel * slope;
  return product + offset;
}

void ShowChannelReadout(const AppState& s, MainWindowPort& window, int channel) {
  char text[64];
  std::snprintf(text, sizeof text, "%d", channel);
  window.SetText(Field::Label3, text);
  if (s.calibrated != 1) return;
  const float energy = ChannelEnergy(static_cast<float>(channel), s.calSlope, s.calOffset);
  std::snprintf(text, sizeof text, "%8.2f", static_cast<double>(energy));
  window.SetText(Field::Label8, text);
  window.SetText(Field::Label9, s.energyUnit);
}

void ShowCursorReadout(const AppState& s, MainWindowPort& window) {
  ShowChannelReadout(s, window, s.cursorChannel);
}

float WidthEnergy(float widthChannels, float slope) {
  return std::fabs(widthChannels * slope);
}

CalibStatus ExecCalib(AppState& s, MainWindowPort& window, const CalibTexts& t) {
  CalibPoints p;
  if (!ParseCalibNumber(t.lowChannel, p.lowChannel))
    return Refuse(window, CalibStatus::BadLowChannel);
  if (!ParseCalibNumber(t.highChannel, p.highChannel))
    return Refuse(window, CalibStatus::BadHighChannel);
  if (!ParseCalibNumber(t.lowEnergy, p.lowEnergy)) return Refuse(window, CalibStatus::BadLowEnergy);
  if (!ParseCalibNumber(t.highEnergy, p.highEnergy))
    return Refuse(window, CalibStatus::BadHighEnergy);
  CalibLine line;
  const CalibStatus status = CalibrationLine(p, line);
  if (status != CalibStatus::Ok) return Refuse(window, status);
  CopyText(s.energyUnit, sizeof s.energyUnit, t.unit);
  s.calLowChannel = p.lowChannel;
  s.calHighChannel = p.highChannel;
  s.calLowEnergy = p.lowEnergy;
  s.calHighEnergy = p.highEnergy;
  s.calSlope = line.slope;
  s.calOffset = line.offset;
  s.calibrated = 1;
  return CalibStatus::Ok;
}

std::string CalibChannelText(int cursorChannel, float peakCentroid) {
  const std::optional<int> snapped = CentroidChannel(peakCentroid);
  if (snapped && *snapped == cursorChannel)
    return Format("%8.2f", static_cast<double>(peakCentroid));
  return std::to_string(cursorChannel);
}

void CheckCalibChannelText(MainWindowPort& window, std::string_view text, bool highBox) {
  float value = 0;
  if (!ParseCalibNumber(text, value))
    window.SetText(Field::Edit1, highBox ? calibtext::kTypedHiCh : calibtext::kTypedLowCh);
}

bool CalibrationInKeV(const AppState& s, double& slope, double& offset) {
  const std::string_view unit(s.energyUnit, strnlen(s.energyUnit, sizeof s.energyUnit));
  const double scale = unit.empty() || unit == "keV" ? 1 : unit == "eV" ? 1e-3 : unit == "MeV" ? 1e3 : 0;
  slope = static_cast<double>(s.calSlope) * scale;
  offset = static_cast<double>(s.calOffset) * scale;
  return s.calibrated == 1 && slope > 0 && std::isfinite(slope) && std::isfinite(offset);
}

}  // namespace tavlex
