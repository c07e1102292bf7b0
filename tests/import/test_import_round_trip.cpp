#include <QtTest>

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include "detail/detail_file.h"
#include "import/import_engine.h"
#include "ledger/calendar_day.h"
#include "ledger/ledger_file.h"
#include "report/reports.h"
#include "store/data_files.h"
#include "support/import_year.h"

using namespace tamrel;

namespace {

using testdata::fileBytes;
using testdata::Year;

// Reads the report back into the year; the counts of the plan's fates.
std::array<int, 4> importInto(Year& year, const std::string& report) {
  auto read = readImport(report, *year.ledger, *year.tickets, 0);
  if (const auto* refusal = std::get_if<ImportRefusal>(&read)) {
    qWarning("refused: %s", refusal->text().c_str());
    return {-1, -1, -1, -1};
  }
  const ImportPlan& plan = std::get<ImportPlan>(read);
  for (const ImportRow& row : plan.rows) {
    if (row.fate == RowFate::Error) qWarning("line %d: %s", row.line, row.reason.c_str());
  }
  if (!applyImport(plan, {}, *year.ledger, *year.tickets)) return {-2, -2, -2, -2};
  return plan.counts;
}

}  // namespace

// A year goes out as the tickets and daybets reports and back in: the files
// the imported year saves are the year's own.
class TestImportRoundTrip : public QObject {
  Q_OBJECT

 private slots:
  void demoYear() {
    const QString corpus = QStringLiteral(TAMREL_FUZZ_CORPUS);
    const std::string ledgerBytes = fileBytes(corpus + "/ledger/demo-year");
    const std::string ticketBytes = fileBytes(corpus + "/tickets/demo-year");
    Year demo;
    QVERIFY(loadLedgerText(*demo.ledger, ledgerBytes).ok());
    QVERIFY(loadTicketText(*demo.tickets, ticketBytes).ok());
    QCOMPARE(ledgerFileText(*demo.ledger), ledgerBytes);

    const std::string tickets = ticketsReport(*demo.tickets, Period{}).csv;
    const std::string days = dayBetsReport(*demo.ledger, Period{}).csv;
    Year imported;
    const auto ticketFates = importInto(imported, tickets);
    const auto dayFates = importInto(imported, days);
    QCOMPARE(ticketFates[static_cast<int>(RowFate::Error)], 0);
    QCOMPARE(dayFates[static_cast<int>(RowFate::Error)], 0);
    QVERIFY(ticketFates[static_cast<int>(RowFate::Add)] > 200);
    QVERIFY(dayFates[static_cast<int>(RowFate::Add)] > 80);

    QCOMPARE(ledgerFileText(*imported.ledger), ledgerBytes);
    // The report lists a day's tickets in race order, and so they come back;
    // the demo year stored them in the order they were made.
    for (MonthTickets& month : demo.tickets->months) {
      std::stable_sort(month.records.begin(), month.records.begin() + month.count, ticketBefore);
    }
    QCOMPARE(ticketFileText(*imported.tickets), ticketFileText(*demo.tickets));
    QCOMPARE(ticketsReport(*imported.tickets, Period{}).csv, tickets);

    // A second time: everything is already there.
    const auto again = importInto(imported, tickets);
    const auto againDays = importInto(imported, days);
    QCOMPARE(again[static_cast<int>(RowFate::Add)], 0);
    QCOMPARE(again[static_cast<int>(RowFate::Same)], ticketFates[static_cast<int>(RowFate::Add)]);
    QCOMPARE(againDays[static_cast<int>(RowFate::Add)], 0);
    QCOMPARE(againDays[static_cast<int>(RowFate::Overwrite)], 0);
    QCOMPARE(ledgerFileText(*imported.ledger), ledgerBytes);
    QCOMPARE(ticketFileText(*imported.tickets), ticketFileText(*demo.tickets));
  }

  // The hand-made year holds what only an edited file has: amounts and a
  // ticket on 2/30, tickets stored out of order, profit fields that disagree
  // with the amounts, a racecourse code outside the list. The slots that
  // are no date are refused by their line; everything else comes back: each
  // day's fourteen amounts, and every ticket.
  void handYear() {
    const QString dir = QStringLiteral(TAMREL_HAND_YEAR_DIR);
    Year hand;
    QVERIFY(loadLedgerText(*hand.ledger, fileBytes(dir + "/tosidata.dat")).ok());
    QVERIFY(loadTicketText(*hand.tickets, fileBytes(dir + "/info.dat")).ok());
    Year imported;
    const auto ticketFates = importInto(imported, ticketsReport(*hand.tickets, Period{}).csv);
    const auto dayFates = importInto(imported, dayBetsReport(*hand.ledger, Period{}).csv);
    QCOMPARE(ticketFates[static_cast<int>(RowFate::Error)], 1);
    QCOMPARE(dayFates[static_cast<int>(RowFate::Error)], 1);
    for (int m = 1; m <= 12; ++m) {
      for (int d = 1; d <= kSlotsPerMonth; ++d) {
        const auto expected = isCalendarDay(m, d) ? betAmounts(daySlot(*hand.ledger, m, d))
                                                  : std::optional<BetAmounts>(BetAmounts{});
        QCOMPARE(betAmounts(daySlot(*imported.ledger, m, d)), expected);
      }
      std::vector<std::string> want;
      std::vector<std::string> got;
      const MonthTickets& from = hand.tickets->month(m);
      for (int i = 0; i < from.count; ++i) {
        const int day = std::stoi(std::string(from.slot(i).field(TicketField::Day)));
        if (!isCalendarDay(m, day)) continue;
        // A code the lists do not know goes out as an empty field, and
        // comes back blank.
        TicketRecord t = from.slot(i);
        for (int a = 0; a <= static_cast<int>(Attribute::RunnersBand); ++a) {
          const auto attribute = static_cast<Attribute>(a);
          if (captionOf(attribute, t).empty()) t.setField(fieldOf(attribute), " ");
        }
        want.emplace_back(t.view());
      }
      const MonthTickets& back = imported.tickets->month(m);
      for (int i = 0; i < back.count; ++i) got.emplace_back(back.slot(i).view());
      std::ranges::sort(want);
      std::ranges::sort(got);
      QCOMPARE(got, want);
    }
  }
};

QTEST_APPLESS_MAIN(TestImportRoundTrip)
#include "test_import_round_trip.moc"
