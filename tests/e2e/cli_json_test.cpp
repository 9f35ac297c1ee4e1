// Every command's --json output, on inputs whose numbers are not finite or need every digit: a
// strict parser takes it, a number that is not finite is null, and a float reads back as itself.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <limits>

#include "tests/e2e/CliRun.h"
#include "tests/standards/StdFiles.h"

namespace tavlex::e2e {
namespace {

using namespace test;

class CliJsonTest : public ::testing::Test {
 protected:
  StdFolder f;

  // A calibrated 1024-channel spectrum with a peak at channel 500.
  void WriteCalibrated(const QString& name, float slope, float offset) {
    QByteArray b = DatBytes(Peak(1024, 500, 1000, 3));
    PutF32(b, kMarkerAt, 0.0f);
    PutF32(b, kSlopeAt, slope);
    PutF32(b, kOffsetAt, offset);
    f.Write(name, b);
  }

  // The value at a path of keys and indices, "standards/0/wt_percent".
  static QJsonValue At(QJsonValue v, const QString& path) {
    for (const QString& key : path.split('/')) {
      bool index = false;
      const int i = key.toInt(&index);
      v = index ? v.toArray()[i] : v.toObject()[key];
    }
    return v;
  }
};

TEST_F(CliJsonTest, EveryCommandWritesJsonAStrictParserReadsBack) {
  const float inf = std::numeric_limits<float>::infinity();
  // %.7g gives -0.8231946, which reads back as another float.
  WriteCalibrated("cal.dat", 0.01f, -0.82319456f);
  WriteCalibrated("inf.dat", inf, 0.5f);
  WriteCalibrated("extreme.dat", 3e38f, 0.0f);  // every energy past single precision
  f.Write("huge.ref", RefBytes({{0, {"fe.dat", "Fe", 1, 480, 530, inf}}}));
  f.WriteDat("fe.dat", Spike(1024, 500, 100));
  f.WriteDat("sample.dat", Spike(1024, 500, 50));
  const QString cal = f.PathOf("cal.dat"), out = f.PathOf("out.dat");
  const QStringList calibrate = {"calibrate", cal,      out,       "--low",
                                 "128:1.3",   "--high", "640:6.7", "--json"};
  const QStringList peak = {"peak", f.PathOf("extreme.dat"), "--cursor", "495", "--json"};
  const struct {
    QStringList args;
    QString key;
    QString file;  // whose header holds the float the number must read back as; empty: null
    int at;
  } rows[] = {
      {{"info", cal, "--json"}, "offset", cal, kOffsetAt},
      {{"info", f.PathOf("inf.dat"), "--json"}, "slope", {}, 0},
      {calibrate, "slope", out, kSlopeAt},
      {calibrate, "offset", out, kOffsetAt},
      {peak, "centroid_energy", {}, 0},
      {peak, "fwhm_energy", {}, 0},
      {{"fit", f.PathOf("sample.dat"), f.PathOf("huge.ref"), "--json"},
       "standards/0/wt_percent",
       {},
       0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE((row.args.join(' ') + " -> " + row.key).toStdString());
    const CliResult r = RunTavlex(row.args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    const QJsonValue v = At(json.object(), row.key);
    if (row.file.isEmpty()) {
      EXPECT_TRUE(v.isNull()) << r.out.toStdString();
    } else {
      ASSERT_TRUE(v.isDouble()) << r.out.toStdString();
      EXPECT_EQ(static_cast<float>(v.toDouble()), F32(ReadAll(row.file), row.at));
    }
  }
}

}  // namespace
}  // namespace tavlex::e2e
