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
#include "acq/Xmca1.h"
#include "app/Convert.h"
#include "cli/Analyser.h"
#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "cli/Session.h"
#include "files/SpectrumFile.h"
#include "link/Backends.h"
#include "link/SimAnalyser.h"

namespace tavlex::cli {
namespace {

struct AcquireOptions {
  std::string out;
  double presetSeconds = -1;
  int channels = 4096;
  double deadTimeUs = 1.8;
  std::string comment, sampleId;
  AnalyserChoice analyser;
  double unplugAfterSeconds = -1;  // the simulated analyser's cable pulled during the run
};

int Parse(const Args& args, AcquireOptions& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    auto value = [&](std::string& to) {
      if (i + 1 >= args.size()) return false;
      to = args[++i];
      return true;
    };
    if (const int taken = TakeAnalyserOption("acquire", args, i, o.analyser); taken >= 0) {
      if (taken > 0) return taken;
    } else if (a == "--preset") {
      if (!value(v) || !TryStrToFloat(v, o.presetSeconds) || o.presetSeconds < 0.1 ||
          o.presetSeconds > 2e8)
        return UsageError("acquire", "--preset needs a time in seconds of at least 0.1");
    } else if (a == "--channels") {
      if (!value(v) || !TryStrToInt(v, o.channels) ||
          (o.channels != 256 && o.channels != 512 && o.channels != 1024 && o.channels != 2048 &&
           o.channels != 4096))
        return UsageError("acquire", "--channels needs 256, 512, 1024, 2048 or 4096");
    } else if (a == "--dead-time") {
      if (!value(v) || !TryStrToFloat(v, o.deadTimeUs) || !DeadTimeFits(o.deadTimeUs))
        return UsageError("acquire", "--dead-time needs microseconds per event, 0 or more");
    } else if (a == "--comment" || a == "--sample-id") {
      if (!value(v)) return UsageError("acquire", a + " needs a text");
      // The header's texts are Latin-1, as the setup dialog stores them; the terminal's are not.
      const QString text = QString::fromLocal8Bit(v);
      for (const QChar ch : text)
        if (ch.unicode() > 0xFF)
          return UsageError("acquire", a + " takes Latin-1 characters only (a header is 8-bit)");
      const QByteArray latin1 = text.toLatin1();
      if (latin1.size() > 31) return UsageError("acquire", a + " holds at most 31 characters");
      (a == "--comment" ? o.comment : o.sampleId) = latin1.toStdString();
    } else if (a == "--sim-unplug-after") {
      if (!value(v) || !TryStrToFloat(v, o.unplugAfterSeconds) || !(o.unplugAfterSeconds >= 0))
        return UsageError("acquire", "--sim-unplug-after needs seconds, 0 or more");
      o.analyser.simOptions = true;
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("acquire", "unknown option " + a);
    } else if (o.out.empty()) {
      o.out = a;
    } else {
      return UsageError("acquire", "more than one output file named");
    }
  }
  if (o.out.empty()) return UsageError("acquire", "no output file named");
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
  if (const FileResult r = CheckSpectrumOutput(o.out); !r.ok()) {
    Complain(o.out + ": " + FileResultReason(r) + "; nothing was measured");
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
  auto next = started;
  while (window.TimerEnabled()) {
    next = NextTickAt(next, std::chrono::steady_clock::now(), window.TimerInterval());
    std::this_thread::sleep_until(next);
    if (sim && o.unplugAfterSeconds >= 0 && sim->Plugged() &&
        std::chrono::steady_clock::now() - started >=
            std::chrono::duration<double>(o.unplugAfterSeconds))
      sim->Unplug();
    if (interrupted) {
      McaStopAndCollect(c);  // as the end of a preset does, bounded as one operation
      break;
    }
    McaTick(c);
    if (tty) ShowProgress(s, false);
  }
  if (tty) ShowProgress(s, true);

  const std::string where = Save(s, window, o.out);
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
  if (where != o.out) return kExitFailure;
  if (interrupted) {
    Complain("stopped by " + InterruptName() + "; what was acquired is saved in " + where);
    return kExitInterrupted;
  }
  return kExitOk;
}

}  // namespace tavlex::cli
