#include "trend/day_bets_model.h"

#include <QBrush>

#include "trend/trend_texts.h"
#include "widgets/controls.h"
#include "widgets/core_text.h"

namespace tamrel {

namespace {

constexpr int kRows = kBetTypeCount + 1;  // the bet types, then 合計
constexpr int kColumns = 4;

}  // namespace

void DayBetsModel::setFigures(std::optional<Figures> figures) {
  beginResetModel();
  figures_ = figures;
  endResetModel();
}

int DayBetsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kRows; }

int DayBetsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant DayBetsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !figures_) return {};
  const Figure& f = index.row() < kBetTypeCount
                        ? figures_->bets[static_cast<std::size_t>(index.row())]
                        : figures_->total;
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case 0:
          return yenText(f.stake);
        case 1:
          return yenText(f.payout);
        case 2:
          return yenText(f.profit);
        default:
          return fromCore(formatPercent(f.rate));
      }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(kAmountAlignment);
    case Qt::ForegroundRole:
      if (index.column() == 2 && f.profit < 0) return QBrush(kTrendLossColour);
      return {};
    default:
      return {};
  }
}

QVariant DayBetsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  if (orientation == Qt::Horizontal) {
    static const char* const kCaptions[kColumns] = {"投資金額", "払戻金額", "利益金額", "回収率"};
    return QString::fromUtf8(kCaptions[section]);
  }
  if (section < kBetTypeCount) {
    return fromCore(kBetTypes[static_cast<std::size_t>(section)].labelCaption);
  }
  return QStringLiteral("合計");
}

}  // namespace tamrel
