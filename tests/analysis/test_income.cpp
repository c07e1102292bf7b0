// 一時所得 on hand-worked years: the steps from payouts to the amount that
// counts, below and above the special deduction, days with day amounts and
// no ticket, the period, and sums beyond the 32-bit range.

#include <QtTest>

#include <memory>

#include "analysis/analysis_tickets.h"
#include "analysis/income.h"
#include "browse/ledger_fixture.h"

using namespace tamrel;
using analysisdata::append;
using analysisdata::ticket;
using fixture::putBet;

namespace {

struct Year {
  Year() { clearTickets(*tickets); }
  std::unique_ptr<YearLedger> ledger = fixture::emptyLedger();
  std::unique_ptr<TicketStore> tickets = std::make_unique<TicketStore>();

  void add(int month, int day, char betType, std::int32_t stake, std::int32_t payout) {
    const std::string codes{'1', '1', '1', '1', '1', '1', betType, '1', '1', '1'};
    append(*tickets, month, ticket(month, day, codes, stake, payout));
  }
};

// 3/5: two tickets, a loser and a 馬連 hit; 4/2: a small ワイド hit; 5/10
// and 6/1: day amounts with no ticket; 3/5 also has its day amounts, which
// the tickets stand for.
void fillHandWorked(Year& y) {
  y.add(3, 5, '1', 1000, 0);
  y.add(3, 5, '4', 2000, 700000);
  y.add(4, 2, '5', 500, 1200);
  putBet(daySlot(*y.ledger, 3, 5), BetType::Tan, 1000, 0);
  putBet(daySlot(*y.ledger, 3, 5), BetType::Uma, 2000, 700000);
  putBet(daySlot(*y.ledger, 5, 10), BetType::Uma, 10000, 300000);
  putBet(daySlot(*y.ledger, 6, 1), BetType::Tan, 5000, 0);
}

}  // namespace

class TestIncome : public QObject {
  Q_OBJECT
 private slots:
  void steps_data();
  void steps();
  void handWorkedYear();
  void periodLimitsTicketsAndDays();
  void sumsBeyondThirtyTwoBits();
};

void TestIncome::steps_data() {
  QTest::addColumn<qint64>("payouts");
  QTest::addColumn<qint64>("stakes");
  QTest::addColumn<qint64>("deduction");
  QTest::addColumn<qint64>("occasional");
  QTest::addColumn<qint64>("taxable");
  QTest::newRow("below the deduction") << 600000LL << 200000LL << 400000LL << 0LL << 0LL;
  QTest::newRow("exactly the deduction") << 700000LL << 200000LL << 500000LL << 0LL << 0LL;
  QTest::newRow("one yen over: half of 1 drops") << 700001LL << 200000LL << 500000LL << 1LL << 0LL;
  QTest::newRow("above") << 2000000LL << 300000LL << 500000LL << 1200000LL << 600000LL;
  QTest::newRow("odd remainder") << 1500003LL << 0LL << 500000LL << 1000003LL << 500001LL;
  QTest::newRow("stakes above payouts") << 100LL << 1000LL << 0LL << 0LL << 0LL;
}

void TestIncome::steps() {
  QFETCH(qint64, payouts);
  QFETCH(qint64, stakes);
  QFETCH(qint64, deduction);
  QFETCH(qint64, occasional);
  QFETCH(qint64, taxable);
  const IncomeSteps s = incomeSteps(payouts, stakes);
  QCOMPARE(s.deduction, deduction);
  QCOMPARE(s.occasional, occasional);
  QCOMPARE(s.taxable, taxable);
}

void TestIncome::handWorkedYear() {
  Year y;
  fillHandWorked(y);
  const IncomeFigures f = computeIncome(*y.ledger, *y.tickets);
  // The loser's 1,000 円 is not set against the winnings.
  QCOMPARE(f.winningTickets, 2);
  QCOMPARE(f.exact.payouts, 701200);
  QCOMPARE(f.exact.stakes, 2500);
  QCOMPARE(f.exact.gain, 698700);
  QCOMPARE(f.exact.deduction, 500000);
  QCOMPARE(f.exact.occasional, 198700);
  QCOMPARE(f.exact.taxable, 99350);
  // 5/10 and 6/1; 3/5 is ticketed and not counted twice.
  QCOMPARE(f.unticketedDays, 2);
  QCOMPARE(f.unticketedPayouts, 300000);
  QCOMPARE(f.unticketedStakes, 15000);
  QCOMPARE(f.upperBound.payouts, 1001200);
  QCOMPARE(f.upperBound.stakes, 2500);
  QCOMPARE(f.upperBound.occasional, 498700);
  QCOMPARE(f.upperBound.taxable, 249350);
}

void TestIncome::periodLimitsTicketsAndDays() {
  Year y;
  fillHandWorked(y);
  // April and May: the ワイド hit alone, below the deduction, and 5/10.
  const IncomeFigures f = computeIncome(*y.ledger, *y.tickets, Period{4, 1, 5, 31});
  QCOMPARE(f.winningTickets, 1);
  QCOMPARE(f.exact.gain, 700);
  QCOMPARE(f.exact.deduction, 700);
  QCOMPARE(f.exact.taxable, 0);
  QCOMPARE(f.unticketedDays, 1);
  QCOMPARE(f.upperBound.payouts, 301200);
  QCOMPARE(f.upperBound.deduction, 300700);
  QCOMPARE(f.upperBound.taxable, 0);
}

void TestIncome::sumsBeyondThirtyTwoBits() {
  Year y;
  for (int i = 0; i < 3; ++i) y.add(7, 1 + i, '1', 100, 2000000000);
  putBet(daySlot(*y.ledger, 8, 1), BetType::Tan, 100, 2000000000);
  const IncomeFigures f = computeIncome(*y.ledger, *y.tickets);
  QCOMPARE(f.exact.payouts, 6000000000LL);
  QCOMPARE(f.exact.taxable, (6000000000LL - 300 - 500000) / 2);
  QCOMPARE(f.upperBound.payouts, 8000000000LL);
  // A ticket whose amount cannot be read is counted as such, not as 0.
  TicketRecord bad = ticket(9, 1, "1111111111", 100, 0);
  bad.setField(TicketField::Payout, fixture::kTooLarge);
  append(*y.tickets, 9, bad);
  QCOMPARE(computeIncome(*y.ledger, *y.tickets).unreadable, 1);
}

QTEST_APPLESS_MAIN(TestIncome)
#include "test_income.moc"
