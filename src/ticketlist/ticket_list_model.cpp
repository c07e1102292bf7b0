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
  if (role != Qt::DisplayRole && role != SortRole) return {};
  const TicketRow& row = rowAt(index.row());
  const bool sorting = role == SortRole;
  switch (column) {
    case Date:
      if (sorting) return row.month * 100 + row.day;
      return fromCore(ticketDateText(row.ticket));
    case Stake:
      return sorting ? QVariant(sortValue(row.stake)) : QVariant(amountText(row.stake));
    case Payout:
      return sorting ? QVariant(sortValue(row.payout)) : QVariant(amountText(row.payout));
    case Profit:
      return sorting ? QVariant(sortValue(profitOf(row))) : QVariant(amountText(profitOf(row)));
    case Hit:
      if (sorting) return row.hit() ? 1 : 0;
      return row.hit() ? QStringLiteral("的中") : QString();
    default:
      break;
  }
  if (!isCodeColumn(column)) return {};
  const Attribute a = attributeOf(column);
  if (sorting) return codeRank(a, row.ticket.field(fieldOf(a))[0]);
  return fromCore(captionOf(a, row.ticket));
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
  const QPartialOrdering order = QVariant::compare(left.data(sortRole()), right.data(sortRole()));
  if (order != QPartialOrdering::Equivalent) return order == QPartialOrdering::Less;
  // A descending sort asks with the sides swapped: ties still read down in
  // date and race order.
  return sortOrder() == Qt::AscendingOrder ? left.row() < right.row() : left.row() > right.row();
}

}  // namespace tamrel
