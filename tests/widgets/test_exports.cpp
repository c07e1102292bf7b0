#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "state/data_session.h"
#include "support/scripted_messages.h"
#include "widgets/export_file.h"
#include "widgets/grid.h"
#include "widgets/image_export.h"
#include "widgets/profit_graph.h"
#include "widgets/settings.h"
#include "widgets/table_export.h"

using namespace tamrel;

namespace {

// A grid like the browse grids: a corner, row labels, and a blank rest.
struct Table {
  DataSession session;
  ScriptedMessages messages;
  Grid grid{6, 3, 1};
  Table() {
    const QStringList cells[] = {{"月", "投資金額", "回収率"},      {"　１月", "1,500", "141.16%"},
                                 {"２月", "say \"hi\", ok", "①～"}, {"３月", "a\tb", "－"},
                                 {"４月", "=1+1", "ﾜｲﾄﾞ"},          {"５月", "", ""}};
    for (int r = 0; r < 6; ++r) {
      for (int c = 0; c < 3; ++c) grid.setCell(r, c, cells[r][c]);
    }
    grid.setAccessibleName(QStringLiteral("月別の集計"));
    installTableExport(&grid, session, messages);
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
    // The user has said yes to 置き換えますか？ for a file that is there.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
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
  void plainCells_data();
  void plainCells();
  void csvReadsBackTheCells_data();
  void csvReadsBackTheCells();
  void lineBreakInAViewStays();
  void failedSaveNamesFileAndReason();
  void shiftJisRefusesWhatItCannotWrite();
  void dataFilesAreNeverTargets_data();
  void dataFilesAreNeverTargets();
  void imageIsTwiceTheShownSize();
  void folderKeptPerKindAndWhereItWentSaid();
  void imageCarriesItsTitleAndPeriod();
};

void TestExports::copyGivesTabSeparatedCells_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("expected");
  QTest::newRow("a selected row") << 2
                                  << "月\t投資金額\t回収率\n２月\t\"say \"\"hi\"\", ok\"\t①～\n";
  // Only the whole table loses its blank rest: a selection is what was chosen.
  QTest::newRow("a selected blank row") << 5 << "月\t投資金額\t回収率\n５月\t\t\n";
  // The whole table stops at its last filled row; the figures go plain.
  QTest::newRow("nothing selected")
      << 0
      << "月\t投資金額\t回収率\n１月\t1500\t141.16\n２月\t\"say \"\"hi\"\", ok\"\t①～\n"
         "３月\t\"a\tb\"\t\n４月\t=1+1\tワイド\n";
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

void TestExports::plainCells_data() {
  QTest::addColumn<QString>("shown");
  QTest::addColumn<QString>("plain");
  QTest::newRow("grouped yen") << "-1,234,567円"
                               << "-1234567";
  QTest::newRow("rate") << "141.16%"
                        << "141.16";
  QTest::newRow("no figure") << "－"
                             << "";
  QTest::newRow("padded labels") << "　９日"
                                 << "９日";
  QTest::newRow("ticket row") << " 12"
                              << "12";
  QTest::newRow("bet types") << "3連複"
                             << "３連複";
  QTest::newRow("not a grouping") << "1,50"
                                  << "1,50";
  QTest::newRow("a name with digits") << "2024年"
                                      << "2024年";
}

void TestExports::plainCells() {
  QFETCH(QString, shown);
  QFETCH(QString, plain);
  QCOMPARE(plainCell(shown), plain);
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
  TableText plain = viewTable(&table.grid, false);
  for (QStringList& row : plain) {
    for (QString& cell : row) cell = plainCell(cell);
  }
  plain[4][1] = QStringLiteral("'=1+1");  // stays text in a spreadsheet
  QCOMPARE(parseCsv(text), plain);
  QCOMPARE(parseCsv(text)[1], (QStringList{"１月", "1500", "141.16"}));
  QCOMPARE(parseCsv(text).size(), 5);
  QVERIFY(table.messages.texts().isEmpty());
}

// Qt's delegates draw a name's line break as U+2028; a copy keeps the break.
void TestExports::lineBreakInAViewStays() {
  QStandardItemModel model(1, 1);
  model.setItem(0, 0, new QStandardItem(QStringLiteral("2024\n予備")));
  QTableView view;
  view.setModel(&model);
  QCOMPARE(viewTable(&view, false).at(1).at(1), QStringLiteral("2024\n予備"));
  QCOMPARE(QString::fromUtf8(csvFile(viewTable(&view, false), CsvEncoding::Utf8WithBom)->mid(3)),
           QStringLiteral(",1\r\n1,\"2024\n予備\"\r\n"));
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

// A character Shift_JIS lacks is never written as a substitute: the save is
// refused and the message says to save as UTF-8.
void TestExports::shiftJisRefusesWhatItCannotWrite() {
  Table table;
  table.grid.setCell(5, 1, QStringLiteral("🐎"));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("集計.csv"));
  answerDialog(path, 1);
  table.action("SaveTableCsv")->trigger();
  QCOMPARE(table.messages.texts(), QStringList{"ファイルを保存できませんでした"});
  QVERIFY(
      table.messages.lastDetail().contains(QStringLiteral("Shift_JISで書けない文字があります")));
  QVERIFY(!QFile::exists(path));
}

void TestExports::dataFilesAreNeverTargets_data() {
  QTest::addColumn<QString>("target");  // under the temporary folder
  QTest::addColumn<QString>("link");    // "PATH>TO": a link made there first
  QTest::addColumn<bool>("refused");
  QTest::newRow("ledger") << "data/tosidata.dat" << QString() << true;
  QTest::newRow("a kept version") << "data/tosidata.dat.3" << QString() << true;
  QTest::newRow("a version not kept yet") << "data/info.dat.1" << QString() << true;
  QTest::newRow("a link to the ledger")
      << "out/a.csv" << QStringLiteral("out/a.csv>data/tosidata.dat") << true;
  QTest::newRow("the folder by a link")
      << "linked/info.dat" << QStringLiteral("linked>data") << true;
  QTest::newRow("the name elsewhere") << "out/info.dat" << QString() << false;
  QTest::newRow("another name beside them") << "data/info.dat.4" << QString() << false;
}

void TestExports::dataFilesAreNeverTargets() {
  QFETCH(QString, target);
  QFETCH(QString, link);
  QFETCH(bool, refused);
  QTemporaryDir temp;
  QDir root(temp.path());
  QVERIFY(root.mkpath("data") && root.mkpath("out"));
  for (const char* name : {"data/tosidata.dat", "data/info.dat", "data/tosidata.dat.3"}) {
    QFile file(root.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("year") == 4);
  }
  if (!link.isEmpty()) {
    QVERIFY(
        QFile::link(root.filePath(link.section('>', 1)), root.filePath(link.section('>', 0, 0))));
  }
  Table table;
  table.session.setDataDir(root.filePath("data"));
  // The table's CSV保存…, and CSV書き出し's writer.
  answerDialog(root.filePath(target), 0);
  table.action("SaveTableCsv")->trigger();
  answerDialog(root.filePath(target), 0);
  const bool written =
      saveCsvText(&table.grid, table.session, table.messages, "a,b\r\n", "CSV書き出し", "x");
  QCOMPARE(written, !refused);
  QCOMPARE(isDataFileTarget(root.filePath("data"), root.filePath(target)), refused);
  if (refused) {
    QCOMPARE(table.messages.texts(), QStringList(2, "データファイルには保存できません"));
    QVERIFY(table.messages.lastDetail().contains("tosidata.dat"));
    for (const QString& name : QDir(root.filePath("data")).entryList(QDir::Files)) {
      QFile file(root.filePath("data/" + name));
      QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == "year");
    }
  } else {
    QVERIFY(table.messages.texts().isEmpty());
    QVERIFY(QFile::exists(root.filePath(target)));
  }
}

void TestExports::imageIsTwiceTheShownSize() {
  DataSession session;
  ScriptedMessages messages;
  ProfitGraphWindow window(session, messages, QStringLiteral("FGrapher1"),
                           QStringLiteral("月別利益表示"),
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
  // Twice the shown size, under a line with its title.
  QCOMPARE(image.width(), graph->viewport()->width() * 2);
  QVERIFY(image.height() > graph->viewport()->height() * 2);
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
  // Never over the year's own files.
  session.setDataDir(dir.path());
  answerDialog(dir.filePath(QStringLiteral("info.dat")), 0);
  save->trigger();
  QCOMPARE(messages.texts(), QStringList{"データファイルには保存できません"});
  QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("info.dat"))));
}

// The next dialog for the same kind of file opens where the last file went;
// another kind keeps its own folder. The status bar names the file written.
void TestExports::folderKeptPerKindAndWhereItWentSaid() {
  programSettings()->remove(QStringLiteral("ExportFolder"));
  QMainWindow main;
  QStatusBar* bar = main.statusBar();
  Table table;
  main.setCentralWidget(&table.grid);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.csv"));
  answerDialog(path, 0);
  table.action("SaveTableCsv")->trigger();
  QVERIFY(QFile::exists(path));
  QCOMPARE(bar->currentMessage(),
           QStringLiteral("保存しました: ") + QDir::toNativeSeparators(path));

  const auto shownFolder = [](const QString& suffix) {
    QString shown;
    QTimer::singleShot(0, [&shown] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      shown = dialog->directory().absolutePath();
      dialog->reject();
    });
    const SaveTarget target = askSaveTarget(nullptr, QStringLiteral("保存"),
                                            {QStringLiteral("(*.%1)").arg(suffix)}, "x", suffix);
    return target.path.isEmpty() ? shown : QString();
  };
  QTemporaryDir pictures;
  rememberExportFolder(QStringLiteral("png"), pictures.filePath(QStringLiteral("graph.png")));
  QCOMPARE(shownFolder(QStringLiteral("csv")), QDir(dir.path()).absolutePath());
  QCOMPARE(shownFolder(QStringLiteral("png")), QDir(pictures.path()).absolutePath());
  // A cancelled dialog leaves the folder as it was.
  QCOMPARE(shownFolder(QStringLiteral("csv")), QDir(dir.path()).absolutePath());
  (void)main.takeCentralWidget();
}

void TestExports::imageCarriesItsTitleAndPeriod() {
  QImage chart(200, 80, QImage::Format_ARGB32_Premultiplied);
  chart.fill(QColor(0x2a, 0x6f, 0xc9));
  const QImage titled = titledImage(chart, QStringLiteral("収支推移"), QString());
  const QImage dated =
      titledImage(chart, QStringLiteral("収支推移"), QStringLiteral("2024年 1月6日～3月10日"));
  QCOMPARE(titled.width(), chart.width());
  QVERIFY(titled.height() > chart.height());
  // The chart whole below the line.
  const int band = titled.height() - chart.height();
  QCOMPARE(titled.copy(0, band, chart.width(), chart.height()).convertToFormat(chart.format()),
           chart);
  // Where the text ends: the period reaches further right than the title.
  const auto inkEnd = [band](const QImage& image) {
    int end = 0;
    for (int y = 0; y < band; ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (qGray(image.pixel(x, y)) < 128) end = std::max(end, x);
      }
    }
    return end;
  };
  QVERIFY(inkEnd(titled) > 0);
  QVERIFY(inkEnd(dated) > inkEnd(titled));
}

QTEST_MAIN(TestExports)
#include "test_exports.moc"
