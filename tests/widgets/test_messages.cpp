#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "support/scripted_messages.h"
#include "widgets/messages.h"

using namespace tamrel;

namespace {

struct SeenBox {
  QString title;
  QString text;
  QStringList buttons;
  Qt::WindowModality modality = Qt::NonModal;
};

// Waits (inside the box's own event loop) for the message box to be the
// active modal widget, records it and presses the button captioned `press`,
// or Escape when `press` is empty.
void answerNextBox(SeenBox& seen, const QString& press) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, &seen, press, triesLeft = 500]() mutable {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
      if (--triesLeft <= 0) poll->deleteLater();
      return;
    }
    poll->stop();
    poll->deleteLater();
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.modality = box->windowModality();
    QAbstractButton* target = nullptr;
    for (QAbstractButton* button : box->buttons()) {
      seen.buttons.append(button->text());
      if (button->text() == press) target = button;
    }
    if (target != nullptr) {
      QTest::mouseClick(target, Qt::LeftButton);
    } else if (press.isEmpty()) {
      QTest::keyClick(box, Qt::Key_Escape);
    } else {
      box->done(0);  // unknown caption: end the box so the test can fail
    }
  });
  poll->start();
}

}  // namespace

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

void TestMessages::boxes_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("press");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QStringList>("buttons");
  QTest::addColumn<bool>("answer");
  const QStringList ok{QStringLiteral("OK")};
  const QStringList yesNo{QStringLiteral("はい"), QStringLiteral("いいえ")};
  QTest::newRow("error") << "error"
                         << "OK" << kErrorTitle << ok << false;
  QTest::newRow("notice") << "notice"
                          << "OK" << kConfirmTitle << ok << false;
  QTest::newRow("ask, はい") << "ask"
                             << "はい" << kConfirmTitle << yesNo << true;
  QTest::newRow("ask, いいえ") << "ask"
                               << "いいえ" << kConfirmTitle << yesNo << false;
  QTest::newRow("ask, Escape") << "ask"
                               << "" << kConfirmTitle << yesNo << false;
}

void TestMessages::boxes() {
  QFETCH(QString, kind);
  QFETCH(QString, press);
  QFETCH(QString, title);
  QFETCH(QStringList, buttons);
  QFETCH(bool, answer);
  QWidget parent;
  parent.show();
  QVERIFY(QTest::qWaitForWindowExposed(&parent));
  BoxMessages messages(&parent);
  const QString text = QStringLiteral("終了しますか？");
  SeenBox seen;
  answerNextBox(seen, press);
  bool result = false;
  if (kind == "error") {
    messages.error(text);
  } else if (kind == "notice") {
    messages.notice(text);
  } else {
    result = messages.ask(text);
  }
  QCOMPARE(seen.title, title);
  QCOMPARE(seen.text, text);
  QStringList sortedSeen = seen.buttons;
  QStringList sortedExpected = buttons;
  sortedSeen.sort();
  sortedExpected.sort();
  QCOMPARE(sortedSeen, sortedExpected);
  QCOMPARE(seen.modality, Qt::ApplicationModal);
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
