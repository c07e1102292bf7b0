#pragma once
// Which day slots of the ledger are dates.

namespace tamrel {

// Whether a day slot (month 1..12, day 1..31) is a date in some year: the
// file has 31 slots every month, but no calendar has 30 or 31 February or
// the 31st of April, June, September or November. 29 February is a date in
// leap years, and the file does not say which year it holds.
constexpr bool isCalendarDay(int month, int day) {
  if (month == 2) return day <= 29;
  const bool thirtyDays = month == 4 || month == 6 || month == 9 || month == 11;
  return day <= (thirtyDays ? 30 : 31);
}

}  // namespace tamrel
