#pragma once
// A chart of estimates with their intervals: each group's value as a point,
// its interval as a vertical bar through it, and a reference value per group
// joined as a line. Values are fractions and shown as percentages.

#include <QChartView>

class QCategoryAxis;
class QValueAxis;
#include <QString>
#include <optional>
#include <vector>

namespace tamrel {

struct IntervalPoint {
  QString label;
  std::optional<double> value;
  std::optional<double> low;
  std::optional<double> high;
  std::optional<double> reference;
};

class IntervalChart : public QChartView {
  Q_OBJECT
 public:
  // `valueName` and `referenceName` are the legend's captions.
  IntervalChart(const QString& valueName, const QString& referenceName, QWidget* parent = nullptr);

  void setPoints(const std::vector<IntervalPoint>& points);
  const std::vector<IntervalPoint>& points() const { return points_; }

 private:
  QString valueName_;
  QString referenceName_;
  std::vector<IntervalPoint> points_;
  // Made once: axes made afresh on each redraw leave their labels no room.
  QCategoryAxis* xAxis_ = nullptr;
  QValueAxis* yAxis_ = nullptr;
};

}  // namespace tamrel
