// The reports of 運か実力か and 一時所得, beside the others of reports.cpp
// and by its conventions: amounts plain, rates as percentages with two
// decimals and no "%", an empty field where a figure cannot be shown.

#include "analysis/benchmark.h"
#include "analysis/income.h"
#include "base/amount.h"
#include "report/reports.h"

namespace tamrel {

namespace {

// A 64-bit sum as an amount field; empty (and the report overflowed) beyond
// the 32-bit range the formats hold.
std::string wideAmountText(std::optional<std::int64_t> value, bool& overflow) {
  if (!value) return {};
  const auto narrow = narrowAmount(*value);
  if (!narrow) {
    overflow = true;
    return {};
  }
  return formatAmount(*narrow);
}

std::string rateField(std::optional<double> rate) {
  return rate ? rateText(static_cast<float>(*rate)) : std::string();
}

}  // namespace

Report benchmarkReport(const YearLedger& ledger, const TicketStore& store, CrossDimension d,
                       const Period& period) {
  Report table;
  table.add({std::string(crossDimensionInfo(d).name), "件数", "投資金額", "払戻金額", "回収率",
             "払戻率", "差", "下限", "上限", "判定"});
  const BenchmarkTable bench = computeBenchmark(store, d, benchmarkYear(ledger), period);
  const auto addGroup = [&table](const BenchmarkGroup& g) {
    const auto low = g.interval ? std::optional(g.interval->low) : std::nullopt;
    const auto high = g.interval ? std::optional(g.interval->high) : std::nullopt;
    table.add({std::string(outputName(g.caption)), std::to_string(g.tickets),
               wideAmountText(g.stake, table.overflow), wideAmountText(g.payout, table.overflow),
               rateField(g.rate), rateField(g.poolRate), rateField(g.difference()), rateField(low),
               rateField(high), std::string(verdictText(g.verdict))});
  };
  for (const BenchmarkGroup& g : bench.groups) addGroup(g);
  addGroup(bench.total);
  return table;
}

Report incomeReport(const YearLedger& ledger, const TicketStore& store, const Period& period) {
  Report table;
  table.add({"項目", "馬券から", "上限", "算式"});
  for (const IncomeLine& line : incomeLines(computeIncome(ledger, store, period))) {
    table.add({std::string(line.caption), wideAmountText(line.exact, table.overflow),
               line.dayCount ? std::to_string(line.upperBound.value_or(0))
                             : wideAmountText(line.upperBound, table.overflow),
               std::string(line.rule)});
  }
  return table;
}

}  // namespace tamrel
