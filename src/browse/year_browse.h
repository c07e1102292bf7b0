#pragma once
// "総合統計情報": the whole year per bet type, and month by month; a
// double-click on a month opens its month browse, "グラフ表示" the monthly
// profit graph.

#include "browse/browse_window.h"

class QMdiArea;

namespace tamrel {

class YearBrowse : public BrowseWindow {
  Q_OBJECT
 public:
  static inline const QString kName = QStringLiteral("Fblowse");
  static inline const QString kGraphName = QStringLiteral("FGrapher1");

  YearBrowse(const DataSession& session, Messages& messages, QWidget* parent = nullptr);

  // While the monthly graph is open it comes back in front of this window.
  void activated() override;

 protected:
  bool fillFigures() override;
  void openRow(int row) override;

 private:
  void showMonthGraph();
};

// Closes the month browse and the day browse if they are open; a new year
// browse starts without them.
void closeMonthAndDayBrowse(const QMdiArea& area);

}  // namespace tamrel
