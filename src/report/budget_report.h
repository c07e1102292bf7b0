#pragma once
// The report of 予算: each 節, each month and the year against the limits.
// The command for scripts cannot read the program's settings store (it is
// Qt-free), so the limits come with the request.

#include <optional>

#include "analysis/budget.h"
#include "report/reports.h"

namespace tamrel {

// Rows 区分, 期間, 投資金額, 上限, 残り, 超過: each 節 in date order, the
// twelve months, then the year. 残り and 超過 are empty without a limit;
// one of them is filled with one. The 節 are found on the calendar of
// `year`, or of the year the trend guesses when none is given.
Report budgetReport(const YearLedger& ledger, const BudgetLimits& limits,
                    std::optional<int> year = std::nullopt);

}  // namespace tamrel
