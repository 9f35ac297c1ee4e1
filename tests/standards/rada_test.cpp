// The Rada commands without the window (Add Std, Load Std) and the editor's texts and weight-per-
// cent rule.

#include <gtest/gtest.h>

#include <cstring>

#include "standards/StandardsCommands.h"
#include "tests/standards/StdFiles.h"

namespace tavlex::test {
namespace {

TEST(RadaTest, AddStdMakesTheRegionsSlotAStandard) {
  Headless h;
  auto dm = std::make_unique<TDmSMTX>();
  h.s->currentRoi = 3;
  RoiRecord& roi = h.s->roiTable[3];
  std::strcpy(roi.label, "Cu");
  roi.low = 400;
  roi.high = 420;
  // A spectrum not saved yet has no file a load could find: refused, slot 3 untouched.
  for (const char* unsaved : {"MCA", ""}) {
    std::strcpy(h.s->dataFileName, unsaved);
    EXPECT_EQ(AddStandardFromRoi(*h.s, h.w, *dm), -1) << unsaved;
    EXPECT_EQ(h.w.Text(Field::Edit1), "Error ! Save Spectrum First") << unsaved;
    EXPECT_EQ(dm->table[3].FitOn(), 0) << unsaved;
  }
  std::strcpy(h.s->dataFileName, "cu.dat");
  EXPECT_EQ(AddStandardFromRoi(*h.s, h.w, *dm), 3);
  EXPECT_EQ(h.w.Text(Field::Edit1), "");  // the earlier error is gone
  const StandardRecord& r = dm->table[3];
  EXPECT_EQ(r.FitOn(), 1);
  EXPECT_EQ(r.RoiLow(), 400);
  EXPECT_EQ(r.RoiHigh(), 420);
  EXPECT_EQ(r.ElementName(), "Cu");
  EXPECT_EQ(r.SpecFileName(), "cu.dat");
  EXPECT_EQ(dm->activeCount, 0);  // joins the fit at the next load

  // A name the record can't hold would point at another file: refused, slot 4 untouched.
  h.s->currentRoi = 4;
  std::strcpy(h.s->dataFileName, "a-spectrum-file-name-of-32-chars");
  EXPECT_EQ(AddStandardFromRoi(*h.s, h.w, *dm), -1);
  EXPECT_EQ(h.w.Text(Field::Edit1), "Error ! Std FileName");
  EXPECT_EQ(dm->table[4].FitOn(), 0);
  std::strcpy(h.s->dataFileName, "a-spectrum-file-name-of-31-char");
  EXPECT_EQ(AddStandardFromRoi(*h.s, h.w, *dm), 4);
  EXPECT_EQ(dm->table[4].SpecFileName(), "a-spectrum-file-name-of-31-char");
}

struct LoadRow {
  std::vector<int> records;
  int currentRoi;
};

TEST(RadaTest, LoadStdTurnsTheStandardsIntoRegions) {
  // The first three records as usual, and active records elsewhere: each standard goes to the
  // region with its slot's number.
  for (const LoadRow& row : {LoadRow{{0, 1, 2}, 2}, LoadRow{{2, 5, 9}, 9}}) {
    StdFolder f;
    Headless h;
    std::vector<std::pair<int, RefSlot>> records;
    const char* names[] = {"Fe", "Cu", "Zn"};
    const char* files[] = {"s0.dat", "s1.dat", "s2.dat"};
    for (int i = 0; i < 3; ++i) {
      records.push_back({row.records[i], {files[i], names[i], 1, 100 * i, 100 * i + 20}});
      f.WriteDat(files[i], std::vector<std::int32_t>(512, 1));
    }
    f.Write("t.ref", RefBytes(records));
    std::optional<std::string> path = f.Path8("t.ref");
    f.dm->SetPathChooser([&](StdDialog) { return path; });
    EXPECT_EQ(LoadStandardsIntoRois(*h.s, h.w, *f.dm), 3);
    EXPECT_EQ(h.w.Text(Field::Edit1), "3");
    EXPECT_EQ(h.s->standardsLoaded, 1);
    EXPECT_EQ(h.s->currentRoi, row.currentRoi);
    for (int i = 0; i < 3; ++i) {
      const RoiRecord& roi = h.s->roiTable[row.records[i]];
      EXPECT_EQ(roi.defined, 1);
      EXPECT_EQ(roi.shown, 0);
      EXPECT_STREQ(roi.label, names[i]);
      EXPECT_EQ(roi.low, 100 * i);
      EXPECT_EQ(roi.high, 100 * i + 20);
      EXPECT_EQ(roi.colour, 0xFF0000);
    }
    // A load that fails shows 0 and leaves the regions and the flag.
    h.s->roiTable[row.records[0]].shown = 1;
    path = f.Path8("none.ref");
    h.s->standardsLoaded = 1;
    EXPECT_EQ(LoadStandardsIntoRois(*h.s, h.w, *f.dm), 0);
    EXPECT_EQ(h.w.Text(Field::Edit1), "0");
    EXPECT_EQ(h.s->roiTable[row.records[0]].shown, 1);
  }
}

TEST(RadaTest, EditorTextsOfASlot) {
  StandardRecord r;
  r.SetCf(2.5f);
  r.SetKRatio(40.0f);
  r.SetKRatioError(0.6f);
  EXPECT_EQ(CfText(r), "   2.500");
  EXPECT_EQ(KRatioText(r, false), "    40.00  +/-    0.600");
  EXPECT_EQ(KRatioText(r, true), "   100.00  +/-    1.500");
  EXPECT_EQ(WtPercent(r), 100.0f);
}

struct WtRow {
  const char* text;
  bool stored;
  float chem, cf;
};

TEST(RadaTest, TypedWeightPercentSetsCfFromTheKRatio) {
  // kRatio 40: cf = weight per cent / 40. Before: chem 0, cf 2.5.
  const WtRow rows[] = {
      {"1", true, 1.0f, 0.025f},      {"12", true, 12.0f, 0.3f}, {"12.", true, 12.0f, 0.3f},
      {"12.5", true, 12.5f, 0.3125f}, {"", false, 0, 2.5f},      {"-", false, 0, 2.5f},
      {"abc", false, 0, 2.5f},        {"1e99", false, 0, 2.5f},  {" 8 ", true, 8.0f, 0.2f},
      {"-4", true, -4.0f, -0.1f},
  };
  for (const WtRow& row : rows) {
    StandardRecord r;
    r.SetCf(2.5f);
    r.SetKRatio(40.0f);
    EXPECT_EQ(StoreWtPercent(r, row.text), row.stored) << row.text;
    EXPECT_EQ(r.ChemWtPercent(), row.chem) << row.text;
    EXPECT_FLOAT_EQ(r.Cf(), row.cf) << row.text;
  }
  // No fit yet: refused, the slot as it was.
  StandardRecord fresh;
  fresh.SetCf(1.0f);
  EXPECT_FALSE(TakesWtPercent(fresh));
  EXPECT_FALSE(StoreWtPercent(fresh, "55"));
  EXPECT_EQ(fresh.ChemWtPercent(), 0.0f);
  EXPECT_EQ(fresh.Cf(), 1.0f);
}

}  // namespace
}  // namespace tavlex::test
