// The year, month and day browse windows and the monthly profit graph,
// driven through the main window's 総合分析 and the users' clicks: the
// colours, the drill-down by double-click, 最新表示, the graph staying in
// front, and the count of open windows.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "browse/day_browse.h"
#include "browse/figures_panel.h"
#include "browse/month_browse.h"
#include "browse/year_browse.h"
#include "ledger_fixture.h"
#include "shell/main_window.h"
#include "store/app_state.h"
#include "support/gui_actions.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"
#include "support/window_host.h"
#include "widgets/grid.h"
#include "widgets/look.h"
#include "widgets/profit_graph.h"
#include "widgets/table_export.h"

using namespace tamrel;
using namespace tamrel::fixture;
using tamrel::gui::choose;
using tamrel::gui::doubleClick;

namespace {

const QString kAlreadyOpen = QStringLiteral("すでにウィンドウは開かれています");
const QString kOutOfRange = QStringLiteral("金額が範囲を超えています");
const QString kYear = QStringLiteral("Fblowse");
const QString kMonth = QStringLiteral("MBlowse");
const QString kDay = QStringLiteral("DBlowse");
const QString kGraph = QStringLiteral("FGrapher1");

const QColor kGreen(0, 255, 0);
const QColor kYellow(255, 255, 0);
const QColor kCyan(0, 255, 255);
const QColor kRed(255, 0, 0);

// The main window on the sample files, with its ledger then emptied so each
// test puts in what it needs.
struct Host : WindowHost {
  Host() {
    if (!start()) qFatal("the main window did not start");
  }

  AppState& state() { return data(); }
  YearLedger& ledger() { return data().ledger; }

  QString text(const QString& windowName, const QString& box) const {
    auto* b = child<QLineEdit>(windowName, box);
    return b != nullptr ? b->text() : QStringLiteral("<no box>");
  }
  QColor colour(const QString& windowName, const QString& box) const {
    auto* b = child<QLineEdit>(windowName, box);
    return b != nullptr ? b->palette().color(QPalette::Text) : QColor();
  }
  QString cell(const QString& windowName, int row, int col) const {
    auto* g = child<Grid>(windowName, QStringLiteral("Grid1"));
    return g != nullptr ? g->cell(row, col) : QStringLiteral("<no grid>");
  }

  bool openYear() { return press({}, QStringLiteral("Blowse")) && window(kYear) != nullptr; }

  // Double-clicks row `row` of the window's grid, on a data cell or on the
  // row's label.
  bool doubleClickRow(const QString& windowName, int row, bool onLabel = false) {
    auto* g = child<Grid>(windowName, QStringLiteral("Grid1"));
    if (g == nullptr) return false;
    g->scrollToItem(g->item(row - 1, 0));
    if (onLabel) {
      QHeaderView* header = g->verticalHeader();
      const int y = header->sectionViewportPosition(row - 1) + header->sectionSize(row - 1) / 2;
      doubleClick(header->viewport(), QPoint(header->width() / 2, y));
    } else {
      doubleClick(g->viewport(), g->visualItemRect(g->item(row - 1, 1)).center());
    }
    return true;
  }
  // 総合分析, then the month and the day by double-click.
  bool drillDown(int month, int day) {
    return openYear() && doubleClickRow(kYear, month) && window(kMonth) != nullptr &&
           doubleClickRow(kMonth, day) && window(kDay) != nullptr;
  }

  // "count YearBrowseOpen MonthBrowseOpen MonthGraphOpen: open windows",
  // as the windows used to keep them by hand, now read off the work area:
  // the count is the open browse windows plus one while any is open.
  QString bookkeeping() const {
    const int browses = int(isOpen(kYear)) + int(isOpen(kMonth)) + int(isOpen(kDay));
    return QStringLiteral("%1 %2 %3 %4: %5")
        .arg(browses == 0 ? 0 : browses + 1)
        .arg(int(isOpen(kYear)))
        .arg(int(isOpen(kMonth)))
        .arg(int(isOpen(kGraph)))
        .arg(openNames().join(QLatin1Char(' ')));
  }
};

QStringList boxNames(const QString& prefix) {
  QStringList names;
  for (const BetTypeInfo& bet : kBetTypes) {
    names << prefix + QString::fromUtf8(bet.suffix.data(), qsizetype(bet.suffix.size()));
  }
  return names << QStringLiteral("Gokei") + prefix;
}

}  // namespace

class TestBrowseWindows : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Host> host_;

 private slots:
  void init() {
    host_ = std::make_unique<Host>();
    resetLedger(host_->ledger());
  }
  void cleanup() { host_.reset(); }

  void windowsFitAndShowWholeCaptions_data();
  void windowsFitAndShowWholeCaptions();
  void namesForScreenReaders();
  void tabReachesGridAndButtons_data();
  void tabReachesGridAndButtons();
  void valueBoxHandsFocusToClose_data();
  void valueBoxHandsFocusToClose();
  void colourRules_data();
  void colourRules();
  void paidWithoutStake();
  void panelAndGridEachFromTheirOwnSource();
  void monthShowsItsDaySlots_data();
  void monthShowsItsDaySlots();
  void dayShowsItsSlot_data();
  void dayShowsItsSlot();
  void doubleClickOnShownRowReopensIt_data();
  void doubleClickOnShownRowReopensIt();
  void enterOpensTheSelectedRow();
  void refreshShowsPostedDay_data();
  void refreshShowsPostedDay();
  void graphBroughtForwardNotRebuilt();
  void closingGraphClearsItsFlag_data();
  void closingGraphClearsItsFlag();
  void secondYearBrowseOnlyRefused();
  void openWindowBookkeeping_data();
  void openWindowBookkeeping();
  void outOfRangeReportedOncePerBuild_data();
  void outOfRangeReportedOncePerBuild();
};

void TestBrowseWindows::windowsFitAndShowWholeCaptions_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("caption");
  QTest::newRow("year") << kYear << "総合統計情報";
  QTest::newRow("month") << kMonth << "月別統計情報";
  QTest::newRow("day") << kDay << "日別統計情報";
  QTest::newRow("graph") << kGraph << "月別利益表示";
}

void TestBrowseWindows::windowsFitAndShowWholeCaptions() {
  QFETCH(QString, name);
  QFETCH(QString, caption);
  QVERIFY(host_->drillDown(12, 31));
  QVERIFY(host_->press(kYear, "Command3D2"));
  QWidget* w = host_->window(name);
  QVERIFY(w != nullptr);
  QCOMPARE(w->windowTitle(), caption);
  QWidget* frame = w->parentWidget();
  QCOMPARE(frame->pos(), QPoint(0, 0));
  QVERIFY2(host_->area()->viewport()->rect().contains(frame->geometry()),
           qPrintable(QStringLiteral("%1x%2 frame in a %3x%4 work area")
                          .arg(frame->width())
                          .arg(frame->height())
                          .arg(host_->area()->viewport()->width())
                          .arg(host_->area()->viewport()->height())));

  for (QLabel* label : w->findChildren<QLabel*>()) {
    if (!label->isVisible() || label->text().isEmpty()) continue;
    QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
  }
  for (QPushButton* button : w->findChildren<QPushButton*>()) {
    QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()) + 8,
             qPrintable(button->text()));
  }
  for (QGroupBox* frameBox : w->findChildren<QGroupBox*>()) {
    QVERIFY2(frameBox->width() >= frameBox->fontMetrics().horizontalAdvance(frameBox->title()) + 8,
             qPrintable(frameBox->title()));
  }
  for (QLineEdit* box : w->findChildren<QLineEdit*>()) {
    const bool number = box->objectName() == "Tuk" || box->objectName() == "Hi";
    const QString widest = number ? QStringLiteral("12") : QStringLiteral("-2147483648");
    QVERIFY2(box->width() >= box->fontMetrics().horizontalAdvance(widest) + 12,
             qPrintable(box->objectName()));
  }
  if (auto* grid = w->findChild<Grid*>("Grid1")) {
    // Every column in view, no sideways scrolling, every caption whole.
    int columns = 0;
    for (int c = 0; c < grid->columnCount(); ++c) columns += grid->columnWidth(c);
    QVERIFY(grid->viewport()->width() >= columns);
    QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
    const QFontMetrics fm(grid->font());
    for (int c = 1; c <= 4; ++c) {
      QVERIFY(grid->columnWidthPixels(c) >= fm.horizontalAdvance(grid->cell(0, c)) + 8);
    }
    for (int r = 1; r < grid->rowCountWithHeader(); ++r) {
      QVERIFY(grid->columnWidthPixels(0) >= fm.horizontalAdvance(grid->cell(r, 0)) + 8);
    }
    // The widths keep the proportions 700 : 1600 : 1600 : 1600 : 1100.
    const double unit = grid->columnWidthPixels(1) / 1600.0;
    QVERIFY(qAbs(grid->columnWidthPixels(0) - 700 * unit) <= 2);
    QVERIFY(qAbs(grid->columnWidthPixels(4) - 1100 * unit) <= 2);
  }
}

void TestBrowseWindows::namesForScreenReaders() {
  QVERIFY(host_->drillDown(4, 2));
  const QStringList rows{"単勝", "複勝", "枠連", "馬連", "ワイド", "馬単", "３連複", "合計"};
  const QStringList columns{"投資金額", "払戻金額", "利益金額", "回収率"};
  const QStringList prefixes{"Tosi", "Harai", "Rieki", "Ritu"};
  for (const QString& window : {kYear, kMonth, kDay}) {
    for (int c = 0; c < 4; ++c) {
      const QStringList names = boxNames(prefixes[c]);
      for (int r = 0; r < 8; ++r) {
        auto* box = host_->child<ValueBox>(window, names[r]);
        QVERIFY2(box != nullptr, qPrintable(names[r]));
        QCOMPARE(box->accessibleName(), rows[r] + " " + columns[c]);
      }
    }
    for (QPushButton* button : host_->window(window)->findChildren<QPushButton*>()) {
      QCOMPARE(button->accessibleName(), button->text());
    }
    // Every grid and panel copies and saves, and prints the window.
    auto* panel = host_->window(window)->findChild<FiguresPanel*>();
    QList<QWidget*> tables{panel};
    if (auto* grid = host_->window(window)->findChild<Grid*>()) tables << grid;
    for (QWidget* table : tables) {
      QCOMPARE(table->contextMenuPolicy(), Qt::ActionsContextMenu);
      QStringList texts;
      for (QAction* action : table->actions()) texts << action->text();
      QCOMPARE(texts, (QStringList{"コピー", "CSV保存…", "", "印刷…", "PDF保存…"}));
    }
    panel->actions().front()->trigger();
    const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines.front(), QStringLiteral("券種\t投資金額\t払戻金額\t利益金額\t回収率"));
    // The figures as the boxes show them, plain for a spreadsheet.
    QStringList total{"合計"};
    for (const char* box : {"GokeiTosi", "GokeiHarai", "GokeiRieki", "GokeiRitu"}) {
      total << plainCell(host_->text(window, box));
    }
    QCOMPARE(lines.back(), total.join('\t'));
  }
  QCOMPARE(host_->child(kYear, "Grid1")->accessibleName(), QString("月別の集計"));
  QCOMPARE(host_->child(kMonth, "Grid1")->accessibleName(), QString("日別の集計"));
  QCOMPARE(host_->child(kMonth, "Tuk")->accessibleName(), QString("月度"));
  QCOMPARE(host_->child(kDay, "Tuk")->accessibleName(), QString("月"));
  QCOMPARE(host_->child(kDay, "Hi")->accessibleName(), QString("日"));
}

void TestBrowseWindows::tabReachesGridAndButtons_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QStringList>("order");
  QTest::newRow("year") << kYear << QStringList{"Grid1", "Command3D2", "Command3D1", "Close3d1"};
  QTest::newRow("month") << kMonth << QStringList{"Grid1", "Command3D1", "Close3d1"};
  QTest::newRow("day") << kDay << QStringList{"Command3D1", "Close3d1"};
}

void TestBrowseWindows::tabReachesGridAndButtons() {
  QFETCH(QString, name);
  QFETCH(QStringList, order);
  QVERIFY(host_->drillDown(1, 1));
  host_->activate(name);
  QWidget* first = host_->child(name, order.front());
  first->setFocus(Qt::TabFocusReason);
  QTRY_COMPARE(QApplication::focusWidget(), first);
  // Twice round: the order comes back to its start.
  QStringList seen{QApplication::focusWidget()->objectName()};
  for (int i = 1; i < 2 * order.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    seen << QApplication::focusWidget()->objectName();
  }
  QCOMPARE(seen, order + order);
}

void TestBrowseWindows::valueBoxHandsFocusToClose_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("box");
  QTest::newRow("year, a stake") << kYear << "TosiTan";
  QTest::newRow("year, the total rate") << kYear << "GokeiRitu";
  QTest::newRow("month, a profit") << kMonth << "Rieki3Ren";
  QTest::newRow("month, its number") << kMonth << "Tuk";
  QTest::newRow("day, a payout") << kDay << "HaraiKak";
  QTest::newRow("day, its month") << kDay << "Tuk";
  QTest::newRow("day, its day") << kDay << "Hi";
}

void TestBrowseWindows::valueBoxHandsFocusToClose() {
  QFETCH(QString, name);
  QFETCH(QString, box);
  QVERIFY(host_->drillDown(2, 2));
  host_->activate(name);
  auto* target = host_->child<QLineEdit>(name, box);
  QTest::mouseClick(target, Qt::LeftButton);
  QTRY_COMPARE(QApplication::focusWidget(), host_->child(name, "Close3d1"));
  QVERIFY(target->isReadOnly());
}

void TestBrowseWindows::colourRules_data() {
  QTest::addColumn<int>("stake");
  QTest::addColumn<int>("payout");
  QTest::addColumn<QString>("profit");
  QTest::addColumn<QColor>("profitColour");
  QTest::addColumn<QString>("rate");
  QTest::addColumn<QColor>("rateColour");
  QTest::newRow("empty") << 0 << 0 << "0" << kGreen << "0.00%" << kGreen;
  QTest::newRow("rate 1, profit 0") << 1000 << 1000 << "0" << kGreen << "100.00%" << kGreen;
  QTest::newRow("rate 0.75") << 1000 << 750 << "-250" << kRed << "75.00%" << kYellow;
  QTest::newRow("rate 0.5") << 1000 << 500 << "-500" << kRed << "50.00%" << kCyan;
  QTest::newRow("rate 0.4999") << 10000 << 4999 << "-5001" << kRed << "49.99%" << kRed;
  QTest::newRow("profit -1") << 1000 << 999 << "-1" << kRed << "99.90%" << kYellow;
}

void TestBrowseWindows::colourRules() {
  QFETCH(int, stake);
  QFETCH(int, payout);
  QFETCH(QString, profit);
  QFETCH(QColor, profitColour);
  QFETCH(QString, rate);
  QFETCH(QColor, rateColour);
  putBet(host_->ledger().year, BetType::UTan, stake, payout);
  QVERIFY(host_->openYear());
  // The bet type and the total alike, as it is the only one bought.
  for (const QString& suffix : {QStringLiteral("UTan"), QStringLiteral("Gokei")}) {
    const bool total = suffix == "Gokei";
    const QString riekiBox = total ? "GokeiRieki" : "Rieki" + suffix;
    const QString rituBox = total ? "GokeiRitu" : "Ritu" + suffix;
    const QString tosiBox = total ? "GokeiTosi" : "Tosi" + suffix;
    QCOMPARE(host_->text(kYear, riekiBox), profit);
    QCOMPARE(host_->colour(kYear, riekiBox), profitColour);
    QCOMPARE(host_->text(kYear, rituBox), rate);
    QCOMPARE(host_->colour(kYear, rituBox), rateColour);
    QCOMPARE(host_->text(kYear, tosiBox), QString::number(stake));
    QCOMPARE(host_->colour(kYear, tosiBox), kGreen);
    QCOMPARE(host_->child<QLineEdit>(kYear, rituBox)->palette().color(QPalette::Base),
             QColor(Qt::black));
  }
  // The other bet types are empty: 0, 0.00%, green.
  QCOMPARE(host_->text(kYear, "RituTan"), QString("0.00%"));
  QCOMPARE(host_->colour(kYear, "RituTan"), kGreen);
}

void TestBrowseWindows::paidWithoutStake() {
  putBet(host_->ledger().year, BetType::Fuk, 0, 500);
  putBet(host_->ledger().year, BetType::Tan, 1000, 200);
  QVERIFY(host_->openYear());
  QCOMPARE(host_->text(kYear, "RituFuk"), QString("0.00%"));
  QCOMPARE(host_->colour(kYear, "RituFuk"), kGreen);
  QCOMPARE(host_->text(kYear, "RiekiFuk"), QString("500"));
  // The payout counts in the totals and the total rate.
  QCOMPARE(host_->text(kYear, "GokeiHarai"), QString("700"));
  QCOMPARE(host_->text(kYear, "GokeiRieki"), QString("-300"));
  QCOMPARE(host_->text(kYear, "GokeiRitu"), QString("70.00%"));
  QCOMPARE(host_->colour(kYear, "GokeiRitu"), kCyan);
}

void TestBrowseWindows::panelAndGridEachFromTheirOwnSource() {
  // A damaged file: the year's bet types, the month's bet types and the
  // stored totals of months and days all disagree.
  YearLedger& l = host_->ledger();
  putBet(l.year, BetType::Tan, 1000, 3000);
  putBet(l.month(2), BetType::Wak, 800, 0);
  putTotals(l.month(2), 500, 100);
  putTotals(daySlot(l, 2, 10), 70, 140);
  QVERIFY(host_->openYear());
  QCOMPARE(host_->text(kYear, "GokeiTosi"), QString("1000"));
  QCOMPARE(host_->text(kYear, "GokeiRitu"), QString("300.00%"));
  const QStringList february{host_->cell(kYear, 2, 1), host_->cell(kYear, 2, 2),
                             host_->cell(kYear, 2, 3), host_->cell(kYear, 2, 4)};
  QCOMPARE(february, (QStringList{"500", "100", "-400", "20.00%"}));
  QCOMPARE(host_->cell(kYear, 1, 1), QString("0"));
  // The grid cells get no colours.
  auto* grid = host_->child<Grid>(kYear, "Grid1");
  QCOMPARE(grid->item(1, 2)->foreground().style(), Qt::NoBrush);

  QVERIFY(host_->doubleClickRow(kYear, 2));
  QCOMPARE(host_->text(kMonth, "GokeiTosi"), QString("800"));
  QCOMPARE(host_->text(kMonth, "GokeiRitu"), QString("0.00%"));
  QCOMPARE(host_->colour(kMonth, "GokeiRitu"), kRed);
  QCOMPARE(host_->cell(kMonth, 10, 1), QString("70"));
  QCOMPARE(host_->cell(kMonth, 10, 4), QString("200.00%"));
  QCOMPARE(host_->cell(kMonth, 11, 1), QString("0"));
}

void TestBrowseWindows::monthShowsItsDaySlots_data() {
  QTest::addColumn<int>("month");
  QTest::addColumn<bool>("secondHalf");
  QTest::addColumn<int>("firstSlot");
  QTest::newRow("June: slots 156-186 of the first block") << 6 << false << 156;
  QTest::newRow("July: the second block from slot 1") << 7 << true << 1;
  // Rows 29 to 31 show what the ledger holds in those slots.
  QTest::newRow("February: 31 rows") << 2 << false << 32;
}

void TestBrowseWindows::monthShowsItsDaySlots() {
  QFETCH(int, month);
  QFETCH(bool, secondHalf);
  QFETCH(int, firstSlot);
  YearLedger& l = host_->ledger();
  for (int slot = 1; slot <= kSlotsPerHalf; ++slot) {
    const auto i = static_cast<std::size_t>(slot - 1);
    putTotals(l.firstHalf[i], 10000 + slot, 0);
    putTotals(l.secondHalf[i], 20000 + slot, 0);
  }
  QVERIFY(host_->openYear());
  QVERIFY(host_->doubleClickRow(kYear, month));
  QCOMPARE(qobject_cast<MonthBrowse*>(host_->window(kMonth))->month(), month);
  QCOMPARE(host_->text(kMonth, "Tuk"), QString::number(month));
  QCOMPARE(host_->child<QLineEdit>(kMonth, "Tuk")->palette().color(QPalette::Text),
           QColor(Qt::white));
  auto* grid = host_->child<Grid>(kMonth, "Grid1");
  QCOMPARE(grid->rowCountWithHeader(), 32);
  QCOMPARE(grid->cell(1, 0), QString("\u3000１日"));
  QCOMPARE(grid->cell(31, 0), QString("３１日"));
  for (int d = 1; d <= 31; ++d) {
    const int expected = (secondHalf ? 20000 : 10000) + firstSlot + d - 1;
    QCOMPARE(grid->cell(d, 1), QString::number(expected));
  }
}

void TestBrowseWindows::dayShowsItsSlot_data() {
  QTest::addColumn<int>("month");
  QTest::addColumn<int>("day");
  QTest::addColumn<bool>("secondHalf");
  QTest::addColumn<int>("slot");
  QTest::newRow("31 April, a day the calendar lacks") << 4 << 31 << false << 124;
  QTest::newRow("1 July") << 7 << 1 << true << 1;
  QTest::newRow("31 December") << 12 << 31 << true << 186;
}

void TestBrowseWindows::dayShowsItsSlot() {
  QFETCH(int, month);
  QFETCH(int, day);
  QFETCH(bool, secondHalf);
  QFETCH(int, slot);
  auto& block = secondHalf ? host_->ledger().secondHalf : host_->ledger().firstHalf;
  putBet(block[static_cast<std::size_t>(slot - 1)], BetType::Fuk, 400, 600);
  QVERIFY(host_->drillDown(month, day));
  QCOMPARE(qobject_cast<DayBrowse*>(host_->window(kDay))->day(), day);
  QCOMPARE(host_->text(kDay, "Tuk"), QString::number(month));
  QCOMPARE(host_->text(kDay, "Hi"), QString::number(day));
  QCOMPARE(host_->text(kDay, "TosiFuk"), QString("400"));
  // Only the place bet bought: the others 0.00% in green, the total its rate.
  QCOMPARE(host_->text(kDay, "RituTan"), QString("0.00%"));
  QCOMPARE(host_->colour(kDay, "RituTan"), kGreen);
  QCOMPARE(host_->text(kDay, "GokeiRitu"), QString("150.00%"));
  bool noticeShown = false;
  for (QLabel* label : host_->window(kDay)->findChildren<QLabel*>()) {
    noticeShown |= label->text() == "上記データを修正するには、収支入力で行って下さい";
  }
  QVERIFY(noticeShown);
}

void TestBrowseWindows::doubleClickOnShownRowReopensIt_data() {
  QTest::addColumn<QString>("opener");
  QTest::addColumn<QString>("opened");
  QTest::addColumn<bool>("onLabel");
  QTest::newRow("month, on a cell") << kYear << kMonth << false;
  QTest::newRow("month, on its label") << kYear << kMonth << true;
  QTest::newRow("day, on a cell") << kMonth << kDay << false;
  QTest::newRow("day, on its label") << kMonth << kDay << true;
}

void TestBrowseWindows::doubleClickOnShownRowReopensIt() {
  QFETCH(QString, opener);
  QFETCH(QString, opened);
  QFETCH(bool, onLabel);
  LedgerRecord& record =
      opened == kMonth ? host_->ledger().month(3) : daySlot(host_->ledger(), 3, 3);
  putBet(record, BetType::Kak, 100, 0);
  QVERIFY(host_->drillDown(3, 3));
  const QString before = host_->bookkeeping();
  QPointer<QWidget> shown = host_->window(opened);
  QCOMPARE(host_->text(opened, "TosiKak"), QString("100"));

  putBet(record, BetType::Kak, 900, 0);
  QVERIFY(host_->doubleClickRow(opener, 3, onLabel));
  QTRY_VERIFY(shown.isNull());
  QCOMPARE(host_->windows(opened).size(), 1);
  QCOMPARE(host_->text(opened, "TosiKak"), QString("900"));
  QCOMPARE(host_->bookkeeping(), before);
}

void TestBrowseWindows::enterOpensTheSelectedRow() {
  QVERIFY(host_->openYear());
  auto* grid = host_->child<Grid>(kYear, "Grid1");
  grid->setFocus();
  grid->setCurrentRow(4);
  QTest::keyClick(grid, Qt::Key_Return);
  QVERIFY(host_->window(kMonth) != nullptr);
  QCOMPARE(host_->text(kMonth, "Tuk"), QString("4"));
}

void TestBrowseWindows::refreshShowsPostedDay_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("gridRow");  // the row showing 3 May, 0 for none
  QTest::newRow("year") << kYear << 5;
  QTest::newRow("month") << kMonth << 3;
  QTest::newRow("day") << kDay << 0;
}

void TestBrowseWindows::refreshShowsPostedDay() {
  QFETCH(QString, name);
  QFETCH(int, gridRow);
  // The sample year again: 3 May, 単勝 1000 staked, 2500 paid.
  testdata::fillSampleYear(host_->ledger(), host_->state().tickets);
  QVERIFY(host_->press({}, "Command3D1"));  // 収支入力
  QWidget* entry = host_->window("Finput");
  QVERIFY(entry != nullptr);
  QVERIFY(host_->drillDown(5, 3));
  for (const QString& w : {kYear, kMonth, kDay}) QCOMPARE(host_->text(w, "GokeiTosi"), "1000");

  // 3 May corrected in the entry window: 単勝 3000 staked.
  QVERIFY(choose(entry, "MM", 4));
  QVERIFY(choose(entry, "DD", 2));
  auto* tosiTan = entry->findChild<QLineEdit*>("TosiTan");
  QTest::mouseClick(tosiTan, Qt::LeftButton);
  QTest::keyClicks(tosiTan, "3000");
  QTest::mouseClick(entry->findChild<QPushButton*>("ChkCmd"), Qt::LeftButton);
  QTest::mouseClick(entry->findChild<QPushButton*>("YesCmd"), Qt::LeftButton);
  QCOMPARE(host_->messages.texts(), QStringList{"データは一時保存されました"});

  // Every window follows the posting at once, where it stands.
  host_->window(name)->parentWidget()->move(40, 30);
  for (const QString& w : {kYear, kMonth, kDay}) QCOMPARE(host_->text(w, "GokeiTosi"), "3000");
  QCOMPARE(host_->text(name, "GokeiRitu"), QString("83.33%"));
  if (gridRow > 0) QCOMPARE(host_->cell(name, gridRow, 1), QString("3000"));
  QCOMPARE(host_->window(name)->parentWidget()->pos(), QPoint(40, 30));
  // 最新表示 still rebuilds, at the top-left corner.
  const QString before = host_->bookkeeping();
  QVERIFY(host_->press(name, "Command3D1"));
  QCOMPARE(host_->text(name, "GokeiTosi"), QString("3000"));
  QCOMPARE(host_->window(name)->parentWidget()->pos(), QPoint(0, 0));
  // Rebuilt in place: the open flags and the count stay as they were.
  QCOMPARE(host_->bookkeeping(), before);
  QCOMPARE(host_->messages.count(), 1);
}

void TestBrowseWindows::graphBroughtForwardNotRebuilt() {
  putTotals(host_->ledger().month(1), 3000, 4500);
  putTotals(host_->ledger().month(8), 2000, 500);
  QVERIFY(host_->openYear());
  QVERIFY(host_->press(kYear, "Command3D2"));
  QVERIFY(host_->isOpen(kGraph));
  QPointer<ProfitGraphWindow> graph = qobject_cast<ProfitGraphWindow*>(host_->window(kGraph));
  QVERIFY(graph != nullptr);
  QCOMPARE(host_->activeName(), kGraph);
  ProfitGraph* bars = graph->graph();
  QCOMPARE(bars->pointCount(), 12);
  for (int m = 1; m <= 12; ++m) {
    QCOMPARE(bars->point(m - 1).label, QStringLiteral("%1月").arg(m, 2));
    // Each bar is the profit cell of its month's row.
    QCOMPARE(QString::number(bars->point(m - 1).value.value()), host_->cell(kYear, m, 3));
  }
  QCOMPARE(bars->point(7).value, std::optional<std::int32_t>(-1500));

  // The graph comes back in front whenever the year browse is activated.
  host_->activate(kYear);
  QTRY_COMPARE(host_->activeName(), kGraph);

  // Pressed again: the same graph in front, with the figures it was built with.
  putTotals(host_->ledger().month(1), 0, 0);
  QVERIFY(host_->press(kYear, "Command3D2"));
  QTRY_COMPARE(host_->activeName(), kGraph);
  QCOMPARE(host_->windows(kGraph).size(), 1);
  QCOMPARE(qobject_cast<ProfitGraphWindow*>(host_->window(kGraph)), graph.data());
  QCOMPARE(graph->graph()->point(0).value, std::optional<std::int32_t>(1500));
}

void TestBrowseWindows::closingGraphClearsItsFlag_data() {
  QTest::addColumn<bool>("byButton");
  QTest::newRow("閉じる") << true;
  QTest::newRow("title-bar close") << false;
}

void TestBrowseWindows::closingGraphClearsItsFlag() {
  QFETCH(bool, byButton);
  QVERIFY(host_->openYear());
  QVERIFY(host_->press(kYear, "Command3D2"));
  QWidget* graph = host_->window(kGraph);
  QVERIFY(graph != nullptr);
  if (byButton) {
    QVERIFY(host_->press(kGraph, "Close3d1"));
  } else {
    graph->parentWidget()->close();
  }
  QVERIFY(!host_->isOpen(kGraph));
  QTRY_COMPARE(host_->openNames(), QStringList{kYear});
  // No longer shown again when the year browse is activated.
  host_->activate(kYear);
  QTRY_COMPARE(host_->activeName(), kYear);
  QCOMPARE(host_->openNames(), QStringList{kYear});
  // The next グラフ表示 builds it afresh from the ledger.
  putTotals(host_->ledger().month(3), 100, 0);
  QVERIFY(host_->press(kYear, "Command3D2"));
  auto* rebuilt = qobject_cast<ProfitGraphWindow*>(host_->window(kGraph));
  QVERIFY(rebuilt != nullptr);
  QCOMPARE(rebuilt->graph()->point(2).value, std::optional<std::int32_t>(-100));
}

void TestBrowseWindows::secondYearBrowseOnlyRefused() {
  QVERIFY(host_->openYear());
  QVERIFY(host_->doubleClickRow(kYear, 2));
  const QString before = host_->bookkeeping();
  QPointer<QWidget> year = host_->window(kYear);
  QVERIFY(host_->press({}, "Blowse"));
  QCOMPARE(host_->messages.texts(), QStringList{kAlreadyOpen});
  QCOMPARE(host_->messages.last().title, kErrorTitle);
  QCOMPARE(host_->bookkeeping(), before);
  QCOMPARE(host_->window(kYear), year.data());
}

void TestBrowseWindows::openWindowBookkeeping_data() {
  // Steps: "year" (総合分析), "month N" / "day N" (double-click row N),
  // "graph" (グラフ表示), "close W" (its 閉じる), "x W" (its title-bar
  // close), "refresh W" (its 最新表示). After each step: "count
  // YearBrowseOpen MonthBrowseOpen MonthGraphOpen: open windows".
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<QStringList>("after");
  QTest::newRow("down and back up")
      << QStringList{"year", "month 3", "day 5", "close DBlowse", "close MBlowse", "close Fblowse"}
      << QStringList{"2 1 0 0: Fblowse",
                     "3 1 1 0: Fblowse MBlowse",
                     "4 1 1 0: DBlowse Fblowse MBlowse",
                     "3 1 1 0: Fblowse MBlowse",
                     "2 1 0 0: Fblowse",
                     "0 0 0 0: "};
  QTest::newRow("year closed first")
      << QStringList{"year", "month 3", "day 5", "x Fblowse", "x MBlowse", "x DBlowse"}
      << QStringList{"2 1 0 0: Fblowse",
                     "3 1 1 0: Fblowse MBlowse",
                     "4 1 1 0: DBlowse Fblowse MBlowse",
                     "3 0 1 0: DBlowse MBlowse",
                     "2 0 0 0: DBlowse",
                     "0 0 0 0: "};
  QTest::newRow("refresh keeps everything")
      << QStringList{"year",           "month 3", "day 5", "refresh Fblowse", "refresh MBlowse",
                     "refresh DBlowse"}
      << QStringList{"2 1 0 0: Fblowse",
                     "3 1 1 0: Fblowse MBlowse",
                     "4 1 1 0: DBlowse Fblowse MBlowse",
                     "4 1 1 0: DBlowse Fblowse MBlowse",
                     "4 1 1 0: DBlowse Fblowse MBlowse",
                     "4 1 1 0: DBlowse Fblowse MBlowse"};
  QTest::newRow("a new year browse closes month and day")
      << QStringList{"year", "month 3", "day 5", "close Fblowse", "year"}
      << QStringList{"2 1 0 0: Fblowse", "3 1 1 0: Fblowse MBlowse",
                     "4 1 1 0: DBlowse Fblowse MBlowse", "3 0 1 0: DBlowse MBlowse",
                     "2 1 0 0: Fblowse"};
  QTest::newRow("another month and day replace the shown ones")
      << QStringList{"year", "month 3", "month 4", "day 2", "day 7"}
      << QStringList{"2 1 0 0: Fblowse", "3 1 1 0: Fblowse MBlowse", "3 1 1 0: Fblowse MBlowse",
                     "4 1 1 0: DBlowse Fblowse MBlowse", "4 1 1 0: DBlowse Fblowse MBlowse"};
  QTest::newRow("the graph is not counted")
      << QStringList{"year", "graph", "close Fblowse", "x FGrapher1"}
      << QStringList{"2 1 0 0: Fblowse", "2 1 0 1: FGrapher1 Fblowse", "0 0 0 1: FGrapher1",
                     "0 0 0 0: "};
}

void TestBrowseWindows::openWindowBookkeeping() {
  QFETCH(QStringList, steps);
  QFETCH(QStringList, after);
  for (int i = 0; i < steps.size(); ++i) {
    const QStringList words = steps[i].split(' ');
    const QString& what = words.front();
    const QString arg = words.value(1);
    if (what == "year") {
      QVERIFY(host_->press({}, "Blowse"));
    } else if (what == "month") {
      QVERIFY(host_->doubleClickRow(kYear, arg.toInt()));
    } else if (what == "day") {
      QVERIFY(host_->doubleClickRow(kMonth, arg.toInt()));
    } else if (what == "graph") {
      QVERIFY(host_->press(kYear, "Command3D2"));
    } else if (what == "close") {
      QVERIFY(host_->press(arg, "Close3d1"));
    } else if (what == "x") {
      host_->window(arg)->parentWidget()->close();
    } else if (what == "refresh") {
      QVERIFY(host_->press(arg, "Command3D1"));
    }
    QTRY_COMPARE(host_->bookkeeping(), after[i]);
  }
  QCOMPARE(host_->messages.count(), 0);
}

void TestBrowseWindows::outOfRangeReportedOncePerBuild_data() {
  QTest::addColumn<QString>("name");
  QTest::newRow("year") << kYear;
  QTest::newRow("month") << kMonth;
  QTest::newRow("day") << kDay;
  QTest::newRow("graph") << kGraph;
}

void TestBrowseWindows::outOfRangeReportedOncePerBuild() {
  QFETCH(QString, name);
  // The window's panel and grid both hold amounts beyond 32 bits.
  YearLedger& l = host_->ledger();
  LedgerRecord& record = name == kYear ? l.year : name == kMonth ? l.month(6) : daySlot(l, 6, 9);
  LedgerRecord& totals = name == kMonth ? daySlot(l, 6, 9) : l.month(6);
  putBet(record, BetType::Uma, 100, 50);
  putFieldText(record, fileField(Quantity::Stake, BetType::Tan), kTooLarge);
  putTotals(totals, 400, 300);
  putFieldText(totals, LedgerRecord::kStakeTotalField, kTooLarge);

  // Opening the year browse reads month 6's stored totals in its grid,
  // which only the month case leaves sound.
  QVERIFY(host_->openYear());
  const int yearMessages = name == kMonth ? 0 : 1;
  QCOMPARE(host_->messages.count(), yearMessages);
  if (name == kMonth || name == kDay) QVERIFY(host_->doubleClickRow(kYear, 6));
  if (name == kDay) QVERIFY(host_->doubleClickRow(kMonth, 9));
  if (name == kGraph) QVERIFY(host_->press(kYear, "Command3D2"));
  const int built = host_->messages.count();
  QCOMPARE(built, yearMessages + (name == kYear ? 0 : 1));
  for (const QString& text : host_->messages.texts()) QCOMPARE(text, kOutOfRange);

  if (name == kGraph) {
    auto* graph = qobject_cast<ProfitGraphWindow*>(host_->window(kGraph));
    QVERIFY(!graph->graph()->point(5).value.has_value());
    QCOMPARE(graph->graph()->point(4).value, std::optional<std::int32_t>(0));
    // Shown again, not built again: nothing more is reported.
    QVERIFY(host_->press(kYear, "Command3D2"));
    QCOMPARE(host_->messages.count(), built);
    return;
  }
  // What could not be computed stays empty; the rest is shown.
  QCOMPARE(host_->text(name, "TosiTan"), QString());
  QCOMPARE(host_->text(name, "RiekiTan"), QString());
  QCOMPARE(host_->text(name, "HaraiTan"), QString("0"));
  QCOMPARE(host_->text(name, "GokeiTosi"), QString());
  QCOMPARE(host_->text(name, "GokeiHarai"), QString("50"));
  QCOMPARE(host_->text(name, "RituUma"), QString("50.00%"));
  if (name != kDay) {
    const int row = name == kYear ? 6 : 9;
    QCOMPARE(host_->cell(name, row, 1), QString());
    QCOMPARE(host_->cell(name, row, 2), QString("300"));
    QCOMPARE(host_->cell(name, row, 3), QString());
  }
  // Each build reports once.
  QVERIFY(host_->press(name, "Command3D1"));
  QCOMPARE(host_->messages.count(), built + 1);
}

QTEST_MAIN(TestBrowseWindows)
#include "test_browse_windows.moc"
