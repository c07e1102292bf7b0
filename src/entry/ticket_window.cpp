#include "entry/ticket_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <array>
#include <string>
#include <vector>

#include "base/amount.h"
#include "detail/month_transfer.h"
#include "detail/ticket_records.h"
#include "entry/amount_box.h"
#include "state/app_state.h"
#include "widgets/core_text.h"
#include "widgets/grid.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

const QString kTooMany = QStringLiteral("詳細データが多すぎるため表示できません");
const QString kNotEntered = QStringLiteral("入力されていません");
const QString kListFull = QStringLiteral("これ以上入力できません");

constexpr int kGridRows = kMaxDayTickets + 1;  // header row and 200 ticket rows
constexpr int kGridCols = 15;
constexpr int kClientWidth = 9255;
constexpr int kClientHeight = 6030;
// Typed payouts are short; a computed one is shown whole all the same.
constexpr int kHaitoTypedLength = 6;

constexpr int kRowTwips = 270;
constexpr std::array<int, kGridCols> kColumnTwips{500, 700, 700,  700,  500,  1000, 700, 700,
                                                  700, 700, 1100, 1100, 1100, 400,  400};

// Grid columns of a ticket row.
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

QGroupBox* panel(QWidget* parent, const QString& caption, int left, int top, int width,
                 int height) {
  auto* box = new QGroupBox(caption, parent);
  box->setGeometry(twipsRect(left, top, width, height, parent));
  return box;
}

QRadioButton* option(QGroupBox* box, QButtonGroup* group, const OptionEntry& entry, int left,
                     int top, int width) {
  auto* button = new QRadioButton(QString::fromUtf8(entry.caption), box);
  button->setObjectName(QString::fromLatin1(entry.name));
  button->setGeometry(twipsRect(left, top, width, 240, box));
  group->addButton(button, entry.code);
  return button;
}

QComboBox* list(QGroupBox* box, const char* name) {
  auto* combo = new QComboBox(box);
  combo->setObjectName(QString::fromLatin1(name));
  combo->setEditable(false);
  combo->setGeometry(twipsRect(45, 240, 975, 300, box));
  return combo;
}

// Whether the working list is the current copy of the chosen day and is kept
// instead of being reloaded. A list holding another day's entries (the browse
// windows may have moved CurrentMonth or CurrentDay meanwhile) is not: its
// rows could not be shown, and storing it would put them under this day.
bool keepsList(const AppState& state) {
  if (!state.DayListEdited) return false;
  const auto mm = twoDigits(state.CurrentMonth);
  const auto dd = twoDigits(state.CurrentDay);
  const std::string_view month(mm.data(), mm.size());
  const std::string_view day(dd.data(), dd.size());
  for (int i = 0; i < state.dayTickets.count; ++i) {
    const TicketRecord& entry = state.dayTickets.entries[static_cast<std::size_t>(i)];
    if (entry.field(TicketField::Day) != day) return false;
    if (!entry.isBlank() && entry.field(TicketField::Month) != month) return false;
  }
  return true;
}

void fillList(QComboBox* combo, Attribute attribute) {
  for (const CodeCaption& entry : codeTable(attribute)) combo->addItem(fromCore(entry.caption));
  combo->setCurrentIndex(-1);
}

}  // namespace

TicketWindow::TicketWindow(AppState& state, Messages& messages, QWidget* parent)
    : ChildWindow(parent), state_(state), messages_(messages) {
  setObjectName(QStringLiteral("jrabaken"));
  setWindowTitle(QStringLiteral("詳細入力"));
  setFont(minchoFont());
  setFixedSize(twipsToPixels(kClientWidth, this), twipsToPixels(kClientHeight, this));

  buildLayout();
  setUpGrid();

  nextRow_ = 1;
  state_.dayBetTotals = DayBetTotals{};
  fillList(baba_, Attribute::Racecourse);
  fillList(race_, Attribute::RaceNo);
  fillList(week_, Attribute::Weekday);

  if (!prepareList() || !refreshTicketGrid()) {
    // Only reachable when the opener skipped canOpen; the list stays as it
    // is and is not handed back.
    blocked_ = true;
    okButton_->setEnabled(false);
    deleteButton_->setEnabled(false);
  }
}

TicketWindow::~TicketWindow() = default;

bool TicketWindow::canOpen(AppState& state, Messages& messages) {
  if (keepsList(state)) {
    if (dayTotals(state.dayTickets)) return true;
    messages.error(kAmountOutOfRange);
    return false;
  }
  DayTicketList loaded;
  switch (loadDayTickets(state.tickets, state.CurrentMonth, state.CurrentDay, loaded)) {
    case TransferResult::Ok:
      break;
    case TransferResult::TooManyForDay:
      messages.error(kTooMany);
      return false;
    default:
      // No day chosen: the daily entry window refuses before asking.
      return false;
  }
  if (!dayTotals(loaded)) {
    messages.error(kAmountOutOfRange);
    return false;
  }
  return true;
}

// Step 4 of opening: the list is reloaded from the month unless it is the
// day's current copy.
bool TicketWindow::prepareList() {
  if (keepsList(state_)) return true;
  DayTicketList loaded;
  const TransferResult result =
      loadDayTickets(state_.tickets, state_.CurrentMonth, state_.CurrentDay, loaded);
  if (result == TransferResult::TooManyForDay) {
    messages_.error(kTooMany);
    return false;
  }
  if (result != TransferResult::Ok) return false;
  state_.dayTickets = loaded;
  return true;
}

void TicketWindow::buildLayout() {
  QGroupBox* box = panel(this, QStringLiteral("場名"), 90, 90, 1065, 615);
  baba_ = list(box, "BABA");
  box = panel(this, QStringLiteral("レース"), 90, 765, 1065, 615);
  race_ = list(box, "RACE");
  box = panel(this, QStringLiteral("曜日"), 90, 1440, 1065, 615);
  week_ = list(box, "WEEK");

  auto column = [this](const QString& caption, int left, int top, int width, int height,
                       std::initializer_list<OptionEntry> entries, int step) {
    QGroupBox* group = panel(this, caption, left, top, width, height);
    auto* buttons = new QButtonGroup(group);
    int y = 240;
    for (const OptionEntry& entry : entries) {
      option(group, buttons, entry, 75, y, width - 105);
      y += step;
    }
    return buttons;
  };

  age_ = column(QStringLiteral("馬齢"), 1200, 0, 1170, 1305,
                {{"Uma3", "２歳", '1'},
                 {"Uma4", "３歳", '2'},
                 {"Uma4Up", "３歳上", '3'},
                 {"Uma5Up", "４歳上", '4'}},
                255);
  surface_ = column(QStringLiteral("コース"), 2640, 0, 975, 1290,
                    {{"SIBA", "芝", '1'}, {"DART", "ﾀﾞｰﾄ", '2'}, {"Syogai", "障害", '3'}}, 330);
  distance_ = column(QStringLiteral("距離"), 3960, 0, 1740, 1275,
                     {{"M1600", "1600m以下", '1'},
                      {"M2000", "1600m～2000m", '2'},
                      {"M2500", "2000m～2400m", '3'},
                      {"M3000", "2400m以上", '4'}},
                     255);

  box = panel(this, QStringLiteral("クラス"), 1200, 1320, 3225, 975);
  raceClass_ = new QButtonGroup(box);
  const OptionEntry classes[] = {
      {"CLASS1", "Ｇ１", '1'},  {"CLASS2", "Ｇ２", '2'},   {"CLASS3", "Ｇ３", '3'},
      {"CLASS4", "ｵｰﾌﾟﾝ", '4'}, {"CLASS5", "1600万", '5'}, {"CLASS6", "1000万", '6'},
      {"CLASS7", "500万", '7'}, {"CLASS8", "未勝利", '8'}, {"CLASS9", "新馬", '9'},
  };
  for (int i = 0; i < 9; ++i) {
    option(box, raceClass_, classes[i], 120 + (i % 3) * 1020, 225 + (i / 3) * 240, 990);
  }

  condition_ = column(
      QStringLiteral("条件ﾚｰｽ"), 4440, 1320, 1260, 990,
      {{"NoRace", "指定無し", '0'}, {"Hinba", "牝馬限定", '1'}, {"Hande", "ﾊﾝﾃﾞ戦", '2'}}, 240);

  box = panel(this, QStringLiteral("出走頭数"), 1200, 2280, 4485, 615);
  runners_ = new QButtonGroup(box);
  const OptionEntry runners[] = {{"Tosu1", "9以下", '1'},
                                 {"Tosu2", "10～12", '2'},
                                 {"Tosu3", "13～15", '3'},
                                 {"Tosu4", "16以上", '4'}};
  for (int i = 0; i < 4; ++i) option(box, runners_, runners[i], 120 + i * 1080, 270, 1020);

  box = panel(this, QStringLiteral("馬券種類"), 5760, 120, 1845, 2490);
  betType_ = new QButtonGroup(box);
  const OptionEntry bets[] = {{"TanBtn", "単勝", '1'}, {"FukBtn", "複勝", '2'},
                              {"WakBtn", "枠連", '3'}, {"UmaBtn", "馬連", '4'},
                              {"KakBtn", "ﾜｲﾄﾞ", '5'}, {"UtanBtn", "馬単", '6'},
                              {"RenBtn", "3連複", '7'}};
  for (int i = 0; i < 7; ++i) {
    const int col = i < 4 ? 0 : 1;
    const int rowIndex = i < 4 ? i : i - 4;
    option(box, betType_, bets[i], 150 + col * 870, 300 + rowIndex * 360, 780);
  }

  // "購入金額" sits in the lower part of the bet type panel, drawn over it.
  box = panel(this, QStringLiteral("購入金額"), 5955, 1920, 1470, 585);
  konyu_ = new AmountBox(AmountBox::Filter::DigitsAndMinus, 7, box);
  konyu_->setObjectName(QStringLiteral("KONYU"));
  konyu_->setGeometry(twipsRect(90, 240, 1290, 285, box));
  box->raise();

  QGroupBox* hit = panel(this, QStringLiteral("的中情報"), 7680, 90, 1455, 1455);
  box = panel(hit, QStringLiteral("購入金額"), 60, 210, 1335, 570);
  knyKin_ = new AmountBox(AmountBox::Filter::None, 6, box);
  knyKin_->setObjectName(QStringLiteral("KnyKin"));
  knyKin_->setGeometry(twipsRect(90, 240, 1155, 285, box));
  box = panel(hit, QStringLiteral("配当金額"), 60, 810, 1335, 570);
  haiKin_ = new AmountBox(AmountBox::Filter::None, 6, box);
  haiKin_->setObjectName(QStringLiteral("HaiKin"));
  haiKin_->setGeometry(twipsRect(90, 240, 1155, 285, box));

  calcButton_ = new QPushButton(QStringLiteral("払戻金額計算"), this);
  calcButton_->setObjectName(QStringLiteral("SSCommand1"));
  calcButton_->setGeometry(twipsRect(7680, 1572, 1452, 264, this));

  box = panel(this, QStringLiteral("払戻金額"), 7680, 1920, 1470, 615);
  haito_ = new AmountBox(AmountBox::Filter::DigitsAndMinus, kHaitoTypedLength, box);
  haito_->setObjectName(QStringLiteral("HAITO"));
  haito_->setGeometry(twipsRect(90, 240, 1290, 285, box));

  okButton_ = new QPushButton(QStringLiteral("ＯＫ"), this);
  okButton_->setObjectName(QStringLiteral("Command3D3"));
  okButton_->setGeometry(twipsRect(7680, 2592, 1464, 300, this));

  grid_ = new Grid(kGridRows, kGridCols, 1, this);
  grid_->setObjectName(QStringLiteral("Grid1"));
  grid_->setGeometry(twipsRect(90, 2970, 9015, 2295, this));

  auto* strip = new QFrame(this);
  strip->setFrameShape(QFrame::Panel);
  strip->setFrameShadow(QFrame::Raised);
  strip->setGeometry(twipsRect(105, 5355, 9030, 615, this));
  deleteButton_ = new QPushButton(QStringLiteral("削除"), strip);
  deleteButton_->setObjectName(QStringLiteral("DelCmd"));
  deleteButton_->setGeometry(twipsRect(6120, 98, 1215, 420, strip));
  closeButton_ = new QPushButton(QStringLiteral("閉じる"), strip);
  closeButton_->setObjectName(QStringLiteral("Command3D1"));
  closeButton_->setGeometry(twipsRect(7560, 98, 1215, 420, strip));

  for (QButtonGroup* group :
       {age_, surface_, distance_, raceClass_, condition_, runners_, betType_}) {
    group->setExclusive(true);
    group->buttons().first()->setChecked(true);
  }

  // Every entry starts from an empty box.
  for (AmountBox* amount : {konyu_, knyKin_, haiKin_, haito_}) {
    connect(amount, &AmountBox::focusReceived, amount, &QLineEdit::clear);
  }
  connect(konyu_, &AmountBox::enterPressed, this, [this] { haito_->setFocus(); });
  connect(haito_, &AmountBox::enterPressed, this, [this] { okButton_->setFocus(); });

  connect(okButton_, &QPushButton::clicked, this, &TicketWindow::addTicket);
  connect(deleteButton_, &QPushButton::clicked, this, &TicketWindow::deleteTicket);
  connect(calcButton_, &QPushButton::clicked, this, &TicketWindow::computePayout);
  connect(closeButton_, &QPushButton::clicked, this, &TicketWindow::closeByButton);

  std::vector<QWidget*> order{grid_, baba_, race_, week_};
  for (QButtonGroup* group :
       {age_, surface_, distance_, raceClass_, condition_, runners_, betType_}) {
    for (QAbstractButton* b : group->buttons()) order.push_back(b);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{konyu_, knyKin_, haiKin_, calcButton_, haito_,
                                                    okButton_, closeButton_, deleteButton_}) {
    order.push_back(w);
  }
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TicketWindow::setUpGrid() {
  // Rows one line high, so the grid shows as many tickets as it can.
  grid_->verticalHeader()->setDefaultSectionSize(twipsToPixels(kRowTwips, grid_));
  grid_->setTextElideMode(Qt::ElideNone);
  for (int c = 0; c < kGridCols; ++c) grid_->setColumnWidthTwips(c, kColumnTwips[c]);
  for (int r = 1; r < kGridRows; ++r) grid_->setCell(r, 0, QStringLiteral(" %1").arg(r));
  for (int c = 1; c <= ColRunners; ++c) grid_->setCell(0, c, kHeaders[c - 1]);
}

// Rows 1.. show the list entries in order and the sums are rebuilt from them.
// False (sums partly built) when a sum would leave the 32-bit range.
bool TicketWindow::refreshTicketGrid() {
  bool ok = true;
  for (int i = 0; i < state_.dayTickets.count && nextRow_ < kGridRows; ++i) {
    const TicketRecord& entry = state_.dayTickets.entries[static_cast<std::size_t>(i)];
    if (entry.isBlank()) {
      blankRow(nextRow_);
    } else {
      writeRow(nextRow_, i);
      const auto type = betTypeOfCode(entry.field(TicketField::BetType)[0]);
      const auto purchase = amountField(entry, TicketField::Purchase);
      const auto payout = amountField(entry, TicketField::Payout);
      if (type && (!purchase || !payout ||
                   !adjustTotals(state_.dayBetTotals, *type, *purchase, *payout, 1))) {
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
  const TicketRecord& entry = state_.dayTickets.entries[static_cast<std::size_t>(entryIndex)];
  const std::pair<int, Attribute> captions[] = {
      {ColRacecourse, Attribute::Racecourse}, {ColRace, Attribute::RaceNo},
      {ColWeekday, Attribute::Weekday},       {ColSurface, Attribute::Surface},
      {ColDistance, Attribute::DistanceBand}, {ColAge, Attribute::AgeGroup},
      {ColClass, Attribute::RaceClass},       {ColCondition, Attribute::Condition},
      {ColBetType, Attribute::BetType},       {ColRunners, Attribute::RunnersBand},
  };
  for (const auto& [col, attribute] : captions) {
    const std::string_view caption = captionOf(attribute, entry);
    grid_->setCell(row, col, fromCore(caption));
  }
  const auto amountCell = [&](int col, TicketField field) {
    const auto value = amountField(entry, field);
    grid_->setCell(row, col, value ? fromCore(formatAmount(*value)) : fromCore(entry.field(field)));
  };
  amountCell(ColPurchase, TicketField::Purchase);
  amountCell(ColPayout, TicketField::Payout);
  // Amounts line up on their last digit, as numbers do in the grid.
  for (int col : {ColPurchase, ColPayout}) {
    if (QTableWidgetItem* item = grid_->item(row - 1, col - 1)) {
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
  }
}

void TicketWindow::blankRow(int row) {
  for (int c = 1; c <= ColRunners; ++c) grid_->setCell(row, c, QStringLiteral(" "));
}

char TicketWindow::selectedCode(QButtonGroup* group) const {
  return static_cast<char>(group->checkedId());
}

void TicketWindow::addTicket() {
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
      return;
    }
  }
  if (konyu_->text().isEmpty()) {
    messages_.error(kNotEntered);
    konyu_->setFocus();
    return;
  }
  const auto purchase = boxAmount(konyu_->text());
  const auto payout =
      haito_->text().isEmpty() ? std::optional<std::int32_t>(0) : boxAmount(haito_->text());
  if (nextRow_ > kMaxDayTickets || state_.dayTickets.count >= kMaxDayTickets) {
    messages_.error(kListFull);
    return;
  }
  if (blocked_) return;

  // Everything is worked out first, so a refusal leaves nothing half done.
  TicketRecord entry = newTicket(state_.CurrentMonth, state_.CurrentDay);
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

  DayBetTotals totals = state_.dayBetTotals;
  const auto type = betTypeOfCode(betCode);
  if (!purchase || !payout || !setAmountField(entry, TicketField::Purchase, *purchase) ||
      !setAmountField(entry, TicketField::Payout, *payout) || !type ||
      !adjustTotals(totals, *type, *purchase, *payout, 1)) {
    messages_.error(kAmountOutOfRange);
    return;
  }

  const int index = state_.dayTickets.count;
  state_.dayTickets.entries[static_cast<std::size_t>(index)] = entry;
  state_.dayTickets.count = static_cast<std::int16_t>(index + 1);
  state_.dayBetTotals = totals;
  writeRow(nextRow_, index);
  grid_->scrollTo(grid_->model()->index(nextRow_ - 1, 0));
  ++nextRow_;

  for (AmountBox* box : {konyu_, haito_, knyKin_, haiKin_}) box->clear();
  baba_->setFocus();
}

void TicketWindow::deleteTicket() {
  if (blocked_) return;
  const int row = grid_->selectedRow();
  // Rows past the list hold no ticket; the header row is no ticket either.
  if (row < 1 || row > state_.dayTickets.count) return;
  TicketRecord& entry = state_.dayTickets.entries[static_cast<std::size_t>(row - 1)];
  if (!entry.isBlank()) {
    const auto type = betTypeOfCode(entry.field(TicketField::BetType)[0]);
    if (type) {
      const auto purchase = amountField(entry, TicketField::Purchase);
      const auto payout = amountField(entry, TicketField::Payout);
      DayBetTotals totals = state_.dayBetTotals;
      if (!purchase || !payout || !adjustTotals(totals, *type, *purchase, *payout, -1)) {
        messages_.error(kAmountOutOfRange);
        return;
      }
      state_.dayBetTotals = totals;
    }
  }
  blankEntry(entry);
  blankRow(row);
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
  if (!blocked_) state_.DayListEdited = true;
  state_.TicketWindowOpen = false;
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
