// Every table model of the windows, through the checks Qt's model tester
// makes on each change (row and column counts, indexes, parents, headers,
// the signals around a reset or a sort), fed the changes its window makes.

#include <QAbstractItemModelTester>
#include <QtTest>
#include <memory>
#include <utility>
#include <vector>

#include "analysis/analysis_tickets.h"
#include "analysis/benchmark.h"
#include "analysis/cross_totals.h"
#include "analysis/income.h"
#include "benchmark/benchmark_model.h"
#include "cross/cross_model.h"
#include "income/income_window.h"
#include "ledger/ledger_init.h"
#include "ticketlist/ticket_list_model.h"
#include "trend/day_bets_model.h"
#include "years/year_model.h"

using namespace tamrel;
using analysisdata::append;
using analysisdata::ticket;

namespace {

constexpr auto kReport = QAbstractItemModelTester::FailureReportingMode::QtTest;

std::unique_ptr<TicketStore> someTickets() {
  auto store = std::make_unique<TicketStore>();
  clearTickets(*store);
  append(*store, 3, ticket(3, 5, "1111111111", 1000, 0));
  append(*store, 3, ticket(3, 5, "2211112111", 500, 2300));
  append(*store, 4, ticket(4, 2, "1321231111", 300, 0));
  return store;
}

YearSummary yearNamed(const char* name, bool withFigures) {
  YearSummary year;
  year.name = name;
  if (withFigures) year.figures = YearFigures{10, 5000, 6000, 1000, 1.2f, 20, 3, 800};
  return year;
}

}  // namespace

class TestTableModels : public QObject {
  Q_OBJECT

 private slots:
  void dayBets() {
    DayBetsModel model;
    QAbstractItemModelTester tester(&model, kReport);
    BetAmounts amounts;
    amounts.stake[0] = 1000;
    amounts.payout[0] = 2500;
    model.setFigures(deriveFigures(amounts));
    model.setFigures(std::nullopt);
    QVERIFY(model.rowCount() > 0);
  }

  void crossTable() {
    CrossTableModel model;
    QAbstractItemModelTester tester(&model, kReport);
    const auto store = someTickets();
    model.setTable(computeCrossTable(*store, CrossDimension::Racecourse, CrossDimension::BetType));
    for (int m = 0; m < kCrossMeasureCount; ++m) model.setMeasure(static_cast<CrossMeasure>(m));
    model.setTable(computeCrossTable(*store, CrossDimension::RaceNo, CrossDimension::Condition));
    QVERIFY(model.rowCount() > 1);
  }

  void crossTickets() {
    CrossTicketModel model;
    CrossTicketOrder order;
    order.setSourceModel(&model);
    QAbstractItemModelTester tester(&model, kReport);
    QAbstractItemModelTester sorted(&order, kReport);
    const auto store = someTickets();
    model.setTickets(
        cellTickets(*store, CrossDimension::Racecourse, 0, CrossDimension::BetType, 0));
    for (int column = 0; column < model.columnCount(); ++column) {
      order.sort(column, Qt::DescendingOrder);
    }
    model.setTickets({});
    QCOMPARE(order.rowCount(), 0);
  }

  void ticketList() {
    TicketListModel model;
    QAbstractItemModelTester tester(&model, kReport);
    const auto store = someTickets();
    model.setRows(ticketRows(*store), TicketFilter{});
    // Sorted by the model itself: the persistent indexes follow their rows.
    const QPersistentModelIndex first = model.index(0, TicketListModel::Stake);
    const QString firstStake = first.data().toString();
    for (int column = 0; column < model.columnCount(); ++column) {
      model.sort(column, Qt::DescendingOrder);
    }
    QCOMPARE(first.data().toString(), firstStake);
    TicketFilter hits;
    hits.hits = HitChoice::HitsOnly;
    model.setFilter(hits);
    QCOMPARE(model.rowCount(), 1);
    model.setRows({}, TicketFilter{});
    QCOMPARE(model.rowCount(), 0);
  }

  void benchmark() {
    BenchmarkModel model;
    QAbstractItemModelTester tester(&model, kReport);
    const auto store = someTickets();
    model.setTable(computeBenchmark(*store, CrossDimension::BetType, 2026));
    model.setTable(computeBenchmark(*store, CrossDimension::Racecourse, 2026));
    model.setTable(
        computeBenchmark(*store, CrossDimension::Racecourse, 2026, Period{12, 1, 12, 31}));
    QVERIFY(model.rowCount() > 1);
  }

  void income() {
    IncomeModel model;
    QAbstractItemModelTester tester(&model, kReport);
    const auto store = someTickets();
    const auto ledger = std::make_unique<YearLedger>();
    resetLedger(*ledger);
    model.setFigures(computeIncome(*ledger, *store));
    model.setFigures(computeIncome(*ledger, *store, Period{12, 1, 12, 31}));
    QVERIFY(model.rowCount() > 0);
  }

  void years() {
    YearTableModel model;
    YearSortProxy order;
    order.setSourceModel(&model);
    QAbstractItemModelTester tester(&model, kReport);
    QAbstractItemModelTester sorted(&order, kReport);
    model.setFolders({yearNamed("2024", false), yearNamed("2025", false)}, "読込中");
    model.setYear(1, yearNamed("2025", true));
    std::vector<std::pair<int, YearSummary>> rows;
    rows.emplace_back(0, yearNamed("2024", true));
    model.setYears(std::move(rows));
    order.sort(YearTableModel::Stake, Qt::DescendingOrder);
    model.setPendingText("読めません");
    model.setFolders({}, QString());
    QCOMPARE(order.rowCount(), model.rowCount());
  }
};

QTEST_MAIN(TestTableModels)
#include "test_table_models.moc"
