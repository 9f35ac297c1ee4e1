// tavlex calibrate: a spectrum file read as File -> Read does, calibrated on two points by the
// window's Exec Calib, and written as File -> Write does.

#include <QString>
#include <cstdio>
#include <string>

#include "analysis/Calibration.h"
#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "files/SpectrumFile.h"

namespace tavlex::cli {
namespace {

struct CalibPointText {
  std::string channel, energy;
};

struct CalibrateOptions {
  std::vector<std::string> files;  // IN.dat, OUT.dat
  bool hasLow = false, hasHigh = false;
  CalibPointText low, high;
  std::string unit = "keV";  // what the unit box holds when the window opens
  bool json = false;
};

// CH:ENERGY, split at the first colon; the two numbers are checked by Exec Calib itself.
bool SplitPoint(const std::string& text, CalibPointText& point) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) return false;
  point.channel = text.substr(0, colon);
  point.energy = text.substr(colon + 1);
  return true;
}

// Returns 0 when the options are good, else the usage error's exit status.
int Parse(const Args& args, CalibrateOptions& o) {
  OptionParser parser("calibrate");
  parser.ReadsSpectra();
  const auto point = [&parser](const char* name, CalibPointText& to, bool& given) {
    parser.Value(name, std::string(name) + " needs CHANNEL:ENERGY",
                 [&to, &given](const std::string& v) {
                   given = SplitPoint(v, to);
                   return given;
                 });
  };
  point("--low", o.low, o.hasLow);
  point("--high", o.high, o.hasHigh);
  parser.Text("--unit", "--unit needs a text", o.unit)
      .Flag("--json", o.json)
      .Files(2, 2, "needs IN.dat and OUT.dat");
  if (int status = parser.Parse(args, o.files)) return status;
  if (!o.hasLow || !o.hasHigh) return UsageError("calibrate", "needs --low and --high");
  return 0;
}

std::string Why(CalibStatus status, const CalibrateOptions& o) {
  switch (status) {
    case CalibStatus::BadLowChannel:
      return "low channel '" + o.low.channel + "' is not a number";
    case CalibStatus::BadHighChannel:
      return "high channel '" + o.high.channel + "' is not a number";
    case CalibStatus::BadLowEnergy:
      return "low energy '" + o.low.energy + "' is not a number";
    case CalibStatus::BadHighEnergy:
      return "high energy '" + o.high.energy + "' is not a number";
    case CalibStatus::SameChannels:
      return "the low and the high channel are the same";
    case CalibStatus::OutOfRange:
      return "the slope or offset is beyond single precision";
    case CalibStatus::Ok:
      break;
  }
  return {};
}

// The unit is kept as the window keeps it: 8-bit Latin-1, at most 7 characters.
std::string UnitBytes(const std::string& localText) {
  return QString::fromLocal8Bit(localText).toLatin1().toStdString();
}

QString UnitText(const AppState& s) {
  return QString::fromLatin1(s.energyUnit);
}

}  // namespace

int Calibrate(const Args& args) {
  CalibrateOptions o;
  if (int status = Parse(args, o)) return status;
  Session session;
  const std::string &in = o.files[0], &out = o.files[1];
  if (!session.Read(in)) return kExitFailure;
  AppState& s = session.State();
  const std::string unit = UnitBytes(o.unit);
  const CalibStatus status =
      ExecCalib(s, session.Window(),
                CalibTexts{o.low.channel, o.high.channel, o.low.energy, o.high.energy, unit});
  if (status != CalibStatus::Ok) {
    Complain("calibrate: " + Why(status, o));
    return kExitFailure;
  }
  const FileResult r = WriteSpectrumFile(s, session.Window(), out);
  if (!r.ok()) {
    Complain(out + ": " + FileResultReason(r));
    return kExitFailure;
  }
  if (o.json) {
    std::printf("%s\n", JsonObject()
                            .Number("slope", s.calSlope)
                            .Number("offset", s.calOffset)
                            .Text("unit", s.energyUnit, Bytes::Latin1)
                            .Done()
                            .c_str());
  } else {
    std::printf("slope: %s\noffset: %s\nunit: %s\n", ShortestFloatText(s.calSlope).c_str(),
                ShortestFloatText(s.calOffset).c_str(), UnitText(s).toLocal8Bit().constData());
  }
  return kExitOk;
}

}  // namespace tavlex::cli
