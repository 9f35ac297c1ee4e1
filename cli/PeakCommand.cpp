// tavlex peak: Snap Peak and then FWHM Calic. at the cursor Snap Peak leaves, on a spectrum file
// read as File -> Read does, exactly as the window's two buttons run them.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Calibration.h"
#include "analysis/Peak.h"
#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Session.h"

namespace tavlex::cli {
namespace {

struct PeakOptions {
  std::string in;
  bool hasCursor = false;
  int cursor = 0;
  bool hasView = false;
  int viewStart = 0, viewEnd = 0;
  bool json = false;
};

bool ParseRange(const std::string& text, int& a, int& b) {
  const auto dash = text.find('-', 1);
  return dash != std::string::npos && TryStrToInt(text.substr(0, dash), a) &&
         TryStrToInt(text.substr(dash + 1), b);
}

// Returns 0 when the options are good, else the usage error's exit status.
int Parse(const Args& args, PeakOptions& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    auto value = [&]() {
      if (i + 1 >= args.size()) return false;
      v = args[++i];
      return true;
    };
    if (a == "--cursor") {
      if (!value() || !TryStrToInt(v, o.cursor))
        return UsageError("peak", "--cursor needs a channel");
      o.hasCursor = true;
    } else if (a == "--view") {
      if (!value() || !ParseRange(v, o.viewStart, o.viewEnd))
        return UsageError("peak", "--view needs START-END");
      o.hasView = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("peak", "unknown option " + a);
    } else if (o.in.empty()) {
      o.in = a;
    } else {
      return UsageError("peak", "too many files named");
    }
  }
  if (o.in.empty()) return UsageError("peak", "needs FILE.dat");
  if (!o.hasCursor) return UsageError("peak", "needs --cursor C");
  return 0;
}

struct Line {
  const char* key;
  std::string text, json;
};

// Channels with two decimals as the window shows them, energies with four (a width in keV
// would otherwise lose its eV); JSON numbers at full single precision.
std::string Number(float v, bool json, const char* format = "%.2f") {
  return json ? ShortestFloatText(v) : Format(format, static_cast<double>(v));
}

void Print(const std::vector<Line>& lines, bool json) {
  if (!json) {
    for (const Line& l : lines) std::printf("%s: %s\n", l.key, l.text.c_str());
    return;
  }
  std::string out = "{";
  for (const Line& l : lines) {
    if (out.size() > 1) out += ", ";
    out += std::string("\"") + l.key + "\": " + l.json;
  }
  std::printf("%s}\n", out.c_str());
}

}  // namespace

int Peak(const Args& args) {
  PeakOptions o;
  if (int status = Parse(args, o)) return status;
  Session session;
  if (!session.Read(o.in)) return kExitFailure;
  AppState& s = session.State();
  const int last = s.channelSize - 1;
  if (o.cursor < 0 || o.cursor > last)
    return UsageError("peak", Format("--cursor needs a channel 0-%d", last));
  if (o.hasView && (o.viewStart < 0 || o.viewEnd <= o.viewStart || o.viewEnd > last))
    return UsageError("peak", Format("--view needs START-END within 0-%d, START below END", last));
  s.viewStart = o.hasView ? o.viewStart : 0;
  s.viewEnd = o.hasView ? o.viewEnd : last;
  s.cursorChannel = o.cursor;

  const std::optional<SnapResult> snap = SnapPeakCommand(s, session.Window());
  const std::optional<FwhmResult> fwhm = snap ? FwhmCommand(s, session.Window()) : std::nullopt;
  if (!snap || !fwhm) {
    Complain(Format("no peak near channel %d", o.cursor));
    return kExitFailure;
  }
  std::vector<Line> lines = {
      {"peak", std::to_string(snap->peak), std::to_string(snap->peak)},
      {"centroid", Number(snap->centroid, false), Number(snap->centroid, true)},
      {"cursor", std::to_string(snap->cursor), std::to_string(snap->cursor)},
      {"fwhm_peak", std::to_string(fwhm->peak), std::to_string(fwhm->peak)},
      {"fwhm_centroid", Number(fwhm->centroid, false), Number(fwhm->centroid, true)},
      {"fwhm_ch", fwhm->width ? Number(*fwhm->width, false) : "undefined",
       fwhm->width ? Number(*fwhm->width, true) : "null"},
  };
  if (s.calibrated == 1) {
    const float centroidEnergy = ChannelEnergy(snap->centroid, s.calSlope, s.calOffset);
    lines.push_back(
        {"centroid_energy", Number(centroidEnergy, false, "%.4f"), Number(centroidEnergy, true)});
    if (fwhm->width) {
      const float width = *fwhm->width * s.calSlope;
      lines.push_back({"fwhm_energy", Number(width, false, "%.4f"), Number(width, true)});
    } else {
      lines.push_back({"fwhm_energy", "undefined", "null"});
    }
  }
  Print(lines, o.json);
  return kExitOk;
}

}  // namespace tavlex::cli
