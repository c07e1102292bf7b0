#pragma once
// "日別統計情報": one day slot per bet type, the last step of the drill-down.
// Corrections are made in the daily entry window, as its notice says.

#include "browse/browse_window.h"

namespace tamrel {

class ValueBox;

class DayBrowse : public BrowseWindow {
  Q_OBJECT
 public:
  static inline const QString kName = QStringLiteral("DBlowse");

  // Shows day `day` of `month` for as long as it stays open.
  DayBrowse(const DataSession& session, Messages& messages, int month, int day,
            QWidget* parent = nullptr);

  int month() const { return month_; }
  int day() const { return day_; }

 protected:
  Period printPeriod() const override { return {month_, day_, month_, day_}; }
  bool fillFigures() override;

 private:
  int month_;
  int day_;
  ValueBox* tuk_ = nullptr;
  ValueBox* hi_ = nullptr;
};

}  // namespace tamrel
