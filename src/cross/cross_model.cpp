#include "cross/cross_model.h"

#include "widgets/look.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "widgets/core_text.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

const QString kTotalCaption = QStringLiteral("合計");
const QString kFewTicketsNote = QStringLiteral("件数が少ない");
const QString kNoTickets = QStringLiteral("－");

// Profit gains towards blue, losses towards red; the other graded measures
// in one green.
const QColor kGainHue(66, 133, 214);
const QColor kLossHue(222, 84, 84);
const QColor kAmountHue(76, 175, 110);
const QColor kDimmedText(120, 120, 120);

QColor blend(const QColor& from, const QColor& to, double share) {
  const auto mix = [share](int a, int b) {
    return static_cast<int>(std::lround(a + (b - a) * share));
  };
  return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                mix(from.blue(), to.blue()));
}

// A graded tint: the faintest visible shade for a tiny value, never so deep
// that black text stops reading.
QColor graded(const QColor& hue, double share) {
  return blend(Qt::white, hue, 0.12 + 0.48 * std::clamp(share, 0.0, 1.0));
}

QString amountText(std::optional<std::int32_t> amount) {
  return amount ? fromCore(formatGroupedAmount(*amount)) : QString();
}

QString rateText(std::optional<float> rate) {
  return rate ? fromCore(formatPercent(*rate)) : QString();
}

// The measure as a number, for the graded scales; nullopt when the figure
// is empty.
std::optional<double> measureValue(const CrossFigures& f, CrossMeasure m) {
  const auto from = [](std::optional<std::int32_t> v) -> std::optional<double> {
    if (!v) return std::nullopt;
    return static_cast<double>(*v);
  };
  switch (m) {
    case CrossMeasure::Recovery:
      if (!f.recoveryRate()) return std::nullopt;
      return static_cast<double>(*f.recoveryRate());
    case CrossMeasure::Profit:
      return from(f.profit());
    case CrossMeasure::Purchase:
      return from(f.purchase);
    case CrossMeasure::Payout:
      return from(f.payout);
    case CrossMeasure::Count:
      return f.count;
    case CrossMeasure::HitRate:
      break;
  }
  return static_cast<double>(f.hitRate());
}

QString figureLine(const QString& name, const QString& value) {
  return name + QStringLiteral(": ") + (value.isEmpty() ? kAmountOutOfRange : value);
}

// The ten code columns of the ticket list, in the dimensions' order.
constexpr std::array<Attribute, kCrossDimensionCount> kListAttributes{
    Attribute::Racecourse,   Attribute::RaceNo,    Attribute::Weekday,  Attribute::Surface,
    Attribute::DistanceBand, Attribute::RaceClass, Attribute::AgeGroup, Attribute::Condition,
    Attribute::RunnersBand,  Attribute::BetType};
constexpr int kListColumns = 1 + kCrossDimensionCount + 2;

int twoDigits(std::string_view text) {
  const bool digits = text.size() == 2 && std::isdigit(static_cast<unsigned char>(text[0])) &&
                      std::isdigit(static_cast<unsigned char>(text[1]));
  return digits ? (text[0] - '0') * 10 + (text[1] - '0') : 0;
}

}  // namespace

QString measureCaption(CrossMeasure m) {
  static const std::array<QString, kCrossMeasureCount> captions{
      QStringLiteral("回収率"),   QStringLiteral("利益金額"), QStringLiteral("投資金額"),
      QStringLiteral("払戻金額"), QStringLiteral("件数"),     QStringLiteral("的中率")};
  return captions[static_cast<std::size_t>(m)];
}

QString legendText(CrossMeasure m) {
  const auto swatch = [](const QColor& colour, const QString& text) {
    return QStringLiteral("<span style=\"background-color:%1\">&nbsp;%2&nbsp;</span> ")
        .arg(colour.name(), text);
  };
  QString text;
  switch (m) {
    case CrossMeasure::Recovery:
      text = swatch(rateTint(RateBand::AtLeastEven), QStringLiteral("100%以上")) +
             swatch(rateTint(RateBand::BelowEven), QStringLiteral("100%未満")) +
             swatch(rateTint(RateBand::BelowThreeQuarters), QStringLiteral("75%未満")) +
             swatch(rateTint(RateBand::BelowHalf), QStringLiteral("50%未満"));
      break;
    case CrossMeasure::Profit:
      text = swatch(graded(kGainHue, 0.6), QStringLiteral("利益")) +
             swatch(graded(kLossHue, 0.6), QStringLiteral("損失")) +
             QStringLiteral("濃いほど大きい");
      break;
    default:
      text = swatch(graded(kAmountHue, 0.1), QStringLiteral("小")) +
             swatch(graded(kAmountHue, 1), QStringLiteral("大"));
      break;
  }
  return text + QStringLiteral("　<span style=\"color:%1\">薄い字: %2件未満</span>")
                    .arg(kDimmedText.name())
                    .arg(kFewTickets);
}

CrossTableModel::CrossTableModel(QObject* parent) : QAbstractTableModel(parent) {
  setTable(CrossTable{});
}

void CrossTableModel::setTable(CrossTable table) {
  beginResetModel();
  table_ = std::move(table);
  scale_ = scaleOfCells();
  endResetModel();
}

void CrossTableModel::setMeasure(CrossMeasure measure) {
  if (measure == measure_) return;
  measure_ = measure;
  scale_ = scaleOfCells();
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const CrossFigures& CrossTableModel::figuresAt(int row, int column) const {
  const bool totalRow = isTotalRow(row);
  const bool totalColumn = isTotalColumn(column);
  if (totalRow && totalColumn) return table_.total;
  if (totalRow) return table_.columnTotals[static_cast<std::size_t>(column)];
  if (totalColumn) return table_.rowTotals[static_cast<std::size_t>(row)];
  return table_.cell(row, column);
}

int CrossTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.rowCount + 1;
}

int CrossTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.columnCount + 1;
}

QVariant CrossTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const CrossFigures& f = figuresAt(index.row(), index.column());
  const bool few = f.count > 0 && f.count < kFewTickets;
  switch (role) {
    case Qt::DisplayRole:
      return text(f);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    case Qt::BackgroundRole: {
      const QColor colour = tint(f);
      if (!colour.isValid()) return {};
      return few ? blend(colour, Qt::white, 0.55) : colour;
    }
    case Qt::ForegroundRole:
      if (few) return kDimmedText;
      return {};
    case Qt::ToolTipRole:
      return toolTip(index.row(), index.column());
    default:
      return {};
  }
}

QVariant CrossTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  const CrossDimension d = orientation == Qt::Vertical ? table_.rows : table_.columns;
  const std::span<const Category> names = crossCategories(d);
  if (section < 0 || section > static_cast<int>(names.size())) return {};
  if (section == static_cast<int>(names.size())) return kTotalCaption;
  return fromCore(names[static_cast<std::size_t>(section)].caption);
}

QString CrossTableModel::text(const CrossFigures& f) const {
  // A pair without tickets says so, apart from one whose figures are 0.
  if (f.count == 0) return kNoTickets;
  switch (measure_) {
    case CrossMeasure::Recovery:
      return rateText(f.recoveryRate());
    case CrossMeasure::Profit:
      return amountText(f.profit());
    case CrossMeasure::Purchase:
      return amountText(f.purchase);
    case CrossMeasure::Payout:
      return amountText(f.payout);
    case CrossMeasure::Count:
      return QString::number(f.count);
    case CrossMeasure::HitRate:
      break;
  }
  return fromCore(formatPercent(f.hitRate()));
}

QColor CrossTableModel::tint(const CrossFigures& f) const {
  const std::optional<double> value = measureValue(f, measure_);
  if (f.count == 0 || !value) return {};
  switch (measure_) {
    case CrossMeasure::Recovery:
      // As the year's figures: a stake of 0 earns no colour.
      if (f.purchase == 0) return {};
      return rateTint(rateBand(*f.recoveryRate()));
    case CrossMeasure::Profit:
      if (*value == 0) return {};
      return graded(*value > 0 ? kGainHue : kLossHue, std::abs(*value) / scale_);
    default:
      return scale_ > 0 ? graded(kAmountHue, std::abs(*value) / scale_) : QColor();
  }
}

double CrossTableModel::scaleOfCells() const {
  double scale = 0;
  for (const CrossFigures& f : table_.cells) {
    if (const auto v = measureValue(f, measure_)) scale = std::max(scale, std::abs(*v));
  }
  return scale;
}

QString CrossTableModel::toolTip(int row, int column) const {
  const CrossFigures& f = figuresAt(row, column);
  const QString rowName = fromCore(crossDimensionInfo(table_.rows).name);
  const QString columnName = fromCore(crossDimensionInfo(table_.columns).name);
  QStringList lines{rowName + QStringLiteral(": ") + headerData(row, Qt::Vertical).toString() +
                        QStringLiteral(" × ") + columnName + QStringLiteral(": ") +
                        headerData(column, Qt::Horizontal).toString(),
                    figureLine(QStringLiteral("投資金額"), amountText(f.purchase)),
                    figureLine(QStringLiteral("払戻金額"), amountText(f.payout)),
                    figureLine(QStringLiteral("利益金額"), amountText(f.profit())),
                    figureLine(QStringLiteral("回収率"), rateText(f.recoveryRate())),
                    QStringLiteral("件数: %1").arg(f.count),
                    QStringLiteral("的中数: %1").arg(f.hits),
                    QStringLiteral("的中率: ") + fromCore(formatPercent(f.hitRate()))};
  if (f.count > 0 && f.count < kFewTickets) lines << kFewTicketsNote;
  return lines.join(QLatin1Char('\n'));
}

void CrossTicketModel::setTickets(std::vector<TicketRecord> tickets) {
  beginResetModel();
  tickets_ = std::move(tickets);
  endResetModel();
}

int CrossTicketModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(tickets_.size());
}

int CrossTicketModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kListColumns;
}

QVariant CrossTicketModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int column = index.column();
  const bool amount = column > kCrossDimensionCount;
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(
        Qt::Alignment((amount ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole && role != SortRole) return {};
  const TicketRecord& t = tickets_[static_cast<std::size_t>(index.row())];
  if (role == SortRole) {
    if (column == 0) {
      return twoDigits(t.field(TicketField::Month)) * 100 + twoDigits(t.field(TicketField::Day));
    }
    if (!amount) {
      const Attribute a = kListAttributes[static_cast<std::size_t>(column - 1)];
      return codeRank(a, t.field(fieldOf(a))[0]);
    }
  }
  if (column == 0) {
    return QStringLiteral("%1/%2")
        .arg(twoDigits(t.field(TicketField::Month)))
        .arg(twoDigits(t.field(TicketField::Day)));
  }
  if (!amount) return fromCore(captionOf(kListAttributes[static_cast<std::size_t>(column - 1)], t));
  const TicketField field =
      column == kCrossDimensionCount + 1 ? TicketField::Purchase : TicketField::Payout;
  if (role == SortRole) {
    // An amount out of range, shown empty, sorts below every amount.
    const auto value = amountField(t, field);
    return value ? qint64{*value} : std::numeric_limits<qint64>::min();
  }
  return amountText(amountField(t, field));
}

CrossTicketOrder::CrossTicketOrder(QObject* parent) : QSortFilterProxyModel(parent) {
  setSortRole(CrossTicketModel::SortRole);
}

bool CrossTicketOrder::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const QPartialOrdering order = QVariant::compare(left.data(sortRole()), right.data(sortRole()));
  if (order != QPartialOrdering::Equivalent) return order == QPartialOrdering::Less;
  // A descending sort asks with the sides swapped: the ties still read down
  // in the model's order.
  return sortOrder() == Qt::AscendingOrder ? left.row() < right.row() : left.row() > right.row();
}

QVariant CrossTicketModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section == 0) return QStringLiteral("日付");
  if (section <= kCrossDimensionCount) {
    return fromCore(kCrossDimensions[static_cast<std::size_t>(section - 1)].name);
  }
  return section == kCrossDimensionCount + 1 ? QStringLiteral("投資金額")
                                             : QStringLiteral("払戻金額");
}

}  // namespace tamrel
