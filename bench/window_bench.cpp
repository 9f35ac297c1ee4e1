// One polling tick of a 4096-channel MCA run in the real main window, with the paint that shows
// it: the tick reads the 32 blocks and the status block from the simulated analyser on a manual
// clock, then the paint box is painted, in the normal and in the large layout. The counter
// "compositions/tick" is how often the plot was composed per tick: every composition ends with
// one copy into the paint box, which the window hears as PaintBoxChanged, and nothing else in a
// tick copies.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWindow>

#include "bench/LongMcaRun.h"
#include "link/SimAnalyser.h"
#include "ui/MainWindow.h"
#include "ui/PaintBox.h"

namespace tavlex {
namespace {

class CountingForm : public TForm1 {
 public:
  using TForm1::TForm1;
  void PaintBoxChanged() override {
    ++changes;
    TForm1::PaintBoxChanged();
  }
  long changes = 0;
};

// Lets the toolkit deliver what it owes the window until `done`, for at most two seconds.
template <typename Done>
bool Settle(Done done) {
  for (int i = 0; i < 200 && !done(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

// Shows the window, then maximizes it for the large layout (the window's first resize only
// notes that it was seen); a paint reaches the paint box only once the window is exposed.
bool ShowInLayout(CountingForm& form, bool large) {
  form.show();
  const AppState& s = form.State();
  auto exposed = [&] { return form.windowHandle() && form.windowHandle()->isExposed(); };
  if (!Settle([&] { return s.resizeSeen == 1 && exposed(); })) return false;
  if (large) {
    form.showMaximized();
    if (!Settle([&] { return s.plotBitmap.width() == 1024 && exposed(); })) return false;
  }
  QApplication::processEvents();
  return true;
}

void WindowTick(benchmark::State& state, bool large) {
  ManualClock clock;
  SimConfig config;
  config.clock = &clock;
  SimDriver driver(config);
  CountingForm form(driver, clock);
  if (!ShowInLayout(form, large)) state.SkipWithError("layout not reached");
  LinkContext c{form.State(), form, driver, clock};
  StartLongMcaRun(state, c);
  clock.AdvanceMs(100);
  form.Timer1Timer();  // the first tick and paint warm the glyph cache
  form.PaintBox1->repaint();
  form.changes = 0;
  for (auto _ : state) {
    clock.AdvanceMs(100);  // 1500 new events at 15 kcps, counted by the analyser
    form.Timer1Timer();
    form.PaintBox1->repaint();
  }
  CheckStillRunning(state, form.State());
  state.counters["compositions/tick"] = benchmark::Counter(static_cast<double>(form.changes) /
                                                           static_cast<double>(state.iterations()));
}

BENCHMARK_CAPTURE(WindowTick, Normal, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WindowTick, Large, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavlex
