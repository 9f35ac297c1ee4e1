// tavlex report: the report page of a spectrum file, as "Plot" prints it, as a PDF or PNG.

#include <QDateTime>
#include <string>

#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Session.h"
#include "cli/ViewOptions.h"
#include "display/ViewCommands.h"
#include "files/FileAccess.h"
#include "files/ReportPage.h"

namespace tavlex::cli {
namespace {

struct ReportOptions {
  std::vector<std::string> files;  // FILE.dat, OUT.pdf or OUT.png
  ViewSettings view;
  QSize page = kDefaultImagePage;
};

// The largest image page: 20000 pixels a side, 100 million pixels in all (400 MB of image).
bool PageFits(int w, int h) {
  return w >= 100 && h >= 100 && w <= 20000 && h <= 20000 &&
         static_cast<long long>(w) * h <= 100'000'000LL;
}

// Returns 0 when the options are good, else the usage error's exit status.
int Parse(const Args& args, ReportOptions& o) {
  OptionParser parser("report");
  parser.ReadsSpectra();
  AddViewOptions(parser, o.view, kViewRange | kViewScale | kViewMarkers);
  parser
      .Value("--page", "--page needs WxH pixels, 100-20000 a side, 100 million in all",
             [&o](const std::string& v) {
               int w = 0, h = 0;
               if (!ParsePair(v, 'x', w, h) || !PageFits(w, h)) return false;
               o.page = QSize(w, h);
               return true;
             })
      .Files(2, 2, "needs FILE.dat and OUT.pdf or OUT.png");
  return parser.Parse(args, o.files);
}

}  // namespace

int Report(const Args& args) {
  ReportOptions o;
  if (int status = Parse(args, o)) return status;
  const std::string &in = o.files[0], &out = o.files[1];
  if (!OutputFits(out, in)) return kExitFailure;
  Session session;
  AppState& s = session.State();
  if (int status = ReadInView(session, "report", in, o.view)) return status;
  const QDateTime now = QDateTime::currentDateTime();
  const std::string_view inputs[] = {in};
  const std::string why = WritePageFile(
      out, PageFormatFor(out), o.page,
      [&](QPainter& p, QSize page) { DrawReportPage(p, page, s, now); }, inputs,
      PageShown::QuarterTurnAnticlockwise);
  if (!why.empty()) {
    Complain(out + ": " + why);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace tavlex::cli
