// The standards editor and the "Rada" page as the main window runs them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "link/Backends.h"
#include "tests/standards/StdFiles.h"
#include "ui/MainWindow.h"
#include "ui/StandardsEditor.h"

namespace tavlex::test {
namespace {

void MakeFeSlot(StandardRecord& r) {
  r.SetElementName("Fe");
  r.SetSpecFileName("fe.dat");
  r.SetFitOn(1);
  r.SetCf(2.5f);
  r.SetKRatio(40.0f);
  r.SetKRatioError(0.6f);
}

TEST(EditorTest, NewTableShowsEmptyRows) {
  auto dm = std::make_unique<TDmSMTX>();
  TEditStd d(*dm);
  EXPECT_EQ(d.windowTitle(), "Rada Standard Element Editer");
  EXPECT_EQ(d.size(), QSize(604, 410));
  EXPECT_EQ(d.StdTableFile->text(), " [ New File  ]");
  EXPECT_EQ(d.Kratio->text(), "K-Ratio");
  for (int n = 1; n <= 16; ++n) {
    const int i = n - 1;
    EXPECT_FALSE(d.StdNo[i]->isChecked());
    EXPECT_EQ(d.StdNo[i]->text(),
              n < 10 ? QString("Std No. %1").arg(n) : QString("Std No.%1").arg(n));
    EXPECT_EQ(d.StdNo[i]->geometry(), QRect(8, 24 + 24 * i, 73, 17));
    for (QLineEdit* e : {d.StdKratio[i], d.StdWtper[i], d.StdCf[i], d.StdFileName[i]})
      EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
    // No K-ratio yet: no weight per cent can be typed, and the box says why.
    EXPECT_FALSE(d.StdWtper[i]->isEnabled());
    EXPECT_EQ(d.StdWtper[i]->placeholderText(), "fit first");
    EXPECT_EQ(d.findChild<QLineEdit*>(QString("Std%1Wtper").arg(n)), d.StdWtper[i]);
  }
  EXPECT_FALSE(d.WtperON->isChecked());
}

TEST(EditorTest, FeRowInBothDisplays) {
  auto dm = std::make_unique<TDmSMTX>();
  MakeFeSlot(dm->table[1]);
  dm->table[1].SetChemWtPercent(77.0f);
  TEditStd d(*dm);
  EXPECT_TRUE(d.StdNo[1]->isChecked());
  EXPECT_EQ(d.StdNo[1]->text(), "Fe");
  EXPECT_EQ(d.StdCf[1]->text(), "   2.500");
  EXPECT_EQ(d.StdFileName[1]->text(), "fe.dat");
  EXPECT_EQ(d.StdKratio[1]->text(), "    40.00  +/-    0.600");
  EXPECT_EQ(d.StdWtper[1]->text(), "");  // the stored weight per cent is never shown
  EXPECT_TRUE(d.StdWtper[1]->isEnabled());
  EXPECT_EQ(d.StdWtper[1]->placeholderText(), "");
  QTest::mouseClick(d.WtperON, Qt::LeftButton);
  EXPECT_EQ(d.Kratio->text(), "Wt %");
  EXPECT_EQ(d.StdKratio[1]->text(), "   100.00  +/-    1.500");
  QTest::mouseClick(d.WtperON, Qt::LeftButton);
  EXPECT_EQ(d.Kratio->text(), "K-Ratio");
  EXPECT_EQ(d.StdKratio[1]->text(), "    40.00  +/-    0.600");
}

TEST(EditorTest, TypingAWeightPercentStoresEveryPrefix) {
  auto dm = std::make_unique<TDmSMTX>();
  MakeFeSlot(dm->table[2]);
  TEditStd d(*dm);
  d.StdWtper[2]->clear();
  const StandardRecord& r = dm->table[2];
  EXPECT_FLOAT_EQ(r.Cf(), 2.5f);  // an empty box leaves the slot
  const std::pair<char, float> keys[] = {{'1', 1.0f}, {'2', 12.0f}, {'.', 12.0f}, {'5', 12.5f}};
  for (const auto& [key, value] : keys) {
    QTest::keyClick(d.StdWtper[2], key);
    EXPECT_EQ(r.ChemWtPercent(), value) << key;
    EXPECT_FLOAT_EQ(r.Cf(), value / 40.0f) << key;
  }
  EXPECT_EQ(d.StdCf[2]->text(), "   2.500");  // shown anew only when the controls are filled
  d.StdWtper[2]->clear();
  EXPECT_EQ(r.ChemWtPercent(), 12.5f);
  EXPECT_EQ(dm->table[1].ChemWtPercent(), 0.0f);
}

class RadaWindowTest : public ::testing::Test {
 protected:
  NoDeviceDriver driver;
  ManualClock clock;
  std::unique_ptr<TForm1> form = std::make_unique<TForm1>(driver, clock);
  StdFolder f;
  AppState& s = form->State();
  std::optional<QString> chosen;
  std::vector<QFileDialog*> shown;

  void SetUp() override {
    form->SetDataModule(f.dm.get());
    form->SetFileChooser([this](QFileDialog& d) {
      shown.push_back(&d);
      return chosen;
    });
  }
  // Runs `act` on the editor once it is shown, then closes it with `button`.
  template <class Act>
  bool WithEditor(QPushButton* TForm1::*trigger, Act act, bool ok) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<TEditStd*>(QApplication::activeModalWidget());
      if (!d) return;
      seen = true;
      act(*d);
      QTest::mouseClick(ok ? d->EditOk : d->EditCancel, Qt::LeftButton);
    });
    QTest::mouseClick(form.get()->*trigger, Qt::LeftButton);
    // With no editor shown the pending look must run here, not inside a later test.
    QApplication::processEvents();
    return seen;
  }
};

TEST_F(RadaWindowTest, CancelKeepsTypedValuesAndOkKeepsFitOn) {
  MakeFeSlot(f.dm->table[0]);
  EXPECT_TRUE(WithEditor(
      &TForm1::EditStd,
      [](TEditStd& d) {
        d.StdWtper[0]->clear();
        QTest::keyClicks(d.StdWtper[0], "20");
      },
      false));
  EXPECT_EQ(f.dm->table[0].ChemWtPercent(), 20.0f);
  EXPECT_FLOAT_EQ(f.dm->table[0].Cf(), 0.5f);
  EXPECT_TRUE(WithEditor(
      &TForm1::EditStd,
      [](TEditStd& d) {
        EXPECT_EQ(d.StdCf[0]->text(), "   0.500");
        d.StdNo[0]->click();
        EXPECT_FALSE(d.StdNo[0]->isChecked());
      },
      true));
  EXPECT_EQ(f.dm->table[0].FitOn(), 1);
}

TEST_F(RadaWindowTest, SaveTableWritesThroughTheSaveDialog) {
  MakeFeSlot(f.dm->table[5]);
  // A save that fails says so in the editor and in the status box.
  chosen = f.PathOf("no/such/folder/saved.ref");
  EXPECT_TRUE(WithEditor(
      &TForm1::EditStd,
      [](TEditStd& d) {
        QTest::mouseClick(d.SaveRef, Qt::LeftButton);
        EXPECT_EQ(d.SaveResult->text(), "File Write Error !");
      },
      true));
  EXPECT_EQ(form->Edit1->text(), "File Write Error !");
  shown.clear();
  chosen = f.PathOf("saved.ref");
  EXPECT_TRUE(WithEditor(
      &TForm1::EditStd, [](TEditStd& d) { QTest::mouseClick(d.SaveRef, Qt::LeftButton); }, true));
  EXPECT_EQ(form->Edit1->text(), "");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], form->StdSaveDialog);
  EXPECT_EQ(shown[0]->objectName(), "SaveDialog1");
  const QByteArray bytes = ReadAll(f.PathOf("saved.ref"));
  ASSERT_EQ(bytes.size(), 2048);
  EXPECT_EQ(bytes.mid(5 * 128 + kElementAt, 3), QByteArray("Fe\0", 3));
}

TEST_F(RadaWindowTest, AddLoadAndFitFromThePage) {
  // Region 3, Cu, 490..512 of the spike spectrum cu.dat, made a standard and saved.
  f.WriteDat("cu.dat", Spike(1024, 500, 100));
  s.currentRoi = 3;
  std::strcpy(s.roiTable[3].label, "Cu");
  s.roiTable[3].low = 480;
  s.roiTable[3].high = 530;
  std::strcpy(s.dataFileName, "cu.dat");
  QTest::mouseClick(form->AddStd, Qt::LeftButton);
  ASSERT_TRUE(f.dm->SaveStandardsTo(f.Path8("cu.ref")));

  // MLSQ Fit before any Load Std asks for the table first.
  std::fill_n(s.spectrumCounts, 1024, 0);
  s.spectrumCounts[500] = 100;
  s.channelSize = 1024;
  chosen = f.PathOf("cu.ref");
  EXPECT_TRUE(WithEditor(
      &TForm1::MLSQfit,
      [](TEditStd& d) {
        EXPECT_EQ(d.StdNo[3]->text(), "Cu");
        EXPECT_EQ(d.StdKratio[3]->text(), "   100.00  +/-    7.414");
      },
      true));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], form->StdOpenDialog);
  EXPECT_EQ(shown[0]->defaultSuffix(), "dat");
  EXPECT_EQ(shown[0]->property("filter").toString(),
            "Std Reference(*.ref)|*.ref|MCA Data(*.dat)|*.dat");
  EXPECT_EQ(shown[0]->selectedNameFilter(), "Std Reference(*.ref)");

  QTest::mouseClick(form->LoadStd, Qt::LeftButton);
  EXPECT_EQ(form->Edit1->text(), "1");
  EXPECT_EQ(s.roiTable[3].defined, 1);
  EXPECT_EQ(shown.size(), 2u);
  // Now loaded: the fit no longer asks.
  f.dm->table[3].SetKRatio(0.0f);
  EXPECT_TRUE(WithEditor(
      &TForm1::MLSQfit, [](TEditStd&) {}, false));
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_FLOAT_EQ(f.dm->table[3].KRatio(), 100.0f);

  // A singular fit says so and opens no editor.
  s.standardsLoaded = 1;
  f.dm->activeCount = 2;
  f.dm->activeStandards[1] = f.dm->activeStandards[0];
  f.dm->referenceChannels[1] = f.dm->referenceChannels[0];
  std::copy_n(f.dm->referenceSpectra[0], kMaxChannels, f.dm->referenceSpectra[1]);
  EXPECT_FALSE(WithEditor(
      &TForm1::MLSQfit, [](TEditStd&) {}, true));
  EXPECT_EQ(form->Edit1->text(), "Error ! MLSQ Singular");
}

}  // namespace
}  // namespace tavlex::test
