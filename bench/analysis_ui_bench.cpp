// Opening the analysis window ("統計分析") on the largest year the program
// holds (12 months of 499 tickets, every category in use) against an empty
// year: the nine dimensions are computed while the window loads.

#include <benchmark/benchmark.h>

#include <memory>

#include "bench_data.h"
#include "open_window.h"
#include "silent_messages.h"
#include "state/data_session.h"
#include "stats/analysis_window.h"
#include "store/app_state.h"
#include "support/session_access.h"
#include "widgets/messages.h"

namespace {

using namespace tamrel;

using bench::SilentMessages;

void BM_OpenAnalysisWindow(benchmark::State& bench, bool full) {
  DataSession session;
  AppState& state = DataSessionTestAccess::state(session);
  clearTickets(state.tickets);
  if (full) bench::fillTickets(state.tickets);
  SilentMessages messages;
  // What 統計分析 does, up to the window painted in the work area.
  bench::timeOpening(bench, [&] { return new AnalysisWindow(session, messages); });
  bench.counters["tickets"] = full ? 12 * kMaxMonthTickets : 0;
}
BENCHMARK_CAPTURE(BM_OpenAnalysisWindow, empty_year, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenAnalysisWindow, full_year, true)->Unit(benchmark::kMillisecond);

}  // namespace
