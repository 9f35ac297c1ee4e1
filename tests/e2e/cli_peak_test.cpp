// tavlex peak and tavlex render's zoom options, run on the built program.

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "app/MainWindowPort.h"
#include "files/SpectrumFile.h"
#include "tests/e2e/CliRun.h"

namespace tavlex::e2e {
namespace {

class CliPeakTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;

  // 1024 channels, zero but for the counts given; calibrated when slope is not 0.
  QString Write(const char* name, int from, const std::vector<std::int32_t>& counts,
                float slope = 0, float offset = 0) {
    auto s = std::make_unique<AppState>();
    HeadlessWindow window;
    s->channelSize = 1024;
    for (std::int32_t v : counts) s->spectrumCounts[from++] = v;
    if (slope != 0) {
      s->calibrated = 1;
      s->calSlope = slope;
      s->calOffset = offset;
    }
    const QString path = dir.filePath(name);
    EXPECT_TRUE(WriteSpectrumFile(*s, window, path.toStdString()).ok());
    return path;
  }
};

TEST_F(CliPeakTest, PrintsTheSnappedPeakAndItsWidth) {
  struct Row {
    const char* what;
    std::vector<std::int32_t> counts;  // from channel 498
    float slope, offset;
    QStringList args;
    QString out;
  };
  const Row rows[] = {
      {"worked example",
       {10, 50, 100, 50, 10},
       0,
       0,
       {"--cursor", "495"},
       "peak: 500\ncentroid: 500.00\ncursor: 500\nfwhm_peak: 500\nfwhm_centroid: 500.00\n"
       "fwhm_ch: 2.00\n"},
      // 10 eV per channel from 20 eV: the centroid at 5020 eV, the width 20 eV.
      {"calibrated",
       {10, 50, 100, 50, 10},
       10.0f,
       20.0f,
       {"--cursor", "505"},
       "peak: 500\ncentroid: 500.00\ncursor: 500\nfwhm_peak: 500\nfwhm_centroid: 500.00\n"
       "fwhm_ch: 2.00\ncentroid_energy: 5020.0000\nfwhm_energy: 20.0000\n"},
      // A falling calibration: the width is an energy width all the same.
      {"falling calibration",
       {10, 50, 100, 50, 10},
       -10.0f,
       10000.0f,
       {"--cursor", "505"},
       "peak: 500\ncentroid: 500.00\ncursor: 500\nfwhm_peak: 500\nfwhm_centroid: 500.00\n"
       "fwhm_ch: 2.00\ncentroid_energy: 5000.0000\nfwhm_energy: 20.0000\n"},
      // Leaning from 500: (500x100 + 501x90 + 502x80 + 503x70 + 504x60) / 400 = 501.75, so
      // FWHM runs at 502 and finds 500 again: centroid 135250 / 270 over 498 .. 502; half 50,
      // L = 500, R = 504: 4 + 50/100 + 10/60.
      {"leaning",
       {0, 0, 100, 90, 80, 70, 60},
       0,
       0,
       {"--cursor", "500"},
       "peak: 500\ncentroid: 501.75\ncursor: 502\nfwhm_peak: 500\nfwhm_centroid: 500.93\n"
       "fwhm_ch: 4.67\n"},
      // A flat top reaching past the view's end: R = 518 and 519 hold the same count, so the
      // right crossing cannot be interpolated.
      {"flat at the border",
       std::vector<std::int32_t>(40, 100),
       0.5f,
       0,
       {"--cursor", "505", "--view", "490-520"},
       "peak: 498\ncentroid: 500.50\ncursor: 501\nfwhm_peak: 498\nfwhm_centroid: 499.00\n"
       "fwhm_ch: undefined\ncentroid_energy: 250.2500\nfwhm_energy: undefined\n"},
  };
  for (const Row& r : rows) {
    const QString file = Write("p.dat", 498, r.counts, r.slope, r.offset);
    CliResult got = RunTavlex(QStringList{"peak", file} + r.args);
    EXPECT_EQ(got.exitCode, 0) << r.what << ": " << got.err.toStdString();
    EXPECT_EQ(got.out.toStdString(), r.out.toStdString()) << r.what;
  }
}

TEST_F(CliPeakTest, JsonHoldsTheNumbersAtSinglePrecision) {
  const QString file = Write("p.dat", 498, {0, 0, 100, 90, 80, 70, 60}, 0.0025f, 0.1f);
  CliResult r = RunTavlex({"peak", file, "--cursor", "500", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_EQ(o.value("peak").toInt(), 500);
  EXPECT_EQ(o.value("centroid").toDouble(), 501.75);
  EXPECT_EQ(o.value("cursor").toInt(), 502);
  EXPECT_EQ(static_cast<float>(o.value("fwhm_centroid").toDouble()), 135250.0f / 270.0f);
  const float width = 4.0f + 0.5f + 10.0f / 60.0f;
  EXPECT_FLOAT_EQ(static_cast<float>(o.value("fwhm_ch").toDouble()), width);
  EXPECT_FLOAT_EQ(static_cast<float>(o.value("centroid_energy").toDouble()),
                  501.75f * 0.0025f + 0.1f);
  EXPECT_FLOAT_EQ(static_cast<float>(o.value("fwhm_energy").toDouble()), width * 0.0025f);

  const QString flat = Write("f.dat", 498, std::vector<std::int32_t>(40, 100));
  r = RunTavlex({"peak", flat, "--cursor", "505", "--view", "490-520", "--json"});
  ASSERT_EQ(r.exitCode, 0);
  const QJsonObject f = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_TRUE(f.value("fwhm_ch").isNull());
  EXPECT_FALSE(f.contains("fwhm_energy"));
}

TEST_F(CliPeakTest, NoPeakAndBadOptions) {
  const QString file = Write("p.dat", 498, {10, 50, 100, 50, 10});
  CliResult r = RunTavlex({"peak", file, "--cursor", "100"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "tavlex: no peak near channel 100\n");
  EXPECT_TRUE(r.out.isEmpty());
  const QStringList usage[] = {{"peak", file},
                               {"peak", file, "--cursor", "1024"},
                               {"peak", file, "--cursor", "x"},
                               {"peak", file, "--cursor", "500", "--view", "600-500"},
                               {"peak", file, "--cursor", "500", "--view", "0-1024"},
                               {"peak", "--cursor", "500"}};
  for (const QStringList& args : usage) {
    r = RunTavlex(args);
    EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.startsWith("tavlex: peak: ")) << r.err.toStdString();
  }
  r = RunTavlex({"peak", dir.filePath("missing.dat"), "--cursor", "5"});
  EXPECT_EQ(r.exitCode, 1);
}

TEST_F(CliPeakTest, RenderZoomsAroundTheCursorAsTheButtonsDo) {
  const QString file = Write("p.dat", 498, {10, 50, 100, 50, 10});
  auto render = [&](const char* out, const QStringList& args) {
    const QString png = dir.filePath(out);
    CliResult r = RunTavlex(QStringList{"render", file, png} + args);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return QImage(png);
  };
  // From 0 - 1023 around 500: 244 - 755, 372 - 627, 436 - 563; compress: back to 372 - 627.
  const QImage expanded = render("e.png", {"--cursor", "500", "--expand", "3"});
  const QImage viewed = render("v.png", {"--cursor", "500", "--view", "436-563"});
  ASSERT_EQ(expanded.size(), QSize(530, 320));
  EXPECT_EQ(expanded, viewed);
  EXPECT_NE(expanded, render("w.png", {"--cursor", "500"}));
  EXPECT_EQ(render("c.png", {"--cursor", "500", "--expand", "3", "--compress", "1"}),
            render("d.png", {"--cursor", "500", "--view", "372-627"}));
  EXPECT_EQ(render("l.png", {"--cursor", "500", "--large", "--expand", "1"}),
            render("m.png", {"--cursor", "500", "--large", "--view", "244-755"}));
  for (const char* bad : {"-1", "x", "101"}) {
    CliResult r = RunTavlex({"render", file, dir.filePath("z.png"), "--expand", bad});
    EXPECT_EQ(r.exitCode, 2) << bad;
  }
}

}  // namespace
}  // namespace tavlex::e2e
