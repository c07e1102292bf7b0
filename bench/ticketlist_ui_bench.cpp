// 馬券一覧 on the largest year the program holds (12 months of 499 tickets):
// one keystroke in its search box against loading "info.dat" of that year,
// and the window opened on that year against an empty one. The opening is
// timed on a year of 40 tickets too: the window then draws the same screen
// of rows as on a full year, so full against it is what the year's size
// costs, and it against empty what drawing a screen of tickets costs.
//
// The keystroke is timed twice. BM_TicketListKeystroke/ready is the list
// ready: the text set, the year filtered again in the sort order, the model
// reset and the figures set, synchronously (the event loop's turn after it
// runs outside the time); that is what the year's size weighs on and what
// is held against loading "info.dat". BM_TicketListKeystroke/painted times
// the event loop's turn too: the layout and the paint of the rows in view
// and of the figures, about the same for any year of more than a screen of
// tickets. Both are printed; neither is the other. BM_TicketListFilterPass
// is the filter engine's share of /ready: the model alone, no view.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QPainter>
#include <QStaticText>
#include <QTableView>
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
#include "ticketlist/ticket_cell_delegate.h"
#include "ticketlist/ticket_list.h"

namespace {

using namespace tamrel;

// How many tickets the year holds.
enum class Year { Empty, Screen, Full };

// Screen: January's first 40 tickets, more than the rows in view, so the
// window draws what it draws for a full year and only the year's size
// differs.
void fillSession(DataSession& session, Year year) {
  TicketStore& tickets = DataSessionTestAccess::state(session).tickets;
  if (year == Year::Empty) {
    clearTickets(tickets);
    return;
  }
  bench::fillTickets(tickets);
  if (year == Year::Full) return;
  constexpr int kScreen = 40;
  for (int m = 2; m <= 12; ++m) {
    tickets.month(m).count = 0;
    tickets.month(m).slot(0).markBlank();
  }
  tickets.month(1).count = kScreen;
  tickets.month(1).slot(kScreen).markBlank();
}

void BM_OpenTicketList(benchmark::State& state, Year year) {
  DataSession session;
  fillSession(session, year);
  bench::SilentMessages messages;
  bench::timeOpening(state, [&] { return new TicketList(session, messages); });
  if (messages.shown != 0) state.SkipWithError("a message was shown");
}
BENCHMARK_CAPTURE(BM_OpenTicketList, empty_year, Year::Empty)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenTicketList, screen_year, Year::Screen)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenTicketList, full_year, Year::Full)->Unit(benchmark::kMillisecond);

// The list opened on a full year in a work area of the main window's size,
// shown and painted.
struct OpenList {
  DataSession session;
  bench::SilentMessages messages;
  QMdiArea area;
  TicketList* window = nullptr;
  OpenList() {
    fillSession(session, Year::Full);
    area.resize(1024, 700);
    area.show();
    window = new TicketList(session, messages);
    openChildWindow(area, window);
    QCoreApplication::processEvents();
  }
};

// What no opening of the list on a year of tickets can do without: each
// distinct text of the rows in view laid out once, and all of them drawn as
// the opening draws them (once as the window is shown, once more as it is
// painted); no model, view, style or background. Against
// BM_OpenTicketList/empty_year it is how much of the 1.2 times the letters
// of one screen of tickets take alone.
void BM_TicketListTextFloor(benchmark::State& state) {
  const OpenList list;
  const QTableView* table = list.window->table();
  const QFont font = table->font();
  struct Cell {
    QPointF at;
    QString text;
  };
  std::vector<Cell> cells;
  const QRect view = table->viewport()->rect();
  for (int row = table->rowAt(0); row >= 0 && row <= table->rowAt(view.height() - 1); ++row) {
    for (int column = 0; column < TicketListModel::ColumnCount; ++column) {
      const QModelIndex index = list.window->model().index(row, column);
      cells.push_back(
          {QPointF(table->visualRect(index).topLeft()) + QPointF(3, 3), index.data().toString()});
    }
  }
  QImage image(view.size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  for (auto _ : state) {
    QHash<QString, QStaticText> laidOut;
    for (const Cell& cell : cells) {
      if (!laidOut.contains(cell.text)) {
        laidOut.insert(cell.text, TicketCellDelegate::layOut(cell.text, font));
      }
    }
    for (int paint = 0; paint < 2; ++paint) {
      QPainter painter(&image);
      painter.setFont(font);
      painter.setPen(Qt::black);
      for (const Cell& cell : cells) painter.drawStaticText(cell.at, laidOut.value(cell.text));
    }
    state.counters["texts"] = static_cast<double>(laidOut.size());
  }
  state.counters["cells"] = static_cast<double>(cells.size());
}
BENCHMARK(BM_TicketListTextFloor)->Unit(benchmark::kMillisecond);

// A word typed and taken back in turn: each keystroke filters all 5,988
// tickets anew. `painted`: the event loop runs inside the time.
void BM_TicketListKeystroke(benchmark::State& state, bool painted) {
  OpenList list;
  TicketList* window = list.window;
  QLineEdit* search = window->searchBox();
  bool longer = false;
  int shown = 0;
  for (auto _ : state) {
    search->setText(longer ? QStringLiteral("中山 芝") : QStringLiteral("中山 "));
    if (painted) {
      QCoreApplication::processEvents();
    } else {
      state.PauseTiming();
      QCoreApplication::processEvents();
      state.ResumeTiming();
    }
    shown += window->model().rowCount();
    longer = !longer;
  }
  // Both words narrow the year: a filter that kept nothing would be cheap.
  if (shown == 0) state.SkipWithError("nothing shown");
}
BENCHMARK_CAPTURE(BM_TicketListKeystroke, ready, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TicketListKeystroke, painted, true)->Unit(benchmark::kMillisecond);

// The same keystrokes through the list's model alone, with no view on it:
// the filter pass and the figures, so that /ready less this is what Qt adds
// (the reset in the views, the figure labels, the search box's own work).
void BM_TicketListFilterPass(benchmark::State& state) {
  DataSession session;
  fillSession(session, Year::Full);
  TicketListModel model;
  model.setRows(ticketRows(session.tickets()), TicketFilter{});
  TicketFilter filter;
  bool longer = false;
  int shown = 0;
  for (auto _ : state) {
    filter.text = longer ? "中山 芝" : "中山 ";
    model.setFilter(filter);
    shown += model.rowCount();
    longer = !longer;
  }
  if (shown == 0) state.SkipWithError("nothing shown");
}
BENCHMARK(BM_TicketListFilterPass)->Unit(benchmark::kMillisecond);

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
