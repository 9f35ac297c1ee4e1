// tavlex acquire: one MCA acquisition run by the window's own polling loop, saved as .dat.

#include <signal.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "acq/Acquisition.h"
#include "acq/SetupRules.h"
#include "app/Convert.h"
#include "cli/Analyser.h"
#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "cli/Options.h"
#include "cli/Session.h"
#include "files/SpectrumFile.h"
#include "link/Backends.h"
#include "link/SimAnalyser.h"

namespace tavlex::cli {
namespace {

struct AcquireOptions {
  std::vector<std::string> files;  // OUT.dat
  double presetSeconds = -1;
  int channels = 4096;
  double deadTimeUs = 1.8;
  std::string comment, sampleId;
  AnalyserChoice analyser;
  double unplugAfterSeconds = -1;  // the simulated analyser's cable pulled during the run
};

// A header text: Latin-1, as the setup dialog stores it; the terminal's text is not.
void HeaderTextOption(OptionParser& parser, const std::string& name, std::string& to) {
  parser.Value(
      name.c_str(), name + " needs a text", [name, &to](const std::string& v, std::string& why) {
        const QString text = QString::fromLocal8Bit(v);
        if (std::any_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() > 0xFF; })) {
          why = name + " takes Latin-1 characters only (a header is 8-bit)";
          return false;
        }
        const QByteArray latin1 = text.toLatin1();
        if (latin1.size() > 31) {
          why = name + " holds at most 31 characters";
          return false;
        }
        to = latin1.toStdString();
        return true;
      });
}

int Parse(const Args& args, AcquireOptions& o) {
  OptionParser parser("acquire");
  parser.Also(AnalyserOptions("acquire", o.analyser))
      .Value("--preset", "--preset needs a time in seconds of at least 0.1",
             [&o](const std::string& v) {
               return TryStrToFloat(v, o.presetSeconds) && PresetSecondsValid(o.presetSeconds);
             })
      .Value("--channels", "--channels needs 256, 512, 1024, 2048 or 4096",
             [&o](const std::string& v) {
               return TryStrToInt(v, o.channels) && IsMcaMemorySize(o.channels);
             })
      .Value("--dead-time", "--dead-time needs microseconds per event, 0 or more",
             [&o](const std::string& v) {
               return TryStrToFloat(v, o.deadTimeUs) && DeadTimeFits(o.deadTimeUs);
             })
      .Value("--sim-unplug-after", "--sim-unplug-after needs seconds, 0 or more",
             [&o](const std::string& v) {
               o.analyser.simOptions = true;
               return TryStrToFloat(v, o.unplugAfterSeconds) && o.unplugAfterSeconds >= 0;
             })
      .Files(1, 1, "no output file named", "more than one output file named");
  HeaderTextOption(parser, "--comment", o.comment);
  HeaderTextOption(parser, "--sample-id", o.sampleId);
  if (int status = parser.Parse(args, o.files)) return status;
  if (o.presetSeconds < 0) return UsageError("acquire", "--preset is required");
  return 0;
}

void ShowProgress(const AppState& s, bool done) {
  const double real = s.realTime * 0.1, preset = s.mcaSetup.presetTime * 0.1;
  const int width = 30;
  const int filled = preset > 0 ? static_cast<int>(width * std::min(1.0, real / preset)) : width;
  char bar[width + 1];
  for (int i = 0; i < width; ++i) bar[i] = i < filled ? '#' : '.';
  bar[width] = '\0';
  std::fprintf(stderr, "\r[%s] %8.1f / %.1f s  %8.2f kcps  DT %5.1f %%%s", bar, real, preset,
               static_cast<double>(s.countRate), s.deadTime * 0.1, done ? "\n" : "");
  std::fflush(stderr);
}

// Saves the run to `out`, or when that fails all the same to a recovery copy. Returns where the
// spectrum is, empty when it could not be saved anywhere.
std::string Save(AppState& s, HeadlessWindow& window, const std::string& out) {
  const FileResult saved = WriteSpectrumFile(s, window, out);
  if (saved.ok()) return out;
  const std::string recovery = RecoveryPath(out);
  if (!recovery.empty() && WriteSpectrumFile(s, window, recovery).ok()) {
    Complain(out + ": " + FileResultReason(saved) + "; the spectrum is saved in " + recovery);
    return recovery;
  }
  Complain(out + ": " + FileResultReason(saved) + "; no recovery copy could be written either" +
           (recovery.empty() ? "" : " (" + recovery + ")"));
  return {};
}

}  // namespace

int Acquire(const Args& args) {
  AcquireOptions o;
  if (int status = Parse(args, o)) return status;
  // Before the analyser is opened: a run whose file cannot be written is not measured at all.
  const std::string& out = o.files[0];
  if (const FileResult r = CheckSpectrumOutput(out); !r.ok()) {
    Complain(out + ": " + FileResultReason(r) + "; nothing was measured");
    return kExitFailure;
  }
  InterruptHandlers handlers;
  CommandAnalyser analyser;
  if (int status = analyser.Open("acquire", o.analyser)) return status;
  SimDriver* sim = analyser.Sim();
  AppState& s = analyser.State();
  HeadlessWindow& window = analyser.Window();
  LinkContext& c = analyser.Link();

  // The setup dialog's OK, with the values of the options.
  s.mcaSetup.memorySize = o.channels;
  s.mcaSetup.presetTime = PresetTenthsFromSeconds(o.presetSeconds);
  s.mcaSetup.deadTimePerEvent = static_cast<float>(o.deadTimeUs);
  CopyText(s.mcaSetup.comment, sizeof s.mcaSetup.comment, o.comment);
  CopyText(s.mcaSetup.sampleId, sizeof s.mcaSetup.sampleId, o.sampleId);
  ApplyMcaSetup(c);
  McaClear(c);
  if (interrupted) return NotStarted();
  McaStart(c);
  if (!s.acquiring) {
    Complain("the analyser refused to start");
    return kExitFailure;
  }

  const bool tty = isatty(STDERR_FILENO);
  const auto started = std::chrono::steady_clock::now();
  PaceTicks(window, [&] {
    if (sim && o.unplugAfterSeconds >= 0 && sim->Plugged() &&
        std::chrono::steady_clock::now() - started >=
            std::chrono::duration<double>(o.unplugAfterSeconds))
      sim->Unplug();
    if (interrupted) {
      McaStopAndCollect(c);  // as the end of a preset does, bounded as one operation
      return false;
    }
    McaTick(c);
    if (tty) ShowProgress(s, false);
    return true;
  });
  if (tty) ShowProgress(s, true);

  const std::string where = Save(s, window, out);
  if (where.empty()) return kExitFailure;
  std::int64_t total = 0;
  for (int ch = 0; ch < s.channelSize; ++ch) total += s.spectrumCounts[ch];
  const std::string stop = interrupted ? ", stopped by " + InterruptName() : "";
  std::printf("%s: %d channels, real %.1f s, live %.1f s, dead %.1f %%, %lld counts%s%s\n",
              where.c_str(), s.channelSize, s.realTime * 0.1, s.liveTime * 0.1, s.deadTime * 0.1,
              static_cast<long long>(total), stop.c_str(), s.linkFailed ? ", analyser lost" : "");
  if (s.linkFailed) {
    Complain("analyser stopped answering; what was acquired is saved in " + where);
    return kExitFailure;
  }
  // The file the user named was not written: a failure, whatever stopped the run.
  if (where != out) return kExitFailure;
  if (interrupted) {
    Complain("stopped by " + InterruptName() + "; what was acquired is saved in " + where);
    return kExitInterrupted;
  }
  return kExitOk;
}

}  // namespace tavlex::cli
