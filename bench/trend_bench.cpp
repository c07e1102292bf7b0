// 収支推移: the trend figures of a full year (every day slot a racing day),
// and the window built on a full year against an empty one. The window's
// cost must not grow with the year: its calendar and curve draw the days,
// they do not make an item of each.

#include <benchmark/benchmark.h>

#include <QStandardPaths>

#include "analysis/trend.h"
#include "bench_data.h"
#include "silent_messages.h"
#include "state/data_session.h"
#include "support/session_access.h"
#include "trend/trend_window.h"

namespace {

using namespace tamrel;

void BM_TrendFigures(benchmark::State& state) {
  const auto ledger = std::make_unique<YearLedger>(bench::fullLedger());
  for (auto _ : state) {
    TrendFigures figures = computeTrend(*ledger);
    benchmark::DoNotOptimize(figures);
  }
  state.SetLabel("full year");
}
BENCHMARK(BM_TrendFigures)->Unit(benchmark::kMicrosecond);

// Argument 0: an empty year; 1: every day slot posted.
void BM_TrendWindowOpen(benchmark::State& state) {
  // The remembered year is read from a settings file of its own.
  QStandardPaths::setTestModeEnabled(true);
  DataSession session;
  if (state.range(0) == 1) {
    bench::fillLedger(DataSessionTestAccess::state(session).ledger);
  } else {
    session.resetYear();
  }
  bench::SilentMessages messages;
  for (auto _ : state) {
    TrendWindow window(session, messages);
    benchmark::DoNotOptimize(&window);
  }
  if (messages.shown != 0) state.SkipWithError("a message was shown");
  state.SetLabel(state.range(0) == 1 ? "full year" : "empty year");
}
BENCHMARK(BM_TrendWindowOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
