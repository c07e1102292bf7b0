#pragma once
// "月別統計情報": one month per bet type, and day by day over its 31 day
// slots; a double-click on a day opens its day browse.

#include "browse/browse_window.h"

namespace tamrel {

class ValueBox;

class MonthBrowse : public BrowseWindow {
  Q_OBJECT
 public:
  static inline const QString kName = QStringLiteral("MBlowse");

  // Shows `month` (1..12) for as long as it stays open.
  MonthBrowse(const DataSession& session, Messages& messages, int month, QWidget* parent = nullptr);

  int month() const { return month_; }

 protected:
  Period printPeriod() const override { return {month_, 1, month_, 31}; }
  bool fillFigures() override;
  void openRow(int row) override;

 private:
  int month_;
  ValueBox* tuk_ = nullptr;
};

}  // namespace tamrel
