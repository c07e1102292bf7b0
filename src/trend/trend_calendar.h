#pragma once
// The year as twelve small month calendars (columns 日 .. 土). Each racing
// day's cell is coloured by its profit -- blue for a profit, red for a loss,
// stronger the larger the amount against the year's largest day profit, grey
// for profit 0 -- and hovering a day tells its figures. A click, or the arrow
// keys, choose a day. With a 予算, each month's caption carries a line of
// its stake against the month's limit (red once passed), and the days of a
// 節 that passed its limit are framed in red.

#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "analysis/budget.h"
#include "analysis/trend.h"

namespace tamrel {

class TrendCalendar : public QWidget {
  Q_OBJECT
 public:
  explicit TrendCalendar(QWidget* parent = nullptr);

  // The year whose calendar is drawn and the racing days to colour.
  void setYear(int year);
  void setDays(const std::vector<TrendDay>& days);
  int year() const { return year_; }
  // Where the year stands against the 予算, found on this calendar's year.
  void setBudget(const BudgetStanding& standing);
  // Whether `date` belongs to a 節 that passed its limit.
  bool overBudget(TrendDate date) const;
  // The month's stake against its limit, as its caption's tip says it;
  // empty without a month limit.
  QString monthBudgetText(int month) const;

  std::optional<TrendDate> selectedDay() const { return selected_; }
  // Chooses `date` (announced by daySelected) or clears the choice.
  void selectDay(std::optional<TrendDate> date);

  // Where a day of the year's calendar is drawn; empty for a day the
  // calendar lacks.
  QRect dayRect(TrendDate date) const;
  // The fill of a day's cell; invalid (no fill) for a day without racing.
  QColor dayColour(TrendDate date) const;
  QString tipText(TrendDate date) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 signals:
  void daySelected(int month, int day);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  static constexpr int kMonthColumns = 6;
  static constexpr int kSlots = 12 * kSlotsPerMonth;
  static int slotOf(TrendDate date) { return (date.month - 1) * kSlotsPerMonth + date.day - 1; }

  const TrendDay* dayAt(TrendDate date) const;
  QRect monthRect(int month) const;
  std::optional<TrendDate> dateAt(const QPoint& pos) const;
  // The month whose caption is at `pos`; 0 for none.
  int captionAt(const QPoint& pos) const;
  void paintMonth(QPainter& painter, int month) const;
  void paintMonthBudget(QPainter& painter, int month) const;
  void measure();

  int year_ = 2000;
  std::vector<TrendDay> days_;
  std::array<int, kSlots> dayIndex_{};  // index into days_, -1 for no racing
  std::int64_t largestProfit_ = 0;      // the largest absolute day profit
  std::optional<TrendDate> selected_;
  std::array<BudgetLine, 12> monthBudget_{};
  std::array<bool, kSlots> overBudget_{};
  int cellWidth_ = 0;
  int cellHeight_ = 0;
};

}  // namespace tamrel
