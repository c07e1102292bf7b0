#pragma once
// "収支入力": one racing day's stake and payout per bet type.

#include <QPointer>

#include "shell/child_window.h"

namespace tamrel {

struct AppState;
class Messages;
class TicketWindow;

class EntryWindow : public ChildWindow {
  Q_OBJECT
 public:
  EntryWindow(AppState& state, Messages& messages, QWidget* parent = nullptr);
  ~EntryWindow() override;

  void activated() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  AppState& state_;
  Messages& messages_;
  QPointer<TicketWindow> ticketWindow_;
};

}  // namespace tamrel
