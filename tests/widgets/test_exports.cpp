#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "support/scripted_messages.h"
#include "widgets/grid.h"
#include "widgets/profit_graph.h"
#include "widgets/table_export.h"

using namespace tamrel;

namespace {

// A grid like the browse grids: a corner, row labels, and a blank rest.
struct Table {
  ScriptedMessages messages;
  Grid grid{5, 3, 1};
  Table() {
    const QStringList cells[] = {{"月", "投資金額", "回収率"},
                                 {"１月", "1,500", "141.16%"},
                                 {"２月", "say \"hi\", ok", "①～"},
                                 {"３月", "a\tb", ""},
                                 {"４月", "", ""}};
    for (int r = 0; r < 5; ++r) {
      for (int c = 0; c < 3; ++c) grid.setCell(r, c, cells[r][c]);
    }
    grid.setAccessibleName(QStringLiteral("月別の集計"));
    installTableExport(&grid, messages);
  }
  QAction* action(const char* name) { return grid.findChild<QAction*>(QString::fromLatin1(name)); }
};

// Answers the export dialog, when it opens, with `path` and filter `filter`.
void answerDialog(const QString& path, int filter) {
  QTimer::singleShot(0, [path, filter] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->objectName(), QStringLiteral("ExportDialog"));
    dialog->selectNameFilter(dialog->nameFilters().at(filter));
    // Typed, as a user would: after a selectFile the dialog puts its own
    // offered name back once it has read the folder.
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog*>(dialog)->accept();
  });
}

// RFC 4180 records back into cells.
TableText parseCsv(const QString& text) {
  TableText rows{{}};
  QString cell;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text[i];
    if (quoted) {
      if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (ch == '"') {
        quoted = false;
      } else {
        cell += ch;
      }
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ',') {
      rows.back() << std::exchange(cell, {});
    } else if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.back() << std::exchange(cell, {});
      rows << QStringList{};
      ++i;
    } else {
      cell += ch;
    }
  }
  if (rows.back().isEmpty()) rows.removeLast();
  return rows;
}

}  // namespace

class TestExports : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }
  void copyGivesTabSeparatedCells_data();
  void copyGivesTabSeparatedCells();
  void csvReadsBackTheCells_data();
  void csvReadsBackTheCells();
  void failedSaveNamesFileAndReason();
  void imageIsTwiceTheShownSize();
};

void TestExports::copyGivesTabSeparatedCells_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("expected");
  QTest::newRow("a selected row") << 2
                                  << "月\t投資金額\t回収率\n２月\t\"say \"\"hi\"\", ok\"\t①～\n";
  // The whole table stops at its last filled row.
  QTest::newRow("nothing selected")
      << 0
      << "月\t投資金額\t回収率\n１月\t1,500\t141.16%\n２月\t\"say \"\"hi\"\", ok\"\t①～\n"
         "３月\t\"a\tb\"\t\n";
}

void TestExports::copyGivesTabSeparatedCells() {
  QFETCH(int, row);
  QFETCH(QString, expected);
  Table table;
  table.grid.show();
  table.grid.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&table.grid));
  table.grid.setFocus();
  if (row > 0) table.grid.setCurrentRow(row);
  QApplication::clipboard()->clear();
  QTest::keyClick(&table.grid, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), expected);
  // The context menu offers the same, and saving.
  QCOMPARE(table.grid.contextMenuPolicy(), Qt::ActionsContextMenu);
  QCOMPARE(table.action("CopyTable")->text(), QStringLiteral("コピー"));
  QCOMPARE(table.action("SaveTableCsv")->text(), QStringLiteral("CSV保存…"));
}

void TestExports::csvReadsBackTheCells_data() {
  QTest::addColumn<int>("filter");
  QTest::addColumn<QByteArray>("encoding");
  QTest::newRow("UTF-8, the default") << 0 << QByteArray("UTF-8");
  QTest::newRow("Shift_JIS") << 1 << QByteArray("CP932");
}

void TestExports::csvReadsBackTheCells() {
  QFETCH(int, filter);
  QFETCH(QByteArray, encoding);
  Table table;
  table.grid.setCurrentRow(1);  // a selection does not narrow a saved file
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("集計.csv"));
  answerDialog(path, filter);
  table.action("SaveTableCsv")->trigger();
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QByteArray bytes = file.readAll();
  QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), filter == 0);
  if (filter == 0) bytes.remove(0, 3);
  QStringDecoder decode(encoding.constData());
  const QString text = decode(bytes);
  QVERIFY(!decode.hasError());
  QVERIFY(text.endsWith(QStringLiteral("\r\n")));
  QCOMPARE(parseCsv(text), viewTable(&table.grid, false));
  QCOMPARE(parseCsv(text).size(), 4);
  QVERIFY(table.messages.texts().isEmpty());
}

void TestExports::failedSaveNamesFileAndReason() {
  Table table;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("無い/集計.csv"));
  answerDialog(path, 0);
  table.action("SaveTableCsv")->trigger();
  QCOMPARE(table.messages.texts(), QStringList{"ファイルを保存できませんでした"});
  QVERIFY(table.messages.lastDetail().contains(path));
  QVERIFY(table.messages.lastDetail().contains(QStringLiteral("フォルダがありません")));
  QVERIFY(!QFile::exists(path));
}

void TestExports::imageIsTwiceTheShownSize() {
  ScriptedMessages messages;
  ProfitGraphWindow window(messages, QStringLiteral("FGrapher1"), QStringLiteral("月別利益表示"),
                           {{QStringLiteral("１月"), 1500}, {QStringLiteral("２月"), -300}}, {});
  window.resize(640, 420);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  ProfitGraph* graph = window.graph();
  QCOMPARE(graph->contextMenuPolicy(), Qt::ActionsContextMenu);
  auto* save = graph->findChild<QAction*>(QStringLiteral("SaveGraphImage"));
  QCOMPARE(save->text(), QStringLiteral("画像保存…"));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("graph.png"));
  answerDialog(path, 0);
  save->trigger();
  const QImage image(path, "PNG");
  QCOMPARE(image.size(), graph->viewport()->size() * 2);
  // A chart, not a blank page: both bar colours are in it.
  bool profit = false;
  bool loss = false;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QColor c = image.pixelColor(x, y);
      profit = profit || c == QColor(0x2a, 0x6f, 0xc9);
      loss = loss || c == QColor(0xd6, 0x3a, 0x3a);
    }
  }
  QVERIFY(profit && loss);
  QVERIFY(messages.texts().isEmpty());
}

QTEST_MAIN(TestExports)
#include "test_exports.moc"
