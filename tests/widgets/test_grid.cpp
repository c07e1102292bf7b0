#include <QAbstractButton>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>

#include "support/gui_actions.h"
#include "widgets/grid.h"
#include "widgets/look.h"

using tamrel::Grid;
using tamrel::gui::doubleClick;

namespace {

QPoint cellCentre(const Grid& grid, int row, int col) {
  // Grid numbering counts the header row and (with fixedCols 1) the header
  // column; the view's items do not.
  return grid.visualItemRect(grid.item(row - 1, col - 1)).center();
}

// A shown grid with every data cell filled, rows x cols including headers.
void fill(Grid& grid) {
  for (int r = 1; r < grid.rowCountWithHeader(); ++r) {
    grid.setCell(r, 0, QStringLiteral("R%1").arg(r));
    for (int c = 1; c < grid.colCountWithHeader(); ++c) {
      grid.setCell(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
    }
  }
}

}  // namespace

class TestGrid : public QObject {
  Q_OBJECT
 private slots:
  void headerCells_data();
  void headerCells();
  void cornerText();
  void untouchedCellsReadEmpty();
  void widths_data();
  void widths();
  void currentRow();
  void clickSelectsRow_data();
  void clickSelectsRow();
  void doubleClickReportsRow_data();
  void doubleClickReportsRow();
  void doubleClickOnHeaderReportsNothing();
  void noEditing();
  void tabLeavesTheGrid();
  void widthsWidenedInProportion_data();
  void widthsWidenedInProportion();
  void headerStaysWhenScrolling();
  void headerColumnStaysWhenScrollingSideways();
};

void TestGrid::headerCells_data() {
  QTest::addColumn<int>("fixedCols");
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("col");
  QTest::addColumn<QString>("text");
  QTest::newRow("row 0 with label column") << 1 << 0 << 2 << QStringLiteral("払戻金額");
  QTest::newRow("column 0 label") << 1 << 3 << 0 << QStringLiteral("　３月");
  QTest::newRow("row 0 without label column, first") << 0 << 0 << 0 << QStringLiteral("項目");
  QTest::newRow("row 0 without label column, last") << 0 << 0 << 4 << QStringLiteral("回収率");
}

void TestGrid::headerCells() {
  QFETCH(int, fixedCols);
  QFETCH(int, row);
  QFETCH(int, col);
  QFETCH(QString, text);
  Grid grid(13, 5, fixedCols);
  grid.setCell(row, col, text);
  QCOMPARE(grid.cell(row, col), text);
  // Shown as header text, not as a data cell.
  if (row == 0) {
    QCOMPARE(grid.model()->headerData(col - fixedCols, Qt::Horizontal).toString(), text);
  } else {
    QCOMPARE(grid.model()->headerData(row - 1, Qt::Vertical).toString(), text);
  }
  for (int r = 0; r < grid.rowCount(); ++r) {
    for (int c = 0; c < grid.columnCount(); ++c) {
      QVERIFY(grid.item(r, c) == nullptr);
    }
  }
  QCOMPARE(grid.verticalHeader()->isHidden(), fixedCols == 0);
}

void TestGrid::cornerText() {
  Grid grid(3, 3, 1);
  grid.setColumnWidthTwips(0, 700);
  grid.resize(300, 150);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  auto* corner = grid.findChild<QAbstractButton*>();
  QVERIFY(corner != nullptr);
  const QImage blank = corner->grab().toImage();
  grid.setCell(0, 0, QStringLiteral("角"));
  QCOMPARE(grid.cell(0, 0), QStringLiteral("角"));
  // The text is drawn in the corner.
  QVERIFY(corner->grab().toImage() != blank);
  grid.setCell(0, 1, QStringLiteral("A"));
  QCOMPARE(grid.cell(0, 0), QStringLiteral("角"));
}

void TestGrid::untouchedCellsReadEmpty() {
  Grid grid(4, 3, 1);
  grid.setCell(2, 1, QStringLiteral("x"));
  QCOMPARE(grid.cell(2, 1), QStringLiteral("x"));
  QCOMPARE(grid.cell(1, 1), QString());
  QCOMPARE(grid.cell(2, 2), QString());
  QCOMPARE(grid.cell(0, 1), QString());
  QCOMPARE(grid.cell(3, 0), QString());
  QCOMPARE(grid.cell(0, 0), QString());
  // Untouched headers show nothing rather than the view's running numbers.
  QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QString());
  QCOMPARE(grid.model()->headerData(0, Qt::Vertical).toString(), QString());
  // Out of range reads empty too.
  QCOMPARE(grid.cell(4, 1), QString());
  QCOMPARE(grid.cell(1, 3), QString());
  QCOMPARE(grid.cell(-1, 0), QString());
}

void TestGrid::widths_data() {
  QTest::addColumn<int>("fixedCols");
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("twips");
  QTest::newRow("label column 700") << 1 << 0 << 700;
  QTest::newRow("label column one inch") << 1 << 0 << 1440;
  QTest::newRow("data column 1600") << 1 << 2 << 1600;
  QTest::newRow("data column one inch") << 1 << 4 << 1440;
  QTest::newRow("no label column, column 0") << 0 << 0 << 2000;
  QTest::newRow("narrow data column 150") << 1 << 13 << 150;
}

void TestGrid::widths() {
  QFETCH(int, fixedCols);
  QFETCH(int, col);
  QFETCH(int, twips);
  Grid grid(13, 15, fixedCols);
  grid.resize(800, 300);
  grid.setColumnWidthTwips(col, twips);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  const int dpi = grid.logicalDpiX();
  const int expected = qRound(twips * dpi / 1440.0);
  QCOMPARE(grid.columnWidthPixels(col), expected);
  if (twips == 1440) QCOMPARE(grid.columnWidthPixels(col), dpi);
  // What is drawn: the header section or the label column itself.
  if (col < fixedCols) {
    QCOMPARE(grid.verticalHeader()->width(), expected);
  } else {
    QCOMPARE(grid.horizontalHeader()->sectionSize(col - fixedCols), expected);
  }
}

void TestGrid::currentRow() {
  Grid grid(201, 4, 1);
  fill(grid);
  grid.resize(300, 200);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  QCOMPARE(grid.selectedRow(), 0);

  grid.setCurrentRow(5);
  QCOMPARE(grid.selectedRow(), 5);

  // Far below the visible rows: selected and scrolled into view.
  grid.setCurrentRow(180);
  QCOMPARE(grid.selectedRow(), 180);
  const QRect rect = grid.visualItemRect(grid.item(179, 0));
  QVERIFY(grid.viewport()->rect().contains(rect.center()));

  grid.setCurrentRow(1);
  QCOMPARE(grid.selectedRow(), 1);
  QVERIFY(grid.viewport()->rect().contains(grid.visualItemRect(grid.item(0, 0)).center()));
}

void TestGrid::clickSelectsRow_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("col");
  QTest::newRow("first data row") << 1 << 1;
  QTest::newRow("third row, last column") << 3 << 3;
  QTest::newRow("row 5") << 5 << 2;
}

void TestGrid::clickSelectsRow() {
  QFETCH(int, row);
  QFETCH(int, col);
  Grid grid(13, 4, 1);
  fill(grid);
  grid.resize(400, 400);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  grid.setCurrentRow(9);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, row, col));
  QCOMPARE(grid.selectedRow(), row);
  // The whole row is selected, so the user sees what a command will act on.
  QCOMPARE(grid.selectedItems().size(), grid.columnCount());
}

void TestGrid::doubleClickReportsRow_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<bool>("onLabel");  // on the row's label in the fixed column
  QTest::newRow("row 1") << 1 << false;
  QTest::newRow("row 7") << 7 << false;
  QTest::newRow("row 150, scrolled to") << 150 << false;
  QTest::newRow("label of row 1") << 1 << true;
  QTest::newRow("label of row 150, scrolled to") << 150 << true;
}

void TestGrid::doubleClickReportsRow() {
  QFETCH(int, row);
  QFETCH(bool, onLabel);
  Grid grid(201, 4, 1);
  fill(grid);
  grid.resize(300, 200);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  grid.setCurrentRow(row);  // scrolls it into view
  grid.clearSelection();
  QSignalSpy spy(&grid, &Grid::rowDoubleClicked);
  if (onLabel) {
    QHeaderView* header = grid.verticalHeader();
    doubleClick(header->viewport(),
                QPoint(header->width() / 2, header->sectionViewportPosition(row - 1) +
                                                header->sectionSize(row - 1) / 2));
  } else {
    doubleClick(grid.viewport(), cellCentre(grid, row, 2));
  }
  QCOMPARE(spy.size(), 1);
  QCOMPARE(spy.at(0).at(0).toInt(), row);
  // The handlers read the selection; it must agree with the reported row.
  QCOMPARE(grid.selectedRow(), row);
}

void TestGrid::doubleClickOnHeaderReportsNothing() {
  Grid grid(13, 4, 1);
  fill(grid);
  grid.resize(400, 400);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  QSignalSpy spy(&grid, &Grid::rowDoubleClicked);
  QHeaderView* header = grid.horizontalHeader();
  doubleClick(header->viewport(),
              QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
  QCOMPARE(spy.size(), 0);
}

void TestGrid::noEditing() {
  Grid grid(13, 4, 1);
  fill(grid);
  grid.resize(400, 400);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  doubleClick(grid.viewport(), cellCentre(grid, 2, 2));
  QTest::keyClick(grid.viewport(), Qt::Key_F2);
  QTest::keyClicks(grid.viewport(), QStringLiteral("99"));
  QTest::keyClick(grid.viewport(), Qt::Key_Return);
  QVERIFY(grid.findChild<QLineEdit*>() == nullptr);
  QCOMPARE(grid.cell(2, 2), QStringLiteral("2,2"));
}

// Tab moves on to the next control, as from any other control; the arrow
// keys still move the current cell.
void TestGrid::tabLeavesTheGrid() {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* grid = new Grid(5, 4, 1);
  auto* after = new QLineEdit;
  layout->addWidget(grid);
  layout->addWidget(after);
  fill(*grid);
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  grid->setFocus();
  grid->setCurrentRow(1);
  QTRY_VERIFY(grid->hasFocus());
  QTest::keyClick(grid, Qt::Key_Down);
  QCOMPARE(grid->selectedRow(), 2);
  QTest::keyClick(grid, Qt::Key_Tab);
  QTRY_VERIFY(after->hasFocus());
  QCOMPARE(grid->selectedRow(), 2);
}

void TestGrid::widthsWidenedInProportion_data() {
  QTest::addColumn<QStringList>("longest");  // the texts of column 2
  QTest::addColumn<QString>("header");       // the header of column 3
  QTest::addColumn<bool>("widened");
  QTest::newRow("texts fit the table") << QStringList{"1", "22"} << "B" << false;
  QTest::newRow("a long caption") << QStringList{"1", "2400m以下の距離"} << "B" << true;
  QTest::newRow("a long amount") << QStringList{"-2147483648"} << "B" << true;
  QTest::newRow("a long header") << QStringList{"1"} << "払戻金額の合計金額" << true;
}

// A twips table whose columns are too narrow for their texts is widened,
// every column by the same factor; one wide enough is kept as it is.
void TestGrid::widthsWidenedInProportion() {
  QFETCH(QStringList, longest);
  QFETCH(QString, header);
  QFETCH(bool, widened);
  Grid grid(3, 4, 1);
  grid.setCell(0, 3, header);
  const int twips[] = {300, 600, 400, 800};
  const QList<QStringList> texts{{" 2"}, {"A"}, longest, {}};
  const double scale = grid.setColumnWidthsTwips(twips, texts);
  QCOMPARE(scale > 1.0, widened);
  for (int c = 0; c < 4; ++c) {
    const double expected = tamrel::twipsToPixels(twips[c], &grid) * scale;
    QVERIFY2(qAbs(grid.columnWidthPixels(c) - expected) <= 1.5, qPrintable(QString::number(c)));
  }
  // What was to fit does: the cell's own size as the view would draw it.
  for (const QString& text : longest) {
    grid.setCell(1, 2, text);
    QStyleOptionViewItem option;
    option.initFrom(grid.viewport());
    option.widget = &grid;
    const QModelIndex index = grid.model()->index(0, 1);
    QVERIFY(grid.itemDelegate()->sizeHint(option, index).width() <= grid.columnWidthPixels(2));
  }
  const int headerMargin = grid.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &grid);
  QVERIFY(grid.horizontalHeader()->fontMetrics().horizontalAdvance(header) + 2 * headerMargin <=
          grid.columnWidthPixels(3));
}

void TestGrid::headerStaysWhenScrolling() {
  Grid grid(201, 4, 1);
  fill(grid);
  grid.setCell(0, 1, QStringLiteral("投資金額"));
  grid.resize(300, 200);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  const QRect headerBefore = grid.horizontalHeader()->geometry();
  QCOMPARE(grid.rowAt(0), 0);

  QScrollBar* bar = grid.verticalScrollBar();
  QVERIFY(bar->maximum() > 0);
  bar->setValue(bar->maximum());
  QTRY_VERIFY(grid.rowAt(0) > 100);

  QCOMPARE(grid.horizontalHeader()->geometry(), headerBefore);
  QVERIFY(grid.horizontalHeader()->isVisible());
  QCOMPARE(grid.cell(0, 1), QStringLiteral("投資金額"));
  QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("投資金額"));
  // The label column follows its rows: the first visible label is that row's.
  const int first = grid.rowAt(0);
  QCOMPARE(grid.verticalHeader()->logicalIndexAt(1), first);
  QCOMPARE(grid.cell(first + 1, 0), QStringLiteral("R%1").arg(first + 1));
  // The last row is reachable.
  QVERIFY(grid.viewport()->rect().intersects(grid.visualItemRect(grid.item(199, 0))));
}

void TestGrid::headerColumnStaysWhenScrollingSideways() {
  Grid grid(5, 12, 1);
  fill(grid);
  grid.setColumnWidthTwips(0, 700);
  for (int c = 1; c < 12; ++c) grid.setColumnWidthTwips(c, 1600);
  grid.resize(300, 200);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  const QRect labelsBefore = grid.verticalHeader()->geometry();
  QCOMPARE(grid.columnAt(0), 0);
  QScrollBar* bar = grid.horizontalScrollBar();
  QVERIFY(bar->maximum() > 0);
  bar->setValue(bar->maximum());
  QTRY_VERIFY(grid.columnAt(0) > 0);
  QCOMPARE(grid.verticalHeader()->geometry(), labelsBefore);
  QCOMPARE(grid.cell(2, 0), QStringLiteral("R2"));
}

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
