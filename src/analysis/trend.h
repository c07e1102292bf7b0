#pragma once
// The year day by day: each racing day's stake, payout and profit in date
// order with the running profit, and the figures a punter asks of a year --
// how many days won and lost, how deep the running profit dipped, the longest
// runs and the best and worst day. Qt-free: the trend window, the year
// comparison and the report command all read the same figures.
//
// A racing day is a day slot whose seven stakes or seven payouts are not all
// zero; its stake, payout and profit are the sums over the seven bet types.
// Sums are checked 32-bit like every other figure: a figure that cannot be
// computed (a sum leaves the range, or a stored amount cannot be read) is
// empty, never a wrapped value, and `overflow` tells the caller to say so.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/period.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_records.h"

namespace tamrel {

// A day slot: month 1..12, day 1..31 (also days the calendar lacks).
struct TrendDate {
  int month = 0;
  int day = 0;
  friend bool operator==(const TrendDate&, const TrendDate&) = default;
};

struct TrendDay {
  TrendDate date;
  std::optional<std::int32_t> stake;
  std::optional<std::int32_t> payout;
  std::optional<std::int32_t> profit;
  // Running sum of the day profits from 0 up to and including this day; empty
  // from the first day it cannot be computed on.
  std::optional<std::int32_t> cumulative;
};

// The largest fall of the running profit from its highest value so far (the
// starting 0 counts) to a later value.
struct Drawdown {
  std::int32_t amount = 0;  // positive; 0 when the running profit never falls
  // Set only when amount > 0. The peak is the last day the running profit
  // stood at that high; empty when the high is the starting 0 (shown as the
  // start). The trough is the earliest day of the largest fall.
  std::optional<TrendDate> peak;
  std::optional<TrendDate> trough;
};

struct ExtremeDay {
  TrendDate date;
  std::int32_t profit = 0;
};

struct TrendFigures {
  std::vector<TrendDay> days;  // the racing days of the period, in date order

  int racingDays = 0;                   // 開催日数
  std::optional<int> winningDays;       // 勝ち日数: profit > 0
  std::optional<int> losingDays;        // 負け日数: profit < 0
  std::optional<std::int32_t> stake;    // 投資金額
  std::optional<std::int32_t> payout;   // 払戻金額
  std::optional<std::int32_t> profit;   // 年間利益: payout - stake
  std::optional<float> rate;            // 回収率: 0 for a zero stake
  std::optional<Drawdown> maxDrawdown;  // 最大ドローダウン
  // 最長連勝 / 最長連敗: consecutive racing days with profit > 0 / < 0; a
  // profit-0 day ends both runs, days without racing end neither.
  std::optional<int> longestWinningRun;
  std::optional<int> longestLosingRun;
  // 最高日 / 最低日: the earliest day of the highest / lowest profit; empty
  // when there is no racing day.
  std::optional<ExtremeDay> bestDay;
  std::optional<ExtremeDay> worstDay;

  // Some figure could not be computed (it is left empty).
  bool overflow = false;
};

// The year's sums, running profit and deepest fall, taken day by day in date
// order: the part of the figures that needs no list of the days. Both
// computeTrend and the year comparison count through it.
class TrendTotals {
 public:
  // Adds a racing day.
  void add(TrendDate date, const DaySums& day);

  int racingDays() const { return racingDays_; }
  std::optional<std::int32_t> stake() const { return stake_.value(); }
  std::optional<std::int32_t> payout() const { return payout_.value(); }
  // After the last day added; empty from the first day it cannot be computed.
  std::optional<std::int32_t> running() const { return running_.value(); }
  // Empty when a running profit or a fall could not be computed.
  std::optional<Drawdown> maxDrawdown() const;
  // The highest and the lowest the running profit stood, the 0 of the start
  // included: where falls that run on past the last day are measured from.
  // Meaningful whenever maxDrawdown() is.
  std::int32_t highest() const { return high_; }
  std::int32_t lowest() const { return low_; }

 private:
  // A sum that stays unknown from the first addend it cannot take. (Kept as
  // a number and a flag: a year's days are added one by one, and an optional
  // rebuilt for each costs more than the addition.)
  struct Sum {
    std::int32_t total = 0;
    bool known = true;
    void add(std::optional<std::int32_t> v);
    std::optional<std::int32_t> value() const {
      return known ? std::optional<std::int32_t>(total) : std::nullopt;
    }
  };
  int racingDays_ = 0;
  Sum stake_;
  Sum payout_;
  Sum running_;
  bool fallUnknown_ = false;
  std::int32_t high_ = 0;
  std::int32_t low_ = 0;
  std::optional<TrendDate> highDay_;  // none: the start
  Drawdown deepest_;
};

// Inline: a year's days are added one by one.
inline void TrendTotals::Sum::add(std::optional<std::int32_t> v) {
  const std::optional<std::int32_t> next = known && v ? checkedAdd(total, *v) : std::nullopt;
  known = next.has_value();
  if (known) total = *next;
}

inline void TrendTotals::add(TrendDate date, const DaySums& day) {
  ++racingDays_;
  stake_.add(day.stake);
  payout_.add(day.payout);
  running_.add(day.stake && day.payout ? profit(*day.stake, *day.payout) : std::nullopt);
  if (!running_.known) {
    fallUnknown_ = true;
    return;
  }
  // A new high (or the same again) is the peak of any later fall; the
  // earliest day of the largest fall is its trough.
  const std::int32_t running = running_.total;
  if (running >= high_) {
    high_ = running;
    highDay_ = date;
    return;
  }
  low_ = std::min(low_, running);
  const std::optional<std::int32_t> fall = checkedSub(high_, running);
  if (!fall) {
    fallUnknown_ = true;
  } else if (*fall > deepest_.amount) {
    deepest_.amount = *fall;
    deepest_.peak = highDay_;
    deepest_.trough = date;
  }
}

// The figures of the racing days within `period` (the whole year by default;
// a period that ends before it starts holds no day).
TrendFigures computeTrend(const YearLedger& ledger, const Period& period = {});

// Only the totals of those days.
TrendTotals trendTotals(const YearLedger& ledger, const Period& period = {});
// The same over the whole year, from the day sums read from a ledger file.
TrendTotals trendTotals(const YearDaySums& days);

// The year whose calendar the racing days most likely belong to: among the 30
// years up to and including `currentYear`, the one in which most racing days
// (of the whole ledger) fall on a Saturday or Sunday, the latest on a tie.
// Day slots that a year's calendar lacks never count for it.
int guessYear(const YearLedger& ledger, int currentYear);

}  // namespace tamrel
