#include "analysis/trend.h"

#include <algorithm>
#include <chrono>

namespace tamrel {

namespace {

bool isZero(const LedgerRecord& slot, Quantity q) {
  for (const BetTypeInfo& bet : kBetTypes) {
    // A number outside the range is not zero: the slot holds something.
    if (amount(slot, q, bet.type) != 0) return false;
  }
  return true;
}

bool isRacingDay(const LedgerRecord& slot) {
  return !isZero(slot, Quantity::Stake) || !isZero(slot, Quantity::Payout);
}

// The day's sums; empty where a stored amount cannot be read or a sum leaves
// the range.
TrendDay dayOf(const LedgerRecord& slot, TrendDate date) {
  TrendDay out{date, {}, {}, {}, {}};
  const std::optional<BetAmounts> amounts = betAmounts(slot);
  if (!amounts) return out;
  out.stake = checkedSum(amounts->stake);
  out.payout = checkedSum(amounts->payout);
  if (out.stake && out.payout) out.profit = profit(*out.stake, *out.payout);
  return out;
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

// Day counts, runs and extremes, all of which need every day's profit.
void dayProfitFigures(TrendFigures& f) {
  int wins = 0, losses = 0, winRun = 0, lossRun = 0, longestWin = 0, longestLoss = 0;
  std::optional<ExtremeDay> best, worst;
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
    if (!best || p > best->profit) best = ExtremeDay{d.date, p};
    if (!worst || p < worst->profit) worst = ExtremeDay{d.date, p};
  }
  f.winningDays = wins;
  f.losingDays = losses;
  f.longestWinningRun = longestWin;
  f.longestLosingRun = longestLoss;
  f.bestDay = best;
  f.worstDay = worst;
}

// Fills each day's running profit; false when one could not be computed.
bool cumulate(std::vector<TrendDay>& days) {
  std::optional<std::int32_t> running = 0;
  for (TrendDay& d : days) {
    running = running && d.profit ? checkedAdd(*running, *d.profit) : std::nullopt;
    d.cumulative = running;
  }
  return running.has_value();
}

// Needs every running profit; empty when a fall leaves the range.
std::optional<Drawdown> maxDrawdown(const std::vector<TrendDay>& days) {
  Drawdown out;
  std::int32_t high = 0;
  std::optional<TrendDate> highDate;  // empty: the start
  for (const TrendDay& d : days) {
    const std::int32_t value = *d.cumulative;
    if (value >= high) {
      high = value;
      highDate = d.date;
      continue;
    }
    const std::optional<std::int32_t> fall = checkedSub(high, value);
    if (!fall) return std::nullopt;
    if (*fall > out.amount) out = Drawdown{*fall, highDate, d.date};
  }
  return out;
}

}  // namespace

TrendFigures computeTrend(const YearLedger& ledger, const Period& period) {
  TrendFigures f;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= kSlotsPerMonth; ++day) {
      if (!period.contains(month, day)) continue;
      const LedgerRecord& slot = daySlot(ledger, month, day);
      if (isRacingDay(slot)) f.days.push_back(dayOf(slot, {month, day}));
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
  const TrendFigures figures = computeTrend(ledger);
  int bestYear = currentYear;
  int bestCount = -1;
  for (int y = currentYear - 29; y <= currentYear; ++y) {
    int count = 0;
    for (const TrendDay& d : figures.days) {
      const year_month_day date{year{y}, month{static_cast<unsigned>(d.date.month)},
                                day{static_cast<unsigned>(d.date.day)}};
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
