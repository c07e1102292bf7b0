#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "support/box_answerer.h"
#include "support/scripted_messages.h"
#include "widgets/messages.h"

using namespace tamrel;

Q_DECLARE_METATYPE(tamrel::testdata::BoxAnswerer::Key)

using testdata::BoxAnswerer;

class TestMessages : public QObject {
  Q_OBJECT
 private slots:
  void boxes_data();
  void boxes();
  void scriptedRecordsInOrder();
  void scriptedAnswersFromQueue();
  void scriptedUnexpectedQuestionFails();
  void scriptedClear();
};

// The real boxes, answered with real keys: the caption, the buttons, which
// one has the focus and is the default, and what Escape answers.
void TestMessages::boxes_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<BoxAnswerer::Key>("key");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QStringList>("buttons");
  QTest::addColumn<QString>("pressed");  // empty for Escape
  QTest::addColumn<bool>("answer");
  using K = BoxAnswerer::Key;
  const QStringList ok{QStringLiteral("OK")};
  const QStringList yesNo{QStringLiteral("はい"), QStringLiteral("いいえ")};
  QTest::newRow("error, Return") << "error" << K::Return << kErrorTitle << ok << "OK" << false;
  QTest::newRow("error, Escape") << "error" << K::Escape << kErrorTitle << ok << "" << false;
  QTest::newRow("notice, Space") << "notice" << K::Space << kConfirmTitle << ok << "OK" << false;
  QTest::newRow("notice, Escape") << "notice" << K::Escape << kConfirmTitle << ok << "" << false;
  QTest::newRow("ask, Return") << "ask" << K::Return << kConfirmTitle << yesNo << "はい" << true;
  QTest::newRow("ask, Tab and Space")
      << "ask" << K::TabSpace << kConfirmTitle << yesNo << "いいえ" << false;
  QTest::newRow("ask, Escape") << "ask" << K::Escape << kConfirmTitle << yesNo << "" << false;
}

void TestMessages::boxes() {
  QFETCH(QString, kind);
  QFETCH(BoxAnswerer::Key, key);
  QFETCH(QString, title);
  QFETCH(QStringList, buttons);
  QFETCH(QString, pressed);
  QFETCH(bool, answer);
  QWidget parent;
  parent.show();
  QVERIFY(QTest::qWaitForWindowActive(&parent));
  BoxMessages messages(&parent);
  const QString text = QStringLiteral("終了しますか？");
  BoxAnswerer boxes;
  boxes.expect(key);
  bool result = false;
  if (kind == "error") {
    messages.error(text);
  } else if (kind == "notice") {
    messages.notice(text);
  } else {
    result = messages.ask(text);
  }
  QCOMPARE(boxes.faults(), QStringList{});
  QCOMPARE(boxes.seen().size(), 1);
  const BoxAnswerer::Seen& seen = boxes.seen().front();
  QCOMPARE(seen.title, title);
  QCOMPARE(seen.text, text);
  QCOMPARE(seen.buttons, buttons);
  QVERIFY(seen.modal);
  // The first button is the default and holds the focus: Return answers it.
  QCOMPARE(seen.defaultButton, buttons.front());
  QCOMPARE(seen.focused, buttons.front());
  QCOMPARE(seen.pressed, pressed);
  QCOMPARE(result, answer);
}

void TestMessages::scriptedRecordsInOrder() {
  ScriptedMessages msgs;
  msgs.error(QStringLiteral("すでにウィンドウは開かれています"));
  msgs.answer(true);
  QVERIFY(msgs.ask(QStringLiteral("終了しますか？")));
  msgs.notice(QStringLiteral("データの読み込みが終了しました"));
  QCOMPARE(msgs.count(), 3);
  QCOMPARE(msgs.texts(), (QStringList{QStringLiteral("すでにウィンドウは開かれています"),
                                      QStringLiteral("終了しますか？"),
                                      QStringLiteral("データの読み込みが終了しました")}));
  QCOMPARE(msgs.shown().at(0).title, kErrorTitle);
  QCOMPARE(msgs.shown().at(1).title, kConfirmTitle);
  QCOMPARE(msgs.last(),
           (ShownMessage{kConfirmTitle, QStringLiteral("データの読み込みが終了しました")}));
  QCOMPARE(msgs.questions(), 1);
}

void TestMessages::scriptedAnswersFromQueue() {
  ScriptedMessages msgs;
  msgs.answer({true, false});
  msgs.answer(true);
  QCOMPARE(msgs.pendingAnswers(), 3);
  QCOMPARE(msgs.ask(QStringLiteral("a")), true);
  QCOMPARE(msgs.ask(QStringLiteral("b")), false);
  QVERIFY(!msgs.allAnswersUsed());
  QCOMPARE(msgs.ask(QStringLiteral("c")), true);
  QVERIFY(msgs.allAnswersUsed());
}

void TestMessages::scriptedUnexpectedQuestionFails() {
  ScriptedMessages msgs;
  QEXPECT_FAIL("", "an unscripted question must fail the running test", Continue);
  const bool answer = msgs.ask(QStringLiteral("データ更新しますか？"));
  QCOMPARE(answer, false);
  QCOMPARE(msgs.last().text, QStringLiteral("データ更新しますか？"));
}

void TestMessages::scriptedClear() {
  ScriptedMessages msgs;
  msgs.error(QStringLiteral("x"));
  msgs.answer(true);
  msgs.clear();
  QCOMPARE(msgs.count(), 0);
  QVERIFY(msgs.allAnswersUsed());
  QCOMPARE(msgs.last(), ShownMessage{});
}

QTEST_MAIN(TestMessages)
#include "test_messages.moc"
