// 年別比較 opened on a parent of 1,000 year folders, against the report
// command's reading of the same folders in this process: the window may take
// a few times the reading (it also draws), never minutes. Besides the time,
// the longest the event loop went without a turn from the window's opening
// until the bars were first painted.
//
//   tamrel_ui_bench --benchmark_filter='Years|ProfitGraph'
//
// With TAMREL_BENCH_GAPS set, each gap of more than 8 ms of processor time
// is printed with the window's state at its end, and the start of each paint
// of the bars: to find which step holds the loop. With TAMREL_BENCH_PHASES
// set, when the window's phases begin: 0 built, 1 folders listed, 2 every
// folder read, 3 bars made, 4 bars painted.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bench_data.h"
#include "detail/detail_file.h"
#include "ledger/ledger_file.h"
#include "report/report_command.h"
#include "silent_messages.h"
#include "state/data_session.h"
#include "widgets/profit_graph.h"
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

// Sets when the watched widget receives a paint event.
class PaintSpy : public QObject {
 public:
  explicit PaintSpy(std::function<void()> onPaint) : onPaint_(std::move(onPaint)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) onPaint_();
    return false;
  }

 private:
  std::function<void()> onPaint_;
};

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
  // What the user waits for ends with the first paint of the bars: the
  // turn after that paint closes the gap that holds it.
  bool painted = false;
  bool shown = false;
  YearsWindow* current = nullptr;
  int lastPhase = -1;
  QTimer turn;
  turn.setInterval(0);
  QObject::connect(&turn, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    const qint64 cpu = threadCpuNs();
    longest = std::max(longest, now - last);
    longestCpu = std::max(longestCpu, cpu - lastCpu);
    if (qEnvironmentVariableIsSet("TAMREL_BENCH_GAPS") && cpu - lastCpu > 8'000'000)
      std::fprintf(stderr, "gap cpu %.1f wall %.1f at %.1f loading %d points %d painted %d\n",
                   (cpu - lastCpu) / 1e6, (now - last) / 1e6, now / 1e6,
                   current ? int(current->isLoading()) : -1,
                   current ? current->graph()->pointCount() : -1, int(painted));
    last = now;
    lastCpu = cpu;
    if (painted) shown = true;
    if (qEnvironmentVariableIsSet("TAMREL_BENCH_PHASES") && current) {
      const auto* bar = current->progressBar();
      const int phase = painted                                                  ? 4
                        : current->graph()->pointCount() > 0                     ? 3
                        : (bar->maximum() > 0 && bar->value() == bar->maximum()) ? 2
                        : bar->maximum() > 0                                     ? 1
                                                                                 : 0;
      if (phase != lastPhase) std::fprintf(stderr, "phase %d at %.1f ms\n", phase, now / 1e6);
      lastPhase = phase;
    }
  });

  double windowMs = 0;
  int rows = 0;
  int points = 0;
  for (auto _ : state) {
    painted = false;
    shown = false;
    QElapsedTimer t;
    t.start();
    auto* window = new YearsWindow(session, messages);
    current = window;
    PaintSpy spy([&] {
      if (qEnvironmentVariableIsSet("TAMREL_BENCH_GAPS") && !window->isLoading())
        std::fprintf(stderr, "paint starts cpu-since-turn %.1f\n", (threadCpuNs() - lastCpu) / 1e6);
      if (!window->isLoading() && window->graph()->pointCount() > 0) painted = true;
    });
    window->graph()->viewport()->installEventFilter(&spy);
    QMdiSubWindow* frame = openChildWindow(area, window);
    // Building the window is the same for any number of folders: the gaps
    // are counted from there.
    turn.start();
    last = clock.nsecsElapsed();
    lastCpu = threadCpuNs();
    while (!shown && t.elapsed() < 120'000) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    turn.stop();
    const double took = static_cast<double>(t.nsecsElapsed()) / 1e6;
    state.SetIterationTime(took / 1e3);
    windowMs += took;
    rows = window->model().yearCount();
    points = window->graph()->pointCount();
    state.PauseTiming();
    delete frame;
    QCoreApplication::processEvents();
    state.ResumeTiming();
    if (!shown) state.SkipWithError("the bars were never painted");
  }
  if (rows != kFolders || points != kFolders) state.SkipWithError("not every folder was shown");
  if (messages.shown != 0) state.SkipWithError("a message was shown");
  windowMs /= static_cast<double>(state.iterations());
  state.counters["report_ms"] = report;
  state.counters["window_ms"] = windowMs;
  state.counters["ratio"] = windowMs / report;
  state.counters["longest_gap_ms"] = static_cast<double>(longest) / 1e6;
  state.counters["longest_block_cpu_ms"] = static_cast<double>(longestCpu) / 1e6;
}
// Medians of the repetitions stand for the benchmark: the machine is shared.
BENCHMARK(BM_YearsWindowThousandFolders)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

// Where the graph's part goes, step by step, with 1,000 points in a graph of
// the size the years window gives it: handing the points over, the layout
// that follows in the event loop, and the first paint.
void BM_ProfitGraphThousandPoints(benchmark::State& state) {
  std::vector<ProfitPoint> points;
  for (int i = 0; i < kFolders; ++i) {
    points.push_back({QString::number(3000 + i), (i * 7919 % 2000 - 900) * 1000});
  }
  // Processor time of this thread: on a shared machine the clock on the wall
  // counts the waits for a processor too.
  double setMs = 0;
  double layoutMs = 0;
  double paintMs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ProfitGraph graph;
    graph.resize(980, 340);
    graph.show();
    QCoreApplication::processEvents();
    state.ResumeTiming();
    qint64 t = threadCpuNs();
    graph.setPoints(points);
    setMs += static_cast<double>(threadCpuNs() - t) / 1e6;
    t = threadCpuNs();
    QCoreApplication::processEvents();
    layoutMs += static_cast<double>(threadCpuNs() - t) / 1e6;
    t = threadCpuNs();
    graph.viewport()->repaint();
    paintMs += static_cast<double>(threadCpuNs() - t) / 1e6;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["set_ms"] = setMs / n;
  state.counters["layout_ms"] = layoutMs / n;
  state.counters["paint_ms"] = paintMs / n;
}
BENCHMARK(BM_ProfitGraphThousandPoints)
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

struct RemoveParent {
  ~RemoveParent() {
    std::error_code ec;
    fs::remove_all(fs::temp_directory_path() / ("tamrel_years_bench_" + std::to_string(::getpid())),
                   ec);
  }
} removeParent;

}  // namespace
