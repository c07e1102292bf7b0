#include "report/budget_report.h"

#include <chrono>

#include "base/amount.h"

namespace tamrel {

namespace {

std::string dayText(TrendDate d) { return std::to_string(d.month) + "/" + std::to_string(d.day); }

void addLine(Report& table, const char* scope, const std::string& span, const BudgetLine& line) {
  const auto field = [](std::optional<std::int32_t> v) {
    return v ? formatAmount(*v) : std::string();
  };
  std::string left, over;
  if (line.left) {
    // A limit is never negative, so the negation of what is left stays in range.
    (line.passed() ? over : left) = formatAmount(line.passed() ? -*line.left : *line.left);
  }
  table.overflow = table.overflow || !line.stake || (line.limit && !line.left);
  table.add({scope, span, field(line.stake), field(line.limit), left, over});
}

int thisYear() {
  using namespace std::chrono;
  return static_cast<int>(year_month_day{floor<days>(system_clock::now())}.year());
}

}  // namespace

Report budgetReport(const YearLedger& ledger, const BudgetLimits& limits, std::optional<int> year) {
  const BudgetStanding s =
      budgetStanding(ledgerDaySums(ledger), limits, year.value_or(guessYear(ledger, thisYear())));
  Report table;
  table.add({"区分", "期間", "投資金額", "上限", "残り", "超過"});
  for (const SetsuStanding& setsu : s.setsu) {
    std::string span = dayText(setsu.setsu.first());
    if (setsu.setsu.days.size() > 1) span += "-" + dayText(setsu.setsu.last());
    addLine(table, "節", span, setsu.line);
  }
  for (int month = 1; month <= 12; ++month) {
    addLine(table, "月", std::to_string(month) + "月",
            s.months[static_cast<std::size_t>(month - 1)]);
  }
  addLine(table, "年", "年間", s.year);
  return table;
}

}  // namespace tamrel
