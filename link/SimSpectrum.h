#pragma once
// The X-ray fluorescence spectrum that the simulated analyser counts: element lines of a sample
// with the resolution of a silicon drift detector, their silicon escape peaks, the tube anode's
// scattered lines and a scattered continuum. 4096 channels of 10 eV cover 0 to 40.96 keV; a
// smaller memory covers the same range with wider channels.

#include <cstdint>

#include "app/Records.h"

namespace tavlex {

enum class SimSample {
  StainlessSteel,  // a 316-type steel: Fe, Cr, Ni, Mo, Mn
  LeadedBrass,     // a free-cutting brass: Cu, Zn, a few per cent of Pb, traces of Fe, Ni, Sn
};

inline constexpr double kSimKeVPerChannel4096 = 0.010;
inline constexpr double kSimTubeKv = 40.0;  // rhodium anode

// Full width at half maximum of the detector, keV, at energy e keV.
double SimDetectorFwhm(double eKeV);
// Share of the photons of energy eKeV that leave a silicon escape peak behind (0 below the
// silicon K edge).
double SimEscapeFraction(double eKeV);

// Fills p[0 .. channels-1] with the probability that a counted event lands in each channel
// (the values add up to 1). channels is 256 .. 4096.
void BuildSpectrumShape(SimSample sample, int channels, double* p);

}  // namespace tavlex
