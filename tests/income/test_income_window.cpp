// 一時所得 opened from 表示 in the main window: one copy, inside the work
// area; the lines follow a posting of tickets and of day amounts; a day
// with day amounts and no ticket is counted and raises only the upper bound.

#include <QAction>
#include <QLabel>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

#include "analysis/analysis_tickets.h"
#include "income/income_window.h"
#include "support/window_fit.h"
#include "support/window_host.h"
#include "widgets/settings.h"

using namespace tamrel;
using analysisdata::ticket;

namespace {

enum Line { Payouts, Stakes, Gain, Deduction, Occasional, Taxable, Days, DayPayouts };

QString cell(const IncomeWindow* w, Line line, int column) {
  return w->table()->model()->index(line, column).data().toString();
}

}  // namespace

class TestIncomeWindow : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void opensOnceFromTheMenuInsideTheWorkArea() {
    programSettings()->remove(QStringLiteral("mainWindow/geometry"));
    WindowHost host;
    QVERIFY(host.start());
    QWidget* window = host.openTwiceFromMenu("actionIncome", "Income");
    QVERIFY(window != nullptr);
    QCOMPARE(host.outsideWorkArea(window), QString());
    QCOMPARE(testdata::layoutFaults(window), QStringList{});
    QVERIFY(window->findChild<QLabel*>(QStringLiteral("Disclaimer"))
                ->text()
                .contains(QStringLiteral("税務の助言ではありません")));
  }

  void followsTicketsAndDayAmounts() {
    WindowHost host;
    QVERIFY(host.start());
    host.main->action(QStringLiteral("actionIncome"))->trigger();
    QTRY_VERIFY(host.isOpen(QStringLiteral("Income")));
    auto* w = static_cast<IncomeWindow*>(host.window(QStringLiteral("Income")));
    host.session().resetYear();
    QCOMPARE(cell(w, Taxable, 0), QStringLiteral("0円"));

    // A 馬連 hit of 1,000,000 for 1,000 and a losing 単勝 of 5,000.
    DayTicketList list;
    list.entries[0] = ticket(6, 7, "5111114111", 1000, 1000000);
    list.entries[1] = ticket(6, 7, "5111111111", 5000, 0);
    list.count = 2;
    QCOMPARE(host.session().storeDayTickets(6, 7, list), TransferResult::Ok);
    QCOMPARE(cell(w, Payouts, 0), QStringLiteral("1,000,000円"));
    QCOMPARE(cell(w, Stakes, 0), QStringLiteral("1,000円"));
    QCOMPARE(cell(w, Deduction, 0), QStringLiteral("500,000円"));
    QCOMPARE(cell(w, Taxable, 0), QStringLiteral("249,500円"));
    QCOMPARE(cell(w, Days, 1), QStringLiteral("0日"));

    // Day amounts on a day without tickets: the upper bound takes its payout.
    BetAmounts baseline;
    QVERIFY(showDay(host.session().ledger(), baseline, 6, 8));
    BetAmounts day = baseline;
    day.stake[index(BetType::Uma)] = 3000;
    day.payout[index(BetType::Uma)] = 200001;
    QCOMPARE(host.session().postDay(6, 8, day), PostResult::Ok);
    QCOMPARE(cell(w, Days, 1), QStringLiteral("1日"));
    QCOMPARE(cell(w, DayPayouts, 1), QStringLiteral("200,001円"));
    QCOMPARE(cell(w, Taxable, 0), QStringLiteral("249,500円"));
    QCOMPARE(cell(w, Taxable, 1), QStringLiteral("349,500円"));  // half of 699,001
    QVERIFY(w->unticketedNote()->text().contains(QStringLiteral("1日")));
  }
};

QTEST_MAIN(TestIncomeWindow)
#include "test_income_window.moc"
