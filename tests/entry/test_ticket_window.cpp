#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "detail/ticket_records.h"
#include "entry/amount_box.h"
#include "entry/entry_window.h"
#include "entry/ticket_window.h"
#include "state/data_session.h"
#include "store/app_state.h"
#include "support/guessed_year.h"
#include "support/scripted_messages.h"
#include "support/session_access.h"
#include "widgets/child_window.h"
#include "widgets/grid.h"
#include "widgets/look.h"

using namespace tamrel;

namespace {

const QString kFull = QStringLiteral("これ以上入力できません");
const QString kRange = QStringLiteral("金額が範囲を超えています");
const QString kNotEntered = QStringLiteral("入力されていません");

std::string recordText(const TicketRecord& r) { return std::string(r.view()); }

// A stored ticket of 11 May: the codes in field order, then the amounts.
TicketRecord ticket(int day, std::string_view codes, std::int32_t purchase, std::int32_t payout,
                    int month = 5) {
  TicketRecord r = newTicket(month, day);
  const TicketField fields[] = {TicketField::Racecourse,   TicketField::RaceNo,
                                TicketField::Weekday,      TicketField::Surface,
                                TicketField::DistanceBand, TicketField::RaceClass,
                                TicketField::BetType,      TicketField::AgeGroup,
                                TicketField::Condition,    TicketField::RunnersBand};
  for (std::size_t i = 0; i < std::size(fields); ++i) r.setField(fields[i], codes.substr(i, 1));
  setAmountField(r, TicketField::Purchase, purchase);
  setAmountField(r, TicketField::Payout, payout);
  return r;
}

void putMonth(AppState& state, int month, std::initializer_list<TicketRecord> records) {
  MonthTickets& m = state.tickets.month(month);
  m.count = 0;
  for (const TicketRecord& r : records) m.slot(m.count++) = r;
  m.slot(m.count).markBlank();
}

// The ticket window of 11 May on its own, with what it hands back kept as
// the daily entry window would keep it.
struct Harness {
  Harness() {
    area.resize(1000, 800);
    area.show();
  }

  TicketWindow* open() {
    window = new TicketWindow(session, messages, month, day, kept);
    QObject::connect(window, &TicketWindow::handedBack,
                     [this](const DayTicketList& list, const DayBetTotals& totals) {
                       kept = list;
                       handedTotals = totals;
                     });
    frame = openChildWindow(area, window);
    return window;
  }
  bool canOpen() { return TicketWindow::canOpen(session, month, day, kept, messages); }
  // The list to open the window with, as handed back earlier.
  DayTicketList& keep() {
    if (!kept) kept.emplace();
    return *kept;
  }
  // The list the window works on, or handed back last.
  const DayTicketList& list() const { return window ? window->dayList() : *kept; }
  const DayBetTotals& totals() const { return window ? window->totals() : handedTotals; }

  template <typename T>
  T* get(const char* name) const {
    T* w = window->findChild<T*>(QString::fromLatin1(name));
    if (w == nullptr) qWarning("no child %s", name);
    return w;
  }
  QComboBox* combo(const char* name) const { return get<QComboBox>(name); }
  QLineEdit* box(const char* name) const { return get<QLineEdit>(name); }
  QPushButton* button(const char* name) const { return get<QPushButton>(name); }
  QRadioButton* radio(const char* name) const { return get<QRadioButton>(name); }
  Grid* grid() const { return get<Grid>("Grid1"); }

  void click(const char* name) const { QTest::mouseClick(get<QWidget>(name), Qt::LeftButton); }

  // Types into an amount box the way the user does: click into it (which
  // empties it) and type the keys. Text beyond ASCII (full-width digits)
  // cannot be typed key by key: it is pasted.
  void type(const char* name, const QString& text) const {
    QLineEdit* b = box(name);
    b->setFocus();
    if (text.toLatin1() == text.toUtf8()) {
      QTest::keyClicks(b, text);
    } else {
      QApplication::clipboard()->setText(text);
      b->paste();
    }
  }

  // The lists set to their first entries.
  void chooseFirstEntries() const {
    for (const char* name : {"BABA", "RACE", "WEEK"}) combo(name)->setCurrentIndex(0);
  }

  // One ticket on the first entry of each list, the options as they are.
  void addWithTheOptionsAsTheyAre(const QString& purchase) const {
    chooseFirstEntries();
    type("KONYU", purchase);
    click("Command3D3");
  }

  // One ticket on 小倉 10R Sunday with the given bet option and amounts.
  void addTicket(const char* betOption, const QString& purchase, const QString& payout = {}) {
    combo("BABA")->setCurrentIndex(9);
    combo("RACE")->setCurrentIndex(9);
    combo("WEEK")->setCurrentIndex(1);
    click(betOption);
    type("KONYU", purchase);
    if (!payout.isEmpty()) type("HAITO", payout);
    click("Command3D3");
  }

  QStringList row(int r) const {
    QStringList cells;
    for (int c = 1; c <= 12; ++c) cells << grid()->cell(r, c);
    return cells;
  }

  void closeWithButton() {
    QPointer<QMdiSubWindow> f = frame;
    click("Command3D1");
    QTRY_VERIFY(f.isNull());
  }

  DataSession session;
  AppState& state = DataSessionTestAccess::state(session);
  int month = 5;
  int day = 11;
  std::optional<DayTicketList> kept;
  DayBetTotals handedTotals;
  ScriptedMessages messages;
  QMdiArea area;
  QPointer<TicketWindow> window;
  QPointer<QMdiSubWindow> frame;
};

// The daily entry window with the ticket window opened from it, both in the
// same work area, as the program shows them.
struct EntryHarness {
  EntryHarness() {
    area.resize(1200, 900);
    area.show();
    entry = new EntryWindow(session, messages);
    entryFrame = openChildWindow(area, entry);
  }

  template <typename T>
  T* in(QWidget* root, const char* name) const {
    T* w = root->findChild<T*>(QString::fromLatin1(name));
    if (w == nullptr) qWarning("no child %s", name);
    return w;
  }
  // Chooses a list entry as a click in the opened list does.
  void choose(const char* name, int index) const {
    QComboBox* c = in<QComboBox>(entry, name);
    c->setCurrentIndex(index);
    emit c->activated(index);
  }
  TicketWindow* openTickets() {
    QTest::mouseClick(in<QPushButton>(entry, "SSCommand1"), Qt::LeftButton);
    tickets = area.findChild<TicketWindow*>(QStringLiteral("jrabaken"));
    return tickets;
  }
  void clickTicket(const char* name) const {
    QTest::mouseClick(in<QWidget>(tickets, name), Qt::LeftButton);
  }
  void addTicket(const char* betOption, const QString& purchase, const QString& payout) const {
    in<QComboBox>(tickets, "BABA")->setCurrentIndex(5);
    in<QComboBox>(tickets, "RACE")->setCurrentIndex(10);
    in<QComboBox>(tickets, "WEEK")->setCurrentIndex(0);
    clickTicket(betOption);
    for (const auto& [box, text] : {std::pair{"KONYU", purchase}, std::pair{"HAITO", payout}}) {
      QLineEdit* b = in<QLineEdit>(tickets, box);
      b->setFocus();
      QTest::keyClicks(b, text);
    }
    clickTicket("Command3D3");
  }
  QStringList entryBoxes() const {
    QStringList texts;
    for (const BetTypeInfo& t : kBetTypes) {
      const QString suffix = QString::fromUtf8(t.suffix.data(), qsizetype(t.suffix.size()));
      texts << entry->findChild<QLineEdit*>("Tosi" + suffix)->text()
            << entry->findChild<QLineEdit*>("Harai" + suffix)->text();
    }
    return texts;
  }

  DataSession session;
  AppState& state = DataSessionTestAccess::state(session);
  ScriptedMessages messages;
  QMdiArea area;
  QPointer<EntryWindow> entry;
  QPointer<QMdiSubWindow> entryFrame;
  QPointer<TicketWindow> tickets;
};

BetAmounts totalsOf(std::initializer_list<std::tuple<BetType, int, int>> items) {
  BetAmounts t;
  for (const auto& [type, stake, payout] : items) {
    t.stake[static_cast<std::size_t>(index(type))] += stake;
    t.payout[static_cast<std::size_t>(index(type))] += payout;
  }
  return t;
}

}  // namespace

class TestTicketWindow : public QObject {
  Q_OBJECT
 private slots:
  void layoutAndStartingState();
  void gridHeaders();
  void tabOrderFollowsPanels();
  void activationFocusesRacecourse();
  void addWritesRecordAndRow();
  void addRefusals_data();
  void addRefusals();
  void optionCodes_data();
  void optionCodes();
  void emptyPayoutAddsZero();
  void keyFilterOfPurchase();
  void negativePurchaseStored();
  void enterChain();
  void amountBoxesEmptiedOnFocus();
  void computePayout_data();
  void computePayout();
  void computePayoutRefusals_data();
  void computePayoutRefusals();
  void computePayoutOverflow();
  void deleteTickets();
  void deleteWithoutSelection();
  void fullDayRefused();
  void reopenKeepsRowsAndTotals();
  void loadsOnlyTheDayFromTheMonth();
  void reloadsAListOfAnotherDay();
  void tooManyTicketsRefusedBeforeOpening();
  void unsummableDayRefusedBeforeOpening();
  void sumOverflowAddsNothing();
  void closeWithoutAChangeHandsNothingBack();
  void onlyTheCloseButtonCloses();
  void roundTripThroughTheDailyEntry();
  void ticketsKeepTheirDay();
  void closingHandsOverOnlyAChange_data();
  void closingHandsOverOnlyAChange();
  void nineDigitSumsPostedWhole();
  void inputMethodDigitsInPurchase();
  void conditionCodeByGroup();
  void weekdayFromTheDay_data();
  void weekdayFromTheDay();
  void nextTicketPrefilledFromTheLast();
  void selectedTicketChanged();
  void changeRefusals_data();
  void changeRefusals();
  void changedTicketPostedWithTheDay();
};

void TestTicketWindow::layoutAndStartingState() {
  Harness h;
  testdata::post2024Weekends(h.state);
  TicketWindow* w = h.open();
  QCOMPARE(w->objectName(), QStringLiteral("jrabaken"));
  QCOMPARE(w->windowTitle(), QStringLiteral("詳細入力"));
  QCOMPARE(h.frame->windowTitle(), QStringLiteral("詳細入力"));
  QCOMPARE(h.frame->pos(), QPoint(0, 0));
  // As large as its contents, and not to be resized.
  QCOMPARE(w->minimumSize(), w->maximumSize());
  QCOMPARE(w->size(), w->sizeHint());
  QCOMPARE(w->font().family(), minchoFont().family());

  const std::pair<const char*, int> lists[] = {{"BABA", 11}, {"RACE", 12}, {"WEEK", 3}};
  for (const auto& [name, count] : lists) {
    QComboBox* c = h.combo(name);
    QVERIFY(c);
    QCOMPARE(c->count(), count);
    // 曜日 is the day's: 11 May 2024 is a Saturday.
    const bool weekday = std::string_view(name) == "WEEK";
    QCOMPARE(c->currentIndex(), weekday ? 0 : -1);
    QCOMPARE(c->currentText().isEmpty(), !weekday);
    QVERIFY(!c->isEditable());
  }
  QCOMPARE(h.combo("BABA")->itemText(10), QStringLiteral("その他"));
  QCOMPARE(h.combo("RACE")->itemText(11), QStringLiteral("１２Ｒ"));
  QCOMPARE(h.combo("WEEK")->itemText(0), QStringLiteral("土曜日"));

  // The first option of each group is selected, and only that one.
  const std::initializer_list<const char*> groups[] = {
      {"Uma3", "Uma4", "Uma4Up", "Uma5Up"},
      {"SIBA", "DART", "Syogai"},
      {"M1600", "M2000", "M2500", "M3000"},
      {"CLASS1", "CLASS2", "CLASS3", "CLASS4", "CLASS5", "CLASS6", "CLASS7", "CLASS8", "CLASS9"},
      {"NoRace", "Hinba", "Hande"},
      {"Tosu1", "Tosu2", "Tosu3", "Tosu4"},
      {"TanBtn", "FukBtn", "WakBtn", "UmaBtn", "KakBtn", "UtanBtn", "RenBtn"}};
  for (const auto& names : groups) {
    bool first = true;
    for (const char* name : names) {
      QRadioButton* r = h.radio(name);
      QVERIFY2(r, name);
      QCOMPARE(r->isChecked(), first);
      first = false;
    }
  }
  QCOMPARE(h.radio("M2000")->text(), QStringLiteral("1600m～2000m"));
  QCOMPARE(h.radio("Hande")->text(), QStringLiteral("ﾊﾝﾃﾞ戦"));
  QCOMPARE(h.radio("RenBtn")->text(), QStringLiteral("3連複"));

  const std::pair<const char*, int> boxes[] = {
      {"KONYU", 7}, {"KnyKin", 6}, {"HaiKin", 6}, {"HAITO", 6}};
  for (const auto& [name, length] : boxes) {
    auto* b = h.get<AmountBox>(name);
    QVERIFY(b);
    QCOMPARE(b->typedLength(), length);
    QVERIFY(b->alignment() & Qt::AlignRight);
    QVERIFY(b->text().isEmpty());
  }
  const std::pair<const char*, const char*> buttons[] = {{"SSCommand1", "払戻金額計算"},
                                                         {"Command3D3", "ＯＫ"},
                                                         {"DelCmd", "削除"},
                                                         {"Command3D1", "閉じる"}};
  for (const auto& [name, caption] : buttons) QCOMPARE(h.button(name)->text(), QString(caption));
  QCOMPARE(w->ticketGridNextRow(), 1);
  QCOMPARE(h.grid()->selectedRow(), 1);
}

void TestTicketWindow::gridHeaders() {
  Harness h;
  h.open();
  Grid* g = h.grid();
  QCOMPARE(g->rowCountWithHeader(), 201);
  QCOMPARE(g->colCountWithHeader(), 15);
  const QStringList headers{"場名", "ﾚｰｽ",  "曜日", "ｺｰｽ",      "距離",     "馬齢",
                            "ｸﾗｽ",  "条件", "分類", "購入金額", "払戻金額", "頭数"};
  for (int c = 1; c <= 12; ++c) QCOMPARE(g->cell(0, c), headers[c - 1]);
  QVERIFY(g->cell(0, 13).isEmpty());
  QCOMPARE(g->cell(0, 0), QStringLiteral("番号"));
  // Every column in view has its caption; the two that show nothing are hidden.
  for (int c = 1; c < 15; ++c) QCOMPARE(g->isColumnHidden(c - 1), g->cell(0, c).isEmpty());
  QCOMPARE(g->cell(1, 0), QStringLiteral(" 1"));
  QCOMPARE(g->cell(200, 0), QStringLiteral(" 200"));
}

void TestTicketWindow::tabOrderFollowsPanels() {
  Harness h;
  TicketWindow* w = h.open();
  const char* chain[] = {
      "Grid1",  "BABA",       "RACE",   "WEEK",       "Uma3",       "Uma4",   "Uma4Up", "Uma5Up",
      "SIBA",   "DART",       "Syogai", "M1600",      "M2000",      "M2500",  "M3000",  "CLASS1",
      "CLASS2", "CLASS3",     "CLASS4", "CLASS5",     "CLASS6",     "CLASS7", "CLASS8", "CLASS9",
      "NoRace", "Hinba",      "Hande",  "Tosu1",      "Tosu2",      "Tosu3",  "Tosu4",  "TanBtn",
      "FukBtn", "WakBtn",     "UmaBtn", "KakBtn",     "UtanBtn",    "RenBtn", "KONYU",  "KnyKin",
      "HaiKin", "SSCommand1", "HAITO",  "Command3D3", "Command3D1", "ChgCmd", "DelCmd"};
  // Walk the focus chain, skipping widgets that take no tab focus (frames,
  // the grid's own scroll bars and viewport).
  QWidget* at = h.get<QWidget>(chain[0]);
  for (std::size_t i = 1; i < std::size(chain); ++i) {
    QWidget* next = at->nextInFocusChain();
    while (next != w && (!(next->focusPolicy() & Qt::TabFocus) || next->objectName().isEmpty() ||
                         next->isAncestorOf(at))) {
      next = next->nextInFocusChain();
    }
    QCOMPARE(next->objectName(), QString::fromLatin1(chain[i]));
    at = next;
  }
}

void TestTicketWindow::activationFocusesRacecourse() {
  Harness h;
  h.area.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&h.area));
  h.open();
  h.area.setActiveSubWindow(nullptr);
  h.area.setActiveSubWindow(h.frame);
  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(h.combo("BABA")));
}

void TestTicketWindow::addWritesRecordAndRow() {
  Harness h;
  h.open();
  h.combo("BABA")->setCurrentIndex(9);  // 小倉
  h.combo("RACE")->setCurrentIndex(9);  // １０Ｒ
  h.combo("WEEK")->setCurrentIndex(1);  // 日曜日
  h.click("Uma5Up");
  h.click("UmaBtn");
  h.click("Tosu4");
  h.type("KONYU", "1000");
  h.type("KnyKin", "300");
  h.type("HaiKin", "1230");
  h.click("Command3D3");

  QCOMPARE(h.messages.count(), 0);
  QCOMPARE(h.list().count, 1);
  QCOMPARE(recordText(h.list().entries[0]),
           std::string("05,11,A,A,2,1,1,1,0000001000,0000000000,4,4,0,4"));
  QCOMPARE(h.row(1), (QStringList{"小倉", "１０Ｒ", "日曜日", "芝", "1600m以下", "４歳上", "Ｇ１",
                                  "無し", "馬連", "1000", "0", "16頭以上"}));
  QVERIFY(h.grid()->cell(1, 13).isEmpty());
  QCOMPARE(h.totals(), totalsOf({{BetType::Uma, 1000, 0}}));
  QCOMPARE(h.window->ticketGridNextRow(), 2);
  for (const char* name : {"KONYU", "HAITO", "KnyKin", "HaiKin"})
    QVERIFY(h.box(name)->text().isEmpty());
  // Selections stay for the next ticket on the same race.
  QCOMPARE(h.combo("BABA")->currentText(), QStringLiteral("小倉"));
  QVERIFY(h.radio("UmaBtn")->isChecked());

  h.click("FukBtn");
  h.type("KONYU", "200");
  h.type("HAITO", "340");
  h.click("Command3D3");
  QCOMPARE(h.list().count, 2);
  QCOMPARE(h.grid()->cell(2, 9), QStringLiteral("複勝"));
  QCOMPARE(h.grid()->cell(2, 11), QStringLiteral("340"));
  QCOMPARE(h.totals(), totalsOf({{BetType::Uma, 1000, 0}, {BetType::Fuk, 200, 340}}));
}

void TestTicketWindow::addRefusals_data() {
  QTest::addColumn<int>("baba");
  QTest::addColumn<int>("race");
  QTest::addColumn<int>("week");
  QTest::addColumn<QString>("purchase");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("focus");
  // Each failing check hides those after it.
  QTest::newRow("nothing chosen") << -1 << -1 << -1 << ""
                                  << "場名が選択されていません"
                                  << "BABA";
  QTest::newRow("no racecourse") << -1 << 0 << 0 << "100"
                                 << "場名が選択されていません"
                                 << "BABA";
  QTest::newRow("no race") << 0 << -1 << -1 << ""
                           << "ﾚｰｽが選択されていません"
                           << "RACE";
  QTest::newRow("no weekday") << 0 << 3 << -1 << "100"
                              << "曜日が選択されていません"
                              << "WEEK";
  QTest::newRow("no purchase") << 0 << 3 << 2 << ""
                               << "入力されていません"
                               << "KONYU";
}

void TestTicketWindow::addRefusals() {
  QFETCH(int, baba);
  QFETCH(int, race);
  QFETCH(int, week);
  QFETCH(QString, purchase);
  QFETCH(QString, message);
  QFETCH(QString, focus);
  Harness h;
  h.area.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&h.area));
  h.open();
  h.combo("BABA")->setCurrentIndex(baba);
  h.combo("RACE")->setCurrentIndex(race);
  h.combo("WEEK")->setCurrentIndex(week);
  if (!purchase.isEmpty()) h.type("KONYU", purchase);
  h.click("Command3D3");

  QCOMPARE(h.messages.count(), 1);
  QCOMPARE(h.messages.last().title, kErrorTitle);
  QCOMPARE(h.messages.last().text, message);
  QTRY_COMPARE(QApplication::focusWidget(), h.get<QWidget>(focus.toLatin1().constData()));
  QCOMPARE(h.list().count, 0);
  QCOMPARE(h.totals(), BetAmounts{});
  QVERIFY(h.grid()->cell(1, 1).isEmpty());
  QCOMPARE(h.window->ticketGridNextRow(), 1);
}

void TestTicketWindow::optionCodes_data() {
  QTest::addColumn<QStringList>("clicks");
  QTest::addColumn<QString>("codes");      // surface, distance, class, bet, age, condition, runners
  QTest::addColumn<QStringList>("cells");  // grid columns 4..9 and 12
  QTest::newRow("defaults") << QStringList{} << "1111101"
                            << QStringList{"芝",   "1600m以下", "２歳",   "Ｇ１",
                                           "無し", "単勝",      "9頭以下"};
  QTest::newRow("1600m～2000m") << QStringList{"M2000"} << "1211101"
                                << QStringList{"芝",   "2000m以下", "２歳",   "Ｇ１",
                                               "無し", "単勝",      "9頭以下"};
  QTest::newRow("2000m～2400m, dirt, 500万")
      << QStringList{"M2500", "DART", "CLASS7"} << "2371101"
      << QStringList{"ﾀﾞｰﾄ", "2400m以下", "２歳", "500万", "無し", "単勝", "9頭以下"};
  QTest::newRow("牝馬限定") << QStringList{"Hinba", "Uma4"} << "1111211"
                            << QStringList{"芝",   "1600m以下", "３歳",   "Ｇ１",
                                           "牝限", "単勝",      "9頭以下"};
  QTest::newRow("ﾊﾝﾃﾞ戦, jump, 3連複")
      << QStringList{"Hande", "Syogai", "RenBtn", "Tosu3"} << "3117123"
      << QStringList{"障害", "1600m以下", "２歳", "Ｇ１", "ﾊﾝﾃﾞ", "3連複", "15頭以下"};
  QTest::newRow("back to 指定無し")
      << QStringList{"Hande", "NoRace", "Tosu2", "M3000"} << "1411102"
      << QStringList{"芝", "2400m以上", "２歳", "Ｇ１", "無し", "単勝", "12頭以下"};
}

void TestTicketWindow::optionCodes() {
  QFETCH(QStringList, clicks);
  QFETCH(QString, codes);
  QFETCH(QStringList, cells);
  Harness h;
  h.open();
  for (const QString& name : clicks) h.click(name.toLatin1().constData());
  h.addWithTheOptionsAsTheyAre("100");
  QCOMPARE(h.list().count, 1);
  const TicketRecord& r = h.list().entries[0];
  const TicketField fields[] = {TicketField::Surface,    TicketField::DistanceBand,
                                TicketField::RaceClass,  TicketField::BetType,
                                TicketField::AgeGroup,   TicketField::Condition,
                                TicketField::RunnersBand};
  QString stored;
  for (TicketField f : fields) stored += QChar::fromLatin1(r.field(f)[0]);
  QCOMPARE(stored, codes);
  const QStringList row = h.row(1);
  QCOMPARE((QStringList{row[3], row[4], row[5], row[6], row[7], row[8], row[11]}), cells);
}

void TestTicketWindow::emptyPayoutAddsZero() {
  Harness h;
  h.open();
  h.addTicket("WakBtn", "700");
  QCOMPARE(h.messages.count(), 0);
  QCOMPARE(h.grid()->cell(1, 10), QStringLiteral("700"));
  QCOMPARE(h.grid()->cell(1, 11), QStringLiteral("0"));
  QCOMPARE(h.list().entries[0].field(TicketField::Payout), "0000000000");
  QCOMPARE(h.totals(), totalsOf({{BetType::Wak, 700, 0}}));
}

void TestTicketWindow::keyFilterOfPurchase() {
  Harness h;
  h.open();
  QLineEdit* konyu = h.box("KONYU");
  konyu->setFocus();
  QTest::keyClick(konyu, Qt::Key_1);
  QTest::keyClick(konyu, Qt::Key_2);
  QCOMPARE(konyu->text(), QStringLiteral("12"));
  QTest::keyClick(konyu, Qt::Key_A);
  QVERIFY(konyu->text().isEmpty());
  QTest::keyClicks(konyu, "-500");
  QCOMPARE(konyu->text(), QStringLiteral("-500"));
  // The dividend boxes take any text; only its leading number counts.
  QLineEdit* haiKin = h.box("HaiKin");
  haiKin->setFocus();
  QTest::keyClicks(haiKin, "12a");
  QCOMPARE(haiKin->text(), QStringLiteral("12a"));
}

void TestTicketWindow::negativePurchaseStored() {
  Harness h;
  h.open();
  h.addTicket("KakBtn", "-500", "-20");
  QCOMPARE(h.messages.count(), 0);
  const TicketRecord& r = h.list().entries[0];
  QCOMPARE(r.field(TicketField::Purchase), "-000000500");
  QCOMPARE(r.field(TicketField::Payout), "-000000020");
  QCOMPARE(h.grid()->cell(1, 10), QStringLiteral("-500"));
  QCOMPARE(h.totals(), totalsOf({{BetType::Kak, -500, -20}}));
  // And it reads back the same when the window is opened again.
  h.closeWithButton();
  h.open();
  QCOMPARE(h.grid()->cell(1, 10), QStringLiteral("-500"));
  QCOMPARE(h.grid()->cell(1, 11), QStringLiteral("-20"));
  QCOMPARE(h.totals(), totalsOf({{BetType::Kak, -500, -20}}));
}

void TestTicketWindow::enterChain() {
  Harness h;
  h.area.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&h.area));
  h.open();
  h.box("HAITO")->setText(QStringLiteral("999"));
  QLineEdit* konyu = h.box("KONYU");
  konyu->setFocus();
  QTest::keyClicks(konyu, "300");
  QTest::keyClick(konyu, Qt::Key_Return);
  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(h.box("HAITO")));
  QVERIFY(h.box("HAITO")->text().isEmpty());
  QCOMPARE(konyu->text(), QStringLiteral("300"));
  QTest::keyClicks(h.box("HAITO"), "450");
  QTest::keyClick(h.box("HAITO"), Qt::Key_Enter);
  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(h.button("Command3D3")));
  QCOMPARE(h.box("HAITO")->text(), QStringLiteral("450"));
}

void TestTicketWindow::amountBoxesEmptiedOnFocus() {
  Harness h;
  h.area.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&h.area));
  h.open();
  for (const char* name : {"KONYU", "KnyKin", "HaiKin", "HAITO"}) {
    QLineEdit* b = h.box(name);
    b->setText(QStringLiteral("123"));
    h.button("DelCmd")->setFocus();
    QTest::mouseClick(b, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b));
    QVERIFY2(b->text().isEmpty(), name);
  }
}

void TestTicketWindow::computePayout_data() {
  QTest::addColumn<QString>("purchase");
  QTest::addColumn<QString>("dividend");
  QTest::addColumn<QString>("payout");
  QTest::newRow("1230 on 300") << "300"
                               << "1230"
                               << "3690";
  QTest::newRow("150 on 100") << "100"
                              << "150"
                              << "150";
  QTest::newRow("110 on 50") << "50"
                             << "110"
                             << "55";
  QTest::newRow("half to even down") << "50"
                                     << "105"
                                     << "52";  // 52.5
  QTest::newRow("half to even up") << "50"
                                   << "107"
                                   << "54";  // 53.5
  QTest::newRow("decimal dividend") << "100"
                                    << "12.5"
                                    << "12";  // 12.5
  QTest::newRow("text after number") << "100y"
                                     << "250x"
                                     << "250";
  // Longer than a typed payout may be: all of it reaches the box.
  QTest::newRow("seven digits") << "10000"
                                << "12300"
                                << "1230000";
  QTest::newRow("blanks inside numbers") << "1 000"
                                         << "1 50"
                                         << "1500";
  // Full-width forms, as an input method or a paste gives them.
  QTest::newRow("full-width") << "３００"
                              << "１２３０"
                              << "3690";
  QTest::newRow("full-width point and blank") << "１　０００"
                                              << "１２．５"
                                              << "125";
}

void TestTicketWindow::computePayout() {
  QFETCH(QString, purchase);
  QFETCH(QString, dividend);
  QFETCH(QString, payout);
  Harness h;
  h.open();
  h.type("KnyKin", purchase);
  h.type("HaiKin", dividend);
  QCOMPARE(h.box("KnyKin")->text(), purchase);
  QCOMPARE(h.box("HaiKin")->text(), dividend);
  h.click("SSCommand1");
  QCOMPARE(h.messages.count(), 0);
  QCOMPARE(h.box("HAITO")->text(), payout);
  // The computed payout is the one a following "ＯＫ" takes.
  h.addWithTheOptionsAsTheyAre("100");
  QCOMPARE(h.grid()->cell(1, 11), payout);
  QCOMPARE(h.totals().payout[0], payout.toInt());
}

void TestTicketWindow::computePayoutRefusals_data() {
  QTest::addColumn<QString>("purchase");
  QTest::addColumn<QString>("dividend");
  QTest::addColumn<QString>("focus");
  QTest::newRow("no purchase") << ""
                               << "1230"
                               << "KnyKin";
  QTest::newRow("nothing") << ""
                           << ""
                           << "KnyKin";
  QTest::newRow("no dividend") << "300"
                               << ""
                               << "HaiKin";
}

void TestTicketWindow::computePayoutRefusals() {
  QFETCH(QString, purchase);
  QFETCH(QString, dividend);
  QFETCH(QString, focus);
  Harness h;
  h.area.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&h.area));
  h.open();
  h.box("HAITO")->setText(QStringLiteral("77"));
  if (!purchase.isEmpty()) h.type("KnyKin", purchase);
  if (!dividend.isEmpty()) h.type("HaiKin", dividend);
  h.click("SSCommand1");
  QCOMPARE(h.messages.texts(), QStringList{kNotEntered});
  QCOMPARE(h.messages.last().title, kErrorTitle);
  QTRY_COMPARE(QApplication::focusWidget(), h.get<QWidget>(focus.toLatin1().constData()));
  QCOMPARE(h.box("HAITO")->text(), QStringLiteral("77"));
}

void TestTicketWindow::computePayoutOverflow() {
  Harness h;
  h.open();
  h.box("HAITO")->setText(QStringLiteral("77"));
  h.type("KnyKin", "999999");
  h.type("HaiKin", "999999");
  h.click("SSCommand1");
  QCOMPARE(h.messages.texts(), QStringList{kRange});
  QCOMPARE(h.box("HAITO")->text(), QStringLiteral("77"));
}

void TestTicketWindow::deleteTickets() {
  Harness h;
  h.open();
  h.addTicket("TanBtn", "100", "250");
  h.addTicket("UmaBtn", "300", "1000");
  h.addTicket("TanBtn", "200");
  QCOMPARE(h.totals(), totalsOf({{BetType::Tan, 300, 250}, {BetType::Uma, 300, 1000}}));

  h.grid()->setCurrentRow(1);
  h.click("DelCmd");
  const BetAmounts afterOne = totalsOf({{BetType::Tan, 200, 0}, {BetType::Uma, 300, 1000}});
  QCOMPARE(h.totals(), afterOne);
  QCOMPARE(h.row(1), QStringList(12, QStringLiteral(" ")));
  QVERIFY(h.list().entries[0].isBlank());
  // The deleted ticket keeps its day and row; the others are untouched.
  QCOMPARE(recordText(h.list().entries[0]), std::string("  ,11") + std::string(42, ' '));
  QCOMPARE(h.list().count, 3);
  QCOMPARE(h.grid()->cell(2, 9), QStringLiteral("馬連"));
  QCOMPARE(h.window->ticketGridNextRow(), 4);

  // The same row again, and an empty row below the tickets: no sum moves.
  h.grid()->setCurrentRow(1);
  h.click("DelCmd");
  QCOMPARE(h.totals(), afterOne);
  h.grid()->setCurrentRow(4);
  h.click("DelCmd");
  QCOMPARE(h.totals(), afterOne);
  QVERIFY(h.grid()->cell(4, 1).isEmpty());
  QCOMPARE(h.list().count, 3);

  // A click on a row selects it for deleting.
  Grid* g = h.grid();
  const QRect cellRect = g->visualRect(g->model()->index(1, 0));
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cellRect.center());
  QCOMPARE(g->selectedRow(), 2);
  h.click("DelCmd");
  QCOMPARE(h.totals(), totalsOf({{BetType::Tan, 200, 0}}));
  QCOMPARE(h.messages.count(), 0);

  // The next ticket still goes below the deleted ones.
  h.addTicket("FukBtn", "50");
  QCOMPARE(h.grid()->cell(4, 9), QStringLiteral("複勝"));
  QCOMPARE(h.list().count, 4);
}

void TestTicketWindow::deleteWithoutSelection() {
  Harness h;
  h.open();
  h.addTicket("TanBtn", "100");
  h.grid()->clearSelection();
  QCOMPARE(h.grid()->selectedRow(), 0);
  const BetAmounts before = h.totals();
  h.click("DelCmd");
  QCOMPARE(h.totals(), before);
  QVERIFY(!h.list().entries[0].isBlank());
  QCOMPARE(h.grid()->cell(1, 9), QStringLiteral("単勝"));
  QCOMPARE(h.messages.count(), 0);
}

void TestTicketWindow::fullDayRefused() {
  Harness h;
  // 200 rows used, some of them deleted tickets.
  for (int i = 0; i < 200; ++i) {
    TicketRecord r = ticket(11, "1111111101", 100, 0);
    if (i % 50 == 7) blankEntry(r);
    h.keep().entries[static_cast<std::size_t>(i)] = r;
  }
  h.keep().count = 200;
  h.open();
  QCOMPARE(h.window->ticketGridNextRow(), 201);
  QCOMPARE(h.grid()->cell(200, 9), QStringLiteral("単勝"));
  QCOMPARE(h.grid()->cell(8, 9), QStringLiteral(" "));
  QCOMPARE(h.totals(), totalsOf({{BetType::Tan, 196 * 100, 0}}));
  const DayTicketList before = h.list();
  h.addTicket("UmaBtn", "500", "900");
  QCOMPARE(h.messages.texts(), QStringList{kFull});
  QCOMPARE(h.messages.last().title, kErrorTitle);
  QCOMPARE(h.list().count, 200);
  QVERIFY(h.list().entries == before.entries);
  QCOMPARE(h.totals(), totalsOf({{BetType::Tan, 196 * 100, 0}}));
  QCOMPARE(h.window->ticketGridNextRow(), 201);
}

void TestTicketWindow::reopenKeepsRowsAndTotals() {
  Harness h;
  putMonth(h.state, 5, {ticket(11, "5C22414322", 400, 0)});
  h.open();
  QCOMPARE(h.grid()->cell(1, 1), QStringLiteral("中山"));
  h.addTicket("TanBtn", "100", "250");
  h.click("M2000");
  h.addTicket("UtanBtn", "300", "1000");
  h.grid()->setCurrentRow(2);
  h.click("DelCmd");
  const QStringList row1 = h.row(1);
  const QStringList row3 = h.row(3);
  const BetAmounts totals = h.totals();
  QCOMPARE(totals, totalsOf({{BetType::Uma, 400, 0}, {BetType::UTan, 300, 1000}}));
  h.closeWithButton();
  QVERIFY(h.kept);
  QVERIFY(h.window.isNull());

  // The month table is untouched until the day is confirmed; the window
  // shows the pending list again.
  QCOMPARE(h.state.tickets.month(5).count, 1);
  h.handedTotals = BetAmounts{};
  h.open();
  QCOMPARE(h.row(1), row1);
  QCOMPARE(h.row(2), QStringList(12, QStringLiteral(" ")));
  QCOMPARE(h.row(3), row3);
  QCOMPARE(h.grid()->cell(3, 5), QStringLiteral("2000m以下"));
  QVERIFY(h.grid()->cell(4, 1).isEmpty());
  QCOMPARE(h.totals(), totals);
  QCOMPARE(h.window->ticketGridNextRow(), 4);
  QCOMPARE(h.grid()->selectedRow(), 4);
}

void TestTicketWindow::loadsOnlyTheDayFromTheMonth() {
  Harness h;
  putMonth(h.state, 5,
           {ticket(3, "1111111101", 100, 0), ticket(11, "A121111101", 0, 0),
            ticket(11, "2111112101", 500, 1500), ticket(17, "1111111101", 700, 0),
            ticket(11, "3111171101", 200, 0)});
  QVERIFY(h.canOpen());
  h.open();
  QCOMPARE(h.list().count, 3);
  QCOMPARE(h.grid()->cell(1, 1), QStringLiteral("小倉"));
  QCOMPARE(h.grid()->cell(2, 1), QStringLiteral("函館"));
  QCOMPARE(h.grid()->cell(2, 11), QStringLiteral("1500"));
  QCOMPARE(h.grid()->cell(3, 1), QStringLiteral("新潟"));
  QCOMPARE(h.grid()->cell(3, 7), QStringLiteral("500万"));
  QVERIFY(h.grid()->cell(4, 1).isEmpty());
  QCOMPARE(h.window->ticketGridNextRow(), 4);
  QCOMPARE(h.messages.count(), 0);
}

// Tickets edited for one day are dropped when the daily entry window shows
// another: the ticket window opens on the other day's stored tickets.
void TestTicketWindow::reloadsAListOfAnotherDay() {
  EntryHarness h;
  putMonth(h.state, 5, {ticket(11, "1111111101", 100, 0)});
  h.choose("MM", 4);   // ５月
  h.choose("DD", 11);  // １２日
  QVERIFY(h.openTickets());
  h.addTicket("UmaBtn", "800", "");
  h.clickTicket("Command3D1");
  QTRY_VERIFY(h.tickets.isNull());
  h.choose("DD", 10);  // １１日
  QVERIFY(h.openTickets());
  QCOMPARE(h.tickets->dayList().count, 1);
  QCOMPARE(h.tickets->dayList().entries[0].field(TicketField::Day), "11");
  QCOMPARE(h.tickets->totals(), totalsOf({{BetType::Tan, 100, 0}}));
}

void TestTicketWindow::tooManyTicketsRefusedBeforeOpening() {
  Harness h;
  MonthTickets& m = h.state.tickets.month(5);
  for (int i = 0; i < 201; ++i) m.slot(i) = ticket(11, "1111111101", 100, 0);
  m.count = 201;
  m.slot(201).markBlank();
  QVERIFY(!h.canOpen());
  QCOMPARE(h.messages.texts(),
           QStringList{QStringLiteral("詳細データが多すぎるため表示できません")});
  QCOMPARE(h.messages.last().title, kErrorTitle);
  QCOMPARE(h.state.tickets.month(5).count, 201);

  // Another day of the same month opens.
  h.messages.clear();
  h.day = 12;
  QVERIFY(h.canOpen());
  QCOMPARE(h.messages.count(), 0);

  // An opener that skipped the check gets a window that hands nothing back.
  h.day = 11;
  h.open();
  QCOMPARE(h.messages.last().text, QStringLiteral("詳細データが多すぎるため表示できません"));
  QVERIFY(!h.button("Command3D3")->isEnabled());
  h.closeWithButton();
  QVERIFY(!h.kept);
  QVERIFY(h.window.isNull());
}

void TestTicketWindow::unsummableDayRefusedBeforeOpening() {
  Harness h;
  putMonth(h.state, 5,
           {ticket(11, "1111111101", 2000000000, 0), ticket(11, "1111111101", 2000000000, 0)});
  QVERIFY(!h.canOpen());
  QCOMPARE(h.messages.texts(), QStringList{kRange});
}

void TestTicketWindow::sumOverflowAddsNothing() {
  Harness h;
  h.keep().entries[0] = ticket(11, "1111111101", 2147482000, 0);
  h.keep().count = 1;
  h.open();
  QCOMPARE(h.messages.count(), 0);
  h.addTicket("TanBtn", "999999");
  QCOMPARE(h.messages.texts(), QStringList{kRange});
  QCOMPARE(h.messages.last().title, kErrorTitle);
  QCOMPARE(h.list().count, 1);
  QVERIFY(h.grid()->cell(2, 1).isEmpty());
  QCOMPARE(h.window->ticketGridNextRow(), 2);
  QCOMPARE(h.totals(), totalsOf({{BetType::Tan, 2147482000, 0}}));
  // Another bet type has room.
  h.addTicket("FukBtn", "999999");
  QCOMPARE(h.messages.count(), 1);
  QCOMPARE(h.list().count, 2);
}

// Closed without a ticket added or deleted, the window hands nothing back;
// a ticket added and deleted again is a change, and hands back zeros.
void TestTicketWindow::closeWithoutAChangeHandsNothingBack() {
  Harness h;
  h.handedTotals = totalsOf({{BetType::Tan, 5, 5}});  // left from another day
  h.open();
  h.closeWithButton();
  QCOMPARE(h.totals(), totalsOf({{BetType::Tan, 5, 5}}));
  QVERIFY(!h.kept);
  QVERIFY(h.window.isNull());
  h.open();
  h.addTicket("TanBtn", "100");
  h.grid()->setCurrentRow(1);
  h.click("DelCmd");
  h.closeWithButton();
  QCOMPARE(h.totals(), BetAmounts{});
  QVERIFY(h.kept);
}

void TestTicketWindow::onlyTheCloseButtonCloses() {
  Harness h;
  h.open();
  QTRY_VERIFY(h.frame->isVisible());
  const Qt::WindowFlags flags = h.frame->windowFlags();
  QVERIFY(!(flags & Qt::WindowCloseButtonHint));
  QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
  QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
  QVERIFY(!(flags & Qt::WindowSystemMenuHint));

  QVERIFY(!h.frame->close());
  h.area.closeActiveSubWindow();
  QVERIFY(h.frame);
  QVERIFY(h.frame->isVisible());
  QVERIFY(!h.kept);
  QVERIFY(!h.window.isNull());

  h.closeWithButton();
  QVERIFY(h.window.isNull() || !h.window->isVisible());
  QVERIFY(h.area.subWindowList().isEmpty());
}

void TestTicketWindow::roundTripThroughTheDailyEntry() {
  EntryHarness h;
  putMonth(h.state, 5,
           {ticket(11, "1111111101", 100, 0), ticket(3, "2111111101", 900, 0),
            ticket(11, "1111114101", 600, 1800)});
  h.choose("MM", 4);   // ５月
  h.choose("DD", 10);  // １１日
  QVERIFY(h.openTickets());
  QCOMPARE(h.in<Grid>(h.tickets, "Grid1")->cell(1, 9), QStringLiteral("単勝"));
  QCOMPARE(h.in<Grid>(h.tickets, "Grid1")->cell(2, 9), QStringLiteral("馬連"));
  // Activating the daily entry window keeps the ticket window in front.
  h.area.setActiveSubWindow(h.entryFrame);
  QTRY_COMPARE(h.area.activeSubWindow(), h.tickets->subWindow());

  h.addTicket("FukBtn", "200", "340");
  h.addTicket("UmaBtn", "1000", "");
  h.addTicket("KakBtn", "300", "1200");
  h.addTicket("RenBtn", "500", "");
  h.in<Grid>(h.tickets, "Grid1")->setCurrentRow(4);  // the 馬連 of 1000
  h.clickTicket("DelCmd");
  QCOMPARE(h.messages.count(), 0);
  h.clickTicket("Command3D1");
  QTRY_VERIFY(h.tickets.isNull());

  QTRY_COMPARE(h.entryBoxes(), (QStringList{"100", "0", "200", "340", "0", "0", "600", "1800",
                                            "300", "1200", "0", "0", "500", "0"}));
  QCOMPARE(h.in<QLineEdit>(h.entry, "GokeiTosi")->text(), QStringLiteral("1700"));
  QCOMPARE(h.in<QLineEdit>(h.entry, "RiekiKak")->text(), QStringLiteral("900"));

  QTest::mouseClick(h.in<QPushButton>(h.entry, "ChkCmd"), Qt::LeftButton);
  QTest::mouseClick(h.in<QPushButton>(h.entry, "YesCmd"), Qt::LeftButton);
  QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("データは一時保存されました")});

  // The other day first, then the day's live tickets in grid order.
  const MonthTickets& may = h.state.tickets.month(5);
  QCOMPARE(may.count, 6);
  QCOMPARE(may.slot(0).field(TicketField::Day), "03");
  const char* bets = "14257";
  for (int i = 0; i < 5; ++i) {
    QCOMPARE(may.slot(i + 1).field(TicketField::Day), "11");
    QCOMPARE(may.slot(i + 1).field(TicketField::BetType)[0], bets[i]);
  }
  QCOMPARE(recordText(may.slot(3)), std::string("05,11,6,B,1,1,1,1,0000000200,0000000340,2,1,0,1"));
  QVERIFY(may.slot(6).isBlank());
  QCOMPARE(amount(daySlot(h.state.ledger, 5, 11), Quantity::Payout, BetType::Kak), 1200);
}

// The tickets belong to the day the daily entry window showed when
// "詳細入力" was pressed, from opening to closing and after reopening.
void TestTicketWindow::ticketsKeepTheirDay() {
  EntryHarness h;
  h.choose("MM", 2);  // ３月
  h.choose("DD", 4);  // ５日
  QVERIFY(h.openTickets());
  QCOMPARE(h.in<QLabel>(h.tickets, "TicketDay")->text(), QStringLiteral("３月５日の馬券"));
  QCOMPARE(h.tickets->windowTitle(), QStringLiteral("詳細入力"));
  h.addTicket("TanBtn", "100", "");
  h.addTicket("FukBtn", "200", "");
  h.clickTicket("Command3D1");
  QTRY_VERIFY(h.tickets.isNull());
  QVERIFY(h.openTickets());
  QCOMPARE(h.in<Grid>(h.tickets, "Grid1")->cell(2, 9), QStringLiteral("複勝"));
  h.clickTicket("Command3D1");
  QTRY_VERIFY(h.tickets.isNull());
  QTest::mouseClick(h.in<QPushButton>(h.entry, "ChkCmd"), Qt::LeftButton);
  QTest::mouseClick(h.in<QPushButton>(h.entry, "YesCmd"), Qt::LeftButton);
  const MonthTickets& march = h.state.tickets.month(3);
  QCOMPARE(march.count, 2);
  for (int i = 0; i < 2; ++i) QCOMPARE(recordText(march.slot(i)).substr(0, 5), "03,05");
  QCOMPARE(h.state.tickets.month(7).count, 0);
  QCOMPARE(amount(daySlot(h.state.ledger, 3, 5), Quantity::Stake, BetType::Fuk), 200);
}

// 詳細入力 closed without a change leaves 収支入力's boxes as they were; a
// change hands the sums over, and a line of its own gives the stored day.
void TestTicketWindow::closingHandsOverOnlyAChange_data() {
  QTest::addColumn<bool>("storedTickets");
  QTest::addColumn<bool>("addOne");
  QTest::newRow("no tickets, none added") << false << false;
  QTest::newRow("smaller tickets, none added") << true << false;
  QTest::newRow("smaller tickets, one added") << true << true;
}

void TestTicketWindow::closingHandsOverOnlyAChange() {
  QFETCH(bool, storedTickets);
  QFETCH(bool, addOne);
  EntryHarness h;
  BetAmounts baseline;
  const BetAmounts day = totalsOf({{BetType::Tan, 4800, 0}, {BetType::Uma, 6000, 20100}});
  QCOMPARE(postDay(h.state.ledger, baseline, 5, 11, day), PostResult::Ok);
  if (storedTickets) {
    putMonth(h.state, 5, {ticket(11, "1111111101", 1000, 0), ticket(11, "1111114101", 5000, 7760)});
  }
  h.choose("MM", 4);   // ５月
  h.choose("DD", 10);  // １１日
  const QStringList stored = h.entryBoxes();
  QVERIFY(h.openTickets());
  if (addOne) h.addTicket("TanBtn", "200", "");
  h.clickTicket("Command3D1");
  QTRY_VERIFY(h.tickets.isNull());
  QTest::mouseClick(h.in<QPushButton>(h.entry, "ChkCmd"), Qt::LeftButton);
  const QStringList seen{h.entryBoxes().mid(0, 8).join(u' '),
                         h.in<QLabel>(h.entry, "TicketTotalsNote")->text(),
                         h.in<QLabel>(h.entry, "Kakunin")->text()};
  const QStringList handedOver{
      "1200 0 0 0 0 0 5000 7760",
      "馬券の合計を表示しています（保存済み: 投資 10,800円 払戻 20,100円）",
      "単勝・馬連の保存済みの金額が減ります。\n確定しますか？"};
  const QStringList unchanged{stored.mid(0, 8).join(u' '), "", "確定しますか？"};
  QCOMPARE(seen, addOne ? handedOver : unchanged);
  QTest::mouseClick(h.in<QPushButton>(h.entry, "YesCmd"), Qt::LeftButton);
  QCOMPARE(betAmounts(daySlot(h.state.ledger, 5, 11)) == day, !addOne);
}

// Ticket stakes summing to nine digits (and payouts to ten) reach the
// eight- and nine-character boxes of the daily entry window whole, and are
// posted whole.
void TestTicketWindow::nineDigitSumsPostedWhole() {
  EntryHarness h;
  putMonth(h.state, 5, {ticket(11, "1111111101", 120000000, 1230000000)});
  h.choose("MM", 4);   // ５月
  h.choose("DD", 10);  // １１日
  QVERIFY(h.openTickets());
  h.addTicket("TanBtn", "3456789", "456789");
  QCOMPARE(h.messages.count(), 0);
  h.clickTicket("Command3D1");
  QTRY_VERIFY(h.tickets.isNull());
  QTRY_COMPARE(h.entryBoxes().mid(0, 2), (QStringList{"123456789", "1230456789"}));

  QTest::mouseClick(h.in<QPushButton>(h.entry, "ChkCmd"), Qt::LeftButton);
  QCOMPARE(h.in<QLineEdit>(h.entry, "TosiTan")->text(), QStringLiteral("123456789"));
  QCOMPARE(h.in<QLineEdit>(h.entry, "GokeiRieki")->text(), QStringLiteral("1107000000"));
  QTest::mouseClick(h.in<QPushButton>(h.entry, "YesCmd"), Qt::LeftButton);
  QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("データは一時保存されました")});
  const LedgerRecord& day = daySlot(h.state.ledger, 5, 11);
  QCOMPARE(amount(day, Quantity::Stake, BetType::Tan), 123456789);
  QCOMPARE(amount(day, Quantity::Payout, BetType::Tan), 1230456789);
  QCOMPARE(amount(h.state.ledger.year, Quantity::Stake, BetType::Tan), 123456789);
  QCOMPARE(h.state.tickets.month(5).count, 2);
}

// Text an input method commits into "購入金額" is taken as ASCII digits and
// held to its filter.
void TestTicketWindow::inputMethodDigitsInPurchase() {
  Harness h;
  h.open();
  for (const char* name : {"KONYU", "KnyKin", "HaiKin", "HAITO"}) {
    QVERIFY2(!h.box(name)->testAttribute(Qt::WA_InputMethodEnabled), name);
  }
  h.chooseFirstEntries();
  QLineEdit* konyu = h.box("KONYU");
  konyu->setFocus();
  QInputMethodEvent letters;
  letters.setCommitString(QStringLiteral("１ｘ"));
  QApplication::sendEvent(konyu, &letters);
  QVERIFY(konyu->text().isEmpty());
  QInputMethodEvent digits;
  digits.setCommitString(QStringLiteral("－１５００"));
  QApplication::sendEvent(konyu, &digits);
  QCOMPARE(konyu->text(), QStringLiteral("-1500"));
  h.click("Command3D3");
  QCOMPARE(h.messages.count(), 0);
  QCOMPARE(h.list().entries[0].field(TicketField::Purchase), "-000001500");
}

// The condition code comes from the option group, whatever the buttons are
// called.
void TestTicketWindow::conditionCodeByGroup() {
  Harness h;
  h.open();
  for (QRadioButton* r : h.window->findChildren<QRadioButton*>()) r->setObjectName(QString());
  auto* hande = h.window->findChildren<QRadioButton*>().at(0);
  for (QRadioButton* r : h.window->findChildren<QRadioButton*>()) {
    if (r->text() == QStringLiteral("ﾊﾝﾃﾞ戦")) hande = r;
  }
  QTest::mouseClick(hande, Qt::LeftButton);
  QVERIFY(hande->isChecked());
  h.addWithTheOptionsAsTheyAre("100");
  QCOMPARE(h.list().count, 1);
  QCOMPARE(h.list().entries[0].field(TicketField::Condition), "2");
  QCOMPARE(h.grid()->cell(1, 8), QStringLiteral("ﾊﾝﾃﾞ"));
}

void TestTicketWindow::weekdayFromTheDay_data() {
  QTest::addColumn<int>("month");
  QTest::addColumn<int>("day");
  QTest::addColumn<QString>("weekday");
  QTest::newRow("saturday") << 5 << 11 << "土曜日";
  QTest::newRow("sunday") << 5 << 12 << "日曜日";
  QTest::newRow("holiday monday") << 2 << 12 << "その他";
  QTest::newRow("leap day") << 2 << 29 << "その他";
  QTest::newRow("february 30") << 2 << 30 << "";
}

void TestTicketWindow::weekdayFromTheDay() {
  QFETCH(int, month);
  QFETCH(int, day);
  QFETCH(QString, weekday);
  Harness h;
  testdata::post2024Weekends(h.state);
  h.month = month;
  h.day = day;
  h.open();
  QCOMPARE(h.combo("WEEK")->currentText(), weekday);
  // Nothing else is chosen for the day's first ticket.
  QCOMPARE(h.combo("BABA")->currentIndex(), -1);
  QCOMPARE(h.combo("RACE")->currentIndex(), -1);
}

void TestTicketWindow::nextTicketPrefilledFromTheLast() {
  Harness h;
  testdata::post2024Weekends(h.state);
  h.area.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&h.area));
  h.open();
  h.combo("BABA")->setCurrentIndex(9);  // 小倉
  h.combo("RACE")->setCurrentIndex(9);  // １０Ｒ
  for (const char* option : {"Uma5Up", "DART", "M2500", "CLASS4", "Hande", "Tosu3", "UmaBtn"})
    h.click(option);
  h.type("KONYU", "1000");
  h.click("Command3D3");
  // The next ticket on the same race needs only its bet type and amounts.
  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(h.radio("UmaBtn")));
  h.closeWithButton();

  h.open();
  QCOMPARE(h.combo("BABA")->currentText(), QStringLiteral("小倉"));
  QCOMPARE(h.combo("RACE")->currentText(), QStringLiteral("１０Ｒ"));
  QCOMPARE(h.combo("WEEK")->currentText(), QStringLiteral("土曜日"));
  for (const char* option : {"Uma5Up", "DART", "M2500", "CLASS4", "Hande", "Tosu3"})
    QVERIFY2(h.radio(option)->isChecked(), option);
  // The bet type is the ticket's own choice.
  QVERIFY(h.radio("TanBtn")->isChecked());
  h.click("FukBtn");
  h.type("KONYU", "200");
  h.click("Command3D3");
  QCOMPARE(h.messages.count(), 0);
  QCOMPARE(recordText(h.list().entries[0]),
           std::string("05,11,A,A,1,2,3,4,0000001000,0000000000,4,4,2,3"));
  QCOMPARE(recordText(h.list().entries[1]),
           std::string("05,11,A,A,1,2,3,4,0000000200,0000000000,2,4,2,3"));
}

void TestTicketWindow::selectedTicketChanged() {
  Harness h;
  h.open();
  h.addTicket("TanBtn", "100", "250");
  h.addTicket("UmaBtn", "300", "1000");
  h.addTicket("TanBtn", "200");
  h.combo("BABA")->setCurrentIndex(0);
  h.grid()->setCurrentRow(2);
  // The ticket shows in the panels.
  QCOMPARE(h.combo("BABA")->currentText(), QStringLiteral("小倉"));
  QVERIFY(h.radio("UmaBtn")->isChecked());
  QCOMPARE(h.box("KONYU")->text(), QStringLiteral("300"));
  QCOMPARE(h.box("HAITO")->text(), QStringLiteral("1000"));

  h.click("WakBtn");
  h.click("Tosu4");
  // The user's click into a box empties it; the window here is not active.
  h.box("KONYU")->clear();
  h.type("KONYU", "500");
  h.box("HAITO")->clear();
  h.type("HAITO", "700");
  h.click("ChgCmd");
  QCOMPARE(h.messages.count(), 0);
  QCOMPARE(h.list().count, 3);
  QCOMPARE(recordText(h.list().entries[1]),
           std::string("05,11,A,A,2,1,1,1,0000000500,0000000700,3,1,0,4"));
  QCOMPARE(h.grid()->cell(2, 9), QStringLiteral("枠連"));
  QCOMPARE(h.grid()->cell(2, 10), QStringLiteral("500"));
  QCOMPARE(h.grid()->cell(3, 10), QStringLiteral("200"));
  QCOMPARE(h.totals(), totalsOf({{BetType::Tan, 300, 250}, {BetType::Wak, 500, 700}}));
  const Grid* sums = h.get<Grid>("TicketTotals");
  QCOMPARE(sums->cell(1, 0), QStringLiteral("合計"));
  QCOMPARE(sums->cell(1, 10), QStringLiteral("800"));
  QCOMPARE(sums->cell(1, 11), QStringLiteral("950"));

  h.grid()->setCurrentRow(1);
  h.click("DelCmd");
  QCOMPARE(sums->cell(1, 10), QStringLiteral("700"));
  QCOMPARE(sums->cell(1, 11), QStringLiteral("700"));
  h.closeWithButton();
  QCOMPARE(h.handedTotals, totalsOf({{BetType::Tan, 200, 0}, {BetType::Wak, 500, 700}}));
}

void TestTicketWindow::changeRefusals_data() {
  // Rows: 1 a large 単勝, 2 a deleted ticket, 3 単勝 100, 4 単勝 200, 5 free.
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("purchase");  // empty: the box emptied
  QTest::addColumn<QString>("message");
  QTest::newRow("the free row") << 5 << "500"
                                << "変更する馬券が選択されていません";
  QTest::newRow("a deleted ticket") << 2 << "500"
                                    << "変更する馬券が選択されていません";
  QTest::newRow("no purchase") << 3 << ""
                               << "入力されていません";
  QTest::newRow("sum beyond the range") << 3 << "1000"
                                        << "金額が範囲を超えています";
}

void TestTicketWindow::changeRefusals() {
  QFETCH(int, row);
  QFETCH(QString, purchase);
  QFETCH(QString, message);
  Harness h;
  DayTicketList& list = h.keep();
  list.entries[0] = ticket(11, "1111111101", 2147483000, 0);
  list.entries[1] = newTicket(5, 11);
  blankEntry(list.entries[1]);
  list.entries[2] = ticket(11, "1111111101", 100, 0);
  list.entries[3] = ticket(11, "1111111101", 200, 0);
  list.count = 4;
  h.open();
  const DayTicketList before = h.list();
  const DayBetTotals totalsBefore = h.totals();
  h.grid()->setCurrentRow(row);
  if (purchase.isEmpty()) {
    h.box("KONYU")->clear();
  } else {
    h.box("KONYU")->setText(purchase);
  }
  h.click("ChgCmd");
  QCOMPARE(h.messages.texts(), QStringList{message});
  QCOMPARE(h.totals(), totalsBefore);
  for (int i = 0; i < 4; ++i) {
    QCOMPARE(recordText(h.list().entries[static_cast<std::size_t>(i)]),
             recordText(before.entries[static_cast<std::size_t>(i)]));
  }
}

// A ticket changed with 変更 reaches the daily entry window and the stores
// as an added one does.
void TestTicketWindow::changedTicketPostedWithTheDay() {
  EntryHarness h;
  putMonth(h.state, 5, {ticket(11, "1111111101", 100, 0), ticket(11, "1111114101", 600, 1800)});
  h.choose("MM", 4);   // ５月
  h.choose("DD", 10);  // １１日
  QVERIFY(h.openTickets());
  h.in<Grid>(h.tickets, "Grid1")->setCurrentRow(2);
  h.clickTicket("KakBtn");
  QLineEdit* purchase = h.in<QLineEdit>(h.tickets, "KONYU");
  purchase->clear();
  QTest::keyClicks(purchase, "700");
  h.clickTicket("ChgCmd");
  h.clickTicket("Command3D1");
  QTRY_VERIFY(h.tickets.isNull());
  QCOMPARE(h.entryBoxes(), (QStringList{"100", "0", "0", "0", "0", "0", "0", "0", "700", "1800",
                                        "0", "0", "0", "0"}));
  QTest::mouseClick(h.in<QPushButton>(h.entry, "ChkCmd"), Qt::LeftButton);
  QTest::mouseClick(h.in<QPushButton>(h.entry, "YesCmd"), Qt::LeftButton);
  QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("データは一時保存されました")});
  const MonthTickets& may = h.state.tickets.month(5);
  QCOMPARE(may.count, 2);
  QCOMPARE(may.slot(1).field(TicketField::BetType), "5");
  QCOMPARE(amount(daySlot(h.state.ledger, 5, 11), Quantity::Stake, BetType::Kak), 700);
  QCOMPARE(amount(daySlot(h.state.ledger, 5, 11), Quantity::Payout, BetType::Kak), 1800);
  QCOMPARE(amount(daySlot(h.state.ledger, 5, 11), Quantity::Stake, BetType::Uma), 0);
}

QTEST_MAIN(TestTicketWindow)
#include "test_ticket_window.moc"
