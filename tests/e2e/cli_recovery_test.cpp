// The recovery copies the command line's runs leave in the user's data folder, read back by
// tavlex info like any spectrum file.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "tests/e2e/CliRun.h"

namespace tavlex::e2e {
namespace {

class CliRecoveryTest : public ::testing::Test {
 protected:
  CliRecoveryTest() : oldData(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
  }
  ~CliRecoveryTest() override { qputenv("XDG_DATA_HOME", oldData); }

  QStringList Copies() const {
    return QDir(dir.filePath("data/tavlex/recovered")).entryList(QDir::Files, QDir::Name);
  }
  // What tavlex info says of a file, without the lines named in `skip`.
  QStringList Info(const QString& path, const QStringList& skip) {
    const CliResult r = RunTavlex({"info", path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList lines;
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
      if (!skip.contains(line.section(':', 0, 0))) lines << line;
    return lines;
  }

  QTemporaryDir dir;
  QByteArray oldData;
};

TEST_F(CliRecoveryTest, TavlexInfoReadsTheCopiesOfAnAcquisitionAndOfAScanSeries) {
  const QString out = dir.filePath("brass.dat");
  const CliResult run = RunTavlex({"acquire", out, "--preset", "0.5", "--simulate", "--channels",
                                   "256", "--comment", "brass, 40 kV", "--seed", "7"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  ASSERT_EQ(Copies().size(), 1);
  const QString copy = dir.filePath("data/tavlex/recovered/" + Copies()[0]);
  EXPECT_TRUE(Copies()[0].endsWith("-mca.dat"));
  // The copy is the saved file over again: same header, same counts, same date.
  const QStringList saved = Info(out, {"file"});
  EXPECT_EQ(Info(copy, {"file"}), saved);
  EXPECT_TRUE(saved.contains("comment: brass, 40 kV"));
  EXPECT_TRUE(saved.contains("channels: 256"));

  const QString map = dir.filePath("map");
  const CliResult scans = RunTavlex({"scan", map, "--scans", "2", "--scan-time", "0.2", "--memory",
                                     "512", "--simulate", "--seed", "7"});
  ASSERT_EQ(scans.exitCode, 0) << scans.err.toStdString();
  ASSERT_EQ(Copies().size(), 2);
  EXPECT_TRUE(Copies()[1].endsWith("-scan.dat")) << Copies()[1].toStdString();
  // The series' copy holds its last scan; only its date (when the copy was made) may differ.
  const QString scanCopy = dir.filePath("data/tavlex/recovered/" + Copies()[1]);
  const QStringList last = Info(map + "-0002.dat", {"file", "date"});
  EXPECT_EQ(Info(scanCopy, {"file", "date"}), last);
  EXPECT_TRUE(last.contains("channels: 512"));
  EXPECT_TRUE(last.contains("real_s: 0.2"));
}

}  // namespace
}  // namespace tavlex::e2e
