#include "stats/analysis_window.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "state/data_session.h"
#include "stats/category_graphs.h"
#include "stats/tab_strip.h"
#include "widgets/core_text.h"
#include "widgets/grid.h"
#include "widgets/look.h"
#include "widgets/messages.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

constexpr int kTabsPerRow = 6;
constexpr int kGridRows = 15;  // the header row and up to 14 categories
constexpr int kGridCols = 5;
constexpr std::array<int, kGridCols> kColumnTwips{1000, 1600, 1600, 1600, 1100};
const std::array<QString, kGridCols> kHeaders{QStringLiteral("内容"), QStringLiteral("投資金額"),
                                              QStringLiteral("払戻金額"),
                                              QStringLiteral("利益金額"), QStringLiteral("回収率")};
// The widest figures a column is made for: the 32-bit extreme and a rate of
// a thousand times the stake.
const QString kWidestAmount = QStringLiteral("-2147483648");
const QString kWidestRate = QStringLiteral("100000.00%");
// Tab i shows dimension i; the last three tabs are blank.
struct TabEntry {
  const char* grid;
  const char* caption;
};
constexpr std::array<TabEntry, kDimensionCount> kTabs{{
    {"GridBaba", "馬場別"},
    {"GridRace", "ﾚｰｽ別"},
    {"GridYobi", "曜日別"},
    {"GridCose", "ｺｰｽ別"},
    {"GridLong", "距離別"},
    {"GridClass", "ｸﾗｽ別"},
    {"GridUmaRei", "馬齢別"},
    {"GridHinba", "条件別"},
    {"GridTosu", "頭数別"},
}};

// What each column must show whole: the categories' captions, the widest
// figures.
std::array<QStringList, kGridCols> widestTexts() {
  QStringList captions;
  for (Dimension d : kDimensions) {
    for (const Category& category : categories(d)) captions << fromCore(category.caption);
  }
  return {captions, {kWidestAmount}, {kWidestAmount}, {kWidestAmount}, {kWidestRate}};
}

Grid* newGrid(QWidget* parent, const TabEntry& tab) {
  auto* grid = new Grid(kGridRows, kGridCols, 0, parent);
  grid->setObjectName(QString::fromLatin1(tab.grid));
  grid->setAccessibleName(QString::fromUtf8(tab.caption) + QStringLiteral("集計表"));
  grid->setTextElideMode(Qt::ElideNone);
  // One line of text per row, so the whole table fits the work area.
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  for (int c = 0; c < kGridCols; ++c) grid->setCell(0, c, kHeaders[c]);
  // The widths keep their proportions, all widened where a caption or a
  // figure would not fit.
  static const std::array<QStringList, kGridCols> widest = widestTexts();
  grid->setColumnWidthsTwips(kColumnTwips, widest);
  // Every row and column shows at once: nothing to scroll to.
  const int frame = 2 * grid->frameWidth();
  grid->setFixedSize(
      grid->horizontalHeader()->length() + frame,
      grid->horizontalHeader()->sizeHint().height() + grid->verticalHeader()->length() + frame);
  return grid;
}

QPushButton* newButton(QWidget* parent, const char* name, const QString& caption, int twips) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAccessibleName(caption);
  button->setMinimumWidth(twipsToPixels(twips, parent));
  return button;
}

}  // namespace

AnalysisWindow::AnalysisWindow(const DataSession& session, Messages& messages, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(ownMessages(messages)) {
  setObjectName(kName);
  setWindowTitle(QStringLiteral("詳細表示ウィンドウ"));
  setFont(uiFont());
  buildLayout();
  load();
  tabs_->setCurrentIndex(kFirstTab);
  followSession(session_, Follows::Tickets);
}

AnalysisWindow::~AnalysisWindow() = default;

std::optional<PrintPage> AnalysisWindow::printPage() const {
  const int tab = tabs_->currentIndex();
  if (tab < 0 || tab >= kDimensionCount) return std::nullopt;
  return printPageOf(windowTitle() + QStringLiteral(" ") + tabs_->tabText(tab),
                     periodText(Period{}), {grids_[static_cast<std::size_t>(tab)]});
}

void AnalysisWindow::showData() {
  const bool wasOverflowing = overflowing_;
  overflowing_ = !computeAllCategoryTotals(totals_, session_.tickets());
  for (Dimension d : kDimensions) fillGrid(d);
  // Told once, not again with every step while it lasts.
  if (overflowing_ && !wasOverflowing) messages_.error(kAmountOutOfRange);
}

void AnalysisWindow::buildLayout() {
  auto* selection = new QGroupBox(QStringLiteral("分析表示種類選択"), this);
  tabs_ = new TabStrip(kTabsPerRow, selection);
  tabs_->setObjectName(QStringLiteral("SSTabS"));
  tabs_->setAccessibleName(QStringLiteral("分析表示種類選択"));
  for (std::size_t t = 0; t < kTabs.size(); ++t) {
    auto* page = new QWidget;
    grids_[t] = newGrid(page, kTabs[t]);
    installTableExport(grids_[t], session_, messages_);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(8, 8, 8, 8);
    pageLayout->addWidget(grids_[t], 0, Qt::AlignLeft | Qt::AlignTop);
    const QString caption = QString::fromUtf8(kTabs[t].caption);
    tabs_->addTab(page, caption, caption);
  }
  for (int t = kDimensionCount; t < kTabCount; ++t) {
    tabs_->addTab(new QWidget, QStringLiteral(" "), QStringLiteral("空きタブ%1").arg(t + 1));
  }
  for (std::size_t r = 0; r < tabs_->rows().size(); ++r) {
    tabs_->setRowAccessibleName(r, QStringLiteral("分析表示種類選択 %1段目").arg(r + 1));
  }
  auto* selectionLayout = new QVBoxLayout(selection);
  selectionLayout->addWidget(tabs_);

  auto* buttons = new QFrame(this);
  buttons->setFrameStyle(QFrame::Panel | QFrame::Raised);
  graphButton_ = newButton(buttons, "GraphBtn", QStringLiteral("グラフ表示"), 1140);
  refreshButton_ = newButton(buttons, "Command3D1", QStringLiteral("最新表示"), 1140);
  closeButton_ = newButton(buttons, "CancelCmd", QStringLiteral("閉じる"), 1215);
  auto* buttonLayout = new QHBoxLayout(buttons);
  buttonLayout->setContentsMargins(8, 8, 8, 8);
  buttonLayout->addStretch(1);
  buttonLayout->addWidget(graphButton_);
  buttonLayout->addWidget(refreshButton_);
  buttonLayout->addWidget(closeButton_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(selection);
  layout->addWidget(buttons);
  // The frame has one size: the one its contents need.
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(tabs_, &TabStrip::currentChanged, this, &AnalysisWindow::tabChanged);
  connect(graphButton_, &QPushButton::clicked, this, &AnalysisWindow::openGraph);
  connect(refreshButton_, &QPushButton::clicked, this, &AnalysisWindow::refresh);
  connect(closeButton_, &QPushButton::clicked, this, &ChildWindow::closeWindow);

  // Tab order: the tab rows, the shown grid, then the buttons.
  QWidget* previous = nullptr;
  const auto chain = [this, &previous](QWidget* next) {
    if (previous != nullptr) setTabOrder(previous, next);
    previous = next;
  };
  for (QTabBar* row : tabs_->rows()) chain(row);
  for (Grid* grid : grids_) chain(grid);
  for (QWidget* button : {graphButton_, refreshButton_, closeButton_}) chain(button);
}

void AnalysisWindow::load() {
  // One pass over the tickets serves all nine dimensions.
  overflowing_ = !computeAllCategoryTotals(totals_, session_.tickets());
  for (Dimension d : kDimensions) fillGrid(d);
  if (overflowing_) messages_.error(kAmountOutOfRange);
}

void AnalysisWindow::fillGrid(Dimension d) {
  Grid* g = grid(d);
  g->clearSelection();
  g->scrollToTop();
  for (int i = 0; i < categoryCount(d); ++i) {
    const std::optional<RowTexts> texts = categoryRowTexts(totals_, d, i);
    const int row = i + 1;
    for (int c = 0; c < kGridCols; ++c) {
      g->setCell(row, c, texts ? fromCore((*texts)[static_cast<std::size_t>(c)]) : QString());
      // Figures line up on their last digit.
      if (QTableWidgetItem* item = c > 0 ? g->item(row - 1, c) : nullptr) {
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      }
    }
  }
}

void AnalysisWindow::tabChanged(int tab) { graphButton_->setEnabled(graphOfTab(tab).has_value()); }

void AnalysisWindow::openGraph() {
  const std::optional<CategoryGraph> graph = graphOfTab(tabs_->currentIndex());
  if (!graph) return;
  setGraphKind(graph);
  showGraph(*graph);
}

void AnalysisWindow::setGraphKind(std::optional<CategoryGraph> kind) {
  graphKind_ = kind;
  graphKindKnown_ = true;
}

void AnalysisWindow::showGraph(CategoryGraph graph) {
  QMdiArea* area = workArea();
  if (area == nullptr) return;
  // Closing any category graph forgets the kind of whichever analysis
  // window is open by then, this one or a later one.
  const QPointer<QMdiArea> where(area);
  showCategoryGraph(*area, totals_, session_, messages_, graph, [where] {
    if (auto* window = qobject_cast<AnalysisWindow*>(findOpenWindow(where, kName)))
      window->setGraphKind(std::nullopt);
  });
}

void AnalysisWindow::activated() {
  if (!graphKindKnown_) {
    if (const QMdiArea* area = workArea()) setGraphKind(frontCategoryGraph(*area));
  }
  if (graphKind_) showGraph(*graphKind_);
}

// The window is rebuilt where it is: it stays open throughout, so ﾃﾞｰﾀ初期化
// keeps refusing meanwhile.
void AnalysisWindow::refresh() {
  load();
  tabs_->setCurrentIndex(kFirstTab);
  tabChanged(tabs_->currentIndex());
  if (QMdiSubWindow* frame = subWindow()) frame->move(0, 0);
}

void AnalysisWindow::showEvent(QShowEvent* event) {
  ChildWindow::showEvent(event);
  // A fixed frame: a close box and a minimise box, no maximise box.
  if (QMdiSubWindow* frame = subWindow()) {
    frame->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  }
}

}  // namespace tamrel
