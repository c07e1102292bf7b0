// The trend figures on small hand-worked ledgers: the running profit and its
// largest fall, runs, best and worst days, periods, overflow and the year
// the racing days belong to.

#include <QtTest>

#include <memory>

#include "analysis/trend.h"
#include "browse/ledger_fixture.h"

using namespace tamrel;
using fixture::putBet;

namespace {

// "3/5:+100 3/6:-50": the racing days and their profits. A day's profit is
// put as 単勝 stake 1000 and payout 1000 + profit.
std::unique_ptr<YearLedger> ledgerOf(const QString& days) {
  auto ledger = fixture::emptyLedger();
  for (const QString& entry : days.split(' ', Qt::SkipEmptyParts)) {
    const QStringList parts = entry.split(QRegularExpression("[/:]"));
    const int profit = parts[2].toInt();
    putBet(daySlot(*ledger, parts[0].toInt(), parts[1].toInt()), BetType::Tan, 1000, 1000 + profit);
  }
  return ledger;
}

// "3/5", or "start" for no date.
QString dateText(const std::optional<TrendDate>& date) {
  return date ? QString("%1/%2").arg(date->month).arg(date->day) : QString("start");
}

}  // namespace

class TestTrend : public QObject {
  Q_OBJECT
 private slots:
  void drawdown_data();
  void drawdown();
  void runsAndCounts_data();
  void runsAndCounts();
  void daysInDateOrderWithRunningProfit();
  void bestAndWorstTakeTheEarliestOfATie();
  void periodLimitsEveryFigure();
  void overflowLeavesFiguresEmpty_data();
  void overflowLeavesFiguresEmpty();
  void guessYear_data();
  void guessYear();
};

void TestTrend::drawdown_data() {
  QTest::addColumn<QString>("days");
  QTest::addColumn<int>("amount");
  QTest::addColumn<QString>("peak");
  QTest::addColumn<QString>("trough");
  QTest::newRow("peak at the start") << "1/4:-100 1/5:-200 1/11:+50" << 300 << "start"
                                     << "1/5";
  QTest::newRow("peak in the middle") << "1/4:+100 2/1:+200 2/8:-500 3/1:+100" << 500 << "2/1"
                                      << "2/8";
  QTest::newRow("peak at the end") << "1/4:+100 1/5:-50 1/11:+300" << 50 << "1/4"
                                   << "1/5";
  QTest::newRow("never falls") << "1/4:+100 1/5:0 1/11:+300" << 0 << "start"
                               << "start";
  QTest::newRow("high held on a later day") << "1/4:+100 1/5:0 1/11:-150" << 150 << "1/5"
                                            << "1/11";
  QTest::newRow("first of equal falls") << "1/4:-100 1/5:+100 1/11:-100" << 100 << "start"
                                        << "1/4";
  QTest::newRow("no racing day") << "" << 0 << "start"
                                 << "start";
}

void TestTrend::drawdown() {
  QFETCH(QString, days);
  QFETCH(int, amount);
  QFETCH(QString, peak);
  QFETCH(QString, trough);
  const TrendFigures f = computeTrend(*ledgerOf(days));
  QVERIFY(f.maxDrawdown);
  QCOMPARE(f.maxDrawdown->amount, amount);
  QCOMPARE(dateText(f.maxDrawdown->peak), peak);
  QCOMPARE(dateText(f.maxDrawdown->trough), trough);
  QVERIFY(!f.overflow);
}

void TestTrend::runsAndCounts_data() {
  QTest::addColumn<QString>("days");
  QTest::addColumn<int>("wins");
  QTest::addColumn<int>("losses");
  QTest::addColumn<int>("winRun");
  QTest::addColumn<int>("lossRun");
  QTest::newRow("broken by a profit-0 day") << "1/4:+1 1/5:+1 1/11:0 1/12:+1" << 3 << 0 << 2 << 0;
  QTest::newRow("across days without racing")
      << "1/4:+5 3/5:+5 12/31:+5 2/30:-1" << 3 << 1 << 2 << 1;
  QTest::newRow("losing run") << "1/4:-1 1/5:-1 1/6:-1 1/7:+1 1/8:-1" << 1 << 4 << 1 << 3;
  QTest::newRow("profit 0 only") << "1/4:0 1/5:0" << 0 << 0 << 0 << 0;
}

void TestTrend::runsAndCounts() {
  QFETCH(QString, days);
  QFETCH(int, wins);
  QFETCH(int, losses);
  QFETCH(int, winRun);
  QFETCH(int, lossRun);
  const TrendFigures f = computeTrend(*ledgerOf(days));
  QCOMPARE(f.winningDays, wins);
  QCOMPARE(f.losingDays, losses);
  QCOMPARE(f.longestWinningRun, winRun);
  QCOMPARE(f.longestLosingRun, lossRun);
}

void TestTrend::daysInDateOrderWithRunningProfit() {
  // A payout alone makes a racing day, a day the calendar lacks included.
  auto ledger = ledgerOf("12/1:-300 2/30:+500");
  putBet(daySlot(*ledger, 7, 3), BetType::Ren3, 0, 200);
  const TrendFigures f = computeTrend(*ledger);
  QCOMPARE(f.racingDays, 3);
  QCOMPARE(f.days.size(), 3u);
  QCOMPARE(dateText(f.days[0].date), QString("2/30"));
  QCOMPARE(dateText(f.days[1].date), QString("7/3"));
  QCOMPARE(f.days[1].stake, 0);
  QCOMPARE(f.days[1].payout, 200);
  QCOMPARE(f.days[1].cumulative, 700);
  QCOMPARE(f.days[2].profit, -300);
  QCOMPARE(f.days[2].cumulative, 400);
  QCOMPARE(f.stake, 2000);
  QCOMPARE(f.payout, 2400);
  QCOMPARE(f.profit, 400);
  QCOMPARE(f.rate, 1.2f);
}

void TestTrend::bestAndWorstTakeTheEarliestOfATie() {
  const TrendFigures f = computeTrend(*ledgerOf("1/4:+100 1/5:-50 1/11:+100 2/1:-50 2/2:0"));
  QCOMPARE(dateText(f.bestDay->date), QString("1/4"));
  QCOMPARE(f.bestDay->profit, 100);
  QCOMPARE(dateText(f.worstDay->date), QString("1/5"));
  QCOMPARE(f.worstDay->profit, -50);

  const TrendFigures none = computeTrend(*ledgerOf(""));
  QVERIFY(!none.bestDay && !none.worstDay);
  QCOMPARE(none.rate, 0.0f);
}

void TestTrend::periodLimitsEveryFigure() {
  const auto ledger = ledgerOf("3/1:+10 3/2:+10 3/3:+10 3/4:+10 3/5:+10 3/6:-40 4/1:+5");
  const TrendFigures cut = computeTrend(*ledger, Period{3, 3, 3, 31});
  QCOMPARE(cut.racingDays, 4);
  QCOMPARE(cut.longestWinningRun, 3);
  QCOMPARE(cut.profit, -10);
  QCOMPARE(cut.maxDrawdown->amount, 40);
  QCOMPARE(dateText(cut.maxDrawdown->peak), QString("3/5"));

  const TrendFigures head = computeTrend(*ledger, Period{1, 1, 3, 2});
  QCOMPARE(head.longestWinningRun, 2);
  QCOMPARE(head.stake, 2000);

  const TrendFigures backwards = computeTrend(*ledger, Period{5, 1, 3, 1});
  QCOMPARE(backwards.racingDays, 0);
  QCOMPARE(backwards.stake, 0);
}

void TestTrend::overflowLeavesFiguresEmpty_data() {
  QTest::addColumn<int>("betStake");  // every bet type of every day slot
  QTest::addColumn<bool>("dayFigures");
  // 7 x 1,000,000 a day fits; 372 days of it do not.
  QTest::newRow("year sums leave the range") << 1'000'000 << true;
  QTest::newRow("day sums leave the range") << 400'000'000 << false;
}

void TestTrend::overflowLeavesFiguresEmpty() {
  QFETCH(int, betStake);
  QFETCH(bool, dayFigures);
  auto ledger = fixture::emptyLedger();
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= kSlotsPerMonth; ++d) {
      for (const BetTypeInfo& bet : kBetTypes)
        putBet(daySlot(*ledger, m, d), bet.type, betStake, 0);
    }
  }
  const TrendFigures f = computeTrend(*ledger);
  QVERIFY(f.overflow);
  QCOMPARE(f.racingDays, 372);
  QVERIFY(!f.stake && !f.profit && !f.rate && !f.maxDrawdown);
  QCOMPARE(f.payout, 0);
  QCOMPARE(f.days.front().stake.has_value(), dayFigures);
  QVERIFY(!f.days.back().cumulative);
  QCOMPARE(f.losingDays.has_value(), dayFigures);
  QCOMPARE(f.worstDay.has_value(), dayFigures);
  if (dayFigures) QCOMPARE(f.longestLosingRun, 372);
}

void TestTrend::guessYear_data() {
  QTest::addColumn<QString>("days");
  QTest::addColumn<int>("year");
  // Only 2020 has all five at weekends: 29 February is a Saturday there.
  QTest::newRow("one year fits best") << "1/4:+1 1/5:+1 2/29:+1 3/7:+1 3/8:+1" << 2020;
  // 5 January 2026 is a Monday; 2025 is the latest of the years it is a Sunday.
  QTest::newRow("latest of a tie") << "1/5:+1" << 2025;
  QTest::newRow("no racing day") << "" << 2026;
  // Slots no calendar has are days of no year: they count for none.
  QTest::newRow("only slots no calendar has") << "2/30:+1 4/31:+1" << 2026;
}

void TestTrend::guessYear() {
  QFETCH(QString, days);
  QFETCH(int, year);
  QCOMPARE(tamrel::guessYear(*ledgerOf(days), 2026), year);
}

QTEST_APPLESS_MAIN(TestTrend)
#include "test_trend.moc"
