#pragma once
// The table of 運か実力か: one row per category of the chosen dimension and
// 合計, the figures of each group and its verdict in words.

#include <QAbstractTableModel>

#include "analysis/benchmark.h"

namespace tamrel {

enum class BenchmarkColumn {
  Tickets,
  Stake,
  Payout,
  Rate,
  PoolRate,
  Difference,
  Interval,
  Verdict
};
inline constexpr int kBenchmarkColumnCount = 8;

class BenchmarkModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit BenchmarkModel(QObject* parent = nullptr);

  void setTable(BenchmarkTable table);
  const BenchmarkTable& table() const { return table_; }
  // The group of a row; the last row is 合計.
  const BenchmarkGroup& group(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  BenchmarkTable table_;
};

}  // namespace tamrel
