#include "analysis/budget.h"

#include <chrono>

#include "base/amount.h"

namespace tamrel {

namespace {

std::size_t slotOf(int month, int day) {
  return static_cast<std::size_t>((month - 1) * kSlotsPerMonth + day - 1);
}

// The date of a slot in `year`, or none when the calendar lacks it.
std::optional<std::chrono::sys_days> dateOf(TrendDate d, int year) {
  using namespace std::chrono;
  const year_month_day date{std::chrono::year{year},
                            std::chrono::month{static_cast<unsigned>(d.month)},
                            std::chrono::day{static_cast<unsigned>(d.day)}};
  if (!date.ok()) return std::nullopt;
  return sys_days{date};
}

// A sum that stays unknown from the first addend it cannot take. Only
// racing days are added, as the trend counts them.
void addTo(std::optional<std::int32_t>& sum, std::optional<std::int32_t> v) {
  sum = sum && v ? checkedAdd(*sum, *v) : std::nullopt;
}

BudgetLine lineOf(std::optional<std::int32_t> stake, std::optional<std::int32_t> limit) {
  BudgetLine line{stake, limit, std::nullopt};
  if (stake && limit) line.left = checkedSub(*limit, *stake);
  return line;
}

std::vector<TrendDate> racingDates(const YearDaySums& days) {
  std::vector<TrendDate> dates;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= kSlotsPerMonth; ++day) {
      if (days[slotOf(month, day)].racing) dates.push_back({month, day});
    }
  }
  return dates;
}

std::optional<std::int32_t> stakeOf(const YearDaySums& days, const std::vector<TrendDate>& dates) {
  std::optional<std::int32_t> stake = 0;
  for (const TrendDate& d : dates) addTo(stake, days[slotOf(d.month, d.day)].stake);
  return stake;
}

std::optional<std::int32_t> monthStake(const YearDaySums& days, int month) {
  std::optional<std::int32_t> stake = 0;
  for (int day = 1; day <= kSlotsPerMonth; ++day) {
    const DaySums& d = days[slotOf(month, day)];
    if (d.racing) addTo(stake, d.stake);
  }
  return stake;
}

std::optional<std::int32_t> yearStake(const YearDaySums& days) {
  std::optional<std::int32_t> stake = 0;
  for (const DaySums& d : days) {
    if (d.racing) addTo(stake, d.stake);
  }
  return stake;
}

// Whether the stakes before and after a posting pass `limit`: the stake
// after is above it and above the stake before.
void passIf(std::vector<BudgetPass>& passes, BudgetScope scope, std::optional<std::int32_t> limit,
            std::optional<std::int32_t> before, std::optional<std::int32_t> after) {
  if (!limit || !after || *after <= *limit) return;
  if (before && *after <= *before) return;
  if (const std::optional<std::int32_t> over = checkedSub(*after, *limit)) {
    passes.push_back({scope, *after, *over});
  }
}

}  // namespace

std::vector<Setsu> findSetsu(const std::vector<TrendDate>& racingDays, int year) {
  std::vector<Setsu> runs;
  // The run the next dated day may join, and its last date. An undated
  // slot stands alone and leaves the run open: 2月28日 and 3月1日 are
  // neighbours whatever the file holds in 2月30日.
  std::optional<std::size_t> open;
  std::optional<std::chrono::sys_days> previous;
  for (const TrendDate& d : racingDays) {
    const std::optional<std::chrono::sys_days> date = dateOf(d, year);
    if (!date) {
      runs.push_back({{d}});
      continue;
    }
    // Two calendar days apart at most: Saturday and Monday still join.
    if (open && (*date - *previous).count() <= 2) {
      runs[*open].days.push_back(d);
    } else {
      open = runs.size();
      runs.push_back({{d}});
    }
    previous = date;
  }
  return runs;
}

YearDaySums ledgerDaySums(const YearLedger& ledger) {
  YearDaySums days;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= kSlotsPerMonth; ++day) {
      days[slotOf(month, day)] = daySums(daySlot(ledger, month, day));
    }
  }
  return days;
}

BudgetStanding budgetStanding(const YearDaySums& days, const BudgetLimits& limits, int year) {
  BudgetStanding s;
  for (Setsu& setsu : findSetsu(racingDates(days), year)) {
    const std::optional<std::int32_t> stake = stakeOf(days, setsu.days);
    s.setsu.push_back({std::move(setsu), lineOf(stake, limits.setsu)});
  }
  for (int month = 1; month <= 12; ++month) {
    s.months[static_cast<std::size_t>(month - 1)] = lineOf(monthStake(days, month), limits.month);
  }
  s.year = lineOf(yearStake(days), limits.year);
  std::optional<std::int32_t> payout = 0;
  for (const DaySums& d : days) {
    if (d.racing) addTo(payout, d.payout);
  }
  s.payout = payout;
  if (s.year.stake && payout) s.rate = recoveryRate(*s.year.stake, *payout);
  s.rateTarget = limits.rateTarget;
  return s;
}

std::vector<BudgetPass> postingPasses(const YearDaySums& days, const BudgetLimits& limits, int year,
                                      int month, int day, const DaySums& posted) {
  std::vector<BudgetPass> passes;
  YearDaySums after = days;
  after[slotOf(month, day)] = posted;
  if (limits.setsu && posted.racing) {
    for (const Setsu& setsu : findSetsu(racingDates(after), year)) {
      bool holds = false;
      for (const TrendDate& d : setsu.days) holds = holds || (d.month == month && d.day == day);
      if (!holds) continue;
      passIf(passes, BudgetScope::Setsu, limits.setsu, stakeOf(days, setsu.days),
             stakeOf(after, setsu.days));
    }
  }
  passIf(passes, BudgetScope::Month, limits.month, monthStake(days, month),
         monthStake(after, month));
  passIf(passes, BudgetScope::Year, limits.year, yearStake(days), yearStake(after));
  return passes;
}

std::string budgetPassText(const BudgetPass& pass, int month, int currentMonth) {
  std::string whose;
  switch (pass.scope) {
    case BudgetScope::Setsu:
      whose = "この節";
      break;
    case BudgetScope::Month:
      whose = month == currentMonth ? std::string("今月") : std::to_string(month) + "月";
      break;
    case BudgetScope::Year:
      whose = "今年";
      break;
  }
  return whose + "の予算を " + formatYen(pass.over) + " 超えます";
}

}  // namespace tamrel
