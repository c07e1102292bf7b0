#pragma once
// How the year's tickets did by any two of their attributes at once, by one
// of them, or all together: stake, payout, profit, recovery rate, ticket
// count and hit count per category pair, per category, per row and column
// and in total, over a period of the year. Each table is one pass over the
// live tickets. The cross window, the year comparison and the report command
// all count through here, so their figures agree.
//
// Every amount is a checked 32-bit sum: a figure that would leave the range
// is empty (nullopt) and the table says it overflowed; nothing is wrapped.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "analysis/category_totals.h"
#include "base/period.h"
#include "detail/ticket_records.h"

namespace tamrel {

// The nine dimensions of the analysis window, in its tab order, then the
// ticket's bet type. Kept apart from `Dimension` so that the analysis window
// keeps its nine tabs.
enum class CrossDimension {
  Racecourse,
  RaceNo,
  Weekday,
  Surface,
  DistanceBand,
  RaceClass,
  AgeGroup,
  Condition,
  RunnersBand,
  BetType,
};
inline constexpr int kCrossDimensionCount = 10;

// A dimension's key on a command line and its name in the windows.
struct CrossDimensionInfo {
  CrossDimension dimension;
  std::string_view key;   // "racecourse", .., "bettype"
  std::string_view name;  // "馬場", .., "券種"
};
inline constexpr std::array<CrossDimensionInfo, kCrossDimensionCount> kCrossDimensions{{
    {CrossDimension::Racecourse, "racecourse", "馬場"},
    {CrossDimension::RaceNo, "race", "レース"},
    {CrossDimension::Weekday, "weekday", "曜日"},
    {CrossDimension::Surface, "surface", "コース"},
    {CrossDimension::DistanceBand, "distance", "距離"},
    {CrossDimension::RaceClass, "class", "クラス"},
    {CrossDimension::AgeGroup, "age", "馬齢"},
    {CrossDimension::Condition, "condition", "条件"},
    {CrossDimension::RunnersBand, "runners", "頭数"},
    {CrossDimension::BetType, "bettype", "券種"},
}};

const CrossDimensionInfo& crossDimensionInfo(CrossDimension d);
// The dimension of a key (exact, lower case); nullopt for any other text.
std::optional<CrossDimension> crossDimensionOfKey(std::string_view key);
// The analysis window's dimension of the first nine; nullopt for 券種.
std::optional<Dimension> analysisDimension(CrossDimension d);

// The categories of a dimension in the analysis window's row order (for
// 券種: 単勝, 複勝, 枠連, 馬連, ﾜｲﾄﾞ, 馬単, 3連複).
std::span<const Category> crossCategories(CrossDimension d);
int crossCategoryCount(CrossDimension d);
// The category of a ticket in a dimension (0-based); nullopt when its code
// is no category of the dimension, which leaves the ticket out of every
// table that uses the dimension.
std::optional<int> categoryOfTicket(CrossDimension d, const TicketRecord& ticket);
// The category of a ticket in every dimension at once, -1 for none: what a
// list of the year's tickets keeps of each.
std::array<std::int8_t, kCrossDimensionCount> categoriesOfTicket(const TicketRecord& ticket);

// The figures of one group of tickets. Stake and payout are empty once an
// amount or their sum left the 32-bit range; the profit and rate derived
// from them are empty then too. Counts cannot overflow (a year holds at most
// 12 x 499 tickets).
struct CrossFigures {
  std::optional<std::int32_t> purchase = 0;
  std::optional<std::int32_t> payout = 0;
  int count = 0;  // tickets
  int hits = 0;   // tickets with a payout above 0

  // Adds one ticket's amounts (nullopt: an amount out of range).
  void add(std::optional<std::int32_t> ticketPurchase, std::optional<std::int32_t> ticketPayout);
  std::optional<std::int32_t> profit() const;
  // Payout / stake in single precision, 0 for a zero stake.
  std::optional<float> recoveryRate() const;
  // Hits / tickets, 0 when there is no ticket.
  float hitRate() const;
  // Every amount figure has a value.
  bool complete() const { return profit().has_value(); }

  friend bool operator==(const CrossFigures&, const CrossFigures&) = default;
};

// Two dimensions crossed: `rows` categories down, `columns` across.
struct CrossTable {
  CrossDimension rows = CrossDimension::Racecourse;
  CrossDimension columns = CrossDimension::BetType;
  int rowCount = 0;
  int columnCount = 0;
  std::vector<CrossFigures> cells;  // row-major
  std::vector<CrossFigures> rowTotals;
  std::vector<CrossFigures> columnTotals;
  CrossFigures total;
  // Some cell or total has an empty amount figure.
  bool overflowed = false;

  const CrossFigures& cell(int row, int column) const {
    return cells[static_cast<std::size_t>(row * columnCount + column)];
  }
};

// The table of two dimensions (the same one twice is allowed here and gives
// only a diagonal). A ticket counts in exactly one cell, its row's total, its
// column's total and the grand total, and only when it has a category in
// both dimensions and its own month and day lie in the period.
CrossTable computeCrossTable(const TicketStore& store, CrossDimension rows, CrossDimension columns,
                             const Period& period = {});

// One dimension: every category in row order, those without tickets too.
struct CrossSingle {
  CrossDimension dimension = CrossDimension::Racecourse;
  std::vector<CrossFigures> categories;
  CrossFigures total;  // of the tickets with a category in the dimension
  bool overflowed = false;
};
CrossSingle computeCrossSingle(const TicketStore& store, CrossDimension d,
                               const Period& period = {});

// Every live ticket of the period, whatever its codes.
CrossFigures computeCrossTotal(const TicketStore& store, const Period& period = {});

// The ticket and hit counts of computeCrossTotal without its amounts, for
// the year comparison, which shows no ticket amounts: a hit is told from the
// payout alone, so the purchase is never read.
TicketCounts countTickets(const TicketStore& store, const Period& period = {});

// Whether a ticket's own month and day lie in the period. A ticket whose
// date cannot be read lies only in the whole year, as the analysis window
// counts every live ticket.
bool ticketInPeriod(const TicketRecord& ticket, const Period& period);

// The tickets of one cell, in date and race order (ticketBefore). A category of
// kAnyCategory takes every category of its dimension: the tickets of a row
// total, a column total or the grand total.
inline constexpr int kAnyCategory = -1;
std::vector<TicketRecord> cellTickets(const TicketStore& store, CrossDimension rows, int row,
                                      CrossDimension columns, int column,
                                      const Period& period = {});

// The band a recovery rate earns: from 1 up, below 1, below 0.75 and below
// 0.5, compared in single precision as the rate is held.
enum class RateBand { AtLeastEven, BelowEven, BelowThreeQuarters, BelowHalf };
RateBand rateBand(float rate);

}  // namespace tamrel
