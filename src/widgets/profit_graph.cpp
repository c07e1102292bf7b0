#include "widgets/profit_graph.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QCloseEvent>
#include <QFrame>
#include <QGraphicsItem>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "widgets/image_export.h"
#include "widgets/look.h"

namespace tamrel {

namespace {

const QColor kProfitColour(0x2a, 0x6f, 0xc9);  // blue: the point made money
const QColor kLossColour(0xd6, 0x3a, 0x3a);    // red: it lost
// Of the space of one point.
constexpr qreal kBarWidth = 0.6;
// More points than this leave no room for a label each: the axis would only
// show a row of "…", at great cost to lay out and draw. Every k-th point is
// named instead, about kAxisLabels of them; each bar's tooltip names it.
constexpr std::size_t kMaxLabelledPoints = 60;
constexpr std::size_t kAxisLabels = 10;

// Yen amounts read the Japanese way whatever the process locale is.
QLocale yenLocale() { return QLocale(QLocale::Japanese, QLocale::Japan); }

// Every how many points a name stands under the axis: 1, 2 or 5 times a power
// of ten, so that the named points are easy to count between.
std::size_t labelStep(std::size_t count) {
  for (std::size_t power = 1;; power *= 10) {
    for (const std::size_t factor : {1, 2, 5}) {
      if (count <= factor * power * kAxisLabels) return factor * power;
    }
  }
}

// The bars of many points, painted in one go. As graphics items of their
// own, two per point, a thousand year folders' bars took longer to make, lay
// out and paint than a frame; the chart's axes, legend and zero line stay.
class ManyBars : public QGraphicsItem {
 public:
  ManyBars(QChart* chart, std::vector<std::optional<std::int32_t>> values, const QValueAxis* axis)
      : QGraphicsItem(chart), chart_(chart), values_(std::move(values)), axis_(axis) {
    // Over the grid and shades, under the zero line and the legend.
    setZValue(3.5);
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [this] { prepareGeometryChange(); });
  }

  QRectF boundingRect() const override { return chart_->plotArea(); }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    const QRectF plot = chart_->plotArea();
    const double span = axis_->max() - axis_->min();
    if (values_.empty() || plot.isEmpty() || span <= 0) return;
    const double column = plot.width() / static_cast<double>(values_.size());
    const auto yOf = [&](double v) {
      return plot.bottom() - (v - axis_->min()) / span * plot.height();
    };
    const double zero = yOf(0);
    QList<QRectF> gains;
    QList<QRectF> losses;
    for (std::size_t i = 0; i < values_.size(); ++i) {
      if (!values_[i] || *values_[i] == 0) continue;
      const double left = plot.left() + (static_cast<double>(i) + 0.5 - kBarWidth / 2) * column;
      const double top = yOf(*values_[i]);
      (*values_[i] > 0 ? gains : losses)
          << QRectF(QPointF(left, std::min(top, zero)),
                    QPointF(left + kBarWidth * column, std::max(top, zero)));
    }
    painter->save();
    painter->setClipRect(plot);
    painter->setPen(QPen(kProfitColour.darker(130), 0));
    painter->setBrush(kProfitColour);
    painter->drawRects(gains);
    painter->setPen(QPen(kLossColour.darker(130), 0));
    painter->setBrush(kLossColour);
    painter->drawRects(losses);
    painter->restore();
  }

 private:
  QChart* chart_;
  std::vector<std::optional<std::int32_t>> values_;
  const QValueAxis* axis_;
};

QChart* newChart() {
  auto* c = new QChart;
  c->setFont(uiFont());
  c->setAnimationOptions(QChart::NoAnimation);
  c->setLocale(yenLocale());
  c->setLocalizeNumbers(true);
  c->legend()->setAlignment(Qt::AlignBottom);
  c->legend()->setFont(uiFont());
  return c;
}

}  // namespace

ProfitGraph::ProfitGraph(QWidget* parent) : QChartView(newChart(), parent) {
  setObjectName(QStringLiteral("Graph1"));
  setRenderHint(QPainter::Antialiasing);
}

QAbstractAxis* ProfitGraph::pointAxis() const {
  const auto axes = chart()->axes(Qt::Horizontal);
  return axes.isEmpty() ? nullptr : axes.front();
}

QStringList ProfitGraph::axisLabels() const {
  if (auto* named = qobject_cast<QCategoryAxis*>(pointAxis())) {
    return named->categoriesLabels();
  }
  if (auto* all = qobject_cast<QBarCategoryAxis*>(pointAxis())) {
    return all->categories();
  }
  return {};
}

void ProfitGraph::setPoints(std::vector<ProfitPoint> points) {
  points_ = std::move(points);
  // Filled before the view shows it: a chart without a size lays out
  // nothing, so its bars are made and placed once, when the view takes it,
  // not again at each axis or series attached.
  QChart* c = newChart();

  QList<qreal> gains;
  QList<qreal> losses;
  gains.reserve(static_cast<qsizetype>(points_.size()));
  losses.reserve(static_cast<qsizetype>(points_.size()));
  std::int64_t low = 0;
  std::int64_t high = 0;
  for (const ProfitPoint& p : points_) {
    const std::int32_t v = p.value.value_or(0);
    // Each point has its bar in one set and 0 in the other, so a stacked
    // series draws one bar per point in the colour of its sign.
    gains << (v >= 0 ? v : 0);
    losses << (v < 0 ? v : 0);
    low = std::min<std::int64_t>(low, v);
    high = std::max<std::int64_t>(high, v);
  }
  profit_ = new QBarSet(QStringLiteral("利益"));
  loss_ = new QBarSet(QStringLiteral("損失"));
  profit_->setColor(kProfitColour);
  profit_->setBorderColor(kProfitColour.darker(130));
  loss_->setColor(kLossColour);
  loss_->setBorderColor(kLossColour.darker(130));
  const bool many = points_.size() > kMaxLabelledPoints;
  if (!many) {
    profit_->append(gains);
    loss_->append(losses);
  }
  auto* series = new QStackedBarSeries;
  series->setBarWidth(kBarWidth);
  series->append(profit_);
  series->append(loss_);
  c->addSeries(series);

  QAbstractAxis* axisX = nullptr;
  if (!many) {
    auto* all = new QBarCategoryAxis;
    QStringList labels;
    labels.reserve(static_cast<qsizetype>(points_.size()));
    for (const ProfitPoint& p : points_) labels << p.label;
    all->append(labels);
    axisX = all;
  } else {
    // The named points stand under their bars; the axis reads points as
    // numbers from -0.5, as the bars are laid out.
    auto* named = new QCategoryAxis;
    named->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    named->setRange(-0.5, static_cast<double>(points_.size()) - 0.5);
    named->setStartValue(-0.5);
    const std::size_t step = labelStep(points_.size());
    for (std::size_t i = 0; i < points_.size(); i += step) {
      named->append(points_[i].label.trimmed(), static_cast<double>(i));
    }
    axisX = named;
  }
  axisX->setLabelsFont(uiFont());
  axisX->setGridLineVisible(false);
  c->addAxis(axisX, Qt::AlignBottom);
  series->attachAxis(axisX);

  axisY_ = new QValueAxis;
  // The axis always holds 0, so a bar is always measured from the zero line.
  if (low == 0 && high == 0) high = 1000;
  axisY_->setRange(static_cast<double>(low), static_cast<double>(high));
  axisY_->applyNiceNumbers();
  // With localised numbers a format needs a precision, or labels stay blank.
  // Each label carries the unit: an axis title would stand on its side.
  axisY_->setLabelFormat(QStringLiteral("%.0f円"));
  axisY_->setLabelsFont(uiFont());
  c->addAxis(axisY_, Qt::AlignLeft);
  series->attachAxis(axisY_);

  auto* zero = new QLineSeries;
  zero->append(-0.5, 0.0);
  zero->append(static_cast<double>(points_.size()) - 0.5, 0.0);
  QPen pen(QColor(0x30, 0x30, 0x30));
  pen.setWidthF(1.5);
  zero->setPen(pen);
  c->addSeries(zero);
  zero->attachAxis(axisX);
  zero->attachAxis(axisY_);
  for (QLegendMarker* marker : c->legend()->markers(zero)) marker->setVisible(false);
  if (many) {
    std::vector<std::optional<std::int32_t>> values;
    values.reserve(points_.size());
    for (const ProfitPoint& p : points_) values.push_back(p.value);
    new ManyBars(c, std::move(values), axisY_);
  }

  // The view lets go of the chart it showed without deleting it.
  QChart* old = chart();
  setChart(c);
  delete old;
}

// The column of point i: the bar's width over the whole plot, so that a
// bar too short to aim at, or a point without one, still tells its value.
QRectF ProfitGraph::columnRect(int i) const {
  QChart* c = chart();
  const auto series = c->series();
  if (i < 0 || i >= pointCount() || series.isEmpty()) return {};
  const QRectF plot = c->plotArea();
  const qreal half = kBarWidth / 2;
  const qreal left = c->mapToPosition({i - half, 0.0}, series.front()).x();
  const qreal right = c->mapToPosition({i + half, 0.0}, series.front()).x();
  const QRectF inChart(QPointF(left, plot.top()), QPointF(right, plot.bottom()));
  return mapFromScene(c->mapToScene(inChart)).boundingRect();
}

int ProfitGraph::pointAt(QPoint pos) const {
  for (int i = 0; i < pointCount(); ++i) {
    if (columnRect(i).contains(pos)) return i;
  }
  return -1;
}

// Tooltips come from the pointer resting, as everywhere else on the desktop.
// The graphics view would answer the same event by hiding any tooltip that
// no scene item carries, so the graph answers it itself.
bool ProfitGraph::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QChartView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const int i = pointAt(help->pos());
  if (i < 0) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(help->globalPos(), tipText(i), viewport(), columnRect(i).toRect());
  }
  return true;
}

QString ProfitGraph::tipText(int i) const {
  if (i < 0 || i >= pointCount()) return {};
  const ProfitPoint& p = point(i);
  const QString value =
      p.value ? yenLocale().toString(*p.value) + QStringLiteral("円") : QStringLiteral("－");
  return p.label.trimmed() + QStringLiteral("： ") + value;
}

std::optional<PrintPage> ProfitGraphWindow::printPage() const {
  PrintPage page{windowTitle(), QString(), {}, {graph_}};
  TableText figures{{QString(), QStringLiteral("利益金額")}};
  for (int i = 0; i < graph_->pointCount(); ++i) {
    const ProfitPoint& p = graph_->point(i);
    figures << QStringList{
        p.label.trimmed(),
        p.value ? yenLocale().toString(*p.value) + QStringLiteral("円") : QStringLiteral("－")};
  }
  page.tables << figures;
  return page;
}

ProfitGraphWindow::ProfitGraphWindow(const DataSession& session, Messages& messages,
                                     const QString& name, const QString& caption,
                                     std::vector<ProfitPoint> points, std::function<void()> closed,
                                     QWidget* parent)
    : ChildWindow(parent), closed_(std::move(closed)) {
  setObjectName(name);
  setWindowTitle(caption);
  setFont(uiFont());

  graph_ = new ProfitGraph(this);
  graph_->setPoints(std::move(points));
  graph_->setAccessibleName(caption);
  installImageExport(graph_, session, ownMessages(messages), caption);

  auto* bar = new QFrame(this);
  bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* close = new QPushButton(QStringLiteral("閉じる"), bar);
  close->setObjectName(QStringLiteral("Close3d1"));
  close->setAccessibleName(QStringLiteral("閉じる"));
  auto* barLayout = new QHBoxLayout(bar);
  barLayout->addStretch(1);
  barLayout->addWidget(close);
  connect(close, &QPushButton::clicked, this, &ChildWindow::closeWindow);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(graph_, 1);
  layout->addWidget(bar);
  setMinimumSize(480, 320);
}

void ProfitGraphWindow::showData() {
  if (source_) graph_->setPoints(source_());
}

void ProfitGraphWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (closed_) closed_();
}

}  // namespace tamrel
