// Saving the scans of an SXFM run: each finished scan as its own spectrum file beside a chosen
// name, never over a file that is already there.

#include <sys/stat.h>

#include <QDateTime>

#include <cstdio>
#include <cstring>

#include "files/SafeWrite.h"
#include "files/SpectrumFile.h"

namespace tavlex {
namespace {

// What writing a file changes in the state and a scan's file must leave as it was.
class KeepShownState {
 public:
  explicit KeepShownState(AppState& s)
      : s_(s), preset_(s.presetTime), real_(s.realTime), live_(s.liveTime) {
    std::memcpy(path_, s.dataFilePath, sizeof path_);
    std::memcpy(name_, s.dataFileName, sizeof name_);
  }
  ~KeepShownState() {
    s_.presetTime = preset_, s_.realTime = real_, s_.liveTime = live_;
    std::memcpy(s_.dataFilePath, path_, sizeof path_);
    std::memcpy(s_.dataFileName, name_, sizeof name_);
  }
  KeepShownState(const KeepShownState&) = delete;
  KeepShownState& operator=(const KeepShownState&) = delete;

 private:
  AppState& s_;
  int preset_, real_, live_;
  char path_[sizeof AppState::dataFilePath];
  char name_[sizeof AppState::dataFileName];
};

}  // namespace

std::string ScanFilePath(std::string_view prefix, int scanNumber) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "-%04d.dat", scanNumber);
  return std::string(prefix) + suffix;
}

std::string ScanPrefixFromChosen(std::string_view chosen) {
  std::string prefix(chosen);
  const std::size_t slash = prefix.find_last_of('/');
  const std::size_t dot = prefix.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) prefix.resize(dot);
  return prefix;
}

FileResult SaveFinishedScan(AppState& s, MainWindowPort& window, std::string_view prefix,
                            int scanNumber) {
  const std::string path = ScanFilePath(prefix, scanNumber);
  struct stat existing;
  if (lstat(path.c_str(), &existing) == 0) {
    FileResult r;
    r.status = FileStatus::CannotOpen;
    r.message = filetext::kWriteError;
    window.SetText(Field::Edit1, r.message);
    return r;
  }
  // The scan's file carries the scan's own times; the window's name and times stay as they are.
  KeepShownState keep(s);
  const ScanTimes times = FinishedScanTimes(s);
  s.presetTime = times.preset;
  s.realTime = times.real;
  s.liveTime = times.live;
  // Each scan's file says when it was measured.
  s.currentHeader.SetDate(AcqDateNow());
  return WriteSpectrumFile(s, window, path);
}

ScanTimes FinishedScanTimes(const AppState& s) {
  ScanTimes t;
  t.preset = t.real = s.sxfmSetup.presetTime;
  double events = 0;
  for (int ch = 0; ch < s.channelSize && ch < kReadBufferChannels; ++ch)
    events += s.spectrumCounts[ch];
  const double live = t.real - events * static_cast<double>(s.mcaSetup.deadTimePerEvent) * 0.00001;
  t.live = live < 0 ? 0 : static_cast<int>(live);
  return t;
}

AcqDate AcqDateNow() {
  const QDateTime now = QDateTime::currentDateTime();
  return {static_cast<std::int16_t>(now.date().year()),
          static_cast<std::int16_t>(now.date().month()),
          static_cast<std::int16_t>(now.date().day()),
          static_cast<std::int16_t>(now.time().hour()),
          static_cast<std::int16_t>(now.time().minute()),
          static_cast<std::int16_t>(now.time().second())};
}

}  // namespace tavlex
