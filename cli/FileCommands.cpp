// tavlex info and tavlex dump: a spectrum file read as File -> Read does, then printed or dumped.

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "app/Convert.h"
#include "app/MainWindowPort.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "cli/Output.h"
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

std::string RoiJson(int index, const RoiRecord& r, const RoiSums& sums) {
  return JsonObject()
      .Int("index", index)
      .Int("low", r.low)
      .Int("high", r.high)
      .Text("colour", Format("0x%06X", r.colour & 0xFFFFFF), Bytes::Latin1)
      .Number("gross", sums.gross)
      .Number("net", sums.net)
      .Done();
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
    std::printf("file: %s\n", LineText(path, Bytes::Path).c_str());
    std::printf("channels: %d\n", s.channelSize);
    std::printf("preset_s: %.1f\nreal_s: %.1f\nlive_s: %.1f\n", h.PresetTime() * 0.1,
                h.RealTime() * 0.1, h.LiveTime() * 0.1);
    std::printf("calibrated: %s\n", calibrated ? "yes" : "no");
    // As many digits as read back as the header's own floats.
    if (calibrated)
      std::printf("slope: %s\noffset: %s\n", ShortestFloatText(h.CalSlope()).c_str(),
                  ShortestFloatText(h.CalOffset()).c_str());
    std::printf("date: %s\n", date);
    std::printf("comment: %s\n", LineText(h.Comment(), Bytes::Latin1).c_str());
    std::printf("sample_id: %s\n", LineText(h.SampleId(), Bytes::Latin1).c_str());
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
  JsonObject out;
  out.Text("file", path, Bytes::Path)
      .Int("channels", s.channelSize)
      .Number("preset_s", h.PresetTime() * 0.1, "%.1f")
      .Number("real_s", h.RealTime() * 0.1, "%.1f")
      .Number("live_s", h.LiveTime() * 0.1, "%.1f")
      .Bool("calibrated", calibrated);
  // A damaged header may hold a NaN or an infinity: those are null.
  if (calibrated) out.Number("slope", h.CalSlope()).Number("offset", h.CalOffset());
  out.Text("date", date, Bytes::Latin1)
      .Text("comment", h.Comment(), Bytes::Latin1)
      .Text("sample_id", h.SampleId(), Bytes::Latin1);
  std::vector<std::string> rois;
  for (int i = 0; i < kRoiCount; ++i) {
    const RoiRecord& r = s.roiTable[i];
    if (r.low != 0 || r.high != 0) rois.push_back(RoiJson(i, r, SumRoi(s, r)));
  }
  out.Json("roi", JsonArray(rois))
      .Int("total_counts", t.total)
      .Json("max_count", JsonObject().Int("count", t.max).Int("channel", t.maxChannel).Done());
  std::printf("%s\n", out.Done().c_str());
}

}  // namespace

int Info(const Args& args) {
  std::vector<std::string> paths;
  bool json = false;
  if (int status = OptionParser("info")
                       .ReadsSpectra()
                       .Flag("--json", json)
                       .Files(1, -1, "no spectrum file named")
                       .Parse(args, paths))
    return status;
  int status = kExitOk;
  bool printed = false;
  for (const std::string& path : paths) {
    // A fresh state for every file, as a new window would have: nothing carries over.
    Session session(false);
    if (!session.Read(path)) {
      status = kExitFailure;
      continue;
    }
    if (printed && !json) std::fputs("\n", stdout);
    PrintInfo(path, session.State(), json);
    printed = true;
    // Nobody reads any more (a closed pipe, a full disk): the rest would be lost as well.
    if (!FinishStdout()) return kExitFailure;
  }
  return status;
}

namespace {

// The dump of `in` inside `folder`: its name with .txt for the last extension.
std::string DumpPathIn(const std::string& folder, const std::string& in) {
  const std::size_t cut = in.find_last_of('/');
  std::string name = cut == std::string::npos ? in : in.substr(cut + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return folder + (folder.ends_with('/') ? "" : "/") + name + ".txt";
}

bool DumpOne(const std::string& in, const std::string& out) {
  const std::string_view inputs[] = {in};
  // Checked before reading, so that nothing is read for an output that cannot be written.
  if (const FileResult r = CheckSpectrumOutput(out, inputs); !r.ok()) {
    Complain(out + ": " + FileResultReason(r));
    return false;
  }
  Session session(false);
  if (!session.Read(in)) return false;
  const FileResult r = WriteAsciiDump(session.State(), session.Window(), out, inputs);
  if (!r.ok()) Complain(out + ": " + FileResultReason(r));
  return r.ok();
}

}  // namespace

int Dump(const Args& args) {
  std::vector<std::string> files;
  std::string outDir;
  if (int status = OptionParser("dump")
                       .ReadsSpectra()
                       .Value("--out-dir", "--out-dir needs a folder",
                              [&outDir](const std::string& v) {
                                outDir = v;
                                return !v.empty();
                              })
                       .Parse(args, files))
    return status;
  if (outDir.empty()) {
    if (files.size() != 2)
      return UsageError("dump", "needs FILE.dat and OUT.txt, or FILE.dat... --out-dir DIR");
    return DumpOne(files[0], files[1]) ? kExitOk : kExitFailure;
  }
  if (files.empty()) return UsageError("dump", "no spectrum file named");
  // The folder is checked once, before any file is read.
  if (const PathProblem p = CheckOutputPath(DumpPathIn(outDir, "x"));
      p == PathProblem::NoFolder || p == PathProblem::FolderNotWritable) {
    Complain(outDir + ": " +
             (p == PathProblem::NoFolder ? "no such folder" : "cannot be written to"));
    return kExitFailure;
  }
  int status = kExitOk;
  std::set<std::string> written;
  for (const std::string& in : files) {
    const std::string out = DumpPathIn(outDir, in);
    // Two inputs of the same name from different folders would share one dump.
    if (!written.insert(out).second) {
      Complain(in + ": its dump " + out + " was already written from another file of that name");
      status = kExitFailure;
    } else if (!DumpOne(in, out)) {
      status = kExitFailure;
    }
  }
  return status;
}

}  // namespace tavlex::cli
