// Shared main of the benchmarks: the repaint draws text, which needs the toolkit's fonts, and the
// window benchmark needs widgets, so a QApplication on the offscreen platform runs around every
// benchmark program.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
