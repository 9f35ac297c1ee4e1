// The standards table and its .ref file: bytes from the record layout, loads, saves and the
// active list, and the loads that fail or are cancelled.

#include <gtest/gtest.h>

#include "standards/StandardsCommands.h"
#include "tests/standards/StdFiles.h"

namespace tavlex::test {
namespace {

const std::vector<std::int32_t> kFlat = std::vector<std::int32_t>(1024, 10);

TEST(RefFileTest, NewTableSavesAs2048BytesAndLoadsBackByteForByte) {
  StdFolder f;
  EXPECT_EQ(f.dm->tableLabel, " [ New File  ]");
  for (const StandardRecord& r : f.dm->table) {
    EXPECT_TRUE(r.IsEmptySlot());
    EXPECT_EQ(r.Cf(), 1.0f);
  }
  ASSERT_TRUE(f.dm->SaveStandardsTo(f.Path8("new.ref")));
  const QByteArray saved = ReadAll(f.PathOf("new.ref"));
  EXPECT_EQ(saved, RefBytes({}));  // built from the layout, not by the writer

  f.dm->table[4].SetFitOn(7);
  EXPECT_EQ(f.Load("new.ref"), 0);  // nothing active
  EXPECT_EQ(f.dm->LastLoadStatus(), LoadStatus::Loaded);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(f.dm->table[i].data()), 128),
              saved.mid(i * 128, 128));
  EXPECT_EQ(f.dm->tableLabel, "  [  new.ref  ]");
}

TEST(RefFileTest, RecordsActiveListAndReservedBytesRoundTrip) {
  StdFolder f;
  QByteArray table = RefBytes({{2, {"fe.dat", "Fe", 1, 100, 140, 2.5f, 40.0f, 100.0f, 0.6f}},
                               {3, {"x.dat", "Ni", 0, 1, 2}},
                               {5, {"cu.dat", "Cu", 1, 300, 320}},
                               {7, {"zn.dat", "Zn", 2, 400, 420}},
                               {9, {"pb.dat", "Pb-La", 1, 500, 530}}});
  // Reserved bytes and the bytes after a text's NUL are kept as read.
  for (int at : {52, 75, 88, 111, 116, 127}) table[2 * 128 + at] = char(0xA5);
  table[2 * 128 + 10] = 'Q';
  f.Write("set1.ref", table);
  for (const char* name : {"fe.dat", "cu.dat", "pb.dat"}) f.WriteDat(name, kFlat);

  EXPECT_EQ(f.Load("set1.ref"), 3);
  const TDmSMTX& dm = *f.dm;
  EXPECT_EQ(dm.activeCount, 3);
  EXPECT_EQ(std::vector<int>(dm.activeSlot, dm.activeSlot + 3), (std::vector<int>{2, 5, 9}));
  const StandardRecord& fe = dm.table[2];
  EXPECT_EQ(fe.SpecFileName(), "fe.dat");
  EXPECT_EQ(fe.ElementName(), "Fe");
  EXPECT_EQ(fe.FitOn(), 1);
  EXPECT_EQ(fe.RoiLow(), 100);
  EXPECT_EQ(fe.RoiHigh(), 140);
  EXPECT_EQ(fe.Cf(), 2.5f);
  EXPECT_EQ(fe.KRatio(), 40.0f);
  EXPECT_EQ(fe.ChemWtPercent(), 100.0f);
  EXPECT_EQ(fe.KRatioError(), 0.6f);
  EXPECT_EQ(dm.activeStandards[2].ElementName(), "Pb-La");
  EXPECT_EQ(dm.table[7].FitOn(), 2);  // only exactly 1 takes part

  ASSERT_TRUE(f.dm->SaveStandardsTo(f.Path8("copy.ref")));
  EXPECT_EQ(ReadAll(f.PathOf("copy.ref")), table);
}

TEST(RefFileTest, TableLabelAndDirectoryOfAWindowsPath) {
  StdFolder f;
  f.dm->table[0].SetElementName("Fe");
  // There is no such file here: the label changes, the table does not.
  EXPECT_EQ(f.dm->LoadStandardsFrom("C:\\std\\set1.ref"), 0);
  EXPECT_EQ(f.dm->tableLabel, "  [  set1.ref  ]");
  EXPECT_EQ(f.dm->tableDirectory, "C:\\std\\");
  EXPECT_EQ(f.dm->LastLoadStatus(), LoadStatus::CannotOpenTable);
  EXPECT_EQ(f.dm->table[0].ElementName(), "Fe");
}

TEST(RefFileTest, CancelledDialogLoadsNothing) {
  StdFolder f;
  f.Write("t.ref", RefBytes({{0, {"a.dat", "Fe", 1, 0, 10}}}));
  f.WriteDat("a.dat", kFlat);
  ASSERT_EQ(f.Load("t.ref"), 1);
  f.dm->table[0].SetFitOn(0);
  f.dm->table[1].SetFitOn(1);  // would change the active list if it were rebuilt
  int asked = 0;
  f.dm->SetPathChooser([&](StdDialog d) -> std::optional<std::string> {
    EXPECT_EQ(d, StdDialog::Open);
    ++asked;
    return std::nullopt;
  });
  EXPECT_EQ(f.dm->LoadStandards(), 0);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(f.dm->LastLoadStatus(), LoadStatus::Cancelled);
  EXPECT_EQ(f.dm->activeCount, 1);
  EXPECT_EQ(f.dm->activeSlot[0], 0);
  EXPECT_EQ(f.dm->tableLabel, "  [  t.ref  ]");
  EXPECT_EQ(f.dm->table[1].FitOn(), 1);
}

TEST(RefFileTest, ShortTableFillsRecordsAsFarAsItReaches) {
  StdFolder f;
  f.dm->table[1].SetElementName("Old");
  f.dm->table[1].SetRoiHigh(77);
  f.dm->table[2].SetElementName("Kept");
  const QByteArray full = RefBytes({{0, {"a.dat", "Fe", 0, 1, 2}}, {1, {"b.dat", "Cu", 0, 3, 4}}});
  f.Write("short.ref", full.left(128 + 44));  // slot 1 ends before roiLow
  EXPECT_EQ(f.Load("short.ref"), 0);
  EXPECT_EQ(f.dm->table[0].ElementName(), "Fe");
  EXPECT_EQ(f.dm->table[1].ElementName(), "Cu");
  EXPECT_EQ(f.dm->table[1].RoiHigh(), 77);
  EXPECT_EQ(f.dm->table[2].ElementName(), "Kept");
}

TEST(RefFileTest, MissingSecondSpectrumReplacesOnlyTheFirst) {
  StdFolder f;
  f.Write("t.ref", RefBytes({{0, {"a.dat", "Fe", 1, 0, 10}}, {4, {"gone.dat", "Cu", 1, 0, 10}}}));
  f.WriteDat("a.dat", Spike(1024, 500, 100));
  for (auto& spectrum : f.dm->referenceSpectra) spectrum[500] = -3.0;
  EXPECT_EQ(f.Load("t.ref"), 0);
  EXPECT_EQ(f.dm->LastLoadStatus(), LoadStatus::CannotReadSpectrum);
  EXPECT_EQ(f.dm->FailedStandard(), 1);
  EXPECT_EQ(f.dm->activeCount, 2);
  EXPECT_EQ(f.dm->referenceSpectra[0][500], 100.0);  // filtered spike, centre weight 1
  EXPECT_EQ(f.dm->referenceSpectra[1][500], -3.0);
}

TEST(RefFileTest, TextsWithoutNulAndRangesOutsideTheSpectrum) {
  StdFolder f;
  QByteArray table = RefBytes({{0, {"", "", 1, -5000, 99999}}});
  for (int i = 0; i < 32; ++i) table[i] = 'A';   // file name fills its slot, no NUL
  for (int i = 32; i < 40; ++i) table[i] = 'B';  // so does the element label
  f.Write("odd.ref", table);
  f.WriteDat(QString(32, 'A'), Spike(512, 200, 50));
  EXPECT_EQ(f.Load("odd.ref"), 1);
  EXPECT_EQ(f.dm->table[0].SpecFileName(), std::string(32, 'A'));
  EXPECT_EQ(f.dm->table[0].ElementName(), std::string(8, 'B'));
  // A range past the sample's end is the table's fault, said as such.
  Headless h;
  h.s->channelSize = 512;
  std::fill_n(h.s->spectrumCounts, 512, 0);
  h.s->spectrumCounts[200] = 50;
  h.s->standardsLoaded = 1;
  EXPECT_EQ(FitDisplayedSpectrum(*h.s, h.w, *f.dm), FitStatus::RangePastSample);
  EXPECT_EQ(h.w.Text(Field::Edit1), "Error ! MLSQ Range > 512ch");
  // Load Std takes the label cut to the region's 7 characters and the range as it stands.
  ApplyLoadedStandards(*h.s, h.w, *f.dm, 1);
  EXPECT_STREQ(h.s->roiTable[0].label, "BBBBBBB");
  EXPECT_EQ(h.s->roiTable[0].low, -5000);
}

struct SaveRow {
  const char* chosen;  // nullptr: the dialog was cancelled
  SaveStatus status;
  const char* written;
  const char* message;
};

TEST(RefFileTest, SaveTableThroughTheDialog) {
  const SaveRow rows[] = {
      {"t.ref", SaveStatus::Saved, "t.ref", ""},
      {"plain", SaveStatus::Saved, "plain.ref", ""},  // Load Std's filter lists it
      {"t.tab", SaveStatus::Saved, "t.tab", ""},
      {"no/such/folder/t.ref", SaveStatus::Failed, nullptr, "File Write Error !"},
      {nullptr, SaveStatus::Cancelled, nullptr, "Error ! ROI LowCh"},
  };
  for (const SaveRow& r : rows) {
    StdFolder f;
    Headless h;
    f.dm->SetPathChooser([&](StdDialog d) -> std::optional<std::string> {
      EXPECT_EQ(d, StdDialog::Save);
      if (!r.chosen) return std::nullopt;
      return f.Path8(r.chosen);
    });
    h.w.SetText(Field::Edit1, "Error ! ROI LowCh");
    EXPECT_EQ(SaveStandardsTable(h.w, *f.dm), r.status) << r.chosen;
    EXPECT_EQ(h.w.Text(Field::Edit1), r.message) << r.chosen;
    if (r.written) {
      EXPECT_EQ(ReadAll(f.PathOf(r.written)).size(), 2048) << r.chosen;
    }
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files).size(), r.written ? 1 : 0) << r.chosen;
  }
}

}  // namespace
}  // namespace tavlex::test
