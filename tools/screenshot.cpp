// tamrel_screenshot DATADIR OUT.png [action...]
//
// Starts the real main window on the data files of DATADIR, plays the given
// actions as a user would, and saves a picture of the main window. Actions:
//   click:NAME         press the button with that object name
//   select:NAME=I      choose entry I of the drop-down list NAME
//   tab:NAME=I         choose tab I (from 0) of the tab control NAME
//   type:NAME=TEXT     give NAME the focus and type TEXT key by key
//   key:KEY            press Return, Tab, Escape or Backspace on the focused widget
//   dclick:NAME=R[,C]  double-click row R (from 1) of the table NAME, in its
//                      first data cell or in column C (from 1)
//   menu:NAME          open the menu NAME of the menu bar (menuFile, menuView…)
//   wait:MS            let the program run for MS milliseconds
//   pclick:NAME=X,Y    click at (X, Y) in the widget NAME
//   trigger:ACTION     run the main window's command ACTION (actionTrend…)
//   pdf:FILE           write the active window's printed page (PDF保存…) to FILE
// A NAME may be led by the name of its window, WINDOW/NAME, where several
// windows have a control of that name (every browse window has its Grid1).
// Messages are printed to stderr and answered with はい/OK, so nothing waits.
// Nothing is written to DATADIR unless an action ends the program with a save.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "printed_messages.h"
#include "shell/main_window.h"
#include "widgets/child_window.h"
#include "widgets/look.h"
#include "widgets/print_page.h"

namespace {

void settle(int ms = 0) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  QCoreApplication::processEvents();
}

// Any widget of the program by object name: child windows live inside the
// main window, their own top-level windows (if any) outside it.
template <typename T>
T* findWidget(QWidget& root, const QString& path) {
  const qsizetype slash = path.indexOf(QLatin1Char('/'));
  if (slash >= 0) {
    QWidget* window = findWidget<QWidget>(root, path.left(slash));
    return window != nullptr ? findWidget<T>(*window, path.mid(slash + 1)) : nullptr;
  }
  const QString& name = path;
  if (root.objectName() == name) {
    if (auto* self = qobject_cast<T*>(&root)) return self;
  }
  if (T* found = root.findChild<T*>(name)) return found;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top == &root) continue;
    if (top->objectName() == name) {
      if (auto* self = qobject_cast<T*>(top)) return self;
    }
    if (T* found = top->findChild<T*>(name)) return found;
  }
  return nullptr;
}

void sendMouse(QWidget* target, QEvent::Type type, const QPoint& at) {
  QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(target, &event);
}

void sendKey(QWidget* target, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &release);
}

bool fail(const QString& action, const char* why) {
  std::fprintf(stderr, "tamrel_screenshot: %s: %s\n", qUtf8Printable(action), why);
  return false;
}

bool run(QWidget& window, const QString& action) {
  const qsizetype colon = action.indexOf(QLatin1Char(':'));
  if (colon < 0) return fail(action, "expected KIND:ARGUMENT");
  const QString kind = action.left(colon);
  const QString arg = action.mid(colon + 1);
  const qsizetype eq = arg.indexOf(QLatin1Char('='));
  const QString name = eq < 0 ? arg : arg.left(eq);
  const QString value = eq < 0 ? QString() : arg.mid(eq + 1);

  if (kind == QLatin1String("click")) {
    auto* button = findWidget<QAbstractButton>(window, name);
    if (button == nullptr) return fail(action, "no such button");
    if (!button->isEnabled()) return fail(action, "the button is disabled");
    button->click();
  } else if (kind == QLatin1String("select")) {
    auto* combo = findWidget<QComboBox>(window, name);
    if (combo == nullptr) return fail(action, "no such drop-down list");
    bool ok = false;
    const int i = value.toInt(&ok);
    if (!ok || i < 0 || i >= combo->count()) return fail(action, "no such entry");
    combo->setFocus(Qt::MouseFocusReason);
    combo->setCurrentIndex(i);
    emit combo->activated(i);
  } else if (kind == QLatin1String("tab")) {
    // Any tab control with a currentIndex property, whatever its class.
    auto* tabs = findWidget<QWidget>(window, name);
    if (tabs == nullptr) return fail(action, "no such tab control");
    bool ok = false;
    const int i = value.toInt(&ok);
    if (!ok || !tabs->setProperty("currentIndex", i) || tabs->property("currentIndex").toInt() != i)
      return fail(action, "no such tab");
  } else if (kind == QLatin1String("type")) {
    auto* target = findWidget<QWidget>(window, name);
    if (target == nullptr) return fail(action, "no such widget");
    target->setFocus(Qt::MouseFocusReason);
    settle();
    for (const QChar c : value) {
      const int key = c.isLetter() ? c.toUpper().unicode() : c.unicode();
      sendKey(QApplication::focusWidget() ? QApplication::focusWidget() : target, key, c);
    }
  } else if (kind == QLatin1String("key")) {
    static const QList<std::pair<QString, int>> keys = {
        {QStringLiteral("Return"), Qt::Key_Return},
        {QStringLiteral("Tab"), Qt::Key_Tab},
        {QStringLiteral("Escape"), Qt::Key_Escape},
        {QStringLiteral("Backspace"), Qt::Key_Backspace}};
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr) return fail(action, "nothing has the focus");
    const auto it =
        std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == arg; });
    if (it == keys.end()) return fail(action, "unknown key");
    const QString text = it->second == Qt::Key_Return ? QStringLiteral("\r")
                         : it->second == Qt::Key_Tab  ? QStringLiteral("\t")
                                                      : QString();
    sendKey(target, it->second, text);
  } else if (kind == QLatin1String("dclick")) {
    auto* grid = findWidget<QTableView>(window, name);
    if (grid == nullptr) return fail(action, "no such grid");
    bool ok = false;
    const int row = value.section(QLatin1Char(','), 0, 0).toInt(&ok);
    if (!ok || row < 1 || row > grid->model()->rowCount()) return fail(action, "no such row");
    const int column =
        value.contains(QLatin1Char(',')) ? value.section(QLatin1Char(','), 1, 1).toInt(&ok) - 1 : 0;
    if (!ok || column < 0 || column >= grid->model()->columnCount()) {
      return fail(action, "no such column");
    }
    // The cell is scrolled into view and hit, as the user would.
    const QModelIndex cell = grid->model()->index(row - 1, column);
    grid->scrollTo(cell);
    settle();
    const QPoint at = grid->visualRect(cell).center();
    QWidget* viewport = grid->viewport();
    sendMouse(viewport, QEvent::MouseButtonPress, at);
    sendMouse(viewport, QEvent::MouseButtonRelease, at);
    sendMouse(viewport, QEvent::MouseButtonDblClick, at);
    sendMouse(viewport, QEvent::MouseButtonRelease, at);
  } else if (kind == QLatin1String("menu")) {
    auto* menu = findWidget<QMenu>(window, name);
    auto* main = qobject_cast<QMainWindow*>(&window);
    if (menu == nullptr || main == nullptr) return fail(action, "no such menu");
    main->menuBar()->setActiveAction(menu->menuAction());
    settle(200);
  } else if (kind == QLatin1String("trigger")) {
    auto* command = window.findChild<QAction*>(name);
    if (command == nullptr) return fail(action, "no such command");
    command->trigger();
    settle(200);
  } else if (kind == QLatin1String("pclick")) {
    auto* target = findWidget<QWidget>(window, name);
    if (target == nullptr) return fail(action, "no such widget");
    const QStringList xy = value.split(QLatin1Char(','));
    if (xy.size() != 2) return fail(action, "expected X,Y");
    const QPoint at(xy[0].toInt(), xy[1].toInt());
    sendMouse(target, QEvent::MouseButtonPress, at);
    sendMouse(target, QEvent::MouseButtonRelease, at);
  } else if (kind == QLatin1String("pdf")) {
    auto* main = qobject_cast<tamrel::MainWindow*>(&window);
    QMdiSubWindow* frame = main != nullptr ? main->workArea()->currentSubWindow() : nullptr;
    auto* child = frame != nullptr ? qobject_cast<tamrel::ChildWindow*>(frame->widget()) : nullptr;
    const std::optional<tamrel::PrintPage> page =
        child != nullptr ? child->printPage() : std::nullopt;
    if (!page) return fail(action, "the active window does not print");
    QFile file(arg);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(tamrel::printPdf(*page, QDir::currentPath())) < 0) {
      return fail(action, "cannot write the file");
    }
  } else if (kind == QLatin1String("wait")) {
    bool ok = false;
    const int ms = arg.toInt(&ok);
    if (!ok || ms < 0) return fail(action, "expected milliseconds");
    settle(ms);
  } else {
    return fail(action, "unknown action");
  }
  settle();
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: tamrel_screenshot DATADIR OUT.png [action...]\n");
    return 2;
  }
  const QString out = QDir::current().absoluteFilePath(args.at(2));
  // The program reads its files from the working directory, so go there.
  if (!QDir::setCurrent(args.at(1))) {
    std::fprintf(stderr, "tamrel_screenshot: cannot enter %s\n", qUtf8Printable(args.at(1)));
    return 1;
  }

  tamrel::setUpJapaneseApplication(app);
  tamrel::setUpDesktopIdentity();

  tamrel::PrintedMessages messages;
  tamrel::MainWindow window(messages);
  // Every picture at the same size, whatever size the user left it at.
  window.resize(1024, 740);
  window.show();
  window.activateWindow();
  settle(100);

  for (qsizetype i = 3; i < args.size(); ++i) {
    if (!window.isVisible()) {
      std::fprintf(stderr, "tamrel_screenshot: the main window has closed\n");
      return 1;
    }
    if (!run(window, args.at(i))) return 1;
  }
  settle(100);

  // An open menu is a window of its own: take it from the screen, with the
  // main window under it.
  QWidget* popup = QApplication::activePopupWidget();
  const QPixmap picture = popup == nullptr ? window.grab()
                                           : window.screen()->grabWindow(
                                                 0, window.geometry().x(), window.geometry().y(),
                                                 window.width(), window.height());
  if (!picture.save(out, "PNG")) {
    std::fprintf(stderr, "tamrel_screenshot: cannot write %s\n", qUtf8Printable(out));
    return 1;
  }
  return 0;
}
