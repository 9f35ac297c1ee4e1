// --sim-link on the program: a run over a slow simulated link reaches its preset and is saved;
// a malformed link, or one without the simulated analyser, is a usage error, in the window
// program as in acquire and scan.

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

}  // namespace
}  // namespace tavlex::e2e
