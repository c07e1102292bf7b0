// Every window of the program, opened as a user opens it: each box, list,
// grid, tab row, graph and button has a name a screen reader can speak in
// Japanese, and Tab, pressed over and over, reaches every control that takes
// the focus from the keyboard.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGraphicsView>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>
#include <QTest>
#include <memory>

#include "shell/main_window.h"
#include "stats/tab_strip.h"
#include "support/gui_actions.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"
#include "support/window_host.h"
#include "widgets/child_window.h"
#include "widgets/grid.h"

using namespace tamrel;

namespace {

// The controls a user reaches, as opposed to the parts a control is built
// of (a table's headers and corner button, a tab row's scroll arrows).
bool isControl(const QWidget* w) {
  if (qobject_cast<const QHeaderView*>(w) != nullptr) return false;
  for (const QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
    if (qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QTabBar*>(p) ||
        qobject_cast<const QComboBox*>(p)) {
      return false;
    }
  }
  return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QAbstractButton*>(w) ||
         qobject_cast<const QTabBar*>(w) || qobject_cast<const QGraphicsView*>(w);
}

// The controls shown in `window`, leaving out the child windows it hosts.
QList<QWidget*> controlsOf(QWidget* window) {
  QList<QWidget*> controls;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window) || !isControl(w)) continue;
    bool inChild = false;
    for (QWidget* p = w->parentWidget(); p != window; p = p->parentWidget()) {
      inChild = inChild || qobject_cast<QMdiSubWindow*>(p) != nullptr;
    }
    if (!inChild) controls.append(w);
  }
  return controls;
}

QString spokenName(QWidget* w) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
  return face != nullptr ? face->text(QAccessible::Name) : QString();
}

bool japanese(const QString& text) {
  for (QChar c : text) {
    if (c.unicode() >= 0x3000) return true;
  }
  return false;
}

QString describe(const QWidget* w) {
  return QStringLiteral("%1 (%2)").arg(w->objectName(),
                                       QString::fromLatin1(w->metaObject()->className()));
}

bool takesTab(const QWidget* w) {
  return w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

// Options of one group are one Tab stop, as in every desktop program: the
// arrow keys move between them.
bool sameStop(const QWidget* a, const QWidget* b) {
  const auto* ra = qobject_cast<const QRadioButton*>(a);
  const auto* rb = qobject_cast<const QRadioButton*>(b);
  if (ra == nullptr || rb == nullptr) return a == b;
  return ra->group() != nullptr ? ra->group() == rb->group()
                                : a->parentWidget() == b->parentWidget();
}

}  // namespace

class TestAccessibleWalk : public QObject {
  Q_OBJECT

  std::unique_ptr<WindowHost> host_;
  MainWindow* main_ = nullptr;

  QWidget* window(const QString& name) const {
    for (QMdiSubWindow* frame : main_->workArea()->subWindowList()) {
      if (frame->widget()->objectName() == name && !frame->isHidden()) return frame->widget();
    }
    return name == QStringLiteral("Fmain") ? main_ : nullptr;
  }
  bool press(QWidget* parent, const char* name) { return parent && gui::click(parent, name); }
  bool dclickRow(QWidget* parent, int row) {
    auto* grid = parent != nullptr ? parent->findChild<Grid*>(QStringLiteral("Grid1")) : nullptr;
    if (grid == nullptr) return false;
    gui::doubleClick(grid->viewport(), grid->visualItemRect(grid->item(row - 1, 1)).center());
    return true;
  }
  // Opens `name` the way a user gets to it.
  bool open(const QString& name) {
    if (name == "Fmain") return true;
    if (name == "Trend" || name == "Cross" || name == "Years" || name == "Benchmark" ||
        name == "Income" || name == "TicketList") {
      auto* command = main_->findChild<QAction*>(QStringLiteral("action") + name);
      if (command == nullptr) return false;
      command->trigger();
      return window(name) != nullptr;
    }
    if (name == "FUpdate") return press(main_, "SSCommand1");
    if (name == "Finput" || name == "jrabaken") {
      if (!press(main_, "Command3D1")) return false;
      QWidget* entry = window(QStringLiteral("Finput"));
      if (!gui::choose(entry, QStringLiteral("MM"), 4) ||
          !gui::choose(entry, QStringLiteral("DD"), 2)) {
        return false;
      }
      return name == "Finput" || press(entry, "SSCommand1");
    }
    if (name == "Fblowse" || name == "MBlowse" || name == "DBlowse" || name == "FGrapher1") {
      if (!press(main_, "Blowse")) return false;
      if (name == "FGrapher1") return press(window(QStringLiteral("Fblowse")), "Command3D2");
      if (name == "Fblowse") return true;
      if (!dclickRow(window(QStringLiteral("Fblowse")), 5)) return false;
      return name == "MBlowse" || dclickRow(window(QStringLiteral("MBlowse")), 3);
    }
    if (!press(main_, "BLOWSENEW")) return false;
    QWidget* analysis = window(QStringLiteral("FSyosai"));
    const int tab = name == "FGBaba" ? 0 : name == "FGRace" ? 1 : name == "FGClass" ? 5 : -1;
    if (tab < 0) return true;
    analysis->findChild<TabStrip*>(QStringLiteral("SSTabS"))->setCurrentIndex(tab);
    return press(analysis, "GraphBtn");
  }

  // Presses Tab from the first control until the focus comes round again;
  // the controls it stopped on.
  QList<QWidget*> tabWalk(QWidget* w, const QList<QWidget*>& stops) {
    QList<QWidget*> seen;
    if (stops.isEmpty()) return seen;
    stops.front()->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 3 * stops.size() + 10; ++i) {
      QWidget* focus = QApplication::focusWidget();
      if (focus == nullptr || !w->isAncestorOf(focus)) break;
      seen.append(focus);
      QTest::keyClick(focus, Qt::Key_Tab);
    }
    return seen;
  }

 private slots:
  void init() {
    host_ = std::make_unique<WindowHost>();
    QVERIFY(host_->start());
    main_ = host_->main.get();
  }
  void cleanup() { host_.reset(); }

  // Every menu of the menu bar and every item in it, the window list too.
  void menusNamed() {
    QVERIFY(press(main_, "Blowse"));
    main_->fillWindowMenu();
    QStringList unnamed;
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(main_->menuBar());
    QVERIFY(bar != nullptr && bar->childCount() == 5);
    for (QAction* entry : main_->menuBar()->actions()) {
      QMenu* menu = entry->menu();
      QVERIFY(menu != nullptr);
      if (!japanese(menu->title())) unnamed << menu->objectName();
      QAccessibleInterface* face = QAccessible::queryAccessibleInterface(menu);
      QVERIFY(face != nullptr && face->childCount() > 0);
      for (int i = 0; i < face->childCount(); ++i) {
        QAccessibleInterface* item = face->child(i);
        if (item->role() == QAccessible::Separator) continue;
        if (!japanese(item->text(QAccessible::Name))) {
          unnamed << menu->objectName() + QStringLiteral(": ") + item->text(QAccessible::Name);
        }
      }
    }
    for (int i = 0; i < bar->childCount(); ++i) {
      if (!japanese(bar->child(i)->text(QAccessible::Name))) unnamed << QStringLiteral("bar item");
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
  }

  void everyControlNamedAndReached_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"Fmain", "FUpdate", "Finput", "jrabaken", "Fblowse", "MBlowse",
                             "DBlowse", "FGrapher1", "FSyosai", "FGBaba", "FGRace", "FGClass",
                             "Trend", "Cross", "Years", "Benchmark", "Income", "TicketList"}) {
      QTest::newRow(name) << QString::fromLatin1(name);
    }
  }
  void everyControlNamedAndReached() {
    QFETCH(QString, name);
    QVERIFY(open(name));
    QWidget* w = window(name);
    QVERIFY(w != nullptr);
    if (auto* child = qobject_cast<ChildWindow*>(w)) ChildWindow::bringToFront(child);
    const QList<QWidget*> controls = controlsOf(w);
    QVERIFY(!controls.isEmpty());

    QStringList unnamed;
    for (QWidget* c : controls) {
      if (!japanese(spokenName(c))) unnamed << describe(c) + QStringLiteral(": ") + spokenName(c);
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));

    QList<QWidget*> stops;
    for (QWidget* c : controls) {
      if (takesTab(c)) stops.append(c);
    }
    const QList<QWidget*> seen = tabWalk(w, stops);
    QStringList missed;
    for (QWidget* stop : stops) {
      const bool reached =
          std::any_of(seen.begin(), seen.end(), [stop](QWidget* s) { return sameStop(s, stop); });
      if (!reached) missed << describe(stop);
    }
    QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QStringLiteral("; "))));
  }
};

QTEST_MAIN(TestAccessibleWalk)
#include "test_accessible_walk.moc"
