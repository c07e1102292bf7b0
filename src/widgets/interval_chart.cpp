#include "widgets/interval_chart.h"

#include <QCategoryAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "widgets/look.h"

namespace tamrel {

namespace {

const QColor kPointColour(0x1f, 0x5f, 0xa8);
const QColor kReferenceColour(0xc0, 0x30, 0x30);

}  // namespace

IntervalChart::IntervalChart(const QString& valueName, const QString& referenceName,
                             QWidget* parent)
    : QChartView(parent), valueName_(valueName), referenceName_(referenceName) {
  setRenderHint(QPainter::Antialiasing);
  QChart* c = chart();
  c->setFont(uiFont());
  c->setAnimationOptions(QChart::NoAnimation);
  c->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  c->legend()->setAlignment(Qt::AlignBottom);
  c->legend()->setFont(uiFont());
  c->setMargins(QMargins(4, 4, 4, 4));
  xAxis_ = new QCategoryAxis;
  xAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  xAxis_->setLabelsFont(uiFont());
  yAxis_ = new QValueAxis;
  yAxis_->setLabelFormat(QStringLiteral("%.0f"));
  yAxis_->setTickType(QValueAxis::TicksDynamic);
  yAxis_->setLabelsFont(uiFont());
  yAxis_->setTitleText(QStringLiteral("%"));
  yAxis_->setTitleFont(uiFont());
  c->addAxis(xAxis_, Qt::AlignBottom);
  c->addAxis(yAxis_, Qt::AlignLeft);
  setPoints({});
}

void IntervalChart::setPoints(const std::vector<IntervalPoint>& points) {
  points_ = points;
  QChart* c = chart();
  // Few groups and few redraws: the series are made afresh.
  c->removeAllSeries();
  for (const QString& label : xAxis_->categoriesLabels()) xAxis_->remove(label);
  const int n = static_cast<int>(points.size());
  xAxis_->setRange(-0.5, std::max(n, 1) - 0.5);
  for (int i = 0; i < n; ++i) xAxis_->append(points[static_cast<std::size_t>(i)].label, i);
  QCategoryAxis* xAxis = xAxis_;
  QValueAxis* yAxis = yAxis_;

  double top = 100;
  const auto attach = [&](QAbstractSeries* series) {
    c->addSeries(series);
    series->attachAxis(xAxis);
    series->attachAxis(yAxis);
  };
  auto* reference = new QLineSeries;
  reference->setName(referenceName_);
  reference->setPen(QPen(kReferenceColour, 2, Qt::DashLine));
  auto* values = new QScatterSeries;
  values->setName(valueName_);
  values->setColor(kPointColour);
  values->setBorderColor(kPointColour);
  values->setMarkerSize(9);
  for (int i = 0; i < n; ++i) {
    const IntervalPoint& p = points[static_cast<std::size_t>(i)];
    if (p.reference) {
      reference->append(i, *p.reference * 100);
      top = std::max(top, *p.reference * 100);
    }
    if (p.value) {
      values->append(i, *p.value * 100);
      top = std::max(top, *p.value * 100);
    }
    if (p.low && p.high) {
      auto* bar = new QLineSeries;
      bar->setPen(QPen(kPointColour, 2));
      bar->append(i, *p.low * 100);
      bar->append(i, *p.high * 100);
      top = std::max(top, *p.high * 100);
      attach(bar);
      for (QLegendMarker* marker : c->legend()->markers(bar)) marker->setVisible(false);
    }
  }
  attach(reference);
  attach(values);
  // Round steps, no more than eight of them, up to the first above the
  // highest figure: closer labels would not fit beside the chart.
  double step = 25;
  while (top / step > 8) step *= 2;
  yAxis->setTickAnchor(0);
  yAxis->setTickInterval(step);
  yAxis->setRange(0, std::ceil(top / step) * step);
}

}  // namespace tamrel
