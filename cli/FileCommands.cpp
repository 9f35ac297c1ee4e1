// tavlex info and tavlex dump: a spectrum file read as File -> Read does, then printed or dumped.

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>

#include "app/Convert.h"
#include "app/MainWindowPort.h"
#include "cli/Cli.h"
#include "cli/Session.h"
#include "display/PlotRoi.h"
#include "files/SpectrumFile.h"

namespace tavlex::cli {
namespace {

struct Totals {
  std::int64_t total = 0;
  std::int32_t max = 0;
  int maxChannel = 0;
};

Totals CountTotals(const AppState& s) {
  Totals t;
  for (int c = 0; c < s.channelSize; ++c) {
    const std::int32_t n = s.spectrumCounts[c];
    t.total += n;
    if (c == 0 || n > t.max) {
      t.max = n;
      t.maxChannel = c;
    }
  }
  return t;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char ch : text) {
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += static_cast<char>(ch);
    } else if (ch < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", ch);
      out += esc;
    } else if (ch < 0x80) {
      out += static_cast<char>(ch);
    } else {
      // The header's texts are 8-bit; show them as the Latin-1 characters they are.
      out += static_cast<char>(0xC0 | (ch >> 6));
      out += static_cast<char>(0x80 | (ch & 0x3F));
    }
  }
  return out + "\"";
}

void PrintInfo(const std::string& path, const AppState& s, bool json) {
  const SpectrumHeader& h = s.currentHeader;
  const AcqDate d = h.Date();
  char date[64];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                d.minute, d.second);
  const Totals t = CountTotals(s);
  const bool calibrated = h.HoldsCalibration();
  if (!json) {
    std::printf("file: %s\n", path.c_str());
    std::printf("channels: %d\n", s.channelSize);
    std::printf("preset_s: %.1f\nreal_s: %.1f\nlive_s: %.1f\n", h.PresetTime() * 0.1,
                h.RealTime() * 0.1, h.LiveTime() * 0.1);
    std::printf("calibrated: %s\n", calibrated ? "yes" : "no");
    if (calibrated) std::printf("slope: %.7g\noffset: %.7g\n", h.CalSlope(), h.CalOffset());
    std::printf("date: %s\n", date);
    std::printf("comment: %.*s\n", static_cast<int>(h.Comment().size()), h.Comment().data());
    std::printf("sample_id: %.*s\n", static_cast<int>(h.SampleId().size()), h.SampleId().data());
    for (int i = 0; i < kRoiCount; ++i) {
      const RoiRecord& r = s.roiTable[i];
      if (r.low == 0 && r.high == 0) continue;
      const RoiSums sums = SumRoi(s, r);
      std::printf("roi: %d %d %d 0x%06X %.1f %.1f\n", i, r.low, r.high, r.colour & 0xFFFFFF,
                  static_cast<double>(sums.gross), static_cast<double>(sums.net));
    }
    std::printf("total_counts: %" PRId64 "\n", t.total);
    std::printf("max_count: %d at %d\n", t.max, t.maxChannel);
    return;
  }
  std::string out = "{";
  out += "\"file\": " + JsonString(path);
  out += ", \"channels\": " + std::to_string(s.channelSize);
  char num[160];
  std::snprintf(num, sizeof num, ", \"preset_s\": %.1f, \"real_s\": %.1f, \"live_s\": %.1f",
                h.PresetTime() * 0.1, h.RealTime() * 0.1, h.LiveTime() * 0.1);
  out += num;
  out += std::string(", \"calibrated\": ") + (calibrated ? "\"yes\"" : "\"no\"");
  if (calibrated) {
    std::snprintf(num, sizeof num, ", \"slope\": %.7g, \"offset\": %.7g", h.CalSlope(),
                  h.CalOffset());
    out += num;
  }
  out += ", \"date\": " + JsonString(date);
  out += ", \"comment\": " + JsonString(h.Comment());
  out += ", \"sample_id\": " + JsonString(h.SampleId());
  out += ", \"roi\": [";
  bool first = true;
  for (int i = 0; i < kRoiCount; ++i) {
    const RoiRecord& r = s.roiTable[i];
    if (r.low == 0 && r.high == 0) continue;
    const RoiSums sums = SumRoi(s, r);
    std::snprintf(num, sizeof num,
                  "%s{\"index\": %d, \"low\": %d, \"high\": %d, \"colour\": \"0x%06X\"",
                  first ? "" : ", ", i, r.low, r.high, r.colour & 0xFFFFFF);
    out += num;
    out += ", \"gross\": " + ShortestFloatText(sums.gross) +
           ", \"net\": " + ShortestFloatText(sums.net) + "}";
    first = false;
  }
  out += "]";
  std::snprintf(num, sizeof num, ", \"total_counts\": %" PRId64 ", \"max_count\": \"%d at %d\"",
                t.total, t.max, t.maxChannel);
  out += num;
  out += "}\n";
  std::fputs(out.c_str(), stdout);
}

}  // namespace

int Info(const Args& args) {
  std::string path;
  bool json = false;
  for (const std::string& a : args) {
    if (a == "--json")
      json = true;
    else if (!a.empty() && a[0] == '-')
      return UsageError("info", "unknown option " + a);
    else if (path.empty())
      path = a;
    else
      return UsageError("info", "more than one file named");
  }
  if (path.empty()) return UsageError("info", "no spectrum file named");
  Session session;
  if (!session.Read(path)) return kExitFailure;
  PrintInfo(path, session.State(), json);
  return kExitOk;
}

int Dump(const Args& args) {
  for (const std::string& a : args)
    if (!a.empty() && a[0] == '-') return UsageError("dump", "unknown option " + a);
  if (args.size() != 2) return UsageError("dump", "needs FILE.dat and OUT.txt");
  Session session;
  if (!session.Read(args[0])) return kExitFailure;
  const FileResult r = WriteAsciiDump(session.State(), session.Window(), args[1]);
  if (!r.ok()) {
    Complain(args[1] + ": " + FileResultReason(r));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace tavlex::cli
