// The dialogs' text-to-number conversions.

#include <gtest/gtest.h>

#include <string>

#include "app/Convert.h"

namespace tavlex {
namespace {

// The message a conversion raised, or "no error".
template <typename Convert>
std::string ErrorOf(Convert convert) {
  try {
    convert();
  } catch (const ConvertError& e) {
    return e.what();
  }
  return "no error";
}

TEST(ConvertTest, FloatsAsTheDialogsShowAndTypeThem) {
  double v = 0;
  EXPECT_TRUE(TryStrToFloat("   1000.0", v));  // "%9.1f" texts carry leading blanks
  EXPECT_DOUBLE_EQ(v, 1000.0);
  EXPECT_TRUE(TryStrToFloat("-12.5 ", v));
  EXPECT_DOUBLE_EQ(v, -12.5);
  EXPECT_TRUE(TryStrToFloat("+3", v));
  EXPECT_DOUBLE_EQ(v, 3.0);
  EXPECT_TRUE(TryStrToFloat("1e3", v));
  EXPECT_DOUBLE_EQ(v, 1000.0);
  for (const char* bad : {"", " ", "-", "+", "12a", "1.2.3", "abc", "nan", "inf", "++1", "1 2"})
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
  EXPECT_EQ(ErrorOf([] { StrToFloat("Low Ch"); }), "'Low Ch' is not a valid floating point value");
  EXPECT_EQ(ErrorOf([] { StrToFloat("x1"); }), "'x1' is not a valid floating point value");
  EXPECT_EQ(ErrorOf([] { StrToFloat("1e"); }), "'1e' is not a valid floating point value");
  EXPECT_DOUBLE_EQ(StrToFloat(" 2.5 "), 2.5);
}

TEST(ConvertTest, IntegersWithinThe32BitRange) {
  int v = 0;
  EXPECT_TRUE(TryStrToInt("2147483647", v));
  EXPECT_EQ(v, 2147483647);
  EXPECT_TRUE(TryStrToInt("-2147483648", v));
  EXPECT_EQ(v, -2147483647 - 1);
  EXPECT_TRUE(TryStrToInt(" 42", v));
  EXPECT_EQ(v, 42);
  for (const char* bad : {"", "2147483648", "12a", "1.0", "-", "0x10"})
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
  EXPECT_EQ(ErrorOf([] { StrToInt("12a"); }), "'12a' is not a valid integer value");
  EXPECT_EQ(StrToInt("-7"), -7);
}

TEST(ConvertTest, CopyTextCutsToTheSlot) {
  char slot[8];
  CopyText(slot, sizeof slot, "Chromium");
  EXPECT_STREQ(slot, "Chromiu");
  CopyText(slot, sizeof slot, "");
  EXPECT_STREQ(slot, "");
  EXPECT_EQ(Format("%8.1f", 1234.5), "  1234.5");
  EXPECT_EQ(Format("%s", std::string(600, 'a').c_str()).size(), 600u);
}

}  // namespace
}  // namespace tavlex
