// The simulated spectrum as an XRF analyst would check it: lines where the tables put them,
// detector resolution, escape peaks, the same energy range at every memory size.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "link/SimSpectrum.h"

namespace tavlex::test {
namespace {

struct Shape {
  explicit Shape(SimSample sample, int channels = 4096) : n(channels) {
    BuildSpectrumShape(sample, channels, p);
  }
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
  int n;
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
  Shape steel(SimSample::StainlessSteel);
  EXPECT_NEAR(steel.Sum(0, 4096), 1.0, 1e-9);
  // 10 eV per channel: a line at E keV peaks in channel E x 100.
  EXPECT_EQ(steel.PeakNear(6.404), 640);    // Fe Ka
  EXPECT_EQ(steel.PeakNear(5.415), 541);    // Cr Ka
  EXPECT_EQ(steel.PeakNear(7.478), 747);    // Ni Ka
  EXPECT_EQ(steel.PeakNear(17.479), 1747);  // Mo Ka
  // Fe Ka is the strongest line; Cr Ka comes next, then Ni Ka.
  const int fe = steel.PeakNear(6.404);
  EXPECT_EQ(std::max_element(steel.p, steel.p + 4096) - steel.p, fe);
  EXPECT_GT(steel.p[541], steel.p[747]);
  EXPECT_GT(steel.p[747], steel.p[1747]);
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
  EXPECT_EQ(rayleigh, 2021);
  EXPECT_GT(steel.WidthAt(compton), steel.WidthAt(rayleigh) * 1.5);
}

TEST(SimSpectrumTest, LeadedBrassShowsCopperZincAndLead) {
  Shape brass(SimSample::LeadedBrass);
  EXPECT_EQ(brass.PeakNear(8.048), 804);    // Cu Ka
  EXPECT_EQ(brass.PeakNear(8.639), 863);    // Zn Ka
  EXPECT_EQ(brass.PeakNear(10.551), 1055);  // Pb La
  EXPECT_EQ(brass.PeakNear(12.614), 1261);  // Pb Lb
  EXPECT_GT(brass.p[804], brass.p[863]);
  EXPECT_GT(brass.p[1055], 5 * brass.p[1150]);  // lead clearly above the background
  EXPECT_LT(brass.p[1055], brass.p[863] / 5);   // but a few per cent only
  EXPECT_LT(brass.p[640], brass.p[804] / 20);   // iron a trace
}

TEST(SimSpectrumTest, SmallerMemoriesCoverTheSameEnergies) {
  Shape full(SimSample::StainlessSteel);
  for (int channels : {256, 512, 1024, 2048}) {
    Shape small(SimSample::StainlessSteel, channels);
    const int merge = 4096 / channels;
    EXPECT_NEAR(small.Sum(0, channels), 1.0, 1e-9);
    for (int j : {0, 37, channels / 6, channels / 2, channels - 1})
      EXPECT_NEAR(small.p[j], full.Sum(j * merge, (j + 1) * merge), 1e-12) << channels << " " << j;
    EXPECT_EQ(small.PeakNear(6.404, 2), 640 / merge);
  }
}

}  // namespace
}  // namespace tavlex::test
