#pragma once
// The table several windows share: text cells addressed by (row, column)
// from 0, with a fixed header row 0 and an optional fixed header column 0
// that are drawn as headers and do not scroll. No editing, sorting or
// formatting of its own.

#include <QTableWidget>

namespace tamrel {

class Grid : public QTableWidget {
  Q_OBJECT
 public:
  // `rows` and `cols` count the fixed row and column; `fixedCols` is 0 or 1.
  Grid(int rows, int cols, int fixedCols, QWidget* parent = nullptr);

  int rowCountWithHeader() const { return rows_; }
  int colCountWithHeader() const { return cols_; }

  void setColumnWidthTwips(int col, int twips);
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
