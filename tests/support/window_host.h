#pragma once
// The program's main window on data files in a temporary directory, as the
// window tests drive it: start it, find its child windows in the work area,
// press their buttons, and put figures straight into the stores.
//
//   WindowHost host;                       // the sample files
//   QVERIFY(host.start());
//   QVERIFY(host.press({}, "Blowse"));     // a strip button
//   QVERIFY(host.window("Fblowse") != nullptr);

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "shell/main_window.h"
#include "state/data_session.h"
#include "store/app_state.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"
#include "support/session_access.h"

namespace tamrel {

namespace testhost {

// Changes something through the session (3 May posted as it stands), so
// the data counts as modified.
inline bool makeModified(DataSession& session) {
  BetAmounts baseline;
  if (!showDay(session.ledger(), baseline, 5, 3)) return false;
  const BetAmounts same = baseline;
  return session.postDay(5, 3, same) == PostResult::Ok;
}

}  // namespace testhost

class WindowHost {
 public:
  testdata::DataDir dir;
  ScriptedMessages messages;
  std::unique_ptr<MainWindow> main;

  // Starts the main window on the directory (the sample files unless the
  // test wrote its own first) and waits for its activation.
  bool start(bool writeSample = true) {
    if (writeSample && !dir.writeSample()) return false;
    main = std::make_unique<MainWindow>(messages, dir.path());
    main->show();
    main->activateWindow();
    return QTest::qWaitForWindowActive(main.get());
  }

  DataSession& session() { return main->session(); }
  // The stores, writable for set-up.
  AppState& data() { return DataSessionTestAccess::state(main->session()); }
  QMdiArea* area() const { return main->workArea(); }

  // The open windows of that name (closed ones linger hidden until deleted).
  QList<QWidget*> windows(const QString& name) const {
    QList<QWidget*> found;
    for (QMdiSubWindow* frame : area()->subWindowList()) {
      if (!frame->isHidden() && frame->widget()->objectName() == name) found << frame->widget();
    }
    return found;
  }
  QWidget* window(const QString& name) const {
    const QList<QWidget*> found = windows(name);
    return found.size() == 1 ? found.front() : nullptr;
  }
  bool isOpen(const QString& name) const { return !windows(name).isEmpty(); }
  // The names of every open window, sorted.
  QStringList openNames() const {
    QStringList names;
    for (QMdiSubWindow* frame : area()->subWindowList()) {
      if (!frame->isHidden()) names << frame->widget()->objectName();
    }
    names.sort();
    return names;
  }
  QString activeName() const {
    QMdiSubWindow* frame = area()->activeSubWindow();
    return frame != nullptr ? frame->widget()->objectName() : QString();
  }
  void activate(const QString& windowName) {
    if (QWidget* w = window(windowName)) {
      area()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(w->parentWidget()));
    }
  }

  // Triggers the menu action `actionName` twice and returns the one window
  // it opened, visible; nullptr when it opened none, or a second one.
  QWidget* openTwiceFromMenu(const QString& actionName, const QString& windowName) {
    QAction* open = main->action(actionName);
    if (open == nullptr) return nullptr;
    open->trigger();
    if (!QTest::qWaitFor([&] { return isOpen(windowName); })) return nullptr;
    open->trigger();
    if (windows(windowName).size() != 1) return nullptr;
    QWidget* w = window(windowName);
    return QTest::qWaitFor([w] { return w->isVisible(); }) ? w : nullptr;
  }

  // Empty when the frame of `window` lies wholly inside the work area; else
  // where it lies, for the test's message.
  QString outsideWorkArea(const QWidget* window) const {
    const QRect frame = window->parentWidget()->geometry();
    const QRect room = area()->viewport()->rect();
    if (room.contains(frame)) return {};
    return QStringLiteral("frame %1x%2 at %3,%4 in a work area of %5x%6")
        .arg(frame.width())
        .arg(frame.height())
        .arg(frame.x())
        .arg(frame.y())
        .arg(room.width())
        .arg(room.height());
  }

  template <typename T = QWidget>
  T* child(const QString& windowName, const QString& name) const {
    QWidget* w = window(windowName);
    return w != nullptr ? w->findChild<T*>(name) : nullptr;
  }
  // Clicks a button of a child window, or of the main window when
  // `windowName` is empty.
  bool press(const QString& windowName, const QString& button) {
    auto* b = windowName.isEmpty() ? main->findChild<QPushButton*>(button)
                                   : child<QPushButton>(windowName, button);
    if (b == nullptr) return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
  }
};

}  // namespace tamrel
