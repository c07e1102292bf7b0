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

  // Shows the state's current month; the opener has already counted it.
  MonthBrowse(AppState& state, Messages& messages, QWidget* parent = nullptr);

  int month() const { return month_; }

 protected:
  bool fillFigures() override;
  void openRow(int row) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  int month_;
  ValueBox* tuk_ = nullptr;
};

}  // namespace tamrel
