#include "benchmark/benchmark_model.h"

#include <QColor>

#include "base/amount.h"
#include "widgets/core_text.h"

namespace tamrel {

namespace {

QString rateShown(std::optional<double> rate) {
  return rate ? fromCore(formatPercent(static_cast<float>(*rate))) : QString();
}

// A 64-bit sum grouped by three; beyond what the formats hold, a dash.
QString amountShown(std::int64_t value) {
  const auto narrow = narrowAmount(value);
  return narrow ? fromCore(formatGroupedAmount(*narrow)) : QStringLiteral("―");
}

// Points of percentage, signed: "+12.50" or "-3.10".
QString differenceShown(std::optional<double> difference) {
  if (!difference) return {};
  const QString text = rateShown(difference);
  return *difference > 0 ? QLatin1Char('+') + text : text;
}

QColor verdictTint(Verdict v) {
  switch (v) {
    case Verdict::Above:
      return {0xd8, 0xf0, 0xd8};
    case Verdict::Below:
      return {0xf8, 0xdc, 0xdc};
    case Verdict::Indistinct:
    case Verdict::TooFew:
      break;
  }
  return {};
}

}  // namespace

BenchmarkModel::BenchmarkModel(QObject* parent) : QAbstractTableModel(parent) {}

void BenchmarkModel::setTable(BenchmarkTable table) {
  beginResetModel();
  table_ = std::move(table);
  endResetModel();
}

const BenchmarkGroup& BenchmarkModel::group(int row) const {
  if (row >= static_cast<int>(table_.groups.size())) return table_.total;
  return table_.groups[static_cast<std::size_t>(row)];
}

int BenchmarkModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.groups.size()) + 1;
}

int BenchmarkModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kBenchmarkColumnCount;
}

QVariant BenchmarkModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const BenchmarkGroup& g = group(index.row());
  const auto column = static_cast<BenchmarkColumn>(index.column());
  if (role == Qt::TextAlignmentRole) {
    const Qt::Alignment side = column == BenchmarkColumn::Verdict ? Qt::AlignLeft : Qt::AlignRight;
    return QVariant::fromValue(side | Qt::AlignVCenter);
  }
  if (role == Qt::BackgroundRole && column == BenchmarkColumn::Verdict) {
    const QColor tint = verdictTint(g.verdict);
    return tint.isValid() ? QVariant(tint) : QVariant();
  }
  if (role != Qt::DisplayRole) return {};
  switch (column) {
    case BenchmarkColumn::Tickets:
      return QString::number(g.tickets);
    case BenchmarkColumn::Stake:
      return amountShown(g.stake);
    case BenchmarkColumn::Payout:
      return amountShown(g.payout);
    case BenchmarkColumn::Rate:
      return rateShown(g.rate);
    case BenchmarkColumn::PoolRate:
      return rateShown(g.poolRate);
    case BenchmarkColumn::Difference:
      return differenceShown(g.difference());
    case BenchmarkColumn::Interval:
      if (!g.interval) return QString();
      return QStringLiteral("%1 ～ %2")
          .arg(rateShown(g.interval->low), rateShown(g.interval->high));
    case BenchmarkColumn::Verdict:
      return fromCore(verdictText(g.verdict));
  }
  return {};
}

QVariant BenchmarkModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || section < 0) return {};
  if (orientation == Qt::Vertical) return fromCore(group(section).caption);
  if (section >= kBenchmarkColumnCount) return {};
  static const char* const kCaptions[kBenchmarkColumnCount] = {
      "件数", "投資金額", "払戻金額", "回収率", "払戻率", "差", "95%区間", "判定"};
  return QString::fromUtf8(kCaptions[section]);
}

}  // namespace tamrel
