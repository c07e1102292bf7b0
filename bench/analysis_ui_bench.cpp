// Opening the analysis window ("統計分析") on the largest year the program
// holds (12 months of 499 tickets, every category in use) against an empty
// year: the nine dimensions are computed while the window loads.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>

#include "analysis/analysis_window.h"
#include "analysis/category_totals.h"
#include "state/app_state.h"
#include "widgets/child_window.h"
#include "widgets/messages.h"

namespace {

using namespace tamrel;

class SilentMessages final : public Messages {
 public:
  void error(const QString&) override {}
  void notice(const QString&) override {}
  bool ask(const QString&) override { return true; }
};

// Ticket i of a month takes category i of each dimension in turn, so every
// category of every dimension has tickets.
void fillYear(TicketStore& store) {
  for (int m = 1; m <= 12; ++m) {
    MonthTickets& month = store.month(m);
    for (int i = 0; i < kMaxMonthTickets; ++i) {
      TicketRecord r = newTicket(m, i % 31 + 1);
      for (Dimension d : kDimensions) {
        const auto rows = categories(d);
        r.setField(fieldOf(d), std::string_view(&rows[(i + m) % rows.size()].code, 1));
      }
      r.setField(TicketField::BetType, std::string_view(&"1234567"[i % 7], 1));
      setAmountField(r, TicketField::Purchase, 100 * (i % 30 + 1));
      setAmountField(r, TicketField::Payout, i % 4 == 0 ? 250 * (i % 30 + 1) : 0);
      month.slot(i) = r;
    }
    month.count = kMaxMonthTickets;
    month.slot(kMaxMonthTickets).markBlank();
  }
}

void BM_OpenAnalysisWindow(benchmark::State& bench, bool full) {
  auto state = std::make_unique<AppState>();
  clearTickets(state->tickets);
  if (full) fillYear(state->tickets);
  SilentMessages messages;
  QMdiArea area;
  area.resize(1024, 700);
  area.show();
  QCoreApplication::processEvents();
  for (auto _ : bench) {
    // What 統計分析 does, up to the window painted in the work area.
    state->AnalysisOpen = true;
    QMdiSubWindow* frame = openChildWindow(area, new AnalysisWindow(*state, messages));
    QCoreApplication::processEvents();
    frame->repaint();
    bench.PauseTiming();
    delete frame;
    QCoreApplication::processEvents();
    bench.ResumeTiming();
  }
  bench.counters["tickets"] = full ? 12 * kMaxMonthTickets : 0;
}
BENCHMARK_CAPTURE(BM_OpenAnalysisWindow, empty_year, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenAnalysisWindow, full_year, true)->Unit(benchmark::kMillisecond);

}  // namespace
