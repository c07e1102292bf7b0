#pragma once
// "統計分析": how every ticket of the year did, by each of nine categories,
// one table per tab; the racecourse, race-number and class tabs also open a
// profit graph.
//
// How to open it (main window, "統計分析"):
//
//   if (state.AnalysisOpen) { messages.error(...already open...); return; }
//   state.AnalysisOpen = true;
//   openChildWindow(*workArea, new AnalysisWindow(state, messages));
//
// Loading the window recomputes AppState::categoryTotals from every month's
// tickets. The window clears AnalysisOpen however it is closed; the graphs
// it opened stay open on their own.

#include <array>

#include "analysis/category_totals.h"
#include "widgets/child_window.h"

class QPushButton;

namespace tamrel {

struct AppState;
class Messages;
class Grid;
class TabStrip;

class AnalysisWindow : public ChildWindow {
  Q_OBJECT
 public:
  static constexpr int kTabCount = 12;
  static constexpr int kFirstTab = 1;  // "ﾚｰｽ別"

  AnalysisWindow(AppState& state, Messages& messages, QWidget* parent = nullptr);
  ~AnalysisWindow() override;

  // Shows the graph named by CategoryGraphKind in front of this window.
  void activated() override;

  TabStrip* tabs() const { return tabs_; }
  Grid* grid(Dimension d) const { return grids_[static_cast<std::size_t>(d)]; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildLayout();
  // Recomputes all nine dimensions and fills their grids; an overflow is
  // told once, however many dimensions it hit.
  void load();
  void fillGrid(Dimension d);
  void tabChanged(int tab);
  void openGraph();
  void refresh();

  AppState& state_;
  Messages& messages_;
  TabStrip* tabs_ = nullptr;
  std::array<Grid*, kDimensionCount> grids_{};
  QPushButton* graphButton_ = nullptr;
  QPushButton* refreshButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace tamrel
