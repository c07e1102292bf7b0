#pragma once
// The table several windows share: text cells addressed by (row, column)
// from 0, with a fixed header row 0 and an optional fixed header column 0
// that are drawn as headers and do not scroll. No editing, sorting or
// formatting of its own.

#include <QStringList>
#include <QTableWidget>
#include <span>

namespace tamrel {

class Grid : public QTableWidget {
  Q_OBJECT
 public:
  // `rows` and `cols` count the fixed row and column; `fixedCols` is 0 or 1.
  Grid(int rows, int cols, int fixedCols, QWidget* parent = nullptr);

  int rowCountWithHeader() const { return rows_; }
  int colCountWithHeader() const { return cols_; }

  void setColumnWidthTwips(int col, int twips);
  // Sets the widths of all columns from a twips table (one entry per column,
  // the fixed one included), all widened by one factor where the fonts need
  // more room, so that each column's header as set and its `texts` (what
  // its cells, or the fixed column's row labels, can show) fit whole.
  // Returns the factor (1 when the table suffices).
  double setColumnWidthsTwips(std::span<const int> twips, std::span<const QStringList> texts);
  int columnWidthPixels(int col) const;

  // Text of a cell, header cells included; an untouched cell reads empty.
  void setCell(int row, int col, const QString& text);
  QString cell(int row, int col) const;

  // First row of the user's current selection (1 or more for a data row);
  // 0 when nothing is selected.
  int selectedRow() const;
  // Selects row r (a data row) and scrolls it into view.
  void setCurrentRow(int r);

 signals:
  // A data cell or the row's label in the fixed column was double-clicked;
  // `row` counts the header row.
  void rowDoubleClicked(int row);

 private:
  int rows_;
  int cols_;
  int fixedCols_;
  QString corner_;
};

}  // namespace tamrel
