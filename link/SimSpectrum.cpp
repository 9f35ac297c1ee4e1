#include "link/SimSpectrum.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>

namespace tavlex {

namespace {

// Tabulated emission energies (keV) and intensities relative to the element's strongest line of
// the same series.
struct Line {
  const char* element;
  double energyKeV;
  double relative;
};

constexpr Line kLines[] = {
    {"Si", 1.740, 1.00},   {"Ar", 2.957, 1.00},   {"Cr", 5.415, 1.00},  {"Cr", 5.947, 0.13},
    {"Mn", 5.899, 1.00},   {"Mn", 6.490, 0.14},   {"Fe", 6.404, 1.00},  {"Fe", 7.058, 0.14},
    {"Ni", 7.478, 1.00},   {"Ni", 8.265, 0.14},   {"Cu", 8.048, 1.00},  {"Cu", 8.905, 0.15},
    {"Zn", 8.639, 1.00},   {"Zn", 9.572, 0.15},   {"Mo", 17.479, 1.00}, {"Mo", 19.608, 0.19},
    {"Sn", 25.271, 1.00},  {"Sn", 28.486, 0.21},  {"PbM", 2.346, 1.00}, {"PbL", 10.551, 1.00},
    {"PbL", 12.614, 0.80}, {"PbL", 14.764, 0.15}, {"Rh", 20.216, 1.00}, {"Rh", 22.724, 0.19},
};

// Observed intensity of each element's strongest line in a sample, relative to the strongest
// line of the spectrum. The air path adds argon; "Rh" is the anode's Rayleigh scatter.
struct Weight {
  const char* element;
  double weight;
};

constexpr Weight kSteel[] = {{"Fe", 1.00},  {"Cr", 0.42}, {"Ni", 0.14},
                             {"Mn", 0.035}, {"Mo", 0.09}, {"Cu", 0.006},
                             {"Si", 0.004}, {"Ar", 0.01}, {"Rh", 0.05}};
constexpr Weight kBrass[] = {{"Cu", 1.00},  {"Zn", 0.72},  {"PbL", 0.10},
                             {"PbM", 0.02}, {"Fe", 0.012}, {"Ni", 0.006},
                             {"Sn", 0.01},  {"Ar", 0.008}, {"Rh", 0.03}};

// Compton scatter of the anode lines relative to their Rayleigh scatter, and its extra width
// (Doppler broadening) in keV FWHM. Scattering angle of the geometry: 135 degrees.
constexpr double kComptonRatio = 1.8;
constexpr double kComptonExtraFwhm = 0.45;
constexpr double kScatterCos = -0.7071;
// Silicon escape peaks: 1.740 keV below lines above the silicon K edge.
constexpr double kEscapeKeV = 1.740, kSiliconEdgeKeV = 1.84;
// Share of the scattered continuum in all counts, and the noise threshold.
constexpr double kContinuumShare = 0.22;
// Incomplete charge collection: a flat shelf from the threshold up to each line.
constexpr double kShelfFraction = 0.005;
constexpr double kThresholdKeV = 0.30;

constexpr int kFine = kMaxChannels;  // the shape is built on 10 eV channels, then merged

double WeightOf(const Weight* table, int size, const char* element) {
  for (int i = 0; i < size; ++i)
    if (std::string_view(table[i].element) == element) return table[i].weight;
  return 0;
}

// Adds `area` spread as a Gaussian of the given FWHM around e, integrated over each channel.
void AddPeak(double* fine, double e, double fwhm, double area) {
  const double sigma = fwhm / 2.3548;
  const double lo = e - 6 * sigma, hi = e + 6 * sigma;
  const int first = std::max(0, static_cast<int>(lo / kSimKeVPerChannel4096));
  const int last = std::min(kFine - 1, static_cast<int>(hi / kSimKeVPerChannel4096));
  const double scale = 1.0 / (sigma * std::sqrt(2.0));
  for (int i = first; i <= last; ++i) {
    const double a = i * kSimKeVPerChannel4096, b = a + kSimKeVPerChannel4096;
    fine[i] += area * 0.5 * (std::erf((b - e) * scale) - std::erf((a - e) * scale));
  }
}

void AddShelf(double* fine, double e, double area) {
  const int first = static_cast<int>(kThresholdKeV / kSimKeVPerChannel4096);
  const int last = std::min(kFine, static_cast<int>(e / kSimKeVPerChannel4096));
  for (int i = first; i < last; ++i) fine[i] += area / (last - first);
}

// Adds the line with its shelf and escape peak; returns the counts added.
double AddLine(double* fine, double e, double fwhm, double area) {
  AddPeak(fine, e, fwhm, area);
  AddShelf(fine, e, area * kShelfFraction);
  const double escape = SimEscapeFraction(e);
  if (escape > 0) AddPeak(fine, e - kEscapeKeV, SimDetectorFwhm(e - kEscapeKeV), area * escape);
  return area * (1 + escape + kShelfFraction);
}

}  // namespace

double SimEscapeFraction(double e) {
  if (e <= kSiliconEdgeKeV) return 0;
  // Photons absorbed near the entrance are the ones whose silicon K photon gets out: the share
  // falls with depth of absorption, from about 1.5 % at 2 keV to 0.2 % at 8 keV.
  constexpr double kFluorescenceYield = 0.047, kJumpRatio = 10.4, kMuSiKa = 340;  // cm2/g
  const double muIncident = 33.9 * std::pow(10.0 / e, 2.8);
  const double r = kMuSiKa / muIncident;
  return 0.5 * kFluorescenceYield * (1 - 1 / kJumpRatio) * (1 - r * std::log(1 + 1 / r));
}

namespace {

double ComptonEnergy(double e) {
  return e / (1 + e / 511.0 * (1 - kScatterCos));
}

// Scattered bremsstrahlung of the tube: Kramers' shape, absorbed at low energies by the sample
// and the air path, and cut at high energies by the thin silicon of the detector.
double Continuum(double e) {
  if (e <= kThresholdKeV || e >= kSimTubeKv) return 0;
  const double kramers = (kSimTubeKv - e) / e;
  const double absorbed = std::exp(-std::pow(7.0 / e, 2.5));
  const double siliconMuRhoT = 33.9 * std::pow(10.0 / e, 2.8) * 2.33 * 0.045;
  return kramers * absorbed * (1 - std::exp(-siliconMuRhoT));
}

void BuildFine(SimSample sample, double* fine) {
  const Weight* table = sample == SimSample::StainlessSteel ? kSteel : kBrass;
  const int size = sample == SimSample::StainlessSteel ? static_cast<int>(std::size(kSteel))
                                                       : static_cast<int>(std::size(kBrass));
  std::fill(fine, fine + kFine, 0.0);
  double lines = 0;
  for (const Line& line : kLines) {
    const double area = WeightOf(table, size, line.element) * line.relative;
    if (area <= 0) continue;
    lines += AddLine(fine, line.energyKeV, SimDetectorFwhm(line.energyKeV), area);
    if (std::string_view(line.element) == "Rh") {
      const double ec = ComptonEnergy(line.energyKeV);
      const double fwhm = std::hypot(SimDetectorFwhm(ec), kComptonExtraFwhm);
      lines += AddLine(fine, ec, fwhm, area * kComptonRatio);
    }
  }
  double continuum = 0;
  for (int i = 0; i < kFine; ++i) continuum += Continuum((i + 0.5) * kSimKeVPerChannel4096);
  const double scale = lines * kContinuumShare / (1 - kContinuumShare) / continuum;
  for (int i = 0; i < kFine; ++i) {
    const double e = (i + 0.5) * kSimKeVPerChannel4096;
    fine[i] = e < kThresholdKeV ? 0 : fine[i] + scale * Continuum(e);
  }
}

}  // namespace

double SimDetectorFwhm(double eKeV) {
  constexpr double noise = 0.085, fano = 0.115, epsilon = 0.00365;
  return std::sqrt(noise * noise + 2.3548 * 2.3548 * fano * epsilon * std::max(eKeV, 0.0));
}

void BuildSpectrumShape(SimSample sample, int channels, double* p) {
  double fine[kFine];
  BuildFine(sample, fine);
  channels = std::clamp(channels, 1, kFine);
  const int merge = kFine / channels;
  double total = 0;
  for (int j = 0; j < channels; ++j) {
    double sum = 0;
    for (int i = j * merge; i < (j + 1) * merge; ++i) sum += fine[i];
    p[j] = sum;
    total += sum;
  }
  for (int j = 0; j < channels; ++j) p[j] /= total;
}

}  // namespace tavlex
