#pragma once
// "運か実力か": whether the year's tickets returned more than the pools give
// back on average, group by group (券種, or the categories of any dimension
// of クロス分析), with a 95 % interval from the tickets themselves and a
// verdict in words, as a table and as a chart. It follows the data session
// while open.

#include "analysis/benchmark.h"
#include "benchmark/benchmark_model.h"
#include "widgets/child_window.h"
#include "widgets/period_boxes.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tamrel {

class DataSession;
class IntervalChart;
class Messages;

class BenchmarkWindow : public ChildWindow {
  Q_OBJECT
 public:
  BenchmarkWindow(const DataSession& session, Messages& messages, QWidget* parent = nullptr);
  ~BenchmarkWindow() override;

  QComboBox* dimensionChooser() const { return dimensionChooser_; }
  QTableView* table() const { return table_; }
  IntervalChart* chart() const { return chart_; }
  const BenchmarkModel& model() const { return model_; }
  Period period() const { return periodBoxes_.period(); }

  QSize sizeHint() const override;
  std::optional<PrintPage> printPage() const override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showData() override { recompute(); }

 private:
  void buildLayout();
  void recompute();

  const DataSession& session_;
  Messages& messages_;
  BenchmarkModel model_;
  QComboBox* dimensionChooser_ = nullptr;
  PeriodBoxes periodBoxes_;
  QTableView* table_ = nullptr;
  IntervalChart* chart_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace tamrel
