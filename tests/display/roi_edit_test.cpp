// The integer rule of the ROI tab's channel boxes, the regions with a hardware window, picking a
// region, and the colours a header gives back.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <utility>

#include "app/AppState.h"
#include "display/RoiEdit.h"

namespace tavlex {
namespace {

TEST(RoiChannelTest, AChannelBoxHoldsASignedDecimalWithin32Bits) {
  struct Row {
    const char* text;
    bool ok;
    int value;
  };
  const Row rows[] = {
      {"100", true, 100},
      {"+7", true, 7},
      {"-50", true, -50},
      {"0007", true, 7},
      {"2147483647", true, INT_MAX},
      {"-2147483648", true, INT_MIN},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999999", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"+-5", false, 0},
      {"12a", false, 0},
      {" 12", false, 0},
      {"12 ", false, 0},
      {"1.0", false, 0},
      {"0x10", false, 0},
  };
  for (const Row& r : rows) {
    int value = -12345;
    EXPECT_EQ(ParseRoiChannel(r.text, value), r.ok) << '"' << r.text << '"';
    EXPECT_EQ(value, r.ok ? r.value : -12345) << '"' << r.text << '"';
  }
  for (int i = -1; i <= 16; ++i) EXPECT_EQ(HasHardwareWindow(i), i >= 1 && i <= 4) << i;
  EXPECT_EQ(RoiOfListIndex(15), 15);
  EXPECT_EQ(RoiOfListIndex(16), -1);  // the list's empty 17th item
}

TEST(RoiPickTest, ARegionReadWithASpectrumIsPickedWithItsBounds) {
  struct Row {
    int defined, low, high;
    RoiPick pick;
    const char *lowText, *highText, *label;
    Colour colour;
    int currentRoi;
  };
  const Row rows[] = {
      {1, 100, 120, RoiPick::Defined, "100", "120", "Fe-Ka", 0x0000FF, 5},
      {0, 300, 310, RoiPick::Stored, "300", "310", "", 0x0000FF, 0},
      {0, 0, -4, RoiPick::Stored, "0", "-4", "", 0x0000FF, 0},
      {0, 0, 0, RoiPick::Undefined, "0", "0", "", kRoiPickColour, 0},
  };
  for (const Row& r : rows) {
    auto s = std::make_unique<AppState>();
    RoiRecord& roi = s->roiTable[5];
    roi.defined = r.defined, roi.low = r.low, roi.high = r.high, roi.colour = 0x0000FF;
    std::snprintf(roi.label, sizeof roi.label, "%s", r.defined ? "Fe-Ka" : "Xx-NN");
    RoiTabFields f;
    EXPECT_EQ(PickRoi(*s, 5, f), r.pick) << r.low;
    EXPECT_EQ(f.low, r.lowText);
    EXPECT_EQ(f.high, r.highText);
    EXPECT_EQ(f.label, r.label);
    EXPECT_EQ(f.colour, r.colour);
    EXPECT_EQ(s->currentRoi, r.currentRoi);
  }
}

TEST(RoiColourTest, AHeadersSixteenBitsReadBackAsTheListColourWritten) {
  // Written as its low 16 bits; where two list colours share them, the read gives one of them.
  const std::pair<Colour, std::int32_t> rows[] = {
      {0xFF0000, 0xFF0000}, {0x000000, 0xFF0000}, {0x800000, 0xFF0000}, {0x00FFFF, 0x00FFFF},
      {0xFFFFFF, 0x00FFFF}, {0x0000FF, 0x0000FF}, {0x00FF00, 0x00FF00}, {0x008000, 0x008000},
      {0x008080, 0x008080}, {0x000080, 0x000080}, {0xC0C0C0, 0xC0C0C0},
      // No list colour: sign-extended as before.
      {0x001234, 0x1234}, {0x00FFFE, -2}, {0x80FF80, static_cast<std::int32_t>(0xFFFFFF80u)}};
  for (const auto& [written, read] : rows)
    EXPECT_EQ(RoiColourFromHeader(static_cast<std::int16_t>(written)), read) << std::hex << written;
}

}  // namespace
}  // namespace tavlex
