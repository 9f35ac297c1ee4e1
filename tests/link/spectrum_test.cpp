// The simulated spectrum as an XRF analyst would check it: lines where the X-ray data put them,
// detector resolution, escape peaks, scatter of the tube, pile-up, the same energy range at every
// memory size, and the samples the option takes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <string_view>

#include "analysis/XrayLines.h"
#include "link/SimSpectrum.h"

namespace tavlex::test {
namespace {

SimSample SampleOf(const char* text) {
  SimSample sample;
  std::string error;
  EXPECT_TRUE(ParseSimSample(text, sample, error)) << error;
  return sample;
}

// The library's energy of an element's line.
double LineKeV(const char* symbol, const char* label) {
  const XrayElement* el = XrayElementByZ(XrayZOfSymbol(symbol));
  for (int i = 0; el != nullptr && i < el->lineCount; ++i)
    if (std::string_view(el->lines[i].label) == label) return el->lines[i].energyKeV;
  ADD_FAILURE() << symbol << " " << label;
  return 0;
}

struct Shape {
  explicit Shape(const SimSample& sample, int channels = 4096, const char* anode = "Rh",
                 double rateCps = 15000)
      : n(channels) {
    BuildSampleSpectrum(sample, SimAnodeZ(anode), spectrum);
    BuildSpectrumShape(spectrum, rateCps, channels, p);
  }
  explicit Shape(const char* sample, const char* anode = "Rh", double rateCps = 15000)
      : Shape(SampleOf(sample), 4096, anode, rateCps) {}
  // The channel of the largest value within +-w channels of an energy.
  int PeakNear(double keV, int w = 8) const {
    const int c = static_cast<int>(keV / (40.96 / n));
    return static_cast<int>(std::max_element(p + c - w, p + c + w + 1) - p);
  }
  // Width at half maximum around a peak, in channels, interpolated.
  double WidthAt(int peak) const {
    const double half = p[peak] / 2;
    int lo = peak, hi = peak;
    while (p[lo - 1] > half) --lo;
    while (p[hi + 1] > half) ++hi;
    const double left = lo - (p[lo] - half) / (p[lo] - p[lo - 1]);
    const double right = hi + (p[hi] - half) / (p[hi] - p[hi + 1]);
    return right - left;
  }
  double Sum(int from, int to) const { return std::accumulate(p + from, p + to, 0.0); }
  // The share of the counts in a line: its height over the local minimum times its width.
  double Area(int peak) const {
    const double base = *std::min_element(p + peak - 40, p + peak + 41);
    return (p[peak] - base) * WidthAt(peak);
  }
  int n;
  SimSampleSpectrum spectrum;
  double p[4096];
};

TEST(SimSpectrumTest, DetectorResolutionFollowsTheSiliconDriftModel) {
  EXPECT_NEAR(SimDetectorFwhm(5.9), 0.140, 0.006);
  EXPECT_NEAR(SimDetectorFwhm(0.0), 0.085, 1e-9);
  EXPECT_GT(SimDetectorFwhm(17.5), SimDetectorFwhm(6.4));
  // Noise 85 eV, Fano factor 0.115, 3.65 eV per electron-hole pair, worked out at Mo Ka.
  EXPECT_NEAR(SimDetectorFwhm(17.479), 0.218879, 1e-6);
}

TEST(SimSpectrumTest, StainlessSteelShowsItsLinesAtTheirEnergies) {
  Shape steel(SimSteel());
  EXPECT_NEAR(steel.Sum(0, 4096), 1.0, 1e-9);
  // 10 eV per channel: a line at E keV peaks in channel E x 100, give or take the channel that
  // the doublet's weighted energy falls between.
  EXPECT_NEAR(steel.PeakNear(6.404), 640, 1);    // Fe Ka
  EXPECT_NEAR(steel.PeakNear(5.415), 541, 1);    // Cr Ka
  EXPECT_NEAR(steel.PeakNear(7.478), 747, 1);    // Ni Ka
  EXPECT_NEAR(steel.PeakNear(17.479), 1744, 1);  // Mo Ka, 17.44 keV for the doublet
  // Fe Ka is the strongest line; Cr Ka comes next, then Ni Ka.
  const int fe = steel.PeakNear(6.404);
  EXPECT_EQ(std::max_element(steel.p, steel.p + 4096) - steel.p, fe);
  EXPECT_GT(steel.p[steel.PeakNear(5.415)], steel.p[steel.PeakNear(7.478)]);
  EXPECT_GT(steel.p[steel.PeakNear(7.478)], steel.p[steel.PeakNear(17.479)]);
  // Its width is the detector's: about 149 eV at 6.4 keV, here 14.9 channels.
  // sqrt(0.085^2 + 2.3548^2 x 0.115 x 0.00365 x 6.404) = 0.14876 keV, a little wider once binned.
  EXPECT_NEAR(steel.WidthAt(fe), 14.88, 0.3);
  EXPECT_GT(steel.WidthAt(steel.PeakNear(17.479)), steel.WidthAt(fe) + 3);
  // The Fe Ka escape peak stands above its surroundings 1.74 keV lower.
  EXPECT_GT(steel.p[466], 1.5 * steel.p[440]);
  EXPECT_GT(steel.p[466], 1.5 * steel.p[495]);
  // Peaks stand high above the continuum, and nothing is counted below the noise threshold.
  EXPECT_GT(steel.p[fe], 50 * steel.p[1200]);
  EXPECT_GT(steel.p[1200], 0);
  EXPECT_EQ(steel.Sum(0, 30), 0);
  // The tube's rhodium Ka: Compton scatter below the Rayleigh line, and wider.
  const int rayleigh = steel.PeakNear(20.216), compton = steel.PeakNear(18.94, 15);
  EXPECT_EQ(rayleigh, 2016);
  EXPECT_GT(steel.WidthAt(compton), steel.WidthAt(rayleigh) * 1.5);
}

TEST(SimSpectrumTest, LeadedBrassShowsCopperZincAndLead) {
  Shape brass(SimBrass());
  EXPECT_NEAR(brass.PeakNear(8.048), 804, 1);    // Cu Ka
  EXPECT_NEAR(brass.PeakNear(8.639), 863, 1);    // Zn Ka
  EXPECT_NEAR(brass.PeakNear(10.551), 1055, 1);  // Pb La
  EXPECT_NEAR(brass.PeakNear(12.614), 1261, 1);  // Pb Lb
  const int cu = brass.PeakNear(8.048), zn = brass.PeakNear(8.639), pb = brass.PeakNear(10.551);
  EXPECT_GT(brass.p[cu], brass.p[zn]);
  EXPECT_GT(brass.p[pb], 5 * brass.p[1150]);  // lead clearly above the background
  EXPECT_LT(brass.p[pb], brass.p[zn] / 5);    // but a few per cent only
  EXPECT_LT(brass.p[640], brass.p[cu] / 20);  // iron a trace
}

TEST(SimSpectrumTest, SmallerMemoriesCoverTheSameEnergies) {
  Shape full(SimSteel());
  for (int channels : {256, 512, 1024, 2048}) {
    Shape small(SimSteel(), channels);
    const int merge = 4096 / channels;
    EXPECT_NEAR(small.Sum(0, channels), 1.0, 1e-9);
    for (int j : {0, 37, channels / 6, channels / 2, channels - 1})
      EXPECT_NEAR(small.p[j], full.Sum(j * merge, (j + 1) * merge), 1e-12) << channels << " " << j;
    // Fe Ka at 6.40 keV lies on the edge of two wide channels.
    EXPECT_NEAR(small.PeakNear(6.404, 2), 640.0 / merge, 1);
  }
}

// Any sample: each element's strongest line peaks at the library's energy, to the channel, and
// a second line of the family stands beside it in the library's proportion (with the lines the
// detector cannot tell from each one), within the absorption and excitation that differ.
TEST(SimSpectrumTest, EveryElementsLinesStandWhereTheLibraryPutsThem) {
  const struct {
    const char* sample;
    const char* anode;
    struct Check {
      const char* symbol;
      const char* line;
      const char* second;  // null: not checked (overlapped by another element's line)
    } checks[3];
  } rows[] = {
      {"Fe=70,Cr=18,Ni=10,Mn=2",
       "Rh",
       {{"Fe", "Ka", "Kb"}, {"Cr", "Ka", nullptr}, {"Ni", "Ka", "Kb"}}},
      // Zn Kb lies above the Cu K edge, Zn Ka below: copper takes half of Zn Kb.
      {"Cu=60,Zn=37,Pb=3",
       "Rh",
       {{"Cu", "Ka", nullptr}, {"Zn", "Ka", nullptr}, {"Pb", "La", "Lb1"}}},
      {"Sn=63,Pb=37", "Rh", {{"Sn", "Ka", "Kb"}, {"Pb", "La", "Lb1"}, {"Sn", "La", nullptr}}},
      {"W=90,Ni=6,Fe=4", "Mo", {{"W", "La", "Lb1"}, {"Ni", "Ka", nullptr}, {"Fe", "Ka", nullptr}}},
      // U Lb1 lies just above U's own L3 edge: absorbed far more than La, so not compared.
      {"U=100", "Ag", {{"U", "La", nullptr}, {"U", "Ma", nullptr}, {"U", "Lb1", nullptr}}},
      {"Ca=40,Ti=30,Si=20,Al=10",
       "Cr",
       {{"Ca", "Ka", "Kb"}, {"Ti", "Ka", nullptr}, {"Si", "Ka", nullptr}}},
  };
  for (const auto& row : rows) {
    Shape shape(row.sample, row.anode);
    for (const auto& check : row.checks) {
      SCOPED_TRACE(std::string(row.sample) + " " + check.symbol + " " + check.line);
      const double e = LineKeV(check.symbol, check.line);
      const int peak = shape.PeakNear(e);
      EXPECT_NEAR((peak + 0.5) * 0.01, e, 0.01);
      // A peak, not the continuum.
      EXPECT_GT(shape.p[peak], 3 * *std::min_element(shape.p + peak - 60, shape.p + peak + 61));
      if (check.second == nullptr) continue;
      const XrayElement* el = XrayElementByZ(XrayZOfSymbol(check.symbol));
      auto near = [el](double keV) {
        double sum = 0;
        for (int i = 0; i < el->lineCount; ++i)
          if (std::fabs(el->lines[i].energyKeV - keV) < 0.05) sum += el->lines[i].relative;
        return sum;
      };
      const double expected = near(LineKeV(check.symbol, check.second)) / near(e);
      const double ratio =
          shape.Area(shape.PeakNear(LineKeV(check.symbol, check.second))) / shape.Area(peak);
      EXPECT_NEAR(ratio, expected, 0.3 * expected) << check.second;
    }
  }
}

// The tube's anode lines come back scattered, Rayleigh at their energy and Compton below it;
// a light matrix scatters more of them than a heavy one.
TEST(SimSpectrumTest, TheAnodesLinesAreScatteredMoreByLightMatrices) {
  const struct {
    const char* anode;
    const char* line;
    bool apart;  // Compton and Rayleigh peaks apart (at 8 keV they merge)
  } rows[] = {{"Rh", "Ka", true}, {"Mo", "Ka", true}, {"Ag", "Ka", true}, {"W", "La", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.anode);
    const double e = LineKeV(row.anode, row.line);
    Shape light("Al=60,Si=30,Ca=10", row.anode), heavy("Fe=70,Cr=18,Ni=10,Mn=2", row.anode);
    const int rayleigh = light.PeakNear(e);
    const int compton = light.PeakNear(ComptonEnergyKeV(e, 135), row.apart ? 15 : 2);
    EXPECT_GT(light.p[compton], 2 * light.p[compton + 60]);
    EXPECT_GT(light.p[compton], 2 * heavy.p[compton]);
    if (!row.apart) continue;
    EXPECT_NEAR((rayleigh + 0.5) * 0.01, e, 0.01);
    EXPECT_GT(light.WidthAt(compton), light.WidthAt(rayleigh) * 1.5);
  }
}

// Pile-up: the sum peaks of the strongest lines grow in proportion to the input rate, as the
// dead time does.
TEST(SimSpectrumTest, SumPeaksGrowWithTheRate) {
  const double fe = LineKeV("Fe", "Ka"), cr = LineKeV("Cr", "Ka");
  const struct {
    const char* what;
    double keV;
  } sums[] = {{"Fe Ka + Fe Ka", 2 * fe},
              {"Fe Ka + Cr Ka", fe + cr},
              {"Fe Ka + Fe Kb", fe + LineKeV("Fe", "Kb")}};
  const char* steel = "Fe=70,Cr=18,Ni=10,Mn=2";
  Shape none(steel, "Rh", 0), some(steel, "Rh", 20000), more(steel, "Rh", 100000);
  for (const auto& sum : sums) {
    SCOPED_TRACE(sum.what);
    const int at = more.PeakNear(sum.keV, 4);
    EXPECT_NEAR((at + 0.5) * 0.01, sum.keV, 0.015);
    EXPECT_GT(more.p[at], 2 * none.p[at]);
    // Five times the rate, five times the sum peak.
    EXPECT_NEAR((more.p[at] - none.p[at]) / (some.p[at] - none.p[at]), 5, 0.25);
  }
}

// Named samples are compositions too; weights are normalised (the refusals are the option's).
TEST(SimSpectrumTest, SamplesAreNamesOrCompositions) {
  const struct {
    const char* text;
    int elements;
    const char* first;
    double fraction;
  } rows[] = {
      {"steel", 8, "Fe", 0.654},
      {"Brass", 6, "Cu", 0.58},
      {"fe=1, CR = 3", 2, "Fe", 0.25},
      {"Pb=37,Sn=63,Cu=0", 2, "Pb", 0.37},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    const SimSample sample = SampleOf(row.text);
    EXPECT_EQ(sample.count, row.elements);
    EXPECT_EQ(sample.z[0], XrayZOfSymbol(row.first));
    EXPECT_NEAR(sample.fraction[0], row.fraction, 1e-9);
    EXPECT_NEAR(std::accumulate(sample.fraction, sample.fraction + sample.count, 0.0), 1, 1e-12);
  }
}

}  // namespace
}  // namespace tavlex::test
