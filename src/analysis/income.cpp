#include "analysis/income.h"

#include <algorithm>
#include <array>

#include "analysis/cross_totals.h"

namespace tamrel {

IncomeSteps incomeSteps(std::int64_t payouts, std::int64_t stakes) {
  IncomeSteps s;
  s.payouts = payouts;
  s.stakes = stakes;
  s.gain = std::max<std::int64_t>(payouts - stakes, 0);
  s.deduction = std::min(s.gain, kSpecialDeduction);
  s.occasional = s.gain - s.deduction;
  s.taxable = s.occasional / 2;
  return s;
}

IncomeFigures computeIncome(const YearLedger& ledger, const TicketStore& tickets,
                            const Period& period) {
  IncomeFigures figures;
  // Which day slots hold a ticket of the period, whatever it paid.
  std::array<bool, 12 * kSlotsPerMonth> ticketed{};
  std::int64_t payouts = 0;
  std::int64_t stakes = 0;
  for (int month = 1; month <= 12; ++month) {
    const MonthTickets& m = tickets.month(month);
    const int live = std::clamp<int>(m.count, 0, kMaxMonthTickets);
    for (int i = 0; i < live; ++i) {
      const TicketRecord& t = m.slot(i);
      if (t.isBlank() || !ticketInPeriod(t, period)) continue;
      const std::string_view day = t.field(TicketField::Day);
      const auto digit = [](char c) { return c >= '0' && c <= '9'; };
      const int d = digit(day[0]) && digit(day[1]) ? (day[0] - '0') * 10 + (day[1] - '0') : 0;
      if (d >= 1 && d <= kSlotsPerMonth) {
        ticketed[static_cast<std::size_t>((month - 1) * kSlotsPerMonth + d - 1)] = true;
      }
      const auto stake = amountField(t, TicketField::Purchase);
      const auto payout = amountField(t, TicketField::Payout);
      if (!stake || !payout) {
        ++figures.unreadable;
        continue;
      }
      if (*payout <= 0) continue;
      ++figures.winningTickets;
      payouts += *payout;
      stakes += *stake;
    }
  }
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= kSlotsPerMonth; ++day) {
      if (!period.contains(month, day) ||
          ticketed[static_cast<std::size_t>((month - 1) * kSlotsPerMonth + day - 1)]) {
        continue;
      }
      const DaySums sums = daySums(daySlot(ledger, month, day));
      if (!sums.racing) continue;
      if (!sums.stake || !sums.payout) {
        ++figures.unreadable;
        continue;
      }
      ++figures.unticketedDays;
      figures.unticketedPayouts += *sums.payout;
      figures.unticketedStakes += *sums.stake;
    }
  }
  figures.exact = incomeSteps(payouts, stakes);
  figures.upperBound = incomeSteps(payouts + figures.unticketedPayouts, stakes);
  return figures;
}

std::array<IncomeLine, kIncomeLineCount> incomeLines(const IncomeFigures& f) {
  const IncomeSteps& e = f.exact;
  const IncomeSteps& u = f.upperBound;
  return {{
      {"当たり馬券の払戻金", e.payouts, u.payouts, "払戻金のあった馬券の払戻金の合計 (総収入金額)"},
      {"当たり馬券の購入金額", e.stakes, u.stakes,
       "払戻金のあった馬券の購入金額だけ。外れ馬券の購入金額は差し引かない"},
      {"差引", e.gain, u.gain, "払戻金から購入金額を引いた額 (0円未満は0円)"},
      {"特別控除", e.deduction, u.deduction, "差引のうち500,000円まで"},
      {"一時所得の金額", e.occasional, u.occasional, "差引から特別控除を引いた額"},
      {"課税対象となる額", e.taxable, u.taxable,
       "一時所得の金額の2分の1 (1円未満切り捨て)。他の所得と合わせて税額が決まる"},
      {"馬券のない開催日", std::nullopt, f.unticketedDays,
       "日の金額はあるが馬券がなく、払戻金と購入金額を対にできない日数", true},
      {"その日の払戻金", std::nullopt, f.unticketedPayouts,
       "馬券のない開催日の払戻金。上限では購入金額を引かずに全額を加える"},
  }};
}

}  // namespace tamrel
