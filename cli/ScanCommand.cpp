// tavlex scan: a series of SXFM scans run by the window's own scan tick, each finished scan saved
// as PREFIX-0001.dat, ... and one line per scan in PREFIX.csv.

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "acq/Acquisition.h"
#include "acq/SetupRules.h"
#include "app/Convert.h"
#include "cli/Analyser.h"
#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "cli/Options.h"
#include "cli/Session.h"
#include "files/LineWriter.h"
#include "files/SpectrumFile.h"
#include "link/Backends.h"
#include "link/SimAnalyser.h"

namespace tavlex::cli {
namespace {

struct ScanOptions {
  std::vector<std::string> files;  // PREFIX
  std::string prefix;
  int scans = 0;
  int presetSteps = 10;  // 100 ms steps
  int memory = 2048;
  int refreshMs = 100;
  AnalyserChoice analyser;
};

int Parse(const Args& args, ScanOptions& o) {
  OptionParser parser("scan");
  parser.Also(AnalyserOptions("scan", o.analyser))
      .Value("--scans", "--scans needs a number of scans, 1 to 9999", WholeNumber(o.scans, 1, 9999))
      // The analyser counts a scan's preset in 100 ms steps.
      .Value("--scan-time", "--scan-time needs seconds, 0.1 or more",
             [&o](const std::string& v) {
               double seconds = 0;
               if (!TryStrToFloat(v, seconds) ||
                   !(seconds >= kShortestScanSteps * 0.1 && seconds <= kLongestScanSteps * 0.1))
                 return false;
               o.presetSteps = static_cast<int>(std::lround(seconds * 10));
               return true;
             })
      .Value("--memory", "--memory needs 512, 1024 or 2048",
             [&o](const std::string& v) {
               return TryStrToInt(v, o.memory) && IsScanMemorySize(o.memory);
             })
      .Value("--refresh", "--refresh needs milliseconds, 10 or more",
             WholeNumber(o.refreshMs, kShortestRefreshMs, std::numeric_limits<int>::max()))
      .Files(1, 1, "no PREFIX named", "more than one prefix named");
  if (int status = parser.Parse(args, o.files)) return status;
  if (o.scans == 0) return UsageError("scan", "--scans is required");
  if (!RefreshSeesEveryScan(o.refreshMs, o.presetSteps))
    return UsageError("scan", Format("--refresh %d ms is not shorter than a scan of %.1f s; scans "
                                     "would finish unseen and be lost",
                                     o.refreshMs, o.presetSteps * 0.1));
  o.prefix = o.files[0];
  return 0;
}

// Nothing is measured unless every file of the series can be written and none is there yet.
int CheckOutputs(const ScanOptions& o) {
  const std::string csv = o.prefix + ".csv";
  if (const FileResult r = CheckSpectrumOutput(ScanFilePath(o.prefix, 1)); !r.ok()) {
    Complain(ScanFilePath(o.prefix, 1) + ": " + FileResultReason(r) + "; nothing was measured");
    return kExitFailure;
  }
  std::vector<std::string> files = {csv};
  for (int n = 1; n <= o.scans; ++n) files.push_back(ScanFilePath(o.prefix, n));
  for (const std::string& f : files) {
    if (!NameIsFree(f)) {
      Complain(f +
               ": is already there; a scan series never writes over a file, nothing was measured");
      return kExitFailure;
    }
  }
  return kExitOk;
}

// One finished scan as its file has it: its own real time and the counts of its spectrum.
struct ScanLine {
  int scan;
  double realSeconds;
  long long events;
  double kcps;
};

bool WriteCsv(const std::string& path, const std::vector<ScanLine>& lines) {
  SafeWriter out(path, Existing::Keep);
  if (!out.Open()) return false;
  LineWriter csv(out);
  csv.Line("scan,real_s,events,kcps");
  for (const ScanLine& l : lines)
    csv.Line("%d,%.2f,%lld,%.3f", l.scan, l.realSeconds, l.events, l.kcps);
  return out.Commit();
}

void ShowProgress(const AppState& s, int scans, bool done) {
  std::fprintf(stderr, "\rscan %d / %d  %8.2f kcps%s", s.scanCount, scans,
               static_cast<double>(s.countRate), done ? "\n" : "");
  std::fflush(stderr);
}

}  // namespace

int Scan(const Args& args) {
  ScanOptions o;
  if (int status = Parse(args, o)) return status;
  if (int status = CheckOutputs(o)) return status;
  InterruptHandlers handlers;
  CommandAnalyser analyser;
  if (int status = analyser.Open("scan", o.analyser)) return status;
  AppState& s = analyser.State();
  HeadlessWindow& window = analyser.Window();
  LinkContext& c = analyser.Link();
  // The SXFM setup dialog's OK, with the values of the options.
  PrepareSxfmSetup(s);
  s.sxfmSetup.memorySize = o.memory;
  s.sxfmSetup.presetTime = o.presetSteps;
  s.sxfmSetup.refreshMs = o.refreshMs;
  ApplySxfmSetup(c);
  SxfmClear(c);
  if (interrupted) return NotStarted();
  SxfmStart(c);
  if (!s.acquiring) {
    Complain("the analyser refused to start the scans");
    return kExitFailure;
  }

  const bool tty = isatty(STDERR_FILENO);
  std::vector<ScanLine> lines;
  lines.reserve(static_cast<std::size_t>(o.scans));  // nothing allocated while the scans run
  bool saveFailed = false;
  PaceTicks(window, [&] {
    if (interrupted) return false;
    if (ScanTick(c)) {
      const FileResult saved = SaveFinishedScan(s, window, o.prefix, s.scanCount);
      if (!saved.ok()) {
        Complain(ScanFilePath(o.prefix, s.scanCount) + ": " + FileResultReason(saved));
        saveFailed = true;
      }
      lines.push_back({s.scanCount, FinishedScanTimes(s).real * 0.1,
                       static_cast<long long>(FinishedScanCounts(s)),
                       static_cast<double>(s.countRate)});
    }
    if (tty) ShowProgress(s, o.scans, false);
    return s.scanCount < o.scans && !saveFailed;
  });
  // Abort, as the SXFM tab's button does; nothing is sent when the run already ended.
  SxfmStop(c);
  if (tty) ShowProgress(s, o.scans, true);

  const std::string csv = o.prefix + ".csv";
  if (!WriteCsv(csv, lines)) {
    Complain(csv + ": cannot be written");
    return kExitFailure;
  }
  std::printf("%s: %zu scans of %.1f s, %d channels, summary in %s%s%s\n", o.prefix.c_str(),
              lines.size(), o.presetSteps * 0.1, s.channelSize, csv.c_str(),
              interrupted ? (", stopped by " + InterruptName()).c_str() : "",
              s.linkFailed ? ", analyser lost" : "");
  if (s.linkFailed) {
    Complain("analyser stopped answering; the scans already finished are saved");
    return kExitFailure;
  }
  if (saveFailed) return kExitFailure;
  if (interrupted) {
    Complain("stopped by " + InterruptName() + "; the scans already finished are saved");
    return kExitInterrupted;
  }
  return kExitOk;
}

}  // namespace tavlex::cli
