#pragma once
// The table of 馬券一覧: the year's tickets the filters keep, one per row,
// and the order a header click sorts them in.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <span>
#include <vector>

#include "analysis/ticket_filter.h"

namespace tamrel {

// Columns: date, the nine race attributes of a ticket (its weekday is in
// the date), bet type, stake, payout, profit and 的中.
class TicketListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // What a column sorts by: the date, a code's place in its list (２Ｒ before
  // １０Ｒ) and an amount's value, not the texts shown.
  static constexpr int SortRole = Qt::UserRole + 1;
  enum Column {
    Date,
    Racecourse,
    Race,
    Surface,
    Distance,
    Class,
    Age,
    Condition,
    Runners,
    BetType,
    Stake,
    Payout,
    Profit,
    Hit,
    ColumnCount
  };

  using QAbstractTableModel::QAbstractTableModel;

  // The year's tickets (in date and race order) and which of them show.
  void setRows(std::vector<TicketRow> rows, std::vector<int> shown);
  void setShown(std::vector<int> shown);
  const std::vector<TicketRow>& rows() const { return rows_; }
  const std::vector<int>& shown() const { return shown_; }
  // The ticket of a model row.
  const TicketRow& rowAt(int row) const;
  // What SortRole gives, without a QVariant: a sort of a full year asks
  // for it some 150,000 times.
  qint64 sortKey(int row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<TicketRow> rows_;
  std::vector<int> shown_;
};

// The list as sorted by a header click: by the column's sort key either way;
// tickets equal there stay in date and race order. Its source is a
// TicketListModel.
class TicketListOrder : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  explicit TicketListOrder(QObject* parent = nullptr);

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

}  // namespace tamrel
