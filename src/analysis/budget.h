#pragma once
// 予算: the stake limits a punter sets per 節, month and year, where the year
// stands against them, and which of them a posting would pass. Qt-free: the
// entry window's question, the status bar, the trend window and the report
// command all read the same figures.
//
// A 節 is a run of racing days without a gap of more than one calendar day
// between two of them (Saturday-Sunday, or Saturday-Monday over a holiday).
// A limit is passed when the stake is above it: a stake exactly at the limit
// keeps to it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/trend.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_records.h"

namespace tamrel {

// Each empty when not set (no limit).
struct BudgetLimits {
  std::optional<std::int32_t> setsu;  // stake per 節
  std::optional<std::int32_t> month;  // stake per month
  std::optional<std::int32_t> year;   // stake per year
  std::optional<int> rateTarget;      // 回収率 target in percent (80: 80%)
  friend bool operator==(const BudgetLimits&, const BudgetLimits&) = default;
};

// The racing days of one 節, in date order; never empty.
struct Setsu {
  std::vector<TrendDate> days;
  TrendDate first() const { return days.front(); }
  TrendDate last() const { return days.back(); }
};

// The 節 of `racingDays` (in date order) on the calendar of `year`. A day
// slot that is no date of that year (2月30日, or 2月29日 outside a leap
// year) cannot be placed between its neighbours: it is a 節 of its own.
// Within one file the last day of the year never joins the first.
std::vector<Setsu> findSetsu(const std::vector<TrendDate>& racingDays, int year);

// A stake against its limit.
struct BudgetLine {
  std::optional<std::int32_t> stake;  // empty when it cannot be computed
  std::optional<std::int32_t> limit;  // empty: no limit
  // limit - stake, negative when over; empty without a limit or a stake.
  std::optional<std::int32_t> left;
  bool passed() const { return left && *left < 0; }
};

struct SetsuStanding {
  Setsu setsu;
  BudgetLine line;
};

struct BudgetStanding {
  std::vector<SetsuStanding> setsu;
  std::array<BudgetLine, 12> months;  // index month - 1
  BudgetLine year;
  std::optional<std::int32_t> payout;  // the year's
  std::optional<float> rate;           // the year's 回収率 (1.5: 150%)
  std::optional<int> rateTarget;       // as set, in percent
};

// The day sums of every slot of a ledger, in the order of YearDaySums.
YearDaySums ledgerDaySums(const YearLedger& ledger);

// Where the year stands: each 節 (found on the calendar of `year`), each
// month and the whole year against the limits.
BudgetStanding budgetStanding(const YearDaySums& days, const BudgetLimits& limits, int year);

// A limit a posting would pass: the stake after it, and by how much it is
// over.
enum class BudgetScope { Setsu, Month, Year };
struct BudgetPass {
  BudgetScope scope = BudgetScope::Month;
  std::int32_t stake = 0;
  std::int32_t over = 0;  // stake - limit, above 0
  friend bool operator==(const BudgetPass&, const BudgetPass&) = default;
};

// The limits that storing `posted` in the slot `month`/`day` would pass, 節
// first, then month, then year. A limit counts only when the posting leaves
// the stake above it and raises the stake: a correction downwards that
// still leaves it over is not warned again. The posted day's 節 is found
// with the posting in place (a day may join two 節 into one).
std::vector<BudgetPass> postingPasses(const YearDaySums& days, const BudgetLimits& limits, int year,
                                      int month, int day, const DaySums& posted);

// The line a question shows for a pass ("今月の予算を 12,000円 超えます"):
// the month is named "今月" when it is `currentMonth`, else by its number.
std::string budgetPassText(const BudgetPass& pass, int month, int currentMonth);

}  // namespace tamrel
