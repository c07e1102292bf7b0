#include "report/report_kinds.h"

#include "report/budget_report.h"

namespace tamrel {

Report yearKindReport(ReportKind kind, const YearLedger& ledger, const TicketStore& tickets,
                      std::span<const CrossDimension> dimensions, const Period& period) {
  switch (kind) {
    case ReportKind::Months:
      return monthsReport(ledger);
    case ReportKind::BetTypes:
      return betTypesReport(ledger);
    case ReportKind::Days:
      return daysReport(ledger, period);
    case ReportKind::Trend:
      return trendReport(ledger, period);
    case ReportKind::Tickets:
      return ticketsReport(tickets, period);
    case ReportKind::Category:
      return categoryReport(tickets, dimensions[0], period);
    case ReportKind::Cross:
      return crossReport(tickets, dimensions[0], dimensions[1], period);
    case ReportKind::Benchmark:
      return benchmarkReport(ledger, tickets,
                             dimensions.empty() ? CrossDimension::BetType : dimensions[0], period);
    case ReportKind::Income:
      return incomeReport(ledger, tickets, period);
    case ReportKind::Budget:
      return budgetReport(ledger, BudgetLimits{});
    case ReportKind::DayBets:
      return dayBetsReport(ledger, period);
    case ReportKind::Years:
      break;
  }
  return Report{};
}

}  // namespace tamrel
