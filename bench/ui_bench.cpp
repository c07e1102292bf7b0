// Timings of the windows, on the offscreen platform unless another one is
// chosen: each window's cases sit in a file of their own and register
// themselves; this file only starts the application and runs them.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "widgets/look.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tamrel::setUpJapaneseApplication(app);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
