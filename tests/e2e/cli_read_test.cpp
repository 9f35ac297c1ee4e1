// The commands that take a spectrum read other programs' files as File -> Read does, and bin a
// larger one by --rebin.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "tests/e2e/CliRun.h"

namespace tavlex::e2e {
namespace {

TEST(CliReadTest, LargerSpectraAreRefusedOrBinnedByRebin) {
  QTemporaryDir dir;
  const QString spe = dir.filePath("big.spe"), msa = dir.filePath("short.msa");
  std::string text = "$SPEC_ID:\nbig\n$MEAS_TIM:\n9.5 10\n$DATA:\n0 8191\n";
  for (int c = 0; c < 8192; ++c) text += c == 5000 ? "100\n" : "1\n";
  text += "$ENER_FIT:\n0 0.005\n";
  QFile f(spe);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text.data(), static_cast<qint64>(text.size()));
  f.close();
  QFile m(msa);
  ASSERT_TRUE(m.open(QIODevice::WriteOnly));
  m.write("#FORMAT : EMSA/MAS\r\n#SPECTRUM :\r\n1, 2, 3\r\n#ENDOFDATA :\r\n");
  m.close();

  const struct {
    QStringList args;
    int exit;
    const char *out, *err;
  } rows[] = {
      {{"info", spe},
       1,
       "",
       "big.spe: 8192 channels, more than the 4096 the program holds; read it with --rebin 2"},
      {{"info", spe, "--rebin", "2"}, 0, "channels: 4096", "big.spe: binned by 2 from 8192"},
      {{"info", "--rebin=4", spe}, 0, "channels: 2048", "binned by 4 from 8192 channels"},
      {{"export", spe, dir.filePath("big.csv"), "--rebin", "2"}, 0, "", "binned by 2"},
      {{"info", msa}, 0, "channels: 256", "short.msa: padded with zeros from 3 to 256 channels"},
      {{"info", spe, "--rebin", "17"}, 2, "", "--rebin needs a whole number from 1 to 16"},
      {{"export", spe, dir.filePath("x.csv"), "--rebin", "0"}, 2, "", "--rebin needs"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args.join(' ').toStdString());
    const CliResult r = RunTavlex(row.args);
    EXPECT_EQ(r.exitCode, row.exit) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(row.out)) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(row.err)) << r.err.toStdString();
  }
  // The export of the binned spectrum: channels 5000 and 5001 summed, at their middle's energy.
  QFile csv(dir.filePath("big.csv"));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_TRUE(csv.readAll().contains("\r\n2500,25.0025,101\r\n"));
}

}  // namespace
}  // namespace tavlex::e2e
