#pragma once
// "馬券一覧": every ticket of the year in one sortable list, narrowed by the
// filters in the panel above it (period, any values of the ten dimensions,
// 的中 or 外れ, stake and payout ranges, words of the captions), with the
// figures of what is shown under it. It follows the data session while
// open, keeping the filters and the selected ticket. A double-click or
// Enter on a ticket asks for its day (dayChosen); the main window opens it.
//
// How to open it (the main window's 表示 menu):
//
//   if (auto* open = findOpenWindow(workArea, QStringLiteral("TicketList"))) {
//     ChildWindow::bringToFront(open);
//   } else {
//     openChildWindow(*workArea, new TicketList(session, messages));
//   }

#include <array>
#include <optional>

#include "analysis/ticket_filter.h"
#include "ticketlist/ticket_list_model.h"
#include "widgets/child_window.h"
#include "widgets/period_boxes.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;

namespace tamrel {

class DataSession;
class Messages;

class TicketList : public ChildWindow {
  Q_OBJECT
 public:
  TicketList(const DataSession& session, Messages& messages, QWidget* parent = nullptr);
  ~TicketList() override;

  // The filters as the panel holds them.
  TicketFilter filter() const;
  // Sets the panel to `filter` and shows what it keeps.
  void setFilter(const TicketFilter& filter);
  // The figures of the tickets shown.
  const TicketListFigures& figures() const { return model_.figures(); }

  QTableView* table() const { return table_; }
  const TicketListModel& model() const { return model_; }
  QLineEdit* searchBox() const { return search_; }
  // The chooser of a dimension's values (a button with a menu of them).
  QToolButton* dimensionButton(CrossDimension d) const {
    return dimensionButtons_[static_cast<std::size_t>(d)];
  }
  // The value label of a figure by its objectName ("Count", .., "Largest").
  QLabel* figureLabel(const QString& name) const;
  // The ticket selected in the list, if any.
  std::optional<TicketRecord> selectedTicket() const;

  QSize sizeHint() const override;
  // The figures of what is shown, then the list as sorted and filtered.
  std::optional<PrintPage> printPage() const override;

 signals:
  // The user asked for a ticket's day (double-click or Enter on it).
  void dayChosen(int month, int day);

 protected:
  void showData() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* buildFilters();
  QWidget* buildFigures();
  TableText figureTable() const;
  QToolButton* buildDimensionButton(const CrossDimensionInfo& info, QWidget* parent);
  // Filters the rows again and shows the result, keeping the selection.
  void applyFilter();
  void showFigures();
  // Selects and shows a row of the model; none for -1.
  void selectModelRow(int row);
  void labelDimensionButton(CrossDimension d);
  void clearFilters();
  void chooseRow(const QModelIndex& index);

  const DataSession& session_;
  Messages& messages_;
  TicketListModel model_;
  bool settingFilter_ = false;

  PeriodBoxes periodBoxes_;
  std::array<QToolButton*, kCrossDimensionCount> dimensionButtons_{};
  std::array<QMenu*, kCrossDimensionCount> dimensionMenus_{};
  // The categories checked in each menu, kept as they are toggled.
  std::array<std::vector<int>, kCrossDimensionCount> chosenCategories_;
  QComboBox* hitChooser_ = nullptr;
  QLineEdit* stakeFrom_ = nullptr;
  QLineEdit* stakeTo_ = nullptr;
  QLineEdit* payoutFrom_ = nullptr;
  QLineEdit* payoutTo_ = nullptr;
  QLineEdit* search_ = nullptr;
  QPushButton* clearButton_ = nullptr;
  QTableView* table_ = nullptr;
  QWidget* figurePanel_ = nullptr;
  std::array<QLabel*, 8> figureValues_{};  // in the order of the figures
  QPushButton* closeButton_ = nullptr;
};

}  // namespace tamrel
