// 運か実力か opened from 表示 in the main window: one copy, inside the work
// area; the table and the chart follow a posting of tickets; groups of
// fewer than 30 tickets say 件数不足; the dimension chooser regroups.

#include <QAction>
#include <QComboBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

#include "analysis/analysis_tickets.h"
#include "benchmark/benchmark_window.h"
#include "support/gui_actions.h"
#include "support/window_fit.h"
#include "support/window_host.h"
#include "widgets/interval_chart.h"
#include "widgets/settings.h"

using namespace tamrel;
using analysisdata::ticket;

namespace {

constexpr int kTanRow = 0;
constexpr int kUTanRow = 5;
constexpr int kTotalRow = 7;

QString cell(const BenchmarkWindow* w, int row, BenchmarkColumn column) {
  return w->table()->model()->index(row, static_cast<int>(column)).data().toString();
}

// `count` tickets of one bet type on one day, every fifth paying `payout`.
bool storeTickets(DataSession& session, int month, int day, char betType, int count,
                  std::int32_t payout) {
  DayTicketList list;
  for (int i = 0; i < count; ++i) {
    const std::string codes{'5', '1', '1', '1', '1', '1', betType, '1', '1', '1'};
    list.entries[static_cast<std::size_t>(list.count++)] =
        ticket(month, day, codes, 100, i % 5 == 0 ? payout : 0);
  }
  return session.storeDayTickets(month, day, list) == TransferResult::Ok;
}

}  // namespace

class TestBenchmarkWindow : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void opensOnceFromTheMenuInsideTheWorkArea() {
    programSettings()->remove(QStringLiteral("mainWindow/geometry"));
    WindowHost host;
    QVERIFY(host.start());
    QWidget* window = host.openTwiceFromMenu("actionBenchmark", "Benchmark");
    QVERIFY(window != nullptr);
    QCOMPARE(host.outsideWorkArea(window), QString());
    QCOMPARE(testdata::layoutFaults(window), QStringList{});
    // 券種 at first: the seven bet types and 合計.
    auto* w = static_cast<BenchmarkWindow*>(window);
    QCOMPARE(w->table()->model()->rowCount(), kTotalRow + 1);
    QCOMPARE(w->table()->model()->headerData(kTotalRow, Qt::Vertical).toString(),
             QStringLiteral("合計"));
  }

  void followsAPostingAndSaysTooFew() {
    WindowHost host;
    QVERIFY(host.start());
    host.main->action(QStringLiteral("actionBenchmark"))->trigger();
    QTRY_VERIFY(host.isOpen(QStringLiteral("Benchmark")));
    auto* w = static_cast<BenchmarkWindow*>(host.window(QStringLiteral("Benchmark")));
    host.session().resetYear();
    QCOMPARE(cell(w, kTotalRow, BenchmarkColumn::Tickets), QStringLiteral("0"));

    // Three 馬単 tickets: figures, but no verdict.
    QVERIFY(storeTickets(host.session(), 4, 5, '6', 3, 1000));
    QCOMPARE(cell(w, kUTanRow, BenchmarkColumn::Tickets), QStringLiteral("3"));
    QCOMPARE(cell(w, kUTanRow, BenchmarkColumn::Rate), QStringLiteral("333.33%"));
    QCOMPARE(cell(w, kUTanRow, BenchmarkColumn::PoolRate), QStringLiteral("75.00%"));
    QCOMPARE(cell(w, kUTanRow, BenchmarkColumn::Verdict), QStringLiteral("件数不足"));

    // Forty 単勝 tickets, every fifth paying 2,000: 400 %, well above 80 %.
    QVERIFY(storeTickets(host.session(), 4, 6, '1', 40, 2000));
    QCOMPARE(cell(w, kTanRow, BenchmarkColumn::Tickets), QStringLiteral("40"));
    QCOMPARE(cell(w, kTanRow, BenchmarkColumn::Rate), QStringLiteral("400.00%"));
    QCOMPARE(cell(w, kTanRow, BenchmarkColumn::Verdict), QStringLiteral("控除率より上"));
    QCOMPARE(cell(w, kTanRow, BenchmarkColumn::Difference), QStringLiteral("+320.00%"));
    QCOMPARE(cell(w, kUTanRow, BenchmarkColumn::Verdict), QStringLiteral("件数不足"));
    QCOMPARE(cell(w, kTotalRow, BenchmarkColumn::Tickets), QStringLiteral("43"));

    // The chart draws the same groups.
    const auto& points = w->chart()->points();
    QCOMPARE(points.size(), std::size_t{kTotalRow + 1});
    QCOMPARE(points[kTanRow].label, QStringLiteral("単勝"));
    QCOMPARE(*points[kTanRow].value, 4.0);
    QCOMPARE(*points[kTanRow].reference, 0.8);
    QVERIFY(*points[kTanRow].low > 0.8);
    QVERIFY(!points[1].value);  // 複勝: no ticket, no point

    // By 馬場: both days' tickets sit at racecourse 5 (中山).
    QVERIFY(gui::choose(w, QStringLiteral("Dimension"), 0));
    QCOMPARE(w->table()->model()->rowCount(),
             static_cast<int>(crossCategories(CrossDimension::Racecourse).size()) + 1);
    QCOMPARE(cell(w, 4, BenchmarkColumn::Tickets), QStringLiteral("43"));
    QCOMPARE(cell(w, 0, BenchmarkColumn::Verdict), QStringLiteral("件数不足"));
  }
};

QTEST_MAIN(TestBenchmarkWindow)
#include "test_benchmark_window.moc"
