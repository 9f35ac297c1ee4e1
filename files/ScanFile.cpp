// Saving the scans of an SXFM run: each finished scan as its own spectrum file beside a chosen
// name, never over a file that is already there.

#include <cstdio>

#include "files/SpectrumFile.h"

namespace tavlex {

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
  if (!NameIsFree(path)) return ShowFailure(window, FileStatus::CannotOpen, filetext::kWriteError);
  return WriteDatFile(window, path, FinishedScanHeader(s), s.spectrumCounts, s.channelSize);
}

SpectrumHeader FinishedScanHeader(const AppState& s) {
  // The scan's file carries the scan's own times and says when it was measured; the state (the
  // window's header, file name and times) is left as it is.
  SpectrumHeader header = s.currentHeader;
  FillHeaderForWrite(s, header);
  const RunTimes times = FinishedScanTimes(s);
  header.SetPresetTime(times.preset);
  header.SetRealTime(times.real);
  header.SetLiveTime(times.live);
  header.SetDate(AcqDateNow());
  return header;
}

RunTimes FinishedScanTimes(const AppState& s) {
  double events = 0;
  for (int ch = 0; ch < s.channelSize && ch < kReadBufferChannels; ++ch)
    events += s.spectrumCounts[ch];
  const int preset = s.sxfmSetup.presetTime;
  return RunEndTimes(preset, preset, events, s.mcaSetup.deadTimePerEvent);
}

}  // namespace tavlex
