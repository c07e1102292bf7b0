#include "ticketlist/ticket_list_model.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <numeric>

#include "widgets/core_text.h"

namespace tamrel {

namespace {

// The code attribute of each code column, Racecourse .. BetType.
constexpr std::array<Attribute, 10> kCodeColumns{
    Attribute::Racecourse,   Attribute::RaceNo,      Attribute::Surface,
    Attribute::DistanceBand, Attribute::RaceClass,   Attribute::AgeGroup,
    Attribute::Condition,    Attribute::RunnersBand, Attribute::BetType,
};

bool isCodeColumn(int column) {
  return column >= TicketListModel::Racecourse && column <= TicketListModel::BetType;
}

Attribute attributeOf(int column) {
  return kCodeColumns[static_cast<std::size_t>(column - TicketListModel::Racecourse)];
}

QString amountText(std::optional<std::int32_t> amount) {
  return amount ? fromCore(formatGroupedAmount(*amount)) : QString();
}

std::optional<std::int32_t> profitOf(const TicketRow& row) {
  if (!row.stake || !row.payout) return std::nullopt;
  return profit(*row.stake, *row.payout);
}

// An amount out of range, shown empty, sorts below every amount.
qint64 sortValue(std::optional<std::int32_t> amount) {
  return amount ? qint64{*amount} : std::numeric_limits<qint64>::min();
}

}  // namespace

void TicketListModel::setRows(std::vector<TicketRow> rows, const TicketFilter& filter) {
  beginResetModel();
  rows_ = std::move(rows);
  index_ = TicketIndex(rows_);
  orderRows();
  filter_ = filter;
  TicketIndex::Selection selection = index_.select(filter_, order_);
  shown_ = std::move(selection.kept);
  figures_ = selection.figures;
  endResetModel();
}

void TicketListModel::setFilter(const TicketFilter& filter) {
  filter_ = filter;
  TicketIndex::Selection selection = index_.select(filter_, order_);
  figures_ = selection.figures;
  // A word typed on that keeps the same tickets changes nothing shown.
  if (selection.kept == shown_) return;
  beginResetModel();
  shown_ = std::move(selection.kept);
  endResetModel();
}

const TicketRow& TicketListModel::rowAt(int row) const {
  return rows_[static_cast<std::size_t>(shown_[static_cast<std::size_t>(row)])];
}

int TicketListModel::modelRowOf(int rowIndex) const {
  const auto at = std::ranges::find(shown_, rowIndex);
  return at == shown_.end() ? -1 : static_cast<int>(at - shown_.begin());
}

void TicketListModel::orderRows() {
  std::vector<qint64> keys(rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i) keys[i] = keyOf(rows_[i], sortColumn_);
  order_.resize(rows_.size());
  std::iota(order_.begin(), order_.end(), 0);
  // Stable: tickets with equal keys stay in date and race order either way.
  // The rows come in date order, the list's first order: a year opens
  // without being sorted.
  const auto key = [&keys](int i) { return keys[static_cast<std::size_t>(i)]; };
  if (sortOrder_ == Qt::AscendingOrder) {
    if (!std::ranges::is_sorted(keys)) std::ranges::stable_sort(order_, std::less{}, key);
  } else {
    if (!std::ranges::is_sorted(keys, std::greater{})) {
      std::ranges::stable_sort(order_, std::greater{}, key);
    }
  }
}

void TicketListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= ColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<int> ticketsBefore;
  ticketsBefore.reserve(static_cast<std::size_t>(before.size()));
  for (const QModelIndex& index : before) {
    ticketsBefore.push_back(shown_[static_cast<std::size_t>(index.row())]);
  }
  sortColumn_ = column;
  sortOrder_ = order;
  orderRows();
  std::vector<bool> isShown(rows_.size());
  for (int i : shown_) isShown[static_cast<std::size_t>(i)] = true;
  shown_.clear();
  for (int i : order_) {
    if (isShown[static_cast<std::size_t>(i)]) shown_.push_back(i);
  }
  std::vector<int> rowOf(rows_.size(), -1);
  for (std::size_t r = 0; r < shown_.size(); ++r) {
    rowOf[static_cast<std::size_t>(shown_[r])] = static_cast<int>(r);
  }
  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype i = 0; i < before.size(); ++i) {
    after << index(rowOf[static_cast<std::size_t>(ticketsBefore[static_cast<std::size_t>(i)])],
                   before[i].column());
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int TicketListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int TicketListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TicketListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int column = index.column();
  if (role == Qt::TextAlignmentRole) {
    const bool right = column >= Stake && column <= Profit;
    const Qt::Alignment across = right           ? Qt::AlignRight
                                 : column == Hit ? Qt::AlignHCenter
                                                 : Qt::AlignLeft;
    return QVariant::fromValue(Qt::Alignment(across | Qt::AlignVCenter));
  }
  if (role == SortRole) return sortKey(index.row(), column);
  if (role != Qt::DisplayRole) return {};
  const TicketRow& row = rowAt(index.row());
  switch (column) {
    case Date:
      return fromCore(ticketDateText(row.ticket));
    case Stake:
      return amountText(row.stake);
    case Payout:
      return amountText(row.payout);
    case Profit:
      return amountText(profitOf(row));
    case Hit:
      return row.hit() ? QStringLiteral("的中") : QString();
    default:
      break;
  }
  if (!isCodeColumn(column)) return {};
  return fromCore(captionOf(attributeOf(column), row.ticket));
}

qint64 TicketListModel::sortKey(int row, int column) const { return keyOf(rowAt(row), column); }

qint64 TicketListModel::keyOf(const TicketRow& r, int column) const {
  switch (column) {
    case Date:
      return r.month * 100 + r.day;
    case Stake:
      return sortValue(r.stake);
    case Payout:
      return sortValue(r.payout);
    case Profit:
      return sortValue(profitOf(r));
    case Hit:
      return r.hit() ? 1 : 0;
    default:
      break;
  }
  if (!isCodeColumn(column)) return 0;
  const Attribute a = attributeOf(column);
  return codeRank(a, r.ticket.field(fieldOf(a))[0]);
}

QVariant TicketListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  static const std::array<QString, ColumnCount> captions{
      QStringLiteral("日付"),     QStringLiteral("馬場"),     QStringLiteral("レース"),
      QStringLiteral("コース"),   QStringLiteral("距離"),     QStringLiteral("クラス"),
      QStringLiteral("馬齢"),     QStringLiteral("条件"),     QStringLiteral("頭数"),
      QStringLiteral("券種"),     QStringLiteral("投資金額"), QStringLiteral("払戻金額"),
      QStringLiteral("利益金額"), QStringLiteral("的中")};
  if (section < 0 || section >= ColumnCount) return {};
  return captions[static_cast<std::size_t>(section)];
}

}  // namespace tamrel
