#include "entry/entry_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "base/amount.h"
#include "detail/month_transfer.h"
#include "entry/amount_box.h"
#include "entry/ticket_window.h"
#include "state/app_state.h"
#include "widgets/core_text.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

const QString kNoMonth = QStringLiteral("月の指定をして下さい");
const QString kFixMonth = QStringLiteral("月の指定を正しく修正して下さい");
const QString kFixDay = QStringLiteral("日の指定を正しく修正して下さい");
const QString kMonthFull = QStringLiteral("詳細データが月の上限を超えるため確定できません");
const QString kNotNow = QStringLiteral("現在、この機能は使用できません");
const QString kSaved = QStringLiteral("データは一時保存されました");
const QString kClearWarning =
    QStringLiteral("詳細入力を行っている場合は、この機能を使用しないで下さい");
const QString kGoOn = QStringLiteral("続行しますか？");

constexpr int kTosiLength = 8;
constexpr int kHaraiLength = 9;
// Only the first four bet types have the digit filter and the Enter chain.
constexpr int kFilteredTypes = 4;

// Whether a key opens a drop-down list or changes its choice: the keys that
// move through the list or open it, and a printable character, which picks
// the next item starting with it.
bool opensOrChooses(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_F4:
    case Qt::Key_Space:
    case Qt::Key_Select:
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      return false;
    default:
      return !event.text().isEmpty() && event.text().front().isPrint();
  }
}

// A drop-down whose opening (by mouse, key or wheel) a guard may refuse, and
// which the guard may also refuse to hold the focus.
class GuardedList : public QComboBox {
 public:
  using QComboBox::QComboBox;
  // Returns true when the list may be used; otherwise it has already moved
  // the focus or told the user why not.
  std::function<bool()> mayOpen;
  // Returns true when the list may hold the focus.
  std::function<bool()> mayFocus;
  // The same question as mayOpen, asked without acting on a refusal.
  std::function<bool()> usable;

  void showPopup() override {
    if (mayOpen && !mayOpen()) return;
    QComboBox::showPopup();
  }

 protected:
  void focusInEvent(QFocusEvent* event) override {
    QComboBox::focusInEvent(event);
    if (mayFocus && !mayFocus()) return;
  }
  void keyPressEvent(QKeyEvent* event) override {
    // Arrow keys and type-ahead change the choice without the popup; they
    // are held to the same rule as opening it. Other keys (the Shift of a
    // Shift+Tab, a bare Ctrl) change nothing and are let through unasked.
    if (opensOrChooses(*event) && mayOpen && !mayOpen()) {
      event->accept();
      return;
    }
    QComboBox::keyPressEvent(event);
  }
  void wheelEvent(QWheelEvent* event) override {
    // A wheel turned over the list while it may not open changes nothing and
    // says nothing: the pointer may only be passing by.
    if (usable && !usable()) {
      event->accept();
      return;
    }
    QComboBox::wheelEvent(event);
  }
};

QString shownAmount(std::int32_t value) { return QString::fromStdString(formatAmount(value)); }
QString percentText(float rate) { return QString::fromStdString(formatPercent(rate)); }

QString suffix(int t) { return fromCore(kBetTypes[static_cast<std::size_t>(t)].suffix); }

QLabel* panelLabel(const QString& name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFrameStyle(QFrame::Panel | QFrame::Raised);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

EntryWindow::EntryWindow(AppState& state, Messages& messages, QWidget* parent)
    : ChildWindow(parent), state_(state), messages_(messages) {
  setObjectName(QStringLiteral("Finput"));
  setWindowTitle(QStringLiteral("収支入力"));
  setFont(uiFont());
  buildControls();
  setConfirming(false);
}

EntryWindow::~EntryWindow() = default;

void EntryWindow::buildControls() {
  const QFontMetrics fm(font());
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(8, 8, 8, 8);
  outer->setSpacing(6);
  // The window is as large as its contents and no larger.
  outer->setSizeConstraint(QLayout::SetFixedSize);

  // 日付, and the instruction beside it.
  auto* top = new QHBoxLayout;
  outer->addLayout(top);
  auto* dateFrame = new QGroupBox(QStringLiteral("日付"), this);
  auto* dateRow = new QHBoxLayout(dateFrame);
  auto* mm = new GuardedList(dateFrame);
  auto* dd = new GuardedList(dateFrame);
  mm_ = mm;
  dd_ = dd;
  mm->setObjectName(QStringLiteral("MM"));
  dd->setObjectName(QStringLiteral("DD"));
  mm->setAccessibleName(QStringLiteral("日付 月"));
  dd->setAccessibleName(QStringLiteral("日付 日"));
  for (int i = 1; i <= 12; ++i) mm->addItem(fromCore(fullWidthNumber(i)) + QStringLiteral("月"));
  for (int i = 1; i <= 31; ++i) dd->addItem(fromCore(fullWidthNumber(i)) + QStringLiteral("日"));
  mm->setCurrentIndex(-1);
  dd->setCurrentIndex(-1);
  mm->setMaxVisibleItems(12);
  dd->setMaxVisibleItems(16);
  mm->mayOpen = [this, mm] { return listMayOpen(mm); };
  dd->mayOpen = [this, dd] { return listMayOpen(dd); };
  const auto mayFocus = [this] {
    if (!ConfirmPending) return true;
    yesCmd_->setFocus(Qt::OtherFocusReason);
    return false;
  };
  mm->mayFocus = mayFocus;
  dd->mayFocus = mayFocus;
  mm->usable = [this, mm] { return listUsable(mm); };
  dd->usable = [this, dd] { return listUsable(dd); };
  connect(mm, &QComboBox::activated, this, &EntryWindow::monthChosen);
  connect(dd, &QComboBox::activated, this, &EntryWindow::dayChosen);
  // Both lists as wide as the widest item of either, arrow included.
  const int listWidth =
      std::max(mm->sizeHint().width(), dd->sizeHint().width()) + fm.horizontalAdvance(u'　');
  mm->setFixedWidth(listWidth);
  dd->setFixedWidth(listWidth);
  dateRow->addWidget(mm);
  dateRow->addWidget(dd);
  top->addWidget(dateFrame);

  auto* hint = new QLabel(QStringLiteral("簡易入力の場合は直接入力して下さい。"
                                         "詳細入力は下の詳細入力のﾎﾞﾀﾝをｸﾘｯｸして下さい。"),
                          this);
  hint->setObjectName(QStringLiteral("Panel3D6"));
  hint->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  hint->setWordWrap(true);
  hint->setMargin(4);
  // The table below sets the window's width; the instruction wraps to
  // whatever is left beside the date.
  hint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  top->addWidget(hint, 1, Qt::AlignBottom);

  // 投資内容: row labels, four column frames, the totals row. One grid keeps
  // every box on the line of its row label: each column frame spans the
  // rows of its column (its caption in row 0), and the boxes sit in the
  // same cells, inset from the frame's sides.
  auto* table = new QGroupBox(QStringLiteral("投資内容"), this);
  outer->addWidget(table);
  auto* grid = new QGridLayout(table);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  constexpr int kCaptionRow = 0;
  constexpr int kFirstBetRow = 1;
  constexpr int kFrameBottomRow = kFirstBetRow + kBetTypeCount;
  constexpr int kTotalsRow = kFrameBottomRow + 1;
  const int boxWidth = fm.horizontalAdvance(QStringLiteral("-2147483648")) + 16;
  const int inset = 8;
  grid->setRowMinimumHeight(kCaptionRow, fm.height() + 4);
  grid->setRowMinimumHeight(kFrameBottomRow, inset);

  const QStringList captions{QStringLiteral("投資金額"), QStringLiteral("払戻金額"),
                             QStringLiteral("利益金額"), QStringLiteral("回収率")};
  for (int c = 0; c < 4; ++c) {
    auto* column = new QGroupBox(captions[c], table);
    grid->addWidget(column, kCaptionRow, c + 1, kFrameBottomRow + 1, 1);
    grid->setColumnMinimumWidth(c + 1,
                                std::max(boxWidth + 2 * inset, column->minimumSizeHint().width()));
  }
  const auto place = [&](QWidget* box, int row, int column) {
    box->setFixedWidth(boxWidth);
    grid->addWidget(box, row, column, Qt::AlignHCenter);
  };
  const auto valueBox = [this](const QString& name, const QString& accessible, QWidget* parent) {
    auto* box = new ValueBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessible);
    // Tab passes the display boxes by; a click still lands on them and is
    // sent on by the focus target.
    box->setFocusPolicy(Qt::ClickFocus);
    box->setFocusTarget([this]() -> QWidget* { return ConfirmPending ? yesCmd_ : chkCmd_; });
    return box;
  };
  for (int t = 0; t < kBetTypeCount; ++t) {
    const auto i = static_cast<std::size_t>(t);
    const QString row = fromCore(kBetTypes[i].labelCaption);
    const int r = kFirstBetRow + t;
    grid->addWidget(panelLabel(QStringLiteral("SSPanel%1").arg(t + 1), row, table), r, 0);
    const AmountBox::Filter filter =
        t < kFilteredTypes ? AmountBox::Filter::Digits : AmountBox::Filter::None;
    tosi_[i] = new AmountBox(filter, kTosiLength, table);
    tosi_[i]->setObjectName(QStringLiteral("Tosi") + suffix(t));
    tosi_[i]->setAccessibleName(row + u' ' + captions[0]);
    harai_[i] = new AmountBox(filter, kHaraiLength, table);
    harai_[i]->setObjectName(QStringLiteral("Harai") + suffix(t));
    harai_[i]->setAccessibleName(row + u' ' + captions[1]);
    rieki_[i] = valueBox(QStringLiteral("Rieki") + suffix(t), row + u' ' + captions[2], table);
    ritu_[i] = valueBox(QStringLiteral("Ritu") + suffix(t), row + u' ' + captions[3], table);
    place(tosi_[i], r, 1);
    place(harai_[i], r, 2);
    place(rieki_[i], r, 3);
    place(ritu_[i], r, 4);
    for (AmountBox* box : {tosi_[i], harai_[i]}) {
      connect(box, &AmountBox::focusReceived, this, [this, box] { inputFocused(box); });
      connect(box, &AmountBox::enterPressed, this, [this, box] { moveAlongChain(box); });
    }
  }
  // Row labels as wide as the widest caption with room either side.
  int labelWidth = 0;
  for (const BetTypeInfo& bet : kBetTypes) {
    labelWidth = std::max(labelWidth, fm.horizontalAdvance(fromCore(bet.labelCaption)));
  }
  grid->setColumnMinimumWidth(0, labelWidth + 24);
  const QString total = QStringLiteral("合計");
  grid->addWidget(panelLabel(QStringLiteral("Panel3D5"), total, table), kTotalsRow, 0);
  gokeiTosi_ = valueBox(QStringLiteral("GokeiTosi"), total + u' ' + captions[0], table);
  gokeiHarai_ = valueBox(QStringLiteral("GokeiHarai"), total + u' ' + captions[1], table);
  gokeiRieki_ = valueBox(QStringLiteral("GokeiRieki"), total + u' ' + captions[2], table);
  gokeiRitu_ = valueBox(QStringLiteral("GokeiRitu"), total + u' ' + captions[3], table);
  const std::array<ValueBox*, 4> totals{gokeiTosi_, gokeiHarai_, gokeiRieki_, gokeiRitu_};
  for (int c = 0; c < 4; ++c) place(totals[static_cast<std::size_t>(c)], kTotalsRow, c + 1);

  // Buttons; the confirmation panel takes the place of "確認" and "閉じる".
  auto* buttons = new QFrame(this);
  buttons->setFrameStyle(QFrame::Panel | QFrame::Raised);
  outer->addWidget(buttons);
  auto* buttonRow = new QHBoxLayout(buttons);
  // Enter on a focused button presses it: the Enter chain of the input boxes
  // ends on "確認".
  chkCmd_ = commandButton(QStringLiteral("ChkCmd"), QStringLiteral("確認"), buttons);
  clearCmd_ = commandButton(QStringLiteral("TosiClearCmd"), QStringLiteral("投資内容ｸﾘｱ"), buttons);
  ticketCmd_ = commandButton(QStringLiteral("SSCommand1"), QStringLiteral("詳細入力"), buttons);
  closeCmd_ = commandButton(QStringLiteral("Command3D1"), QStringLiteral("閉じる"), buttons);
  // One width for the four, so they read as one row of commands.
  const int commandWidth = clearCmd_->sizeHint().width() + fm.horizontalAdvance(u'　');
  for (QPushButton* b : {clearCmd_, ticketCmd_, chkCmd_, closeCmd_})
    b->setMinimumWidth(commandWidth);
  buttonRow->addWidget(clearCmd_);
  buttonRow->addWidget(ticketCmd_);
  buttonRow->addStretch(1);

  auto* editing = new QWidget(buttons);
  auto* editingRow = new QHBoxLayout(editing);
  editingRow->setContentsMargins(0, 0, 0, 0);
  // The panel is as wide as the question; the two commands keep their width
  // at its right end.
  editingRow->addStretch(1);
  editingRow->addWidget(chkCmd_);
  editingRow->addWidget(closeCmd_);
  kakunin_ = new QLabel(QStringLiteral("確定しますか？"), buttons);
  kakunin_->setObjectName(QStringLiteral("Kakunin"));
  kakunin_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  kakunin_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  kakunin_->setIndent(8);
  yesCmd_ = commandButton(QStringLiteral("YesCmd"), QStringLiteral("はい"), kakunin_);
  noCmd_ = commandButton(QStringLiteral("NoCmd"), QStringLiteral("いいえ"), kakunin_);
  // The question is the panel's own caption; the two answers sit to its
  // right inside the panel.
  auto* answers = new QHBoxLayout(kakunin_);
  answers->setContentsMargins(kakunin_->indent() + fm.horizontalAdvance(kakunin_->text()) + 12, 3,
                              3, 3);
  answers->addWidget(yesCmd_);
  answers->addWidget(noCmd_);
  // A label sizes itself by its text alone; the answers need their room too.
  kakunin_->setMinimumSize(answers->totalSizeHint());
  confirmStack_ = new QStackedWidget(buttons);
  confirmStack_->addWidget(editing);
  confirmStack_->addWidget(kakunin_);
  buttonRow->addWidget(confirmStack_);

  connect(chkCmd_, &QPushButton::clicked, this, &EntryWindow::check);
  connect(yesCmd_, &QPushButton::clicked, this, &EntryWindow::confirm);
  connect(noCmd_, &QPushButton::clicked, this, &EntryWindow::cancel);
  connect(clearCmd_, &QPushButton::clicked, this, &EntryWindow::clearInputs);
  connect(ticketCmd_, &QPushButton::clicked, this, &EntryWindow::openTickets);
  connect(closeCmd_, &QPushButton::clicked, this, &EntryWindow::closeWindow);

  // Tab order: date, stakes, payouts, then the buttons.
  QWidget* previous = mm_;
  const auto chain = [&previous](QWidget* next) {
    setTabOrder(previous, next);
    previous = next;
  };
  chain(dd_);
  for (AmountBox* box : tosi_) chain(box);
  for (AmountBox* box : harai_) chain(box);
  for (QWidget* w : {static_cast<QWidget*>(chkCmd_), static_cast<QWidget*>(yesCmd_),
                     static_cast<QWidget*>(noCmd_), static_cast<QWidget*>(clearCmd_),
                     static_cast<QWidget*>(ticketCmd_), static_cast<QWidget*>(closeCmd_)}) {
    chain(w);
  }
}

void EntryWindow::activated() {
  if (state_.TicketWindowOpen) {
    if (ticketWindow_ != nullptr) {
      ChildWindow::bringToFront(ticketWindow_);
      return;
    }
    // The flag outlived its window (closed by other means than its own
    // button): nothing is left to bring forward, so the flag must not lock
    // this window out.
    state_.TicketWindowOpen = false;
  }
  if (state_.TicketTotalsPending) {
    const BetAmounts& totals = state_.dayBetTotals;
    for (std::size_t t = 0; t < tosi_.size(); ++t) {
      tosi_[t]->setText(shownAmount(totals.stake[t]));
      harai_[t]->setText(shownAmount(totals.payout[t]));
    }
    state_.TicketTotalsPending = false;
    return;
  }
  // While the confirmation is shown the boxes hold exactly what "はい" is
  // about to post; emptying them on a window switch would post zeros.
  if (ConfirmPending) return;
  for (std::size_t t = 0; t < tosi_.size(); ++t) {
    tosi_[t]->clear();
    harai_[t]->clear();
  }
}

void EntryWindow::closeEvent(QCloseEvent* event) {
  // The ticket window works on this window's day and hands its totals back
  // here; it closes only by its own button, so this window waits for it.
  if (ticketWindowOpen()) {
    ChildWindow::bringToFront(ticketWindow_);
    event->ignore();
    return;
  }
  state_.OpenWindowCount = 0;
  state_.EntryWindowOpen = false;
  event->accept();
}

bool EntryWindow::ticketWindowOpen() const {
  // The flag says whether it is open (its own "閉じる" clears it); the
  // pointer whether there is still a window to bring forward.
  return state_.TicketWindowOpen && ticketWindow_ != nullptr;
}

bool EntryWindow::listUsable(const QComboBox* list) const {
  return !ConfirmPending && !ticketWindowOpen() && !(list == dd_ && mm_->currentIndex() < 0);
}

bool EntryWindow::listMayOpen(QComboBox* list) {
  if (ConfirmPending) {
    yesCmd_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  if (ticketWindowOpen()) {
    // The ticket window works on the day chosen here; it stays in front
    // until it is closed.
    ChildWindow::bringToFront(ticketWindow_);
    return false;
  }
  if (list == dd_ && mm_->currentIndex() < 0) {
    messages_.error(kNoMonth);
    mm_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  return true;
}

void EntryWindow::monthChosen(int index) {
  state_.CurrentMonth = index + 1;
  if (dd_->currentIndex() < 0) return;
  state_.CurrentDay = dd_->currentIndex() + 1;
  showChosenDay();
}

void EntryWindow::dayChosen(int index) {
  if (mm_->currentIndex() < 0) {
    // Only reachable if a choice slipped past the guard; a day without a
    // month has nothing to show.
    dd_->setCurrentIndex(-1);
    messages_.error(kNoMonth);
    mm_->setFocus(Qt::OtherFocusReason);
    return;
  }
  state_.CurrentMonth = mm_->currentIndex() + 1;
  state_.CurrentDay = index + 1;
  showChosenDay();
}

void EntryWindow::showChosenDay() {
  const int month = mm_->currentIndex() + 1;
  const int day = dd_->currentIndex() + 1;
  const std::optional<Figures> figures = showDay(state_.ledger, state_.dayBaseline, month, day);
  state_.DayListEdited = false;
  if (!figures) {
    // The slot holds amounts beyond the 32-bit range (an edited file). The
    // baseline was not taken, so the day must not be postable: it is
    // un-chosen and shown as nothing.
    dd_->setCurrentIndex(-1);
    emptyDisplays();
    for (std::size_t t = 0; t < tosi_.size(); ++t) {
      tosi_[t]->clear();
      harai_[t]->clear();
    }
    messages_.error(kAmountOutOfRange);
    dd_->setFocus(Qt::OtherFocusReason);
    return;
  }
  showFigures(state_.dayBaseline, *figures);
}

void EntryWindow::showFigures(const BetAmounts& amounts, const Figures& figures) {
  for (std::size_t t = 0; t < tosi_.size(); ++t) {
    tosi_[t]->setText(shownAmount(amounts.stake[t]));
    harai_[t]->setText(shownAmount(amounts.payout[t]));
    rieki_[t]->setText(shownAmount(figures.bets[t].profit));
    ritu_[t]->setText(percentText(figures.bets[t].rate));
  }
  gokeiTosi_->setText(shownAmount(figures.total.stake));
  gokeiHarai_->setText(shownAmount(figures.total.payout));
  gokeiRieki_->setText(shownAmount(figures.total.profit));
  gokeiRitu_->setText(percentText(figures.total.rate));
}

void EntryWindow::inputFocused(AmountBox* box) {
  if (ConfirmPending) {
    yesCmd_->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (!dateChosen()) return;
  box->clear();
}

void EntryWindow::moveAlongChain(AmountBox* box) {
  const auto t =
      static_cast<std::size_t>(std::find(tosi_.begin(), tosi_.end(), box) - tosi_.begin());
  if (t + 1 < kFilteredTypes) {
    tosi_[t + 1]->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (t + 1 == kFilteredTypes) {
    harai_[0]->setFocus(Qt::OtherFocusReason);
    return;
  }
  const auto h =
      static_cast<std::size_t>(std::find(harai_.begin(), harai_.end(), box) - harai_.begin());
  if (h + 1 < kFilteredTypes) {
    harai_[h + 1]->setFocus(Qt::OtherFocusReason);
  } else {
    chkCmd_->setFocus(Qt::OtherFocusReason);
  }
}

bool EntryWindow::dateChosen() {
  if (mm_->currentIndex() < 0) {
    messages_.error(kFixMonth);
    mm_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  if (dd_->currentIndex() < 0) {
    messages_.error(kFixDay);
    dd_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  return true;
}

std::optional<BetAmounts> EntryWindow::typedAmounts() const {
  BetAmounts amounts;
  for (std::size_t t = 0; t < tosi_.size(); ++t) {
    const std::optional<std::int32_t> stake = boxAmount(tosi_[t]->text());
    const std::optional<std::int32_t> payout = boxAmount(harai_[t]->text());
    if (!stake || !payout) return std::nullopt;
    amounts.stake[t] = *stake;
    amounts.payout[t] = *payout;
  }
  return amounts;
}

void EntryWindow::check() {
  ConfirmPending = false;
  if (!dateChosen()) return;
  const std::optional<BetAmounts> amounts = typedAmounts();
  const std::optional<Figures> figures =
      amounts ? deriveFigures(*amounts) : std::optional<Figures>{};
  if (!figures) {
    messages_.error(kAmountOutOfRange);
    return;
  }
  showFigures(*amounts, *figures);
  setConfirming(true);
}

void EntryWindow::confirm() {
  const int month = mm_->currentIndex() + 1;
  const int day = dd_->currentIndex() + 1;
  const std::optional<BetAmounts> amounts = typedAmounts();
  if (month < 1 || day < 1 || !amounts) {
    setConfirming(false);
    if (!amounts) messages_.error(kAmountOutOfRange);
    return;
  }
  // The day posted is the one shown here, whatever a browse window has set
  // the shared month and day to since.
  state_.CurrentMonth = month;
  state_.CurrentDay = day;
  // The tickets are checked before anything is posted, so the day and its
  // tickets are either both stored or both left as they were.
  if (state_.DayListEdited && !canStoreDayTickets(state_.tickets, month, day, state_.dayTickets)) {
    setConfirming(false);
    messages_.error(kMonthFull);
    return;
  }
  if (postDay(state_.ledger, state_.dayBaseline, month, day, *amounts) != PostResult::Ok) {
    setConfirming(false);
    messages_.error(kAmountOutOfRange);
    return;
  }
  state_.DataChanged = true;
  if (state_.DayListEdited) {
    // Cannot fail: the room was checked above and nothing ran in between.
    [[maybe_unused]] const TransferResult stored =
        storeDayTickets(state_.tickets, month, day, state_.dayTickets);
  }
  setConfirming(false);
  mm_->setFocus(Qt::OtherFocusReason);
  messages_.notice(kSaved);
}

void EntryWindow::cancel() { setConfirming(false); }

void EntryWindow::clearInputs() {
  messages_.notice(kClearWarning);
  if (!messages_.ask(kGoOn)) return;
  for (std::size_t t = 0; t < tosi_.size(); ++t) {
    tosi_[t]->clear();
    harai_[t]->clear();
  }
  emptyDisplays();
  state_.DayListEdited = false;
  tosi_[0]->setFocus(Qt::OtherFocusReason);
}

void EntryWindow::openTickets() {
  if (ConfirmPending) {
    messages_.error(kNotNow);
    return;
  }
  if (!dateChosen()) return;
  if (ticketWindowOpen()) {
    ChildWindow::bringToFront(ticketWindow_);
    return;
  }
  // The tickets belong to the day shown here.
  state_.CurrentMonth = mm_->currentIndex() + 1;
  state_.CurrentDay = dd_->currentIndex() + 1;
  // A day whose stored tickets cannot be shown is refused here, before any
  // flag says the ticket window is open.
  if (!TicketWindow::canOpen(state_, messages_)) return;
  chkCmd_->setFocus(Qt::OtherFocusReason);
  state_.TicketTotalsPending = true;
  state_.TicketWindowOpen = true;
  ticketWindow_ = new TicketWindow(state_, messages_);
  if (QMdiArea* area = workArea()) {
    openChildWindow(*area, ticketWindow_);
  } else {
    ticketWindow_->setAttribute(Qt::WA_DeleteOnClose);
    ticketWindow_->show();
  }
}

void EntryWindow::setConfirming(bool confirming) {
  ConfirmPending = confirming;
  clearCmd_->setEnabled(!confirming);
  // One panel or the other, in the same place: "確認" and "閉じる", or the
  // question with はい and いいえ.
  confirmStack_->setCurrentIndex(confirming ? 1 : 0);
  if (confirming) yesCmd_->setFocus(Qt::OtherFocusReason);
}

void EntryWindow::emptyDisplays() {
  for (std::size_t t = 0; t < rieki_.size(); ++t) {
    rieki_[t]->clear();
    ritu_[t]->clear();
  }
  for (ValueBox* box : {gokeiTosi_, gokeiHarai_, gokeiRieki_, gokeiRitu_}) box->clear();
}

}  // namespace tamrel
