// Timings of the core's heavy paths on files of the largest size the program
// produces: the 385-line ledger with every slot filled and the 5,989-line
// ticket file (header and 499 tickets in each month). After the timings it
// prints how far loading both files is from reading their bytes raw, and the
// peak memory of a start-up on the largest files against smaller ones.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "analysis/category_totals.h"
#include "analysis/cross_totals.h"
#include "analysis/ticket_filter.h"
#include "analysis/year_summary.h"
#include "bench_data.h"
#include "detail/detail_file.h"
#include "detail/month_transfer.h"
#include "detail/ticket_records.h"
#include "import/import_engine.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_init.h"
#include "ledger/ledger_records.h"
#include "report/reports.h"
#include "store/app_state.h"
#include "store/data_files.h"

extern char** environ;

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

// 馬券一覧's filter alone on one keystroke: the words of its search box
// (one typed, then taken back) over the year's index, in the list's order,
// with the figures. Against BM_LoadTickets: the target is at most its time.
// The window's own keystroke, with the table and figures made ready and
// painted, is in tamrel_ui_bench.
void BM_FilterTicketsOnAKeystroke(benchmark::State& state) {
  static TicketStore full;
  fillTickets(full);
  const std::vector<TicketRow> rows = ticketRows(full);
  const TicketIndex index(rows);
  // The list's first order, by date: the rows' own.
  std::vector<int> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  TicketFilter filter;
  bool longer = false;
  for (auto _ : state) {
    filter.text = longer ? "中山 芝" : "中山 ";
    auto selection = index.select(filter, order);
    benchmark::DoNotOptimize(selection);
    longer = !longer;
  }
  state.counters["tickets"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_FilterTicketsOnAKeystroke)->Unit(benchmark::kMicrosecond);

// 取り込み of the same tickets as the tickets report writes them, as far as
// its preview: the text read, every row checked against an empty year.
// Against BM_LoadTickets: the target is at most three times its time.
struct ImportInput {
  TicketStore full;
  std::string report;
  YearLedger ledger;
  TicketStore empty;
  ImportInput() {
    fillTickets(full);
    report = ticketsReport(full, Period{}).csv;
    resetYear(ledger, empty);
  }
};

const ImportInput& importInput() {
  static const auto input = std::make_unique<ImportInput>();
  return *input;
}

bool importToPreview(const ImportInput& input) {
  auto plan = readImport(input.report, input.ledger, input.empty, 0);
  benchmark::DoNotOptimize(plan);
  return std::holds_alternative<ImportPlan>(plan);
}

void BM_ImportTicketsToPreview(benchmark::State& state) {
  const ImportInput& input = importInput();
  for (auto _ : state) {
    if (!importToPreview(input)) state.SkipWithError("import refused");
  }
  state.counters["rows"] = 12 * kMaxMonthTickets;
}
BENCHMARK(BM_ImportTicketsToPreview)->Unit(benchmark::kMicrosecond);

// The least any reader of that report must do, and no more: find each
// comma, quote and line end of the text, 16 bytes at a time, and note where
// it is. No field is read, no caption looked up, no row checked. Against
// BM_LoadTickets this is how near the import can come to the loader before
// it reads a single field: the loader copies fixed-width lines and looks for
// nothing.
std::size_t splitReport(const std::string& text, std::vector<std::uint32_t>& ends) {
  std::size_t n = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i lineEnd = _mm_set1_epi8('\n');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i found =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, comma), _mm_cmpeq_epi8(bytes, quote)),
                     _mm_cmpeq_epi8(bytes, lineEnd));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(found));
    for (; mask != 0; mask &= mask - 1) {
      ends[n++] = static_cast<std::uint32_t>(i + static_cast<std::size_t>(std::countr_zero(mask)));
    }
  }
#endif
  for (; i < text.size(); ++i) {
    if (text[i] == ',' || text[i] == '"' || text[i] == '\n')
      ends[n++] = static_cast<std::uint32_t>(i);
  }
  benchmark::DoNotOptimize(ends.data());
  return n;
}

void BM_ImportSplitFloor(benchmark::State& state) {
  const std::string& text = importInput().report;
  std::vector<std::uint32_t> ends(text.size());
  for (auto _ : state) benchmark::DoNotOptimize(splitReport(text, ends));
  state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ImportSplitFloor)->Unit(benchmark::kMicrosecond);

// What start-up does: both files, one after the other.
bool loadBoth(YearLedger& ledger, TicketStore& store) {
  const LoadCode a = loadLedger(ledger, ledgerPath());
  const LoadCode b = loadTickets(store, ticketPath());
  return a == LoadCode::Ok && b == LoadCode::Ok;
}

void BM_LoadBoth(benchmark::State& state) {
  YearLedger ledger;
  static TicketStore store;
  for (auto _ : state) {
    if (!loadBoth(ledger, store)) state.SkipWithError("load failed");
  }
}
BENCHMARK(BM_LoadBoth)->Unit(benchmark::kMicrosecond);

// The same bytes with nothing done to them: open, read into memory already
// there, close. No loader can beat this, so it is the yardstick for
// BM_LoadBoth.
void readRaw(const fs::path& path, std::vector<char>& buffer) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  std::size_t total = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data() + total, buffer.size() - total);
    if (n <= 0) break;
    total += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

struct RawBuffers {
  std::vector<char> ledger = std::vector<char>(fs::file_size(ledgerPath()) + 1);
  std::vector<char> tickets = std::vector<char>(fs::file_size(ticketPath()) + 1);
};

void readRawBoth(RawBuffers& buffers) {
  readRaw(ledgerPath(), buffers.ledger);
  readRaw(ticketPath(), buffers.tickets);
  benchmark::ClobberMemory();
}

void BM_ReadRawBoth(benchmark::State& state) {
  RawBuffers buffers;
  for (auto _ : state) readRawBoth(buffers);
}
BENCHMARK(BM_ReadRawBoth)->Unit(benchmark::kMicrosecond);

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

// What the cross window computes for each choice of two dimensions: one
// table over 12 x 499 tickets (券種 down, 馬場 across).
void BM_CrossTable(benchmark::State& state) {
  static const TicketStore store = fullTickets();
  for (auto _ : state) {
    const CrossTable table =
        computeCrossTable(store, CrossDimension::BetType, CrossDimension::Racecourse);
    if (table.overflowed) state.SkipWithError("overflow");
    benchmark::DoNotOptimize(table);
  }
  state.counters["tickets"] = 12 * kMaxMonthTickets;
}
BENCHMARK(BM_CrossTable)->Unit(benchmark::kMicrosecond);

// Every table a report of all pairs would hold: the 45 pairs of distinct
// dimensions and the 10 single ones.
void BM_CrossAllTables(benchmark::State& state) {
  static const TicketStore store = fullTickets();
  for (auto _ : state) {
    for (int r = 0; r < kCrossDimensionCount; ++r) {
      const auto rows = static_cast<CrossDimension>(r);
      benchmark::DoNotOptimize(computeCrossSingle(store, rows));
      for (int c = r + 1; c < kCrossDimensionCount; ++c) {
        benchmark::DoNotOptimize(computeCrossTable(store, rows, static_cast<CrossDimension>(c)));
      }
    }
  }
}
BENCHMARK(BM_CrossAllTables)->Unit(benchmark::kMicrosecond);

// Twenty year folders of the largest files, as the year comparison reads
// them: each folder loaded and summarised, against only loading them.
constexpr int kYearFolders = 20;
fs::path yearsDir() { return benchDir() / "years"; }

bool summariseTwenty() {
  std::error_code error;
  const std::vector<YearSummary> years = summariseYears(yearsDir(), error);
  benchmark::DoNotOptimize(years);
  return years.size() == kYearFolders && years.back().figures;
}

void BM_SummariseTwentyYears(benchmark::State& state) {
  for (auto _ : state) {
    if (!summariseTwenty()) state.SkipWithError("not read");
  }
}
BENCHMARK(BM_SummariseTwentyYears)->Unit(benchmark::kMicrosecond);

// What the summary adds to a load: the figures of one year of the largest
// files, from memory.
void BM_SummariseYear(benchmark::State& state) {
  static const YearLedger ledger = fullLedger();
  static const TicketStore store = fullTickets();
  for (auto _ : state) benchmark::DoNotOptimize(summariseYear(ledger, store));
}
BENCHMARK(BM_SummariseYear)->Unit(benchmark::kMicrosecond);

bool loadTwenty(YearLedger& ledger, TicketStore& tickets) {
  bool ok = true;
  for (int i = 0; i < kYearFolders; ++i) {
    const fs::path folder = yearsDir() / std::to_string(2000 + i);
    ok = loadLedger(ledger, folder / "tosidata.dat") == LoadCode::Ok &&
         loadTickets(tickets, folder / "info.dat") == LoadCode::Ok && ok;
  }
  return ok;
}

void BM_LoadTwentyYears(benchmark::State& state) {
  const auto ledger = std::make_unique<YearLedger>();
  const auto tickets = std::make_unique<TicketStore>();
  for (auto _ : state) {
    if (!loadTwenty(*ledger, *tickets)) state.SkipWithError("load failed");
  }
}
BENCHMARK(BM_LoadTwentyYears)->Unit(benchmark::kMicrosecond);

// Keeps the mean wall-clock and CPU time per iteration of every benchmark
// while the console reporter prints them, for the figures that compare two
// benchmarks.
class TimeKeeper : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double real = -1;
    double cpu = -1;
  };
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const Times t{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
      if (run.run_type == Run::RT_Iteration) times_[run.run_name.str()] = t;
      // With --benchmark_repetitions the median stands for the benchmark: on
      // a shared machine one repetition can be slowed by a neighbour.
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians_[run.run_name.str()] = t;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Times of `name` in its own unit; negative if it did not run.
  Times times(const std::string& name) const {
    for (const auto* kept : {&medians_, &times_}) {
      const auto it = kept->find(name);
      if (it != kept->end()) return it->second;
    }
    return {};
  }

 private:
  std::map<std::string, Times> times_;
  std::map<std::string, Times> medians_;
};

void printRatio(const TimeKeeper& keeper, const char* what, const char* name,
                const char* yardstick) {
  const TimeKeeper::Times load = keeper.times(name);
  const TimeKeeper::Times raw = keeper.times(yardstick);
  if (load.real <= 0 || raw.real <= 0) return;  // filtered out on the command line
  std::printf("\n%s:\n", what);
  std::printf("  wall clock %7.1f us against %6.1f us: ratio %.2f\n", load.real, raw.real,
              load.real / raw.real);
  std::printf("  CPU time   %7.1f us against %6.1f us: ratio %.2f\n", load.cpu, raw.cpu,
              load.cpu / raw.cpu);
}

// The same two figures measured the other way: the two alternate in short
// batches, many rounds, and the medians of each are compared. On a shared
// machine whose speed drifts from one second to the next, a ratio of two
// benchmarks run one after the other drifts with it; alternating keeps both
// sides under the same conditions.
struct Clocks {
  double wall = 0;  // microseconds
  double cpu = 0;
  static Clocks now() {
    timespec cpu{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    const auto wall = std::chrono::steady_clock::now().time_since_epoch();
    return {std::chrono::duration<double, std::micro>(wall).count(),
            static_cast<double>(cpu.tv_sec) * 1e6 + static_cast<double>(cpu.tv_nsec) / 1e3};
  }
};

template <typename Work>
Clocks timeBatch(Work& work, int times) {
  const Clocks start = Clocks::now();
  for (int i = 0; i < times; ++i) work();
  const Clocks end = Clocks::now();
  return {(end.wall - start.wall) / times, (end.cpu - start.cpu) / times};
}

double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

template <typename Work, typename Yardstick>
void printAlternating(const char* what, Work work, Yardstick yardstick) {
  constexpr int kRounds = 51;
  // Batches of about two milliseconds each.
  const int times = std::max(1, static_cast<int>(2000.0 / std::max(1.0, timeBatch(work, 3).wall)));
  std::vector<double> workWall, workCpu, yardWall, yardCpu;
  for (int r = 0; r < kRounds; ++r) {
    const Clocks a = timeBatch(work, times);
    const Clocks b = timeBatch(yardstick, times);
    workWall.push_back(a.wall);
    workCpu.push_back(a.cpu);
    yardWall.push_back(b.wall);
    yardCpu.push_back(b.cpu);
  }
  const double ww = median(workWall), wc = median(workCpu);
  const double yw = median(yardWall), yc = median(yardCpu);
  std::printf("\n%s, alternating (%d rounds, medians):\n", what, kRounds);
  std::printf("  wall clock %7.1f us against %6.1f us: ratio %.2f\n", ww, yw, ww / yw);
  std::printf("  CPU time   %7.1f us against %6.1f us: ratio %.2f\n", wc, yc, wc / yc);
}

void printAlternatingRatios(const TimeKeeper& keeper) {
  const auto ran = [&keeper](const char* name) { return keeper.times(name).real > 0; };
  if (ran("BM_LoadBoth") && ran("BM_ReadRawBoth")) {
    auto ledger = std::make_unique<YearLedger>();
    auto store = std::make_unique<TicketStore>();
    RawBuffers buffers;
    printAlternating(
        "loading both files against reading their bytes raw", [&] { loadBoth(*ledger, *store); },
        [&] { readRawBoth(buffers); });
  }
  if (ran("BM_ImportTicketsToPreview") && ran("BM_LoadTickets")) {
    auto store = std::make_unique<TicketStore>();
    printAlternating(
        "importing a year of tickets to the preview against loading them (target 3)",
        [] { importToPreview(importInput()); }, [&] { (void)loadTickets(*store, ticketPath()); });
  }
  if (ran("BM_ImportSplitFloor") && ran("BM_LoadTickets")) {
    auto store = std::make_unique<TicketStore>();
    std::vector<std::uint32_t> ends(importInput().report.size());
    printAlternating(
        "only finding the separators of that report against loading the tickets",
        [&] { splitReport(importInput().report, ends); },
        [&] { (void)loadTickets(*store, ticketPath()); });
  }
  if (ran("BM_SummariseTwentyYears") && ran("BM_LoadTwentyYears")) {
    auto ledger = std::make_unique<YearLedger>();
    auto store = std::make_unique<TicketStore>();
    printAlternating(
        "summarising 20 year folders against only loading them", [] { summariseTwenty(); },
        [&] { loadTwenty(*ledger, *store); });
  }
}

// Peak resident memory in KiB of the start-up probe (a main window built
// on `dir` as the program builds it at start-up), or -1 if it failed.
long startupPeakKiB(const fs::path& dir) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::string_view(*e).substr(0, 16) != "QT_QPA_PLATFORM=") env.emplace_back(*e);
  }
  env.emplace_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string probe = TAMREL_STARTUP_PROBE;
  std::string dirArg = dir.string();
  char* argv[] = {probe.data(), dirArg.data(), nullptr};

  // Qt's notes about the offscreen platform would only clutter the figures.
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, probe.c_str(), &actions, nullptr, argv, envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  struct rusage usage {};
  if (::wait4(pid, &status, 0, &usage) != pid) return -1;
  // The probe's exit code is the load's: an empty directory fails to load.
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 100) return -1;
  return usage.ru_maxrss;  // KiB on Linux
}

void printStartupMemory() {
  const fs::path fresh = benchDir() / "fresh";
  const fs::path empty = benchDir() / "empty";
  fs::create_directories(fresh);
  fs::create_directories(empty);
  auto state = std::make_unique<AppState>();
  state->DataDirSwitched = true;
  state->DataDir = fresh.string();
  resetYear(state->ledger, state->tickets);
  if (!saveData(*state).ok()) return;

  std::printf("\npeak memory of a start-up (offscreen, main window shown):\n");
  const std::pair<const char*, fs::path> cases[] = {
      {"largest files", benchDir()},
      {"fresh empty year", fresh},
      {"empty directory", empty},
  };
  for (const auto& [what, dir] : cases) {
    const long kib = startupPeakKiB(dir);
    if (kib < 0) {
      std::printf("  %-18s failed\n", what);
    } else {
      std::printf("  %-18s %6ld KiB (%.1f MiB)\n", what, kib, static_cast<double>(kib) / 1024.0);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  fs::create_directories(benchDir());
  if (saveLedger(fullLedger(), ledgerPath()) != SaveResult::Ok ||
      saveTickets(fullTickets(), ticketPath()) != SaveResult::Ok) {
    std::fprintf(stderr, "cannot write the benchmark files in %s\n", benchDir().c_str());
    return 1;
  }
  for (int i = 0; i < kYearFolders; ++i) {
    const fs::path folder = yearsDir() / std::to_string(2000 + i);
    fs::create_directories(folder);
    fs::copy_file(ledgerPath(), folder / "tosidata.dat");
    fs::copy_file(ticketPath(), folder / "info.dat");
  }
  std::printf("ledger file: %ju bytes, ticket file: %ju bytes\n",
              static_cast<std::uintmax_t>(fs::file_size(ledgerPath())),
              static_cast<std::uintmax_t>(fs::file_size(ticketPath())));

  benchmark::Initialize(&argc, argv);
  int status = 0;
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    status = 1;
  } else {
    TimeKeeper keeper;
    benchmark::RunSpecifiedBenchmarks(&keeper);
    printRatio(keeper, "loading both files against reading their bytes raw", "BM_LoadBoth",
               "BM_ReadRawBoth");
    printRatio(keeper, "summarising 20 year folders against only loading them",
               "BM_SummariseTwentyYears", "BM_LoadTwentyYears");
    printRatio(keeper, "one cross table against loading both files", "BM_CrossTable",
               "BM_LoadBoth");
    printRatio(keeper, "importing a year of tickets to the preview against loading them (target 3)",
               "BM_ImportTicketsToPreview", "BM_LoadTickets");
    printRatio(keeper, "only finding the separators of that report against loading the tickets",
               "BM_ImportSplitFloor", "BM_LoadTickets");
    printAlternatingRatios(keeper);
    printStartupMemory();
  }
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(benchDir(), ec);
  return status;
}
