// The category statistics on small hand-built ticket sets: how each code is
// sorted, what a row reads, what is pooled and what is never counted, the
// overflow refusal and the graph points.

#include <QtTest>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis_tickets.h"
#include "analysis/category_totals.h"
#include "detail/month_transfer.h"

using namespace tamrel;
using analysisdata::append;
using analysisdata::ticket;

Q_DECLARE_METATYPE(tamrel::Dimension)
Q_DECLARE_METATYPE(tamrel::CategoryGraph)

namespace {

using Texts = QStringList;

// The store and the totals are large: they live on the heap.
struct Year {
  Year() { clearTickets(*store); }
  std::unique_ptr<TicketStore> store = std::make_unique<TicketStore>();
  std::unique_ptr<CategoryTotals> totals = std::make_unique<CategoryTotals>();

  void add(int month, std::string_view codes, std::int32_t purchase, std::int32_t payout) {
    append(*store, month, ticket(month, 1, codes, purchase, payout));
  }
  bool compute() { return computeAllCategoryTotals(*totals, *store); }
  Texts row(Dimension d, int index) const {
    Texts out;
    if (const auto texts = categoryRowTexts(*totals, d, index)) {
      for (const std::string& t : *texts) out << QString::fromStdString(t);
    }
    return out;
  }
  // The purchase totals of every category of a dimension.
  QList<int> purchases(Dimension d) const {
    QList<int> out;
    for (int i = 0; i < categoryCount(d); ++i) {
      out << categorySums(*totals, d, i).value_or(CategorySums{-1, -1}).purchase;
    }
    return out;
  }
};

// Ten blank codes with one of them set: the field of dimension `d`.
std::string onlyCode(Dimension d, char code) {
  std::string codes(10, ' ');
  const TicketField field = fieldOf(d);
  for (std::size_t i = 0; i < std::size(analysisdata::kCodeFields); ++i) {
    if (analysisdata::kCodeFields[i] == field) codes[i] = code;
  }
  return codes;
}

QList<int> oneAt(Dimension d, int index, int value) {
  QList<int> out(categoryCount(d), 0);
  if (index >= 0) out[index] = value;
  return out;
}

}  // namespace

class TestCategoryTotals : public QObject {
  Q_OBJECT
 private slots:
  void captions_data();
  void captions();
  void rowTexts_data();
  void rowTexts();
  void codeSorting_data();
  void codeSorting();
  void blankRacecourseCountsUnderItsClassOnly();
  void monthsAndBetTypesPooled();
  void deletedTicketNotCounted();
  void onlyLiveTicketsCounted();
  void emptyYearShowsZeros();
  void recomputeStartsFromZero();
  void overflowRefused_data();
  void overflowRefused();
  void graphPoints_data();
  void graphPoints();
  void graphOfFailedDimensionHasNoBars();
  void tabsWithGraphs_data();
  void tabsWithGraphs();
};

void TestCategoryTotals::captions_data() {
  QTest::addColumn<Dimension>("dimension");
  QTest::addColumn<Texts>("expected");
  QTest::newRow("racecourse") << Dimension::Racecourse
                              << Texts{"札幌", "函館", "新潟", "福島", "中山",  "東京",
                                       "中京", "京都", "阪神", "小倉", "その他"};
  QTest::newRow("race") << Dimension::RaceNo
                        << Texts{"1ﾚｰｽ", "2ﾚｰｽ", "3ﾚｰｽ", "4ﾚｰｽ",  "5ﾚｰｽ",  "6ﾚｰｽ",
                                 "7ﾚｰｽ", "8ﾚｰｽ", "9ﾚｰｽ", "10ﾚｰｽ", "11ﾚｰｽ", "12ﾚｰｽ"};
  QTest::newRow("weekday") << Dimension::Weekday << Texts{"土曜日", "日曜日", "その他"};
  QTest::newRow("surface") << Dimension::Surface << Texts{"芝", "ﾀﾞｰﾄ", "障害"};
  QTest::newRow("distance") << Dimension::DistanceBand
                            << Texts{"1600M以下", "2000M以下", "2400M以下", "2400M以上"};
  QTest::newRow("class") << Dimension::RaceClass
                         << Texts{"Ｇ１",   "Ｇ２",  "Ｇ３",   "ｵｰﾌﾟﾝ", "1600万",
                                  "1000万", "500万", "未勝利", "新馬"};
  QTest::newRow("age") << Dimension::AgeGroup << Texts{"２歳", "３歳", "３歳上", "４歳上"};
  QTest::newRow("condition") << Dimension::Condition << Texts{"無し", "牝限", "ﾊﾝﾃﾞ"};
  QTest::newRow("runners") << Dimension::RunnersBand
                           << Texts{"9頭以下", "12頭以下", "15頭以下", "16頭以上"};
}

void TestCategoryTotals::captions() {
  QFETCH(Dimension, dimension);
  QFETCH(Texts, expected);
  Texts shown;
  for (const Category& c : categories(dimension)) shown << QString::fromUtf8(c.caption);
  QCOMPARE(shown, expected);
  // The first column of each row is the caption, whatever the figures.
  Year year;
  QVERIFY(year.compute());
  for (int i = 0; i < expected.size(); ++i) QCOMPARE(year.row(dimension, i).value(0), expected[i]);
}

void TestCategoryTotals::rowTexts_data() {
  QTest::addColumn<int>("purchase");
  QTest::addColumn<int>("payout");
  QTest::addColumn<Texts>("expected");
  QTest::newRow("won") << 3000 << 4500 << Texts{"東京", "3000", "4500", "1500", "150.00%"};
  QTest::newRow("lost") << 1000 << 0 << Texts{"東京", "1000", "0", "-1000", "0.00%"};
  QTest::newRow("nothing") << 0 << 0 << Texts{"東京", "0", "0", "0", "0.00%"};
  // 200 / 300 held as single precision is 0.6666667.
  QTest::newRow("two thirds") << 300 << 200 << Texts{"東京", "300", "200", "-100", "66.67%"};
  QTest::newRow("payout only") << 0 << 5000 << Texts{"東京", "0", "5000", "5000", "0.00%"};
}

void TestCategoryTotals::rowTexts() {
  QFETCH(int, purchase);
  QFETCH(int, payout);
  QFETCH(Texts, expected);
  Year year;
  // Split over two tickets, so the row is a sum.
  year.add(3, "6111111111", purchase / 3, payout / 3);
  year.add(4, "6111111111", purchase - purchase / 3, payout - payout / 3);
  QVERIFY(year.compute());
  QCOMPARE(year.row(Dimension::Racecourse, 5), expected);
}

void TestCategoryTotals::codeSorting_data() {
  QTest::addColumn<Dimension>("dimension");
  QTest::addColumn<char>("code");
  QTest::addColumn<int>("index");  // -1: counted nowhere
  QTest::newRow("racecourse 1") << Dimension::Racecourse << '1' << 0;
  QTest::newRow("racecourse A is 小倉") << Dimension::Racecourse << 'A' << 9;
  QTest::newRow("racecourse a is nothing") << Dimension::Racecourse << 'a' << -1;
  QTest::newRow("racecourse blank") << Dimension::Racecourse << ' ' << -1;
  QTest::newRow("racecourse C") << Dimension::Racecourse << 'C' << -1;
  QTest::newRow("race 9") << Dimension::RaceNo << '9' << 8;
  QTest::newRow("race A is row 10") << Dimension::RaceNo << 'A' << 9;
  QTest::newRow("race C is row 12") << Dimension::RaceNo << 'C' << 11;
  QTest::newRow("race D") << Dimension::RaceNo << 'D' << -1;
  QTest::newRow("race 0") << Dimension::RaceNo << '0' << -1;
  QTest::newRow("weekday 0") << Dimension::Weekday << '0' << -1;
  QTest::newRow("weekday 3") << Dimension::Weekday << '3' << 2;
  QTest::newRow("surface 2") << Dimension::Surface << '2' << 1;
  QTest::newRow("surface 4") << Dimension::Surface << '4' << -1;
  QTest::newRow("distance 4") << Dimension::DistanceBand << '4' << 3;
  QTest::newRow("class 1 is Ｇ１") << Dimension::RaceClass << '1' << 0;
  QTest::newRow("class 9 is 新馬") << Dimension::RaceClass << '9' << 8;
  QTest::newRow("class A") << Dimension::RaceClass << 'A' << -1;
  QTest::newRow("age 4") << Dimension::AgeGroup << '4' << 3;
  QTest::newRow("condition 0 is 無し") << Dimension::Condition << '0' << 0;
  QTest::newRow("condition 2") << Dimension::Condition << '2' << 2;
  QTest::newRow("condition 3") << Dimension::Condition << '3' << -1;
  QTest::newRow("runners 1") << Dimension::RunnersBand << '1' << 0;
  QTest::newRow("runners 0") << Dimension::RunnersBand << '0' << -1;
}

void TestCategoryTotals::codeSorting() {
  QFETCH(Dimension, dimension);
  QFETCH(char, code);
  QFETCH(int, index);
  Year year;
  year.add(7, onlyCode(dimension, code), 700, 0);
  QVERIFY(year.compute());
  QCOMPARE(year.purchases(dimension), oneAt(dimension, index, 700));
}

void TestCategoryTotals::blankRacecourseCountsUnderItsClassOnly() {
  Year year;
  year.add(2, " 11111111 ", 1200, 3600);
  QVERIFY(year.compute());
  QCOMPARE(year.purchases(Dimension::Racecourse), oneAt(Dimension::Racecourse, -1, 0));
  QCOMPARE(year.purchases(Dimension::RaceClass), oneAt(Dimension::RaceClass, 0, 1200));
  QCOMPARE(year.row(Dimension::RaceClass, 0), (Texts{"Ｇ１", "1200", "3600", "2400", "300.00%"}));
  QCOMPARE(year.purchases(Dimension::RunnersBand), oneAt(Dimension::RunnersBand, -1, 0));
}

void TestCategoryTotals::monthsAndBetTypesPooled() {
  Year year;
  year.add(1, "6111111111", 100, 0);     // 単勝 in January
  year.add(6, "6111117111", 200, 0);     // 3連複 in June
  year.add(12, "6111114111", 400, 900);  // 馬連 in December
  year.add(12, "7111114111", 800, 0);    // another racecourse
  QVERIFY(year.compute());
  QCOMPARE(year.row(Dimension::Racecourse, 5), (Texts{"東京", "700", "900", "200", "128.57%"}));
  QCOMPARE(year.purchases(Dimension::Surface), (QList<int>{1500, 0, 0}));
}

void TestCategoryTotals::deletedTicketNotCounted() {
  Year year;
  year.add(5, "1111111111", 100, 0);
  year.add(5, "1111111111", 200, 0);
  year.add(5, "1111111111", 400, 0);
  // The middle ticket is deleted in the ticket window and the day stored.
  DayTicketList list;
  QCOMPARE(loadDayTickets(*year.store, 5, 1, list), TransferResult::Ok);
  QCOMPARE(list.count, 3);
  blankEntry(list.entries[1]);
  QCOMPARE(storeDayTickets(*year.store, 5, 1, list), TransferResult::Ok);
  QVERIFY(year.compute());
  QCOMPARE(year.purchases(Dimension::Racecourse).value(0), 500);
}

void TestCategoryTotals::onlyLiveTicketsCounted() {
  Year year;
  year.add(8, "1111111111", 100, 0);
  year.add(8, "1111111111", 200, 0);
  MonthTickets& month = year.store->month(8);
  // The end marker still holds an older ticket's columns after its month.
  month.slot(month.count) = ticket(8, 2, "1111111111", 4000, 0);
  month.slot(month.count + 1) = ticket(8, 2, "1111111111", 8000, 0);
  // A blank record among the live ones counts nowhere either.
  TicketRecord blank = ticket(8, 3, "1111111111", 1000, 0);
  blank.markBlank();
  month.slot(0) = blank;
  QVERIFY(year.compute());
  QCOMPARE(year.purchases(Dimension::Racecourse).value(0), 200);
}

void TestCategoryTotals::emptyYearShowsZeros() {
  Year year;
  // Older text in the slots of an emptied year counts for nothing.
  year.store->month(3).slot(0) = ticket(3, 1, "1111111111", 100, 0);
  QVERIFY(year.compute());
  for (Dimension d : kDimensions) {
    for (int i = 0; i < categoryCount(d); ++i) {
      QCOMPARE(year.row(d, i).mid(1), (Texts{"0", "0", "0", "0.00%"}));
    }
  }
}

void TestCategoryTotals::recomputeStartsFromZero() {
  Year year;
  year.add(9, "2111111111", 300, 0);
  QVERIFY(year.compute());
  QVERIFY(year.compute());
  QCOMPARE(year.purchases(Dimension::Racecourse).value(1), 300);
  // One dimension recomputed leaves the others as they were.
  year.add(9, "2211111111", 50, 0);
  QVERIFY(computeCategoryTotals(*year.totals, Dimension::RaceNo, *year.store));
  QCOMPARE(year.purchases(Dimension::Racecourse).value(1), 300);
  QCOMPARE(year.purchases(Dimension::RaceNo).value(1), 50);
}

void TestCategoryTotals::overflowRefused_data() {
  QTest::addColumn<QList<int>>("purchases");
  QTest::addColumn<QList<int>>("payouts");
  QTest::addColumn<QString>("rawPurchase");  // overrides the first purchase text if not empty
  // Three tickets of 999,999,999 add up beyond 2,147,483,647.
  QTest::newRow("purchase total") << QList<int>{999999999, 999999999, 999999999}
                                  << QList<int>{0, 0, 0} << QString();
  QTest::newRow("payout total") << QList<int>{1, 1, 1}
                                << QList<int>{999999999, 999999999, 999999999} << QString();
  QTest::newRow("negative total") << QList<int>{-999999999, -999999999, -999999999}
                                  << QList<int>{0, 0, 0} << QString();
  // Both totals fit, their difference does not.
  QTest::newRow("profit") << QList<int>{-999999999, -999999999} << QList<int>{999999999, 999999999}
                          << QString();
  // An amount text beyond the 32-bit range (an edited file).
  QTest::newRow("amount text") << QList<int>{0} << QList<int>{0} << QString("9999999999");
}

void TestCategoryTotals::overflowRefused() {
  QFETCH(QList<int>, purchases);
  QFETCH(QList<int>, payouts);
  QFETCH(QString, rawPurchase);
  Year year;
  year.add(1, "1111111111", 5, 7);  // a racecourse row that would be fine alone
  for (int i = 0; i < purchases.size(); ++i) {
    // Only the racecourse and the weekday are set: the other dimensions
    // count these tickets nowhere.
    TicketRecord r = ticket(2, 1, "4 1       ", purchases[i], payouts[i]);
    if (i == 0 && !rawPurchase.isEmpty()) {
      r.setField(TicketField::Purchase, rawPurchase.toStdString());
    }
    append(*year.store, 2, r);
  }
  QVERIFY(!year.compute());
  for (Dimension d : {Dimension::Racecourse, Dimension::Weekday}) {
    QVERIFY(dimensionFailed(*year.totals, d));
    for (int i = 0; i < categoryCount(d); ++i) {
      QVERIFY(!categoryRowTexts(*year.totals, d, i).has_value());
      QVERIFY(!categoryProfit(*year.totals, d, i).has_value());
    }
  }
  // Every other dimension shows its figures.
  QVERIFY(!dimensionFailed(*year.totals, Dimension::RaceNo));
  QCOMPARE(year.row(Dimension::RaceNo, 0), (Texts{"1ﾚｰｽ", "5", "7", "2", "140.00%"}));
  QCOMPARE(year.row(Dimension::Surface, 0), (Texts{"芝", "5", "7", "2", "140.00%"}));

  // With the year mended, the dimension computes again.
  year.store->month(2).count = 0;
  QVERIFY(year.compute());
  QVERIFY(!dimensionFailed(*year.totals, Dimension::Racecourse));
  QCOMPARE(year.row(Dimension::Racecourse, 0), (Texts{"札幌", "5", "7", "2", "140.00%"}));
}

void TestCategoryTotals::graphPoints_data() {
  QTest::addColumn<CategoryGraph>("graph");
  QTest::addColumn<Texts>("labels");
  QTest::addColumn<QList<int>>("values");
  QTest::newRow("racecourse") << CategoryGraph::Racecourse
                              << Texts{"札幌", "函館", "新潟", "福島", "中山",  "東京",
                                       "中京", "京都", "阪神", "小倉", "その他"}
                              << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 900, -300};
  QTest::newRow("race") << CategoryGraph::RaceNo
                        << Texts{"１Ｒ", "２Ｒ", "３Ｒ", "４Ｒ",   "５Ｒ",   "６Ｒ",
                                 "７Ｒ", "８Ｒ", "９Ｒ", "１０Ｒ", "１１Ｒ", "１２Ｒ"}
                        << QList<int>{0, -300, 0, 0, 0, 0, 0, 0, 0, 900, 0, 0};
  // From the lowest class up: point 1 is class "9", point 9 class "1".
  QTest::newRow("class") << CategoryGraph::RaceClass
                         << Texts{"新馬",  "未勝利", "500万", "1000万", "1600万",
                                  "ｵｰﾌﾟﾝ", "Ｇ３",   "Ｇ２",  "Ｇ１"}
                         << QList<int>{-300, 0, 0, 0, 0, 0, 0, 0, 900};
}

void TestCategoryTotals::graphPoints() {
  QFETCH(CategoryGraph, graph);
  QFETCH(Texts, labels);
  QFETCH(QList<int>, values);
  Year year;
  year.add(4, "AA11111111", 100, 1000);
  year.add(4, "B211191111", 300, 0);
  QVERIFY(year.compute());
  Texts shownLabels;
  QList<int> shownValues;
  for (const GraphPoint& p : categoryGraphPoints(*year.totals, graph)) {
    shownLabels << QString::fromUtf8(p.label);
    QVERIFY(p.value.has_value());
    shownValues << *p.value;
  }
  QCOMPARE(shownLabels, labels);
  QCOMPARE(shownValues, values);
}

void TestCategoryTotals::graphOfFailedDimensionHasNoBars() {
  Year year;
  year.add(4, "1111111111", 2000000000, 0);
  year.add(4, "1         ", 2000000000, 0);
  QVERIFY(!year.compute());
  const std::vector<GraphPoint> failed =
      categoryGraphPoints(*year.totals, CategoryGraph::Racecourse);
  QCOMPARE(failed.size(), std::size_t{11});
  for (const GraphPoint& p : failed) QVERIFY(!p.value.has_value());
  // The class dimension saw one ticket only and keeps its bars.
  const std::vector<GraphPoint> kept = categoryGraphPoints(*year.totals, CategoryGraph::RaceClass);
  QCOMPARE(kept.back().value, std::optional<std::int32_t>(-2000000000));
}

void TestCategoryTotals::tabsWithGraphs_data() {
  QTest::addColumn<int>("tab");
  QTest::addColumn<int>("kind");  // 0: none
  const int kinds[12] = {1, 2, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0};
  for (int tab = 0; tab < 12; ++tab) QTest::addRow("tab %d", tab) << tab << kinds[tab];
}

void TestCategoryTotals::tabsWithGraphs() {
  QFETCH(int, tab);
  QFETCH(int, kind);
  const std::optional<CategoryGraph> graph = graphOfTab(tab);
  QCOMPARE(graph ? static_cast<int>(*graph) : 0, kind);
  if (graph) {
    const CategoryGraphInfo info = categoryGraphInfo(*graph);
    QCOMPARE(static_cast<int>(info.dimension), tab);
  }
}

QTEST_APPLESS_MAIN(TestCategoryTotals)
#include "test_category_totals.moc"
