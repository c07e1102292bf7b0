// The cross window on a data session: what the grid shows for each choice,
// the refusal of one dimension twice, the tints and the dimming, following
// the session, the ticket list, closing, and the fit in the work area.

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <initializer_list>

#include "analysis/analysis_tickets.h"
#include "cross/cross_window.h"
#include "state/data_session.h"
#include "support/gui_actions.h"
#include "support/scripted_messages.h"
#include "support/window_fit.h"
#include "widgets/messages.h"

using namespace tamrel;
using analysisdata::ticket;

Q_DECLARE_METATYPE(tamrel::RateBand)
Q_DECLARE_METATYPE(tamrel::TicketFilter)

namespace {

constexpr int kTan = 0;        // row of 単勝 (rows: 券種)
constexpr int kNakayama = 4;   // column of 中山 (columns: 馬場)
constexpr int kTotalCol = 11;  // 合計 of the eleven racecourses
constexpr int kTotalRow = 7;   // 合計 of the seven bet types

struct Harness {
  DataSession session;
  ScriptedMessages messages;
  QMdiArea area;
  QPointer<CrossWindow> window;
  QPointer<QMdiSubWindow> frame;

  Harness() {
    // The work area of the main window at its size.
    area.resize(1024, 700);
    area.show();
    window = new CrossWindow(session, messages);
    frame = openChildWindow(area, window);
  }
  void store(int month, int day, std::initializer_list<TicketRecord> tickets) {
    DayTicketList list;
    for (const TicketRecord& t : tickets) list.entries[static_cast<std::size_t>(list.count++)] = t;
    QCOMPARE(session.storeDayTickets(month, day, list), TransferResult::Ok);
  }
  // Two 単勝 tickets at 中山 (3000 staked, 4560 paid, one hit) and one 馬連
  // at 東京 (12000 staked, nothing paid).
  void storeSample() {
    store(4, 10,
          {ticket(4, 10, "5111111111", 1000, 0), ticket(4, 10, "5111111111", 2000, 4560),
           ticket(4, 10, "6221114111", 12000, 0)});
  }
  const CrossTableModel& model() const { return window->model(); }
  QString cell(int row, int column) const { return model().index(row, column).data().toString(); }
  QStringList headers(Qt::Orientation o) const {
    QStringList out;
    const int n = o == Qt::Horizontal ? model().columnCount() : model().rowCount();
    for (int i = 0; i < n; ++i) out << model().headerData(i, o).toString();
    return out;
  }
};

}  // namespace

class TestCrossWindow : public QObject {
  Q_OBJECT
 private slots:
  void namesAndDefaults();
  void measures_data();
  void measures();
  void dimensionsChangeHeadersAndCells();
  void sameDimensionTwiceRefused();
  void periodLimitsTickets();
  void rateTints_data();
  void rateTints();
  void profitTintsByDirection();
  void fewTicketsDimmed_data();
  void fewTicketsDimmed();
  void followsTheSession();
  void overflowToldOnce();
  void doubleClickListsTickets();
  void listedCellAsksForTicketList();
  void ticketListInDateOrderSortsByHeader_data();
  void ticketListInDateOrderSortsByHeader();
  void escapeAndCloseButtonClose();
  void widestTableFitsWithoutSidewaysScrolling();
};

void TestCrossWindow::namesAndDefaults() {
  Harness h;
  QCOMPARE(h.window->objectName(), QStringLiteral("Cross"));
  QCOMPARE(h.frame->windowTitle(), QStringLiteral("クロス分析"));
  for (const char* name : {"RowDimension", "ColumnDimension", "Measure", "FromMonth", "FromDay",
                           "ToMonth", "ToDay", "CrossGrid", "CellTickets", "CloseButton"}) {
    QWidget* w = gui::named(h.window, name);
    QVERIFY2(w != nullptr, name);
    QVERIFY2(!w->accessibleName().isEmpty(), name);
  }
  QCOMPARE(h.headers(Qt::Vertical),
           (QStringList{"単勝", "複勝", "枠連", "馬連", "ﾜｲﾄﾞ", "馬単", "3連複", "合計"}));
  QCOMPARE(h.headers(Qt::Horizontal).size(), 12);
  QCOMPARE(h.headers(Qt::Horizontal).last(), QStringLiteral("合計"));
  QCOMPARE(h.window->measureChooser()->currentText(), QStringLiteral("回収率"));
}

void TestCrossWindow::measures_data() {
  QTest::addColumn<int>("measure");
  QTest::addColumn<QString>("cell");   // 単勝 at 中山
  QTest::addColumn<QString>("total");  // the grand total
  QTest::newRow("回収率") << 0 << "152.00%"
                          << "30.40%";
  QTest::newRow("利益金額") << 1 << "1,560"
                            << "-10,440";
  QTest::newRow("投資金額") << 2 << "3,000"
                            << "15,000";
  QTest::newRow("払戻金額") << 3 << "4,560"
                            << "4,560";
  QTest::newRow("件数") << 4 << "2"
                        << "3";
  QTest::newRow("的中率") << 5 << "50.00%"
                          << "33.33%";
}

void TestCrossWindow::measures() {
  QFETCH(int, measure);
  QFETCH(QString, cell);
  QFETCH(QString, total);
  Harness h;
  h.storeSample();
  QVERIFY(gui::choose(h.window, QStringLiteral("Measure"), measure));
  QCOMPARE(h.cell(kTan, kNakayama), cell);
  QCOMPARE(h.cell(kTotalRow, kTotalCol), total);
  QCOMPARE(h.cell(kTan, kTotalCol), cell);  // 単勝 was bought only at 中山
  // A pair without tickets says so.
  QCOMPARE(h.cell(kTan, 0), QStringLiteral("－"));
}

void TestCrossWindow::dimensionsChangeHeadersAndCells() {
  Harness h;
  h.storeSample();
  QVERIFY(gui::choose(h.window, QStringLiteral("Measure"), 4));          // 件数
  QVERIFY(gui::choose(h.window, QStringLiteral("ColumnDimension"), 2));  // 曜日
  QCOMPARE(h.headers(Qt::Horizontal), (QStringList{"土曜日", "日曜日", "その他", "合計"}));
  QCOMPARE(h.cell(kTan, 0), QStringLiteral("2"));
  QCOMPARE(h.cell(3, 0), QStringLiteral("－"));  // 馬連 on 土曜日: none
  QCOMPARE(h.cell(3, 1), QStringLiteral("1"));
  QVERIFY(gui::choose(h.window, QStringLiteral("RowDimension"), 0));  // 馬場
  QCOMPARE(h.headers(Qt::Vertical).size(), 12);
  QCOMPARE(h.headers(Qt::Vertical).at(5), QStringLiteral("東京"));
  QCOMPARE(h.cell(kNakayama, 0), QStringLiteral("2"));
  QCOMPARE(h.cell(5, 1), QStringLiteral("1"));
  QCOMPARE(h.cell(11, 3), QStringLiteral("3"));
  QVERIFY(h.messages.texts().isEmpty());
}

void TestCrossWindow::sameDimensionTwiceRefused() {
  Harness h;
  h.storeSample();
  const QStringList rows = h.headers(Qt::Vertical);
  QVERIFY(!gui::choose(h.window, QStringLiteral("RowDimension"), 0));  // 馬場, as 列
  QCOMPARE(h.messages.texts(), QStringList{CrossWindow::sameDimensionText()});
  QCOMPARE(h.messages.last().title, kErrorTitle);
  QCOMPARE(h.window->rowChooser()->currentText(), QStringLiteral("券種"));
  QCOMPARE(h.headers(Qt::Vertical), rows);
  QVERIFY(!gui::choose(h.window, QStringLiteral("ColumnDimension"), 9));  // 券種, as 行
  QCOMPARE(h.messages.count(), 2);
  QCOMPARE(h.window->columnChooser()->currentText(), QStringLiteral("馬場"));
}

void TestCrossWindow::periodLimitsTickets() {
  Harness h;
  h.storeSample();
  h.store(5, 1, {ticket(5, 1, "5111111111", 500, 0)});
  QVERIFY(gui::choose(h.window, QStringLiteral("Measure"), 4));
  QCOMPARE(h.cell(kTan, kNakayama), QStringLiteral("3"));
  QVERIFY(gui::choose(h.window, QStringLiteral("ToMonth"), 3));  // 4月
  QVERIFY(gui::choose(h.window, QStringLiteral("ToDay"), 9));    // 10日
  QCOMPARE(h.window->period().toMonth, 4);
  QCOMPARE(h.cell(kTan, kNakayama), QStringLiteral("2"));
  QVERIFY(gui::choose(h.window, QStringLiteral("ToDay"), 8));
  QCOMPARE(h.cell(kTotalRow, kTotalCol), QStringLiteral("－"));
}

void TestCrossWindow::rateTints_data() {
  QTest::addColumn<int>("payout");  // of 10000 staked over five tickets
  QTest::addColumn<RateBand>("band");
  QTest::newRow("1") << 10000 << RateBand::AtLeastEven;
  QTest::newRow("0.75") << 7500 << RateBand::BelowEven;
  QTest::newRow("0.5") << 5000 << RateBand::BelowThreeQuarters;
  QTest::newRow("0.4999") << 4999 << RateBand::BelowHalf;
}

void TestCrossWindow::rateTints() {
  QFETCH(int, payout);
  QFETCH(RateBand, band);
  // Four tints a user can tell apart.
  const QList<QColor> tints{rateTint(RateBand::AtLeastEven), rateTint(RateBand::BelowEven),
                            rateTint(RateBand::BelowThreeQuarters), rateTint(RateBand::BelowHalf)};
  for (qsizetype i = 0; i < tints.size(); ++i) QCOMPARE(tints.count(tints[i]), 1);
  Harness h;
  const auto t = [](int paid) { return ticket(6, 1, "5111111111", 2000, paid); };
  h.store(6, 1, {t(payout), t(0), t(0), t(0), t(0)});
  QCOMPARE(h.model().index(kTan, kNakayama).data(Qt::BackgroundRole).value<QColor>(),
           rateTint(band));
  // A pair without tickets stays plain.
  QVERIFY(!h.model().index(kTan, 0).data(Qt::BackgroundRole).isValid());
}

void TestCrossWindow::profitTintsByDirection() {
  Harness h;
  h.storeSample();
  QVERIFY(gui::choose(h.window, QStringLiteral("Measure"), 1));
  const QColor gain = h.model().index(kTan, kNakayama).data(Qt::BackgroundRole).value<QColor>();
  const QColor loss = h.model().index(3, 5).data(Qt::BackgroundRole).value<QColor>();
  QVERIFY2(gain.blue() > gain.red(), qPrintable(gain.name()));
  QVERIFY2(loss.red() > loss.blue(), qPrintable(loss.name()));
}

void TestCrossWindow::fewTicketsDimmed_data() {
  QTest::addColumn<int>("tickets");
  QTest::addColumn<bool>("dimmed");
  QTest::newRow("1") << 1 << true;
  QTest::newRow("4") << 4 << true;
  QTest::newRow("5") << 5 << false;
}

void TestCrossWindow::fewTicketsDimmed() {
  QFETCH(int, tickets);
  QFETCH(bool, dimmed);
  Harness h;
  DayTicketList list;
  for (int i = 0; i < tickets; ++i) list.entries[i] = ticket(7, 7, "5111111111", 1000, 2000);
  list.count = static_cast<std::int16_t>(tickets);
  QCOMPARE(h.session.storeDayTickets(7, 7, list), TransferResult::Ok);
  const QModelIndex cell = h.model().index(kTan, kNakayama);
  QCOMPARE(cell.data(Qt::ForegroundRole).isValid(), dimmed);
  const QString tip = cell.data(Qt::ToolTipRole).toString();
  QCOMPARE(tip.contains(QStringLiteral("件数が少ない")), dimmed);
  // A dimmed tint is lighter than the full one of its band.
  const QColor shown = cell.data(Qt::BackgroundRole).value<QColor>();
  QCOMPARE(shown == rateTint(RateBand::AtLeastEven), !dimmed);
  QVERIFY(shown.lightness() >= rateTint(RateBand::AtLeastEven).lightness());
  // Every tooltip gives all seven figures.
  for (const QString& figure :
       {QStringLiteral("投資金額: %1")
            .arg(QString::fromStdString(formatGroupedAmount(1000 * tickets))),
        QStringLiteral("払戻金額: "), QStringLiteral("利益金額: "),
        QStringLiteral("回収率: 200.00%"), QStringLiteral("件数: %1").arg(tickets),
        QStringLiteral("的中数: %1").arg(tickets), QStringLiteral("的中率: 100.00%")}) {
    QVERIFY2(tip.contains(figure), qPrintable(tip));
  }
}

void TestCrossWindow::followsTheSession() {
  Harness h;
  QCOMPARE(h.cell(kTan, kNakayama), QStringLiteral("－"));
  h.storeSample();
  QCOMPARE(h.cell(kTan, kNakayama), QStringLiteral("152.00%"));
  h.store(4, 10, {ticket(4, 10, "5111111111", 1000, 0)});
  QCOMPARE(h.cell(kTan, kNakayama), QStringLiteral("0.00%"));
  h.session.resetYear();
  QCOMPARE(h.cell(kTotalRow, kTotalCol), QStringLiteral("－"));
}

void TestCrossWindow::overflowToldOnce() {
  Harness h;
  const auto big = ticket(8, 1, "5111111111", 2'000'000'000, 0);
  h.store(8, 1, {big, big});
  QCOMPARE(h.messages.texts(), QStringList{kAmountOutOfRange});
  QCOMPARE(h.cell(kTan, kNakayama), QString());  // its sums left the range
  h.store(8, 2, {ticket(8, 2, "6111111111", 100, 0)});
  QCOMPARE(h.messages.count(), 1);
  QCOMPARE(h.cell(kTan, 5), QStringLiteral("0.00%"));
}

void TestCrossWindow::doubleClickListsTickets() {
  Harness h;
  h.storeSample();
  QTableView* grid = h.window->grid();
  const auto dclick = [&](int row, int column) {
    gui::doubleClick(grid->viewport(), grid->visualRect(h.model().index(row, column)).center());
  };
  dclick(kTan, kNakayama);
  const CrossTicketModel& list = h.window->ticketModel();
  QCOMPARE(list.rowCount(), 2);
  QCOMPARE(list.index(1, 0).data().toString(), QStringLiteral("4/10"));
  QCOMPARE(list.index(1, 1).data().toString(), QStringLiteral("中山"));
  QCOMPARE(list.index(1, 10).data().toString(), QStringLiteral("単勝"));
  QCOMPARE(list.index(1, 12).data().toString(), QStringLiteral("4,560"));
  QVERIFY(gui::named<QLabel>(h.window, "ListCaption")->text().contains(QStringLiteral("2件")));
  // The list follows the data while it shows.
  h.store(4, 11, {ticket(4, 11, "5111111111", 300, 0)});
  QCOMPARE(list.rowCount(), 3);
  dclick(kTotalRow, kTotalCol);
  QCOMPARE(list.rowCount(), 4);
}

void TestCrossWindow::listedCellAsksForTicketList() {
  Harness h;
  h.storeSample();
  QSignalSpy asked(h.window.data(), &CrossWindow::ticketsWanted);
  auto* button = gui::named<QPushButton>(h.window, "OpenTicketList");
  QVERIFY(button != nullptr);
  // Nothing listed, nothing to open.
  QVERIFY(!button->isEnabled());
  QVERIFY(gui::choose(h.window, QStringLiteral("FromMonth"), 3));
  QTableView* grid = h.window->grid();
  const auto dclick = [&](int row, int column) {
    gui::doubleClick(grid->viewport(), grid->visualRect(h.model().index(row, column)).center());
  };
  dclick(kTan, kNakayama);
  QVERIFY(button->isEnabled());
  QTest::mouseClick(button, Qt::LeftButton);
  QCOMPARE(asked.count(), 1);
  auto filter = asked.at(0).at(0).value<TicketFilter>();
  QCOMPARE(filter.of(CrossDimension::BetType), std::vector<int>{kTan});
  QCOMPARE(filter.of(CrossDimension::Racecourse), std::vector<int>{kNakayama});
  QCOMPARE(filter.period.fromMonth, 4);
  // A total row takes every bet type.
  dclick(kTotalRow, kNakayama);
  QTest::mouseClick(button, Qt::LeftButton);
  filter = asked.at(1).at(0).value<TicketFilter>();
  QVERIFY(filter.of(CrossDimension::BetType).empty());
  QCOMPARE(filter.of(CrossDimension::Racecourse), std::vector<int>{kNakayama});
}

void TestCrossWindow::ticketListInDateOrderSortsByHeader_data() {
  QTest::addColumn<QList<int>>("clicks");  // the headers clicked, in turn
  QTest::addColumn<QStringList>("purchases");
  constexpr int kRace = 2;
  constexpr int kPurchase = 11;
  constexpr int kPayout = 12;
  QTest::newRow("date and race") << QList<int>{} << QStringList{"40", "2,000", "300", "100"};
  QTest::newRow("race, not its text")
      << QList<int>{kRace} << QStringList{"2,000", "40", "300", "100"};
  QTest::newRow("amount, the other way")
      << QList<int>{kPurchase, kPurchase} << QStringList{"2,000", "300", "100", "40"};
  // Tickets of one payout stay in date order, not the last sort's.
  QTest::newRow("ties in date order")
      << QList<int>{kPurchase, kPayout} << QStringList{"40", "300", "100", "2,000"};
  QTest::newRow("ties in date order, descending")
      << QList<int>{kPurchase, kPayout, kPayout} << QStringList{"2,000", "40", "300", "100"};
}

void TestCrossWindow::ticketListInDateOrderSortsByHeader() {
  QFETCH(QList<int>, clicks);
  QFETCH(QStringList, purchases);
  Harness h;
  // 4/10 typed first, its races out of order; 4/3 added after it.
  h.store(4, 10,
          {ticket(4, 10, "5B11111111", 100, 0), ticket(4, 10, "5211111111", 2000, 500),
           ticket(4, 10, "5A11111111", 300, 0)});
  h.store(4, 3, {ticket(4, 3, "6911111111", 40, 0)});
  QTableView* grid = h.window->grid();
  gui::doubleClick(grid->viewport(),
                   grid->visualRect(h.model().index(kTotalRow, kTotalCol)).center());
  QHeaderView* header = h.window->ticketList()->horizontalHeader();
  for (const int column : clicks) {
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }
  const QAbstractItemModel* shown = h.window->ticketList()->model();
  QStringList listed;
  for (int r = 0; r < shown->rowCount(); ++r) listed << shown->index(r, 11).data().toString();
  QCOMPARE(listed, purchases);
}

void TestCrossWindow::escapeAndCloseButtonClose() {
  {
    Harness h;
    QTest::keyClick(h.window->grid(), Qt::Key_Escape);
    QTRY_VERIFY(h.frame.isNull() || !isOpen(h.frame));
  }
  Harness h;
  QVERIFY(gui::click(h.window, "CloseButton"));
  QTRY_VERIFY(h.frame.isNull() || !isOpen(h.frame));
}

void TestCrossWindow::widestTableFitsWithoutSidewaysScrolling() {
  Harness h;
  // Twelve races across, with a loss of six digits in every cell.
  DayTicketList list;
  for (int i = 0; i < 12 * 11; ++i) {
    const std::string codes{
        "123456789AB"[i % 11], "123456789ABC"[i % 12], '1', '1', '1', '1', '1', '1', '1', '1'};
    list.entries[static_cast<std::size_t>(i)] = ticket(9, 1, codes, 999'999, 0);
  }
  list.count = 12 * 11;
  QCOMPARE(h.session.storeDayTickets(9, 1, list), TransferResult::Ok);
  QVERIFY(gui::choose(h.window, QStringLiteral("ColumnDimension"), 1));
  QVERIFY(gui::choose(h.window, QStringLiteral("RowDimension"), 0));
  QVERIFY(gui::choose(h.window, QStringLiteral("Measure"), 1));
  QTableView* grid = h.window->grid();
  QVERIFY(h.frame->width() <= h.area.width());
  QVERIFY(h.frame->height() <= h.area.height());
  QTRY_COMPARE(grid->horizontalScrollBar()->maximum(), 0);
  for (int c = 0; c < h.model().columnCount(); ++c) {
    QVERIFY2(grid->columnWidth(c) >= static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(c),
             qPrintable(QString::number(c)));
  }
  QCOMPARE(testdata::layoutFaults(h.window), QStringList{});
}

QTEST_MAIN(TestCrossWindow)
#include "test_cross_window.moc"
