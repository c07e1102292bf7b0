#include "entry/ticket_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <string>
#include <type_traits>
#include <vector>

#include "base/amount.h"
#include "detail/month_transfer.h"
#include "detail/ticket_records.h"
#include "entry/amount_box.h"
#include "entry/day_marks.h"
#include "state/data_session.h"
#include "widgets/controls.h"
#include "widgets/core_text.h"
#include "widgets/grid.h"
#include "widgets/look.h"
#include "widgets/messages.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

const QString kTooMany = QStringLiteral("詳細データが多すぎるため表示できません");
const QString kNotEntered = QStringLiteral("入力されていません");
const QString kListFull = QStringLiteral("これ以上入力できません");
const QString kNoneChosen = QStringLiteral("変更する馬券が選択されていません");

constexpr int kGridRows = kMaxDayTickets + 1;  // header row and 200 ticket rows
constexpr int kGridCols = 15;
// Typed payouts are short; a computed one is shown whole all the same.
constexpr int kHaitoTypedLength = 6;

constexpr int kRowTwips = 270;
// Ticket rows in view at once; the window must still fit the main window.
constexpr int kVisibleRows = 10;
constexpr std::array<int, kGridCols> kColumnTwips{500, 700, 700,  700,  500,  1000, 700, 700,
                                                  700, 700, 1100, 1100, 1100, 400,  400};

// Grid columns of a ticket row; the last two show nothing and stay hidden.
enum Column {
  ColRacecourse = 1,
  ColRace,
  ColWeekday,
  ColSurface,
  ColDistance,
  ColAge,
  ColClass,
  ColCondition,
  ColBetType,
  ColPurchase,
  ColPayout,
  ColRunners,
  ColUnused,
};

// The columns that show an attribute's caption, and the attribute.
constexpr std::pair<int, Attribute> kCaptionColumns[] = {
    {ColRacecourse, Attribute::Racecourse}, {ColRace, Attribute::RaceNo},
    {ColWeekday, Attribute::Weekday},       {ColSurface, Attribute::Surface},
    {ColDistance, Attribute::DistanceBand}, {ColAge, Attribute::AgeGroup},
    {ColClass, Attribute::RaceClass},       {ColCondition, Attribute::Condition},
    {ColBetType, Attribute::BetType},       {ColRunners, Attribute::RunnersBand},
};

const std::array<QString, 12> kHeaders{
    QStringLiteral("場名"),     QStringLiteral("ﾚｰｽ"),      QStringLiteral("曜日"),
    QStringLiteral("ｺｰｽ"),      QStringLiteral("距離"),     QStringLiteral("馬齢"),
    QStringLiteral("ｸﾗｽ"),      QStringLiteral("条件"),     QStringLiteral("分類"),
    QStringLiteral("購入金額"), QStringLiteral("払戻金額"), QStringLiteral("頭数")};

std::string utf8(const QString& text) { return text.toStdString(); }

struct OptionEntry {
  const char* name;
  const char* caption;
  char code;
};

// A framed panel with its caption and a layout for its contents, kept
// tight: the window has many small panels to fit.
template <typename Layout>
Layout* panel(const QString& caption, QGroupBox*& box) {
  box = new QGroupBox(caption);
  auto* layout = new Layout(box);
  layout->setContentsMargins(6, 2, 6, 4);
  layout->setSpacing(2);
  return layout;
}

QRadioButton* option(QButtonGroup* group, const QString& panelCaption, const OptionEntry& entry) {
  auto* button = new QRadioButton(QString::fromUtf8(entry.caption));
  button->setObjectName(QString::fromLatin1(entry.name));
  button->setAccessibleName(panelCaption + u' ' + button->text());
  group->addButton(button, entry.code);
  return button;
}

// A panel of options in `row`, one button group: `place` puts option i
// into the panel's layout.
template <typename Layout, typename Place>
QButtonGroup* optionPanel(QBoxLayout* row, const QString& caption,
                          std::initializer_list<OptionEntry> entries, Place place) {
  QGroupBox* box = nullptr;
  Layout* contents = panel<Layout>(caption, box);
  auto* group = new QButtonGroup(box);
  int i = 0;
  for (const OptionEntry& entry : entries) place(contents, i++, option(group, caption, entry));
  // A column of options starts at the top of its panel, however tall the
  // panels beside it make it.
  if constexpr (std::is_same_v<Layout, QVBoxLayout>) contents->addStretch(1);
  row->addWidget(box);
  return group;
}

// Every caption or amount that can stand in a grid column.
QStringList columnTexts(int column) {
  QStringList texts;
  if (column == 0) texts << QStringLiteral(" %1").arg(kMaxDayTickets);
  if (column == ColPurchase || column == ColPayout) {
    // The widest amounts a stored ticket can hold.
    texts << fromCore(formatAmount(-999999999)) << fromCore(formatAmount(2147483647));
  }
  for (const auto& [col, attribute] : kCaptionColumns) {
    if (col != column) continue;
    for (const CodeCaption& entry : codeTable(attribute)) texts << fromCore(entry.caption);
  }
  return texts;
}

// A framed amount box, named `name` and spoken as `accessible`.
QGroupBox* amountPanel(const QString& caption, AmountBox* box, const char* name,
                       const QString& accessible) {
  QGroupBox* frame = nullptr;
  panel<QVBoxLayout>(caption, frame)->addWidget(box);
  box->setObjectName(QString::fromLatin1(name));
  box->setAccessibleName(accessible);
  return frame;
}

void fillList(QComboBox* combo, Attribute attribute) {
  for (const CodeCaption& entry : codeTable(attribute)) combo->addItem(fromCore(entry.caption));
  combo->setCurrentIndex(-1);
}

}  // namespace

TicketWindow::TicketWindow(const DataSession& session, Messages& messages, int month, int day,
                           const std::optional<DayTicketList>& kept, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(messages), month_(month), day_(day) {
  setObjectName(QStringLiteral("jrabaken"));
  setWindowTitle(QStringLiteral("詳細入力"));
  setFont(minchoFont());

  buildLayout();
  setUpGrid();

  fillList(baba_, Attribute::Racecourse);
  fillList(race_, Attribute::RaceNo);
  fillList(week_, Attribute::Weekday);

  if (!prepareList(kept) || !refreshTicketGrid()) {
    // Only reachable when the opener skipped canOpen; nothing is handed back.
    blocked_ = true;
    okButton_->setEnabled(false);
    changeButton_->setEnabled(false);
    deleteButton_->setEnabled(false);
  }
  // The next ticket is mostly on the race of the last one.
  for (int i = list_.count - 1; i >= 0; --i) {
    const TicketRecord& entry = list_.entries[static_cast<std::size_t>(i)];
    if (entry.isBlank()) continue;
    showInPanels(entry, false);
    break;
  }
  // The day says its weekday (nothing for a slot its year lacks).
  const int weekday = week_->findText(weekdayCaption(ledgerYear(session_.ledger()), month_, day_));
  if (weekday >= 0) week_->setCurrentIndex(weekday);
  showTotalsRow();
}

TicketWindow::~TicketWindow() = default;

bool TicketWindow::canOpen(const DataSession& session, int month, int day,
                           const std::optional<DayTicketList>& kept, Messages& messages) {
  DayTicketList loaded;
  if (kept) {
    loaded = *kept;
  } else {
    switch (loadDayTickets(session.tickets(), month, day, loaded)) {
      case TransferResult::Ok:
        break;
      case TransferResult::TooManyForDay:
        messages.error(kTooMany);
        return false;
      default:
        // No day chosen: the daily entry window refuses before asking.
        return false;
    }
  }
  if (!dayTotals(loaded)) {
    messages.error(kAmountOutOfRange);
    return false;
  }
  return true;
}

// The list is the kept one, or the day's tickets loaded from the store.
bool TicketWindow::prepareList(const std::optional<DayTicketList>& kept) {
  if (kept) {
    list_ = *kept;
    return true;
  }
  const TransferResult result = loadDayTickets(session_.tickets(), month_, day_, list_);
  if (result == TransferResult::TooManyForDay) {
    messages_.error(kTooMany);
    return false;
  }
  return result == TransferResult::Ok;
}

void TicketWindow::buildLayout() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(6, 4, 6, 6);
  outer->setSpacing(4);
  // The window is as large as its contents and no larger.
  outer->setSizeConstraint(QLayout::SetFixedSize);

  // The day every ticket here belongs to, in a line of its own: the caption
  // stays the command's name.
  auto* dayLine = new QLabel(fromCore(fullWidthNumber(month_)) + QStringLiteral("月") +
                             fromCore(fullWidthNumber(day_)) + QStringLiteral("日の馬券"));
  dayLine->setObjectName(QStringLiteral("TicketDay"));
  dayLine->setAccessibleName(dayLine->text());
  outer->addWidget(dayLine);

  auto* top = new QHBoxLayout;
  top->setSpacing(4);
  outer->addLayout(top);
  top->addLayout(buildLists());
  top->addLayout(buildOptions());
  top->addLayout(buildBetPanel());
  top->addLayout(buildPayoutColumn());

  // Below: the day's tickets, then the button strip.
  grid_ = new Grid(kGridRows, kGridCols, 1);
  grid_->setObjectName(QStringLiteral("Grid1"));
  grid_->setAccessibleName(QStringLiteral("馬券一覧"));
  installTableExport(grid_, session_, messages_);
  outer->addWidget(grid_);
  totalsRow_ = new Grid(2, kGridCols, 1);
  totalsRow_->setObjectName(QStringLiteral("TicketTotals"));
  totalsRow_->setAccessibleName(QStringLiteral("合計"));
  outer->addWidget(totalsRow_);
  outer->addWidget(buildBottomStrip());

  for (QButtonGroup* group :
       {age_, surface_, distance_, raceClass_, condition_, runners_, betType_}) {
    group->setExclusive(true);
    group->buttons().first()->setChecked(true);
  }
  connectControls();
}

// Left: the three lists, one above the other.
QVBoxLayout* TicketWindow::buildLists() {
  auto* lists = new QVBoxLayout;
  lists->setSpacing(4);
  const auto listPanel = [lists](const QString& caption, const char* name) {
    QGroupBox* box = nullptr;
    auto* layout = panel<QVBoxLayout>(caption, box);
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    combo->setAccessibleName(caption);
    combo->setEditable(false);
    layout->addWidget(combo);
    lists->addWidget(box);
    return combo;
  };
  baba_ = listPanel(QStringLiteral("場名"), "BABA");
  race_ = listPanel(QStringLiteral("レース"), "RACE");
  week_ = listPanel(QStringLiteral("曜日"), "WEEK");
  lists->addStretch(1);
  return lists;
}

// Middle: the race's options, in three rows.
QVBoxLayout* TicketWindow::buildOptions() {
  auto* options = new QVBoxLayout;
  options->setSpacing(4);
  auto* firstRow = new QHBoxLayout;
  auto* secondRow = new QHBoxLayout;
  auto* thirdRow = new QHBoxLayout;
  for (QHBoxLayout* row : {firstRow, secondRow, thirdRow}) {
    row->setSpacing(4);
    options->addLayout(row);
  }
  const auto downwards = [](QVBoxLayout* contents, int, QRadioButton* b) {
    contents->addWidget(b);
  };
  age_ = optionPanel<QVBoxLayout>(firstRow, QStringLiteral("馬齢"),
                                  {{"Uma3", "２歳", '1'},
                                   {"Uma4", "３歳", '2'},
                                   {"Uma4Up", "３歳上", '3'},
                                   {"Uma5Up", "４歳上", '4'}},
                                  downwards);
  surface_ = optionPanel<QVBoxLayout>(
      firstRow, QStringLiteral("コース"),
      {{"SIBA", "芝", '1'}, {"DART", "ﾀﾞｰﾄ", '2'}, {"Syogai", "障害", '3'}}, downwards);
  distance_ = optionPanel<QVBoxLayout>(firstRow, QStringLiteral("距離"),
                                       {{"M1600", "1600m以下", '1'},
                                        {"M2000", "1600m～2000m", '2'},
                                        {"M2500", "2000m～2400m", '3'},
                                        {"M3000", "2400m以上", '4'}},
                                       downwards);
  raceClass_ =
      optionPanel<QGridLayout>(secondRow, QStringLiteral("クラス"),
                               {{"CLASS1", "Ｇ１", '1'},
                                {"CLASS2", "Ｇ２", '2'},
                                {"CLASS3", "Ｇ３", '3'},
                                {"CLASS4", "ｵｰﾌﾟﾝ", '4'},
                                {"CLASS5", "1600万", '5'},
                                {"CLASS6", "1000万", '6'},
                                {"CLASS7", "500万", '7'},
                                {"CLASS8", "未勝利", '8'},
                                {"CLASS9", "新馬", '9'}},
                               [](QGridLayout* contents, int i, QRadioButton* b) {
                                 contents->setHorizontalSpacing(8);
                                 contents->addWidget(b, i / 3, i % 3);  // three rows of three
                               });
  secondRow->setStretchFactor(secondRow->itemAt(0)->widget(), 1);
  condition_ = optionPanel<QVBoxLayout>(
      secondRow, QStringLiteral("条件ﾚｰｽ"),
      {{"NoRace", "指定無し", '0'}, {"Hinba", "牝馬限定", '1'}, {"Hande", "ﾊﾝﾃﾞ戦", '2'}},
      downwards);
  runners_ = optionPanel<QHBoxLayout>(thirdRow, QStringLiteral("出走頭数"),
                                      {{"Tosu1", "9以下", '1'},
                                       {"Tosu2", "10～12", '2'},
                                       {"Tosu3", "13～15", '3'},
                                       {"Tosu4", "16以上", '4'}},
                                      [](QHBoxLayout* contents, int, QRadioButton* b) {
                                        contents->addWidget(b, 1);  // left to right, evenly
                                      });
  options->addStretch(1);
  return options;
}

// Right of the options: the bet type, and the ticket's purchase in the lower
// part of its panel.
QVBoxLayout* TicketWindow::buildBetPanel() {
  auto* bets = new QVBoxLayout;
  QGroupBox* betBox = nullptr;
  auto* betLayout = panel<QVBoxLayout>(QStringLiteral("馬券種類"), betBox);
  auto* betTable = new QGridLayout;
  betTable->setHorizontalSpacing(8);
  betTable->setVerticalSpacing(6);
  betLayout->addLayout(betTable);
  betType_ = new QButtonGroup(betBox);
  const OptionEntry betEntries[] = {{"TanBtn", "単勝", '1'}, {"FukBtn", "複勝", '2'},
                                    {"WakBtn", "枠連", '3'}, {"UmaBtn", "馬連", '4'},
                                    {"KakBtn", "ﾜｲﾄﾞ", '5'}, {"UtanBtn", "馬単", '6'},
                                    {"RenBtn", "3連複", '7'}};
  for (int i = 0; i < 7; ++i) {
    // 単勝 .. 馬連 down the left, ﾜｲﾄﾞ .. 3連複 down the right.
    betTable->addWidget(option(betType_, betBox->title(), betEntries[i]), i % 4, i / 4);
  }
  betLayout->addStretch(1);
  konyu_ = new AmountBox(AmountBox::Filter::DigitsAndMinus, 7);
  betLayout->addWidget(
      amountPanel(QStringLiteral("購入金額"), konyu_, "KONYU", QStringLiteral("購入金額")));
  bets->addWidget(betBox, 1);
  return bets;
}

// Right: the payout calculator, the ticket's payout and "ＯＫ".
QVBoxLayout* TicketWindow::buildPayoutColumn() {
  auto* payout = new QVBoxLayout;
  payout->setSpacing(4);
  QGroupBox* hit = nullptr;
  auto* hitLayout = panel<QVBoxLayout>(QStringLiteral("的中情報"), hit);
  knyKin_ = new AmountBox(AmountBox::Filter::None, 6);
  haiKin_ = new AmountBox(AmountBox::Filter::None, 6);
  hitLayout->addWidget(amountPanel(QStringLiteral("購入金額"), knyKin_, "KnyKin",
                                   QStringLiteral("的中情報 購入金額")));
  hitLayout->addWidget(amountPanel(QStringLiteral("配当金額"), haiKin_, "HaiKin",
                                   QStringLiteral("的中情報 配当金額")));
  payout->addWidget(hit);
  calcButton_ = commandButton(QStringLiteral("SSCommand1"), QStringLiteral("払戻金額計算"), this);
  payout->addWidget(calcButton_);
  haito_ = new AmountBox(AmountBox::Filter::DigitsAndMinus, kHaitoTypedLength);
  payout->addWidget(
      amountPanel(QStringLiteral("払戻金額"), haito_, "HAITO", QStringLiteral("払戻金額")));
  okButton_ = commandButton(QStringLiteral("Command3D3"), QStringLiteral("ＯＫ"), this);
  payout->addWidget(okButton_);
  payout->addStretch(1);
  return payout;
}

// At the bottom: the button strip, its buttons to the right.
QWidget* TicketWindow::buildBottomStrip() {
  auto* strip = new QFrame;
  strip->setFrameShape(QFrame::Panel);
  strip->setFrameShadow(QFrame::Raised);
  auto* stripRow = new QHBoxLayout(strip);
  stripRow->setContentsMargins(6, 4, 6, 4);
  stripRow->addStretch(1);
  changeButton_ = commandButton(QStringLiteral("ChgCmd"), QStringLiteral("変更"), strip);
  deleteButton_ = commandButton(QStringLiteral("DelCmd"), QStringLiteral("削除"), strip);
  closeButton_ = commandButton(QStringLiteral("Command3D1"), QStringLiteral("閉じる"), strip);
  stripRow->addWidget(changeButton_);
  stripRow->addWidget(deleteButton_);
  stripRow->addWidget(closeButton_);
  // "削除" and "閉じる" of one width, as wide as the longer caption needs.
  const int stripButtonWidth =
      std::max(deleteButton_->sizeHint().width(), closeButton_->sizeHint().width()) +
      fontMetrics().horizontalAdvance(u'　') * 2;
  deleteButton_->setMinimumWidth(stripButtonWidth);
  changeButton_->setMinimumWidth(stripButtonWidth);
  closeButton_->setMinimumWidth(stripButtonWidth);
  return strip;
}

void TicketWindow::connectControls() {
  // Every entry starts from an empty box; coming back with the window
  // keeps what the box holds.
  for (AmountBox* amount : {konyu_, knyKin_, haiKin_, haito_}) {
    connect(amount, &AmountBox::focusReceived, amount, [amount](Qt::FocusReason reason) {
      if (AmountBox::movedIn(reason)) amount->clear();
    });
  }
  // Enter moves on as Tab does, into an emptied box.
  connect(konyu_, &AmountBox::enterPressed, this, [this] { haito_->setFocus(Qt::TabFocusReason); });
  connect(haito_, &AmountBox::enterPressed, this, [this] { okButton_->setFocus(); });

  connect(okButton_, &QPushButton::clicked, this, &TicketWindow::addTicket);
  connect(changeButton_, &QPushButton::clicked, this, &TicketWindow::changeTicket);
  connect(deleteButton_, &QPushButton::clicked, this, &TicketWindow::deleteTicket);
  connect(grid_, &QTableWidget::itemSelectionChanged, this, &TicketWindow::ticketSelected);
  connect(calcButton_, &QPushButton::clicked, this, &TicketWindow::computePayout);
  connect(closeButton_, &QPushButton::clicked, this, &TicketWindow::closeByButton);

  std::vector<QWidget*> order{grid_, baba_, race_, week_};
  for (QButtonGroup* group :
       {age_, surface_, distance_, raceClass_, condition_, runners_, betType_}) {
    for (QAbstractButton* b : group->buttons()) order.push_back(b);
  }
  order.insert(order.end(), {konyu_, knyKin_, haiKin_, calcButton_, haito_, okButton_, closeButton_,
                             changeButton_, deleteButton_});
  setTabChain(order);
}

void TicketWindow::setUpGrid() {
  // Rows one line high, so the grid shows as many tickets as it can.
  grid_->verticalHeader()->setDefaultSectionSize(
      std::max(twipsToPixels(kRowTwips, grid_), grid_->fontMetrics().height() + 2));
  grid_->setTextElideMode(Qt::ElideNone);
  for (int r = 1; r < kGridRows; ++r) grid_->setCell(r, 0, QStringLiteral(" %1").arg(r));
  grid_->setCell(0, 0, QStringLiteral("番号"));
  for (int c = 1; c <= ColRunners; ++c) grid_->setCell(0, c, kHeaders[c - 1]);
  // The twips table, widened in proportion where the font needs more room.
  std::array<QStringList, kGridCols> texts;
  for (int c = 0; c < kGridCols; ++c) texts[static_cast<std::size_t>(c)] = columnTexts(c);
  grid_->setColumnWidthsTwips(kColumnTwips, texts);
  int width = 0;
  for (int c = 0; c < ColUnused; ++c) width += grid_->columnWidthPixels(c);
  for (int c = ColUnused; c < kGridCols; ++c) grid_->setColumnHidden(c - 1, true);

  // All fifteen columns in view, never scrolled sideways; the rows scroll.
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  const int frame = 2 * grid_->frameWidth();
  grid_->setFixedWidth(width + grid_->verticalScrollBar()->sizeHint().width() + frame);
  grid_->setFixedHeight(grid_->horizontalHeader()->sizeHint().height() +
                        kVisibleRows * grid_->verticalHeader()->defaultSectionSize() + frame);

  // The 合計 row: the list's columns without their captions, not for the
  // focus or a selection.
  totalsRow_->horizontalHeader()->hide();
  totalsRow_->verticalHeader()->setFixedWidth(grid_->columnWidthPixels(0));
  totalsRow_->verticalHeader()->setDefaultSectionSize(
      grid_->verticalHeader()->defaultSectionSize());
  for (int c = 1; c < kGridCols; ++c) {
    totalsRow_->setColumnWidth(c - 1, grid_->columnWidthPixels(c));
    totalsRow_->setColumnHidden(c - 1, c >= ColUnused);
  }
  totalsRow_->setCell(1, 0, QStringLiteral("合計"));
  totalsRow_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  totalsRow_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  totalsRow_->setFocusPolicy(Qt::NoFocus);
  totalsRow_->setSelectionMode(QAbstractItemView::NoSelection);
  totalsRow_->setFixedWidth(grid_->width());
  totalsRow_->setFixedHeight(totalsRow_->verticalHeader()->defaultSectionSize() +
                             2 * totalsRow_->frameWidth());
}

void TicketWindow::showTotalsRow() {
  // The day's sums over the bet types, checked as every sum is: an
  // overflow shows nothing rather than a wrapped figure.
  const std::optional<Figures> figures = deriveFigures(totals_);
  totalsRow_->setCell(1, ColPurchase,
                      figures ? fromCore(formatAmount(figures->total.stake)) : QString());
  totalsRow_->setCell(1, ColPayout,
                      figures ? fromCore(formatAmount(figures->total.payout)) : QString());
  alignCellsRight(*totalsRow_, 0, {ColPurchase - 1, ColPayout - 1});
}

// Rows 1.. show the list entries in order and the sums are rebuilt from them.
// False (sums partly built) when a sum would leave the 32-bit range.
bool TicketWindow::refreshTicketGrid() {
  bool ok = true;
  for (int i = 0; i < list_.count && nextRow_ < kGridRows; ++i) {
    const TicketRecord& entry = list_.entries[static_cast<std::size_t>(i)];
    if (entry.isBlank()) {
      blankRow(nextRow_);
    } else {
      writeRow(nextRow_, i);
      const auto type = betTypeOfCode(entry.field(TicketField::BetType)[0]);
      const auto purchase = amountField(entry, TicketField::Purchase);
      const auto payout = amountField(entry, TicketField::Payout);
      if (type && (!purchase || !payout || !adjustTotals(totals_, *type, *purchase, *payout, 1))) {
        ok = false;
      }
    }
    ++nextRow_;
  }
  if (!ok) messages_.error(kAmountOutOfRange);
  if (nextRow_ <= kMaxDayTickets) grid_->setCurrentRow(nextRow_);
  return ok;
}

void TicketWindow::writeRow(int row, int entryIndex) {
  const TicketRecord& entry = list_.entries[static_cast<std::size_t>(entryIndex)];
  for (const auto& [col, attribute] : kCaptionColumns) {
    const std::string_view caption = captionOf(attribute, entry);
    grid_->setCell(row, col, fromCore(caption));
  }
  const auto amountCell = [&](int col, TicketField field) {
    const auto value = amountField(entry, field);
    grid_->setCell(row, col, value ? fromCore(formatAmount(*value)) : fromCore(entry.field(field)));
  };
  amountCell(ColPurchase, TicketField::Purchase);
  amountCell(ColPayout, TicketField::Payout);
  alignCellsRight(*grid_, row - 1, {ColPurchase - 1, ColPayout - 1});
}

void TicketWindow::blankRow(int row) {
  for (int c = 1; c <= ColRunners; ++c) grid_->setCell(row, c, QStringLiteral(" "));
}

char TicketWindow::selectedCode(QButtonGroup* group) const {
  return static_cast<char>(group->checkedId());
}

// False, with the message shown and the focus on the list, when a list
// shows nothing.
bool TicketWindow::listsChosen() {
  const struct {
    QComboBox* list;
    QString message;
  } lists[] = {{baba_, QStringLiteral("場名が選択されていません")},
               {race_, QStringLiteral("ﾚｰｽが選択されていません")},
               {week_, QStringLiteral("曜日が選択されていません")}};
  for (const auto& check : lists) {
    if (check.list->currentText().isEmpty()) {
      messages_.error(check.message);
      check.list->setFocus();
      return false;
    }
  }
  return true;
}

void TicketWindow::addTicket() {
  if (!listsChosen()) return;
  if (konyu_->text().isEmpty()) {
    messages_.error(kNotEntered);
    konyu_->setFocus();
    return;
  }
  if (nextRow_ > kMaxDayTickets || list_.count >= kMaxDayTickets) {
    messages_.error(kListFull);
    return;
  }
  if (blocked_) return;
  DayBetTotals totals = totals_;
  const std::optional<TicketRecord> entry = ticketFromPanels(totals);
  if (!entry) return;

  const int index = list_.count;
  list_.entries[static_cast<std::size_t>(index)] = *entry;
  list_.count = static_cast<std::int16_t>(index + 1);
  totals_ = totals;
  changed_ = true;
  writeRow(nextRow_, index);
  grid_->scrollTo(grid_->model()->index(nextRow_ - 1, 0));
  ++nextRow_;
  // The selection moves on with the free row: 変更 and 削除 act on a ticket
  // the user picked, not on the one just added.
  if (nextRow_ <= kMaxDayTickets) grid_->setCurrentRow(nextRow_);
  showTotalsRow();

  for (AmountBox* box : {konyu_, haito_, knyKin_, haiKin_}) box->clear();
  // The race stays chosen for the next ticket, which mostly needs only its
  // bet type and amounts.
  if (QAbstractButton* bet = betType_->checkedButton()) {
    bet->setFocus();
  } else {
    baba_->setFocus();
  }
}

std::optional<TicketRecord> TicketWindow::ticketFromPanels(DayBetTotals& totals) {
  const auto purchase = boxAmount(konyu_->text());
  const auto payout =
      haito_->text().isEmpty() ? std::optional<std::int32_t>(0) : boxAmount(haito_->text());

  // Everything is worked out first, so a refusal leaves nothing half done.
  TicketRecord entry = newTicket(month_, day_);
  const auto setCode = [&entry](TicketField field, char code) {
    entry.setField(field, std::string_view(&code, 1));
  };
  setCode(TicketField::Racecourse,
          codeOf(Attribute::Racecourse, utf8(baba_->currentText())).value_or(' '));
  setCode(TicketField::RaceNo, codeOf(Attribute::RaceNo, utf8(race_->currentText())).value_or(' '));
  setCode(TicketField::Weekday,
          codeOf(Attribute::Weekday, utf8(week_->currentText())).value_or(' '));
  setCode(TicketField::Surface, selectedCode(surface_));
  setCode(TicketField::DistanceBand, selectedCode(distance_));
  setCode(TicketField::RaceClass, selectedCode(raceClass_));
  const char betCode = selectedCode(betType_);
  setCode(TicketField::BetType, betCode);
  setCode(TicketField::AgeGroup, selectedCode(age_));
  setCode(TicketField::Condition, selectedCode(condition_));
  setCode(TicketField::RunnersBand, selectedCode(runners_));

  const auto type = betTypeOfCode(betCode);
  if (!purchase || !payout || !setAmountField(entry, TicketField::Purchase, *purchase) ||
      !setAmountField(entry, TicketField::Payout, *payout) || !type ||
      !adjustTotals(totals, *type, *purchase, *payout, 1)) {
    messages_.error(kAmountOutOfRange);
    return std::nullopt;
  }
  return entry;
}

int TicketWindow::selectedTicketRow() const {
  const int row = grid_->selectedRow();
  // Rows past the list hold no ticket; the header row is no ticket either.
  if (row < 1 || row > list_.count) return 0;
  return list_.entries[static_cast<std::size_t>(row - 1)].isBlank() ? 0 : row;
}

std::optional<DayBetTotals> TicketWindow::withoutEntry(const DayBetTotals& totals, int index) {
  const TicketRecord& entry = list_.entries[static_cast<std::size_t>(index)];
  DayBetTotals less = totals;
  const auto type = betTypeOfCode(entry.field(TicketField::BetType)[0]);
  if (entry.isBlank() || !type) return less;
  const auto purchase = amountField(entry, TicketField::Purchase);
  const auto payout = amountField(entry, TicketField::Payout);
  if (!purchase || !payout || !adjustTotals(less, *type, *purchase, *payout, -1)) {
    messages_.error(kAmountOutOfRange);
    return std::nullopt;
  }
  return less;
}

void TicketWindow::changeTicket() {
  if (blocked_) return;
  const int row = selectedTicketRow();
  if (row == 0) {
    messages_.error(kNoneChosen);
    grid_->setFocus();
    return;
  }
  if (!listsChosen()) return;
  if (konyu_->text().isEmpty()) {
    messages_.error(kNotEntered);
    konyu_->setFocus();
    return;
  }
  std::optional<DayBetTotals> totals = withoutEntry(totals_, row - 1);
  if (!totals) return;
  const std::optional<TicketRecord> entry = ticketFromPanels(*totals);
  if (!entry) return;
  // The ticket keeps its row: the list's order is the order of entry.
  list_.entries[static_cast<std::size_t>(row - 1)] = *entry;
  totals_ = *totals;
  changed_ = true;
  writeRow(row, row - 1);
  showTotalsRow();
}

void TicketWindow::deleteTicket() {
  if (blocked_) return;
  const int row = grid_->selectedRow();
  // Rows past the list hold no ticket; the header row is no ticket either.
  if (row < 1 || row > list_.count) return;
  TicketRecord& entry = list_.entries[static_cast<std::size_t>(row - 1)];
  if (!entry.isBlank()) {
    const std::optional<DayBetTotals> totals = withoutEntry(totals_, row - 1);
    if (!totals) return;
    totals_ = *totals;
    changed_ = true;
  }
  blankEntry(entry);
  blankRow(row);
  showTotalsRow();
}

void TicketWindow::ticketSelected() {
  const int row = selectedTicketRow();
  if (row == 0) return;
  showInPanels(list_.entries[static_cast<std::size_t>(row - 1)], true);
}

void TicketWindow::showInPanels(const TicketRecord& entry, bool withBet) {
  const auto choose = [&entry](QComboBox* list, Attribute attribute) {
    list->setCurrentIndex(list->findText(fromCore(captionOf(attribute, entry))));
  };
  choose(baba_, Attribute::Racecourse);
  choose(race_, Attribute::RaceNo);
  choose(week_, Attribute::Weekday);
  const auto check = [&entry](QButtonGroup* group, TicketField field) {
    const std::string_view code = entry.field(field);
    if (code.empty()) return;
    // A code no option has (an edited file) leaves the option as it was.
    if (QAbstractButton* button = group->button(code[0])) button->setChecked(true);
  };
  check(age_, TicketField::AgeGroup);
  check(surface_, TicketField::Surface);
  check(distance_, TicketField::DistanceBand);
  check(raceClass_, TicketField::RaceClass);
  check(condition_, TicketField::Condition);
  check(runners_, TicketField::RunnersBand);
  if (!withBet) return;
  check(betType_, TicketField::BetType);
  const auto amountText = [&entry](TicketField field) {
    const auto value = amountField(entry, field);
    return value ? fromCore(formatAmount(*value)) : QString();
  };
  konyu_->setText(amountText(TicketField::Purchase));
  haito_->setText(amountText(TicketField::Payout));
  knyKin_->clear();
  haiKin_->clear();
}

void TicketWindow::computePayout() {
  if (knyKin_->text().isEmpty()) {
    messages_.error(kNotEntered);
    knyKin_->setFocus();
    return;
  }
  if (haiKin_->text().isEmpty()) {
    messages_.error(kNotEntered);
    haiKin_->setFocus();
    return;
  }
  const auto purchase = boxAmount(knyKin_->text());
  const double dividend = boxDecimal(haiKin_->text());
  const auto payout =
      purchase ? roundToAmount(dividend / 100.0 * static_cast<double>(*purchase)) : std::nullopt;
  if (!payout) {
    messages_.error(kAmountOutOfRange);
    return;
  }
  haito_->setText(fromCore(formatAmount(*payout)));
}

void TicketWindow::closeByButton() {
  // Unchanged, the list and its sums would only put the tickets' totals
  // over amounts the day holds for other reasons.
  if (!blocked_ && changed_) emit handedBack(list_, totals_);
  closingByButton_ = true;
  closeWindow();
  closingByButton_ = false;
}

void TicketWindow::activated() { baba_->setFocus(); }

void TicketWindow::showEvent(QShowEvent* event) {
  ChildWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (nextRow_ <= kMaxDayTickets) {
    // Scrolled from the top now that the grid has its size, so the day's
    // first tickets stay in view above the next free row.
    grid_->scrollToTop();
    grid_->setCurrentRow(nextRow_);
  }
  // Only "閉じる" closes this window: the frame gets a bare title bar.
  if (QMdiSubWindow* frame = subWindow()) {
    frame->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (!frame->isVisible()) frame->show();
  }
}

void TicketWindow::closeEvent(QCloseEvent* event) {
  if (closingByButton_) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace tamrel
