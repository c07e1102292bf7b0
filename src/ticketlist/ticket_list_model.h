#pragma once
// The table of 馬券一覧: the year's tickets the filters keep, one per row,
// in the order a header click sorts them in. Sorting and filtering are done
// here, over the rows at once, not row by row through a proxy: a keystroke
// in the search box is one pass of the filter engine and one reset.

#include <QAbstractTableModel>
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

  // The year's tickets (in date and race order) and the filter that picks
  // those shown. The rows are laid out for filtering and sorted here, once.
  void setRows(std::vector<TicketRow> rows, const TicketFilter& filter);
  // Shows what the filter keeps, in the order sorted last: one pass over the
  // rows, the figures counted in it.
  void setFilter(const TicketFilter& filter);
  const std::vector<TicketRow>& rows() const { return rows_; }
  // Indices into rows() of the tickets shown, top to bottom.
  const std::vector<int>& shown() const { return shown_; }
  // The figures of the tickets shown.
  const TicketListFigures& figures() const { return figures_; }
  // The ticket of a model row.
  const TicketRow& rowAt(int row) const;
  // The model row of an index into rows(); -1 when it is not shown.
  int modelRowOf(int rowIndex) const;
  // What SortRole gives, without a QVariant.
  qint64 sortKey(int row, int column) const;

  // By the column's sort key either way; tickets equal there stay in date
  // and race order. The selection follows its tickets.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
  int sortColumn() const { return sortColumn_; }
  Qt::SortOrder sortOrder() const { return sortOrder_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  qint64 keyOf(const TicketRow& row, int column) const;
  // Sorts every row by the sort column into order_.
  void orderRows();

  std::vector<TicketRow> rows_;
  TicketIndex index_;
  // Every row in the sort order; filtering keeps this order.
  std::vector<int> order_;
  std::vector<int> shown_;
  TicketListFigures figures_;
  TicketFilter filter_;
  int sortColumn_ = Date;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace tamrel
