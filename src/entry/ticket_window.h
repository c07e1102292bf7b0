#pragma once
// "詳細入力": the tickets of the day chosen in the daily entry window.

#include "shell/child_window.h"

namespace tamrel {

struct AppState;
class Messages;

class TicketWindow : public ChildWindow {
  Q_OBJECT
 public:
  TicketWindow(AppState& state, Messages& messages, QWidget* parent = nullptr);
  ~TicketWindow() override;

  void activated() override;

 private:
  AppState& state_;
  Messages& messages_;
};

}  // namespace tamrel
