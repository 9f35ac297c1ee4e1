// Saving the scans of an SXFM run: each finished scan as its own spectrum file beside a chosen
// name, never over a file that is already there.

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <string>

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

int LastScanFileNumber(std::string_view prefix) {
  const std::string p(prefix);
  const std::size_t slash = p.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : p.substr(0, slash);
  const std::string stem = p.substr(slash == std::string::npos ? 0 : slash + 1) + "-";
  int last = 0;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(stem) || !name.ends_with(".dat")) continue;
    const std::string_view digits = name.substr(stem.size(), name.size() - stem.size() - 4);
    // Only the series' own names, PREFIX-0001.dat on: four digits or more, as they are written.
    if (digits.size() < 4 || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    last = std::max(last, std::stoi(std::string(digits)));
  }
  ::closedir(dir);
  return last;
}

FileResult SaveFinishedScan(AppState& s, MainWindowPort& window, std::string_view prefix,
                            int scanNumber) {
  return WriteDatFile(window, ScanFilePath(prefix, scanNumber), FinishedScanHeader(s),
                      s.spectrumCounts, s.channelSize, Existing::Keep);
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

std::int64_t FinishedScanCounts(const AppState& s) {
  std::int64_t counts = 0;
  for (int ch = 0; ch < s.channelSize && ch < kReadBufferChannels; ++ch)
    counts += s.spectrumCounts[ch];
  return counts;
}

RunTimes FinishedScanTimes(const AppState& s) {
  RunTimes t;
  t.preset = t.real = s.sxfmSetup.presetTime;
  t.live =
      ScanLiveTime(t.real, static_cast<double>(FinishedScanCounts(s)), s.mcaSetup.deadTimePerEvent);
  return t;
}

}  // namespace tavlex
