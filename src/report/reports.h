#pragma once
// The reports a user takes out of the program, each a header row and rows, the figures computed by
// the same engines and formatted by the same rules as the windows show them, but plain for a
// spreadsheet: amounts without grouping, rates as percentages with two decimals and no "%", each
// bet type under its one name (outputName). The
// command for scripts writes them as they are; the windows' export can write the same text in
// another encoding.

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/cross_totals.h"
#include "analysis/year_summary.h"
#include "base/period.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_records.h"

namespace tamrel {

// A report as CSV: UTF-8 as the texts are, a header row first, fields
// quoted only where they need it, CR LF line ends.
struct Report {
  std::string csv;
  // A figure left the signed 32-bit range; its field is empty.
  bool overflow = false;

  // Appends one record.
  void add(const std::vector<std::string>& fields);
  void add(std::span<const std::string_view> fields);
};

// A rate as the windows show it, without the "%": 1.4116f -> "141.16".
std::string rateText(float rate);

// Months 1 to 12 as the year browse grid shows them, then the year browse
// panel's total.
Report monthsReport(const YearLedger& ledger);
// The year browse panel: the seven bet types, then the total.
Report betTypesReport(const YearLedger& ledger);
// Every racing day of the period in date order, with the running profit.
Report daysReport(const YearLedger& ledger, const Period& period);
// The trend figures of the period, one per row: caption and value.
Report trendReport(const YearLedger& ledger, const Period& period);
// The rows of a dimension's analysis grid in the window's order, empty
// categories included, with the ticket and hit counts.
Report categoryReport(const TicketStore& store, CrossDimension d, const Period& period);
// Each pair of categories with at least one ticket, in the first
// dimension's order, then the second's.
Report crossReport(const TicketStore& store, CrossDimension rows, CrossDimension columns,
                   const Period& period);
// Each year folder as the year comparison lists it; one that did not load
// has the reason after its name and no figures. Then 合計, when a folder
// loaded.
Report yearsReport(const std::vector<YearSummary>& years);
// Every ticket of the period in date and race order (ticketBefore), with the
// captions the ticket grid shows.
Report ticketsReport(const TicketStore& store, const Period& period);

// 運か実力か by the categories of one dimension, then 合計.
Report benchmarkReport(const YearLedger& ledger, const TicketStore& store, CrossDimension d,
                       const Period& period);
// 一時所得: each line of the window with its rule, the figure from the
// tickets and the upper bound with the days that have no ticket.
Report incomeReport(const YearLedger& ledger, const TicketStore& store, const Period& period);

// Every racing day of the period in date order: month, day, then the stake
// and payout of each bet type, the columns 取り込み reads back into the
// days' amounts.
Report dayBetsReport(const YearLedger& ledger, const Period& period);

// Takes a report's text part by part, in order; false when it could not
// keep a part.
using ReportOutput = std::function<bool(std::string_view part)>;
// The tickets report handed to `output` in parts of some kilobytes as it is
// made, so that the whole (600 KB for a full year) is never held at once:
// fresh memory for all of it cost a process more than making the text.
// Stops at the first part refused; false then.
bool writeTicketsReport(const TicketStore& store, const Period& period, const ReportOutput& output);

}  // namespace tamrel
