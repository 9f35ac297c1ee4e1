// Element identification on spectra made here: lines placed at the library's energies with its
// relative intensities, the detector's escape peaks, sum and scatter peaks, Poisson noise from a
// fixed seed. Checks the sets of elements and artefacts found, and the peak search under them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "analysis/Identify.h"

namespace tavlex {
namespace {

constexpr double kSlope = 0.01, kNoise = 0.085;

struct Synthetic {
  std::vector<double> mean = std::vector<double>(4096, 0.0);

  void Gauss(double e, double area, double fwhm) {
    const double s = fwhm / 2.3548;
    for (int i = 0; i < 4096; ++i) {
      const double a = (i - 0.5) * kSlope, b = (i + 0.5) * kSlope;
      mean[i] += area * 0.5 * (std::erf((b - e) / (s * std::sqrt(2.0))) - std::erf((a - e) / (s * std::sqrt(2.0))));
    }
  }
  // A line with its silicon escape peak.
  void Line(double e, double area) {
    Gauss(e, area, SiliconDetectorFwhm(e, kNoise));
    const double esc = SiliconEscapeFraction(e);
    if (esc > 0) Gauss(e - kSiliconKaKeV, area * esc, SiliconDetectorFwhm(e - kSiliconKaKeV, kNoise));
  }
  // Every line of a family, doublets as two lines; area is the strongest line's.
  Synthetic& Element(const char* symbol, XrayFamily family, double area) {
    const XrayElement* el = XrayElementByZ(XrayZOfSymbol(symbol));
    for (int i = 0; i < el->lineCount; ++i)
      if (el->lines[i].family == family)
        for (int m = 0; m < el->lines[i].memberCount; ++m)
          Line(el->lines[i].memberKeV[m], area * el->lines[i].memberRelative[m]);
    return *this;
  }
  Synthetic& Peak(double e, double area, double extraFwhm = 0) {
    Gauss(e, area, std::hypot(SiliconDetectorFwhm(e, kNoise), extraFwhm));
    return *this;
  }
  Synthetic& Background(double level) {
    for (int i = 30; i < 4096; ++i) mean[i] += level * (1 + 3 * std::exp(-i * kSlope / 4));
    return *this;
  }
  std::vector<std::int32_t> Counts(unsigned seed) const {
    std::mt19937_64 rng(seed);
    std::vector<std::int32_t> c(4096);
    for (int i = 0; i < 4096; ++i) c[i] = static_cast<std::int32_t>(std::poisson_distribution<long>(mean[i])(rng));
    return c;
  }
};

double KaOf(const char* symbol) {
  return XrayStrongestLine(*XrayElementByZ(XrayZOfSymbol(symbol)), XrayFamily::K)->energyKeV;
}

// An energy at which no element of the table has a line within 0.15 keV, clear of iron's
// escape and sum peaks.
double NoLineEnergy() {
  XrayLineHit hit[1];
  for (double e = 3.0; e < 20; e += 0.01)
    if (XrayLinesNear(e, 0.15, hit, 1) == 0 && std::fabs(e - 2 * KaOf("Fe")) > 0.5) return e;
  return 0;
}

std::string Names(const Identification& id, PeakRole role) {
  std::set<std::string> names;
  char buf[64];
  for (int i = 0; i < id.peakCount; ++i)
    for (int k = 0; k < id.peaks[i].partCount; ++k)
      if (id.peaks[i].parts[k].role == role) names.insert(PeakPartText(id, id.peaks[i].parts[k], buf, 64));
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : "; ") + n;
  return out;
}

TEST(IdentifyTest, ElementsAndArtefactsOfMadeSpectra) {
  constexpr auto K = XrayFamily::K, L = XrayFamily::L, M = XrayFamily::M;
  const double lone = NoLineEnergy();
  ASSERT_GT(lone, 0);
  const double rh = KaOf("Rh");
  struct Row {
    const char* what;
    Synthetic spectrum;
    int anodeZ;
    const char* elements;
    const char* escapes;  // escape peaks named among others
    const char* sums;
    bool scatter;         // Rayleigh and Compton peaks of the anode named
    int unidentified;
  };
  const Row rows[] = {
      {"steel: Mn-Ka under Cr-Kb, escape and sum peaks",
       Synthetic().Background(30).Element("Fe", K, 1e6).Element("Cr", K, 4e5).Element("Ni", K, 1.2e5)
           .Element("Mn", K, 3.5e4).Peak(2 * KaOf("Fe"), 4000).Peak(KaOf("Fe") + KaOf("Cr"), 2500),
       0, "Cr Mn Fe Ni", "escape of Fe Ka", "sum of Cr Ka + Fe Ka; sum of Fe Ka + Fe Ka",
       false, 0},
      {"steel under a rhodium tube",
       Synthetic().Background(30).Element("Fe", K, 1e6).Element("Cr", K, 4e5).Element("Ni", K, 1.2e5)
           .Peak(rh, 3e4).Peak(ComptonEnergyKeV(rh, 135), 6e4, 0.45),
       45, "Cr Fe Ni", "", "", true, 0},
      {"brass", Synthetic().Background(20).Element("Cu", K, 1e6).Element("Zn", K, 6e5).Peak(2 * KaOf("Cu"), 3000),
       0, "Cu Zn", "", "sum of Cu Ka + Cu Ka", false, 0},
      {"solder: Sn K and L, Pb L and M",
       Synthetic().Background(20).Element("Sn", K, 1.5e5).Element("Sn", L, 6e4).Element("Pb", L, 5e5)
           .Element("Pb", M, 1.5e5),
       0, "Sn Pb", "", "", false, 0},
      {"a lone peak no line explains", Synthetic().Background(30).Element("Fe", K, 3e5).Peak(lone, 2e4),
       0, "Fe", "", "", false, 1},
      {"As-Ka hidden under Pb-La, found by its K-beta",
       Synthetic().Background(20).Element("Pb", L, 2e5).Element("As", K, 5e4).Element("Fe", K, 3e5), 0,
       "Fe As Pb", "", "", false, 0},
      {"trace chromium near iron's K-beta escape",
       Synthetic().Background(30).Element("Fe", K, 1e5).Element("Cr", K, 300), 0, "Cr Fe", "", "", false, 0},
      {"a lone 5.9 keV peak without 5.41 keV is manganese",
       Synthetic().Background(30).Element("Mn", K, 2e5), 0, "Mn", "", "", false, 0},
  };
  auto id = std::make_unique<Identification>();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const std::vector<std::int32_t> counts = r.spectrum.Counts(7);
    IdentifySetup setup;
    setup.slope = kSlope;
    setup.anodeZ = r.anodeZ;
    ASSERT_TRUE(Identify(counts.data(), 4096, setup, *id));
    std::string elements;
    for (int k = 0; k < id->elementCount; ++k) {
      const FoundElement& el = id->elements[k];
      elements += (elements.empty() ? "" : " ") + std::string(XrayElementByZ(el.z)->symbol);
      EXPECT_GT(el.confidence, 0.3) << el.z;
      for (int l = 0; l < el.lineCount; ++l)
        EXPECT_LE(std::fabs(el.lines[l].measuredKeV - el.lines[l].tabulatedKeV),
                  LineTolerance(SiliconDetectorFwhm(el.lines[l].tabulatedKeV, id->noiseFwhmKeV), id->calibrationRmsKeV))
            << el.z << " " << el.lines[l].label;
    }
    EXPECT_EQ(elements, r.elements);
    EXPECT_NE(Names(*id, PeakRole::Escape).find(r.escapes), std::string::npos);
    EXPECT_EQ(Names(*id, PeakRole::Sum), r.sums);
    EXPECT_EQ(!Names(*id, PeakRole::Rayleigh).empty() && !Names(*id, PeakRole::Compton).empty(), r.scatter);
    int unidentified = 0;
    for (int i = 0; i < id->peakCount; ++i) unidentified += id->peaks[i].partCount == 0;
    EXPECT_EQ(unidentified, r.unidentified);
  }
}

TEST(IdentifyTest, PeakSearchMeasuresAreasAndResolution) {
  Synthetic s;
  s.Background(30).Element("Fe", XrayFamily::K, 1e6).Element("Cu", XrayFamily::K, 2e5);
  const std::vector<std::int32_t> counts = s.Counts(3);
  auto r = std::make_unique<PeakSearchResult>();
  PeakSearchSetup setup;
  setup.slope = kSlope;
  FindPeaks(counts.data(), 4096, setup, *r);
  EXPECT_TRUE(r->resolutionMeasured);
  EXPECT_NEAR(r->noiseFwhmKeV, kNoise, 0.012);
  const XrayElement& fe = *XrayElementByZ(26);
  struct Row {
    double keV, area;
  };
  for (const Row& row : {Row{KaOf("Fe"), 1e6}, Row{fe.lines[1].energyKeV, 1e6 * fe.lines[1].relative},
                         Row{KaOf("Cu"), 2e5}}) {
    const FoundPeak* p = nullptr;
    for (int i = 0; i < r->count; ++i)
      if (std::fabs(r->peaks[i].energyKeV - row.keV) < 0.02) p = &r->peaks[i];
    ASSERT_NE(p, nullptr) << row.keV;
    EXPECT_NEAR(p->net, row.area, 0.03 * row.area + 3 * p->netSigma) << row.keV;
  }

  // Uncalibrated, or a calibration no X-ray spectrum has: nothing to identify.
  auto id = std::make_unique<Identification>();
  for (const IdentifySetup& bad : {IdentifySetup{}, IdentifySetup{-0.01, 0}, IdentifySetup{1e30, 0},
                                   IdentifySetup{0.01, std::nan("")}, IdentifySetup{1e-9, 0}}) {
    EXPECT_FALSE(Identify(counts.data(), 4096, bad, *id)) << bad.slope << " " << bad.offset;
    EXPECT_EQ(id->peakCount, 0);
  }
}

}  // namespace
}  // namespace tavlex
