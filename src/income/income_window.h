#pragma once
// "一時所得": how much of the period's winnings (the whole year at first)
// counts toward taxable income, line by line with its rule, from the
// tickets, and an upper bound beside it where days have day amounts but no
// ticket. It follows the data session while open.

#include <QAbstractTableModel>

#include "analysis/income.h"
#include "widgets/child_window.h"
#include "widgets/period_boxes.h"

class QLabel;
class QPushButton;
class QTableView;

namespace tamrel {

class DataSession;
class Messages;

// The lines of incomeLines: 馬券から, 上限, 算式.
class IncomeModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void setFigures(const IncomeFigures& figures);
  const IncomeFigures& figures() const { return figures_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  IncomeFigures figures_;
  std::array<IncomeLine, kIncomeLineCount> lines_ = incomeLines(IncomeFigures{});
};

class IncomeWindow : public ChildWindow {
  Q_OBJECT
 public:
  IncomeWindow(const DataSession& session, Messages& messages, QWidget* parent = nullptr);
  ~IncomeWindow() override;

  QTableView* table() const { return table_; }
  const IncomeModel& model() const { return model_; }
  QLabel* unticketedNote() const { return unticketed_; }
  Period period() const { return periodBoxes_.period(); }

  QSize sizeHint() const override;
  std::optional<PrintPage> printPage() const override;

 protected:
  void showData() override { recompute(); }
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void recompute();

  const DataSession& session_;
  Messages& messages_;
  IncomeModel model_;
  PeriodBoxes periodBoxes_;
  QTableView* table_ = nullptr;
  QLabel* unticketed_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace tamrel
