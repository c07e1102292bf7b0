#include "analysis/cross_totals.h"

#include <algorithm>

#include "analysis/browse_figures.h"
#include "base/amount.h"

namespace tamrel {

namespace {

std::size_t at(CrossDimension d) { return static_cast<std::size_t>(d); }

// Per dimension: its categories in row order, the category of every code
// character (-1: none) and the column of the code in the record text.
struct CrossDimensionTable {
  std::vector<Category> rows;
  std::array<std::int8_t, 256> categoryOf{};
  std::size_t column = 0;

  int of(const TicketRecord& ticket) const {
    return categoryOf[static_cast<unsigned char>(ticket.text[column])];
  }
};

// What a pass reads of a ticket: the codes of every dimension and the two
// amounts. Found once, so the pass over the tickets looks nothing up.
struct CrossLayout {
  std::array<CrossDimensionTable, kCrossDimensionCount> dimensions;
  FieldSpan purchase{};
  FieldSpan payout{};

  const CrossDimensionTable& operator[](CrossDimension d) const { return dimensions[at(d)]; }
  std::string_view text(const TicketRecord& ticket, const FieldSpan& span) const {
    return ticket.view().substr(static_cast<std::size_t>(span.column - 1),
                                static_cast<std::size_t>(span.width));
  }
  // Adds a ticket's amounts as amountField reads them.
  void add(CrossFigures& figures, const TicketRecord& ticket) const {
    figures.add(parseAmount(text(ticket, purchase)), parseAmount(text(ticket, payout)));
  }
};

CrossLayout buildLayout() {
  CrossLayout table;
  table.purchase = fieldSpan(TicketField::Purchase);
  table.payout = fieldSpan(TicketField::Payout);
  for (const CrossDimensionInfo& info : kCrossDimensions) {
    CrossDimensionTable& t = table.dimensions[at(info.dimension)];
    const auto analysis = analysisDimension(info.dimension);
    if (analysis) {
      // The analysis window's rows, captions and all.
      t.rows.assign(categories(*analysis).begin(), categories(*analysis).end());
    } else {
      for (const CodeCaption& c : codeTable(Attribute::BetType))
        t.rows.push_back({c.code, c.caption});
    }
    const TicketField field = analysis ? fieldOf(*analysis) : TicketField::BetType;
    t.column = static_cast<std::size_t>(fieldSpan(field).column - 1);
    t.categoryOf.fill(-1);
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
      // As in the analysis window: the first equal code decides.
      auto& slot = t.categoryOf[static_cast<unsigned char>(t.rows[i].code)];
      if (slot < 0) slot = static_cast<std::int8_t>(i);
    }
  }
  return table;
}

const CrossLayout& layout() {
  static const CrossLayout table = buildLayout();
  return table;
}

// Two digits of a record's month or day; -1 when they are not digits.
int twoDigitValue(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Calls `visit` with every live ticket of the period, month by month in slot
// order.
template <typename Visit>
void forEachTicket(const TicketStore& store, const Period& period, Visit&& visit) {
  const bool all = period.wholeYear();
  for (int month = 1; month <= 12; ++month) {
    const MonthTickets& tickets = store.month(month);
    // Slots from count on (the end marker and older text) are never visited.
    const int live = std::clamp<int>(tickets.count, 0, kMaxMonthTickets);
    for (int i = 0; i < live; ++i) {
      const TicketRecord& ticket = tickets.slot(i);
      if (ticket.isBlank() || (!all && !ticketInPeriod(ticket, period))) continue;
      visit(ticket);
    }
  }
}

// A ticket with a payout above 0; an amount out of range is none.
bool isHit(std::optional<std::int32_t> payout) { return payout && *payout > 0; }

std::optional<std::int32_t> sum(std::optional<std::int32_t> a, std::optional<std::int32_t> b) {
  return a && b ? checkedAdd(*a, *b) : std::nullopt;
}

// Adds the figures of one group into those of a group that holds it.
void addFigures(CrossFigures& into, const CrossFigures& from) {
  into.count += from.count;
  into.hits += from.hits;
  into.purchase = sum(into.purchase, from.purchase);
  into.payout = sum(into.payout, from.payout);
}

bool anyIncomplete(std::span<const CrossFigures> figures) {
  return std::any_of(figures.begin(), figures.end(),
                     [](const CrossFigures& f) { return !f.complete(); });
}

}  // namespace

const CrossDimensionInfo& crossDimensionInfo(CrossDimension d) { return kCrossDimensions[at(d)]; }

std::optional<CrossDimension> crossDimensionOfKey(std::string_view key) {
  for (const CrossDimensionInfo& info : kCrossDimensions) {
    if (info.key == key) return info.dimension;
  }
  return std::nullopt;
}

std::optional<Dimension> analysisDimension(CrossDimension d) {
  if (d == CrossDimension::BetType) return std::nullopt;
  return kDimensions[at(d)];
}

std::span<const Category> crossCategories(CrossDimension d) { return layout()[d].rows; }

int crossCategoryCount(CrossDimension d) { return static_cast<int>(crossCategories(d).size()); }

std::optional<int> categoryOfTicket(CrossDimension d, const TicketRecord& ticket) {
  const int index = layout()[d].of(ticket);
  if (index < 0) return std::nullopt;
  return index;
}

std::array<std::int8_t, kCrossDimensionCount> categoriesOfTicket(const TicketRecord& ticket) {
  const CrossLayout& tables = layout();
  std::array<std::int8_t, kCrossDimensionCount> categories{};
  for (std::size_t d = 0; d < categories.size(); ++d) {
    categories[d] = static_cast<std::int8_t>(tables.dimensions[d].of(ticket));
  }
  return categories;
}

void CrossFigures::add(std::optional<std::int32_t> ticketPurchase,
                       std::optional<std::int32_t> ticketPayout) {
  ++count;
  hits += isHit(ticketPayout);
  purchase = sum(purchase, ticketPurchase);
  payout = sum(payout, ticketPayout);
}

std::optional<std::int32_t> CrossFigures::profit() const {
  if (!purchase || !payout) return std::nullopt;
  return tamrel::profit(*purchase, *payout);
}

std::optional<float> CrossFigures::recoveryRate() const {
  if (!purchase || !payout) return std::nullopt;
  return tamrel::recoveryRate(*purchase, *payout);
}

float CrossFigures::hitRate() const {
  return count == 0 ? 0.0f : static_cast<float>(static_cast<double>(hits) / count);
}

bool ticketInPeriod(const TicketRecord& ticket, const Period& period) {
  const int month = twoDigitValue(ticket.field(TicketField::Month));
  const int day = twoDigitValue(ticket.field(TicketField::Day));
  if (month < 1 || month > 12 || day < 1 || day > 31) return period.wholeYear();
  return period.contains(month, day);
}

CrossTable computeCrossTable(const TicketStore& store, CrossDimension rows, CrossDimension columns,
                             const Period& period) {
  CrossTable table;
  table.rows = rows;
  table.columns = columns;
  table.rowCount = crossCategoryCount(rows);
  table.columnCount = crossCategoryCount(columns);
  table.cells.resize(static_cast<std::size_t>(table.rowCount * table.columnCount));
  table.rowTotals.resize(static_cast<std::size_t>(table.rowCount));
  table.columnTotals.resize(static_cast<std::size_t>(table.columnCount));
  const CrossLayout& l = layout();
  const CrossDimensionTable& rowCodes = l[rows];
  const CrossDimensionTable& columnCodes = l[columns];
  forEachTicket(store, period, [&](const TicketRecord& ticket) {
    const int row = rowCodes.of(ticket);
    const int column = columnCodes.of(ticket);
    if (row < 0 || column < 0) return;
    l.add(table.cells[static_cast<std::size_t>(row * table.columnCount + column)], ticket);
  });
  // The totals add up the cells, which the pass already holds: each ticket
  // is read once, whatever the table's size.
  for (int r = 0; r < table.rowCount; ++r) {
    for (int c = 0; c < table.columnCount; ++c) {
      const CrossFigures& cell = table.cell(r, c);
      addFigures(table.rowTotals[static_cast<std::size_t>(r)], cell);
      addFigures(table.columnTotals[static_cast<std::size_t>(c)], cell);
      addFigures(table.total, cell);
    }
  }
  table.overflowed = anyIncomplete(table.cells) || anyIncomplete(table.rowTotals) ||
                     anyIncomplete(table.columnTotals) || !table.total.complete();
  return table;
}

CrossSingle computeCrossSingle(const TicketStore& store, CrossDimension d, const Period& period) {
  CrossSingle single;
  single.dimension = d;
  single.categories.resize(static_cast<std::size_t>(crossCategoryCount(d)));
  const CrossLayout& l = layout();
  const CrossDimensionTable& codes = l[d];
  forEachTicket(store, period, [&](const TicketRecord& ticket) {
    const int index = codes.of(ticket);
    if (index < 0) return;
    l.add(single.categories[static_cast<std::size_t>(index)], ticket);
  });
  for (const CrossFigures& category : single.categories) addFigures(single.total, category);
  single.overflowed = anyIncomplete(single.categories) || !single.total.complete();
  return single;
}

CrossFigures computeCrossTotal(const TicketStore& store, const Period& period) {
  CrossFigures total;
  const CrossLayout& l = layout();
  forEachTicket(store, period, [&](const TicketRecord& ticket) { l.add(total, ticket); });
  return total;
}

TicketCounts countTickets(const TicketStore& store, const Period& period) {
  constexpr FieldSpan kPayout = fieldSpan(TicketField::Payout);
  int count = 0;
  int hits = 0;
  forEachTicket(store, period, [&](const TicketRecord& ticket) {
    ++count;
    hits += positiveAmount({ticket.text.data() + kPayout.column - 1, kPayout.width});
  });
  return {count, hits};
}

std::vector<TicketRecord> cellTickets(const TicketStore& store, CrossDimension rows, int row,
                                      CrossDimension columns, int column, const Period& period) {
  std::vector<TicketRecord> out;
  const auto matches = [](int category, int wanted) {
    return wanted == kAnyCategory ? category >= 0 : category == wanted;
  };
  const CrossLayout& l = layout();
  forEachTicket(store, period, [&](const TicketRecord& ticket) {
    if (matches(l[rows].of(ticket), row) && matches(l[columns].of(ticket), column)) {
      out.push_back(ticket);
    }
  });
  // A day's tickets entered later are stored after later days'.
  std::ranges::stable_sort(out, ticketBefore);
  return out;
}

RateBand rateBand(float rate) {
  // The thresholds are the browse windows' own, kept in one place.
  switch (rateColour(rate)) {
    case FigureColour::Green:
      return RateBand::AtLeastEven;
    case FigureColour::Yellow:
      return RateBand::BelowEven;
    case FigureColour::Cyan:
      return RateBand::BelowThreeQuarters;
    case FigureColour::Red:
      break;
  }
  return RateBand::BelowHalf;
}

}  // namespace tamrel
