#pragma once
// How the year's tickets did by category: purchase and payout totals of
// every ticket of every month, sorted by each of nine one-character
// attributes into its categories, with the row texts of the analysis window
// and the points of the three category graphs derived from them.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "detail/ticket_records.h"

namespace tamrel {

// The nine dimensions, in the order the analysis window computes and shows
// them (one tab each, tab i is dimension i).
enum class Dimension {
  Racecourse,
  RaceNo,
  Weekday,
  Surface,
  DistanceBand,
  RaceClass,
  AgeGroup,
  Condition,
  RunnersBand,
};

inline constexpr int kDimensionCount = 9;
inline constexpr std::array<Dimension, kDimensionCount> kDimensions{
    Dimension::Racecourse, Dimension::RaceNo,       Dimension::Weekday,
    Dimension::Surface,    Dimension::DistanceBand, Dimension::RaceClass,
    Dimension::AgeGroup,   Dimension::Condition,    Dimension::RunnersBand};
// Most categories of one dimension (race numbers 1 to 12).
inline constexpr int kMaxCategories = 12;

// A category: the code that selects it and its row caption. Category i is
// display row i + 1.
struct Category {
  char code;
  std::string_view caption;
};

std::span<const Category> categories(Dimension d);
int categoryCount(Dimension d);
// The record field a dimension sorts by.
TicketField fieldOf(Dimension d);

struct CategorySums {
  std::int32_t purchase = 0;
  std::int32_t payout = 0;
};

// The totals of every category of every dimension; all zero at start. A
// dimension whose computation left the signed 32-bit range (a total, or the
// profit of a category) is marked failed and holds no figures until it is
// computed again without overflow.
struct CategoryTotals {
  std::array<std::array<CategorySums, kMaxCategories>, kDimensionCount> sums{};
  std::array<bool, kDimensionCount> failed{};
};

// Recomputes one dimension from the live tickets of months 1 to 12. False
// (and the dimension marked failed, its sums zero) when a total or a profit
// would leave the signed 32-bit range.
bool computeCategoryTotals(CategoryTotals& totals, Dimension d, const TicketStore& store);
// All nine dimensions in window order; false when any of them failed.
bool computeAllCategoryTotals(CategoryTotals& totals, const TicketStore& store);

// Adds the live tickets of one month (1..12) into the dimension's sums.
// Tickets whose code is in no category add nothing. False, with the sums
// left partly added, when an amount or a sum leaves the 32-bit range.
// (computeCategoryTotals and computeAllCategoryTotals go through the same
// pass, the latter for all nine dimensions at once.)
bool addMonthTickets(CategoryTotals& totals, Dimension d, const TicketStore& store, int month);

bool dimensionFailed(const CategoryTotals& totals, Dimension d);

// Purchase and payout totals of category `index` (0-based); nullopt when the
// dimension failed or the index is out of range.
std::optional<CategorySums> categorySums(const CategoryTotals& totals, Dimension d, int index);
// Payout minus purchase of the category; nullopt as above.
std::optional<std::int32_t> categoryProfit(const CategoryTotals& totals, Dimension d, int index);

// The five texts of a category's row: caption, purchase, payout, profit,
// recovery rate ("percent"). nullopt when the dimension failed: its rows
// stay empty rather than show figures that are not the year's.
using RowTexts = std::array<std::string, 5>;
std::optional<RowTexts> categoryRowTexts(const CategoryTotals& totals, Dimension d, int index);

// The category graphs, numbered from 1.
enum class CategoryGraph { Racecourse = 1, RaceNo = 2, RaceClass = 3 };

struct CategoryGraphInfo {
  const char* name;          // window object name
  std::string_view caption;  // window caption
  Dimension dimension;
};
CategoryGraphInfo categoryGraphInfo(CategoryGraph graph);

// The graph that a tab of the analysis window opens (tabs 0, 1 and 5), if any.
std::optional<CategoryGraph> graphOfTab(int tab);

struct GraphPoint {
  std::string_view label;
  std::optional<std::int32_t> value;  // profit; nullopt when it has no figure
};

// The points of a category graph in drawing order. Every point of a failed
// dimension has no value, so the graph draws no bars rather than wrong ones.
std::vector<GraphPoint> categoryGraphPoints(const CategoryTotals& totals, CategoryGraph graph);

}  // namespace tamrel
