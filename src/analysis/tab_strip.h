#pragma once
// A tab control whose tabs sit in rows of a fixed number each, so that every
// tab shows at once without scrolling. The row holding the selected tab is
// drawn next to the pages, as multi-row tab controls do; tabs keep one index
// 0 .. count-1 across the rows.

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
  // The rows, first row first (whatever order they are drawn in).
  const std::vector<QTabBar*>& rows() const { return rows_; }

 signals:
  void currentChanged(int index);

 private:
  QTabBar* newRow();
  void rowChanged(QTabBar* bar, int place);
  void placeRows();

  int perRow_;
  int count_ = 0;
  int current_ = -1;
  std::vector<QTabBar*> rows_;
  QVBoxLayout* rowLayout_ = nullptr;
  QStackedWidget* pages_ = nullptr;
};

}  // namespace tamrel
