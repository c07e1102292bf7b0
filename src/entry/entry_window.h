#pragma once
// "収支入力": one racing day's stake and payout per bet type.

#include <QPointer>
#include <array>
#include <optional>

#include "ledger/ledger_records.h"
#include "widgets/child_window.h"

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace tamrel {

struct AppState;
class AmountBox;
class Messages;
class TicketWindow;
class ValueBox;

class EntryWindow : public ChildWindow {
  Q_OBJECT
 public:
  EntryWindow(AppState& state, Messages& messages, QWidget* parent = nullptr);
  ~EntryWindow() override;

  void activated() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();

  // Whether a drop-down may open (or change by key or wheel); when not, the
  // refusal has already been acted on.
  bool listMayOpen(QComboBox* list);
  bool listUsable(const QComboBox* list) const;
  bool ticketWindowOpen() const;
  void monthChosen(int index);
  void dayChosen(int index);
  void showChosenDay();
  void inputFocused(AmountBox* box);
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
  void showFigures(const BetAmounts& amounts, const Figures& figures);
  void setConfirming(bool confirming);
  void emptyDisplays();

  AppState& state_;
  Messages& messages_;
  QPointer<TicketWindow> ticketWindow_;
  bool ConfirmPending = false;

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
  QStackedWidget* confirmStack_ = nullptr;  // 確認/閉じる, or Kakunin
  QLabel* kakunin_ = nullptr;
  QPushButton* yesCmd_ = nullptr;
  QPushButton* noCmd_ = nullptr;
};

}  // namespace tamrel
