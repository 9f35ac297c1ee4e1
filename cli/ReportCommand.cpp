// tavlex report: the report page of a spectrum file, as "Plot" prints it, as a PDF or PNG.

#include <QDateTime>
#include <string>

#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Session.h"
#include "display/ViewCommands.h"
#include "files/FileAccess.h"
#include "files/ReportPage.h"

namespace tavlex::cli {
namespace {

struct ReportOptions {
  std::string in, out;
  bool hasView = false;
  int viewStart = 0, viewEnd = 0;
  int linearStep = 0;  // 0 = logarithmic
  QSize page = kDefaultImagePage;
};

bool ParsePair(const std::string& text, char separator, int& a, int& b) {
  const auto at = text.find(separator, 1);
  return at != std::string::npos && TryStrToInt(text.substr(0, at), a) &&
         TryStrToInt(text.substr(at + 1), b);
}

// The largest image page: 20000 pixels a side, 100 million pixels in all (400 MB of image).
bool PageFits(int w, int h) {
  return w >= 100 && h >= 100 && w <= 20000 && h <= 20000 &&
         static_cast<long long>(w) * h <= 100'000'000LL;
}

// Returns 0 when the options are good, else the usage error's exit status.
int Parse(const Args& args, ReportOptions& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    auto value = [&] {
      if (i + 1 >= args.size()) return false;
      v = args[++i];
      return true;
    };
    if (a == "--view") {
      if (!value() || !ParsePair(v, '-', o.viewStart, o.viewEnd) || o.viewStart < 0 ||
          o.viewEnd <= o.viewStart || o.viewEnd > kMaxChannels - 1)
        return UsageError("report", "--view needs START-END within 0-4095, START below END");
      o.hasView = true;
    } else if (a == "--log") {
      o.linearStep = 0;
    } else if (a == "--linear") {
      if (!value() || !TryStrToInt(v, o.linearStep) || o.linearStep < 1 || o.linearStep > 22)
        return UsageError("report", "--linear needs a full-scale step 1-22");
    } else if (a == "--page") {
      int w = 0, h = 0;
      if (!value() || !ParsePair(v, 'x', w, h) || !PageFits(w, h))
        return UsageError("report",
                          "--page needs WxH pixels, 100-20000 a side, 100 million in all");
      o.page = QSize(w, h);
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("report", "unknown option " + a);
    } else if (o.in.empty()) {
      o.in = a;
    } else if (o.out.empty()) {
      o.out = a;
    } else {
      return UsageError("report", "too many files named");
    }
  }
  if (o.out.empty()) return UsageError("report", "needs FILE.dat and OUT.pdf or OUT.png");
  return 0;
}

}  // namespace

int Report(const Args& args) {
  ReportOptions o;
  if (int status = Parse(args, o)) return status;
  const std::string_view inputs[] = {o.in};
  if (const PathProblem p = CheckOutputPath(o.out, inputs); p != PathProblem::None) {
    Complain(o.out + ": " + PathProblemReason(p));
    return kExitFailure;
  }
  Session session;
  AppState& s = session.State();
  if (!session.Read(o.in)) return kExitFailure;
  const int last = s.channelSize - 1;
  if (o.hasView && o.viewEnd > last)
    return UsageError(
        "report", Format("--view reaches past the file's %d channels (0-%d)", s.channelSize, last));
  ViewSettings view;
  view.hasRange = o.hasView;
  view.start = o.viewStart;
  view.end = o.viewEnd;
  view.linearStep = o.linearStep;
  ApplyViewSettings(s, session.Window(), view);
  const QDateTime now = QDateTime::currentDateTime();
  const std::string why = WritePageFile(
      o.out, PageFormatFor(o.out), o.page,
      [&](QPainter& p, QSize page) { DrawReportPage(p, page, s, now); }, inputs);
  if (!why.empty()) {
    Complain(o.out + ": " + why);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace tavlex::cli
