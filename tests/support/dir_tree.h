#pragma once
// Clicking a directory in the switch window's tree ("DirList") as a user
// would, once the tree has read it.

#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTreeView>

namespace tamrel::testdata {

// Scrolls `path` into view and clicks it; false when the tree never shows it
// or the click did not make it the current directory.
inline bool clickInTree(QTreeView* tree, const QString& path) {
  auto* sorted = qobject_cast<QSortFilterProxyModel*>(tree->model());
  auto* model = qobject_cast<QFileSystemModel*>(sorted ? sorted->sourceModel() : tree->model());
  if (model == nullptr) return false;
  QModelIndex index;
  QRect rect;
  // The tree reads directories in the background; an item is laid out only
  // once its parent's listing has arrived.
  const bool shown = QTest::qWaitFor([&] {
    index = model->index(path);
    if (sorted != nullptr) index = sorted->mapFromSource(index);
    if (!index.isValid()) return false;
    tree->scrollTo(index);
    rect = tree->visualRect(index);
    return !rect.isEmpty();
  });
  if (!shown) {
    qWarning("clickInTree: %s is not shown", qPrintable(path));
    return false;
  }
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
  return tree->currentIndex() == index;
}

}  // namespace tamrel::testdata
