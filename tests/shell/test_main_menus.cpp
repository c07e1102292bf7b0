// The main window's menus, 保存, the unsaved marker, the status bar, Escape
// in the child windows and the remembered geometry, on real files.

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStringEncoder>
#include <QTest>
#include <QTimer>
#include <memory>

#include "report/reports.h"
#include "stats/tab_strip.h"
#include "support/gui_actions.h"
#include "support/window_fit.h"
#include "support/window_host.h"
#include "widgets/settings.h"

using namespace tamrel;

namespace {

const QString kFinishQuestion = QStringLiteral("終了しますか？");
const QString kWriteError = QStringLiteral("ファイル書き込みエラー");

// Each strip button and the command it stands for.
const QList<QPair<const char*, const char*>> kPairs{
    {"Command3D1", "actionEntry"},      {"Blowse", "actionYearBrowse"},
    {"BLOWSENEW", "actionAnalysis"},    {"SSCommand1", "actionSwitch"},
    {"Command3D2", "actionInitialise"}, {"Finish", "actionFinish"}};

QStringList enabledStates(WindowHost& host) {
  QStringList states;
  for (const auto& [button, command] : kPairs) {
    states << QStringLiteral("%1 %2 %3")
                  .arg(QString::fromLatin1(button))
                  .arg(gui::named<QPushButton>(host.main.get(), button)->isEnabled())
                  .arg(host.main->action(QString::fromLatin1(command))->isEnabled());
  }
  return states;
}

QLabel* unsavedLabel(WindowHost& host) {
  return host.main->findChild<QLabel*>(QStringLiteral("statusUnsaved"));
}

}  // namespace

class TestMainMenus : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // The geometry goes to a test location, never to the user's settings.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  }

  void menuItemsFollowTheirButtons_data() {
    QTest::addColumn<QString>("start");  // "loaded", "no files", "initialised"
    QTest::addColumn<QList<bool>>("working");  // 収支入力, 総合分析, 統計分析, ﾃﾞｰﾀ入れ替え
    QTest::newRow("loaded") << "loaded" << QList<bool>{true, true, true, true};
    QTest::newRow("no files") << "no files" << QList<bool>{false, false, false, false};
    QTest::newRow("initialised") << "initialised" << QList<bool>{false, false, false, true};
  }

  void menuItemsFollowTheirButtons() {
    QFETCH(QString, start);
    QFETCH(QList<bool>, working);
    WindowHost host;
    QVERIFY(host.dir.ok());
    QVERIFY(host.start(start != "no files"));
    if (start == "initialised") {
      host.messages.answer(true);
      host.main->action(QStringLiteral("actionInitialise"))->trigger();
    }
    for (int i = 0; i < kPairs.size(); ++i) {
      const bool on = i < 4 ? working[i] : true;
      const QString name = QString::fromLatin1(kPairs[i].first);
      QCOMPARE(enabledStates(host)[i], QStringLiteral("%1 %2 %2").arg(name).arg(on));
    }
  }

  void menuItemKeepsTheButtonsRule() {
    WindowHost host;
    QVERIFY(host.start());
    QAction* entry = host.main->action(QStringLiteral("actionEntry"));
    entry->trigger();
    QVERIFY(host.isOpen("Finput"));
    QVERIFY(host.press({}, "Blowse"));
    entry->trigger();
    QCOMPARE(host.messages.texts(), QStringList{"すでにウィンドウは開かれています"});
    QCOMPARE(host.windows("Finput").size(), 1);
    // The window asked for again comes to the front.
    QTRY_COMPARE(host.activeName(), QStringLiteral("Finput"));
  }

  void saveNowWritesBothFilesAndClearsTheMarker() {
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    QVERIFY(!w.isWindowModified());
    QVERIFY(!w.action(QStringLiteral("actionSave"))->isEnabled());
    QVERIFY(testhost::makeModified(host.session()));
    BetAmounts baseline;
    QVERIFY(showDay(w.state().ledger, baseline, 6, 1).has_value());
    BetAmounts values;
    values.stake[index(BetType::Uma)] = 700;
    QCOMPARE(host.session().postDay(6, 1, values), PostResult::Ok);
    QVERIFY(w.isWindowModified());
    QVERIFY(unsavedLabel(host)->isVisible());

    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(host.messages.count(), 0);
    QCOMPARE(host.dir.read("tosidata.dat"),
             QByteArray::fromStdString(ledgerFileText(w.state().ledger)));
    QCOMPARE(host.dir.read("info.dat"),
             QByteArray::fromStdString(ticketFileText(w.state().tickets)));
    auto onDisk = std::make_unique<YearLedger>();
    QCOMPARE(loadLedger(*onDisk, host.dir.ledgerPath().toStdString()), LoadCode::Ok);
    QCOMPARE(betAmounts(daySlot(*onDisk, 6, 1)), std::optional<BetAmounts>(values));
    QVERIFY(!w.isWindowModified());
    QVERIFY(!unsavedLabel(host)->isVisible());
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("保存しました"));

    // Nothing changed since: 終了 asks only whether to end.
    host.messages.answer(true);
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!w.isVisible());
    QCOMPARE(host.messages.texts(), QStringList{kFinishQuestion});
  }

  // A day confirmed in the entry window marks the title and the status bar;
  // 保存 clears both.
  void entryPostingMarksUnsaved() {
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    QVERIFY(host.press({}, "Command3D1"));
    QWidget* entry = host.window("Finput");
    QVERIFY(gui::choose(entry, QStringLiteral("MM"), 4));
    QVERIFY(gui::choose(entry, QStringLiteral("DD"), 2));
    auto* stake = entry->findChild<QWidget*>(QStringLiteral("TosiTan"));
    QTest::mouseClick(stake, Qt::LeftButton);
    QTest::keyClicks(stake, QStringLiteral("3000"));
    QVERIFY(gui::click(entry, "ChkCmd"));
    QVERIFY(!w.isWindowModified());
    QVERIFY(gui::click(entry, "YesCmd"));
    QVERIFY(w.isWindowModified());
    QVERIFY(unsavedLabel(host)->isVisible());
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!w.isWindowModified());
    QVERIFY(!unsavedLabel(host)->isVisible());
  }

  // Qt's work-area frames clear the main window's marker as they change
  // parent; the marker follows the data alone.
  void markerFollowsTheDataAsWindowsOpen_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("way");
    for (const bool modified : {true, false}) {
      const char* state = modified ? "modified" : "saved";
      for (const char* way : {"entry", "tickets", "browse", "trend", "maximised", "closed"}) {
        QTest::addRow("%s, %s", state, way) << modified << QString::fromLatin1(way);
      }
    }
  }

  void markerFollowsTheDataAsWindowsOpen() {
    QFETCH(bool, modified);
    QFETCH(QString, way);
    WindowHost host;
    QVERIFY(host.start());
    if (modified) QVERIFY(testhost::makeModified(host.session()));
    QWidget* m = host.main.get();
    if (way == "entry" || way == "tickets" || way == "closed") QVERIFY(gui::click(m, "Command3D1"));
    if (way == "tickets") {
      QWidget* entry = host.window("Finput");
      QVERIFY(gui::choose(entry, QStringLiteral("MM"), 4));
      QVERIFY(gui::choose(entry, QStringLiteral("DD"), 2));
      QVERIFY(gui::click(entry, "SSCommand1"));
      QVERIFY(host.isOpen("jrabaken"));
    }
    if (way == "browse" || way == "maximised") QVERIFY(gui::click(m, "Blowse"));
    if (way == "trend") host.main->action(QStringLiteral("actionTrend"))->trigger();
    if (way == "maximised") {
      auto* frame = qobject_cast<QMdiSubWindow*>(host.window("Fblowse")->parentWidget());
      frame->showMaximized();
      frame->showNormal();
    }
    if (way == "closed") QVERIFY(host.press("Finput", "Command3D1"));
    QCOMPARE(host.session().isModified(), modified);
    QCOMPARE(host.main->isWindowModified(), modified);
    QCOMPARE(unsavedLabel(host)->isVisible(), modified);
  }

  // Each menu reached by Alt and a letter, no letter twice in a menu; the
  // keys shown beside a command are the keys a user presses.
  void menusHaveDistinctLettersAndReadableKeys() {
    WindowHost host;
    QVERIFY(host.start());
    QVERIFY(host.press({}, "Blowse"));
    QVERIFY(host.press({}, "BLOWSENEW"));
    host.main->fillWindowMenu();
    QList<QPair<QString, QList<QAction*>>> menus{{"bar", host.main->menuBar()->actions()}};
    for (QAction* entry : host.main->menuBar()->actions()) {
      menus.append({entry->menu()->objectName(), entry->menu()->actions()});
    }
    QStringList faults;
    for (const auto& [menu, actions] : menus) {
      QMap<QChar, QString> seen;
      for (const QAction* a : actions) {
        if (a->isSeparator()) continue;
        const qsizetype at = a->text().indexOf(QLatin1Char('&'));
        const QChar letter = at >= 0 ? a->text().at(at + 1).toUpper() : QChar();
        if (letter.isNull()) {
          faults << menu + QStringLiteral(": no letter: ") + a->text();
        } else if (seen.contains(letter)) {
          faults << menu + QStringLiteral(": ") + seen[letter] + QStringLiteral(" and ") +
                        a->text();
        }
        seen[letter] = a->text();
        const QString keys = a->shortcut().toString(QKeySequence::NativeText);
        if (keys.contains(QStringLiteral("Backtab"))) faults << menu + QStringLiteral(": ") + keys;
      }
    }
    QCOMPARE(faults, QStringList{});
    QCOMPARE(host.main->action(QStringLiteral("actionPreviousWindow"))->shortcut(),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab));
  }

  // Every command of ウィンドウ does its work (and runs cleanly in the
  // sanitizer build); the keys of 前のウィンドウ still work as X reports them.
  void windowCommandsRun_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("active");  // afterwards; empty: unchanged
    QTest::newRow("cascade") << "actionCascade"
                             << "";
    QTest::newRow("tile") << "actionTile"
                          << "";
    QTest::newRow("next") << "actionNextWindow"
                          << "Fblowse";
    QTest::newRow("previous") << "actionPreviousWindow"
                              << "Fblowse";
    QTest::newRow("Ctrl+Tab") << "Ctrl+Tab"
                              << "Fblowse";
    QTest::newRow("Ctrl+Shift+Backtab") << "Ctrl+Shift+Backtab"
                                        << "Fblowse";
  }

  void windowCommandsRun() {
    QFETCH(QString, command);
    QFETCH(QString, active);
    WindowHost host;
    QVERIFY(host.start());
    QVERIFY(host.press({}, "Blowse"));
    QVERIFY(host.press({}, "BLOWSENEW"));
    QTRY_COMPARE(host.activeName(), QStringLiteral("FSyosai"));
    // As the menu opens: its commands now have windows to work on.
    host.main->fillWindowMenu();
    const auto frames = host.area()->subWindowList();
    QList<QRect> before;
    for (const QMdiSubWindow* frame : frames) before << frame->geometry();
    if (command == "Ctrl+Tab") {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    } else if (command == "Ctrl+Shift+Backtab") {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                      Qt::ControlModifier | Qt::ShiftModifier);
    } else {
      host.main->action(command)->trigger();
    }
    QList<QRect> after;
    for (const QMdiSubWindow* frame : frames) after << frame->geometry();
    if (active.isEmpty()) {
      // Both windows opened at the same place: cascading and tiling move one.
      QVERIFY(after != before);
      QCOMPARE(host.activeName(), QStringLiteral("FSyosai"));
    } else {
      QTRY_COMPARE(host.activeName(), active);
    }
  }

  void failedSaveKeepsDataAndMarker() {
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    BetAmounts baseline;
    QVERIFY(showDay(w.state().ledger, baseline, 6, 1).has_value());
    BetAmounts values;
    values.stake[index(BetType::Uma)] = 700;
    QCOMPARE(host.session().postDay(6, 1, values), PostResult::Ok);
    // A directory in the file's place defeats every writer, root included.
    QVERIFY(QFile::remove(host.dir.ledgerPath()));
    QVERIFY(QDir(host.dir.path()).mkdir(QStringLiteral("tosidata.dat")));

    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(host.messages.texts(), QStringList{kWriteError});
    QVERIFY(w.isWindowModified());
    QVERIFY(unsavedLabel(host)->isVisible());
    QCOMPARE(betAmounts(daySlot(w.state().ledger, 6, 1)), std::optional<BetAmounts>(values));
  }

  void statusBarTellsDirectoryAndEvents() {
    WindowHost host;
    QVERIFY(host.start());
    auto* dir = host.main->findChild<QLabel*>(QStringLiteral("statusDataDir"));
    QCOMPARE(dir->text(), QDir::toNativeSeparators(QDir(host.dir.path()).absolutePath()));
    QCOMPARE(host.main->statusBar()->currentMessage(), QStringLiteral("データを読み込みました"));
    host.messages.answer(true);
    QVERIFY(host.press({}, "Command3D2"));
    QCOMPARE(host.main->statusBar()->currentMessage(),
             QStringLiteral("新しい年を始めました。保存して再起動すると入力できます"));
    QVERIFY(unsavedLabel(host)->isVisible());
    QVERIFY(host.main->windowTitle().startsWith(QStringLiteral("Tamrel Ver2.03")));
  }

  void windowMenuListsOpenWindows() {
    WindowHost host;
    QVERIFY(host.start());
    QVERIFY(host.press({}, "Blowse"));
    QVERIFY(host.press({}, "BLOWSENEW"));
    host.activate(QStringLiteral("Fblowse"));
    host.main->fillWindowMenu();
    QStringList entries;
    for (QAction* a : host.main->windowMenu()->actions()) {
      if (a->isCheckable()) entries << QStringLiteral("%1 %2").arg(a->text()).arg(a->isChecked());
    }
    QCOMPARE(entries, (QStringList{"&1 総合統計情報 1", "&2 詳細表示ウィンドウ 0"}));
    host.main->windowMenu()->actions().constLast()->trigger();
    QTRY_COMPARE(host.activeName(), QStringLiteral("FSyosai"));
  }

  void aboutTellsVersionLicenceAndDirectory() {
    WindowHost host;
    QVERIFY(host.start());
    host.main->action(QStringLiteral("actionAbout"))->trigger();
    QCOMPARE(host.messages.last().title, QStringLiteral("バージョン情報"));
    const QString text = host.messages.last().text;
    QVERIFY(text.startsWith(QStringLiteral("Tamrel Ver2.03\n競馬の収支")));
    QVERIFY(text.contains(QStringLiteral("GPL-3.0-or-later")));
    QVERIFY(text.contains(QString::fromLatin1(qVersion())));
    QVERIFY(text.contains(QDir::toNativeSeparators(QDir(host.dir.path()).absolutePath())));
  }

  void escapeClosesEachChildWindow_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"Finput", "Fblowse", "MBlowse", "DBlowse", "FGrapher1", "FSyosai", "FGBaba", "FUpdate",
          "Trend", "Cross", "Years", "Benchmark", "Income", "TicketList"}) {
      QTest::newRow(name) << QString::fromLatin1(name);
    }
  }

  void escapeClosesEachChildWindow() {
    QFETCH(QString, name);
    WindowHost host;
    QVERIFY(host.start());
    QWidget* m = host.main.get();
    if (name == "Finput") QVERIFY(gui::click(m, "Command3D1"));
    if (name == "FUpdate") QVERIFY(gui::click(m, "SSCommand1"));
    if (name == "Trend" || name == "Cross" || name == "Years" || name == "Benchmark" ||
        name == "Income" || name == "TicketList") {
      host.main->findChild<QAction*>(QStringLiteral("action") + name)->trigger();
    }
    if (name == "FSyosai" || name == "FGBaba") QVERIFY(gui::click(m, "BLOWSENEW"));
    if (name == "FGBaba") {
      host.window("FSyosai")->findChild<TabStrip*>(QStringLiteral("SSTabS"))->setCurrentIndex(0);
      QVERIFY(host.press("FSyosai", "GraphBtn"));
    }
    if (name.endsWith("lowse") || name == "FGrapher1") QVERIFY(gui::click(m, "Blowse"));
    if (name == "FGrapher1") QVERIFY(host.press("Fblowse", "Command3D2"));
    if (name == "MBlowse" || name == "DBlowse") {
      auto* grid = host.window("Fblowse")->findChild<QAbstractItemView*>(QStringLiteral("Grid1"));
      grid->setFocus();
      QTest::keyClick(grid, Qt::Key_Down);
      QTest::keyClick(grid, Qt::Key_Return);
    }
    if (name == "DBlowse") {
      auto* grid = host.window("MBlowse")->findChild<QAbstractItemView*>(QStringLiteral("Grid1"));
      grid->setFocus();
      QTest::keyClick(grid, Qt::Key_Down);
      QTest::keyClick(grid, Qt::Key_Return);
    }
    QVERIFY(host.isOpen(name));
    host.activate(name);
    QTRY_VERIFY(host.window(name)->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!host.isOpen(name));
    QCOMPARE(host.messages.count(), 0);
  }

  // The views opened from 表示, in the main window as it first opens: the
  // whole frame and its bottom row inside the work area, every caption whole.
  void newViewsFitTheWorkArea_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("bottomRow");
    QTest::newRow("Trend") << "Trend" << QStringList{"Year", "ToDay", "CloseCmd"};
    QTest::newRow("Cross") << "Cross" << QStringList{"CloseButton"};
    QTest::newRow("Years") << "Years" << QStringList{"Close"};
    QTest::newRow("Benchmark") << "Benchmark" << QStringList{"Note", "CloseButton"};
    QTest::newRow("Income") << "Income" << QStringList{"Disclaimer", "CloseButton"};
    QTest::newRow("TicketList") << "TicketList" << QStringList{"Rate", "Largest", "CloseButton"};
  }

  void newViewsFitTheWorkArea() {
    QFETCH(QString, name);
    QFETCH(QStringList, bottomRow);
    // A place remembered by another test would change the opening size.
    programSettings()->remove(QStringLiteral("mainWindow/geometry"));
    WindowHost host;
    QVERIFY(host.start());
    QCOMPARE(host.main->size(), QSize(1024, 740));
    host.main->findChild<QAction*>(QStringLiteral("action") + name)->trigger();
    QWidget* window = host.window(name);
    QVERIFY(window != nullptr);
    QWidget* viewport = host.area()->viewport();
    QTRY_VERIFY(window->isVisible());
    const QRect frame = window->parentWidget()->geometry();
    QVERIFY2(viewport->rect().contains(frame),
             qPrintable(QStringLiteral("frame %1 high, work area %2")
                            .arg(frame.bottom() + 1)
                            .arg(viewport->height())));
    for (const QString& control : bottomRow) {
      auto* w = window->findChild<QWidget*>(control);
      QVERIFY2(w != nullptr && w->isVisible(), qPrintable(control));
      const QRect at(w->mapTo(viewport, QPoint(0, 0)), w->size());
      QVERIFY2(viewport->rect().contains(at), qPrintable(control));
    }
    QCOMPARE(testdata::layoutFaults(window), QStringList{});
  }

  // A double-click on a ticket of 馬券一覧 opens 収支入力 on its day and the
  // day's 詳細入力, whether 収支入力 was open on another day or not at all.
  void ticketOpensItsDay_data() {
    QTest::addColumn<bool>("entryOpen");
    QTest::addColumn<bool>("typed");   // an amount typed on the other day
    QTest::addColumn<bool>("answer");  // to the question whether to drop it
    QTest::newRow("entry closed") << false << false << false;
    QTest::newRow("entry on another day") << true << false << false;
    QTest::newRow("typed work dropped") << true << true << true;
    QTest::newRow("typed work kept") << true << true << false;
  }
  void ticketOpensItsDay() {
    QFETCH(bool, entryOpen);
    QFETCH(bool, typed);
    QFETCH(bool, answer);
    WindowHost host;
    QVERIFY(host.start());
    if (entryOpen) {
      QVERIFY(gui::click(host.main.get(), "Command3D1"));
      QVERIFY(gui::choose(host.window("Finput"), QStringLiteral("MM"), 0));
      QVERIFY(gui::choose(host.window("Finput"), QStringLiteral("DD"), 4));
    }
    if (typed) {
      auto* box = host.window("Finput")->findChild<QLineEdit*>(QStringLiteral("TosiTan"));
      QVERIFY(box != nullptr);
      box->setFocus();
      QTest::keyClicks(box, QStringLiteral("1000"));
      host.messages.answer(answer);
    }
    host.main->action(QStringLiteral("actionTicketList"))->trigger();
    QWidget* list = host.window("TicketList");
    QVERIFY(list != nullptr);
    auto* table = list->findChild<QAbstractItemView*>(QStringLiteral("TicketTable"));
    QTRY_VERIFY(table->isVisible());
    // The sample year's one ticket, on 3 May.
    gui::doubleClick(table->viewport(), table->visualRect(table->model()->index(0, 0)).center());
    const bool opens = !typed || answer;
    QWidget* entry = host.window("Finput");
    QVERIFY(entry != nullptr);
    QTRY_COMPARE(host.isOpen(QStringLiteral("jrabaken")), opens);
    QCOMPARE(entry->findChild<QComboBox*>(QStringLiteral("MM"))->currentIndex(), opens ? 4 : 0);
    QCOMPARE(entry->findChild<QComboBox*>(QStringLiteral("DD"))->currentIndex(), opens ? 2 : 4);
    QCOMPARE(host.messages.count(), typed ? 1 : 0);
  }

  // A cross cell's tickets open in 馬券一覧 filtered to its pair.
  void crossCellOpensTicketList() {
    WindowHost host;
    QVERIFY(host.start());
    host.main->action(QStringLiteral("actionCross"))->trigger();
    QWidget* cross = host.window("Cross");
    QVERIFY(cross != nullptr);
    auto* grid = cross->findChild<QAbstractItemView*>(QStringLiteral("CrossGrid"));
    QTRY_VERIFY(grid->isVisible());
    // The sample's one ticket: 単勝 (row 0) at 東京 (column 5); and 複勝 at
    // 東京, which has none.
    gui::doubleClick(grid->viewport(), grid->visualRect(grid->model()->index(1, 5)).center());
    QVERIFY(gui::click(cross, "OpenTicketList"));
    QWidget* list = host.window("TicketList");
    QVERIFY(list != nullptr);
    auto* table = list->findChild<QAbstractItemView*>(QStringLiteral("TicketTable"));
    QCOMPARE(table->model()->rowCount(), 0);
    host.activate(QStringLiteral("Cross"));
    gui::doubleClick(grid->viewport(), grid->visualRect(grid->model()->index(0, 5)).center());
    QVERIFY(gui::click(cross, "OpenTicketList"));
    // The open list takes the new pair: one list, one ticket.
    QCOMPARE(host.windows(QStringLiteral("TicketList")).size(), 1);
    QCOMPARE(table->model()->rowCount(), 1);
    QCOMPARE(
        list->findChild<QWidget*>(QStringLiteral("FilterBettype"))->property("text").toString(),
        QStringLiteral("券種: 単勝"));
    QCOMPARE(host.messages.count(), 0);
  }

  // CSV書き出し: the report chosen, in the encoding chosen; one dimension
  // twice is refused and the choice offered again.
  void exportWritesTheChosenReport_data() {
    QTest::addColumn<int>("kind");  // index in the dialog's list
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("encoding");  // 0 UTF-8 with BOM, 1 Shift_JIS
    QTest::addColumn<QString>("header");
    QTest::newRow("months, UTF-8") << 0 << 9 << 0 << "月,投資金額,払戻金額,利益金額,回収率";
    QTest::newRow("cross, Shift_JIS") << 6 << 9 << 1
                                      << "馬場,券種,投資金額,払戻金額,利益金額,"
                                         "回収率,件数,的中数,的中率";
    QTest::newRow("cross, one dimension twice") << 6 << 0 << 0 << QString();
  }
  void exportWritesTheChosenReport() {
    QFETCH(int, kind);
    QFETCH(int, second);
    QFETCH(int, encoding);
    QFETCH(QString, header);
    WindowHost host;
    QVERIFY(host.start());
    const QString path = QDir(host.dir.path()).filePath(QStringLiteral("report.csv"));
    int chosen = 0;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) return;
      if (modal->objectName() == QStringLiteral("ExportDialog")) {
        auto* files = static_cast<QFileDialog*>(modal);
        files->selectNameFilter(files->nameFilters().at(encoding));
        // Typed, as a user would: the name the dialog offers is put in by
        // the dialog itself once it has read the folder, after a selectFile.
        files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        static_cast<QDialog*>(files)->accept();
      } else if (modal->objectName() == QStringLiteral("ReportDialog") && chosen++ == 0) {
        modal->findChild<QComboBox*>(QStringLiteral("ReportKind"))->setCurrentIndex(kind);
        modal->findChild<QComboBox*>(QStringLiteral("ReportSecond"))->setCurrentIndex(second);
        modal->findChild<QPushButton*>(QStringLiteral("ReportOk"))->click();
      } else if (modal->objectName() == QStringLiteral("ReportDialog")) {
        modal->findChild<QPushButton*>(QStringLiteral("ReportCancel"))->click();
      }
    });
    answer.start(20);
    host.main->findChild<QAction*>(QStringLiteral("actionExportCsv"))->trigger();
    answer.stop();
    if (header.isEmpty()) {
      QCOMPARE(host.messages.texts(), QStringList{QStringLiteral("行と列に同じ分類は選べません")});
      QVERIFY(!QFile::exists(path));
      return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const Report expected = kind == 0
                                ? monthsReport(host.session().ledger())
                                : crossReport(host.session().tickets(), CrossDimension::Racecourse,
                                              CrossDimension::BetType, Period{});
    const QString text = QString::fromStdString(expected.csv);
    QVERIFY(text.startsWith(header + QStringLiteral("\r\n")));
    QCOMPARE(bytes, encoding == 0 ? QByteArray("\xEF\xBB\xBF") + text.toUtf8()
                                  : QStringEncoder("CP932").encode(text));
  }

  void geometryRememberedAcrossStarts() {
    const QRect placed(40, 30, 900, 700);
    {
      WindowHost host;
      QVERIFY(host.start());
      host.main->setGeometry(placed);
      QTRY_COMPARE(host.main->geometry(), placed);
      QVERIFY(host.main->close());
    }
    WindowHost again;
    QVERIFY(again.start());
    QCOMPARE(again.main->size(), placed.size());
  }
};

QTEST_MAIN(TestMainMenus)
#include "test_main_menus.moc"
