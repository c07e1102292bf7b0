#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <utility>

#include "support/scripted_messages.h"
#include "widgets/child_window.h"

using tamrel::ChildWindow;
using tamrel::Messages;
using tamrel::openChildWindow;
using tamrel::ScriptedMessages;

namespace {

// Counts what the shell calls and can refuse to close, as a window with
// unsaved work would.
class ProbeWindow : public ChildWindow {
 public:
  explicit ProbeWindow(const QString& title, int* closes = nullptr) : closes_(closes) {
    setWindowTitle(title);
    setObjectName(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QPushButton(QStringLiteral("閉じる"), this));
    setMinimumSize(240, 160);
  }
  void activated() override { ++activations; }

  int activations = 0;
  bool refuseClose = false;

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (closes_ != nullptr) ++*closes_;
    if (refuseClose) {
      event->ignore();
    } else {
      event->accept();
    }
  }

 private:
  int* closes_;
};

// A view that counts its showings of the data; a showing may tell
// something through the window's own messages.
class CountingView : public ChildWindow {
 public:
  int shown = 0;
  std::function<void()> whileShowing;

 protected:
  void showData() override {
    ++shown;
    if (auto then = std::exchange(whileShowing, {})) then();
  }
};

struct Area {
  Area() {
    area.resize(900, 700);
    area.show();
  }
  QMdiArea area;
};

}  // namespace

class TestChildWindow : public QObject {
  Q_OBJECT
 private slots:
  void opensAtTopLeft();
  void activatedEachTime();
  void frameCloseRunsContentClose_data();
  void frameCloseRunsContentClose();
  void closeWindowClosesFrame();
  void contentCloseTakesFrame_data();
  void contentCloseTakesFrame();
  void closeWindowWithoutFrame();
  void bringToFrontShowsAndActivates();
  void noShowingUnderItsOwnBox_data();
  void noShowingUnderItsOwnBox();
  void anotherWindowsBoxHoldsNothingHere();
  void windowGoneWhileItsBoxIsOpen();
};

void TestChildWindow::opensAtTopLeft() {
  Area a;
  QVERIFY(QTest::qWaitForWindowExposed(&a.area));
  auto* window = new ProbeWindow(QStringLiteral("総合統計情報"));
  QMdiSubWindow* frame = openChildWindow(a.area, window);
  QVERIFY(frame != nullptr);
  QCOMPARE(frame->pos(), QPoint(0, 0));
  QCOMPARE(frame->windowTitle(), QStringLiteral("総合統計情報"));
  QVERIFY(frame->isVisible());
  QCOMPARE(frame->widget(), window);
  QCOMPARE(window->subWindow(), frame);
  QCOMPARE(window->workArea(), &a.area);
  QVERIFY(frame->testAttribute(Qt::WA_DeleteOnClose));
  QVERIFY(window->width() >= window->minimumWidth());
  QVERIFY(window->height() >= window->minimumHeight());

  // A second window opens at the same corner, not cascaded.
  auto* second = new ProbeWindow(QStringLiteral("収支入力"));
  QCOMPARE(openChildWindow(a.area, second)->pos(), QPoint(0, 0));
  QCOMPARE(a.area.subWindowList().size(), 2);
}

void TestChildWindow::activatedEachTime() {
  Area a;
  QVERIFY(QTest::qWaitForWindowExposed(&a.area));
  auto* first = new ProbeWindow(QStringLiteral("A"));
  auto* second = new ProbeWindow(QStringLiteral("B"));
  QMdiSubWindow* frameA = openChildWindow(a.area, first);
  QMdiSubWindow* frameB = openChildWindow(a.area, second);
  // Opening shows and activates the newest window.
  QTRY_COMPARE(a.area.activeSubWindow(), frameB);
  QVERIFY(second->activations >= 1);
  const int a0 = first->activations;
  const int b0 = second->activations;

  a.area.setActiveSubWindow(frameA);
  QCOMPARE(first->activations, a0 + 1);
  a.area.setActiveSubWindow(frameB);
  QCOMPARE(second->activations, b0 + 1);
  a.area.setActiveSubWindow(frameA);
  QCOMPARE(first->activations, a0 + 2);
  QCOMPARE(second->activations, b0 + 1);
  // Re-activating the active window is no new activation.
  a.area.setActiveSubWindow(frameA);
  QCOMPARE(first->activations, a0 + 2);
}

void TestChildWindow::frameCloseRunsContentClose_data() {
  QTest::addColumn<bool>("refuse");
  QTest::addColumn<bool>("byMenu");
  QTest::newRow("close box, accepted") << false << false;
  QTest::newRow("close box, refused") << true << false;
  QTest::newRow("system menu, accepted") << false << true;
  QTest::newRow("system menu, refused") << true << true;
}

void TestChildWindow::frameCloseRunsContentClose() {
  QFETCH(bool, refuse);
  QFETCH(bool, byMenu);
  Area a;
  QVERIFY(QTest::qWaitForWindowExposed(&a.area));
  int closes = 0;
  auto* window = new ProbeWindow(QStringLiteral("A"), &closes);
  window->refuseClose = refuse;
  QPointer<QMdiSubWindow> frame = openChildWindow(a.area, window);
  QPointer<ProbeWindow> content = window;

  if (byMenu) {
    QAction* closeAction = nullptr;
    for (QAction* action : frame->systemMenu()->actions()) {
      if (action->shortcut() == QKeySequence::Close || action->text().contains("Close")) {
        closeAction = action;
      }
    }
    QVERIFY(closeAction != nullptr);
    closeAction->trigger();
  } else {
    // The title-bar close box calls QMdiSubWindow::close().
    frame->close();
  }
  QCOMPARE(closes, 1);
  if (refuse) {
    QVERIFY(!frame.isNull());
    QVERIFY(frame->isVisible());
    QVERIFY(content->isVisible());
    QCOMPARE(a.area.subWindowList().size(), 1);
  } else {
    QTRY_VERIFY(frame.isNull());
    QVERIFY(content.isNull());
    QCOMPARE(a.area.subWindowList().size(), 0);
  }
}

void TestChildWindow::closeWindowClosesFrame() {
  Area a;
  QVERIFY(QTest::qWaitForWindowExposed(&a.area));
  int closes = 0;
  auto* window = new ProbeWindow(QStringLiteral("A"), &closes);
  QPointer<QMdiSubWindow> frame = openChildWindow(a.area, window);
  auto* other = new ProbeWindow(QStringLiteral("B"));
  openChildWindow(a.area, other);
  window->closeWindow();
  QCOMPARE(closes, 1);
  QTRY_VERIFY(frame.isNull());
  QCOMPARE(a.area.subWindowList().size(), 1);

  // Refused: nothing closes.
  other->refuseClose = true;
  QPointer<QMdiSubWindow> otherFrame = other->subWindow();
  other->closeWindow();
  QVERIFY(!otherFrame.isNull());
  QVERIFY(otherFrame->isVisible());
}

void TestChildWindow::contentCloseTakesFrame_data() {
  QTest::addColumn<bool>("refuse");
  QTest::newRow("accepted") << false;
  QTest::newRow("refused") << true;
}

void TestChildWindow::contentCloseTakesFrame() {
  QFETCH(bool, refuse);
  Area a;
  QVERIFY(QTest::qWaitForWindowExposed(&a.area));
  int closes = 0;
  auto* window = new ProbeWindow(QStringLiteral("A"), &closes);
  window->refuseClose = refuse;
  QPointer<QMdiSubWindow> frame = openChildWindow(a.area, window);
  // A window closing itself, e.g. from its own button, with close().
  QCOMPARE(window->close(), !refuse);
  QCOMPARE(closes, 1);
  if (refuse) {
    QVERIFY(frame->isVisible());
    QVERIFY(window->isVisible());
  } else {
    QTRY_VERIFY(frame.isNull());
    QCOMPARE(a.area.subWindowList().size(), 0);
  }
}

void TestChildWindow::closeWindowWithoutFrame() {
  int closes = 0;
  ProbeWindow window(QStringLiteral("A"), &closes);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QVERIFY(window.subWindow() == nullptr);
  QVERIFY(window.workArea() == nullptr);
  window.closeWindow();
  QCOMPARE(closes, 1);
  QVERIFY(!window.isVisible());
}

void TestChildWindow::bringToFrontShowsAndActivates() {
  Area a;
  QVERIFY(QTest::qWaitForWindowExposed(&a.area));
  auto* graph = new ProbeWindow(QStringLiteral("graph"));
  auto* opener = new ProbeWindow(QStringLiteral("opener"));
  QMdiSubWindow* graphFrame = openChildWindow(a.area, graph);
  QMdiSubWindow* openerFrame = openChildWindow(a.area, opener);
  QTRY_COMPARE(a.area.activeSubWindow(), openerFrame);
  graphFrame->hide();
  QVERIFY(!graphFrame->isVisible());

  const int before = graph->activations;
  ChildWindow::bringToFront(graph);
  QVERIFY(graphFrame->isVisible());
  QCOMPARE(a.area.activeSubWindow(), graphFrame);
  QCOMPARE(graph->activations, before + 1);
  // In front: the top-most child of the area's viewport.
  QCOMPARE(a.area.subWindowList(QMdiArea::StackingOrder).last(), graphFrame);

  graphFrame->showMinimized();
  ChildWindow::bringToFront(graph);
  QVERIFY(!graphFrame->isMinimized());
  QCOMPARE(a.area.activeSubWindow(), graphFrame);
}

void TestChildWindow::noShowingUnderItsOwnBox_data() {
  QTest::addColumn<int>("kind");  // 0 error, 1 notice, 2 ask, 3 inform
  QTest::addColumn<int>("steps");
  QTest::addColumn<bool>("fromShowing");
  QTest::newRow("error, one step") << 0 << 1 << false;
  QTest::newRow("notice, three steps") << 1 << 3 << false;
  QTest::newRow("ask, one step") << 2 << 1 << false;
  QTest::newRow("inform, two steps") << 3 << 2 << false;
  QTest::newRow("error told while showing") << 0 << 2 << true;
}

// Steps announced while a box of the window's own is open wait, and are
// shown once after it: whatever the box, however many steps.
void TestChildWindow::noShowingUnderItsOwnBox() {
  QFETCH(int, kind);
  QFETCH(int, steps);
  QFETCH(bool, fromShowing);
  ScriptedMessages program;
  CountingView view;
  Messages& own = view.ownMessages(program);
  QCOMPARE(&view.ownMessages(program), &own);
  int shownUnderTheBox = -1;
  program.whileOpen([&] {
    for (int i = 0; i < steps; ++i) view.followData();
    shownUnderTheBox = view.shown;
  });
  const auto tell = [&] {
    switch (kind) {
      case 0:
        own.error(QStringLiteral("範囲外"));
        break;
      case 1:
        own.notice(QStringLiteral("保存しました"));
        break;
      case 2:
        program.answer(true);
        QVERIFY(own.ask(QStringLiteral("よろしいですか？")));
        break;
      default:
        own.inform(QStringLiteral("情報"), QStringLiteral("版"));
    }
  };
  if (fromShowing) {
    view.whileShowing = tell;
    view.followData();
    QCOMPARE(shownUnderTheBox, 1);
    QCOMPARE(view.shown, 2);
  } else {
    tell();
    QCOMPARE(shownUnderTheBox, 0);
    QCOMPARE(view.shown, 1);
  }
  QCOMPARE(program.count(), 1);
  // Nothing left waiting: the next step is shown at once.
  view.followData();
  QCOMPARE(view.shown, fromShowing ? 3 : 2);
}

// A window hands its messages to the windows it opens: their boxes hold
// them and not the opener, and they keep telling after the opener has gone.
void TestChildWindow::anotherWindowsBoxHoldsNothingHere() {
  ScriptedMessages program;
  auto opener = std::make_unique<CountingView>();
  CountingView opened;
  Messages& mine = opened.ownMessages(opener->ownMessages(program));
  int openerUnder = -1;
  int openedUnder = -1;
  program.whileOpen([&] {
    opener->followData();
    opened.followData();
    openerUnder = opener->shown;
    openedUnder = opened.shown;
  });
  mine.notice(QStringLiteral("一つ目"));
  QCOMPARE(openerUnder, 1);
  QCOMPARE(openedUnder, 0);
  QCOMPARE(opened.shown, 1);
  opener.reset();
  mine.notice(QStringLiteral("二つ目"));
  QCOMPARE(program.texts(), (QStringList{"一つ目", "二つ目"}));
}

void TestChildWindow::windowGoneWhileItsBoxIsOpen() {
  ScriptedMessages program;
  auto* view = new CountingView;
  QPointer<CountingView> watch(view);
  program.whileOpen([view] {
    view->followData();
    delete view;
  });
  program.answer(false);
  QVERIFY(!view->ownMessages(program).ask(QStringLiteral("閉じますか？")));
  QVERIFY(watch.isNull());
}

QTEST_MAIN(TestChildWindow)
#include "test_child_window.moc"
