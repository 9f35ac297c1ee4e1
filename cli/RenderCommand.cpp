// tavlex render: a spectrum file drawn as the window's plot would show it, saved as PNG.

#include <QBuffer>
#include <QImage>
#include <cstdio>
#include <string>

#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Session.h"
#include "cli/ViewOptions.h"
#include "display/Plot.h"
#include "display/ViewCommands.h"
#include "display/ViewNav.h"
#include "files/SafeWrite.h"

namespace tavlex::cli {
namespace {

struct RenderOptions {
  std::vector<std::string> files;  // FILE.dat, OUT.png
  ViewSettings view;
  bool large = false;
  int expand = 0, compress = 0;  // presses of "<< >>" and ">> <<" after the other options
};

bool ParseRoi(const std::string& text, RoiSetting& r) {
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
  OptionParser parser("render");
  parser.ReadsSpectra();
  AddViewOptions(parser, o.view, kViewRange | kViewCursor | kViewScale | kViewMarkers);
  for (auto [name, presses] : {std::pair{"--expand", &o.expand}, {"--compress", &o.compress}})
    parser.Value(name, std::string(name) + " needs a number of presses 0-100",
                 WholeNumber(*presses, 0, 100));
  parser.Flag("--large", o.large)
      .Value("--roi", "--roi needs I:LOW:HIGH[:LABEL[:0xBBGGRR]] with I 0-15",
             [&o](const std::string& v) {
               RoiSetting r;
               if (!ParseRoi(v, r)) return false;
               o.view.rois.push_back(r);
               return true;
             })
      .Files(2, 2, "needs FILE.dat and OUT.png");
  return parser.Parse(args, o.files);
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
  const std::string &in = o.files[0], &out = o.files[1];
  if (!OutputFits(out, in)) return kExitFailure;
  Session session;
  AppState& s = session.State();
  if (o.large) ApplyPlotLayout(s, session.Window(), true);
  if (int status = ReadInView(session, "render", in, o.view)) return status;
  for (int i = 0; i < o.expand; ++i) ExpandLocal(s, session.Window());
  for (int i = 0; i < o.compress; ++i) CompressLocal(s, session.Window());
  if (const std::string why = SavePng(s.paintBox, out, in); !why.empty()) {
    Complain(out + ": " + why);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace tavlex::cli
