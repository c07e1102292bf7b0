// 収支入力 opened from the main window: where it starts in a run.

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "detail/ticket_records.h"
#include "ledger/ledger_records.h"
#include "store/data_files.h"
#include "support/gui_actions.h"
#include "support/window_host.h"

using namespace tamrel;

class TestEntryReopen : public QObject {
  Q_OBJECT

  // The year as the test wants it: amounts on 5 March and 2 June, and 9
  // June holding a ticket only.
  static void writeYear(AppState& stored) {
    resetYear(stored.ledger, stored.tickets);
    for (const auto& [month, day, stake] : {std::tuple{3, 5, 1000}, {6, 2, 300}}) {
      BetAmounts baseline;
      BetAmounts amounts;
      amounts.stake[0] = stake;
      (void)postDay(stored.ledger, baseline, month, day, amounts);
    }
    MonthTickets& june = stored.tickets.month(6);
    june.slot(0) = newTicket(6, 9);
    june.count = 1;
    june.slot(1).markBlank();
  }

  static int shownDay(QWidget* entry) {
    const auto* mm = entry->findChild<QComboBox*>(QStringLiteral("MM"));
    const auto* dd = entry->findChild<QComboBox*>(QStringLiteral("DD"));
    return mm->currentIndex() < 0 || dd->currentIndex() < 0
               ? 0
               : (mm->currentIndex() + 1) * 100 + dd->currentIndex() + 1;
  }

 private slots:
  void reopensOnItsLastDay() {
    WindowHost host;
    QVERIFY(host.start());
    writeYear(host.data());
    QVERIFY(host.press({}, QStringLiteral("Command3D1")));
    QWidget* entry = host.window(QStringLiteral("Finput"));
    QVERIFY(entry != nullptr);
    // First time in the run: the latest day holding data, a ticket only.
    QCOMPARE(shownDay(entry), 609);

    QVERIFY(gui::choose(entry, QStringLiteral("MM"), 2));
    QVERIFY(gui::choose(entry, QStringLiteral("DD"), 4));
    QVERIFY(host.press(QStringLiteral("Finput"), QStringLiteral("Command3D1")));
    QTRY_VERIFY(!host.isOpen(QStringLiteral("Finput")));

    QVERIFY(host.press({}, QStringLiteral("Command3D1")));
    entry = host.window(QStringLiteral("Finput"));
    QVERIFY(entry != nullptr);
    QCOMPARE(shownDay(entry), 305);
    QCOMPARE(entry->findChild<QLineEdit*>(QStringLiteral("TosiTan"))->text(),
             QStringLiteral("1000"));
    QVERIFY(host.messages.texts().isEmpty());
  }
};

QTEST_MAIN(TestEntryReopen)
#include "test_entry_reopen.moc"
