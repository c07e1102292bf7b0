#pragma once
// The curve of the year: each racing day's profit as a bar (blue up, red
// down) and 累積利益 as a line over the racing days in date order, labelled
// by month; the peak and trough of the largest fall and the chosen day are
// marked, and hovering tells a day's figures.
//
// The bars are drawn as two filled areas, not as one item per bar, so a full
// year costs no more to build than an empty one.

#include <QChartView>
#include <optional>
#include <vector>

#include "analysis/trend.h"

class QAreaSeries;
class QCategoryAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace tamrel {

class TrendChart : public QChartView {
  Q_OBJECT
 public:
  explicit TrendChart(QWidget* parent = nullptr);

  void setFigures(const TrendFigures& figures, int year);
  // Marks the racing day on `date`; nothing when it is no racing day.
  void markDay(std::optional<TrendDate> date);
  // Why there is no curve, over the empty plot; empty for none.
  void setRefusal(const QString& text);
  QString refusal() const;

  // Points in chart values: x is the racing day's place in date order, the
  // start (before the first racing day) is -0.5.
  const QLineSeries* cumulativeLine() const { return cumulative_; }
  const QScatterSeries* drawdownMarks() const { return drawdown_; }
  const QScatterSeries* dayMark() const { return dayMark_; }
  QString tipText(int index) const;

 private:
  void fillBars();
  void fillAxes();
  // The value axis's steps for the figures' range and the plot's height.
  void fitValueAxis();
  void hover(const QPointF& point, bool state);

  std::vector<TrendDay> days_;
  int year_ = 2000;
  double low_ = 0;
  double high_ = 0;
  QLineSeries* profitEdge_ = nullptr;
  QLineSeries* lossEdge_ = nullptr;
  QLineSeries* zero_ = nullptr;
  QLineSeries* cumulative_ = nullptr;
  QScatterSeries* drawdown_ = nullptr;
  QScatterSeries* dayMark_ = nullptr;
  QCategoryAxis* axisX_ = nullptr;
  QValueAxis* axisY_ = nullptr;
};

}  // namespace tamrel
