#pragma once
// The year comparison's table: one row per year folder and a 合計 row over
// the folders that loaded, with a sort proxy that keeps 合計 last whichever
// column and order the user sorts by.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/year_summary.h"

namespace tamrel {

class YearTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column {
    Folder,
    RacingDays,
    Stake,
    Payout,
    Profit,
    Rate,
    Tickets,
    HitRate,
    MaxDrawdown,
    State,
    ColumnCount
  };
  // The value a column sorts by (numbers as numbers).
  static constexpr int SortRole = Qt::UserRole;
  // True on the 合計 row.
  static constexpr int TotalRole = Qt::UserRole + 1;

  using QAbstractTableModel::QAbstractTableModel;

  // The folders in listing order; those without figures or reasons yet show
  // `pendingText` as their state.
  void setFolders(std::vector<YearSummary> years, const QString& pendingText);
  // Puts a folder's summary in its row and recomputes 合計.
  void setYear(int row, YearSummary year);
  // The same for many rows at once: 合計 is recomputed, and the views told,
  // once for all of them.
  void setYears(std::vector<std::pair<int, YearSummary>> rows);
  // The state of the folders still without figures or reasons.
  void setPendingText(const QString& text);

  int yearCount() const { return static_cast<int>(years_.size()); }
  const YearSummary& year(int row) const { return years_[static_cast<std::size_t>(row)]; }
  const std::optional<YearFigures>& total() const { return total_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  QVariant display(const std::optional<YearFigures>& figures, int column) const;
  QVariant sortValue(const std::optional<YearFigures>& figures, int column) const;

  std::vector<YearSummary> years_;
  QString pendingText_;
  std::optional<YearFigures> total_;
};

class YearSortProxy : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

}  // namespace tamrel
