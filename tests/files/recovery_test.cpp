// The automatic recovery copies: their names, their bytes, and the folder keeping the newest 50
// of the program's own copies without touching anything else there.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstring>
#include <set>

#include "files/Recovery.h"
#include "tests/files/FileBytes.h"

namespace tavlex {
namespace {

using namespace test;

class RecoveryTest : public ::testing::Test {
 protected:
  RecoveryTest() : oldData(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
  }
  ~RecoveryTest() override { qputenv("XDG_DATA_HOME", oldData); }

  QString Folder() const { return dir.filePath("data/tavlex/recovered"); }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const QString& n : QDir(Folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                     QDir::System | QDir::Hidden))
      names.insert(n.toStdString());
    return names;
  }
  void Put(const std::string& name) {
    WriteAll(Folder() + "/" + QString::fromStdString(name), "kept as it was");
  }
  // A run of 256 channels with count i = 3 i + 1 (98 176 counts in all), 10.0 s real time.
  void FillRun() {
    s.channelSize = 256;
    for (int i = 0; i < 256; ++i) s.spectrumCounts[i] = 3 * i + 1;
    s.presetTime = 100, s.realTime = 100, s.liveTime = 99;
    s.currentHeader.SetComment("brass, 40 kV");
    s.currentHeader.SetDate({2026, 12, 8, 11, 35, 12});
  }

  QTemporaryDir dir;
  QByteArray oldData;
  Headless h;
  AppState& s = *h.s;
  RunCopy copy;
};

TEST_F(RecoveryTest, ARunsCopyIsNamedByItsStartAndHoldsWhatFileWriteWouldSave) {
  FillRun();
  const SpectrumHeader shown = s.currentHeader;
  NameRecoveryCopy(copy, s.currentHeader.Date(), false);
  const std::string path = SaveRecoveryCopy(s, copy);
  ASSERT_EQ(path, Path(Folder() + "/20261208-113512-mca.dat"));
  const QByteArray b = ReadAll(QString::fromStdString(path));
  ASSERT_EQ(b.size(), 1024 + 4 * 256);
  EXPECT_EQ(b.left(20), "Velmoratek Co., Ltd.");
  EXPECT_EQ(I16(b, kChannelSizeAt), 256);
  EXPECT_EQ(I32(b, kPresetAt), 100);
  EXPECT_EQ(I32(b, kRealAt), 100);
  EXPECT_EQ(I32(b, kLiveAt), 99);
  EXPECT_EQ(I16(b, kYearAt), 2026);
  EXPECT_EQ(I16(b, kSecondAt), 12);
  EXPECT_EQ(b.mid(kCommentAt, 13), QByteArray("brass, 40 kV\0", 13));
  std::int64_t total = 0;
  for (int i = 0; i < 256; ++i) total += I32(b, kCountsAt + 4 * i);
  EXPECT_EQ(total, 98176);
  EXPECT_EQ(I32(b, kCountsAt + 4 * 255), 766);
  // The window's header and file name are left as they were.
  EXPECT_EQ(std::memcmp(s.currentHeader.data(), shown.data(), SpectrumHeader::kSize), 0);
  EXPECT_STREQ(s.dataFileName, "");

  // The same run ending again rewrites its copy with the latest counts.
  s.spectrumCounts[0] = 5000;
  EXPECT_EQ(SaveRecoveryCopy(s, copy), path);
  EXPECT_EQ(I32(ReadAll(QString::fromStdString(path)), kCountsAt), 5000);
  // A new run started in the same second gets a number; a scan run says what it is.
  RunCopy next;
  NameRecoveryCopy(next, s.currentHeader.Date(), false);
  EXPECT_EQ(SaveRecoveryCopy(s, next), Path(Folder() + "/20261208-113512-mca-2.dat"));
  RunCopy scan;
  NameRecoveryCopy(scan, {2026, 12, 8, 11, 40, 0}, true);
  EXPECT_EQ(SaveRecoveryCopy(s, scan), Path(Folder() + "/20261208-114000-scan.dat"));
  EXPECT_EQ(Names(), (std::set<std::string>{"20261208-113512-mca.dat", "20261208-113512-mca-2.dat",
                                            "20261208-114000-scan.dat"}));
}

TEST_F(RecoveryTest, AScanRunsCopyCarriesTheScansOwnTimes) {
  FillRun();
  for (int i = 0; i < 256; ++i) s.spectrumCounts[i] = i < 100 ? 1000 : 0;  // 100 000 counts
  s.sxfmSetup.presetTime = 100;                                            // scans of 10.0 s
  s.presetTime = 5000, s.realTime = 4321, s.liveTime = 4000;               // the MCA run's
  NameRecoveryCopy(copy, {2026, 12, 8, 12, 0, 0}, true);
  const QByteArray b = ReadAll(QString::fromStdString(SaveRecoveryCopy(s, copy)));
  ASSERT_EQ(b.size(), 1024 + 4 * 256);
  EXPECT_EQ(I32(b, kPresetAt), 100);
  EXPECT_EQ(I32(b, kRealAt), 100);
  EXPECT_EQ(I32(b, kLiveAt), 98);  // 100 - 100 000 x 1.8 us x 0.00001 = 98.2
  EXPECT_EQ(s.realTime, 4321);
}

// Old copies named by their start; the new run's copy is then written.
TEST_F(RecoveryTest, TheFolderKeepsTheNewestFiftyOfItsOwnCopiesAndNothingElseChanges) {
  FillRun();
  // Own copy i of those there before: days 1 .. 28 of November, then the same days again with
  // the number 2, which sorts after the plain name of its second (not before it, as the bytes
  // would).
  auto old = [](int i) {
    const int day = 1 + (i - 1) % 28;
    const std::string number = i > 28 ? "-2" : "";
    return "202611" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "-080000-" +
           (i % 2 ? "mca" : "scan") + number + ".dat";
  };
  // Not the program's own: a failed save's copy, other kinds and spellings, a folder, a link.
  const std::set<std::string> foreign = {"steel-20200101-000000.dat",
                                         "20200101-000000-mca.txt",
                                         "20200101-000000-mca-01.dat",
                                         "20200101-000000-xrf.dat",
                                         "notes.txt",
                                         "20200101-000000-mca.dat.abcdef",
                                         "2020010-000000-mca.dat",
                                         "20200101-000000-mca",
                                         "20200101-000000-mca-1.dat",
                                         "20200101-000000-scan-1000.dat"};
  const struct {
    const char* what;
    int count;            // own copies there before
    AcqDate start;        // the new run's start
    std::string newName;  // its copy
    std::set<std::string> gone;
  } rows[] = {
      {"forty-nine and the new one", 49, {2026, 12, 8, 9, 0, 0}, "20261208-090000-mca.dat", {}},
      {"the fifty-first evicts the oldest",
       50,
       {2026, 12, 8, 9, 0, 0},
       "20261208-090000-mca.dat",
       {old(1)}},
      {"two over: the oldest and its numbered twin go",
       51,
       {2026, 12, 8, 9, 0, 0},
       "20261208-090000-mca.dat",
       {old(1), old(29)}},
      // A clock set back: the new copy is the oldest by name, yet it is the one kept.
      {"a run dated before all others",
       50,
       {2026, 10, 1, 9, 0, 0},
       "20261001-090000-mca.dat",
       {old(1)}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_TRUE(QDir(Folder()).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(Folder()));
    std::set<std::string> before;
    for (int i = 1; i <= row.count; ++i) {
      const std::string name = old(i);
      Put(name);
      before.insert(name);
    }
    ASSERT_EQ(before.size(), static_cast<std::size_t>(row.count));
    for (const std::string& f : foreign) Put(f);
    ASSERT_TRUE(QDir(Folder()).mkdir("20200101-000003-mca.dat"));
    ASSERT_EQ(::symlink("notes.txt", Path(Folder() + "/20200101-000004-mca.dat").c_str()), 0);

    NameRecoveryCopy(copy, row.start, false);
    ASSERT_EQ(SaveRecoveryCopy(s, copy),
              Path(Folder() + "/" + QString::fromStdString(row.newName)));

    std::set<std::string> want = foreign;
    want.insert({"20200101-000003-mca.dat", "20200101-000004-mca.dat", row.newName});
    for (const std::string& n : before)
      if (!row.gone.contains(n)) want.insert(n);
    EXPECT_EQ(Names(), want);
    for (const std::string& f : foreign)
      EXPECT_EQ(ReadAll(Folder() + "/" + QString::fromStdString(f)), "kept as it was") << f;
  }
}

}  // namespace
}  // namespace tavlex
