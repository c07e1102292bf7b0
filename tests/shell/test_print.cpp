// 印刷… and PDF保存… of the views: the PDF a view writes read back with the
// poppler tools (its pages and its text), a table split over pages with its
// header on each, the commands greyed where the window in front does not
// print, and the print preview opened and shut.

#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>

#include "analysis/analysis_tickets.h"
#include "cross/cross_window.h"
#include "entry/ticket_window.h"
#include "support/window_host.h"
#include "widgets/grid.h"
#include "widgets/print_page.h"

using namespace tamrel;
using analysisdata::ticket;

namespace {

// Answers the export dialog, when it opens, with `path`.
void answerDialog(const QString& path) {
  QTimer::singleShot(0, [path] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    static_cast<QDialog*>(dialog)->accept();
  });
}

QString run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

bool havePoppler() {
  return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
         !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// The page count pdfinfo reads; -1 when it finds no valid PDF.
int pdfPages(const QString& path) {
  static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                        QRegularExpression::MultilineOption);
  const QRegularExpressionMatch m = pages.match(run(QStringLiteral("pdfinfo"), {path}));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Text as compared here: without spaces, which pdftotext places as it
// sees fit.
QString plain(QString text) {
  text.remove(QRegularExpression(QStringLiteral("\\s")));
  return text;
}

// The text of page `page` (from 1), or of all pages, as plain() gives it.
QString pdfText(const QString& path, int page = 0) {
  QStringList arguments;
  if (page > 0) arguments << "-f" << QString::number(page) << "-l" << QString::number(page);
  return plain(run(QStringLiteral("pdftotext"), arguments << path << QStringLiteral("-")));
}

QString writePdf(const QTemporaryDir& dir, const PrintPage& page, const QString& name) {
  const QString path = dir.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(printPdf(page, QStringLiteral("/data/2026")));
  return path;
}

}  // namespace

class TestPrint : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }
  void viewAsPdf_data();
  void viewAsPdf();
  void longTableRepeatsItsHeader_data();
  void longTableRepeatsItsHeader();
  void wideTableTurnsThePaper();
  void periodTexts_data();
  void periodTexts();
  void commandsFollowTheWindowInFront_data();
  void commandsFollowTheWindowInFront();
  void contextMenuOffersPrintWhereTheWindowPrints();
  void previewOpensAndCloses();
};

void TestPrint::viewAsPdf_data() {
  QTest::addColumn<QString>("open");    // the menu command opening the view
  QTest::addColumn<QString>("window");  // its object name
  QTest::addColumn<QString>("title");
  // A heading of its table: kanji the PDF's text must name as themselves,
  // not as the radicals of the same shape.
  QTest::addColumn<QString>("heading");
  QTest::newRow("year browse") << "actionYearBrowse"
                               << "Fblowse"
                               << "総合統計情報"
                               << "投資金額";
  QTest::newRow("cross") << "actionCross"
                         << "Cross"
                         << "クロス分析"
                         << "中山";
  QTest::newRow("ticket list") << "actionTicketList"
                               << "TicketList"
                               << "馬券一覧"
                               << "払戻金額";
}

// ファイル → PDF保存… of the window in front: one valid page holding the
// view's title, the data directory and a figure of its table as shown.
void TestPrint::viewAsPdf() {
  QFETCH(QString, open);
  QFETCH(QString, window);
  QFETCH(QString, title);
  QFETCH(QString, heading);
  if (!havePoppler()) QSKIP("pdfinfo and pdftotext (poppler-utils) are not installed");
  WindowHost host;
  QVERIFY(host.start());
  DayTicketList list;
  list.entries[0] = ticket(4, 10, "5111111111", 1000, 0);
  list.entries[1] = ticket(4, 10, "5111111111", 2000, 4560);
  list.count = 2;
  QCOMPARE(host.session().storeDayTickets(4, 10, list), TransferResult::Ok);
  host.main->action(open)->trigger();
  QTRY_VERIFY(host.window(window) != nullptr);
  host.activate(window);

  auto* table = host.window(window)->findChild<QTableView*>();
  QVERIFY(table != nullptr);
  // A figure of the table as the window shows it: the first amount that
  // is not nothing.
  QString figure;
  for (const QStringList& row : viewTable(table, false).mid(1)) {
    for (const QString& cell : row.mid(1)) {
      if (figure.isEmpty() && cell.contains(QRegularExpression(QStringLiteral("[1-9]")))) {
        figure = cell.trimmed();
      }
    }
  }
  QVERIFY(!figure.isEmpty());

  QTemporaryDir out;
  const QString path = out.filePath(QStringLiteral("view.pdf"));
  QAction* pdf = host.main->action(QStringLiteral("actionSavePdf"));
  QVERIFY(pdf->isEnabled());
  answerDialog(path);
  pdf->trigger();
  QVERIFY(QFile::exists(path));
  QCOMPARE(pdfPages(path), 1);
  const QString text = pdfText(path);
  QVERIFY2(text.contains(title), qPrintable(text));
  QVERIFY2(text.contains(heading), qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("1月1日")), qPrintable(text));
  QVERIFY2(text.contains(plain(figure)), qPrintable(text));
  QVERIFY2(text.contains(plain(host.session().dataDirPath())), qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("1/1")), qPrintable(text));
  QCOMPARE(host.messages.texts(), QStringList{});
}

void TestPrint::longTableRepeatsItsHeader_data() {
  QTest::addColumn<int>("rows");
  QTest::addColumn<bool>("withGraph");
  QTest::newRow("one page") << 10 << false;
  QTest::newRow("several pages") << 200 << false;
  QTest::newRow("rows then a graph") << 50 << true;
}

// Every page of a long table starts with its header row, the rows follow
// in order with none lost, and each page is numbered of the pages there are.
void TestPrint::longTableRepeatsItsHeader() {
  QFETCH(int, rows);
  QFETCH(bool, withGraph);
  if (!havePoppler()) QSKIP("pdfinfo and pdftotext (poppler-utils) are not installed");
  PrintPage page{QStringLiteral("長い表"), QStringLiteral("1月1日～12月31日"), {}, {}};
  TableText table{{QStringLiteral("日付"), QStringLiteral("見出し金額")}};
  for (int r = 1; r <= rows; ++r) {
    table << QStringList{QStringLiteral("R%1=").arg(r), QStringLiteral("%1円").arg(r * 1000)};
  }
  page.tables << table;
  QLabel graph(QStringLiteral("グラフ見本"));
  graph.resize(720, 460);
  if (withGraph) page.graphs << &graph;

  QTemporaryDir out;
  const QString path = writePdf(out, page, QStringLiteral("long.pdf"));
  const int pages = pdfPages(path);
  QVERIFY(pages >= 1);
  // About 45 rows go on a page of A4 at nine points.
  QVERIFY2(pages >= rows / 60 + 1 && pages <= rows / 30 + 1 + (withGraph ? 1 : 0),
           qPrintable(QString::number(pages)));
  int next = 1;  // the row expected next
  for (int p = 1; p <= pages; ++p) {
    const QString text = pdfText(path, p);
    QVERIFY2(text.endsWith(QStringLiteral("%1/%2").arg(p).arg(pages)), qPrintable(text));
    if (next > rows) continue;  // a page with the graph alone
    QVERIFY2(text.contains(QStringLiteral("見出し金額")), qPrintable(text));
    static const QRegularExpression rowLabel(QStringLiteral("R(\\d+)="));
    for (auto it = rowLabel.globalMatch(text); it.hasNext();) {
      QCOMPARE(it.next().captured(1).toInt(), next);
      ++next;
    }
  }
  QCOMPARE(next, rows + 1);
  if (withGraph) {
    // The graph follows the last row, on its page since it fits there.
    const QString last = pdfText(path, pages);
    QVERIFY2(last.indexOf(QStringLiteral("R%1=").arg(rows)) >= 0 &&
                 last.indexOf(QStringLiteral("R%1=").arg(rows)) <
                     last.indexOf(QStringLiteral("グラフ見本")),
             qPrintable(last));
  }
}

// A table too wide to read whole on upright paper is printed across it.
void TestPrint::wideTableTurnsThePaper() {
  if (!havePoppler()) QSKIP("pdfinfo and pdftotext (poppler-utils) are not installed");
  QTemporaryDir out;
  for (const int columns : {5, 30}) {
    PrintPage page{QStringLiteral("幅"), QString(), {}, {}};
    QStringList row;
    for (int c = 0; c < columns; ++c) row << QStringLiteral("12,345,678円");
    page.tables << TableText{row, row};
    const QString info = run(QStringLiteral("pdfinfo"), {writePdf(out, page, "wide.pdf")});
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
    QVERIFY2(size.hasMatch(), qPrintable(info));
    const bool across = size.captured(1).toDouble() > size.captured(2).toDouble();
    QCOMPARE(across, columns == 30);
  }
}

void TestPrint::periodTexts_data() {
  QTest::addColumn<int>("fromMonth");
  QTest::addColumn<int>("fromDay");
  QTest::addColumn<int>("toMonth");
  QTest::addColumn<int>("toDay");
  QTest::addColumn<QString>("expected");
  QTest::newRow("whole year") << 1 << 1 << 12 << 31 << "1月1日～12月31日（年間）";
  QTest::newRow("a month") << 3 << 1 << 3 << 31 << "3月1日～3月31日";
  QTest::newRow("ends on the year's last day") << 2 << 1 << 12 << 31 << "2月1日～12月31日";
}

void TestPrint::periodTexts() {
  QFETCH(int, fromMonth);
  QFETCH(int, fromDay);
  QFETCH(int, toMonth);
  QFETCH(int, toDay);
  QFETCH(QString, expected);
  QCOMPARE(periodText(Period{fromMonth, fromDay, toMonth, toDay}), expected);
}

void TestPrint::commandsFollowTheWindowInFront_data() {
  QTest::addColumn<QString>("open");  // what is opened; none when empty
  QTest::addColumn<QString>("window");
  QTest::addColumn<bool>("prints");
  QTest::newRow("no window") << ""
                             << "" << false;
  QTest::newRow("entry") << "actionEntry"
                         << "Finput" << false;
  QTest::newRow("year browse") << "actionYearBrowse"
                               << "Fblowse" << true;
  QTest::newRow("analysis") << "actionAnalysis"
                            << "FSyosai" << true;
  QTest::newRow("trend") << "actionTrend"
                         << "Trend" << true;
  QTest::newRow("years") << "actionYears"
                         << "Years" << true;
  QTest::newRow("benchmark") << "actionBenchmark"
                             << "Benchmark" << true;
  QTest::newRow("income") << "actionIncome"
                          << "Income" << true;
}

void TestPrint::commandsFollowTheWindowInFront() {
  QFETCH(QString, open);
  QFETCH(QString, window);
  QFETCH(bool, prints);
  WindowHost host;
  QVERIFY(host.start());
  if (!open.isEmpty()) {
    host.main->action(open)->trigger();
    QTRY_VERIFY(host.window(window) != nullptr);
    host.activate(window);
  }
  QCOMPARE(host.main->action(QStringLiteral("actionPrint"))->isEnabled(), prints);
  QCOMPARE(host.main->action(QStringLiteral("actionSavePdf"))->isEnabled(), prints);
  QCOMPARE(host.main->action(QStringLiteral("actionPrint"))->shortcut(),
           QKeySequence(Qt::CTRL | Qt::Key_P));
  if (!prints) return;
  // The page of the view has its title and something to put on paper.
  const auto* child = qobject_cast<ChildWindow*>(host.window(window));
  const std::optional<PrintPage> page = child->printPage();
  QVERIFY(page.has_value());
  QVERIFY(page->title.startsWith(child->windowTitle()));
  QVERIFY(!page->tables.isEmpty() || !page->graphs.isEmpty());
  // Once it has closed, nothing is in front to print.
  host.window(window)->close();
  QTRY_VERIFY(!host.main->action(QStringLiteral("actionPrint"))->isEnabled());
}

// The right-click menu of a grid holds 印刷… and PDF保存… in a window that
// prints, and not in one that does not.
void TestPrint::contextMenuOffersPrintWhereTheWindowPrints() {
  WindowHost host;
  QVERIFY(host.start());
  host.main->action(QStringLiteral("actionYearBrowse"))->trigger();
  // The tickets of a day are a grid that copies but does not print.
  openChildWindow(*host.area(), new TicketWindow(host.session(), host.messages, 4, 10));
  QTRY_VERIFY(host.window("Fblowse") != nullptr && host.window("jrabaken") != nullptr);
  for (const auto& [name, prints] : {std::pair{"Fblowse", true}, std::pair{"jrabaken", false}}) {
    host.activate(name);
    auto* grid = host.window(name)->findChild<Grid*>();
    QVERIFY2(grid != nullptr, name);
    QAction* print = grid->findChild<QAction*>(QStringLiteral("PrintView"));
    QAction* pdf = grid->findChild<QAction*>(QStringLiteral("SaveViewPdf"));
    QVERIFY(print != nullptr && pdf != nullptr);
    bool shown = false;
    QTimer::singleShot(0, [&shown] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        shown = true;
        menu->close();
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            grid->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(grid->viewport(), &event);
    QVERIFY(shown);
    QCOMPARE(print->isVisible(), prints);
    QCOMPARE(pdf->isVisible(), prints);
  }
}

// 印刷… opens the preview with the view's page on it; it shuts again.
void TestPrint::previewOpensAndCloses() {
  WindowHost host;
  QVERIFY(host.start());
  host.main->action(QStringLiteral("actionYearBrowse"))->trigger();
  QTRY_VERIFY(host.window("Fblowse") != nullptr);
  host.activate("Fblowse");
  int pages = -1;
  QString title;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
    if (preview == nullptr) return;
    poll.stop();
    title = preview->windowTitle();
    auto* widget = preview->findChild<QPrintPreviewWidget*>();
    if (widget != nullptr) pages = widget->pageCount();
    preview->reject();
  });
  poll.start();
  // Were the preview not shut, exec would not come back and the test would
  // time out.
  host.main->action(QStringLiteral("actionPrint"))->trigger();
  QCOMPARE(pages, 1);
  QVERIFY2(title.contains(QStringLiteral("総合統計情報")), qPrintable(title));
}

QTEST_MAIN(TestPrint)
#include "test_print.moc"
