// The program's own message boxes, not the scripted double: the start-up
// report, 終了 with its save question, and a refusal, each answered with
// the keys a user would press.

#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "shell/main_window.h"
#include "store/app_state.h"
#include "support/box_answerer.h"
#include "support/main_window_data_dir.h"
#include "support/window_host.h"
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

// The main window on a data directory, shown and active, with the real
// boxes.
struct Program {
  DataDir dir;
  BoxMessages messages{nullptr};
  std::unique_ptr<MainWindow> window;

  bool start() {
    if (!dir.writeSample()) return false;
    window = std::make_unique<MainWindow>(messages, dir.path());
    window->show();
    return QTest::qWaitForWindowActive(window.get());
  }
};

// The one box that came up: its caption, text and buttons.
void oneBox(const BoxAnswerer& boxes, const QString& title, const QString& text,
            const QStringList& buttons) {
  QCOMPARE(boxes.faults(), QStringList{});
  QCOMPARE(boxes.seen().size(), 1);
  const BoxAnswerer::Seen& seen = boxes.seen().front();
  QCOMPARE(seen.title, title);
  QCOMPARE(seen.text, text);
  QCOMPARE(seen.buttons, buttons);
  QCOMPARE(seen.defaultButton, buttons.front());
  QVERIFY(seen.modal);
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
  void initialiseAnsweredByEnterKeepsTheYear();
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
  oneBox(boxes, kErrorTitle, QStringLiteral("データファイルが存在しません"), kOk);
  if (QTest::currentTestFailed()) return;
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
  Program p;
  QVERIFY(p.start());
  BoxAnswerer boxes;
  boxes.expect(key);
  click(*p.window, "Finish");
  oneBox(boxes, kConfirmTitle, QStringLiteral("終了しますか？"), kYesNo);
  if (QTest::currentTestFailed()) return;
  QCOMPARE(boxes.seen().front().focused, QStringLiteral("はい"));
  QCOMPARE(boxes.seen().front().pressed, pressed);
  // Nothing was changed: no save question follows.
  QTRY_COMPARE(p.window->isVisible(), !ends);
  QVERIFY(boxes.allAnswered());
}

// 終了 → はい, then データ更新しますか？ → いいえ: the program ends and
// writes nothing.
void TestRealBoxes::saveQuestionAnsweredNo() {
  Program p;
  QVERIFY(p.start());
  const DataDir& dir = p.dir;
  QVERIFY(dir.backdate());
  const QDateTime ledgerTime = dir.modified(QStringLiteral("tosidata.dat"));
  const QDateTime ticketTime = dir.modified(QStringLiteral("info.dat"));
  QVERIFY(testhost::makeModified(p.window->session()));
  BoxAnswerer boxes;
  boxes.expect(BoxAnswerer::Key::Return);
  boxes.expect(BoxAnswerer::Key::TabSpace);
  click(*p.window, "Finish");
  QTRY_VERIFY(!p.window->isVisible());
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
  Program p;
  QVERIFY(p.start());
  MainWindow& w = *p.window;
  BoxAnswerer boxes;
  click(w, "Command3D1");
  QCOMPARE(w.workArea()->subWindowList().size(), 1);
  boxes.expect(BoxAnswerer::Key::Space);
  click(w, "Command3D1");
  oneBox(boxes, kErrorTitle, QStringLiteral("すでにウィンドウは開かれています"), kOk);
  if (QTest::currentTestFailed()) return;
  QCOMPARE(boxes.seen().front().pressed, QStringLiteral("OK"));
  QCOMPARE(w.workArea()->subWindowList().size(), 1);
  QVERIFY(w.isVisible());
}

// ﾃﾞｰﾀ初期化 offers いいえ first: Enter keeps the year.
void TestRealBoxes::initialiseAnsweredByEnterKeepsTheYear() {
  Program p;
  QVERIFY(p.start());
  const std::string ledger = ledgerFileText(p.window->state().ledger);
  BoxAnswerer boxes;
  boxes.expect(BoxAnswerer::Key::Return);
  click(*p.window, "Command3D2");
  QCOMPARE(boxes.faults(), QStringList{});
  QCOMPARE(boxes.seen().size(), 1);
  const BoxAnswerer::Seen& seen = boxes.seen().front();
  QCOMPARE(seen.text, QStringLiteral("データを初期化しますか？"));
  QCOMPARE(seen.buttons, kYesNo);
  QCOMPARE(seen.defaultButton, QStringLiteral("いいえ"));
  QCOMPARE(seen.pressed, QStringLiteral("いいえ"));
  QVERIFY(!p.window->session().isModified());
  QCOMPARE(ledgerFileText(p.window->state().ledger), ledger);
  QVERIFY(p.window->findChild<QPushButton*>(QStringLiteral("Command3D1"))->isEnabled());
}

QTEST_MAIN(TestRealBoxes)
#include "test_real_boxes.moc"
