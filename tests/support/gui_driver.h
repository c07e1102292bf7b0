#pragma once
// Driving the real windows in tests: controls found by object name, clicked
// with the mouse, drop-down entries chosen as a user would.

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>
#include <QWidget>

namespace tamrel::testdata {

template <typename T = QWidget>
T* named(QWidget* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

inline bool click(QWidget* parent, const char* name) {
  QWidget* w = named(parent, name);
  if (w == nullptr) return false;
  QTest::mouseClick(w, Qt::LeftButton);
  return true;
}

// Clicks the list open and picks the item in it with the keyboard.
inline bool choose(QWidget* parent, const char* name, int index) {
  auto* list = named<QComboBox>(parent, name);
  if (list == nullptr) return false;
  QTest::mouseClick(list, Qt::LeftButton);
  QAbstractItemView* view = list->view();
  if (!QTest::qWaitFor([&] { return view->isVisible(); })) return false;
  view->setCurrentIndex(view->model()->index(index, 0));
  QTest::keyClick(view, Qt::Key_Return);
  return QTest::qWaitFor([&] { return !view->isVisible(); }) && list->currentIndex() == index;
}

}  // namespace tamrel::testdata
