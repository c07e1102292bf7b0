#include "entry/entry_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
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

QString fullWidthNumber(int n) {
  QString text;
  for (QChar c : QString::number(n)) text.append(QChar(0xFF10 + (c.unicode() - u'0')));
  return text;
}

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

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  // Enter on a focused button presses it, as Space does: the Enter chain of
  // the input boxes ends on "確認".
  b->setAutoDefault(true);
  return b;
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
  const int rh = fm.height() + 10;                                          // row height of a box
  const int gap = 3;                                                        // between rows
  const int th = fm.height() + 6;                                           // frame caption height
  const int lw = fm.horizontalAdvance(QStringLiteral("３連複")) + 24;       // row labels
  const int cw = fm.horizontalAdvance(QStringLiteral("-9999999999")) + 36;  // columns
  const int comboW = fm.horizontalAdvance(QStringLiteral("１２月")) + 48;
  const int m = 8;

  // 日付
  auto* dateFrame = new QGroupBox(QStringLiteral("日付"), this);
  auto* mm = new GuardedList(dateFrame);
  auto* dd = new GuardedList(dateFrame);
  mm_ = mm;
  dd_ = dd;
  mm->setObjectName(QStringLiteral("MM"));
  dd->setObjectName(QStringLiteral("DD"));
  for (int i = 1; i <= 12; ++i) mm->addItem(fullWidthNumber(i) + QStringLiteral("月"));
  for (int i = 1; i <= 31; ++i) dd->addItem(fullWidthNumber(i) + QStringLiteral("日"));
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
  mm->setGeometry(10, th + 2, comboW, rh);
  dd->setGeometry(10 + comboW + 10, th + 2, comboW, rh);
  dateFrame->setGeometry(m, m, 2 * comboW + 30, th + rh + 12);

  // 投資内容: row labels, four column frames, the totals row.
  auto* table = new QGroupBox(QStringLiteral("投資内容"), this);
  const int colTop = th;
  const int colHeight = th + 2 + kBetTypeCount * (rh + gap) - gap + 8;
  const int firstColX = 8 + lw + 6;
  const auto colX = [&](int c) { return firstColX + c * (cw + 6); };
  const auto rowY = [&](int i) { return th + 2 + i * (rh + gap); };  // within a column
  for (int t = 0; t < kBetTypeCount; ++t) {
    const auto& bet = kBetTypes[static_cast<std::size_t>(t)];
    auto* label =
        panelLabel(QStringLiteral("SSPanel%1").arg(t + 1), fromCore(bet.labelCaption), table);
    label->setGeometry(8, colTop + rowY(t), lw, rh);
  }
  const QStringList captions{QStringLiteral("投資金額"), QStringLiteral("払戻金額"),
                             QStringLiteral("利益金額"), QStringLiteral("回収率")};
  std::array<QGroupBox*, 4> columns{};
  for (int c = 0; c < 4; ++c) {
    columns[static_cast<std::size_t>(c)] = new QGroupBox(captions[c], table);
    columns[static_cast<std::size_t>(c)]->setGeometry(colX(c), colTop, cw, colHeight);
  }
  const auto valueBox = [this](const QString& name, QWidget* parent) {
    auto* box = new ValueBox(parent);
    box->setObjectName(name);
    // Tab passes the display boxes by; a click still lands on them and is
    // sent on by the focus target.
    box->setFocusPolicy(Qt::ClickFocus);
    box->setFocusTarget([this]() -> QWidget* { return ConfirmPending ? yesCmd_ : chkCmd_; });
    return box;
  };
  for (int t = 0; t < kBetTypeCount; ++t) {
    const auto i = static_cast<std::size_t>(t);
    const AmountBox::Filter filter =
        t < kFilteredTypes ? AmountBox::Filter::Digits : AmountBox::Filter::None;
    tosi_[i] = new AmountBox(filter, kTosiLength, columns[0]);
    tosi_[i]->setObjectName(QStringLiteral("Tosi") + suffix(t));
    harai_[i] = new AmountBox(filter, kHaraiLength, columns[1]);
    harai_[i]->setObjectName(QStringLiteral("Harai") + suffix(t));
    rieki_[i] = valueBox(QStringLiteral("Rieki") + suffix(t), columns[2]);
    ritu_[i] = valueBox(QStringLiteral("Ritu") + suffix(t), columns[3]);
    const QRect cell(8, rowY(t), cw - 16, rh);
    tosi_[i]->setGeometry(cell);
    harai_[i]->setGeometry(cell);
    rieki_[i]->setGeometry(cell);
    ritu_[i]->setGeometry(cell);
    for (AmountBox* box : {tosi_[i], harai_[i]}) {
      connect(box, &AmountBox::focusReceived, this, [this, box] { inputFocused(box); });
      connect(box, &AmountBox::enterPressed, this, [this, box] { moveAlongChain(box); });
    }
  }
  const int totalsY = colTop + colHeight + 6;
  panelLabel(QStringLiteral("Panel3D5"), QStringLiteral("合計"), table)
      ->setGeometry(8, totalsY, lw, rh);
  gokeiTosi_ = valueBox(QStringLiteral("GokeiTosi"), table);
  gokeiHarai_ = valueBox(QStringLiteral("GokeiHarai"), table);
  gokeiRieki_ = valueBox(QStringLiteral("GokeiRieki"), table);
  gokeiRitu_ = valueBox(QStringLiteral("GokeiRitu"), table);
  const std::array<ValueBox*, 4> totals{gokeiTosi_, gokeiHarai_, gokeiRieki_, gokeiRitu_};
  for (int c = 0; c < 4; ++c) {
    totals[static_cast<std::size_t>(c)]->setGeometry(colX(c) + 8, totalsY, cw - 16, rh);
  }
  const int tableWidth = colX(4) + 2;
  const int tableTop = dateFrame->geometry().bottom() + 1 + 6;
  table->setGeometry(m, tableTop, tableWidth, totalsY + rh + 10);

  // The instruction beside the date.
  auto* hint = new QLabel(QStringLiteral("簡易入力の場合は直接入力して下さい。"
                                         "詳細入力は下の詳細入力のﾎﾞﾀﾝをｸﾘｯｸして下さい。"),
                          this);
  hint->setObjectName(QStringLiteral("Panel3D6"));
  hint->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  hint->setWordWrap(true);
  hint->setMargin(4);
  const int hintX = dateFrame->geometry().right() + 1 + 8;
  hint->setGeometry(hintX, m + th / 2, m + tableWidth - hintX, dateFrame->height() - th / 2);

  // Buttons; the confirmation panel takes the place of "確認" and "閉じる".
  auto* buttons = new QFrame(this);
  buttons->setFrameStyle(QFrame::Panel | QFrame::Raised);
  const int bh = rh + 6;
  const int bw = fm.horizontalAdvance(QStringLiteral("投資内容ｸﾘｱ")) + 28;
  const int yw = fm.horizontalAdvance(QStringLiteral("いいえ")) + 28;
  chkCmd_ = button(QStringLiteral("ChkCmd"), QStringLiteral("確認"), buttons);
  clearCmd_ = button(QStringLiteral("TosiClearCmd"), QStringLiteral("投資内容ｸﾘｱ"), buttons);
  ticketCmd_ = button(QStringLiteral("SSCommand1"), QStringLiteral("詳細入力"), buttons);
  closeCmd_ = button(QStringLiteral("Command3D1"), QStringLiteral("閉じる"), buttons);
  kakunin_ = new QLabel(QStringLiteral("確定しますか？"), buttons);
  kakunin_->setObjectName(QStringLiteral("Kakunin"));
  kakunin_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  kakunin_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  kakunin_->setIndent(8);
  yesCmd_ = button(QStringLiteral("YesCmd"), QStringLiteral("はい"), kakunin_);
  noCmd_ = button(QStringLiteral("NoCmd"), QStringLiteral("いいえ"), kakunin_);
  const int bw_ = tableWidth;
  const int by = 8;
  clearCmd_->setGeometry(10, by, bw, bh);
  ticketCmd_->setGeometry(10 + bw + 8, by, bw, bh);
  closeCmd_->setGeometry(bw_ - 10 - bw, by, bw, bh);
  chkCmd_->setGeometry(bw_ - 10 - 2 * bw - 8, by, bw, bh);
  const int kakuninW = fm.horizontalAdvance(kakunin_->text()) + 24 + 2 * yw + 16;
  kakunin_->setGeometry(bw_ - 10 - kakuninW, by - 4, kakuninW, bh + 8);
  noCmd_->setGeometry(kakuninW - 4 - yw, 4, yw, bh);
  yesCmd_->setGeometry(kakuninW - 4 - 2 * yw - 4, 4, yw, bh);
  buttons->setGeometry(m, table->geometry().bottom() + 1 + 6, tableWidth, bh + 16);

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

  setFixedSize(m + tableWidth + m, buttons->geometry().bottom() + 1 + m);
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
  kakunin_->setVisible(confirming);
  yesCmd_->setVisible(confirming);
  noCmd_->setVisible(confirming);
  clearCmd_->setEnabled(!confirming);
  // The focus goes to "はい" before "確認" disappears under it, so Qt does not
  // pass it along the tab chain into an input box on the way.
  if (confirming) yesCmd_->setFocus(Qt::OtherFocusReason);
  chkCmd_->setVisible(!confirming);
  closeCmd_->setVisible(!confirming);
}

void EntryWindow::emptyDisplays() {
  for (std::size_t t = 0; t < rieki_.size(); ++t) {
    rieki_[t]->clear();
    ritu_[t]->clear();
  }
  for (ValueBox* box : {gokeiTosi_, gokeiHarai_, gokeiRieki_, gokeiRitu_}) box->clear();
}

}  // namespace tamrel
