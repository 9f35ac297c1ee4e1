// Editing regions from the ROI tab without a window: the integer rule, picking, on and off.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

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
}

class RoiEditTest : public ::testing::Test {
 protected:
  AppState s;
  HeadlessWindow window;
  // Region 3 holds earlier values that a refused switch-on must leave alone.
  void SetUp() override {
    window.SetText(Field::Edit1, "Status");
    RoiRecord& r = s.roiTable[3];
    r.low = 7;
    r.high = 9;
    std::strcpy(r.label, "Old");
    r.colour = 0x00FF00;
  }
};

TEST_F(RoiEditTest, SwitchingOnStoresInOrderAndStopsAtTheFirstBadBox) {
  struct Row {
    int listIndex;
    const char *low, *high, *label;
    const char* message;  // Edit1 afterwards
    int returned;
    // Region 3's record afterwards.
    int defined, shown, storedLow, storedHigh;
    const char* storedLabel;
    int currentRoi;
  };
  const Row rows[] = {
      {3, "100", "120", "Fe-Ka", "Status", 3, 1, 1, 100, 120, "Fe-Ka", 3},
      {3, "100", "120", "Chromium", "Status", 3, 1, 1, 100, 120, "Chromiu", 3},
      // No range check: negative, reversed and beyond the spectrum are all taken.
      {3, "-50", "99999", "", "Status", 3, 1, 1, -50, 99999, "", 3},
      {3, "300", "200", "Cu", "Status", 3, 1, 1, 300, 200, "Cu", 3},
      {3, "12a", "120", "Fe-Ka", "Error ! ROI LowCh", -1, 0, 0, 7, 9, "Old", 0},
      // A bad high channel stops after the low one has been stored.
      {3, "100", "", "Fe-Ka", "Error ! ROI HighCh", -1, 0, 0, 100, 9, "Old", 0},
      {-1, "100", "120", "Fe-Ka", "Error ! ROI # Unknown", -1, 0, 0, 7, 9, "Old", 0},
      {16, "100", "120", "Fe-Ka", "Error ! ROI # Unknown", -1, 0, 0, 7, 9, "Old", 0},
  };
  for (const Row& r : rows) {
    SetUp();
    s.roiTable[3].defined = s.roiTable[3].shown = 0;
    s.currentRoi = 0;
    const int got =
        SwitchRoiOnFromTab(s, window, RoiTabInput{r.listIndex, r.low, r.high, r.label, 0x0000FF});
    const RoiRecord& roi = s.roiTable[3];
    const std::string where = std::string(r.low) + "/" + r.high + "/" + r.label;
    EXPECT_EQ(got, r.returned) << where;
    EXPECT_EQ(window.Text(Field::Edit1), r.message) << where;
    EXPECT_EQ(roi.defined, r.defined) << where;
    EXPECT_EQ(roi.shown, r.shown) << where;
    EXPECT_EQ(roi.low, r.storedLow) << where;
    EXPECT_EQ(roi.high, r.storedHigh) << where;
    EXPECT_STREQ(roi.label, r.storedLabel) << where;
    EXPECT_EQ(roi.colour, r.returned == 3 ? 0x0000FF : 0x00FF00) << where;
    EXPECT_EQ(s.currentRoi, r.currentRoi) << where;
  }
}

TEST_F(RoiEditTest, PickingShowsStoredValuesOnlyForADefinedRegion) {
  RoiTabFields fields;
  s.currentRoi = 6;
  EXPECT_EQ(PickRoi(s, 3, fields), RoiPick::Undefined);
  EXPECT_EQ(fields.low, "0");
  EXPECT_EQ(fields.high, "0");
  EXPECT_EQ(fields.label, "");
  EXPECT_EQ(fields.colour, 0xFF0000u);
  EXPECT_EQ(s.currentRoi, 6);

  s.roiTable[3].defined = 1;
  std::memcpy(s.roiTable[3].label, "Chromiu", 8);  // seven letters fill the slot
  EXPECT_EQ(PickRoi(s, 3, fields), RoiPick::Defined);
  EXPECT_EQ(fields.low, "7");
  EXPECT_EQ(fields.high, "9");
  EXPECT_EQ(fields.label, "Chromiu");
  EXPECT_EQ(fields.colour, 0x00FF00u);
  EXPECT_EQ(s.currentRoi, 3);

  for (int none : {-1, 16}) {
    fields.low = "kept";
    EXPECT_EQ(PickRoi(s, none, fields), RoiPick::None);
    EXPECT_EQ(fields.low, "kept");
    EXPECT_EQ(s.currentRoi, 3);
  }
}

TEST_F(RoiEditTest, SwitchingOffHidesAndKeepsTheValues) {
  RoiRecord& r = s.roiTable[3];
  r.defined = r.shown = 1;
  EXPECT_EQ(SwitchRoiOffFromTab(s, window, 3), 3);
  EXPECT_EQ(r.shown, 0);
  EXPECT_EQ(r.defined, 1);
  EXPECT_EQ(r.low, 7);
  EXPECT_STREQ(r.label, "Old");
  EXPECT_EQ(window.Text(Field::Edit1), "Status");
  EXPECT_EQ(SwitchRoiOffFromTab(s, window, 16), -1);
  EXPECT_EQ(window.Text(Field::Edit1), "Error ! ROI # Unknown");
}

TEST_F(RoiEditTest, TypedChannelsAreCheckedAndNotStored) {
  CheckRoiChannelText(window, "120", false);
  CheckRoiChannelText(window, "-3", true);
  EXPECT_EQ(window.Text(Field::Edit1), "Status");
  CheckRoiChannelText(window, "12a", false);
  EXPECT_EQ(window.Text(Field::Edit1), "Error ! ROI LowCh");
  CheckRoiChannelText(window, "", true);
  EXPECT_EQ(window.Text(Field::Edit1), "Error ! ROI HighCh");
  EXPECT_EQ(s.roiTable[3].low, 7);
  EXPECT_EQ(s.roiTable[3].high, 9);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(HasHardwareWindow(i), i >= 1 && i <= 4) << i;
}

}  // namespace
}  // namespace tavlex
