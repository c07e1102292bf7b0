#include "analysis/tab_strip.h"

#include <QPainter>
#include <QStackedWidget>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

namespace tamrel {

namespace {

// The pages, framed the way a tab control frames its pages.
class PagePane : public QStackedWidget {
 public:
  explicit PagePane(QWidget* parent) : QStackedWidget(parent) {
    setFrameShape(QFrame::NoFrame);
    setContentsMargins(3, 3, 3, 3);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.rect = rect();
    option.shape = QTabBar::RoundedNorth;
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, this);
  }
};

}  // namespace

TabStrip::TabStrip(int tabsPerRow, QWidget* parent)
    : QWidget(parent), perRow_(std::max(tabsPerRow, 1)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  rowLayout_ = new QVBoxLayout;
  rowLayout_->setSpacing(0);
  layout->addLayout(rowLayout_);
  pages_ = new PagePane(this);
  layout->addWidget(pages_, 1);
}

QTabBar* TabStrip::newRow() {
  auto* bar = new QTabBar(this);
  bar->setObjectName(objectName() + QStringLiteral("Row%1").arg(rows_.size() + 1));
  bar->setExpanding(true);
  bar->setUsesScrollButtons(false);
  bar->setDrawBase(false);
  bar->setElideMode(Qt::ElideNone);
  bar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // A row without the selected tab selects this hidden, disabled tab, so
  // that it shows no tab as selected and the keys never reach it.
  const int rest = bar->addTab(QString());
  bar->setTabVisible(rest, false);
  bar->setTabEnabled(rest, false);
  connect(bar, &QTabBar::currentChanged, this, [this, bar](int place) { rowChanged(bar, place); });
  rows_.push_back(bar);
  rowLayout_->addWidget(bar);
  return bar;
}

void TabStrip::setRowAccessibleName(std::size_t row, const QString& name) {
  if (row >= rows_.size()) return;
  QTabBar* bar = rows_[row];
  bar->setAccessibleName(name);
  bar->setAccessibleTabName(bar->count() - 1, name);
}

int TabStrip::addTab(QWidget* page, const QString& caption, const QString& accessibleName) {
  const int index = count_;
  const std::size_t row = static_cast<std::size_t>(index / perRow_);
  QTabBar* bar = row < rows_.size() ? rows_[row] : newRow();
  const QSignalBlocker quiet(bar);
  // Inserted before the hidden tab: the row's selection stays on the tab it
  // was on.
  const int place = bar->insertTab(bar->count() - 1, caption);
  bar->setAccessibleTabName(place, accessibleName);
  pages_->addWidget(page);
  ++count_;
  if (current_ < 0) {
    setCurrentIndex(index);
  } else {
    placeRows();
  }
  return index;
}

QString TabStrip::tabText(int index) const {
  QTabBar* bar = barOf(index);
  return bar != nullptr ? bar->tabText(placeInBar(index)) : QString();
}

QWidget* TabStrip::page(int index) const { return pages_->widget(index); }

QTabBar* TabStrip::barOf(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  return rows_[static_cast<std::size_t>(index / perRow_)];
}

int TabStrip::placeInBar(int index) const { return index % perRow_; }

void TabStrip::setCurrentIndex(int index) {
  if (index < 0 || index >= count_ || index == current_) return;
  current_ = index;
  for (QTabBar* bar : rows_) {
    const QSignalBlocker quiet(bar);
    bar->setCurrentIndex(bar == barOf(index) ? placeInBar(index) : bar->count() - 1);
  }
  pages_->setCurrentIndex(index);
  placeRows();
  emit currentChanged(index);
}

void TabStrip::rowChanged(QTabBar* bar, int place) {
  if (place < 0 || place >= bar->count() - 1) return;
  const auto row = std::find(rows_.begin(), rows_.end(), bar) - rows_.begin();
  setCurrentIndex(static_cast<int>(row) * perRow_ + place);
}

// The rows follow each other in turn, the selected tab's row last.
void TabStrip::placeRows() {
  const std::size_t n = rows_.size();
  const std::size_t selected = static_cast<std::size_t>(current_ / perRow_);
  for (std::size_t i = 0; i < n; ++i) {
    QTabBar* bar = rows_[(selected + 1 + i) % n];
    rowLayout_->removeWidget(bar);
    rowLayout_->insertWidget(static_cast<int>(i), bar);
  }
}

}  // namespace tamrel
