#pragma once
// The racecourse, race-number and class profit graphs (`FGBaba`, `FGRace`,
// `FGClass`). Each is built from AppState::categoryTotals when it is first
// shown and keeps those figures while it stays open; however it is closed,
// CategoryGraphKind goes back to 0.

#include "analysis/category_totals.h"

class QMdiArea;

namespace tamrel {

struct AppState;
class Messages;
class ProfitGraphWindow;

// The graph's window when it is open in `area`, else nullptr.
ProfitGraphWindow* openCategoryGraph(const QMdiArea& area, CategoryGraph graph);

// Brings the open graph to the front, or builds and opens it at (0, 0).
// A picture of it that cannot be saved is told through `messages`.
ProfitGraphWindow* showCategoryGraph(QMdiArea& area, AppState& state, Messages& messages,
                                     CategoryGraph graph);

}  // namespace tamrel
