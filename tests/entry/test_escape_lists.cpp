// Escape with a drop-down list open, under a real X server: the key goes to
// the list's popup as the window system delivers it, and the focus comes
// back to the window when the list closes.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include "cross/cross_window.h"
#include "entry/entry_window.h"
#include "ledger/ledger_init.h"
#include "state/data_session.h"
#include "support/scripted_messages.h"
#include "support/session_access.h"
#include "trend/trend_window.h"

using namespace tamrel;

class TestEscapeLists : public QObject {
  Q_OBJECT
 private slots:
  // Escape closes the open list and only the list: the window stays, and
  // 詳細入力 hands nothing to the day. The next Escape is the window's.
  void escapeClosesOnlyTheOpenList_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("list");  // empty: the window's first list
    QTest::newRow("収支入力, 日") << "Finput"
                                  << "DD";
    QTest::newRow("詳細入力, 場名") << "jrabaken"
                                    << "BABA";
    QTest::newRow("収支推移") << "Trend"
                              << "";
    QTest::newRow("クロス分析") << "Cross"
                                << "";
  }

  void escapeClosesOnlyTheOpenList() {
    QFETCH(QString, window);
    QFETCH(QString, list);
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(1000, 760);
    DataSession session;
    AppState& stored = DataSessionTestAccess::state(session);
    resetYear(stored.ledger, stored.tickets);
    BetAmounts baseline;
    BetAmounts day;
    day.stake[0] = 1000;
    QCOMPARE(postDay(stored.ledger, baseline, 3, 5, day), PostResult::Ok);
    ScriptedMessages messages;
    auto* entry = new EntryWindow(session, messages);
    openChildWindow(*area, entry);
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    for (auto [name, index] : {std::pair{"MM", 2}, std::pair{"DD", 4}}) {
      auto* date = entry->findChild<QComboBox*>(name);
      date->setCurrentIndex(index);
      emit date->activated(index);
    }
    auto* stake = entry->findChild<QLineEdit*>("TosiTan");
    if (window == "jrabaken")
      QTest::mouseClick(entry->findChild<QWidget*>("SSCommand1"), Qt::LeftButton);
    if (window == "Trend") openChildWindow(*area, new TrendWindow(session, messages));
    if (window == "Cross") openChildWindow(*area, new CrossWindow(session, messages));
    QPointer<ChildWindow> target = findOpenWindow(area, window);
    QVERIFY(target != nullptr);
    QTRY_COMPARE(area->activeSubWindow(), target->subWindow());
    auto* combo =
        list.isEmpty() ? target->findChild<QComboBox*>() : target->findChild<QComboBox*>(list);
    combo->setFocus();
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    QTest::keyClick(combo->view()->window()->windowHandle(), Qt::Key_Escape);
    QTRY_VERIFY(!combo->view()->isVisible());
    QCOMPARE(findOpenWindow(area, window), target.data());
    QCOMPARE(stake->text(), QString("1000"));
    QTRY_COMPARE(QApplication::focusWidget(), combo);
    QTest::keyClick(combo, Qt::Key_Escape);
    QTRY_VERIFY(findOpenWindow(area, window) == nullptr);
    if (window != "Finput") QCOMPARE(stake->text(), QString("1000"));
    QCOMPARE(messages.count(), 0);
  }
};

QTEST_MAIN(TestEscapeLists)
#include "test_escape_lists.moc"
