#pragma once
// Moving one day's tickets between its month table and the working list.

#include "detail/ticket_records.h"

namespace tamrel {

enum class TransferResult {
  Ok,
  TooManyForDay,  // load: the day has more than 200 records; the list is untouched.
                  // store: the list has more than 200 live entries; nothing changes
  MonthFull,      // store: the month would exceed 499 live records; nothing changes
  InvalidDate,    // month outside 1..12 or day outside 1..31; nothing changes
};

// The list becomes the day's records of the month, in slot order.
TransferResult loadDayTickets(const TicketStore& store, int month, int day, DayTicketList& list);

// Whether storing the list would succeed: at most 200 live entries, which
// keep the month within 499 live records.
bool canStoreDayTickets(const TicketStore& store, int month, int day, const DayTicketList& list);

// Replaces the day's records of the month by the live entries of the list,
// appended after the other days' records (kept in their order).
TransferResult storeDayTickets(TicketStore& store, int month, int day, const DayTicketList& list);

}  // namespace tamrel
