// tavlex report: the page the window's "Plot" draws, as PNG and PDF, and its refusals.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "display/ViewCommands.h"
#include "files/ReportPage.h"
#include "files/SpectrumFile.h"
#include "tests/e2e/CliRun.h"
#include "tests/files/FileBytes.h"

namespace tavlex::e2e {
namespace {

using namespace test;

class CliReportTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString At(const QString& name) const { return dir.filePath(name); }

  QString WriteDat(const QString& name) {
    Headless h;
    AppState& s = *h.s;
    s.channelSize = 1024;
    for (int c = 0; c < 1024; ++c) s.spectrumCounts[c] = (c * 37) % 900 + 10;
    s.realTime = 1000;
    s.liveTime = 975;
    s.currentHeader.SetComment("brass, 40 kV");
    s.currentHeader.SetSampleId("B-7");
    s.currentHeader.SetDate({2026, 12, 8, 9, 5, 3});
    const QString path = At(name);
    EXPECT_TRUE(WriteSpectrumFile(s, h.w, Path(path)).ok());
    return path;
  }
};

TEST_F(CliReportTest, PngIsThePageThePlotDraws) {
  const QString in = WriteDat("brass.dat");
  const CliResult r = RunTavlex(
      {"report", in, At("page.png"), "--view", "100-899", "--linear", "4", "--page", "1000x1400"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.err, "");
  const QImage got(At("page.png"));
  ASSERT_EQ(got.size(), QSize(1000, 1400));

  // The same page drawn in this process from the state File -> Read and the controls leave.
  Headless h;
  ASSERT_TRUE(ReadSpectrumFile(*h.s, h.w, Path(in), kMcaView).ok());
  ViewSettings view;
  view.hasRange = true;
  view.start = 100;
  view.end = 899;
  view.linearStep = 4;
  ApplyViewSettings(*h.s, h.w, view);
  EXPECT_EQ(h.s->vfsIndex, 4);
  QImage want(1000, 1400, QImage::Format_RGB32);
  want.fill(Qt::white);
  {
    QPainter p(&want);
    DrawReportPage(p, want.size(), *h.s, QDateTime::currentDateTime());
  }
  // Everything but the reporting date and time (x from 920, rows 140 to 560) is the same.
  int differ = 0;
  for (int y = 0; y < 1400; ++y)
    for (int x = 0; x < 1000; ++x)
      if (!(x >= 920 && y < 560) &&
          got.pixel(x, y) != want.convertToFormat(got.format()).pixel(x, y))
        ++differ;
  EXPECT_EQ(differ, 0);
  EXPECT_EQ(got.pixel(70, 700), 0xFF000000u);  // the frame's left edge
}

TEST_F(CliReportTest, PdfIsOneA4Page) {
  const QString in = WriteDat("brass.dat");
  const CliResult r = RunTavlex({"report", in, At("page.pdf")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  QFile f(At("page.pdf"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray pdf = f.readAll();
  EXPECT_TRUE(pdf.startsWith("%PDF-"));
  EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "), 1);
  EXPECT_TRUE(pdf.contains("/MediaBox [0 0 595")) << "A4 is 595 x 842 points";
  EXPECT_TRUE(pdf.contains("/Rotate 270\n")) << "viewers turn the page to read it";
}

TEST_F(CliReportTest, Refusals) {
  const QString in = WriteDat("brass.dat");
  const struct {
    QStringList args;
    int status;
    const char* message;
  } rows[] = {
      {{"report", in}, 2, "report: needs FILE.dat and OUT.pdf or OUT.png"},
      {{"report", in, At("a.png"), "--page", "50x50"}, 2, "--page needs WxH"},
      {{"report", in, At("a.png"), "--page", "20000x20000"}, 2, "--page needs WxH"},
      {{"report", in, At("a.png"), "--linear", "23"}, 2, "--linear needs a full-scale step 1-22"},
      {{"report", in, At("a.png"), "--view", "0-2000"}, 2, "--view reaches past the file's 1024"},
      {{"report", in, At("a.png"), "--bold"}, 2, "unknown option --bold"},
      {{"report", At("missing.dat"), At("a.png")}, 1, "missing.dat"},
      {{"report", in, dir.path()}, 1, "tavlex: "},
      {{"report", in, in}, 1, "tavlex: "},
  };
  for (const auto& row : rows) {
    const CliResult r = RunTavlex(row.args);
    EXPECT_EQ(r.exitCode, row.status) << row.args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(row.message)) << r.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(At("a.png")));
  EXPECT_EQ(QFile(in).size(), 1024 + 4 * 1024);  // the input was never written over
}

}  // namespace
}  // namespace tavlex::e2e
