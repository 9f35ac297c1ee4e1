#pragma once
// The two-point energy calibration: energy = channel x slope + offset, in single precision.
// Exec Calib's conversions and arithmetic, the channel a calibration box takes from the cursor,
// and the check of a channel box while it is typed in. No widgets.

#include <optional>
#include <string>
#include <string_view>

#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex {

namespace calibtext {
// Exec Calib, for the first box that does not convert (in this order).
inline constexpr const char* kLowCh = "Error ! Energy Calib LowCh";
inline constexpr const char* kHighCh = "Error ! Energy Calib HighCh";
inline constexpr const char* kLowEng = "Error ! Energy Calib LowEng";
inline constexpr const char* kHighEng = "Error ! Energy Calib HighEng";
// Two equal channels give no line.
inline constexpr const char* kSameCh = "Error ! Energy Calib LowCh = HighCh";
// A slope or offset beyond single precision would make every energy infinite.
inline constexpr const char* kRange = "Error ! Energy Calib Range";
// While a channel box is typed in.
inline constexpr const char* kTypedLowCh = "Error ! EngCalib LowCh";
inline constexpr const char* kTypedHiCh = "Error ! EngCalib HiCh";
}  // namespace calibtext

struct CalibPoints {
  float lowChannel = 0, highChannel = 0, lowEnergy = 0, highEnergy = 0;
};

struct CalibLine {
  float slope = 0, offset = 0;
};

enum class CalibStatus {
  Ok,
  BadLowChannel,
  BadHighChannel,
  BadLowEnergy,
  BadHighEnergy,
  SameChannels,
  OutOfRange,
};

// The status box's text for a refused calibration; empty for Ok.
const char* CalibMessage(CalibStatus status);

// A calibration box's number, rounded to single precision. Blanks around it are taken (the
// "%8.2f" of a snapped centroid starts with some); a text that is no number, or a number beyond
// single precision, is refused.
bool ParseCalibNumber(std::string_view text, float& out);

// The line through both points: slope rounded to single precision, then the offset from the
// high point with that rounded slope, rounded too, so the line meets the high point exactly.
// Refuses equal channels and a slope or offset beyond single precision; `line` is then untouched.
CalibStatus CalibrationLine(const CalibPoints& points, CalibLine& line);

// The energy of a channel as the readout shows it, in single precision.
float ChannelEnergy(float channel, float slope, float offset);

// The readout under the plot for a channel: Label3 the channel, and when a calibration exists its
// energy in Label8 ("%8.2f") and the unit in Label9. Every cursor move shows the readout
// through here, so the energy is always the shown channel's.
void ShowChannelReadout(const AppState& s, MainWindowPort& window, int channel);
// The readout of the cursor channel.
void ShowCursorReadout(const AppState& s, MainWindowPort& window);

// A width in channels as an energy width: its size, whichever way the calibration runs.
float WidthEnergy(float widthChannels, float slope);

// The calibration as keV per channel and keV: false when the spectrum is not calibrated or its
// energy unit is none of eV, keV (or no unit) and MeV.
bool CalibrationInKeV(const AppState& s, double& slope, double& offset);

// The texts of the "Eng.Calib" tab as Exec Calib reads them.
struct CalibTexts {
  std::string_view lowChannel, highChannel, lowEnergy, highEnergy, unit;
};

// Exec Calib: converts the four texts in order, computes the line and stores the entered points,
// the unit (7 characters), slope, offset and calibrated. On a refusal its message goes to Edit1
// and the calibration in force stays as it was.
CalibStatus ExecCalib(AppState& s, MainWindowPort& window, const CalibTexts& texts);

// The channel a "L_Ch." or "H_Ch." box takes: the last snapped centroid with "%8.2f" while the
// cursor still stands on its channel, else the cursor channel in decimal.
std::string CalibChannelText(int cursorChannel, float peakCentroid);

// The check while a channel box is typed in: the error in Edit1 when the text is no number.
void CheckCalibChannelText(MainWindowPort& window, std::string_view text, bool highBox);

}  // namespace tavlex
