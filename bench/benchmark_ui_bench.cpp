// Opening 運か実力か on the largest year the program holds (12 months of
// 499 tickets), the bootstrap of every group and of 合計 included, beside
// the cross window on the same year (cross_ui_bench.cpp): the target is at
// most five times the cross window's time.

#include <benchmark/benchmark.h>

#include <memory>

#include "bench_data.h"
#include "benchmark/benchmark_window.h"
#include "open_window.h"
#include "silent_messages.h"
#include "state/data_session.h"
#include "support/session_access.h"

namespace {

using namespace tamrel;

void BM_OpenBenchmarkWindow(benchmark::State& bench) {
  DataSession session;
  DataSessionTestAccess::state(session).tickets = bench::fullTickets();
  bench::SilentMessages messages;
  bench::timeOpening(bench, [&] { return new BenchmarkWindow(session, messages); });
  if (messages.shown != 0) bench.SkipWithError("a message was shown");
  bench.counters["tickets"] = 12 * kMaxMonthTickets;
}
BENCHMARK(BM_OpenBenchmarkWindow)->Unit(benchmark::kMillisecond);

// The engine alone, for the share of the bootstrap in the opening.
void BM_ComputeBenchmark(benchmark::State& bench) {
  const auto tickets = std::make_unique<TicketStore>(bench::fullTickets());
  for (auto _ : bench) {
    benchmark::DoNotOptimize(computeBenchmark(*tickets, CrossDimension::BetType, 2026));
  }
}
BENCHMARK(BM_ComputeBenchmark)->Unit(benchmark::kMillisecond);

}  // namespace
