#pragma once
// The kinds of report: one table for the command for scripts and for the
// windows' CSV書き出し, so that both offer the same kinds under the same
// names and make them the same way.

#include <array>
#include <span>
#include <string_view>

#include "report/reports.h"

namespace tamrel {

enum class ReportKind {
  Months,
  BetTypes,
  Days,
  Trend,
  Tickets,
  Category,
  Cross,
  Years,
  Benchmark,
  Income,
  Budget,
  DayBets,
};

struct ReportKindInfo {
  std::string_view name;     // the command's name, and the file name CSV書き出し offers
  std::string_view caption;  // what CSV書き出し lists; empty for a kind it does not offer
  ReportKind kind;
  bool takesPeriod;
  int dimensions;  // "name:DIM" or "name:DIM1:DIM2"
  // "name" alone is allowed too; the kind chooses its dimension then.
  bool dimensionOptional = false;
};

// The year comparison reads folders, not the year in memory: CSV書き出し
// leaves it to its own window, whose table saves as CSV.
inline constexpr std::array<ReportKindInfo, 12> kReportKinds{{
    {"months", "月別", ReportKind::Months, false, 0},
    {"bettypes", "券種別", ReportKind::BetTypes, false, 0},
    {"days", "開催日別", ReportKind::Days, true, 0},
    {"trend", "収支推移の数字", ReportKind::Trend, true, 0},
    {"tickets", "馬券一覧", ReportKind::Tickets, true, 0},
    {"category", "分析（1項目）", ReportKind::Category, true, 1},
    {"cross", "クロス分析（2項目）", ReportKind::Cross, true, 2},
    {"years", "", ReportKind::Years, false, 0},
    {"benchmark", "運か実力か", ReportKind::Benchmark, true, 1, true},
    {"income", "一時所得", ReportKind::Income, true, 0},
    // The limits live in the program's settings: only the command, which
    // is told them, makes this report with them.
    {"budget", "", ReportKind::Budget, false, 0},
    {"daybets", "日ごとの券種別金額", ReportKind::DayBets, true, 0},
}};

// The report of a kind over one year; `dimensions` holds as many as the
// kind takes (benchmark alone: none, for 券種). Not for ReportKind::Years, which reads folders.
Report yearKindReport(ReportKind kind, const YearLedger& ledger, const TicketStore& tickets,
                      std::span<const CrossDimension> dimensions, const Period& period);

}  // namespace tamrel
