#pragma once
// The X-ray fluorescence spectrum that the simulated analyser counts, from a physical model of
// the measurement: an X-ray tube excites a thick homogeneous sample; the sample's element lines
// (every line of the X-ray data table that the tube excites and the detector sees), the tube's
// scattered lines and continuum and the argon of the air reach a silicon drift detector, which
// adds its resolution, escape peaks, a shelf of incomplete charge collection and, at high rates,
// pile-up sum peaks. 4096 channels of 10 eV cover 0 to 40.96 keV; a smaller memory covers the
// same range with wider channels.
//
// Model (primary fluorescence, self-absorption, no secondary fluorescence):
//   I(line of element i) ~ sum over tube energies E0 of  N(E0) dE0 T_Be(E0)
//                          x w_i tau_line(E0) / sin psi1 / (mu_s(E0)/sin psi1 + mu_s(E)/sin psi2)
//                          x eff(E) / 4 pi
// with N the tube spectrum (Kramers continuum plus the anode's lines, 40 kV, 125 um Be window),
// mu_s = sum_j w_j mu_j, psi1 = psi2 = 67.5 degrees (scattering angle 135 degrees), and the
// detector's efficiency eff = 1 cm of air x 12 um Be x (1 - exp(-mu_Si rho 450 um)). Scatter
// takes the sample's Rayleigh and Compton cross-sections per steradian at 135 degrees in place of
// tau/4 pi.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/Records.h"

namespace tavlex {

inline constexpr double kSimKeVPerChannel4096 = 0.010;
inline constexpr double kSimTubeKv = 40.0;
inline constexpr int kSimDefaultAnodeZ = 45;  // rhodium
inline constexpr int kSimMaxElements = 16;
// Two events closer together than this are counted as one, at the sum of their energies.
inline constexpr double kSimPileUpResolvingUs = 0.5;

// A sample: elements by atomic number and their mass fractions (adding up to 1), and the name
// the window shows.
struct SimSample {
  std::string name;
  int count = 0;
  int z[kSimMaxElements] = {};
  double fraction[kSimMaxElements] = {};
};

// "steel" (a 316 stainless steel: Fe, Cr, Ni, Mo, Mn and traces), "brass" (a leaded brass: Cu,
// Zn, Pb, traces of Fe, Ni, Sn), or a composition in weight per cent such as
// "Fe=70,Cr=18,Ni=10,Mn=2" (normalised to 100). False with `error` naming the bad item.
bool ParseSimSample(std::string_view text, SimSample& sample, std::string& error);
SimSample SimSteel();
SimSample SimBrass();
// An anode by its symbol: one whose K or L lines the tube voltage excites. 0 when there is none.
int SimAnodeZ(std::string_view symbol);
inline constexpr const char* kSimTubeHelp =
    "--sim-tube needs an anode element whose K or L lines a 40 kV tube excites, for example Rh, "
    "Mo, W, Ag, Cu or Cr";

// Full width at half maximum of the detector, keV, at energy e keV.
double SimDetectorFwhm(double eKeV);

// One line as it stands in the spectrum, for the pile-up of the strongest ones.
struct SimPeak {
  double keV = 0, fwhm = 0, area = 0;  // area: share of all detected photons
};
inline constexpr int kSimPileUpLines = 6;

// A sample's spectrum on 10 eV channels, built once per sample and tube, with its strongest
// lines.
struct SimSampleSpectrum {
  double fine[kMaxChannels] = {};  // adds up to 1
  SimPeak strongest[kSimPileUpLines];
  int strongestCount = 0;
};
void BuildSampleSpectrum(const SimSample& sample, int anodeZ, SimSampleSpectrum& out);

// Fills p[0 .. channels-1] with the probability that a counted event lands in each channel (the
// values add up to 1), with the pile-up of `inputRateCps` photons a second. channels is
// 256 .. 4096.
void BuildSpectrumShape(const SimSampleSpectrum& spectrum, double inputRateCps, int channels,
                        double* p);

}  // namespace tavlex
