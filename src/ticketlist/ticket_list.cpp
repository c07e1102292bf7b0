#include "ticketlist/ticket_list.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "state/data_session.h"
#include "ticketlist/ticket_cell_delegate.h"
#include "widgets/core_text.h"
#include "widgets/look.h"
#include "widgets/messages.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

const QString kAll = QStringLiteral("すべて");

// The figures under the table, in the order showFigures makes them: object
// name and caption.
struct FigureInfo {
  const char* name;
  const char* caption;
};
constexpr std::array<FigureInfo, 8> kFigures{{
    {"Count", "件数"},
    {"Hits", "的中数"},
    {"HitRate", "的中率"},
    {"Stake", "投資金額"},
    {"Payout", "払戻金額"},
    {"Profit", "利益金額"},
    {"Rate", "回収率"},
    {"Largest", "最高払戻"},
}};
constexpr std::size_t kRateFigure = 6;
static_assert(std::string_view(kFigures[kRateFigure].name) == "Rate");

QLabel* captionFor(QWidget* control, const QString& caption, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setBuddy(control);
  return label;
}

QLineEdit* amountBox(QWidget* parent, const QString& name, const QString& caption) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setAccessibleName(caption);
  box->setAlignment(Qt::AlignRight);
  box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0,000,000,000")) + 12);
  return box;
}

// An amount box's end of a range: empty is open.
std::optional<std::int32_t> rangeEnd(const QLineEdit* box) {
  if (box->text().trimmed().isEmpty()) return std::nullopt;
  return boxAmount(box->text());
}

QString amountText(std::optional<std::int32_t> amount) {
  return amount ? fromCore(formatYen(*amount)) : kAmountOutOfRange;
}

// The "Filter" + key name of a dimension's button: "FilterRacecourse".
QString buttonName(const CrossDimensionInfo& info) {
  QString key = QString::fromLatin1(info.key.data(), static_cast<qsizetype>(info.key.size()));
  key[0] = key[0].toUpper();
  return QStringLiteral("Filter") + key;
}

}  // namespace

TicketList::TicketList(const DataSession& session, Messages& messages, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(messages) {
  setObjectName(QStringLiteral("TicketList"));
  setWindowTitle(QStringLiteral("馬券一覧"));
  setAccessibleName(windowTitle());
  setFont(uiFont());

  QWidget* filters = buildFilters();
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("TicketTable"));
  table_->setAccessibleName(QStringLiteral("馬券一覧"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  // Several rows at once for Ctrl+C; the first of them is the selected
  // ticket the list keeps across changes.
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setWordWrap(false);
  table_->setTabKeyNavigation(false);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  // Fixed row heights and no per-row measuring: a full year scrolls without
  // the view asking every row for its size.
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->hide();
  installTableExport(table_, session_, messages_);
  table_->setItemDelegate(new TicketCellDelegate(table_));
  table_->setModel(&model_);
  table_->horizontalHeader()->setSortIndicator(TicketListModel::Date, Qt::AscendingOrder);
  table_->setSortingEnabled(true);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->installEventFilter(this);

  QWidget* figures = buildFigures();
  closeButton_ = commandButton(QStringLiteral("CloseButton"), QStringLiteral("閉じる"), this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(figures, 1);
  bottom->addWidget(closeButton_, 0, Qt::AlignBottom);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(filters);
  layout->addWidget(table_, 1);
  layout->addLayout(bottom);

  connect(table_, &QTableView::doubleClicked, this, &TicketList::chooseRow);
  connect(closeButton_, &QPushButton::clicked, this, &ChildWindow::closeWindow);
  followSession(session_, Follows::Tickets);
  showData();
}

TicketList::~TicketList() = default;

QSize TicketList::sizeHint() const { return QSize(1012, 620).expandedTo(minimumSizeHint()); }

QWidget* TicketList::buildFilters() {
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("FilterPanel"));
  auto* grid = new QVBoxLayout(panel);
  grid->setContentsMargins(0, 0, 0, 0);

  auto* first = new QHBoxLayout;
  periodBoxes_ = makePeriodBoxes(panel);
  for (std::size_t i = 0; i < periodBoxes_.boxes.size(); ++i) {
    QComboBox* box = periodBoxes_.boxes[i];
    if (i == 0) first->addWidget(captionFor(box, QStringLiteral("期間(&P)"), panel));
    if (i == 2) first->addWidget(new QLabel(QStringLiteral("～"), panel));
    first->addWidget(box);
    connect(box, &QComboBox::currentIndexChanged, this, &TicketList::applyFilter);
  }
  first->addSpacing(12);
  hitChooser_ = new QComboBox(panel);
  hitChooser_->setObjectName(QStringLiteral("HitChoice"));
  hitChooser_->setAccessibleName(QStringLiteral("的中"));
  hitChooser_->addItems({kAll, QStringLiteral("的中のみ"), QStringLiteral("外れのみ")});
  first->addWidget(captionFor(hitChooser_, QStringLiteral("的中(&H)"), panel));
  first->addWidget(hitChooser_);
  connect(hitChooser_, &QComboBox::currentIndexChanged, this, &TicketList::applyFilter);
  first->addSpacing(12);
  stakeFrom_ = amountBox(panel, QStringLiteral("StakeFrom"), QStringLiteral("投資金額 下限"));
  stakeTo_ = amountBox(panel, QStringLiteral("StakeTo"), QStringLiteral("投資金額 上限"));
  payoutFrom_ = amountBox(panel, QStringLiteral("PayoutFrom"), QStringLiteral("払戻金額 下限"));
  payoutTo_ = amountBox(panel, QStringLiteral("PayoutTo"), QStringLiteral("払戻金額 上限"));
  first->addWidget(captionFor(stakeFrom_, QStringLiteral("投資(&S)"), panel));
  first->addWidget(stakeFrom_);
  first->addWidget(new QLabel(QStringLiteral("～"), panel));
  first->addWidget(stakeTo_);
  first->addSpacing(8);
  first->addWidget(captionFor(payoutFrom_, QStringLiteral("払戻(&O)"), panel));
  first->addWidget(payoutFrom_);
  first->addWidget(new QLabel(QStringLiteral("～"), panel));
  first->addWidget(payoutTo_);
  first->addStretch(1);
  for (QLineEdit* box : {stakeFrom_, stakeTo_, payoutFrom_, payoutTo_}) {
    connect(box, &QLineEdit::textChanged, this, &TicketList::applyFilter);
  }

  // Two rows of five: a button grows with the values chosen, and one row of
  // ten would leave the window.
  auto* second = new QGridLayout;
  for (std::size_t i = 0; i < kCrossDimensions.size(); ++i) {
    QToolButton* button = buildDimensionButton(kCrossDimensions[i], panel);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    second->addWidget(button, static_cast<int>(i / 5), static_cast<int>(i % 5));
  }

  auto* third = new QHBoxLayout;
  search_ = new QLineEdit(panel);
  search_->setObjectName(QStringLiteral("SearchText"));
  search_->setAccessibleName(QStringLiteral("検索"));
  search_->setPlaceholderText(
      QStringLiteral("例: 中山 芝 3連複（空白で区切った語をすべて含む馬券）"));
  search_->setClearButtonEnabled(true);
  connect(search_, &QLineEdit::textChanged, this, &TicketList::applyFilter);
  clearButton_ = commandButton(QStringLiteral("ClearButton"), QStringLiteral("クリア"), panel);
  connect(clearButton_, &QPushButton::clicked, this, &TicketList::clearFilters);
  third->addWidget(captionFor(search_, QStringLiteral("検索(&F)"), panel));
  third->addWidget(search_, 1);
  third->addWidget(clearButton_);

  grid->addLayout(first);
  grid->addLayout(second);
  grid->addLayout(third);
  return panel;
}

QToolButton* TicketList::buildDimensionButton(const CrossDimensionInfo& info, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(buttonName(info));
  button->setAccessibleName(fromCore(info.name));
  button->setPopupMode(QToolButton::InstantPopup);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  auto* menu = new QMenu(button);
  menu->setObjectName(buttonName(info) + QStringLiteral("Menu"));
  menu->setAccessibleName(fromCore(info.name));
  const std::span<const Category> categories = crossCategories(info.dimension);
  for (std::size_t i = 0; i < categories.size(); ++i) {
    QAction* value = menu->addAction(fromCore(categories[i].caption));
    value->setCheckable(true);
    value->setData(static_cast<int>(i));
    connect(value, &QAction::toggled, this, [this, d = info.dimension] {
      labelDimensionButton(d);
      applyFilter();
    });
  }
  // Several values of one dimension are chosen in one visit: a click checks
  // a value and leaves the menu open.
  menu->installEventFilter(this);
  button->setMenu(menu);
  dimensionButtons_[static_cast<std::size_t>(info.dimension)] = button;
  dimensionMenus_[static_cast<std::size_t>(info.dimension)] = menu;
  labelDimensionButton(info.dimension);
  return button;
}

void TicketList::labelDimensionButton(CrossDimension d) {
  QStringList chosen;
  std::vector<int>& categories = chosenCategories_[static_cast<std::size_t>(d)];
  categories.clear();
  for (const QAction* value : dimensionMenus_[static_cast<std::size_t>(d)]->actions()) {
    if (!value->isChecked()) continue;
    chosen << value->text();
    categories.push_back(value->data().toInt());
  }
  // Beyond two values the button names the first and counts the rest, so
  // that the row of buttons keeps inside the window; the tip names them all.
  const QString name = fromCore(crossDimensionInfo(d).name) + QStringLiteral(": ");
  QString values = chosen.isEmpty() ? kAll : chosen.join(QLatin1Char(','));
  if (chosen.size() > 2) values = chosen.front() + QStringLiteral(" 他%1").arg(chosen.size() - 1);
  QToolButton* button = dimensionButtons_[static_cast<std::size_t>(d)];
  button->setText(name + values);
  button->setToolTip(name + (chosen.isEmpty() ? kAll : chosen.join(QLatin1Char(','))));
}

QWidget* TicketList::buildFigures() {
  figurePanel_ = new QWidget(this);
  figurePanel_->setObjectName(QStringLiteral("Figures"));
  auto* grid = new QGridLayout(figurePanel_);
  grid->setContentsMargins(0, 0, 0, 0);
  for (std::size_t i = 0; i < kFigures.size(); ++i) {
    const QString caption = QString::fromUtf8(kFigures[i].caption);
    auto* value = new QLabel(figurePanel_);
    value->setObjectName(QString::fromLatin1(kFigures[i].name));
    value->setAccessibleName(caption);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setFrameShape(QFrame::StyledPanel);
    value->setAutoFillBackground(true);
    value->setMargin(2);
    figureValues_[i] = value;
    auto* label = new QLabel(caption, figurePanel_);
    label->setAlignment(Qt::AlignCenter);
    const int column = static_cast<int>(i);
    grid->addWidget(label, 0, column);
    grid->addWidget(value, 1, column);
    grid->setColumnStretch(column, 1);
  }
  // The figures go out as a table too: one row under their captions.
  installTableExport(
      figurePanel_, session_, messages_, [this](bool) { return figureTable(); },
      QStringLiteral("馬券一覧の集計"));
  return figurePanel_;
}

TableText TicketList::figureTable() const {
  QStringList header;
  QStringList values;
  for (const FigureInfo& f : kFigures) {
    header << QString::fromUtf8(f.caption);
    values << figureLabel(QString::fromLatin1(f.name))->text();
  }
  return TableText{header, values};
}

std::optional<PrintPage> TicketList::printPage() const {
  // The words searched for name the selection on paper, where the panel is
  // not seen.
  QString title = windowTitle();
  if (!search_->text().trimmed().isEmpty()) {
    title += QStringLiteral("「") + search_->text().trimmed() + QStringLiteral("」");
  }
  PrintPage page = printPageOf(title, periodText(periodBoxes_.period()), {table_});
  page.tables.prepend(figureTable());
  return page;
}

QLabel* TicketList::figureLabel(const QString& name) const {
  return figurePanel_->findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
}

TicketFilter TicketList::filter() const {
  TicketFilter f;
  f.period = periodBoxes_.period();
  f.categories = chosenCategories_;
  f.hits = static_cast<HitChoice>(hitChooser_->currentIndex());
  f.stake = {rangeEnd(stakeFrom_), rangeEnd(stakeTo_)};
  f.payout = {rangeEnd(payoutFrom_), rangeEnd(payoutTo_)};
  f.text = search_->text().toStdString();
  return f;
}

void TicketList::setFilter(const TicketFilter& f) {
  settingFilter_ = true;
  const std::array<int, 4> ends{f.period.fromMonth, f.period.fromDay, f.period.toMonth,
                                f.period.toDay};
  for (std::size_t i = 0; i < ends.size(); ++i) periodBoxes_.boxes[i]->setCurrentIndex(ends[i] - 1);
  for (const CrossDimensionInfo& info : kCrossDimensions) {
    const std::vector<int>& chosen = f.of(info.dimension);
    for (QAction* value : dimensionMenus_[static_cast<std::size_t>(info.dimension)]->actions()) {
      value->setChecked(std::ranges::find(chosen, value->data().toInt()) != chosen.end());
    }
  }
  hitChooser_->setCurrentIndex(static_cast<int>(f.hits));
  const auto show = [](QLineEdit* box, std::optional<std::int32_t> end) {
    box->setText(end ? QString::number(*end) : QString());
  };
  show(stakeFrom_, f.stake.from);
  show(stakeTo_, f.stake.to);
  show(payoutFrom_, f.payout.from);
  show(payoutTo_, f.payout.to);
  search_->setText(QString::fromStdString(f.text));
  settingFilter_ = false;
  applyFilter();
}

void TicketList::clearFilters() { setFilter(TicketFilter{}); }

std::optional<TicketRecord> TicketList::selectedTicket() const {
  const QModelIndexList rows = table_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return model_.rowAt(rows.front().row()).ticket;
}

void TicketList::selectModelRow(int row) {
  if (row < 0) return;
  const QModelIndex at = model_.index(row, 0);
  table_->selectionModel()->setCurrentIndex(
      at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  table_->scrollTo(at);
}

void TicketList::showData() {
  const std::optional<TicketRecord> selected = selectedTicket();
  model_.setRows(ticketRows(session_.tickets()), filter());
  if (selected) {
    const std::vector<TicketRow>& rows = model_.rows();
    const auto at = std::ranges::find_if(
        rows, [&selected](const TicketRow& row) { return row.ticket == *selected; });
    if (at != rows.end()) selectModelRow(model_.modelRowOf(static_cast<int>(at - rows.begin())));
  }
  showFigures();
}

void TicketList::applyFilter() {
  if (settingFilter_) return;
  const QItemSelectionModel* selection = table_->selectionModel();
  const QModelIndexList selected =
      selection->hasSelection() ? selection->selectedRows() : QModelIndexList{};
  const int selectedRow =
      selected.isEmpty() ? -1 : model_.shown()[static_cast<std::size_t>(selected.front().row())];
  model_.setFilter(filter());
  // A filter that changed what is shown cleared the selection.
  if (selectedRow >= 0 && !table_->selectionModel()->hasSelection()) {
    selectModelRow(model_.modelRowOf(selectedRow));
  }
  showFigures();
}

void TicketList::showFigures() {
  const TicketListFigures& figures = model_.figures();
  const CrossFigures& f = figures.figures;
  const std::optional<float> rate = f.recoveryRate();
  // In the order of kFigures.
  const std::array<QString, kFigures.size()> texts{
      QString::number(f.count),
      QString::number(f.hits),
      fromCore(formatPercent(f.hitRate())),
      amountText(f.purchase),
      amountText(f.payout),
      amountText(f.profit()),
      rate ? fromCore(formatPercent(*rate)) : kAmountOutOfRange,
      figures.largestPayout ? fromCore(formatYen(*figures.largestPayout)) : QStringLiteral("－")};
  for (std::size_t i = 0; i < texts.size(); ++i) figureValues_[i]->setText(texts[i]);
  // As the year's figures: a stake of 0 earns no colour.
  QLabel* rateLabel = figureValues_[kRateFigure];
  const bool tinted = rate && f.purchase && *f.purchase != 0;
  const QColor tint =
      tinted ? rateTint(rateBand(*rate)) : figurePanel_->palette().color(QPalette::Window);
  // Most keystrokes keep the band: the palette is not made again then.
  if (rateLabel->palette().color(QPalette::Window) == tint &&
      rateLabel->palette().color(QPalette::WindowText) == Qt::black) {
    return;
  }
  QPalette palette = rateLabel->palette();
  palette.setColor(QPalette::Window, tint);
  palette.setColor(QPalette::WindowText, Qt::black);
  rateLabel->setPalette(palette);
}

void TicketList::chooseRow(const QModelIndex& index) {
  if (!index.isValid()) return;
  const TicketRow& row = model_.rowAt(index.row());
  // A ticket whose date is no day slot has no day to open.
  if (row.month == 0) return;
  emit dayChosen(row.month, row.day);
}

bool TicketList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        table_->currentIndex().isValid()) {
      chooseRow(table_->currentIndex());
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
      if (QAction* value = menu->activeAction(); value != nullptr && value->isEnabled()) {
        value->trigger();
        return true;
      }
    }
  }
  return ChildWindow::eventFilter(watched, event);
}

}  // namespace tamrel
