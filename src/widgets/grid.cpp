#include "widgets/grid.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>
#include <algorithm>
#include <cmath>

#include "widgets/look.h"

namespace tamrel {

namespace {

// Paints the corner button as a header section carrying the (0, 0) text;
// Qt's own corner button draws an empty section.
class CornerPainter : public QObject {
 public:
  CornerPainter(const QString* text, QObject* parent) : QObject(parent), text_(text) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    auto* button = static_cast<QWidget*>(watched);
    QStyleOptionHeader option;
    option.initFrom(button);
    option.rect = button->rect();
    // The button is disabled so that it does not select everything; its
    // text should still read like the other headers, not greyed out.
    option.state |= QStyle::State_Enabled;
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = *text_;
    option.textAlignment = Qt::AlignCenter;
    QPainter painter(button);
    button->style()->drawControl(QStyle::CE_Header, &option, &painter, button);
    return true;
  }

 private:
  const QString* text_;
};

QStringList blanks(int n) { return QStringList(std::max(n, 0), QString()); }

}  // namespace

Grid::Grid(int rows, int cols, int fixedCols, QWidget* parent)
    : QTableWidget(std::max(rows - 1, 0), std::max(cols - fixedCols, 0), parent),
      rows_(std::max(rows, 1)),
      cols_(std::max(cols, fixedCols)),
      fixedCols_(std::clamp(fixedCols, 0, 1)) {
  // Header items exist from the start with empty text, so an untouched
  // header reads (and shows) empty instead of Qt's running numbers.
  setHorizontalHeaderLabels(blanks(columnCount()));
  setVerticalHeaderLabels(blanks(rowCount()));
  verticalHeader()->setVisible(fixedCols_ == 1);

  // The widths are the windows' to set; neither the user nor the contents
  // change them.
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  // Narrow columns (a few hundred twips) are drawn as narrow as they are set,
  // not widened to the style's minimum section size.
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setHighlightSections(false);

  // Every window that reads the selection wants a row (the month or day to
  // open, the ticket to delete), so a click selects the whole row: the user
  // sees exactly what a following command will act on.
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setFocusPolicy(Qt::StrongFocus);
  // Tab leaves the grid for the window's next control, as it leaves any
  // other control; the arrow keys move within the grid.
  setTabKeyNavigation(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  if (auto* corner = findChild<QAbstractButton*>()) {
    corner->installEventFilter(new CornerPainter(&corner_, this));
  }

  connect(this, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int /*col*/) { emit rowDoubleClicked(row + 1); });
  // The row's label is what the user reads, so it is what the user clicks:
  // a double-click there counts for the row (its first click selected it).
  connect(verticalHeader(), &QHeaderView::sectionDoubleClicked, this,
          [this](int section) { emit rowDoubleClicked(section + 1); });
}

void Grid::setColumnWidthTwips(int col, int twips) {
  if (col < 0 || col >= cols_) return;
  const int pixels = twipsToPixels(twips, this);
  if (col < fixedCols_) {
    verticalHeader()->setFixedWidth(pixels);
  } else {
    setColumnWidth(col - fixedCols_, pixels);
  }
}

double Grid::setColumnWidthsTwips(std::span<const int> twips, std::span<const QStringList> texts) {
  // Cells keep a margin either side of their text, headers theirs.
  const int cellMargin =
      2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
  const int headerMargin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 2;
  const QFontMetrics cellMetrics(font());
  const QFontMetrics headerMetrics(horizontalHeader()->font());
  const QFontMetrics labelMetrics(verticalHeader()->font());
  double scale = 1.0;
  for (std::size_t c = 0; c < twips.size(); ++c) {
    const int col = static_cast<int>(c);
    const double available = std::max(twipsToPixels(twips[c], this), 1);
    const auto fit = [&](const QFontMetrics& metrics, const QString& text, int margin) {
      scale = std::max(scale, (metrics.horizontalAdvance(text) + margin) / available);
    };
    // The header as set, and what the column's cells (or, in the fixed
    // column, its row labels) can show.
    fit(headerMetrics, cell(0, col), headerMargin);
    if (c >= texts.size()) continue;
    for (const QString& text : texts[c]) {
      if (col < fixedCols_) {
        fit(labelMetrics, text, headerMargin);
      } else {
        fit(cellMetrics, text, cellMargin);
      }
    }
  }
  for (std::size_t c = 0; c < twips.size(); ++c) {
    setColumnWidthTwips(static_cast<int>(c), static_cast<int>(std::ceil(twips[c] * scale)));
  }
  return scale;
}

int Grid::columnWidthPixels(int col) const {
  if (col < 0 || col >= cols_) return 0;
  if (col < fixedCols_) {
    const QHeaderView* header = verticalHeader();
    return header->minimumWidth() == header->maximumWidth() ? header->maximumWidth()
                                                            : header->sizeHint().width();
  }
  return columnWidth(col - fixedCols_);
}

void Grid::setCell(int row, int col, const QString& text) {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
  if (row == 0 && col < fixedCols_) {
    corner_ = text;
    if (auto* corner = findChild<QAbstractButton*>()) corner->update();
  } else if (row == 0) {
    horizontalHeaderItem(col - fixedCols_)->setText(text);
  } else if (col < fixedCols_) {
    verticalHeaderItem(row - 1)->setText(text);
  } else if (QTableWidgetItem* it = item(row - 1, col - fixedCols_)) {
    it->setText(text);
  } else {
    setItem(row - 1, col - fixedCols_, new QTableWidgetItem(text));
  }
}

QString Grid::cell(int row, int col) const {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return {};
  if (row == 0 && col < fixedCols_) return corner_;
  const QTableWidgetItem* it = nullptr;
  if (row == 0) {
    it = horizontalHeaderItem(col - fixedCols_);
  } else if (col < fixedCols_) {
    it = verticalHeaderItem(row - 1);
  } else {
    it = item(row - 1, col - fixedCols_);
  }
  return it != nullptr ? it->text() : QString();
}

int Grid::selectedRow() const {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.isEmpty()) return 0;
  int first = ranges.front().topRow();
  for (const QTableWidgetSelectionRange& range : ranges) first = std::min(first, range.topRow());
  return first + 1;
}

void Grid::setCurrentRow(int r) {
  if (r < 1 || r >= rows_ || columnCount() == 0) return;
  const int column = std::max(currentColumn(), 0);
  setCurrentCell(r - 1, column, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(model()->index(r - 1, column));
}

}  // namespace tamrel
