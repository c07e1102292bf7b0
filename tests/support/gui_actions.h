#pragma once
// What a user does with the mouse and keyboard that takes more than one
// QTest call: clicking a control found by its object name, a double-click as
// item views see it, and picking an entry of a drop-down list.

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

namespace tamrel::gui {

template <typename T = QWidget>
T* named(QWidget* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

// Clicks the control `name` of `parent`; false when there is none.
inline bool click(QWidget* parent, const char* name) {
  QWidget* w = named(parent, name);
  if (w == nullptr) return false;
  QTest::mouseClick(w, Qt::LeftButton);
  return true;
}

// The event sequence of a real double-click: QTest::mouseDClick alone sends
// only the double-click event, which item views ignore without the press.
inline void doubleClick(QWidget* widget, QPoint pos) {
  QTest::mousePress(widget, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

// Clicks the list `name` of `parent` open and picks entry `index` in it with
// the keyboard; true when the list then shows that entry.
inline bool choose(QWidget* parent, const QString& name, int index) {
  auto* list = parent->findChild<QComboBox*>(name);
  if (list == nullptr) return false;
  QTest::mouseClick(list, Qt::LeftButton);
  QAbstractItemView* view = list->view();
  if (!QTest::qWaitFor([&] { return view->isVisible(); })) return false;
  view->setCurrentIndex(view->model()->index(index, 0));
  QTest::keyClick(view, Qt::Key_Return);
  return QTest::qWaitFor([&] { return !view->isVisible(); }) && list->currentIndex() == index;
}

}  // namespace tamrel::gui
