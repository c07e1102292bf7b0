#include "trend/trend_chart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QFontMetricsF>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "trend/trend_texts.h"
#include "widgets/look.h"

namespace tamrel {

namespace {

constexpr double kHalfBar = 0.35;
const QColor kDrawdownColour(0xe0, 0x8a, 0x00);

// The least step of 1, 2 or 5 times a power of ten that spans `low`..`high`
// (0 between them) from 0 in at most `most` steps.
double valueStep(double low, double high, int most) {
  const double raw = (high - low) / most;
  for (double power = std::pow(10.0, std::floor(std::log10(raw)));; power *= 10) {
    for (const double factor : {1.0, 2.0, 5.0}) {
      const double step = factor * power;
      if (std::ceil(high / step) - std::floor(low / step) <= most) return step;
    }
  }
}

void hideFromLegend(QChart* chart, QAbstractSeries* series) {
  for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(false);
}

QAreaSeries* barArea(QChart* chart, QLineSeries* edge, QLineSeries* zero, const QString& name,
                     const QColor& colour) {
  auto* area = new QAreaSeries(edge, zero);
  area->setName(name);
  area->setColor(colour);
  area->setBorderColor(colour);
  chart->addSeries(area);
  return area;
}

}  // namespace

TrendChart::TrendChart(QWidget* parent) : QChartView(parent) {
  setObjectName(QStringLiteral("Curve"));
  setAccessibleName(QStringLiteral("収支推移グラフ"));
  setRenderHint(QPainter::Antialiasing);
  QChart* c = chart();
  c->setFont(uiFont());
  c->setAnimationOptions(QChart::NoAnimation);
  c->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  c->setLocalizeNumbers(true);
  c->legend()->setAlignment(Qt::AlignBottom);
  c->legend()->setFont(uiFont());
  c->setMargins(QMargins(4, 4, 4, 4));
  QFont titleFont = uiFont();
  titleFont.setBold(true);
  c->setTitleFont(titleFont);
  c->setTitleBrush(kTrendLossColour);

  profitEdge_ = new QLineSeries(this);
  lossEdge_ = new QLineSeries(this);
  zero_ = new QLineSeries;
  QAreaSeries* profits = barArea(c, profitEdge_, zero_, QStringLiteral("利益"), kTrendProfitColour);
  QAreaSeries* losses = barArea(c, lossEdge_, zero_, QStringLiteral("損失"), kTrendLossColour);
  c->addSeries(zero_);
  zero_->setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
  hideFromLegend(c, zero_);

  cumulative_ = new QLineSeries;
  cumulative_->setName(QStringLiteral("累積利益"));
  cumulative_->setPen(QPen(QColor(0x20, 0x20, 0x20), 2));
  c->addSeries(cumulative_);

  drawdown_ = new QScatterSeries;
  drawdown_->setName(QStringLiteral("最大ドローダウン"));
  drawdown_->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
  drawdown_->setMarkerSize(12);
  drawdown_->setColor(kDrawdownColour);
  c->addSeries(drawdown_);

  dayMark_ = new QScatterSeries;
  dayMark_->setName(QStringLiteral("選択した日"));
  dayMark_->setMarkerSize(11);
  dayMark_->setColor(QColor(Qt::white));
  dayMark_->setBorderColor(QColor(Qt::black));
  c->addSeries(dayMark_);

  axisX_ = new QCategoryAxis;
  axisX_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  axisX_->setLabelsFont(uiFont());
  axisX_->setGridLineVisible(false);
  c->addAxis(axisX_, Qt::AlignBottom);
  axisY_ = new QValueAxis;
  // With localised numbers a format needs a precision, or labels stay blank.
  axisY_->setLabelFormat(QStringLiteral("%.0f円"));
  axisY_->setTickType(QValueAxis::TicksDynamic);
  axisY_->setLabelsFont(uiFont());
  // Qt elides a label to "..." once the ticks stand closer than about a
  // line; the steps below are chosen so they never do, and a sum is never
  // worth less than its digits.
  axisY_->setTruncateLabels(false);
  c->addAxis(axisY_, Qt::AlignLeft);
  for (QAbstractSeries* s : c->series()) {
    s->attachAxis(axisX_);
    s->attachAxis(axisY_);
  }
  for (QXYSeries* s : {static_cast<QXYSeries*>(cumulative_), static_cast<QXYSeries*>(drawdown_),
                       static_cast<QXYSeries*>(dayMark_)}) {
    connect(s, &QXYSeries::hovered, this, &TrendChart::hover);
  }
  for (QAreaSeries* area : {profits, losses}) {
    connect(area, &QAreaSeries::hovered, this, &TrendChart::hover);
  }
  // Queued: the steps change the labels, and with them the layout that
  // reports the plot's height.
  connect(c, &QChart::plotAreaChanged, this, &TrendChart::fitValueAxis, Qt::QueuedConnection);
}

void TrendChart::setFigures(const TrendFigures& figures, int year) {
  days_ = figures.days;
  year_ = year;
  // The axes first: a change of range redraws every series already filled.
  fillAxes();
  fillBars();
  QList<QPointF> line;
  for (std::size_t i = 0; i < days_.size(); ++i) {
    // A running profit that could not be computed ends the line there.
    if (!days_[i].cumulative) break;
    line.append({static_cast<double>(i), static_cast<double>(*days_[i].cumulative)});
  }
  cumulative_->replace(line);
  QList<QPointF> marks;
  if (figures.maxDrawdown && figures.maxDrawdown->amount > 0) {
    const auto placeOf = [this](const std::optional<TrendDate>& date) {
      for (std::size_t i = 0; date && i < days_.size(); ++i) {
        if (days_[i].date == *date) return QPointF(double(i), double(*days_[i].cumulative));
      }
      return QPointF(-0.5, 0.0);  // the start
    };
    marks << placeOf(figures.maxDrawdown->peak) << placeOf(figures.maxDrawdown->trough);
  }
  drawdown_->replace(marks);
  dayMark_->clear();
}

// Each bar is a rectangle in the outline of its area; between bars the
// outline runs along the zero line.
void TrendChart::fillBars() {
  QList<QPointF> up, down;
  for (std::size_t i = 0; i < days_.size(); ++i) {
    if (!days_[i].profit || *days_[i].profit == 0) continue;
    const double x = static_cast<double>(i);
    const double p = *days_[i].profit;
    QList<QPointF>& edge = p > 0 ? up : down;
    edge << QPointF(x - kHalfBar, 0) << QPointF(x - kHalfBar, p) << QPointF(x + kHalfBar, p)
         << QPointF(x + kHalfBar, 0);
  }
  const double end = static_cast<double>(days_.size()) - 0.5;
  for (QList<QPointF>* edge : {&up, &down}) {
    edge->prepend(QPointF(-0.5, 0));
    edge->append(QPointF(end, 0));
  }
  profitEdge_->replace(up);
  lossEdge_->replace(down);
  zero_->replace({QPointF(-0.5, 0), QPointF(end, 0)});
}

void TrendChart::fillAxes() {
  for (const QString& label : axisX_->categoriesLabels()) axisX_->remove(label);
  low_ = 0;
  high_ = 0;
  const auto n = static_cast<double>(days_.size());
  for (std::size_t i = 0; i < days_.size(); ++i) {
    const TrendDay& d = days_[i];
    for (const auto& v : {d.profit, d.cumulative}) {
      low_ = std::min(low_, double(v.value_or(0)));
      high_ = std::max(high_, double(v.value_or(0)));
    }
    // A month's label stands over its racing days.
    const bool lastOfMonth = i + 1 == days_.size() || days_[i + 1].date.month != d.date.month;
    if (lastOfMonth) axisX_->append(QStringLiteral("%1月").arg(d.date.month), double(i) + 0.5);
  }
  axisX_->setStartValue(-0.5);
  axisX_->setRange(-0.5, std::max(n - 0.5, 0.5));
  if (low_ == 0 && high_ == 0) high_ = 1000;
  fitValueAxis();
}

void TrendChart::fitValueAxis() {
  // At most four steps, fewer where the plot is too low for their labels to
  // stand a line and a half apart: the curve is short, and labels that
  // crowd into one another cannot be read.
  const double line = QFontMetricsF(axisY_->labelsFont()).height();
  const double plotHeight = chart()->plotArea().height();
  const int most =
      plotHeight > 0 ? std::clamp(static_cast<int>(plotHeight / (1.5 * line)), 1, 4) : 4;
  const double step = valueStep(low_, high_, most);
  const double from = std::floor(low_ / step) * step;
  const double to = std::ceil(high_ / step) * step;
  if (step == axisY_->tickInterval() && from == axisY_->min() && to == axisY_->max()) return;
  axisY_->setTickAnchor(0);
  axisY_->setTickInterval(step);
  axisY_->setRange(from, to);
}

void TrendChart::markDay(std::optional<TrendDate> date) {
  dayMark_->clear();
  for (std::size_t i = 0; date && i < days_.size(); ++i) {
    if (days_[i].date == *date) {
      dayMark_->append(double(i), double(days_[i].cumulative.value_or(0)));
      break;
    }
  }
}

void TrendChart::setRefusal(const QString& text) {
  chart()->setTitle(text);
  setAccessibleDescription(text);
}

QString TrendChart::refusal() const { return chart()->title(); }

QString TrendChart::tipText(int index) const {
  if (index < 0 || index >= static_cast<int>(days_.size())) return {};
  const TrendDay& day = days_[static_cast<std::size_t>(index)];
  return dayTipText(day, year_) + QStringLiteral(" 累積利益 ") + yenText(day.cumulative);
}

void TrendChart::hover(const QPointF& point, bool state) {
  const QString text = state ? tipText(static_cast<int>(std::lround(point.x()))) : QString();
  if (text.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(QCursor::pos(), text, this);
  }
}

}  // namespace tamrel
