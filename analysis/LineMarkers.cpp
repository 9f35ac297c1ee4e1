#include "analysis/LineMarkers.h"

#include <algorithm>
#include <cstdio>

#include "analysis/Calibration.h"
#include "analysis/PeakSearch.h"
#include "analysis/XrayLines.h"

namespace tavlex {

int MarkerLinesInView(const AppState& s, MarkerLine* out, int max) {
  double slope = 0, offset = 0;
  if (!CalibrationInKeV(s, slope, offset)) return 0;
  int n = 0;
  for (int m = 0; m < std::min(s.markerCount, AppState::kMaxMarkers); ++m) {
    const XrayElement* el = XrayElementByZ(s.markerZ[m]);
    if (el == nullptr) continue;
    for (int i = 0; i < el->lineCount && n < max; ++i) {
      const XrayLine& line = el->lines[i];
      const double channel = (line.energyKeV - offset) / slope;
      if (line.relative < kMarkedLineShare || line.energyKeV < kDetectorFloorKeV ||
          channel < s.viewStart || channel > s.viewEnd)
        continue;
      MarkerLine& out1 = out[n++];
      out1.channel = channel;
      out1.relative = line.relative;
      std::snprintf(out1.label, sizeof out1.label, "%s %s", el->symbol, line.label);
    }
  }
  return n;
}

bool ParseElementList(std::string_view text, std::vector<int>& z, std::string& bad) {
  z.clear();
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ',' || text[i] == ' ' || text[i] == '\t')) ++i;
    std::size_t end = i;
    while (end < text.size() && text[end] != ',' && text[end] != ' ' && text[end] != '\t') ++end;
    if (end == i) break;
    const std::string_view item = text.substr(i, end - i);
    const int number = XrayZOfSymbol(item);
    if (number == 0) {
      bad = std::string(item);
      return false;
    }
    if (std::find(z.begin(), z.end(), number) == z.end() &&
        static_cast<int>(z.size()) < AppState::kMaxMarkers)
      z.push_back(number);
    i = end;
  }
  return true;
}

void SetMarkers(AppState& s, const std::vector<int>& z) {
  s.markerCount = std::min(static_cast<int>(z.size()), AppState::kMaxMarkers);
  std::copy(z.begin(), z.begin() + s.markerCount, s.markerZ);
}

}  // namespace tavlex
