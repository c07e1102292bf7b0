// 馬券一覧 on a data session: names, typing in the search box narrowing the
// list and its figures, the value menus, クリア, sorting, asking for a
// ticket's day, and following postings and undo with the filters and the
// selection kept.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>
#include <initializer_list>

#include "analysis/analysis_tickets.h"
#include "state/data_session.h"
#include "support/gui_actions.h"
#include "support/scripted_messages.h"
#include "ticketlist/ticket_cell_delegate.h"
#include "ticketlist/ticket_list.h"

using namespace tamrel;
using analysisdata::ticket;

namespace {

struct Harness {
  DataSession session;
  ScriptedMessages messages;
  QMdiArea area;
  QPointer<TicketList> window;

  Harness() {
    area.resize(1024, 700);
    area.show();
    window = new TicketList(session, messages);
    openChildWindow(area, window);
  }
  void store(int month, int day, std::initializer_list<TicketRecord> tickets) {
    DayTicketList list;
    for (const TicketRecord& t : tickets) list.entries[static_cast<std::size_t>(list.count++)] = t;
    QCOMPARE(session.storeDayTickets(month, day, list), TransferResult::Ok);
  }
  // Two 単勝 at 中山 on 芝 (3000 staked, 4560 paid), one 馬連 at 東京 on
  // ﾀﾞｰﾄ (12000 staked, nothing paid), and a 3連複 at 中山 in May.
  void storeSample() {
    store(4, 10,
          {ticket(4, 10, "5111111111", 1000, 0), ticket(4, 10, "5111111111", 2000, 4560),
           ticket(4, 10, "6222114111", 12000, 0)});
    store(5, 2, {ticket(5, 2, "5C21117111", 500, 0)});
  }
  int rows() const { return window->table()->model()->rowCount(); }
  QString figure(const char* name) const {
    return window->figureLabel(QString::fromLatin1(name))->text();
  }
  // Checks a value of a dimension's menu, as a click on it does.
  void check(CrossDimension d, int category) {
    window->dimensionButton(d)->menu()->actions().at(category)->trigger();
  }
};

// Types `text` as an input method commits it: Japanese words arrive so, not
// as key presses.
void type(QWidget* box, const QString& text) {
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QApplication::sendEvent(box, &commit);
}

}  // namespace

class TestTicketList : public QObject {
  Q_OBJECT
 private slots:
  void everyControlNamed();
  void typingNarrowsListAndFigures();
  void filtersCombine_data();
  void filtersCombine();
  void menuStaysOpenForSeveralValues();
  void clearShowsEverything();
  void rateTintFollowsFigures();
  void sortsByAmountNotText();
  void sortKeepsSelectionAndFilterKeepsSort();
  void cellsPaintAsTheStyle_data();
  void cellsPaintAsTheStyle();
  void doubleClickAndEnterAskForTheDay();
  void copyTakesSelectedRows();
  void followsPostingAndUndo();
};

void TestTicketList::everyControlNamed() {
  Harness h;
  QCOMPARE(h.window->objectName(), QStringLiteral("TicketList"));
  QCOMPARE(h.window->windowTitle(), QStringLiteral("馬券一覧"));
  int controls = 0;
  for (QWidget* w : h.window->findChildren<QWidget*>()) {
    const bool control = qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) ||
                         qobject_cast<QAbstractButton*>(w) || qobject_cast<QTableView*>(w);
    // The line edit inside a list box belongs to it.
    if (!control || qobject_cast<QComboBox*>(w->parentWidget())) continue;
    // The clear button of the search box, the corner button of the table.
    if (w->parentWidget() == h.window->searchBox()) continue;
    if (qobject_cast<QAbstractItemView*>(w->parentWidget())) continue;
    ++controls;
    QVERIFY2(!w->objectName().isEmpty(), qPrintable(w->metaObject()->className()));
    QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
  }
  // Four period lists, 的中, four amounts, ten dimensions, search, クリア,
  // the table, 閉じる.
  QCOMPARE(controls, 4 + 1 + 4 + 10 + 1 + 1 + 1 + 1);
  QVERIFY(gui::named(h.window, "FilterRacecourse") != nullptr);
  QVERIFY(gui::named(h.window, "FilterBettype") != nullptr);
}

void TestTicketList::typingNarrowsListAndFigures() {
  Harness h;
  h.storeSample();
  QTRY_COMPARE(h.rows(), 4);
  QCOMPARE(h.figure("Count"), QStringLiteral("4"));
  QLineEdit* search = h.window->searchBox();
  search->setFocus();
  type(search, QStringLiteral("中山"));
  QCOMPARE(h.rows(), 3);
  QCOMPARE(h.figure("Count"), QStringLiteral("3"));
  QCOMPARE(h.figure("Stake"), QStringLiteral("3,500円"));
  QCOMPARE(h.figure("Largest"), QStringLiteral("4,560円"));
  // A second word narrows further; the half-width caption is found by the
  // full-width word.
  type(search, QStringLiteral("　単勝"));
  QCOMPARE(h.rows(), 2);
  QCOMPARE(h.figure("Hits"), QStringLiteral("1"));
  QCOMPARE(h.figure("HitRate"), QStringLiteral("50.00%"));
  QCOMPARE(h.figure("Profit"), QStringLiteral("1,560円"));
  QCOMPARE(h.figure("Rate"), QStringLiteral("152.00%"));
  search->clear();
  type(search, QStringLiteral("ダート"));
  QCOMPARE(h.rows(), 1);
  QCOMPARE(h.window->table()->model()->index(0, TicketListModel::Racecourse).data().toString(),
           QStringLiteral("東京"));
  type(search, QStringLiteral(" 中山"));
  QCOMPARE(h.rows(), 0);
  QCOMPARE(h.figure("Count"), QStringLiteral("0"));
  QCOMPARE(h.figure("Largest"), QStringLiteral("－"));
  // Key by key, in the other width and case: "1r" is the caption "１Ｒ".
  search->clear();
  QTest::keyClicks(search, QStringLiteral("1"));
  QCOMPARE(h.rows(), 4);
  QTest::keyClicks(search, QStringLiteral("r"));
  QCOMPARE(h.rows(), 2);
}

void TestTicketList::filtersCombine_data() {
  QTest::addColumn<QList<int>>("racecourses");
  QTest::addColumn<int>("hits");
  QTest::addColumn<QString>("stakeFrom");
  QTest::addColumn<int>("fromMonth");
  QTest::addColumn<int>("rows");
  QTest::newRow("two racecourses") << QList<int>{4, 5} << 0 << "" << 1 << 4;
  QTest::newRow("one racecourse") << QList<int>{5} << 0 << "" << 1 << 1;
  QTest::newRow("hits") << QList<int>{} << 1 << "" << 1 << 1;
  QTest::newRow("misses at 中山") << QList<int>{4} << 2 << "" << 1 << 2;
  QTest::newRow("stake from, full-width") << QList<int>{} << 0 << "１，０００" << 1 << 3;
  QTest::newRow("period and racecourse") << QList<int>{4} << 0 << "" << 5 << 1;
}

void TestTicketList::filtersCombine() {
  QFETCH(QList<int>, racecourses);
  QFETCH(int, hits);
  QFETCH(QString, stakeFrom);
  QFETCH(int, fromMonth);
  QFETCH(int, rows);
  Harness h;
  h.storeSample();
  for (int r : racecourses) h.check(CrossDimension::Racecourse, r);
  QVERIFY(gui::choose(h.window, QStringLiteral("HitChoice"), hits));
  type(gui::named<QLineEdit>(h.window, "StakeFrom"), stakeFrom);
  QVERIFY(gui::choose(h.window, QStringLiteral("FromMonth"), fromMonth - 1));
  QCOMPARE(h.rows(), rows);
  QCOMPARE(h.figure("Count"), QString::number(rows));
  QCOMPARE(h.window->filter().of(CrossDimension::Racecourse).size(),
           static_cast<std::size_t>(racecourses.size()));
}

void TestTicketList::menuStaysOpenForSeveralValues() {
  Harness h;
  h.storeSample();
  QToolButton* button = h.window->dimensionButton(CrossDimension::BetType);
  QMenu* menu = button->menu();
  QTimer::singleShot(0, this, [menu] {
    QTRY_VERIFY(menu->isVisible());
    for (int value : {0, 3}) {
      QAction* action = menu->actions().at(value);
      const QPoint at = menu->actionGeometry(action).center();
      QTest::mouseMove(menu, at);
      menu->setActiveAction(action);
      QTest::mouseClick(menu, Qt::LeftButton, {}, at);
      QVERIFY(menu->isVisible());
    }
    menu->close();
  });
  QTest::mouseClick(button, Qt::LeftButton);
  QTRY_VERIFY(!menu->isVisible());
  QCOMPARE(h.rows(), 3);
  QCOMPARE(button->text(), QStringLiteral("券種: 単勝,馬連"));
  // A third value is counted, not named, on the button.
  h.check(CrossDimension::BetType, 6);
  QCOMPARE(h.rows(), 4);
  QCOMPARE(button->text(), QStringLiteral("券種: 単勝 他2"));
  QCOMPARE(button->toolTip(), QStringLiteral("券種: 単勝,馬連,3連複"));
}

void TestTicketList::clearShowsEverything() {
  Harness h;
  h.storeSample();
  h.check(CrossDimension::Surface, 1);
  type(h.window->searchBox(), QStringLiteral("東京"));
  QTest::keyClicks(gui::named<QLineEdit>(h.window, "PayoutTo"), QStringLiteral("0"));
  QCOMPARE(h.rows(), 1);
  QVERIFY(gui::click(h.window, "ClearButton"));
  QCOMPARE(h.rows(), 4);
  QVERIFY(h.window->filter().empty());
  QVERIFY(h.window->searchBox()->text().isEmpty());
  QCOMPARE(h.window->dimensionButton(CrossDimension::Surface)->text(),
           QStringLiteral("コース: すべて"));
}

void TestTicketList::rateTintFollowsFigures() {
  Harness h;
  h.storeSample();
  QLabel* rate = h.window->figureLabel(QStringLiteral("Rate"));
  // 4560 of 15500 back: below half.
  QCOMPARE(rate->palette().color(QPalette::Window), QColor(250, 190, 190));
  type(h.window->searchBox(), QStringLiteral("単勝"));
  QCOMPARE(rate->palette().color(QPalette::Window), QColor(186, 232, 186));
}

void TestTicketList::sortsByAmountNotText() {
  Harness h;
  h.storeSample();
  QHeaderView* header = h.window->table()->horizontalHeader();
  h.window->table()->sortByColumn(TicketListModel::Stake, Qt::DescendingOrder);
  QCOMPARE(header->sortIndicatorSection(), int{TicketListModel::Stake});
  QStringList stakes;
  for (int r = 0; r < h.rows(); ++r) {
    stakes << h.window->table()->model()->index(r, TicketListModel::Stake).data().toString();
  }
  QCOMPARE(stakes, (QStringList{"12,000", "2,000", "1,000", "500"}));
}

void TestTicketList::sortKeepsSelectionAndFilterKeepsSort() {
  Harness h;
  h.storeSample();
  QTableView* table = h.window->table();
  table->selectRow(0);
  const std::optional<TicketRecord> selected = h.window->selectedTicket();
  QVERIFY(selected);
  QTest::mouseClick(
      table->horizontalHeader()->viewport(), Qt::LeftButton, {},
      QPoint(table->horizontalHeader()->sectionViewportPosition(TicketListModel::Stake) + 5, 5));
  QTest::mouseClick(
      table->horizontalHeader()->viewport(), Qt::LeftButton, {},
      QPoint(table->horizontalHeader()->sectionViewportPosition(TicketListModel::Stake) + 5, 5));
  QCOMPARE(table->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
  // 12,000, 2,000, then the selected 1,000.
  QCOMPARE(h.window->selectedTicket(), selected);
  QCOMPARE(table->selectionModel()->selectedRows().at(0).row(), 2);
  type(h.window->searchBox(), QStringLiteral("中山"));
  QStringList stakes;
  for (int r = 0; r < h.rows(); ++r) {
    stakes << table->model()->index(r, TicketListModel::Stake).data().toString();
  }
  QCOMPARE(stakes, (QStringList{"2,000", "1,000", "500"}));
  QCOMPARE(h.window->selectedTicket(), selected);
  QCOMPARE(table->selectionModel()->selectedRows().at(0).row(), 1);
}

void TestTicketList::cellsPaintAsTheStyle_data() {
  QTest::addColumn<int>("column");
  QTest::addColumn<bool>("selected");
  QTest::newRow("caption, left") << int{TicketListModel::Racecourse} << false;
  QTest::newRow("amount, right") << int{TicketListModel::Payout} << false;
  QTest::newRow("的中, centred") << int{TicketListModel::Hit} << false;
  QTest::newRow("date, selected") << int{TicketListModel::Date} << true;
}

// The kept texts land where, and in the colour, the style draws them.
void TestTicketList::cellsPaintAsTheStyle() {
  QFETCH(int, column);
  QFETCH(bool, selected);
  Harness h;
  h.storeSample();
  QTableView* table = h.window->table();
  const QModelIndex index = table->model()->index(1, column);
  if (selected) table->selectRow(1);
  QStyleOptionViewItem option;
  option.initFrom(table->viewport());
  option.widget = table;
  option.font = table->font();
  option.rect = QRect(QPoint(0, 0), table->visualRect(index).size());
  option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  option.state |= QStyle::State_Active;
  if (selected) option.state |= QStyle::State_Selected;
  const auto paint = [&](const QAbstractItemDelegate& delegate) {
    QImage image(option.rect.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    delegate.paint(&painter, option, index);
    return image;
  };
  const QImage kept = paint(*table->itemDelegate());
  const QImage styled = paint(QStyledItemDelegate());
  QVERIFY(dynamic_cast<const TicketCellDelegate*>(table->itemDelegate()) != nullptr);
  // The ink of each: where the text is drawn.
  const auto ink = [](const QImage& image) {
    const QRgb ground = image.pixel(0, 0);
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != ground) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  };
  const QRect a = ink(kept);
  const QRect b = ink(styled);
  QVERIFY(!b.isEmpty());
  QVERIFY2(qAbs(a.left() - b.left()) <= 1 && qAbs(a.right() - b.right()) <= 1 &&
               qAbs(a.top() - b.top()) <= 1 && qAbs(a.bottom() - b.bottom()) <= 1,
           qPrintable(QStringLiteral("%1,%2 %3x%4 against %5,%6 %7x%8")
                          .arg(a.x())
                          .arg(a.y())
                          .arg(a.width())
                          .arg(a.height())
                          .arg(b.x())
                          .arg(b.y())
                          .arg(b.width())
                          .arg(b.height())));
  QCOMPARE(kept.pixel(0, 0), styled.pixel(0, 0));
}

void TestTicketList::doubleClickAndEnterAskForTheDay() {
  Harness h;
  h.storeSample();
  QSignalSpy asked(h.window.data(), &TicketList::dayChosen);
  QTableView* table = h.window->table();
  const QModelIndex last = table->model()->index(3, 0);
  gui::doubleClick(table->viewport(), table->visualRect(last).center());
  QCOMPARE(asked.count(), 1);
  QCOMPARE(asked.at(0), (QList<QVariant>{5, 2}));
  table->setFocus();
  table->setCurrentIndex(table->model()->index(0, 0));
  QTest::keyClick(table, Qt::Key_Return);
  QCOMPARE(asked.count(), 2);
  QCOMPARE(asked.at(1), (QList<QVariant>{4, 10}));
}

void TestTicketList::copyTakesSelectedRows() {
  Harness h;
  h.storeSample();
  h.area.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&h.area));
  QTableView* table = h.window->table();
  table->setFocus();
  table->selectRow(1);
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    table->visualRect(table->model()->index(3, 0)).center());
  QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
  const QStringList lines =
      QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  QCOMPARE(lines.size(), 3);
  QVERIFY2(lines[0].startsWith(QStringLiteral("日付\t馬場\t")), qPrintable(lines[0]));
  // Plain numbers for a spreadsheet: the stakes of the second and fourth.
  QVERIFY2(lines[1].contains(QStringLiteral("\t2000\t")), qPrintable(lines[1]));
  QVERIFY2(lines[2].startsWith(QStringLiteral("05/02(日)\t中山")), qPrintable(lines[2]));
}

void TestTicketList::followsPostingAndUndo() {
  Harness h;
  h.storeSample();
  type(h.window->searchBox(), QStringLiteral("中山"));
  QCOMPARE(h.rows(), 3);
  QTableView* table = h.window->table();
  table->selectRow(2);
  const std::optional<TicketRecord> selected = h.window->selectedTicket();
  QVERIFY(selected);
  // An earlier day at 中山 comes before the selected ticket.
  h.store(1, 6, {ticket(1, 6, "5111111111", 700, 1400)});
  QTRY_COMPARE(h.rows(), 4);
  QCOMPARE(h.figure("Count"), QStringLiteral("4"));
  QCOMPARE(h.window->searchBox()->text(), QStringLiteral("中山"));
  QCOMPARE(h.window->selectedTicket(), selected);
  QCOMPARE(table->selectionModel()->selectedRows().at(0).row(), 3);
  h.session.undoStack()->undo();
  QTRY_COMPARE(h.rows(), 3);
  QCOMPARE(h.figure("Stake"), QStringLiteral("3,500円"));
  QCOMPARE(h.window->selectedTicket(), selected);
  // The selected ticket's own day undone: nothing is selected.
  h.session.undoStack()->undo();
  QTRY_COMPARE(h.rows(), 2);
  QVERIFY(!h.window->selectedTicket());
}

QTEST_MAIN(TestTicketList)
#include "test_ticket_list.moc"
