#include "browse/browse_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "browse/figures_panel.h"
#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/grid.h"
#include "widgets/look.h"
#include "widgets/messages.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

constexpr std::array<int, 5> kColumnTwips{700, 1600, 1600, 1600, 1100};
// Rows the grid shows before it scrolls: a whole year.
constexpr int kVisibleRows = 12;

// Enter on a row of the grid opens it, as a double-click does, so the
// drill-down does not need the mouse.
class EnterOpensRow : public QObject {
 public:
  EnterOpensRow(Grid* grid, std::function<void(int)> open)
      : QObject(grid), grid_(grid), open_(std::move(open)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != grid_ || event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    const int row = grid_->selectedRow();
    if (row >= 1) open_(row);
    return true;
  }

 private:
  Grid* grid_;
  std::function<void(int)> open_;
};

}  // namespace

BrowseWindow::BrowseWindow(const DataSession& session, Messages& messages, const QString& name,
                           const QString& caption, const QString& panelCaption, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(ownMessages(messages)) {
  setObjectName(name);
  setWindowTitle(caption);
  setFont(uiFont());
  panel_ = new FiguresPanel(panelCaption, this);
  panel_->setFocusTarget([this]() -> QWidget* { return close_; });
  installTableExport(
      panel_, session, messages_, [panel = panel_](bool) { return panel->tableText(); },
      panelCaption);
  refresh_ = makeButton(QStringLiteral("Command3D1"), QStringLiteral("最新表示"));
  close_ = makeButton(QStringLiteral("Close3d1"), QStringLiteral("閉じる"));
  connect(refresh_, &QPushButton::clicked, this, &BrowseWindow::refresh);
  connect(close_, &QPushButton::clicked, this, &ChildWindow::closeWindow);
  followSession(session_, Follows::Days);
}

std::optional<PrintPage> BrowseWindow::printPage() const {
  PrintPage page = printPageOf(windowTitle(), periodText(printPeriod()), {grid_});
  page.tables.prepend(panel_->tableText());
  return page;
}

void BrowseWindow::build() {
  overflowing_ = fillFigures();
  if (overflowing_) messages_.error(kAmountOutOfRange);
}

void BrowseWindow::showData() {
  const bool wasOverflowing = overflowing_;
  overflowing_ = fillFigures();
  // Told once, not again with every step while it lasts.
  if (overflowing_ && !wasOverflowing) messages_.error(kAmountOutOfRange);
}

void BrowseWindow::refresh() {
  build();
  if (QMdiSubWindow* frame = subWindow()) frame->move(0, 0);
}

Grid* BrowseWindow::makeGrid(const QStringList& rowLabels, const QString& accessibleName) {
  const auto rows = static_cast<int>(rowLabels.size());
  grid_ = new Grid(rows + 1, kColumnCount + 1, 1, this);
  grid_->setObjectName(QStringLiteral("Grid1"));
  grid_->setAccessibleName(accessibleName);
  const QStringList headers{QStringLiteral("投資金額"), QStringLiteral("払戻金額"),
                            QStringLiteral("利益金額"), QStringLiteral("回収率")};
  for (int c = 0; c < kColumnCount; ++c) grid_->setCell(0, c + 1, headers[c]);
  for (int r = 0; r < rows; ++r) grid_->setCell(r + 1, 0, rowLabels[r]);

  // Rows as tight as still reads well: the whole year must fit the work
  // area under the menu bar, the strip and the status bar.
  const int rowHeight = QFontMetrics(grid_->font()).height() + 4;
  grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
  grid_->setMinimumHeight(2 * grid_->frameWidth() + grid_->horizontalHeader()->sizeHint().height() +
                          std::min(rows, kVisibleRows) * rowHeight);
  // All five columns always in view: the grid scrolls only up and down.
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  installTableExport(grid_, session_, messages_);
  connect(grid_, &Grid::rowDoubleClicked, this, [this](int row) { openRow(row); });
  grid_->installEventFilter(new EnterOpensRow(grid_, [this](int row) { openRow(row); }));
  return grid_;
}

void BrowseWindow::fitGridTo(int width) {
  const QFontMetrics fm(grid_->font());
  int labelWidth = 0;
  for (int r = 1; r < grid_->rowCountWithHeader(); ++r) {
    labelWidth = std::max(labelWidth, fm.horizontalAdvance(grid_->cell(r, 0)));
  }
  int twipsWidth = 0;
  for (const int twips : kColumnTwips) twipsWidth += twipsToPixels(twips, grid_);
  const int edges = 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width();
  // The widths keep their proportions: as wide as the panel above, and
  // never so narrow that the row labels would be cut.
  const double scale =
      std::max((labelWidth + 16.0) / static_cast<double>(twipsToPixels(kColumnTwips[0], grid_)),
               (width - edges) / static_cast<double>(twipsWidth));
  int total = edges;
  for (std::size_t c = 0; c < kColumnTwips.size(); ++c) {
    grid_->setColumnWidthTwips(static_cast<int>(c),
                               static_cast<int>(std::floor(kColumnTwips[c] * scale)));
    total += grid_->columnWidthPixels(static_cast<int>(c));
  }
  grid_->setFixedWidth(total);
}

void BrowseWindow::fillGrid(const GridFigures& figures) {
  for (std::size_t r = 0; r < figures.rows.size(); ++r) {
    const int row = static_cast<int>(r) + 1;
    for (int c = 1; c <= kColumnCount; ++c) {
      grid_->setCell(row, c, fromCore(figures.rows[r][static_cast<std::size_t>(c - 1)].text));
      // Amounts line up on their last digit.
      grid_->item(row - 1, c - 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
  }
}

ValueBox* BrowseWindow::numberBox(const QString& name, const QString& accessibleName) {
  auto* box = new ValueBox(this);
  box->setObjectName(name);
  box->setAccessibleName(accessibleName);
  box->setFocusPolicy(Qt::ClickFocus);
  box->setFocusTarget([this]() -> QWidget* { return close_; });
  box->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00")) + 20);
  setBoxColours(box, Qt::white, Qt::black);
  return box;
}

QLabel* BrowseWindow::redLabel(const QString& text) {
  auto* label = new QLabel(text, this);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
  label->setPalette(palette);
  return label;
}

QPushButton* BrowseWindow::makeButton(const QString& name, const QString& caption) {
  QPushButton* button = commandButton(name, caption, this);
  button->setMinimumWidth(fontMetrics().horizontalAdvance(caption) + 32);
  return button;
}

void BrowseWindow::arrange(QWidget* middle, const QList<QWidget*>& notes,
                           const QList<QPushButton*>& buttons) {
  auto* bar = new QFrame(this);
  bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* barLayout = new QHBoxLayout(bar);
  barLayout->setContentsMargins(6, 4, 6, 4);
  for (QWidget* note : notes) {
    note->setParent(bar);
    barLayout->addWidget(note);
  }
  barLayout->addStretch(1);
  QList<QPushButton*> all = buttons;
  all << refresh_ << close_;
  for (QPushButton* button : all) {
    button->setParent(bar);
    barLayout->addWidget(button);
  }

  // The grid as wide as the widest of the panel and the bar, so the three
  // line up.
  if (grid_ != nullptr) fitGridTo(std::max(panel_->sizeHint().width(), bar->sizeHint().width()));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(panel_);
  if (middle != nullptr) layout->addWidget(middle, 1);
  layout->addWidget(bar);
  layout->setSizeConstraint(QLayout::SetMinimumSize);

  // Tab goes through the grid and the buttons; the value boxes only pass
  // the focus on, so they are left out.
  QWidget* previous = grid_;
  for (QPushButton* button : all) {
    if (previous != nullptr) setTabOrder(previous, button);
    previous = button;
  }
  if (grid_ != nullptr) {
    grid_->setFocus();
  } else {
    close_->setFocus();
  }
}

ChildWindow* BrowseWindow::openWindow(const QString& name) const {
  return findOpenWindow(workArea(), name);
}

void BrowseWindow::openBeside(ChildWindow* window) const {
  if (QMdiArea* area = workArea()) {
    openChildWindow(*area, window);
  } else {
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
  }
}

void closeOpenWindow(const QMdiArea* area, const QString& name) {
  if (ChildWindow* window = findOpenWindow(area, name)) window->closeWindow();
}

}  // namespace tamrel
