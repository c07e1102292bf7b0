#include "trend/trend_calendar.h"

#include <QDate>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cstdlib>

#include "trend/trend_texts.h"
#include "widgets/core_text.h"

namespace tamrel {

namespace {

constexpr int kMargin = 4;
const QColor kNeutral(0xc8, 0xc8, 0xc8);  // profit 0, or a profit that could not be computed

// From a pale tint (a small amount) to the full colour (the year's largest).
QColor strengthOf(const QColor& full, double share) {
  const double t = 0.2 + 0.8 * std::clamp(share, 0.0, 1.0);
  const auto mix = [t](int c) { return static_cast<int>(255 + (c - 255) * t); };
  return QColor(mix(full.red()), mix(full.green()), mix(full.blue()));
}

// Dark text on a pale fill, white on a strong one.
QColor textOn(const QColor& fill) {
  return fill.lightnessF() < 0.6 ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace

TrendCalendar::TrendCalendar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Calendar"));
  setAccessibleName(QStringLiteral("カレンダー"));
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
  dayIndex_.fill(-1);
  measure();
}

void TrendCalendar::setYear(int year) {
  year_ = year;
  update();
}

void TrendCalendar::setDays(const std::vector<TrendDay>& days) {
  days_ = days;
  dayIndex_.fill(-1);
  largestProfit_ = 0;
  for (std::size_t i = 0; i < days_.size(); ++i) {
    dayIndex_[static_cast<std::size_t>(slotOf(days_[i].date))] = static_cast<int>(i);
    if (days_[i].profit) {
      largestProfit_ = std::max(largestProfit_, std::abs(std::int64_t{*days_[i].profit}));
    }
  }
  if (selected_) setAccessibleDescription(tipText(*selected_));
  update();
}

void TrendCalendar::selectDay(std::optional<TrendDate> date) {
  if (selected_ == date) return;
  selected_ = date;
  // A screen reader learns the chosen day's figures, as hovering shows them.
  setAccessibleDescription(date ? tipText(*date) : QString());
  update();
  if (date) emit daySelected(date->month, date->day);
}

void TrendCalendar::setBudget(const BudgetStanding& standing) {
  monthBudget_ = standing.months;
  overBudget_.fill(false);
  for (const SetsuStanding& setsu : standing.setsu) {
    if (!setsu.line.passed()) continue;
    for (const TrendDate& d : setsu.setsu.days)
      overBudget_[static_cast<std::size_t>(slotOf(d))] = true;
  }
  update();
}

bool TrendCalendar::overBudget(TrendDate date) const {
  return overBudget_[static_cast<std::size_t>(slotOf(date))];
}

QString TrendCalendar::monthBudgetText(int month) const {
  const BudgetLine& line = monthBudget_[static_cast<std::size_t>(month - 1)];
  if (!line.limit) return {};
  const auto yen = [](std::optional<std::int32_t> v) {
    return v ? fromCore(formatYen(*v)) : QStringLiteral("－");
  };
  QString text = QStringLiteral("%1月の予算: 投資 %2 / 上限 %3")
                     .arg(month)
                     .arg(yen(line.stake), yen(line.limit));
  if (line.left) {
    text += line.passed() ? QStringLiteral("（%1 超過）").arg(yen(-*line.left))
                          : QStringLiteral("（残り %1）").arg(yen(*line.left));
  }
  return text;
}

const TrendDay* TrendCalendar::dayAt(TrendDate date) const {
  const int i = dayIndex_[static_cast<std::size_t>(slotOf(date))];
  return i >= 0 ? &days_[static_cast<std::size_t>(i)] : nullptr;
}

void TrendCalendar::measure() {
  const QFontMetrics fm(font());
  cellWidth_ = std::max(fm.horizontalAdvance(QStringLiteral("00")),
                        fm.horizontalAdvance(QStringLiteral("日"))) +
               8;
  cellHeight_ = fm.height() + 1;
  updateGeometry();
}

QSize TrendCalendar::sizeHint() const {
  const QRect last = monthRect(12);
  return {last.right() + kMargin + 1, last.bottom() + kMargin + 1};
}

// A month: its caption row, the weekday row and six week rows.
QRect TrendCalendar::monthRect(int month) const {
  const int width = 7 * cellWidth_;
  const int height = 8 * cellHeight_;
  const int gap = cellWidth_ / 2;
  const int column = (month - 1) % kMonthColumns;
  const int row = (month - 1) / kMonthColumns;
  return {kMargin + column * (width + gap), kMargin + row * (height + gap), width, height};
}

QRect TrendCalendar::dayRect(TrendDate date) const {
  const QDate day(year_, date.month, date.day);
  if (!day.isValid()) return {};
  const int firstColumn = QDate(year_, date.month, 1).dayOfWeek() % 7;  // Sunday first
  const int at = firstColumn + date.day - 1;
  const QRect month = monthRect(date.month);
  return {month.left() + (at % 7) * cellWidth_, month.top() + (2 + at / 7) * cellHeight_,
          cellWidth_, cellHeight_};
}

std::optional<TrendDate> TrendCalendar::dateAt(const QPoint& pos) const {
  for (int month = 1; month <= 12; ++month) {
    if (!monthRect(month).contains(pos)) continue;
    for (int day = 1; day <= kSlotsPerMonth; ++day) {
      if (dayRect({month, day}).contains(pos)) return TrendDate{month, day};
    }
  }
  return std::nullopt;
}

QColor TrendCalendar::dayColour(TrendDate date) const {
  const TrendDay* day = dayAt(date);
  if (day == nullptr) return {};
  if (!day->profit || *day->profit == 0 || largestProfit_ == 0) return kNeutral;
  const double share =
      std::abs(static_cast<double>(*day->profit)) / static_cast<double>(largestProfit_);
  return strengthOf(*day->profit > 0 ? kTrendProfitColour : kTrendLossColour, share);
}

QString TrendCalendar::tipText(TrendDate date) const {
  const TrendDay* day = dayAt(date);
  QString tip = day != nullptr ? dayTipText(*day, year_) : dateWithWeekday(date, year_);
  if (overBudget(date)) tip += QStringLiteral("\n予算を超えた節");
  return tip;
}

int TrendCalendar::captionAt(const QPoint& pos) const {
  for (int month = 1; month <= 12; ++month) {
    const QRect area = monthRect(month);
    if (QRect(area.left(), area.top(), area.width(), cellHeight_).contains(pos)) return month;
  }
  return 0;
}

void TrendCalendar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  for (int month = 1; month <= 12; ++month) paintMonth(painter, month);
  if (selected_) {
    const QRect cell = dayRect(*selected_);
    if (!cell.isEmpty()) {
      painter.setPen(QPen(palette().text().color(), 2));
      painter.drawRect(cell.adjusted(1, 1, -1, -1));
    }
  }
}

void TrendCalendar::paintMonth(QPainter& painter, int month) const {
  const QRect area = monthRect(month);
  const QColor text = palette().text().color();
  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(text);
  painter.drawText(QRect(area.left(), area.top(), area.width(), cellHeight_), Qt::AlignCenter,
                   QStringLiteral("%1月").arg(month));
  painter.setFont(font());
  static const QString kWeekdays = QStringLiteral("日月火水木金土");
  for (int c = 0; c < 7; ++c) {
    painter.setPen(c == 0 ? kTrendLossColour : c == 6 ? kTrendProfitColour : text);
    painter.drawText(
        QRect(area.left() + c * cellWidth_, area.top() + cellHeight_, cellWidth_, cellHeight_),
        Qt::AlignCenter, kWeekdays.at(c));
  }
  for (int day = 1; day <= QDate(year_, month, 1).daysInMonth(); ++day) {
    const QRect cell = dayRect({month, day});
    const QColor fill = dayColour({month, day});
    if (fill.isValid()) painter.fillRect(cell.adjusted(1, 1, -1, -1), fill);
    painter.setPen(fill.isValid() ? textOn(fill) : text);
    painter.drawText(cell, Qt::AlignCenter, QString::number(day));
    if (overBudget({month, day})) {
      painter.setPen(QPen(kTrendLossColour, 1, Qt::DashLine));
      painter.drawRect(cell.adjusted(0, 0, -1, -1));
    }
  }
  paintMonthBudget(painter, month);
}

// A line under the month's caption: as long as the caption for the limit,
// filled as far as the stake, red once the limit is passed.
void TrendCalendar::paintMonthBudget(QPainter& painter, int month) const {
  const BudgetLine& line = monthBudget_[static_cast<std::size_t>(month - 1)];
  if (!line.limit || !line.stake) return;
  const QRect area = monthRect(month);
  const QRect track(area.left() + 2, area.top() + cellHeight_ - 3, area.width() - 4, 2);
  painter.fillRect(track, kNeutral);
  const double share = *line.limit > 0 ? static_cast<double>(*line.stake) / *line.limit
                                       : (*line.stake > 0 ? 1.0 : 0.0);
  QRect done = track;
  done.setWidth(static_cast<int>(track.width() * std::clamp(share, 0.0, 1.0)));
  painter.fillRect(done, line.passed() ? kTrendLossColour : kTrendProfitColour);
}

void TrendCalendar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  if (const auto date = dateAt(event->position().toPoint())) selectDay(date);
}

// Left/Right a day, Up/Down a week, within the year's calendar.
void TrendCalendar::keyPressEvent(QKeyEvent* event) {
  const int step = event->key() == Qt::Key_Left    ? -1
                   : event->key() == Qt::Key_Right ? 1
                   : event->key() == Qt::Key_Up    ? -7
                   : event->key() == Qt::Key_Down  ? 7
                                                   : 0;
  if (step == 0) return QWidget::keyPressEvent(event);
  QDate from(year_, 1, 1);
  if (selected_ && QDate(year_, selected_->month, selected_->day).isValid()) {
    from = QDate(year_, selected_->month, selected_->day).addDays(step);
  }
  if (from.year() == year_) selectDay(TrendDate{from.month(), from.day()});
}

bool TrendCalendar::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (const auto date = dateAt(help->pos())) {
      QToolTip::showText(help->globalPos(), tipText(*date), this, dayRect(*date));
    } else if (const int month = captionAt(help->pos());
               month > 0 && !monthBudgetText(month).isEmpty()) {
      QToolTip::showText(help->globalPos(), monthBudgetText(month), this);
    } else {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  return QWidget::event(event);
}

void TrendCalendar::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) measure();
  QWidget::changeEvent(event);
}

}  // namespace tamrel
