// tavlex acquire on the simulated analyser: a whole run to its preset, Ctrl-C, and errors.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>

#include "app/SpectrumHeader.h"
#include "tests/e2e/CliRun.h"

namespace tavlex::e2e {
namespace {

SpectrumHeader ReadHeader(const QString& path, QByteArray* all = nullptr) {
  QFile f(path);
  SpectrumHeader h;
  if (!f.open(QIODevice::ReadOnly)) return h;
  const QByteArray bytes = f.readAll();
  if (bytes.size() >= 1024) std::memcpy(h.data(), bytes.constData(), 1024);
  if (all) *all = bytes;
  return h;
}

TEST(CliAcquireTest, ARunToItsPresetIsSavedWithItsTimesAndTexts) {
  QTemporaryDir dir;
  const QString out = dir.filePath("steel.dat");
  const CliResult r = RunTavlex({"acquire", out, "--preset", "1", "--simulate", "--comment",
                                 "stainless, 40 kV", "--sample-id", "SS-316", "--seed", "3"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith(out + ": 4096 channels, real 1.0 s")) << r.out.toStdString();
  EXPECT_EQ(r.out.count('\n'), 1);
  QByteArray bytes;
  const SpectrumHeader h = ReadHeader(out, &bytes);
  EXPECT_EQ(bytes.size(), 1024 + 4 * 4096);
  EXPECT_EQ(h.ChannelSize(), 4096);
  EXPECT_EQ(h.PresetTime(), 10);
  EXPECT_EQ(h.RealTime(), 10);  // equal to the preset
  EXPECT_LT(h.LiveTime(), 10);  // less the dead time at about 15 kcps
  EXPECT_GE(h.LiveTime(), 9);
  EXPECT_EQ(h.Comment(), "stainless, 40 kV");
  EXPECT_EQ(h.SampleId(), "SS-316");
  EXPECT_EQ(h.Company(), "Velmoratek Co., Ltd.");

  const CliResult info = RunTavlex({"info", out});
  ASSERT_EQ(info.exitCode, 0);
  EXPECT_TRUE(info.out.contains("\nreal_s: 1.0\n"));
  EXPECT_TRUE(info.out.contains("\ncomment: stainless, 40 kV\n"));
  EXPECT_TRUE(info.out.contains("\nsample_id: SS-316\n"));
  const CliResult json = RunTavlex({"info", out, "--json"});
  ASSERT_EQ(json.exitCode, 0);
  const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
  EXPECT_EQ(o["channels"].toInt(), 4096);
  EXPECT_DOUBLE_EQ(o["preset_s"].toDouble(), 1.0);
  // About 15 000 counts a second reach the spectrum.
  EXPECT_GT(o["total_counts"].toInteger(), 10000);
  EXPECT_LT(o["total_counts"].toInteger(), 20000);
}

TEST(CliAcquireTest, ChannelsAndDeadTimeOptionsReachTheFile) {
  QTemporaryDir dir;
  const QString a = dir.filePath("a.dat"), b = dir.filePath("b.dat");
  ASSERT_EQ(RunTavlex({"acquire", a, "--preset", "0.5", "--simulate", "--channels", "256", "--seed",
                       "11"})
                .exitCode,
            0);
  ASSERT_EQ(RunTavlex({"acquire", b, "--preset", "0.5", "--simulate", "--channels", "256",
                       "--dead-time", "0", "--seed", "11"})
                .exitCode,
            0);
  const SpectrumHeader ha = ReadHeader(a), hb = ReadHeader(b);
  EXPECT_EQ(ha.ChannelSize(), 256);
  EXPECT_EQ(hb.RealTime(), 5);
  EXPECT_EQ(hb.LiveTime(), 5);  // no dead time per event: live equals real
}

TEST(CliAcquireTest, CtrlCStopsTheAnalyserAndStillSaves) {
  QTemporaryDir dir;
  const QString out = dir.filePath("cut.dat");
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  p.start(TAVLEX_BINARY, {"acquire", out, "--preset", "100", "--simulate"});
  ASSERT_TRUE(p.waitForStarted(10000));
  // Let it count for a while (a bounded wait: the run itself would take 100 s).
  EXPECT_FALSE(p.waitForFinished(1500));
  ::kill(static_cast<pid_t>(p.processId()), SIGINT);
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 130);
  const QString err = QString::fromLocal8Bit(p.readAllStandardError());
  EXPECT_TRUE(err.contains("stopped by Ctrl-C")) << err.toStdString();
  const SpectrumHeader h = ReadHeader(out);
  EXPECT_EQ(h.ChannelSize(), 4096);
  EXPECT_EQ(h.PresetTime(), 1000);
  EXPECT_GT(h.RealTime(), 5);
  EXPECT_LT(h.RealTime(), 1000);
}

TEST(CliAcquireTest, ErrorsAndUsage) {
  QTemporaryDir dir;
  const QString out = dir.filePath("none.dat");
  // No analyser on this driver: nothing is written.
  CliResult r = RunTavlex({"acquire", out, "--preset", "1", "--driver=ftdi"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.startsWith("tavlex: no analyser found")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(out));
  for (const QStringList& args :
       {QStringList{"acquire", out}, QStringList{"acquire", "--preset", "1"},
        QStringList{"acquire", out, "--preset", "x"},
        QStringList{"acquire", out, "--preset", "1", "--channels", "300", "--simulate"},
        QStringList{"acquire", out, "--preset", "1", "--driver=usb"},
        QStringList{"acquire", out, "--preset", "1", "--simulate", "--comment", QString(32, 'c')},
        QStringList{"acquire", out, "--preset", "1", "--driver=ftdi", "--seed", "2"}}) {
    r = RunTavlex(args);
    EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.startsWith("tavlex: ")) << args.join(' ').toStdString();
  }
  EXPECT_FALSE(QFile::exists(out));
  r = RunTavlex({"acquire", "--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.out.startsWith("usage: tavlex acquire"));
}

}  // namespace
}  // namespace tavlex::e2e

namespace tavlex::e2e {
namespace {

// The analyser lost in the middle of a run: the run ends at once, what was acquired is saved
// with a consistent header, and the exit status says it failed.
TEST(CliAcquireTest, AnAnalyserLostMidRunEndsItAndKeepsWhatWasAcquired) {
  QTemporaryDir dir;
  const QString out = dir.filePath("lost.dat");
  const CliResult r = RunTavlex({"acquire", out, "--preset", "100", "--simulate", "--seed", "5",
                                 "--sim-unplug-after", "0.5"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(
      r.err.contains("tavlex: analyser stopped answering; what was acquired is saved in " + out))
      << r.err.toStdString();
  EXPECT_TRUE(r.out.contains(", analyser lost")) << r.out.toStdString();
  QByteArray bytes;
  const SpectrumHeader h = ReadHeader(out, &bytes);
  ASSERT_EQ(bytes.size(), 1024 + 4 * 4096);
  EXPECT_EQ(h.PresetTime(), 1000);
  EXPECT_GE(h.RealTime(), 4);   // about half a second was counted,
  EXPECT_LT(h.RealTime(), 50);  // and the run did not go on towards its 100 s
  EXPECT_LE(h.LiveTime(), h.RealTime());
  std::int64_t total = 0;
  for (int ch = 0; ch < 4096; ++ch) {
    std::int32_t v;
    std::memcpy(&v, bytes.constData() + 1024 + 4 * ch, 4);
    total += v;
  }
  EXPECT_GT(total, 1000);  // ~15 kcps for half a second
}

}  // namespace
}  // namespace tavlex::e2e
