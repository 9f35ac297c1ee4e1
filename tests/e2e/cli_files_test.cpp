// tavlex info, dump and render against the window's own handlers, and their error paths.

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <memory>

#include "display/Plot.h"
#include "display/ViewCommands.h"
#include "files/SpectrumFile.h"
#include "link/Backends.h"
#include "tests/e2e/CliRun.h"
#include "ui/MainWindow.h"

namespace tavlex::e2e {
namespace {

class CliFilesTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  NoDeviceDriver driver;
  ManualClock clock;
  std::int64_t writtenTotal = 0;  // the sum of the counts WriteSample wrote

  QString Path(const char* name) const { return dir.filePath(name); }

  // A calibrated 1024-channel spectrum with two peaks, two regions, times and texts, saved by
  // the program's own writer from a window's state.
  QString WriteSample(const char* name) {
    TForm1 form(driver, clock);
    AppState& s = form.State();
    s.channelSize = 1024;
    for (int c = 0; c < 1024; ++c) {
      const double a = (c - 300) / 6.0, b = (c - 640) / 8.0;
      s.spectrumCounts[c] = 20 + static_cast<int>(5000 * std::exp(-a * a) + 1800 * std::exp(-b * b));
    }
    s.spectrumCounts[700] = 7000;  // the highest count, twice: the lower channel is reported
    s.spectrumCounts[701] = 7000;
    writtenTotal = 0;
    for (int c = 0; c < 1024; ++c) writtenTotal += s.spectrumCounts[c];
    s.presetTime = 1000;
    s.realTime = 1000;
    s.liveTime = 975;
    s.calibrated = 1;
    s.calSlope = 0.02f;
    s.calOffset = -0.05f;
    s.roiTable[2].low = 280;
    s.roiTable[2].high = 320;
    s.roiTable[2].colour = 0x0000FF;
    s.roiTable[9].low = 620;
    s.roiTable[9].high = 660;
    s.roiTable[9].colour = 0x00FF00;
    s.currentHeader.SetComment("brass, 40 kV");
    s.currentHeader.SetSampleId("B-7");
    s.currentHeader.SetDate({2026, 12, 8, 9, 5, 3});
    const QString path = Path(name);
    EXPECT_TRUE(WriteSpectrumFile(s, form, path.toStdString()).ok());
    return path;
  }
};

TEST_F(CliFilesTest, InfoPrintsTheHeaderRegionsAndTotals) {
  const QString file = WriteSample("brass.dat");
  const CliResult r = RunTavlex({"info", file});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
  const QStringList want = {"file: " + file,
                            "channels: 1024",
                            "preset_s: 100.0",
                            "real_s: 100.0",
                            "live_s: 97.5",
                            "calibrated: yes",
                            "slope: 0.02",
                            "offset: -0.05",
                            "date: 2026-12-08 09:05:03",
                            "comment: brass, 40 kV",
                            "sample_id: B-7",
                            // Gross, and net over a background of about 20 counts a channel.
                            "roi: 2 280 320 0x0000FF 53954.0 53154.0",
                            // The file keeps a colour's low 16 bits; lime comes back as lime.
                            "roi: 9 620 660 0x00FF00 26291.0 25437.7"};
  ASSERT_GE(lines.size(), want.size() + 2);
  for (int i = 0; i < want.size(); ++i) EXPECT_EQ(lines[i], want[i]) << i;
  EXPECT_EQ(lines[want.size()], "total_counts: " + QString::number(writtenTotal));
  EXPECT_EQ(lines[want.size() + 1], "max_count: 7000 at 700");
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(CliFilesTest, InfoJsonCarriesTheSameKeys) {
  const QString file = WriteSample("brass.dat");
  const CliResult r = RunTavlex({"info", file, "--json"});
  ASSERT_EQ(r.exitCode, 0);
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
  const QJsonObject o = doc.object();
  EXPECT_EQ(o["file"].toString(), file);
  EXPECT_EQ(o["channels"].toInt(), 1024);
  EXPECT_DOUBLE_EQ(o["live_s"].toDouble(), 97.5);
  EXPECT_EQ(o["calibrated"], QJsonValue(true));
  EXPECT_NEAR(o["slope"].toDouble(), 0.02, 1e-7);
  EXPECT_EQ(o["comment"].toString(), "brass, 40 kV");
  const QJsonArray rois = o["roi"].toArray();
  ASSERT_EQ(rois.size(), 2);
  EXPECT_EQ(rois[0].toObject()["index"].toInt(), 2);
  EXPECT_EQ(rois[1].toObject()["colour"].toString(), "0x00FF00");
  EXPECT_EQ(o["max_count"].toObject()["count"].toInt(), 7000);
  EXPECT_EQ(o["max_count"].toObject()["channel"].toInt(), 700);
  EXPECT_EQ(o["total_counts"].toInteger(), writtenTotal);
}

TEST_F(CliFilesTest, DumpIsByteForByteTheWindowsAsciiWrite) {
  const QString file = WriteSample("brass.dat");
  QDir(dir.path()).mkdir("window");
  QDir(dir.path()).mkdir("cli");
  const QString windowOut = dir.filePath("window/out.txt");
  const QString cliOut = dir.filePath("cli/out.txt");
  {
    TForm1 form(driver, clock);
    QStringList answers = {file, windowOut};
    form.SetFileChooser([&](QFileDialog&) -> std::optional<QString> { return answers.takeFirst(); });
    form.Read1->trigger();
    form.Write2->trigger();
  }
  const CliResult r = RunTavlex({"dump", file, cliOut});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  QFile a(windowOut), b(cliOut);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly));
  ASSERT_TRUE(b.open(QIODevice::ReadOnly));
  const QByteArray wa = a.readAll(), cb = b.readAll();
  EXPECT_EQ(wa.count('\n'), 11 + 1024);
  EXPECT_EQ(wa, cb);
}

TEST_F(CliFilesTest, RenderIsPixelForPixelTheWindowsPaintBox) {
  const QString file = WriteSample("brass.dat");
  // Without options: exactly what the window shows after File -> Read.
  {
    TForm1 form(driver, clock);
    form.SetFileChooser([&](QFileDialog&) -> std::optional<QString> { return file; });
    form.Read1->trigger();
    const CliResult r = RunTavlex({"render", file, Path("plain.png")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage png(Path("plain.png"));
    ASSERT_EQ(png.size(), QSize(530, 320));
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), form.State().paintBox);
  }
  // With every option: the same state set up in the window.
  {
    TForm1 form(driver, clock);
    form.SetFileChooser([&](QFileDialog&) -> std::optional<QString> { return file; });
    ApplyPlotLayout(form.State(), form, true);
    form.Read1->trigger();
    ViewSettings v;
    v.hasRange = true;
    v.start = 200;
    v.end = 711;
    v.hasCursor = true;
    v.cursor = 300;
    v.linearStep = 5;
    v.rois.push_back({3, 280, 320, "Cu-Ka", 0x00FFFF});
    ApplyViewSettings(form.State(), form, v);
    const CliResult r = RunTavlex({"render", file, Path("large.png"), "--large", "--view",
                                   "200-711", "--cursor", "300", "--linear", "5", "--roi",
                                   "3:280:320:Cu-Ka:0x00FFFF"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage png(Path("large.png"));
    ASSERT_EQ(png.size(), QSize(1050, 620));
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), form.State().paintBox);
    // The region is shaded in its colour (yellow) under the peak at channel 300.
    EXPECT_EQ(png.pixel(26 + (300 - 200) * 2, 590) & 0xFFFFFF, 0xFFFF00u);
  }
  // The trace's top over channel 640 (1820 counts, 2 pixels a channel from column 26 + 880) on
  // the 600-row plot: 600 - 600 * 1820 / 2500 = row 164 on the linear 2.5K scale, and
  // 600 - trunc(log10(1820.5) * 100) = row 274 on the logarithmic one.
  const int x = 26 + (640 - 200) * 2;
  auto lime = [x](const QImage& png, int y) { return (png.pixel(x, y) & 0xFFFFFF) == 0x00FF00u; };
  const QImage linear(Path("large.png"));
  EXPECT_TRUE(lime(linear, 164));
  EXPECT_FALSE(lime(linear, 163));
  EXPECT_FALSE(lime(linear, 274));
  const CliResult r = RunTavlex({"render", file, Path("log.png"), "--large", "--view", "200-711"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QImage logarithmic(Path("log.png"));
  EXPECT_TRUE(lime(logarithmic, 274));
  EXPECT_FALSE(lime(logarithmic, 273));
  EXPECT_FALSE(lime(logarithmic, 164));
}

TEST_F(CliFilesTest, ErrorsNameTheFileAndExitWithTheirStatus) {
  const QString missing = Path("missing.dat");
  CliResult r = RunTavlex({"info", missing});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.startsWith("tavlex: " + missing + ": ")) << r.err.toStdString();
  EXPECT_EQ(r.err.count('\n'), 1);

  // A file whose counts do not match its header, with the count found.
  const QString file = WriteSample("good.dat");
  QFile::copy(file, Path("cut.dat"));
  QFile cut(Path("cut.dat"));
  cut.resize(1024 + 4 * 100);
  r = RunTavlex({"info", Path("cut.dat")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains("100")) << r.err.toStdString();

  // An output that cannot be written leaves nothing behind.
  const QString noDir = Path("no/such/dir/out.png");
  r = RunTavlex({"render", file, noDir});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.startsWith("tavlex: " + noDir)) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(noDir));
  r = RunTavlex({"dump", file, Path("no/out.txt")});
  EXPECT_EQ(r.exitCode, 1);

  // A failed dump keeps the good file that was there.
  QFile keep(Path("keep.txt"));
  ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
  keep.write("precious");
  keep.close();
  r = RunTavlex({"dump", Path("cut.dat"), Path("keep.txt")});
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
  EXPECT_EQ(keep.readAll(), "precious");

  // Usage errors.
  for (const QStringList& args :
       {QStringList{"info"}, QStringList{"info", file, "--bogus"}, QStringList{"dump", file},
        QStringList{"render", file, Path("x.png"), "--linear", "23"},
        QStringList{"render", file, Path("x.png"), "--roi", "16:1:2"},
        QStringList{"render", file, Path("x.png"), "--view", "300-200"},
        QStringList{"frobnicate"}}) {
    r = RunTavlex(args);
    EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.startsWith("tavlex: ")) << args.join(' ').toStdString();
  }
  EXPECT_FALSE(QFile::exists(Path("x.png")));
}

TEST_F(CliFilesTest, HelpAndVersion) {
  CliResult r = RunTavlex({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.out.startsWith("tavlex ")) << r.out.toStdString();
  r = RunTavlex({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  for (const char* c : {"info", "dump", "render", "acquire"}) EXPECT_TRUE(r.out.contains(c)) << c;
  for (const char* c : {"info", "dump", "render"}) {
    r = RunTavlex({c, "--help"});
    EXPECT_EQ(r.exitCode, 0) << c;
    EXPECT_TRUE(r.out.startsWith(QString("usage: tavlex ") + c)) << c;
  }
  // After "--" a file may be named --help.
  WriteSample("--help");
  r = RunTavlex({"info", "--", "--help"}, 60000, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith("file: --help\nchannels: 1024\n")) << r.out.toStdString();
}

}  // namespace
}  // namespace tavlex::e2e
