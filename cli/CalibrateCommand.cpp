// tavlex calibrate: a spectrum file read as File -> Read does, calibrated on two points by the
// window's Exec Calib, and written as File -> Write does.

#include <QString>
#include <cstdio>
#include <string>

#include "analysis/Calibration.h"
#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Session.h"
#include "files/SpectrumFile.h"

namespace tavlex::cli {
namespace {

struct CalibPointText {
  std::string channel, energy;
};

struct CalibrateOptions {
  std::string in, out;
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
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    auto value = [&](std::string& to) {
      if (i + 1 >= args.size()) return false;
      to = args[++i];
      return true;
    };
    if (a == "--low" || a == "--high") {
      const bool isLow = a == "--low";
      if (!value(v) || !SplitPoint(v, isLow ? o.low : o.high))
        return UsageError("calibrate", a + " needs CHANNEL:ENERGY");
      (isLow ? o.hasLow : o.hasHigh) = true;
    } else if (a == "--unit") {
      if (!value(o.unit)) return UsageError("calibrate", "--unit needs a text");
    } else if (a == "--json") {
      o.json = true;
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("calibrate", "unknown option " + a);
    } else if (o.in.empty()) {
      o.in = a;
    } else if (o.out.empty()) {
      o.out = a;
    } else {
      return UsageError("calibrate", "too many files named");
    }
  }
  if (o.out.empty()) return UsageError("calibrate", "needs IN.dat and OUT.dat");
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

std::string JsonText(const QString& text) {
  QString out = "\"";
  for (QChar c : text) {
    if (c == '"' || c == '\\')
      out += QString('\\') + c;
    else if (c.unicode() < 0x20)
      out += QString::asprintf("\\u%04x", c.unicode());
    else
      out += c;
  }
  return (out + "\"").toUtf8().toStdString();
}

}  // namespace

int Calibrate(const Args& args) {
  CalibrateOptions o;
  if (int status = Parse(args, o)) return status;
  Session session;
  if (!session.Read(o.in)) return kExitFailure;
  AppState& s = session.State();
  const std::string unit = UnitBytes(o.unit);
  const CalibStatus status =
      ExecCalib(s, session.Window(),
                CalibTexts{o.low.channel, o.high.channel, o.low.energy, o.high.energy, unit});
  if (status != CalibStatus::Ok) {
    Complain("calibrate: " + Why(status, o));
    return kExitFailure;
  }
  const FileResult r = WriteSpectrumFile(s, session.Window(), o.out);
  if (!r.ok()) {
    Complain(o.out + ": " + FileResultReason(r));
    return kExitFailure;
  }
  const std::string slope = ShortestFloatText(s.calSlope), offset = ShortestFloatText(s.calOffset);
  if (o.json) {
    std::printf("{\"slope\": %s, \"offset\": %s, \"unit\": %s}\n", slope.c_str(), offset.c_str(),
                JsonText(UnitText(s)).c_str());
  } else {
    std::printf("slope: %s\noffset: %s\nunit: %s\n", slope.c_str(), offset.c_str(),
                UnitText(s).toLocal8Bit().constData());
  }
  return kExitOk;
}

}  // namespace tavlex::cli
