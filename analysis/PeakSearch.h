#pragma once
// The peaks of a calibrated spectrum, found by a top-hat filter whose width follows the
// detector's resolution at each energy: a central window about one FWHM wide less the mean of
// two side windows half as wide, so a straight background filters to nothing. A peak is a
// local maximum of the filtered spectrum that stands `threshold` standard deviations of the
// counting noise above zero. Its net area is the filter's response divided by the response to a
// Gaussian of unit area and the detector's width, its position the vertex of a parabola fitted
// to the filtered spectrum around the maximum.
//
// The resolution is the one given, or measured from the spectrum: the widths at half maximum of
// its strongest lone peaks, less the Fano-limited part, give the electronic noise.
// Fixed-size: nothing is allocated.

#include <cstdint>

#include "app/Records.h"

namespace tavlex {

inline constexpr int kMaxFoundPeaks = 200;

struct FoundPeak {
  double channel = 0;    // position, fractional
  double energyKeV = 0;  // of the position
  double net = 0;        // counts above the background
  double netSigma = 0;   // its standard deviation from the counting noise
  double fwhmKeV = 0;    // the detector's width at this energy
};

// Below this a silicon detector behind a beryllium window shows its noise, not lines.
inline constexpr double kDetectorFloorKeV = 0.9;

struct PeakSearchSetup {
  double slope = 0;             // keV per channel (energy = channel x slope + offset)
  double offset = 0;            // keV
  double noiseFwhmKeV = 0;      // the detector's electronic noise; 0: measured
  double threshold = 4;         // significance of a peak, standard deviations
  double minEnergyKeV = kDetectorFloorKeV;
};

struct PeakSearchResult {
  int count = 0;
  FoundPeak peaks[kMaxFoundPeaks];  // in channel order
  double noiseFwhmKeV = 0;          // the resolution used
  bool resolutionMeasured = false;
  // Standard deviation of a net area at each channel: 3 of them are the smallest peak the
  // spectrum could show there.
  double netSigma[kMaxChannels] = {};
  int channels = 0;
};

// Noise width assumed until one is measured: a silicon drift detector of about 150 eV at Mn-Ka.
inline constexpr double kDefaultNoiseFwhmKeV = 0.10;

// channels: 1 .. kMaxChannels (more are not searched). A slope of 0 or less finds nothing.
void FindPeaks(const std::int32_t* counts, int channels, const PeakSearchSetup& setup,
               PeakSearchResult& out);

// The detector's FWHM (keV) at eKeV for a search result's resolution.
double SearchFwhm(const PeakSearchResult& r, double eKeV);

}  // namespace tavlex
