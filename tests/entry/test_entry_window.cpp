// The daily entry window and its amount box, driven through real widgets.

#include "detail/month_transfer.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_init.h"
#include "ledger/ledger_records.h"
#include "state/data_session.h"
#include "store/app_state.h"
#include "store/data_files.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>
#include <memory>

#include "cross/cross_window.h"
#include "entry/amount_box.h"
#include "entry/day_marks.h"
#include "entry/entry_window.h"
#include "entry/ticket_window.h"
#include "support/guessed_year.h"
#include "support/scripted_messages.h"
#include "support/session_access.h"
#include "ticketlist/ticket_list.h"
#include "trend/trend_window.h"
#include "widgets/child_window.h"
#include "widgets/look.h"

using namespace tamrel;

namespace {

const QStringList kSuffixes{"Tan", "Fuk", "Wak", "Uma", "Kak", "UTan", "3Ren"};

BetAmounts dayAmounts(std::initializer_list<std::tuple<BetType, int, int>> items) {
  BetAmounts a;
  for (const auto& [type, stake, payout] : items) {
    a.stake[static_cast<std::size_t>(index(type))] = stake;
    a.payout[static_cast<std::size_t>(index(type))] = payout;
  }
  return a;
}

std::int32_t stakeOf(const LedgerRecord& r, BetType t) {
  return amount(r, Quantity::Stake, t).value_or(-1);
}
std::int32_t payoutOf(const LedgerRecord& r, BetType t) {
  return amount(r, Quantity::Payout, t).value_or(-1);
}

// A few tickets of one day, as the ticket window would leave them.
DayTicketList ticketsOf(int month, int day, int count) {
  DayTicketList list;
  for (int i = 0; i < count; ++i) {
    TicketRecord t = newTicket(month, day);
    t.setField(TicketField::BetType, "1");
    list.entries[static_cast<std::size_t>(i)] = t;
  }
  list.count = static_cast<std::int16_t>(count);
  return list;
}

// A main window with a work area, the shared state and the entry window in it.
struct Host {
  QMainWindow main;
  QMdiArea* area = new QMdiArea;
  DataSession session;
  const AppState* const state = &session.data();
  ScriptedMessages messages;
  QPointer<EntryWindow> window;

  Host() {
    // The stores as a loaded file would leave them: nothing modified.
    AppState& stored = DataSessionTestAccess::state(session);
    resetYear(stored.ledger, stored.tickets);
    BetAmounts baseline;
    // 5 March: 単勝 1000 staked, 2350 paid; ﾜｲﾄﾞ 500 staked, nothing paid.
    (void)postDay(stored.ledger, baseline, 3, 5,
                  dayAmounts({{BetType::Tan, 1000, 2350}, {BetType::Kak, 500, 0}}));
    // Another March day, so the month is more than the one day.
    baseline = {};
    (void)postDay(stored.ledger, baseline, 3, 12, dayAmounts({{BetType::Tan, 200, 0}}));
    // 5 April: 複勝 300 staked, 450 paid.
    baseline = {};
    (void)postDay(stored.ledger, baseline, 4, 5, dayAmounts({{BetType::Fuk, 300, 450}}));

    main.setCentralWidget(area);
    main.resize(900, 700);
    window = new EntryWindow(session, messages);
    openChildWindow(*area, window);
    main.show();
  }

  template <typename T = QWidget>
  T* child(const QString& name) const {
    T* w = window->findChild<T*>(name);
    if (w == nullptr) qWarning("no child %s", qPrintable(name));
    return w;
  }
  AmountBox* box(const QString& name) const { return child<AmountBox>(name); }
  QString text(const QString& name) const { return child<QLineEdit>(name)->text(); }
  QComboBox* list(const QString& name) const { return child<QComboBox>(name); }
  QPushButton* button(const QString& name) const { return child<QPushButton>(name); }
  QWidget* focus() const { return QApplication::focusWidget(); }
  ChildWindow* open(const char* name) const { return findOpenWindow(area, name); }
  QString focusName() const { return focus() ? focus()->objectName() : QString(); }
};

}  // namespace

class TestEntryWindow : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Host> host_;

  // Picks an item the way the user does: click the list open, pick the item.
  bool choose(const QString& listName, int index) {
    QComboBox* list = host_->list(listName);
    QTest::mouseClick(list, Qt::LeftButton);
    QAbstractItemView* view = list->view();
    if (!QTest::qWaitFor([&] { return view->isVisible(); })) return false;
    const QModelIndex item = view->model()->index(index, 0);
    // In the open list the item is picked with the keyboard: a click that
    // follows the opening click too closely is taken as part of it.
    view->setCurrentIndex(item);
    QTest::keyClick(view, Qt::Key_Return);
    return QTest::qWaitFor([&] { return !view->isVisible(); }) && list->currentIndex() == index;
  }

  bool showDay(int month, int day) { return choose("MM", month - 1) && choose("DD", day - 1); }

  void click(const QString& name) { QTest::mouseClick(host_->child(name), Qt::LeftButton); }

  // Clicks a box (which empties it) and types `keys` into it.
  void type(const QString& name, const QString& keys) {
    click(name);
    QTest::keyClicks(host_->child(name), keys);
  }

  bool confirming() const {
    return host_->child("Kakunin")->isVisible() && host_->button("YesCmd")->isVisible() &&
           host_->button("NoCmd")->isVisible() && !host_->button("ChkCmd")->isVisible() &&
           !host_->button("Command3D1")->isVisible() && !host_->button("TosiClearCmd")->isEnabled();
  }
  bool editing() const {
    return !host_->child("Kakunin")->isVisible() && !host_->button("YesCmd")->isVisible() &&
           !host_->button("NoCmd")->isVisible() && host_->button("ChkCmd")->isVisible() &&
           host_->button("Command3D1")->isVisible() && host_->button("TosiClearCmd")->isEnabled();
  }

 private slots:
  void init() {
    host_ = std::make_unique<Host>();
    QVERIFY(QTest::qWaitForWindowActive(&host_->main));
    QTRY_VERIFY(host_->area->activeSubWindow() != nullptr);
  }
  void cleanup() { host_.reset(); }

  // --- The amount box on its own -------------------------------------------

  void amountBoxKeys_data() {
    QTest::addColumn<AmountBox::Filter>("filter");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("lastKey");  // a key without a character, 0 for none
    QTest::addColumn<QString>("expected");
    using F = AmountBox::Filter;
    QTest::newRow("digits kept") << F::Digits << 8 << "1230" << 0 << "1230";
    QTest::newRow("letter empties") << F::Digits << 8 << "12a" << 0 << "";
    QTest::newRow("letter first") << F::Digits << 8 << "a" << 0 << "";
    QTest::newRow("digits after a rejected key") << F::Digits << 8 << "1a45" << 0 << "45";
    QTest::newRow("minus rejected") << F::Digits << 8 << "-5" << 0 << "5";
    QTest::newRow("backspace empties") << F::Digits << 8 << "123" << int(Qt::Key_Backspace) << "";
    QTest::newRow("escape empties") << F::Digits << 8 << "123" << int(Qt::Key_Escape) << "";
    // Keys that type no character leave the entry as it is.
    QTest::newRow("left keeps") << F::Digits << 8 << "1500" << int(Qt::Key_Left) << "1500";
    QTest::newRow("right keeps") << F::Digits << 8 << "1500" << int(Qt::Key_Right) << "1500";
    QTest::newRow("up keeps") << F::DigitsAndMinus << 7 << "-15" << int(Qt::Key_Up) << "-15";
    QTest::newRow("home keeps") << F::Digits << 8 << "123" << int(Qt::Key_Home) << "123";
    QTest::newRow("end keeps") << F::Digits << 8 << "123" << int(Qt::Key_End) << "123";
    QTest::newRow("delete keeps") << F::Digits << 8 << "123" << int(Qt::Key_Delete) << "123";
    QTest::newRow("page up keeps") << F::Digits << 8 << "123" << int(Qt::Key_PageUp) << "123";
    QTest::newRow("page down keeps") << F::Digits << 8 << "123" << int(Qt::Key_PageDown) << "123";
    QTest::newRow("F2 keeps") << F::DigitsAndMinus << 7 << "123" << int(Qt::Key_F2) << "123";
    QTest::newRow("shift keeps") << F::Digits << 8 << "123" << int(Qt::Key_Shift) << "123";
    QTest::newRow("max length") << F::Digits << 3 << "12345" << 0 << "123";
    QTest::newRow("minus allowed") << F::DigitsAndMinus << 7 << "-500" << 0 << "-500";
    QTest::newRow("digit-group comma kept") << F::Digits << 8 << "1,500" << 0 << "1,500";
    QTest::newRow("letter with minus filter") << F::DigitsAndMinus << 7 << "-5x" << 0 << "";
    QTest::newRow("no filter keeps letters") << F::None << 8 << "12a" << 0 << "12a";
    QTest::newRow("no filter backspace edits")
        << F::None << 8 << "123" << int(Qt::Key_Backspace) << "12";
  }

  void amountBoxKeys() {
    QFETCH(AmountBox::Filter, filter);
    QFETCH(int, maxLength);
    QFETCH(QString, typed);
    QFETCH(int, lastKey);
    QFETCH(QString, expected);
    QWidget top;
    auto* other = new QLineEdit(&top);
    auto* box = new AmountBox(filter, maxLength, &top);
    box->move(0, 40);
    top.show();
    QVERIFY(QTest::qWaitForWindowActive(&top));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, typed);
    if (lastKey != 0) QTest::keyClick(box, Qt::Key(lastKey));
    QCOMPARE(box->text(), expected);
    // A rejected key leaves the focus where it was.
    QVERIFY(box->hasFocus());
    QVERIFY(!other->hasFocus());
    QCOMPARE(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  }

  void amountBoxEnter_data() {
    QTest::addColumn<AmountBox::Filter>("filter");
    QTest::addColumn<int>("enterSignals");
    QTest::addColumn<int>("returnPressedSignals");
    QTest::newRow("digits") << AmountBox::Filter::Digits << 1 << 0;
    QTest::newRow("digits and minus") << AmountBox::Filter::DigitsAndMinus << 1 << 0;
    QTest::newRow("none") << AmountBox::Filter::None << 0 << 1;
  }

  void amountBoxEnter() {
    QFETCH(AmountBox::Filter, filter);
    QFETCH(int, enterSignals);
    QFETCH(int, returnPressedSignals);
    QWidget top;
    auto* box = new AmountBox(filter, 8, &top);
    QSignalSpy focus(box, &AmountBox::focusReceived);
    QSignalSpy enter(box, &AmountBox::enterPressed);
    QSignalSpy returned(box, &QLineEdit::returnPressed);
    top.show();
    QVERIFY(QTest::qWaitForWindowActive(&top));
    box->setFocus();
    QTRY_COMPARE(focus.count(), 1);
    QTest::keyClicks(box, "12");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(enter.count(), enterSignals);
    QCOMPARE(returned.count(), returnPressedSignals);
    QCOMPARE(box->text(), QString("12"));
    // Enter clears a rejection still pending from the key before it: its
    // release empties nothing.
    QTest::keyPress(box, Qt::Key_A);
    QTest::keyClick(box, Qt::Key_Enter);
    QCOMPARE(enter.count(), 2 * enterSignals);
    QTest::keyRelease(box, Qt::Key_A);
    QCOMPARE(box->text(), QString("12a"));
  }

  void amountBoxInputMethod_data() {
    QTest::addColumn<AmountBox::Filter>("filter");
    QTest::addColumn<QString>("committed");
    QTest::addColumn<QString>("expected");
    using F = AmountBox::Filter;
    QTest::newRow("full-width digits") << F::Digits << "１２３"
                                       << "123";
    QTest::newRow("full-width letter rejected") << F::Digits << "１２ａ"
                                                << "";
    QTest::newRow("full-width minus") << F::DigitsAndMinus << "－５００"
                                      << "-500";
    QTest::newRow("minus not in digits") << F::Digits << "－５"
                                         << "";
    QTest::newRow("full-width comma") << F::Digits << "１，５００"
                                      << "1,500";
    QTest::newRow("no filter keeps the rest") << F::None << "１　０００円"
                                              << "1 000円";
  }

  // Text an input method commits bypasses the key events: it is taken in
  // its ASCII form and held to the filter all the same.
  void amountBoxInputMethod() {
    QFETCH(AmountBox::Filter, filter);
    QFETCH(QString, committed);
    QFETCH(QString, expected);
    QWidget top;
    auto* box = new AmountBox(filter, 8, &top);
    top.show();
    QVERIFY(QTest::qWaitForWindowActive(&top));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QVERIFY(!box->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(box->inputMethodHints() & (Qt::ImhDigitsOnly | Qt::ImhFormattedNumbersOnly));
    QInputMethodEvent commit;
    commit.setCommitString(committed);
    QApplication::sendEvent(box, &commit);
    QCOMPARE(box->text(), expected);
  }

  // --- Layout --------------------------------------------------------------

  void controlsAndCaptions() {
    EntryWindow* w = host_->window;
    QCOMPARE(w->objectName(), QString("Finput"));
    QCOMPARE(w->windowTitle(), QString("収支入力"));
    QCOMPARE(host_->list("MM")->count(), 12);
    QCOMPARE(host_->list("MM")->itemText(0), QString("１月"));
    QCOMPARE(host_->list("MM")->itemText(11), QString("１２月"));
    QCOMPARE(host_->list("DD")->count(), 31);
    QCOMPARE(host_->list("DD")->itemText(30), QString("３１日"));
    QCOMPARE(host_->list("MM")->currentIndex(), -1);
    QCOMPARE(host_->list("DD")->currentIndex(), -1);
    const QStringList rows{"単勝", "複勝", "枠連", "馬連", "ワイド", "馬単", "３連複"};
    for (int t = 0; t < 7; ++t) {
      QCOMPARE(host_->child<QLabel>(QString("SSPanel%1").arg(t + 1))->text(), rows[t]);
      const bool filtered = t < 4;
      AmountBox* tosi = host_->box("Tosi" + kSuffixes[t]);
      AmountBox* harai = host_->box("Harai" + kSuffixes[t]);
      QVERIFY(tosi && harai);
      QCOMPARE(tosi->typedLength(), 8);
      QCOMPARE(harai->typedLength(), 9);
      QCOMPARE(tosi->filter() != AmountBox::Filter::None, filtered);
      QCOMPARE(harai->filter() != AmountBox::Filter::None, filtered);
      for (const QString& prefix : QStringList{"Rieki", "Ritu"}) {
        QVERIFY(host_->child<ValueBox>(prefix + kSuffixes[t]) != nullptr);
      }
    }
    for (const QString& name : QStringList{"GokeiTosi", "GokeiHarai", "GokeiRieki", "GokeiRitu"}) {
      QVERIFY(host_->child<ValueBox>(name) != nullptr);
    }
    QCOMPARE(host_->child<QLabel>("Panel3D5")->text(), QString("合計"));
    QCOMPARE(host_->child<QLabel>("Panel3D6")->text(),
             QString("簡易入力の場合は直接入力して下さい。"
                     "詳細入力は下の詳細入力のﾎﾞﾀﾝをｸﾘｯｸして下さい。"));
    QCOMPARE(host_->button("ChkCmd")->text(), QString("確認"));
    QCOMPARE(host_->button("TosiClearCmd")->text(), QString("投資内容ｸﾘｱ"));
    QCOMPARE(host_->button("SSCommand1")->text(), QString("詳細入力"));
    QCOMPARE(host_->button("Command3D1")->text(), QString("閉じる"));
    QCOMPARE(host_->child<QLabel>("Kakunin")->text(), QString("確定しますか？"));
    QCOMPARE(host_->button("YesCmd")->text(), QString("はい"));
    QCOMPARE(host_->button("NoCmd")->text(), QString("いいえ"));
    QVERIFY(editing());
    QCOMPARE(host_->area->subWindowList().first()->pos(), QPoint(0, 0));
  }

  // --- Choosing a day ------------------------------------------------------

  void monthThenDayShowsTheDay() {
    QVERIFY(choose("MM", 2));
    QCOMPARE(host_->text("TosiTan"), QString());  // no day yet: nothing shown
    host_->window->takeTickets(ticketsOf(3, 5, 1), {});
    QVERIFY(choose("DD", 4));
    QCOMPARE(host_->text("TosiTan"), QString("1000"));
    QCOMPARE(host_->text("HaraiTan"), QString("2350"));
    QCOMPARE(host_->text("RiekiTan"), QString("1350"));
    QCOMPARE(host_->text("RituTan"), QString("235.00%"));
    QCOMPARE(host_->text("TosiKak"), QString("500"));
    QCOMPARE(host_->text("HaraiKak"), QString("0"));
    QCOMPARE(host_->text("RiekiKak"), QString("-500"));
    QCOMPARE(host_->text("RituKak"), QString("0.00%"));
    QCOMPARE(host_->text("TosiFuk"), QString("0"));
    QCOMPARE(host_->text("RituFuk"), QString("0.00%"));
    QCOMPARE(host_->text("GokeiTosi"), QString("1500"));
    QCOMPARE(host_->text("GokeiHarai"), QString("2350"));
    QCOMPARE(host_->text("GokeiRieki"), QString("850"));
    QCOMPARE(host_->text("GokeiRitu"), QString("156.67%"));
    QVERIFY(!host_->window->editedTickets());
    QCOMPARE(host_->window->dayBaseline(),
             dayAmounts({{BetType::Tan, 1000, 2350}, {BetType::Kak, 500, 0}}));

    // April with day 5 still chosen shows 5 April at once.
    QVERIFY(choose("MM", 3));
    QCOMPARE(host_->text("TosiTan"), QString("0"));
    QCOMPARE(host_->text("TosiFuk"), QString("300"));
    QCOMPARE(host_->text("HaraiFuk"), QString("450"));
    QCOMPARE(host_->text("RituFuk"), QString("150.00%"));
    QCOMPARE(host_->text("GokeiRieki"), QString("150"));
    QCOMPARE(host_->window->dayBaseline(), dayAmounts({{BetType::Fuk, 300, 450}}));
    QCOMPARE(host_->messages.count(), 0);
  }

  // Keys that neither open nor change the list say nothing: the Shift of a
  // Shift+Tab, a bare Ctrl or Alt.
  void bareModifierInDayListSaysNothing_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("shift") << int(Qt::Key_Shift);
    QTest::newRow("control") << int(Qt::Key_Control);
    QTest::newRow("alt") << int(Qt::Key_Alt);
  }

  void bareModifierInDayListSaysNothing() {
    QFETCH(int, key);
    QComboBox* dd = host_->list("DD");
    dd->setFocus();
    QTRY_VERIFY(dd->hasFocus());
    QTest::keyClick(dd, Qt::Key(key));
    QCOMPARE(host_->messages.count(), 0);
    // Shift+Tab as a keyboard sends it: Shift goes down first.
    QTest::keyPress(dd, Qt::Key_Shift);
    QTest::keyClick(dd, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Shift);
    QCOMPARE(host_->messages.count(), 0);
    QTRY_COMPARE(host_->focusName(), QString("MM"));
    // A key that would choose a day is still refused.
    dd->setFocus();
    QTest::keyClick(dd, Qt::Key_Down);
    QCOMPARE(host_->messages.texts(), QStringList{"月の指定をして下さい"});
    QCOMPARE(dd->currentIndex(), -1);
  }

  void dayListNeedsMonth() {
    QComboBox* dd = host_->list("DD");
    QTest::mouseClick(dd, Qt::LeftButton);
    QCOMPARE(host_->messages.texts(), QStringList{"月の指定をして下さい"});
    QCOMPARE(host_->messages.last().title, kErrorTitle);
    QVERIFY(!dd->view()->isVisible());
    QTRY_COMPARE(host_->focusName(), QString("MM"));
    // Keys cannot choose a day either.
    dd->setFocus();
    QTest::keyClick(dd, Qt::Key_Down);
    QCOMPARE(dd->currentIndex(), -1);
  }

  // --- Input boxes ---------------------------------------------------------

  void inputNeedsDate_data() {
    QTest::addColumn<int>("month");  // 0: none chosen
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no month") << 0 << "TosiTan"
                              << "月の指定を正しく修正して下さい"
                              << "MM";
    QTest::newRow("no month, unfiltered box") << 0 << "Harai3Ren"
                                              << "月の指定を正しく修正して下さい"
                                              << "MM";
    QTest::newRow("no day") << 3 << "HaraiUma"
                            << "日の指定を正しく修正して下さい"
                            << "DD";
  }

  void inputNeedsDate() {
    QFETCH(int, month);
    QFETCH(QString, box);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    if (month > 0) QVERIFY(choose("MM", month - 1));
    click(box);
    QCOMPARE(host_->messages.texts(), QStringList{message});
    QCOMPARE(host_->messages.last().title, kErrorTitle);
    QTRY_COMPARE(host_->focusName(), focus);
  }

  void enteringABoxEmptiesIt() {
    QVERIFY(showDay(3, 5));
    QCOMPARE(host_->text("TosiTan"), QString("1000"));
    QCOMPARE(host_->text("TosiKak"), QString("500"));
    click("TosiTan");
    QCOMPARE(host_->text("TosiTan"), QString());
    click("TosiKak");
    QCOMPARE(host_->text("TosiKak"), QString());
    QCOMPARE(host_->text("HaraiTan"), QString("2350"));  // untouched until entered
    QCOMPARE(host_->messages.count(), 0);
  }

  void rejectedKeyEmptiesOnlyFilteredBoxes() {
    QVERIFY(showDay(3, 5));
    type("TosiTan", "12a");
    QCOMPARE(host_->text("TosiTan"), QString());
    QCOMPARE(host_->focusName(), QString("TosiTan"));
    type("TosiKak", "12a");
    QCOMPARE(host_->text("TosiKak"), QString("12a"));
    click("ChkCmd");
    QVERIFY(confirming());
    QCOMPARE(host_->text("TosiKak"), QString("12"));
    QCOMPARE(host_->text("TosiTan"), QString("0"));
    QCOMPARE(host_->text("RiekiKak"), QString("-12"));
  }

  // Blanks inside a number and full-width forms (typed with an input method
  // or pasted) read as the number they show, in the boxes without a filter.
  void boxesReadTheNumber_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("paste");  // else typed key by key
    QTest::addColumn<QString>("checked");
    QTest::newRow("blank grouping") << "TosiKak"
                                    << "1 000" << false << "1000";
    QTest::newRow("blanks and letters") << "Harai3Ren"
                                        << "12 345yen" << false << "12345";
    QTest::newRow("pasted full-width") << "TosiUTan"
                                       << "１５００" << true << "1500";
    QTest::newRow("pasted full-width with blank") << "HaraiKak"
                                                  << "２　５００円" << true << "2500";
    QTest::newRow("pasted full-width minus") << "Tosi3Ren"
                                             << "－３００" << true << "-300";
    QTest::newRow("comma grouping, filtered") << "TosiTan"
                                              << "1,500" << false << "1500";
    QTest::newRow("comma grouping") << "TosiKak"
                                    << "12,345" << false << "12345";
    QTest::newRow("pasted full-width comma") << "HaraiKak"
                                             << "１，２００" << true << "1200";
  }

  void boxesReadTheNumber() {
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(bool, paste);
    QFETCH(QString, checked);
    QVERIFY(showDay(3, 5));
    click(box);
    if (paste) {
      QApplication::clipboard()->setText(text);
      QTest::keyClick(host_->child(box), Qt::Key_V, Qt::ControlModifier);
    } else {
      QTest::keyClicks(host_->child(box), text);
    }
    QCOMPARE(host_->text(box), text);
    click("ChkCmd");
    QVERIFY(confirming());
    QCOMPARE(host_->text(box), checked);
    click("YesCmd");
    const bool stake = box.startsWith("Tosi");
    const BetType type = static_cast<BetType>(kSuffixes.indexOf(box.mid(stake ? 4 : 5)));
    const LedgerRecord& day = daySlot(host_->state->ledger, 3, 5);
    QCOMPARE(stake ? stakeOf(day, type) : payoutOf(day, type), checked.toInt());
  }

  // A filtered box takes committed input-method text in its ASCII form.
  void filteredBoxTakesInputMethodDigits() {
    QVERIFY(showDay(3, 5));
    click("TosiTan");
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("１２３"));
    QApplication::sendEvent(host_->child("TosiTan"), &commit);
    QCOMPARE(host_->text("TosiTan"), QString("123"));
    click("ChkCmd");
    click("YesCmd");
    QCOMPARE(stakeOf(daySlot(host_->state->ledger, 3, 5), BetType::Tan), 123);
  }

  // Moving through the boxes loses nothing: a box left untouched gets its
  // text back, and another window's activation leaves typed work alone, the
  // box that had the cursor included.
  void movingThroughKeepsTheAmounts() {
    QVERIFY(showDay(3, 5));
    type("TosiTan", "4000");
    click("TosiKak");
    QCOMPARE(host_->text("TosiKak"), QString());
    click("HaraiTan");
    QCOMPARE(host_->text("TosiKak"), QString("500"));
    // Backspace is a key typed: the box stays empty.
    click("TosiFuk");
    QTest::keyClick(host_->child("TosiFuk"), Qt::Key_Backspace);
    click("HaraiTan");
    QCOMPARE(host_->text("TosiFuk"), QString());
    auto* other = new ChildWindow;
    other->resize(100, 100);
    openChildWindow(*host_->area, other);
    QTRY_COMPARE(host_->area->activeSubWindow(), other->subWindow());
    host_->area->setActiveSubWindow(host_->window->subWindow());
    QTRY_COMPARE(host_->focusName(), QString("HaraiTan"));
    QCOMPARE(host_->text("HaraiTan"), QString("2350"));
    QCOMPARE(host_->text("TosiTan"), QString("4000"));
    click("ChkCmd");
    click("YesCmd");
    const LedgerRecord& day = daySlot(host_->state->ledger, 3, 5);
    QCOMPARE(stakeOf(day, BetType::Tan), 4000);
    QCOMPARE(payoutOf(day, BetType::Tan), 2350);
    QCOMPARE(stakeOf(day, BetType::Kak), 500);
  }

  // The profit, rate and total boxes follow what the inputs hold.
  void derivedBoxesFollowTheInputs() {
    QVERIFY(showDay(3, 5));
    type("TosiTan", "3000");
    QCOMPARE(host_->text("RiekiTan"), QString("-650"));
    QCOMPARE(host_->text("RituTan"), QString("78.33%"));
    QCOMPARE(host_->text("GokeiTosi"), QString("3500"));
    QCOMPARE(host_->text("GokeiRieki"), QString("-1150"));
    QCOMPARE(host_->text("GokeiRitu"), QString("67.14%"));
    QVERIFY(editing());
  }

  void enterMovesAlongTheChain() {
    QVERIFY(showDay(3, 5));
    const QStringList chain{"TosiTan",  "TosiFuk",  "TosiWak",  "TosiUma", "HaraiTan",
                            "HaraiFuk", "HaraiWak", "HaraiUma", "ChkCmd"};
    click("TosiTan");
    for (int i = 0; i + 1 < chain.size(); ++i) {
      QCOMPARE(host_->focusName(), chain[i]);
      QTest::keyClicks(host_->focus(), QString::number((i + 1) * 10));
      QTest::keyClick(host_->focus(), Qt::Key_Return);
    }
    QCOMPARE(host_->focusName(), QString("ChkCmd"));
    for (int i = 0; i + 1 < chain.size(); ++i) {
      QCOMPARE(host_->text(chain[i]), QString::number((i + 1) * 10));
    }
    // The last three bet types are not on the chain and were not entered.
    QCOMPARE(host_->text("TosiKak"), QString("500"));
    // Enter on "確認" presses it.
    QTest::keyClick(host_->focus(), Qt::Key_Return);
    QVERIFY(confirming());
    QCOMPARE(host_->text("GokeiTosi"), QString("600"));  // 10+20+30+40 + Kak 500
    QCOMPARE(host_->text("GokeiHarai"), QString("260"));
  }

  // --- Check, confirm, cancel ----------------------------------------------

  // What the program puts into a box is shown whole and posted whole, even
  // beyond the number of characters that can be typed there.
  void storedDayWiderThanItsBoxes() {
    BetAmounts baseline;
    const BetAmounts wide =
        dayAmounts({{BetType::Tan, 123456789, 1234567890}, {BetType::Ren3, -99999999, 99999999}});
    QCOMPARE(postDay(DataSessionTestAccess::state(host_->session).ledger, baseline, 6, 7, wide),
             PostResult::Ok);
    const LedgerRecord monthBefore = host_->state->ledger.month(6);
    QVERIFY(showDay(6, 7));
    QCOMPARE(host_->text("TosiTan"), QString("123456789"));
    QCOMPARE(host_->text("HaraiTan"), QString("1234567890"));
    QCOMPARE(host_->text("Tosi3Ren"), QString("-99999999"));
    click("ChkCmd");
    QVERIFY(confirming());
    QCOMPARE(host_->text("TosiTan"), QString("123456789"));
    QCOMPARE(host_->text("GokeiTosi"), QString("23456790"));
    click("YesCmd");
    QCOMPARE(betAmounts(daySlot(host_->state->ledger, 6, 7)), std::optional<BetAmounts>(wide));
    QCOMPARE(host_->state->ledger.month(6).view(), monthBefore.view());
    // Entering the box gives the typing limit back.
    click("TosiTan");
    QTest::keyClicks(host_->child("TosiTan"), "1234567890");
    QCOMPARE(host_->text("TosiTan"), QString("12345678"));
  }

  void emptyCheckAndConfirmPostsZeros() {
    QVERIFY(showDay(3, 5));
    const LedgerRecord monthBefore = host_->state->ledger.month(3);
    const LedgerRecord yearBefore = host_->state->ledger.year;
    host_->messages.answer(true);
    click("TosiClearCmd");  // a box left untouched would get its amount back
    host_->messages.clear();
    click("ChkCmd");
    QVERIFY(confirming());
    QCOMPARE(host_->focusName(), QString("YesCmd"));
    for (const QString& s : kSuffixes) {
      QCOMPARE(host_->text("Tosi" + s), QString("0"));
      QCOMPARE(host_->text("Harai" + s), QString("0"));
      QCOMPARE(host_->text("Rieki" + s), QString("0"));
      QCOMPARE(host_->text("Ritu" + s), QString("0.00%"));
    }
    QCOMPARE(host_->text("GokeiTosi"), QString("0"));
    QCOMPARE(host_->text("GokeiHarai"), QString("0"));
    QCOMPARE(host_->text("GokeiRieki"), QString("0"));
    QCOMPARE(host_->text("GokeiRitu"), QString("0.00%"));

    click("YesCmd");
    const YearLedger& ledger = host_->state->ledger;
    QCOMPARE(betAmounts(daySlot(ledger, 3, 5)), std::optional<BetAmounts>(BetAmounts{}));
    QCOMPARE(stakeOf(ledger.month(3), BetType::Tan), stakeOf(monthBefore, BetType::Tan) - 1000);
    QCOMPARE(stakeOf(ledger.month(3), BetType::Tan), 200);  // 12 March remains
    QCOMPARE(payoutOf(ledger.month(3), BetType::Tan), 0);
    QCOMPARE(stakeOf(ledger.month(3), BetType::Kak), 0);
    QCOMPARE(stakeOf(ledger.year, BetType::Tan), stakeOf(yearBefore, BetType::Tan) - 1000);
    QCOMPARE(payoutOf(ledger.year, BetType::Fuk), 450);  // April untouched
    QVERIFY(host_->state->DataChanged);
  }

  void confirmPostsByDifferences() {
    QVERIFY(showDay(3, 5));
    const std::int32_t monthTan = stakeOf(host_->state->ledger.month(3), BetType::Tan);
    const std::int32_t yearTan = stakeOf(host_->state->ledger.year, BetType::Tan);
    type("TosiTan", "3000");
    type("HaraiUTan", "7000");
    click("ChkCmd");
    QVERIFY(confirming());
    QVERIFY(!host_->state->DataChanged);
    QCOMPARE(host_->messages.count(), 0);
    click("YesCmd");
    const YearLedger& ledger = host_->state->ledger;
    QCOMPARE(stakeOf(daySlot(ledger, 3, 5), BetType::Tan), 3000);
    QCOMPARE(payoutOf(daySlot(ledger, 3, 5), BetType::UTan), 7000);
    QCOMPARE(stakeOf(daySlot(ledger, 3, 5), BetType::Kak), 500);  // shown, kept
    QCOMPARE(stakeOf(ledger.month(3), BetType::Tan), monthTan + 2000);
    QCOMPARE(stakeOf(ledger.year, BetType::Tan), yearTan + 2000);
    QCOMPARE(payoutOf(ledger.year, BetType::UTan), 7000);
    QVERIFY(host_->state->DataChanged);
    QCOMPARE(host_->messages.texts(), QStringList{"データは一時保存されました"});
    QCOMPARE(host_->messages.last().title, kConfirmTitle);
    QVERIFY(editing());
    QTRY_COMPARE(host_->focusName(), QString("MM"));

    // The baseline moved with the posting: the same values again change
    // nothing in the month.
    const LedgerRecord monthAfter = ledger.month(3);
    click("ChkCmd");
    click("YesCmd");
    QCOMPARE(ledger.month(3).view(), monthAfter.view());
  }

  void cancelKeepsTypedValues_data() {
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("いいえ") << false;
    QTest::newRow("Escape is いいえ, the window stays") << true;
  }
  void cancelKeepsTypedValues() {
    QFETCH(bool, byEscape);
    QVERIFY(showDay(3, 5));
    const YearLedger before = host_->state->ledger;
    type("TosiWak", "700");
    click("ChkCmd");
    QVERIFY(confirming());
    if (byEscape) {
      QTest::keyClick(host_->focus(), Qt::Key_Escape);
      QVERIFY(host_->open("Finput") != nullptr);
    } else {
      click("NoCmd");
    }
    QVERIFY(editing());
    QCOMPARE(host_->text("TosiWak"), QString("700"));
    QCOMPARE(host_->text("RiekiWak"), QString("-700"));
    QCOMPARE(daySlot(host_->state->ledger, 3, 5).view(), daySlot(before, 3, 5).view());
    QCOMPARE(host_->state->ledger.month(3).view(), before.month(3).view());
    QVERIFY(!host_->state->DataChanged);
    QCOMPARE(host_->messages.count(), 0);
    // Editing again: entering a box empties it once more.
    click("TosiWak");
    QCOMPARE(host_->text("TosiWak"), QString());
  }

  void confirmingTrapsTheFocus_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("stake box") << "TosiTan";
    QTest::newRow("unfiltered payout box") << "Harai3Ren";
    QTest::newRow("profit box") << "RiekiUma";
    QTest::newRow("total rate box") << "GokeiRitu";
    QTest::newRow("month list") << "MM";
    QTest::newRow("day list") << "DD";
  }

  void confirmingTrapsTheFocus() {
    QFETCH(QString, target);
    QVERIFY(showDay(3, 5));
    click("ChkCmd");
    QVERIFY(confirming());
    // Somewhere else first: "詳細入力" is refused while confirming.
    click("SSCommand1");
    QCOMPARE(host_->messages.texts(), QStringList{"現在、この機能は使用できません"});
    QCOMPARE(host_->messages.last().title, kErrorTitle);
    QCOMPARE(host_->focusName(), QString("SSCommand1"));
    QVERIFY(host_->open("jrabaken") == nullptr);
    QCOMPARE(host_->area->subWindowList().size(), 1);

    click(target);
    QTRY_COMPARE(host_->focusName(), QString("YesCmd"));
    QVERIFY(!host_->list("MM")->view()->isVisible());
    QVERIFY(!host_->list("DD")->view()->isVisible());
    QCOMPARE(host_->list("MM")->currentIndex(), 2);
    QCOMPARE(host_->list("DD")->currentIndex(), 4);
    QCOMPARE(host_->text("TosiTan"), QString("1000"));  // not emptied
    QCOMPARE(host_->text("Harai3Ren"), QString("0"));
    QCOMPARE(host_->messages.count(), 1);
    QVERIFY(confirming());
  }

  void displayBoxPassesFocusToCheck() {
    QVERIFY(showDay(3, 5));
    click("RituTan");
    QTRY_COMPARE(host_->focusName(), QString("ChkCmd"));
  }

  // --- 投資内容ｸﾘｱ -----------------------------------------------------------

  void clearAsksFirst_data() {
    QTest::addColumn<bool>("goOn");
    QTest::newRow("いいえ keeps") << false;
    QTest::newRow("はい empties") << true;
  }

  void clearAsksFirst() {
    QFETCH(bool, goOn);
    QVERIFY(showDay(3, 5));
    host_->window->takeTickets(ticketsOf(3, 5, 1), {});
    type("TosiTan", "900");
    const YearLedger before = host_->state->ledger;
    host_->messages.answer(goOn);
    click("TosiClearCmd");
    QCOMPARE(host_->messages.texts(),
             (QStringList{"詳細入力を行っている場合は、この機能を使用しないで下さい",
                          "続行しますか？"}));
    QCOMPARE(host_->messages.shown()[0].title, kConfirmTitle);
    QCOMPARE(host_->messages.shown()[1].title, kConfirmTitle);
    QVERIFY(host_->messages.allAnswersUsed());
    int empty = 0;
    for (QLineEdit* box : host_->window->findChildren<QLineEdit*>()) {
      if (qobject_cast<AmountBox*>(box) || qobject_cast<ValueBox*>(box)) {
        empty += box->text().isEmpty() ? 1 : 0;
      }
    }
    if (goOn) {
      QCOMPARE(empty, 32);
      QVERIFY(!host_->window->editedTickets());
      QTRY_COMPARE(host_->focusName(), QString("TosiTan"));
    } else {
      QCOMPARE(empty, 0);
      QCOMPARE(host_->text("TosiTan"), QString("900"));
      QVERIFY(host_->window->editedTickets());
    }
    // Nothing reaches the ledger before a confirm.
    QCOMPARE(daySlot(host_->state->ledger, 3, 5).view(), daySlot(before, 3, 5).view());
    QVERIFY(!host_->state->DataChanged);
  }

  // --- Closing ---------------------------------------------------------------

  void closeClearsTheFlags() {
    QVERIFY(host_->open("Finput") != nullptr);
    click("Command3D1");
    QTRY_VERIFY(host_->window.isNull());
    QVERIFY(host_->open("Finput") == nullptr);
    QVERIFY(host_->area->subWindowList().isEmpty());
  }

  void frameCloseClearsTheFlags() {
    host_->window->subWindow()->close();
    QTRY_VERIFY(host_->window.isNull());
    QVERIFY(host_->open("Finput") == nullptr);
  }

  // --- Activation and the ticket window ---------------------------------------

  void activationKeepsTheBoxes_data() {
    QTest::addColumn<bool>("totalsPending");
    QTest::newRow("ticket totals handed back") << true;
    QTest::newRow("nothing handed back") << false;
  }

  void activationKeepsTheBoxes() {
    QFETCH(bool, totalsPending);
    QVERIFY(showDay(3, 5));
    if (totalsPending) {
      host_->window->takeTickets(
          ticketsOf(3, 5, 2), dayAmounts({{BetType::Tan, 1200, 0}, {BetType::Ren3, 300, 45000}}));
    }
    auto* other = new ChildWindow;
    other->setWindowTitle("other");
    other->resize(100, 100);
    openChildWindow(*host_->area, other);
    QTRY_COMPARE(host_->area->activeSubWindow(), other->subWindow());
    host_->area->setActiveSubWindow(host_->window->subWindow());
    QTRY_COMPARE(host_->area->activeSubWindow(), host_->window->subWindow());
    if (totalsPending) {
      QCOMPARE(host_->text("TosiTan"), QString("1200"));
      QCOMPARE(host_->text("HaraiTan"), QString("0"));
      QCOMPARE(host_->text("TosiKak"), QString("0"));
      QCOMPARE(host_->text("Tosi3Ren"), QString("300"));
      QCOMPARE(host_->text("Harai3Ren"), QString("45000"));
    } else {
      QCOMPARE(host_->text("TosiTan"), QString("1000"));
      QCOMPARE(host_->text("HaraiTan"), QString("2350"));
      QCOMPARE(host_->text("TosiKak"), QString("500"));
    }
    QCOMPARE(host_->text("RiekiTan"), QString(totalsPending ? "-1200" : "1350"));
  }

  void activationWhileConfirmingKeepsTheBoxes() {
    QVERIFY(showDay(3, 5));
    type("TosiTan", "4000");
    click("ChkCmd");
    QVERIFY(confirming());
    auto* other = new ChildWindow;
    other->resize(100, 100);
    openChildWindow(*host_->area, other);
    QTRY_COMPARE(host_->area->activeSubWindow(), other->subWindow());
    host_->area->setActiveSubWindow(host_->window->subWindow());
    QTRY_COMPARE(host_->area->activeSubWindow(), host_->window->subWindow());
    QCOMPARE(host_->text("TosiTan"), QString("4000"));
    click("YesCmd");
    QCOMPARE(stakeOf(daySlot(host_->state->ledger, 3, 5), BetType::Tan), 4000);
  }

  void ticketEntryOpensTheTicketWindow() {
    click("SSCommand1");
    QCOMPARE(host_->messages.texts(), QStringList{"月の指定を正しく修正して下さい"});
    QVERIFY(host_->open("jrabaken") == nullptr);
    QVERIFY(choose("MM", 5));
    click("SSCommand1");
    QCOMPARE(host_->messages.last().text, QString("日の指定を正しく修正して下さい"));
    QTRY_COMPARE(host_->focusName(), QString("DD"));
    QVERIFY(choose("DD", 9));
    host_->messages.clear();
    click("SSCommand1");
    QCOMPARE(host_->messages.count(), 0);
    auto* tickets = qobject_cast<TicketWindow*>(host_->open("jrabaken"));
    QVERIFY(tickets != nullptr);
    QCOMPARE(tickets->month(), 6);
    QCOMPARE(tickets->day(), 10);
    QCOMPARE(host_->area->subWindowList().size(), 2);
    QMdiSubWindow* ticketFrame = host_->area->subWindowList().last();
    QCOMPARE(ticketFrame->widget()->objectName(), QString("jrabaken"));
    QCOMPARE(ticketFrame->pos(), QPoint(0, 0));
    QTRY_COMPARE(host_->area->activeSubWindow(), ticketFrame);

    // Activating the entry window brings the ticket window back in front.
    host_->area->setActiveSubWindow(host_->window->subWindow());
    QTRY_COMPARE(host_->area->activeSubWindow(), ticketFrame);
    // Nor does the entry window close under it.
    host_->window->closeWindow();
    QVERIFY(!host_->window.isNull());
    QVERIFY(host_->open("Finput") != nullptr);
  }

  // --- Faults that change nothing --------------------------------------------

  void checkOverflowChangesNothing() {
    QVERIFY(showDay(3, 5));
    for (const QString& s : QStringList{"Tan", "Fuk", "Wak"}) type("Harai" + s, "999999999");
    click("ChkCmd");
    QCOMPARE(host_->messages.texts(), QStringList{"金額が範囲を超えています"});
    QCOMPARE(host_->messages.last().title, kErrorTitle);
    QVERIFY(editing());
    QCOMPARE(host_->text("HaraiWak"), QString("999999999"));
    QCOMPARE(host_->text("GokeiHarai"), QString());  // no figure derives from them
  }

  void postingOverflowChangesNothing() {
    QVERIFY(showDay(3, 5));
    // The year's 単勝 stake near the top of the range: one more large day
    // cannot be posted.
    QVERIFY(setAmount(DataSessionTestAccess::state(host_->session).ledger.year, Quantity::Stake,
                      BetType::Tan, 2147000000));
    const YearLedger before = host_->state->ledger;
    const BetAmounts baseline = host_->window->dayBaseline();
    type("TosiTan", "99999999");
    click("ChkCmd");
    QVERIFY(confirming());
    click("YesCmd");
    QCOMPARE(host_->messages.texts(), QStringList{"金額が範囲を超えています"});
    QCOMPARE(host_->messages.last().title, kErrorTitle);
    QVERIFY(editing());
    QCOMPARE(host_->text("TosiTan"), QString("99999999"));
    const YearLedger& after = host_->state->ledger;
    QCOMPARE(after.year.view(), before.year.view());
    QCOMPARE(after.month(3).view(), before.month(3).view());
    QCOMPARE(daySlot(after, 3, 5).view(), daySlot(before, 3, 5).view());
    QCOMPARE(host_->window->dayBaseline(), baseline);
    QVERIFY(!host_->state->DataChanged);
  }

  void fullMonthRefusesBeforePosting() {
    AppState& state = DataSessionTestAccess::state(host_->session);
    // 499 live tickets in March on other days.
    QCOMPARE(storeDayTickets(state.tickets, 3, 1, ticketsOf(3, 1, 200)), TransferResult::Ok);
    QCOMPARE(storeDayTickets(state.tickets, 3, 2, ticketsOf(3, 2, 200)), TransferResult::Ok);
    QCOMPARE(storeDayTickets(state.tickets, 3, 3, ticketsOf(3, 3, 99)), TransferResult::Ok);
    QCOMPARE(state.tickets.month(3).count, 499);
    QVERIFY(showDay(3, 5));
    host_->window->takeTickets(ticketsOf(3, 5, 2), {});
    const YearLedger before = state.ledger;
    type("TosiTan", "5000");
    click("ChkCmd");
    click("YesCmd");
    QCOMPARE(host_->messages.texts(),
             QStringList{"詳細データが月の上限を超えるため確定できません"});
    QCOMPARE(host_->messages.last().title, kErrorTitle);
    QVERIFY(editing());
    QCOMPARE(host_->text("TosiTan"), QString("5000"));
    QCOMPARE(daySlot(state.ledger, 3, 5).view(), daySlot(before, 3, 5).view());
    QCOMPARE(state.ledger.month(3).view(), before.month(3).view());
    QCOMPARE(state.tickets.month(3).count, 499);
    QCOMPARE(host_->window->editedTickets()->count, 2);
    QVERIFY(!state.DataChanged);
  }

  void confirmStoresEditedTickets() {
    AppState& state = DataSessionTestAccess::state(host_->session);
    QVERIFY(showDay(3, 5));
    host_->window->takeTickets(ticketsOf(3, 5, 3), {});
    click("ChkCmd");
    click("YesCmd");
    QCOMPARE(host_->messages.texts(), QStringList{"データは一時保存されました"});
    QCOMPARE(state.tickets.month(3).count, 3);
    DayTicketList reloaded;
    QCOMPARE(loadDayTickets(state.tickets, 3, 5, reloaded), TransferResult::Ok);
    QCOMPARE(reloaded.count, 3);
    QVERIFY(host_->window->editedTickets());  // kept after a confirm
    QCOMPARE(state.tickets.month(4).count, 0);
  }

  void postsToTheDayItShows() {
    AppState& state = DataSessionTestAccess::state(host_->session);
    QVERIFY(showDay(3, 5));
    host_->window->takeTickets(ticketsOf(3, 5, 1), {});
    type("TosiTan", "4000");
    click("ChkCmd");
    click("YesCmd");
    QCOMPARE(stakeOf(daySlot(state.ledger, 3, 5), BetType::Tan), 4000);
    QCOMPARE(betAmounts(daySlot(state.ledger, 7, 9)), std::optional<BetAmounts>(BetAmounts{}));
    QCOMPARE(stakeOf(state.ledger.month(7), BetType::Tan), 0);
    QCOMPARE(state.tickets.month(3).count, 1);
    QCOMPARE(state.tickets.month(7).count, 0);
  }

  // Listeners of the data session learn of the posting, and of the day's
  // tickets when they were edited.
  void postingIsAnnounced_data() {
    QTest::addColumn<bool>("ticketsEdited");
    QTest::newRow("tickets edited") << true;
    QTest::newRow("amounts only") << false;
  }

  void postingIsAnnounced() {
    QFETCH(bool, ticketsEdited);
    QVERIFY(showDay(3, 5));
    if (ticketsEdited) host_->window->takeTickets(ticketsOf(3, 5, 2), {});
    QSignalSpy posted(&host_->session, &DataSession::dayPosted);
    QSignalSpy stored(&host_->session, &DataSession::ticketsChanged);
    QSignalSpy modified(&host_->session, &DataSession::modifiedChanged);
    click("ChkCmd");
    QCOMPARE(posted.count(), 0);
    click("YesCmd");
    QCOMPARE(posted.count(), 1);
    QCOMPARE(posted.first(), (QList<QVariant>{3, 5}));
    QCOMPARE(stored.count(), ticketsEdited ? 1 : 0);
    if (ticketsEdited) QCOMPARE(stored.first(), QList<QVariant>{3});
    QCOMPARE(modified.count(), 1);
    QVERIFY(host_->session.isModified());
  }

  // --- Nothing typed or stored is lost --------------------------------------

  // Escape with a drop-down list open closes the list only: the window
  // stays, and 詳細入力 hands nothing to the day.
  void escapeClosesOnlyTheOpenList_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("list");
    QTest::newRow("収支入力") << "Finput"
                              << "DD";
    QTest::newRow("詳細入力") << "jrabaken"
                              << "BABA";
    QTest::newRow("収支推移") << "Trend"
                              << "Year";
    QTest::newRow("クロス分析") << "Cross"
                                << "RowDimension";
    QTest::newRow("馬券一覧") << "TicketList"
                              << "HitChoice";
  }

  void escapeClosesOnlyTheOpenList() {
    QFETCH(QString, window);
    QFETCH(QString, list);
    QVERIFY(showDay(3, 5));
    if (window == "jrabaken") click("SSCommand1");
    if (window == "Trend")
      openChildWindow(*host_->area, new TrendWindow(host_->session, host_->messages));
    if (window == "Cross")
      openChildWindow(*host_->area, new CrossWindow(host_->session, host_->messages));
    if (window == "TicketList")
      openChildWindow(*host_->area, new TicketList(host_->session, host_->messages));
    QPointer<ChildWindow> target = host_->open(qPrintable(window));
    QTRY_COMPARE(host_->area->activeSubWindow(), target->subWindow());
    QPointer<QComboBox> combo = target->findChild<QComboBox*>(list);
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    // Delivered as the window system does, to the popup's own window.
    QTest::keyClick(combo->view()->window()->windowHandle(), Qt::Key_Escape);
    QTRY_VERIFY(combo.isNull() || !combo->view()->isVisible());
    QVERIFY(!target.isNull());
    QCOMPARE(host_->open(qPrintable(window)), target.data());
    QCOMPARE(host_->text("TosiTan"), QString("1000"));
    // The next Escape is the window's (offscreen, the focus needs a hand back).
    host_->main.activateWindow();
    QTRY_VERIFY(target->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(host_->open(qPrintable(window)) == nullptr);
  }

  // Amounts typed or taken over and not posted are not thrown away without
  // a question, however the window is closed; いいえ keeps them.
  void closingWithUnpostedAmountsAsks_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("work");
    QTest::newRow("閉じる, typed") << "閉じる"
                                   << "4000";
    QTest::newRow("Escape, typed") << "Escape"
                                   << "4000";
    QTest::newRow("close box, tickets taken over") << "frame"
                                                   << "tickets";
    QTest::newRow("the program ending, typed") << "main"
                                               << "4000";
    QTest::newRow("閉じる, the stored amount typed again") << "閉じる"
                                                           << "1000";
  }

  void closingWithUnpostedAmountsAsks() {
    QFETCH(QString, how);
    QFETCH(QString, work);
    QVERIFY(showDay(3, 5));
    if (work == "tickets")
      host_->window->takeTickets(ticketsOf(3, 5, 1), host_->window->dayBaseline());
    if (work != "tickets") type("TosiTan", work);
    const bool asks = work != "1000";
    for (bool yes : {false, true}) {
      if (asks) host_->messages.answer(yes);
      if (how == "閉じる") click("Command3D1");
      if (how == "Escape") QTest::keyClick(host_->focus(), Qt::Key_Escape);
      if (how == "frame") host_->window->subWindow()->close();
      if (how == "main") host_->main.close();
      if (asks && !yes)
        QCOMPARE(host_->text("TosiTan"), QString(work == "tickets" ? "1000" : work));
      if (!asks) break;
    }
    QCOMPARE(host_->messages.texts(),
             QStringList(asks ? 2 : 0, "入力中の金額は確定されていません。閉じますか？"));
    QVERIFY(!host_->messages.lastDefaultYes() || !asks);
    QTRY_VERIFY(host_->window.isNull() || !host_->main.isVisible());
  }

  // 確認's question warns of a day no calendar has and names the bet types
  // whose stored amounts go down; はい still posts.
  void questionNamesWhatThePostingChanges_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("typed");  // into TosiTan, then "0" into TosiKak
    QTest::addColumn<QString>("warning");
    QTest::newRow("2/30") << 2 << 30 << QString() << "２月３０日は暦にない日です。\n";
    QTest::newRow("2/31") << 2 << 31 << QString() << "２月３１日は暦にない日です。\n";
    QTest::newRow("4/31") << 4 << 31 << QString() << "４月３１日は暦にない日です。\n";
    QTest::newRow("6/31") << 6 << 31 << QString() << "６月３１日は暦にない日です。\n";
    QTest::newRow("9/31") << 9 << 31 << QString() << "９月３１日は暦にない日です。\n";
    QTest::newRow("11/31") << 11 << 31 << QString() << "１１月３１日は暦にない日です。\n";
    QTest::newRow("2/29, a date in leap years") << 2 << 29 << QString() << QString();
    QTest::newRow("12/31") << 12 << 31 << QString() << QString();
    QTest::newRow("stake down") << 3 << 5 << QString("900") << "単勝の保存済みの金額が減ります。\n";
    QTest::newRow("two down") << 3 << 5 << QString("0")
                              << "単勝・ワイドの保存済みの金額が減ります。\n";
    QTest::newRow("stake up") << 3 << 5 << QString("5000") << QString();
  }

  void questionNamesWhatThePostingChanges() {
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, typed);
    QFETCH(QString, warning);
    QVERIFY(showDay(month, day));
    if (!typed.isEmpty()) type("TosiTan", typed);
    if (typed == "0") type("TosiKak", "0");
    click("ChkCmd");
    QCOMPARE(host_->child<QLabel>("Kakunin")->text(), warning + "確定しますか？");
    click("YesCmd");
    QCOMPARE(host_->messages.texts(), QStringList{"データは一時保存されました"});
  }

  void dayWithTooManyTicketsDoesNotOpenTheTicketWindow() {
    AppState& state = DataSessionTestAccess::state(host_->session);
    // 201 tickets of 5 March: possible only from an edited file.
    MonthTickets& march = state.tickets.month(3);
    for (int i = 0; i < 201; ++i) march.slot(i) = newTicket(3, 5);
    march.count = 201;
    march.slot(201).markBlank();
    QVERIFY(showDay(3, 5));
    click("SSCommand1");
    QCOMPARE(host_->messages.texts(), QStringList{"詳細データが多すぎるため表示できません"});
    QCOMPARE(host_->messages.last().title, kErrorTitle);
    QCOMPARE(host_->area->subWindowList().size(), 1);
    QVERIFY(host_->open("jrabaken") == nullptr);
    QCOMPARE(state.tickets.month(3).count, 201);
  }
  // --- What the day list tells ---------------------------------------------

  void dayListTellsTheDay_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("shown");
    QTest::newRow("saturday with amounts") << 1 << 6 << "６日（土）●";
    QTest::newRow("holiday monday") << 1 << 8 << "８日（月・祝）";
    QTest::newRow("ordinary monday") << 1 << 15 << "１５日（月）";
    QTest::newRow("saturday with a ticket only") << 1 << 20 << "２０日（土）●";
    QTest::newRow("holiday on a sunday") << 2 << 11 << "１１日（日・祝）";
    QTest::newRow("its substitute monday") << 2 << 12 << "１２日（月・祝）";
    QTest::newRow("leap day of the year") << 2 << 29 << "２９日（木）";
    QTest::newRow("february 30") << 2 << 30 << "３０日（暦なし）";
    QTest::newRow("equinox") << 3 << 20 << "２０日（水・祝）";
    QTest::newRow("weekday with amounts") << 3 << 5 << "５日（火）●";
    QTest::newRow("april 31") << 4 << 31 << "３１日（暦なし）";
  }
  void dayListTellsTheDay() {
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, shown);
    AppState& stored = DataSessionTestAccess::state(host_->session);
    testdata::post2024Weekends(stored);
    MonthTickets& january = stored.tickets.month(1);
    january.slot(0) = newTicket(1, 20);
    january.count = 1;
    january.slot(1).markBlank();
    QComboBox* dd = host_->list("DD");
    QVERIFY(choose("MM", month - 1));
    const QString seed = dd->itemText(day - 1);
    QCOMPARE(dd->itemData(day - 1, Qt::AccessibleTextRole).toString(), shown);
    // The item keeps the seed's text: choosing and typing ahead go by it.
    QCOMPARE(seed, shown.left(seed.size()));
    QVERIFY(seed.endsWith(u'日'));
    QVERIFY(dd->accessibleDescription().contains("2024"));
  }

  void nationalHolidays_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("holiday");
    QTest::newRow("second monday of january") << QDate(2024, 1, 8) << true;
    QTest::newRow("the day after") << QDate(2024, 1, 9) << false;
    QTest::newRow("between respect for the aged and the equinox") << QDate(2026, 9, 22) << true;
    QTest::newRow("substitute after two holidays") << QDate(2009, 5, 6) << true;
    QTest::newRow("may 4 before 2007, between two holidays") << QDate(2006, 5, 4) << true;
    QTest::newRow("accession 2019") << QDate(2019, 5, 1) << true;
    QTest::newRow("sports day moved 2020") << QDate(2020, 7, 24) << true;
    QTest::newRow("no october holiday 2020") << QDate(2020, 10, 12) << false;
    QTest::newRow("mountain day's substitute 2021") << QDate(2021, 8, 9) << true;
    QTest::newRow("emperor's birthday's substitute 2018") << QDate(2018, 12, 24) << true;
    QTest::newRow("december 23 after 2018") << QDate(2019, 12, 23) << false;
    QTest::newRow("marine day fixed before 2003") << QDate(2002, 7, 20) << true;
    QTest::newRow("marine day a monday from 2003") << QDate(2003, 7, 21) << true;
    QTest::newRow("autumn equinox 2024") << QDate(2024, 9, 22) << true;
    QTest::newRow("its substitute") << QDate(2024, 9, 23) << true;
  }
  void nationalHolidays() {
    QFETCH(QDate, date);
    QFETCH(bool, holiday);
    QCOMPARE(isNationalHoliday(date.year(), date.month(), date.day()), holiday);
  }

  void dayListFollowsPostings() {
    AppState& stored = DataSessionTestAccess::state(host_->session);
    testdata::post2024Weekends(stored);
    QVERIFY(showDay(1, 20));
    QComboBox* dd = host_->list("DD");
    QCOMPARE(dd->itemData(19, Qt::AccessibleTextRole).toString(), QString("２０日（土）"));
    type("TosiTan", "500");
    click("ChkCmd");
    click("YesCmd");
    QCOMPARE(dd->itemData(19, Qt::AccessibleTextRole).toString(), QString("２０日（土）●"));
    host_->session.undoStack()->undo();
    QCOMPARE(dd->itemData(19, Qt::AccessibleTextRole).toString(), QString("２０日（土）"));
  }

  void startsOnTheDayGiven() {
    EntryWindow& w = *host_->window;
    QSignalSpy shown(&w, &EntryWindow::dayShown);
    // First time in a run: the latest day holding data.
    w.startOn(std::nullopt);
    QCOMPARE(host_->list("MM")->currentIndex(), 3);
    QCOMPARE(host_->list("DD")->currentIndex(), 4);
    QCOMPARE(host_->text("HaraiFuk"), QString("450"));
    QVERIFY(showDay(3, 12));
    QCOMPARE(shown.size(), 3);  // 5 April, 5 March on the month, 12 March
    QCOMPARE(shown.last(), (QList<QVariant>{3, 12}));
    w.startOn(DaySlot{3, 5});
    QCOMPARE(host_->list("DD")->currentIndex(), 4);
    QCOMPARE(host_->text("TosiTan"), QString("1000"));
    QCOMPARE(host_->text("GokeiHarai"), QString("2350"));
  }
};

QTEST_MAIN(TestEntryWindow)
#include "test_entry_window.moc"
