#pragma once
// Which elements a calibrated spectrum shows: its peaks (PeakSearch) explained by the lines of
// the X-ray data table, with the detector's artefacts named rather than taken for elements.
//
// Peaks are taken largest first. A peak is first tried as an artefact of larger peaks already
// seen: a silicon escape peak (its parent 1.740 keV above, at most 8 times the escape share of
// the parent or 2 % of it, never above 5 %), a sum peak of two of the six largest peaks (at
// most the pile-up a 3 us resolving time gives at the run's rates or 2 % of the smaller parent,
// never above 10 %; 10 % without a live time), and, with an anode given, the Rayleigh or
// Compton scatter of its lines (Compton at 90 to 180 degrees, 1.5 % of the energy more for its
// breadth). Otherwise it is tried as a line of each element whose line lies within
// the tolerance; elements without a long-lived isotope are not looked for, and M lines count
// only beside the element's L lines when those are in view. An element (a family, K, L or M, at a time) is consistent when its strongest
// line in view has a peak, and each other line of the family whose expected area stands above
// 3 standard deviations of the noise there has a peak at least half the area the strongest line
// and the library's relative intensity predict. The best consistent candidate takes the
// peak, and its predicted areas are taken off every peak its lines fall on; a peak keeps
// looking for another contributor while more than 30 % of it (and 3 standard deviations) is
// left over, which is how Mn-Ka is found under Cr-Kb; 50 % where a weaker L or M line took part
// of it, as those families' ratios follow the excitation and the matrix.
//
// Tolerance: 0.3 x FWHM at the energy + 3 x the calibration's rms error. The rms error is
// first taken as a channel's quantisation (slope / sqrt 12), then measured on the lone main
// lines of the elements found, and the identification is run again with it.
//
// Confidence of an element, 0 to 1: (share of the expected relative intensity of its family
// found at the right energies) x (energy agreement, 1 - 0.5 x mean |measured - tabulated| /
// tolerance) x (significance of its strongest line, min(1, net / (10 sigma))).
//
// Doublets a detector resolves (K-alpha1/2 of heavy elements) are split, lines closer than half
// a FWHM merged, at the spectrum's own resolution. Fixed-size: nothing is allocated.

#include <cstdint>
#include <string>

#include "analysis/PeakSearch.h"
#include "analysis/XrayLines.h"
#include "app/AppState.h"

namespace tavlex {

inline constexpr int kMaxPeakParts = 4;
inline constexpr int kMaxFoundElements = 40;
inline constexpr int kMaxElementLines = 12;

enum class PeakRole : std::uint8_t { Element, Escape, Sum, Rayleigh, Compton };

// One explanation of (part of) a peak. For an element line: z and label. Escape: the parent
// peak's index and its first explanation's z and label. Sum: the two parent peaks. Scatter:
// the anode's z and line label.
struct PeakPart {
  PeakRole role = PeakRole::Element;
  int z = 0;
  char label[8] = {};
  int parent = -1, parent2 = -1;  // peak indices
};

struct IdentifiedPeak {
  FoundPeak peak;
  int partCount = 0;  // 0: unidentified
  PeakPart parts[kMaxPeakParts];
};

struct ElementLineMatch {
  char label[8] = {};
  double tabulatedKeV = 0;
  double measuredKeV = 0;
  int peak = -1;
};

struct FoundElement {
  int z = 0;
  char families[4] = {};  // "K", "L", "KL", "LM", ...
  double confidence = 0;
  int lineCount = 0;
  ElementLineMatch lines[kMaxElementLines];
};

struct IdentifySetup {
  double slope = 0, offset = 0;  // keV per channel, keV
  int anodeZ = 0;                // tube anode for the scatter peaks; 0: none given
  double noiseFwhmKeV = 0;       // 0: measured from the spectrum
  double liveTimeS = 0;          // 0: unknown
};

struct Identification {
  int peakCount = 0;
  IdentifiedPeak peaks[kMaxFoundPeaks];  // in energy order
  int elementCount = 0;
  FoundElement elements[kMaxFoundElements];  // in order of atomic number
  double noiseFwhmKeV = 0;
  bool resolutionMeasured = false;
  double calibrationRmsKeV = 0;
  PeakSearchResult search;  // the peak search behind it
};

// The tolerance on a line's energy at a detector width and calibration error.
double LineTolerance(double fwhmKeV, double calibrationRmsKeV);

// The calibrations an identification takes: keV per channel.
inline constexpr double kLeastSlopeKeV = 1e-5, kMostSlopeKeV = 10;
// False (and nothing found) when the spectrum is not calibrated (a slope outside the range
// above, an offset that is not finite or beyond 1000 keV) or the X-ray data are missing.
bool Identify(const std::int32_t* counts, int channels, const IdentifySetup& setup,
              Identification& out);

// "Fe Ka", "escape of Fe Ka", "sum of Fe Ka + Cr Ka", "Rayleigh Rh Ka", "Compton Rh Ka":
// one part as text, in buf (at least 48 bytes).
const char* PeakPartText(const Identification& id, const PeakPart& part, char* buf, int size);

// The displayed spectrum identified with its calibration and live time, as the window's
// "Identify" and `tavlex identify` run it. False when the spectrum is not calibrated.
bool IdentifyDisplayed(const AppState& s, int anodeZ, Identification& out);
inline constexpr const char* kIdentifyNeedsCalibration = "Error ! Eng.Calib first";

// One line of text per peak ("  6.400 keV  net 972596 +- 1793  Fe Ka") and per element found
// ("Fe  K   0.98  Ka 6.400 (6.400)  Kb 7.058 (7.058)": measured, tabulated in brackets), as the
// window lists them and `tavlex identify` prints them.
std::string IdentifiedPeakLine(const Identification& id, int peak);
std::string FoundElementLine(const Identification& id, int element);

}  // namespace tavlex
