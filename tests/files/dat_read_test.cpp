// Reading .dat files built byte by byte: what is restored, and what a rejected file leaves alone.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>

#include "files/SpectrumFile.h"
#include "tests/files/FileBytes.h"

namespace tavlex {
namespace {

using namespace test;

class DatReadTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Headless h;
  AppState& s = *h.s;

  FileResult Read(const QByteArray& bytes, int checked = kMcaView) {
    const QString file = dir.filePath("sample.dat");
    WriteAll(file, bytes);
    return ReadSpectrumFile(s, h.w, Path(file), checked);
  }
};

TEST_F(DatReadTest, AFileRestoresTheStateAndShowsTheWholeSpectrum) {
  QByteArray b = DatFile(512, 512);
  PutF32(b, kMarkerAt, 0.0f);
  PutF32(b, kSlopeAt, 0.02f);
  PutF32(b, kOffsetAt, -0.3f);
  PutLE(b, kPresetAt, 3000, 4);
  PutLE(b, kLiveAt, 2500, 4);
  PutLE(b, kRealAt, 2990, 4);
  PutLE(b, kRoiLowAt + 2, 0xFFFB, 2);     // -5
  PutLE(b, kRoiHighAt + 2, 0x8000, 2);    // -32768
  PutLE(b, kRoiColourAt + 2, 0xFFFF, 2);  // -1
  PutLE(b, kRoiColourAt + 4, 0x00FF, 2);
  s.roiTable[1].shown = 1;
  s.logScale = 0;
  h.w.SetText(Field::Edit1, "Status");
  const int paints = h.w.PaintBoxChanges();

  ASSERT_TRUE(Read(b).ok());
  EXPECT_EQ(s.channelSize, 512);
  EXPECT_EQ(s.spectrumCounts[0], 1);
  EXPECT_EQ(s.spectrumCounts[511], 511 * 3 + 1);
  EXPECT_EQ(s.spectrumCounts[512], 512);  // past the file, the old counts stay
  EXPECT_EQ(s.presetTime, 3000);
  EXPECT_EQ(s.liveTime, 2500);
  EXPECT_EQ(s.realTime, 2990);
  EXPECT_EQ(s.calibrated, 1);
  EXPECT_EQ(s.calSlope, 0.02f);
  EXPECT_EQ(s.calOffset, -0.3f);
  EXPECT_EQ(s.roiTable[1].low, -5);
  EXPECT_EQ(s.roiTable[1].high, -32768);
  EXPECT_EQ(s.roiTable[1].colour, 0x00FFFF);  // the list's yellow, not white
  EXPECT_EQ(s.roiTable[2].colour, 0xFF);
  EXPECT_EQ(s.roiTable[1].shown, 1);
  EXPECT_STREQ(s.roiTable[1].label, "Xx-NN");
  EXPECT_EQ(s.viewStart, 0);
  EXPECT_EQ(s.viewEnd, 511);
  EXPECT_EQ(s.cursorChannel, 256);
  EXPECT_EQ(h.w.Text(Field::Label1), "0ch");
  EXPECT_EQ(h.w.Text(Field::Label2), "511ch");
  EXPECT_EQ(h.w.Text(Field::Label3), "256");
  EXPECT_EQ(h.w.Text(Field::Edit1), "Status");  // success is silent
  EXPECT_EQ(s.logScale, 1);
  EXPECT_GT(h.w.PaintBoxChanges(), paints);
  EXPECT_EQ(s.currentHeader.bytes, [&] {
    SpectrumHeader want;
    std::copy_n(b.constData(), 1024, reinterpret_cast<char*>(want.data()));
    return want.bytes;
  }());
  EXPECT_EQ(std::string(s.dataFileName), "sample.dat");
  EXPECT_EQ(std::string(s.dataFilePath), Path(dir.filePath("sample.dat")));
}

TEST_F(DatReadTest, AFileWithoutCalibrationLeavesThePresentOneInEffect) {
  s.calibrated = 1, s.calSlope = 0.01f, s.calOffset = 0.5f;
  QByteArray b = DatFile(256, 256);
  PutF32(b, kSlopeAt, 9.0f);
  ASSERT_TRUE(Read(b).ok());
  EXPECT_EQ(s.calibrated, 1);
  EXPECT_EQ(s.calSlope, 0.01f);
  EXPECT_EQ(s.calOffset, 0.5f);
}

TEST_F(DatReadTest, ARejectedFileLeavesTheDisplayedSpectrumAlone) {
  s.mcaHeader.SetChannelSize(2048);
  s.mcaHeader.SetPresetTime(777);
  s.calibrated = 1, s.calSlope = 0.01f;
  s.roiTable[3].low = 40;
  s.liveTime = 123;
  s.viewStart = 100, s.viewEnd = 300, s.cursorChannel = 150;
  s.logScale = 0;
  struct Case {
    QByteArray bytes;
    const char* shown;
  };
  QByteArray stray = DatFile(256, 100);
  stray.append("\x01\x02", 2);
  QByteArray tooLong = DatFile(256, 300);
  const Case cases[] = {
      {stray, "100"},                   // cut short inside the counts
      {tooLong, "300"},                 // more counts than declared
      {DatFile(256, 0), "0"},           // header only
      {DatFile(0, 0), "0"},             // declares no channels
      {DatFile(256, 0).left(60), "0"},  // cut short inside the header
      {DatFile(-1, 10), "10"},          // a negative channel size
      {DatFile(9000, 9000), "8192"},    // the reader stops at 8192 counts
      {DatFile(5000, 5000), "Error ! 5000ch Over 4096ch, Read with Rebin 2"},
      {DatFile(4097, 4097), "Error ! 4097ch Over 4096ch, Read with Rebin 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    s.currentHeader.SetComment("displayed");
    const FileResult r = Read(c.bytes, 1);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(FileResultReason(r).empty());
    EXPECT_EQ(h.w.Text(Field::Edit1), c.shown);
    EXPECT_EQ(s.currentHeader.bytes, s.mcaHeader.bytes);
    EXPECT_EQ(s.channelSize, 4096);
    for (int i : {0, 99, 255, 4095}) EXPECT_EQ(s.spectrumCounts[i], i);
    EXPECT_EQ(s.memCounts[1][5], 5);
    EXPECT_EQ(s.memHeader[1].ChannelSize(), 0);
    EXPECT_EQ(s.memFileName[1][0], '\0');
    EXPECT_EQ(s.liveTime, 123);
    EXPECT_EQ(s.presetTime, 10000);
    EXPECT_EQ(s.calSlope, 0.01f);
    EXPECT_EQ(s.roiTable[3].low, 40);
    EXPECT_EQ(s.viewEnd, 300);
    EXPECT_EQ(s.cursorChannel, 150);
    EXPECT_EQ(s.logScale, 1);  // the plot is still redrawn
    s.logScale = 0;
  }
  EXPECT_TRUE(Read(DatFile(4096, 4096)).ok());  // the largest the program holds
}

TEST_F(DatReadTest, TheCheckedMemoryReceivesCountsHeaderAndName) {
  ASSERT_TRUE(Read(DatFile(1024, 1024), 1).ok());
  EXPECT_EQ(s.memCounts[1][1023], 1023 * 3 + 1);
  EXPECT_EQ(s.memCounts[1][1024], 1024);
  EXPECT_EQ(s.memHeader[1].ChannelSize(), 1024);
  EXPECT_STREQ(s.memFileName[1], "sample.dat");
  for (int m : {0, 2}) {
    EXPECT_EQ(s.memCounts[m][10], 10);
    EXPECT_EQ(s.memHeader[m].ChannelSize(), 0);
    EXPECT_STREQ(s.memFileName[m], "");
  }
  ASSERT_TRUE(Read(DatFile(256, 256), kMcaView).ok());
  EXPECT_EQ(s.memHeader[1].ChannelSize(), 1024);
  EXPECT_EQ(s.memCounts[1][300], 300 * 3 + 1);
}

TEST_F(DatReadTest, TextsWithoutNulAreCutTo31Characters) {
  QByteArray b = DatFile(256, 256);
  for (int i = 0; i < 32; ++i) b[kCommentAt + i] = 'c', b[kSampleIdAt + i] = 's';
  ASSERT_TRUE(Read(b).ok());
  EXPECT_EQ(s.currentHeader.Comment(), std::string(31, 'c'));
  EXPECT_EQ(s.currentHeader.SampleId(), std::string(31, 's'));
}

TEST_F(DatReadTest, FilesThatCannotBeOpenedOrNamedSaySo) {
  s.logScale = 0;
  FileResult r = ReadSpectrumFile(s, h.w, Path(dir.filePath("missing.dat")), kMcaView);
  EXPECT_EQ(r.status, FileStatus::CannotOpen);
  EXPECT_EQ(h.w.Text(Field::Edit1), "Error ! File Open");
  EXPECT_STREQ(s.dataFileName, "missing.dat");
  r = ReadSpectrumFile(s, h.w, Path(dir.path()), kMcaView);
  EXPECT_EQ(r.status, FileStatus::CannotOpen);
  EXPECT_EQ(s.logScale, 0);
  EXPECT_EQ(s.channelSize, 4096);

  // 255 characters fit dataFilePath; one more is refused before anything changes.
  const QString base = dir.path() + "/";
  const QString fits = base + QString(255 - base.size() - 4, 'n') + ".dat";
  ASSERT_EQ(fits.size(), 255);
  EXPECT_TRUE(WriteSpectrumFile(s, h.w, Path(fits)).ok());
  EXPECT_TRUE(ReadSpectrumFile(s, h.w, Path(fits), kMcaView).ok());
  EXPECT_EQ(std::string(s.dataFilePath), Path(fits));
  const std::string tooLong = Path(base + QString(256 - base.size() - 4, 'n') + ".dat");
  EXPECT_EQ(ReadSpectrumFile(s, h.w, tooLong, kMcaView).status, FileStatus::PathTooLong);
  EXPECT_EQ(WriteSpectrumFile(s, h.w, tooLong).status, FileStatus::PathTooLong);
  EXPECT_EQ(WriteAsciiDump(s, h.w, tooLong).status, FileStatus::PathTooLong);
  EXPECT_EQ(h.w.Text(Field::Edit1), "Error ! Path Too Long");
  EXPECT_EQ(std::string(s.dataFilePath), Path(fits));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(DatReadTest, TheNameIsTheTextAfterTheLastSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/lab/brass.dat", "brass.dat"},
      {"C:\\std\\set1.dat", "set1.dat"},
      {"C:\\data/mixed\\x.dat", "x.dat"},
      {"plain.dat", "plain.dat"},
      {"/home/lab/", ""},
  };
  for (auto [path, name] : cases) {
    ASSERT_TRUE(SplitFileName(s, path));
    EXPECT_STREQ(s.dataFilePath, path);
    EXPECT_STREQ(s.dataFileName, name);
  }
}

TEST_F(DatReadTest, WrittenAndReadBackTheSpectrumIsTheSame) {
  s.channelSize = 256;
  for (int i = 0; i < 256; ++i) s.spectrumCounts[i] = (i * 7919) % 100003;
  s.spectrumCounts[17] = 2000000000;
  s.calibrated = 1, s.calSlope = 0.0197f, s.calOffset = -0.042f;
  s.presetTime = 6000, s.liveTime = 5432, s.realTime = 6000;
  s.roiTable[4].low = 10, s.roiTable[4].high = 30, s.roiTable[4].colour = 0x0000FFFF;
  s.roiTable[5].colour = 0x00FF0000;
  const QString file = dir.filePath("rt.dat");
  ASSERT_TRUE(WriteSpectrumFile(s, h.w, Path(file)).ok());

  Headless back;
  ASSERT_TRUE(ReadSpectrumFile(*back.s, back.w, Path(file), kMcaView).ok());
  EXPECT_TRUE(std::equal(s.spectrumCounts, s.spectrumCounts + 256, back.s->spectrumCounts));
  EXPECT_EQ(back.s->channelSize, 256);
  EXPECT_EQ(back.s->presetTime, 6000);
  EXPECT_EQ(back.s->liveTime, 5432);
  EXPECT_EQ(back.s->realTime, 6000);
  EXPECT_EQ(back.s->calibrated, 1);
  EXPECT_EQ(back.s->calSlope, 0.0197f);
  EXPECT_EQ(back.s->calOffset, -0.042f);
  EXPECT_EQ(back.s->roiTable[4].low, 10);
  EXPECT_EQ(back.s->roiTable[4].high, 30);
  EXPECT_EQ(back.s->roiTable[4].colour, 0x00FFFF);
  EXPECT_EQ(back.s->roiTable[5].colour, 0xFF0000);
  EXPECT_EQ(back.s->cursorChannel, 128);
  EXPECT_EQ(back.s->viewEnd, 255);
}

}  // namespace
}  // namespace tavlex
