// The ASCII dump, line by line.

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include "files/SpectrumFile.h"
#include "tests/files/FileBytes.h"

namespace tavlex {
namespace {

using namespace test;

class AsciiDumpTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Headless h;
  AppState& s = *h.s;

  // The file's lines; every one must end in CR LF, and no LF may stand alone.
  QList<QByteArray> Dump() {
    const QString file = dir.filePath("dump.txt");
    EXPECT_TRUE(WriteAsciiDump(s, h.w, Path(file)).ok());
    const QByteArray text = ReadAll(file);
    EXPECT_TRUE(text.endsWith("\r\n"));
    EXPECT_EQ(text.count("\r\n"), text.count('\n'));
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast();
    for (QByteArray& l : lines) l.chop(1);
    return lines;
  }
};

TEST_F(AsciiDumpTest, HeaderLinesThenOneLinePerChannel) {
  s.channelSize = 256;
  s.spectrumCounts[0] = 1234;
  s.spectrumCounts[1] = 123456789;
  s.spectrumCounts[2] = -5;
  s.spectrumCounts[255] = 42;
  s.liveTime = 12345, s.realTime = 7, s.presetTime = 999;
  s.currentHeader.SetSampleId("S-042");
  s.currentHeader.SetDate({2024, 3, 7, 9, 5, 0});
  std::strcpy(s.dataFileName, "old.dat");

  const QList<QByteArray> lines = Dump();
  ASSERT_EQ(lines.size(), 11 + 256);
  const char* head[] = {
      "*** Orvanel Co., MCA Binary Data to ASCII Data Dump ***",
      "",
      "Data File Name, dump.txt",
      "Data Comment, ",
      "Sample ID, S-042",
      "Acq. Date, 2024/ 3/ 7,  9: 5: 0",
      "Live Time,   1234.5",
      "Real Time,      0.7",
      "Mca Ch Size,  256",
      "",
      "ch  ,  data",
  };
  for (int i = 0; i < 11; ++i) EXPECT_EQ(lines[i], head[i]) << i;
  EXPECT_EQ(lines[11], "   0,    1234");
  EXPECT_EQ(lines[12], "   1,123456789");
  EXPECT_EQ(lines[13], "   2,      -5");
  EXPECT_EQ(lines.last(), " 255,      42");
  EXPECT_STREQ(s.dataFileName, "dump.txt");
  // The times go into the displayed spectrum's record as a save would put them.
  EXPECT_EQ(s.currentHeader.LiveTime(), 12345);
  EXPECT_EQ(s.currentHeader.RealTime(), 7);
  EXPECT_EQ(s.currentHeader.PresetTime(), 999);
}

TEST_F(AsciiDumpTest, FullMemoryAndUnterminatedTexts) {
  // A record read from a file may fill a text slot without a NUL: 31 characters are printed.
  for (int i = 0; i < 32; ++i) s.currentHeader.data()[774 + i] = 'x';
  const QList<QByteArray> lines = Dump();
  ASSERT_EQ(lines.size(), 4107);
  EXPECT_EQ(lines[3], "Data Comment, " + QByteArray(31, 'x'));
  EXPECT_EQ(lines[8], "Mca Ch Size, 4096");
  EXPECT_EQ(lines.last(), "4095,    4095");
}

}  // namespace
}  // namespace tavlex
