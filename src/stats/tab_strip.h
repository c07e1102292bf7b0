#pragma once
// A tab control whose tabs sit in rows of a fixed number each, so that every
// tab shows at once without scrolling. Tabs keep one index 0 .. count-1
// across the rows, and the rows keep their places whichever tab is chosen: a
// user aiming at a tab finds it where it was. The strip is one stop of the
// Tab key (the row holding the chosen tab, which shows the focus frame), and
// Left/Right walk through all the tabs in order, from row to row.

#include <QWidget>
#include <vector>

class QTabBar;
class QStackedWidget;
class QVBoxLayout;

namespace tamrel {

class TabStrip : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int currentIndex READ currentIndex WRITE setCurrentIndex NOTIFY currentChanged)

 public:
  explicit TabStrip(int tabsPerRow, QWidget* parent = nullptr);

  // Adds a tab showing `page`; the first tab added becomes the current one.
  int addTab(QWidget* page, const QString& caption, const QString& accessibleName);

  int count() const { return count_; }
  int currentIndex() const { return current_; }
  void setCurrentIndex(int index);

  QString tabText(int index) const;
  QWidget* page(int index) const;

  // Where tab `index` is drawn: its row's bar and its place in that bar.
  QTabBar* barOf(int index) const;
  int placeInBar(int index) const;
  // Names row `row` for a screen reader. A row without the selected tab has
  // its hidden tab current, which is what a reader speaks for it.
  void setRowAccessibleName(std::size_t row, const QString& name);
  // The rows, first row first, as they are drawn from the top.
  const std::vector<QTabBar*>& rows() const { return rows_; }

  // Makes the tab `steps` away current (negative: to the left), stopping at
  // the first and the last tab.
  void step(int steps);

 signals:
  void currentChanged(int index);

 private:
  QTabBar* newRow();
  void rowChanged(QTabBar* bar, int place);
  void updateFocusStop(bool keepFocus);

  int perRow_;
  int count_ = 0;
  int current_ = -1;
  std::vector<QTabBar*> rows_;
  QVBoxLayout* rowLayout_ = nullptr;
  QStackedWidget* pages_ = nullptr;
};

}  // namespace tamrel
