#pragma once
// The tables of the cross window: the crossed figures of two dimensions,
// one measure shown per cell with a tint that carries it at a glance, and
// the tickets of one cell.

#include <QAbstractTableModel>
#include <QColor>
#include <QSortFilterProxyModel>
#include <QString>
#include <array>
#include <vector>

#include "analysis/cross_totals.h"

namespace tamrel {

// What the cells show, in the order of the measure chooser.
enum class CrossMeasure { Recovery, Profit, Purchase, Payout, Count, HitRate };
inline constexpr int kCrossMeasureCount = 6;
QString measureCaption(CrossMeasure m);

// Tickets below this many make a cell's figures a matter of luck: the cell
// is dimmed and says so.
inline constexpr int kFewTickets = 5;

// The background of a recovery rate's band, light enough for black text.
QColor rateTint(RateBand band);
// What the tints of a measure mean, as rich text with the tints themselves.
QString legendText(CrossMeasure m);

// Rows are the row dimension's categories then 合計; columns likewise.
class CrossTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit CrossTableModel(QObject* parent = nullptr);

  void setTable(CrossTable table);
  void setMeasure(CrossMeasure measure);
  const CrossTable& table() const { return table_; }
  CrossMeasure measure() const { return measure_; }
  // The figures of a cell of the model (totals included).
  const CrossFigures& figuresAt(int row, int column) const;
  bool isTotalRow(int row) const { return row == table_.rowCount; }
  bool isTotalColumn(int column) const { return column == table_.columnCount; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  QString text(const CrossFigures& f) const;
  QColor tint(const CrossFigures& f) const;
  QString toolTip(int row, int column) const;
  // The largest magnitude of the measure over the cells (not the totals),
  // which sets the scale of the graded tints.
  double scaleOfCells() const;

  CrossTable table_;
  CrossMeasure measure_ = CrossMeasure::Recovery;
  double scale_ = 0;
};

// The tickets of one cell: date, race attributes, bet type and amounts, in
// the order they are given (cellTickets gives date and race order).
class CrossTicketModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // What a column sorts by: the date, a code's place in its list (２Ｒ
  // before １０Ｒ) and an amount's value, not the texts shown.
  static constexpr int SortRole = Qt::UserRole + 1;

  using QAbstractTableModel::QAbstractTableModel;

  void setTickets(std::vector<TicketRecord> tickets);
  const std::vector<TicketRecord>& tickets() const { return tickets_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<TicketRecord> tickets_;
};

// The ticket list as sorted by a header click: by the column's SortRole,
// either way; tickets equal there stay in the model's date and race order,
// whichever column was sorted before.
class CrossTicketOrder : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  explicit CrossTicketOrder(QObject* parent = nullptr);

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

}  // namespace tamrel
