#include "analysis/trend.h"

#include <algorithm>
#include <chrono>

namespace tamrel {

namespace {

// Adds a racing day with its sums; empty where a stored amount cannot be
// read or a sum leaves the range. The fields are set in the vector's own
// element: GCC builds a whole TrendDay to copy it through the stack, and
// reading back what it has just written piecewise stalls each day.
void addDay(std::vector<TrendDay>& days, const DaySums& sums, TrendDate date) {
  TrendDay& day = days.emplace_back();
  day.date = date;
  day.stake = sums.stake;
  day.payout = sums.payout;
  if (day.stake && day.payout) day.profit = profit(*day.stake, *day.payout);
}

// Day counts, runs and extremes, all of which need every day's profit. The
// extremes are kept as the days themselves, not as optionals rebuilt at
// every new high or low (see addDay).
void dayProfitFigures(TrendFigures& f) {
  int wins = 0, losses = 0, winRun = 0, lossRun = 0, longestWin = 0, longestLoss = 0;
  const TrendDay* best = nullptr;
  const TrendDay* worst = nullptr;
  for (const TrendDay& d : f.days) {
    if (!d.profit) return;
    const std::int32_t p = *d.profit;
    wins += p > 0;
    losses += p < 0;
    winRun = p > 0 ? winRun + 1 : 0;
    lossRun = p < 0 ? lossRun + 1 : 0;
    longestWin = std::max(longestWin, winRun);
    longestLoss = std::max(longestLoss, lossRun);
    // Strict comparisons keep the earliest day of a tie.
    if (best == nullptr || p > *best->profit) best = &d;
    if (worst == nullptr || p < *worst->profit) worst = &d;
  }
  f.winningDays = wins;
  f.losingDays = losses;
  f.longestWinningRun = longestWin;
  f.longestLosingRun = longestLoss;
  if (best != nullptr) f.bestDay = ExtremeDay{best->date, *best->profit};
  if (worst != nullptr) f.worstDay = ExtremeDay{worst->date, *worst->profit};
}

// Calls `visit(date, sums)` for each racing day within the period, in date
// order: a day slot whose amounts are not all zero (or cannot be read).
// `sumsOf(month, day)` gives a slot's sums.
template <typename SumsOf, typename Visit>
void forEachRacingDay(const Period& period, SumsOf&& sumsOf, Visit&& visit) {
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= kSlotsPerMonth; ++day) {
      if (!period.contains(month, day)) continue;
      const DaySums sums = sumsOf(month, day);
      if (sums.racing) visit(TrendDate{month, day}, sums);
    }
  }
}

// The sums of a ledger's day slots, read from its records.
auto ledgerSums(const YearLedger& ledger) {
  return [&ledger](int month, int day) { return daySums(daySlot(ledger, month, day)); };
}

}  // namespace

std::optional<Drawdown> TrendTotals::maxDrawdown() const {
  if (fallUnknown_) return std::nullopt;
  return deepest_;
}

TrendFigures computeTrend(const YearLedger& ledger, const Period& period) {
  TrendFigures f;
  f.days.reserve(12 * kSlotsPerMonth);
  TrendTotals totals;
  forEachRacingDay(period, ledgerSums(ledger), [&](TrendDate date, const DaySums& sums) {
    addDay(f.days, sums, date);
    totals.add(date, sums);
    f.days.back().cumulative = totals.running();
  });
  f.racingDays = totals.racingDays();
  f.stake = totals.stake();
  f.payout = totals.payout();
  if (f.stake && f.payout) {
    f.profit = profit(*f.stake, *f.payout);
    f.rate = recoveryRate(*f.stake, *f.payout);
  }
  dayProfitFigures(f);
  f.maxDrawdown = totals.maxDrawdown();
  f.overflow = !f.profit || !f.maxDrawdown || !f.winningDays;
  return f;
}

TrendTotals trendTotals(const YearLedger& ledger, const Period& period) {
  TrendTotals totals;
  forEachRacingDay(period, ledgerSums(ledger),
                   [&](TrendDate date, const DaySums& sums) { totals.add(date, sums); });
  return totals;
}

TrendTotals trendTotals(const YearDaySums& days) {
  TrendTotals totals;
  const auto sumsOf = [&days](int month, int day) -> const DaySums& {
    return days[static_cast<std::size_t>((month - 1) * kSlotsPerMonth + day - 1)];
  };
  forEachRacingDay(Period{}, sumsOf,
                   [&](TrendDate date, const DaySums& sums) { totals.add(date, sums); });
  return totals;
}

int guessYear(const YearLedger& ledger, int currentYear) {
  using namespace std::chrono;
  // Only the dates count: no sums are needed.
  std::vector<TrendDate> dates;
  forEachRacingDay(Period{}, ledgerSums(ledger),
                   [&](TrendDate date, const DaySums&) { dates.push_back(date); });
  int bestYear = currentYear;
  int bestCount = -1;
  for (int y = currentYear - 29; y <= currentYear; ++y) {
    int count = 0;
    for (const TrendDate& d : dates) {
      const year_month_day date{year{y}, month{static_cast<unsigned>(d.month)},
                                day{static_cast<unsigned>(d.day)}};
      if (!date.ok()) continue;
      const weekday w{sys_days{date}};
      count += w == Saturday || w == Sunday;
    }
    // Later years win ties: the loop runs upwards.
    if (count >= bestCount) {
      bestYear = y;
      bestCount = count;
    }
  }
  return bestYear;
}

}  // namespace tamrel
