#include "analysis/category_graphs.h"

#include <QMdiArea>

#include "state/app_state.h"
#include "widgets/core_text.h"
#include "widgets/profit_graph.h"

namespace tamrel {

ProfitGraphWindow* openCategoryGraph(const QMdiArea& area, CategoryGraph graph) {
  return qobject_cast<ProfitGraphWindow*>(
      findOpenWindow(&area, QString::fromLatin1(categoryGraphInfo(graph).name)));
}

ProfitGraphWindow* showCategoryGraph(QMdiArea& area, AppState& state, Messages& messages,
                                     CategoryGraph graph) {
  if (ProfitGraphWindow* open = openCategoryGraph(area, graph)) {
    ChildWindow::bringToFront(open);
    return open;
  }
  const CategoryGraphInfo info = categoryGraphInfo(graph);
  std::vector<ProfitPoint> points;
  for (const GraphPoint& p : categoryGraphPoints(state.categoryTotals, graph)) {
    points.push_back({fromCore(p.label), p.value});
  }
  auto* window =
      new ProfitGraphWindow(messages, QString::fromLatin1(info.name), fromCore(info.caption),
                            std::move(points), [&state] { state.CategoryGraphKind = 0; });
  openChildWindow(area, window);
  return window;
}

}  // namespace tamrel
