#include "years/year_model.h"

#include <QColor>
#include <QFont>
#include <algorithm>

#include "widgets/core_text.h"

namespace tamrel {

namespace {

const char* const kHeaders[] = {"フォルダ", "開催日数", "投資金額", "払戻金額",         "利益金額",
                                "回収率",   "件数",     "的中率",   "最大ドローダウン", "状態"};
static_assert(std::size(kHeaders) == YearTableModel::ColumnCount);

QString amountText(const std::optional<std::int32_t>& value) {
  return value ? fromCore(formatGroupedAmount(*value)) : QString();
}

QVariant amountValue(const std::optional<std::int32_t>& value) {
  return value ? QVariant(static_cast<qlonglong>(*value)) : QVariant();
}

}  // namespace

void YearTableModel::setFolders(std::vector<YearSummary> years, const QString& pendingText) {
  beginResetModel();
  years_ = std::move(years);
  pendingText_ = pendingText;
  total_ = yearTotals(years_);
  endResetModel();
}

void YearTableModel::setYear(int row, YearSummary year) {
  if (row < 0 || row >= yearCount()) return;
  years_[static_cast<std::size_t>(row)] = std::move(year);
  total_ = yearTotals(years_);
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
  emit dataChanged(index(yearCount(), 0), index(yearCount(), ColumnCount - 1));
}

void YearTableModel::setYears(std::vector<std::pair<int, YearSummary>> rows) {
  int first = yearCount();
  int last = -1;
  for (auto& [row, year] : rows) {
    if (row < 0 || row >= yearCount()) continue;
    years_[static_cast<std::size_t>(row)] = std::move(year);
    first = std::min(first, row);
    last = std::max(last, row);
  }
  if (last < 0) return;
  total_ = yearTotals(years_);
  emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
  emit dataChanged(index(yearCount(), 0), index(yearCount(), ColumnCount - 1));
}

void YearTableModel::setPendingText(const QString& text) {
  pendingText_ = text;
  emit dataChanged(index(0, State), index(yearCount(), State));
}

int YearTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : yearCount() + 1;
}

int YearTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant YearTableModel::display(const std::optional<YearFigures>& figures, int column) const {
  if (!figures) return {};
  const YearFigures& f = *figures;
  switch (column) {
    case RacingDays:
      return QString::number(f.racingDays);
    case Stake:
      return amountText(f.stake);
    case Payout:
      return amountText(f.payout);
    case Profit:
      return amountText(f.profit);
    case Rate:
      return f.rate ? fromCore(formatPercent(*f.rate)) : QString();
    case Tickets:
      return QString::number(f.tickets);
    case HitRate:
      return fromCore(formatPercent(f.hitRate()));
    case MaxDrawdown:
      return amountText(f.maxDrawdown);
    default:
      return {};
  }
}

QVariant YearTableModel::sortValue(const std::optional<YearFigures>& figures, int column) const {
  if (!figures) return {};
  const YearFigures& f = *figures;
  switch (column) {
    case RacingDays:
      return f.racingDays;
    case Stake:
      return amountValue(f.stake);
    case Payout:
      return amountValue(f.payout);
    case Profit:
      return amountValue(f.profit);
    case Rate:
      return f.rate ? QVariant(*f.rate) : QVariant();
    case Tickets:
      return f.tickets;
    case HitRate:
      return f.hitRate();
    case MaxDrawdown:
      return amountValue(f.maxDrawdown);
    default:
      return {};
  }
}

QVariant YearTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const bool isTotal = index.row() == yearCount();
  const int column = index.column();
  if (role == TotalRole) return isTotal;
  if (role == Qt::TextAlignmentRole) {
    return column == Folder || column == State ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                               : QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (isTotal) {
    if (role == Qt::DisplayRole && column == Folder) return QStringLiteral("合計");
    if (role == Qt::FontRole) {
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    if (role == Qt::DisplayRole) return display(total_, column);
    return {};
  }
  const YearSummary& y = year(index.row());
  switch (role) {
    case Qt::DisplayRole:
      if (column == Folder) return QString::fromStdString(y.name);
      if (column == State) {
        if (y.current) return QStringLiteral("使用中（メモリ上の値）");
        if (!y.refused.empty()) return fromCore(refusalText(y));
        return y.figures ? QString() : pendingText_;
      }
      return display(y.figures, column);
    case SortRole:
      if (column == Folder) return QString::fromStdString(y.name);
      if (column == State) return data(index, Qt::DisplayRole);
      return sortValue(y.figures, column);
    case Qt::ToolTipRole:
      return column == State || column == Folder
                 ? QString::fromStdString(y.folder.string()) +
                       (y.refused.empty() ? QString() : "\n" + fromCore(refusalText(y)))
                 : QVariant();
    case Qt::FontRole:
      if (y.current) {
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    case Qt::ForegroundRole:
      if (column == Profit && y.figures && y.figures->profit && *y.figures->profit < 0) {
        return QColor(Qt::red);
      }
      return {};
    default:
      return {};
  }
}

QVariant YearTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= ColumnCount) return {};
  return QString::fromUtf8(kHeaders[section]);
}

bool YearSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  // 合計 sorts after everything in ascending order and before everything in
  // descending order: either way it ends last.
  const bool leftTotal = left.data(YearTableModel::TotalRole).toBool();
  const bool rightTotal = right.data(YearTableModel::TotalRole).toBool();
  if (leftTotal || rightTotal) {
    if (leftTotal && rightTotal) return false;
    return rightTotal == (sortOrder() == Qt::AscendingOrder);
  }
  const QVariant a = left.data(YearTableModel::SortRole);
  const QVariant b = right.data(YearTableModel::SortRole);
  // A folder without figures sorts as the lowest.
  if (!a.isValid() || !b.isValid()) return !a.isValid() && b.isValid();
  return QVariant::compare(a, b) == QPartialOrdering::Less;
}

}  // namespace tamrel
