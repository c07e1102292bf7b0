// The 予算 engine on hand-worked years: where the 節 begin and end on the
// calendar, where the year stands against the limits and which limits a
// posting passes.

#include <QtTest>

#include "analysis/budget.h"
#include "browse/ledger_fixture.h"

using namespace tamrel;

Q_DECLARE_METATYPE(BudgetLimits)

namespace {

std::size_t slot(int month, int day) {
  return static_cast<std::size_t>((month - 1) * kSlotsPerMonth + day - 1);
}

// "3/5:1000 3/6:500": the racing days and their stakes (no payout).
YearDaySums daysOf(const QString& days) {
  YearDaySums sums{};
  for (const QString& entry : days.split(' ', Qt::SkipEmptyParts)) {
    const QStringList parts = entry.split(QRegularExpression("[/:]"));
    const int stake = parts.size() > 2 ? parts[2].toInt() : 100;
    sums[slot(parts[0].toInt(), parts[1].toInt())] = DaySums{true, stake, 0};
  }
  return sums;
}

std::vector<TrendDate> datesOf(const QString& days) {
  std::vector<TrendDate> dates;
  for (const QString& entry : days.split(' ', Qt::SkipEmptyParts)) {
    const QStringList parts = entry.split('/');
    dates.push_back({parts[0].toInt(), parts[1].toInt()});
  }
  return dates;
}

// "1/4-1/6 1/11": each 節 by its first and last day.
QString setsuText(const std::vector<Setsu>& runs) {
  QStringList out;
  for (const Setsu& s : runs) {
    QString text = QString("%1/%2").arg(s.first().month).arg(s.first().day);
    if (s.days.size() > 1) text += QString("-%1/%2").arg(s.last().month).arg(s.last().day);
    out << text;
  }
  return out.join(' ');
}

QString passesText(const std::vector<BudgetPass>& passes) {
  static const char* const names[] = {"setsu", "month", "year"};
  QStringList out;
  for (const BudgetPass& p : passes) {
    out << QString("%1:%2/%3").arg(names[static_cast<int>(p.scope)]).arg(p.stake).arg(p.over);
  }
  return out.join(' ');
}

BudgetLimits limits(std::optional<std::int32_t> setsu, std::optional<std::int32_t> month,
                    std::optional<std::int32_t> year) {
  return BudgetLimits{setsu, month, year, std::nullopt};
}

}  // namespace

class TestBudget : public QObject {
  Q_OBJECT
 private slots:
  void setsuBoundaries_data();
  void setsuBoundaries();
  void standingAgainstLimits_data();
  void standingAgainstLimits();
  void standingOfEachSetsuAndTheYear();
  void postingPasses_data();
  void postingPasses();
  void passText();
};

void TestBudget::setsuBoundaries_data() {
  QTest::addColumn<QString>("days");
  QTest::addColumn<int>("year");
  QTest::addColumn<QString>("setsu");
  // 2025: 1/4 is a Saturday, 1/13 a holiday Monday.
  QTest::newRow("weekend, then the next") << "1/4 1/5 1/11" << 2025 << "1/4-1/5 1/11";
  QTest::newRow("saturday to holiday monday") << "1/11 1/13" << 2025 << "1/11-1/13";
  QTest::newRow("two days between") << "1/4 1/7" << 2025 << "1/4 1/7";
  QTest::newRow("across a month end") << "1/31 2/1" << 2026 << "1/31-2/1";
  // A 31-slot month would put three slots between 4/29 and 5/1.
  QTest::newRow("april has thirty days") << "4/29 5/1" << 2025 << "4/29-5/1";
  QTest::newRow("february end, common year") << "2/27 3/1" << 2025 << "2/27-3/1";
  QTest::newRow("february end, leap year") << "2/27 3/1" << 2024 << "2/27 3/1";
  QTest::newRow("2/29 in a leap year joins") << "2/28 2/29 3/1" << 2024 << "2/28-3/1";
  QTest::newRow("2/29 in a common year stands alone") << "2/28 2/29 3/1" << 2025 << "2/28-3/1 2/29";
  QTest::newRow("2/30 stands alone, its neighbours join")
      << "2/28 2/30 3/1" << 2025 << "2/28-3/1 2/30";
  QTest::newRow("4/31 alone") << "4/31" << 2025 << "4/31";
  QTest::newRow("year end never joins its start") << "1/1 12/30 12/31" << 2025 << "1/1 12/30-12/31";
  QTest::newRow("no racing day") << "" << 2025 << "";
}

void TestBudget::setsuBoundaries() {
  QFETCH(QString, days);
  QFETCH(int, year);
  QFETCH(QString, setsu);
  QCOMPARE(setsuText(findSetsu(datesOf(days), year)), setsu);
}

void TestBudget::standingAgainstLimits_data() {
  QTest::addColumn<int>("stake");
  QTest::addColumn<BudgetLimits>("limits");
  QTest::addColumn<bool>("hasLeft");
  QTest::addColumn<int>("left");
  QTest::addColumn<bool>("passed");
  QTest::newRow("exactly at") << 10000 << limits(10000, 10000, 10000) << true << 0 << false;
  QTest::newRow("one yen over") << 10001 << limits(10000, 10000, 10000) << true << -1 << true;
  QTest::newRow("below") << 9000 << limits(10000, 10000, 10000) << true << 1000 << false;
  QTest::newRow("no limit") << 10001 << limits({}, {}, {}) << false << 0 << false;
  QTest::newRow("zero limit, no stake") << 0 << limits(0, 0, 0) << true << 0 << false;
}

void TestBudget::standingAgainstLimits() {
  QFETCH(int, stake);
  QFETCH(BudgetLimits, limits);
  QFETCH(bool, hasLeft);
  QFETCH(int, left);
  QFETCH(bool, passed);
  // One racing day (or none): the 節, its month and the year hold the same.
  const YearDaySums days = daysOf(stake > 0 ? QString("3/1:%1").arg(stake) : QString());
  const BudgetStanding s = budgetStanding(days, limits, 2025);
  std::vector<BudgetLine> lines{s.months[2], s.year};
  if (stake > 0) lines.push_back(s.setsu.at(0).line);
  for (const BudgetLine& line : lines) {
    QCOMPARE(line.stake, std::optional<std::int32_t>(stake));
    QCOMPARE(line.left.has_value(), hasLeft);
    if (hasLeft) QCOMPARE(*line.left, left);
    QCOMPARE(line.passed(), passed);
  }
}

void TestBudget::standingOfEachSetsuAndTheYear() {
  auto ledger = fixture::emptyLedger();
  fixture::putBet(daySlot(*ledger, 1, 4), BetType::Tan, 3000, 0);
  fixture::putBet(daySlot(*ledger, 1, 5), BetType::Fuk, 4000, 9000);
  fixture::putBet(daySlot(*ledger, 2, 1), BetType::Tan, 1000, 0);
  const BudgetStanding s =
      budgetStanding(ledgerDaySums(*ledger), BudgetLimits{5000, 6000, {}, 80}, 2025);
  QCOMPARE(s.setsu.size(), std::size_t{2});
  QCOMPARE(s.setsu[0].line.stake, 7000);
  QCOMPARE(s.setsu[0].line.left, -2000);
  QCOMPARE(s.setsu[1].line.left, 4000);
  QCOMPARE(s.months[0].left, -1000);
  QCOMPARE(s.months[1].left, 5000);
  QCOMPARE(s.months[2].stake, 0);
  QCOMPARE(s.year.stake, 8000);
  QVERIFY(!s.year.left);
  QCOMPARE(s.payout, 9000);
  QVERIFY(s.rate && qFuzzyCompare(*s.rate, 9000.0f / 8000.0f));
  QCOMPARE(s.rateTarget, 80);
}

void TestBudget::postingPasses_data() {
  QTest::addColumn<QString>("days");
  QTest::addColumn<BudgetLimits>("limits");
  QTest::addColumn<QString>("posted");  // "1/5:2000"
  QTest::addColumn<QString>("passes");
  // 2025: 1/4 Saturday, 1/5 Sunday, 1/7 Tuesday.
  QTest::newRow("month exactly at") << "1/4:6000" << limits({}, 10000, {}) << "1/5:4000"
                                    << "";
  QTest::newRow("month one yen over") << "1/4:6000" << limits({}, 10000, {}) << "1/5:4001"
                                      << "month:10001/1";
  QTest::newRow("no limit") << "1/4:6000" << limits({}, {}, {}) << "1/5:99999"
                            << "";
  QTest::newRow("setsu one yen over") << "1/4:6000" << limits(10000, {}, {}) << "1/5:4001"
                                      << "setsu:10001/1";
  QTest::newRow("setsu exactly at") << "1/4:6000" << limits(10000, {}, {}) << "1/5:4000"
                                    << "";
  QTest::newRow("other setsu not counted") << "1/4:6000" << limits(10000, {}, {}) << "1/11:5000"
                                           << "";
  QTest::newRow("posting joins two setsu")
      << "1/4:6000 1/7:6000" << limits(10000, {}, {}) << "1/5:100"
      << "setsu:12100/2100";
  QTest::newRow("replaces the day's stake")
      << "1/4:6000 1/5:3000" << limits({}, 10000, {}) << "1/5:4000"
      << "";
  QTest::newRow("already over, raised") << "1/4:12000" << limits({}, 10000, {}) << "1/5:1"
                                        << "month:12001/2001";
  QTest::newRow("already over, lowered")
      << "1/4:12000 1/5:500" << limits({}, 10000, {}) << "1/5:100"
      << "";
  QTest::newRow("all three, in order")
      << "1/4:6000 3/1:50000" << limits(10000, 10000, 60000) << "1/5:5000"
      << "setsu:11000/1000 month:11000/1000 "
         "year:61000/1000";
  QTest::newRow("other month not counted") << "2/1:9000" << limits({}, 10000, {}) << "1/31:9000"
                                           << "";
}

void TestBudget::postingPasses() {
  QFETCH(QString, days);
  QFETCH(BudgetLimits, limits);
  QFETCH(QString, posted);
  QFETCH(QString, passes);
  const QStringList p = posted.split(QRegularExpression("[/:]"));
  const DaySums day{true, p[2].toInt(), 0};
  QCOMPARE(passesText(
               tamrel::postingPasses(daysOf(days), limits, 2025, p[0].toInt(), p[1].toInt(), day)),
           passes);
}

void TestBudget::passText() {
  QCOMPARE(QString::fromStdString(budgetPassText({BudgetScope::Month, 22000, 12000}, 3, 3)),
           QString("今月の予算を 12,000円 超えます"));
  QCOMPARE(QString::fromStdString(budgetPassText({BudgetScope::Month, 22000, 12000}, 2, 3)),
           QString("2月の予算を 12,000円 超えます"));
  QCOMPARE(QString::fromStdString(budgetPassText({BudgetScope::Setsu, 5, 1}, 2, 3)),
           QString("この節の予算を 1円 超えます"));
  QCOMPARE(QString::fromStdString(budgetPassText({BudgetScope::Year, 5, 1}, 2, 3)),
           QString("今年の予算を 1円 超えます"));
}

QTEST_APPLESS_MAIN(TestBudget)
#include "test_budget.moc"
