#pragma once
// The status bar's figure: what is left of this month's budget, red once it
// is passed, following every posting, undo and redo.

#include <QLabel>

namespace tamrel {

class DataSession;

class BudgetStatusLabel : public QLabel {
  Q_OBJECT
 public:
  BudgetStatusLabel(const DataSession& session, QWidget* parent = nullptr);

  // Reads the budget again: after the data changed or the limits were set.
  void refresh();

 private:
  const DataSession& session_;
};

}  // namespace tamrel
