// tavlex fit, run on the built program: the K-ratios as the editor shows them, the JSON form, and
// the failures that must not pass for results.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "tests/e2e/CliRun.h"
#include "tests/standards/StdFiles.h"

namespace tavlex::e2e {
namespace {

using test::RefBytes;
using test::Spike;

class CliFitTest : public ::testing::Test {
 protected:
  test::StdFolder f;

  // Fe: a spike of 100 at channel 500, cf 2.5; Cu: a spike of 80 at channel 800, cf 1; all
  // counted for 10 s but the sample, counted for sampleLive. The sample holds half the Fe and all
  // the Cu.
  void WriteSet(const char* fe = "Fe", int sampleLive = 100) {
    f.Write("set.ref", RefBytes({{0, {"fe.dat", fe, 1, 480, 530, 2.5f}},
                                 {3, {"cu.dat", "Cu", 1, 780, 830}},
                                 {4, {"ni.dat", "Ni", 0, 0, 10}}}));
    f.WriteDat("fe.dat", Spike(1024, 500, 100), 100);
    f.WriteDat("cu.dat", Spike(1024, 800, 80), 100);
    std::vector<std::int32_t> sample = Spike(1024, 500, 50);
    sample[800] = 80;
    f.WriteDat("sample.dat", sample, sampleLive);
  }
  CliResult Fit(const QStringList& extra = {}) {
    return RunTavlex(QStringList{"fit", f.PathOf("sample.dat"), f.PathOf("set.ref")} + extra);
  }
};

// Fe: K = 50 %. The filtered spike is +-100 on channels 486..517, the sample's variance 50 on
// 485..516 and 0 (counted as 1.0) on 517, so N = 31 x 100^2 / 50 + 100^2 = 16200 and the error
// is sqrt(8 / 16200) x 300 = 6.667; weight per cent 50 x 2.5 = 125. Cu fits itself:
// N = 31 x 80^2 / 80 + 80^2 = 8880, error sqrt(8 / 8880) x 300 = 9.005.
struct LineRow {
  const char* fe;
  int sampleLive;
  const char* feLine;  // the Cu line follows it
  const char* note;    // on stderr
};

TEST_F(CliFitTest, PrintsOneLinePerActiveStandard) {
  const LineRow rows[] = {
      {"Fe", 100, " 0  Fe          50.00  +/-    6.667     125.00\n", ""},
      {"F\ne", 100, " 0  F\\ne        50.00  +/-    6.667     125.00\n", ""},
      {"Fe", 0, " 0  Fe          50.00  +/-    6.667     125.00\n", "counts compared"},
  };
  for (const LineRow& row : rows) {
    WriteSet(row.fe, row.sampleLive);
    const CliResult r = Fit();
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString(row.feLine) + " 3  Cu         100.00  +/-    9.005     100.00\n");
    EXPECT_EQ(r.err.isEmpty(), !*row.note) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(row.note)) << r.err.toStdString();
  }
}

TEST_F(CliFitTest, JsonAtFullSinglePrecision) {
  WriteSet();
  const CliResult r = Fit({"--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QJsonArray stds = QJsonDocument::fromJson(r.out.toUtf8()).object()["standards"].toArray();
  ASSERT_EQ(stds.size(), 2);
  const QJsonObject fe = stds[0].toObject(), cu = stds[1].toObject();
  EXPECT_EQ(fe["slot"].toInt(), 0);
  EXPECT_EQ(fe["element"].toString(), "Fe");
  EXPECT_FLOAT_EQ(float(fe["k_ratio"].toDouble()), 50.0f);
  // Single precision in full: it reads back as the same float, not a rounded text.
  EXPECT_FLOAT_EQ(float(fe["k_ratio_error"].toDouble()), float(std::sqrt(8.0 / 16200) * 300));
  EXPECT_FLOAT_EQ(float(fe["wt_percent"].toDouble()), 125.0f);
  // The standards' own counting noise adds to the sample's.
  EXPECT_GT(fe["k_ratio_error_total"].toDouble(), fe["k_ratio_error"].toDouble());
  EXPECT_EQ(cu["slot"].toInt(), 3);
  EXPECT_EQ(cu["element"].toString(), "Cu");
  EXPECT_FLOAT_EQ(float(cu["k_ratio"].toDouble()), 100.0f);
}

struct FailRow {
  const char* what;
  QByteArray table;
  bool writeSpectra;
  const char* sampleName;
  const char* complaint;
};

TEST_F(CliFitTest, FailuresExitWithAMessage) {
  const QByteArray twoFe =
      RefBytes({{0, {"fe.dat", "Fe", 1, 480, 530}}, {1, {"fe.dat", "Fe", 1, 480, 530}}});
  const FailRow rows[] = {
      {"missing spectrum", RefBytes({{2, {"gone.dat", "Zn", 1, 0, 10}}}), true, "sample.dat",
       "gone.dat: cannot read the spectrum of the standard in slot 2"},
      {"empty table", RefBytes({}), true, "sample.dat", "no standard of the table takes part"},
      {"singular", twoFe, true, "sample.dat", "singular fit"},
      {"missing sample", RefBytes({}), true, "nothing.dat", "nothing.dat: "},
      {"channels", RefBytes({{0, {"fe.dat", "Fe", 1, 480, 530}}}), true, "short.dat",
       "the sample has 512 channels, the standard in slot 0 1024"},
  };
  for (const FailRow& row : rows) {
    f.Write("set.ref", row.table);
    f.WriteDat("fe.dat", Spike(1024, 500, 100));
    f.WriteDat("sample.dat", Spike(1024, 500, 100));
    f.WriteDat("short.dat", Spike(512, 500, 100));
    const CliResult r = RunTavlex({"fit", f.PathOf(row.sampleName), f.PathOf("set.ref")});
    EXPECT_EQ(r.exitCode, 1) << row.what;
    EXPECT_TRUE(r.err.startsWith("tavlex: ")) << row.what << ": " << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(row.complaint)) << row.what << ": " << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << row.what;
  }
  const CliResult r = RunTavlex({"fit", f.PathOf("sample.dat")});
  EXPECT_EQ(r.exitCode, 2);
}

}  // namespace
}  // namespace tavlex::e2e
