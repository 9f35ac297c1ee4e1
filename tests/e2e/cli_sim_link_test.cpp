// The simulator's options on the program: a run over a slow simulated link reaches its preset
// and is saved; the same seed counts the same spectrum whatever the link's or the refresh's
// timing; a malformed link, sample or tube, or one without the simulated analyser, is a usage
// error, in the window program as in acquire and scan.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "tests/e2e/CliRun.h"

namespace tavlex::e2e {
namespace {

TEST(CliSimLinkTest, ARunOverASlowLinkReachesItsPreset) {
  QTemporaryDir dir;
  const QString out = dir.filePath("slow.dat");
  const CliResult r = RunTavlex(
      {"acquire", out, "--preset", "0.5", "--simulate", "--sim-link=2,500000", "--seed", "4"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith(out + ": 4096 channels, real 0.5 s")) << r.out.toStdString();
  EXPECT_EQ(QFile(out).size(), 1024 + 4 * 4096);
}

TEST(CliSimLinkTest, BadLinksAreUsageErrors) {
  QTemporaryDir dir;
  const QString out = dir.filePath("none.dat");
  const QString help = "--sim-link needs LATENCY_MS,BYTES_PER_S";
  const QString simOnly = "--seed and --sim-* options are for the simulated analyser";
  const struct {
    QStringList args;
    QString says;
  } rows[] = {
      {{"acquire", out, "--preset", "1", "--simulate", "--sim-link=1"}, help},
      {{"acquire", out, "--preset", "1", "--simulate", "--sim-link=1,50"}, help},
      {{"acquire", out, "--preset", "1", "--driver=ftdi", "--sim-link=1,1000000"}, simOnly},
      {{"scan", dir.filePath("map"), "--scans", "1", "--simulate", "--sim-link=x,1"}, help},
      {{"--simulate", "--sim-link=1,1000000,3"}, help},
      {{"--sim-link=1,1000000"}, simOnly},
      {{"acquire", out, "--preset", "1", "--simulate", "--sim-sample", "Fe=70,Qq=30"}, "'Qq=30'"},
      {{"scan", dir.filePath("map"), "--scans", "1", "--simulate", "--sim-sample", "Fe=1,"},
       "empty item"},
      {{"scan", dir.filePath("map"), "--scans", "1", "--simulate", "--sim-tube", "Zz"},
       "--sim-tube needs"},
      {{"--simulate", "--sim-sample=Cu=0,Zn=0"}, "add up to 0"},
      {{"acquire", out, "--preset", "1", "--driver=ftdi", "--sim-tube=Mo"}, simOnly},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args.join(' ').toStdString());
    const CliResult r = RunTavlex(row.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith("tavlex")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(row.says)) << r.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(out));
  // A good link is taken by the window program: what stops it here is the missing display.
  const CliResult r = RunTavlex({"--simulate", "--sim-link=1,1000000"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains("no display found")) << r.err.toStdString();
}

// The counts of a spectrum file: everything after its 1024-byte header.
QByteArray Counts(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().mid(1024) : QByteArray();
}

TEST(CliSimLinkTest, TheSameSeedCountsTheSameWhateverTheTiming) {
  QTemporaryDir dir;
  const struct {
    const char* what;
    QStringList first, second;  // options of two runs that must count alike
    int files;
  } rows[] = {
      {"acquire, at once and over a slow link",
       {"acquire", "a.dat", "--preset", "0.5", "--simulate", "--seed", "7"},
       {"acquire", "b.dat", "--preset", "0.5", "--simulate", "--seed", "7", "--sim-link=3,200000"},
       0},
      {"acquire of brass from a Mo tube",
       {"acquire", "c.dat", "--preset", "0.3", "--simulate", "--seed", "7", "--sim-sample", "brass",
        "--sim-tube", "Mo"},
       {"acquire", "d.dat", "--preset", "0.3", "--simulate", "--seed", "7", "--sim-sample=brass",
        "--sim-tube=Mo", "--sim-link=1,1000000"},
       0},
      // Scans much longer than the refresh, so that a busy machine still reads each one before
      // the next has finished.
      {"scans refreshed every 20 ms and every 100 ms",
       {"scan", "e", "--scans", "3", "--scan-time", "0.5", "--simulate", "--seed", "7", "--refresh",
        "20"},
       {"scan", "f", "--scans", "3", "--scan-time", "0.5", "--simulate", "--seed", "7", "--refresh",
        "100", "--sim-link=2,500000"},
       3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    for (const QStringList& args : {row.first, row.second}) {
      const CliResult r = RunTavlex(args, 60000, dir.path());
      ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    const QString a = dir.filePath(row.first[1]), b = dir.filePath(row.second[1]);
    for (int n = 0; n <= row.files; ++n) {
      if (row.files > 0 && n == 0) continue;
      const QString suffix = row.files > 0 ? QString("-%1.dat").arg(n, 4, 10, QChar('0')) : "";
      const QByteArray first = Counts(a + suffix), second = Counts(b + suffix);
      EXPECT_GE(first.size(), 4 * 2048) << n;
      EXPECT_EQ(first, second) << "file " << n;
    }
  }
  // Another seed, other counts.
  ASSERT_EQ(RunTavlex({"acquire", "g.dat", "--preset", "0.5", "--simulate", "--seed", "8"}, 60000,
                      dir.path())
                .exitCode,
            0);
  EXPECT_NE(Counts(dir.filePath("a.dat")), Counts(dir.filePath("g.dat")));
}

}  // namespace
}  // namespace tavlex::e2e
