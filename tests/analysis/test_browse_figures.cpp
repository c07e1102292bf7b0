// The figures of the browse windows and the monthly graph, from ledger
// records: colour rules, totals, the day-slot blocks and what happens to
// figures outside the 32-bit range.

#include <QtTest>

#include "analysis/browse_figures.h"
#include "browse/ledger_fixture.h"

using namespace tamrel;
using namespace tamrel::fixture;

Q_DECLARE_METATYPE(tamrel::FigureColour)

namespace {

using Colour = FigureColour;

QString text(const ShownFigure& f) { return QString::fromStdString(f.text); }

}  // namespace

class TestBrowseFigures : public QObject {
  Q_OBJECT

 private slots:
  void betRow_data();
  void betRow();
  void totalsAreSumsOfTheBetTypes();
  void outOfRange_data();
  void outOfRange();
  void yearGridFromStoredMonthTotals();
  void monthGridSlots_data();
  void monthGridSlots();
  void monthProfits();
  void labels();
};

void TestBrowseFigures::betRow_data() {
  QTest::addColumn<int>("stake");
  QTest::addColumn<int>("payout");
  QTest::addColumn<QString>("profit");
  QTest::addColumn<Colour>("profitColour");
  QTest::addColumn<QString>("rate");
  QTest::addColumn<Colour>("rateColour");

  QTest::newRow("nothing bought") << 0 << 0 << "0" << Colour::Green << "0.00%" << Colour::Green;
  QTest::newRow("exactly 1") << 1000 << 1000 << "0" << Colour::Green << "100.00%" << Colour::Green;
  QTest::newRow("just below 1") << 1000 << 999 << "-1" << Colour::Red << "99.90%" << Colour::Yellow;
  QTest::newRow("exactly 0.75") << 1000 << 750 << "-250" << Colour::Red << "75.00%"
                                << Colour::Yellow;
  QTest::newRow("exactly 0.5") << 1000 << 500 << "-500" << Colour::Red << "50.00%" << Colour::Cyan;
  QTest::newRow("0.4999") << 10000 << 4999 << "-5001" << Colour::Red << "49.99%" << Colour::Red;
  // 0.74999999 is below 0.75 in double precision, but the rate is held in
  // single precision, where it is 0.75.
  QTest::newRow("0.75 in single precision")
      << 100000000 << 74999999 << "-25000001" << Colour::Red << "75.00%" << Colour::Yellow;
  QTest::newRow("nothing paid") << 300 << 0 << "-300" << Colour::Red << "0.00%" << Colour::Red;
  QTest::newRow("won") << 1000 << 2350 << "1350" << Colour::Green << "235.00%" << Colour::Green;
  QTest::newRow("paid without a stake")
      << 0 << 500 << "500" << Colour::Green << "0.00%" << Colour::Green;
}

void TestBrowseFigures::betRow() {
  QFETCH(int, stake);
  QFETCH(int, payout);
  QFETCH(QString, profit);
  QFETCH(Colour, profitColour);
  QFETCH(QString, rate);
  QFETCH(Colour, rateColour);
  auto ledger = emptyLedger();
  putBet(ledger->year, BetType::Uma, stake, payout);
  const PanelFigures figures = panelFigures(ledger->year);
  QVERIFY(!figures.overflow);
  const FigureRow& row = figures.bets[static_cast<std::size_t>(index(BetType::Uma))];
  QCOMPARE(text(at(row, Column::Stake)), QString::number(stake));
  QCOMPARE(text(at(row, Column::Payout)), QString::number(payout));
  QCOMPARE(text(at(row, Column::Profit)), profit);
  QCOMPARE(at(row, Column::Profit).colour, profitColour);
  QCOMPARE(text(at(row, Column::Rate)), rate);
  QCOMPARE(at(row, Column::Rate).colour, rateColour);
  // Stake and payout never change colour.
  QCOMPARE(at(row, Column::Stake).colour, Colour::Green);
  QCOMPARE(at(row, Column::Payout).colour, Colour::Green);
  // With one bet type bought, the totals are that bet type's figures.
  QCOMPARE(figures.total, row);
}

void TestBrowseFigures::totalsAreSumsOfTheBetTypes() {
  auto ledger = emptyLedger();
  LedgerRecord& month = ledger->month(4);
  putBet(month, BetType::Tan, 1000, 200);
  putBet(month, BetType::Fuk, 0, 500);  // paid without a stake: counted in the totals
  putBet(month, BetType::Ren3, 400, 0);
  // Stored totals that disagree are not read for the panel.
  putTotals(month, 99, 77);
  const PanelFigures figures = panelFigures(month);
  QVERIFY(!figures.overflow);
  const FigureRow& fuk = figures.bets[static_cast<std::size_t>(index(BetType::Fuk))];
  QCOMPARE(text(at(fuk, Column::Rate)), QString("0.00%"));
  QCOMPARE(at(fuk, Column::Rate).colour, Colour::Green);
  QCOMPARE(text(at(figures.total, Column::Stake)), QString("1400"));
  QCOMPARE(text(at(figures.total, Column::Payout)), QString("700"));
  QCOMPARE(text(at(figures.total, Column::Profit)), QString("-700"));
  QCOMPARE(at(figures.total, Column::Profit).colour, Colour::Red);
  QCOMPARE(text(at(figures.total, Column::Rate)), QString("50.00%"));
  QCOMPARE(at(figures.total, Column::Rate).colour, Colour::Cyan);
}

void TestBrowseFigures::outOfRange_data() {
  // Stake and payout of 単勝 and 複勝 as stored texts; the expected texts of
  // 単勝's row and of the totals row, "" where nothing can be shown.
  QTest::addColumn<QString>("tanStake");
  QTest::addColumn<QString>("tanPayout");
  QTest::addColumn<QString>("fukStake");
  QTest::addColumn<QStringList>("tanRow");
  QTest::addColumn<QStringList>("totalRow");

  QTest::newRow("stake beyond 32 bits")
      << QString(kTooLarge.data()) << "0000000300"
      << "0000000100" << QStringList{"", "300", "", ""} << QStringList{"", "300", "", ""};
  QTest::newRow("stake sum beyond 32 bits")
      << "2000000000"
      << "0000000000"
      << "2000000000" << QStringList{"2000000000", "0", "-2000000000", "0.00%"}
      << QStringList{"", "0", "", ""};
  // Each profit fits, and so does their sum, though the stake sum does not.
  QTest::newRow("profit sum fits where the stake sum does not")
      << "2000000000"
      << "2000000000"
      << "2000000000" << QStringList{"2000000000", "2000000000", "0", "100.00%"}
      << QStringList{"", "2000000000", "-2000000000", ""};
  QTest::newRow("difference beyond 32 bits")
      << "-999999999"
      << "2000000000"
      << "0000000000" << QStringList{"-999999999", "2000000000", "", "-200.00%"}
      << QStringList{"-999999999", "2000000000", "", "-200.00%"};
}

void TestBrowseFigures::outOfRange() {
  QFETCH(QString, tanStake);
  QFETCH(QString, tanPayout);
  QFETCH(QString, fukStake);
  QFETCH(QStringList, tanRow);
  QFETCH(QStringList, totalRow);
  auto ledger = emptyLedger();
  LedgerRecord& r = ledger->year;
  putFieldText(r, fileField(Quantity::Stake, BetType::Tan), tanStake.toStdString());
  putFieldText(r, fileField(Quantity::Payout, BetType::Tan), tanPayout.toStdString());
  putFieldText(r, fileField(Quantity::Stake, BetType::Fuk), fukStake.toStdString());
  const PanelFigures figures = panelFigures(r);
  QVERIFY(figures.overflow);
  const FigureRow& tan = figures.bets[static_cast<std::size_t>(index(BetType::Tan))];
  for (int c = 0; c < kColumnCount; ++c) {
    QCOMPARE(text(tan[static_cast<std::size_t>(c)]), tanRow[c]);
    QCOMPARE(text(figures.total[static_cast<std::size_t>(c)]), totalRow[c]);
  }
  // The other bet types are unaffected.
  const FigureRow& uma = figures.bets[static_cast<std::size_t>(index(BetType::Uma))];
  QCOMPARE(text(at(uma, Column::Rate)), QString("0.00%"));
}

void TestBrowseFigures::yearGridFromStoredMonthTotals() {
  auto ledger = emptyLedger();
  // The month's bet types say something else; the grid reads the totals.
  putBet(ledger->month(2), BetType::Tan, 5, 5);
  putTotals(ledger->month(2), 4000, 3000);
  putTotals(ledger->month(12), 0, 800);
  putFieldText(ledger->month(9), LedgerRecord::kPayoutTotalField, kTooLarge);
  const GridFigures grid = yearGridFigures(*ledger);
  QCOMPARE(grid.rows.size(), std::size_t{12});
  QVERIFY(grid.overflow);
  const auto row = [&](int m) {
    QStringList cells;
    for (const ShownFigure& f : grid.rows[static_cast<std::size_t>(m - 1)]) cells << text(f);
    return cells;
  };
  QCOMPARE(row(1), (QStringList{"0", "0", "0", "0.00%"}));
  QCOMPARE(row(2), (QStringList{"4000", "3000", "-1000", "75.00%"}));
  QCOMPARE(row(9), (QStringList{"0", "", "", ""}));
  QCOMPARE(row(12), (QStringList{"0", "800", "800", "0.00%"}));
}

void TestBrowseFigures::monthGridSlots_data() {
  QTest::addColumn<int>("month");
  QTest::addColumn<bool>("secondHalf");
  QTest::addColumn<int>("firstSlot");
  QTest::newRow("January") << 1 << false << 1;
  QTest::newRow("February (31 slots too)") << 2 << false << 32;
  QTest::newRow("June") << 6 << false << 156;
  QTest::newRow("July") << 7 << true << 1;
  QTest::newRow("November") << 11 << true << 125;
  QTest::newRow("December") << 12 << true << 156;
}

void TestBrowseFigures::monthGridSlots() {
  QFETCH(int, month);
  QFETCH(bool, secondHalf);
  QFETCH(int, firstSlot);
  auto ledger = emptyLedger();
  // Every slot of both blocks tells where it sits: block 1 or 2, slot 1..186.
  for (int slot = 1; slot <= kSlotsPerHalf; ++slot) {
    const auto i = static_cast<std::size_t>(slot - 1);
    putTotals(ledger->firstHalf[i], 10000 + slot, 0);
    putTotals(ledger->secondHalf[i], 20000 + slot, 0);
  }
  const GridFigures grid = monthGridFigures(*ledger, month);
  QCOMPARE(grid.rows.size(), std::size_t{31});
  for (int d = 1; d <= 31; ++d) {
    const int expected = (secondHalf ? 20000 : 10000) + firstSlot + d - 1;
    QCOMPARE(text(at(grid.rows[static_cast<std::size_t>(d - 1)], Column::Stake)),
             QString::number(expected));
  }
}

void TestBrowseFigures::monthProfits() {
  auto ledger = emptyLedger();
  putTotals(ledger->month(1), 3000, 4500);
  putTotals(ledger->month(5), 2000, 500);
  putFieldText(ledger->month(8), LedgerRecord::kStakeTotalField, kTooLarge);
  putTotals(ledger->month(11), -999999999, 2000000000);  // a difference beyond 32 bits
  const MonthProfits profits = tamrel::monthProfits(*ledger);
  QVERIFY(profits.overflow);
  const std::int32_t none = 123456789;  // stands for "no value"
  QList<std::int32_t> values;
  for (const auto& v : profits.values) values << v.value_or(none);
  QCOMPARE(values, (QList<std::int32_t>{1500, 0, 0, 0, -1500, 0, 0, none, 0, 0, none, 0}));
  QVERIFY(!tamrel::monthProfits(*emptyLedger()).overflow);
}

void TestBrowseFigures::labels() {
  QCOMPARE(QString::fromStdString(monthRowLabel(1)), QString("\u3000１月"));
  QCOMPARE(QString::fromStdString(monthRowLabel(9)), QString("\u3000９月"));
  QCOMPARE(QString::fromStdString(monthRowLabel(10)), QString("１０月"));
  QCOMPARE(QString::fromStdString(dayRowLabel(1)), QString("\u3000１日"));
  QCOMPARE(QString::fromStdString(dayRowLabel(31)), QString("３１日"));
  QCOMPARE(QString::fromStdString(graphMonthLabel(1)), QString(" 1月"));
  QCOMPARE(QString::fromStdString(graphMonthLabel(12)), QString("12月"));
}

QTEST_APPLESS_MAIN(TestBrowseFigures)
#include "test_browse_figures.moc"
