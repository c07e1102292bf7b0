#pragma once
// The share of each pool that goes back to the winners, by bet type, as a
// dated table: a change of rate is one new row, and a ticket is measured
// against the rate in force on its own date. The figures are those the
// organiser publishes in its payout rules (the 払戻率 of each bet type,
// announced with the date it takes effect).

#include <array>
#include <optional>

#include "ledger/ledger_records.h"

namespace tamrel {

// A rate in tenths of a percent (775 is 77.5 %): the published rates are all
// whole tenths, so they are held exactly and a stake-weighted mixture is an
// exact integer sum.
using RatePermille = int;

struct PoolRateRow {
  int year = 0;  // first day in force
  int month = 0;
  int day = 0;
  std::array<RatePermille, kBetTypeCount> rates{};  // in kBetTypes order
};

inline constexpr std::array<PoolRateRow, 1> kPoolRates{{
    // 単勝, 複勝, 枠連, 馬連, ﾜｲﾄﾞ, 馬単, 3連複
    {2014, 6, 7, {800, 800, 775, 775, 775, 750, 750}},
}};

// The row in force on a date: the last one that starts on or before it. A
// date before the first row takes the first: the table holds no older rates,
// and a ledger of such a year is still measured against the nearest known.
const PoolRateRow& poolRateRow(int year, int month, int day);
RatePermille poolRate(BetType type, int year, int month, int day);

// As a fraction (0.775).
constexpr double rateFraction(RatePermille rate) { return rate / 1000.0; }

}  // namespace tamrel
