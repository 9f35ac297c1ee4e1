// The report page drawn on an image page of 3000 x 4000 pixels: left 210, top 400, plotW 2550,
// plotH 3400, T 30; log decades D = 425, linear divisions D = 510. Every expected number below
// is worked from those by hand.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <climits>
#include <memory>

#include "files/ReportPage.h"

namespace tavlex {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kGreen = 0xFF008000;
constexpr QRgb kRedTrace = 0xFFFF0000;  // traceColour 0x0000FF in 0x00BBGGRR

class ReportPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s = std::make_unique<AppState>();
    s->channelSize = 4096;
    s->viewStart = 0;
    s->viewEnd = 4095;
    s->logScale = 1;
    s->traceColour = 0x0000FF;
  }
  QImage Draw(int w = 3000, int h = 4000) {
    QImage page(w, h, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    DrawReportPage(p, page.size(), *s, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    return page;
  }
  // The columns of row y painted in `colour`, from the page's left edge to x = 2600: the frame
  // and the labels left of it, short of the information block at the right.
  static std::vector<int> Columns(const QImage& page, int y, QRgb colour) {
    std::vector<int> xs;
    for (int x = colour == kBlack ? 212 : 0; x < 2600; ++x)
      if (page.pixel(x, y) == colour) xs.push_back(x);
    return xs;
  }
  // The trace on row y is the 2-pixel pen about x: nothing of its colour elsewhere in the row.
  static void ExpectTraceAt(const QImage& page, int y, int x, QRgb colour) {
    const std::vector<int> xs = Columns(page, y, colour);
    ASSERT_FALSE(xs.empty()) << "row " << y;
    EXPECT_GE(xs.front(), x - 1) << "row " << y;
    EXPECT_LE(xs.back(), x + 1) << "row " << y;
  }
  std::unique_ptr<AppState> s;
};

TEST(ReportGeometry, FractionsOfThePageTruncated) {
  const ReportGeometry g = ReportGeometryFor(3000, 4000);
  EXPECT_EQ(g.left, 210);
  EXPECT_EQ(g.top, 400);
  EXPECT_EQ(g.plotW, 2550);
  EXPECT_EQ(g.plotH, 3400);
  EXPECT_EQ(g.T, 30);
  const ReportGeometry a4 = ReportGeometryFor(2480, 3508);
  EXPECT_EQ(a4.left, 173);    // 173.6
  EXPECT_EQ(a4.top, 350);     // 350.8
  EXPECT_EQ(a4.plotW, 2108);  // 2108.0
  EXPECT_EQ(a4.plotH, 2981);  // 2981.8
  EXPECT_EQ(a4.T, 24);        // 24.8
}

TEST(ReportScaledValue, LogAndLinearWithoutOverflow) {
  struct Row {
    std::int32_t count;
    bool log;
    std::int32_t F;
    std::int64_t value;
  } rows[] = {
      {0, true, 0, 0},
      {1, true, 0, 0},
      {-7, true, 0, 0},
      {2, true, 0, 127},
      {10, true, 0, 425},
      {1000000, true, 0, 2550},
      {500, false, 1000, 1275},
      {0, false, 1000, 0},
      {999, false, 1000, 2547},
      {INT_MAX, false, 1000000000, 5476},  // 2147483647 x 2550 / 10^9 = 5476.08
      {INT_MAX, false, 100, 54760832998},  // far beyond the frame, and beyond 32 bits
  };
  for (const Row& r : rows)
    EXPECT_EQ(ReportScaledValue(r.count, r.log, 2550, r.F), r.value)
        << r.count << (r.log ? " log" : " linear");
}

TEST(ReportChannelSteps, TableAndShortViews) {
  const int rows[][3] = {{4096, 500, 100}, {4001, 500, 100}, {4000, 250, 50}, {2500, 250, 50},
                         {2001, 250, 50},  {2000, 100, 20},  {1001, 100, 20}, {1000, 50, 10},
                         {501, 50, 10},    {500, 10, 10},    {201, 10, 10},   {200, 10, 10},
                         {2, 10, 10}};
  for (const auto& r : rows) {
    EXPECT_EQ(ReportChannelSteps(r[0]).label, r[1]) << r[0];
    EXPECT_EQ(ReportChannelSteps(r[0]).minor, r[2]) << r[0];
  }
}

TEST(ReportLinearLabel, PlainBelow5000AndKAbove) {
  const struct {
    std::int32_t F;
    const char* labels[5];
  } rows[] = {
      {1000, {"200", "400", "600", "800", "1000"}},
      {2500, {"500", "1000", "1500", "2000", "2500"}},
      {5000, {"1 k", "2 k", "3 k", "4 k", "5 k"}},
      {25000, {"5 k", "10 k", "15 k", "20 k", "25 k"}},
      {1000000000, {"200000 k", "400000 k", "600000 k", "800000 k", "1000000 k"}},
  };
  for (const auto& r : rows)
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(ReportLinearLabel(i, r.F), r.labels[i - 1]) << r.F;
}

TEST_F(ReportPageTest, FrameAndLogGridAndCountTicks) {
  const QImage page = Draw();  // all counts 0: the trace lies on the frame's left edge
  const int mid = 2100;
  for (int x : {211, 636, 1061, 1486, 1911, 2336, 2761}) EXPECT_EQ(page.pixel(x, mid), kGreen) << x;
  for (int x : {212, 635, 1000, 2760}) EXPECT_EQ(page.pixel(x, mid), kWhite) << x;
  // Frame: columns 210 and 2759, rows 400 and 3799 (the end points are not painted).
  EXPECT_EQ(page.pixel(210, mid), kBlack);
  EXPECT_EQ(page.pixel(2759, mid), kBlack);
  EXPECT_EQ(page.pixel(1000, 400), kBlack);
  EXPECT_EQ(page.pixel(1000, 3799), kBlack);
  EXPECT_EQ(page.pixel(1000, 3800), kWhite);
  // Count-axis ticks upwards over rows 371..400: majors, the minors 2..9 of the second decade
  // (636 + 128, 203, 256, 297, 331, 359, 384, 406) and the last major at 210 + 6 x 425.
  for (int x : {211, 636, 764, 839, 892, 933, 967, 995, 1020, 1042, 2336, 2760})
    EXPECT_EQ(page.pixel(x, 380), kBlack) << x;
  for (int x : {700, 1100}) EXPECT_EQ(page.pixel(x, 380), kWhite) << x;
  EXPECT_EQ(page.pixel(636, 370), kWhite);  // a tick is T long
}

TEST_F(ReportPageTest, LinearGridAndTicks) {
  s->logScale = 0;
  s->vfsIndex = 4;  // F = 1000
  const QImage page = Draw();
  for (int x : {211, 721, 1231, 1741, 2251, 2761}) EXPECT_EQ(page.pixel(x, 2100), kGreen) << x;
  EXPECT_EQ(page.pixel(636, 2100), kWhite);
  // Minor ticks at 211 + n x 51 of the first division, the last major at 210 + 5 x 510.
  for (int x : {262, 313, 670, 721, 2760}) EXPECT_EQ(page.pixel(x, 380), kBlack) << x;
  EXPECT_EQ(page.pixel(263, 380), kWhite);
}

TEST(ReportRows, EveryChannelOfTheViewInOneRowAndItsTickThere) {
  // Rows cover the view without gaps or overlaps (row k from trunc(k x nCh / plotH)); the row a
  // channel's tick stands on holds it.
  for (const auto& [nCh, plotH] : {std::pair{4096, 3400}, {8192, 2981}, {3, 2}}) {
    int next = 0;
    for (int k = 0; k < plotH; ++k) {
      const ReportRow row = ReportRowChannels(k, nCh, plotH);
      ASSERT_EQ(row.first, next) << nCh << " row " << k;
      next = row.last + 1;
    }
    EXPECT_EQ(next, nCh);
    for (int o = 0; o < nCh; ++o) {
      const ReportRow row = ReportRowChannels(ReportChannelRow(o, nCh, plotH), nCh, plotH);
      ASSERT_TRUE(row.first <= o && o <= row.last) << nCh << " channel " << o;
    }
  }
}

TEST_F(ReportPageTest, TraceRowsOf4096And1024Channels) {
  struct Row {
    int viewEnd, k, x;
    QRgb colour;
  };
  // 4096 channels on 3400 rows. Counts 400 x (c / 8) on the linear 1M scale: row 1004 shows
  // channel 1209 (count 60400, x = 210 + 154), row 3396 channel 4091 (204400, 210 + 521).
  // 1024 channels: s = 3.3203125; row 334 shows channel 100 (count 100000, x = 210 + 255) and
  // row 2990 channel 900 (900000, 210 + 2295), in black.
  const Row rows[] = {{4095, 1004, 364, kRedTrace},
                      {4095, 3396, 731, kRedTrace},
                      {1023, 334, 465, kBlack},
                      {1023, 2990, 2505, kBlack}};
  s->logScale = 0;
  s->vfsIndex = 13;
  for (const Row& r : rows) {
    s->viewEnd = r.viewEnd;
    for (int c = 0; c < 4096; ++c)
      s->spectrumCounts[c] = r.viewEnd == 4095 ? 400 * (c / 8) : 1000 * c;
    const QImage page = Draw();
    ExpectTraceAt(page, 400 + r.k, r.x, r.colour);
  }
  // Channel 3500 (5 x 10^5, x = 210 + 1275) lies in row 2906, not past the frame's end.
  s->viewEnd = 4095;
  std::fill(std::begin(s->spectrumCounts), std::end(s->spectrumCounts), 0);
  s->spectrumCounts[3500] = 500000;
  const std::vector<int> xs = Columns(Draw(), 400 + 2906, kRedTrace);
  ASSERT_FALSE(xs.empty());
  EXPECT_NEAR(xs.back(), 1485, 1);
}

TEST_F(ReportPageTest, LogZeroColumnAndHugeLinearCounts) {
  // Counts of 0 and 1 both lie on the frame's left edge on the log scale; 10 counts one decade in.
  // Row 832 shows channel 1002, row 1700 channel 2048.
  s->spectrumCounts[1002] = 1;
  for (int c = 2000; c < 2100; ++c) s->spectrumCounts[c] = 10;
  QImage page = Draw();
  ExpectTraceAt(page, 400 + 832, 210, kRedTrace);
  ExpectTraceAt(page, 400 + 1005, 210, kRedTrace);
  ExpectTraceAt(page, 400 + 1700, 635, kRedTrace);
  // 2^31 - 1 counts on the linear scale: 5476 pixels in on the 1B scale, 54760832998 on the
  // 100 scale; the row of channel 1500 (1245, with 1499) runs past the page's right edge, the
  // rows around it stay at 0.
  s->logScale = 0;
  for (int c = 0; c < 4096; ++c) s->spectrumCounts[c] = 0;
  s->spectrumCounts[1500] = INT_MAX;
  for (int step : {22, 1}) {
    s->vfsIndex = step;
    page = Draw();
    EXPECT_EQ(page.pixel(2999, 400 + 1245), kRedTrace) << step;
    EXPECT_EQ(page.pixel(2999, 400 + 1242), kWhite) << step;
    ExpectTraceAt(page, 400 + 1400, 210, kRedTrace);
    ExpectTraceAt(page, 400 + 1600, 210, kRedTrace);
  }
}

TEST_F(ReportPageTest, ChannelTicksOfA2500ChannelView) {
  s->viewStart = 100;
  s->viewEnd = 2599;  // nCh 2500: majors every 250 from 250, minors every 50 from 150
  const QImage page = Draw();
  // s = 1.36: channel 250 at row 400 + 150 x 1.36 = 604, 500 at 944, 2500 at 3664 (majors, to
  // x = 181); 150 at 468 and 200 at 536 (minors, to x = 196).
  for (int y : {604, 944, 3664}) {
    EXPECT_EQ(page.pixel(185, y), kBlack) << y;
    EXPECT_EQ(page.pixel(181, y), kBlack) << y;
  }
  for (int y : {468, 536}) {
    EXPECT_EQ(page.pixel(200, y), kBlack) << y;
    EXPECT_EQ(page.pixel(185, y), kWhite) << y;
  }
  for (int y : {469, 605, 1000}) EXPECT_EQ(page.pixel(200, y), kWhite) << y;
  // Full ticks at the frame's top and bottom rows.
  EXPECT_EQ(page.pixel(181, 400), kBlack);
  EXPECT_EQ(page.pixel(181, 3800), kBlack);
}

TEST(ReportPageFile, PngAndPdfThroughTheSafeWriter) {
  QTemporaryDir dir;
  auto s = std::make_unique<AppState>();
  s->logScale = 1;
  const PageDrawer draw = [&](QPainter& p, QSize page) {
    DrawReportPage(p, page, *s, QDateTime::currentDateTime());
  };
  const std::string png = dir.filePath("r.PNG").toStdString();
  ASSERT_EQ(PageFormatFor(png), PageFormat::Png);
  ASSERT_EQ(WritePageFile(png, PageFormat::Png, QSize(800, 1100), draw), "");
  const QImage image(QString::fromStdString(png));
  EXPECT_EQ(image.size(), QSize(800, 1100));
  EXPECT_EQ(image.pixel(0, 0), kWhite);
  EXPECT_EQ(image.pixel(56, 550), kBlack);  // the frame's left edge, 0.07 x 800

  const std::string pdf = dir.filePath("r.pdf").toStdString();
  ASSERT_EQ(PageFormatFor(pdf), PageFormat::Pdf);
  // The report opens turned a quarter turn anticlockwise in a viewer; the drawing is the same.
  for (const auto& [shown, rotate] :
       {std::pair{PageShown::AsDrawn, 0}, {PageShown::QuarterTurnAnticlockwise, 1}}) {
    ASSERT_EQ(WritePageFile(pdf, PageFormat::Pdf, QSize(), draw, {}, shown), "");
    QFile f(QString::fromStdString(pdf));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1);
    EXPECT_EQ(bytes.count("/Rotate 270\n"), rotate);
    EXPECT_EQ(bytes.count("/Rotate"), rotate);
    // The table of object places moved along with the objects after the inserted entry.
    const qsizetype table = bytes.lastIndexOf("\nxref\n") + 1;
    const QList<QByteArray> lines = bytes.mid(table).split('\n');
    EXPECT_EQ(bytes.mid(bytes.lastIndexOf("startxref\n") + 10).split('\n')[0].toLongLong(), table);
    const int last = lines[1].split(' ')[1].toInt() - 1;
    EXPECT_TRUE(bytes.mid(lines[last + 2].left(10).toLongLong())
                    .startsWith(QByteArray::number(last) + " 0 obj"));
  }
  // A folder as target: nothing is drawn or written.
  EXPECT_NE(WritePageFile(dir.path().toStdString(), PageFormat::Pdf, QSize(), draw), "");
}

}  // namespace
}  // namespace tavlex
