// Undo and redo of a posting against the posting itself, on a full year
// with a full ticket store, and how often each open view shows the data
// again per step (it should be exactly once).

#include <benchmark/benchmark.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QUndoStack>
#include <chrono>
#include <memory>
#include <vector>

#include "bench_data.h"
#include "benchmark/benchmark_window.h"
#include "browse/year_browse.h"
#include "cross/cross_window.h"
#include "income/income_window.h"
#include "silent_messages.h"
#include "state/data_session.h"
#include "stats/analysis_window.h"
#include "stats/category_graphs.h"
#include "support/session_access.h"
#include "trend/trend_window.h"
#include "years/years_window.h"

namespace {

using namespace tamrel;
using Clock = std::chrono::steady_clock;

std::unique_ptr<DataSession> fullSession() {
  auto session = std::make_unique<DataSession>();
  AppState& state = DataSessionTestAccess::state(*session);
  bench::fillLedger(state.ledger);
  bench::fillTickets(state.tickets);
  return session;
}

// Each round posts a day with its tickets, undoes, redoes and undoes it
// again (so the history stays one step long); the counters are the mean
// undo and redo as ratios of the mean posting.
void BM_UndoRedoOfAPosting(benchmark::State& state) {
  const auto session = fullSession();
  QUndoStack& steps = *session->undoStack();
  DayTicketList tickets;
  (void)loadDayTickets(session->tickets(), 6, 14, tickets);
  Clock::duration post{}, undo{}, redo{};
  std::int32_t stake = 100;
  for (auto _ : state) {
    BetAmounts amounts = bench::amountsFor(6, 14);
    amounts.stake[0] = (stake = stake % 9000 + 100);
    const auto t0 = Clock::now();
    if (session->postDay(6, 14, amounts, &tickets) != PostResult::Ok) std::abort();
    const auto t1 = Clock::now();
    steps.undo();
    const auto t2 = Clock::now();
    steps.redo();
    const auto t3 = Clock::now();
    steps.undo();
    post += t1 - t0;
    undo += t2 - t1;
    redo += t3 - t2;
  }
  const double posting = std::chrono::duration<double>(post).count();
  state.counters["undo/post"] = std::chrono::duration<double>(undo).count() / posting;
  state.counters["redo/post"] = std::chrono::duration<double>(redo).count() / posting;
}
BENCHMARK(BM_UndoRedoOfAPosting)->Unit(benchmark::kMicrosecond);

// Every view open on one session in a work area, with the graphs opened
// from 総合分析 and 統計分析; a posting with tickets, its undo and its redo:
// the counter per view is how often it showed the data per step.
void BM_ViewsPerStep(benchmark::State& state) {
  const auto session = fullSession();
  bench::SilentMessages messages;
  QMdiArea area;
  area.resize(1024, 700);
  auto* year = new YearBrowse(*session, messages);
  openChildWindow(area, year);
  openChildWindow(area, new AnalysisWindow(*session, messages));
  openChildWindow(area, new TrendWindow(*session, messages));
  openChildWindow(area, new CrossWindow(*session, messages));
  openChildWindow(area, new YearsWindow(*session, messages));
  openChildWindow(area, new BenchmarkWindow(*session, messages));
  openChildWindow(area, new IncomeWindow(*session, messages));
  year->findChild<QPushButton*>(QStringLiteral("Command3D2"))->click();
  CategoryTotals totals;
  (void)computeAllCategoryTotals(totals, session->tickets());
  showCategoryGraph(area, totals, *session, messages, CategoryGraph::Racecourse, {});
  std::vector<ChildWindow*> views;
  for (QMdiSubWindow* frame : area.subWindowList()) {
    views.push_back(qobject_cast<ChildWindow*>(frame->widget()));
  }
  std::vector<int> shown(views.size());
  for (std::size_t i = 0; i < views.size(); ++i) {
    QObject::connect(views[i], &ChildWindow::dataShown, [&shown, i] { ++shown[i]; });
  }
  DayTicketList tickets;
  (void)loadDayTickets(session->tickets(), 6, 14, tickets);
  std::int64_t stepCount = 0;
  for (auto _ : state) {
    if (session->postDay(6, 14, bench::amountsFor(6, 15), &tickets) != PostResult::Ok) {
      std::abort();
    }
    session->undoStack()->undo();
    session->undoStack()->redo();
    session->undoStack()->undo();
    stepCount += 4;
  }
  for (std::size_t i = 0; i < views.size(); ++i) {
    state.counters[views[i]->objectName().toStdString()] =
        static_cast<double>(shown[i]) / static_cast<double>(stepCount);
  }
}
BENCHMARK(BM_ViewsPerStep)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
