// The MLSQ fit: worked values for a spike standard, disjoint and overlapping standards against an
// independent calculation, and the fits that must stop without touching the K-ratios.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <QProcess>
#include <QStringList>

#include "standards/StandardsCommands.h"
#include "tests/standards/StdFiles.h"

// Counted, so the fit can be shown to allocate nothing.
#include "tests/CountingNew.h"

namespace tavlex::test {
namespace {

class FitTest : public ::testing::Test {
 public:
  // A table of standards (slot, file, element, range) whose spectra are written beside it.
  struct Std {
    int slot;
    const char* file;
    const char* element;
    int low, high;
    std::vector<std::int32_t> counts;
    int live = 0;  // 0.1 s
  };

 protected:
  StdFolder f;
  Headless h;

  int LoadTable(const std::vector<Std>& stds) {
    std::vector<std::pair<int, RefSlot>> records;
    for (const Std& s : stds) {
      records.push_back({s.slot, {s.file, s.element, 1, s.low, s.high}});
      f.WriteDat(s.file, s.counts, s.live);
    }
    f.Write("t.ref", RefBytes(records));
    const int n = f.Load("t.ref");
    h.s->standardsLoaded = n > 0;
    return n;
  }
  FitStatus FitSample(const std::vector<std::int32_t>& counts, int live = 0) {
    h.s->liveTime = live;
    h.s->channelSize = int(counts.size());
    std::copy(counts.begin(), counts.end(), h.s->spectrumCounts);
    return FitDisplayedSpectrum(*h.s, h.w, *f.dm);
  }
  const StandardRecord& Slot(int i) const { return f.dm->table[i]; }
};

// Standard and sample: a spike of 100 at channel 500. Filtered: +100 on 494..509, -100 on
// 486..493 and 510..517; the variance, one channel later, is 100 on 485..516 and 0 (so 1.0) on
// 517. N = 31 x 100^2 / 100 + 100^2 / 1 = 13100 = right-hand side, so the coefficient is 1; the
// error is sqrt(8 / 13100) x 300 = 7.414.
TEST_F(FitTest, AStandardFittedAgainstItsOwnSpectrumGives100) {
  ASSERT_EQ(LoadTable({{0, "fe.dat", "Fe", 480, 530, Spike(1024, 500, 100)}}), 1);
  EXPECT_EQ(FitSample(Spike(1024, 500, 100)), FitStatus::Fitted);
  EXPECT_FLOAT_EQ(Slot(0).KRatio(), 100.0f);
  EXPECT_FLOAT_EQ(Slot(0).KRatioError(), float(std::sqrt(8.0 / 13100) * 300));
  EXPECT_EQ(KRatioText(Slot(0), false), "   100.00  +/-    7.414");
  // A realistic peak on a continuum, fitted against itself.
  const auto peak = Peak(2048, 640, 5000, 6, 40);
  ASSERT_EQ(LoadTable({{3, "fe2.dat", "Fe", 610, 670, peak}}), 1);
  EXPECT_EQ(FitSample(peak), FitStatus::Fitted);
  EXPECT_NEAR(Slot(3).KRatio(), 100.0f, 1e-3);
  EXPECT_GT(Slot(3).KRatioError(), 0.0f);
  EXPECT_LT(Slot(3).KRatioError(), 5.0f);
}

// With the sample empty every variance is 0 and counts as 1.0: N = 32 x 100^2 and the error is
// sqrt(8 / 320000) x 300 = 1.5; the K-ratio is 0.
TEST_F(FitTest, ZeroVarianceCountsAsOne) {
  ASSERT_EQ(LoadTable({{0, "fe.dat", "Fe", 480, 530, Spike(1024, 500, 100)}}), 1);
  EXPECT_EQ(FitSample(std::vector<std::int32_t>(1024, 0)), FitStatus::Fitted);
  EXPECT_EQ(Slot(0).KRatio(), 0.0f);
  EXPECT_FLOAT_EQ(Slot(0).KRatioError(), 1.5f);
  for (int j = 480; j < 530; ++j) EXPECT_EQ(f.dm->sampleVariance[j], 1.0) << j;
}

TEST_F(FitTest, DisjointStandardsAreFittedIndependently) {
  const auto a = Peak(1024, 300, 4000, 5), b = Peak(1024, 700, 2000, 5);
  ASSERT_EQ(LoadTable({{1, "a.dat", "Cu", 270, 330, a}, {6, "b.dat", "Zn", 670, 730, b}}), 2);
  for (int share : {1, 3}) {  // half of a, and one or three quarters of b
    std::vector<std::int32_t> sample(1024);
    for (int i = 0; i < 1024; ++i) sample[i] = a[i] * 2 + b[i] * share;
    ASSERT_EQ(FitSample(sample), FitStatus::Fitted);
    EXPECT_NEAR(Slot(1).KRatio(), 200.0f, 1e-3);
    EXPECT_NEAR(Slot(6).KRatio(), 100.0f * share, 1e-3);
  }
  // Uncoupled: the inverse stays diagonal, so each coefficient is its right-hand side over its
  // diagonal element.
  EXPECT_EQ(f.dm->normalMatrix[0][1], 0.0);
  EXPECT_EQ(f.dm->normalMatrix[1][0], 0.0);
  EXPECT_DOUBLE_EQ(f.dm->fitCoefficients[1], f.dm->rightHandSide[1] * f.dm->normalMatrix[1][1]);
}

// Two overlapping standards and a mixed sample, checked against mlsq_reference.py.
TEST_F(FitTest, OverlappingPairAgreesWithAnIndependentCalculation) {
  const auto a = Peak(1024, 400, 3000, 7, 20), b = Peak(1024, 415, 2500, 7, 30);
  ASSERT_EQ(LoadTable({{0, "a.dat", "Mn", 370, 425, a}, {1, "b.dat", "Fe", 395, 450, b}}), 2);
  std::vector<std::int32_t> sample(1024);
  for (int i = 0; i < 1024; ++i) sample[i] = (a[i] * 3 + b[i] * 5) / 10 + (i % 7);
  ASSERT_EQ(FitSample(sample), FitStatus::Fitted);

  QString input = "channels 1024\nsample";
  for (int c : sample) input += " " + QString::number(c);
  for (const auto& [lo, hi, counts] : {std::tuple{370, 425, a}, std::tuple{395, 450, b}}) {
    input += QString("\nstandard %1 %2").arg(lo).arg(hi);
    for (int c : counts) input += " " + QString::number(c);
  }
  QProcess py;
  py.start("python3", {TAVLEX_MLSQ_REFERENCE});
  ASSERT_TRUE(py.waitForStarted(10000)) << "python3 is needed for the reference calculation";
  py.write(input.toLatin1() + "\n");
  py.closeWriteChannel();
  ASSERT_TRUE(py.waitForFinished(60000));
  const QStringList lines =
      QString::fromLatin1(py.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2) << py.readAllStandardError().toStdString();
  for (int k = 0; k < 2; ++k) {
    const QStringList v = lines[k].split(' ');
    const double kRatio = v[0].toDouble(), error = v[1].toDouble();
    EXPECT_NEAR(Slot(k).KRatio(), kRatio, 1e-4 * std::abs(kRatio)) << k;
    EXPECT_NEAR(Slot(k).KRatioError(), error, 1e-4 * error) << k;
  }
  // Roughly the mixture put in, and the pair is coupled.
  EXPECT_NEAR(Slot(0).KRatio(), 30.0f, 3.0f);
  EXPECT_NEAR(Slot(1).KRatio(), 50.0f, 3.0f);
  EXPECT_NE(f.dm->rightHandSide[0], 0.0);
}

TEST_F(FitTest, NegativeKRatiosAreKept) {
  ASSERT_EQ(LoadTable({{0, "fe.dat", "Fe", 480, 530, Spike(1024, 500, 100)}}), 1);
  std::vector<std::int32_t> dip(1024, 100);  // a dip where the standard has its peak
  dip[500] = 50;
  EXPECT_EQ(FitSample(dip), FitStatus::Fitted);
  EXPECT_LT(Slot(0).KRatio(), -1.0f);
}

TEST_F(FitTest, ALongerEarlierSampleLeavesNothingBehind) {
  ASSERT_EQ(LoadTable({{0, "fe.dat", "Fe", 480, 530, Spike(1024, 500, 100)}}), 1);
  EXPECT_EQ(FitSample(std::vector<std::int32_t>(4096, 1000)), FitStatus::ChannelMismatch);
  EXPECT_EQ(FitSample(Spike(1024, 500, 100)), FitStatus::Fitted);
  EXPECT_EQ(f.dm->sampleChannels, 1024);
  const auto& counts = f.dm->sampleCounts;
  EXPECT_TRUE(std::all_of(counts + 1024, counts + kMaxChannels, [](int c) { return c == 0; }));
  EXPECT_TRUE(std::all_of(f.dm->sampleFiltered + 1024, f.dm->sampleFiltered + kMaxChannels,
                          [](double v) { return v == 0.0; }));
  EXPECT_FLOAT_EQ(Slot(0).KRatio(), 100.0f);
}

struct StopRow {
  const char* what;
  std::vector<FitTest::Std> stds;
  int channels;  // of the sample; negative: that many, with a negative count
  FitStatus status;
  const char* message;
};

TEST_F(FitTest, FitsThatStopLeaveTheKRatios) {
  const auto spike = Spike(1024, 500, 100);
  const std::vector<StopRow> rows = {
      {"identical standards",
       {{0, "a.dat", "Fe", 480, 530, spike}, {1, "b.dat", "Fe", 480, 530, spike}},
       1024,
       FitStatus::Singular,
       "Error ! MLSQ Singular"},
      {"no signal in range",
       {{0, "a.dat", "Fe", 480, 530, spike}, {1, "c.dat", "Cu", 600, 650, spike}},
       1024,
       FitStatus::Singular,
       "Error ! MLSQ Singular"},
      {"proportional standards",
       {{0, "a.dat", "Fe", 480, 530, spike}, {1, "d.dat", "Fe", 480, 530, Spike(1024, 500, 300)}},
       1024,
       FitStatus::Singular,
       "Error ! MLSQ Singular"},
      {"no sample",
       {{0, "a.dat", "Fe", 480, 530, spike}},
       0,
       FitStatus::NoSample,
       "Error ! MLSQ No Data"},
      {"sample shorter than the standards",
       {{0, "a.dat", "Fe", 480, 500, spike}, {1, "e.dat", "Cu", 100, 130, Spike(4096, 115, 50)}},
       1024,
       FitStatus::ChannelMismatch,
       "Error ! MLSQ 1024ch Std 4096ch"},
      {"negative counts in the sample",
       {{0, "a.dat", "Fe", 480, 530, spike}},
       -1024,
       FitStatus::SampleNegative,
       "Error ! MLSQ Sample < 0"},
      {"range past the sample's end",
       {{0, "a.dat", "Fe", 480, 530, spike}, {1, "g.dat", "Cu", 1000, 1030, spike}},
       1024,
       FitStatus::RangePastSample,
       "Error ! MLSQ Range > 1024ch"},
  };
  for (const StopRow& r : rows) {
    ASSERT_EQ(LoadTable(r.stds), int(r.stds.size())) << r.what;
    for (int i = 0; i < 2; ++i) f.dm->table[i].SetKRatio(12.5f);
    h.w.SetText(Field::Edit1, "Status");
    std::vector<std::int32_t> sample = spike;
    sample.resize(std::abs(r.channels));
    if (r.channels < 0) sample[900] = -1;  // a negative count well away from every range
    EXPECT_EQ(FitSample(sample), r.status) << r.what;
    EXPECT_EQ(h.w.Text(Field::Edit1), r.message) << r.what;
    EXPECT_EQ(Slot(0).KRatio(), 12.5f) << r.what;
    EXPECT_EQ(Slot(1).KRatio(), 12.5f) << r.what;
  }
}

TEST_F(FitTest, LoadInsideTheFit) {
  f.Write("t.ref", RefBytes({{0, {"missing.dat", "Fe", 1, 480, 530}}}));
  f.dm->table[0].SetKRatio(12.5f);
  int asked = 0;
  std::optional<std::string> answer = f.Path8("t.ref");
  f.dm->SetPathChooser([&](StdDialog) {
    ++asked;
    return answer;
  });
  h.s->standardsLoaded = 0;
  EXPECT_EQ(FitSample(Spike(1024, 500, 100)), FitStatus::LoadFailed);
  EXPECT_EQ(h.w.Text(Field::Edit1), "Error ! Std Load");
  EXPECT_EQ(f.dm->table[0].KRatio(), 0.0f);  // the table itself was loaded
  answer.reset();
  h.w.SetText(Field::Edit1, "Status");
  EXPECT_EQ(FitSample(Spike(1024, 500, 100)), FitStatus::LoadCancelled);
  EXPECT_EQ(h.w.Text(Field::Edit1), "Status");
  EXPECT_EQ(asked, 2);
  // A table that loads: the fit runs on it, and standardsLoaded stays 0 so the next fit asks.
  f.WriteDat("missing.dat", Spike(1024, 500, 100));
  answer = f.Path8("t.ref");
  EXPECT_EQ(FitSample(Spike(1024, 500, 100)), FitStatus::Fitted);
  EXPECT_FLOAT_EQ(Slot(0).KRatio(), 100.0f);
  EXPECT_EQ(h.s->standardsLoaded, 0);
  EXPECT_EQ(asked, 3);
}

TEST_F(FitTest, TheFitAllocatesNothing) {
  ASSERT_EQ(LoadTable({{0, "a.dat", "Fe", 380, 460, Peak(4096, 400, 900, 6)},
                       {1, "b.dat", "Cu", 410, 480, Peak(4096, 440, 700, 6)}}),
            2);
  std::copy_n(Peak(4096, 420, 800, 9).data(), 4096, f.dm->sampleCounts);
  f.dm->sampleChannels = 4096;
  const long before = counting::Allocations();
  EXPECT_EQ(f.dm->RunMlsqFit(true), FitStatus::Fitted);
  EXPECT_EQ(counting::Allocations(), before);
}

TEST_F(FitTest, NoActiveStandardChangesNothing) {
  f.dm->table[2].SetKRatio(7.0f);
  h.s->standardsLoaded = 1;
  EXPECT_EQ(FitSample(Spike(1024, 500, 100)), FitStatus::NoStandards);
  EXPECT_EQ(Slot(2).KRatio(), 7.0f);
  EXPECT_TRUE(FitShowsEditor(FitStatus::NoStandards));
  EXPECT_FALSE(FitShowsEditor(FitStatus::Singular));
}

struct RateRow {
  int sampleLive, standardLive;  // 0.1 s
  float kRatio;
  const char* message;
};

// The standard's spike of 100 counted for standardLive, the sample's of 50 for sampleLive.
TEST_F(FitTest, StandardsAreComparedAsCountRates) {
  const RateRow rows[] = {
      {50, 100, 100.0f, ""},  // half the time, half the counts: the same material
      {100, 100, 50.0f, ""},
      {100, 50, 25.0f, ""},
      {0, 100, 50.0f, "Live Time 0: Counts Fitted"},
      {50, 0, 50.0f, "Live Time 0: Counts Fitted"},
  };
  for (const RateRow& r : rows) {
    ASSERT_EQ(LoadTable({{0, "fe.dat", "Fe", 480, 530, Spike(1024, 500, 100), r.standardLive}}), 1);
    h.w.SetText(Field::Edit1, "Error ! ROI LowCh");
    EXPECT_EQ(FitSample(Spike(1024, 500, 50), r.sampleLive), FitStatus::Fitted);
    EXPECT_FLOAT_EQ(Slot(0).KRatio(), r.kRatio) << r.sampleLive << " " << r.standardLive;
    EXPECT_EQ(h.w.Text(Field::Edit1), r.message) << r.sampleLive << " " << r.standardLive;
  }
}

TEST_F(FitTest, AFailedLoadLeavesNoFitUntilALoadSucceeds) {
  ASSERT_EQ(LoadTable({{0, "fe.dat", "Fe", 480, 530, Spike(1024, 500, 100), 100}}), 1);
  f.Write("gone.ref", RefBytes({{0, {"fe.dat", "Fe", 1, 480, 530}}, {2, {"zn.dat", "Zn", 1, 0, 9}}}));
  std::optional<std::string> path = f.Path8("gone.ref");
  f.dm->SetPathChooser([&](StdDialog) { return path; });
  h.s->standardsLoaded = 1;
  EXPECT_EQ(LoadStandardsIntoRois(*h.s, h.w, *f.dm), 0);
  EXPECT_EQ(h.w.Text(Field::Edit1), "Error ! Std File zn.dat");
  EXPECT_EQ(FitSample(Spike(1024, 500, 100)), FitStatus::LoadFailed);
  EXPECT_EQ(h.w.Text(Field::Edit1), "Error ! Std Load");
  path = f.Path8("t.ref");
  EXPECT_EQ(LoadStandardsIntoRois(*h.s, h.w, *f.dm), 1);
  EXPECT_EQ(FitSample(Spike(1024, 500, 100), 100), FitStatus::Fitted);
  EXPECT_EQ(h.w.Text(Field::Edit1), "");
}

// Poisson noise on the sample and on each standard, many times over. The total uncertainty (three
// standard deviations) holds the K-ratio within a third of itself about 68 % of the time (the
// pair a little less: its noisy standards bias it slightly), the sample-only figure less often.
// Standards: peaks of 300 (and 250) counts on 30 at channel 500 (and 515), sigma 6.
TEST_F(FitTest, TheTotalUncertaintyCoversTheScatterOfNoisyFits) {
  const std::vector<std::vector<double>> shares = {{0.8}, {0.6, 0.5}};
  const int centre[] = {500, 515}, low[] = {470, 490}, high[] = {525, 545};
  const double height[] = {300, 250};
  std::mt19937 random(7);
  auto noisy = [&](const std::vector<double>& share) {  // sum of share_k x standard k
    std::vector<std::int32_t> c(1024);
    for (int i = 0; i < 1024; ++i) {
      double mean = 0;
      for (std::size_t k = 0; k < share.size(); ++k)
        mean += share[k] * (30 + height[k] * std::exp(-0.5 * std::pow((i - centre[k]) / 6.0, 2)));
      c[i] = std::poisson_distribution<std::int32_t>(mean)(random);
    }
    return c;
  };
  for (const std::vector<double>& share : shares) {
    const int m = int(share.size());
    int covered = 0, coveredBySample = 0;
    for (int trial = 0; trial < 250; ++trial) {
      std::vector<Std> stds;
      for (int k = 0; k < m; ++k) {
        std::vector<double> alone(m, 0.0);
        alone[k] = 1.0;
        stds.push_back({k, k ? "b.dat" : "a.dat", "El", low[k], m == 1 ? 530 : high[k], noisy(alone)});
      }
      ASSERT_EQ(LoadTable(stds), m);
      ASSERT_EQ(FitSample(noisy(share)), FitStatus::Fitted);
      for (int k = 0; k < m; ++k) {
        const double off = std::abs(Slot(k).KRatio() - 100 * share[k]);
        covered += off <= f.dm->fitErrorsTotal[k] / 3;
        coveredBySample += off <= Slot(k).KRatioError() / 3;
      }
    }
    const double coverage = covered / (250.0 * m);
    EXPECT_GT(coverage, 0.60) << m;
    EXPECT_LT(coverage, 0.78) << m;
    EXPECT_LT(coveredBySample, covered) << m;
  }
}

}  // namespace
}  // namespace tavlex::test
