// The main window: start-up load and its one-time report, the button rules,
// ﾃﾞｰﾀ初期化, and the exit save, on real files in a temporary directory.

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "entry/entry_window.h"
#include "shell/main_window.h"
#include "store/app_state.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"
#include "support/window_host.h"
#include "widgets/child_window.h"

using namespace tamrel;
using testdata::DataDir;

namespace {

const QString kLedger = QStringLiteral("tosidata.dat");
const QString kTickets = QStringLiteral("info.dat");
const QString kMissing = QStringLiteral("データファイルが存在しません");
const QString kAlreadyOpen = QStringLiteral("すでにウィンドウは開かれています");
const QString kWriteError = QStringLiteral("ファイル書き込みエラー");
const QString kSaveQuestion = QStringLiteral("データ更新しますか？");
const QString kFinishQuestion = QStringLiteral("終了しますか？");

const char* const kWorkingButtons[] = {"Command3D1", "Blowse", "BLOWSENEW", "SSCommand1"};

QPushButton* button(MainWindow& w, const char* name) {
  return w.findChild<QPushButton*>(QString::fromLatin1(name));
}

void click(MainWindow& w, const char* name) {
  QPushButton* b = button(w, name);
  QVERIFY2(b != nullptr, name);
  QTest::mouseClick(b, Qt::LeftButton);
}

bool activate(QWidget& w) {
  w.show();
  w.activateWindow();
  return QTest::qWaitForWindowActive(&w);
}

// The month 5, day 3 slot of a ledger file on disk.
std::optional<BetAmounts> postedDay(const QString& path) {
  auto ledger = std::make_unique<YearLedger>();
  if (loadLedger(*ledger, path.toStdString()) != LoadCode::Ok) return std::nullopt;
  return betAmounts(daySlot(*ledger, 5, 3));
}

// Records what happens to the waiting notice and its panel.
class NoticeWatcher : public QObject {
 public:
  QStringList events;
  QRect shownAt;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return false;
    const bool isNotice = widget->objectName() == QStringLiteral("InitMsg");
    const bool inNotice = widget->window()->objectName() == QStringLiteral("InitMsg");
    if (isNotice && event->type() == QEvent::Show) {
      events << QStringLiteral("show");
      shownAt = widget->frameGeometry();
    } else if (isNotice && event->type() == QEvent::Hide) {
      events << QStringLiteral("hide");
    } else if (inNotice && qobject_cast<QLabel*>(widget) != nullptr &&
               event->type() == QEvent::Paint) {
      if (events.isEmpty() || events.back() != QStringLiteral("paint"))
        events << QStringLiteral("paint");
    }
    return false;
  }
};

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

 private slots:
  void startup_data();
  void startup();
  void waitingNoticeShownDuringLoad();
  void finishAnsweredNoKeepsRunning();
  void exitWithoutChangesWritesNothing();
  void exitAfterPosting_data();
  void exitAfterPosting();
  void failedSaveKeepsRunning_data();
  void failedSaveKeepsRunning();
  void entryOpensOnceAtTopLeft();
  void entryRefusedAfterFailedLoad();
  void browseButtonsRefuseSecondCopy_data();
  void browseButtonsRefuseSecondCopy();
  void initialiseRefusedOrDeclined_data();
  void initialiseRefusedOrDeclined();
  void initialiseThenSave();
};

void TestMainWindow::startup_data() {
  QTest::addColumn<QString>("ledger");   // "good", "eleven" or "" (absent)
  QTest::addColumn<QString>("tickets");  // "good" or "" (absent)
  QTest::addColumn<QString>("message");  // "" for none

  const QString damaged = QStringLiteral("データファイルが破損しています月ﾚｺｰﾄﾞ");
  QTest::newRow("no ledger, tickets present") << ""
                                              << "good" << kMissing;
  QTest::newRow("no files at all") << ""
                                   << "" << kMissing;
  QTest::newRow("ledger without info.dat") << "good"
                                           << "" << kMissing;
  QTest::newRow("eleven month lines") << "eleven"
                                      << "good" << damaged;
  QTest::newRow("good pair") << "good"
                             << "good"
                             << "";
}

void TestMainWindow::startup() {
  QFETCH(QString, ledger);
  QFETCH(QString, tickets);
  QFETCH(QString, message);

  DataDir dir;
  QVERIFY(dir.ok());
  const testdata::SampleFiles files = testdata::sampleFiles();
  if (ledger == "good") QVERIFY(dir.write(kLedger, files.ledger));
  if (ledger == "eleven") QVERIFY(dir.write(kLedger, testdata::elevenMonthLedger()));
  if (tickets == "good") QVERIFY(dir.write(kTickets, files.tickets));

  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  // Nothing is reported before the window is first activated.
  QCOMPARE(msgs.count(), 0);

  auto* notice = w.findChild<QWidget*>(QStringLiteral("InitMsg"));
  QVERIFY(notice != nullptr);
  QVERIFY(!notice->isVisible());
  auto* panel = notice->findChild<QLabel*>();
  QVERIFY(panel != nullptr);
  QCOMPARE(panel->text(), QStringLiteral("データ解析中です。    しばらくお待ち下さい。"));

  const bool loaded = message.isEmpty();
  for (const char* name : kWorkingButtons) {
    QVERIFY2(button(w, name) != nullptr, name);
    QVERIFY2(button(w, name)->isEnabled() == loaded, name);
  }
  QVERIFY(button(w, "Command3D2")->isEnabled());
  QVERIFY(button(w, "Finish")->isEnabled());
  QCOMPARE(w.state().LoadResult == LoadCode::Ok, loaded);

  QVERIFY(activate(w));
  // Activating the window again must not repeat the report.
  QWidget other;
  QVERIFY(activate(other));
  other.hide();
  QVERIFY(activate(w));

  if (loaded) {
    QCOMPARE(msgs.count(), 0);
  } else {
    QCOMPARE(msgs.texts(), QStringList{message});
    QCOMPARE(msgs.last().title, kErrorTitle);
  }
  QVERIFY(!w.startupNoticePending());
}

void TestMainWindow::waitingNoticeShownDuringLoad() {
  DataDir dir;
  QVERIFY(dir.writeSample());
  NoticeWatcher watcher;
  qApp->installEventFilter(&watcher);
  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  qApp->removeEventFilter(&watcher);

  // Shown, painted before the load ran inside the constructor, closed after.
  QCOMPARE(watcher.events, (QStringList{"show", "paint", "hide"}));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QVERIFY(qAbs(watcher.shownAt.center().x() - screen.center().x()) <= 1);
  QVERIFY(qAbs(watcher.shownAt.center().y() - screen.center().y()) <= 1);
  QVERIFY(w.startupNoticePending());  // until the first activation
}

void TestMainWindow::finishAnsweredNoKeepsRunning() {
  DataDir dir;
  QVERIFY(dir.writeSample());
  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  QVERIFY(activate(w));
  QVERIFY(testhost::makeModified(w.session()));

  msgs.answer(false);
  click(w, "Finish");
  QCOMPARE(msgs.texts(), QStringList{kFinishQuestion});
  QVERIFY(w.isVisible());
  QVERIFY(w.state().DataChanged);
}

void TestMainWindow::exitWithoutChangesWritesNothing() {
  DataDir dir;
  QVERIFY(dir.writeSample());
  QVERIFY(dir.backdate());
  const QByteArray ledgerBefore = dir.read(kLedger);
  const QByteArray ticketsBefore = dir.read(kTickets);
  const QDateTime ledgerTime = dir.modified(kLedger);
  const QDateTime ticketTime = dir.modified(kTickets);

  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  QVERIFY(activate(w));
  msgs.answer(true);
  click(w, "Finish");

  QTRY_VERIFY(!w.isVisible());
  QCOMPARE(msgs.texts(), QStringList{kFinishQuestion});
  QCOMPARE(dir.read(kLedger), ledgerBefore);
  QCOMPARE(dir.read(kTickets), ticketsBefore);
  QCOMPARE(dir.modified(kLedger), ledgerTime);
  QCOMPARE(dir.modified(kTickets), ticketTime);
}

void TestMainWindow::exitAfterPosting_data() {
  QTest::addColumn<bool>("save");
  QTest::newRow("いいえ") << false;
  QTest::newRow("はい") << true;
}

void TestMainWindow::exitAfterPosting() {
  QFETCH(bool, save);
  DataDir dir;
  QVERIFY(dir.writeSample());
  QVERIFY(dir.backdate());
  const QByteArray ledgerBefore = dir.read(kLedger);
  const QByteArray ticketsBefore = dir.read(kTickets);
  const QDateTime ledgerTime = dir.modified(kLedger);

  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  QVERIFY(activate(w));

  // What confirming a day in the entry window does: post it, store its
  // tickets, mark the data changed. 3 May: 複勝 600 staked, nothing back;
  // the day's only ticket is replaced by none.
  DataSession& session = w.session();
  BetAmounts baseline;
  QVERIFY(showDay(session.ledger(), baseline, 5, 3).has_value());
  BetAmounts values = baseline;
  values.stake[index(BetType::Fuk)] = 600;
  QCOMPARE(session.postDay(5, 3, values), PostResult::Ok);
  QCOMPARE(session.storeDayTickets(5, 3, DayTicketList{}), TransferResult::Ok);

  msgs.answer({true, save});
  click(w, "Finish");
  QTRY_VERIFY(!w.isVisible());
  QCOMPARE(msgs.texts(), (QStringList{kFinishQuestion, kSaveQuestion}));

  if (!save) {
    QCOMPARE(dir.read(kLedger), ledgerBefore);
    QCOMPARE(dir.read(kTickets), ticketsBefore);
    QCOMPARE(dir.modified(kLedger), ledgerTime);
    return;
  }
  const auto day = postedDay(dir.ledgerPath());
  QVERIFY(day.has_value());
  QCOMPARE(*day, values);
  QCOMPARE(day->stake[index(BetType::Tan)], 1000);
  QCOMPARE(day->payout[index(BetType::Tan)], 2500);
  QCOMPARE(day->stake[index(BetType::Fuk)], 600);
  // The ticket of 3 May is gone: only the header line is left.
  const QByteArray tickets = dir.read(kTickets);
  QCOMPARE(tickets.count("\r\n"), 1);
  QVERIFY(tickets.startsWith("00,00,"));
}

void TestMainWindow::failedSaveKeepsRunning_data() {
  QTest::addColumn<QString>("blocked");  // the file replaced by a directory
  QTest::newRow("tosidata.dat") << kLedger;
  QTest::newRow("info.dat") << kTickets;
}

void TestMainWindow::failedSaveKeepsRunning() {
  QFETCH(QString, blocked);
  DataDir dir;
  QVERIFY(dir.writeSample());

  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  QVERIFY(activate(w));
  const AppState& s = w.state();
  BetAmounts baseline;
  QVERIFY(showDay(s.ledger, baseline, 8, 20).has_value());
  BetAmounts values;
  values.stake[index(BetType::Ren3)] = 3000;
  values.payout[index(BetType::Ren3)] = 45000;
  QCOMPARE(w.session().postDay(8, 20, values), PostResult::Ok);

  // A directory in the file's place defeats every writer, root included.
  QVERIFY(QFile::remove(dir.filePath(blocked)));
  QVERIFY(QDir(dir.path()).mkdir(blocked));

  msgs.answer(true);
  w.close();
  QCOMPARE(msgs.texts(), (QStringList{kSaveQuestion, kWriteError}));
  QCOMPARE(msgs.last().title, kErrorTitle);
  QVERIFY(w.isVisible());
  QVERIFY(s.DataChanged);
  QCOMPARE(betAmounts(daySlot(s.ledger, 8, 20)), std::optional<BetAmounts>(values));

  // Once the cause is gone, the next exit saves everything.
  QVERIFY(QDir(dir.path()).rmdir(blocked));
  msgs.clear();
  msgs.answer(true);
  w.close();
  QCOMPARE(msgs.texts(), QStringList{kSaveQuestion});
  QVERIFY(!w.isVisible());
  const auto onDisk = [&] {
    auto ledger = std::make_unique<YearLedger>();
    const LoadCode code = loadLedger(*ledger, dir.ledgerPath().toStdString());
    return code == LoadCode::Ok ? betAmounts(daySlot(*ledger, 8, 20)) : std::nullopt;
  }();
  QCOMPARE(onDisk, std::optional<BetAmounts>(values));
  auto tickets = std::make_unique<TicketStore>();
  QCOMPARE(loadTickets(*tickets, dir.ticketPath().toStdString()), LoadCode::Ok);
  QCOMPARE(tickets->month(5).count, std::int16_t{1});
}

void TestMainWindow::entryOpensOnceAtTopLeft() {
  DataDir dir;
  QVERIFY(dir.writeSample());
  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  QVERIFY(activate(w));

  click(w, "Command3D1");
  QCOMPARE(msgs.count(), 0);
  QVERIFY(findOpenWindow(w.workArea(), "Finput") != nullptr);
  const QList<QMdiSubWindow*> frames = w.workArea()->subWindowList();
  QCOMPARE(frames.size(), 1);
  QVERIFY(qobject_cast<EntryWindow*>(frames.front()->widget()) != nullptr);
  QCOMPARE(frames.front()->pos(), QPoint(0, 0));

  click(w, "Command3D1");
  QCOMPARE(msgs.texts(), QStringList{kAlreadyOpen});
  QCOMPARE(msgs.last().title, kErrorTitle);
  QCOMPARE(w.workArea()->subWindowList().size(), 1);

  // Closed, it opens again.
  frames.front()->close();
  QTRY_COMPARE(w.workArea()->subWindowList().size(), 0);
  QVERIFY(findOpenWindow(w.workArea(), "Finput") == nullptr);
  msgs.clear();
  click(w, "Command3D1");
  QCOMPARE(msgs.count(), 0);
  QCOMPARE(w.workArea()->subWindowList().size(), 1);
}

void TestMainWindow::entryRefusedAfterFailedLoad() {
  DataDir dir;
  QVERIFY(dir.write(kLedger, testdata::sampleFiles().ledger));  // no info.dat
  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  QVERIFY(activate(w));
  QVERIFY(!button(w, "Command3D1")->isEnabled());
  msgs.clear();

  // The disabled button cannot be clicked; its handler still refuses.
  w.openEntry();
  QCOMPARE(msgs.texts(), QStringList{QStringLiteral("ファイルが破損または存在しません")});
  QCOMPARE(msgs.last().title, kErrorTitle);
  QVERIFY(findOpenWindow(w.workArea(), "Finput") == nullptr);
  QCOMPARE(w.workArea()->subWindowList().size(), 0);
}

void TestMainWindow::browseButtonsRefuseSecondCopy_data() {
  QTest::addColumn<QString>("buttonName");
  QTest::newRow("総合分析") << "Blowse";
  QTest::newRow("統計分析") << "BLOWSENEW";
}

void TestMainWindow::browseButtonsRefuseSecondCopy() {
  QFETCH(QString, buttonName);
  WindowHost host;
  QVERIFY(host.start());
  MainWindow& w = *host.main;
  ScriptedMessages& msgs = host.messages;
  const QByteArray name = buttonName.toLatin1();

  // The other window open does not refuse this one.
  click(w, buttonName == "Blowse" ? "BLOWSENEW" : "Blowse");
  click(w, name.constData());
  QCOMPARE(msgs.count(), 0);

  // A second copy is refused, and the open one comes to the front.
  const QString own =
      buttonName == "Blowse" ? QStringLiteral("Fblowse") : QStringLiteral("FSyosai");
  host.activate(buttonName == "Blowse" ? QStringLiteral("FSyosai") : QStringLiteral("Fblowse"));
  click(w, name.constData());
  QCOMPARE(msgs.texts(), QStringList{kAlreadyOpen});
  QTRY_COMPARE(host.activeName(), own);
  QCOMPARE(host.windows(own).size(), 1);
}

void TestMainWindow::initialiseRefusedOrDeclined_data() {
  QTest::addColumn<QString>("opened");  // the strip button pressed first, if any
  QTest::addColumn<QStringList>("expected");

  const QString refusal = QStringLiteral("他のウィンドウを全て閉じて下さい");
  const QString question = QStringLiteral("データを初期化しますか？");
  QTest::newRow("entry window open") << "Command3D1" << QStringList{refusal};
  QTest::newRow("browse windows open") << "Blowse" << QStringList{refusal};
  QTest::newRow("analysis open") << "BLOWSENEW" << QStringList{refusal};
  QTest::newRow("answered いいえ") << "" << QStringList{question};
}

void TestMainWindow::initialiseRefusedOrDeclined() {
  QFETCH(QString, opened);
  QFETCH(QStringList, expected);

  WindowHost host;
  QVERIFY(host.start());
  MainWindow& w = *host.main;
  ScriptedMessages& msgs = host.messages;
  if (!opened.isEmpty()) click(w, opened.toLatin1().constData());
  const std::string ledgerBefore = ledgerFileText(w.state().ledger);
  const std::string ticketsBefore = ticketFileText(w.state().tickets);

  if (expected.front().endsWith(QStringLiteral("か？"))) msgs.answer(false);
  click(w, "Command3D2");
  QCOMPARE(msgs.texts(), expected);
  // The whole year is at stake: Enter must not answer はい.
  if (opened.isEmpty()) QVERIFY(!msgs.lastDefaultYes());
  QVERIFY(!w.state().DataChanged);
  QCOMPARE(ledgerFileText(w.state().ledger), ledgerBefore);
  QCOMPARE(ticketFileText(w.state().tickets), ticketsBefore);
  for (const char* name : kWorkingButtons) QVERIFY2(button(w, name)->isEnabled(), name);
}

void TestMainWindow::initialiseThenSave() {
  DataDir dir;
  QVERIFY(dir.writeSample());
  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  QVERIFY(activate(w));

  msgs.answer(true);
  click(w, "Command3D2");
  QVERIFY(w.state().DataChanged);
  QVERIFY(!button(w, "Command3D1")->isEnabled());
  QVERIFY(!button(w, "Blowse")->isEnabled());
  QVERIFY(!button(w, "BLOWSENEW")->isEnabled());
  QVERIFY(button(w, "SSCommand1")->isEnabled());
  QVERIFY(button(w, "Command3D2")->isEnabled());
  QVERIFY(button(w, "Finish")->isEnabled());

  // A second initialisation gives the same year.
  msgs.answer(true);
  click(w, "Command3D2");

  msgs.clear();
  msgs.answer({true, true});
  click(w, "Finish");
  QTRY_VERIFY(!w.isVisible());
  QCOMPARE(msgs.texts(), (QStringList{kFinishQuestion, kSaveQuestion}));

  const QByteArray ledger = dir.read(kLedger);
  QCOMPARE(ledger.count("\r\n"), 385);
  QVERIFY(ledger.startsWith("S00,0000000000,"));
  auto fresh = std::make_unique<YearLedger>();
  resetLedger(*fresh);
  QCOMPARE(ledger, QByteArray::fromStdString(ledgerFileText(*fresh)));

  const QByteArray tickets = dir.read(kTickets);
  QCOMPARE(tickets.count("\r\n"), 1);
  QVERIFY(tickets.startsWith("00,00,0,0,0,0,0,0,0000000000,0000000000,0"));
  QCOMPARE(tickets.size(), 52);
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
