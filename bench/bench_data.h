#pragma once
// Data of the largest size the program holds: a ledger with every day slot
// of the year posted, with amounts that differ from slot to slot, and twelve
// months of 499 tickets with every category of every dimension in use.

#include <cstdlib>
#include <string_view>

#include "analysis/category_totals.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_init.h"
#include "ledger/ledger_records.h"

namespace tamrel::bench {

inline BetAmounts amountsFor(int month, int day) {
  BetAmounts a;
  for (int t = 0; t < kBetTypeCount; ++t) {
    const auto i = static_cast<std::size_t>(t);
    a.stake[i] = 100 * (month * 37 + day * 11 + t);
    a.payout[i] = 90 * (month * 41 + day * 7 + t * 3);
  }
  return a;
}

inline void fillLedger(YearLedger& ledger) {
  resetLedger(ledger);
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= kSlotsPerMonth; ++d) {
      BetAmounts baseline;
      if (postDay(ledger, baseline, m, d, amountsFor(m, d)) != PostResult::Ok) std::abort();
    }
  }
}

inline YearLedger fullLedger() {
  YearLedger ledger;
  fillLedger(ledger);
  return ledger;
}

// Ticket i of a month takes category i of each dimension in turn and falls on
// day i % 31 + 1, so each day holds 16 or 17 tickets.
inline void fillTickets(TicketStore& store) {
  clearTickets(store);
  for (int m = 1; m <= 12; ++m) {
    MonthTickets& month = store.month(m);
    for (int i = 0; i < kMaxMonthTickets; ++i) {
      TicketRecord r = newTicket(m, i % 31 + 1);
      for (Dimension d : kDimensions) {
        const auto rows = categories(d);
        r.setField(fieldOf(d), std::string_view(&rows[(i + m) % rows.size()].code, 1));
      }
      r.setField(TicketField::BetType, std::string_view(&"1234567"[i % 7], 1));
      setAmountField(r, TicketField::Purchase, 100 * (i % 30 + 1));
      setAmountField(r, TicketField::Payout, i % 4 == 0 ? 250 * (i % 30 + 1) : 0);
      month.slot(i) = r;
    }
    month.count = kMaxMonthTickets;
    month.slot(kMaxMonthTickets).markBlank();
  }
}

inline TicketStore fullTickets() {
  TicketStore store;
  fillTickets(store);
  return store;
}

}  // namespace tamrel::bench
