// The two-point energy calibration without a window: the boxes' numbers, the line and what a
// calibration box takes from the cursor. Exec Calib itself is tested through the window.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "analysis/Calibration.h"
#include "analysis/Peak.h"

namespace tavlex {
namespace {

TEST(CalibTest, ABoxNumberIsAFloatRoundedToSinglePrecision) {
  struct Row {
    const char* text;
    bool ok;
    float value;
  };
  const Row rows[] = {
      {"128", true, 128.0f},  {"  320.46", true, 320.46f},  // as "%8.2f" writes a snapped centroid
      {"5.0 ", true, 5.0f},   {"-1.5", true, -1.5f},       {"+2", true, 2.0f},
      {"1e3", true, 1000.0f}, {"0.1", true, 0.1f},         {"3.0e38", true, 3.0e38f},
      {"", false, 0},         {"   ", false, 0},           {"Low Ch", false, 0},
      {"12a", false, 0},      {"1,5", false, 0},           {"+-1", false, 0},
      {"1e39", false, 0},  // no single-precision value
      {"-1e39", false, 0},    {"nan", false, 0},           {"inf", false, 0},
  };
  for (const Row& r : rows) {
    float value = -7.0f;
    EXPECT_EQ(ParseCalibNumber(r.text, value), r.ok) << '"' << r.text << '"';
    EXPECT_EQ(value, r.ok ? r.value : -7.0f) << '"' << r.text << '"';
  }
}

TEST(CalibTest, TheLineRunsThroughTheHighPoint) {
  struct Row {
    CalibPoints p;
    CalibStatus status;
    float slope, offset;
  };
  const Row rows[] = {
      {{128, 640, 1.0f, 5.0f}, CalibStatus::Ok, 0.0078125f, 0.0f},
      // One pair reversed: a falling line; both reversed: the same rising one.
      {{640, 128, 1.0f, 5.0f}, CalibStatus::Ok, -0.0078125f, 6.0f},
      {{128, 640, 5.0f, 1.0f}, CalibStatus::Ok, -0.0078125f, 6.0f},
      {{640, 128, 5.0f, 1.0f}, CalibStatus::Ok, 0.0078125f, 0.0f},
      // 0.01 is no float: the offset takes up what the rounded slope misses at channel 700.
      {{100, 700, 1.0f, 7.0f}, CalibStatus::Ok, 0.009999999776482582f, 1.564621925354004e-07f},
      {{320.46f, 320.46f, 6.4f, 8.0f}, CalibStatus::SameChannels, 0, 0},
      {{0, 1e-30f, -3e38f, 3e38f}, CalibStatus::OutOfRange, 0, 0},
      {{2, 3, 0, 3e38f}, CalibStatus::OutOfRange, 0, 0},  // offset -6e38
  };
  for (const Row& r : rows) {
    CalibLine line{-1, -1};
    const CalibStatus status = CalibrationLine(r.p, line);
    EXPECT_EQ(status, r.status) << r.p.lowChannel << " " << r.p.highChannel;
    EXPECT_EQ(line.slope, status == CalibStatus::Ok ? r.slope : -1) << r.p.lowChannel;
    EXPECT_EQ(line.offset, status == CalibStatus::Ok ? r.offset : -1) << r.p.lowChannel;
  }
  // The low point of the rounded line is met only up to rounding.
  EXPECT_EQ(ChannelEnergy(700, 0.009999999776482582f, 1.564621925354004e-07f), 7.0f);
  EXPECT_EQ(ChannelEnergy(100, 0.009999999776482582f, 1.564621925354004e-07f), 1.0000001192092896f);
  EXPECT_EQ(ChannelEnergy(384, 0.0078125f, 0.0f), 3.0f);
}

TEST(CalibTest, ABoxTakesTheSnappedCentroidWhileTheCursorStandsOnIt) {
  struct Row {
    int cursor;
    float centroid;
    const char* text;
  };
  const Row rows[] = {
      {320, 320.46f, "  320.46"}, {321, 320.46f, "321"},  // the cursor has moved on
      {321, 320.5f, "  320.50"},                          // .5 rounds up
      {320, 320.5f, "320"},       {2048, 0.0f, "2048"},   // no peak snapped yet
      {0, 0.0f, "    0.00"},                              // ... unless the cursor is on channel 0
      {-1, -0.7f, "-1"},                                  // trunc(-0.2) is channel 0
      {1234, NAN, "1234"},        {0, 1e30f, "0"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(CalibChannelText(r.cursor, r.centroid), r.text) << r.cursor << " " << r.centroid;
  EXPECT_EQ(CentroidChannel(-0.7f), 0);
  EXPECT_EQ(CentroidChannel(4095.49f), 4095);
  EXPECT_FALSE(CentroidChannel(INFINITY).has_value());
  EXPECT_FALSE(CentroidChannel(3e9f).has_value());
}

}  // namespace
}  // namespace tavlex
