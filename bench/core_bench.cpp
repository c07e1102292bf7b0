// Timings of the core's heavy paths on files of the largest size the program
// produces: the 385-line ledger with every slot filled and the 5,989-line
// ticket file (header and 499 tickets in each month).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "analysis/category_totals.h"
#include "bench_ledger.h"
#include "detail/detail_file.h"
#include "detail/month_transfer.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_init.h"
#include "ledger/ledger_records.h"

namespace {

using namespace tamrel;
using namespace tamrel::bench;
namespace fs = std::filesystem;

fs::path benchDir() {
  static const fs::path dir =
      fs::temp_directory_path() / ("tamrel_bench_" + std::to_string(::getpid()));
  return dir;
}
fs::path ledgerPath() { return benchDir() / "tosidata.dat"; }
fs::path ticketPath() { return benchDir() / "info.dat"; }

// 499 tickets of 16 per day in every month.
TicketStore fullTickets() {
  TicketStore store;
  clearTickets(store);
  for (int m = 1; m <= 12; ++m) {
    MonthTickets& month = store.month(m);
    for (int i = 0; i < kMaxMonthTickets; ++i) {
      TicketRecord r = newTicket(m, i / 16 + 1);
      const auto code = [&r](TicketField f, char c) { r.setField(f, std::string_view(&c, 1)); };
      code(TicketField::Racecourse, static_cast<char>('1' + i % 9));
      code(TicketField::RaceNo, static_cast<char>('1' + i % 9));
      code(TicketField::Weekday, static_cast<char>('1' + i % 3));
      code(TicketField::Surface, static_cast<char>('1' + i % 3));
      code(TicketField::DistanceBand, static_cast<char>('1' + i % 4));
      code(TicketField::RaceClass, static_cast<char>('1' + i % 9));
      setAmountField(r, TicketField::Purchase, 100 * (i % 50 + 1));
      setAmountField(r, TicketField::Payout, i % 5 == 0 ? 1500 * (i % 7 + 1) : 0);
      code(TicketField::BetType, static_cast<char>('1' + i % 7));
      code(TicketField::AgeGroup, static_cast<char>('1' + i % 4));
      code(TicketField::Condition, static_cast<char>('0' + i % 3));
      code(TicketField::RunnersBand, static_cast<char>('1' + i % 4));
      month.slot(i) = r;
    }
    month.count = kMaxMonthTickets;
    month.slot(kMaxMonthTickets).markBlank();
  }
  return store;
}

void BM_LoadLedger(benchmark::State& state) {
  YearLedger ledger;
  for (auto _ : state) {
    const LoadCode code = loadLedger(ledger, ledgerPath());
    benchmark::DoNotOptimize(code);
    if (code != LoadCode::Ok) state.SkipWithError("ledger load failed");
  }
}
BENCHMARK(BM_LoadLedger)->Unit(benchmark::kMicrosecond);

void BM_LoadTickets(benchmark::State& state) {
  static TicketStore store;
  for (auto _ : state) {
    const LoadCode code = loadTickets(store, ticketPath());
    benchmark::DoNotOptimize(code);
    if (code != LoadCode::Ok) state.SkipWithError("ticket load failed");
  }
  state.counters["lines"] = 1 + 12 * kMaxMonthTickets;
}
BENCHMARK(BM_LoadTickets)->Unit(benchmark::kMicrosecond);

// What start-up does: both files, one after the other.
void BM_LoadBoth(benchmark::State& state) {
  YearLedger ledger;
  static TicketStore store;
  for (auto _ : state) {
    const LoadCode a = loadLedger(ledger, ledgerPath());
    const LoadCode b = loadTickets(store, ticketPath());
    if (a != LoadCode::Ok || b != LoadCode::Ok) state.SkipWithError("load failed");
  }
}
BENCHMARK(BM_LoadBoth)->Unit(benchmark::kMicrosecond);

void BM_TicketFileText(benchmark::State& state) {
  static const TicketStore store = fullTickets();
  for (auto _ : state) benchmark::DoNotOptimize(ticketFileText(store));
}
BENCHMARK(BM_TicketFileText)->Unit(benchmark::kMicrosecond);

void BM_SaveLedger(benchmark::State& state) {
  static const YearLedger ledger = fullLedger();
  const fs::path path = benchDir() / "save_tosidata.dat";
  for (auto _ : state) {
    if (saveLedger(ledger, path) != SaveResult::Ok) state.SkipWithError("ledger save failed");
  }
}
BENCHMARK(BM_SaveLedger)->Unit(benchmark::kMicrosecond);

void BM_SaveTickets(benchmark::State& state) {
  static const TicketStore store = fullTickets();
  const fs::path path = benchDir() / "save_info.dat";
  for (auto _ : state) {
    if (saveTickets(store, path) != SaveResult::Ok) state.SkipWithError("ticket save failed");
  }
}
BENCHMARK(BM_SaveTickets)->Unit(benchmark::kMicrosecond);

// One confirmed day: alternating between two sets of amounts so that every
// post changes the day, its month and the year.
void BM_PostDay(benchmark::State& state) {
  YearLedger ledger = fullLedger();
  BetAmounts baseline = amountsFor(6, 15);
  const BetAmounts values[2] = {amountsFor(7, 20), amountsFor(6, 15)};
  int flip = 0;
  for (auto _ : state) {
    if (postDay(ledger, baseline, 6, 15, values[flip]) != PostResult::Ok) {
      state.SkipWithError("post failed");
    }
    flip ^= 1;
  }
}
BENCHMARK(BM_PostDay);

// Confirming a day of 16 tickets in a month already at 499.
void BM_StoreDayTicketsFullMonth(benchmark::State& state) {
  static TicketStore store = fullTickets();
  DayTicketList list;
  if (loadDayTickets(store, 8, 10, list) != TransferResult::Ok) std::abort();
  for (auto _ : state) {
    if (storeDayTickets(store, 8, 10, list) != TransferResult::Ok) {
      state.SkipWithError("store refused");
    }
  }
  state.counters["month"] = store.month(8).count;
}
BENCHMARK(BM_StoreDayTicketsFullMonth);

void BM_LoadDayTicketsFullMonth(benchmark::State& state) {
  static const TicketStore store = fullTickets();
  DayTicketList list;
  for (auto _ : state) {
    benchmark::DoNotOptimize(loadDayTickets(store, 8, 10, list));
  }
}
BENCHMARK(BM_LoadDayTicketsFullMonth);

// What loading the analysis window computes: all nine dimensions over
// 12 x 499 tickets.
void BM_ComputeAllCategoryTotals(benchmark::State& state) {
  static const TicketStore store = fullTickets();
  static CategoryTotals totals;
  for (auto _ : state) {
    if (!computeAllCategoryTotals(totals, store)) state.SkipWithError("overflow");
    benchmark::DoNotOptimize(totals);
  }
  state.counters["tickets"] = 12 * kMaxMonthTickets;
}
BENCHMARK(BM_ComputeAllCategoryTotals)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  fs::create_directories(benchDir());
  if (saveLedger(fullLedger(), ledgerPath()) != SaveResult::Ok ||
      saveTickets(fullTickets(), ticketPath()) != SaveResult::Ok) {
    std::fprintf(stderr, "cannot write the benchmark files in %s\n", benchDir().c_str());
    return 1;
  }
  std::printf("ledger file: %ju bytes, ticket file: %ju bytes\n",
              static_cast<std::uintmax_t>(fs::file_size(ledgerPath())),
              static_cast<std::uintmax_t>(fs::file_size(ticketPath())));

  benchmark::Initialize(&argc, argv);
  int status = 0;
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    status = 1;
  } else {
    benchmark::RunSpecifiedBenchmarks();
  }
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(benchDir(), ec);
  return status;
}
