#pragma once
// A bar graph of profit over N labelled points (one data set), and the small
// child window that shows one: the graph above, "閉じる" below.
//
// Profits and losses are drawn in two colours from a zero line; the value axis
// always includes 0 and reads in yen with digit grouping; hovering a bar tells
// its exact value. A point without a value (it could not be computed) has no
// bar.

#include <QChartView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "widgets/child_window.h"

class QAbstractAxis;
class QBarSet;
class QValueAxis;

namespace tamrel {

class DataSession;
class Messages;

struct ProfitPoint {
  QString label;
  std::optional<std::int32_t> value;
};

class ProfitGraph : public QChartView {
  Q_OBJECT
 public:
  explicit ProfitGraph(QWidget* parent = nullptr);

  void setPoints(std::vector<ProfitPoint> points);

  int pointCount() const { return static_cast<int>(points_.size()); }
  const ProfitPoint& point(int i) const { return points_[static_cast<std::size_t>(i)]; }
  // The bar heights as drawn: the profit set holds values >= 0, the loss set
  // values < 0; a point shows in at most one of them. With more points than
  // fit a label each the graph paints the bars itself and the sets, there
  // for the legend, hold none.
  const QBarSet* profitBars() const { return profit_; }
  const QBarSet* lossBars() const { return loss_; }
  const QValueAxis* valueAxis() const { return axisY_; }
  // The axis under the bars, and the names it shows: every point's, or with
  // too many points for that every k-th.
  QAbstractAxis* pointAxis() const;
  QStringList axisLabels() const;

  // What the tooltip of point i reads.
  QString tipText(int i) const;
  // The point whose column holds `pos` (viewport coordinates); -1 for none.
  int pointAt(QPoint pos) const;

 protected:
  bool viewportEvent(QEvent* event) override;

 private:
  QRectF columnRect(int i) const;

  std::vector<ProfitPoint> points_;
  QBarSet* profit_ = nullptr;
  QBarSet* loss_ = nullptr;
  QValueAxis* axisY_ = nullptr;
};

// A profit graph window: `Graph1` over a bottom bar with "閉じる"
// (`Close3d1`). It is built with its figures and, given a source, follows the
// data: each followData() takes the points from the source again. However it
// is closed, the `closed` hook runs so that its opener can clear its flag.
// The graph's context menu saves it as a picture, never over a file of
// `session`'s year (failures told through `messages`).
class ProfitGraphWindow : public ChildWindow {
  Q_OBJECT
 public:
  ProfitGraphWindow(const DataSession& session, Messages& messages, const QString& name,
                    const QString& caption, std::vector<ProfitPoint> points,
                    std::function<void()> closed, QWidget* parent = nullptr);

  ProfitGraph* graph() const { return graph_; }
  // The graph, and its figures as a table under it.
  std::optional<PrintPage> printPage() const override;
  QSize sizeHint() const override { return {720, 460}; }

  // Where followData() takes the points from.
  using PointSource = std::function<std::vector<ProfitPoint>()>;
  void setPointSource(PointSource source) { source_ = std::move(source); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showData() override;

 private:
  ProfitGraph* graph_ = nullptr;
  std::function<void()> closed_;
  PointSource source_;
};

}  // namespace tamrel
