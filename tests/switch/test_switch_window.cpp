// The switch window on its own: the directory tree, what Text1 shows, the
// focus, and what 完了 and 取消 report.

#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "support/dir_tree.h"
#include "support/window_fit.h"
#include "switch/switch_window.h"
#include "widgets/child_window.h"

using namespace tamrel;
using testdata::clickInTree;

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }

QString pathOf(const QModelIndex& index) {
  return index.data(QFileSystemModel::FilePathRole).toString();
}

// A temporary directory with the subdirectories a, b and b/c and one file,
// and the switch window opened on it in a work area.
struct Harness {
  QTemporaryDir root;
  QMdiArea area;
  SwitchWindow* window = nullptr;
  QMdiSubWindow* frame = nullptr;

  explicit Harness(const QString& start = QString()) {
    QDir dir(root.path());
    dir.mkpath(QStringLiteral("a"));
    dir.mkpath(QStringLiteral("b/c"));
    QFile file(dir.filePath(QStringLiteral("tosidata.dat")));
    file.open(QIODevice::WriteOnly);
    area.resize(900, 700);
    area.show();
    window = new SwitchWindow(start.isEmpty() ? root.path() : start);
    frame = openChildWindow(area, window);
  }
  QString path(const QString& relative) const { return QDir(root.path()).filePath(relative); }
  template <typename T = QWidget>
  T* get(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  QTreeView* tree() const { return get<QTreeView>("DirList"); }
  QString text1() const { return get<QLineEdit>("Text1")->text(); }
  bool activate() {
    area.activateWindow();
    return QTest::qWaitForWindowActive(&area);
  }
};

}  // namespace

class TestSwitchWindow : public QObject {
  Q_OBJECT

 private slots:
  void startsAtGivenDirectory() {
    Harness h;
    QCOMPARE(h.window->objectName(), QStringLiteral("FUpdate"));
    QCOMPARE(h.frame->windowTitle(), QStringLiteral("ﾃﾞｰﾀ入れ替え"));
    QCOMPARE(h.frame->pos(), QPoint(0, 0));
    QCOMPARE(h.get<QLabel>("Label1")->text(), QStringLiteral("ﾃﾞｰﾀﾌｧｲﾙのﾃﾞｨﾚｸﾄﾘを指定して下さい"));
    QCOMPARE(h.get<QPushButton>("YesCmd")->text(), QStringLiteral("完了"));
    QCOMPARE(h.get<QPushButton>("NoCmd")->text(), QStringLiteral("取消"));
    QVERIFY(h.get<QLineEdit>("Text1")->isReadOnly());

    QCOMPARE(h.text1(), native(h.root.path()));
    QCOMPARE(pathOf(h.tree()->currentIndex()), QDir::cleanPath(h.root.path()));
    QVERIFY(h.tree()->isExpanded(h.tree()->currentIndex()));
    // The whole window fits in the main window's work area, every caption
    // whole.
    QVERIFY(h.frame->width() <= 1000 && h.frame->height() <= 650);
    QCOMPARE(testdata::layoutFaults(h.window), QStringList{});
  }

  void listsDirectoriesOnly() {
    QTemporaryDir root;
    for (const char* name : {"e", "B", "a", "d"}) QVERIFY(QDir(root.path()).mkdir(name));
    QFile file(QDir(root.path()).filePath(QStringLiteral("info.dat")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    Harness h(root.path());
    // Held across the tree's background reading and sorting.
    const QPersistentModelIndex start = h.tree()->currentIndex();
    const QAbstractItemModel* model = h.tree()->model();
    QTRY_COMPARE(model->rowCount(start), 4);
    // By name, whatever order they were read in.
    QStringList names;
    for (int row = 0; row < 4; ++row) names << model->index(row, 0, start).data().toString();
    QCOMPARE(names, (QStringList{"a", "B", "d", "e"}));
    // Only the names are shown.
    for (int column = 1; column < model->columnCount(); ++column)
      QVERIFY(h.tree()->isColumnHidden(column));
  }

  void text1FollowsTree_data() {
    QTest::addColumn<QStringList>("clicks");  // relative to the start directory
    QTest::newRow("a subdirectory") << QStringList{"a"};
    QTest::newRow("one level down, then the next") << QStringList{"b", "b/c"};
    QTest::newRow("back to the start") << QStringList{"a", "."};
    QTest::newRow("the parent") << QStringList{".."};
  }

  void text1FollowsTree() {
    QFETCH(QStringList, clicks);
    Harness h;
    QVERIFY(h.activate());
    for (const QString& relative : clicks) {
      QVERIFY2(clickInTree(h.tree(), QDir::cleanPath(h.path(relative))), qPrintable(relative));
      // Opening it shows what lies below and leaves it chosen.
      QTest::keyClick(h.tree(), Qt::Key_Plus);
      QCOMPARE(h.text1(), native(h.path(relative)));
    }
  }

  void text1PassesFocusToYesCmd() {
    Harness h;
    QVERIFY(h.activate());
    auto* text1 = h.get<QLineEdit>("Text1");
    QTest::mouseClick(text1, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), h.get("YesCmd"));
    QVERIFY(!text1->hasFocus());
  }

  void tabOrderReachesEveryControl() {
    Harness h;
    QVERIFY(h.activate());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(h.tree()));
    // Text1 is display only: Tab passes it by, like the value boxes.
    const char* const chain[] = {"YesCmd", "NoCmd", "DirList"};
    for (const char* name : chain) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), h.get(name));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), h.get("NoCmd"));
  }

  void accessibleNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("Label1") << "Label1"
                            << "データファイルのディレクトリを指定して下さい";
    QTest::newRow("DirList") << "DirList"
                             << "データファイルのディレクトリ";
    QTest::newRow("Text1") << "Text1"
                           << "指定したディレクトリ";
    QTest::newRow("YesCmd") << "YesCmd"
                            << "完了";
    QTest::newRow("NoCmd") << "NoCmd"
                           << "取消";
  }

  void accessibleNames() {
    QFETCH(QString, name);
    QFETCH(QString, spoken);
    Harness h;
    auto* control = h.window->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->accessibleName(), spoken);
  }

  void yesReportsChosenDirectory() {
    Harness h;
    QVERIFY(h.activate());
    QSignalSpy spy(h.window, &SwitchWindow::completed);
    QVERIFY(clickInTree(h.tree(), h.path("b")));
    QTest::mouseClick(h.get("YesCmd"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.front().front().toString(), native(h.path("b")));
    QCOMPARE(h.window->chosenDirectory(), native(h.path("b")));
    // The opener closes it once it has switched.
    QVERIFY(h.frame->isVisible());
  }

  void noClosesWithoutReport() {
    Harness h;
    QVERIFY(h.activate());
    QSignalSpy spy(h.window, &SwitchWindow::completed);
    QVERIFY(clickInTree(h.tree(), h.path("a")));
    QTest::mouseClick(h.get("NoCmd"), Qt::LeftButton);
    QTRY_VERIFY(h.area.subWindowList().isEmpty());
    QCOMPARE(spy.count(), 0);
  }

  void missingStartDirectory() {
    QTemporaryDir parent;
    const QString start = parent.filePath(QStringLiteral("gone/deeper"));
    Harness h(start);
    QVERIFY(h.activate());
    // The nearest directory still there.
    QCOMPARE(h.text1(), native(parent.path()));
    QCOMPARE(pathOf(h.tree()->currentIndex()), QDir::cleanPath(parent.path()));
  }
};

QTEST_MAIN(TestSwitchWindow)
#include "test_switch_window.moc"
