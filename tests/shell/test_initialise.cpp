// ﾃﾞｰﾀ初期化 end to end: refused while a working window is open, and an
// initialised year saved at exit is what the next start loads.

#include <QMap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "shell/main_window.h"
#include "state/data_session.h"
#include "store/app_state.h"
#include "support/gui_actions.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"

using namespace tamrel;
using gui::choose;
using gui::click;
using gui::named;
using testdata::DataDir;

namespace {

const QString kCloseOthers = QStringLiteral("他のウィンドウを全て閉じて下さい");
const QString kInitQuestion = QStringLiteral("データを初期化しますか？");
const char* const kWorkingButtons[] = {"Command3D1", "Blowse", "BLOWSENEW", "SSCommand1"};

std::unique_ptr<MainWindow> startOn(const DataDir& dir, ScriptedMessages& msgs) {
  auto main = std::make_unique<MainWindow>(msgs, dir.path());
  main->show();
  main->activateWindow();
  if (!QTest::qWaitForWindowActive(main.get())) return nullptr;
  return main;
}

bool allZero(const YearLedger& ledger) {
  const auto zero = [](const LedgerRecord& r) { return betAmounts(r) == BetAmounts{}; };
  if (!zero(ledger.year)) return false;
  for (int m = 1; m <= 12; ++m) {
    if (!zero(ledger.month(m))) return false;
    for (int d = 1; d <= kSlotsPerMonth; ++d) {
      if (!zero(daySlot(ledger, m, d))) return false;
    }
  }
  return true;
}

}  // namespace

class TestInitialise : public QObject {
  Q_OBJECT

 private slots:
  void refusedWhileWindowsAreOpen_data() {
    QTest::addColumn<QStringList>("windows");  // object names, opened in order
    QTest::addColumn<QString>("closedFirst");  // closed again before ﾃﾞｰﾀ初期化
    QTest::newRow("entry window") << QStringList{"Finput"} << "";
    QTest::newRow("entry and ticket windows") << QStringList{"Finput", "jrabaken"} << "";
    QTest::newRow("year browse") << QStringList{"Fblowse"} << "";
    QTest::newRow("graph left open by its year browse")
        << QStringList{"Fblowse", "FGrapher1"} << "Fblowse";
    QTest::newRow("analysis window") << QStringList{"FSyosai"} << "";
    QTest::newRow("switch window") << QStringList{"FUpdate"} << "";
  }

  void refusedWhileWindowsAreOpen() {
    QFETCH(QStringList, windows);
    QFETCH(QString, closedFirst);
    DataDir dir;
    QVERIFY(dir.writeSample());
    ScriptedMessages msgs;
    auto main = startOn(dir, msgs);
    QVERIFY(main != nullptr);
    QWidget* m = main.get();
    for (const QString& window : windows) {
      if (window == "Finput") QVERIFY(click(m, "Command3D1"));   // 収支入力
      if (window == "Fblowse") QVERIFY(click(m, "Blowse"));      // 総合分析
      if (window == "FUpdate") QVERIFY(click(m, "SSCommand1"));  // ﾃﾞｰﾀ入れ替え
      if (window == "FSyosai") QVERIFY(click(m, "BLOWSENEW"));   // 統計分析
      if (window == "jrabaken") {
        QVERIFY(choose(named(m, "Finput"), "MM", 4));
        QVERIFY(choose(named(m, "Finput"), "DD", 2));
        QVERIFY(click(named(m, "Finput"), "SSCommand1"));  // 詳細入力
      }
      if (window == "FGrapher1") QVERIFY(click(named(m, "Fblowse"), "Command3D2"));  // グラフ表示
      QVERIFY2(named(m, window.toLatin1().constData()) != nullptr, qPrintable(window));
    }
    const auto close = [m](const QString& window) {
      const QByteArray name = window.toLatin1();
      // Each window's 閉じる (取消 in the switch window).
      const QMap<QString, const char*> buttons{{"Finput", "Command3D1"}, {"jrabaken", "Command3D1"},
                                               {"Fblowse", "Close3d1"},  {"FGrapher1", "Close3d1"},
                                               {"FSyosai", "CancelCmd"}, {"FUpdate", "NoCmd"}};
      const char* button = buttons.value(window);
      return click(named(m, name.constData()), button) &&
             QTest::qWaitFor([&] { return named(m, name.constData()) == nullptr; });
    };
    if (!closedFirst.isEmpty()) QVERIFY(close(closedFirst));
    const std::string ledger = ledgerFileText(main->state().ledger);
    const std::string tickets = ticketFileText(main->state().tickets);

    QVERIFY(click(m, "Command3D2"));
    QCOMPARE(msgs.texts(), QStringList{kCloseOthers});
    QCOMPARE(msgs.last().title, kErrorTitle);
    QVERIFY(!main->state().DataChanged);
    QCOMPARE(ledgerFileText(main->state().ledger), ledger);
    QCOMPARE(ticketFileText(main->state().tickets), tickets);
    for (const char* name : kWorkingButtons) QVERIFY2(named(m, name)->isEnabled(), name);

    // Closed again, last opened first, the question comes.
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
      if (*it != closedFirst) QVERIFY2(close(*it), qPrintable(*it));
    }
    msgs.clear();
    msgs.answer(false);
    QVERIFY(click(m, "Command3D2"));
    QCOMPARE(msgs.texts(), QStringList{kInitQuestion});
  }

  void initialiseExitAndStartAgain() {
    DataDir dir;
    QVERIFY(dir.writeSample());
    {
      ScriptedMessages msgs;
      auto main = startOn(dir, msgs);
      QVERIFY(main != nullptr);
      msgs.answer({true, true, true});  // initialise, exit, save
      QSignalSpy reset(&main->session(), &DataSession::yearReset);
      QSignalSpy loaded(&main->session(), &DataSession::dataLoaded);
      QVERIFY(click(main.get(), "Command3D2"));
      // Windows that follow the data hear of the empty year once.
      QCOMPARE(reset.count(), 1);
      QCOMPARE(loaded.count(), 0);
      QVERIFY(click(main.get(), "Finish"));
      QTRY_VERIFY(!main->isVisible());
      QCOMPARE(msgs.texts(),
               (QStringList{kInitQuestion, "終了しますか？", "データ更新しますか？"}));
    }

    ScriptedMessages msgs;
    auto main = startOn(dir, msgs);
    QVERIFY(main != nullptr);
    const AppState& state = main->state();
    QCOMPARE(state.LoadResult, LoadCode::Ok);
    QCOMPARE(msgs.count(), 0);
    QVERIFY(allZero(state.ledger));
    for (int m = 1; m <= 12; ++m) QCOMPARE(state.tickets.month(m).count, std::int16_t{0});
    for (const char* name : kWorkingButtons) QVERIFY2(named(main.get(), name)->isEnabled(), name);

    // "info.dat" is its header line alone: 47 characters, 3 NULs, CR LF.
    const QByteArray info = dir.read("info.dat");
    QCOMPARE(info.size(), 52);
    QVERIFY(info.startsWith("00,00,"));
    QVERIFY(info.endsWith(QByteArray("\0\0\0\r\n", 5)));
  }
};

QTEST_MAIN(TestInitialise)
#include "test_initialise.moc"
