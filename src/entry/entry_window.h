#pragma once
// "収支入力": one racing day's stake and payout per bet type.
//
// The window keeps what belongs to the day it shows: the amounts the day
// had when shown (the base of a posting) and, once the ticket window has
// handed it back, the day's edited ticket list. Postings and ticket stores
// go through the data session, which announces them.

#include <QPointer>
#include <array>
#include <optional>

#include "detail/ticket_records.h"
#include "entry/day_marks.h"
#include "ledger/ledger_records.h"
#include "widgets/child_window.h"

class QComboBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;

namespace tamrel {

class AmountBox;
class DataSession;
class Messages;
class TicketWindow;
class ValueBox;

class EntryWindow : public ChildWindow {
  Q_OBJECT
 public:
  EntryWindow(DataSession& session, Messages& messages, QWidget* parent = nullptr);
  ~EntryWindow() override;

  void activated() override;
  // いいえ while the question is up, 閉じる otherwise.
  void escapePressed() override;

  // The shown day's amounts as stored when it was shown or last posted.
  const BetAmounts& dayBaseline() const { return baseline_; }
  // The day's ticket list as the ticket window handed it back; stored with
  // the day on "はい". Empty when the tickets were not edited.
  const std::optional<DayTicketList>& editedTickets() const { return dayList_; }
  // Takes over what the ticket window hands back: the list, to store with
  // the day, and its sums into the 14 input boxes. When the sums differ from
  // what the boxes held, a line of its own says so and gives the day's
  // stored totals.
  void takeTickets(const DayTicketList& list, const DayBetTotals& totals);
  // Shows a day as if the user had chosen its month and day, then opens its
  // 詳細入力; typed work of another day goes only when the user agrees.
  // False when the day did not open.
  bool openDay(int month, int day);

  // Shows `last`, the day the window showed when it was last open in this
  // run; without one, the latest day holding data (nothing when none
  // does). Whoever opens the window keeps `last` from dayShown.
  void startOn(const std::optional<DaySlot>& last);

 signals:
  // A day was chosen and its stored amounts shown.
  void dayShown(int month, int day);

 public:
 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Sees the main window close (the program ending), which closes this
  // window without asking it.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QHBoxLayout* buildDatePanel();
  QGroupBox* buildAmountTable();
  void addBetRow(QGridLayout* grid, int type, const QStringList& captions);
  ValueBox* valueBox(const QString& name, const QString& accessible, QWidget* parent);
  QLabel* buildTicketNote();
  QFrame* buildCommandBar();
  QWidget* buildQuestion(QWidget* parent);
  void connectControls();

  // Whether a drop-down may open (or change by key or wheel); when not, the
  // refusal has already been acted on.
  bool listMayOpen(QComboBox* list);
  bool listUsable(const QComboBox* list) const;
  bool ticketWindowOpen() const;
  // The year the day list reads its days in: the year the ledger's racing
  // days most likely belong to.
  int shownYear() const;
  // The day list's texts for the chosen month: weekday, holiday, a slot no
  // calendar has, a day holding data.
  void markDays();
  void monthChosen(int index);
  void dayChosen(int index);
  void showChosenDay();
  // The session changed the stored day `month`/`day`.
  void storedDayChanged(int month, int day);
  void inputFocused(AmountBox* box, Qt::FocusReason reason);
  void moveAlongChain(AmountBox* box);

  void check();        // 確認
  void confirm();      // はい
  void cancel();       // いいえ
  void clearInputs();  // 投資内容ｸﾘｱ
  void openTickets();  // 詳細入力

  // False, with the message shown and the focus on the drop-down, when the
  // month or day is not chosen.
  bool dateChosen();
  // The 14 input boxes parsed; nullopt when one holds a number beyond the
  // 32-bit range.
  std::optional<BetAmounts> typedAmounts() const;
  void showAmounts(const BetAmounts& amounts);
  void showDerived(const Figures& figures);
  // The profit, rate and total boxes as the inputs now give them.
  void refreshDerived();
  void setConfirming(bool confirming);
  // "確定しますか？", led by what the posting does that the user may not
  // mean: a day no calendar has, stored amounts that go down.
  QString question(int month, int day, const BetAmounts& amounts) const;
  // Amounts typed or taken over since the day was shown or last posted.
  bool hasUnpostedWork() const;
  // True when nothing unposted would be lost, or the user agrees to lose it.
  bool mayDiscard();
  void setTicketNote(const QString& text);
  // Shows `text` in `label` in lines no wider than `width`; the window and
  // its frame follow the label's height.
  void showWrapped(QLabel* label, const QString& text, int width);
  void fitFrame();
  void emptyInputs();
  void emptyDisplays();

  DataSession& session_;
  Messages& messages_;
  QPointer<TicketWindow> ticketWindow_;
  bool ConfirmPending = false;
  BetAmounts baseline_;
  std::optional<DayTicketList> dayList_;
  // dayList_ was handed back since the day was shown or last posted.
  bool ticketsUnposted_ = false;
  QPointer<QWidget> watchedTop_;

  QComboBox* mm_ = nullptr;
  QComboBox* dd_ = nullptr;
  std::array<AmountBox*, kBetTypeCount> tosi_{};
  std::array<AmountBox*, kBetTypeCount> harai_{};
  std::array<ValueBox*, kBetTypeCount> rieki_{};
  std::array<ValueBox*, kBetTypeCount> ritu_{};
  ValueBox* gokeiTosi_ = nullptr;
  ValueBox* gokeiHarai_ = nullptr;
  ValueBox* gokeiRieki_ = nullptr;
  ValueBox* gokeiRitu_ = nullptr;
  QPushButton* chkCmd_ = nullptr;
  QPushButton* clearCmd_ = nullptr;
  QPushButton* ticketCmd_ = nullptr;
  QPushButton* closeCmd_ = nullptr;
  QLabel* ticketNote_ = nullptr;
  QLabel* hint_ = nullptr;          // the instruction beside the date
  QWidget* commandRow_ = nullptr;   // the commands below the question
  QWidget* questionRow_ = nullptr;  // Kakunin with はい and いいえ
  QLabel* kakunin_ = nullptr;
  QPushButton* yesCmd_ = nullptr;
  QPushButton* noCmd_ = nullptr;
};

}  // namespace tamrel
