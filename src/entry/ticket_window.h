#pragma once
// "詳細入力": the tickets of the day chosen in the daily entry window.
//
// The window edits AppState::dayTickets (entry i is grid row i + 1, deleted
// tickets stay as empty rows) and keeps AppState::dayBetTotals in step. It
// hands its result back only through the shared state: closing with "閉じる"
// sets DayListEdited and clears TicketWindowOpen; the daily entry window then
// takes the totals over on its next activation.
//
// How to open it (daily entry window, "詳細入力"):
//
//   if (!TicketWindow::canOpen(state, messages)) return;   // message shown
//   state.TicketTotalsPending = true;
//   state.TicketWindowOpen = true;
//   openChildWindow(*workArea(), new TicketWindow(state, messages));
//
// canOpen must come first: a day whose tickets cannot be shown (more than
// 200 of them, or sums beyond the 32-bit range, both only from an edited
// file) is refused with a message and the window is not opened, so nothing
// of that day can be lost by storing a cut-short list.

#include <QPointer>

#include "widgets/child_window.h"

class QButtonGroup;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace tamrel {

struct AppState;
class Messages;
class Grid;
class AmountBox;

class TicketWindow : public ChildWindow {
  Q_OBJECT
 public:
  TicketWindow(AppState& state, Messages& messages, QWidget* parent = nullptr);
  ~TicketWindow() override;

  // Loads the day's tickets into the working list when DayListEdited is clear
  // (the window would load them itself) and checks that the list can be shown.
  // Shows the error and returns false when it cannot; the list is then left
  // as it was.
  static bool canOpen(AppState& state, Messages& messages);

  void activated() override;

  // The next free grid row (1..201): the list count + 1.
  int ticketGridNextRow() const { return nextRow_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildLayout();
  void setUpGrid();
  bool prepareList();
  bool refreshTicketGrid();
  void writeRow(int row, int entryIndex);
  void blankRow(int row);

  void addTicket();
  void deleteTicket();
  void computePayout();
  void closeByButton();

  // Field code of the group's selected option (the option's id).
  char selectedCode(QButtonGroup* group) const;

  AppState& state_;
  Messages& messages_;

  int nextRow_ = 1;
  // The day's list could not be loaded or summed: nothing may be added or
  // deleted and closing must not mark the list as the day's current copy.
  bool blocked_ = false;
  bool closingByButton_ = false;
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
  QPushButton* deleteButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  Grid* grid_ = nullptr;
};

}  // namespace tamrel
