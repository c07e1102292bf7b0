#pragma once
// "詳細入力": the tickets of one day, the day the daily entry window showed
// when it opened this window. The day is fixed at construction: whatever
// other windows choose meanwhile, every ticket added here belongs to it.
//
// The window edits its own copy of the day's list (entry i is grid row
// i + 1; deleted tickets stay as empty rows) and keeps the per-bet-type
// sums in step. A ticket selected in the list shows in the panels, where
// "変更" replaces it after the checks of "ＯＫ". The panels start from the
// list's last ticket (the next bet is mostly on the same race) and the 曜日
// of the day. It reads the stores and never changes them: closing with
// "閉じる" after a ticket was added or deleted hands the list and the sums to
// whoever listens (handedBack), and the daily entry window stores the list
// when the day is confirmed.
//
// How to open it (daily entry window, "詳細入力"):
//
//   if (!TicketWindow::canOpen(session, month, day, kept, messages)) return;
//   auto* w = new TicketWindow(session, messages, month, day, kept);
//   connect(w, &TicketWindow::handedBack, ...);
//   openChildWindow(*workArea(), w);
//
// canOpen must come first: a day whose tickets cannot be shown (more than
// 200 of them, or sums beyond the 32-bit range, both only from an edited
// file) is refused with a message and the window is not opened, so nothing
// of that day can be lost by storing a cut-short list.

#include <optional>

#include "detail/ticket_records.h"
#include "widgets/child_window.h"

class QBoxLayout;
class QButtonGroup;
class QComboBox;
class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

namespace tamrel {

class AmountBox;
class DataSession;
class Grid;
class Messages;

class TicketWindow : public ChildWindow {
  Q_OBJECT
 public:
  // `kept` is the day's list as this window handed it back earlier (not yet
  // stored); without it the day's tickets are loaded from the store.
  TicketWindow(const DataSession& session, Messages& messages, int month, int day,
               const std::optional<DayTicketList>& kept = std::nullopt, QWidget* parent = nullptr);
  ~TicketWindow() override;

  // Whether the window can show the day (`kept`, or the stored tickets).
  // Shows the error and returns false when it cannot.
  static bool canOpen(const DataSession& session, int month, int day,
                      const std::optional<DayTicketList>& kept, Messages& messages);

  void activated() override;
  // 閉じる: the one way this window closes, handing its tickets back.
  void escapePressed() override { closeByButton(); }

  int month() const { return month_; }
  int day() const { return day_; }
  // The working list and its sums per bet type.
  const DayTicketList& dayList() const { return list_; }
  const DayBetTotals& totals() const { return totals_; }
  // The next free grid row (1..201): the list count + 1.
  int ticketGridNextRow() const { return nextRow_; }

 signals:
  // "閉じる": the day's edited list and its sums. Not emitted when nothing
  // was added or deleted in this opening, nor when the list could not be
  // shown (nothing of it may replace the stored day).
  void handedBack(const tamrel::DayTicketList& list, const tamrel::DayBetTotals& totals);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildLayout();
  QVBoxLayout* buildLists();
  QVBoxLayout* buildOptions();
  QVBoxLayout* buildBetPanel();
  QVBoxLayout* buildPayoutColumn();
  QWidget* buildBottomStrip();
  void connectControls();
  void setUpGrid();
  bool prepareList(const std::optional<DayTicketList>& kept);
  bool refreshTicketGrid();
  void writeRow(int row, int entryIndex);
  void blankRow(int row);

  void addTicket();
  bool listsChosen();
  // The ticket the panels describe, its amounts added to `totals` (from
  // which the caller has taken any ticket it replaces); nullopt, with the
  // message shown, when a check of "ＯＫ" fails.
  std::optional<TicketRecord> ticketFromPanels(DayBetTotals& totals);
  void changeTicket();
  void deleteTicket();
  // `totals` without the amounts of list entry `index`; nullopt, with the
  // message shown, when they cannot be taken off.
  std::optional<DayBetTotals> withoutEntry(const DayBetTotals& totals, int index);
  // The selected grid row's ticket into the panels.
  void ticketSelected();
  // The panels set to `entry`'s race and bet; `withBet` also sets its bet
  // type and amounts.
  void showInPanels(const TicketRecord& entry, bool withBet);
  void showTotalsRow();
  // A grid row (1..count) holding a ticket; 0 when the selection holds none.
  int selectedTicketRow() const;
  void computePayout();
  void closeByButton();

  // Field code of the group's selected option (the option's id).
  char selectedCode(QButtonGroup* group) const;

  const DataSession& session_;
  Messages& messages_;
  const int month_;
  const int day_;
  DayTicketList list_;
  DayBetTotals totals_;

  int nextRow_ = 1;
  // The day's list could not be loaded or summed: nothing may be added or
  // deleted and closing must not hand the list back.
  bool blocked_ = false;
  bool closingByButton_ = false;
  // A ticket was added or deleted since the window opened.
  bool changed_ = false;
  bool shown_ = false;

  QComboBox* baba_ = nullptr;
  QComboBox* race_ = nullptr;
  QComboBox* week_ = nullptr;
  QButtonGroup* age_ = nullptr;
  QButtonGroup* surface_ = nullptr;
  QButtonGroup* distance_ = nullptr;
  QButtonGroup* raceClass_ = nullptr;
  QButtonGroup* condition_ = nullptr;
  QButtonGroup* runners_ = nullptr;
  QButtonGroup* betType_ = nullptr;
  AmountBox* konyu_ = nullptr;
  AmountBox* knyKin_ = nullptr;
  AmountBox* haiKin_ = nullptr;
  AmountBox* haito_ = nullptr;
  QPushButton* calcButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* changeButton_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  Grid* grid_ = nullptr;
  // The 合計 row under the list: the day's purchase and payout.
  Grid* totalsRow_ = nullptr;
};

}  // namespace tamrel
