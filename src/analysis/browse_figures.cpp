#include "analysis/browse_figures.h"

#include <span>

#include "base/amount.h"

namespace tamrel {

namespace {

using Amount = std::optional<std::int32_t>;

// Profit of a stake and a payout; nullopt when either is missing or the
// difference leaves the range.
Amount profitOf(Amount stake, Amount payout) {
  return stake && payout ? profit(*stake, *payout) : std::nullopt;
}

// One row of figures. Only what could not be read or computed stays empty;
// `overflow` is raised for it.
FigureRow figureRow(Amount stake, Amount payout, bool& overflow) {
  FigureRow row;
  const Amount gain = profitOf(stake, payout);
  if (!stake || !payout || !gain) overflow = true;
  if (stake) at(row, Column::Stake).text = formatAmount(*stake);
  if (payout) at(row, Column::Payout).text = formatAmount(*payout);
  if (gain) {
    at(row, Column::Profit) = {formatAmount(*gain),
                               *gain < 0 ? FigureColour::Red : FigureColour::Green};
  }
  if (stake && payout) {
    const float rate = recoveryRate(*stake, *payout);
    // A zero stake gives 0.00% with no colour change.
    at(row, Column::Rate) = {formatPercent(rate),
                             *stake != 0 ? rateColour(rate) : FigureColour::Green};
  }
  return row;
}

// The sum of all seven parts; nullopt when one is missing or the sum
// overflows.
Amount sumOf(const std::array<Amount, kBetTypeCount>& parts) {
  std::array<std::int32_t, kBetTypeCount> values{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!parts[i]) return std::nullopt;
    values[i] = *parts[i];
  }
  return checkedSum(std::span<const std::int32_t>(values));
}

FigureRow storedTotalsRow(const LedgerRecord& record, bool& overflow) {
  return figureRow(record.field(LedgerRecord::kStakeTotalField),
                   record.field(LedgerRecord::kPayoutTotalField), overflow);
}

// Full-width number with its unit; one-digit numbers are led by U+3000 so the
// labels line up.
std::string rowLabel(int n, const char* unit) {
  std::string text = n < 10 ? "\xE3\x80\x80" : "";
  text += fullWidthNumber(n);
  text += unit;
  return text;
}

}  // namespace

FigureColour rateColour(float rate) {
  FigureColour colour = FigureColour::Green;
  if (rate < 1.0f) colour = FigureColour::Yellow;
  if (rate < 0.75f) colour = FigureColour::Cyan;
  if (rate < 0.5f) colour = FigureColour::Red;
  return colour;
}

PanelFigures panelFigures(const LedgerRecord& record) {
  PanelFigures out;
  std::array<Amount, kBetTypeCount> stakes;
  std::array<Amount, kBetTypeCount> payouts;
  std::array<Amount, kBetTypeCount> profits;
  for (const BetTypeInfo& bet : kBetTypes) {
    const auto i = static_cast<std::size_t>(index(bet.type));
    stakes[i] = amount(record, Quantity::Stake, bet.type);
    payouts[i] = amount(record, Quantity::Payout, bet.type);
    profits[i] = profitOf(stakes[i], payouts[i]);
    out.bets[i] = figureRow(stakes[i], payouts[i], out.overflow);
  }
  const Amount stakeTotal = sumOf(stakes);
  const Amount payoutTotal = sumOf(payouts);
  out.total = figureRow(stakeTotal, payoutTotal, out.overflow);
  // The total profit is the sum of the seven profits; it can be shown even
  // when the stake or payout sum alone overflows.
  const Amount profitTotal = sumOf(profits);
  ShownFigure& shown = at(out.total, Column::Profit);
  if (profitTotal) {
    shown = {formatAmount(*profitTotal),
             *profitTotal < 0 ? FigureColour::Red : FigureColour::Green};
  } else {
    shown = {};
    out.overflow = true;
  }
  return out;
}

GridFigures yearGridFigures(const YearLedger& ledger) {
  GridFigures out;
  for (int m = 1; m <= 12; ++m) out.rows.push_back(storedTotalsRow(ledger.month(m), out.overflow));
  return out;
}

GridFigures monthGridFigures(const YearLedger& ledger, int month) {
  GridFigures out;
  for (int d = 1; d <= kSlotsPerMonth; ++d) {
    out.rows.push_back(storedTotalsRow(daySlot(ledger, month, d), out.overflow));
  }
  return out;
}

MonthProfits monthProfits(const YearLedger& ledger) {
  MonthProfits out;
  for (int m = 1; m <= 12; ++m) {
    const LedgerRecord& record = ledger.month(m);
    const Amount stake = record.field(LedgerRecord::kStakeTotalField);
    const Amount payout = record.field(LedgerRecord::kPayoutTotalField);
    const Amount value = profitOf(stake, payout);
    if (!value) out.overflow = true;
    out.values[static_cast<std::size_t>(m - 1)] = value;
  }
  return out;
}

std::string monthRowLabel(int month) { return rowLabel(month, "月"); }

std::string dayRowLabel(int day) { return rowLabel(day, "日"); }

std::string graphMonthLabel(int month) {
  std::string text = month < 10 ? " " : "";
  text += std::to_string(month);
  text += "月";
  return text;
}

}  // namespace tamrel
