// Opening the cross window ("クロス分析") on the largest year the program
// holds (12 months of 499 tickets, every category in use) against an empty
// year: the table of 券種 × 馬場 is computed while the window is built.

#include <benchmark/benchmark.h>

#include <memory>

#include "bench_data.h"
#include "cross/cross_window.h"
#include "detail/month_transfer.h"
#include "open_window.h"
#include "silent_messages.h"
#include "state/data_session.h"

namespace {

using namespace tamrel;

// The full year's tickets stored day by day, as the ticket window stores them.
void storeFullYear(DataSession& session) {
  const auto store = std::make_unique<TicketStore>(bench::fullTickets());
  DayTicketList list;
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= 31; ++d) {
      if (loadDayTickets(*store, m, d, list) != TransferResult::Ok ||
          session.storeDayTickets(m, d, list) != TransferResult::Ok) {
        std::abort();
      }
    }
  }
}

void BM_OpenCrossWindow(benchmark::State& bench, bool full) {
  DataSession session;
  if (full) storeFullYear(session);
  bench::SilentMessages messages;
  // What 表示 → クロス分析 does, up to the window painted in the work area.
  bench::timeOpening(bench, [&] { return new CrossWindow(session, messages); });
  if (messages.shown != 0) bench.SkipWithError("a message was shown");
  bench.counters["tickets"] = full ? 12 * kMaxMonthTickets : 0;
}
BENCHMARK_CAPTURE(BM_OpenCrossWindow, empty_year, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenCrossWindow, full_year, true)->Unit(benchmark::kMillisecond);

}  // namespace
