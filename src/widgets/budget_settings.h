#pragma once
// The punter's 予算, kept per data directory in the program's settings store
// (the data files do not change), and what the windows show of it: the
// lines 収支入力's question adds before a posting passes a limit.

#include <QString>
#include <QStringList>
#include <optional>

#include "analysis/budget.h"

namespace tamrel {

class DataSession;

BudgetLimits budgetLimits(const QString& dataDir);
void storeBudgetLimits(const QString& dataDir, const BudgetLimits& limits);

// The year the 節 are found in: the one the trend view guesses.
int budgetYear(const YearLedger& ledger);

// The budget as it stands in the session's data.
BudgetStanding sessionBudget(const DataSession& session);

// One line for each limit that posting `amounts` in the slot month/day
// would pass ("今月の予算を 12,000円 超えます"); none when nothing is passed.
QStringList budgetWarnings(const DataSession& session, int month, int day,
                           const BetAmounts& amounts);

}  // namespace tamrel
