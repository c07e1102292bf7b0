#include "report/reports.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

#include "analysis/browse_figures.h"
#include "analysis/trend.h"
#include "base/amount.h"
#include "base/csv.h"

namespace tamrel {

namespace {

const std::vector<std::string> kAmountColumns{"投資金額", "払戻金額", "利益金額", "回収率"};
const std::vector<std::string> kCountColumns{"件数", "的中数", "的中率"};

using Amount = std::optional<std::int32_t>;

// A figure that could not be computed is an empty field.
std::string amountText(Amount value) { return value ? formatAmount(*value) : std::string(); }
std::string rateOrEmpty(std::optional<float> rate) {
  return rate ? rateText(*rate) : std::string();
}
std::string countText(std::optional<int> count) {
  return count ? std::to_string(*count) : std::string();
}
std::string dateText(const TrendDate& date) {
  return std::to_string(date.month) + "/" + std::to_string(date.day);
}

// The amount and count columns of a group of tickets, after `row`'s leads.
void appendFigures(std::vector<std::string>& row, const CrossFigures& figures) {
  row.push_back(amountText(figures.purchase));
  row.push_back(amountText(figures.payout));
  row.push_back(amountText(figures.profit()));
  row.push_back(rateOrEmpty(figures.recoveryRate()));
  row.push_back(std::to_string(figures.count));
  row.push_back(std::to_string(figures.hits));
  row.push_back(rateText(figures.hitRate()));
}

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

// A ticket's day as the ticket grid shows it. Nearly every day is two stored
// digits, written without a text of its own; anything else goes the long way.
void appendDay(std::string& out, std::string_view day) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (day.size() == 2 && digit(day[0]) && digit(day[1])) {
    if (day[0] != '0') out += day[0];
    out += day[1];
    return;
  }
  appendCsvField(out, plainNumber(day));
}

// An amount field as the ticket grid shows it: the number, or the stored
// text when it is outside the 32-bit range.
void appendAmountCell(std::string& out, const TicketRecord& ticket, TicketField field) {
  const auto value = amountField(ticket, field);
  if (value) {
    out += formatAmount(*value);  // digits and a sign never need quotes
  } else {
    appendCsvField(out, ticket.field(field));
  }
}

// The caption of each code of one attribute as a CSV field, found by the
// code character itself. A full year has some 60,000 caption fields but only
// a few dozen captions: each is quoted (where it needs it) once, not once
// per ticket, and found without a search through the code table.
class CaptionFields {
 public:
  explicit CaptionFields(Attribute a)
      : column_(static_cast<std::size_t>(fieldSpan(fieldOf(a)).column - 1)) {
    for (const CodeCaption& entry : codeTable(a)) {
      std::uint8_t& at = at_[static_cast<unsigned char>(entry.code)];
      if (at != 0) continue;  // a code's first caption is the one shown
      at = static_cast<std::uint8_t>(fields_.size());
      fields_.push_back(csvField(outputName(entry.caption)) + ',');
    }
  }
  // The field of the ticket's code and its comma; the field is empty for a
  // code that has no caption.
  const std::string& of(const TicketRecord& ticket) const {
    return fields_[at_[static_cast<unsigned char>(ticket.text[column_])]];
  }

 private:
  std::size_t column_;
  std::vector<std::string> fields_{","};  // [0]: no caption
  std::array<std::uint8_t, 256> at_{};
};

}  // namespace

void Report::add(const std::vector<std::string>& fields) { appendCsvRecord(csv, fields); }
void Report::add(std::span<const std::string_view> fields) { appendCsvRecord(csv, fields); }

std::string rateText(float rate) {
  std::string text = formatPercent(rate);
  text.pop_back();
  return text;
}

Report monthsReport(const YearLedger& ledger) {
  Report table;
  table.add(headerOf({"月"}, kAmountColumns));
  const GridFigures months = yearGridFigures(ledger);
  for (std::size_t m = 0; m < months.rows.size(); ++m) {
    table.add(figureRow(std::to_string(m + 1), months.rows[m]));
  }
  const PanelFigures panel = panelFigures(ledger.year);
  table.add(figureRow("合計", panel.total));
  table.overflow = months.overflow || panel.overflow;
  return table;
}

Report betTypesReport(const YearLedger& ledger) {
  Report table;
  table.add(headerOf({"券種"}, kAmountColumns));
  const PanelFigures panel = panelFigures(ledger.year);
  for (const BetTypeInfo& bet : kBetTypes) {
    const auto i = static_cast<std::size_t>(index(bet.type));
    table.add(figureRow(std::string(bet.labelCaption), panel.bets[i]));
  }
  table.add(figureRow("合計", panel.total));
  table.overflow = panel.overflow;
  return table;
}

Report ticketsReport(const TicketStore& store, const Period& period) {
  Report table;
  writeTicketsReport(store, period, [&table](std::string_view part) {
    table.csv += part;
    return true;
  });
  return table;
}

bool writeTicketsReport(const TicketStore& store, const Period& period,
                        const ReportOutput& output) {
  // Small enough to stay in the processor's cache, large enough that
  // handing a part over costs nothing beside making it.
  constexpr std::size_t kPart = 16 * 1024;
  Report part;
  part.add({"月", "日", "場名", "レース", "曜日", "コース", "距離", "馬齢", "クラス", "条件",
            "頭数", "券種", "購入金額", "払戻金額"});
  // The attribute columns in header order.
  const std::array<CaptionFields, 10> captions{
      CaptionFields(Attribute::Racecourse),   CaptionFields(Attribute::RaceNo),
      CaptionFields(Attribute::Weekday),      CaptionFields(Attribute::Surface),
      CaptionFields(Attribute::DistanceBand), CaptionFields(Attribute::AgeGroup),
      CaptionFields(Attribute::RaceClass),    CaptionFields(Attribute::Condition),
      CaptionFields(Attribute::RunnersBand),  CaptionFields(Attribute::BetType)};
  constexpr std::array<std::string_view, 13> kMonthFields{
      "", "1,", "2,", "3,", "4,", "5,", "6,", "7,", "8,", "9,", "10,", "11,", "12,"};
  std::string& out = part.csv;
  out.reserve(kPart + 1024);  // a part and the record that completes it
  const bool wholeYear = period.wholeYear();
  std::vector<const TicketRecord*> inOrder;
  inOrder.reserve(kMaxMonthTickets);
  for (int m = 1; m <= 12; ++m) {
    const MonthTickets& tickets = store.month(m);
    const int live = std::clamp<int>(tickets.count, 0, kMaxMonthTickets);
    // A month's tickets are stored as they were entered: a day's added
    // later come after later days'.
    inOrder.clear();
    for (int i = 0; i < live; ++i) {
      const TicketRecord& ticket = tickets.slot(i);
      if (ticket.isBlank() || (!wholeYear && !ticketInPeriod(ticket, period))) continue;
      inOrder.push_back(&ticket);
    }
    std::ranges::stable_sort(
        inOrder, [](const TicketRecord* a, const TicketRecord* b) { return ticketBefore(*a, *b); });
    for (const TicketRecord* listed : inOrder) {
      const TicketRecord& ticket = *listed;
      out += kMonthFields[static_cast<std::size_t>(m)];
      appendDay(out, ticket.field(TicketField::Day));
      out += ',';
      for (const CaptionFields& c : captions) out += c.of(ticket);
      appendAmountCell(out, ticket, TicketField::Purchase);
      out += ',';
      appendAmountCell(out, ticket, TicketField::Payout);
      out += "\r\n";
      if (out.size() >= kPart) {
        if (!output(out)) return false;
        out.clear();
      }
    }
  }
  return output(out);
}

Report daysReport(const YearLedger& ledger, const Period& period) {
  Report table;
  std::vector<std::string> header = headerOf({"月", "日"}, kAmountColumns);
  header.push_back("累積利益");
  table.add(header);
  const TrendFigures trend = computeTrend(ledger, period);
  for (const TrendDay& day : trend.days) {
    std::optional<float> rate;
    if (day.stake && day.payout) rate = recoveryRate(*day.stake, *day.payout);
    table.add({std::to_string(day.date.month), std::to_string(day.date.day), amountText(day.stake),
               amountText(day.payout), amountText(day.profit), rateOrEmpty(rate),
               amountText(day.cumulative)});
  }
  table.overflow = trend.overflow;
  return table;
}

Report trendReport(const YearLedger& ledger, const Period& period) {
  const TrendFigures trend = computeTrend(ledger, period);
  const auto& best = trend.bestDay;
  const auto& worst = trend.worstDay;
  const auto drawdown = trend.maxDrawdown ? Amount(trend.maxDrawdown->amount) : std::nullopt;
  const std::pair<const char*, std::string> items[] = {
      {"開催日数", std::to_string(trend.racingDays)},
      {"勝ち日数", countText(trend.winningDays)},
      {"負け日数", countText(trend.losingDays)},
      {"投資金額", amountText(trend.stake)},
      {"払戻金額", amountText(trend.payout)},
      {"年間利益", amountText(trend.profit)},
      {"回収率", rateOrEmpty(trend.rate)},
      {"最大ドローダウン", amountText(drawdown)},
      {"最長連勝", countText(trend.longestWinningRun)},
      {"最長連敗", countText(trend.longestLosingRun)},
      {"最高日", best ? dateText(best->date) : std::string()},
      {"最高日利益", best ? formatAmount(best->profit) : std::string()},
      {"最低日", worst ? dateText(worst->date) : std::string()},
      {"最低日利益", worst ? formatAmount(worst->profit) : std::string()},
  };
  Report table;
  table.add({"項目", "値"});
  table.overflow = trend.overflow;
  for (const auto& [caption, value] : items) table.add({caption, value});
  return table;
}

Report categoryReport(const TicketStore& store, CrossDimension d, const Period& period) {
  Report table;
  table.add(headerOf(headerOf({"内容"}, kAmountColumns), kCountColumns));
  const CrossSingle single = computeCrossSingle(store, d, period);
  const std::span<const Category> captions = crossCategories(d);
  for (std::size_t i = 0; i < single.categories.size(); ++i) {
    std::vector<std::string> row{std::string(outputName(captions[i].caption))};
    appendFigures(row, single.categories[i]);
    table.add(std::move(row));
  }
  table.overflow = single.overflowed;
  return table;
}

Report crossReport(const TicketStore& store, CrossDimension rows, CrossDimension columns,
                   const Period& period) {
  const std::vector<std::string> lead{std::string(crossDimensionInfo(rows).name),
                                      std::string(crossDimensionInfo(columns).name)};
  Report table;
  table.add(headerOf(headerOf(lead, kAmountColumns), kCountColumns));
  const CrossTable cross = computeCrossTable(store, rows, columns, period);
  const std::span<const Category> rowCaptions = crossCategories(rows);
  const std::span<const Category> columnCaptions = crossCategories(columns);
  for (int r = 0; r < cross.rowCount; ++r) {
    for (int c = 0; c < cross.columnCount; ++c) {
      const CrossFigures& cell = cross.cell(r, c);
      if (cell.count == 0) continue;
      std::vector<std::string> row{
          std::string(outputName(rowCaptions[static_cast<std::size_t>(r)].caption)),
          std::string(outputName(columnCaptions[static_cast<std::size_t>(c)].caption))};
      appendFigures(row, cell);
      table.add(std::move(row));
    }
  }
  table.overflow = cross.overflowed;
  return table;
}

namespace {

void addYearRow(Report& table, const std::string& name, const YearFigures& f) {
  table.add({name, std::to_string(f.racingDays), amountText(f.stake), amountText(f.payout),
             amountText(f.profit), rateOrEmpty(f.rate), std::to_string(f.tickets),
             rateText(f.hitRate()), amountText(f.maxDrawdown)});
  if (!f.profit || !f.maxDrawdown) table.overflow = true;
}

}  // namespace

Report yearsReport(const std::vector<YearSummary>& years) {
  Report table;
  table.add({"フォルダ", "開催日数", "投資金額", "払戻金額", "利益金額", "回収率", "件数", "的中率",
             "最大ドローダウン"});
  for (const YearSummary& year : years) {
    if (!year.figures) {
      // One line per folder, so that a script reads a record per line.
      std::string reason = refusalText(year);
      for (std::size_t at; (at = reason.find('\n')) != std::string::npos;) {
        reason.replace(at, 1, "; ");
      }
      table.add({year.name + " (" + reason + ")", "", "", "", "", "", "", "", ""});
      continue;
    }
    addYearRow(table, year.name, *year.figures);
  }
  // The window's 合計 row, from the same engine.
  if (const auto total = yearTotals(years)) addYearRow(table, "合計", *total);
  return table;
}

Report dayBetsReport(const YearLedger& ledger, const Period& period) {
  Report table;
  std::vector<std::string> header{"月", "日"};
  for (const BetTypeInfo& bet : kBetTypes) {
    header.push_back(std::string(bet.labelCaption) + "購入金額");
    header.push_back(std::string(bet.labelCaption) + "払戻金額");
  }
  table.add(header);
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= kSlotsPerMonth; ++d) {
      const LedgerRecord& slot = daySlot(ledger, m, d);
      if (!period.contains(m, d) || !daySums(slot).racing) continue;
      std::vector<std::string> row{std::to_string(m), std::to_string(d)};
      for (const BetTypeInfo& bet : kBetTypes) {
        for (const Quantity q : {Quantity::Stake, Quantity::Payout}) {
          const Amount value = amount(slot, q, bet.type);
          table.overflow = table.overflow || !value;
          row.push_back(amountText(value));
        }
      }
      table.add(row);
    }
  }
  return table;
}

}  // namespace tamrel
