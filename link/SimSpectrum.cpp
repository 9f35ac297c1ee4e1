#include "link/SimSpectrum.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iterator>

#include "analysis/XrayLines.h"

namespace tavlex {

namespace {

// Geometry: tube and detector on either side of the normal, 67.5 degrees from the surface each,
// so the detector sees scatter through 135 degrees.
constexpr double kIncidenceDeg = 67.5, kTakeOffDeg = 67.5;
constexpr double kScatterDeg = kIncidenceDeg + kTakeOffDeg;
constexpr double kDegToRad = M_PI / 180.0;
constexpr double kFourPi = 4 * M_PI;

// Tube: 125 um beryllium window. Kramers' continuum, photons per electron per keV into 4 pi per
// unit atomic number (from the bremsstrahlung efficiency of 1.1e-9 Z V); characteristic lines by
// Green and Cosslett, photons per electron into 4 pi per unit fluorescence yield.
constexpr double kBerylliumDensity = 1.848;
constexpr double kTubeWindowCm = 0.0125;
constexpr double kKramers = 2.2e-6;
constexpr double kCharacteristic = 1.43e-2;

// Detector: 1 cm of air, a 12 um beryllium window, 450 um of silicon.
constexpr double kAirDensity = 1.205e-3;
constexpr double kAirPathCm = 1.0;
constexpr double kDetectorWindowCm = 12e-4;
constexpr double kSiliconDensity = 2.33, kSiliconCm = 450e-4;
// The air the primary beam crosses in the detector's view; its argon is always in the spectrum.
constexpr double kArgonViewCm = 2.0;
struct AirPart {
  int z;
  double fraction;
};
constexpr AirPart kAir[] = {{7, 0.7553}, {8, 0.2318}, {18, 0.0128}};
constexpr int kArgonZ = 18;

// Lines below this do not get through the air and the window in numbers worth drawing.
constexpr double kLowestLineKeV = 1.0;
// Excitation is integrated in bins of this width above each edge; the scattered continuum in
// finer ones, since its shape is seen directly.
constexpr double kExcitationBinKeV = 0.5;
constexpr double kScatterBinKeV = 0.05;

// Compton scatter's extra width (Doppler broadening by the electrons' motion), keV FWHM.
constexpr double kComptonExtraFwhm = 0.45;
// The sample is not all the detector sees scatter from: the collimator's edges, the chamber and
// the sample's holder scatter the tube's continuum too, several times what a thick steel
// scatters by itself. Taken here as the sample's own scatter of the continuum, three times over,
// which puts the background under Fe-Ka of a steel near a hundredth of the peak's height.
constexpr double kInstrumentScatter = 3.0;
// Incomplete charge collection: a flat shelf from the threshold up to each line.
constexpr double kShelfFraction = 0.005;
constexpr double kThresholdKeV = 0.30;

constexpr int kFine = kMaxChannels;  // the shape is built on 10 eV channels, then merged

constexpr const char* kSteelComposition = "Fe=65.4,Cr=17,Ni=12,Mo=2.5,Mn=1.8,Si=0.6,Cu=0.4,Co=0.3";
constexpr const char* kBrassComposition = "Cu=58,Zn=38.3,Pb=3,Fe=0.3,Sn=0.25,Ni=0.15";

double Transmission(int z, double e, double density, double cm) {
  return std::exp(-XrayMassAttenuation(z, e) * density * cm);
}

double AirMu(double e) {
  double mu = 0;
  for (const AirPart& part : kAir) mu += part.fraction * XrayMassAttenuation(part.z, e);
  return mu;
}

// Share of the photons of energy e leaving the sample towards the detector that are counted.
double Efficiency(double e) {
  const double air = std::exp(-AirMu(e) * kAirDensity * kAirPathCm);
  const double window = Transmission(4, e, kBerylliumDensity, kDetectorWindowCm);
  const double absorbed = 1 - std::exp(-XrayPhotoAbsorption(14, e) * kSiliconDensity * kSiliconCm);
  return air * window * absorbed;
}

// The tube's spectrum as it leaves the window: continuum per keV and lines, per electron.
struct Tube {
  int anodeZ = kSimDefaultAnodeZ;
  struct Line {
    double keV = 0, photons = 0;
  };
  Line lines[2 * kXrayMaxLines];
  int lineCount = 0;

  double Continuum(double e) const {
    if (e <= 0 || e >= kSimTubeKv) return 0;
    return kKramers * anodeZ * (kSimTubeKv - e) / e *
           Transmission(4, e, kBerylliumDensity, kTubeWindowCm);
  }
};

double FamilyEdge(const XrayElement& el, XrayFamily family) {
  return family == XrayFamily::K   ? el.kEdgeKeV
         : family == XrayFamily::L ? el.l3EdgeKeV
                                   : el.m5EdgeKeV;
}

Tube MakeTube(int anodeZ) {
  Tube tube;
  tube.anodeZ = anodeZ;
  const XrayElement* el = XrayElementByZ(anodeZ);
  if (el == nullptr) return tube;
  for (XrayFamily family : {XrayFamily::K, XrayFamily::L}) {
    const double edge = FamilyEdge(*el, family);
    if (edge <= 0 || edge >= kSimTubeKv) continue;
    // The family's fluorescence yield: its lines' share of the photo-absorption well above the
    // edge.
    const double reference = 1.5 * edge;
    double family_cs = 0;
    for (int i = 0; i < el->lineCount; ++i)
      if (el->lines[i].family == family)
        family_cs += XrayLineCrossSection(anodeZ, el->lines[i], reference);
    const double tau = XrayPhotoAbsorption(anodeZ, reference);
    if (family_cs <= 0 || tau <= 0) continue;
    const double overvoltage = kSimTubeKv / edge;
    const double photons = kCharacteristic * (family_cs / tau) * std::pow(overvoltage - 1, 1.67);
    for (int i = 0; i < el->lineCount; ++i) {
      const XrayLine& line = el->lines[i];
      if (line.family != family || line.energyKeV < kLowestLineKeV) continue;
      const double share = XrayLineCrossSection(anodeZ, line, reference) / family_cs;
      tube.lines[tube.lineCount++] = {
          line.energyKeV,
          photons * share * Transmission(4, line.energyKeV, kBerylliumDensity, kTubeWindowCm)};
    }
  }
  return tube;
}

// Adds `area` spread as a Gaussian of the given FWHM around e, integrated over each channel.
void AddPeak(double* fine, double e, double fwhm, double area) {
  const double sigma = fwhm / 2.3548;
  const double lo = e - 6 * sigma, hi = e + 6 * sigma;
  if (hi <= 0 || lo >= kFine * kSimKeVPerChannel4096) return;
  const int first = std::max(0, static_cast<int>(lo / kSimKeVPerChannel4096));
  const int last = std::min(kFine - 1, static_cast<int>(hi / kSimKeVPerChannel4096));
  const double scale = 1.0 / (sigma * std::sqrt(2.0));
  for (int i = first; i <= last; ++i) {
    const double a = i * kSimKeVPerChannel4096, b = a + kSimKeVPerChannel4096;
    fine[i] += area * 0.5 * (std::erf((b - e) * scale) - std::erf((a - e) * scale));
  }
}

// Adds `area` spread evenly from energy a to b.
void AddFlat(double* fine, double a, double b, double area) {
  const double width = b - a;
  if (!(width > 0)) return;
  const int first = std::max(0, static_cast<int>(a / kSimKeVPerChannel4096));
  const int last = std::min(kFine - 1, static_cast<int>(b / kSimKeVPerChannel4096));
  for (int i = first; i <= last; ++i) {
    const double lo = std::max(a, i * kSimKeVPerChannel4096);
    const double hi = std::min(b, (i + 1) * kSimKeVPerChannel4096);
    if (hi > lo) fine[i] += area * (hi - lo) / width;
  }
}

void AddShelf(double* fine, double e, double area) {
  const int first = static_cast<int>(kThresholdKeV / kSimKeVPerChannel4096);
  const int last = std::min(kFine, static_cast<int>(e / kSimKeVPerChannel4096));
  for (int i = first; i < last; ++i) fine[i] += area / (last - first);
}

class Builder {
 public:
  Builder(const SimSample& sample, int anodeZ, SimSampleSpectrum& out)
      : sample_(sample), tube_(MakeTube(anodeZ)), out_(out) {}

  void Build() {
    double* fine = out_.fine;
    std::fill(fine, fine + kFine, 0.0);
    out_.strongestCount = 0;
    for (int i = 0; i < sample_.count; ++i) AddElement(sample_.z[i], sample_.fraction[i]);
    AddArgon();
    AddScatteredLines();
    AddScatteredContinuum();
    double total = 0;
    for (int i = 0; i < kFine; ++i) {
      if ((i + 0.5) * kSimKeVPerChannel4096 < kThresholdKeV) fine[i] = 0;
      total += fine[i];
    }
    if (!(total > 0)) {
      // Without X-ray data nothing can be modelled: a flat spectrum still counts.
      std::fill(fine, fine + kFine, 1.0 / kFine);
      out_.strongestCount = 0;
      return;
    }
    for (int i = 0; i < kFine; ++i) fine[i] /= total;
    for (int k = 0; k < out_.strongestCount; ++k) out_.strongest[k].area /= total;
  }

 private:
  double SampleMu(double e) const {
    double mu = 0;
    for (int j = 0; j < sample_.count; ++j)
      mu += sample_.fraction[j] * XrayMassAttenuation(sample_.z[j], e);
    return mu;
  }

  // Photons of energy `out` that leave a thick sample towards the detector, per photon arriving
  // (attenuated by muIn) and per unit of (mass fraction x cross-section per steradian): the
  // depth integral of excitation and absorption on the way in and out.
  static double ThickSample(double muIn, double muOut) {
    const double sin1 = std::sin(kIncidenceDeg * kDegToRad);
    const double sin2 = std::sin(kTakeOffDeg * kDegToRad);
    return (1 / sin1) / (muIn / sin1 + muOut / sin2);
  }

  // The line with its shelf and escape peak, and a candidate for the pile-up.
  void AddLine(double e, double fwhm, double area) {
    if (!(area > 0)) return;
    double* fine = out_.fine;
    AddPeak(fine, e, fwhm, area);
    AddShelf(fine, e, area * kShelfFraction);
    const double escape = SiliconEscapeFraction(e);
    if (escape > 0)
      AddPeak(fine, e - kSiliconKaKeV, SimDetectorFwhm(e - kSiliconKaKeV), area * escape);
    // Keep the strongest lines, largest first.
    int at = out_.strongestCount;
    while (at > 0 && out_.strongest[at - 1].area < area) --at;
    if (at >= kSimPileUpLines) return;
    const int last = std::min(out_.strongestCount, kSimPileUpLines - 1);
    for (int k = last; k > at; --k) out_.strongest[k] = out_.strongest[k - 1];
    out_.strongest[at] = {e, fwhm, area};
    out_.strongestCount = std::min(out_.strongestCount + 1, kSimPileUpLines);
  }

  // Primary fluorescence of one element of the sample, every family the tube excites.
  void AddElement(int z, double fraction) {
    const XrayElement* el = XrayElementByZ(z);
    if (el == nullptr) return;
    for (XrayFamily family : {XrayFamily::K, XrayFamily::L, XrayFamily::M}) {
      const double edge = FamilyEdge(*el, family);
      if (edge <= 0 || edge >= kSimTubeKv) continue;
      // The excitation above the edge: continuum bins and the tube's lines, with the sample's
      // attenuation at each.
      constexpr int kMaxBins = static_cast<int>(kSimTubeKv / kExcitationBinKeV) + 1;
      double energy[kMaxBins + 2 * kXrayMaxLines], photons[kMaxBins + 2 * kXrayMaxLines],
          mu[kMaxBins + 2 * kXrayMaxLines];
      const int bins = static_cast<int>(std::ceil((kSimTubeKv - edge) / kExcitationBinKeV));
      const double width = (kSimTubeKv - edge) / bins;
      int n = 0;
      for (int b = 0; b < bins; ++b, ++n) {
        energy[n] = edge + (b + 0.5) * width;
        photons[n] = tube_.Continuum(energy[n]) * width;
      }
      for (int t = 0; t < tube_.lineCount; ++t) {
        if (tube_.lines[t].keV <= edge) continue;
        energy[n] = tube_.lines[t].keV;
        photons[n++] = tube_.lines[t].photons;
      }
      for (int k = 0; k < n; ++k) mu[k] = SampleMu(energy[k]);
      for (int i = 0; i < el->lineCount; ++i) {
        const XrayLine& line = el->lines[i];
        if (line.family != family || line.energyKeV < kLowestLineKeV) continue;
        const double muLine = SampleMu(line.energyKeV);
        double area = 0;
        for (int k = 0; k < n; ++k)
          area += photons[k] * fraction * XrayLineCrossSection(z, line, energy[k]) / kFourPi *
                  ThickSample(mu[k], muLine);
        AddLine(line.energyKeV, SimDetectorFwhm(line.energyKeV), area * Efficiency(line.energyKeV));
      }
    }
  }

  // The argon of the air in the primary beam, a thin layer.
  void AddArgon() {
    const XrayElement* argon = XrayElementByZ(kArgonZ);
    if (argon == nullptr) return;
    const double massThickness = kAirDensity * kArgonViewCm * kAir[2].fraction;
    const int bins =
        static_cast<int>(std::ceil((kSimTubeKv - argon->kEdgeKeV) / kExcitationBinKeV));
    const double width = (kSimTubeKv - argon->kEdgeKeV) / bins;
    for (int i = 0; i < argon->lineCount; ++i) {
      const XrayLine& line = argon->lines[i];
      if (line.family != XrayFamily::K) continue;
      double area = 0;
      for (int b = 0; b < bins; ++b) {
        const double e0 = argon->kEdgeKeV + (b + 0.5) * width;
        area += tube_.Continuum(e0) * width * XrayLineCrossSection(kArgonZ, line, e0);
      }
      for (int t = 0; t < tube_.lineCount; ++t)
        area += tube_.lines[t].photons * XrayLineCrossSection(kArgonZ, line, tube_.lines[t].keV);
      area *= massThickness / kFourPi * Efficiency(line.energyKeV);
      AddLine(line.energyKeV, SimDetectorFwhm(line.energyKeV), area);
    }
  }

  double Rayleigh(double e) const {
    double cs = 0;
    for (int j = 0; j < sample_.count; ++j)
      cs += sample_.fraction[j] * XrayRayleighAt(sample_.z[j], e, kScatterDeg);
    return cs;
  }
  double Compton(double e) const {
    double cs = 0;
    for (int j = 0; j < sample_.count; ++j)
      cs += sample_.fraction[j] * XrayComptonAt(sample_.z[j], e, kScatterDeg);
    return cs;
  }

  // The anode's lines, scattered by the sample: at their own energy (Rayleigh) and lower and
  // wider (Compton).
  void AddScatteredLines() {
    for (int t = 0; t < tube_.lineCount; ++t) {
      const double e0 = tube_.lines[t].keV, n = tube_.lines[t].photons;
      const double mu0 = SampleMu(e0);
      AddLine(e0, SimDetectorFwhm(e0), n * Rayleigh(e0) * ThickSample(mu0, mu0) * Efficiency(e0));
      const double ec = ComptonEnergyKeV(e0, kScatterDeg);
      AddLine(ec, std::hypot(SimDetectorFwhm(ec), kComptonExtraFwhm),
              n * Compton(e0) * ThickSample(mu0, SampleMu(ec)) * Efficiency(ec));
    }
  }

  // The tube's continuum, scattered: absorbed by the sample at low energies, cut by the thin
  // silicon of the detector at high energies.
  void AddScatteredContinuum() {
    const int bins = static_cast<int>(kSimTubeKv / kScatterBinKeV);
    for (int b = 0; b < bins; ++b) {
      const double lo = b * kScatterBinKeV, hi = lo + kScatterBinKeV, e0 = lo + kScatterBinKeV / 2;
      const double n = kInstrumentScatter * tube_.Continuum(e0) * kScatterBinKeV;
      if (!(n > 0)) continue;
      const double mu0 = SampleMu(e0);
      AddFlat(out_.fine, lo, hi, n * Rayleigh(e0) * ThickSample(mu0, mu0) * Efficiency(e0));
      const double ec = ComptonEnergyKeV(e0, kScatterDeg);
      AddFlat(out_.fine, ComptonEnergyKeV(lo, kScatterDeg), ComptonEnergyKeV(hi, kScatterDeg),
              n * Compton(e0) * ThickSample(mu0, SampleMu(ec)) * Efficiency(ec));
    }
  }

  const SimSample& sample_;
  Tube tube_;
  SimSampleSpectrum& out_;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool ParseComposition(std::string_view text, SimSample& sample, std::string& error) {
  const std::string quoted = "'" + std::string(text) + "'";
  sample = SimSample{};
  double total = 0;
  for (std::string_view rest = text;;) {
    const std::size_t comma = rest.find(',');
    const std::string_view raw = rest.substr(0, comma);
    const std::string_view item = Trim(raw);
    const std::string named = "'" + std::string(item) + "'";
    if (item.empty()) {
      error = "--sim-sample: an empty item in " + quoted;
      return false;
    }
    const std::size_t equals = item.find('=');
    const int z =
        equals == std::string_view::npos ? 0 : XrayZOfSymbol(Trim(item.substr(0, equals)));
    if (z == 0) {
      error = "--sim-sample: " + named +
              " is not ELEMENT=PERCENT with an element from Na to U (or steel, brass)";
      return false;
    }
    const std::string_view number = Trim(item.substr(equals + 1));
    double percent = -1;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), percent);
    if (number.empty() || ec != std::errc() || end != number.data() + number.size() ||
        !std::isfinite(percent) || percent < 0) {
      error = "--sim-sample: " + named + " needs a weight per cent of 0 or more";
      return false;
    }
    for (int j = 0; j < sample.count; ++j)
      if (sample.z[j] == z) {
        error = "--sim-sample: " + named + " names an element a second time";
        return false;
      }
    if (percent > 0) {
      if (sample.count == kSimMaxElements) {
        error = "--sim-sample: more than 16 elements in " + quoted;
        return false;
      }
      sample.z[sample.count] = z;
      sample.fraction[sample.count++] = percent;
      total += percent;
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (!(total > 0) || !std::isfinite(total)) {
    error = "--sim-sample: the weights of " + quoted + " add up to 0";
    return false;
  }
  for (int j = 0; j < sample.count; ++j) sample.fraction[j] /= total;
  sample.name = std::string(text);
  return true;
}

SimSample Named(const char* name, const char* composition) {
  SimSample sample;
  std::string error;
  ParseComposition(composition, sample, error);
  sample.name = name;
  return sample;
}

}  // namespace

SimSample SimSteel() {
  return Named("steel", kSteelComposition);
}

SimSample SimBrass() {
  return Named("brass", kBrassComposition);
}

bool ParseSimSample(std::string_view text, SimSample& sample, std::string& error) {
  error.clear();
  if (EqualNoCase(Trim(text), "steel")) {
    sample = SimSteel();
    return true;
  }
  if (EqualNoCase(Trim(text), "brass")) {
    sample = SimBrass();
    return true;
  }
  return ParseComposition(text, sample, error);
}

int SimAnodeZ(std::string_view symbol) {
  const int z = XrayZOfSymbol(Trim(symbol));
  const XrayElement* el = XrayElementByZ(z);
  if (el == nullptr) return 0;
  for (int i = 0; i < el->lineCount; ++i) {
    const XrayLine& line = el->lines[i];
    if (line.family == XrayFamily::M || line.energyKeV < kLowestLineKeV) continue;
    const double edge = FamilyEdge(*el, line.family);
    if (edge > 0 && edge < kSimTubeKv) return z;
  }
  return 0;
}

double SimDetectorFwhm(double eKeV) {
  return SiliconDetectorFwhm(eKeV, 0.085);
}

void BuildSampleSpectrum(const SimSample& sample, int anodeZ, SimSampleSpectrum& out) {
  Builder(sample, anodeZ, out).Build();
}

void BuildSpectrumShape(const SimSampleSpectrum& spectrum, double inputRateCps, int channels,
                        double* p) {
  double fine[kFine];
  // Pile-up: a share rate x resolving time of the events has a second photon on top. The pairs of
  // the strongest lines make the sum peaks; their singles are missing from the lines.
  const double pileUp =
      std::clamp(std::max(inputRateCps, 0.0) * kSimPileUpResolvingUs * 1e-6, 0.0, 0.5);
  double strongest = 0;
  for (int k = 0; k < spectrum.strongestCount; ++k) strongest += spectrum.strongest[k].area;
  const double keep = 1 - pileUp * strongest * strongest;
  for (int i = 0; i < kFine; ++i) fine[i] = spectrum.fine[i] * keep;
  if (pileUp > 0) {
    for (int a = 0; a < spectrum.strongestCount; ++a)
      for (int b = a; b < spectrum.strongestCount; ++b) {
        const SimPeak& x = spectrum.strongest[a];
        const SimPeak& y = spectrum.strongest[b];
        AddPeak(fine, x.keV + y.keV, std::hypot(x.fwhm, y.fwhm),
                pileUp * x.area * y.area * (a == b ? 1 : 2));
      }
  }
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
