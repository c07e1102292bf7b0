// The cross figures on hand-built ticket sets: where a ticket is counted,
// that the totals agree with the category statistics, the period's edges,
// hits, and the overflow refusal.

#include <QtTest>

#include <memory>
#include <string>

#include "analysis/analysis_tickets.h"
#include "analysis/category_totals.h"
#include "analysis/cross_totals.h"

using namespace tamrel;
using analysisdata::append;
using analysisdata::ticket;

Q_DECLARE_METATYPE(tamrel::CrossDimension)

namespace {

using Year = analysisdata::TicketYear;

// Tickets spread over every category of every dimension (codes cycle at
// different speeds), with amounts that differ per ticket.
void fillVaried(Year& year) {
  for (int i = 0; i < 120; ++i) {
    const std::string codes{"123456789AB"[i % 11], "123456789ABC"[i % 12], "123"[i % 3],
                            "123"[(i / 3) % 3],    "1234"[i % 4],          "123456789"[i % 9],
                            "1234567"[i % 7],      "1234"[(i / 4) % 4],    "012"[(i / 2) % 3],
                            "1234"[(i / 5) % 4]};
    year.add(i % 12 + 1, i % 28 + 1, codes, 100 * (i + 1), i % 4 == 0 ? 37 * i : 0);
  }
  // Left out of every table that uses racecourse or bet type.
  year.add(6, 1, " 11111 111", 900, 0);
}

QList<int> purchasesOf(const std::vector<CrossFigures>& figures) {
  QList<int> out;
  for (const CrossFigures& f : figures) out << f.purchase.value_or(-1);
  return out;
}

}  // namespace

class TestCrossTotals : public QObject {
  Q_OBJECT
 private slots:
  void keysAndNames();
  void betTypeCategories();
  void ticketInExactlyOneCell();
  void totalsAgreeWithCategoryStatistics();
  void pairWithoutTickets();
  void periodEdges_data();
  void periodEdges();
  void hits();
  void overflow_data();
  void overflow();
};

void TestCrossTotals::keysAndNames() {
  QStringList keys;
  QStringList names;
  for (const CrossDimensionInfo& info : kCrossDimensions) {
    keys << QString::fromUtf8(info.key);
    names << QString::fromUtf8(info.name);
    QCOMPARE(crossDimensionOfKey(info.key), info.dimension);
    QCOMPARE(crossDimensionInfo(info.dimension).key, info.key);
  }
  QCOMPARE(keys, (QStringList{"racecourse", "race", "weekday", "surface", "distance", "class",
                              "age", "condition", "runners", "bettype"}));
  QCOMPARE(names, (QStringList{"馬場", "レース", "曜日", "コース", "距離", "クラス", "馬齢", "条件",
                               "頭数", "券種"}));
  QVERIFY(!crossDimensionOfKey("Bettype"));
  QVERIFY(!crossDimensionOfKey(""));
  // The nine share the analysis window's rows.
  for (int i = 0; i < kDimensionCount; ++i) {
    const auto d = static_cast<CrossDimension>(i);
    QCOMPARE(analysisDimension(d), kDimensions[static_cast<std::size_t>(i)]);
    QCOMPARE(crossCategoryCount(d), categoryCount(kDimensions[static_cast<std::size_t>(i)]));
  }
  QVERIFY(!analysisDimension(CrossDimension::BetType));
}

void TestCrossTotals::betTypeCategories() {
  QStringList shown;
  for (const Category& c : crossCategories(CrossDimension::BetType)) {
    shown << QString::fromUtf8(c.caption);
  }
  QCOMPARE(shown, (QStringList{"単勝", "複勝", "枠連", "馬連", "ﾜｲﾄﾞ", "馬単", "3連複"}));
  QCOMPARE(crossCategories(CrossDimension::RaceNo)[9].caption, std::string_view("10ﾚｰｽ"));
}

void TestCrossTotals::ticketInExactlyOneCell() {
  Year year;
  year.add(3, 3, "5111111111", 100, 0);  // 中山, 単勝
  year.add(3, 3, "5111117111", 200, 0);  // 中山, 3連複
  year.add(3, 3, "6111117111", 400, 0);  // 東京, 3連複
  year.add(3, 3, "611111 111", 800, 0);  // no bet type: in no table with 券種
  const CrossTable t =
      computeCrossTable(*year.store, CrossDimension::Racecourse, CrossDimension::BetType);
  QCOMPARE(t.rowCount, 11);
  QCOMPARE(t.columnCount, 7);
  QCOMPARE(t.cell(4, 0).purchase, 100);
  QCOMPARE(t.cell(4, 6).purchase, 200);
  QCOMPARE(t.cell(5, 6).purchase, 400);
  int cells = 0;
  for (const CrossFigures& f : t.cells) cells += f.count;
  QCOMPARE(cells, 3);
  QCOMPARE(t.total.count, 3);
  QCOMPARE(t.total.purchase, 700);
  QCOMPARE(t.rowTotals[4].purchase, 300);
  QCOMPARE(t.columnTotals[6].purchase, 600);
  QVERIFY(!t.overflowed);
  // A total's tickets: those of every category of its row or column.
  QCOMPARE(
      cellTickets(*year.store, CrossDimension::Racecourse, 4, CrossDimension::BetType, kAnyCategory)
          .size(),
      2u);
  QCOMPARE(cellTickets(*year.store, CrossDimension::Racecourse, kAnyCategory,
                       CrossDimension::BetType, kAnyCategory)
               .size(),
           3u);
  // The total alone counts every ticket, whatever its codes.
  QCOMPARE(computeCrossTotal(*year.store).purchase, 1500);
}

void TestCrossTotals::totalsAgreeWithCategoryStatistics() {
  Year year;
  fillVaried(year);
  auto stats = std::make_unique<CategoryTotals>();
  QVERIFY(computeAllCategoryTotals(*stats, *year.store));
  for (int r = 0; r < kCrossDimensionCount; ++r) {
    const auto rows = static_cast<CrossDimension>(r);
    const auto single = computeCrossSingle(*year.store, rows);
    const auto analysis = analysisDimension(rows);
    if (analysis) {
      QList<int> expected;
      for (int i = 0; i < categoryCount(*analysis); ++i) {
        expected << categorySums(*stats, *analysis, i)->purchase;
        QCOMPARE(single.categories[static_cast<std::size_t>(i)].payout,
                 categorySums(*stats, *analysis, i)->payout);
      }
      QCOMPARE(purchasesOf(single.categories), expected);
    }
    // Crossed with any other dimension, the row totals are the single
    // figures, barring the one ticket without racecourse and bet type.
    for (int c = 0; c < kCrossDimensionCount; ++c) {
      const auto columns = static_cast<CrossDimension>(c);
      if (columns == rows || columns == CrossDimension::Racecourse ||
          columns == CrossDimension::BetType || rows == CrossDimension::Racecourse ||
          rows == CrossDimension::BetType) {
        continue;
      }
      const CrossTable t = computeCrossTable(*year.store, rows, columns);
      QCOMPARE(t.rowTotals, single.categories);
      QCOMPARE(t.total, single.total);
      QCOMPARE(t.columnTotals, computeCrossSingle(*year.store, columns).categories);
    }
  }
}

void TestCrossTotals::pairWithoutTickets() {
  Year year;
  year.add(1, 5, "1111111111", 1000, 2500);  // 札幌, 単勝
  year.add(1, 5, "2111112111", 1000, 0);     // 函館, 複勝
  const CrossTable t =
      computeCrossTable(*year.store, CrossDimension::BetType, CrossDimension::Racecourse);
  const CrossFigures& empty = t.cell(1, 0);  // 複勝 at 札幌
  QCOMPARE(empty.count, 0);
  QCOMPARE(empty.purchase, 0);
  QCOMPARE(empty.recoveryRate(), 0.0f);
  QCOMPARE(empty.hitRate(), 0.0f);
  QCOMPARE(t.cell(0, 0).recoveryRate(), 2.5f);
  QCOMPARE(t.cell(1, 1).profit(), -1000);
  QCOMPARE(t.columnTotals[0].count, 1);
  QCOMPARE(t.total.recoveryRate(), 1.25f);
}

void TestCrossTotals::periodEdges_data() {
  QTest::addColumn<int>("fromMonth");
  QTest::addColumn<int>("fromDay");
  QTest::addColumn<int>("toMonth");
  QTest::addColumn<int>("toDay");
  // Of tickets on 3/15, 3/31 and 4/1, and one of March whose day cannot be
  // read: that one belongs to the whole year only.
  QTest::addColumn<int>("count");
  QTest::newRow("whole year") << 1 << 1 << 12 << 31 << 4;
  QTest::newRow("all but the last day") << 1 << 1 << 12 << 30 << 3;
  QTest::newRow("the day itself") << 3 << 15 << 3 << 15 << 1;
  QTest::newRow("ends the day before") << 1 << 1 << 3 << 14 << 0;
  QTest::newRow("starts the day after") << 3 << 16 << 12 << 31 << 2;
  QTest::newRow("month end to month start") << 3 << 31 << 4 << 1 << 2;
  QTest::newRow("reversed holds nothing") << 4 << 1 << 3 << 15 << 0;
}

void TestCrossTotals::periodEdges() {
  QFETCH(int, fromMonth);
  QFETCH(int, fromDay);
  QFETCH(int, toMonth);
  QFETCH(int, toDay);
  QFETCH(int, count);
  Year year;
  year.add(3, 15, "1111111111", 100, 0);
  year.add(3, 31, "1111111111", 100, 0);
  year.add(4, 1, "1111111111", 100, 0);
  TicketRecord unreadable = ticket(3, 1, "1111111111", 100, 0);
  unreadable.setField(TicketField::Day, "xx");
  append(*year.store, 3, unreadable);
  const Period period{fromMonth, fromDay, toMonth, toDay};
  QCOMPARE(ticketInPeriod(unreadable, period), period.wholeYear());
  QCOMPARE(
      computeCrossTable(*year.store, CrossDimension::Racecourse, CrossDimension::BetType, period)
          .total.count,
      count);
  QCOMPARE(computeCrossTotal(*year.store, period).count, count);
  QCOMPARE(countTickets(*year.store, period).count, count);
  QCOMPARE(
      cellTickets(*year.store, CrossDimension::Racecourse, 0, CrossDimension::BetType, 0, period)
          .size(),
      static_cast<std::size_t>(count));
}

void TestCrossTotals::hits() {
  Year year;
  year.add(5, 5, "1111111111", 100, 0);
  year.add(5, 5, "1111111111", 100, 1);
  year.add(5, 5, "1111111111", 100, 560);
  const CrossSingle s = computeCrossSingle(*year.store, CrossDimension::BetType);
  QCOMPARE(s.categories[0].count, 3);
  QCOMPARE(s.categories[0].hits, 2);
  QCOMPARE(s.categories[0].hitRate(), 2.0f / 3.0f);
  QCOMPARE(s.categories[1].hitRate(), 0.0f);
  QCOMPARE(s.total.hits, 2);
  const TicketCounts counts = countTickets(*year.store);
  QCOMPARE(counts.count, 3);
  QCOMPARE(counts.hits, 2);
}

void TestCrossTotals::overflow_data() {
  QTest::addColumn<QString>("secondCodes");
  QTest::addColumn<bool>("cellEmpty");
  // Both tickets in one cell: the cell, its row, column and total overflow.
  QTest::newRow("one cell") << "1111111111" << true;
  // In two cells of one row: the cells hold, their row and total do not.
  QTest::newRow("one row") << "1111112111" << false;
}

void TestCrossTotals::overflow() {
  QFETCH(QString, secondCodes);
  QFETCH(bool, cellEmpty);
  Year year;
  year.add(2, 2, "1111111111", 2'000'000'000, 0);
  year.add(2, 2, secondCodes.toStdString(), 2'000'000'000, 0);
  year.add(2, 2, "2111111111", 500, 700);
  const CrossTable t =
      computeCrossTable(*year.store, CrossDimension::Racecourse, CrossDimension::BetType);
  QVERIFY(t.overflowed);
  QCOMPARE(t.cell(0, 0).purchase.has_value(), !cellEmpty);
  QCOMPARE(t.cell(0, 0).recoveryRate().has_value(), !cellEmpty);
  QCOMPARE(t.cell(0, 0).count, cellEmpty ? 2 : 1);
  QVERIFY(!t.rowTotals[0].purchase);
  QVERIFY(!t.total.purchase);
  QVERIFY(!t.total.profit());
  // Figures apart from the overflow keep their values.
  QCOMPARE(t.cell(1, 0).profit(), 200);
  QCOMPARE(t.rowTotals[1].purchase, 500);
  QCOMPARE(t.total.count, 3);
  QVERIFY(computeCrossSingle(*year.store, CrossDimension::Racecourse).overflowed);
}

QTEST_APPLESS_MAIN(TestCrossTotals)
#include "test_cross_totals.moc"
