// ﾃﾞｰﾀ入れ替え through the main window: the save offered before the switch,
// the refusals, the tree, and what 完了 loads and where later saves go; on
// real files in temporary directories.

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <memory>

#include "entry/entry_window.h"
#include "shell/main_window.h"
#include "store/app_state.h"
#include "support/dir_tree.h"
#include "support/gui_actions.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"
#include "support/window_host.h"
#include "switch/switch_window.h"
#include "widgets/child_window.h"

using namespace tamrel;
using gui::click;
using gui::named;
using testdata::DataDir;

namespace {

const QString kUpdateQuestion = QStringLiteral("元のデータを更新しますか？");
const QString kLoaded = QStringLiteral("データの読み込みが終了しました");
const QString kMissing = QStringLiteral("データファイルが存在しません");
const QString kDamagedMonths = QStringLiteral("データファイルが破損しています月ﾚｺｰﾄﾞ");
const QString kCloseOthers = QStringLiteral("他のウィンドウを全て閉じて下さい");
const QString kWriteError = QStringLiteral("ファイル書き込みエラー");
const QString kFinishQuestion = QStringLiteral("終了しますか？");
const QString kSaveQuestion = QStringLiteral("データ更新しますか？");

const char* const kWorkingButtons[] = {"Command3D1", "Blowse", "BLOWSENEW", "SSCommand1"};

QString native(const QString& path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }

// The sample year with one more posted day, 7 July: 馬連 2000 staked, 9000
// paid.
testdata::SampleFiles otherYear() {
  auto ledger = std::make_unique<YearLedger>();
  auto tickets = std::make_unique<TicketStore>();
  testdata::fillSampleYear(*ledger, *tickets);
  BetAmounts values;
  values.stake[index(BetType::Uma)] = 2000;
  values.payout[index(BetType::Uma)] = 9000;
  BetAmounts baseline;
  (void)postDay(*ledger, baseline, 7, 7, values);
  return {ledgerFileText(*ledger), ticketFileText(*tickets)};
}

// Every file of a directory with its bytes: any write shows.
QMap<QString, QByteArray> snapshot(const QString& path) {
  QMap<QString, QByteArray> files;
  const QDir dir(path);
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
    QFile f(dir.filePath(name));
    files.insert(name, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?"));
  }
  return files;
}

// What confirming a day in the entry window does: 3 May gets 複勝 600 on
// top of the sample, its ticket is replaced by none, the data is changed.
BetAmounts postChange(DataSession& s) {
  BetAmounts baseline;
  (void)showDay(s.ledger(), baseline, 5, 3);
  BetAmounts values = baseline;
  values.stake[index(BetType::Fuk)] += 600;
  if (s.postDay(5, 3, values) != PostResult::Ok) return {};
  (void)s.storeDayTickets(5, 3, DayTicketList{});
  return values;
}

std::optional<BetAmounts> dayOnDisk(const QString& dir, int month, int day) {
  auto ledger = std::make_unique<YearLedger>();
  const std::filesystem::path path = std::filesystem::path(dir.toStdString()) / "tosidata.dat";
  if (loadLedger(*ledger, path) != LoadCode::Ok) return std::nullopt;
  return betAmounts(daySlot(*ledger, month, day));
}

class WorkingDirectory {
 public:
  explicit WorkingDirectory(const QString& path) : ok_(QDir::setCurrent(path)) {}
  ~WorkingDirectory() { QDir::setCurrent(saved_); }
  bool ok() const { return ok_; }

 private:
  QString saved_ = QDir::currentPath();
  bool ok_;
};

// The program started on the sample files of a temporary directory, whose
// subdirectory "next" holds another year.
struct Session : WindowHost {
  ScriptedMessages& msgs = messages;

  // With `fromWorkingDir` the program is started as a user starts it: on
  // the bare file names of the working directory.
  bool start(bool fromWorkingDir = false) {
    if (!dir.writeSample() || !QDir(dir.path()).mkdir(QStringLiteral("next"))) return false;
    const testdata::SampleFiles next = otherYear();
    if (!dir.write("next/tosidata.dat", next.ledger) || !dir.write("next/info.dat", next.tickets)) {
      return false;
    }
    if (!fromWorkingDir) return WindowHost::start(false);
    main = std::make_unique<MainWindow>(msgs, QString());
    main->show();
    main->activateWindow();
    return QTest::qWaitForWindowActive(main.get());
  }
  QString path(const QString& relative) const { return dir.filePath(relative); }

  QPushButton* button(const char* name) const { return named<QPushButton>(main.get(), name); }
  // The switch window, unless it has been closed.
  SwitchWindow* switchWindow() const {
    for (auto* window : main->findChildren<SwitchWindow*>()) {
      if (window->subWindow() != nullptr && !window->subWindow()->isHidden()) return window;
    }
    return nullptr;
  }
  bool openSwitch() {
    if (!click(main.get(), "SSCommand1")) return false;
    return switchWindow() != nullptr;
  }
  bool chooseInTree(const QString& path) {
    return testdata::clickInTree(named<QTreeView>(switchWindow(), "DirList"), path);
  }
  bool complete() { return click(switchWindow(), "YesCmd"); }
  bool switchClosed() const {
    return QTest::qWaitFor([this] { return main->findChild<SwitchWindow*>() == nullptr; });
  }
};

}  // namespace

class TestDataSwitch : public QObject {
  Q_OBJECT

 private slots:
  void noChangesAsksNothing() {
    Session s;
    QVERIFY(s.start());
    QVERIFY(s.dir.backdate());
    const QDateTime ledgerTime = s.dir.modified("tosidata.dat");

    QVERIFY(s.openSwitch());
    QCOMPARE(s.msgs.count(), 0);
    SwitchWindow* window = s.switchWindow();
    QCOMPARE(window->subWindow()->pos(), QPoint(0, 0));
    QCOMPARE(named<QLineEdit>(window, "Text1")->text(), native(s.dir.path()));
    QCOMPARE(s.dir.modified("tosidata.dat"), ledgerTime);
  }

  void saveOfferedBeforeSwitch_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("はい") << true;
    QTest::newRow("いいえ") << false;
  }

  void saveOfferedBeforeSwitch() {
    QFETCH(bool, save);
    Session s;
    QVERIFY(s.start());
    const QMap<QString, QByteArray> before = snapshot(s.dir.path());
    const BetAmounts posted = postChange(s.main->session());

    s.msgs.answer(save);
    QVERIFY(s.openSwitch());
    QCOMPARE(s.msgs.texts(), QStringList{kUpdateQuestion});
    QCOMPARE(s.msgs.last().title, kConfirmTitle);
    if (save) {
      QCOMPARE(dayOnDisk(s.dir.path(), 5, 3), std::optional<BetAmounts>(posted));
      QCOMPARE(s.dir.read("info.dat").count("\r\n"), 1);  // the header only
      // What is on disk is what is in memory: the exit has nothing to ask.
      QVERIFY(!s.main->state().DataChanged);
    } else {
      QCOMPARE(snapshot(s.dir.path()), before);
      QVERIFY(s.main->state().DataChanged);
    }
  }

  void failedSaveKeepsOldDirectory_data() {
    QTest::addColumn<QString>("blocked");  // the file replaced by a directory
    QTest::addColumn<QString>("reason");   // the message's informative text
    QTest::newRow("tosidata.dat")
        << "tosidata.dat"
        << QStringLiteral("tosidata.dat: 通常のファイルではありません(フォルダなど)");
    QTest::newRow("info.dat") << "info.dat"
                              << QStringLiteral(
                                     "info.dat: 通常のファイルではありません(フォルダなど)\n"
                                     "(tosidata.dat は保存されました)");
  }

  void failedSaveKeepsOldDirectory() {
    QFETCH(QString, blocked);
    QFETCH(QString, reason);
    Session s;
    QVERIFY(s.start());
    const AppState& state = s.main->state();
    const BetAmounts posted = postChange(s.main->session());
    // A directory in the file's place defeats every writer, root included.
    QVERIFY(QFile::remove(s.path(blocked)));
    QVERIFY(QDir(s.dir.path()).mkdir(blocked));

    s.msgs.answer(true);
    QVERIFY(click(s.main.get(), "SSCommand1"));
    QCOMPARE(s.msgs.texts(), (QStringList{kUpdateQuestion, kWriteError}));
    QCOMPARE(s.msgs.last().title, kErrorTitle);
    QCOMPARE(s.msgs.lastDetail(), reason);
    QVERIFY(s.switchWindow() == nullptr);
    QVERIFY(s.main->workArea()->subWindowList().isEmpty());
    QCOMPARE(QString::fromStdString(state.DataDir), s.dir.path());
    QVERIFY(state.DataChanged);
    QCOMPARE(betAmounts(daySlot(state.ledger, 5, 3)), std::optional<BetAmounts>(posted));
    for (const char* name : kWorkingButtons) QVERIFY2(s.button(name)->isEnabled(), name);
  }

  void cancelAfterMovingChangesNothing_data() {
    QTest::addColumn<bool>("changed");  // posted before, the save declined
    QTest::newRow("no changes") << false;
    QTest::newRow("changes kept in memory") << true;
  }

  void cancelAfterMovingChangesNothing() {
    QFETCH(bool, changed);
    Session s;
    QVERIFY(s.start());
    const AppState& state = s.main->state();
    if (changed) {
      (void)postChange(s.main->session());
      s.msgs.answer(false);
    }
    const std::string ledger = ledgerFileText(state.ledger);
    const std::string tickets = ticketFileText(state.tickets);
    const QMap<QString, QByteArray> files = snapshot(s.dir.path());

    QVERIFY(s.openSwitch());
    QVERIFY(s.chooseInTree(s.path("next")));
    QVERIFY(s.chooseInTree(QFileInfo(s.dir.path()).path()));  // up to the parent
    QVERIFY(click(s.switchWindow(), "NoCmd"));
    QVERIFY(s.switchClosed());

    QCOMPARE(s.msgs.count(), changed ? 1 : 0);
    QCOMPARE(QString::fromStdString(state.DataDir), s.dir.path());
    QCOMPARE(ledgerFileText(state.ledger), ledger);
    QCOMPARE(ticketFileText(state.tickets), tickets);
    QCOMPARE(state.DataChanged, changed);
    QCOMPARE(state.LoadResult, LoadCode::Ok);
    for (const char* name : kWorkingButtons) QVERIFY2(s.button(name)->isEnabled(), name);
    QCOMPARE(snapshot(s.dir.path()), files);
  }

  void switchToValidDirectory_data() {
    QTest::addColumn<bool>("fromWorkingDir");
    QTest::newRow("started on a directory") << false;
    QTest::newRow("started in the working directory") << true;
  }

  void switchToValidDirectory() {
    QFETCH(bool, fromWorkingDir);
    Session s;
    std::unique_ptr<WorkingDirectory> cwd;
    if (fromWorkingDir) {
      cwd = std::make_unique<WorkingDirectory>(s.dir.path());
      QVERIFY(cwd->ok());
    }
    QVERIFY(s.start(fromWorkingDir));
    QVERIFY(s.dir.backdate());
    const QMap<QString, QByteArray> oldFiles = snapshot(s.dir.path());
    const QDateTime oldLedgerTime = s.dir.modified("tosidata.dat");
    const AppState& state = s.main->state();
    QCOMPARE(state.DataDirSwitched, !fromWorkingDir);

    QVERIFY(s.openSwitch());
    // Not switched yet, the tree starts in the working directory.
    QCOMPARE(named<QLineEdit>(s.switchWindow(), "Text1")->text(), native(s.dir.path()));
    QVERIFY(s.chooseInTree(s.path("next")));
    // Windows that follow the data hear of the new year once.
    QSignalSpy loaded(&s.session(), &DataSession::dataLoaded);
    QSignalSpy reset(&s.session(), &DataSession::yearReset);
    QVERIFY(s.complete());
    QCOMPARE(loaded.count(), 1);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(s.msgs.texts(), QStringList{kLoaded});
    QCOMPARE(s.msgs.last().title, kConfirmTitle);
    QVERIFY(s.switchClosed());

    QVERIFY(state.DataDirSwitched);
    QCOMPARE(QString::fromStdString(state.DataDir), native(s.path("next")));
    QCOMPARE(state.ledgerPath(),
             std::filesystem::path(s.path("next").toStdString()) / "tosidata.dat");
    QCOMPARE(state.LoadResult, LoadCode::Ok);
    QVERIFY(!state.DataChanged);
    QTRY_VERIFY(s.openNames().isEmpty());
    const testdata::SampleFiles next = otherYear();
    QCOMPARE(ledgerFileText(state.ledger), next.ledger);
    QCOMPARE(ticketFileText(state.tickets), next.tickets);
    for (const char* name : kWorkingButtons) QVERIFY2(s.button(name)->isEnabled(), name);

    // The next exit with changes writes both files there, and only there.
    const BetAmounts posted = postChange(s.main->session());
    s.msgs.clear();
    s.msgs.answer({true, true});
    QVERIFY(click(s.main.get(), "Finish"));
    QCOMPARE(s.msgs.texts(), (QStringList{kFinishQuestion, kSaveQuestion}));
    QTRY_VERIFY(!s.main->isVisible());
    QCOMPARE(dayOnDisk(s.path("next"), 5, 3), std::optional<BetAmounts>(posted));
    QCOMPARE(dayOnDisk(s.path("next"), 7, 7)->stake[index(BetType::Uma)], 2000);
    QFile info(s.path("next/info.dat"));
    QVERIFY(info.open(QIODevice::ReadOnly));
    QCOMPARE(info.readAll().count("\r\n"), 1);  // 3 May's ticket is gone
    QCOMPARE(snapshot(s.dir.path()), oldFiles);
    QCOMPARE(s.dir.modified("tosidata.dat"), oldLedgerTime);
  }

  // A switch whose files do not load says so as start-up does: the code's
  // message, with each refused file's full path and reason.
  void switchToUnusableDirectory_data() {
    QTest::addColumn<QString>("ledger");   // "good", "eleven" or "" (absent)
    QTest::addColumn<QString>("tickets");  // "good" or "" (absent)
    QTest::addColumn<bool>("vanishes");    // removed after it was chosen
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("refused");  // file name, reason, ...

    const QString missing = QStringLiteral("ファイルがありません");
    const QStringList both{"tosidata.dat", missing, "info.dat", missing};
    QTest::newRow("empty directory") << ""
                                     << "" << false << 7 << both;
    QTest::newRow("ledger without info.dat")
        << "good"
        << "" << false << 7 << QStringList{"info.dat", missing};
    QTest::newRow("info.dat without ledger")
        << ""
        << "good" << false << 7 << QStringList{"tosidata.dat", missing};
    QTest::newRow("eleven month lines")
        << "eleven"
        << "good" << false << 3
        << QStringList{"tosidata.dat", QStringLiteral("月の行が11行です（12行のはずです）")};
    QTest::newRow("vanished after it was chosen") << "good"
                                                  << "good" << true << 7 << both;
  }

  void switchToUnusableDirectory() {
    QFETCH(QString, ledger);
    QFETCH(QString, tickets);
    QFETCH(bool, vanishes);
    QFETCH(int, code);
    QFETCH(QStringList, refused);

    Session s;
    QVERIFY(s.start());
    const QString target = s.path("target");
    QVERIFY(QDir().mkdir(target));
    const testdata::SampleFiles files = testdata::sampleFiles();
    if (ledger == "good") QVERIFY(s.dir.write("target/tosidata.dat", files.ledger));
    if (ledger == "eleven") {
      QVERIFY(s.dir.write("target/tosidata.dat", testdata::elevenMonthLedger()));
    }
    if (tickets == "good") QVERIFY(s.dir.write("target/info.dat", files.tickets));
    const QMap<QString, QByteArray> targetFiles = snapshot(target);

    QVERIFY(s.openSwitch());
    QVERIFY(s.chooseInTree(target));
    if (vanishes) QVERIFY(QDir(target).removeRecursively());
    QVERIFY(s.complete());
    QCOMPARE(s.msgs.shown(),
             (QList<ShownMessage>{{kErrorTitle, code == 3 ? kDamagedMonths : kMissing}}));
    QStringList detail;
    for (qsizetype i = 0; i + 1 < refused.size(); i += 2) {
      detail << QStringLiteral("ファイル: %1\n理由: %2")
                    .arg(target + '/' + refused[i], refused[i + 1]);
    }
    QCOMPARE(s.msgs.lastDetail(), detail.join(QStringLiteral("\n\n")));
    QVERIFY(s.switchClosed());

    const AppState& state = s.main->state();
    QCOMPARE(QString::fromStdString(state.DataDir), native(target));
    QCOMPARE(static_cast<int>(state.LoadResult), code);
    QVERIFY(!state.DataChanged);
    for (const char* name : kWorkingButtons) QVERIFY2(!s.button(name)->isEnabled(), name);
    QVERIFY(s.button("Command3D2")->isEnabled());
    QVERIFY(s.button("Finish")->isEnabled());
    // The entry window stays shut whatever way it is asked for.
    s.main->openEntry();
    QCOMPARE(s.msgs.last().text, QStringLiteral("ファイルが破損または存在しません"));

    // Nothing is written there, not even at the exit.
    s.msgs.clear();
    s.msgs.answer(true);
    QVERIFY(click(s.main.get(), "Finish"));
    QTRY_VERIFY(!s.main->isVisible());
    QCOMPARE(s.msgs.texts(), QStringList{kFinishQuestion});
    if (vanishes) {
      QVERIFY(!QFileInfo::exists(target));
    } else {
      QCOMPARE(snapshot(target), targetFiles);
    }
  }

  void earlierDisabledButtonsStayDisabled() {
    Session s;
    QVERIFY(s.start());
    const QMap<QString, QByteArray> oldFiles = snapshot(s.dir.path());
    s.msgs.answer({true, false});  // initialise; then do not save the reset
    QVERIFY(click(s.main.get(), "Command3D2"));
    QVERIFY(s.openSwitch());
    QCOMPARE(s.msgs.texts(), (QStringList{"データを初期化しますか？", kUpdateQuestion}));

    QVERIFY(s.chooseInTree(s.path("next")));
    QVERIFY(s.complete());
    QCOMPARE(s.msgs.last().text, kLoaded);
    QVERIFY(s.switchClosed());
    QCOMPARE(ledgerFileText(s.main->state().ledger), otherYear().ledger);
    // The declined reset is dropped with the old data.
    QVERIFY(!s.main->state().DataChanged);
    for (const char* name : {"Command3D1", "Blowse", "BLOWSENEW"})
      QVERIFY2(!s.button(name)->isEnabled(), name);
    QVERIFY(s.button("SSCommand1")->isEnabled());
    QCOMPARE(snapshot(s.dir.path()), oldFiles);
  }

  void refusedWhileAnotherWindowIsOpen_data() {
    QTest::addColumn<QString>("other");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("entry window") << "entry" << kCloseOthers;
    QTest::newRow("year browse") << "browse" << kCloseOthers;
    QTest::newRow("analysis window") << "analysis" << kCloseOthers;
    QTest::newRow("graph left open by its year browse") << "graph" << kCloseOthers;
    QTest::newRow("switch window") << "switch"
                                   << "すでにウィンドウは開かれています";
  }

  void refusedWhileAnotherWindowIsOpen() {
    QFETCH(QString, other);
    QFETCH(QString, refusal);
    Session s;
    QVERIFY(s.start());
    const AppState& state = s.main->state();
    if (other == "entry") {
      QVERIFY(click(s.main.get(), "Command3D1"));
    } else if (other == "switch") {
      QVERIFY(s.openSwitch());
    } else if (other == "analysis") {
      QVERIFY(click(s.main.get(), "BLOWSENEW"));
    } else {
      QVERIFY(click(s.main.get(), "Blowse"));
      auto* browse = named<ChildWindow>(s.main.get(), "Fblowse");
      QVERIFY(browse != nullptr);
      if (other == "graph") {
        QVERIFY(click(browse, "Command3D2"));  // グラフ表示
        QVERIFY(named(s.main.get(), "FGrapher1") != nullptr);
        browse->closeWindow();
        QTRY_VERIFY(named(s.main.get(), "Fblowse") == nullptr);
      }
    }
    QCOMPARE(s.main->workArea()->subWindowList().size(), 1);
    // Changed data would have the save offered first: refused, nothing is.
    (void)postChange(s.main->session());
    const QMap<QString, QByteArray> files = snapshot(s.dir.path());

    QVERIFY(click(s.main.get(), "SSCommand1"));
    QCOMPARE(s.msgs.texts(), QStringList{refusal});
    QCOMPARE(s.msgs.last().title, kErrorTitle);
    QCOMPARE(s.main->findChildren<SwitchWindow*>().size(), other == "switch" ? 1 : 0);
    QCOMPARE(snapshot(s.dir.path()), files);
    QVERIFY(state.DataChanged);

    // Once it is closed, the switch goes ahead.
    s.main->workArea()->closeAllSubWindows();
    QTRY_VERIFY(s.main->workArea()->subWindowList().isEmpty());
    s.msgs.clear();
    s.msgs.answer(false);
    QVERIFY(s.openSwitch());
    QCOMPARE(s.msgs.texts(), QStringList{kUpdateQuestion});
  }

  void completeRefusedWhileWindowOpenedMeanwhile() {
    Session s;
    QVERIFY(s.start());
    QVERIFY(s.openSwitch());
    SwitchWindow* window = s.switchWindow();
    QVERIFY(s.chooseInTree(s.path("next")));
    // The switch window is modeless: the entry window can be opened beside it.
    QVERIFY(click(s.main.get(), "Command3D1"));
    QVERIFY(s.isOpen("Finput"));
    const std::string ledger = ledgerFileText(s.main->state().ledger);

    QVERIFY(s.complete());
    QCOMPARE(s.msgs.texts(), QStringList{kCloseOthers});
    QCOMPARE(QString::fromStdString(s.main->state().DataDir), s.dir.path());
    QCOMPARE(ledgerFileText(s.main->state().ledger), ledger);
    QCOMPARE(s.switchWindow(), window);

    auto* entry = s.main->findChild<EntryWindow*>();
    QVERIFY(entry != nullptr);
    QVERIFY(click(entry, "Command3D1"));  // 閉じる
    QTRY_VERIFY(!s.isOpen("Finput"));
    s.msgs.clear();
    QVERIFY(s.complete());
    QCOMPARE(s.msgs.texts(), QStringList{kLoaded});
    QCOMPARE(QString::fromStdString(s.main->state().DataDir), native(s.path("next")));
  }
};

QTEST_MAIN(TestDataSwitch)
#include "test_data_switch.moc"
