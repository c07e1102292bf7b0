#include "cross/cross_window.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/look.h"
#include "widgets/messages.h"
#include "widgets/period_boxes.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

const QString kListHint = QStringLiteral("明細（表のセルをダブルクリック）");

QComboBox* newChooser(QWidget* parent, const char* name, const QString& caption) {
  auto* chooser = new QComboBox(parent);
  chooser->setObjectName(QString::fromLatin1(name));
  chooser->setAccessibleName(caption);
  return chooser;
}

QComboBox* newDimensionChooser(QWidget* parent, const char* name, const QString& caption) {
  QComboBox* chooser = newChooser(parent, name, caption);
  for (const CrossDimensionInfo& info : kCrossDimensions) chooser->addItem(fromCore(info.name));
  return chooser;
}

// A label that names the control after it, for the eye and for Alt keys.
QLabel* captionFor(QWidget* control, const QString& caption, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setBuddy(control);
  return label;
}

QTableView* newTable(QWidget* parent, const char* name, const QString& caption) {
  auto* view = new QTableView(parent);
  view->setObjectName(QString::fromLatin1(name));
  view->setAccessibleName(caption);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setWordWrap(false);
  // Tab leaves the table for the next control; arrows move between cells.
  view->setTabKeyNavigation(false);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  return view;
}

int index(CrossDimension d) { return static_cast<int>(d); }

}  // namespace

CrossWindow::CrossWindow(const DataSession& session, Messages& messages, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(ownMessages(messages)) {
  setObjectName(QStringLiteral("Cross"));
  setWindowTitle(QStringLiteral("クロス分析"));
  setAccessibleName(windowTitle());
  setFont(uiFont());
  buildLayout();
  recompute();

  followSession(session_, Follows::Tickets);
}

CrossWindow::~CrossWindow() = default;

QString CrossWindow::sameDimensionText() { return kSameDimensionTwice; }

std::optional<PrintPage> CrossWindow::printPage() const {
  const QString what = rowChooser_->currentText() + QStringLiteral("×") +
                       columnChooser_->currentText() + QStringLiteral("・") +
                       measureChooser_->currentText();
  return printPageOf(windowTitle() + QStringLiteral(" ") + what, periodText(period()),
                     {grid_, ticketList_});
}

// Fits the work area of the main window at its opening size.
QSize CrossWindow::sizeHint() const { return QSize(1012, 620).expandedTo(minimumSizeHint()); }

Period CrossWindow::period() const { return periodBoxes_.period(); }

void CrossWindow::buildLayout() {
  QWidget* choices = buildChoices();

  grid_ = newTable(this, "CrossGrid", QStringLiteral("クロス集計表"));
  installTableExport(grid_, session_, messages_);
  grid_->setModel(&model_);
  // The columns share the width: the whole table reads without scrolling
  // sideways, whichever dimension runs across.
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

  listCaption_ = new QLabel(kListHint, this);
  listCaption_->setObjectName(QStringLiteral("ListCaption"));
  ticketList_ = newTable(this, "CellTickets", QStringLiteral("明細"));
  installTableExport(ticketList_, session_, messages_);
  ticketOrder_.setSourceModel(&ticketModel_);
  ticketList_->setModel(&ticketOrder_);
  // A click on a header sorts by that column, again the other way; tickets
  // equal there stay in date and race order.
  ticketList_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
  ticketList_->setSortingEnabled(true);
  ticketList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  ticketList_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  listCaption_->setBuddy(ticketList_);
  // Room for four tickets at least; more scroll.
  ticketList_->setMinimumHeight(ticketList_->horizontalHeader()->sizeHint().height() +
                                4 * ticketList_->verticalHeader()->defaultSectionSize() +
                                2 * ticketList_->frameWidth());

  ticketListButton_ =
      commandButton(QStringLiteral("OpenTicketList"), QStringLiteral("馬券一覧で開く"), this);
  ticketListButton_->setEnabled(false);
  closeButton_ = commandButton(QStringLiteral("CloseButton"), QStringLiteral("閉じる"), this);
  legend_ = new QLabel(legendText(model_.measure()), this);
  legend_->setObjectName(QStringLiteral("Legend"));
  legend_->setAccessibleName(QStringLiteral("色の意味"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(legend_);
  buttons->addStretch(1);
  buttons->addWidget(ticketListButton_);
  buttons->addWidget(closeButton_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(choices);
  layout->addWidget(grid_);
  layout->addWidget(listCaption_);
  layout->addWidget(ticketList_, 1);
  layout->addLayout(buttons);

  connect(&model_, &QAbstractItemModel::modelReset, this, &CrossWindow::fitGrid);
  connect(&model_, &QAbstractItemModel::dataChanged, this, &CrossWindow::fitGrid);
  connect(grid_, &QTableView::doubleClicked, this, &CrossWindow::listCell);
  connect(ticketListButton_, &QPushButton::clicked, this, &CrossWindow::askForTicketList);
  connect(closeButton_, &QPushButton::clicked, this, &ChildWindow::closeWindow);
}

QWidget* CrossWindow::buildChoices() {
  auto* choices = new QWidget(this);
  rowChooser_ = newDimensionChooser(choices, "RowDimension", QStringLiteral("行"));
  columnChooser_ = newDimensionChooser(choices, "ColumnDimension", QStringLiteral("列"));
  rowChooser_->setCurrentIndex(index(rows_));
  columnChooser_->setCurrentIndex(index(columns_));
  measureChooser_ = newChooser(choices, "Measure", QStringLiteral("表示"));
  for (int m = 0; m < kCrossMeasureCount; ++m) {
    measureChooser_->addItem(measureCaption(static_cast<CrossMeasure>(m)));
  }

  auto* row = new QHBoxLayout(choices);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(captionFor(rowChooser_, QStringLiteral("行(&R)"), choices));
  row->addWidget(rowChooser_);
  row->addSpacing(8);
  row->addWidget(captionFor(columnChooser_, QStringLiteral("列(&C)"), choices));
  row->addWidget(columnChooser_);
  row->addSpacing(8);
  row->addWidget(captionFor(measureChooser_, QStringLiteral("表示(&M)"), choices));
  row->addWidget(measureChooser_);
  row->addSpacing(16);
  periodBoxes_ = makePeriodBoxes(choices);
  for (std::size_t i = 0; i < periodBoxes_.boxes.size(); ++i) {
    QComboBox* box = periodBoxes_.boxes[i];
    if (i == 0) row->addWidget(captionFor(box, QStringLiteral("期間(&P)"), choices));
    if (i == 2) row->addWidget(new QLabel(QStringLiteral("～"), choices));
    row->addWidget(box);
    connect(box, &QComboBox::currentIndexChanged, this, &CrossWindow::recompute);
  }
  row->addStretch(1);

  connect(rowChooser_, &QComboBox::currentIndexChanged, this,
          [this] { dimensionChosen(rowChooser_); });
  connect(columnChooser_, &QComboBox::currentIndexChanged, this,
          [this] { dimensionChosen(columnChooser_); });
  connect(measureChooser_, &QComboBox::currentIndexChanged, this, [this](int m) {
    model_.setMeasure(static_cast<CrossMeasure>(m));
    legend_->setText(legendText(model_.measure()));
  });
  return choices;
}

void CrossWindow::dimensionChosen(QComboBox* chooser) {
  const auto chosenRows = static_cast<CrossDimension>(rowChooser_->currentIndex());
  const auto chosenColumns = static_cast<CrossDimension>(columnChooser_->currentIndex());
  if (chosenRows == chosenColumns) {
    // Put the list back before telling, so the refused choice never shows
    // behind the message.
    const QSignalBlocker block(chooser);
    chooser->setCurrentIndex(index(chooser == rowChooser_ ? rows_ : columns_));
    messages_.error(sameDimensionText());
    return;
  }
  rows_ = chosenRows;
  columns_ = chosenColumns;
  recompute();
}

void CrossWindow::recompute() {
  CrossTable table = computeCrossTable(session_.tickets(), rows_, columns_, period());
  const bool overflowed = table.overflowed;
  // A listed cell of another table means nothing in this one.
  if (table.rows != model_.table().rows || table.columns != model_.table().columns) {
    listed_.reset();
  }
  model_.setTable(std::move(table));
  refreshList();
  if (overflowed && !overflowTold_) messages_.error(kAmountOutOfRange);
  overflowTold_ = overflowed;
}

void CrossWindow::fitGrid() {
  // Equal columns, each as wide as the widest figure: the grid reads as one
  // scale, and a figure too wide for the window scrolls rather than loses
  // digits.
  // Figures of one measure differ in width by their length, so only the
  // longest are measured (those two shorter too, for narrow commas).
  QStringList texts;
  qsizetype longest = 0;
  for (int r = 0; r < model_.rowCount(); ++r) {
    for (int c = 0; c < model_.columnCount(); ++c) {
      texts << model_.index(r, c).data().toString();
      longest = std::max(longest, texts.back().size());
    }
  }
  int widest = 0;
  for (const QString& text : texts) {
    if (text.size() + 2 < longest) continue;
    widest = std::max(widest, grid_->fontMetrics().horizontalAdvance(text));
  }
  // The text margins of an item view's cell, and its grid line.
  const int margin = grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid_) + 1;
  grid_->horizontalHeader()->setMinimumSectionSize(widest + 2 * margin + 1);
  // As tall as its rows: the ticket list below takes the rest.
  grid_->setFixedHeight(grid_->horizontalHeader()->sizeHint().height() +
                        grid_->verticalHeader()->length() + 2 * grid_->frameWidth());
}

void CrossWindow::listCell(const QModelIndex& index) {
  if (!index.isValid()) return;
  listed_ = std::pair{index.row(), index.column()};
  refreshList();
}

void CrossWindow::refreshList() {
  ticketListButton_->setEnabled(listed_.has_value());
  if (!listed_) {
    ticketModel_.setTickets({});
    listCaption_->setText(kListHint);
    return;
  }
  const auto [row, column] = *listed_;
  const CrossTable& table = model_.table();
  // A total lists every ticket of its row or column.
  const int rowCategory = model_.isTotalRow(row) ? kAnyCategory : row;
  const int columnCategory = model_.isTotalColumn(column) ? kAnyCategory : column;
  ticketModel_.setTickets(cellTickets(session_.tickets(), table.rows, rowCategory, table.columns,
                                      columnCategory, period()));
  listCaption_->setText(QStringLiteral("明細: %1 × %2（%3件）")
                            .arg(model_.headerData(row, Qt::Vertical).toString(),
                                 model_.headerData(column, Qt::Horizontal).toString())
                            .arg(ticketModel_.rowCount()));
}

void CrossWindow::askForTicketList() {
  if (!listed_) return;
  const auto [row, column] = *listed_;
  TicketFilter filter;
  filter.period = period();
  // A total takes every value of its dimension.
  if (!model_.isTotalRow(row)) filter.of(model_.table().rows) = {row};
  if (!model_.isTotalColumn(column)) filter.of(model_.table().columns) = {column};
  emit ticketsWanted(filter);
}

void CrossWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    closeWindow();
    return;
  }
  ChildWindow::keyPressEvent(event);
}

}  // namespace tamrel
