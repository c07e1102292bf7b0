#pragma once
// Hand-built tickets for the analysis tests.

#include <cstdint>
#include <memory>
#include <string_view>

#include "detail/ticket_records.h"

namespace analysisdata {

// The ten code fields in the order the `codes` text of ticket() gives them.
inline constexpr tamrel::TicketField kCodeFields[] = {
    tamrel::TicketField::Racecourse,   tamrel::TicketField::RaceNo,
    tamrel::TicketField::Weekday,      tamrel::TicketField::Surface,
    tamrel::TicketField::DistanceBand, tamrel::TicketField::RaceClass,
    tamrel::TicketField::BetType,      tamrel::TicketField::AgeGroup,
    tamrel::TicketField::Condition,    tamrel::TicketField::RunnersBand};

// A ticket of `month`/`day`: `codes` holds racecourse, race, weekday, course,
// distance, class, bet type, age, condition and runners, one character each
// (a blank leaves the field blank).
inline tamrel::TicketRecord ticket(int month, int day, std::string_view codes,
                                   std::int32_t purchase, std::int32_t payout) {
  tamrel::TicketRecord r = tamrel::newTicket(month, day);
  for (std::size_t i = 0; i < std::size(kCodeFields) && i < codes.size(); ++i) {
    r.setField(kCodeFields[i], codes.substr(i, 1));
  }
  tamrel::setAmountField(r, tamrel::TicketField::Purchase, purchase);
  tamrel::setAmountField(r, tamrel::TicketField::Payout, payout);
  return r;
}

// Appends a ticket to its month (the record's own month), moving the end
// marker on.
inline void append(tamrel::TicketStore& store, int month, const tamrel::TicketRecord& r) {
  tamrel::MonthTickets& m = store.month(month);
  m.slot(m.count) = r;
  ++m.count;
  m.slot(m.count).markBlank();
}

// A year's tickets, added one by one.
struct TicketYear {
  TicketYear() { tamrel::clearTickets(*store); }
  std::unique_ptr<tamrel::TicketStore> store = std::make_unique<tamrel::TicketStore>();

  void add(int month, int day, std::string_view codes, std::int32_t purchase, std::int32_t payout) {
    append(*store, month, ticket(month, day, codes, purchase, payout));
  }
};

}  // namespace analysisdata
