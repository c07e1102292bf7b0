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

QComboBox* fieldChooser(const ImportWindow* w, int column) {
  return w->columnsView()->findChild<QComboBox*>(QString("ImportField%1").arg(column));
}

// Chooses a field for a column (from 1) as a user does from the keyboard,
// an entry at a time.
bool choose(const ImportWindow* w, int column, const QString& caption) {
  QComboBox* box = fieldChooser(w, column);
  const int target = box != nullptr ? box->findText(caption) : -1;
  if (target < 0) return false;
  box->setFocus();
  while (box->currentIndex() != target) {
    QTest::keyClick(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
  }
  return true;
}

QStringList contents(const ImportWindow* w) {
  QStringList rows;
  for (int r = 0; r < w->model().rowCount(); ++r) {
    rows << cell(w, r, 0) + " " + cell(w, r, 1) + " " + cell(w, r, 4) + cell(w, r, 5);
  }
  return rows;
}

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

    // A double byte no character of Shift_JIS: refused by its line.
    w.encodingChooser()->setCurrentIndex(0);
    QVERIFY(!w.showBytes(QByteArray("\x8C\x8E,\x93\xFA\r\n3,5\r\n\x85\x40,1\r\n"), "b.csv"));
    QCOMPARE(host.messages.lastDetail(), QString("3行目: Shift_JISとして読めない文字があります"));
    QCOMPARE(w.model().rowCount(), 0);

    // A line within 4 KB in the file and beyond it in UTF-8 is read.
    const qsizetype shown = host.messages.shown().size();
    const QByteArray header = bytes.left(bytes.indexOf('\r'));
    QVERIFY(
        w.showBytes(header + ",x\r\n3,6,100," + QByteArray("\x92\x86").repeated(2000), "c.csv"));
    QCOMPARE(host.messages.shown().size(), shown);
    QCOMPARE(w.model().rowCount(), 1);
  }

  // Columns of captions nobody knows, each given its field by hand: the
  // rows are what the same file with the tickets report's header gives,
  // and 取り込む takes them in.
  void columnsChosenByHand() {
    WindowHost host;
    QVERIFY(host.start());
    const QString rows = "100,中山,3/5,単勝,250\n200,東京,3/6,ワイド,0\n";
    ImportWindow* named = paste(host, "購入金額,場名,日付,券種,払戻金額\n" + rows);
    QVERIFY(named != nullptr);
    const QStringList expected = contents(named);
    QCOMPARE(expected.size(), 2);
    QVERIFY(expected[0].startsWith("2 追加 中山"));

    ImportWindow* w = paste(host, "a,b,c,d,e\n" + rows);
    QVERIFY(w != nullptr);
    QCOMPARE(w->columnsProblem()->text(), QString("日付（または月と日）の列がありません"));
    QVERIFY(!w->importButton()->isEnabled());
    QCOMPARE(w->model().rowCount(), 0);
    QCOMPARE(fieldChooser(w, 1)->currentText(), QString("使わない"));
    const QStringList fields{"購入金額", "場名", "日付", "券種", "払戻金額"};
    for (int c = 0; c < fields.size(); ++c) QVERIFY(choose(w, c + 1, fields[c]));
    QCOMPARE(w->columnsProblem()->text(), QString());
    QCOMPARE(contents(w), expected);
    QVERIFY(w->importButton()->isEnabled());

    const int before = host.session().tickets().month(3).count;
    QVERIFY(host.press("Import", "ImportButton"));
    QTRY_VERIFY(!host.isOpen("Import"));
    QCOMPARE(host.session().tickets().month(3).count, before + 2);
  }

  // A mapping that reads no kind, or gives two columns one field, says why
  // in the window and greys 取り込む; the header's own mapping comes back
  // by choosing again.
  void mappingWithoutKind_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("problem");
    QTest::newRow("no bet type") << 3 << "使わない"
                                 << "券種と購入金額の列、または券種ごとの金額の列がありません";
    QTest::newRow("no date") << 1 << "使わない"
                             << "日付（または月と日）の列がありません";
    QTest::newRow("two dates") << 2 << "日付"
                               << "1列と2列がどちらも日付です";
    QTest::newRow("a day's amount") << 4 << "単勝購入金額"
                                    << "";
  }
  void mappingWithoutKind() {
    QFETCH(int, column);
    QFETCH(QString, field);
    QFETCH(QString, problem);
    WindowHost host;
    QVERIFY(host.start());
    ImportWindow* w = paste(host, "日付,場名,券種,購入金額\n12/29,中山,単勝,100\n");
    QVERIFY(w != nullptr);
    QCOMPARE(w->plan().count(RowFate::Add), 1);
    const QString was = fieldChooser(w, column)->currentText();
    QVERIFY(choose(w, column, field));
    QCOMPARE(w->columnsProblem()->text(), problem);
    QCOMPARE(w->importButton()->isEnabled(), problem.isEmpty());
    QCOMPARE(w->model().rowCount(), problem.isEmpty() ? 1 : 0);
    if (problem.isEmpty()) QCOMPARE(w->plan().kind, ImportKind::DayAmounts);
    QVERIFY(choose(w, column, was));
    QCOMPARE(w->columnsProblem()->text(), QString());
    QCOMPARE(w->plan().kind, ImportKind::Tickets);
    QCOMPARE(w->plan().count(RowFate::Add), 1);
    QVERIFY(w->importButton()->isEnabled());
  }

  // Without a header row the first line is a row too, with its own line
  // number; the fields the user chose stay when the box is ticked again.
  void noHeaderRow() {
    WindowHost host;
    QVERIFY(host.start());
    ImportWindow* w = paste(host, "12/29,中山,単勝,100\n12/30,中山,複勝,200\n");
    QVERIFY(w != nullptr);
    QVERIFY(w->headerRow()->isChecked());
    const QStringList fields{"日付", "場名", "券種", "購入金額"};
    for (int c = 0; c < fields.size(); ++c) QVERIFY(choose(w, c + 1, fields[c]));
    QCOMPARE(w->model().rowCount(), 1);
    QCOMPARE(cell(w, 0, 0), QString("2"));
    const QAbstractItemModel& columns = w->columnsModel();
    QCOMPARE(columns.index(ImportColumnsModel::kHeaderRow, 1).data().toString(), QString("中山"));
    QCOMPARE(columns.index(ImportColumnsModel::kSampleRow, 2).data().toString(), QString("複勝"));

    QTest::mouseClick(w->headerRow(), Qt::LeftButton);
    QVERIFY(!w->headerRow()->isChecked());
    QCOMPARE((QStringList{cell(w, 0, 0), cell(w, 0, 1), cell(w, 1, 0), cell(w, 1, 1)}),
             (QStringList{"1", "追加", "2", "追加"}));
    QCOMPARE(columns.index(ImportColumnsModel::kHeaderRow, 1).data().toString(), QString());
    QCOMPARE(columns.index(ImportColumnsModel::kSampleRow, 2).data().toString(), QString("単勝"));
    QCOMPARE(fieldChooser(w, 4)->currentText(), QString("購入金額"));
    QCOMPARE(w->plan().stake, 300);

    const int before = host.session().tickets().month(12).count;
    QVERIFY(host.press("Import", "ImportButton"));
    QTRY_VERIFY(!host.isOpen("Import"));
    QCOMPARE(host.session().tickets().month(12).count, before + 2);
  }

  // Tab walks the columns' lists in order and then on to 1行目は見出し;
  // Escape in a list closes the window, as everywhere else, once its
  // drop-down is closed.
  void keysInTheColumnLists() {
    WindowHost host;
    QVERIFY(host.start());
    ImportWindow* w = paste(host, "日付,場名,券種,購入金額\n12/29,中山,単勝,100\n");
    QVERIFY(w != nullptr);
    host.activate("Import");
    fieldChooser(w, 2)->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), fieldChooser(w, 2));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), fieldChooser(w, 3));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w->headerRow());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), fieldChooser(w, 4));
    // With its list open, Escape closes the list alone.
    QComboBox* list = fieldChooser(w, 4);
    list->showPopup();
    QTRY_VERIFY(list->view()->isVisible());
    QTest::keyClick(list->view()->window()->windowHandle(), Qt::Key_Escape);
    QTRY_VERIFY(!list->view()->isVisible());
    QVERIFY(host.isOpen("Import"));
    // The next Escape is the window's (offscreen, the focus needs a hand back).
    host.main->activateWindow();
    QTRY_VERIFY(w->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!host.isOpen("Import"));
  }

  // The columns' model under Qt's tester; each field's caption is the one
  // the reports write, so a header of the same caption maps to it.
  void columnsModelTested() {
    ImportColumnsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setColumns({"a", "b"}, {"1", "2"}, {-1, 3});
    QCOMPARE(model.columnCount(), 2);
    QVERIFY(model.flags(model.index(ImportColumnsModel::kFieldRow, 0)) & Qt::ItemIsEditable);
    QVERIFY(!(model.flags(model.index(ImportColumnsModel::kHeaderRow, 0)) & Qt::ItemIsEditable));
    QVERIFY(!model.setData(model.index(ImportColumnsModel::kFieldRow, 0), kImportFieldCount,
                           Qt::EditRole));
    QVERIFY(model.setData(model.index(ImportColumnsModel::kFieldRow, 0), 0, Qt::EditRole));
    QCOMPARE(model.fields(), (std::vector<int>{0, 3}));
    QCOMPARE(model.index(ImportColumnsModel::kFieldRow, 1).data().toString(), QString("場名"));
    for (int f = 0; f < kImportFieldCount; ++f) {
      const auto field = fieldOfCaption(ImportColumnsModel::fieldCaption(f).toStdString());
      QVERIFY2(field && static_cast<int>(*field) == f,
               qPrintable(ImportColumnsModel::fieldCaption(f)));
    }
    model.setColumns({}, {}, {});
    QCOMPARE(model.columnCount(), 0);
  }
};

QTEST_MAIN(TestImportWindow)
#include "test_import_window.moc"
