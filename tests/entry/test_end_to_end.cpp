// One racing day from an empty year to the files and back: the main window
// opens "収支入力", the day's tickets are entered in "詳細入力", the day is
// confirmed, the program ends with a save, and a new start shows the day.

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "entry/entry_window.h"
#include "entry/ticket_window.h"
#include "shell/main_window.h"
#include "state/app_state.h"
#include "state/data_files.h"
#include "support/gui_actions.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"

using namespace tamrel;
using gui::choose;
using gui::click;
using gui::named;
using testdata::DataDir;

namespace {

bool type(QWidget* parent, const char* name, const QString& keys) {
  if (!click(parent, name)) return false;
  QTest::keyClicks(named(parent, name), keys);
  return named<QLineEdit>(parent, name)->text() == keys;
}

QWidget* activeChild(MainWindow& main) {
  QMdiSubWindow* frame = main.workArea()->activeSubWindow();
  return frame != nullptr ? frame->widget() : nullptr;
}

}  // namespace

class TestEndToEnd : public QObject {
  Q_OBJECT

 private slots:
  void aDayFromEntryToTheFilesAndBack() {
    DataDir dir;
    QVERIFY(dir.ok());
    {
      auto ledger = std::make_unique<YearLedger>();
      auto tickets = std::make_unique<TicketStore>();
      resetYear(*ledger, *tickets);
      QVERIFY(dir.write("tosidata.dat", ledgerFileText(*ledger)));
      QVERIFY(dir.write("info.dat", ticketFileText(*tickets)));
    }

    ScriptedMessages messages;
    auto main = std::make_unique<MainWindow>(messages, dir.path());
    main->show();
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
    QCOMPARE(messages.count(), 0);

    QVERIFY(click(main.get(), "Command3D1"));  // 収支入力
    QWidget* entry = nullptr;
    QTRY_VERIFY((entry = activeChild(*main)) != nullptr);
    QCOMPARE(entry->objectName(), QString("Finput"));
    QVERIFY(choose(entry, "MM", 4));  // ５月
    QVERIFY(choose(entry, "DD", 2));  // ３日

    QVERIFY(click(entry, "SSCommand1"));  // 詳細入力
    QWidget* tickets = nullptr;
    QTRY_VERIFY((tickets = activeChild(*main)) != nullptr && tickets != entry);
    QCOMPARE(tickets->objectName(), QString("jrabaken"));
    // 東京 11R, Sunday; 単勝 1000 paying 2500, then 馬連 500 paying nothing.
    QVERIFY(choose(tickets, "BABA", 5));
    QVERIFY(choose(tickets, "RACE", 10));
    QVERIFY(choose(tickets, "WEEK", 1));
    QVERIFY(click(tickets, "TanBtn"));
    QVERIFY(type(tickets, "KONYU", "1000"));
    QVERIFY(type(tickets, "HAITO", "2500"));
    QVERIFY(click(tickets, "Command3D3"));  // ＯＫ
    QVERIFY(click(tickets, "UmaBtn"));
    QVERIFY(type(tickets, "KONYU", "500"));
    QVERIFY(click(tickets, "Command3D3"));
    QCOMPARE(messages.count(), 0);
    QCOMPARE(qobject_cast<TicketWindow*>(tickets)->dayList().count, 2);
    QVERIFY(click(tickets, "Command3D1"));  // 閉じる

    // Back in the entry window: the ticket totals are the day's amounts.
    QTRY_COMPARE(activeChild(*main), entry);
    QTRY_COMPARE(named<QLineEdit>(entry, "TosiTan")->text(), QString("1000"));
    QCOMPARE(named<QLineEdit>(entry, "HaraiTan")->text(), QString("2500"));
    QCOMPARE(named<QLineEdit>(entry, "TosiUma")->text(), QString("500"));
    QCOMPARE(named<QLineEdit>(entry, "HaraiUma")->text(), QString("0"));
    QCOMPARE(named<QLineEdit>(entry, "TosiKak")->text(), QString("0"));
    QVERIFY(click(entry, "ChkCmd"));
    QCOMPARE(named<QLineEdit>(entry, "GokeiRieki")->text(), QString("1000"));
    QVERIFY(click(entry, "YesCmd"));
    QCOMPARE(messages.texts(), QStringList{"データは一時保存されました"});
    QVERIFY(click(entry, "Command3D1"));  // 閉じる
    QTRY_VERIFY(main->workArea()->subWindowList().isEmpty());

    // 終了, and yes to the save.
    messages.answer({true, true});
    QVERIFY(click(main.get(), "Finish"));
    QCOMPARE(messages.texts(),
             (QStringList{"データは一時保存されました", "終了しますか？", "データ更新しますか？"}));
    QVERIFY(messages.allAnswersUsed());
    QTRY_VERIFY(!main->isVisible());
    main.reset();

    // The ticket file holds the two tickets of 3 May.
    const QByteArray info = dir.read("info.dat");
    QCOMPARE(info.count("\r\n05,03,"), 2);

    // A new start on the same directory shows what was posted.
    ScriptedMessages again;
    auto second = std::make_unique<MainWindow>(again, dir.path());
    second->show();
    QVERIFY(QTest::qWaitForWindowActive(second.get()));
    QCOMPARE(again.count(), 0);
    const AppState& state = second->state();
    BetAmounts posted;
    posted.stake[index(BetType::Tan)] = 1000;
    posted.payout[index(BetType::Tan)] = 2500;
    posted.stake[index(BetType::Uma)] = 500;
    QCOMPARE(betAmounts(daySlot(state.ledger, 5, 3)), std::optional<BetAmounts>(posted));
    QCOMPARE(betAmounts(state.ledger.month(5)), std::optional<BetAmounts>(posted));
    QCOMPARE(betAmounts(state.ledger.year), std::optional<BetAmounts>(posted));
    QCOMPARE(state.ledger.month(5).field(LedgerRecord::kStakeTotalField), 1500);
    QCOMPARE(state.ledger.month(5).field(LedgerRecord::kPayoutTotalField), 2500);
    QCOMPARE(betAmounts(state.ledger.month(4)), std::optional<BetAmounts>(BetAmounts{}));
    DayTicketList day;
    QCOMPARE(loadDayTickets(state.tickets, 5, 3, day), TransferResult::Ok);
    QCOMPARE(day.count, 2);
    QCOMPARE(day.entries[0].field(TicketField::Purchase), std::string_view("0000001000"));
    QCOMPARE(day.entries[0].field(TicketField::Payout), std::string_view("0000002500"));
    QCOMPARE(day.entries[1].field(TicketField::BetType), std::string_view("4"));

    // And the entry window shows the day as it was confirmed.
    QVERIFY(click(second.get(), "Command3D1"));
    QWidget* reopened = nullptr;
    QTRY_VERIFY((reopened = activeChild(*second)) != nullptr);
    QVERIFY(choose(reopened, "MM", 4));
    QVERIFY(choose(reopened, "DD", 2));
    QCOMPARE(named<QLineEdit>(reopened, "TosiTan")->text(), QString("1000"));
    QCOMPARE(named<QLineEdit>(reopened, "HaraiTan")->text(), QString("2500"));
    QCOMPARE(named<QLineEdit>(reopened, "RituTan")->text(), QString("250.00%"));
    QCOMPARE(named<QLineEdit>(reopened, "GokeiTosi")->text(), QString("1500"));
    QCOMPARE(named<QLineEdit>(reopened, "GokeiRitu")->text(), QString("166.67%"));
  }
};

QTEST_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
