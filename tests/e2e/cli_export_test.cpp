// tavlex export: each format from OUT's extension or --format, several inputs into a folder,
// outputs that cannot be written, and the usage errors.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "files/Export.h"
#include "tests/e2e/CliRun.h"
#include "tests/files/ExportReaders.h"
#include "tests/files/FileBytes.h"

namespace tavlex::e2e {
namespace {

using namespace test;

class CliExportTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;

  QString At(const QString& name) const { return dir.filePath(name); }

  // A spectrum file written by the program's own writer: count c = c % 500 + 3, times and texts.
  QString WriteDat(const QString& name, int channels, bool calibrated) {
    Headless h;
    AppState& s = *h.s;
    s.channelSize = channels;
    for (int c = 0; c < channels; ++c) s.spectrumCounts[c] = c % 500 + 3;
    s.calibrated = calibrated ? 1 : 0;
    s.calSlope = 0.01f;
    s.calOffset = 0.5f;
    s.liveTime = 975;
    s.realTime = 1000;
    s.presetTime = 1000;
    s.currentHeader.SetComment("brass, 40 kV");
    s.currentHeader.SetSampleId("B-7");
    s.currentHeader.SetDate({2026, 12, 8, 9, 5, 3});
    const QString path = At(name);
    EXPECT_TRUE(WriteSpectrumFile(s, h.w, Path(path)).ok());
    return path;
  }

  // What the window's state holds after File -> Read of `in`, exported in process.
  QByteArray ExportedInProcess(const QString& in, ExportFormat format) {
    Headless h;
    EXPECT_TRUE(ReadSpectrumFile(*h.s, h.w, Path(in), kMcaView).ok());
    const QString out = At("in-process.out");
    EXPECT_TRUE(ExportSpectrum(*h.s, format, Path(out)).ok());
    const QByteArray bytes = ReadAll(out);
    QFile::remove(out);
    return bytes;
  }

  QStringList Listing(const QString& folder) const {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }
};

// The command line with a file size limit: every write past `bytes` fails, even for root.
CliResult RunWithFileSizeLimit(const QStringList& args, rlim_t bytes) {
  QProcess p;
  p.setChildProcessModifier([bytes] {
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a killed process
  });
  p.start(TAVLEX_BINARY, args);
  CliResult r;
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished(5000);
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

TEST_F(CliExportTest, EachFormatFromTheExtensionOrTheOption) {
  const QString in = WriteDat("brass.dat", 1024, true);
  struct Row {
    const char* out;
    QStringList options;
    ExportFormat format;
    const char* firstLine;
  };
  const Row rows[] = {
      {"a.msa", {}, ExportFormat::Msa, "#FORMAT      : EMSA/MAS Spectral Data File"},
      {"b.MCA", {}, ExportFormat::Mca, "<<PMCA SPECTRUM>>"},
      {"c.spe", {}, ExportFormat::Spe, "$SPEC_ID:"},
      {"d.csv", {}, ExportFormat::Csv, "channel,energy,counts"},
      {"e.txt", {"--format", "csv"}, ExportFormat::Csv, "channel,energy,counts"},
      {"f.msa", {"--format=spe"}, ExportFormat::Spe, "$SPEC_ID:"},  // the option wins
  };
  const QByteArray expected[] = {
      ExportedInProcess(in, ExportFormat::Msa), ExportedInProcess(in, ExportFormat::Mca),
      ExportedInProcess(in, ExportFormat::Spe), ExportedInProcess(in, ExportFormat::Csv)};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.out);
    const CliResult r = RunTavlex(QStringList{"export", in, At(row.out)} + row.options);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QByteArray bytes = ReadAll(At(row.out));
    EXPECT_TRUE(bytes.startsWith(QByteArray(row.firstLine) + "\r\n"));
    EXPECT_EQ(bytes, expected[static_cast<int>(row.format)]);
  }
  // The counts are the file's.
  const Msa m = ReadMsa(ReadAll(At("a.msa")));
  ASSERT_EQ(m.counts.size(), 1024);
  EXPECT_EQ(m.counts[0], 3);
  EXPECT_EQ(m.counts[777], 280);
  EXPECT_EQ(m.keys["XPERCHAN"], "0.01");
  EXPECT_EQ(m.keys["OFFSET"], "0.5");
  EXPECT_EQ(m.keys["LIVETIME"], "97.5");
}

TEST_F(CliExportTest, SeveralInputsGoIntoAFolderUnderTheirOwnNames) {
  const QString calibrated = WriteDat("cal4096.dat", 4096, true);
  const QString plain = WriteDat("plain.v2.dat", 256, false);
  const QString folder = At("out/csv");  // made, parents too
  const CliResult r = RunTavlex({"export", calibrated, plain, folder, "--format", "csv"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(Listing(folder), QStringList({"cal4096.csv", "plain.v2.csv"}));
  const Csv a = ReadCsv(ReadAll(folder + "/cal4096.csv"));
  EXPECT_EQ(a.header, QStringList({"channel", "energy", "counts"}));
  ASSERT_EQ(a.rows.size(), 4096);
  EXPECT_EQ(a.rows[4095], QStringList({"4095", "41.45", "98"}));  // 4095 x 0.01 + 0.5
  // Read after a calibrated file, the uncalibrated one does not take that calibration.
  const Csv b = ReadCsv(ReadAll(folder + "/plain.v2.csv"));
  EXPECT_EQ(b.header, QStringList({"channel", "counts"}));
  ASSERT_EQ(b.rows.size(), 256);
  EXPECT_EQ(b.rows[255], QStringList({"255", "258"}));

  // One input and an existing folder, or a folder to be made: the file goes into the folder.
  const CliResult one = RunTavlex({"export", plain, folder, "--format", "spe"});
  ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
  EXPECT_EQ(ReadSpe(ReadAll(folder + "/plain.v2.spe")).First("DATA"), "0 255");
  const CliResult made = RunTavlex({"export", plain, At("new") + "/", "--format", "msa"});
  ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
  EXPECT_EQ(ReadMsa(ReadAll(At("new/plain.v2.msa"))).counts.size(), 256);
}

TEST_F(CliExportTest, ARefusedOutputLeavesTheExistingFileIntact) {
  const QString in = WriteDat("big.dat", 4096, true);
  const QByteArray before = "the analysis of last week\r\n";
  WriteAll(At("plain"), "a file, not a folder");
  struct Row {
    const char* name;
    const char* folder;  // the output's folder, made and holding out.msa beforehand
    bool readOnly;       // the folder without write permission (root writes anyway)
    rlim_t sizeLimit;    // a file size limit for the command, 0 = none
    const char* out;
    const char* why;
  };
  const Row rows[] = {
      {"read-only folder", "ro", true, 0, "ro/out.msa", "cannot create the file"},
      {"folder is a file", nullptr, false, 0, "plain/out.msa", "cannot create the file"},
      {"write fails midway", "full", false, 4096, "full/out.msa", "write error"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.readOnly && geteuid() == 0) continue;  // root writes into a read-only folder
    if (row.folder) {
      ASSERT_TRUE(QDir(dir.path()).mkdir(row.folder));
      WriteAll(At(row.folder) + "/out.msa", before);
      if (row.readOnly)
        QFile::setPermissions(At(row.folder), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    const QStringList args = {"export", in, At(row.out)};
    const CliResult r = row.sizeLimit ? RunWithFileSizeLimit(args, row.sizeLimit) : RunTavlex(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("tavlex: " + At(row.out) + ": ")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(row.why)) << r.err.toStdString();
    if (row.folder) {
      EXPECT_EQ(ReadAll(At(row.out)), before);
      EXPECT_EQ(Listing(At(row.folder)), QStringList({"out.msa"}));  // no half-written file left
      QFile::setPermissions(
          At(row.folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
  }
  EXPECT_EQ(ReadAll(At("plain")), "a file, not a folder");
  // Under the same limit a small export goes through: the limit is what failed above.
  const QString small = WriteDat("small.dat", 256, false);
  const CliResult r = RunWithFileSizeLimit({"export", small, At("full/out.csv")}, 4096);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(ReadCsv(ReadAll(At("full/out.csv"))).rows.size(), 256);
}

TEST_F(CliExportTest, UsageErrorsWriteNothing) {
  const QString in = WriteDat("a.dat", 256, false);
  ASSERT_TRUE(QDir(dir.path()).mkdir("x"));
  ASSERT_TRUE(QDir(dir.path()).mkdir("y"));
  const QString x = WriteDat("x/same.dat", 256, false);
  const QString y = WriteDat("y/same.dat", 256, false);
  const QStringList before = Listing(dir.path());
  struct Row {
    QStringList args;
    QString message;
  };
  const Row rows[] = {
      {{in}, "export: needs IN.dat and OUT"},
      {{in, At("o.msa"), "--format", "xml"}, "export: unknown format 'xml' (msa, mca, spe, csv)"},
      {{in, At("o.msa"), "--format"}, "export: --format needs msa, mca, spe or csv"},
      {{in, At("o.msa"), "--bogus"}, "export: unknown option --bogus"},
      {{in, At("o.txt")}, "export: cannot tell the format from " + At("o.txt")},
      {{in, x, At("many")}, "export: exports into a folder need --format"},
      {{x, y, At("many"), "--format", "msa"}, "would both write"},
      {{in, in, "--format", "csv"}, "is the input"},
  };
  for (const Row& row : rows) {
    const CliResult r = RunTavlex(QStringList{"export"} + row.args);
    EXPECT_EQ(r.exitCode, 2) << row.message.toStdString();
    EXPECT_TRUE(r.err.contains(row.message)) << r.err.toStdString();
    EXPECT_EQ(Listing(dir.path()), before) << row.message.toStdString();
  }
  EXPECT_EQ(ReadAll(in).size(), 1024 + 4 * 256);  // the input that was nearly overwritten
}

TEST_F(CliExportTest, AnInputThatCannotBeReadDoesNotStopTheOthers) {
  const QString good = WriteDat("good.dat", 512, true);
  const QString missing = At("missing.dat");
  const CliResult r = RunTavlex({"export", missing, good, At("out"), "--format", "mca"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "tavlex: " + missing + ": no such file\n");
  EXPECT_EQ(Listing(At("out")), QStringList({"good.mca"}));
  EXPECT_EQ(ReadMca(ReadAll(At("out/good.mca"))).counts.size(), 512);
}

}  // namespace
}  // namespace tavlex::e2e
