// tavlex scan on the simulated analyser: a series of scans saved one file each, the summary
// lines, and a series refused before anything is measured.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>

#include "app/SpectrumHeader.h"
#include "tests/e2e/CliRun.h"

namespace tavlex::e2e {
namespace {

TEST(CliScanTest, ThreeScansAreSavedAndSummedUpInTheCsv) {
  QTemporaryDir dir;
  const QString prefix = dir.filePath("map");
  const CliResult r = RunTavlex({"scan", prefix, "--scans", "3", "--scan-time", "0.5", "--memory",
                                 "1024", "--simulate", "--seed", "4"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, prefix + ": 3 scans of 0.5 s, 1024 channels, summary in " + prefix + ".csv\n");
  QFile csv(prefix + ".csv");
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromLatin1(csv.readAll()).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[0], "scan,real_s,events,kcps");
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    QFile f(prefix + QString("-%1.dat").arg(n, 4, 10, QChar('0')));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), 1024 + 4 * 1024);
    SpectrumHeader h;
    std::memcpy(h.data(), bytes.constData(), 1024);
    EXPECT_EQ(h.ChannelSize(), 1024);
    EXPECT_EQ(h.PresetTime(), 5);
    EXPECT_EQ(h.RealTime(), 5);
    EXPECT_GE(h.Date().year, 2026);
    std::int64_t total = 0;
    for (int ch = 0; ch < 1024; ++ch) {
      std::int32_t v;
      std::memcpy(&v, bytes.constData() + 1024 + 4 * ch, 4);
      total += v;
    }
    // About 15 kcps for 0.5 s, and the rate in the summary is these counts over the scan time.
    EXPECT_GT(total, 5000);
    // Each line is its scan's own: the scan's real time and the counts of its file.
    const QStringList fields = lines[n].split(',');
    ASSERT_EQ(fields.size(), 4);
    EXPECT_EQ(fields[0].toInt(), n);
    EXPECT_EQ(fields[1], "0.50");
    EXPECT_EQ(fields[2].toLongLong(), total);
    EXPECT_NEAR(fields[3].toDouble(), total / 0.5 / 1000.0, 0.001);
  }
}

TEST(CliScanTest, ASeriesThatWouldWriteOverAFileIsRefusedBeforeMeasuring) {
  QTemporaryDir dir;
  const QString prefix = dir.filePath("map");
  QFile taken(prefix + "-0002.dat");
  ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
  taken.write("keep");
  taken.close();
  QElapsedTimer t;
  t.start();
  const CliResult r =
      RunTavlex({"scan", prefix, "--scans", "3", "--scan-time", "100", "--simulate"});
  EXPECT_LT(t.elapsed(), 10000);  // not one 100 s scan was run
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.startsWith("tavlex: " + prefix + "-0002.dat: is already there"))
      << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(prefix + "-0001.dat"));
  EXPECT_EQ(taken.size(), 4);
  const CliResult usage = RunTavlex({"scan", prefix, "--scans", "0", "--simulate"});
  EXPECT_EQ(usage.exitCode, 2);
  // Scans that end between two looks would be measured and lost.
  const CliResult slow = RunTavlex(
      {"scan", prefix, "--scans", "3", "--scan-time", "0.2", "--refresh", "200", "--simulate"});
  EXPECT_EQ(slow.exitCode, 2);
  EXPECT_TRUE(slow.err.startsWith("tavlex: scan: --refresh 200 ms is not shorter than a scan"));
}

}  // namespace
}  // namespace tavlex::e2e
