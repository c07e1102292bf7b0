#include "report/reports.h"

#include <algorithm>
#include <charconv>

#include "base/amount.h"
#include "base/csv.h"
#include "browse/browse_figures.h"

namespace tamrel {

namespace {

const std::vector<std::string> kAmountColumns{"投資金額", "払戻金額", "利益金額", "回収率"};

// The header: the leading columns, then `tail`.
std::vector<std::string> headerOf(std::vector<std::string> lead,
                                  const std::vector<std::string>& tail) {
  lead.insert(lead.end(), tail.begin(), tail.end());
  return lead;
}

// The row of a label and a figure row of the browse windows. The windows'
// rate text carries its "%"; a figure that could not be computed stays
// empty.
std::vector<std::string> figureRow(std::string label, const FigureRow& figures) {
  std::vector<std::string> row{std::move(label)};
  for (const ShownFigure& figure : figures) {
    std::string text = figure.text;
    if (!text.empty() && text.back() == '%') text.pop_back();
    row.push_back(std::move(text));
  }
  return row;
}

// A month or day field as a plain number ("05" -> "5"); text that is no
// number (only an edited file has it) is given as it stands.
std::string plainNumber(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
  int value = 0;
  const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (ec == std::errc{} && end == field.data() + field.size()) return std::to_string(value);
  return std::string(field);
}

// An amount field as the ticket grid shows it: the number, or the stored
// text when it is outside the 32-bit range.
std::string amountCell(const TicketRecord& ticket, TicketField field) {
  const auto value = amountField(ticket, field);
  return value ? formatAmount(*value) : std::string(ticket.field(field));
}

}  // namespace

std::string csvText(const ReportTable& table) {
  std::string text = csvRecord(table.header);
  for (const auto& row : table.rows) text += csvRecord(row);
  return text;
}

std::string rateText(float rate) {
  std::string text = formatPercent(rate);
  text.pop_back();
  return text;
}

ReportTable monthsReport(const YearLedger& ledger) {
  ReportTable table{headerOf({"月"}, kAmountColumns), {}, false};
  const GridFigures months = yearGridFigures(ledger);
  for (std::size_t m = 0; m < months.rows.size(); ++m) {
    table.rows.push_back(figureRow(std::to_string(m + 1), months.rows[m]));
  }
  const PanelFigures panel = panelFigures(ledger.year);
  table.rows.push_back(figureRow("合計", panel.total));
  table.overflow = months.overflow || panel.overflow;
  return table;
}

ReportTable betTypesReport(const YearLedger& ledger) {
  ReportTable table{headerOf({"券種"}, kAmountColumns), {}, false};
  const PanelFigures panel = panelFigures(ledger.year);
  for (const BetTypeInfo& bet : kBetTypes) {
    const auto i = static_cast<std::size_t>(index(bet.type));
    table.rows.push_back(figureRow(std::string(bet.labelCaption), panel.bets[i]));
  }
  table.rows.push_back(figureRow("合計", panel.total));
  table.overflow = panel.overflow;
  return table;
}

ReportTable ticketsReport(const TicketStore& store, const Period& period) {
  ReportTable table{{"月", "日", "場名", "レース", "曜日", "コース", "距離", "馬齢", "クラス",
                     "条件", "頭数", "券種", "購入金額", "払戻金額"},
                    {},
                    false};
  // The attribute columns in header order.
  constexpr Attribute kCaptions[] = {
      Attribute::Racecourse,   Attribute::RaceNo,   Attribute::Weekday,   Attribute::Surface,
      Attribute::DistanceBand, Attribute::AgeGroup, Attribute::RaceClass, Attribute::Condition,
      Attribute::RunnersBand,  Attribute::BetType};
  for (int m = 1; m <= 12; ++m) {
    const MonthTickets& tickets = store.month(m);
    const int live = std::clamp<int>(tickets.count, 0, kMaxMonthTickets);
    for (int i = 0; i < live; ++i) {
      const TicketRecord& ticket = tickets.slot(i);
      if (ticket.isBlank()) continue;
      const std::string day = plainNumber(ticket.field(TicketField::Day));
      int dayNumber = 0;
      std::from_chars(day.data(), day.data() + day.size(), dayNumber);
      // A day that is no number (only an edited file has one) is in the whole
      // year but in no shorter period.
      if (!period.wholeYear() && !period.contains(m, dayNumber)) continue;
      std::vector<std::string> row{std::to_string(m), day};
      for (Attribute a : kCaptions) row.emplace_back(captionOf(a, ticket));
      row.push_back(amountCell(ticket, TicketField::Purchase));
      row.push_back(amountCell(ticket, TicketField::Payout));
      table.rows.push_back(std::move(row));
    }
  }
  return table;
}

}  // namespace tamrel
