// The X-ray data table: energies and relative intensities as the library gives them, symbols,
// the search by energy, and the detector physics shared by the simulator and identification.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "analysis/XrayLines.h"

namespace tavlex {
namespace {

const XrayLine* LineOf(const char* symbol, const char* label) {
  const XrayElement* el = XrayElementByZ(XrayZOfSymbol(symbol));
  if (el == nullptr) return nullptr;
  for (int i = 0; i < el->lineCount; ++i)
    if (std::strcmp(el->lines[i].label, label) == 0) return &el->lines[i];
  return nullptr;
}

TEST(XrayLinesTest, LinesCarryTheLibrarysEnergiesAndFamilyIntensities) {
  ASSERT_TRUE(XrayDataReady());
  struct Row {
    const char* symbol;
    const char* label;
    double keV;           // doublets at their weighted energy
    double relLo, relHi;  // within the family
  };
  const Row rows[] = {
      {"Fe", "Ka", 6.400, 1.0, 1.0},   {"Fe", "Kb", 7.058, 0.11, 0.16}, {"Cr", "Kb", 5.947, 0.11, 0.16},
      {"Mn", "Ka", 5.895, 1.0, 1.0},   {"Sn", "Ka", 25.19, 1.0, 1.0},   {"Pb", "La", 10.54, 1.0, 1.0},
      {"Pb", "Lb1", 12.614, 0.5, 0.8}, {"Pb", "Lg1", 14.765, 0.08, 0.2}, {"Pb", "Ma", 2.345, 1.0, 1.0},
      {"U", "Mb", 3.337, 0.5, 0.9},    {"Na", "Ka", 1.041, 1.0, 1.0},
  };
  for (const Row& r : rows) {
    const XrayLine* line = LineOf(r.symbol, r.label);
    ASSERT_NE(line, nullptr) << r.symbol << " " << r.label;
    EXPECT_NEAR(line->energyKeV, r.keV, 0.006) << r.symbol << " " << r.label;
    EXPECT_GE(line->relative, r.relLo) << r.symbol << " " << r.label;
    EXPECT_LE(line->relative, r.relHi) << r.symbol << " " << r.label;
  }
  EXPECT_EQ(LineOf("Na", "Kb"), nullptr);  // sodium has no K-beta
  EXPECT_EQ(LineOf("Fe", "Ma"), nullptr);
}

TEST(XrayLinesTest, SymbolsAndTheSearchByEnergy) {
  EXPECT_EQ(XrayZOfSymbol("Fe"), 26);
  EXPECT_EQ(XrayZOfSymbol("fe"), 26);
  EXPECT_EQ(XrayZOfSymbol("PB"), 82);
  for (const char* bad : {"", "H", "Xx", "Fe2", "Pu"}) EXPECT_EQ(XrayZOfSymbol(bad), 0) << bad;
  EXPECT_EQ(XrayElementByZ(10), nullptr);
  EXPECT_EQ(XrayElementByZ(93), nullptr);

  // Around 5.92 keV: Cr-Kb (5.947) and Mn-Ka (5.895), nearest first.
  XrayLineHit hits[8];
  const int n = XrayLinesNear(5.92, 0.03, hits, 8);
  ASSERT_GE(n, 2);
  for (int i = 1; i < n; ++i)
    EXPECT_LE(std::fabs(hits[i - 1].line->energyKeV - 5.92), std::fabs(hits[i].line->energyKeV - 5.92));
  bool cr = false, mn = false;
  for (int i = 0; i < n; ++i) {
    cr |= std::strcmp(hits[i].element->symbol, "Cr") == 0 && std::strcmp(hits[i].line->label, "Kb") == 0;
    mn |= std::strcmp(hits[i].element->symbol, "Mn") == 0 && std::strcmp(hits[i].line->label, "Ka") == 0;
  }
  EXPECT_TRUE(cr && mn);
  EXPECT_EQ(XrayLinesNear(5.92, 0.03, hits, 1), 1);  // a full list keeps the nearest
}

TEST(XrayLinesTest, DetectorPhysics) {
  EXPECT_EQ(SiliconEscapeFraction(1.74), 0.0);
  EXPECT_NEAR(SiliconEscapeFraction(2.0), 0.015, 0.003);
  EXPECT_NEAR(SiliconEscapeFraction(6.40), 0.0029, 0.0006);
  EXPECT_NEAR(SiliconEscapeFraction(8.05), 0.0016, 0.0004);
  for (double e = 2; e < 30; e += 0.5) EXPECT_GT(SiliconEscapeFraction(e), SiliconEscapeFraction(e + 0.5)) << e;
  EXPECT_NEAR(SiliconDetectorFwhm(5.9, 0.085), 0.140, 0.006);
  EXPECT_NEAR(SiliconDetectorFwhm(0, 0.085), 0.085, 1e-12);
  EXPECT_NEAR(ComptonEnergyKeV(20.216, 90), 19.44, 0.01);
  EXPECT_GT(XrayMassAttenuation(26, 7.2), 5 * XrayMassAttenuation(26, 7.0) / 2);  // the Fe K edge
  EXPECT_EQ(XrayMassAttenuation(0, 10), 0.0);                             // a library error is 0
  EXPECT_GT(XrayLineCrossSection(26, *LineOf("Fe", "Ka"), 20), 0.0);
  EXPECT_EQ(XrayLineCrossSection(26, *LineOf("Fe", "Ka"), 7.0), 0.0);  // below the K edge
}

}  // namespace
}  // namespace tavlex
