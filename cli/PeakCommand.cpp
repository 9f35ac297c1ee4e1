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
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/ViewOptions.h"

namespace tavlex::cli {
namespace {

struct PeakOptions {
  std::vector<std::string> files;  // FILE.dat
  ViewSettings view;
  bool json = false;
};

// Returns 0 when the options are good, else the usage error's exit status.
int Parse(const Args& args, PeakOptions& o) {
  OptionParser parser("peak");
  parser.ReadsSpectra();
  AddViewOptions(parser, o.view, kViewRange | kViewCursor);
  parser.Flag("--json", o.json).Files(1, 1, "needs FILE.dat");
  if (int status = parser.Parse(args, o.files)) return status;
  if (!o.view.hasCursor) return UsageError("peak", "needs --cursor C");
  return 0;
}

struct Line {
  const char* key;
  std::string text, json;
};

// Channels with two decimals as the window shows them, energies with four (a width in keV
// would otherwise lose its eV); JSON numbers at full single precision, null where not finite.
std::string Number(float v, bool json, const char* format = "%.2f") {
  return json ? JsonNumber(v) : Format(format, static_cast<double>(v));
}

void Print(const std::vector<Line>& lines, bool json) {
  if (!json) {
    for (const Line& l : lines) std::printf("%s: %s\n", l.key, l.text.c_str());
    return;
  }
  JsonObject out;
  for (const Line& l : lines) out.Json(l.key, l.json);
  std::printf("%s\n", out.Done().c_str());
}

}  // namespace

int Peak(const Args& args) {
  PeakOptions o;
  if (int status = Parse(args, o)) return status;
  Session session;
  if (!session.Read(o.files[0])) return kExitFailure;
  AppState& s = session.State();
  if (int status = ViewFitsFile("peak", o.view, s.channelSize)) return status;
  s.viewStart = o.view.hasRange ? o.view.start : 0;
  s.viewEnd = o.view.hasRange ? o.view.end : s.channelSize - 1;
  s.cursorChannel = o.view.cursor;

  const std::optional<SnapResult> snap = SnapPeakCommand(s, session.Window());
  const std::optional<FwhmResult> fwhm = snap ? FwhmCommand(s, session.Window()) : std::nullopt;
  if (!snap || !fwhm) {
    Complain(Format("no peak near channel %d", o.view.cursor));
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
      const float width = WidthEnergy(*fwhm->width, s.calSlope);
      lines.push_back({"fwhm_energy", Number(width, false, "%.4f"), Number(width, true)});
    } else {
      lines.push_back({"fwhm_energy", "undefined", "null"});
    }
  }
  Print(lines, o.json);
  return kExitOk;
}

}  // namespace tavlex::cli
