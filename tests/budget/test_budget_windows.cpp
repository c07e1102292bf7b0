// 予算 as the user meets it: the dialog that keeps each data directory's
// limits, the warning line in 収支入力's question, and the status bar figure
// that follows postings and undo.

#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "budget/budget_dialog.h"
#include "entry/entry_window.h"
#include "support/gui_actions.h"
#include "support/scripted_messages.h"
#include "support/window_host.h"
#include "trend/trend_calendar.h"
#include "widgets/budget_settings.h"

using namespace tamrel;

Q_DECLARE_METATYPE(BudgetLimits)

namespace {

BudgetLimits monthLimit(std::optional<std::int32_t> month) {
  BudgetLimits limits;
  limits.month = month;
  return limits;
}

// The sample year's main window, the month limit stored for its directory
// before the start.
bool startWith(WindowHost& host, const BudgetLimits& limits) {
  if (!host.dir.writeSample()) return false;
  storeBudgetLimits(QDir(host.dir.path()).absolutePath(), limits);
  return host.start(/*writeSample=*/false);
}

BetAmounts tanOnly(int stake) {
  BetAmounts a;
  a.stake[0] = stake;
  return a;
}

// Types `text` character by character, full-width ones too (QTest's key
// clicks take Latin-1 only), so the box's validator sees each key.
void typeText(QWidget* box, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &press);
    QApplication::sendEvent(box, &release);
  }
}

QLabel* budgetLabel(WindowHost& host) { return host.main->findChild<QLabel*>("statusBudget"); }

// The day of this month the tests post into: the sample year holds only 3 May,
// so this month's stake is what the test posts (in May, 1000 more).
constexpr int kDay = 20;
int thisMonth() { return QDate::currentDate().month(); }
int storedThisMonth() { return thisMonth() == 5 ? 1000 : 0; }

}  // namespace

class TestBudgetWindows : public QObject {
  Q_OBJECT
 private slots:
  void eachDirectoryKeepsItsOwn();
  void dialogStoresWhatIsTyped_data();
  void dialogStoresWhatIsTyped();
  void dialogRefusesAnAmountOutOfRange();
  void warningLineOnlyWhenPassed_data();
  void warningLineOnlyWhenPassed();
  void statusBarFollowsPostingAndUndo();
  void statusBarFollowsTheMenuDialog();
  void trendMarksTheSetsuOverTheirLimit();
};

void TestBudgetWindows::eachDirectoryKeepsItsOwn() {
  QTemporaryDir a, b;
  const BudgetLimits first{10000, 50000, 600000, 80};
  const BudgetLimits second{{}, 30000, {}, {}};
  storeBudgetLimits(a.path(), first);
  storeBudgetLimits(b.path(), second);
  QCOMPARE(budgetLimits(a.path()), first);
  QCOMPARE(budgetLimits(b.path()), second);
  // Emptied limits are gone, not kept from before.
  storeBudgetLimits(a.path(), BudgetLimits{});
  QCOMPARE(budgetLimits(a.path()), BudgetLimits{});
  QCOMPARE(budgetLimits(b.path()), second);
}

void TestBudgetWindows::dialogStoresWhatIsTyped_data() {
  QTest::addColumn<QStringList>("typed");  // 節, month, year, 回収率
  QTest::addColumn<BudgetLimits>("stored");
  QTest::newRow("all") << QStringList{"10000", "50,000", "600000", "80"}
                       << BudgetLimits{10000, 50000, 600000, 80};
  QTest::newRow("empty is no limit")
      << QStringList{"", "30000", "", ""} << BudgetLimits{{}, 30000, {}, {}};
  QTest::newRow("full-width digits")
      << QStringList{"１２０００", "", "", ""} << BudgetLimits{12000, {}, {}, {}};
  QTest::newRow("letters are not taken")
      << QStringList{"1a2", "", "", ""} << BudgetLimits{12, {}, {}, {}};
  QTest::newRow("zero is a limit") << QStringList{"0", "", "", ""} << BudgetLimits{0, {}, {}, {}};
}

void TestBudgetWindows::dialogStoresWhatIsTyped() {
  QFETCH(QStringList, typed);
  QFETCH(BudgetLimits, stored);
  QTemporaryDir dir;
  ScriptedMessages messages;
  storeBudgetLimits(dir.path(), BudgetLimits{1, 2, 3, 4});
  BudgetDialog dialog(dir.path(), messages);
  dialog.show();
  const char* const names[] = {"BudgetSetsu", "BudgetMonth", "BudgetYear", "BudgetRate"};
  // The stored limits are shown to start with.
  QCOMPARE(gui::named<QLineEdit>(&dialog, "BudgetYear")->text(), QString("3"));
  for (int i = 0; i < 4; ++i) {
    QLineEdit* box = gui::named<QLineEdit>(&dialog, names[i]);
    box->clear();
    typeText(box, typed[i]);
    QCOMPARE(box->text(), QString(typed[i]).remove('a'));
  }
  QVERIFY(gui::click(&dialog, "BudgetOk"));
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(budgetLimits(dir.path()), stored);
  QVERIFY(messages.shown().isEmpty());
}

void TestBudgetWindows::dialogRefusesAnAmountOutOfRange() {
  QTemporaryDir dir;
  ScriptedMessages messages;
  const BudgetLimits before{1000, {}, {}, {}};
  storeBudgetLimits(dir.path(), before);
  BudgetDialog dialog(dir.path(), messages);
  dialog.show();
  gui::named<QLineEdit>(&dialog, "BudgetMonth")->setText("3000000000");
  QVERIFY(gui::click(&dialog, "BudgetOk"));
  QCOMPARE(messages.texts(), QStringList{kAmountOutOfRange});
  QVERIFY(dialog.isVisible());
  QCOMPARE(budgetLimits(dir.path()), before);
}

void TestBudgetWindows::warningLineOnlyWhenPassed_data() {
  QTest::addColumn<std::optional<std::int32_t>>("limit");
  QTest::addColumn<int>("stake");
  QTest::addColumn<QString>("line");  // empty: no warning
  const int base = storedThisMonth();
  QTest::newRow("below") << std::optional<std::int32_t>(base + 12000) << 11999 << QString();
  QTest::newRow("exactly at") << std::optional<std::int32_t>(base + 12000) << 12000 << QString();
  QTest::newRow("one yen over") << std::optional<std::int32_t>(base + 12000) << 12001
                                << QString("今月の予算を 1円 超えます");
  QTest::newRow("far over") << std::optional<std::int32_t>(base + 12000) << 24000
                            << QString("今月の予算を 12,000円 超えます");
  QTest::newRow("no limit") << std::optional<std::int32_t>() << 99999999 << QString();
}

void TestBudgetWindows::warningLineOnlyWhenPassed() {
  QFETCH(std::optional<std::int32_t>, limit);
  QFETCH(int, stake);
  QFETCH(QString, line);
  WindowHost host;
  QVERIFY(startWith(host, monthLimit(limit)));
  host.main->action("actionEntry")->trigger();
  auto* entry = qobject_cast<EntryWindow*>(host.window("Finput"));
  QVERIFY(entry != nullptr);
  QVERIFY(gui::choose(entry, "MM", thisMonth() - 1));
  QVERIFY(gui::choose(entry, "DD", kDay - 1));
  gui::named<QLineEdit>(entry, "TosiTan")->setText(QString::number(stake));
  QVERIFY(gui::click(entry, "ChkCmd"));
  auto* question = gui::named<QLabel>(entry, "Kakunin");
  QTRY_VERIFY(question->isVisible());
  // Wrapped to the row's width: the lines are compared joined.
  const QString shown = question->text().remove('\n');
  QVERIFY2(shown.endsWith("確定しますか？"), qPrintable(shown));
  QCOMPARE(shown.contains("予算"), !line.isEmpty());
  if (!line.isEmpty()) QVERIFY2(shown.contains(line + "確定しますか？"), qPrintable(shown));
  // Told, never refused: はい posts the day.
  QVERIFY(gui::click(entry, "YesCmd"));
  QCOMPARE(
      amount(daySlot(host.session().ledger(), thisMonth(), kDay), Quantity::Stake, BetType::Tan),
      stake);
}

void TestBudgetWindows::statusBarFollowsPostingAndUndo() {
  WindowHost host;
  QVERIFY(startWith(host, BudgetLimits{{}, storedThisMonth() + 5000, {}, 80}));
  QLabel* label = budgetLabel(host);
  QVERIFY(label != nullptr);
  QVERIFY(!label->isHidden());
  QCOMPARE(label->text(), QString("今月の予算 残り 5,000円"));
  QVERIFY(label->styleSheet().isEmpty());
  // The sample's 3 May: 1000 staked, 2500 paid.
  QCOMPARE(label->toolTip(), QString("今年の投資 1,000円\n回収率 250.00%（目標 80%）"));

  QCOMPARE(host.session().postDay(thisMonth(), kDay, tanOnly(5000)), PostResult::Ok);
  QCOMPARE(label->text(), QString("今月の予算 残り 0円"));
  QVERIFY(label->styleSheet().isEmpty());
  QCOMPARE(host.session().postDay(thisMonth(), kDay, tanOnly(5001)), PostResult::Ok);
  QCOMPARE(label->text(), QString("今月の予算 1円 超過"));
  QVERIFY(label->styleSheet().contains("red"));
  QVERIFY(label->toolTip().startsWith("今年の投資 6,001円\n"));

  QTest::keyClick(host.main->workArea(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(label->text(), QString("今月の予算 残り 0円"));
  QVERIFY(label->styleSheet().isEmpty());
  QTest::keyClick(host.main->workArea(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(label->text(), QString("今月の予算 残り 5,000円"));
  QTest::keyClick(host.main->workArea(), Qt::Key_Y, Qt::ControlModifier);
  QTest::keyClick(host.main->workArea(), Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(label->text(), QString("今月の予算 1円 超過"));
}

void TestBudgetWindows::statusBarFollowsTheMenuDialog() {
  WindowHost host;
  QVERIFY(startWith(host, BudgetLimits{}));
  QLabel* label = budgetLabel(host);
  QVERIFY(label != nullptr);
  // Nothing to show without a month limit.
  QVERIFY(label->isHidden());
  // 収支推移, open, draws the new limit at once too.
  host.main->action("actionTrend")->trigger();
  auto* calendar = host.main->findChild<TrendCalendar*>("Calendar");
  QVERIFY(calendar != nullptr);
  QVERIFY(!calendar->monthBudgetText(thisMonth()).contains("上限"));
  bool answered = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<BudgetDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    gui::named<QLineEdit>(dialog, "BudgetMonth")->setText(QString::number(storedThisMonth() + 700));
    answered = gui::click(dialog, "BudgetOk");
  });
  host.main->action("actionBudget")->trigger();
  QVERIFY(answered);
  QCOMPARE(budgetLimits(host.session().dataDirPath()), monthLimit(storedThisMonth() + 700));
  QVERIFY(!label->isHidden());
  QCOMPARE(label->text(), QString("今月の予算 残り 700円"));
  QVERIFY2(calendar->monthBudgetText(thisMonth()).contains("（残り 700円）"),
           qPrintable(calendar->monthBudgetText(thisMonth())));
}

void TestBudgetWindows::trendMarksTheSetsuOverTheirLimit() {
  WindowHost host;
  // The sample year holds 3 May, 1000 staked.
  QVERIFY(startWith(host, BudgetLimits{1500, 2000, {}, {}}));
  host.main->action("actionTrend")->trigger();
  auto* calendar = host.main->findChild<TrendCalendar*>("Calendar");
  QVERIFY(calendar != nullptr);
  QVERIFY(!calendar->overBudget({5, 3}));
  QCOMPARE(calendar->monthBudgetText(5),
           QString("5月の予算: 投資 1,000円 / 上限 2,000円（残り 1,000円）"));
  QVERIFY(calendar->monthBudgetText(6).startsWith("6月の予算: 投資 0円"));
  // 3 and 4 May are one 節 in any year: 2000 passes its 1500; the month
  // is exactly at its limit. A posting redraws the marks.
  QCOMPARE(host.session().postDay(5, 4, tanOnly(1000)), PostResult::Ok);
  QVERIFY(calendar->overBudget({5, 3}));
  QVERIFY(calendar->overBudget({5, 4}));
  QVERIFY(!calendar->overBudget({5, 5}));
  QVERIFY(calendar->tipText({5, 4}).endsWith("予算を超えた節"));
  QCOMPARE(calendar->monthBudgetText(5),
           QString("5月の予算: 投資 2,000円 / 上限 2,000円（残り 0円）"));
  QTest::keyClick(host.main->workArea(), Qt::Key_Z, Qt::ControlModifier);
  QVERIFY(!calendar->overBudget({5, 3}));
}

QTEST_MAIN(TestBudgetWindows)
#include "test_budget_windows.moc"
