#include "stats/category_graphs.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/profit_graph.h"

namespace tamrel {

namespace {

constexpr CategoryGraph kGraphs[] = {CategoryGraph::Racecourse, CategoryGraph::RaceNo,
                                     CategoryGraph::RaceClass};

std::vector<ProfitPoint> graphPoints(const CategoryTotals& totals, CategoryGraph graph) {
  std::vector<ProfitPoint> points;
  for (const GraphPoint& p : categoryGraphPoints(totals, graph)) {
    points.push_back({fromCore(p.label), p.value});
  }
  return points;
}

}  // namespace

ProfitGraphWindow* openCategoryGraph(const QMdiArea& area, CategoryGraph graph) {
  return qobject_cast<ProfitGraphWindow*>(
      findOpenWindow(&area, QString::fromLatin1(categoryGraphInfo(graph).name)));
}

std::optional<CategoryGraph> frontCategoryGraph(const QMdiArea& area) {
  const QList<QMdiSubWindow*> frames = area.subWindowList(QMdiArea::StackingOrder);
  for (auto it = frames.crbegin(); it != frames.crend(); ++it) {
    if (!isOpen(*it)) continue;
    for (CategoryGraph graph : kGraphs) {
      if ((*it)->widget() == openCategoryGraph(area, graph)) return graph;
    }
  }
  return std::nullopt;
}

ProfitGraphWindow* showCategoryGraph(QMdiArea& area, const CategoryTotals& totals,
                                     const DataSession& session, Messages& messages,
                                     CategoryGraph graph, std::function<void()> closed) {
  if (ProfitGraphWindow* open = openCategoryGraph(area, graph)) {
    ChildWindow::bringToFront(open);
    return open;
  }
  const CategoryGraphInfo info = categoryGraphInfo(graph);
  auto* window =
      new ProfitGraphWindow(session, messages, QString::fromLatin1(info.name),
                            fromCore(info.caption), graphPoints(totals, graph), std::move(closed));
  // It follows the tickets on its own, whether its opener stays open or
  // not: its one dimension again, as 統計分析 would show it.
  window->setPointSource([&session, graph] {
    CategoryTotals now;
    computeCategoryTotals(now, categoryGraphInfo(graph).dimension, session.tickets());
    return graphPoints(now, graph);
  });
  window->followSession(session, ChildWindow::Follows::Tickets);
  openChildWindow(area, window);
  return window;
}

}  // namespace tamrel
