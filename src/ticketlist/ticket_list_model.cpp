#include "ticketlist/ticket_list_model.h"

#include <array>
#include <limits>

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

void TicketListModel::setRows(std::vector<TicketRow> rows, std::vector<int> shown) {
  beginResetModel();
  rows_ = std::move(rows);
  shown_ = std::move(shown);
  endResetModel();
}

void TicketListModel::setShown(std::vector<int> shown) {
  beginResetModel();
  shown_ = std::move(shown);
  endResetModel();
}

const TicketRow& TicketListModel::rowAt(int row) const {
  return rows_[static_cast<std::size_t>(shown_[static_cast<std::size_t>(row)])];
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

qint64 TicketListModel::sortKey(int row, int column) const {
  const TicketRow& r = rowAt(row);
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

TicketListOrder::TicketListOrder(QObject* parent) : QSortFilterProxyModel(parent) {
  setSortRole(TicketListModel::SortRole);
}

bool TicketListOrder::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const auto* model = static_cast<const TicketListModel*>(sourceModel());
  const qint64 a = model->sortKey(left.row(), left.column());
  const qint64 b = model->sortKey(right.row(), right.column());
  if (a != b) return a < b;
  // A descending sort asks with the sides swapped: ties still read down in
  // date and race order.
  return sortOrder() == Qt::AscendingOrder ? left.row() < right.row() : left.row() > right.row();
}

}  // namespace tamrel
