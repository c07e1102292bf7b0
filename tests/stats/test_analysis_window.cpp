// The analysis window inside the real main window: its tables, the tab rule
// of "グラフ表示", the category graphs and which of them stays in front,
// "最新表示", closing, the overflow refusal and the fit of every control.

#include <QAction>
#include <QBarSet>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <memory>

#include "analysis/analysis_tickets.h"
#include "shell/main_window.h"
#include "stats/analysis_window.h"
#include "stats/category_graphs.h"
#include "stats/tab_strip.h"
#include "store/app_state.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"
#include "support/window_host.h"
#include "widgets/grid.h"
#include "widgets/profit_graph.h"

using namespace tamrel;

Q_DECLARE_METATYPE(tamrel::CategoryGraph)

namespace {

const QString kAlreadyOpen = QStringLiteral("すでにウィンドウは開かれています");
const QString kOutOfRange = QStringLiteral("金額が範囲を超えています");
const QStringList kHeaders{"内容", "投資金額", "払戻金額", "利益金額", "回収率"};
const char* const kGrids[] = {"GridBaba",  "GridRace",   "GridYobi",  "GridCose", "GridLong",
                              "GridClass", "GridUmaRei", "GridHinba", "GridTosu"};

}  // namespace

class TestAnalysisWindow : public QObject {
  Q_OBJECT

  std::unique_ptr<WindowHost> host_;
  MainWindow* main_ = nullptr;
  ScriptedMessages* messages_ = nullptr;

  AppState& state() { return host_->data(); }
  QMdiArea& area() { return *host_->area(); }
  // The category graph that comes forward on activation (0: none): the
  // open analysis window's, or else the one in front in the work area.
  int graphKind() {
    const std::optional<CategoryGraph> kind =
        window() != nullptr ? window()->graphKind() : frontCategoryGraph(area());
    return kind ? static_cast<int>(*kind) : 0;
  }

  void addTicket(int month, std::string_view codes, std::int32_t purchase, std::int32_t payout) {
    analysisdata::append(state().tickets, month,
                         analysisdata::ticket(month, 1, codes, purchase, payout));
  }

  AnalysisWindow* window() { return main_->findChild<AnalysisWindow*>(QStringLiteral("FSyosai")); }
  AnalysisWindow* openAnalysis() {
    QTest::mouseClick(main_->findChild<QPushButton*>(QStringLiteral("BLOWSENEW")), Qt::LeftButton);
    return window();
  }
  template <typename T = QPushButton>
  T* child(const char* name) {
    return window()->findChild<T*>(QString::fromLatin1(name));
  }
  Grid* grid(const char* name) { return child<Grid>(name); }
  void press(const char* name) { QTest::mouseClick(child(name), Qt::LeftButton); }

  // Clicks tab `index` where it is drawn, in its row.
  void clickTab(int index) {
    TabStrip* tabs = window()->tabs();
    QTabBar* bar = tabs->barOf(index);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tabs->placeInBar(index)).center());
  }

  ProfitGraphWindow* graph(CategoryGraph g) { return openCategoryGraph(area(), g); }
  // グラフ表示 on a tab that has a graph; the graph window it shows.
  ProfitGraphWindow* graphFromTab(int tab) {
    clickTab(tab);
    press("GraphBtn");
    return graph(graphOfTab(tab).value());
  }
  int framesNamed(const QString& name) {
    int n = 0;
    for (QMdiSubWindow* f : area().subWindowList()) n += f->widget()->objectName() == name;
    return n;
  }
  QMdiSubWindow* active() { return area().activeSubWindow(); }

  QStringList row(const char* gridName, int r) {
    QStringList cells;
    for (int c = 0; c < 5; ++c) cells << grid(gridName)->cell(r, c);
    return cells;
  }

 private slots:
  void init() {
    host_ = std::make_unique<WindowHost>();
    QVERIFY(host_->start());
    main_ = host_->main.get();
    messages_ = &host_->messages;
    clearTickets(state().tickets);
  }
  void cleanup() { host_.reset(); }

  void opensOnTheRaceTabWithTheYearsFigures() {
    addTicket(3, "1A11111111", 3000, 4500);
    addTicket(11, "1111111111", 300, 200);
    QVERIFY(openAnalysis() != nullptr);
    QCOMPARE(messages_->count(), 0);
    QVERIFY(host_->isOpen(AnalysisWindow::kName));
    QCOMPARE(window()->windowTitle(), QStringLiteral("詳細表示ウィンドウ"));
    QCOMPARE(window()->subWindow()->pos(), QPoint(0, 0));
    QCOMPARE(window()->tabs()->currentIndex(), 1);
    QVERIFY(child("GraphBtn")->isEnabled());
    QVERIFY(grid("GridRace")->isVisible());
    QCOMPARE(row("GridRace", 0), kHeaders);
    QCOMPARE(row("GridRace", 1), (QStringList{"1ﾚｰｽ", "300", "200", "-100", "66.67%"}));
    QCOMPARE(row("GridRace", 10), (QStringList{"10ﾚｰｽ", "3000", "4500", "1500", "150.00%"}));
    QCOMPARE(row("GridRace", 13), (QStringList{"", "", "", "", ""}));
    QCOMPARE(row("GridBaba", 1), (QStringList{"札幌", "3300", "4700", "1400", "142.42%"}));
  }

  void everyGridShowsItsCategories_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("categories");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    const struct {
      int n;
      const char* first;
      const char* last;
    } grids[] = {{11, "札幌", "その他"}, {12, "1ﾚｰｽ", "12ﾚｰｽ"},         {3, "土曜日", "その他"},
                 {3, "芝", "障害"},      {4, "1600M以下", "2400M以上"}, {9, "Ｇ１", "新馬"},
                 {4, "２歳", "４歳上"},  {3, "無し", "ﾊﾝﾃﾞ"},           {4, "9頭以下", "16頭以上"}};
    for (int t = 0; t < 9; ++t) {
      QTest::newRow(kGrids[t]) << t << grids[t].n << QString::fromUtf8(grids[t].first)
                               << QString::fromUtf8(grids[t].last);
    }
  }

  void everyGridShowsItsCategories() {
    QFETCH(int, tab);
    QFETCH(int, categories);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QVERIFY(openAnalysis() != nullptr);
    const char* name = kGrids[tab];
    Grid* g = grid(name);
    QVERIFY(g != nullptr);
    QCOMPARE(g->rowCountWithHeader(), 15);
    QCOMPARE(g->colCountWithHeader(), 5);
    QCOMPARE(row(name, 0), kHeaders);
    QCOMPARE(g->cell(1, 0), first);
    QCOMPARE(g->cell(categories, 0), last);
    // No tickets: every category reads zero; the rows after the last one stay empty.
    for (int r = 1; r < 15; ++r) {
      const QStringList figures = row(name, r).mid(1);
      const QStringList expected =
          r <= categories ? QStringList{"0", "0", "0", "0.00%"} : QStringList{"", "", "", ""};
      QCOMPARE(figures, expected);
    }
    // The widths keep the proportions 1000 : 1600 : 1600 : 1600 : 1100.
    for (int c = 1; c < 4; ++c) QCOMPARE(g->columnWidthPixels(c), g->columnWidthPixels(1));
    QVERIFY(qAbs(g->columnWidthPixels(0) * 16 - g->columnWidthPixels(1) * 10) <= 16);
    QVERIFY(qAbs(g->columnWidthPixels(4) * 16 - g->columnWidthPixels(1) * 11) <= 16);
    clickTab(tab);
    QVERIFY(g->isVisible());
  }

  void graphButtonFollowsTheTab_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("enabled");
    const char* captions[] = {"馬場別", "ﾚｰｽ別",  "曜日別", "ｺｰｽ別", "距離別", "ｸﾗｽ別",
                              "馬齢別", "条件別", "頭数別", " ",     " ",      " "};
    for (int t = 0; t < 12; ++t) {
      QTest::addRow("tab %d", t) << t << QString::fromUtf8(captions[t])
                                 << (t == 0 || t == 1 || t == 5);
    }
  }

  void graphButtonFollowsTheTab() {
    QFETCH(int, tab);
    QFETCH(QString, caption);
    QFETCH(bool, enabled);
    QVERIFY(openAnalysis() != nullptr);
    TabStrip* tabs = window()->tabs();
    QCOMPARE(tabs->objectName(), QStringLiteral("SSTabS"));
    QCOMPARE(tabs->count(), 12);
    QCOMPARE(tabs->tabText(tab), caption);
    QSignalSpy changed(tabs, &TabStrip::currentChanged);
    clickTab(tab);
    QCOMPARE(tabs->currentIndex(), tab);
    QCOMPARE(changed.count(), tab == 1 ? 0 : 1);
    QCOMPARE(child("GraphBtn")->isEnabled(), enabled);
    // A blank tab shows an empty page; the others their grid.
    const QList<Grid*> shown = tabs->page(tab)->findChildren<Grid*>();
    QCOMPARE(shown.size(), tab < 9 ? 1 : 0);
    if (tab < 9) QCOMPARE(shown.front()->objectName(), QString::fromLatin1(kGrids[tab]));

    press("GraphBtn");
    QCOMPARE(graphKind(), enabled ? (tab == 5 ? 3 : tab + 1) : 0);
    QCOMPARE(area().subWindowList().size(), enabled ? 2 : 1);

    // Back on tab 0 the button works again.
    clickTab(0);
    QVERIFY(child("GraphBtn")->isEnabled());
  }

  void classGraphBroughtForwardNotRebuilt() {
    addTicket(2, "1111191111", 500, 0);
    addTicket(2, "1111111111", 100, 700);
    QVERIFY(openAnalysis() != nullptr);
    QPointer<ProfitGraphWindow> shown = graphFromTab(5);
    QVERIFY(shown != nullptr);
    QCOMPARE(graphKind(), 3);
    QCOMPARE(shown->objectName(), QStringLiteral("FGClass"));
    QCOMPARE(shown->windowTitle(), QStringLiteral("クラス別利益表示"));
    QCOMPARE(shown->subWindow()->pos(), QPoint(0, 0));
    QTRY_COMPARE(active(), shown->subWindow());
    ProfitGraph* bars = shown->graph();
    QCOMPARE(bars->pointCount(), 9);
    QCOMPARE(bars->point(0).label, QStringLiteral("新馬"));
    QCOMPARE(bars->point(0).value, std::optional<std::int32_t>(-500));
    QCOMPARE(bars->point(8).label, QStringLiteral("Ｇ１"));
    QCOMPARE(bars->point(8).value, std::optional<std::int32_t>(600));
    QVERIFY(bars->findChild<QAction*>(QStringLiteral("SaveGraphImage")) != nullptr);

    // New tickets and a refresh change the totals, not the open graph.
    addTicket(4, "1111111111", 0, 9000);
    QTest::mouseClick(child("Command3D1"), Qt::LeftButton);
    QCOMPARE(grid("GridClass")->cell(1, 3), QStringLiteral("9600"));
    area().setActiveSubWindow(window()->subWindow());
    QCOMPARE(graphFromTab(5), shown.data());
    QCOMPARE(framesNamed("FGClass"), 1);
    QCOMPARE(shown->graph()->point(8).value, std::optional<std::int32_t>(600));
    QTRY_COMPARE(active(), shown->subWindow());
  }

  void refreshShowsNewTicketsOnTheRaceTab() {
    addTicket(6, "1111111111", 1000, 0);
    QVERIFY(openAnalysis() != nullptr);
    window()->subWindow()->move(40, 30);
    clickTab(7);
    addTicket(9, "1211111111", 400, 1000);
    // Until the refresh the grids keep the figures of the load.
    QCOMPARE(row("GridRace", 2), (QStringList{"2ﾚｰｽ", "0", "0", "0", "0.00%"}));
    press("Command3D1");
    QCOMPARE(row("GridRace", 2), (QStringList{"2ﾚｰｽ", "400", "1000", "600", "250.00%"}));
    QCOMPARE(row("GridBaba", 1), (QStringList{"札幌", "1400", "1000", "-400", "71.43%"}));
    QCOMPARE(window()->tabs()->currentIndex(), 1);
    QVERIFY(grid("GridRace")->isVisible());
    QVERIFY(child("GraphBtn")->isEnabled());
    QCOMPARE(window()->subWindow()->pos(), QPoint(0, 0));
    QCOMPARE(messages_->count(), 0);
    // Still open: a second copy and the initialisation are refused.
    QVERIFY(host_->isOpen(AnalysisWindow::kName));
    QTest::mouseClick(main_->findChild<QPushButton*>(QStringLiteral("BLOWSENEW")), Qt::LeftButton);
    QCOMPARE(messages_->texts(), QStringList{kAlreadyOpen});
    main_->initialiseData();
    QCOMPARE(messages_->last().text, QStringLiteral("他のウィンドウを全て閉じて下さい"));
    QCOMPARE(framesNamed("FSyosai"), 1);
  }

  void secondOpenRefusedUntilClosed() {
    QVERIFY(openAnalysis() != nullptr);
    QPointer<AnalysisWindow> first = window();
    openAnalysis();
    QCOMPARE(messages_->shown(), (QList<ShownMessage>{{kErrorTitle, kAlreadyOpen}}));
    QCOMPARE(framesNamed("FSyosai"), 1);
    press("CancelCmd");
    QTRY_VERIFY(first.isNull());
    QVERIFY(!host_->isOpen(AnalysisWindow::kName));
    messages_->clear();
    QVERIFY(openAnalysis() != nullptr);
    QCOMPARE(messages_->count(), 0);
  }

  void closingLeavesTheGraphOpen_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("閉じる") << true;
    QTest::newRow("close box") << false;
  }

  void closingLeavesTheGraphOpen() {
    QFETCH(bool, byButton);
    addTicket(1, "3111111111", 100, 0);
    QVERIFY(openAnalysis() != nullptr);
    QPointer<ProfitGraphWindow> baba = graphFromTab(0);
    QVERIFY(baba != nullptr);
    QPointer<AnalysisWindow> analysis = window();
    if (byButton) {
      press("CancelCmd");
    } else {
      analysis->subWindow()->close();
    }
    QTRY_VERIFY(analysis.isNull());
    QVERIFY(!host_->isOpen(AnalysisWindow::kName));
    QVERIFY(baba != nullptr && baba->isVisible());
    QCOMPARE(graphKind(), 1);

    // A new analysis window brings the open graph forward instead of
    // building a second one.
    addTicket(1, "3111111111", 100, 0);
    QVERIFY(openAnalysis() != nullptr);
    QTRY_COMPARE(active(), baba->subWindow());
    QCOMPARE(framesNamed("FGBaba"), 1);
    QCOMPARE(baba->graph()->point(2).value, std::optional<std::int32_t>(-100));
  }

  void closingEitherGraphForgetsBoth_data() {
    QTest::addColumn<CategoryGraph>("closed");
    QTest::addColumn<bool>("byButton");
    QTest::newRow("racecourse, 閉じる") << CategoryGraph::Racecourse << true;
    QTest::newRow("racecourse, close box") << CategoryGraph::Racecourse << false;
    QTest::newRow("race, 閉じる") << CategoryGraph::RaceNo << true;
    QTest::newRow("race, close box") << CategoryGraph::RaceNo << false;
  }

  void closingEitherGraphForgetsBoth() {
    QFETCH(CategoryGraph, closed);
    QFETCH(bool, byButton);
    QVERIFY(openAnalysis() != nullptr);
    QVERIFY(graphFromTab(0) != nullptr);
    QCOMPARE(graphKind(), 1);
    QVERIFY(graphFromTab(1) != nullptr);
    QCOMPARE(graphKind(), 2);
    QVERIFY(graph(CategoryGraph::Racecourse) != nullptr);
    QPointer<ProfitGraphWindow> gone = graph(closed);
    QVERIFY(gone != nullptr);
    if (byButton) {
      QTest::mouseClick(gone->findChild<QPushButton*>(QStringLiteral("Close3d1")), Qt::LeftButton);
    } else {
      gone->subWindow()->close();
    }
    QTRY_VERIFY(gone.isNull());
    QCOMPARE(graphKind(), 0);
    // Neither graph comes forward when the analysis window is activated.
    area().setActiveSubWindow(window()->subWindow());
    QTRY_COMPARE(active(), window()->subWindow());
    QCOMPARE(area().subWindowList().size(), 2);
  }

  void activationShowsTheGraphOfTheKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("racecourse") << 1 << "FGBaba";
    QTest::newRow("race") << 2 << "FGRace";
    QTest::newRow("class") << 3 << "FGClass";
  }

  void activationShowsTheGraphOfTheKind() {
    QFETCH(int, kind);
    QFETCH(QString, name);
    QVERIFY(openAnalysis() != nullptr);
    QTRY_COMPARE(active(), window()->subWindow());
    // As after a graph that was closed in a way that left the kind set.
    window()->setGraphKind(kind == 0 ? std::nullopt
                                     : std::optional<CategoryGraph>(CategoryGraph(kind)));
    area().setActiveSubWindow(nullptr);
    area().setActiveSubWindow(window()->subWindow());
    if (name.isEmpty()) {
      QCOMPARE(area().subWindowList().size(), 1);
      QCOMPARE(active(), window()->subWindow());
    } else {
      QTRY_COMPARE(active() != nullptr ? active()->widget()->objectName() : QString(), name);
      QCOMPARE(active()->pos(), QPoint(0, 0));
      QCOMPARE(framesNamed(name), 1);
    }
  }

  void overflowToldOnceAndItsRowsStayEmpty() {
    addTicket(1, "2111111111", 100, 300);
    // Only the racecourse dimension sees these.
    for (int i = 0; i < 3; ++i) addTicket(5, "2         ", 999999999, 0);
    QVERIFY(openAnalysis() != nullptr);
    QCOMPARE(messages_->shown(), (QList<ShownMessage>{{kErrorTitle, kOutOfRange}}));
    for (int r = 1; r < 15; ++r) QCOMPARE(row("GridBaba", r), (QStringList{"", "", "", "", ""}));
    QCOMPARE(row("GridBaba", 0), kHeaders);
    QCOMPARE(row("GridRace", 1), (QStringList{"1ﾚｰｽ", "100", "300", "200", "300.00%"}));
    ProfitGraphWindow* baba = graphFromTab(0);
    QVERIFY(baba != nullptr);
    QCOMPARE(baba->graph()->pointCount(), 11);
    for (int i = 0; i < 11; ++i) {
      QVERIFY(!baba->graph()->point(i).value.has_value());
      QCOMPARE(baba->graph()->profitBars()->at(i), 0.0);
      QCOMPARE(baba->graph()->lossBars()->at(i), 0.0);
    }
    // Each load tells it once more.
    QTest::mouseClick(child("Command3D1"), Qt::LeftButton);
    QCOMPARE(messages_->count(), 2);
  }

  void everythingFitsAndShowsWhole() {
    QVERIFY(openAnalysis() != nullptr);
    QMdiSubWindow* frame = window()->subWindow();
    QVERIFY(area().viewport()->rect().contains(frame->geometry()));
    QCOMPARE(window()->minimumSize(), window()->maximumSize());
    QVERIFY(!(frame->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(frame->windowFlags() & Qt::WindowCloseButtonHint);

    TabStrip* tabs = window()->tabs();
    for (int t = 0; t < tabs->count(); ++t) {
      QTabBar* bar = tabs->barOf(t);
      const QRect r = bar->tabRect(tabs->placeInBar(t));
      QVERIFY(bar->rect().contains(r));
      QVERIFY(bar->fontMetrics().horizontalAdvance(tabs->tabText(t)) < r.width());
      QVERIFY(window()->rect().contains(QRect(bar->mapTo(window(), r.topLeft()), r.size())));
    }
    for (int t = 0; t < 9; ++t) {
      clickTab(t);
      Grid* g = grid(kGrids[t]);
      QVERIFY(g->isVisible());
      QVERIFY(!g->horizontalScrollBar()->isVisible());
      QVERIFY(!g->verticalScrollBar()->isVisible());
      int total = 0;
      for (int c = 0; c < 5; ++c) {
        total += g->columnWidthPixels(c);
        for (int r = 0; r < 15; ++r) {
          QVERIFY2(g->fontMetrics().horizontalAdvance(g->cell(r, c)) < g->columnWidthPixels(c),
                   qPrintable(g->cell(r, c)));
        }
      }
      QVERIFY(total <= g->viewport()->width());
      QCOMPARE(g->horizontalHeader()->length(), total);
    }
    for (const char* name : {"GraphBtn", "Command3D1", "CancelCmd"}) {
      QPushButton* b = child(name);
      QVERIFY(b->fontMetrics().horizontalAdvance(b->text()) < b->width());
    }
  }

  void tabStripShowsOneSelectedTab() {
    TabStrip tabs(3);
    tabs.setObjectName(QStringLiteral("Tabs"));
    for (int t = 0; t < 7; ++t) tabs.addTab(new QWidget, QString::number(t), QString::number(t));
    QCOMPARE(tabs.rows().size(), std::size_t{3});
    const auto selected = [&tabs] {
      QList<int> shown;
      for (QTabBar* bar : tabs.rows()) shown << bar->currentIndex();
      return shown;
    };
    // The first tab added is current; adding the others leaves it so, and
    // the rows without it show nothing selected (their hidden last tab).
    QCOMPARE(tabs.currentIndex(), 0);
    QCOMPARE(selected(), (QList<int>{0, 3, 1}));
    tabs.setCurrentIndex(6);
    QCOMPARE(selected(), (QList<int>{3, 3, 0}));
    QCOMPARE(tabs.findChild<QStackedWidget*>()->currentWidget(), tabs.page(6));
    // Arrow keys walk on from row to row, never onto a hidden tab, and stop
    // at either end.
    tabs.setCurrentIndex(4);
    QTest::keyClick(tabs.rows()[1], Qt::Key_Right);
    QCOMPARE(tabs.currentIndex(), 5);
    QTest::keyClick(tabs.rows()[1], Qt::Key_Right);
    QCOMPARE(tabs.currentIndex(), 6);
    QCOMPARE(selected(), (QList<int>{3, 3, 0}));
    QTest::keyClick(tabs.rows()[2], Qt::Key_Right);
    QCOMPARE(tabs.currentIndex(), 6);
    tabs.setCurrentIndex(0);
    QTest::keyClick(tabs.rows()[0], Qt::Key_Left);
    QCOMPARE(tabs.currentIndex(), 0);
  }

  // The rows stay where they are whichever tab is chosen, by pointer or by
  // keys, and the chosen tab is marked in its own row, with the focus frame
  // when the strip has the focus.
  void tabRowsStayPut() {
    QVERIFY(openAnalysis() != nullptr);
    TabStrip* tabs = window()->tabs();
    const QRect top = tabs->rows()[0]->geometry();
    const QRect bottom = tabs->rows()[1]->geometry();
    QVERIFY(top.bottom() < bottom.top());
    const auto marked = [tabs](int t) {
      QTabBar* other = tabs->rows()[tabs->barOf(t) == tabs->rows()[0] ? 1 : 0];
      return tabs->barOf(t)->currentIndex() == tabs->placeInBar(t) &&
             !other->isTabVisible(other->currentIndex());
    };
    for (int t : {7, 0, 11, 6, 5, 1, 2, 3, 4, 8, 9, 10}) {
      clickTab(t);
      QCOMPARE(tabs->currentIndex(), t);
      QVERIFY(marked(t));
      QCOMPARE(tabs->rows()[0]->geometry(), top);
      QCOMPARE(tabs->rows()[1]->geometry(), bottom);
    }

    clickTab(0);
    QTRY_VERIFY(tabs->barOf(0)->hasFocus());
    QTabBar* firstRow = tabs->rows()[0];
    const QRect firstTab = firstRow->tabRect(0);
    const QImage framed = firstRow->grab(firstTab).toImage();
    for (int t = 1; t < tabs->count(); ++t) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
      QCOMPARE(tabs->currentIndex(), t);
      QVERIFY(marked(t));
      QCOMPARE(QApplication::focusWidget(), tabs->barOf(t));
    }
    for (int t = tabs->count() - 2; t >= 0; --t) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
      QCOMPARE(tabs->currentIndex(), t);
    }
    QCOMPARE(tabs->rows()[0]->geometry(), top);
    QCOMPARE(tabs->rows()[1]->geometry(), bottom);
    // The frame goes with the focus.
    child("CancelCmd")->setFocus();
    QTRY_VERIFY(!firstRow->hasFocus());
    QVERIFY(firstRow->grab(firstTab).toImage() != framed);
  }

  void namedForScreenReadersAndReachedByTab() {
    QVERIFY(openAnalysis() != nullptr);
    for (QWidget* w : window()->findChildren<QWidget*>()) {
      if (qobject_cast<Grid*>(w) || qobject_cast<QPushButton*>(w) || qobject_cast<QTabBar*>(w)) {
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
      }
      // Every grid copies and saves its table, and prints the window.
      if (qobject_cast<Grid*>(w)) QCOMPARE(w->actions().size(), 5);
    }
    TabStrip* tabs = window()->tabs();
    QCOMPARE(tabs->accessibleName(), QStringLiteral("分析表示種類選択"));
    QCOMPARE(grid("GridClass")->accessibleName(), QStringLiteral("ｸﾗｽ別集計表"));
    QCOMPARE(tabs->barOf(5)->accessibleTabName(5), QStringLiteral("ｸﾗｽ別"));
    QVERIFY(!tabs->barOf(10)->accessibleTabName(tabs->placeInBar(10)).trimmed().isEmpty());

    // The tab rows are one stop: the row of the chosen tab.
    for (int tab : {0, 7}) {
      clickTab(tab);
      QTRY_VERIFY(tabs->barOf(tab)->hasFocus());
      QStringList reached{tabs->barOf(tab)->objectName()};
      for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
      }
      QStringList expected{reached.front(), kGrids[tab], "GraphBtn", "Command3D1", "CancelCmd"};
      if (tab == 7) expected.removeAll("GraphBtn");
      QCOMPARE(reached.front(), tab < 6 ? "SSTabSRow1" : "SSTabSRow2");
      QCOMPARE(reached.mid(0, expected.size()), expected);
    }
  }
};

QTEST_MAIN(TestAnalysisWindow)
#include "test_analysis_window.moc"
