#pragma once
// The seven bet types and 合計 of one day slot: stake, payout, profit and
// rate, as the table beside the calendar shows them.

#include <QAbstractTableModel>
#include <optional>

#include "ledger/ledger_records.h"

namespace tamrel {

class DayBetsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // The day's figures; empty shows empty cells (nothing chosen, or a sum
  // that left the range).
  void setFigures(std::optional<Figures> figures);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::optional<Figures> figures_;
};

}  // namespace tamrel
