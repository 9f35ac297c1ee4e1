// The integer rule of the ROI tab's channel boxes, the regions with a hardware window, and the
// colours a header gives back.

#include <gtest/gtest.h>

#include <climits>
#include <utility>

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

TEST(RoiColourTest, AHeadersSixteenBitsReadBackAsTheListColourWritten) {
  // Of two list colours sharing their low 16 bits, blue goes first, then the list's order.
  const std::pair<Colour, std::int32_t> rows[] = {
      {0xFF0000, 0xFF0000}, {0x000000, 0xFF0000}, {0x00FFFF, 0x00FFFF}, {0xFFFFFF, 0x00FFFF},
      {0x00FF00, 0x00FF00}, {0x008000, 0x008000}, {0x0000FF, 0x0000FF}, {0xC0C0C0, 0xC0C0C0},
      {0x001234, 0x1234},   {0x00FFFE, -2}};  // no list colour: sign-extended
  for (const auto& [written, read] : rows)
    EXPECT_EQ(RoiColourFromHeader(static_cast<std::int16_t>(written)), read) << written;
}

}  // namespace
}  // namespace tavlex
