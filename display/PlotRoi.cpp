#include "display/PlotRoi.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/PlotColours.h"
#include "display/PlotLayers.h"

namespace tavlex {
namespace {

long long ChannelLimit(const AppState& s) {
  return std::clamp<long long>(s.channelSize, 0, kReadBufferChannels);
}

float SpectrumCount(const AppState& s, long long channel) {
  return channel >= 0 && channel < ChannelLimit(s) ? static_cast<float>(s.spectrumCounts[channel])
                                                   : 0.0f;
}

// Mean of the channel and the two next to it in one direction, added in that order.
float SideMean(const AppState& s, long long channel, int direction) {
  float sum = 0;
  for (int i = 0; i < 3; ++i) sum += SpectrumCount(s, channel + direction * i);
  return sum * (1.0f / 3.0f);
}

Colour RoiColour(const RoiRecord& roi) {
  return static_cast<Colour>(roi.colour);
}

std::string_view Label(const RoiRecord& roi) {
  return {roi.label, strnlen(roi.label, sizeof roi.label)};
}

}  // namespace

RoiSums SumRoi(const AppState& s, const RoiRecord& roi) {
  RoiSums out;
  // Only the part inside the spectrum is walked: outside channels would add zeros.
  const long long first = std::max<long long>(roi.low, 0);
  const long long end = std::min<long long>(roi.high, ChannelLimit(s));
  for (long long c = first; c < end; ++c) out.gross += static_cast<float>(s.spectrumCounts[c]);
  const float left = SideMean(s, roi.low, -1);
  const float right = SideMean(s, roi.high, +1);
  const float width = static_cast<float>(static_cast<long long>(roi.high) - roi.low);
  const float background = (left + right) * width * 0.5f;
  out.net = out.gross - background;
  return out;
}

std::int32_t TruncateSum(float gross) {
  if (gross >= 2147483648.0f) return INT32_MAX;
  if (gross <= -2147483648.0f) return INT32_MIN;
  return static_cast<std::int32_t>(gross);
}

void ShadeRoi(PlotCanvas& c, const AppState& s, const RoiRecord& roi, const ViewMap& map) {
  const int w = c.Width(), h = c.Height();
  const long long x2 = map.ColumnOf(roi.high);
  if (x2 <= 0 || x2 >= w) return;
  const long long x1 = std::max(map.ColumnOf(roi.low), 0LL);
  c.SetPen(RoiColour(roi));
  long long peakX = x1;
  int peakRow = h - 1;
  for (long long x = x1; x < x2; ++x) {
    const int top = s.columnTop[x];
    c.Line(static_cast<int>(x), h - 1, static_cast<int>(x), top);
    if (top < peakRow) {
      peakX = x;
      peakRow = top;
    }
  }
  const std::string_view label = Label(roi).substr(0, 2);
  // A reversed region (low above high) starts past its end; keep its label off-plot.
  const int labelX = static_cast<int>(std::min<long long>(peakX, 2 * w)) - 6;
  c.Text(labelX, peakRow - 18, label, RoiColour(roi));
}

void DrawRois(PlotCanvas& c, AppState& s, const ViewMap& map) {
  char text[48];
  for (int i = 0; i < kPlottedRois; ++i) {
    RoiRecord& roi = s.roiTable[i];
    if (roi.shown != 1) continue;
    const RoiSums sums = SumRoi(s, roi);
    roi.grossSum = TruncateSum(sums.gross);
    c.Text(420, 30 * i + 5, Label(roi), RoiColour(roi));
    std::snprintf(text, sizeof text, "%12.1f", sums.gross);
    c.TextRight(510, 30 * i + 5, text, HeaderNumberColour(s));
    std::snprintf(text, sizeof text, "%12.1f", sums.net);
    c.TextRight(510, 30 * i + 18, text, HeaderNumberColour(s));
    ShadeRoi(c, s, roi, map);
  }
}

}  // namespace tavlex
