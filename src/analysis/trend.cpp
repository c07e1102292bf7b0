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

std::optional<std::int32_t> checkedTotal(const std::vector<TrendDay>& days,
                                         std::optional<std::int32_t> TrendDay::*field) {
  std::int32_t sum = 0;
  for (const TrendDay& d : days) {
    const std::optional<std::int32_t> next = d.*field ? checkedAdd(sum, *(d.*field)) : std::nullopt;
    if (!next) return std::nullopt;
    sum = *next;
  }
  return sum;
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

// Fills each day's running profit; false when one could not be computed
// (from that day on none has one).
bool cumulate(std::vector<TrendDay>& days) {
  std::int32_t running = 0;
  for (TrendDay& d : days) {
    const std::optional<std::int32_t> next =
        d.profit ? checkedAdd(running, *d.profit) : std::nullopt;
    if (!next) return false;
    running = *next;
    d.cumulative = running;
  }
  return true;
}

// Needs every running profit; empty when a fall leaves the range.
std::optional<Drawdown> maxDrawdown(const std::vector<TrendDay>& days) {
  std::int32_t high = 0;
  std::int32_t deepest = 0;
  const TrendDay* highDay = nullptr;  // none: the start
  const TrendDay* peak = nullptr;
  const TrendDay* trough = nullptr;
  for (const TrendDay& d : days) {
    const std::int32_t value = *d.cumulative;
    if (value >= high) {
      high = value;
      highDay = &d;
      continue;
    }
    const std::optional<std::int32_t> fall = checkedSub(high, value);
    if (!fall) return std::nullopt;
    if (*fall > deepest) {
      deepest = *fall;
      peak = highDay;
      trough = &d;
    }
  }
  Drawdown out;
  out.amount = deepest;
  if (trough != nullptr) {
    if (peak != nullptr) out.peak = peak->date;
    out.trough = trough->date;
  }
  return out;
}

}  // namespace

TrendFigures computeTrend(const YearLedger& ledger, const Period& period) {
  TrendFigures f;
  f.days.reserve(12 * kSlotsPerMonth);
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= kSlotsPerMonth; ++day) {
      if (!period.contains(month, day)) continue;
      const DaySums sums = daySums(daySlot(ledger, month, day));
      if (sums.racing) addDay(f.days, sums, {month, day});
    }
  }
  f.racingDays = static_cast<int>(f.days.size());
  f.stake = checkedTotal(f.days, &TrendDay::stake);
  f.payout = checkedTotal(f.days, &TrendDay::payout);
  if (f.stake && f.payout) {
    f.profit = profit(*f.stake, *f.payout);
    f.rate = recoveryRate(*f.stake, *f.payout);
  }
  dayProfitFigures(f);
  if (cumulate(f.days)) f.maxDrawdown = maxDrawdown(f.days);
  f.overflow = !f.profit || !f.maxDrawdown || !f.winningDays;
  return f;
}

int guessYear(const YearLedger& ledger, int currentYear) {
  using namespace std::chrono;
  // Only the dates count: no sums are needed.
  std::vector<TrendDate> dates;
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= kSlotsPerMonth; ++d) {
      if (daySums(daySlot(ledger, m, d)).racing) dates.push_back({m, d});
    }
  }
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
