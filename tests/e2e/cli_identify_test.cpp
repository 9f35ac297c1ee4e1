// tavlex identify and the --markers of render and report, run on the built program.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "analysis/XrayLines.h"
#include "app/MainWindowPort.h"
#include "files/SpectrumFile.h"
#include "tests/e2e/CliRun.h"

namespace tavlex::e2e {
namespace {

// Iron's K lines on a flat background, 10 eV channels; calibrated or not.
QString WriteIron(const QTemporaryDir& dir, const char* name, bool calibrated) {
  auto s = std::make_unique<AppState>();
  HeadlessWindow window;
  const XrayElement& fe = *XrayElementByZ(26);
  for (int c = 0; c < 4096; ++c) {
    double mean = 30;
    for (int i = 0; i < 2; ++i) {
      const double sigma = SiliconDetectorFwhm(fe.lines[i].energyKeV, 0.085) / 2.3548 / 0.01;
      const double x = (c - fe.lines[i].energyKeV / 0.01) / sigma;
      mean += 3e5 * fe.lines[i].relative * std::exp(-0.5 * x * x) / (sigma * 2.5066);
    }
    s->spectrumCounts[c] = static_cast<std::int32_t>(mean);
  }
  s->calibrated = calibrated ? 1 : 0;
  s->calSlope = 0.01f;
  const QString path = dir.filePath(name);
  EXPECT_TRUE(WriteSpectrumFile(*s, window, path.toStdString()).ok());
  return path;
}

TEST(CliIdentifyTest, ElementsPeaksAndRefusals) {
  QTemporaryDir dir;
  const QString iron = WriteIron(dir, "fe.dat", true), raw = WriteIron(dir, "raw.dat", false);
  const QString png = dir.filePath("out.png");
  struct Row {
    QStringList args;
    int exit;
    const char* out;  // found in standard output
    const char* err;  // found in standard error
  } rows[] = {
      {{"identify", iron}, 0, "element Fe  K ", ""},
      {{"identify", iron}, 0, "  6.40", ""},
      {{"identify", iron, "--tube", "Rh"}, 0, "Fe Kb", ""},
      {{"identify", raw}, 1, "", "calibrate it first with 'tavlex calibrate'"},
      {{"identify", iron, "--tube", "Xx"}, 2, "", "--tube needs the anode's element symbol"},
      {{"render", iron, png, "--markers", "Fe,Cr"}, 0, "", ""},
      {{"render", raw, png, "--markers", "Fe"}, 1, "", "tavlex calibrate"},
      {{"report", iron, png, "--markers", "Fe,Qq", "--page", "200x300"}, 2, "", "'Qq' is no element"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.args.join(' ').toStdString());
    const CliResult result = RunTavlex(r.args);
    EXPECT_EQ(result.exitCode, r.exit) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(r.out)) << result.out.toStdString();
    EXPECT_TRUE(result.err.contains(r.err)) << result.err.toStdString();
  }

  const CliResult json = RunTavlex({"identify", iron, "--json"});
  ASSERT_EQ(json.exitCode, 0);
  const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
  const QJsonArray elements = o["elements"].toArray(), peaks = o["peaks"].toArray();
  ASSERT_EQ(elements.size(), 1);
  EXPECT_EQ(elements[0].toObject()["symbol"].toString(), "Fe");
  EXPECT_EQ(elements[0].toObject()["lines"].toArray()[0].toObject()["line"].toString(), "Ka");
  ASSERT_GE(peaks.size(), 2);
  bool ka = false;
  for (const QJsonValue& p : peaks)
    ka |= p.toObject()["assignments"].toArray().contains(QJsonValue("Fe Ka")) &&
          std::fabs(p.toObject()["energy_kev"].toDouble() - 6.40) < 0.01;
  EXPECT_TRUE(ka) << json.out.toStdString();
}

}  // namespace
}  // namespace tavlex::e2e
