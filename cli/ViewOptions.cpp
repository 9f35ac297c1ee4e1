#include "cli/ViewOptions.h"

#include "analysis/Calibration.h"
#include "analysis/LineMarkers.h"
#include "app/Convert.h"

namespace tavlex::cli {

void AddViewOptions(OptionParser& parser, ViewSettings& view, unsigned which) {
  const int last = kMaxChannels - 1;
  if (which & kViewRange)
    parser.Value("--view", "--view needs START-END within 0-4095, START below END",
                 [&view, last](const std::string& v) {
                   view.hasRange = ParsePair(v, '-', view.start, view.end) && view.start >= 0 &&
                                   view.start < view.end && view.end <= last;
                   return view.hasRange;
                 });
  if (which & kViewCursor)
    parser.Value("--cursor", "--cursor needs a channel 0-4095",
                 [&view, take = WholeNumber(view.cursor, 0, last)](const std::string& v) {
                   view.hasCursor = take(v);
                   return view.hasCursor;
                 });
  if (which & kViewScale) {
    parser.Flag("--log", [&view] { view.linearStep = 0; });
    parser.Value("--linear", "--linear needs a full-scale step 1-22",
                 WholeNumber(view.linearStep, 1, 22));
  }
  if (which & kViewMarkers)
    parser.Value("--markers", "--markers needs element symbols Na to U, e.g. Fe,Cr,Ni",
                 [&view](const std::string& v, std::string& why) {
                   std::string bad;
                   view.hasMarkers = ParseElementList(v, view.markers, bad);
                   if (!view.hasMarkers) why = "--markers: '" + bad + "' is no element symbol (Na to U)";
                   return view.hasMarkers;
                 });
}

int ViewFitsFile(const char* command, const ViewSettings& view, int channels) {
  const int last = channels - 1;
  if (view.hasRange && view.end > last)
    return UsageError(command,
                      Format("--view reaches past the file's %d channels (0-%d)", channels, last));
  if (view.hasCursor && view.cursor > last)
    return UsageError(command,
                      Format("--cursor lies past the file's %d channels (0-%d)", channels, last));
  return 0;
}

int ReadInView(Session& session, const char* command, const std::string& in,
               const ViewSettings& view) {
  if (!session.Read(in)) return kExitFailure;
  if (int status = ViewFitsFile(command, view, session.State().channelSize)) return status;
  double slope = 0, offset = 0;
  if (view.hasMarkers && !view.markers.empty() && !CalibrationInKeV(session.State(), slope, offset)) {
    Complain(in + " is not energy calibrated: line markers need one; calibrate it with 'tavlex calibrate'");
    return kExitFailure;
  }
  ApplyViewSettings(session.State(), session.Window(), view);
  return 0;
}

}  // namespace tavlex::cli
