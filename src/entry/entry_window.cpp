#include "entry/entry_window.h"

#include <QApplication>
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
#include <QMdiSubWindow>
#include <QPushButton>
#include <QShowEvent>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "base/amount.h"
#include "detail/month_transfer.h"
#include "entry/amount_box.h"
#include "entry/day_marks.h"
#include "entry/ticket_window.h"
#include "ledger/calendar_day.h"
#include "state/data_session.h"
#include "widgets/budget_settings.h"
#include "widgets/controls.h"
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
const QString kQuestion = QStringLiteral("確定しますか？");
const QString kUnposted = QStringLiteral("入力中の金額は確定されていません。閉じますか？");

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
  // The chosen item as the list shows it: what it tells about the day
  // (the item's accessible text) where it has more to say than its number.
  void paintEvent(QPaintEvent* /*event*/) override {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QVariant shown =
        currentIndex() >= 0 ? itemData(currentIndex(), Qt::AccessibleTextRole) : QVariant();
    if (shown.isValid()) option.currentText = shown.toString();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
  }
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

// The open list shows each item's accessible text where it has one: the
// items keep their own texts, which choosing and typing ahead go by.
class ShownTextDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant shown = index.data(Qt::AccessibleTextRole);
    if (shown.isValid()) option->text = shown.toString();
  }
};

QString shownAmount(std::int32_t value) { return QString::fromStdString(formatAmount(value)); }
QString percentText(float rate) { return QString::fromStdString(formatPercent(rate)); }

QString suffix(int t) { return fromCore(kBetTypes[static_cast<std::size_t>(t)].suffix); }

QString yen(std::int32_t value) { return fromCore(formatYen(value)); }

QString dayCaption(int month, int day) {
  return fromCore(fullWidthNumber(month)) + QStringLiteral("月") + fromCore(fullWidthNumber(day)) +
         QStringLiteral("日");
}

// Rows of the amount table: the column captions, the bet types, the bottom
// of the column frames, the totals.
constexpr int kCaptionRow = 0;
constexpr int kFirstBetRow = 1;
constexpr int kFrameBottomRow = kFirstBetRow + kBetTypeCount;
constexpr int kTotalsRow = kFrameBottomRow + 1;
// How far the boxes sit inside their column frame.
constexpr int kInset = 8;

// Every box of the table is as wide as the widest amount.
int amountBoxWidth(const QFontMetrics& fm) {
  return fm.horizontalAdvance(QStringLiteral("-2147483648")) + 16;
}

void placeBox(QGridLayout* grid, QWidget* box, int row, int column, int width) {
  box->setFixedWidth(width);
  grid->addWidget(box, row, column, Qt::AlignHCenter);
}

bool hasAmount(const AmountBox* box) { return !box->amountText().trimmed().isEmpty(); }

QLabel* panelLabel(const QString& name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFrameStyle(QFrame::Panel | QFrame::Raised);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

EntryWindow::EntryWindow(DataSession& session, Messages& messages, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(messages) {
  setObjectName(QStringLiteral("Finput"));
  setWindowTitle(QStringLiteral("収支入力"));
  setFont(uiFont());
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(8, 8, 8, 8);
  outer->setSpacing(6);
  // The window is as large as its contents and no larger.
  outer->setSizeConstraint(QLayout::SetFixedSize);
  outer->addLayout(buildDatePanel());
  outer->addWidget(buildAmountTable());
  outer->addWidget(buildTicketNote());
  outer->addWidget(buildCommandBar());
  connectControls();
  setTicketNote(QString());
  setConfirming(false);
  // The instruction wraps into the room the date leaves it: as many lines
  // as that takes, which the layout cannot know before the widths are set.
  layout()->activate();
  hint_->setMinimumHeight(hint_->heightForWidth(hint_->width()));
  fitFrame();
  connect(&session_, &DataSession::dayPosted, this, &EntryWindow::storedDayChanged);
  // A posting, an undo or a new year may change which days hold data and
  // which year the days are read in.
  connect(&session_, &DataSession::changed, this, &EntryWindow::markDays);
  markDays();
}

EntryWindow::~EntryWindow() = default;

// 日付, and the instruction beside it.
QHBoxLayout* EntryWindow::buildDatePanel() {
  auto* top = new QHBoxLayout;
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
  mm->setMaxVisibleItems(12);
  dd->setMaxVisibleItems(16);
  const auto mayFocus = [this] {
    if (!ConfirmPending) return true;
    yesCmd_->setFocus(Qt::OtherFocusReason);
    return false;
  };
  for (GuardedList* list : {mm, dd}) {
    list->setCurrentIndex(-1);
    list->mayOpen = [this, list] { return listMayOpen(list); };
    list->mayFocus = mayFocus;
    list->usable = [this, list] { return listUsable(list); };
  }
  // Both lists as wide as the widest item of either, arrow included.
  const int listWidth = std::max(mm->sizeHint().width(), dd->sizeHint().width()) +
                        fontMetrics().horizontalAdvance(u'　');
  mm->setFixedWidth(listWidth);
  // The day list also shows the weekday and the marks: as wide as the
  // longest such text, in the box and in the open list.
  dd->setItemDelegate(new ShownTextDelegate(dd));
  int dayWidth = 0;
  for (const QString& widest : {dayListText(2024, 4, 29, true), dayListText(2024, 2, 30, true)}) {
    dayWidth = std::max(dayWidth, fontMetrics().horizontalAdvance(widest));
  }
  dd->setFixedWidth(listWidth - fontMetrics().horizontalAdvance(dd->itemText(0)) + dayWidth);
  dateRow->addWidget(mm);
  dateRow->addWidget(dd);
  top->addWidget(dateFrame);

  auto* hint = hint_ = new QLabel(QStringLiteral("簡易入力の場合は直接入力して下さい。"
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
  return top;
}

// 投資内容: row labels, four column frames, the totals row. One grid keeps
// every box on the line of its row label: each column frame spans the rows
// of its column (its caption in row 0), and the boxes sit in the same cells,
// inset from the frame's sides.
QGroupBox* EntryWindow::buildAmountTable() {
  const QFontMetrics fm(font());
  auto* table = new QGroupBox(QStringLiteral("投資内容"), this);
  auto* grid = new QGridLayout(table);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  grid->setRowMinimumHeight(kCaptionRow, fm.height() + 4);
  grid->setRowMinimumHeight(kFrameBottomRow, kInset);

  const QStringList captions{QStringLiteral("投資金額"), QStringLiteral("払戻金額"),
                             QStringLiteral("利益金額"), QStringLiteral("回収率")};
  const int boxWidth = amountBoxWidth(fm);
  for (int c = 0; c < 4; ++c) {
    auto* column = new QGroupBox(captions[c], table);
    grid->addWidget(column, kCaptionRow, c + 1, kFrameBottomRow + 1, 1);
    grid->setColumnMinimumWidth(c + 1,
                                std::max(boxWidth + 2 * kInset, column->minimumSizeHint().width()));
  }
  for (int t = 0; t < kBetTypeCount; ++t) addBetRow(grid, t, captions);
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
  int c = 1;
  for (ValueBox* box : {gokeiTosi_, gokeiHarai_, gokeiRieki_, gokeiRitu_}) {
    placeBox(grid, box, kTotalsRow, c++, boxWidth);
  }
  return table;
}

// One bet type's row: its label, its two input boxes and two display boxes.
void EntryWindow::addBetRow(QGridLayout* grid, int t, const QStringList& captions) {
  QWidget* table = grid->parentWidget();
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
  const int boxWidth = amountBoxWidth(QFontMetrics(font()));
  placeBox(grid, tosi_[i], r, 1, boxWidth);
  placeBox(grid, harai_[i], r, 2, boxWidth);
  placeBox(grid, rieki_[i], r, 3, boxWidth);
  placeBox(grid, ritu_[i], r, 4, boxWidth);
}

ValueBox* EntryWindow::valueBox(const QString& name, const QString& accessible, QWidget* parent) {
  auto* box = new ValueBox(parent);
  box->setObjectName(name);
  box->setAccessibleName(accessible);
  // Tab passes the display boxes by; a click still lands on them and is sent
  // on by the focus target.
  box->setFocusPolicy(Qt::ClickFocus);
  box->setFocusTarget([this]() -> QWidget* { return ConfirmPending ? yesCmd_ : chkCmd_; });
  return box;
}

// A line under the table for what the boxes show besides the stored day;
// its room is kept while it is empty, so the window does not jump.
QLabel* EntryWindow::buildTicketNote() {
  ticketNote_ = new QLabel(this);
  ticketNote_->setObjectName(QStringLiteral("TicketTotalsNote"));
  ticketNote_->setIndent(4);
  QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  policy.setRetainSizeWhenHidden(true);
  ticketNote_->setSizePolicy(policy);
  ticketNote_->setMinimumHeight(fontMetrics().height() + 4);
  ticketNote_->hide();
  return ticketNote_;
}

// The commands. While confirming, the question with はい and いいえ takes a
// row of its own above them, in place of "確認" and "閉じる": it may name
// what the posting changes, which needs the window's width.
QFrame* EntryWindow::buildCommandBar() {
  auto* buttons = new QFrame(this);
  buttons->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* rows = new QVBoxLayout(buttons);
  rows->addWidget(buildQuestion(buttons));
  commandRow_ = new QWidget(buttons);
  auto* buttonRow = new QHBoxLayout(commandRow_);
  buttonRow->setContentsMargins(0, 0, 0, 0);
  // Enter on a focused button presses it: the Enter chain of the input boxes
  // ends on "確認".
  chkCmd_ = commandButton(QStringLiteral("ChkCmd"), QStringLiteral("確認"), commandRow_);
  clearCmd_ =
      commandButton(QStringLiteral("TosiClearCmd"), QStringLiteral("投資内容ｸﾘｱ"), commandRow_);
  ticketCmd_ = commandButton(QStringLiteral("SSCommand1"), QStringLiteral("詳細入力"), commandRow_);
  closeCmd_ = commandButton(QStringLiteral("Command3D1"), QStringLiteral("閉じる"), commandRow_);
  // One width for the four, so they read as one row of commands.
  const int commandWidth = clearCmd_->sizeHint().width() + fontMetrics().horizontalAdvance(u'　');
  for (QPushButton* b : {clearCmd_, ticketCmd_, chkCmd_, closeCmd_})
    b->setMinimumWidth(commandWidth);
  buttonRow->addWidget(clearCmd_);
  buttonRow->addWidget(ticketCmd_);
  buttonRow->addStretch(1);
  buttonRow->addWidget(chkCmd_);
  buttonRow->addWidget(closeCmd_);
  rows->addWidget(commandRow_);
  return buttons;
}

// "確定しますか？" with はい and いいえ beside it; the question wraps in the
// room the answers leave.
QWidget* EntryWindow::buildQuestion(QWidget* parent) {
  questionRow_ = new QWidget(parent);
  auto* row = new QHBoxLayout(questionRow_);
  row->setContentsMargins(0, 0, 0, 0);
  kakunin_ = new QLabel(kQuestion, questionRow_);
  kakunin_->setObjectName(QStringLiteral("Kakunin"));
  kakunin_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  kakunin_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  kakunin_->setIndent(8);
  kakunin_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  yesCmd_ = commandButton(QStringLiteral("YesCmd"), QStringLiteral("はい"), questionRow_);
  noCmd_ = commandButton(QStringLiteral("NoCmd"), QStringLiteral("いいえ"), questionRow_);
  row->addWidget(kakunin_, 1);
  row->addWidget(yesCmd_);
  row->addWidget(noCmd_);
  questionRow_->hide();
  return questionRow_;
}

void EntryWindow::connectControls() {
  connect(mm_, &QComboBox::activated, this, &EntryWindow::monthChosen);
  connect(dd_, &QComboBox::activated, this, &EntryWindow::dayChosen);
  for (std::size_t t = 0; t < tosi_.size(); ++t) {
    for (AmountBox* box : {tosi_[t], harai_[t]}) {
      connect(box, &AmountBox::focusReceived, this,
              [this, box](Qt::FocusReason reason) { inputFocused(box, reason); });
      connect(box, &AmountBox::enterPressed, this, [this, box] { moveAlongChain(box); });
      connect(box, &AmountBox::amountChanged, this, &EntryWindow::refreshDerived);
    }
  }
  connect(chkCmd_, &QPushButton::clicked, this, &EntryWindow::check);
  connect(yesCmd_, &QPushButton::clicked, this, &EntryWindow::confirm);
  connect(noCmd_, &QPushButton::clicked, this, &EntryWindow::cancel);
  connect(clearCmd_, &QPushButton::clicked, this, &EntryWindow::clearInputs);
  connect(ticketCmd_, &QPushButton::clicked, this, &EntryWindow::openTickets);
  connect(closeCmd_, &QPushButton::clicked, this, &EntryWindow::closeWindow);

  // Tab order: date, stakes, payouts, then the buttons.
  std::vector<QWidget*> order{mm_, dd_};
  order.insert(order.end(), tosi_.begin(), tosi_.end());
  order.insert(order.end(), harai_.begin(), harai_.end());
  order.insert(order.end(), {chkCmd_, yesCmd_, noCmd_, clearCmd_, ticketCmd_, closeCmd_});
  setTabChain(order);
}

void EntryWindow::activated() {
  // The ticket window works on this window's day: it stays in front until
  // it is closed. Otherwise the boxes keep what they hold, typed work
  // included.
  if (ticketWindowOpen()) ChildWindow::bringToFront(ticketWindow_);
}

void EntryWindow::closeEvent(QCloseEvent* event) {
  // The ticket window works on this window's day and hands its totals back
  // here; it closes only by its own button, so this window waits for it.
  if (ticketWindowOpen()) {
    ChildWindow::bringToFront(ticketWindow_);
    event->ignore();
    return;
  }
  if (!mayDiscard()) {
    event->ignore();
    return;
  }
  event->accept();
}

void EntryWindow::showEvent(QShowEvent* event) {
  ChildWindow::showEvent(event);
  QWidget* top = window();
  if (top == this || top == watchedTop_) return;
  if (watchedTop_ != nullptr) watchedTop_->removeEventFilter(this);
  top->installEventFilter(this);
  watchedTop_ = top;
}

bool EntryWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watchedTop_ && event->type() == QEvent::Close && isVisible() && !mayDiscard()) {
    event->ignore();
    return true;
  }
  return ChildWindow::eventFilter(watched, event);
}

bool EntryWindow::hasUnpostedWork() const {
  if (mm_->currentIndex() < 0 || dd_->currentIndex() < 0) return false;
  if (ticketsUnposted_) return true;
  const std::optional<BetAmounts> amounts = typedAmounts();
  return !amounts || *amounts != baseline_;
}

bool EntryWindow::mayDiscard() {
  return !hasUnpostedWork() || messages_.ask(kUnposted, /*defaultYes=*/false);
}

bool EntryWindow::ticketWindowOpen() const {
  // A closed ticket window lingers until its deferred deletion.
  if (ticketWindow_ == nullptr) return false;
  QMdiSubWindow* frame = ticketWindow_->subWindow();
  return frame != nullptr ? isOpen(frame) : ticketWindow_->isVisible();
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

void EntryWindow::monthChosen(int /*index*/) {
  markDays();
  if (dd_->currentIndex() < 0) return;
  showChosenDay();
}

void EntryWindow::dayChosen(int /*index*/) {
  if (mm_->currentIndex() < 0) {
    // Only reachable if a choice slipped past the guard; a day without a
    // month has nothing to show.
    dd_->setCurrentIndex(-1);
    messages_.error(kNoMonth);
    mm_->setFocus(Qt::OtherFocusReason);
    return;
  }
  showChosenDay();
}

void EntryWindow::showChosenDay() {
  const int month = mm_->currentIndex() + 1;
  const int day = dd_->currentIndex() + 1;
  const std::optional<Figures> figures = showDay(session_.ledger(), baseline_, month, day);
  // Tickets edited for the day shown before are not this day's.
  dayList_.reset();
  ticketsUnposted_ = false;
  setTicketNote(QString());
  if (!figures) {
    // The slot holds amounts beyond the 32-bit range (an edited file). The
    // baseline was not taken, so the day must not be postable: it is
    // un-chosen and shown as nothing.
    dd_->setCurrentIndex(-1);
    emptyInputs();
    messages_.error(kAmountOutOfRange);
    dd_->setFocus(Qt::OtherFocusReason);
    return;
  }
  showAmounts(baseline_);
  showDerived(*figures);
  emit dayShown(month, day);
}

void EntryWindow::startOn(const std::optional<DaySlot>& last) {
  const std::optional<DaySlot> day =
      last ? last : latestDayHoldingData(session_.ledger(), session_.tickets());
  if (!day) return;
  mm_->setCurrentIndex(day->month - 1);
  dd_->setCurrentIndex(day->day - 1);
  markDays();
  showChosenDay();
}

int EntryWindow::shownYear() const { return ledgerYear(session_.ledger()); }

void EntryWindow::markDays() {
  const int month = mm_->currentIndex() + 1;
  const int year = shownYear();
  const std::array<bool, 32> held = daysHoldingData(session_.ledger(), session_.tickets(), month);
  for (int d = 1; d <= dd_->count(); ++d) {
    const QVariant shown =
        month > 0 ? QVariant(dayListText(year, month, d, held[static_cast<std::size_t>(d)]))
                  : QVariant();
    dd_->setItemData(d - 1, shown, Qt::AccessibleTextRole);
    dd_->setItemData(d - 1, shown, Qt::ToolTipRole);
  }
  dd_->setAccessibleDescription(QStringLiteral("曜日は%1年の暦。●は金額か馬券のある日").arg(year));
  dd_->update();
}

void EntryWindow::storedDayChanged(int month, int day) {
  // An undo or a redo of the day shown puts its stored amounts back in the
  // boxes, unless the user has typed there since: typed work is kept, and a
  // question or the ticket window in progress is not disturbed. (Its own
  // posting arrives before the baseline moves on: nothing to show then.)
  if (month != mm_->currentIndex() + 1 || day != dd_->currentIndex() + 1) return;
  if (ConfirmPending || ticketWindowOpen() || hasUnpostedWork()) return;
  showChosenDay();
}

void EntryWindow::showAmounts(const BetAmounts& amounts) {
  for (std::size_t t = 0; t < tosi_.size(); ++t) {
    tosi_[t]->setText(shownAmount(amounts.stake[t]));
    harai_[t]->setText(shownAmount(amounts.payout[t]));
  }
}

void EntryWindow::showDerived(const Figures& figures) {
  for (std::size_t t = 0; t < rieki_.size(); ++t) {
    rieki_[t]->setText(shownAmount(figures.bets[t].profit));
    ritu_[t]->setText(percentText(figures.bets[t].rate));
  }
  gokeiTosi_->setText(shownAmount(figures.total.stake));
  gokeiHarai_->setText(shownAmount(figures.total.payout));
  gokeiRieki_->setText(shownAmount(figures.total.profit));
  gokeiRitu_->setText(percentText(figures.total.rate));
}

void EntryWindow::refreshDerived() {
  // Nothing entered derives nothing; amounts beyond the range derive
  // nothing either ("確認" says why).
  const bool anyEntered = std::any_of(tosi_.begin(), tosi_.end(), hasAmount) ||
                          std::any_of(harai_.begin(), harai_.end(), hasAmount);
  const std::optional<BetAmounts> amounts = typedAmounts();
  const std::optional<Figures> figures =
      anyEntered && amounts ? deriveFigures(*amounts) : std::optional<Figures>{};
  if (figures) {
    showDerived(*figures);
  } else {
    emptyDisplays();
  }
}

void EntryWindow::inputFocused(AmountBox* box, Qt::FocusReason reason) {
  if (ConfirmPending) {
    yesCmd_->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (!dateChosen()) return;
  // Every entry the user starts begins from an empty field, and a box left
  // untouched gets its text back. The box that gets the focus back with
  // its window keeps what it shows.
  if (AmountBox::movedIn(reason)) box->startEntry();
}

void EntryWindow::moveAlongChain(AmountBox* box) {
  const auto t =
      static_cast<std::size_t>(std::find(tosi_.begin(), tosi_.end(), box) - tosi_.begin());
  // Enter moves on as Tab does: the next box starts a new entry.
  if (t + 1 < kFilteredTypes) {
    tosi_[t + 1]->setFocus(Qt::TabFocusReason);
    return;
  }
  if (t + 1 == kFilteredTypes) {
    harai_[0]->setFocus(Qt::TabFocusReason);
    return;
  }
  const auto h =
      static_cast<std::size_t>(std::find(harai_.begin(), harai_.end(), box) - harai_.begin());
  if (h + 1 < kFilteredTypes) {
    harai_[h + 1]->setFocus(Qt::TabFocusReason);
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
    const std::optional<std::int32_t> stake = boxAmount(tosi_[t]->amountText());
    const std::optional<std::int32_t> payout = boxAmount(harai_[t]->amountText());
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
  // The boxes show exactly what "はい" will post.
  showAmounts(*amounts);
  showDerived(*figures);
  setConfirming(true);
  // The question is as wide as the row of commands less the answers.
  const int spacing = questionRow_->layout()->spacing();
  const int answers = yesCmd_->sizeHint().width() + noCmd_->sizeHint().width() + 2 * spacing;
  showWrapped(kakunin_, question(mm_->currentIndex() + 1, dd_->currentIndex() + 1, *amounts),
              commandRow_->width() - answers);
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
  // The tickets are checked before anything is posted, so the day and its
  // tickets are either both stored or both left as they were.
  if (dayList_ && !canStoreDayTickets(session_.tickets(), month, day, *dayList_)) {
    setConfirming(false);
    messages_.error(kMonthFull);
    return;
  }
  // The day and its tickets are one step of the history.
  if (session_.postDay(month, day, *amounts, dayList_ ? &*dayList_ : nullptr) != PostResult::Ok) {
    setConfirming(false);
    messages_.error(kAmountOutOfRange);
    return;
  }
  baseline_ = *amounts;
  ticketsUnposted_ = false;
  setTicketNote(QString());
  setConfirming(false);
  mm_->setFocus(Qt::OtherFocusReason);
  messages_.notice(kSaved);
}

void EntryWindow::cancel() { setConfirming(false); }

void EntryWindow::escapePressed() {
  if (ConfirmPending) {
    cancel();
  } else {
    closeWindow();
  }
}

void EntryWindow::clearInputs() {
  messages_.notice(kClearWarning);
  if (!messages_.ask(kGoOn)) return;
  emptyInputs();
  dayList_.reset();
  ticketsUnposted_ = false;
  setTicketNote(QString());
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
  // The tickets belong to the day shown here, from opening to closing.
  const int month = mm_->currentIndex() + 1;
  const int day = dd_->currentIndex() + 1;
  // A day whose stored tickets cannot be shown is refused before the window
  // opens.
  if (!TicketWindow::canOpen(session_, month, day, dayList_, messages_)) return;
  chkCmd_->setFocus(Qt::OtherFocusReason);
  ticketWindow_ = new TicketWindow(session_, messages_, month, day, dayList_);
  connect(ticketWindow_, &TicketWindow::handedBack, this, &EntryWindow::takeTickets);
  if (QMdiArea* area = workArea()) {
    openChildWindow(*area, ticketWindow_);
  } else {
    ticketWindow_->setAttribute(Qt::WA_DeleteOnClose);
    ticketWindow_->show();
  }
}

bool EntryWindow::openDay(int month, int day) {
  if (ConfirmPending || ticketWindowOpen()) {
    // A question or another day's tickets are in progress here.
    if (ticketWindowOpen()) ChildWindow::bringToFront(ticketWindow_);
    if (ConfirmPending) messages_.error(kNotNow);
    return false;
  }
  if (month != mm_->currentIndex() + 1 || day != dd_->currentIndex() + 1) {
    if (!mayDiscard()) return false;
    mm_->setCurrentIndex(month - 1);
    dd_->setCurrentIndex(day - 1);
    showChosenDay();
    if (dd_->currentIndex() < 0) return false;
  }
  openTickets();
  return ticketWindowOpen();
}

void EntryWindow::takeTickets(const DayTicketList& list, const DayBetTotals& totals) {
  const std::optional<BetAmounts> held = typedAmounts();
  dayList_ = list;
  ticketsUnposted_ = true;
  showAmounts(totals);
  if (held && *held == totals) return;
  // The sums replace what the boxes held: the stored day is named, so that
  // a day whose amounts were not all ticketed is not posted smaller unseen.
  const Figure stored = deriveFigures(baseline_).value_or(Figures{}).total;
  setTicketNote(QStringLiteral("馬券の合計を表示しています（保存済み: 投資 %1 払戻 %2）")
                    .arg(yen(stored.stake), yen(stored.payout)));
}

QString EntryWindow::question(int month, int day, const BetAmounts& amounts) const {
  QStringList lines;
  if (!isCalendarDay(month, day)) {
    lines << dayCaption(month, day) + QStringLiteral("は暦にない日です。");
  }
  QStringList lowered;
  for (std::size_t t = 0; t < kBetTypeCount; ++t) {
    if (amounts.stake[t] < baseline_.stake[t] || amounts.payout[t] < baseline_.payout[t]) {
      lowered << fromCore(kBetTypes[t].labelCaption);
    }
  }
  if (!lowered.isEmpty()) {
    lines << lowered.join(u'・') + QStringLiteral("の保存済みの金額が減ります。");
  }
  // Told, never refused: the budget is the punter's own.
  lines << budgetWarnings(session_, month, day, amounts);
  lines << kQuestion;
  return lines.join(u'\n');
}

void EntryWindow::setConfirming(bool confirming) {
  ConfirmPending = confirming;
  clearCmd_->setEnabled(!confirming);
  // The question in place of "確認" and "閉じる"; the focus moves before
  // the buttons that hold it are hidden, so it lands nowhere else.
  if (confirming) {
    questionRow_->show();
    yesCmd_->setFocus(Qt::OtherFocusReason);
  } else {
    chkCmd_->show();
    closeCmd_->show();
    if (questionRow_->isAncestorOf(QApplication::focusWidget())) {
      chkCmd_->setFocus(Qt::OtherFocusReason);
    }
  }
  chkCmd_->setVisible(!confirming);
  closeCmd_->setVisible(!confirming);
  questionRow_->setVisible(confirming);
  if (!confirming) kakunin_->setText(kQuestion);
  fitFrame();
}

void EntryWindow::setTicketNote(const QString& text) {
  ticketNote_->setAccessibleName(text);
  ticketNote_->setVisible(!text.isEmpty());
  showWrapped(ticketNote_, text, layout()->contentsRect().width());
}

void EntryWindow::showWrapped(QLabel* label, const QString& text, int width) {
  // Broken here rather than by the label: a wrapping label sizes itself
  // for its narrowest shape, and the window would not follow its height.
  const int textWidth = width - 2 * label->frameWidth() - std::max(0, label->indent()) - 4;
  QStringList lines;
  for (const QString& paragraph : text.split(u'\n')) {
    QTextLayout layout(paragraph, label->font());
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(std::max(1, textWidth));
      lines << paragraph.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
  }
  label->setText(lines.join(u'\n'));
  fitFrame();
}

void EntryWindow::fitFrame() {
  // The window is as large as its contents: the frame follows it, once the
  // rows inside have passed their new sizes up.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  layout()->activate();
  QMdiSubWindow* frame = subWindow();
  if (frame != nullptr && !frame->isMaximized()) frame->resize(frame->sizeHint());
}

void EntryWindow::emptyInputs() {
  for (std::size_t t = 0; t < tosi_.size(); ++t) {
    tosi_[t]->clear();
    harai_[t]->clear();
  }
  emptyDisplays();
}

void EntryWindow::emptyDisplays() {
  for (std::size_t t = 0; t < rieki_.size(); ++t) {
    rieki_[t]->clear();
    ritu_[t]->clear();
  }
  for (ValueBox* box : {gokeiTosi_, gokeiHarai_, gokeiRieki_, gokeiRitu_}) box->clear();
}

}  // namespace tamrel
