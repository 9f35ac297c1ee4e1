// The SXFM scan mode in the real window on the simulated analyser: the setup dialog, the scan
// tick with its count rate and scan count, the frames on the wire, saving finished scans.

#include <sys/stat.h>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <tuple>

#include "tests/acq/AcqFixture.h"
#include "ui/ScanSetupDialog.h"

namespace tavlex::test {
namespace {

class ScanWindowTest : public AcqWindowTest {
 protected:
  ScanWindowTest() : AcqWindowTest(25000) {
    form->SetFileChooser([this](QFileDialog& d) {
      ++chooserCalls;
      EXPECT_EQ(&d, form->SxfmDataDialog);
      return chosen;
    });
  }
  // Runs the SXFM setup dialog: `edit` changes its controls, then OK or Cancel.
  void SxfmSetup(const std::function<void(TSXFMSetUp&)>& edit, bool ok = true) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<TSXFMSetUp*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      seen = true;
      edit(*dialog);
      QTest::mouseClick(ok ? dialog->OkButton : dialog->CancelButton, Qt::LeftButton);
      if (dialog->isVisible()) QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
    });
    QTest::mouseClick(form->Button7, Qt::LeftButton);
    EXPECT_TRUE(seen);
  }
  // 512 channels, scans of 1.0 s, a refresh of 100 ms.
  void StartScans() {
    Open();
    SxfmSetup([](TSXFMSetUp& d) {
      d.MemSize512->setChecked(true);
      d.SXFMPreSetTime->setText("10");
    });
    QTest::mouseClick(form->SxfmStart, Qt::LeftButton);
    ASSERT_EQ(s().acquiring, 1);
    ASSERT_EQ(s().mcaMode, 0);
    ASSERT_EQ(Frames().back(), "$X;");
  }
  void TickScans(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      AdvanceMs(100);
      Tick();
    }
  }

  QTemporaryDir dir;
  std::optional<QString> chosen;
  int chooserCalls = 0;
};

TEST_F(ScanWindowTest, ScansAreCountedReadAndRatedOnTheWire) {
  StartScans();
  EXPECT_EQ(form->TimerInterval(), 100);
  EXPECT_EQ(s().channelSize, 512);
  sim().ClearFrames();
  TickScans(9);  // 0.9 s: no scan finished yet, only the status is read
  EXPECT_EQ(Frames(), std::vector<std::string>(9, "$R0;"));
  EXPECT_EQ(s().scanCount, 0);
  TickScans(1);  // 1.0 s: the first scan is done
  EXPECT_EQ(Frames().size(), 14u);
  EXPECT_EQ(Frames().back(), "$R4;");
  EXPECT_EQ(s().scanCount, 1);
  EXPECT_EQ(form->Text(Field::Edit4), "1");
  // 25000 counts in a scan of 1.0 s.
  EXPECT_FLOAT_EQ(s().countRate, 25.0f);
  std::int64_t total = 0;
  for (int ch = 0; ch < 512; ++ch) total += s().spectrumCounts[ch];
  EXPECT_EQ(total, 25000);
  EXPECT_EQ(form->Text(Field::Label7), " ");
  TickScans(20);
  EXPECT_EQ(s().scanCount, 3);
  EXPECT_EQ(form->Text(Field::Edit4), "3");
  EXPECT_TRUE(form->TimerEnabled());
  // Abort stops the analyser; once idle, Abort sends nothing more.
  sim().ClearFrames();
  QTest::mouseClick(form->SxfmStop, Qt::LeftButton);
  QTest::mouseClick(form->SxfmStop, Qt::LeftButton);
  EXPECT_EQ(Frames(), std::vector<std::string>({"$S;"}));
  EXPECT_EQ(s().acquiring, 0);
  EXPECT_FALSE(form->TimerEnabled());
  // Clear zeroes the count and the spectrum.
  QTest::mouseClick(form->SxfmClear, Qt::LeftButton);
  EXPECT_EQ(form->Text(Field::Edit4), "0");
  EXPECT_EQ(s().spectrumCounts[100], 0);
}

TEST_F(ScanWindowTest, TheSetupDialogStoresRefusesAndCutsTheMemory) {
  Open();
  ASSERT_EQ(s().channelSize, 4096);
  // Cancelled: the memory still comes down to 2048 and nothing is sent.
  SxfmSetup([](TSXFMSetUp& d) { d.SXFMPreSetTime->setText("55"); }, false);
  EXPECT_EQ(s().channelSize, 2048);
  EXPECT_EQ(s().sxfmSetup.memorySize, 2048);
  EXPECT_EQ(s().sxfmSetup.presetTime, 10);
  EXPECT_TRUE(Frames().empty());

  struct Case {
    const char *preset, *refresh, *error;
  } refused[] = {
      {"0", "100", "'0' is out of range for the scan preset"},
      {"-3", "100", "'-3' is out of range for the scan preset"},
      {"1.5", "100", "'1.5' is not a valid integer value"},
      {"20", "5", "'5' is out of range for the refresh interval"},
      {"20", "", "'' is not a valid integer value"},
  };
  for (const Case& k : refused) {
    SCOPED_TRACE(std::string(k.preset) + " / " + k.refresh);
    errors.clear();
    SxfmSetup([&](TSXFMSetUp& d) {
      d.SXFMPreSetTime->setText(k.preset);
      d.DispRefTimer->setText(k.refresh);
    });
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], k.error);
    EXPECT_EQ(s().sxfmSetup.refreshMs, 100);
  }
  EXPECT_EQ(s().sxfmSetup.presetTime, 20);  // stored before the failing refresh interval
  EXPECT_TRUE(Frames().empty());

  SxfmSetup([](TSXFMSetUp& d) {
    d.MemSize1024->setChecked(true);
    d.SXFMPreSetTime->setText("25");
    d.DispRefTimer->setText("250");
  });
  EXPECT_EQ(Frames(), std::vector<std::string>({"$P25;", "$M8;"}));
  EXPECT_EQ(s().channelSize, 1024);
  EXPECT_EQ(s().sxfmSetup.presetTime, 25);
  EXPECT_EQ(form->TimerInterval(), 250);
}

TEST_F(ScanWindowTest, FinishedScansAreSavedBesideTheChosenNameAndNeverOverwritten) {
  chosen = dir.filePath("map.dat");
  Open();
  SxfmSetup([this](TSXFMSetUp& d) {
    d.MemSize512->setChecked(true);
    d.SaveRawData->click();  // checking asks for the name
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_EQ(d.Edit3->text(), dir.filePath("map"));
    d.SaveRawData->click();  // unchecking asks again
    EXPECT_EQ(chooserCalls, 2);
    d.SaveRawData->click();
  });
  EXPECT_EQ(std::string(s().sxfmSetup.savePrefix), dir.filePath("map").toStdString());
  // An earlier series left map-0002.dat: this one goes on after it. A file that appears under
  // the next scan's name is left alone, and that scan is refused.
  QFile taken(dir.filePath("map-0002.dat"));
  ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
  taken.write("keep");
  taken.close();
  std::snprintf(s().dataFileName, sizeof s().dataFileName, "%s", "shown.dat");
  QTest::mouseClick(form->SxfmStart, Qt::LeftButton);
  TickScans(10);
  EXPECT_EQ(QFileInfo(dir.filePath("map-0003.dat")).size(), 1024 + 4 * 512);
  taken.copy(dir.filePath("map-0004.dat"));
  TickScans(10);
  EXPECT_EQ(Edit1(), "File Write Error !");
  EXPECT_EQ(QFileInfo(dir.filePath("map-0004.dat")).size(), 4);
  TickScans(10);
  EXPECT_EQ(s().scanCount, 3);  // the scans went on
  EXPECT_EQ(QFileInfo(dir.filePath("map-0005.dat")).size(), 1024 + 4 * 512);
  // A second Start under the same name goes on after the last file.
  QTest::mouseClick(form->SxfmStop, Qt::LeftButton);
  QTest::mouseClick(form->SxfmStart, Qt::LeftButton);
  TickScans(10);
  EXPECT_EQ(QFileInfo(dir.filePath("map-0006.dat")).size(), 1024 + 4 * 512);
  EXPECT_STREQ(s().dataFileName, "shown.dat");  // the saves did not rename the displayed spectrum
}

TEST_F(ScanWindowTest, StartSendsTheScanSetupWhenTheAnalyserHoldsAnother) {
  Open();
  // Start's frames, channels and scan time (ms): after only an MCA setup of 10 s; after scans
  // of 0.5 s on 1024 channels and then an MCA setup of 3 s; with the scan setup still held.
  const std::tuple<std::vector<std::string>, int, int> rows[] = {
      {{"$P10;", "$M16;", "$X;"}, 2048, 1000},
      {{"$P5;", "$M8;", "$X;"}, 1024, 500},
      {{"$X;"}, 1024, 500}};
  const char* mcaPreset[] = {"10.0", "3.0", nullptr};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const auto& [frames, channels, scanMs] = rows[i];
    if (i == 1)
      SxfmSetup([](TSXFMSetUp& d) {
        d.MemSize1024->setChecked(true);
        d.SXFMPreSetTime->setText("5");
      });
    if (mcaPreset[i]) Setup([&](TXMCA1SetUp& d) { d.PresetRT->setText(mcaPreset[i]); });
    sim().ClearFrames();
    QTest::mouseClick(form->SxfmStart, Qt::LeftButton);
    EXPECT_EQ(Frames(), frames);
    EXPECT_EQ(s().channelSize, channels);
    TickScans(scanMs / 100 - 1);
    EXPECT_EQ(s().scanCount, 0);
    TickScans(1);
    EXPECT_EQ(s().scanCount, 1);  // the scan lasted the scan preset
    QTest::mouseClick(form->SxfmStop, Qt::LeftButton);
  }
}

TEST_F(ScanWindowTest, TheDialogWarnsOfARefreshNotShorterThanAScan) {
  // Preset (100 ms steps), refresh (ms), warned.
  const std::tuple<const char*, const char*, bool> rows[] = {
      {"x", "5000", false}, {"10", "999", false}, {"2", "250", true}, {"10", "1000", true}};
  SxfmSetup([&](TSXFMSetUp& d) {
    for (const auto& [preset, refresh, warned] : rows) {
      d.SXFMPreSetTime->setText(preset);
      d.DispRefTimer->setText(refresh);
      EXPECT_EQ(d.RefreshWarning->isVisible(), warned) << preset << " / " << refresh;
    }
  });
  EXPECT_TRUE(errors.empty());  // a warning, not a refusal
  EXPECT_EQ(s().sxfmSetup.refreshMs, 1000);
}

}  // namespace
}  // namespace tavlex::test
