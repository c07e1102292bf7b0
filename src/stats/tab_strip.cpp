#include "stats/tab_strip.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QStyleOptionFocusRect>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWheelEvent>
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

// A row whose arrow keys and wheel move through the whole strip, not only
// through the row.
class RowBar : public QTabBar {
 public:
  RowBar(TabStrip* strip) : QTabBar(strip), strip_(strip) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const int key = event->key();
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    if (key != Qt::Key_Left && key != Qt::Key_Right) return QTabBar::keyPressEvent(event);
    strip_->step((key == Qt::Key_Right) != rightToLeft ? 1 : -1);
  }
  // Styles that show focus only after the Tab key leave a clicked row
  // without a frame; the arrow keys work there all the same, so the frame
  // always shows where they act.
  void paintEvent(QPaintEvent* event) override {
    QTabBar::paintEvent(event);
    if (!hasFocus() || !isTabVisible(currentIndex())) return;
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.state |= QStyle::State_KeyboardFocusChange;
    const int inset = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 2;
    frame.rect = tabRect(currentIndex()).adjusted(inset, inset, -inset, -inset);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
  }
  void wheelEvent(QWheelEvent* event) override {
    const int delta =
        event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (delta != 0) strip_->step(delta > 0 ? -1 : 1);
    event->accept();
  }

 private:
  TabStrip* strip_;
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
  auto* bar = new RowBar(this);
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
    updateFocusStop(false);
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
  updateFocusStop(true);
  emit currentChanged(index);
}

void TabStrip::rowChanged(QTabBar* bar, int place) {
  if (place < 0 || place >= bar->count() - 1) return;
  const auto row = std::find(rows_.begin(), rows_.end(), bar) - rows_.begin();
  setCurrentIndex(static_cast<int>(row) * perRow_ + place);
}

void TabStrip::step(int steps) {
  if (count_ > 0) setCurrentIndex(std::clamp(current_ + steps, 0, count_ - 1));
}

// Only the row holding the chosen tab takes the focus by the Tab key: the
// others show no current tab to frame. A click still focuses any row, as it
// chooses a tab there. Where a row had the focus, the chosen tab's row takes
// it over, so the keys go on from the tab just chosen.
void TabStrip::updateFocusStop(bool keepFocus) {
  QTabBar* chosen = barOf(current_);
  bool hadFocus = false;
  for (QTabBar* bar : rows_) {
    hadFocus = hadFocus || bar->hasFocus();
    bar->setFocusPolicy(bar == chosen ? Qt::StrongFocus : Qt::ClickFocus);
  }
  if (keepFocus && hadFocus && chosen != nullptr) chosen->setFocus(Qt::TabFocusReason);
}

}  // namespace tamrel
