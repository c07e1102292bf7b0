// The ticket list's filters on hand-built ticket sets: each filter alone and
// combined against a plain scan of the store, the free text against the
// captions, and the figures of a filtered set against the cross figures.

#include <QtTest>

#include <functional>
#include <memory>
#include <string>

#include "analysis/analysis_tickets.h"
#include "analysis/cross_totals.h"
#include "analysis/ticket_filter.h"

using namespace tamrel;
using analysisdata::append;
using analysisdata::ticket;

namespace {

using Year = analysisdata::TicketYear;

// Tickets over every category of every dimension, amounts differing per
// ticket, a day's tickets entered after a later day's, one ticket without a
// racecourse or bet type and a deleted one.
void fillVaried(Year& year) {
  for (int i = 0; i < 150; ++i) {
    const std::string codes{"123456789AB"[i % 11], "123456789ABC"[i % 12], "123"[i % 3],
                            "123"[(i / 3) % 3],    "1234"[i % 4],          "123456789"[i % 9],
                            "1234567"[i % 7],      "1234"[(i / 4) % 4],    "012"[(i / 2) % 3],
                            "1234"[(i / 5) % 4]};
    year.add(i % 12 + 1, 28 - i % 28, codes, 100 * (i % 40 + 1), i % 4 == 0 ? 37 * i : 0);
  }
  year.add(6, 1, " 11111 111", 900, 0);
  year.add(7, 2, "5111111111", 300, 0);
  year.store->month(7).slot(year.store->month(7).count - 1).markBlank();
}

using Keep = std::function<bool(const TicketRecord&)>;

struct Case {
  TicketFilter filter;
  Keep keep;
};

std::vector<int> indices(std::initializer_list<int> values) { return values; }

int category(CrossDimension d, const TicketRecord& t) {
  return categoryOfTicket(d, t).value_or(-1);
}

// Each filter alone, then some together, with what a plain scan keeps.
std::vector<std::pair<const char*, Case>> cases() {
  std::vector<std::pair<const char*, Case>> out;
  const auto add = [&out](const char* name, const std::function<void(TicketFilter&)>& set,
                          Keep keep) {
    Case c;
    set(c.filter);
    c.keep = std::move(keep);
    out.emplace_back(name, std::move(c));
  };
  const Period spring{3, 1, 5, 31};
  add(
      "nothing", [](TicketFilter&) {}, [](const TicketRecord&) { return true; });
  add(
      "period", [&](TicketFilter& f) { f.period = spring; },
      [spring](const TicketRecord& t) { return ticketInPeriod(t, spring); });
  add(
      "two racecourses",
      [](TicketFilter& f) {
        f.of(CrossDimension::Racecourse) = indices({4, 5});
      },
      [](const TicketRecord& t) {
        const int c = category(CrossDimension::Racecourse, t);
        return c == 4 || c == 5;
      });
  add(
      "bet type", [](TicketFilter& f) { f.of(CrossDimension::BetType) = indices({6}); },
      [](const TicketRecord& t) { return category(CrossDimension::BetType, t) == 6; });
  add(
      "last dimension", [](TicketFilter& f) { f.of(CrossDimension::RunnersBand) = indices({3}); },
      [](const TicketRecord& t) { return category(CrossDimension::RunnersBand, t) == 3; });
  add(
      "hits", [](TicketFilter& f) { f.hits = HitChoice::HitsOnly; },
      [](const TicketRecord& t) { return amountField(t, TicketField::Payout) > 0; });
  add(
      "misses", [](TicketFilter& f) { f.hits = HitChoice::MissesOnly; },
      [](const TicketRecord& t) { return amountField(t, TicketField::Payout) == 0; });
  add(
      "stake range",
      [](TicketFilter& f) {
        f.stake = {500, 1200};
      },
      [](const TicketRecord& t) {
        const auto v = *amountField(t, TicketField::Purchase);
        return v >= 500 && v <= 1200;
      });
  add(
      "payout from", [](TicketFilter& f) { f.payout.from = 2000; },
      [](const TicketRecord& t) { return *amountField(t, TicketField::Payout) >= 2000; });
  add(
      "stake up to", [](TicketFilter& f) { f.stake.to = 300; },
      [](const TicketRecord& t) { return *amountField(t, TicketField::Purchase) <= 300; });
  add(
      "text is the racecourse", [](TicketFilter& f) { f.text = "中山"; },
      [](const TicketRecord& t) { return category(CrossDimension::Racecourse, t) == 4; });
  add(
      "two words, other width", [](TicketFilter& f) { f.text = "　中山　ダート "; },
      [](const TicketRecord& t) {
        return category(CrossDimension::Racecourse, t) == 4 &&
               category(CrossDimension::Surface, t) == 1;
      });
  add(
      "word of the analysis rows", [](TicketFilter& f) { f.text = "12ﾚｰｽ"; },
      [](const TicketRecord& t) { return category(CrossDimension::RaceNo, t) == 11; });
  add(
      "all together",
      [&](TicketFilter& f) {
        f.period = spring;
        f.of(CrossDimension::Racecourse) = indices({4, 5, 8});
        f.of(CrossDimension::Weekday) = indices({0, 1});
        f.hits = HitChoice::MissesOnly;
        f.stake.from = 400;
        f.text = "単勝";
      },
      [spring](const TicketRecord& t) {
        const int c = category(CrossDimension::Racecourse, t);
        return ticketInPeriod(t, spring) && (c == 4 || c == 5 || c == 8) &&
               category(CrossDimension::Weekday, t) <= 1 &&
               category(CrossDimension::Weekday, t) >= 0 &&
               amountField(t, TicketField::Payout) == 0 &&
               *amountField(t, TicketField::Purchase) >= 400 &&
               category(CrossDimension::BetType, t) == 0;
      });
  return out;
}

}  // namespace

class TestTicketFilter : public QObject {
  Q_OBJECT
 private slots:
  void rowsInDateOrder();
  void filterAgainstScan_data();
  void filterAgainstScan();
  void figuresEqualCrossCells();
  void textAgainstCaptions_data();
  void textAgainstCaptions();
  void selectTakesOrderAndCounts();
  void largestPayout();
  void searchForm_data();
  void searchForm();
  void categoryOfValue_data();
  void categoryOfValue();
};

void TestTicketFilter::rowsInDateOrder() {
  Year year;
  fillVaried(year);
  const std::vector<TicketRow> rows = ticketRows(*year.store);
  // 150 + the ticket without codes; the deleted one is left out.
  QCOMPARE(rows.size(), std::size_t{151});
  for (std::size_t i = 1; i < rows.size(); ++i) {
    QVERIFY(!ticketBefore(rows[i].ticket, rows[i - 1].ticket));
  }
  QCOMPARE(QString::fromStdString(ticketDateText(rows.front().ticket)),
           QStringLiteral("01/04(土)"));
  // Dates as only an edited file holds them, and equal tickets entered in
  // turn: the order is a stable sort on ticketBefore, nothing else.
  for (const auto& [month, day] : std::initializer_list<std::pair<const char*, const char*>>{
           {" 3", "5 "}, {"03", "x1"}, {"3", "05"}, {"  ", "05"}, {"03", " 5"}}) {
    for (int i = 0; i < 2; ++i) {
      TicketRecord odd = ticket(3, 5, "5111111111", 100 + i, 0);
      odd.setField(TicketField::Month, month);
      odd.setField(TicketField::Day, day);
      append(*year.store, 3, odd);
    }
  }
  std::vector<TicketRecord> scanned;
  for (int m = 1; m <= 12; ++m) {
    const MonthTickets& tickets = year.store->month(m);
    for (int i = 0; i < tickets.count; ++i) {
      if (!tickets.slot(i).isBlank()) scanned.push_back(tickets.slot(i));
    }
  }
  std::ranges::stable_sort(scanned, ticketBefore);
  std::vector<TicketRecord> listed;
  for (const TicketRow& row : ticketRows(*year.store)) listed.push_back(row.ticket);
  QVERIFY(listed == scanned);
}

void TestTicketFilter::filterAgainstScan_data() {
  QTest::addColumn<int>("which");
  const auto all = cases();
  for (std::size_t i = 0; i < all.size(); ++i) {
    QTest::newRow(all[i].first) << static_cast<int>(i);
  }
}

void TestTicketFilter::filterAgainstScan() {
  QFETCH(int, which);
  const Case c = cases()[static_cast<std::size_t>(which)].second;
  Year year;
  fillVaried(year);
  const std::vector<TicketRow> rows = ticketRows(*year.store);
  std::vector<TicketRecord> kept;
  for (int i : filterRows(rows, c.filter)) kept.push_back(rows[static_cast<std::size_t>(i)].ticket);
  std::vector<TicketRecord> scanned;
  for (int m = 1; m <= 12; ++m) {
    const MonthTickets& month = year.store->month(m);
    for (int i = 0; i < month.count; ++i) {
      if (!month.slot(i).isBlank() && c.keep(month.slot(i))) scanned.push_back(month.slot(i));
    }
  }
  std::ranges::stable_sort(scanned, ticketBefore);
  QVERIFY(!scanned.empty());
  QCOMPARE(kept.size(), scanned.size());
  QVERIFY(kept == scanned);
  QCOMPARE(c.filter.empty(), scanned.size() == rows.size());
}

void TestTicketFilter::figuresEqualCrossCells() {
  Year year;
  fillVaried(year);
  const std::vector<TicketRow> rows = ticketRows(*year.store);
  const Period period{2, 10, 11, 20};
  const CrossTable table =
      computeCrossTable(*year.store, CrossDimension::RaceClass, CrossDimension::BetType, period);
  for (int r = 0; r < table.rowCount; ++r) {
    for (int c = 0; c < table.columnCount; ++c) {
      TicketFilter filter;
      filter.period = period;
      filter.of(CrossDimension::RaceClass) = {r};
      filter.of(CrossDimension::BetType) = {c};
      const auto shown = filterRows(rows, filter);
      QCOMPARE(ticketListFigures(rows, shown).figures, table.cell(r, c));
    }
  }
  const auto all = filterRows(rows, TicketFilter{});
  QCOMPARE(ticketListFigures(rows, all).figures, computeCrossTotal(*year.store));
}

void TestTicketFilter::textAgainstCaptions_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("someKept");
  QTest::newRow("one letter") << "山" << true;
  QTest::newRow("part of a date") << "/1" << true;
  QTest::newRow("weekday of the date") << "(日" << true;
  QTest::newRow("date and caption") << "03/ 中山 単" << true;
  QTest::newRow("half-width letters, upper case") << "R" << true;
  QTest::newRow("found nowhere") << "中山 東京京" << false;
  // A line break in a word spans two captions: the whole text is searched.
  QTest::newRow("across two captions") << "山\n1" << true;
  QTest::newRow("across, nowhere") << "山\n山" << false;
  QString many;
  for (int i = 0; i < 70; ++i) many += QStringLiteral("単 ");
  QTest::newRow("more words than bits") << many << true;
}

void TestTicketFilter::textAgainstCaptions() {
  QFETCH(QString, text);
  QFETCH(bool, someKept);
  Year year;
  fillVaried(year);
  const std::vector<TicketRow> rows = ticketRows(*year.store);
  TicketFilter filter;
  filter.text = text.toStdString();
  std::vector<int> scanned;
  const std::vector<std::string> words = filterWords(filter.text);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string captions = ticketCaptions(rows[i].ticket);
    if (std::ranges::all_of(
            words, [&](const std::string& w) { return captions.find(w) != std::string::npos; })) {
      scanned.push_back(static_cast<int>(i));
    }
  }
  QCOMPARE(!scanned.empty(), someKept);
  QCOMPARE(filterRows(rows, filter), scanned);
}

void TestTicketFilter::selectTakesOrderAndCounts() {
  Year year;
  fillVaried(year);
  const std::vector<TicketRow> rows = ticketRows(*year.store);
  const TicketIndex index(rows);
  std::vector<int> backwards(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    backwards[i] = static_cast<int>(rows.size() - 1 - i);
  TicketFilter filter;
  filter.text = "中山";
  filter.stake.from = 1000;
  std::vector<int> expected = filterRows(rows, filter);
  QVERIFY(expected.size() > 1);
  const TicketListFigures figures = ticketListFigures(rows, expected);
  std::ranges::reverse(expected);
  const TicketIndex::Selection selection = index.select(filter, backwards);
  QCOMPARE(selection.kept, expected);
  QCOMPARE(selection.figures.figures, figures.figures);
  QCOMPARE(selection.figures.largestPayout, figures.largestPayout);
  // A part of the rows: only those are looked at.
  const std::vector<int> some{expected.front(), 0};
  QCOMPARE(index.select(filter, some).kept.size(), std::size_t{1});
}

void TestTicketFilter::largestPayout() {
  Year year;
  year.add(1, 5, "5111111111", 100, 0);
  std::vector<TicketRow> rows = ticketRows(*year.store);
  const std::vector<int> one{0};
  QCOMPARE(ticketListFigures(rows, one).largestPayout, std::nullopt);
  year.add(1, 5, "5111111111", 100, 4200);
  year.add(1, 6, "5111111111", 100, 900);
  rows = ticketRows(*year.store);
  const std::vector<int> three{0, 1, 2};
  QCOMPARE(ticketListFigures(rows, three).largestPayout, std::optional<std::int32_t>(4200));
  // A payout that cannot be read might be the largest.
  TicketRecord odd = ticket(1, 7, "5111111111", 100, 0);
  odd.setField(TicketField::Payout, "9999999999");
  append(*year.store, 1, odd);
  rows = ticketRows(*year.store);
  const std::vector<int> four{0, 1, 2, 3};
  QCOMPARE(ticketListFigures(rows, four).largestPayout, std::nullopt);
  QVERIFY(!ticketListFigures(rows, four).figures.complete());
}

void TestTicketFilter::searchForm_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("form");
  QTest::newRow("half-width kana, voiced") << "ﾀﾞｰﾄ"
                                           << "ダート";
  QTest::newRow("semi-voiced") << "ｵｰﾌﾟﾝ"
                               << "オープン";
  QTest::newRow("voiced after tsu row") << "ﾃﾞﾄﾞ"
                                        << "デド";
  QTest::newRow("vu") << "ｳﾞ"
                      << "ヴ";
  QTest::newRow("mark that joins nothing") << "ｱﾞﾞ"
                                           << "ア゛゛";
  QTest::newRow("full-width letters") << "Ｇ１ １０Ｒ"
                                      << "g1 10r";
  QTest::newRow("ideographic space") << "中山　芝"
                                     << "中山 芝";
  QTest::newRow("kanji kept") << "3連複"
                              << "3連複";
}

void TestTicketFilter::searchForm() {
  QFETCH(QString, text);
  QFETCH(QString, form);
  QCOMPARE(QString::fromStdString(tamrel::searchForm(text.toStdString())), form);
}

void TestTicketFilter::categoryOfValue_data() {
  QTest::addColumn<QString>("key");
  QTest::addColumn<QString>("value");
  QTest::addColumn<int>("category");
  QTest::newRow("caption") << "racecourse"
                           << "東京" << 5;
  QTest::newRow("code") << "racecourse"
                        << "A" << 9;
  QTest::newRow("grid caption") << "race"
                                << "１０Ｒ" << 9;
  QTest::newRow("analysis caption") << "race"
                                    << "10ﾚｰｽ" << 9;
  QTest::newRow("typed full-width kana") << "surface"
                                         << "ダート" << 1;
  QTest::newRow("bet type") << "bettype"
                            << "3連複" << 6;
  QTest::newRow("code of another dimension") << "surface"
                                             << "9" << -1;
  QTest::newRow("unknown") << "racecourse"
                           << "大井" << -1;
}

void TestTicketFilter::categoryOfValue() {
  QFETCH(QString, key);
  QFETCH(QString, value);
  QFETCH(int, category);
  const auto d = crossDimensionOfKey(key.toStdString());
  QVERIFY(d);
  QCOMPARE(tamrel::categoryOfValue(*d, value.toStdString()).value_or(-1), category);
}

QTEST_APPLESS_MAIN(TestTicketFilter)
#include "test_ticket_filter.moc"
