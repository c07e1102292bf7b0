// The program's own message boxes, not the scripted double: the start-up
// report, 終了 with its save question, and a refusal, each answered with
// the keys a user would press.

#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "shell/main_window.h"
#include "state/app_state.h"
#include "support/box_answerer.h"
#include "support/main_window_data_dir.h"
#include "widgets/messages.h"

using namespace tamrel;
using testdata::BoxAnswerer;
using testdata::DataDir;

Q_DECLARE_METATYPE(tamrel::testdata::BoxAnswerer::Key)

namespace {

const QStringList kOk{QStringLiteral("OK")};
const QStringList kYesNo{QStringLiteral("はい"), QStringLiteral("いいえ")};

void click(MainWindow& w, const char* name) {
  QTest::mouseClick(w.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
}

}  // namespace

class TestRealBoxes : public QObject {
  Q_OBJECT
 private slots:
  void loadFailureReportedOnce_data();
  void loadFailureReportedOnce();
  void finish_data();
  void finish();
  void saveQuestionAnsweredNo();
  void secondEntryWindowRefused();
};

void TestRealBoxes::loadFailureReportedOnce_data() {
  QTest::addColumn<BoxAnswerer::Key>("key");
  QTest::newRow("Return") << BoxAnswerer::Key::Return;
  QTest::newRow("Escape") << BoxAnswerer::Key::Escape;
}

void TestRealBoxes::loadFailureReportedOnce() {
  QFETCH(BoxAnswerer::Key, key);
  DataDir dir;  // no files at all
  QVERIFY(dir.ok());
  BoxMessages messages(nullptr);
  MainWindow w(messages, dir.path());
  BoxAnswerer boxes;
  boxes.expect(key);
  w.show();
  QTRY_COMPARE(boxes.seen().size(), 1);
  const BoxAnswerer::Seen& seen = boxes.seen().front();
  QCOMPARE(seen.title, kErrorTitle);
  QCOMPARE(seen.text, QStringLiteral("データファイルが存在しません"));
  QCOMPARE(seen.buttons, kOk);
  QCOMPARE(seen.defaultButton, QStringLiteral("OK"));
  QVERIFY(seen.modal);
  QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("Command3D1"))->isEnabled());

  // Back in the main window after another window: reported once only.
  QWidget other;
  other.show();
  QVERIFY(QTest::qWaitForWindowActive(&other));
  other.hide();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  QCOMPARE(boxes.faults(), QStringList{});
  QCOMPARE(boxes.seen().size(), 1);
}

void TestRealBoxes::finish_data() {
  QTest::addColumn<BoxAnswerer::Key>("key");
  QTest::addColumn<QString>("pressed");
  QTest::addColumn<bool>("ends");
  QTest::newRow("Return: はい") << BoxAnswerer::Key::Return << "はい" << true;
  QTest::newRow("Tab, Space: いいえ") << BoxAnswerer::Key::TabSpace << "いいえ" << false;
  QTest::newRow("Escape") << BoxAnswerer::Key::Escape << "" << false;
}

void TestRealBoxes::finish() {
  QFETCH(BoxAnswerer::Key, key);
  QFETCH(QString, pressed);
  QFETCH(bool, ends);
  DataDir dir;
  QVERIFY(dir.writeSample());
  BoxMessages messages(nullptr);
  MainWindow w(messages, dir.path());
  w.show();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  BoxAnswerer boxes;
  boxes.expect(key);
  click(w, "Finish");
  QCOMPARE(boxes.faults(), QStringList{});
  QCOMPARE(boxes.seen().size(), 1);
  const BoxAnswerer::Seen& seen = boxes.seen().front();
  QCOMPARE(seen.title, kConfirmTitle);
  QCOMPARE(seen.text, QStringLiteral("終了しますか？"));
  QCOMPARE(seen.buttons, kYesNo);
  QCOMPARE(seen.defaultButton, QStringLiteral("はい"));
  QCOMPARE(seen.focused, QStringLiteral("はい"));
  QCOMPARE(seen.pressed, pressed);
  // Nothing was changed: no save question follows.
  QTRY_COMPARE(w.isVisible(), !ends);
  QVERIFY(boxes.allAnswered());
}

// 終了 → はい, then データ更新しますか？ → いいえ: the program ends and
// writes nothing.
void TestRealBoxes::saveQuestionAnsweredNo() {
  DataDir dir;
  QVERIFY(dir.writeSample());
  QVERIFY(dir.backdate());
  const QDateTime ledgerTime = dir.modified(QStringLiteral("tosidata.dat"));
  const QDateTime ticketTime = dir.modified(QStringLiteral("info.dat"));
  BoxMessages messages(nullptr);
  MainWindow w(messages, dir.path());
  w.show();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  w.state().DataChanged = true;
  BoxAnswerer boxes;
  boxes.expect(BoxAnswerer::Key::Return);
  boxes.expect(BoxAnswerer::Key::TabSpace);
  click(w, "Finish");
  QTRY_VERIFY(!w.isVisible());
  QCOMPARE(boxes.faults(), QStringList{});
  QCOMPARE(boxes.seen().size(), 2);
  const BoxAnswerer::Seen& save = boxes.seen().back();
  QCOMPARE(save.title, kConfirmTitle);
  QCOMPARE(save.text, QStringLiteral("データ更新しますか？"));
  QCOMPARE(save.buttons, kYesNo);
  QCOMPARE(save.pressed, QStringLiteral("いいえ"));
  QCOMPARE(dir.modified(QStringLiteral("tosidata.dat")), ledgerTime);
  QCOMPARE(dir.modified(QStringLiteral("info.dat")), ticketTime);
}

void TestRealBoxes::secondEntryWindowRefused() {
  DataDir dir;
  QVERIFY(dir.writeSample());
  BoxMessages messages(nullptr);
  MainWindow w(messages, dir.path());
  w.show();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  BoxAnswerer boxes;
  click(w, "Command3D1");
  QCOMPARE(w.workArea()->subWindowList().size(), 1);
  boxes.expect(BoxAnswerer::Key::Space);
  click(w, "Command3D1");
  QCOMPARE(boxes.faults(), QStringList{});
  QCOMPARE(boxes.seen().size(), 1);
  const BoxAnswerer::Seen& seen = boxes.seen().front();
  QCOMPARE(seen.title, kErrorTitle);
  QCOMPARE(seen.text, QStringLiteral("すでにウィンドウは開かれています"));
  QCOMPARE(seen.buttons, kOk);
  QCOMPARE(seen.pressed, QStringLiteral("OK"));
  QCOMPARE(w.workArea()->subWindowList().size(), 1);
  QVERIFY(w.isVisible());
}

QTEST_MAIN(TestRealBoxes)
#include "test_real_boxes.moc"
