#pragma once
// The racecourse, race-number and class profit graphs (`FGBaba`, `FGRace`,
// `FGClass`). Each is built from the category totals when it is first shown
// and follows the tickets while it stays open.

#include <functional>
#include <optional>

#include "analysis/category_totals.h"

class QMdiArea;

namespace tamrel {

class DataSession;
class Messages;
class ProfitGraphWindow;

// The graph's window when it is open in `area`, else nullptr.
ProfitGraphWindow* openCategoryGraph(const QMdiArea& area, CategoryGraph graph);

// The open category graph nearest the front of `area`, if any.
std::optional<CategoryGraph> frontCategoryGraph(const QMdiArea& area);

// Brings the open graph to the front, or builds it from `totals` and opens it
// at (0, 0); `closed` runs when a graph built here closes, however. A
// picture of it that cannot be saved is told through `messages`.
ProfitGraphWindow* showCategoryGraph(QMdiArea& area, const CategoryTotals& totals,
                                     const DataSession& session, Messages& messages,
                                     CategoryGraph graph, std::function<void()> closed);

}  // namespace tamrel
