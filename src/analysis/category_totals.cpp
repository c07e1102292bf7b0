#include "analysis/category_totals.h"

#include <algorithm>

#include "base/amount.h"

namespace tamrel {

namespace {

std::size_t at(Dimension d) { return static_cast<std::size_t>(d); }

Attribute attributeOf(Dimension d) {
  constexpr std::array<Attribute, kDimensionCount> kAttributes{
      Attribute::Racecourse, Attribute::RaceNo,       Attribute::Weekday,
      Attribute::Surface,    Attribute::DistanceBand, Attribute::RaceClass,
      Attribute::AgeGroup,   Attribute::Condition,    Attribute::RunnersBand};
  return kAttributes[at(d)];
}

// Race numbers and distance bands have row captions of their own in the
// analysis; every other dimension uses the captions of its code table.
constexpr std::array<std::string_view, 12> kRaceRows{"1ﾚｰｽ", "2ﾚｰｽ",  "3ﾚｰｽ",  "4ﾚｰｽ",
                                                     "5ﾚｰｽ", "6ﾚｰｽ",  "7ﾚｰｽ",  "8ﾚｰｽ",
                                                     "9ﾚｰｽ", "10ﾚｰｽ", "11ﾚｰｽ", "12ﾚｰｽ"};
constexpr std::array<std::string_view, 4> kDistanceRows{"1600M以下", "2000M以下", "2400M以下",
                                                        "2400M以上"};

// Per dimension: its categories in row order, and the category of every
// character (-1 for a character that is no code of the dimension).
struct DimensionTable {
  std::vector<Category> rows;
  std::array<std::int8_t, 256> categoryOf{};
  std::size_t column = 0;  // of the code in the record text, from 0
};
using CategoryTable = std::array<DimensionTable, kDimensionCount>;

CategoryTable buildCategoryTable() {
  CategoryTable table;
  for (Dimension d : kDimensions) {
    const std::span<const CodeCaption> codes = codeTable(attributeOf(d));
    DimensionTable& t = table[at(d)];
    t.categoryOf.fill(-1);
    t.column = static_cast<std::size_t>(fieldSpan(fieldOf(d)).column - 1);
    for (std::size_t i = 0; i < codes.size(); ++i) {
      std::string_view caption = codes[i].caption;
      if (d == Dimension::RaceNo) caption = kRaceRows.at(i);
      if (d == Dimension::DistanceBand) caption = kDistanceRows.at(i);
      t.rows.push_back({codes[i].code, caption});
      // The first equal code decides, and the comparison is exact: "a" is
      // not "A".
      auto& slot = t.categoryOf[static_cast<unsigned char>(codes[i].code)];
      if (slot < 0) slot = static_cast<std::int8_t>(i);
    }
  }
  return table;
}

const CategoryTable& categoryTable() {
  static const CategoryTable table = buildCategoryTable();
  return table;
}

using Failures = std::array<bool, kDimensionCount>;

// Adds the live tickets of one month into the sums of each dimension of
// `dims` that has not failed yet; a sum that would leave the 32-bit range
// (or an amount that does not fit it) fails its dimension, which then takes
// nothing more. One pass serves every dimension, so each amount is read
// once per ticket.
void addMonth(CategoryTotals& totals, std::span<const Dimension> dims, const TicketStore& store,
              int month, Failures& failed) {
  const CategoryTable& table = categoryTable();
  const MonthTickets& tickets = store.month(month);
  // Slots from count on (the end marker and older text) are never visited.
  const int live = std::clamp<int>(tickets.count, 0, kMaxMonthTickets);
  for (int i = 0; i < live; ++i) {
    const TicketRecord& ticket = tickets.slot(i);
    if (ticket.isBlank()) continue;
    std::optional<std::int32_t> purchase;
    std::optional<std::int32_t> payout;
    bool read = false;
    for (Dimension d : dims) {
      if (failed[at(d)]) continue;
      const DimensionTable& t = table[at(d)];
      const int category = t.categoryOf[static_cast<unsigned char>(ticket.text[t.column])];
      if (category < 0) continue;
      if (!read) {
        purchase = amountField(ticket, TicketField::Purchase);
        payout = amountField(ticket, TicketField::Payout);
        read = true;
      }
      CategorySums& s = totals.sums[at(d)][static_cast<std::size_t>(category)];
      const auto newPurchase = purchase ? checkedAdd(s.purchase, *purchase) : std::nullopt;
      const auto newPayout = payout ? checkedAdd(s.payout, *payout) : std::nullopt;
      if (newPurchase && newPayout) {
        s = {*newPurchase, *newPayout};
      } else {
        failed[at(d)] = true;
      }
    }
  }
}

bool compute(CategoryTotals& totals, std::span<const Dimension> dims, const TicketStore& store) {
  Failures failed{};
  for (Dimension d : dims) totals.sums[at(d)].fill(CategorySums{});
  for (int month = 1; month <= 12; ++month) addMonth(totals, dims, store, month, failed);
  bool ok = true;
  for (Dimension d : dims) {
    auto& sums = totals.sums[at(d)];
    // A profit that cannot be shown fails the dimension as a total would.
    for (int i = 0; i < categoryCount(d) && !failed[at(d)]; ++i) {
      const CategorySums& s = sums[static_cast<std::size_t>(i)];
      failed[at(d)] = !profit(s.purchase, s.payout).has_value();
    }
    if (failed[at(d)]) sums.fill(CategorySums{});
    totals.failed[at(d)] = failed[at(d)];
    ok = ok && !failed[at(d)];
  }
  return ok;
}

bool validIndex(Dimension d, int index) { return index >= 0 && index < categoryCount(d); }

}  // namespace

std::span<const Category> categories(Dimension d) { return categoryTable()[at(d)].rows; }

int categoryCount(Dimension d) { return static_cast<int>(categories(d).size()); }

TicketField fieldOf(Dimension d) { return fieldOf(attributeOf(d)); }

bool addMonthTickets(CategoryTotals& totals, Dimension d, const TicketStore& store, int month) {
  Failures failed{};
  addMonth(totals, std::span(&d, 1), store, month, failed);
  return !failed[at(d)];
}

bool computeCategoryTotals(CategoryTotals& totals, Dimension d, const TicketStore& store) {
  return compute(totals, std::span(&d, 1), store);
}

bool computeAllCategoryTotals(CategoryTotals& totals, const TicketStore& store) {
  return compute(totals, kDimensions, store);
}

bool dimensionFailed(const CategoryTotals& totals, Dimension d) { return totals.failed[at(d)]; }

std::optional<CategorySums> categorySums(const CategoryTotals& totals, Dimension d, int index) {
  if (dimensionFailed(totals, d) || !validIndex(d, index)) return std::nullopt;
  return totals.sums[at(d)][static_cast<std::size_t>(index)];
}

std::optional<std::int32_t> categoryProfit(const CategoryTotals& totals, Dimension d, int index) {
  const auto s = categorySums(totals, d, index);
  if (!s) return std::nullopt;
  return profit(s->purchase, s->payout);
}

std::optional<RowTexts> categoryRowTexts(const CategoryTotals& totals, Dimension d, int index) {
  const auto s = categorySums(totals, d, index);
  const auto gain = categoryProfit(totals, d, index);
  if (!s || !gain) return std::nullopt;
  return RowTexts{std::string(categories(d)[static_cast<std::size_t>(index)].caption),
                  formatAmount(s->purchase), formatAmount(s->payout), formatAmount(*gain),
                  formatPercent(recoveryRate(s->purchase, s->payout))};
}

CategoryGraphInfo categoryGraphInfo(CategoryGraph graph) {
  switch (graph) {
    case CategoryGraph::Racecourse:
      return {"FGBaba", "馬場別利益表示", Dimension::Racecourse};
    case CategoryGraph::RaceNo:
      return {"FGRace", "レース別利益表示", Dimension::RaceNo};
    case CategoryGraph::RaceClass:
      break;
  }
  return {"FGClass", "クラス別利益表示", Dimension::RaceClass};
}

std::optional<CategoryGraph> graphOfTab(int tab) {
  switch (tab) {
    case 0:
      return CategoryGraph::Racecourse;
    case 1:
      return CategoryGraph::RaceNo;
    case 5:
      return CategoryGraph::RaceClass;
    default:
      return std::nullopt;
  }
}

std::vector<GraphPoint> categoryGraphPoints(const CategoryTotals& totals, CategoryGraph graph) {
  const Dimension d = categoryGraphInfo(graph).dimension;
  const std::span<const Category> rows = categories(d);
  const int n = categoryCount(d);
  std::vector<GraphPoint> points;
  for (int i = 0; i < n; ++i) {
    // The class graph runs from the lowest class (新馬) up to Ｇ１, the
    // reverse of the class codes.
    const int index = graph == CategoryGraph::RaceClass ? n - 1 - i : i;
    std::string_view label = rows[static_cast<std::size_t>(index)].caption;
    // Race bars carry the ticket captions ("１Ｒ"), not the row captions.
    if (graph == CategoryGraph::RaceNo) label = captionOf(Attribute::RaceNo, rows[i].code);
    points.push_back({label, categoryProfit(totals, d, index)});
  }
  return points;
}

}  // namespace tamrel
