// The typed element list, the marked lines in view, and the calibration in keV they rest on.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/Calibration.h"
#include "analysis/LineMarkers.h"

namespace tavlex {
namespace {

TEST(MarkersTest, ElementListsAreReadOrRefusedByTheirFirstBadItem) {
  struct Row {
    const char* text;
    bool ok;
    std::vector<int> z;
    const char* bad;
  };
  const Row rows[] = {
      {"Fe,Cr,Ni", true, {26, 24, 28}, ""},  {" fe  cr,,NI ", true, {26, 24, 28}, ""},
      {"Fe,Fe", true, {26}, ""},             {"", true, {}, ""},
      {"Fe,Xx,Q", false, {}, "Xx"},          {"Fe;Cr", false, {}, "Fe;Cr"},
      {"H", false, {}, "H"},                 {"Fe2", false, {}, "Fe2"},
  };
  for (const Row& r : rows) {
    std::vector<int> z;
    std::string bad;
    EXPECT_EQ(ParseElementList(r.text, z, bad), r.ok) << r.text;
    if (r.ok) EXPECT_EQ(z, r.z) << r.text;
    else EXPECT_EQ(bad, r.bad) << r.text;
  }
}

TEST(MarkersTest, LinesInViewFollowTheCalibrationAndItsUnit) {
  struct Row {
    const char* unit;
    float slope, offset;
    int calibrated;
    double feKaChannel;  // -1: no lines
  };
  const Row rows[] = {
      {"keV", 0.01f, 0, 1, 640.0}, {"", 0.01f, -1.0f, 1, 740.0}, {"eV", 10.0f, 0, 1, 640.0},
      {"MeV", 1e-5f, 0, 1, 640.0}, {"ch", 0.01f, 0, 1, -1},      {"keV", 0.01f, 0, 0, -1},
      {"keV", -0.01f, 0, 1, -1},
  };
  auto s = std::make_unique<AppState>();
  SetMarkers(*s, {26, 82});
  s->viewStart = 500;
  s->viewEnd = 800;
  for (const Row& r : rows) {
    std::strcpy(s->energyUnit, r.unit);
    s->calSlope = r.slope;
    s->calOffset = r.offset;
    s->calibrated = r.calibrated;
    MarkerLine lines[kMaxMarkerLines];
    const int n = MarkerLinesInView(*s, lines, kMaxMarkerLines);
    if (r.feKaChannel < 0) {
      EXPECT_EQ(n, 0) << r.unit;
      continue;
    }
    ASSERT_GE(n, 1) << r.unit;
    EXPECT_STREQ(lines[0].label, "Fe Ka");
    EXPECT_NEAR(lines[0].channel, r.feKaChannel, 0.5) << r.unit;
    for (int i = 0; i < n; ++i) EXPECT_TRUE(lines[i].channel >= 500 && lines[i].channel <= 800) << lines[i].label;
  }
}

}  // namespace
}  // namespace tavlex
