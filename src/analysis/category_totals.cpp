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

using CategoryTable = std::array<std::vector<Category>, kDimensionCount>;

CategoryTable buildCategoryTable() {
  CategoryTable table;
  for (Dimension d : kDimensions) {
    const std::span<const CodeCaption> codes = codeTable(attributeOf(d));
    std::vector<Category>& rows = table[at(d)];
    for (std::size_t i = 0; i < codes.size(); ++i) {
      std::string_view caption = codes[i].caption;
      if (d == Dimension::RaceNo) caption = kRaceRows.at(i);
      if (d == Dimension::DistanceBand) caption = kDistanceRows.at(i);
      rows.push_back({codes[i].code, caption});
    }
  }
  return table;
}

const CategoryTable& categoryTable() {
  static const CategoryTable table = buildCategoryTable();
  return table;
}

// The category of a code: the first equal code in table order, compared
// exactly (so "a" is not "A"); -1 when none is equal.
int categoryOf(std::span<const Category> rows, char code) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].code == code) return static_cast<int>(i);
  }
  return -1;
}

bool validIndex(Dimension d, int index) { return index >= 0 && index < categoryCount(d); }

}  // namespace

std::span<const Category> categories(Dimension d) { return categoryTable()[at(d)]; }

int categoryCount(Dimension d) { return static_cast<int>(categories(d).size()); }

TicketField fieldOf(Dimension d) { return fieldOf(attributeOf(d)); }

bool addMonthTickets(CategoryTotals& totals, Dimension d, const TicketStore& store, int month) {
  const MonthTickets& tickets = store.month(month);
  const std::span<const Category> rows = categories(d);
  const TicketField field = fieldOf(d);
  auto& sums = totals.sums[at(d)];
  // Slots from count on (the end marker and older text) are never visited.
  const int live = std::clamp<int>(tickets.count, 0, kMaxMonthTickets);
  for (int i = 0; i < live; ++i) {
    const TicketRecord& ticket = tickets.slot(i);
    if (ticket.isBlank()) continue;
    const int category = categoryOf(rows, ticket.field(field)[0]);
    if (category < 0) continue;
    const auto purchase = amountField(ticket, TicketField::Purchase);
    const auto payout = amountField(ticket, TicketField::Payout);
    CategorySums& s = sums[static_cast<std::size_t>(category)];
    const auto newPurchase = purchase ? checkedAdd(s.purchase, *purchase) : std::nullopt;
    const auto newPayout = payout ? checkedAdd(s.payout, *payout) : std::nullopt;
    if (!newPurchase || !newPayout) return false;
    s = {*newPurchase, *newPayout};
  }
  return true;
}

bool computeCategoryTotals(CategoryTotals& totals, Dimension d, const TicketStore& store) {
  auto& sums = totals.sums[at(d)];
  sums.fill(CategorySums{});
  bool ok = true;
  for (int month = 1; month <= 12 && ok; ++month) ok = addMonthTickets(totals, d, store, month);
  // A profit that cannot be shown fails the dimension as a total would.
  for (int i = 0; i < categoryCount(d) && ok; ++i) {
    const CategorySums& s = sums[static_cast<std::size_t>(i)];
    ok = profit(s.purchase, s.payout).has_value();
  }
  if (!ok) sums.fill(CategorySums{});
  totals.failed[at(d)] = !ok;
  return ok;
}

bool computeAllCategoryTotals(CategoryTotals& totals, const TicketStore& store) {
  bool ok = true;
  for (Dimension d : kDimensions) ok = computeCategoryTotals(totals, d, store) && ok;
  return ok;
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
