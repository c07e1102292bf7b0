// The two entry windows as the program shows them in its 1024x740 main
// window: inside the work area, every caption and amount whole, all fifteen
// ticket columns in view, a name for a screen reader on every control, and a
// tab order that reaches every control.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTest>
#include <memory>

#include "base/amount.h"
#include "detail/ticket_records.h"
#include "entry/entry_window.h"
#include "entry/ticket_window.h"
#include "shell/main_window.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"
#include "support/window_fit.h"
#include "widgets/core_text.h"
#include "widgets/grid.h"
#include "widgets/look.h"

using namespace tamrel;

namespace {

template <typename T = QWidget>
T* named(const QWidget* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

// The program on the sample year, with 収支入力 open on 3 May and, when
// asked, 詳細入力 opened from it.
struct Program {
  tamrel::testdata::DataDir dir;
  ScriptedMessages messages;
  std::unique_ptr<MainWindow> main;
  QWidget* entry = nullptr;
  QWidget* tickets = nullptr;

  bool start(bool withTickets) {
    if (!dir.writeSample()) return false;
    main = std::make_unique<MainWindow>(messages, dir.path());
    main->show();
    if (!QTest::qWaitForWindowActive(main.get())) return false;
    QTest::mouseClick(named(main.get(), "Command3D1"), Qt::LeftButton);
    entry = main->workArea()->findChild<EntryWindow*>();
    if (entry == nullptr || !choose("MM", 4) || !choose("DD", 2)) return false;
    if (!withTickets) return true;
    QTest::mouseClick(named(entry, "SSCommand1"), Qt::LeftButton);
    tickets = main->workArea()->findChild<TicketWindow*>();
    return tickets != nullptr && QTest::qWaitFor([this] { return tickets->isVisible(); });
  }

  bool choose(const char* list, int index) const {
    auto* combo = named<QComboBox>(entry, list);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    return combo->currentIndex() == index;
  }

  QWidget* window(const QString& name) const { return name == "jrabaken" ? tickets : entry; }
};

// The controls that can hold the focus. Display boxes are none: they pass
// the focus on at once. (Qt keeps the unselected options of a group out of
// the tab chain; they take the focus by arrow key or click.)
QStringList focusableNames(const QWidget* window) {
  QStringList names;
  for (const QWidget* w : window->findChildren<QWidget*>()) {
    if (w->focusPolicy() != Qt::NoFocus && qobject_cast<const ValueBox*>(w) == nullptr &&
        w->isVisible() && w->isEnabled() && !w->objectName().isEmpty()) {
      names << w->objectName();
    }
  }
  names.sort();
  return names;
}

}  // namespace

class TestEntryLayout : public QObject {
  Q_OBJECT
 private slots:
  void windowsFitTheWorkArea_data();
  void windowsFitTheWorkArea();
  void captionsWhole_data();
  void captionsWhole();
  void amountsWhole_data();
  void amountsWhole();
  void ticketGridShowsEveryColumn();
  void ticketPanelsWhereTheyBelong_data();
  void ticketPanelsWhereTheyBelong();
  void accessibleNames_data();
  void accessibleNames();
  void tabReachesEveryControl_data();
  void tabReachesEveryControl();
};

void TestEntryLayout::windowsFitTheWorkArea_data() {
  QTest::addColumn<bool>("withTickets");
  QTest::newRow("収支入力") << false;
  QTest::newRow("収支入力 and 詳細入力") << true;
}

void TestEntryLayout::windowsFitTheWorkArea() {
  QFETCH(bool, withTickets);
  Program p;
  QVERIFY(p.start(withTickets));
  QCOMPARE(p.main->size(), QSize(1024, 740));
  QMdiArea* area = p.main->workArea();
  const QRect work = area->viewport()->rect();
  QCOMPARE(area->subWindowList().size(), withTickets ? 2 : 1);
  for (QMdiSubWindow* frame : area->subWindowList()) {
    QVERIFY2(work.contains(frame->geometry()),
             qPrintable(frame->windowTitle() + QStringLiteral(" %1x%2 in %3x%4")
                                                   .arg(frame->width())
                                                   .arg(frame->height())
                                                   .arg(work.width())
                                                   .arg(work.height())));
    QCOMPARE(frame->pos(), QPoint(0, 0));
    // Shown whole inside its frame: the frame is not smaller than the window.
    QCOMPARE(frame->widget()->size(), frame->widget()->sizeHint());
  }
  QVERIFY(!area->horizontalScrollBar()->isVisible());
  QVERIFY(!area->verticalScrollBar()->isVisible());
}

void TestEntryLayout::captionsWhole_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<bool>("confirming");
  QTest::addColumn<bool>("lowered");  // zero sums taken over: note and long question
  QTest::newRow("収支入力") << "Finput" << false << false;
  QTest::newRow("収支入力, confirming") << "Finput" << true << false;
  QTest::newRow("収支入力, zero sums, confirming") << "Finput" << true << true;
  QTest::newRow("詳細入力") << "jrabaken" << false << false;
}

void TestEntryLayout::captionsWhole() {
  QFETCH(QString, window);
  QFETCH(bool, confirming);
  QFETCH(bool, lowered);
  Program p;
  QVERIFY(p.start(window == "jrabaken"));
  if (lowered) static_cast<EntryWindow*>(p.entry)->takeTickets({}, {});
  QCOMPARE(named(p.entry, "TicketTotalsNote")->isVisible(), lowered);
  if (confirming) QTest::mouseClick(named(p.entry, "ChkCmd"), Qt::LeftButton);
  QCOMPARE(named(p.entry, "Kakunin")->isVisible(), confirming);
  QCOMPARE(tamrel::testdata::layoutFaults(p.window(window)).join(u'\n'), QString());
  // A window that grew with its question is still whole, in the work area.
  QCOMPARE(p.entry->size(), p.entry->sizeHint());
  QVERIFY(p.entry->parentWidget()->rect().contains(p.entry->geometry()));
  QVERIFY(p.main->workArea()->viewport()->rect().contains(p.entry->parentWidget()->geometry()));
}

void TestEntryLayout::amountsWhole_data() {
  QTest::addColumn<QString>("window");
  QTest::newRow("収支入力") << "Finput";
  QTest::newRow("詳細入力") << "jrabaken";
}

// Every amount box has room for the widest amount the ledger can hold.
void TestEntryLayout::amountsWhole() {
  QFETCH(QString, window);
  Program p;
  QVERIFY(p.start(window == "jrabaken"));
  const QString widest = fromCore(formatAmount(std::numeric_limits<std::int32_t>::min()));
  int boxes = 0;
  for (QLineEdit* box : p.window(window)->findChildren<QLineEdit*>()) {
    if (!box->isVisible()) continue;
    ++boxes;
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
    // The line edit keeps two pixels either side of its text inside the frame.
    const int needed = box->fontMetrics().horizontalAdvance(widest) + 2 * (frame + 2);
    QVERIFY2(box->width() >= needed, qPrintable(box->objectName()));
  }
  QCOMPARE(boxes, window == "jrabaken" ? 4 : 32);
}

void TestEntryLayout::ticketGridShowsEveryColumn() {
  Program p;
  QVERIFY(p.start(true));
  auto* grid = named<Grid>(p.tickets, "Grid1");
  QCOMPARE(grid->colCountWithHeader(), 15);
  QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
  int width = 0;
  for (int c = 0; c < 15; ++c) width += grid->columnWidthPixels(c);
  QVERIFY(width <= grid->viewport()->width() + grid->verticalHeader()->width());

  // The widths keep the proportions of the twips table.
  const int twips[] = {500, 700, 700,  700,  500,  1000, 700, 700,
                       700, 700, 1100, 1100, 1100, 400,  400};
  const double scale = static_cast<double>(grid->columnWidthPixels(5)) / twipsToPixels(1000, grid);
  QVERIFY(scale >= 1.0);
  for (int c = 0; c < 15; ++c) {
    // The last two columns never show anything and are hidden.
    QCOMPARE(c > 0 && grid->isColumnHidden(c - 1), c >= 13);
    if (c >= 13) continue;
    QVERIFY2(qAbs(grid->columnWidthPixels(c) - twipsToPixels(twips[c], grid) * scale) <= 2.0,
             qPrintable(QString::number(c)));
  }

  // Every caption or amount a column can hold is drawn whole in it.
  const std::pair<int, Attribute> columns[] = {
      {1, Attribute::Racecourse},  {2, Attribute::RaceNo},       {3, Attribute::Weekday},
      {4, Attribute::Surface},     {5, Attribute::DistanceBand}, {6, Attribute::AgeGroup},
      {7, Attribute::RaceClass},   {8, Attribute::Condition},    {9, Attribute::BetType},
      {12, Attribute::RunnersBand}};
  QList<std::pair<int, QString>> texts;
  for (const auto& [column, attribute] : columns) {
    for (const CodeCaption& entry : codeTable(attribute))
      texts.append({column, fromCore(entry.caption)});
  }
  for (int column : {10, 11}) {
    texts.append({column, QStringLiteral("2147483647")});
    texts.append({column, QStringLiteral("-999999999")});
  }
  for (const auto& [column, text] : texts) {
    grid->setCell(2, column, text);
    const QModelIndex index = grid->model()->index(1, column - 1);
    QStyleOptionViewItem option;
    option.initFrom(grid->viewport());
    option.font = grid->font();
    option.widget = grid;
    const int needed = grid->itemDelegate()->sizeHint(option, index).width();
    QVERIFY2(
        needed <= grid->columnWidthPixels(column),
        qPrintable(text +
                   QStringLiteral(": %1 > %2").arg(needed).arg(grid->columnWidthPixels(column))));
  }
  const int headerMargin = grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid);
  for (int c = 1; c <= 12; ++c) {
    const int needed = grid->horizontalHeader()->fontMetrics().horizontalAdvance(grid->cell(0, c)) +
                       2 * headerMargin;
    QVERIFY2(needed <= grid->columnWidthPixels(c), qPrintable(grid->cell(0, c)));
  }
}

void TestEntryLayout::ticketPanelsWhereTheyBelong_data() {
  // Panels by caption (or controls by name); "left of" and "above" compare
  // the outer edges, "in" means inside the other's frame.
  QTest::addColumn<QString>("first");
  QTest::addColumn<QString>("relation");
  QTest::addColumn<QString>("second");
  const auto row = [](const char* a, const char* rel, const char* b) {
    QTest::addRow("%s %s %s", a, rel, b)
        << QString::fromUtf8(a) << QString::fromLatin1(rel) << QString::fromUtf8(b);
  };
  row("場名", "above", "レース");
  row("レース", "above", "曜日");
  row("場名", "leftOf", "馬齢");
  row("曜日", "leftOf", "クラス");
  row("曜日", "leftOf", "出走頭数");
  row("馬齢", "leftOf", "コース");
  row("コース", "leftOf", "距離");
  row("馬齢", "above", "クラス");
  row("クラス", "leftOf", "条件ﾚｰｽ");
  row("距離", "above", "条件ﾚｰｽ");
  row("クラス", "above", "出走頭数");
  row("距離", "leftOf", "馬券種類");
  row("条件ﾚｰｽ", "leftOf", "馬券種類");
  row("KONYU", "in", "馬券種類");
  row("TanBtn", "above", "KONYU");
  row("馬券種類", "leftOf", "的中情報");
  row("KnyKin", "in", "的中情報");
  row("HaiKin", "in", "的中情報");
  row("KnyKin", "above", "HaiKin");
  row("的中情報", "above", "SSCommand1");
  row("SSCommand1", "above", "HAITO");
  row("HAITO", "above", "Command3D3");
  row("出走頭数", "above", "Grid1");
  row("馬券種類", "above", "Grid1");
  row("Command3D3", "above", "Grid1");
  row("Grid1", "above", "DelCmd");
  row("Grid1", "above", "TicketTotals");
  row("TicketTotals", "above", "ChgCmd");
  row("ChgCmd", "leftOf", "DelCmd");
  row("DelCmd", "leftOf", "Command3D1");
}

void TestEntryLayout::ticketPanelsWhereTheyBelong() {
  QFETCH(QString, first);
  QFETCH(QString, relation);
  QFETCH(QString, second);
  Program p;
  QVERIFY(p.start(true));
  const auto find = [&](const QString& key) -> QWidget* {
    if (auto* w = p.tickets->findChild<QWidget*>(key)) return w;
    for (QGroupBox* g : p.tickets->findChildren<QGroupBox*>()) {
      // The outer panel of that caption ("購入金額" is also inside 的中情報).
      if (g->title() == key && g->parentWidget() == p.tickets) return g;
    }
    return nullptr;
  };
  QWidget* a = find(first);
  QWidget* b = find(second);
  QVERIFY(a != nullptr && b != nullptr);
  const QRect ra(a->mapTo(p.tickets, QPoint(0, 0)), a->size());
  const QRect rb(b->mapTo(p.tickets, QPoint(0, 0)), b->size());
  if (relation == "above") {
    QVERIFY(ra.bottom() < rb.top());
  } else if (relation == "leftOf") {
    QVERIFY(ra.right() < rb.left());
  } else {
    QVERIFY(b->isAncestorOf(a));
    QVERIFY(rb.contains(ra));
  }
}

void TestEntryLayout::accessibleNames_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<QString>("control");
  QTest::addColumn<QString>("name");
  QTest::newRow("stake box") << "Finput"
                             << "TosiTan"
                             << "単勝 投資金額";
  QTest::newRow("payout box") << "Finput"
                              << "Harai3Ren"
                              << "３連複 払戻金額";
  QTest::newRow("profit box") << "Finput"
                              << "RiekiKak"
                              << "ワイド 利益金額";
  QTest::newRow("rate box") << "Finput"
                            << "RituUTan"
                            << "馬単 回収率";
  QTest::newRow("total stake") << "Finput"
                               << "GokeiTosi"
                               << "合計 投資金額";
  QTest::newRow("total rate") << "Finput"
                              << "GokeiRitu"
                              << "合計 回収率";
  QTest::newRow("month list") << "Finput"
                              << "MM"
                              << "日付 月";
  QTest::newRow("confirm") << "Finput"
                           << "YesCmd"
                           << "はい";
  QTest::newRow("racecourse list") << "jrabaken"
                                   << "BABA"
                                   << "場名";
  QTest::newRow("purchase") << "jrabaken"
                            << "KONYU"
                            << "購入金額";
  QTest::newRow("calculator purchase") << "jrabaken"
                                       << "KnyKin"
                                       << "的中情報 購入金額";
  QTest::newRow("dividend") << "jrabaken"
                            << "HaiKin"
                            << "的中情報 配当金額";
  QTest::newRow("distance option") << "jrabaken"
                                   << "M2000"
                                   << "距離 1600m～2000m";
  QTest::newRow("grid") << "jrabaken"
                        << "Grid1"
                        << "馬券一覧";
  QTest::newRow("delete") << "jrabaken"
                          << "DelCmd"
                          << "削除";
  QTest::newRow("change") << "jrabaken"
                          << "ChgCmd"
                          << "変更";
}

void TestEntryLayout::accessibleNames() {
  QFETCH(QString, window);
  QFETCH(QString, control);
  QFETCH(QString, name);
  Program p;
  QVERIFY(p.start(window == "jrabaken"));
  QWidget* w = p.window(window);
  QCOMPARE(w->findChild<QWidget*>(control)->accessibleName(), name);
  // And no control of the window goes without a name.
  for (QWidget* c : w->findChildren<QWidget*>()) {
    const bool needsName = qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) ||
                           qobject_cast<QAbstractButton*>(c) || qobject_cast<Grid*>(c);
    if (needsName && !c->objectName().isEmpty()) {
      QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
    }
  }
}

void TestEntryLayout::tabReachesEveryControl_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<QStringList>("order");
  QTest::newRow("収支入力") << "Finput"
                            << QStringList{"MM",       "DD",           "TosiTan",    "TosiFuk",
                                           "TosiWak",  "TosiUma",      "TosiKak",    "TosiUTan",
                                           "Tosi3Ren", "HaraiTan",     "HaraiFuk",   "HaraiWak",
                                           "HaraiUma", "HaraiKak",     "HaraiUTan",  "Harai3Ren",
                                           "ChkCmd",   "TosiClearCmd", "SSCommand1", "Command3D1"};
  // One stop for each option group, on its selected option, as on any
  // desktop; the arrow keys move among the options of the group.
  QTest::newRow("詳細入力") << "jrabaken"
                            << QStringList{"Grid1",      "BABA",       "RACE",       "WEEK",
                                           "Uma3",       "SIBA",       "M1600",      "CLASS1",
                                           "NoRace",     "Tosu1",      "TanBtn",     "KONYU",
                                           "KnyKin",     "HaiKin",     "SSCommand1", "HAITO",
                                           "Command3D3", "Command3D1", "ChgCmd",     "DelCmd"};
}

// Tab pressed from the first control visits every control once, in order,
// and comes back to the first.
void TestEntryLayout::tabReachesEveryControl() {
  QFETCH(QString, window);
  QFETCH(QStringList, order);
  Program p;
  QVERIFY(p.start(window == "jrabaken"));
  QWidget* w = p.window(window);
  QWidget* first = w->findChild<QWidget*>(order.front());
  first->setFocus(Qt::TabFocusReason);
  QTRY_COMPARE(QApplication::focusWidget(), first);
  QStringList visited{order.front()};
  for (int i = 0; i < order.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  QCOMPARE(visited.mid(0, order.size()), order);
  QCOMPARE(visited.back(), order.front());

  // From each option group's stop the arrow keys reach all its options.
  QSet<QString> reached(order.begin(), order.end());
  for (const QString& stop : order) {
    auto* option = w->findChild<QRadioButton*>(stop);
    if (option == nullptr) continue;
    QList<QWidget*> toVisit{option};
    QSet<QWidget*> seen{option};
    while (!toVisit.isEmpty()) {
      QWidget* at = toVisit.takeFirst();
      reached.insert(at->objectName());
      for (Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left}) {
        at->setFocus(Qt::TabFocusReason);
        QTest::keyClick(at, key);
        QWidget* next = QApplication::focusWidget();
        if (!seen.contains(next)) {
          QVERIFY2(next->parentWidget() == option->parentWidget(), qPrintable(stop));
          seen.insert(next);
          toVisit.append(next);
        }
      }
    }
  }
  QStringList all = reached.values();
  all.sort();
  QCOMPARE(all, focusableNames(w));
  QCOMPARE(p.messages.count(), 0);
}

QTEST_MAIN(TestEntryLayout)
#include "test_entry_layout.moc"
