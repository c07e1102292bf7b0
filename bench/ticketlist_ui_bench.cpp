// 馬券一覧 on the largest year the program holds (12 months of 499 tickets):
// one keystroke in its search box (the list filtered again, re-sorted and its
// figures counted) against loading "info.dat" of that year, and the window
// opened on that year against an empty one.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "bench_data.h"
#include "detail/detail_file.h"
#include "open_window.h"
#include "silent_messages.h"
#include "state/data_session.h"
#include "store/app_state.h"
#include "support/session_access.h"
#include "ticketlist/ticket_list.h"

namespace {

using namespace tamrel;

void fillSession(DataSession& session, bool full) {
  TicketStore& tickets = DataSessionTestAccess::state(session).tickets;
  if (full) {
    bench::fillTickets(tickets);
  } else {
    clearTickets(tickets);
  }
}

void BM_OpenTicketList(benchmark::State& state, bool full) {
  DataSession session;
  fillSession(session, full);
  bench::SilentMessages messages;
  bench::timeOpening(state, [&] { return new TicketList(session, messages); });
  if (messages.shown != 0) state.SkipWithError("a message was shown");
}
BENCHMARK_CAPTURE(BM_OpenTicketList, empty_year, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenTicketList, full_year, true)->Unit(benchmark::kMillisecond);

// A word typed and taken back in turn: each keystroke filters all 5,988
// tickets anew.
void BM_TicketListKeystroke(benchmark::State& state) {
  DataSession session;
  fillSession(session, true);
  bench::SilentMessages messages;
  QMdiArea area;
  area.resize(1024, 700);
  area.show();
  auto* window = new TicketList(session, messages);
  openChildWindow(area, window);
  QCoreApplication::processEvents();
  QLineEdit* search = window->searchBox();
  bool longer = false;
  for (auto _ : state) {
    search->setText(longer ? QStringLiteral("中山 芝") : QStringLiteral("中山 "));
    QCoreApplication::processEvents();
    longer = !longer;
  }
}
BENCHMARK(BM_TicketListKeystroke)->Unit(benchmark::kMillisecond);

// The yardstick: loading the same year's "info.dat".
void BM_LoadTicketFileForList(benchmark::State& state) {
  QTemporaryDir dir;
  const std::filesystem::path path = dir.filePath(QStringLiteral("info.dat")).toStdString();
  auto store = std::make_unique<TicketStore>();
  bench::fillTickets(*store);
  if (saveTickets(*store, path) != SaveResult::Ok) state.SkipWithError("save failed");
  for (auto _ : state) {
    if (loadTickets(*store, path) != LoadCode::Ok) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(store.get());
  }
}
BENCHMARK(BM_LoadTicketFileForList)->Unit(benchmark::kMillisecond);

}  // namespace
