#include "switch/switch_window.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

#include "widgets/look.h"

namespace tamrel {

namespace {

// The directory itself, or the nearest of its parents still there when it
// has gone.
QString existingDirectory(const QString& dir) {
  QString path = QDir::cleanPath(QDir(dir).absolutePath());
  while (!QFileInfo(path).isDir()) {
    const QString parent = QFileInfo(path).path();
    if (parent == path) break;
    path = parent;
  }
  return path;
}

}  // namespace

SwitchWindow::SwitchWindow(const QString& startDir, QWidget* parent)
    : ChildWindow(parent), startDir_(existingDirectory(startDir)) {
  setObjectName(QStringLiteral("FUpdate"));
  setWindowTitle(QStringLiteral("ﾃﾞｰﾀ入れ替え"));
  setFont(uiFont());

  auto* label1 = new QLabel(QStringLiteral("ﾃﾞｰﾀﾌｧｲﾙのﾃﾞｨﾚｸﾄﾘを指定して下さい"), this);
  label1->setObjectName(QStringLiteral("Label1"));
  // Spoken in full-width kana: a screen reader may spell half-width kana
  // out sign by sign.
  label1->setAccessibleName(label1->text().normalized(QString::NormalizationForm_KC));

  auto* model = new QFileSystemModel(this);
  model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  // The start directory is read first; the rest of the tree as it is opened.
  model->setRootPath(startDir_);
  // The file-system model keeps directories in the order it read them; the
  // tree lists them by name, also those read later.
  auto* sorted = new QSortFilterProxyModel(this);
  sorted->setSourceModel(model);
  sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
  sorted->sort(0, Qt::AscendingOrder);

  dirList_ = new QTreeView(this);
  dirList_->setObjectName(QStringLiteral("DirList"));
  dirList_->setAccessibleName(QStringLiteral("データファイルのディレクトリ"));
  dirList_->setModel(sorted);
  dirList_->setHeaderHidden(true);
  // Only the names: size, kind and date say nothing about a directory here.
  for (int column = 1; column < sorted->columnCount(); ++column) dirList_->hideColumn(column);
  dirList_->setSelectionMode(QAbstractItemView::SingleSelection);
  dirList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  dirList_->setUniformRowHeights(true);
  label1->setBuddy(dirList_);

  text1_ = new ValueBox(this);
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setAccessibleName(QStringLiteral("指定したディレクトリ"));
  text1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Display only: Tab passes it by, and a click hands the focus to "完了".
  text1_->setFocusPolicy(Qt::ClickFocus);
  text1_->setFocusTarget([this] { return yesCmd_; });
  text1_->setText(QDir::toNativeSeparators(startDir_));

  yesCmd_ = commandButton(QStringLiteral("YesCmd"), QStringLiteral("完了"), this);
  noCmd_ = commandButton(QStringLiteral("NoCmd"), QStringLiteral("取消"), this);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(yesCmd_);
  buttons->addWidget(noCmd_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label1);
  layout->addWidget(dirList_, 1);
  layout->addWidget(text1_);
  layout->addLayout(buttons);

  setTabOrder(dirList_, yesCmd_);
  setTabOrder(yesCmd_, noCmd_);

  connect(dirList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &SwitchWindow::showDirectory);
  connect(model, &QFileSystemModel::directoryLoaded, this, &SwitchWindow::followStartDirectory);
  connect(yesCmd_, &QPushButton::clicked, this, [this] { emit completed(chosenDirectory()); });
  connect(noCmd_, &QPushButton::clicked, this, &ChildWindow::closeWindow);

  const QModelIndex start = sorted->mapFromSource(model->index(startDir_));
  if (start.isValid()) {
    dirList_->setCurrentIndex(start);
    dirList_->expand(start);
    dirList_->scrollTo(start, QAbstractItemView::PositionAtCenter);
  }
  dirList_->setFocus();
}

QString SwitchWindow::chosenDirectory() const { return text1_->text(); }

QString SwitchWindow::pathOf(const QModelIndex& index) {
  return index.data(QFileSystemModel::FilePathRole).toString();
}

void SwitchWindow::showDirectory(const QModelIndex& index) {
  // A directory that vanishes takes the tree's current item with it; the
  // last directory shown stays, rather than an empty path that would mean
  // the working directory.
  if (!index.isValid()) return;
  text1_->setText(QDir::toNativeSeparators(pathOf(index)));
}

void SwitchWindow::followStartDirectory(const QString& loadedPath) {
  // The tree fills in the background: each directory read on the way to the
  // start one moves it down, so it is brought back into view, until the user
  // has moved elsewhere.
  const QModelIndex current = dirList_->currentIndex();
  if (!current.isValid() || pathOf(current) != startDir_) return;
  const QString loaded = QDir::cleanPath(QDir::fromNativeSeparators(loadedPath));
  if (startDir_.startsWith(loaded)) {
    dirList_->scrollTo(current, QAbstractItemView::PositionAtCenter);
  }
}

}  // namespace tamrel
