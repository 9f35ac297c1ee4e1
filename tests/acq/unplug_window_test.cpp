// The analyser's cable pulled at every moment of the window's work: idle (Start, a click in the
// plot, ROI ON), during an MCA run (ticks, zoom) and a scan, at setup OK, at "MCA" among the
// memories, and while the setup dialog, Load Std and MLSQ Fit hold the window in their dialogs
// with the run's ticks going on. No operation waits longer than the link's time-out, the counts
// on screen stay, and after plugging in and "OpenMCA" a new run works without restarting.

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <algorithm>
#include <cctype>
#include <numeric>

#include "acq/Acquisition.h"
#include "display/Plot.h"
#include "tests/acq/AcqFixture.h"
#include "tests/standards/StdFiles.h"
#include "ui/PaintBox.h"
#include "ui/ScanSetupDialog.h"
#include "ui/StandardsEditor.h"

namespace tavlex::test {
namespace {

enum class Moment {
  Idle,        // Start clicked
  IdleCursor,  // a click in the plot, which sends the cursor
  IdleRoi,     // ROI #2 switched on, which sends the hardware window
  McaRun,      // the ticks
  RunExpand,   // "<< >>" during a run, which asks the analyser to zoom
  ScanRun,
  SetupOk,
  SetupInRun,  // the setup dialog open during a run, the run's ticks going on, then OK
  McaMemory,
  LoadStd,
  MlsqFit,
};

struct UnplugCase {
  const char* name;
  Moment moment;
  // Null: the cable is out before the action; else it goes once this frame has been written.
  const char* afterFrame;
  bool lost;          // a run was going and has ended on the lost link
  const char* edit1;  // the status box afterwards
  int freshBlocks;    // blocks read from the analyser before the cable went
};

constexpr const char* kLost = kLinkLostMessage;

void PrintTo(const UnplugCase& k, std::ostream* os) {
  *os << k.name;
}

const UnplugCase kCases[] = {
    {"idle, Start", Moment::Idle, nullptr, false, "Status", 0},
    {"idle, Start written", Moment::Idle, "$G;", false, "Status", 0},
    {"idle, a click in the plot", Moment::IdleCursor, nullptr, false, "Status", 0},
    {"idle, ROI on", Moment::IdleRoi, nullptr, false, "Status", 0},
    {"MCA run between ticks", Moment::McaRun, nullptr, true, kLost, 0},
    {"MCA run, expand", Moment::RunExpand, nullptr, true, kLost, 0},
    {"MCA run amid the blocks", Moment::McaRun, "$R5;", true, kLost, 4},
    {"MCA run at the status", Moment::McaRun, "$R0;", true, kLost, 32},
    {"scan run between ticks", Moment::ScanRun, nullptr, true, kLost, 0},
    {"scan run at the status", Moment::ScanRun, "$R0;", true, kLost, 0},
    {"scan run at a finished scan", Moment::ScanRun, "$R1;", true, kLost, 0},
    // The preset frame is shown as it goes out, whether or not it arrives.
    {"setup OK", Moment::SetupOk, nullptr, false, "$P100;", 0},
    {"setup OK, preset written", Moment::SetupOk, "$P100;", false, "$P100;", 0},
    {"setup OK during a run", Moment::SetupInRun, nullptr, true, "$P100;", 0},
    {"MCA memory", Moment::McaMemory, nullptr, false, "Status", 0},
    {"MCA memory amid the blocks", Moment::McaMemory, "$R5;", false, "Status", 4},
    // Load Std's count comes after the line of the tick that lost the link.
    {"Load Std during a run", Moment::LoadStd, nullptr, true, "1", 0},
    {"MLSQ Fit during a run", Moment::MlsqFit, nullptr, true, kLost, 0},
    {"MLSQ Fit amid the blocks", Moment::MlsqFit, "$R5;", true, kLost, 4},
};

// 4096 channels on the 512 columns of the plot: 8 channels, so 16 columns, to a block of 128.
constexpr int kColumnsPerBlock = 16;
constexpr int kPlotColumns = 512;

class UnplugTest : public AcqWindowTest, public ::testing::WithParamInterface<UnplugCase> {
 protected:
  UnplugTest() {
    // A link that takes a millisecond per reply, so that every operation takes link time.
    driver.SetLinkDelayUs(1000);
    form->SetDataModule(folder.dm.get());
    form->SetFileChooser([this](QFileDialog&) -> std::optional<QString> {
      InsideDialog();
      return folder.PathOf("fe.ref");
    });
    // One standard, Fe, on channels 900 to 999 of its own spectrum file.
    folder.WriteDat("fe.dat", Peak(4096, 950, 1000, 12));
    folder.Write("fe.ref", RefBytes({{0, RefSlot{"fe.dat", "Fe", 1, 900, 1000}}}));
  }

  void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
  // One operation on the link clock; the longest any single one took is kept. Ticks that run
  // while the operation's dialog is open count on their own, not as part of it.
  void Operation(const std::function<void()>& op) {
    const std::int64_t t0 = clock.Peek(), nestedBefore = nestedUs;
    op();
    const std::int64_t total = clock.Peek() - t0;
    longestUs = std::max(longestUs, total - (nestedUs - nestedBefore));
    nestedUs = nestedBefore + total;
  }
  // Timer ticks 100 ms apart, as long as the timer runs (at most `n`).
  void Ticks(int n) {
    for (int i = 0; i < n && form->TimerEnabled(); ++i) {
      AdvanceMs(100);
      nestedUs += 100'000;  // the timer's interval is no part of an operation around the ticks
      Operation([this] { Tick(); });
    }
  }
  void PullCable(const char* afterFrame) {
    if (afterFrame)
      driver.UnplugAfterFrame(afterFrame);
    else
      driver.Unplug();
  }
  // What Load Std's and MLSQ Fit's table dialog sees: the cable goes while it is open, and the
  // run's timer keeps ticking meanwhile.
  void InsideDialog() {
    const UnplugCase& k = GetParam();
    if (k.moment != Moment::LoadStd && k.moment != Moment::MlsqFit) return;
    PullCable(k.afterFrame);
    Ticks(5);
  }
  void StartMcaRun() {
    Click(form->McaClear);
    Click(form->McaStart);
    ASSERT_EQ(s().acquiring, 1);
  }
  void RunToThePreset() {
    StartMcaRun();
    for (int i = 0; i < 200 && s().acquiring == 1; ++i) {
      AdvanceMs(100);
      Tick();
    }
  }
  void StartScans() {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<TSXFMSetUp*>(QApplication::activeModalWidget());
      ASSERT_NE(d, nullptr);
      seen = true;
      d->MemSize512->setChecked(true);
      d->SXFMPreSetTime->setText("10");
      Click(d->OkButton);
    });
    Click(form->Button7);
    ASSERT_TRUE(seen);
    Click(form->SxfmStart);
    ASSERT_EQ(s().acquiring, 1);
    for (int i = 0; i < 30 && s().scanCount == 0; ++i) {
      AdvanceMs(100);
      Tick();
    }
    ASSERT_GE(s().scanCount, 1);
  }
  // Brings the window to the moment: counts on screen, and a run going where there is one.
  void Prepare(Moment m) {
    Open();
    Setup([](TXMCA1SetUp& d) { d.PresetRT->setText("10.0"); });
    switch (m) {
      case Moment::Idle:
      case Moment::IdleCursor:
      case Moment::IdleRoi:
      case Moment::SetupOk:
      case Moment::McaMemory:
        RunToThePreset();
        ASSERT_EQ(s().acquiring, 0);
        break;
      case Moment::McaRun:
      case Moment::RunExpand:
      case Moment::SetupInRun:
      case Moment::LoadStd:
      case Moment::MlsqFit:
        StartMcaRun();
        for (int i = 0; i < 20; ++i) {
          AdvanceMs(100);
          Tick();
        }
        break;
      case Moment::ScanRun:
        StartScans();
        break;
    }
  }
  void Act(Moment m) {
    switch (m) {
      case Moment::Idle:
        Operation([this] { Click(form->McaStart); });
        break;
      case Moment::IdleCursor:
        Operation([this] {
          QTest::mouseClick(form->PaintBox1, Qt::LeftButton, Qt::NoModifier, QPoint(118, 100));
        });
        EXPECT_EQ(s().cursorChannel, 800);  // 100 columns of 8 channels into the plot
        break;
      case Moment::IdleRoi:
        form->ROINoSelect->setCurrentIndex(2);
        emit form->ROINoSelect->activated(2);
        form->EditROILow->setText("100");
        form->EditROIHigh->setText("120");
        Operation([this] { form->ROIOnCheck->click(); });
        EXPECT_EQ(s().roiTable[2].shown, 1);
        break;
      case Moment::RunExpand: {
        const int start = s().viewStart, end = s().viewEnd;
        Operation([this] { Click(form->Expand); });
        // The analyser owns the view during a run: without its answer nothing changes.
        EXPECT_EQ(s().viewStart, start);
        EXPECT_EQ(s().viewEnd, end);
        break;
      }
      case Moment::McaRun:
      case Moment::ScanRun:
        break;
      case Moment::SetupOk:
        Operation([this] { Setup([](TXMCA1SetUp& d) { d.PresetRT->setText("10.0"); }); });
        break;
      case Moment::SetupInRun:
        Operation([this] {
          Setup([this](TXMCA1SetUp& d) {
            PullCable(GetParam().afterFrame);
            Ticks(5);
            d.PresetRT->setText("10.0");
          });
        });
        break;
      case Moment::McaMemory:
        Operation([this] { Click(form->McaMem); });
        break;
      case Moment::LoadStd:
        Operation([this] { Click(form->LoadStd); });
        EXPECT_EQ(s().roiTable[0].defined, 1);  // the table was loaded all the same
        break;
      case Moment::MlsqFit: {
        bool editor = false;
        QTimer::singleShot(0, [&] {
          auto* d = qobject_cast<TEditStd*>(QApplication::activeModalWidget());
          if (!d) return;
          editor = true;
          Click(d->EditOk);
        });
        Operation([this] { Click(form->MLSQfit); });
        QApplication::processEvents();
        EXPECT_TRUE(editor);
        break;
      }
    }
  }
  void ReopenAndRunToThePreset() {
    // "OpenMCA" with the cable still out says so; plugged in, the next one opens.
    Operation([this] { Click(form->McaOpen); });
    EXPECT_EQ(form->Text(Field::Edit2), "Error");
    driver.Plug();
    Click(form->McaOpen);
    EXPECT_EQ(form->Text(Field::Edit2), "1");
    EXPECT_EQ(driver.OpenHandles(), 1);  // the dead handle was given back
    RunToThePreset();
    EXPECT_EQ(s().acquiring, 0);
    EXPECT_EQ(s().linkFailed, 0);
    EXPECT_EQ(s().realTime, 100);
    ASSERT_EQ(s().channelSize, 4096);
    // 1000 counts per second for the 10.0 s preset, every one of them on the host.
    EXPECT_EQ(std::accumulate(s().spectrumCounts, s().spectrumCounts + 4096, std::int64_t{0}),
              10000);
    for (int ch = 0; ch < 4096; ++ch)
      ASSERT_EQ(s().spectrumCounts[ch], static_cast<std::int32_t>(sim().Count(ch))) << ch;
  }

  StdFolder folder;
  std::int64_t longestUs = 0, nestedUs = 0;
};

TEST_P(UnplugTest, NoWaitBeyondTheTimeOutCountsKeptAndARunAfterReopening) {
  const UnplugCase& k = GetParam();
  Prepare(k.moment);
  if (HasFatalFailure()) return;
  form->Edit1->setText("Status");
  // The spectrum as the repaint draws it before the cable goes (during a scan the screen shows
  // the analyser's trace instead, and this again once the scan has ended).
  tavlex::DrawSpectrum(s(), *form);
  const std::vector<std::int32_t> counts(s().spectrumCounts, s().spectrumCounts + 4096);
  const std::vector<std::int32_t> tops(s().columnTop, s().columnTop + kPlotColumns);
  const std::vector<std::int32_t> bottoms(s().columnBottom, s().columnBottom + kPlotColumns);
  const bool inDialog =
      k.moment == Moment::LoadStd || k.moment == Moment::MlsqFit || k.moment == Moment::SetupInRun;
  if (!inDialog) PullCable(k.afterFrame);

  Act(k.moment);
  Ticks(20);

  // The link's read time-out, the margin of one operation and the brief last stop.
  const std::int64_t boundUs =
      (static_cast<std::int64_t>(driver.ReadTimeoutMs()) + kOperationMarginMs + kBriefStopMs) *
      1000;
  EXPECT_EQ(driver.ReadTimeoutMs(), 3000u);
  EXPECT_LE(longestUs, boundUs);
  EXPECT_FALSE(driver.Plugged());
  EXPECT_EQ(s().acquiring, 0);
  EXPECT_FALSE(form->TimerEnabled());
  EXPECT_EQ(s().linkFailed, k.lost ? 1 : 0);
  EXPECT_EQ(form->Edit1->text().toStdString(), k.edit1);
  EXPECT_TRUE(errors.empty());

  // Blocks read before the cable went hold the analyser's counts of the moment they were read:
  // no fewer than were shown, no more than it has now. Every other channel, and the columns
  // drawn from them, are as they were.
  const int fresh = k.freshBlocks * kBlockChannels;
  for (int ch = 0; ch < 4096; ++ch) {
    const std::int32_t shown = counts[std::size_t(ch)], now = s().spectrumCounts[ch];
    if (ch >= fresh) {
      ASSERT_EQ(now, shown) << ch;
    } else {
      ASSERT_GE(now, shown) << ch;
      ASSERT_LE(now, static_cast<std::int32_t>(sim().Count(ch))) << ch;
    }
  }
  if (fresh > 0 && k.lost) {
    // The run went on meanwhile: the blocks were read afresh.
    EXPECT_GT(std::accumulate(s().spectrumCounts, s().spectrumCounts + fresh, std::int64_t{0}),
              std::accumulate(counts.begin(), counts.begin() + fresh, std::int64_t{0}));
  }
  if (k.freshBlocks > 0) {
    ASSERT_EQ(s().viewStart, 0);
    ASSERT_EQ(s().viewEnd, 4095);
  }
  for (int x = std::min(k.freshBlocks * kColumnsPerBlock, kPlotColumns); x < kPlotColumns; ++x) {
    ASSERT_EQ(s().columnTop[x], tops[std::size_t(x)]) << x;
    ASSERT_EQ(s().columnBottom[x], bottoms[std::size_t(x)]) << x;
  }

  ReopenAndRunToThePreset();
  EXPECT_LE(longestUs, boundUs);
}

INSTANTIATE_TEST_SUITE_P(Moments, UnplugTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<UnplugCase>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p)
                             if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                           return name;
                         });

}  // namespace
}  // namespace tavlex::test
