#pragma once
// What the year, month and day browse windows and the monthly profit graph
// show, worked out from the ledger: the texts of the boxes and cells, the
// text colour each figure earns, and whether anything left the 32-bit range.
// A figure that could not be computed has an empty text; nothing is wrapped.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ledger/ledger_records.h"

namespace tamrel {

// Text colour of a figure on its black box.
enum class FigureColour { Green, Yellow, Cyan, Red };

// The colour a recovery rate earns when its stake is not 0: green from 1 up,
// yellow below 1, cyan below 0.75, red below 0.5 (compared in single
// precision, as the rate is held).
FigureColour rateColour(float rate);

struct ShownFigure {
  std::string text;  // empty: could not be computed
  FigureColour colour = FigureColour::Green;
  friend bool operator==(const ShownFigure&, const ShownFigure&) = default;
};

// The four columns of the panel and of the grids, left to right.
enum class Column : int { Stake, Payout, Profit, Rate };
inline constexpr int kColumnCount = 4;
using FigureRow = std::array<ShownFigure, kColumnCount>;

inline ShownFigure& at(FigureRow& row, Column c) { return row[static_cast<std::size_t>(c)]; }
inline const ShownFigure& at(const FigureRow& row, Column c) {
  return row[static_cast<std::size_t>(c)];
}

// The per-bet-type panel of a year, month or day record. The totals are the
// sums of the seven bet types; the record's stored totals are not read.
struct PanelFigures {
  std::array<FigureRow, kBetTypeCount> bets;
  FigureRow total;
  bool overflow = false;
};
PanelFigures panelFigures(const LedgerRecord& record);

// Grid rows from records' stored stake and payout totals (the grids show no
// colours).
struct GridFigures {
  std::vector<FigureRow> rows;
  bool overflow = false;
};
// Twelve rows, one per month record.
GridFigures yearGridFigures(const YearLedger& ledger);
// 31 rows, one per day slot of `month` (1..12), whether or not the calendar
// has the day.
GridFigures monthGridFigures(const YearLedger& ledger, int month);

// Profit of each month record (stored payout total - stored stake total);
// nullopt where it could not be computed.
struct MonthProfits {
  std::array<std::optional<std::int32_t>, 12> values;
  bool overflow = false;
};
MonthProfits monthProfits(const YearLedger& ledger);

// Row labels of the grids: full-width digits, 1 to 9 led by an ideographic
// space ("　１月", "１２月", "　１日", "３１日").
std::string monthRowLabel(int month);
std::string dayRowLabel(int day);
// Point labels of the monthly graph: half-width, 1 to 9 led by a space
// (" 1月", "12月").
std::string graphMonthLabel(int month);

}  // namespace tamrel
