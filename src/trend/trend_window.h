#pragma once
// 収支推移: the year day by day. The figures of the chosen period at the top,
// the year as twelve month calendars coloured by each racing day's profit, the
// chosen day's bet types beside the curve of day profits and 累積利益, and
// the year and period choosers. It follows the data session, so a posting or
// a switch of data directory redraws it while it is open.

#include <QString>
#include <map>

#include "analysis/trend.h"
#include "widgets/child_window.h"
#include "widgets/period_boxes.h"

class QComboBox;
class QLabel;
class QListWidget;
class QTableView;

namespace tamrel {

class DataSession;
class DayBetsModel;
class Messages;
class TrendCalendar;
class TrendChart;
class ValueBox;

class TrendWindow : public ChildWindow {
  Q_OBJECT
 public:
  TrendWindow(const DataSession& session, Messages& messages, QWidget* parent = nullptr);

  const TrendFigures& figures() const { return figures_; }
  // Fits the work area of the main window at its opening size.
  QSize sizeHint() const override { return {1010, 620}; }

  // The year the calendar is first drawn for in the session's data
  // directory: the one chosen there before, else the year the racing days
  // most likely fall in.
  static int defaultYear(const DataSession& session);

  // The figures, the chosen day's bet types, the calendars and the curve.
  std::optional<PrintPage> printPage() const override;

 protected:
  void showData() override { refresh(); }

 private:
  QWidget* buildFigures();
  QWidget* buildChoosers();
  QWidget* buildDayPanel();
  // Figures, calendar, curve and the chosen day again from the data.
  void refresh();
  void showFigures();
  void showDay();
  void chooseDay(int month, int day);
  void yearChosen();
  int year() const;
  Period period() const;

  const DataSession& session_;
  Messages& messages_;
  TrendFigures figures_;
  bool overflowShown_ = false;
  std::optional<TrendDate> day_;

  std::map<QString, ValueBox*> boxes_;  // by caption
  QComboBox* year_ = nullptr;           // entry i is the year 2000 + i
  PeriodBoxes periodBoxes_;
  TrendCalendar* calendar_ = nullptr;
  QListWidget* missingDays_ = nullptr;
  QLabel* missingCaption_ = nullptr;
  QLabel* dayCaption_ = nullptr;
  DayBetsModel* dayModel_ = nullptr;
  QTableView* dayTable_ = nullptr;
  TrendChart* chart_ = nullptr;
};

}  // namespace tamrel
