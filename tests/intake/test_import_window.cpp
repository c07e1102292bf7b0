// 取り込み as the user meets it: pasted rows shown with their fates before
// anything changes, キャンセル leaving the year as it was, 取り込む one step
// that Ctrl+Z takes back whole.

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <QUrl>

#include "detail/detail_file.h"
#include "intake/import_window.h"
#include "ledger/ledger_file.h"
#include "report/reports.h"
#include "support/window_host.h"

using namespace tamrel;

namespace {

struct Files {
  std::string ledger;
  std::string tickets;
  bool operator==(const Files&) const = default;
};

Files filesOf(const DataSession& session) {
  return {ledgerFileText(session.ledger()), ticketFileText(session.tickets())};
}

// The stored day with amounts, first in the year, and a daybets row of it.
std::pair<QString, QString> firstDayRow(const DataSession& session) {
  const std::string report = dayBetsReport(session.ledger(), Period{}).csv;
  const QStringList lines = QString::fromStdString(report).split("\r\n");
  return {lines[0], lines[1]};
}

// The first ticket row of the year as the tickets report writes it.
std::pair<QString, QString> firstTicketRow(const DataSession& session) {
  const QStringList lines =
      QString::fromStdString(ticketsReport(session.tickets(), Period{}).csv).split("\r\n");
  return {lines[0], lines[1]};
}

ImportWindow* paste(WindowHost& host, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  host.main->action("actionImportClipboard")->trigger();
  return qobject_cast<ImportWindow*>(host.window("Import"));
}

QString cell(const ImportWindow* w, int row, int column) {
  return w->model().index(row, column).data().toString();
}

void undoKey(WindowHost& host) { QTest::keyClick(host.area(), Qt::Key_Z, Qt::ControlModifier); }

}  // namespace

class TestImportWindow : public QObject {
  Q_OBJECT

 private slots:
  void ticketFatesShown() {
    WindowHost host;
    QVERIFY(host.start());
    const auto [header, stored] = firstTicketRow(host.session());
    const QString text = header + "\n" + stored + "\n" +  // line 2: already there
                         "3,5,大井,１Ｒ,土曜日,芝,1600m以下,２歳,新馬,無し,9頭以下,単勝,100,0\n" +
                         "3,5,中山,１Ｒ,土曜日,芝,1600m以下,２歳,新馬,無し,9頭以下,単勝,100,0\n";
    const Files before = filesOf(host.session());
    ImportWindow* w = paste(host, text);
    QVERIFY(w != nullptr);
    QCOMPARE(w->model().rowCount(), 3);
    const QStringList expected[] = {
        {"2", "同じものがある", ""}, {"3", "エラー", "知らない場名です: 大井"}, {"4", "追加", ""}};
    for (int r = 0; r < 3; ++r) {
      QCOMPARE((QStringList{cell(w, r, 0), cell(w, r, 1), cell(w, r, 5)}), expected[r]);
    }
    QVERIFY(
        w->summary()->text().startsWith("追加 1件　同じものがある 1件　上書き 0件　エラー 1件"));
    QVERIFY(w->importButton()->isEnabled());
    QVERIFY(w->addToDays()->isEnabled());
    QVERIFY(!w->addToDays()->isChecked());
    QCOMPARE(filesOf(host.session()), before);

    // キャンセル: the window goes and nothing has changed.
    const int steps = host.session().undoStack()->count();
    QVERIFY(host.press("Import", "CancelButton"));
    QTRY_VERIFY(!host.isOpen("Import"));
    QCOMPARE(filesOf(host.session()), before);
    QCOMPARE(host.session().undoStack()->count(), steps);
  }

  // The rows' model under Qt's tester, with a plan of every fate and again
  // when the plan is replaced by an empty one.
  void rowsModelTested() {
    WindowHost host;
    QVERIFY(host.start());
    const auto [header, stored] = firstTicketRow(host.session());
    ImportWindow* w = paste(host, header + "\n" + stored + "\n3,5,大井,1,,,,,,,,単勝,1,0\n");
    QVERIFY(w != nullptr);
    ImportRowsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setPlan(&w->plan());
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignVCenter | Qt::AlignRight);
    const ImportPlan empty;
    model.setPlan(&empty);
    QCOMPARE(model.rowCount(), 0);
  }

  // 取り込む applies the rows as one step, announced once; Ctrl+Z gives
  // the year back byte for byte. A day holding other amounts is asked
  // about, and kept when the user says いいえ.
  void importThenUndo_data() {
    QTest::addColumn<bool>("overwrite");
    QTest::newRow("overwrite agreed") << true;
    QTest::newRow("overwrite declined") << false;
  }
  void importThenUndo() {
    QFETCH(bool, overwrite);
    WindowHost host;
    QVERIFY(host.start());
    const auto [header, stored] = firstDayRow(host.session());
    QStringList changed = stored.split(',');
    const int month = changed[0].toInt();
    const int day = changed[1].toInt();
    changed[2] = QString::number(changed[2].toInt() + 100);
    const QString text = header + "\n" + changed.join(',') + "\n" +
                         QString(changed.size() - 2, ',').prepend("12,31") + "\n" +
                         "12,30,100,250" + QString(changed.size() - 4, ',') + "\n";
    const Files before = filesOf(host.session());
    const BetAmounts storedDay = *betAmounts(daySlot(host.session().ledger(), month, day));
    ImportWindow* w = paste(host, text);
    QVERIFY(w != nullptr);
    QCOMPARE(cell(w, 0, 1), QString("上書き"));
    QCOMPARE(cell(w, 2, 1), QString("追加"));
    QVERIFY(!w->addToDays()->isEnabled());

    QSignalSpy changedSpy(&host.session(), &DataSession::changed);
    host.messages.answer(overwrite);
    QVERIFY(host.press("Import", "ImportButton"));
    QTRY_VERIFY(!host.isOpen("Import"));
    QCOMPARE(changedSpy.count(), 1);
    QCOMPARE(host.session().undoStack()->undoText(),
             QString("取り込み %1件").arg(overwrite ? 2 : 1));
    QCOMPARE(amount(daySlot(host.session().ledger(), 12, 30), Quantity::Stake, BetType::Tan), 100);
    const BetAmounts now = *betAmounts(daySlot(host.session().ledger(), month, day));
    QCOMPARE(now.stake[0], storedDay.stake[0] + (overwrite ? 100 : 0));

    undoKey(host);
    QCOMPARE(changedSpy.count(), 2);
    QCOMPARE(filesOf(host.session()), before);
  }

  // A row that fails half-way (a day's sum beyond the range, after another
  // day's tickets went in) leaves the whole year as it was, and no step.
  void failureHalfWayChangesNothing() {
    WindowHost host;
    QVERIFY(host.start());
    QVERIFY(setAmount(daySlot(host.data().ledger, 12, 30), Quantity::Stake, BetType::Tan,
                      2'000'000'000));
    const Files before = filesOf(host.session());
    const int steps = host.session().undoStack()->count();
    ImportWindow* w = paste(host,
                            "日付,場名,券種,購入金額\n12/29,中山,単勝,100\n"
                            "12/30,中山,単勝,999999999\n");
    QVERIFY(w != nullptr);
    QCOMPARE(w->plan().count(RowFate::Add), 2);
    QTest::mouseClick(w->addToDays(), Qt::LeftButton);
    QVERIFY(w->addToDays()->isChecked());
    QVERIFY(host.press("Import", "ImportButton"));
    QCOMPARE(host.messages.texts().last(), QString("取り込めませんでした"));
    QVERIFY(host.isOpen("Import"));
    QCOMPARE(filesOf(host.session()), before);
    QCOMPARE(host.session().undoStack()->count(), steps);
  }

  // A .csv dropped on the main window opens its preview; another file is
  // not taken.
  void droppedFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("taken");
    QTest::newRow("csv") << "bets.CSV" << true;
    QTest::newRow("txt") << "bets.txt" << true;
    QTest::newRow("dat") << "bets.dat" << false;
  }
  void droppedFile() {
    QFETCH(QString, name);
    QFETCH(bool, taken);
    WindowHost host;
    QVERIFY(host.start());
    QTemporaryDir dir;
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("月,日,単勝購入金額\r\n12,30,100\r\n");
    file.close();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file.fileName())});
    const QPoint at = host.area()->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(host.main.get(), &enter);
    QCOMPARE(enter.isAccepted(), taken);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(host.main.get(), &drop);
    QCOMPARE(host.isOpen("Import"), taken);
    if (taken) {
      auto* w = qobject_cast<ImportWindow*>(host.window("Import"));
      QCOMPARE(cell(w, 0, 1), QString("追加"));
    }
  }

  void hostileTextRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("detail");
    QTest::newRow("nul") << QString::fromUtf8(QByteArray("月,日\n3,5\0,x\n", 15))
                         << "2行目: NUL文字があります";
    QTest::newRow("long line") << "月,日\n" + QString(5000, 'x')
                               << "2行目: 行が長すぎます（4 KBまで）";
    QTest::newRow("no columns") << "メモ\nx\n"
                                << "1行目: 日付（または月と日）の列がありません";
  }
  void hostileTextRefused() {
    QFETCH(QString, text);
    QFETCH(QString, detail);
    WindowHost host;
    QVERIFY(host.start());
    const Files before = filesOf(host.session());
    QVERIFY(paste(host, text) == nullptr);
    QVERIFY(!host.isOpen("Import"));
    QCOMPARE(host.messages.texts().last(), QString("取り込めません"));
    QCOMPARE(host.messages.lastDetail(), detail);
    QCOMPARE(filesOf(host.session()), before);
  }

  // A Shift_JIS file is read as such; the user may say it is UTF-8, and
  // then it is refused by its line.
  void shiftJisBytes() {
    WindowHost host;
    QVERIFY(host.start());
    ImportWindow w(host.session(), host.messages, 0);
    // "月,日,単勝購入金額\r\n3,5,100\r\n" in Shift_JIS
    const QByteArray bytes(
        "\x8C\x8E,\x93\xFA,\x92\x50\x8F\x9F\x8D\x77\x93\xFC\x8B\xE0\x8A\x7A\r\n3,5,100\r\n");
    QVERIFY(w.showBytes(bytes, "a.csv"));
    QCOMPARE(w.model().rowCount(), 1);
    QCOMPARE(cell(&w, 0, 1), QString("追加"));
    w.encodingChooser()->setCurrentIndex(1);
    QCOMPARE(w.model().rowCount(), 0);
    QCOMPARE(host.messages.lastDetail(), QString("1行目: UTF-8ではない文字があります"));
    QVERIFY(!w.importButton()->isEnabled());
  }
};

QTEST_MAIN(TestImportWindow)
#include "test_import_window.moc"
