#include <QtTest>

#include <limits>
#include <set>
#include <string>

#include "ledger/ledger_init.h"
#include "ledger/ledger_records.h"

using namespace tamrel;

Q_DECLARE_METATYPE(tamrel::BetAmounts)

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

BetAmounts amounts(std::initializer_list<std::int32_t> stakes,
                   std::initializer_list<std::int32_t> payouts) {
  BetAmounts a;
  std::copy(stakes.begin(), stakes.end(), a.stake.begin());
  std::copy(payouts.begin(), payouts.end(), a.payout.begin());
  return a;
}

std::int32_t read(const LedgerRecord& r, Quantity q, BetType t) {
  const auto v = amount(r, q, t);
  if (!v) qFatal("unreadable amount");
  return *v;
}

std::int32_t readField(const LedgerRecord& r, int k) {
  const auto v = r.field(k);
  if (!v) qFatal("unreadable field");
  return *v;
}

// Writes a field's text as a file could hold it, whatever it is.
void putText(LedgerRecord& r, Quantity q, BetType t, std::string_view text) {
  const auto at = static_cast<std::size_t>(r.fieldText(fileField(q, t)).data() - r.text.data());
  std::copy(text.begin(), text.end(), r.text.begin() + static_cast<std::ptrdiff_t>(at));
}

YearLedger freshLedger() {
  YearLedger l;
  resetLedger(l);
  return l;
}

// Shows a day (which sets the baseline) and posts new values, as the entry
// window does.
PostResult showAndPost(YearLedger& l, BetAmounts& baseline, int m, int d, const BetAmounts& v) {
  if (!showDay(l, baseline, m, d)) qFatal("showDay failed");
  return postDay(l, baseline, m, d, v);
}

}  // namespace

class TestLedgerRecords : public QObject {
  Q_OBJECT

 private slots:
  void fileFieldOrder();
  void slotMapping_data();
  void slotMapping();
  void fieldsSitInTheirColumns();
  void derivedFigures();
  void derivedFiguresOverflow_data();
  void derivedFiguresOverflow();
  void showDaySetsBaseline();
  void postUpdatesDayMonthYear();
  void postSameValuesTwiceLeavesTotals();
  void postFebruary31();
  void postZerosLowersMonthAndYear();
  void postKeepsYearOwnTotals();
  void postKeepsCarriedProfitFields();
  void postNegativeAmounts();
  void postOverflowChangesNothing_data();
  void postOverflowChangesNothing();
  void daySumsReadEveryForm_data();
  void daySumsReadEveryForm();
};

void TestLedgerRecords::fileFieldOrder() {
  // Stake, payout, profit of each type together; totals between Uma and Kak.
  QCOMPARE(fileField(Quantity::Stake, BetType::Tan), 1);
  QCOMPARE(fileField(Quantity::Payout, BetType::Tan), 2);
  QCOMPARE(fileField(Quantity::Profit, BetType::Tan), 3);
  QCOMPARE(fileField(Quantity::Stake, BetType::Uma), 10);
  QCOMPARE(fileField(Quantity::Profit, BetType::Uma), 12);
  QCOMPARE(fileField(Quantity::Stake, BetType::Kak), 16);
  QCOMPARE(fileField(Quantity::Payout, BetType::UTan), 20);
  QCOMPARE(fileField(Quantity::Profit, BetType::Ren3), 24);
  std::set<int> used{LedgerRecord::kStakeTotalField, LedgerRecord::kPayoutTotalField,
                     LedgerRecord::kProfitTotalField};
  for (const auto& bt : kBetTypes) {
    for (Quantity q : {Quantity::Stake, Quantity::Payout, Quantity::Profit}) {
      QVERIFY(used.insert(fileField(q, bt.type)).second);
    }
  }
  QCOMPARE(used.size(), std::size_t{24});
}

void TestLedgerRecords::slotMapping_data() {
  QTest::addColumn<int>("month");
  QTest::addColumn<int>("day");
  QTest::addColumn<int>("slot");
  QTest::newRow("1/1") << 1 << 1 << 1;
  QTest::newRow("1/31") << 1 << 31 << 31;
  QTest::newRow("2/1") << 2 << 1 << 32;
  QTest::newRow("2/31") << 2 << 31 << 62;
  QTest::newRow("6/31") << 6 << 31 << 186;
  QTest::newRow("7/1") << 7 << 1 << 1;
  QTest::newRow("12/31") << 12 << 31 << 186;
  QTest::newRow("10/5") << 10 << 5 << 98;
}

void TestLedgerRecords::slotMapping() {
  QFETCH(int, month);
  QFETCH(int, day);
  QFETCH(int, slot);
  QCOMPARE(slotIndex(month, day), slot);
  YearLedger l;
  const auto& block = month <= 6 ? l.firstHalf : l.secondHalf;
  QCOMPARE(&daySlot(l, month, day), &block[static_cast<std::size_t>(slot - 1)]);
}

void TestLedgerRecords::fieldsSitInTheirColumns() {
  LedgerRecord r;
  QVERIFY(setAmount(r, Quantity::Payout, BetType::Tan, 1234));
  QCOMPARE(r.view().substr(15, 10), std::string_view("0000001234"));  // columns 16-25
  QVERIFY(r.setField(24, 7));
  QCOMPARE(r.view().substr(257, 10), std::string_view("0000000007"));  // columns 258-267
  QCOMPARE(r.view().substr(0, 15), std::string_view("               "));
  QVERIFY(!r.setField(5, -1000000000));
  QCOMPARE(r.fieldText(5), std::string_view("          "));
  QCOMPARE(r.field(5), std::optional<std::int32_t>(0));
}

void TestLedgerRecords::derivedFigures() {
  const auto f = deriveFigures(amounts({1000, 0, 0, 0, 0, 0, 0}, {2350, 500, 0, 0, 0, 0, 0}));
  QVERIFY(f);
  QCOMPARE(f->bets[0].profit, 1350);
  QCOMPARE(f->bets[0].rate, 2.35f);
  QCOMPARE(f->bets[1].profit, 500);
  QCOMPARE(f->bets[1].rate, 0.0f);  // payout without stake
  QCOMPARE(f->bets[6].rate, 0.0f);
  QCOMPARE(f->total.stake, 1000);
  QCOMPARE(f->total.payout, 2850);
  QCOMPARE(f->total.profit, 1850);
  QCOMPARE(f->total.rate, 2.85f);

  const auto zero = deriveFigures(BetAmounts{});
  QVERIFY(zero);
  QCOMPARE(zero->total.rate, 0.0f);
  QCOMPARE(zero->total.profit, 0);

  const auto payoutOnly = deriveFigures(amounts({}, {0, 0, 0, 0, 0, 0, 300}));
  QVERIFY(payoutOnly);
  QCOMPARE(payoutOnly->total.rate, 0.0f);
  QCOMPARE(payoutOnly->total.profit, 300);
}

void TestLedgerRecords::derivedFiguresOverflow_data() {
  QTest::addColumn<BetAmounts>("values");
  QTest::newRow("stake sum") << amounts({kMax, 1, 0, 0, 0, 0, 0}, {});
  QTest::newRow("payout sum") << amounts({}, {0, 0, 0, 0, 0, kMax, 1});
  QTest::newRow("profit of one type") << amounts({-2, 0, 0, 0, 0, 0, 0}, {kMax, 0, 0, 0, 0, 0, 0});
  QTest::newRow("profit sum") << amounts({}, {kMax, 0, 0, 0, 1, 0, 0});
}

void TestLedgerRecords::derivedFiguresOverflow() {
  QFETCH(BetAmounts, values);
  QVERIFY(!deriveFigures(values));
}

void TestLedgerRecords::showDaySetsBaseline() {
  YearLedger l = freshLedger();
  BetAmounts baseline = amounts({9, 9, 9, 9, 9, 9, 9}, {9, 9, 9, 9, 9, 9, 9});
  QVERIFY(setAmount(daySlot(l, 3, 4), Quantity::Stake, BetType::Uma, 700));
  QVERIFY(setAmount(daySlot(l, 3, 4), Quantity::Payout, BetType::Kak, 1200));
  const auto f = showDay(l, baseline, 3, 4);
  QVERIFY(f);
  QCOMPARE(baseline, amounts({0, 0, 0, 700, 0, 0, 0}, {0, 0, 0, 0, 1200, 0, 0}));
  QCOMPARE(f->total.profit, 500);

  // An amount outside the 32-bit range (an edited file) leaves the baseline.
  const BetAmounts before = baseline;
  std::copy_n("9999999999", 10, daySlot(l, 3, 4).text.begin() + 4);
  QVERIFY(!showDay(l, baseline, 3, 4));
  QCOMPARE(baseline, before);
}

void TestLedgerRecords::postUpdatesDayMonthYear() {
  YearLedger l = freshLedger();
  BetAmounts baseline;
  const BetAmounts v = amounts({1000, 200, 0, 300, 400, 0, 100}, {2350, 0, 0, 0, 900, 0, 50});
  QCOMPARE(showAndPost(l, baseline, 5, 17, v), PostResult::Ok);
  QCOMPARE(baseline, v);

  const LedgerRecord& day = daySlot(l, 5, 17);
  QCOMPARE(betAmounts(day), std::optional<BetAmounts>(v));
  QCOMPARE(readField(day, LedgerRecord::kStakeTotalField), 2000);
  QCOMPARE(readField(day, LedgerRecord::kPayoutTotalField), 3300);
  QCOMPARE(day.identifier(), std::string_view("D17"));
  QCOMPARE(betAmounts(l.month(5)), std::optional<BetAmounts>(v));
  QCOMPARE(readField(l.month(5), LedgerRecord::kStakeTotalField), 2000);
  QCOMPARE(readField(l.month(5), LedgerRecord::kPayoutTotalField), 3300);
  QCOMPARE(betAmounts(l.year), std::optional<BetAmounts>(v));
  QCOMPARE(betAmounts(l.month(4)), std::optional<BetAmounts>(BetAmounts{}));

  // A second day of the month adds to the month and the year.
  const BetAmounts w = amounts({500, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0});
  QCOMPARE(showAndPost(l, baseline, 5, 18, w), PostResult::Ok);
  QCOMPARE(read(l.month(5), Quantity::Stake, BetType::Tan), 1500);
  QCOMPARE(readField(l.month(5), LedgerRecord::kStakeTotalField), 2500);
  QCOMPARE(read(l.year, Quantity::Stake, BetType::Tan), 1500);
  // Another month's day reaches the year but not this month.
  QCOMPARE(showAndPost(l, baseline, 11, 2, w), PostResult::Ok);
  QCOMPARE(read(l.year, Quantity::Stake, BetType::Tan), 2000);
  QCOMPARE(read(l.month(5), Quantity::Stake, BetType::Tan), 1500);
  QCOMPARE(read(daySlot(l, 11, 2), Quantity::Stake, BetType::Tan), 500);
  QCOMPARE(read(daySlot(l, 5, 2), Quantity::Stake, BetType::Tan), 0);
}

void TestLedgerRecords::postSameValuesTwiceLeavesTotals() {
  YearLedger l = freshLedger();
  BetAmounts baseline;
  const BetAmounts v = amounts({100, 200, 300, 400, 500, 600, 700}, {10, 20, 30, 40, 50, 60, 70});
  QCOMPARE(showAndPost(l, baseline, 8, 9, v), PostResult::Ok);
  const YearLedger afterFirst = l;
  QCOMPARE(showAndPost(l, baseline, 8, 9, v), PostResult::Ok);
  QCOMPARE(l.month(8).view(), afterFirst.month(8).view());
  QCOMPARE(l.year.view(), afterFirst.year.view());
  QCOMPARE(daySlot(l, 8, 9).view(), daySlot(afterFirst, 8, 9).view());
  // Posting again without showing: the baseline is the posted values.
  QCOMPARE(postDay(l, baseline, 8, 9, v), PostResult::Ok);
  QCOMPARE(l.year.view(), afterFirst.year.view());
}

void TestLedgerRecords::postFebruary31() {
  YearLedger l = freshLedger();
  BetAmounts baseline;
  const BetAmounts v = amounts({800, 0, 0, 0, 0, 0, 0}, {1600, 0, 0, 0, 0, 0, 0});
  QCOMPARE(showAndPost(l, baseline, 2, 31, v), PostResult::Ok);
  QCOMPARE(read(l.month(2), Quantity::Stake, BetType::Tan), 800);
  QCOMPARE(read(l.month(3), Quantity::Stake, BetType::Tan), 0);
  QCOMPARE(read(l.firstHalf[61], Quantity::Payout, BetType::Tan), 1600);
  QCOMPARE(l.firstHalf[61].identifier(), std::string_view("D31"));
}

void TestLedgerRecords::postZerosLowersMonthAndYear() {
  YearLedger l = freshLedger();
  BetAmounts baseline;
  QCOMPARE(showAndPost(l, baseline, 6, 1, amounts({300, 0, 0, 0, 0, 0, 0}, {})), PostResult::Ok);
  const BetAmounts v = amounts({1000, 0, 0, 0, 0, 0, 200}, {0, 0, 0, 0, 0, 0, 5000});
  QCOMPARE(showAndPost(l, baseline, 6, 2, v), PostResult::Ok);
  QCOMPARE(showAndPost(l, baseline, 6, 2, BetAmounts{}), PostResult::Ok);
  QCOMPARE(read(l.month(6), Quantity::Stake, BetType::Tan), 300);
  QCOMPARE(read(l.month(6), Quantity::Stake, BetType::Ren3), 0);
  QCOMPARE(read(l.month(6), Quantity::Payout, BetType::Ren3), 0);
  QCOMPARE(readField(l.month(6), LedgerRecord::kStakeTotalField), 300);
  QCOMPARE(readField(l.month(6), LedgerRecord::kPayoutTotalField), 0);
  QCOMPARE(read(l.year, Quantity::Stake, BetType::Tan), 300);
  QCOMPARE(readField(daySlot(l, 6, 2), LedgerRecord::kStakeTotalField), 0);
  QCOMPARE(betAmounts(daySlot(l, 6, 2)), std::optional<BetAmounts>(BetAmounts{}));
}

void TestLedgerRecords::postKeepsYearOwnTotals() {
  YearLedger l = freshLedger();
  BetAmounts baseline;
  for (int m = 1; m <= 12; m += 5) {
    for (int d = 1; d <= 31; d += 10) {
      QCOMPARE(
          showAndPost(l, baseline, m, d, amounts({100, 0, 0, 0, 0, 0, 1}, {0, 50, 0, 0, 0, 0, 0})),
          PostResult::Ok);
    }
  }
  QCOMPARE(l.year.fieldText(LedgerRecord::kStakeTotalField), std::string_view("0000000000"));
  QCOMPARE(l.year.fieldText(LedgerRecord::kPayoutTotalField), std::string_view("0000000000"));
  QCOMPARE(read(l.year, Quantity::Stake, BetType::Tan), 1200);
  QCOMPARE(read(l.year, Quantity::Payout, BetType::Fuk), 600);
}

void TestLedgerRecords::postKeepsCarriedProfitFields() {
  YearLedger l = freshLedger();
  // Odd carried profit fields and identifiers must survive a posting.
  for (LedgerRecord* r : {&l.year, &l.month(9), &daySlot(l, 9, 30)}) {
    std::copy_n("ABCDEFGHIJ", 10, r->text.begin() + 26);   // Tan profit
    std::copy_n("  xx  -3  ", 10, r->text.begin() + 158);  // profit total
  }
  BetAmounts baseline;
  QCOMPARE(
      showAndPost(l, baseline, 9, 30, amounts({100, 0, 0, 0, 0, 0, 0}, {900, 0, 0, 0, 0, 0, 0})),
      PostResult::Ok);
  for (const LedgerRecord* r : {&l.year, &l.month(9), &daySlot(l, 9, 30)}) {
    QCOMPARE(r->view().substr(26, 10), std::string_view("ABCDEFGHIJ"));
    QCOMPARE(r->view().substr(158, 10), std::string_view("  xx  -3  "));
  }
}

void TestLedgerRecords::postNegativeAmounts() {
  YearLedger l = freshLedger();
  BetAmounts baseline;
  const BetAmounts v = amounts({0, 0, 0, 0, -500, 0, 0}, {0, 0, 0, 0, 0, -20, 0});
  QCOMPARE(showAndPost(l, baseline, 12, 31, v), PostResult::Ok);
  const LedgerRecord& day = daySlot(l, 12, 31);
  QCOMPARE(day.fieldText(fileField(Quantity::Stake, BetType::Kak)), std::string_view("-000000500"));
  QCOMPARE(day.fieldText(LedgerRecord::kStakeTotalField), std::string_view("-000000500"));
  QCOMPARE(l.month(12).fieldText(LedgerRecord::kPayoutTotalField), std::string_view("-000000020"));
  QCOMPARE(betAmounts(l.year), std::optional<BetAmounts>(v));
  const auto f = showDay(l, baseline, 12, 31);
  QVERIFY(f);
  QCOMPARE(f->total.stake, -500);
  QCOMPARE(f->total.profit, 480);
}

void TestLedgerRecords::postOverflowChangesNothing_data() {
  QTest::addColumn<int>("preloadField");  // month record field set to preloadValue
  QTest::addColumn<int>("preloadValue");
  QTest::addColumn<BetAmounts>("values");
  QTest::newRow("sum of new stakes") << 0 << 0 << amounts({kMax, 1, 0, 0, 0, 0, 0}, {});
  QTest::newRow("month per-type stake")
      << fileField(Quantity::Stake, BetType::Wak) << kMax - 5
      << amounts({10, 20, 36, 40, 50, 60, 70}, {1, 2, 3, 4, 5, 6, 7});
  QTest::newRow("month payout total")
      << LedgerRecord::kPayoutTotalField << kMax
      << amounts({10, 20, 30, 40, 50, 60, 70}, {1, 2, 3, 4, 5, 6, 8});
  QTest::newRow("day stake not storable") << 0 << 0 << amounts({0, 0, 0, 0, -1000000000, 0, 0}, {});
  QTest::newRow("month total not storable")
      << LedgerRecord::kStakeTotalField << -999999999 << amounts({0, 0, 0, 0, 0, -1, 0}, {});
}

void TestLedgerRecords::postOverflowChangesNothing() {
  QFETCH(int, preloadField);
  QFETCH(int, preloadValue);
  QFETCH(BetAmounts, values);
  YearLedger l = freshLedger();
  BetAmounts baseline;
  QCOMPARE(
      showAndPost(l, baseline, 4, 10, amounts({10, 20, 30, 40, 50, 60, 70}, {1, 2, 3, 4, 5, 6, 7})),
      PostResult::Ok);
  if (preloadField != 0) QVERIFY(l.month(4).setField(preloadField, preloadValue));
  const std::string before = [&] {
    std::string s(l.year.view());
    for (const auto& r : l.months) s += r.view();
    for (const auto& r : l.firstHalf) s += r.view();
    for (const auto& r : l.secondHalf) s += r.view();
    return s;
  }();
  const BetAmounts baselineBefore = baseline;

  QCOMPARE(postDay(l, baseline, 4, 10, values), PostResult::Overflow);

  std::string after(l.year.view());
  for (const auto& r : l.months) after += r.view();
  for (const auto& r : l.firstHalf) after += r.view();
  for (const auto& r : l.secondHalf) after += r.view();
  QCOMPARE(after, before);
  QCOMPARE(baseline, baselineBefore);
}

// A day slot's sums, whatever its fields hold: -1 for an empty sum.
void TestLedgerRecords::daySumsReadEveryForm_data() {
  QTest::addColumn<QString>("firstStake");   // 単勝's
  QTest::addColumn<QString>("otherStakes");  // each of the six others
  QTest::addColumn<QString>("payouts");      // each of the seven
  QTest::addColumn<bool>("racing");
  QTest::addColumn<qint64>("stake");
  QTest::addColumn<qint64>("payout");
  const QString zero = "0000000000";
  QTest::newRow("all zero") << zero << zero << zero << false << 0ll << 0ll;
  QTest::newRow("one stake") << "0000000100" << zero << zero << true << 100ll << 0ll;
  QTest::newRow("payouts only") << zero << zero << "0000000001" << true << 0ll << 7ll;
  QTest::newRow("digits carry") << "0000000099"
                                << "0000000099"
                                << "0123456789" << true << 693ll << 864197523ll;
  QTest::newRow("exactly the largest") << "1999999993"
                                       << "0024580609" << zero << true << 2147483647ll << 0ll;
  QTest::newRow("one over the largest") << "1999999994"
                                        << "0024580609" << zero << true << -1ll << 0ll;
  QTest::newRow("seven large stakes") << "0999999999"
                                      << "0999999999"
                                      << "0000000009" << true << -1ll << 63ll;
  QTest::newRow("field from 2 on") << "2147483647" << zero << zero << true << 2147483647ll << 0ll;
  QTest::newRow("field out of range")
      << "2147483648" << zero << "0000000005" << true << -1ll << -1ll;
  QTest::newRow("blank field") << "          " << zero << zero << false << 0ll << 0ll;
  QTest::newRow("negative field") << "-000000500"
                                  << "0000001000" << zero << true << 5500ll << 0ll;
  QTest::newRow("spaced digits") << "  1 000   " << zero << zero << true << 1000ll << 0ll;
}

void TestLedgerRecords::daySumsReadEveryForm() {
  QFETCH(QString, firstStake);
  QFETCH(QString, otherStakes);
  QFETCH(QString, payouts);
  LedgerRecord r;
  for (const BetTypeInfo& bt : kBetTypes) {
    const QString stake = bt.type == BetType::Tan ? firstStake : otherStakes;
    putText(r, Quantity::Stake, bt.type, stake.toStdString());
    putText(r, Quantity::Payout, bt.type, payouts.toStdString());
  }
  const DaySums sums = daySums(r);
  QTEST(sums.racing, "racing");
  QTEST(qint64{sums.stake.value_or(-1)}, "stake");
  QTEST(qint64{sums.payout.value_or(-1)}, "payout");
}

QTEST_APPLESS_MAIN(TestLedgerRecords)
#include "test_ledger_records.moc"
