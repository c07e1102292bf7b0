#pragma once
// What the day list of the daily entry window tells about a day slot
// beyond its number: the weekday in the year the ledger is taken to be,
// the national holidays that make a Monday a racing day, slots no calendar
// of that year has, and whether the slot already holds amounts or tickets.

#include <QString>
#include <array>
#include <optional>

namespace tamrel {

struct TicketStore;
struct YearLedger;

// The year the ledger's day slots are read in: the year its racing days
// most likely belong to, among the years up to this one.
int ledgerYear(const YearLedger& ledger);

// Whether `month`/`day` of `year` is a national holiday of Japan under the
// rules in force since 2000 (fixed days, the Mondays, the equinoxes, the
// substitute and in-between holidays, and the one-off days of 2019-2021).
bool isNationalHoliday(int year, int month, int day);

// Index d (1..31): whether day slot `month`/d holds an amount or a ticket.
std::array<bool, 32> daysHoldingData(const YearLedger& ledger, const TicketStore& tickets,
                                     int month);

// The last day slot in the year that holds an amount or a ticket.
struct DaySlot {
  int month = 0;
  int day = 0;
  friend bool operator==(const DaySlot&, const DaySlot&) = default;
};
std::optional<DaySlot> latestDayHoldingData(const YearLedger& ledger, const TicketStore& tickets);

// The day list's text for slot `month`/`day` read in `year`: "２２日（土）",
// "８日（月・祝）", "３０日（暦なし）", with "●" after a day that holds
// data.
QString dayListText(int year, int month, int day, bool holdsData);

// The ticket's 曜日 caption for a day of `year`: "土曜日", "日曜日" or "その他";
// empty for a slot the year's calendar lacks.
QString weekdayCaption(int year, int month, int day);

}  // namespace tamrel
