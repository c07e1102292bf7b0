#pragma once
// "統計分析": how every ticket of the year did, by each of nine categories,
// one table per tab; the racecourse, race-number and class tabs also open a
// profit graph.
//
// Loading the window computes the category totals from every month's
// tickets, and every change of the tickets computes them again. The graphs
// it opened follow the tickets too, and stay open on their own when it
// closes.

#include <array>
#include <optional>

#include "analysis/category_totals.h"
#include "widgets/child_window.h"

class QPushButton;

namespace tamrel {

class DataSession;
class Messages;
class Grid;
class TabStrip;

class AnalysisWindow : public ChildWindow {
  Q_OBJECT
 public:
  static constexpr int kTabCount = 12;
  static constexpr int kFirstTab = 1;  // "ﾚｰｽ別"
  static inline const QString kName = QStringLiteral("FSyosai");

  AnalysisWindow(const DataSession& session, Messages& messages, QWidget* parent = nullptr);
  ~AnalysisWindow() override;

  // Shows the graph of graphKind() in front of this window.
  void activated() override;

  // The graph that comes forward whenever this window is activated: the one
  // last asked for, forgotten when any category graph closes. A new window
  // takes the category graph in front in the work area, if one is open.
  std::optional<CategoryGraph> graphKind() const { return graphKind_; }
  void setGraphKind(std::optional<CategoryGraph> kind);

  // The table of the tab the user is on; nothing on an empty tab.
  std::optional<PrintPage> printPage() const override;

  TabStrip* tabs() const { return tabs_; }
  Grid* grid(Dimension d) const { return grids_[static_cast<std::size_t>(d)]; }

 protected:
  void showEvent(QShowEvent* event) override;
  // After a change of the tickets: every dimension again, on the tab the
  // user is on.
  void showData() override;

 private:
  void buildLayout();
  // Recomputes all nine dimensions and fills their grids; an overflow is
  // told once, however many dimensions it hit.
  void load();
  void fillGrid(Dimension d);
  void tabChanged(int tab);
  void openGraph();
  void showGraph(CategoryGraph graph);
  void refresh();

  const DataSession& session_;
  Messages& messages_;
  CategoryTotals totals_;
  bool overflowing_ = false;
  std::optional<CategoryGraph> graphKind_;
  bool graphKindKnown_ = false;
  TabStrip* tabs_ = nullptr;
  std::array<Grid*, kDimensionCount> grids_{};
  QPushButton* graphButton_ = nullptr;
  QPushButton* refreshButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace tamrel
