// tavlex render: a spectrum file drawn as the window's plot would show it, saved as PNG.

#include <QBuffer>
#include <QImage>
#include <cstdio>
#include <string>

#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Session.h"
#include "display/Plot.h"
#include "display/ViewCommands.h"
#include "display/ViewNav.h"
#include "files/SafeWrite.h"

namespace tavlex::cli {
namespace {

struct RoiOption {
  int index, low, high;
  std::string label = "Xx-NN";
  Colour colour = 0xFF0000;
};

struct RenderOptions {
  std::string in, out;
  bool hasView = false;
  int viewStart = 0, viewEnd = 0;
  bool hasCursor = false;
  int cursor = 0;
  int linearStep = 0;  // 0 = logarithmic
  bool large = false;
  std::vector<RoiOption> rois;
  int expand = 0, compress = 0;  // presses of "<< >>" and ">> <<" after the other options
};

bool ParseRange(const std::string& text, int& a, int& b) {
  const auto dash = text.find('-', 1);
  return dash != std::string::npos && TryStrToInt(text.substr(0, dash), a) &&
         TryStrToInt(text.substr(dash + 1), b);
}

bool ParseRoi(const std::string& text, RoiOption& r) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  while (true) {
    const auto colon = text.find(':', from);
    parts.push_back(text.substr(from, colon - from));
    if (colon == std::string::npos) break;
    from = colon + 1;
  }
  if (parts.size() < 3 || parts.size() > 5) return false;
  if (!TryStrToInt(parts[0], r.index) || r.index < 0 || r.index >= kRoiCount) return false;
  if (!TryStrToInt(parts[1], r.low) || !TryStrToInt(parts[2], r.high)) return false;
  if (parts.size() >= 4) r.label = parts[3].substr(0, 7);
  if (parts.size() == 5) {
    const std::string& c = parts[4];
    char* end = nullptr;
    const unsigned long v = std::strtoul(c.c_str(), &end, 16);
    if (c.size() < 3 || c[0] != '0' || (c[1] != 'x' && c[1] != 'X') || *end != '\0' || v > 0xFFFFFF)
      return false;
    r.colour = static_cast<Colour>(v);
  }
  return true;
}

// Returns 0 when the options are good, else the usage error's exit status.
int Parse(const Args& args, RenderOptions& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& v) {
      if (i + 1 >= args.size()) return false;
      v = args[++i];
      return true;
    };
    std::string v;
    if (a == "--view") {
      if (!value(v) || !ParseRange(v, o.viewStart, o.viewEnd) || o.viewStart < 0 ||
          o.viewEnd <= o.viewStart || o.viewEnd > kMaxChannels - 1)
        return UsageError("render", "--view needs START-END within 0-4095, START below END");
      o.hasView = true;
    } else if (a == "--cursor") {
      if (!value(v) || !TryStrToInt(v, o.cursor) || o.cursor < 0 || o.cursor > kMaxChannels - 1)
        return UsageError("render", "--cursor needs a channel 0-4095");
      o.hasCursor = true;
    } else if (a == "--log") {
      o.linearStep = 0;
    } else if (a == "--linear") {
      if (!value(v) || !TryStrToInt(v, o.linearStep) || o.linearStep < 1 || o.linearStep > 22)
        return UsageError("render", "--linear needs a full-scale step 1-22");
    } else if (a == "--expand" || a == "--compress") {
      int& n = a == "--expand" ? o.expand : o.compress;
      if (!value(v) || !TryStrToInt(v, n) || n < 0 || n > 100)
        return UsageError("render", a + " needs a number of presses 0-100");
    } else if (a == "--large") {
      o.large = true;
    } else if (a == "--roi") {
      RoiOption r;
      if (!value(v) || !ParseRoi(v, r))
        return UsageError("render", "--roi needs I:LOW:HIGH[:LABEL[:0xBBGGRR]] with I 0-15");
      o.rois.push_back(r);
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("render", "unknown option " + a);
    } else if (o.in.empty()) {
      o.in = a;
    } else if (o.out.empty()) {
      o.out = a;
    } else {
      return UsageError("render", "too many files named");
    }
  }
  if (o.out.empty()) return UsageError("render", "needs FILE.dat and OUT.png");
  return 0;
}

// Empty on success, else why the file was not written.
std::string SavePng(const QImage& image, const std::string& path, const std::string& in) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return "the picture could not be encoded";
  // The spectrum files' writer: beside the target, moved into place only when whole.
  const std::string_view inputs[] = {in};
  SafeWriter out(path, inputs);
  if (!out.Open()) return PathProblemReason(out.Problem());
  out.Write(png.constData(), png.size());
  return out.Commit() ? std::string() : "write error; a file that was there is kept";
}

}  // namespace

int Render(const Args& args) {
  RenderOptions o;
  if (int status = Parse(args, o)) return status;
  const std::string_view inputs[] = {o.in};
  if (const PathProblem p = CheckOutputPath(o.out, inputs); p != PathProblem::None) {
    Complain(o.out + ": " + PathProblemReason(p));
    return kExitFailure;
  }
  Session session;
  AppState& s = session.State();
  if (o.large) ApplyPlotLayout(s, session.Window(), true);
  if (!session.Read(o.in)) return kExitFailure;
  // The count array holds whatever came before past the file's channels: never show that.
  const int last = s.channelSize - 1;
  if (o.hasView && o.viewEnd > last)
    return UsageError(
        "render", Format("--view reaches past the file's %d channels (0-%d)", s.channelSize, last));
  if (o.hasCursor && o.cursor > last)
    return UsageError(
        "render", Format("--cursor lies past the file's %d channels (0-%d)", s.channelSize, last));
  ViewSettings view;
  view.hasRange = o.hasView;
  view.start = o.viewStart;
  view.end = o.viewEnd;
  view.hasCursor = o.hasCursor;
  view.cursor = o.cursor;
  view.linearStep = o.linearStep;
  for (const RoiOption& r : o.rois)
    view.rois.push_back({r.index, r.low, r.high, r.label, r.colour});
  ApplyViewSettings(s, session.Window(), view);
  for (int i = 0; i < o.expand; ++i) ExpandLocal(s, session.Window());
  for (int i = 0; i < o.compress; ++i) CompressLocal(s, session.Window());
  if (const std::string why = SavePng(s.paintBox, o.out, o.in); !why.empty()) {
    Complain(o.out + ": " + why);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace tavlex::cli
