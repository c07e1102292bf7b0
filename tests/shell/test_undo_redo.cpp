// 編集 in the main window: 元に戻す and やり直し as the user reaches them,
// the windows that follow the data, the saved place in the history, and
// ﾃﾞｰﾀ初期化 taken back.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QUndoStack>
#include <QUndoView>
#include <memory>
#include <set>
#include <vector>

#include "analysis/browse_figures.h"
#include "analysis/category_totals.h"
#include "entry/entry_window.h"
#include "stats/tab_strip.h"
#include "support/gui_actions.h"
#include "support/window_host.h"
#include "widgets/child_window.h"
#include "widgets/grid.h"
#include "widgets/profit_graph.h"

using namespace tamrel;

namespace {

// Every figure a window shows in its grids, for comparing what it shows.
QString gridTexts(const QWidget* window) {
  QString text;
  for (const Grid* grid : window->findChildren<Grid*>()) {
    for (int r = 0; r < grid->rowCountWithHeader(); ++r) {
      for (int c = 0; c < grid->colCountWithHeader(); ++c) text += grid->cell(r, c) + '|';
    }
  }
  return text;
}

QString plain(const QString& caption) {
  QString text = caption;
  return text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
}

void undoKey(MainWindow& w) { QTest::keyClick(w.workArea(), Qt::Key_Z, Qt::ControlModifier); }

BetAmounts tanOnly(int stake, int payout) {
  BetAmounts a;
  a.stake[0] = stake;
  a.payout[0] = payout;
  return a;
}

// One ticket of 3/5 in the first category of every dimension 統計分析 shows.
DayTicketList oneTicket(int purchase, int payout) {
  DayTicketList list;
  TicketRecord t = newTicket(3, 5);
  for (const Attribute a : {Attribute::Racecourse, Attribute::RaceNo, Attribute::Weekday,
                            Attribute::Surface, Attribute::DistanceBand, Attribute::RaceClass,
                            Attribute::AgeGroup, Attribute::Condition, Attribute::RunnersBand}) {
    t.setField(fieldOf(a), std::string(1, codeTable(a).front().code));
  }
  t.setField(TicketField::BetType, "1");
  setAmountField(t, TicketField::Purchase, purchase);
  setAmountField(t, TicketField::Payout, payout);
  list.entries[0] = t;
  list.count = 1;
  return list;
}

using Bars = QList<std::optional<std::int32_t>>;

Bars bars(const ProfitGraphWindow* window) {
  Bars values;
  for (int i = 0; i < window->graph()->pointCount(); ++i) values << window->graph()->point(i).value;
  return values;
}

// What a month graph opened now would draw.
Bars monthBars(const AppState& data) {
  const MonthProfits profits = monthProfits(data.ledger);
  return Bars(profits.values.begin(), profits.values.end());
}

// What a racecourse graph opened now would draw.
Bars courseBars(const AppState& data) {
  CategoryTotals totals;
  computeCategoryTotals(totals, Dimension::Racecourse, data.tickets);
  Bars values;
  for (const GraphPoint& p : categoryGraphPoints(totals, CategoryGraph::Racecourse)) {
    values << p.value;
  }
  return values;
}

// Opens the window of that name as a user would.
bool openView(WindowHost& host, const QString& name) {
  if (name == "Fblowse" || name == "FGrapher1") {
    if (!host.press({}, "Blowse")) return false;
    if (name == "FGrapher1" && !host.press("Fblowse", "Command3D2")) return false;
  } else if (name == "FSyosai" || name == "FGBaba") {
    if (!host.press({}, "BLOWSENEW")) return false;
    if (name == "FGBaba") {
      host.window("FSyosai")->findChild<TabStrip*>("SSTabS")->setCurrentIndex(0);
      if (!host.press("FSyosai", "GraphBtn")) return false;
    }
  } else {
    host.main->action(QStringLiteral("action") + name)->trigger();
  }
  return QTest::qWaitFor([&] { return host.isOpen(name); });
}

}  // namespace

class TestUndoRedo : public QObject {
  Q_OBJECT

 private slots:
  void editMenuSitsBetweenFileAndView() {
    WindowHost host;
    QVERIFY(host.start());
    QStringList titles;
    std::set<QChar> barKeys;
    for (QAction* menu : host.main->menuBar()->actions()) {
      titles << menu->text();
      const QString text = menu->text();
      barKeys.insert(text.at(text.indexOf('&') + 1));
    }
    QCOMPARE(titles.mid(0, 3), (QStringList{"ファイル(&F)", "編集(&E)", "表示(&V)"}));
    QCOMPARE(barKeys.size(), static_cast<std::size_t>(titles.size()));
    auto* edit = host.main->findChild<QMenu*>("menuEdit");
    QVERIFY(edit != nullptr);
    std::set<QChar> keys;
    int items = 0;
    for (QAction* item : edit->actions()) {
      if (item->isSeparator()) continue;
      ++items;
      keys.insert(item->text().at(item->text().indexOf('&') + 1));
    }
    QCOMPARE(static_cast<int>(keys.size()), items);
    QAction* undo = host.main->action("actionUndo");
    QAction* redo = host.main->action("actionRedo");
    QCOMPARE(plain(undo->text()), QString("元に戻す"));
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    QCOMPARE(redo->shortcuts(),
             (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
  }

  // 確認 → はい posts the day and stores its tickets as one step; every open
  // view shows it once, the old figures after Ctrl+Z, the new after Ctrl+Y.
  void entryPostingIsOneStepTheViewsFollow() {
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    QVERIFY(host.press({}, "Blowse"));
    QVERIFY(host.press({}, "BLOWSENEW"));
    QVERIFY(host.press({}, "Command3D1"));
    auto* entry = qobject_cast<EntryWindow*>(host.window("Finput"));
    QVERIFY(entry != nullptr);
    QWidget* year = host.window("Fblowse");
    QWidget* analysis = host.window("FSyosai");
    QVERIFY(year != nullptr && analysis != nullptr);
    const QString yearBefore = gridTexts(year);
    const QString analysisBefore = gridTexts(analysis);
    const AppState before = host.data();
    // The newer views too: each shows a step once, whatever it touches.
    std::vector<std::unique_ptr<QSignalSpy>> newer;
    for (const char* view : {"Trend", "Cross", "Years", "Benchmark", "Income"}) {
      w.action(QStringLiteral("action") + view)->trigger();
      auto* shown = qobject_cast<ChildWindow*>(host.window(view));
      QVERIFY2(shown != nullptr, view);
      newer.push_back(std::make_unique<QSignalSpy>(shown, &ChildWindow::dataShown));
    }
    QSignalSpy yearShown(qobject_cast<ChildWindow*>(year), &ChildWindow::dataShown);
    QSignalSpy analysisShown(qobject_cast<ChildWindow*>(analysis), &ChildWindow::dataShown);

    QVERIFY(gui::choose(entry, "MM", 2));  // ３月
    QVERIFY(gui::choose(entry, "DD", 4));  // ５日
    DayTicketList list;
    TicketRecord t = newTicket(3, 5);
    // In a category of every dimension 統計分析 shows.
    for (const Attribute a : {Attribute::Racecourse, Attribute::RaceNo, Attribute::Weekday,
                              Attribute::Surface, Attribute::DistanceBand, Attribute::RaceClass,
                              Attribute::AgeGroup, Attribute::Condition, Attribute::RunnersBand}) {
      t.setField(fieldOf(a), std::string(1, codeTable(a).front().code));
    }
    t.setField(TicketField::BetType, "1");
    QVERIFY(setAmountField(t, TicketField::Purchase, 12300));
    QVERIFY(setAmountField(t, TicketField::Payout, 45600));
    list.entries[0] = t;
    list.count = 1;
    entry->takeTickets(list, tanOnly(12300, 45600));
    QVERIFY(gui::click(entry, "ChkCmd"));
    QVERIFY(gui::click(entry, "YesCmd"));
    QCOMPARE(w.session().undoStack()->count(), 1);
    QCOMPARE(plain(w.action("actionUndo")->text()), QString("元に戻す: ３月５日の収支"));
    QCOMPARE(yearShown.count(), 1);
    QCOMPARE(analysisShown.count(), 1);
    const QString yearAfter = gridTexts(year);
    const QString analysisAfter = gridTexts(analysis);
    QVERIFY(yearAfter != yearBefore);
    QVERIFY(analysisAfter != analysisBefore);

    undoKey(w);
    QCOMPARE(yearShown.count(), 2);
    QCOMPARE(analysisShown.count(), 2);
    QCOMPARE(gridTexts(year), yearBefore);
    QCOMPARE(gridTexts(analysis), analysisBefore);
    QCOMPARE(daySlot(host.data().ledger, 3, 5).text, daySlot(before.ledger, 3, 5).text);
    QCOMPARE(host.data().tickets.month(3).count, before.tickets.month(3).count);
    QCOMPARE(w.statusBar()->currentMessage(), QString("元に戻しました: ３月５日の収支"));
    QVERIFY(!w.action("actionUndo")->isEnabled());
    QCOMPARE(plain(w.action("actionRedo")->text()), QString("やり直し: ３月５日の収支"));

    QTest::keyClick(w.workArea(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(gridTexts(year), yearAfter);
    QCOMPARE(gridTexts(analysis), analysisAfter);
    undoKey(w);
    QTest::keyClick(w.workArea(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(gridTexts(year), yearAfter);
    QCOMPARE(yearShown.count(), 5);
    QCOMPARE(analysisShown.count(), 5);
    for (const auto& shown : newer) QCOMPARE(shown->count(), 5);

    // The entry window shows the stored day again after an undo or a redo
    // of it.
    const auto tan = [entry] { return entry->findChild<QLineEdit*>("TosiTan")->text(); };
    const QString stored = QString::number(
        amount(daySlot(before.ledger, 3, 5), Quantity::Stake, BetType::Tan).value_or(-1));
    QCOMPARE(tan(), QString("12300"));
    undoKey(w);
    QCOMPARE(tan(), stored);
    QTest::keyClick(w.workArea(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(tan(), QString("12300"));
    // Typed work is kept through an undo, and posts by differences against
    // what the day then holds.
    entry->findChild<QLineEdit*>("TosiTan")->setText("500");
    undoKey(w);
    QCOMPARE(tan(), QString("500"));
    QVERIFY(gui::click(entry, "ChkCmd"));
    QVERIFY(gui::click(entry, "YesCmd"));
    QCOMPARE(amount(daySlot(host.data().ledger, 3, 5), Quantity::Stake, BetType::Tan).value_or(-1),
             500);
  }

  // The graphs opened from 総合分析 and 統計分析 follow each step once and
  // draw what a graph opened afresh would; a racecourse graph goes on
  // following after its 統計分析 has closed, the month graph follows the
  // ledger only.
  void graphsFollowEachStepOnce() {
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    QVERIFY(openView(host, "FGrapher1"));
    QVERIFY(openView(host, "FGBaba"));
    auto* months = qobject_cast<ProfitGraphWindow*>(host.window("FGrapher1"));
    auto* courses = qobject_cast<ProfitGraphWindow*>(host.window("FGBaba"));
    QVERIFY(months != nullptr && courses != nullptr);
    qobject_cast<ChildWindow*>(host.window("FSyosai"))->closeWindow();
    QTRY_VERIFY(!host.isOpen("FSyosai"));
    QSignalSpy monthsShown(months, &ChildWindow::dataShown);
    QSignalSpy coursesShown(courses, &ChildWindow::dataShown);
    const Bars monthsBefore = bars(months);
    const Bars coursesBefore = bars(courses);
    QCOMPARE(monthsBefore, monthBars(host.data()));

    const DayTicketList list = oneTicket(1000, 98000);
    QCOMPARE(w.session().postDay(3, 5, tanOnly(1000, 98000), &list), PostResult::Ok);
    QCOMPARE(monthsShown.count(), 1);
    QCOMPARE(coursesShown.count(), 1);
    QVERIFY(bars(months) != monthsBefore);
    QVERIFY(bars(courses) != coursesBefore);
    QCOMPARE(bars(months), monthBars(host.data()));
    QCOMPARE(bars(courses), courseBars(host.data()));

    undoKey(w);
    QCOMPARE(monthsShown.count(), 2);
    QCOMPARE(coursesShown.count(), 2);
    QCOMPARE(bars(months), monthsBefore);
    QCOMPARE(bars(courses), coursesBefore);
    QTest::keyClick(w.workArea(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(bars(courses), courseBars(host.data()));

    QCOMPARE(w.session().storeDayTickets(3, 5, DayTicketList{}), TransferResult::Ok);
    QCOMPARE(monthsShown.count(), 3);
    QCOMPARE(coursesShown.count(), 4);
    QCOMPARE(bars(courses), courseBars(host.data()));
  }

  // A step that comes while a box of a view's own is open (a box runs the
  // events) is not shown under it: the view shows it once, after the box.
  void noViewShowsAStepUnderItsOwnBox_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"Fblowse", "FGrapher1", "FSyosai", "FGBaba", "Trend", "Cross", "Years",
                             "Benchmark", "Income"}) {
      QTest::newRow(name) << QString::fromLatin1(name);
    }
  }
  void noViewShowsAStepUnderItsOwnBox() {
    QFETCH(QString, name);
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    QVERIFY(openView(host, name));
    auto* view = qobject_cast<ChildWindow*>(host.window(name));
    QVERIFY(view != nullptr);
    QSignalSpy shown(view, &ChildWindow::dataShown);
    int shownUnderTheBox = -1;
    const DayTicketList list = oneTicket(1000, 98000);
    host.messages.whileOpen([&] {
      // A posting, its undo and its redo.
      w.session().postDay(3, 5, tanOnly(1000, 98000), &list);
      w.session().undoStack()->undo();
      w.session().undoStack()->redo();
      shownUnderTheBox = static_cast<int>(shown.count());
    });
    host.messages.answer(true);
    QVERIFY(view->ownMessages(host.messages).ask(QStringLiteral("よろしいですか？")));
    QCOMPARE(shownUnderTheBox, 0);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(w.session().undoStack()->count(), 1);
  }

  // The same with a box a view really shows: クロス分析 refusing one
  // dimension for both rows and columns.
  void crossShowsAStepAfterItsRefusal() {
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    QVERIFY(openView(host, "Cross"));
    auto* cross = qobject_cast<ChildWindow*>(host.window("Cross"));
    QSignalSpy shown(cross, &ChildWindow::dataShown);
    int shownUnderTheBox = -1;
    const DayTicketList list = oneTicket(1000, 98000);
    host.messages.whileOpen([&] {
      w.session().postDay(3, 5, tanOnly(1000, 98000), &list);
      shownUnderTheBox = static_cast<int>(shown.count());
    });
    auto* rows = cross->findChild<QComboBox*>("RowDimension");
    auto* columns = cross->findChild<QComboBox*>("ColumnDimension");
    columns->setCurrentIndex(rows->currentIndex());
    QCOMPARE(host.messages.count(), 1);
    QCOMPARE(host.messages.last().title, kErrorTitle);
    QCOMPARE(shownUnderTheBox, 0);
    QCOMPARE(shown.count(), 1);
  }

  void undoingBackToTheSavedPlaceClearsTheMarker() {
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    auto* unsaved = w.findChild<QLabel*>("statusUnsaved");
    QCOMPARE(w.session().postDay(3, 5, tanOnly(1000, 0)), PostResult::Ok);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!w.isWindowModified());
    QCOMPARE(w.session().storeDayTickets(3, 5, DayTicketList{}), TransferResult::Ok);
    QCOMPARE(plain(w.action("actionUndo")->text()), QString("元に戻す: ３月５日の馬券"));
    QVERIFY(w.isWindowModified());
    QVERIFY(unsaved->isVisibleTo(&w));
    undoKey(w);
    QVERIFY(!w.isWindowModified());
    QVERIFY(!unsaved->isVisibleTo(&w));
    QVERIFY(!w.action("actionSave")->isEnabled());
    undoKey(w);
    QVERIFY(w.isWindowModified());
    QTest::keyClick(w.workArea(), Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(!w.isWindowModified());
    // As saved: ending asks only whether to end.
    host.messages.answer(true);
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!w.isVisible());
    QCOMPARE(host.messages.texts(), QStringList{"終了しますか？"});
  }

  void initialiseThenUndoOpensTheWorkingWindows() {
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    const AppState before = host.data();
    host.messages.answer(true);
    QVERIFY(host.press({}, "Command3D2"));
    QVERIFY(!w.action("actionEntry")->isEnabled());
    QCOMPARE(plain(w.action("actionUndo")->text()), QString("元に戻す: ﾃﾞｰﾀ初期化"));
    undoKey(w);
    for (const char* name : {"actionEntry", "actionYearBrowse", "actionAnalysis", "actionTrend"}) {
      QVERIFY2(w.action(name)->isEnabled(), name);
    }
    QCOMPARE(host.data().ledger.year.text, before.ledger.year.text);
    QCOMPARE(host.data().tickets.month(5).count, before.tickets.month(5).count);
    QVERIFY(!w.isWindowModified());
    QVERIFY(host.press({}, "Command3D1"));
    QVERIFY(host.isOpen("Finput"));
    host.window("Finput")->close();
    QTest::keyClick(w.workArea(), Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(!w.action("actionEntry")->isEnabled());
    QVERIFY(w.action("actionSwitch")->isEnabled());
  }

  void historyGoesBackSeveralStepsAtOnce() {
    WindowHost host;
    QVERIFY(host.start());
    MainWindow& w = *host.main;
    const std::optional<BetAmounts> loaded = betAmounts(daySlot(host.data().ledger, 4, 2));
    for (int day = 1; day <= 3; ++day) {
      QCOMPARE(w.session().postDay(4, day, tanOnly(100 * day, 0)), PostResult::Ok);
    }
    w.action("actionHistory")->trigger();
    auto* view = w.findChild<QUndoView*>("historyView");
    QVERIFY(view != nullptr);
    QCOMPARE(view->model()->rowCount(), 4);  // the load, then three steps
    view->setCurrentIndex(view->model()->index(1, 0));
    QCOMPARE(w.session().undoStack()->index(), 1);
    QCOMPARE(betAmounts(daySlot(host.data().ledger, 4, 2)), loaded);
    QCOMPARE(plain(w.action("actionRedo")->text()), QString("やり直し: ４月２日の収支"));
  }
};

QTEST_MAIN(TestUndoRedo)
#include "test_undo_redo.moc"
