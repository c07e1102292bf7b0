#pragma once
// 一時所得: how much of a year's winnings counts toward taxable income, as
// far as the ledger can tell. Winnings from betting are occasional income:
// the payouts of the winning tickets, less what those winning tickets cost
// (losing tickets are not set against them), less the special deduction of
// up to 500,000 円; half of what remains counts toward taxable income.
//
// Only tickets pair a payout with its own stake. A day with day amounts but
// no ticket cannot be split into winning and losing stakes, so its payouts
// give an upper bound: counted in full, with none of its stakes set against
// them.
//
// Sums are 64-bit: a year of payouts can pass the 32-bit range.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/period.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_records.h"

namespace tamrel {

inline constexpr std::int64_t kSpecialDeduction = 500000;

// The steps from the payouts to the amount that counts, for one set of
// payouts and stakes.
struct IncomeSteps {
  std::int64_t payouts = 0;     // 総収入金額: payouts of the winning tickets
  std::int64_t stakes = 0;      // 支出した金額: the stakes of those tickets
  std::int64_t gain = 0;        // payouts - stakes, at least 0
  std::int64_t deduction = 0;   // 特別控除: the gain up to 500,000 円
  std::int64_t occasional = 0;  // 一時所得の金額: gain - deduction
  std::int64_t taxable = 0;     // half of that, yen fractions dropped
};
IncomeSteps incomeSteps(std::int64_t payouts, std::int64_t stakes);

struct IncomeFigures {
  IncomeSteps exact;       // from the tickets alone
  IncomeSteps upperBound;  // the unticketed days' payouts added, no stake of theirs
  int winningTickets = 0;
  int unticketedDays = 0;  // days with day amounts and no ticket
  std::int64_t unticketedPayouts = 0;
  std::int64_t unticketedStakes = 0;
  // Tickets or days left out because an amount could not be read within
  // the range.
  int unreadable = 0;
};

// The figures of the period (the whole year by default): tickets and days
// by their own month and day.
IncomeFigures computeIncome(const YearLedger& ledger, const TicketStore& tickets,
                            const Period& period = {});

// The lines the window and the report show, each with its rule in words.
// The last two lines belong to the upper bound alone (exact is empty); one
// of them is a count of days, not an amount.
struct IncomeLine {
  std::string_view caption;
  std::optional<std::int64_t> exact;
  std::optional<std::int64_t> upperBound;
  std::string_view rule;
  bool dayCount = false;
};
inline constexpr int kIncomeLineCount = 8;
std::array<IncomeLine, kIncomeLineCount> incomeLines(const IncomeFigures& f);

}  // namespace tamrel
