// tavlex info's region sums and tavlex calibrate, run on the built program.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "app/MainWindowPort.h"
#include "files/SpectrumFile.h"
#include "tests/e2e/CliRun.h"

namespace tavlex::e2e {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class CliRoiCalibTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString Path(const char* name) const { return dir.filePath(name); }

  // 1024 channels of 10 counts with 50 in channels 100 .. 119, and three regions: one at
  // channel 0, one around the peak and one reaching past the end of the spectrum.
  QString WriteSample(const char* name) {
    auto s = std::make_unique<AppState>();
    HeadlessWindow window;
    s->channelSize = 1024;
    for (int c = 0; c < 1024; ++c) s->spectrumCounts[c] = c >= 100 && c < 120 ? 50 : 10;
    const int regions[][4] = {
        {0, 0, 2, 0x0000FF}, {2, 100, 120, 0x0000FF}, {9, 1000, 1100, 0x000080}};
    for (const auto& r : regions) {
      s->roiTable[r[0]].low = r[1];
      s->roiTable[r[0]].high = r[2];
      s->roiTable[r[0]].colour = r[3];
    }
    s->currentHeader.SetComment("flat with one peak");
    const QString path = Path(name);
    EXPECT_TRUE(WriteSpectrumFile(*s, window, path.toStdString()).ok());
    return path;
  }
};

TEST_F(CliRoiCalibTest, InfoGivesEachRegionItsGrossAndNetSums) {
  const QString file = WriteSample("flat.dat");
  CliResult r = RunTavlex({"info", file});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  // Worked by hand: the background is the mean of the three channels at each side times half
  // the width; channels outside the spectrum count as 0.
  const QStringList rois = r.out.split('\n').filter(QRegularExpression("^roi: "));
  const QStringList want = {"roi: 0 0 2 0x0000FF 20.0 6.7",          // (10/3 + 10) x 2 x 0.5 off 20
                            "roi: 2 100 120 0x0000FF 1000.0 666.7",  // (70/3 + 10) x 20 x 0.5
                            "roi: 9 1000 1100 0x000080 240.0 -260.0"};  // (10 + 0) x 100 x 0.5
  EXPECT_EQ(rois, want);

  r = RunTavlex({"info", file, "--json"});
  ASSERT_EQ(r.exitCode, 0);
  const QJsonArray list = QJsonDocument::fromJson(r.out.toUtf8()).object()["roi"].toArray();
  ASSERT_EQ(list.size(), 3);
  struct Sums {
    int index;
    float gross, net;
  };
  // Full single precision: the numbers read back as the very floats of the sums.
  const Sums sums[] = {
      {0, 20.0f, 6.666666030883789f}, {2, 1000.0f, 666.6666259765625f}, {9, 240.0f, -260.0f}};
  for (int i = 0; i < 3; ++i) {
    const QJsonObject o = list[i].toObject();
    EXPECT_EQ(o["index"].toInt(), sums[i].index);
    EXPECT_EQ(static_cast<float>(o["gross"].toDouble()), sums[i].gross) << i;
    EXPECT_EQ(static_cast<float>(o["net"].toDouble()), sums[i].net) << i;
    EXPECT_EQ(o["low"].toInt(), i == 0 ? 0 : (i == 1 ? 100 : 1000));
  }
}

TEST_F(CliRoiCalibTest, CalibrateWritesTheCalibrationIntoTheHeaderAndNothingElse) {
  const QString in = WriteSample("flat.dat");
  const QString out = Path("calibrated.dat");
  CliResult r = RunTavlex({"calibrate", in, out, "--low", "128:1.0", "--high", "640:5.0"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, "slope: 0.0078125\noffset: 0\nunit: keV\n");
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

  // Byte for byte the input except the marker, slope and offset (bytes 64 .. 75).
  const QByteArray before = ReadAll(in), after = ReadAll(out);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.left(64), before.left(64));
  EXPECT_EQ(after.mid(76), before.mid(76));
  const float marker = 0.0f, slope = 0.0078125f, offset = 0.0f;
  EXPECT_EQ(after.mid(64, 4), QByteArray(reinterpret_cast<const char*>(&marker), 4));
  EXPECT_EQ(after.mid(68, 4), QByteArray(reinterpret_cast<const char*>(&slope), 4));
  EXPECT_EQ(after.mid(72, 4), QByteArray(reinterpret_cast<const char*>(&offset), 4));

  r = RunTavlex({"info", out});
  EXPECT_TRUE(r.out.contains("calibrated: yes\nslope: 0.0078125\noffset: 0\n"))
      << r.out.toStdString();

  // 0.01 keV per channel is no float: the slope is the float nearest, printed shortest, and the
  // offset takes up the rest at the high point. A reversed pair and a long unit are taken.
  r = RunTavlex({"calibrate", in, out, "--low", "700:7", "--high", "100:1", "--unit",
                 "Kiloelectronvolt", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith("{\"slope\": 0.01, ")) << r.out.toStdString();
  const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_EQ(static_cast<float>(o["slope"].toDouble()), 0.01f);
  // 1 - 0.009999999776482582 x 100 = 3 x 2^-27.
  EXPECT_EQ(static_cast<float>(o["offset"].toDouble()), 2.2351741790771484e-08f);
  EXPECT_EQ(o["unit"].toString(), "Kiloele");
}

TEST_F(CliRoiCalibTest, CalibrateRefusesAndLeavesTheOutputAlone) {
  const QString in = WriteSample("flat.dat");
  const QString out = Path("kept.dat");
  struct Row {
    QStringList args;
    int exitCode;
    const char* says;
  };
  const Row rows[] = {
      {{in, out, "--low", "abc:1.0", "--high", "640:5"}, 1, "low channel 'abc' is not a number"},
      {{in, out, "--low", "128:1", "--high", "640:"}, 1, "high energy '' is not a number"},
      {{in, out, "--low", "128:1", "--high", "x640:5"}, 1, "high channel 'x640' is not a number"},
      {{in, out, "--low", "128:1", "--high", "128.0:5"},
       1,
       "the low and the high channel are the same"},
      {{in, out, "--low", "0:-3e38", "--high", "1e-30:3e38"}, 1, "beyond single precision"},
      {{Path("missing.dat"), out, "--low", "128:1", "--high", "640:5"}, 1, "no such file"},
      {{in, Path("no/such/dir.dat"), "--low", "128:1", "--high", "640:5"}, 1, "no/such/dir.dat: "},
      {{in, out, "--low", "128", "--high", "640:5"}, 2, "--low needs CHANNEL:ENERGY"},
      {{in, out, "--low", "128:1"}, 2, "needs --low and --high"},
      {{in, "--low", "128:1", "--high", "640:5"}, 2, "needs IN.dat and OUT.dat"},
      {{in, out, "--low", "128:1", "--high", "640:5", "--slope"}, 2, "unknown option --slope"},
  };
  for (const Row& row : rows) {
    QFile old(out);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    const CliResult r = RunTavlex(QStringList{"calibrate"} + row.args);
    EXPECT_EQ(r.exitCode, row.exitCode) << row.says;
    EXPECT_TRUE(r.err.startsWith("tavlex: ")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(row.says)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_EQ(ReadAll(out), "old") << row.says;
  }

  const CliResult help = RunTavlex({"--help"});
  EXPECT_TRUE(help.out.contains("  calibrate ")) << help.out.toStdString();
  EXPECT_TRUE(RunTavlex({"calibrate", "--help"}).out.startsWith("usage: tavlex calibrate"));
}

}  // namespace
}  // namespace tavlex::e2e
