// The work area as a user meets it on a real X server, with the fonts the
// program sets: which window takes the keys once another closes, and every
// child window opening whole inside the work area of the main window's
// opening size.

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QTest>

#include "stats/tab_strip.h"
#include "support/gui_actions.h"
#include "support/window_host.h"
#include "widgets/grid.h"
#include "widgets/look.h"
#include "widgets/settings.h"

using namespace tamrel;

namespace {

QMdiSubWindow* frameOf(const WindowHost& host, const QString& name) {
  QWidget* w = host.window(name);
  return w != nullptr ? qobject_cast<QMdiSubWindow*>(w->parentWidget()) : nullptr;
}

// The open frames, the one in front last.
QList<QMdiSubWindow*> openInStackingOrder(const WindowHost& host) {
  QList<QMdiSubWindow*> frames = host.area()->subWindowList(QMdiArea::StackingOrder);
  frames.removeIf([](const QMdiSubWindow* frame) { return frame->isHidden(); });
  return frames;
}

bool dclickRow(QWidget* window, int row) {
  auto* grid = window != nullptr ? window->findChild<Grid*>(QStringLiteral("Grid1")) : nullptr;
  if (grid == nullptr) return false;
  gui::doubleClick(grid->viewport(), grid->visualItemRect(grid->item(row - 1, 1)).center());
  return true;
}

// Opens `name` the way a user gets to it, over what is open already.
bool open(WindowHost& host, const QString& name) {
  QWidget* m = host.main.get();
  if (name == "Trend" || name == "Cross" || name == "Years" || name == "Benchmark" ||
      name == "Income" || name == "TicketList") {
    host.main->findChild<QAction*>(QStringLiteral("action") + name)->trigger();
  } else if (name == "FUpdate") {
    if (!gui::click(m, "SSCommand1")) return false;
  } else if (name == "Finput" || name == "jrabaken") {
    if (!host.isOpen(QStringLiteral("Finput")) && !gui::click(m, "Command3D1")) return false;
    if (name == "jrabaken") {
      QWidget* entry = host.window(QStringLiteral("Finput"));
      if (!gui::choose(entry, QStringLiteral("MM"), 4) ||
          !gui::choose(entry, QStringLiteral("DD"), 2) || !gui::click(entry, "SSCommand1")) {
        return false;
      }
    }
  } else if (name == "Fblowse" || name == "MBlowse" || name == "DBlowse" || name == "FGrapher1") {
    if (!host.isOpen(QStringLiteral("Fblowse")) && !gui::click(m, "Blowse")) return false;
    if (name == "FGrapher1" && !gui::click(host.window(QStringLiteral("Fblowse")), "Command3D2")) {
      return false;
    }
    if ((name == "MBlowse" || name == "DBlowse") &&
        !dclickRow(host.window(QStringLiteral("Fblowse")), 5)) {
      return false;
    }
    if (name == "DBlowse" && !dclickRow(host.window(QStringLiteral("MBlowse")), 3)) return false;
  } else {
    if (!host.isOpen(QStringLiteral("FSyosai")) && !gui::click(m, "BLOWSENEW")) return false;
    const int tab = name == "FGBaba" ? 0 : name == "FGRace" ? 1 : name == "FGClass" ? 5 : -1;
    if (tab >= 0) {
      QWidget* analysis = host.window(QStringLiteral("FSyosai"));
      analysis->findChild<TabStrip*>(QStringLiteral("SSTabS"))->setCurrentIndex(tab);
      if (!gui::click(analysis, "GraphBtn")) return false;
    }
  }
  return QTest::qWaitFor([&] { return host.window(name) != nullptr; });
}

}  // namespace

class TestWorkAreaX11 : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    // What the program's main() sets: the fonts a user sees.
    setUpJapaneseApplication(*qApp);
    QVERIFY2(QFontInfo(uiFont()).family().startsWith(QStringLiteral("Noto Sans CJK")),
             qPrintable(QFontInfo(uiFont()).family()));
  }

  void init() { programSettings()->remove(QStringLiteral("mainWindow/geometry")); }

  // The window in front closes (Escape, or its 閉じる clicked); the one
  // then in front takes the keys and shows as active.
  void nextWindowTakesTheKeys_data() {
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QString>("closeButton");  // empty: Escape
    QTest::addColumn<QString>("next");
    QTest::newRow("graph behind the entry, Escape")
        << QStringList{"Fblowse", "FGrapher1", "Finput"} << ""
        << "FGrapher1";
    QTest::newRow("graph behind the entry, 閉じる")
        << QStringList{"Fblowse", "FGrapher1", "Finput"} << "Command3D1"
        << "FGrapher1";
    QTest::newRow("graph behind the trend") << QStringList{"Fblowse", "FGrapher1", "Trend"} << ""
                                            << "FGrapher1";
    QTest::newRow("browse behind the trend") << QStringList{"Fblowse", "Trend"} << ""
                                             << "Fblowse";
    QTest::newRow("entry behind the analysis") << QStringList{"Finput", "FSyosai"} << ""
                                               << "Finput";
  }

  void nextWindowTakesTheKeys() {
    QFETCH(QStringList, opened);
    QFETCH(QString, closeButton);
    QFETCH(QString, next);
    WindowHost host;
    QVERIFY(host.start());
    for (const QString& name : opened) QVERIFY2(open(host, name), qPrintable(name));
    const QString front = opened.constLast();
    QTRY_COMPARE(host.activeName(), front);
    QTRY_VERIFY(host.window(front)->isAncestorOf(QApplication::focusWidget()));
    if (closeButton.isEmpty()) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    } else {
      QVERIFY(host.press(front, closeButton));
    }
    QTRY_VERIFY(!host.isOpen(front));
    QMdiSubWindow* frame = frameOf(host, next);
    QVERIFY(frame != nullptr);
    // In front of the others, active (not grey) and holding the focus.
    QTRY_COMPARE(openInStackingOrder(host).constLast(), frame);
    QTRY_COMPARE(host.activeName(), next);
    QTRY_VERIFY(frame->widget()->isAncestorOf(QApplication::focusWidget()));
  }

  // At the main window's opening size, each window opens wholly inside the
  // work area.
  void everyWindowFitsTheWorkArea_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("missingDays");  // a day no calendar has is posted
    for (const char* name : {"Finput", "jrabaken", "Fblowse", "MBlowse", "DBlowse", "FGrapher1",
                             "FSyosai", "FGBaba", "FGRace", "FGClass", "FUpdate", "Trend", "Cross",
                             "Years", "Benchmark", "Income", "TicketList"}) {
      QTest::newRow(name) << QString::fromLatin1(name) << false;
    }
    QTest::newRow("Trend with 暦にない日") << "Trend" << true;
  }

  void everyWindowFitsTheWorkArea() {
    QFETCH(QString, name);
    QFETCH(bool, missingDays);
    WindowHost host;
    QVERIFY(host.start());
    QCOMPARE(host.main->size(), QSize(1024, 740));
    if (missingDays) {
      for (const int day : {30, 31}) {
        BetAmounts baseline;
        QVERIFY(showDay(host.session().ledger(), baseline, 2, day).has_value());
        BetAmounts amounts = baseline;
        amounts.stake[index(BetType::Tan)] = 100;
        QCOMPARE(host.session().postDay(2, day, amounts), PostResult::Ok);
      }
    }
    QVERIFY(open(host, name));
    QMdiSubWindow* frame = frameOf(host, name);
    QTRY_VERIFY(frame->isVisible());
    if (missingDays) QVERIFY(host.child(name, QStringLiteral("MissingDays"))->isVisible());
    const QRect area = host.area()->viewport()->rect();
    const QRect at = frame->geometry();
    QVERIFY2(area.contains(at), qPrintable(QStringLiteral("%1x%2 at %3,%4 in %5x%6")
                                               .arg(at.width())
                                               .arg(at.height())
                                               .arg(at.x())
                                               .arg(at.y())
                                               .arg(area.width())
                                               .arg(area.height())));
  }
};

QTEST_MAIN(TestWorkAreaX11)
#include "test_work_area_x11.moc"
