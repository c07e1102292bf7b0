#pragma once
// "ﾃﾞｰﾀ入れ替え": choosing the directory whose data files the program goes on
// with. The window only chooses; its opener saves before opening it, and
// loads from the chosen directory when told.

#include <QString>

#include "widgets/child_window.h"

class QModelIndex;
class QPushButton;
class QTreeView;

namespace tamrel {

class ValueBox;

class SwitchWindow : public ChildWindow {
  Q_OBJECT
 public:
  // The tree opens at `startDir` (or the nearest parent still there), which
  // `Text1` shows until the user moves.
  explicit SwitchWindow(const QString& startDir, QWidget* parent = nullptr);

  // The directory `Text1` shows, in the platform's own notation.
  QString chosenDirectory() const;

  QSize sizeHint() const override { return {520, 460}; }

 signals:
  // "完了" with the directory of `Text1`. The opener closes this window once
  // it has switched; it may refuse and leave the window open.
  void completed(const QString& dir);

 private:
  // The directory of a row of the tree, '/' separators.
  static QString pathOf(const QModelIndex& index);
  void showDirectory(const QModelIndex& index);
  void followStartDirectory(const QString& loadedPath);

  QString startDir_;  // absolute, '/' separators
  QTreeView* dirList_ = nullptr;
  ValueBox* text1_ = nullptr;
  QPushButton* yesCmd_ = nullptr;
  QPushButton* noCmd_ = nullptr;
};

}  // namespace tamrel
