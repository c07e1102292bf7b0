// Years side by side on a temporary parent folder: three good years, one with
// a damaged ledger and one whose ticket file is a FIFO. Figures as worked out
// by hand, the reasons of the refused folders, and nothing written anywhere.

#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis_tickets.h"
#include "analysis/year_summary.h"
#include "detail/detail_file.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_init.h"
#include "support/odd_files.h"
#include "support/year_folders.h"

using namespace tamrel;
namespace fs = std::filesystem;

using testsupport::everything;
using testsupport::Year;

class TestYearSummary : public QObject {
  Q_OBJECT

 private slots:
  void parentFolderOfYears();
  void totalsKeepOverflowEmpty();
  void totalFallRunsAcrossYears_data();
  void totalFallRunsAcrossYears();
};

void TestYearSummary::parentFolderOfYears() {
  QTemporaryDir tmp;
  QVERIFY(tmp.isValid());
  const fs::path parent = tmp.path().toStdString();

  Year a;  // a loss, then a win: drawdown 1000
  a.day(1, 5, 1000, 0);
  a.day(1, 6, 500, 2000);
  a.ticket(1, 5, 1000, 0);
  a.ticket(1, 6, 200, 0);
  a.ticket(1, 6, 300, 2000);
  QVERIFY(a.save(parent / "2021"));
  Year b;  // one winning day
  b.day(3, 3, 300, 600);
  b.ticket(3, 3, 100, 300);
  b.ticket(3, 3, 200, 300);
  QVERIFY(b.save(parent / "2022"));
  QVERIFY(Year().save(parent / "2023"));  // a year begun, nothing posted

  QVERIFY(b.save(parent / "broken"));
  std::string ledgerText = ledgerFileText(*b.ledger);
  ledgerText.erase(ledgerText.rfind("\r\nM") + 2, 269);  // December line gone
  QVERIFY(testsupport::writeBytes(parent / "broken" / "tosidata.dat", ledgerText));
  QVERIFY(b.save(parent / "fifo"));
  fs::remove(parent / "fifo" / "info.dat");
  QVERIFY(testsupport::makeOddFile(parent / "fifo" / "info.dat", "fifo"));
  fs::create_directories(parent / "no year");  // not listed: no data files
  QVERIFY(b.save(parent / "half"));            // not listed: one file missing
  fs::remove(parent / "half" / "info.dat");
  QVERIFY(b.save(parent / "dangling"));  // listed: a link to nothing is an entry
  fs::remove(parent / "dangling" / "info.dat");
  fs::create_symlink(parent / "nowhere", parent / "dangling" / "info.dat");
  QVERIFY(testsupport::writeBytes(parent / "notes.txt", "x"));
  const auto before = everything(parent);

  std::error_code error;
  const std::vector<YearSummary> years = summariseYears(parent, error);
  QVERIFY(!error);
  QCOMPARE(everything(parent), before);

  std::vector<std::string> names;
  for (const YearSummary& y : years) names.push_back(y.name);
  QCOMPARE(names, (std::vector<std::string>{"2021", "2022", "2023", "broken", "dangling", "fifo"}));

  const YearFigures& first = *years[0].figures;
  QCOMPARE(first.racingDays, 2);
  QCOMPARE(first.stake, std::optional<std::int32_t>(1500));
  QCOMPARE(first.payout, std::optional<std::int32_t>(2000));
  QCOMPARE(first.profit, std::optional<std::int32_t>(500));
  QCOMPARE(*first.rate, 2000.0f / 1500.0f);
  QCOMPARE(first.tickets, 3);
  QCOMPARE(first.hitRate(), 1.0f / 3.0f);
  QCOMPARE(first.maxDrawdown, std::optional<std::int32_t>(1000));
  QCOMPARE(years[1].figures->maxDrawdown, std::optional<std::int32_t>(0));
  QCOMPARE(years[1].figures->hits, 2);
  QCOMPARE(years[2].figures->racingDays, 0);
  QCOMPARE(years[2].figures->rate, std::optional<float>(0.0f));
  QCOMPARE(years[2].figures->hitRate(), 0.0f);

  QVERIFY(!years[3].figures);
  QCOMPARE(refusalText(years[3]), std::string("tosidata.dat: 月の行が11行です（12行のはずです）"));
  QCOMPARE(refusalText(years[4]), std::string("info.dat: ファイルがありません"));
  QVERIFY(!years[5].figures);
  QCOMPARE(refusalText(years[5]),
           std::string("info.dat: 通常のファイルではありません（フォルダ、FIFO、デバイスなど）"));

  const YearFigures total = *yearTotals(years);
  QCOMPARE(total.racingDays, 3);
  QCOMPARE(total.stake, std::optional<std::int32_t>(1800));
  QCOMPARE(total.profit, std::optional<std::int32_t>(800));
  QCOMPARE(*total.rate, 2600.0f / 1800.0f);
  QCOMPARE(total.tickets, 5);
  QCOMPARE(total.hits, 3);
  QCOMPARE(total.maxDrawdown, std::optional<std::int32_t>(1000));
}

void TestYearSummary::totalsKeepOverflowEmpty() {
  YearFigures big;
  big.stake = big.payout = 2'000'000'000;
  big.profit = 0;
  big.maxDrawdown = 5;
  std::vector<YearSummary> years(2);
  years[0].figures = big;
  years[1].figures = big;
  const YearFigures total = *yearTotals(years);
  QVERIFY(!total.stake && !total.payout && !total.profit && !total.rate);
  QCOMPARE(total.maxDrawdown, std::optional<std::int32_t>(5));
  QVERIFY(!yearTotals({YearSummary{}}));
}

// Years given as their racing days' profits, one day after another.
void TestYearSummary::totalFallRunsAcrossYears_data() {
  QTest::addColumn<QList<QList<int>>>("years");
  QTest::addColumn<int>("fall");
  // The running profit: 500, 200 | -600, -500.
  QTest::newRow("a fall across the turn of the year")
      << QList<QList<int>>{{500, -300}, {-800, 100}} << 1100;
  QTest::newRow("years falling one after the other") << QList<QList<int>>{{-500}, {-500}} << 1000;
  // 1000 | 800 | 500: no year falls more than 300 by itself.
  QTest::newRow("from an earlier year's high") << QList<QList<int>>{{1000}, {-200}, {-300}} << 500;
  // -100 | 900, 500: the later year's own fall is the deepest.
  QTest::newRow("within one year") << QList<QList<int>>{{-100}, {1000, -400}} << 400;
  // 300 | 1300, 700 | 500: the fall is measured from the later high.
  QTest::newRow("a later high") << QList<QList<int>>{{300}, {1000, -600}, {-200}} << 800;
}

void TestYearSummary::totalFallRunsAcrossYears() {
  QFETCH(QList<QList<int>>, years);
  QFETCH(int, fall);
  std::vector<YearSummary> summaries;
  for (const QList<int>& profits : years) {
    Year y;
    int day = 1;
    for (const int p : profits) y.day(1, day++, 2000, 2000 + p);
    summaries.emplace_back().figures = summariseYear(*y.ledger, *y.tickets);
  }
  // A folder that did not load is left out of the carried profit.
  summaries.insert(summaries.begin() + 1, YearSummary{});
  QCOMPARE(yearTotals(summaries)->maxDrawdown, std::optional<std::int32_t>(fall));
}

QTEST_APPLESS_MAIN(TestYearSummary)
#include "test_year_summary.moc"
