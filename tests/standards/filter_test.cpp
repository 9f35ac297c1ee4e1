// The top-hat filter and its variance: worked values for a spike and a constant spectrum, the
// channels near the ends, and what a load reads from spectrum files of several lengths.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/standards/StdFiles.h"

namespace tavlex::test {
namespace {

struct Counts {
  std::int32_t c[kMaxChannels] = {};
};

// A spike of 100 counts at channel 2000. The filter adds channels i-9..i+6 and subtracts
// i-17..i-10 and i+7..i+14; the variance adds i-16..i+15.
TEST(FilterTest, SpikeGivesTheWindowShape) {
  auto in = std::make_unique<Counts>();
  in->c[2000] = 100;
  std::vector<double> f(kMaxChannels, 99.0), v(kMaxChannels, 99.0);
  FilterSpectrum(in->c, kMaxChannels, f.data());
  FilterVariance(in->c, kMaxChannels, v.data());
  struct Row {
    int from, to;
    double filtered;
  };
  for (const Row& r : {Row{0, 1985, 0}, Row{1986, 1993, -100}, Row{1994, 2009, 100},
                       Row{2010, 2017, -100}, Row{2018, 4095, 0}})
    for (int i = r.from; i <= r.to; ++i) ASSERT_EQ(f[i], r.filtered) << "channel " << i;
  for (int i = 0; i < kMaxChannels; ++i)
    ASSERT_EQ(v[i], (i >= 1985 && i <= 2016) ? 100.0 : 0.0) << "channel " << i;
}

TEST(FilterTest, ConstantSpectrumAndItsEnds) {
  auto in = std::make_unique<Counts>();
  std::fill(std::begin(in->c), std::end(in->c), 7);
  std::vector<double> f(kMaxChannels, 99.0), v(kMaxChannels, 99.0);
  FilterSpectrum(in->c, kMaxChannels, f.data());
  FilterVariance(in->c, kMaxChannels, v.data());
  // Channel 0: centre 0..6 (7 channels), right side 7..14 (8), left side before the spectrum.
  EXPECT_EQ(f[0], 7 * 7 - 8 * 7);
  EXPECT_EQ(v[0], 16 * 7);  // channels 0..15
  for (int i = 17; i <= 4081; ++i) ASSERT_EQ(f[i], 0.0) << i;
  for (int i = 16; i <= 4080; ++i) ASSERT_EQ(v[i], 32 * 7.0) << i;
  // Windows that would reach past channel 4095 are not computed: 0, not the 99 left there.
  for (int i = 4082; i < kMaxChannels; ++i) EXPECT_EQ(f[i], 0.0) << i;
  for (int i = 4081; i < kMaxChannels; ++i) EXPECT_EQ(v[i], 0.0) << i;
}

TEST(FilterTest, OutputsPastNAreCleared) {
  auto in = std::make_unique<Counts>();
  std::fill(std::begin(in->c), std::end(in->c), 5);
  std::vector<double> f(kMaxChannels, 99.0);
  FilterSpectrum(in->c, 1024, f.data());
  EXPECT_EQ(f[1023], 0.0);
  EXPECT_TRUE(std::all_of(f.begin() + 1024, f.end(), [](double x) { return x == 0.0; }));
}

struct LengthRow {
  int declared;  // channels the header declares
  int counts;    // counts in the file after its header
  int channels;  // channels used; 0 = the load fails
};

TEST(FilterTest, SpectrumFileLengths) {
  // A standard's file is read as every spectrum file is: all of its channels, 1 to 4096 of them,
  // as many as its header declares.
  for (const LengthRow& r :
       {LengthRow{1024, 1024, 1024}, LengthRow{4096, 4096, 4096}, LengthRow{5000, 5000, 0},
        LengthRow{1000, 1000, 1000}, LengthRow{256, 256, 256}, LengthRow{0, 0, 0},
        LengthRow{1024, 1000, 0}, LengthRow{512, 1024, 0}}) {
    StdFolder f;
    f.Write("t.ref", RefBytes({{0, {"s.dat", "Fe", 1, 0, 10}}}));
    f.Write("s.dat", DatFile(r.declared, r.counts));
    EXPECT_EQ(f.Load("t.ref"), r.channels ? 1 : 0) << r.declared << " " << r.counts;
    if (r.channels) {
      EXPECT_EQ(f.dm->referenceChannels[0], r.channels) << r.counts;
    }
  }
}

TEST(FilterTest, NoEarlierSpectrumLeaksIntoALaterOne) {
  StdFolder f;
  f.Write("long.ref", RefBytes({{0, {"long.dat", "Fe", 1, 0, 10}}}));
  f.Write("short.ref", RefBytes({{0, {"short.dat", "Fe", 1, 0, 10}}}));
  f.WriteDat("long.dat", std::vector<std::int32_t>(4096, 1000));
  f.WriteDat("short.dat", std::vector<std::int32_t>(1000, 2));
  ASSERT_EQ(f.Load("long.ref"), 1);
  ASSERT_EQ(f.Load("short.ref"), 1);
  const double* ref = f.dm->referenceSpectra[0];
  // Around channel 999 the window sees 2s up to 999 and zeros after: centre 990..999 (10 x 2)
  // and left side 982..989 (8 x 2) give 20 - 16.
  EXPECT_EQ(ref[999], 4.0);
  EXPECT_EQ(ref[700], 0.0);
  EXPECT_TRUE(std::all_of(ref + 1000, ref + kMaxChannels, [](double x) { return x == 0.0; }));
  EXPECT_TRUE(std::all_of(f.dm->scratchCounts + 1000, f.dm->scratchCounts + kMaxChannels,
                          [](std::int32_t x) { return x == 0; }));
}

}  // namespace
}  // namespace tavlex::test
