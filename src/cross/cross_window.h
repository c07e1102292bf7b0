#pragma once
// "クロス分析": how the year's tickets did by any two of their attributes at
// once (say 馬連 at 中山), one measure per cell over a chosen period, with
// a tint per cell; a double-click lists the cell's tickets below. It follows
// the data session while open: postings of tickets, loads and a new year
// show at once.
//
// How to open it (the main window's 表示 menu):
//
//   if (auto* open = findOpenWindow(workArea, QStringLiteral("Cross"))) {
//     ChildWindow::bringToFront(open);
//   } else {
//     openChildWindow(*workArea, new CrossWindow(session, messages));
//   }

#include <array>

#include "analysis/cross_totals.h"
#include "analysis/ticket_filter.h"
#include "cross/cross_model.h"
#include "widgets/child_window.h"
#include "widgets/period_boxes.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tamrel {

class DataSession;
class Messages;

class CrossWindow : public ChildWindow {
  Q_OBJECT
 public:
  CrossWindow(const DataSession& session, Messages& messages, QWidget* parent = nullptr);
  ~CrossWindow() override;

  // The refusal when 行 and 列 would show the same dimension.
  static QString sameDimensionText();

  QComboBox* rowChooser() const { return rowChooser_; }
  QComboBox* columnChooser() const { return columnChooser_; }
  QComboBox* measureChooser() const { return measureChooser_; }
  QTableView* grid() const { return grid_; }
  QTableView* ticketList() const { return ticketList_; }
  const CrossTableModel& model() const { return model_; }
  // The listed tickets in date and race order; the list shows them as
  // sorted by its header.
  const CrossTicketModel& ticketModel() const { return ticketModel_; }
  Period period() const;

  // Wide enough for twelve categories and their total across, in the main
  // window's work area.
  QSize sizeHint() const override;

  // The table, and the listed tickets when a cell's are listed.
  std::optional<PrintPage> printPage() const override;

 signals:
  // 馬券一覧で開く: the listed cell's tickets wanted in the ticket list, as
  // the filters of its pair and period.
  void ticketsWanted(const tamrel::TicketFilter& filter);

 protected:
  void showData() override { recompute(); }
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildLayout();
  QWidget* buildChoices();
  // Recomputes the table from the session's tickets; an overflow is told
  // once, not again while the same table keeps overflowing.
  void recompute();
  void dimensionChosen(QComboBox* chooser);
  // Equal columns as wide as the widest figure, and the grid as tall as its
  // rows.
  void fitGrid();
  void listCell(const QModelIndex& index);
  void refreshList();
  void askForTicketList();

  const DataSession& session_;
  Messages& messages_;
  CrossTableModel model_;
  CrossTicketModel ticketModel_;
  // The list as the user sorted it by a header; date order at first.
  CrossTicketOrder ticketOrder_;
  CrossDimension rows_ = CrossDimension::BetType;
  CrossDimension columns_ = CrossDimension::Racecourse;
  // The cell whose tickets are listed (model row and column), if any.
  std::optional<std::pair<int, int>> listed_;
  bool overflowTold_ = false;

  QComboBox* rowChooser_ = nullptr;
  QComboBox* columnChooser_ = nullptr;
  QComboBox* measureChooser_ = nullptr;
  PeriodBoxes periodBoxes_;
  QTableView* grid_ = nullptr;
  QLabel* listCaption_ = nullptr;
  QLabel* legend_ = nullptr;
  QTableView* ticketList_ = nullptr;
  QPushButton* ticketListButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace tamrel
