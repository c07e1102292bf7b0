// 年別比較 opened on a parent of 1,000 year folders, against the report
// command's reading of the same folders in this process: the window may take
// a few times the reading (it also draws), never minutes. Besides the time,
// the longest the event loop went without a turn from the window's opening
// until every row and bar was shown.
//
//   tamrel_ui_bench --benchmark_filter=Years

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench_data.h"
#include "detail/detail_file.h"
#include "ledger/ledger_file.h"
#include "report/report_command.h"
#include "silent_messages.h"
#include "state/data_session.h"
#include "years/years_window.h"

namespace {

using namespace tamrel;
namespace fs = std::filesystem;

constexpr int kFolders = 1000;

// A year of weekend racing (some hundred days, 240 tickets), its amounts
// shifted by `shift` so that the folders' profits differ, small enough that
// a thousand years still add up within the range of amounts.
bool writeYear(const fs::path& dir, int shift, const TicketStore& tickets) {
  auto ledger = std::make_unique<YearLedger>();
  resetLedger(*ledger);
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= 28; ++d) {
      if (d % 7 != 0 && d % 7 != 6) continue;
      BetAmounts baseline;
      BetAmounts amounts;
      amounts.stake[0] = 100 * (m + d);
      amounts.payout[0] = 10 * ((shift * 7 + m * 31 + d) % 300);
      if (postDay(*ledger, baseline, m, d, amounts) != PostResult::Ok) return false;
    }
  }
  fs::create_directories(dir);
  return saveLedger(*ledger, dir / kLedgerFileName) == SaveResult::Ok &&
         saveTickets(tickets, dir / kTicketFileName) == SaveResult::Ok;
}

qint64 threadCpuNs() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<qint64>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The parent folder, made once for the whole run.
const fs::path& parentDir() {
  static const fs::path dir = [] {
    const fs::path p =
        fs::temp_directory_path() / ("tamrel_years_bench_" + std::to_string(::getpid()));
    auto tickets = std::make_unique<TicketStore>(bench::fullTickets());
    for (int m = 1; m <= 12; ++m) {
      tickets->month(m).count = 20;
      tickets->month(m).slot(20).markBlank();
    }
    for (int i = 0; i < kFolders; ++i) {
      if (!writeYear(p / std::to_string(3000 + i), i, *tickets)) std::abort();
    }
    return p;
  }();
  return dir;
}

// `tamrel-report --dir PARENT years` without the process around it, in ms:
// the median of a few runs.
double reportMs() {
  const std::string dir = parentDir().string();
  const std::vector<std::string_view> args{"--dir", dir, "years"};
  std::vector<double> runs;
  for (int i = 0; i < 5; ++i) {
    QElapsedTimer t;
    t.start();
    const ReportRun run = runReport(args);
    runs.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    if (run.status != kReportOk) std::abort();
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

void BM_YearsWindowThousandFolders(benchmark::State& state) {
  const fs::path& parent = parentDir();
  const double report = reportMs();
  DataSession session;
  session.setDataDir(QString::fromStdString((parent / "3000").string()));
  if (!session.load().ok()) state.SkipWithError("the year in use did not load");
  bench::SilentMessages messages;
  QMdiArea area;
  area.resize(1024, 700);
  area.show();
  QCoreApplication::processEvents();

  // A timer of no delay runs at every turn of the event loop: the longest
  // gap between two of its runs is the longest the loop was held. On a busy
  // machine the clock on the wall also counts time the thread waited for a
  // processor, so the thread's own processor time is taken as well.
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  qint64 longest = 0;
  qint64 lastCpu = 0;
  qint64 longestCpu = 0;
  QTimer turn;
  turn.setInterval(0);
  QObject::connect(&turn, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    const qint64 cpu = threadCpuNs();
    longest = std::max(longest, now - last);
    longestCpu = std::max(longestCpu, cpu - lastCpu);
    last = now;
    lastCpu = cpu;
  });

  double windowMs = 0;
  int rows = 0;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    auto* window = new YearsWindow(session, messages);
    QMdiSubWindow* frame = openChildWindow(area, window);
    // Building the window is the same for any number of folders: the gaps
    // are counted from there.
    turn.start();
    last = clock.nsecsElapsed();
    lastCpu = threadCpuNs();
    while (window->isLoading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // The paint that shows the last of it.
    QCoreApplication::processEvents();
    turn.stop();
    const double took = static_cast<double>(t.nsecsElapsed()) / 1e6;
    state.SetIterationTime(took / 1e3);
    windowMs += took;
    rows = window->model().yearCount();
    state.PauseTiming();
    delete frame;
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  if (rows != kFolders) state.SkipWithError("not every folder was listed");
  if (messages.shown != 0) state.SkipWithError("a message was shown");
  windowMs /= static_cast<double>(state.iterations());
  state.counters["report_ms"] = report;
  state.counters["window_ms"] = windowMs;
  state.counters["ratio"] = windowMs / report;
  state.counters["longest_gap_ms"] = static_cast<double>(longest) / 1e6;
  state.counters["longest_block_cpu_ms"] = static_cast<double>(longestCpu) / 1e6;
}
BENCHMARK(BM_YearsWindowThousandFolders)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

struct RemoveParent {
  ~RemoveParent() {
    std::error_code ec;
    fs::remove_all(fs::temp_directory_path() / ("tamrel_years_bench_" + std::to_string(::getpid())),
                   ec);
  }
} removeParent;

}  // namespace
