#include "detail/month_transfer.h"

#include <algorithm>

namespace tamrel {

namespace {

bool validDate(int month, int day) { return month >= 1 && month <= 12 && day >= 1 && day <= 31; }

int liveCount(const MonthTickets& m) { return std::clamp<int>(m.count, 0, kMaxMonthTickets); }
int listCount(const DayTicketList& l) { return std::clamp<int>(l.count, 0, kDayListSlots); }

bool isOfDay(const TicketRecord& r, std::string_view dd) { return r.field(TicketField::Day) == dd; }

// The records of the month that stay when the day is replaced.
int otherDaysCount(const MonthTickets& m, std::string_view dd) {
  int n = 0;
  for (int i = 0; i < liveCount(m); ++i) {
    const TicketRecord& r = m.records[static_cast<std::size_t>(i)];
    if (!r.isBlank() && !isOfDay(r, dd)) ++n;
  }
  return n;
}

int liveEntries(const DayTicketList& list) {
  int n = 0;
  for (int i = 0; i < listCount(list); ++i) {
    if (!list.entries[static_cast<std::size_t>(i)].isBlank()) ++n;
  }
  return n;
}

}  // namespace

TransferResult loadDayTickets(const TicketStore& store, int month, int day, DayTicketList& list) {
  if (!validDate(month, day)) return TransferResult::InvalidDate;
  const auto digits = twoDigits(day);
  const std::string_view dd(digits.data(), digits.size());
  const MonthTickets& m = store.month(month);

  int found = 0;
  for (int i = 0; i < liveCount(m); ++i) {
    const TicketRecord& r = m.records[static_cast<std::size_t>(i)];
    if (!r.isBlank() && isOfDay(r, dd)) ++found;
  }
  // More than the ticket window admits comes only from an edited file; the
  // list is left alone rather than showing the day cut short.
  if (found > kMaxDayTickets) return TransferResult::TooManyForDay;

  std::int16_t n = 0;
  for (int i = 0; i < liveCount(m); ++i) {
    const TicketRecord& r = m.records[static_cast<std::size_t>(i)];
    if (!r.isBlank() && isOfDay(r, dd)) list.entries[static_cast<std::size_t>(n++)] = r;
  }
  list.count = n;
  return TransferResult::Ok;
}

namespace {

TransferResult checkStore(const TicketStore& store, int month, int day, const DayTicketList& list) {
  if (!validDate(month, day)) return TransferResult::InvalidDate;
  const int entries = liveEntries(list);
  // A day the loader would refuse must not be stored: it could never be
  // opened for editing again.
  if (entries > kMaxDayTickets) return TransferResult::TooManyForDay;
  const auto digits = twoDigits(day);
  const std::string_view dd(digits.data(), digits.size());
  if (otherDaysCount(store.month(month), dd) + entries > kMaxMonthTickets) {
    return TransferResult::MonthFull;
  }
  return TransferResult::Ok;
}

}  // namespace

bool canStoreDayTickets(const TicketStore& store, int month, int day, const DayTicketList& list) {
  return checkStore(store, month, day, list) == TransferResult::Ok;
}

TransferResult storeDayTickets(TicketStore& store, int month, int day, const DayTicketList& list) {
  if (const TransferResult check = checkStore(store, month, day, list);
      check != TransferResult::Ok) {
    return check;
  }
  const auto digits = twoDigits(day);
  const std::string_view dd(digits.data(), digits.size());
  MonthTickets& m = store.month(month);

  // Compacting in place keeps the other days in their order: the write
  // position never passes the read position.
  std::size_t n = 0;
  const int before = liveCount(m);
  for (int i = 0; i < before; ++i) {
    const TicketRecord& r = m.records[static_cast<std::size_t>(i)];
    if (!r.isBlank() && !isOfDay(r, dd)) {
      if (static_cast<std::size_t>(i) != n) m.records[n] = r;
      ++n;
    }
  }
  for (int i = 0; i < listCount(list); ++i) {
    const TicketRecord& entry = list.entries[static_cast<std::size_t>(i)];
    if (!entry.isBlank()) m.records[n++] = entry;
  }
  m.count = static_cast<std::int16_t>(n);
  m.records[n].markBlank();
  return TransferResult::Ok;
}

}  // namespace tamrel
