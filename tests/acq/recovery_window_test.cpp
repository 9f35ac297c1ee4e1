// The recovery copy every end of a run leaves, in the real window on the simulated analyser:
// the preset, the analyser stopping by itself, Stop, Abort, a pulled cable and the window
// closed during a run; and a copy that cannot be written changes nothing on the screen.

#include <QAction>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "tests/acq/AcqFixture.h"
#include "tests/files/FileBytes.h"
#include "ui/ScanSetupDialog.h"

namespace tavlex::test {
namespace {

enum class End {
  Preset,
  AnalyserStopped,
  Stop,
  Unplug,
  Exit,
  TitleBar,
  ExitRefused,
  TitleBarRefused,
  StopThenExit,
  IdleStop,
  ScanAbort,
  ScanUnplug,
  ScanClose,
  ScanAbortBeforeFirst,
};

bool IsScan(End end) {
  return end >= End::ScanAbort;
}

// One window on a fresh simulated analyser (1000 counts a second, exactly) per case.
class RunWindow : public AcqWindowTest {
 public:
  void TestBody() override {}
  using AcqWindowTest::AdvanceMs;
  using AcqWindowTest::closeQuestions;
  using AcqWindowTest::driver;
  using AcqWindowTest::errors;
  using AcqWindowTest::form;
  using AcqWindowTest::Open;
  using AcqWindowTest::Tick;
  AppState& State() { return s(); }

  // MCA: a preset of 10.0 s on 4096 channels. Scans: 512 channels, scans of 1.0 s.
  void Run(End end) {
    stopRunAndClose = end != End::ExitRefused && end != End::TitleBarRefused;
    Open();
    if (IsScan(end))
      RunScans(end);
    else
      RunMca(end);
  }

 private:
  void TickFor(int ms, int step = 100) {
    for (int t = 0; t < ms; t += step) {
      AdvanceMs(step);
      Tick();
    }
  }
  void RunMca(End end) {
    Setup([](TXMCA1SetUp& d) { d.PresetRT->setText("10.0"); });
    QTest::mouseClick(form->McaClear, Qt::LeftButton);
    if (end == End::IdleStop) {
      QTest::mouseClick(form->McaStop, Qt::LeftButton);
      return;
    }
    // The analyser ends at its own 10.0 s while the host waits for 100.0 s.
    if (end == End::AnalyserStopped) s().mcaSetup.presetTime = 1000;
    QTest::mouseClick(form->McaStart, Qt::LeftButton);
    ASSERT_EQ(s().acquiring, 1);
    switch (end) {
      case End::Preset:
        TickFor(10000, 1000);
        break;
      case End::AnalyserStopped:
        TickFor(10000, 1000);
        TickFor(1500, 500);  // its real time stands still over three ticks
        break;
      case End::Stop:
      case End::StopThenExit:
        TickFor(2000, 1000);
        QTest::mouseClick(form->McaStop, Qt::LeftButton);
        if (end == End::StopThenExit) form->Exit1->trigger();
        break;
      case End::Unplug:
        TickFor(2000, 1000);
        driver.Unplug();
        TickFor(100);
        break;
      case End::Exit:
      case End::ExitRefused:
        TickFor(2000, 1000);
        form->Exit1->trigger();
        break;
      case End::TitleBar:
      case End::TitleBarRefused:
        TickFor(2000, 1000);
        form->close();
        break;
      default:
        break;
    }
  }
  void RunScans(End end) {
    QTimer::singleShot(0, [] {
      auto* dialog = qobject_cast<TSXFMSetUp*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->MemSize512->setChecked(true);
      dialog->SXFMPreSetTime->setText("10");
      QTest::mouseClick(dialog->OkButton, Qt::LeftButton);
    });
    QTest::mouseClick(form->Button7, Qt::LeftButton);
    QTest::mouseClick(form->SxfmClear, Qt::LeftButton);
    QTest::mouseClick(form->SxfmStart, Qt::LeftButton);
    ASSERT_EQ(s().acquiring, 1);
    // One scan finished, the next half done.
    TickFor(end == End::ScanAbortBeforeFirst ? 500 : 1500);
    switch (end) {
      case End::ScanUnplug:
        driver.Unplug();
        TickFor(100);
        break;
      case End::ScanClose:
        form->close();
        break;
      default:
        QTest::mouseClick(form->SxfmStop, Qt::LeftButton);
        break;
    }
  }
};

class RecoveryWindowTest : public ::testing::Test {
 protected:
  RecoveryWindowTest() : oldData(qgetenv("XDG_DATA_HOME")) {}
  ~RecoveryWindowTest() override { qputenv("XDG_DATA_HOME", oldData); }

  // A fresh data folder for each case.
  QString UseDataFolder(const QString& name) {
    const QString data = dir.filePath(name);
    qputenv("XDG_DATA_HOME", data.toLocal8Bit());
    return data + "/tavlex/recovered";
  }

  QTemporaryDir dir;
  QByteArray oldData;
};

TEST_F(RecoveryWindowTest, EveryEndOfARunLeavesOneCopyWithTheCountsShown) {
  const struct {
    const char* what;
    End end;
    int copies;
    const char* kind;
    int channels, preset, real;  // 0.1 s
    std::int64_t total;          // 1000 counts a second
    int acquiringAfter;
  } rows[] = {
      {"preset reached", End::Preset, 1, "mca", 4096, 100, 100, 10000, 0},
      {"analyser stopped by itself", End::AnalyserStopped, 1, "mca", 4096, 100, 100, 10000, 0},
      {"Stop after 2.0 s", End::Stop, 1, "mca", 4096, 100, 20, 2000, 0},
      // The last good tick's counts; the tick that found the cable gone read nothing.
      {"cable pulled", End::Unplug, 1, "mca", 4096, 100, 20, 2000, 0},
      // Closing asks; once agreed it stops the run without reading it: the counts shown are kept.
      {"Exit during the run", End::Exit, 1, "mca", 4096, 100, 20, 2000, 0},
      {"title bar closed during the run", End::TitleBar, 1, "mca", 4096, 100, 20, 2000, 0},
      {"Exit refused: the run goes on", End::ExitRefused, 0, "", 0, 0, 0, 0, 1},
      {"title bar refused", End::TitleBarRefused, 0, "", 0, 0, 0, 0, 1},
      {"Stop, then Exit: the run ended once", End::StopThenExit, 1, "mca", 4096, 100, 20, 2000, 0},
      {"Stop with no run", End::IdleStop, 0, "", 0, 0, 0, 0, 0},
      // A scan run keeps its last finished scan, with the scan's own preset and real time.
      {"Abort", End::ScanAbort, 1, "scan", 512, 10, 10, 1000, 0},
      {"cable pulled during scans", End::ScanUnplug, 1, "scan", 512, 10, 10, 1000, 0},
      {"window closed during scans", End::ScanClose, 1, "scan", 512, 10, 10, 1000, 0},
      {"Abort before the first scan finished", End::ScanAbortBeforeFirst, 0, "", 0, 0, 0, 0, 0},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const QString folder = UseDataFolder(QString("data%1").arg(++n));
    RunWindow w;
    w.Run(row.end);
    AppState& s = w.State();
    EXPECT_EQ(s.acquiring, row.acquiringAfter);
    EXPECT_EQ(w.form->TimerEnabled(), row.acquiringAfter == 1);
    const bool closedInRun = row.end >= End::Exit && row.end <= End::TitleBarRefused;
    EXPECT_EQ(w.closeQuestions, closedInRun || row.end == End::ScanClose ? 1 : 0);
    if (w.closeQuestions && !s.acquiring) {
      EXPECT_EQ(w.driver.Frames().back(), "$S;");
    }
    EXPECT_TRUE(w.errors.empty());
    const QStringList files = QDir(folder).entryList(QDir::Files);
    EXPECT_EQ(files.size(), row.copies) << files.join(" ").toStdString();
    if (row.copies == 0 || files.size() != 1) continue;

    const QByteArray b = ReadAll(folder + "/" + files[0]);
    EXPECT_EQ(b.size(), 1024 + 4 * row.channels);
    if (b.size() != 1024 + 4 * row.channels) continue;
    EXPECT_EQ(I16(b, kChannelSizeAt), row.channels);
    EXPECT_EQ(I32(b, kPresetAt), row.preset);
    EXPECT_EQ(I32(b, kRealAt), row.real);
    std::int64_t total = 0;
    int differ = 0;
    for (int ch = 0; ch < row.channels; ++ch) {
      const std::int32_t count = I32(b, kCountsAt + 4 * ch);
      total += count;
      differ += count != s.spectrumCounts[ch];
    }
    EXPECT_EQ(total, row.total);
    EXPECT_EQ(differ, 0);  // channel by channel what the window shows
    const QRegularExpression name(QString(R"(^\d{8}-\d{6}-%1\.dat$)").arg(row.kind));
    EXPECT_TRUE(name.match(files[0]).hasMatch()) << files[0].toStdString();
    // An MCA run's copy is named by the start the header records.
    if (std::string(row.kind) == "mca") {
      EXPECT_EQ(files[0], QString::asprintf("%04d%02d%02d-%02d%02d%02d-mca.dat", I16(b, kYearAt),
                                            I16(b, kMonthAt), I16(b, kDayAt), I16(b, kHourAt),
                                            I16(b, kMinuteAt), I16(b, kSecondAt)));
      EXPECT_EQ(std::memcmp(b.constData() + kYearAt, s.currentHeader.data() + kYearAt, 14), 0);
    }
  }
}

TEST_F(RecoveryWindowTest, AStartDuringARunKeepsTheRunItSupersedes) {
  const QString folder = UseDataFolder("data");
  RunWindow w;
  w.Open();
  QTest::mouseClick(w.form->McaStart, Qt::LeftButton);
  w.AdvanceMs(2000);
  w.Tick();
  // Scans started over the MCA run: its 2000 counts are kept before they are read over.
  QTest::mouseClick(w.form->SxfmStart, Qt::LeftButton);
  ASSERT_EQ(w.State().mcaMode, 0);
  const QStringList files = QDir(folder).entryList(QDir::Files);
  ASSERT_EQ(files.size(), 1);
  EXPECT_TRUE(files[0].endsWith("-mca.dat"));
  const QByteArray b = ReadAll(folder + "/" + files[0]);
  ASSERT_EQ(b.size(), 1024 + 4 * 4096);
  std::int64_t total = 0;
  for (int ch = 0; ch < 4096; ++ch) total += I32(b, kCountsAt + 4 * ch);
  EXPECT_EQ(total, 2000);
  EXPECT_EQ(I32(b, kRealAt), 20);
  // Aborted before a scan finished: the scans leave nothing more.
  QTest::mouseClick(w.form->SxfmStop, Qt::LeftButton);
  EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1);
}

TEST_F(RecoveryWindowTest, ACopyThatCannotBeWrittenChangesNothingOnTheScreen) {
  // The data folder would have to be made inside a plain file.
  WriteAll(dir.filePath("plain-file"), "x");
  for (End end : {End::Preset, End::Stop, End::Unplug, End::ScanAbort, End::ScanUnplug}) {
    SCOPED_TRACE(static_cast<int>(end));
    const QString folder = UseDataFolder("ok");
    RunWindow written;
    written.Run(end);
    ASSERT_EQ(QDir(folder).entryList(QDir::Files).size(), 1);
    ASSERT_TRUE(QDir(dir.filePath("ok")).removeRecursively());

    qputenv("XDG_DATA_HOME", dir.filePath("plain-file/data").toLocal8Bit());
    RunWindow failed;
    failed.Run(end);
    for (int f = 0; f < static_cast<int>(Field::Count); ++f)
      EXPECT_EQ(failed.form->Text(Field(f)), written.form->Text(Field(f))) << "field " << f;
    EXPECT_EQ(failed.form->windowTitle(), written.form->windowTitle());
    EXPECT_TRUE(failed.State().paintBox == written.State().paintBox);
    EXPECT_STREQ(failed.State().dataFileName, written.State().dataFileName);
    EXPECT_EQ(failed.State().acquiring, written.State().acquiring);
    EXPECT_TRUE(failed.errors.empty());
    EXPECT_EQ(ReadAll(dir.filePath("plain-file")), "x");
  }
}

}  // namespace
}  // namespace tavlex::test
